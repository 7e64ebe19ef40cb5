// A second process for the clipboard tests.
//   clipreader hold <tag>        opens the clipboard, sets event <tag>.held and keeps
//                                the clipboard until event <tag>.release (at most 20 s)
//   clipreader read <out file>   writes what the clipboard holds, one fact a line:
//     formats <n>                  formats on the clipboard
//     metafilepict <mm> <x> <y>    CF_METAFILEPICT mapping mode and extents
//     metafile <w> <h> <ink> <l> <t> <r> <b>  the metafile played into a w x h DIB:
//                                  pixels not white and their bounds
//     bitmap <w> <h> <dx> <dy>     CF_BITMAP size and dimension
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int hold(const std::string &tag) {
  HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (tag + ".held").c_str());
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (tag + ".release").c_str());
  // A window of its own: Wine lets a second opener with no window in when the holder
  // has none either.
  HWND own = CreateWindowA("STATIC", "clipholder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!held || !release || !own || !OpenClipboard(own))
    return 2;
  SetEvent(held);
  WaitForSingleObject(release, 20000);
  CloseClipboard();
  return 0;
}

void play(FILE *out, HMETAFILE mf, int mm, int xext, int yext) {
  const int w = 200, h = 200 * (yext > 0 ? yext : 1) / (xext > 0 ? xext : 1) + 1;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dib || !dc)
    return;
  HGDIOBJ old = SelectObject(dc, dib);
  PatBlt(dc, 0, 0, w, h, WHITENESS);
  SetMapMode(dc, mm);
  SetViewportExtEx(dc, w, h, nullptr);
  PlayMetaFile(dc, mf);
  GdiFlush();
  long ink = 0;
  int l = w, t = h, r = -1, b = -1;
  const DWORD *px = static_cast<const DWORD *>(bits);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      if ((px[y * w + x] & 0xFFFFFF) != 0xFFFFFF) {
        ink++;
        l = x < l ? x : l;
        t = y < t ? y : t;
        r = x > r ? x : r;
        b = y > b ? y : b;
      }
  std::fprintf(out, "metafile %d %d %ld %d %d %d %d\n", w, h, ink, l, t, r, b);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
}

int read(const char *path) {
  FILE *out = std::fopen(path, "w");
  if (!out)
    return 2;
  if (!OpenClipboard(nullptr)) {
    std::fclose(out);
    return 3;
  }
  std::fprintf(out, "formats %d\n", CountClipboardFormats());
  if (HANDLE h = GetClipboardData(CF_METAFILEPICT)) {
    if (auto *mfp = static_cast<METAFILEPICT *>(GlobalLock(h))) {
      std::fprintf(out, "metafilepict %ld %ld %ld\n", mfp->mm, mfp->xExt, mfp->yExt);
      play(out, mfp->hMF, mfp->mm, mfp->xExt, mfp->yExt);
      GlobalUnlock(h);
    }
  }
  if (HBITMAP bmp = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP bm{};
    SIZE dim{};
    GetObjectA(bmp, sizeof bm, &bm);
    GetBitmapDimensionEx(bmp, &dim);
    std::fprintf(out, "bitmap %ld %ld %ld %ld\n", bm.bmWidth, bm.bmHeight, dim.cx, dim.cy);
  }
  CloseClipboard();
  std::fclose(out);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 3 && !std::strcmp(argv[1], "hold"))
    return hold(argv[2]);
  if (argc == 3 && !std::strcmp(argv[1], "read"))
    return read(argv[2]);
  return 1;
}
