#include "settings/winutil.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/params.h"
#include "settings/shellcalls.h"
#include "settings/syspath.h"

namespace {

HCURSOR held_cursor = nullptr;
HBRUSH face_brush = nullptr;
int32_t input_mode = 0;

} // namespace

int win_pump(HWND window) {
  MSG msg;
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to end on: the main loop must still see it.
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

int win_center(HWND window, int mode) {
  RECT desk, r;
  GetWindowRect(GetDesktopWindow(), &desk);
  GetWindowRect(window, &r);
  const int x = (desk.left + desk.right) / 2 - (r.right - r.left) / 2;
  const int y = (desk.top + desk.bottom) / 2 - (r.bottom - r.top) / 2;
  if (x < 0 || y < 0)
    return 0;
  // Centring never hides the window it moves.
  UINT flags = SWP_NOSIZE | (mode == 1 ? 0 : SWP_NOREDRAW);
  SetWindowPos(window, nullptr, x, y, 0, 0, flags);
  return 1;
}

void win_edgesdc(HDC dc, int left, int top, int right, int bottom, int sunken, int edges, int depth) {
  RECT r = {left, top, right, bottom};
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  auto band = [&](RECT b, HBRUSH brush) {
    if (b.right > b.left && b.bottom > b.top)
      FillRect(dc, &b, brush);
  };
  if (edges & 1) {
    band(RECT{r.left, r.top, r.right, r.top + by}, black);
    r.top += by;
  }
  if (edges & 2) {
    band(RECT{r.left, r.bottom - by, r.right, r.bottom}, black);
    r.bottom -= by;
  }
  if (edges & 4) {
    band(RECT{r.left, r.top, r.left + bx, r.bottom}, black);
    r.left += bx;
  }
  if (edges & 8) {
    band(RECT{r.right - bx, r.top, r.right, r.bottom}, black);
    r.right -= bx;
  }
  // The bevel too only on the selected edges: callers pass 0 for "no border".
  HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  HBRUSH tl = sunken ? shadow : white, br = sunken ? white : shadow;
  for (int i = 0; i < depth; i++) {
    RECT b = {r.left + i * bx, r.top + i * by, r.right - i * bx, r.bottom - i * by};
    if (edges & 1)
      band(RECT{b.left, b.top, b.right, b.top + by}, tl);
    if (edges & 4)
      band(RECT{b.left, b.top, b.left + bx, b.bottom}, tl);
    if (edges & 2)
      band(RECT{b.left, b.bottom - by, b.right, b.bottom}, br);
    if (edges & 8)
      band(RECT{b.right - bx, b.top, b.right, b.bottom}, br);
  }
}

int win_edges(HWND window, int left, int top, int right, int bottom, int sunken, int edges, int depth) {
  HDC dc = GetDC(window);
  win_edgesdc(dc, left, top, right, bottom, sunken, edges, depth);
  return ReleaseDC(window, dc);
}

int win_edge(HWND window, int left, int top, int right, int bottom, int sunken, int edges) {
  return win_edges(window, left, top, right, bottom, sunken, edges, 2);
}

intptr_t win_waitcur() {
  if (!held_cursor) {
    held_cursor = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    if (!held_cursor)
      held_cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    return ShowCursor(TRUE);
  }
  ShowCursor(FALSE);
  HCURSOR prev = SetCursor(held_cursor);
  held_cursor = nullptr;
  return reinterpret_cast<intptr_t>(prev);
}

int win_rectmap(HWND from, HWND to, RECT *rect) {
  if (from)
    MapWindowPoints(from, nullptr, reinterpret_cast<POINT *>(rect), 2);
  if (to)
    MapWindowPoints(nullptr, to, reinterpret_cast<POINT *>(rect), 2);
  if (!from || !to)
    return 1;
  RECT client;
  GetClientRect(to, &client);
  return rect->left >= client.left && rect->top >= client.top && rect->right <= client.right &&
                 rect->bottom <= client.bottom
             ? 1
             : 0;
}

int win_ptmap(HWND from, HWND to, int *x, int *y) {
  POINT p = {*x, *y};
  if (from)
    ClientToScreen(from, &p);
  if (to)
    ScreenToClient(to, &p);
  *x = p.x;
  *y = p.y;
  return 0;
}

int win_rect2client(HWND window, HWND parent, RECT *rect) {
  if (!parent || !rect)
    return 0;
  if (window)
    GetWindowRect(window, rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(rect), 2);
  return 1;
}

HBRUSH win_ctlcolor(HWND, UINT message, HDC dc, HWND control) {
  if (message == WM_CTLCOLOREDIT) {
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (!(style & ES_READONLY) || (style & WS_BORDER))
      return nullptr;
  } else if (message != WM_CTLCOLORBTN && message != WM_CTLCOLORDLG && message != WM_CTLCOLORSTATIC) {
    return nullptr;
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  if (face_brush)
    DeleteObject(face_brush);
  face_brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  return face_brush;
}

int win_transblt(HDC dc, int x, int y, HBITMAP bitmap, COLORREF transparent) {
  BITMAP bm;
  if (!GetObjectA(bitmap, sizeof bm, &bm))
    return 0;
  HDC src = CreateCompatibleDC(dc);
  HDC maskdc = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
  if (!src || !maskdc || !mask) {
    if (src)
      DeleteDC(src);
    if (maskdc)
      DeleteDC(maskdc);
    if (mask)
      DeleteObject(mask);
    return 0;
  }
  HGDIOBJ oldsrc = SelectObject(src, bitmap);
  HGDIOBJ oldmask = SelectObject(maskdc, mask);
  SetBkColor(src, transparent);
  BitBlt(maskdc, 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
  COLORREF oldbk = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCINVERT);
  BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, maskdc, 0, 0, SRCAND);
  BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCINVERT);
  SetBkColor(dc, oldbk);
  SelectObject(src, oldsrc);
  SelectObject(maskdc, oldmask);
  DeleteObject(mask);
  DeleteDC(src);
  DeleteDC(maskdc);
  return 1;
}

