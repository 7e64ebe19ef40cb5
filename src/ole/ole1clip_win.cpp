#include "ole/ole1clip.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "database/store.h"
#include "display/view/viewtbl.h"
#include "files/sealread.h"
#include "files/sealsave.h"
#include "files/sealsavewin.h"
#include "settings/params.h"
#include "settings/syspath.h"

Ole1Area Ole1Taken = {};

namespace {

UINT native_fmt = 0, ownerlink_fmt = 0;
constexpr size_t CHUNK = 8192;

std::string temp_path() {
  char dir[262] = "";
  sys_path('R', 4, dir);
  std::string p = dir;
  if (!p.empty() && p.back() != '\\' && p.back() != '/')
    p += '\\';
  return p + "KLOLETMP.$$$";
}

HGLOBAL fail(HGLOBAL h, const std::string &tmp, int code, int *error) {
  if (h)
    GlobalFree(h);
  DeleteFileA(tmp.c_str());
  if (error)
    *error = code;
  return nullptr;
}

bool has_drawing(int dwg) { return dwg >= 0 && dwg < 2 && vew_mask(dwg) != 0; }

} // namespace

void Ole1RegFormats() {
  ownerlink_fmt = RegisterClipboardFormatA("OwnerLink");
  native_fmt = RegisterClipboardFormatA("Native");
}

UINT Ole1ClipFormat(int form) { return form == OLE1_NATIVE ? native_fmt : form == OLE1_OWNERLINK ? ownerlink_fmt : 0; }

HGLOBAL ole1_descriptor(const char *document, const char *item) {
  const char *parts[3] = {"KIVO-LANT", document ? document : "", item ? item : ""};
  size_t n = 1;
  for (const char *p : parts)
    n += std::strlen(p) + 1;
  if (n >= OLE1_MAXDESC)
    return nullptr;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, n);
  char *p = h ? static_cast<char *>(GlobalLock(h)) : nullptr;
  if (!p) {
    if (h)
      GlobalFree(h);
    return nullptr;
  }
  for (const char *s : parts) {
    const size_t len = std::strlen(s) + 1;
    std::memcpy(p, s, len);
    p += len;
  }
  GlobalUnlock(h);
  return h;
}

HGLOBAL ole1_native(int dwg, const double rect[4], const RECT &device, int *error) {
  const std::string tmp = temp_path();
  if (error)
    *error = 0;
  // Saved as a seal file without packing: a copy to the clipboard must not touch
  // the drawing's undo journal.
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  const int32_t keep = SlfSaveCount;
  SlfSaveCount = int32_t(DbCtl[dwg].count1);
  const int saved = slf_save(dwg, tmp.c_str(), 3, &env);
  SlfSaveCount = keep;
  if (saved != SLF_SAVED)
    return fail(nullptr, tmp, 1002, error);
  HANDLE f = CreateFileA(tmp.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE)
    return fail(nullptr, tmp, 1003, error);
  LARGE_INTEGER size{};
  GetFileSizeEx(f, &size);
  if (size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF - LONGLONG(OLE1_HEADSIZE)) {
    CloseHandle(f);
    return fail(nullptr, tmp, 1004, error);
  }
  const size_t body = size_t(size.QuadPart);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, OLE1_HEADSIZE + body);
  auto *p = h ? static_cast<uint8_t *>(GlobalLock(h)) : nullptr;
  if (!p) {
    CloseHandle(f);
    return fail(h, tmp, 1005, error);
  }
  std::snprintf(reinterpret_cast<char *>(p), 128, "KIVO LANT Native Data V1.0 [%s]", "");
  std::memcpy(p + 128, rect, 4 * sizeof(double));
  const int32_t dev[4] = {int32_t(device.left), int32_t(device.top), int32_t(device.right), int32_t(device.bottom)};
  std::memcpy(p + 160, dev, sizeof dev);
  for (size_t at = 0; at < body;) {
    DWORD got = 0;
    const DWORD want = DWORD(body - at < CHUNK ? body - at : CHUNK);
    if (!ReadFile(f, p + OLE1_HEADSIZE + at, want, &got, nullptr) || got != want) {
      GlobalUnlock(h);
      CloseHandle(f);
      return fail(h, tmp, 1006, error);
    }
    at += got;
  }
  GlobalUnlock(h);
  CloseHandle(f);
  DeleteFileA(tmp.c_str());
  return h;
}

int ole1_takenative(HGLOBAL data, int dwg) {
  if (!data || GlobalSize(data) == 0)
    return 1001;
  const std::string tmp = temp_path();
  auto failed = [&](int code) {
    GlobalFree(data);
    DeleteFileA(tmp.c_str());
    return code;
  };
  const size_t n = GlobalSize(data);
  const auto *p = static_cast<const uint8_t *>(GlobalLock(data));
  if (!p)
    return failed(1002);
  if (n < OLE1_MINNATIVE) {
    GlobalUnlock(data);
    return failed(1004);
  }
  Ole1Area area{};
  std::memcpy(area.rect, p + 128, sizeof area.rect);
  int32_t dev[4];
  std::memcpy(dev, p + 160, sizeof dev);
  HANDLE f = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    GlobalUnlock(data);
    return failed(1003);
  }
  for (size_t at = OLE1_HEADSIZE; at < n;) {
    DWORD put = 0;
    const DWORD want = DWORD(n - at < CHUNK ? n - at : CHUNK);
    if (!WriteFile(f, p + at, want, &put, nullptr) || put != want) {
      CloseHandle(f);
      GlobalUnlock(data);
      return failed(1005);
    }
    at += put;
  }
  CloseHandle(f);
  GlobalUnlock(data);
  uint8_t header[256];
  if (slf_load(dwg, tmp.c_str(), 0, 0, header) != 0)
    return failed(1006); // a load that failed is not reported as taken
  area.device = RECT{0, 0, LONG(dev[2] - dev[0]), LONG(dev[3] - dev[1])};
  Ole1Taken = area;
  GlobalFree(data);
  DeleteFileA(tmp.c_str());
  return 0;
}

HGLOBAL RenderOle1Data(int dwg, const double rect[4], int form, const RECT *device) {
  dwg &= ~0x8000; // the area copy marks the native form in bit 15
  const RECT dev = device ? *device : RECT{0, 0, 0, 0};
  if (form == OLE1_NATIVE) {
    if (!has_drawing(dwg) || !rect)
      return nullptr;
    int error = 0;
    return ole1_native(dwg, rect, dev, &error);
  }
  if (!has_drawing(dwg) || !rect)
    return ole1_descriptor("(\?\?\?)", "不明");
  std::string doc;
  if (form == OLE1_OWNERLINK) {
    char name[262] = "";
    sys_dwgname('R', dwg, 0, name);
    if (name[0]) {
      char dir[262] = "";
      sys_path('R', 4, dir);
      doc = std::string(dir) + name;
    } else {
      char text[32];
      std::snprintf(text, sizeof text, "新規図面%d", dwg + 1);
      doc = text;
    }
  } else {
    doc = "(Unknown)";
  }
  char item[200];
  std::snprintf(item, sizeof item, "図面領域(%.1f,%.1f)-(%.1f,%.1f),ﾄﾞｯﾄ数(%d,%d)", rect[0], rect[1], rect[2], rect[3],
                int(dev.right - dev.left + 1), int(dev.bottom - dev.top + 1));
  return ole1_descriptor(doc.c_str(), item);
}
