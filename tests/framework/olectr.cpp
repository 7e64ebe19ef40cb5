// olectr: the test container, a second process over plain ole32 and user32 that
// tests start to see what another program sees of the clipboard.
//   olectr list                      one line per format: number, name, media (hex)
//   olectr get <format> <file>       writes the format's data to file:
//                                    CF_TEXT the text without its NUL, CF_ENHMETAFILE the
//                                    metafile bits, CF_METAFILEPICT the metafile bits (and
//                                    prints "mm xExt yExt"), other names the global block
//                                    or stream bytes
//   olectr putemf <file>             puts the enhanced metafile of file on the clipboard
//   olectr putwmf <file> <mm> <xExt> <yExt>   puts a metafile picture
//   olectr embed <step>...           drives one embedded object (see embed below) and
//                                    prints what it got; exit 10.. names the failed step
//   olectr bind <file> [<item> [emf <out>]]
//                                    binds the file's moniker (joined with an item moniker
//                                    "!item") as a linking container does; prints
//                                    "moniker <display name>", "extent <cx> <cy>" and
//                                    "class <clsid>" of the object, and with emf writes the
//                                    object's enhanced metafile bits to out (printing
//                                    "frame <right> <bottom>"); exit 3 when none answers
//   olectr link                      the clipboard's "Link Source": prints "class <clsid>"
//                                    of the stream, then binds its moniker as bind does
//   olectr linkshow <file> <item> <out> <ms>
//                                    binds as bind does (emf to out), then shows the
//                                    object (OLEIVERB_SHOW, printing "shown <hr>") and
//                                    keeps the link for ms milliseconds before letting go
// The embed step "inplace <ms> <png>" shows the object in place in a window of olectr's
// own (title "olectr in place", menu "olectr &File") at (20, 20)-(420, 320) of its
// client area and keeps it there for ms milliseconds, printing "inplace <hr>",
// "uiactive", "menu <hr> <texts of the menu bar, joined by |>", "window <1 when the
// object's window is a child of olectr's>" and, once the object's place is painted
// other than olectr's background (or after ms), "painted <0|1>" with the window's
// screen pixels written to png; "deactivate" ends the in-place
// activation and prints "deactivated" and the menu bar's texts again.
// Exit 0 on success; 1 usage, 2 clipboard not available, 3 format not there, 4 file.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../common/pngwrite.h"
#include "../common/screencap.h"

