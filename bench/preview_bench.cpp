// preview_bench [font folder] [runs]: one paint of the seal preview control into a
// 240 x 240 DIB, for a seal of 300 elements (lines, arcs and four texts of 40
// characters in all) read from a file in the temporary folder, with the high-quality
// stroke font. Prints the median and the fastest paint. Goal: under 10 ms under Wine.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "benchclock.h"
#include "display/fonts/fontfile.h"
#include "files/sealfmt.h"
#include "plugin/rarucfg.h"
#include "plugin/rarudisp.h"

namespace {

std::vector<uint8_t> sealfile() {
  std::vector<uint8_t> b(256, 0);
  std::memcpy(b.data() + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN);
  slf_put<int16_t>(b.data(), SLF_OFF_VERSION, 1);
  slf_put<uint16_t>(b.data(), SLF_OFF_OUTLINE, 2);
  slf_put<double>(b.data(), SLF_OFF_WIDTH, 12);
  slf_put<double>(b.data(), SLF_OFF_HEIGHT, 12);
  auto rec = [&](int kind) {
    b.resize(b.size() + 80, 0);
    uint8_t *r = b.data() + b.size() - 80;
    slf_put<uint16_t>(r, 4, uint16_t(kind));
    slf_put<int32_t>(r, 66, -1);
    return r;
  };
  const char *texts[4] = {"ABCDEFGHIJ", "0123456789", "KLMNOPQRST", "2026.12.11"};
  for (int i = 0; i < 4; i++) {
    uint8_t *r = rec(8);
    slf_put<float>(r, 20, -7.0f);
    slf_put<float>(r, 24, 6.0f - 4.0f * float(i));
    slf_put<float>(r, 28, 2.5f);
    slf_put<float>(r, 32, 1.3f);
    slf_put<float>(r, 36, 0.1f);
    slf_put<int16_t>(r, 50, 10);
    std::memcpy(r + 52, texts[i], 10);
  }
  for (int i = 0; i < 296; i++) {
    const double a = i * 360.0 / 296 * 3.14159265358979 / 180;
    if (i % 2) {
      uint8_t *r = rec(2);
      slf_put<double>(r, 20, 11 * std::cos(a));
      slf_put<double>(r, 28, 11 * std::sin(a));
      slf_put<double>(r, 36, 12 * std::cos(a));
      slf_put<double>(r, 44, 12 * std::sin(a));
    } else {
      uint8_t *r = rec(4);
      slf_put<double>(r, 36, 9 + (i % 20) * 0.1);
      slf_put<double>(r, 44, i % 360);
      slf_put<double>(r, 52, (i + 90) % 360);
    }
  }
  slf_put<int32_t>(b.data(), SLF_OFF_COUNT, int32_t((b.size() - 256) / 80));
  return b;
}

} // namespace

int main(int argc, char **argv) {
  const char *fonts = argc > 1 ? argv[1] : INK_FONT_DIR;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  if (fnt_open(2, fonts, 50) != 0) {
    std::fprintf(stderr, "no high-quality font in %s\n", fonts);
    return 1;
  }
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string folder = tmp;
  if (!folder.empty() && folder.back() == '\\')
    folder.pop_back();
  const std::vector<uint8_t> bytes = sealfile();
  const std::string path = folder + "\\preview_bench.ksl";
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f)
    return 1;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  char name[262] = "preview_bench.ksl", dir[262] = {};
  std::strncpy(dir, folder.c_str(), sizeof dir - 1);
  Raru_SysPreviewFile('W', name);
  Raru_SysListFolder('W', dir);

  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = 240;
  bi.bmiHeader.biHeight = -240;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  RaruDisp_PaintDC(dc, 240, 240); // warm
  std::vector<double> ms;
  for (int i = 0; i < runs; i++) {
    const double t0 = bench_now();
    RaruDisp_PaintDC(dc, 240, 240);
    GdiFlush();
    ms.push_back((bench_now() - t0) * 1000);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("preview paint, 300 elements, 40 characters: median %.3f ms, fastest %.3f ms (%d runs)\n",
              ms[ms.size() / 2], ms[0], runs);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
  DeleteFileA(path.c_str());
  fnt_close();
  return 0;
}
