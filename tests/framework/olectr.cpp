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
// Exit 0 on success; 1 usage, 2 clipboard not available, 3 format not there, 4 file.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const struct {
  UINT number;
  const char *name;
} kStandard[] = {{CF_TEXT, "CF_TEXT"},
                 {CF_BITMAP, "CF_BITMAP"},
                 {CF_METAFILEPICT, "CF_METAFILEPICT"},
                 {CF_DIB, "CF_DIB"},
                 {CF_UNICODETEXT, "CF_UNICODETEXT"},
                 {CF_OEMTEXT, "CF_OEMTEXT"},
                 {CF_LOCALE, "CF_LOCALE"},
                 {CF_ENHMETAFILE, "CF_ENHMETAFILE"},
                 {CF_DIBV5, "CF_DIBV5"},
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

} // namespace

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
  else if (cmd == "putwmf" && argc == 6)
    rc = putWmf(argv[2], std::atol(argv[3]), std::atol(argv[4]), std::atol(argv[5]));
  std::fflush(stdout);
  OleUninitialize();
  return rc;
}