namespace {

const struct {
  UINT number;
  const char *name;
} kStandard[] = {{CF_TEXT, "CF_TEXT"},      {CF_BITMAP, "CF_BITMAP"},           {CF_METAFILEPICT, "CF_METAFILEPICT"},
                 {CF_DIB, "CF_DIB"},        {CF_UNICODETEXT, "CF_UNICODETEXT"}, {CF_OEMTEXT, "CF_OEMTEXT"},
                 {CF_LOCALE, "CF_LOCALE"},  {CF_ENHMETAFILE, "CF_ENHMETAFILE"}, {CF_DIBV5, "CF_DIBV5"},
                 {CF_PALETTE, "CF_PALETTE"}};

std::string formatName(UINT number) {
  for (const auto &s : kStandard)
    if (s.number == number)
      return s.name;
  char name[256];
  int n = GetClipboardFormatNameA(number, name, sizeof name);
  return n > 0 ? std::string(name, size_t(n)) : "#" + std::to_string(number);
}

UINT formatNumber(const char *name) {
  for (const auto &s : kStandard)
    if (std::strcmp(s.name, name) == 0)
      return s.number;
  return RegisterClipboardFormatA(name);
}

bool writeFile(const char *path, const void *data, size_t n) {
  FILE *f = std::fopen(path, "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(data, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

bool readFile(const char *path, std::vector<unsigned char> &out) {
  FILE *f = std::fopen(path, "rb");
  if (!f)
    return false;
  unsigned char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return true;
}

int list() {
  IDataObject *data = nullptr;
  if (OleGetClipboard(&data) != S_OK || !data)
    return 2;
  IEnumFORMATETC *e = nullptr;
  if (data->EnumFormatEtc(DATADIR_GET, &e) != S_OK || !e) {
    data->Release();
    return 2;
  }
  FORMATETC f;
  ULONG n;
  while (e->Next(1, &f, &n) == S_OK && n == 1) {
    std::printf("%u %s %lx\n", unsigned(f.cfFormat), formatName(f.cfFormat).c_str(), f.tymed);
    CoTaskMemFree(f.ptd);
  }
  e->Release();
  data->Release();
  return 0;
}

int get(const char *name, const char *path) {
  UINT cf = formatNumber(name);
  DWORD tymed = cf == CF_ENHMETAFILE    ? TYMED_ENHMF
                : cf == CF_METAFILEPICT ? TYMED_MFPICT
                : cf == CF_BITMAP       ? TYMED_GDI
                                        : TYMED_HGLOBAL | TYMED_ISTREAM;
  IDataObject *data = nullptr;
  if (OleGetClipboard(&data) != S_OK || !data)
    return 2;
  FORMATETC f{CLIPFORMAT(cf), nullptr, DVASPECT_CONTENT, -1, tymed};
  STGMEDIUM m{};
  HRESULT hr = data->GetData(&f, &m);
  data->Release();
  if (hr != S_OK && cf == CF_METAFILEPICT) {
    // Wine's clipboard object cannot hand out a metafile picture that was put on the
    // clipboard without OLE; take it from the clipboard itself.
    if (OpenClipboard(nullptr)) {
      if (HANDLE h = GetClipboardData(CF_METAFILEPICT)) {
        auto *pict = static_cast<METAFILEPICT *>(GlobalLock(h));
        HGLOBAL copy = pict ? GlobalAlloc(GMEM_MOVEABLE, sizeof *pict) : nullptr;
        if (copy) {
          auto *c = static_cast<METAFILEPICT *>(GlobalLock(copy));
          *c = *pict;
          c->hMF = CopyMetaFileA(pict->hMF, nullptr);
          GlobalUnlock(copy);
          m.tymed = TYMED_MFPICT;
          m.hMetaFilePict = copy;
          hr = S_OK;
        }
        if (pict)
          GlobalUnlock(h);
      }
      CloseClipboard();
    }
  }
  if (hr != S_OK) {
    std::fprintf(stderr, "GetData %s: %08lx\n", name, hr);
    return 3;
  }
  std::vector<unsigned char> bytes;
  if (m.tymed == TYMED_ENHMF) {
    UINT n = GetEnhMetaFileBits(m.hEnhMetaFile, 0, nullptr);
    bytes.resize(n);
    GetEnhMetaFileBits(m.hEnhMetaFile, n, bytes.data());
  } else if (m.tymed == TYMED_MFPICT) {
    auto *pict = static_cast<METAFILEPICT *>(GlobalLock(m.hMetaFilePict));
    if (pict) {
      UINT n = GetMetaFileBitsEx(pict->hMF, 0, nullptr);
      bytes.resize(n);
      GetMetaFileBitsEx(pict->hMF, n, bytes.data());
      std::printf("%ld %ld %ld\n", pict->mm, pict->xExt, pict->yExt);
      GlobalUnlock(m.hMetaFilePict);
    }
  } else if (m.tymed == TYMED_HGLOBAL) {
    SIZE_T n = GlobalSize(m.hGlobal);
    auto *p = static_cast<const unsigned char *>(GlobalLock(m.hGlobal));
    if (p) {
      if (cf == CF_TEXT)
        n = strnlen(reinterpret_cast<const char *>(p), n);
      bytes.assign(p, p + n);
      GlobalUnlock(m.hGlobal);
    }
  } else if (m.tymed == TYMED_ISTREAM) {
    LARGE_INTEGER zero{};
    m.pstm->Seek(zero, STREAM_SEEK_SET, nullptr);
    unsigned char buf[4096];
    ULONG n = 0;
    while (m.pstm->Read(buf, sizeof buf, &n) == S_OK && n > 0)
      bytes.insert(bytes.end(), buf, buf + n);
  }
  ReleaseStgMedium(&m);
  return writeFile(path, bytes.data(), bytes.size()) ? 0 : 4;
}

// The clipboard needs an owner window for SetClipboardData.
int put(UINT cf, HANDLE handle) {
  HWND owner = CreateWindowA("STATIC", "olectr", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  bool ok = false;
  for (int i = 0; i < 50 && !(ok = OpenClipboard(owner)); ++i)
    Sleep(20);
  if (!ok)
    return 2;
  EmptyClipboard();
  ok = SetClipboardData(cf, handle) != nullptr;
  CloseClipboard();
  DestroyWindow(owner);
  return ok ? 0 : 2;
}

int putEmf(const char *path) {
  std::vector<unsigned char> bytes;
  if (!readFile(path, bytes))
    return 4;
  HENHMETAFILE emf = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  return emf ? put(CF_ENHMETAFILE, emf) : 4;
}

int putWmf(const char *path, long mm, long xExt, long yExt) {
  std::vector<unsigned char> bytes;
  if (!readFile(path, bytes))
    return 4;
  HMETAFILE wmf = SetMetaFileBitsEx(UINT(bytes.size()), bytes.data());
  if (!wmf)
    return 4;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
  auto *pict = static_cast<METAFILEPICT *>(GlobalLock(block));
  *pict = METAFILEPICT{mm, xExt, yExt, wmf};
  GlobalUnlock(block);
  return put(CF_METAFILEPICT, block);
}

// ---- embedding: a script of steps against one object over raw ole32.

std::string menuTexts(HMENU menu) {
  std::string s;
  for (int i = 0; menu && i < GetMenuItemCount(menu); i++) {
    char t[128] = "";
    GetMenuStringA(menu, UINT(i), t, sizeof t, MF_BYPOSITION);
    s += (i ? "|" : "") + std::string(t);
  }
  return s;
}

// The window and frame an object is shown in place in.
class Frame : public IOleInPlaceFrame {
public:
  HWND wnd = nullptr;
  HMENU own = nullptr;
  IOleInPlaceActiveObject *active = nullptr;
  HRESULT menuResult = S_OK;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceUIWindow) ||
        IsEqualIID(iid, IID_IOleInPlaceFrame)) {
      *out = static_cast<IOleInPlaceFrame *>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND *w) override {
    *w = wnd;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBorder(RECT *r) override { return GetClientRect(wnd, r) ? S_OK : E_FAIL; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR) override {
    if (object)
      object->AddRef();
    if (active)
      active->Release();
    active = object;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, OLEMENUGROUPWIDTHS *widths) override {
    for (LONG &w : widths->width)
      w = 0;
    char t[64] = "";
    GetMenuStringA(own, 0, t, sizeof t, MF_BYPOSITION);
    SetLastError(0);
    if (!InsertMenuA(shared, 0, MF_BYPOSITION | MF_POPUP | MF_STRING, UINT_PTR(GetSubMenu(own, 0)), t))
      return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_MENU_HANDLE);
    widths->width[0] = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU descriptor, HWND object) override {
    SetLastError(0);
    const BOOL ok = ::SetMenu(wnd, shared ? shared : own);
    if (shared)
      menuResult = ok ? S_OK : HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_MENU_HANDLE);
    if (ok)
      OleSetMenuDescriptor(shared ? descriptor : nullptr, wnd, object, this, active);
    return shared ? menuResult : S_OK;
  }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override {
    for (int i = GetMenuItemCount(shared) - 1; i >= 0; i--)
      if (GetSubMenu(shared, i) == GetSubMenu(own, 0))
        RemoveMenu(shared, UINT(i), MF_BYPOSITION);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
};

class Site : public IOleClientSite, public IOleInPlaceSite {
public:
  Frame frame;
  RECT place{20, 20, 420, 320};
  IOleInPlaceObject *inPlace = nullptr;
  bool uiActive = false;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite *>(this);
      AddRef();
      return S_OK;
    }
    if (frame.wnd && (IsEqualIID(iid, IID_IOleInPlaceSite) || IsEqualIID(iid, IID_IOleWindow))) {
      *out = static_cast<IOleInPlaceSite *>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND *w) override {
    *w = frame.wnd;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override {
    uiActive = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame **f, IOleInPlaceUIWindow **doc, RECT *pos, RECT *clip,
                                             OLEINPLACEFRAMEINFO *info) override {
    *f = &frame;
    *doc = nullptr;
    *pos = place;
    GetClientRect(frame.wnd, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = frame.wnd;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override {
    uiActive = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    if (inPlace)
      inPlace->Release();
    inPlace = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  void pumpFor(DWORD ms) {
    const DWORD t0 = GetTickCount();
    while (GetTickCount() - t0 < ms) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      Sleep(20);
    }
  }
  // As a container saves an object the server asks it to: into the object's own
  // storage, the same storage it was loaded from.
  HRESULT STDMETHODCALLTYPE SaveObject() override {
    HRESULT hr = S_OK;
    IPersistStorage *persist = nullptr;
    if (object && *object && storage && *storage &&
        SUCCEEDED(hr = (*object)->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist)))) {
      hr = OleSave(persist, *storage, TRUE);
      persist->SaveCompleted(nullptr);
      persist->Release();
      if (SUCCEEDED(hr))
        hr = (*storage)->Commit(STGC_DEFAULT);
    }
    std::printf("site saved %08lx\n", static_cast<unsigned long>(hr));
    std::fflush(stdout);
    saves++;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker **m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer **c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override {
    std::printf("site shows %d\n", show ? 1 : 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  ULONG refs = 1;
  int saves = 0;
  IOleObject **object = nullptr; // the embedding's, once there is one
  IStorage **storage = nullptr;
};

std::wstring wide(const char *s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

std::string narrow(const wchar_t *w) {
  int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, &s[0], n, nullptr, nullptr);
  s.resize(strlen(s.c_str()));
  return s;
}

// Exit codes: the step that failed.
enum Step {
  kCreate = 10,
  kLoad,
  kHostNames,
  kSetExtent,
  kExtent,
  kEmf,
  kMfpict,
  kDescriptor,
  kText,
  kVerb,
  kSave,
  kClose,
  kRelease,
  kWaitSave,
  kKeep,
  kUsage = 1
};

struct Embedding {
  Site site;
  IOleObject *object = nullptr;
  IStorage *storage = nullptr;
  Embedding() {
    site.object = &object;
    site.storage = &storage;
  }
  Embedding(const Embedding &) = delete;

  // Serves the server's calls until it asked for a save (up to ms).
  int waitSave(DWORD ms) {
    const int before = site.saves;
    const DWORD t0 = GetTickCount();
    while (site.saves == before) {
      if (GetTickCount() - t0 > ms)
        return fail(kWaitSave, "waitsave", E_FAIL);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return 0;
  }
  // The container's own copy of the object, as it holds it now, into a file.
  int keep(const char *path) {
    IStorage *file = nullptr;
    std::wstring w = wide(path);
    HRESULT hr = StgCreateDocfile(w.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &file);
    if (SUCCEEDED(hr))
      hr = storage->CopyTo(0, nullptr, nullptr, file);
    if (SUCCEEDED(hr))
      hr = file->Commit(STGC_DEFAULT);
    if (file)
      file->Release();
    return FAILED(hr) ? fail(kKeep, "keep", hr) : 0;
  }

  int fail(int step, const char *what, HRESULT hr) {
    std::printf("failed %s %08lx\n", what, static_cast<unsigned long>(hr));
    return step;
  }
  HRESULT start(REFCLSID clsid) {
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOleObject, reinterpret_cast<void **>(&object));
    if (FAILED(hr))
      return hr;
    return object->SetClientSite(&site);
  }
  int create(const char *clsidText) {
    CLSID clsid;
    std::wstring w = wide(clsidText);
    HRESULT hr = CLSIDFromString(w.c_str(), &clsid);
    if (SUCCEEDED(hr)) {
      ILockBytes *bytes = nullptr;
      hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
      if (SUCCEEDED(hr)) {
        hr = StgCreateDocfileOnILockBytes(bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &storage);
        bytes->Release();
      }
    }
    if (SUCCEEDED(hr))
      hr = start(clsid);
    IPersistStorage *persist = nullptr;
    if (SUCCEEDED(hr))
      hr = object->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist));
    if (SUCCEEDED(hr)) {
      hr = persist->InitNew(storage);
      persist->Release();
    }
    return FAILED(hr) ? fail(kCreate, "create", hr) : 0;
  }
  // An object from what the clipboard holds, as a container pastes it.
  int paste() {
    IDataObject *data = nullptr;
    HRESULT hr = OleGetClipboard(&data);
    if (SUCCEEDED(hr)) {
      ILockBytes *bytes = nullptr;
      hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
      if (SUCCEEDED(hr)) {
        hr = StgCreateDocfileOnILockBytes(bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &storage);
        bytes->Release();
      }
      if (SUCCEEDED(hr))
        hr = OleCreateFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, &site, storage,
                               reinterpret_cast<void **>(&object));
      data->Release();
    }
    return FAILED(hr) ? fail(kCreate, "paste", hr) : 0;
  }
  int load(const char *path) {
    std::wstring w = wide(path);
    HRESULT hr = StgOpenStorage(w.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED, nullptr, 0,
                                &storage);
    CLSID clsid = CLSID_NULL;
    if (SUCCEEDED(hr))
      hr = ReadClassStg(storage, &clsid);
    if (SUCCEEDED(hr))
      hr = start(clsid);
    IPersistStorage *persist = nullptr;
    if (SUCCEEDED(hr))
      hr = object->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist));
    if (SUCCEEDED(hr)) {
      hr = persist->Load(storage);
      persist->Release();
    }
    return FAILED(hr) ? fail(kLoad, "load", hr) : 0;
  }
  HRESULT getData(CLIPFORMAT cf, DWORD tymed, STGMEDIUM &m) {
    IDataObject *data = nullptr;
    HRESULT hr = object->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data));
    if (FAILED(hr))
      return hr;
    FORMATETC f{cf, nullptr, DVASPECT_CONTENT, -1, tymed};
    hr = data->GetData(&f, &m);
    data->Release();
    return hr;
  }
  int emf(const char *path) {
    STGMEDIUM m{};
    HRESULT hr = getData(CF_ENHMETAFILE, TYMED_ENHMF, m);
    if (FAILED(hr))
      return fail(kEmf, "emf", hr);
    UINT n = GetEnhMetaFileBits(m.hEnhMetaFile, 0, nullptr);
    std::vector<unsigned char> bytes(n);
    GetEnhMetaFileBits(m.hEnhMetaFile, n, bytes.data());
    ReleaseStgMedium(&m);
    return n && writeFile(path, bytes.data(), n) ? 0 : fail(kEmf, "emf", E_FAIL);
  }
  int mfpict(const char *path) {
    STGMEDIUM m{};
    HRESULT hr = getData(CF_METAFILEPICT, TYMED_MFPICT, m);
    if (FAILED(hr))
      return fail(kMfpict, "mfpict", hr);
    std::vector<unsigned char> bytes;
    if (auto *pict = static_cast<METAFILEPICT *>(GlobalLock(m.hMetaFilePict))) {
      UINT n = GetMetaFileBitsEx(pict->hMF, 0, nullptr);
      bytes.resize(n);
      GetMetaFileBitsEx(pict->hMF, n, bytes.data());
      std::printf("mfpict %ld %ld %ld\n", pict->mm, pict->xExt, pict->yExt);
      GlobalUnlock(m.hMetaFilePict);
    }
    ReleaseStgMedium(&m);
    return !bytes.empty() && writeFile(path, bytes.data(), bytes.size()) ? 0 : fail(kMfpict, "mfpict", E_FAIL);
  }
  int descriptor() {
    STGMEDIUM m{};
    HRESULT hr = getData(CLIPFORMAT(RegisterClipboardFormatA("Object Descriptor")), TYMED_HGLOBAL, m);
    if (FAILED(hr))
      return fail(kDescriptor, "descriptor", hr);
    auto *od = static_cast<OBJECTDESCRIPTOR *>(GlobalLock(m.hGlobal));
    LPOLESTR id = nullptr;
    StringFromCLSID(od->clsid, &id);
    const auto *base = reinterpret_cast<const unsigned char *>(od);
    std::printf(
        "descriptor %s %ld %ld %s\n", narrow(id).c_str(), od->sizel.cx, od->sizel.cy,
        od->dwFullUserTypeName ? narrow(reinterpret_cast<const wchar_t *>(base + od->dwFullUserTypeName)).c_str() : "");
    CoTaskMemFree(id);
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);
    return 0;
  }
  int text() {
    STGMEDIUM m{};
    HRESULT hr = getData(CF_TEXT, TYMED_HGLOBAL, m);
    if (FAILED(hr))
      return fail(kText, "text", hr);
    std::printf("text %s\n", static_cast<const char *>(GlobalLock(m.hGlobal)));
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);
    return 0;
  }
  int save(const char *path) {
    IStorage *file = nullptr;
    std::wstring w = wide(path);
    HRESULT hr = StgCreateDocfile(w.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &file);
    IPersistStorage *persist = nullptr;
    if (SUCCEEDED(hr))
      hr = object->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist));
    if (SUCCEEDED(hr)) {
      hr = OleSave(persist, file, FALSE); // class, then the object's own Save
      if (SUCCEEDED(hr))
        hr = persist->SaveCompleted(nullptr);
      persist->Release();
    }
    if (SUCCEEDED(hr))
      hr = file->Commit(STGC_DEFAULT);
    if (file)
      file->Release();
    return FAILED(hr) ? fail(kSave, "save", hr) : 0;
  }
  int release() {
    if (object) {
      object->SetClientSite(nullptr);
      object->Release();
    }
    object = nullptr;
    if (storage)
      storage->Release();
    storage = nullptr;
    return 0;
  }
};