int win_tvtext(HWND tree, HTREEITEM item, char *buf, int size) {
  if (!tree || !item)
    return 0;
  TVITEMA tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = buf;
  tv.cchTextMax = size;
  return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) ? 1 : 0;
}

HTREEITEM win_tvfind(HWND tree, HTREEITEM parent, HTREEITEM after, const char *text) {
  if (!tree || !text)
    return nullptr;
  HTREEITEM item =
      after
          ? reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(after)))
          : reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
  for (; item; item = reinterpret_cast<HTREEITEM>(
                   SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
    char buf[262] = "";
    win_tvtext(tree, item, buf, sizeof buf);
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, buf, -1, text, -1) == CSTR_EQUAL)
      return item;
  }
  return nullptr;
}

namespace {

int CALLBACK browse_callback(HWND window, UINT message, LPARAM lparam, LPARAM data) {
  char path[MAX_PATH];
  if (message == BFFM_INITIALIZED) {
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, data);
  } else if (message == BFFM_SELCHANGED) {
    if (SHGetPathFromIDListA(reinterpret_cast<LPITEMIDLIST>(lparam), path))
      SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  }
  return 0;
}

} // namespace

int pth_browse(OPENFILENAMEA *ofn) {
  if (!ofn->lpstrFile || ofn->nMaxFile < 8)
    return 2;
  IMalloc *alloc = nullptr;
  if (SHGetMalloc(&alloc) != S_OK || !alloc)
    return 0;
  LPITEMIDLIST root = nullptr;
  if (SHGetSpecialFolderLocation(ofn->hwndOwner, CSIDL_DESKTOP, &root) != S_OK) {
    alloc->Release();
    return 0;
  }
  char initial[MAX_PATH + 2];
  DWORD a = ofn->lpstrInitialDir ? GetFileAttributesA(ofn->lpstrInitialDir) : INVALID_FILE_ATTRIBUTES;
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
    msg_copy(initial, sizeof initial, ofn->lpstrInitialDir);
    if (std::strlen(initial) != 3)
      pth_bslash(0, initial);
  } else {
    GetCurrentDirectoryA(sizeof initial, initial);
  }
  char display[262];
  int result = 2;
  for (;;) {
    BROWSEINFOA bi{};
    bi.hwndOwner = ofn->hwndOwner;
    bi.pidlRoot = root;
    bi.pszDisplayName = display;
    bi.lpszTitle = "ﾌｫﾙﾀﾞを選択してください。";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    bi.lpfn = browse_callback;
    bi.lParam = reinterpret_cast<LPARAM>(initial);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&bi);
    if (!chosen)
      break;
    char path[MAX_PATH + 2] = "";
    SHGetPathFromIDListA(chosen, path);
    alloc->Free(chosen);
    if (std::strlen(path) != 3)
      pth_bslash(1, path);
    if (std::strlen(path) <= ofn->nMaxFile - 1) {
      std::strcpy(ofn->lpstrFile, path);
      result = 1;
      break;
    }
  }
  alloc->Free(root);
  alloc->Release();
  return result;
}

int pth_netpath(NETRESOURCEA *resource, char *out) {
  out[0] = '\0';
  HMODULE mpr = LoadLibraryA("mpr.dll");
  if (!mpr)
    return 0;
  using InfoFn = DWORD(WINAPI *)(LPNETRESOURCEA, LPVOID, LPDWORD, LPSTR *);
  using ParentFn = DWORD(WINAPI *)(LPNETRESOURCEA, LPVOID, LPDWORD);
  auto info = reinterpret_cast<InfoFn>(reinterpret_cast<void *>(GetProcAddress(mpr, "WNetGetResourceInformationA")));
  auto parent = reinterpret_cast<ParentFn>(reinterpret_cast<void *>(GetProcAddress(mpr, "WNetGetResourceParentA")));
  if (!info) {
    FreeLibrary(mpr);
    return 0;
  }
  std::string buf(32, '\0');
  DWORD size = 32;
  char *system = nullptr;
  DWORD r = info(resource, buf.data(), &size, &system);
  if (r == ERROR_MORE_DATA) {
    buf.assign(size, '\0');
    r = info(resource, buf.data(), &size, &system);
  }
  int ok = 0;
  std::string built;
  NETRESOURCEA current = *resource;
  while (r == NO_ERROR && parent) {
    std::string pbuf(32, '\0');
    DWORD psize = 32;
    r = parent(&current, pbuf.data(), &psize);
    if (r == ERROR_MORE_DATA) {
      pbuf.assign(psize, '\0');
      r = parent(&current, pbuf.data(), &psize);
    }
    if (r != NO_ERROR)
      break;
    auto *p = reinterpret_cast<NETRESOURCEA *>(pbuf.data());
    const char *name = p->dwDisplayType == 7 ? p->lpComment : p->dwDisplayType == 6 ? p->lpProvider : p->lpRemoteName;
    built = std::string(name ? name : "") + "\\" + built;
    msg_copy(out, 262, built.c_str());
    if (p->dwDisplayType == 6) {
      ok = 1;
      break;
    }
    current = *p;
  }
  FreeLibrary(mpr);
  return ok;
}

namespace {
bool async_down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }
bool (*key_reader)(int) = async_down;
} // namespace

bool sys_keydown(int vk) { return key_reader(vk); }

void sys_setkeydown(bool (*reader)(int vk)) { key_reader = reader ? reader : async_down; }

int sys_escpoll() { return sys_keydown(VK_ESCAPE) ? 27 : 0; }

int sys_anykey() {
  // Esc first: a held Shift or Ctrl must not hide the key that stops long work.
  if (sys_escpoll())
    return VK_ESCAPE;
  for (int vk = 1; vk < 256; vk++)
    if (sys_keydown(vk))
      return vk;
  return 0;
}

int sys_clrkeys() {
  BYTE keys[256] = {};
  SetKeyboardState(keys);
  return 0;
}

int sys_modkeys() {
  int bits = 0;
  if (GetKeyState(VK_SHIFT) & 0x8000)
    bits |= 1;
  if (GetKeyState(VK_CAPITAL) & 0x8000)
    bits |= 2;
  if (GetKeyState(VK_MENU) & 0x8000)
    bits |= 8;
  if (GetKeyState(VK_CONTROL) & 0x8000)
    bits |= 16;
  return bits;
}

int sys_delay(uint32_t ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start <= ms) {
  }
  return 0;
}

int sys_beep3() {
  for (int i = 0; i < 3; i++)
    MessageBeep(0);
  return 0;
}

int sys_inmode(int mode) {
  if (mode == -1)
    return input_mode;
  if (mode < 0 || mode > 2)
    return -1;
  if (mode == 2) {
    uint16_t lin;
    sys_linatr('R', &lin);
    if ((lin >> 4 & 15) >= 6)
      lin = static_cast<uint16_t>((lin & ~0xF0) | 1 << 4);
    sys_linatr('W', &lin);
    DimAttrs dim;
    sys_dimatr('R', &dim);
    if ((dim.linattr >> 4 & 15) >= 6)
      dim.linattr = static_cast<uint16_t>((dim.linattr & ~0xF0) | 1 << 4);
    sys_dimatr('W', &dim);
    ui_aboxrefresh();
  }
  input_mode = mode;
  return input_mode;
}

int hep_check() {
  static int failures = 0;
  HANDLE heaps[1000];
  DWORD n = GetProcessHeaps(1000, heaps);
  if (n > 1000)
    return static_cast<int>(n);
  for (DWORD i = 0; i < n; i++) {
    if (!HeapValidate(heaps[i], 0, nullptr)) {
      if (failures++ < 5) {
        UiQuestion q{};
        q.kind = UI_MSGBOX;
        q.heading = "KIVO LANT";
        q.text = "ヒープチェインが壊れています";
        q.flags = MB_OK;
        ui_ask(q, [](const UiQuestion &u) { return MessageBoxA(nullptr, u.text, u.heading, u.flags); });
      }
      return 0;
    }
  }
  return static_cast<int>(n);
}

// Versions ------------------------------------------------------------------------

namespace {
OSVERSIONINFOA version() {
  OSVERSIONINFOA v;
  std::memset(&v, 0, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExA(&v);
  return v;
}
} // namespace

bool os_isnt() { return version().dwPlatformId == VER_PLATFORM_WIN32_NT; }
bool os_iswin32s() { return version().dwPlatformId == VER_PLATFORM_WIN32s; }
bool os_is9x() {
  OSVERSIONINFOA v = version();
  return v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && v.dwMajorVersion >= 4;
}