// olectr embed <step>...: create <clsid> | load <file> | hostnames <app> <obj> |
// setextent <cx> <cy> | extent | emf <file> | mfpict <file> | descriptor | text |
// verb <n> | save <file> | close | release | sleep <ms> | paste (create from the clipboard) |
// waitsave <ms> (until the server asked the site to save the object) | keep <file> (the
// container's storage of the object copied to file) | inplace <ms> | deactivate
int embed(int argc, char **argv) {
  Embedding e;
  int rc = 0;
  for (int i = 0; i < argc && rc == 0; i++) {
    const std::string step = argv[i];
    auto arg = [&](int k) -> const char * { return i + k < argc ? argv[i + k] : nullptr; };
    if (step != "create" && step != "load" && step != "paste" && step != "sleep" && !e.object && step != "release")
      return kUsage;
    if (step == "create" && arg(1)) {
      rc = e.create(arg(1));
      i++;
    } else if (step == "paste") {
      rc = e.paste();
    } else if (step == "load" && arg(1)) {
      rc = e.load(arg(1));
      i++;
    } else if (step == "hostnames" && arg(2)) {
      HRESULT hr = e.object->SetHostNames(wide(arg(1)).c_str(), wide(arg(2)).c_str());
      rc = FAILED(hr) ? e.fail(kHostNames, "hostnames", hr) : 0;
      i += 2;
    } else if (step == "setextent" && arg(2)) {
      SIZEL size{std::atol(arg(1)), std::atol(arg(2))};
      HRESULT hr = e.object->SetExtent(DVASPECT_CONTENT, &size);
      rc = FAILED(hr) ? e.fail(kSetExtent, "setextent", hr) : 0;
      i += 2;
    } else if (step == "extent") {
      SIZEL size{};
      HRESULT hr = e.object->GetExtent(DVASPECT_CONTENT, &size);
      if (SUCCEEDED(hr))
        std::printf("extent %ld %ld\n", size.cx, size.cy);
      rc = FAILED(hr) ? e.fail(kExtent, "extent", hr) : 0;
    } else if (step == "emf" && arg(1)) {
      rc = e.emf(arg(1));
      i++;
    } else if (step == "mfpict" && arg(1)) {
      rc = e.mfpict(arg(1));
      i++;
    } else if (step == "descriptor") {
      rc = e.descriptor();
    } else if (step == "text") {
      rc = e.text();
    } else if (step == "verb" && arg(1)) {
      RECT r{0, 0, 100, 100};
      HRESULT hr = e.object->DoVerb(std::atol(arg(1)), nullptr, &e.site, 0, nullptr, &r);
      rc = FAILED(hr) ? e.fail(kVerb, "verb", hr) : 0;
      i++;
    } else if (step == "save" && arg(1)) {
      rc = e.save(arg(1));
      i++;
    } else if (step == "inplace" && arg(2)) {
      Frame &f = e.site.frame;
      f.own = CreateMenu();
      HMENU file = CreatePopupMenu();
      AppendMenuA(file, MF_STRING, 100, "&Quit");
      AppendMenuA(f.own, MF_POPUP | MF_STRING, UINT_PTR(file), "olectr &File");
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      wc.lpszClassName = "OlectrInPlace";
      RegisterClassA(&wc);
      f.wnd = CreateWindowA("OlectrInPlace", "olectr in place", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0,
                            0, 640, 480, nullptr, f.own, nullptr, nullptr);
      UpdateWindow(f.wnd);
      HRESULT hr = e.object->DoVerb(OLEIVERB_SHOW, nullptr, &e.site, 0, f.wnd, &e.site.place);
      std::printf("inplace %08lx\n", static_cast<unsigned long>(hr));
      if (SUCCEEDED(hr))
        e.object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(&e.site.inPlace));
      if (e.site.uiActive)
        std::printf("uiactive\n");
      std::printf("menu %08lx %s\n", static_cast<unsigned long>(f.menuResult), menuTexts(GetMenu(f.wnd)).c_str());
      HWND object = nullptr;
      if (e.site.inPlace && SUCCEEDED(e.site.inPlace->GetWindow(&object)) && object)
        std::printf("window %d\n", GetParent(object) == f.wnd ? 1 : 0);
      std::fflush(stdout);
      // Seen from here, as the user sees it: the object's place against olectr's grey.
      const DWORD ms = DWORD(std::atol(arg(1)));
      const DWORD t0 = GetTickCount();
      bool painted = false;
      RECT sr{};
      std::vector<uint32_t> px;
      do {
        e.site.pumpFor(100);
        px = screen_capture(f.wnd, sr);
        POINT mid{(e.site.place.left + e.site.place.right) / 2, (e.site.place.top + e.site.place.bottom) / 2};
        POINT grey{e.site.place.right + 40, e.site.place.bottom + 40};
        ClientToScreen(f.wnd, &mid);
        ClientToScreen(f.wnd, &grey);
        const size_t w = size_t(sr.right - sr.left);
        painted = px[size_t(mid.y - sr.top) * w + size_t(mid.x - sr.left)] !=
                  px[size_t(grey.y - sr.top) * w + size_t(grey.x - sr.left)];
      } while (!painted && GetTickCount() - t0 < ms);
      write_png(arg(2), sr.right - sr.left, sr.bottom - sr.top, px);
      std::printf("painted %d\n", painted ? 1 : 0);
      std::fflush(stdout);
      const DWORD spent = GetTickCount() - t0;
      e.site.pumpFor(spent < ms ? ms - spent : 0);
      rc = FAILED(hr) ? e.fail(kVerb, "inplace", hr) : 0;
      i += 2;
    } else if (step == "deactivate") {
      IOleInPlaceObject *held = e.site.inPlace; // the site lets go of it during the call
      if (held)
        held->AddRef();
      HRESULT hr = held ? held->InPlaceDeactivate() : E_UNEXPECTED;
      if (held)
        held->Release();
      e.site.pumpFor(200);
      std::printf("deactivated %08lx %d\n", static_cast<unsigned long>(hr), e.site.inPlace ? 0 : 1);
      std::printf("menu %s\n", menuTexts(GetMenu(e.site.frame.wnd)).c_str());
      rc = FAILED(hr) ? e.fail(kVerb, "deactivate", hr) : 0;
    } else if (step == "close") {
      HRESULT hr = e.object->Close(OLECLOSE_NOSAVE);
      rc = FAILED(hr) ? e.fail(kClose, "close", hr) : 0;
    } else if (step == "release") {
      rc = e.release();
    } else if (step == "waitsave" && arg(1)) {
      rc = e.waitSave(DWORD(std::atol(arg(1))));
      i++;
    } else if (step == "keep" && arg(1)) {
      rc = e.keep(arg(1));
      i++;
    } else if (step == "sleep" && arg(1)) {
      Sleep(DWORD(std::atol(arg(1))));
      i++;
    } else {
      return kUsage;
    }
    std::fflush(stdout);
  }
  e.release();
  return rc;
}

} // namespace

// ---- linking: monikers bound as a linking container binds them.

std::string clsidText(REFCLSID clsid) {
  LPOLESTR text = nullptr;
  if (FAILED(StringFromCLSID(clsid, &text)) || !text)
    return "?";
  std::string s = narrow(text);
  CoTaskMemFree(text);
  return s;
}

// The bound object's enhanced metafile, as a linking container caches it.
bool writeEmf(IOleObject *object, const char *path) {
  IDataObject *data = nullptr;
  if (FAILED(object->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data))))
    return false;
  FORMATETC f{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  STGMEDIUM m{};
  HRESULT hr = data->GetData(&f, &m);
  data->Release();
  if (FAILED(hr) || m.tymed != TYMED_ENHMF) {
    std::printf("emf %08lx\n", static_cast<unsigned long>(hr));
    return false;
  }
  ENHMETAHEADER head{};
  if (GetEnhMetaFileHeader(m.hEnhMetaFile, sizeof head, &head))
    std::printf("frame %ld %ld\n", head.rclFrame.right, head.rclFrame.bottom);
  UINT n = GetEnhMetaFileBits(m.hEnhMetaFile, 0, nullptr);
  std::vector<unsigned char> bytes(n);
  GetEnhMetaFileBits(m.hEnhMetaFile, n, bytes.data());
  ReleaseStgMedium(&m);
  return n && writeFile(path, bytes.data(), n);
}

// linkshow: after the bind the object is shown and held this long.
DWORD showMs = 0;
bool showAfterBind = false;

int bindAndTell(IMoniker *moniker, const char *emfPath = nullptr) {
  IBindCtx *ctx = nullptr;
  if (FAILED(CreateBindCtx(0, &ctx)))
    return 2;
  LPOLESTR name = nullptr;
  if (SUCCEEDED(moniker->GetDisplayName(ctx, nullptr, &name)) && name) {
    std::printf("moniker %s\n", narrow(name).c_str());
    CoTaskMemFree(name);
  }
  IOleObject *object = nullptr;
  HRESULT hr = moniker->BindToObject(ctx, nullptr, IID_IOleObject, reinterpret_cast<void **>(&object));
  if (hr == E_INVALIDARG) {
    // Wine's composite looks only in the running object table; the documented next
    // step binds the rightmost part with the rest to its left.
    std::vector<IMoniker *> parts;
    IEnumMoniker *e = nullptr;
    if (SUCCEEDED(moniker->Enum(TRUE, &e)) && e) {
      IMoniker *m = nullptr;
      while (e->Next(1, &m, nullptr) == S_OK)
        parts.push_back(m);
      e->Release();
    }
    if (parts.size() >= 2) {
      IMoniker *left = parts[0];
      left->AddRef();
      for (size_t i = 1; i + 1 < parts.size(); ++i) {
        IMoniker *joined = nullptr;
        CreateGenericComposite(left, parts[i], &joined);
        left->Release();
        left = joined;
      }
      if (left) {
        hr = parts.back()->BindToObject(ctx, left, IID_IOleObject, reinterpret_cast<void **>(&object));
        left->Release();
      }
    }
    for (IMoniker *m : parts)
      m->Release();
  }
  ctx->Release();
  if (FAILED(hr) || !object) {
    std::printf("bind %08lx\n", static_cast<unsigned long>(hr));
    return 3;
  }
  SIZEL size{};
  hr = object->GetExtent(DVASPECT_CONTENT, &size);
  if (SUCCEEDED(hr))
    std::printf("extent %ld %ld\n", size.cx, size.cy);
  CLSID clsid = CLSID_NULL;
  if (SUCCEEDED(object->GetUserClassID(&clsid)))
    std::printf("class %s\n", clsidText(clsid).c_str());
  if (SUCCEEDED(hr) && emfPath && !writeEmf(object, emfPath))
    hr = E_FAIL;
  if (SUCCEEDED(hr) && showAfterBind) {
    RECT r{0, 0, 100, 100};
    const HRESULT shown = object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, &r);
    std::printf("shown %08lx\n", static_cast<unsigned long>(shown));
    std::fflush(stdout);
    const DWORD t0 = GetTickCount();
    while (GetTickCount() - t0 < showMs) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
      Sleep(20);
    }
    if (FAILED(shown))
      hr = shown;
  }
  object->Release();
  return SUCCEEDED(hr) ? 0 : 3;
}

int bind(const char *file, const char *item, const char *emfPath) {
  std::wstring w = wide(file);
  IMoniker *moniker = nullptr;
  if (FAILED(CreateFileMoniker(w.c_str(), &moniker)))
    return 2;
  if (item) {
    IMoniker *part = nullptr, *full = nullptr;
    std::wstring i = wide(item);
    HRESULT hr = CreateItemMoniker(L"!", i.c_str(), &part);
    if (SUCCEEDED(hr)) {
      hr = CreateGenericComposite(moniker, part, &full);
      part->Release();
    }
    moniker->Release();
    if (FAILED(hr))
      return 2;
    moniker = full;
  }
  int rc = bindAndTell(moniker, emfPath);
  moniker->Release();
  return rc;
}

int link() {
  IDataObject *data = nullptr;
  if (OleGetClipboard(&data) != S_OK || !data)
    return 2;
  FORMATETC f{CLIPFORMAT(RegisterClipboardFormatA("Link Source")), nullptr, DVASPECT_CONTENT, -1,
              TYMED_ISTREAM | TYMED_HGLOBAL};
  STGMEDIUM m{};
  HRESULT hr = data->GetData(&f, &m);
  data->Release();
  if (hr != S_OK) {
    std::printf("no link source %08lx\n", static_cast<unsigned long>(hr));
    return 3;
  }
  IStream *stream = nullptr;
  if (m.tymed == TYMED_ISTREAM) {
    stream = m.pstm;
    stream->AddRef();
  } else if (m.tymed == TYMED_HGLOBAL) {
    CreateStreamOnHGlobal(m.hGlobal, FALSE, &stream);
  }
  if (!stream) {
    ReleaseStgMedium(&m);
    return 3;
  }
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  IMoniker *moniker = nullptr;
  hr = OleLoadFromStream(stream, IID_IMoniker, reinterpret_cast<void **>(&moniker));
  CLSID clsid = CLSID_NULL;
  if (SUCCEEDED(hr))
    hr = ReadClassStm(stream, &clsid);
  stream->Release();
  ReleaseStgMedium(&m);
  if (FAILED(hr)) {
    std::printf("bad link source %08lx\n", static_cast<unsigned long>(hr));
    if (moniker)
      moniker->Release();
    return 3;
  }
  std::printf("class %s\n", clsidText(clsid).c_str());
  int rc = bindAndTell(moniker);
  moniker->Release();
  return rc;
}

int main(int argc, char **argv) {
  if (argc < 2)
    return 1;
  if (FAILED(OleInitialize(nullptr)))
    return 2;
  std::string cmd = argv[1];
  int rc = 1;
  if (cmd == "list")
    rc = list();
  else if (cmd == "get" && argc == 4)
    rc = get(argv[2], argv[3]);
  else if (cmd == "putemf" && argc == 3)
    rc = putEmf(argv[2]);
  else if (cmd == "embed")
    rc = embed(argc - 2, argv + 2);
  else if (cmd == "bind" && (argc == 3 || argc == 4))
    rc = bind(argv[2], argc == 4 ? argv[3] : nullptr, nullptr);
  else if (cmd == "bind" && argc == 6 && std::strcmp(argv[4], "emf") == 0)
    rc = bind(argv[2], argv[3], argv[5]);
  else if (cmd == "linkshow" && argc == 6) {
    showAfterBind = true;
    showMs = DWORD(std::atol(argv[5]));
    rc = bind(argv[2], argv[3], argv[4]);
  } else if (cmd == "link" && argc == 2)
    rc = link();
  else if (cmd == "putwmf" && argc == 6)
    rc = putWmf(argv[2], std::atol(argv[3]), std::atol(argv[4]), std::atol(argv[5]));
  std::fflush(stdout);
  OleUninitialize();
  return rc;
}
