// The seal preview control drawn into a DIB and shown in a window.
#include <algorithm>
#include <cstring>

#include "../common/pngwrite.h"
#include "../common/screencap.h"
#include "display/fonts/fontfile.h"
#include "plugin/rarudisp.h"
#include "plugwork.h"
#include "sealfile.h"

namespace {

constexpr uint32_t RED = 0xFF0000, BLACK = 0x000000, BACK = 0xFFFFFF;

struct Dib {
  int w, h;
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t *bits = nullptr;
  Dib(int w_, int h_) : w(w_), h(h_) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void *p = nullptr;
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t *>(p);
    old = SelectObject(dc, bmp);
    std::memset(bits, 0x55, size_t(w) * h * 4); // neither background nor ink
  }
  ~Dib() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  uint32_t at(int x, int y) const { return bits[size_t(y) * w + x] & 0xFFFFFF; }
  // Extent of the pixels of one colour.
  struct Ext {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1, n = 0;
  };
  Ext extent(uint32_t colour) const {
    GdiFlush();
    Ext e;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++)
        if (at(x, y) == colour) {
          e.x0 = std::min(e.x0, x);
          e.x1 = std::max(e.x1, x);
          e.y0 = std::min(e.y0, y);
          e.y1 = std::max(e.y1, y);
          e.n++;
        }
    return e;
  }
};

class Preview : public PluginWork {
protected:
  void SetUp() override {
    PluginWork::SetUp();
    char name[262] = "seal.ksl", dir[262] = {};
    std::strcpy(dir, folder().c_str());
    Raru_SysPreviewFile('W', name);
    Raru_SysListFolder('W', dir);
    colour(0);
    ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
  }
  void TearDown() override {
    fnt_close();
    PluginWork::TearDown();
  }
  static void colour(int c) {
    RaruSettings s{};
    s.sealColor = c;
    Raru_SysSettings('W', &s);
  }
  void seal(const SealBuilder &b, int count = -99) { write("seal.ksl", b.bytes(count)); }
};

TEST_F(Preview, RectanglesFitTheirLongerSideAndCirclesTheirDiameter) {
  struct Case {
    int kind;
    double w, h;
    bool byWidth;
  } cases[] = {{1, 20, 10, true}, {1, 10, 20, false}, {2, 10, 10, true}};
  for (const auto &c : cases) {
    SealBuilder b;
    b.outline(c.kind, 0, 0, c.w, c.h);
    if (c.kind == 1)
      b.line(-c.w / 2, -c.h / 2, c.w / 2, -c.h / 2).line(c.w / 2, -c.h / 2, c.w / 2, c.h / 2)
          .line(c.w / 2, c.h / 2, -c.w / 2, c.h / 2).line(-c.w / 2, c.h / 2, -c.w / 2, -c.h / 2);
    else
      b.arc(0, 0, c.w, 0, 360);
    seal(b);
    Dib d(202, 202);
    RaruDisp_PaintDC(d.dc, 202, 202); // W = H = 200 inside the 1-pixel border
    const auto e = d.extent(RED);
    ASSERT_GT(e.n, 0);
    const int span = c.byWidth ? e.x1 - e.x0 : e.y1 - e.y0;
    EXPECT_NEAR(span, 160, 2) << c.kind << " " << c.w;
    const int other = c.byWidth ? e.y1 - e.y0 : e.x1 - e.x0;
    EXPECT_NEAR(other, c.kind == 2 ? 160 : 80, 2);
    EXPECT_NEAR((e.x0 + e.x1) / 2.0, 100, 2);
    EXPECT_NEAR((e.y0 + e.y1) / 2.0, 101, 2);
    EXPECT_EQ(d.at(0, 0), 0x555555u); // the border stays as it was
    EXPECT_EQ(d.at(5, 5), BACK);
  }
}

TEST_F(Preview, ColourIndexPicksTheInk) {
  SealBuilder b;
  b.outline(1, 0, 0, 20, 10).line(-10, 0, 10, 0);
  seal(b);
  struct Case {
    int index;
    uint32_t ink;
  } cases[] = {{0, RED}, {1, 0xFFFFFF}, {2, BLACK}, {7, BLACK}, {-1, BLACK}};
  hst_setbackcolor(RGB(0, 0, 255));
  for (const auto &c : cases) {
    colour(c.index);
    Dib d(100, 60);
    RaruDisp_PaintDC(d.dc, 100, 60);
    EXPECT_GT(d.extent(c.ink).n, 50) << c.index;
    EXPECT_EQ(d.at(3, 3), 0x0000FFu); // host background (COLORREF blue)
  }
}

TEST_F(Preview, BracketedCharacterIsHalfSizeAndRaised) {
  // Three texts on one line, each of one character, to measure them apart.
  SealBuilder b;
  b.outline(1, 15, 5, 30, 10).text("A", 0, 0, 10, 10, 0).text("B", 10, 0, 10, 10, 0).text("[C]", 20, 0, 10, 10, 0);
  seal(b);
  Dib whole(302, 302);
  RaruDisp_PaintDC(whole.dc, 302, 302);
  // The same seal with only "AB[C]" as one text: the same picture.
  SealBuilder one;
  one.outline(1, 15, 5, 30, 10).text("AB[C]", 0, 0, 10, 10, 0);
  seal(one);
  Dib joined(302, 302);
  RaruDisp_PaintDC(joined.dc, 302, 302);
  GdiFlush();
  EXPECT_EQ(std::memcmp(whole.bits, joined.bits, size_t(302) * 302 * 4), 0);
  // Measure A (full size at x 0..10) against C (x 20..25): s = 0.8 * 300 / 30 = 8.
  auto ext = [&](const Dib &d, int x0, int x1) {
    Dib::Ext e;
    for (int y = 0; y < d.h; y++)
      for (int x = x0; x < x1; x++)
        if (d.at(x, y) == RED) {
          e.x0 = std::min(e.x0, x), e.x1 = std::max(e.x1, x), e.y0 = std::min(e.y0, y), e.y1 = std::max(e.y1, y);
          e.n++;
        }
    return e;
  };
  // Device x of world x: 150 - 8 * 15 + 8 * x = 30 + 8x.
  const auto a = ext(joined, 30, 110), c = ext(joined, 190, 240);
  ASSERT_GT(a.n, 0);
  ASSERT_GT(c.n, 0);
  EXPECT_NEAR(c.y1 - c.y0, (a.y1 - a.y0) / 2.0, 3);
  // Raised by half the height (40 pixels): C's bottom is at A's half height minus 40.
  const int base = 301 - (150 - 40); // device y of world y 0
  EXPECT_NEAR(c.y1, base - 40 - (base - a.y1) / 2.0, 3);
}

TEST_F(Preview, WithoutFontsTheLinesStillDraw) {
  fnt_close();
  SealBuilder b;
  b.outline(1, 0, 0, 20, 10).line(-10, 0, 10, 0).text("AB", 0, 0, 5, 5, 0);
  seal(b);
  Dib d(100, 60);
  RaruDisp_PaintDC(d.dc, 100, 60);
  const auto e = d.extent(RED);
  EXPECT_GT(e.n, 50);
  EXPECT_EQ(e.y0, e.y1); // only the line
}

TEST_F(Preview, DamagedSealsDrawWithoutCrashOrHang) {
  SealBuilder text;
  text.outline(1, 0, 0, 20, 10).text(std::string(60, 'A'), -10, 0, 2, 2, 0);
  std::vector<uint8_t> cyclic = text.bytes();
  slf_put<int32_t>(cyclic.data() + 256 + 80, 66, 1); // the continuation links back
  SealBuilder kind0;
  kind0.outline(0, 0, 0, 0, 0).line(0, 0, 20, 10);
  SealBuilder lines;
  lines.outline(1, 0, 0, 20, 10).line(-10, 0, 10, 0).line(0, -5, 0, 5);
  std::vector<uint8_t> headonly = lines.bytes();
  headonly.resize(256);
  struct Case {
    const char *what;
    std::vector<uint8_t> bytes;
    bool ink;
  } cases[] = {
      {"cyclic link", cyclic, true},
      {"outline kind 0", kind0.bytes(), true},
      {"count -1", lines.bytes(-1), false},
      {"count 20000, short file", lines.bytes(20000), true},
      {"header only", headonly, false},
      {"short header", std::vector<uint8_t>(100, 0xFF), false},
      {"empty file", {}, false},
  };
  for (const auto &c : cases) {
    write("seal.ksl", c.bytes);
    Dib d(120, 80);
    RaruDisp_PaintDC(d.dc, 120, 80);
    EXPECT_EQ(d.extent(RED).n > 0, c.ink) << c.what;
  }
  // No file: the control is left as it was.
  std::filesystem::remove(path("seal.ksl"));
  Dib d(50, 50);
  RaruDisp_PaintDC(d.dc, 50, 50);
  EXPECT_EQ(d.at(25, 25), 0x555555u);
}

TEST_F(Preview, ClassRegistersOnceAndPaintsInAWindow) {
  EXPECT_EQ(Raru_RegisterDispClass(), 1);
  EXPECT_EQ(Raru_RegisterDispClass(), 1);
  SealBuilder b;
  b.outline(2, 0, 0, 12, 12).arc(0, 0, 12, 0, 360).arc(0, 0, 10.5, 0, 360).line(-10.5, 3, 10.5, 3)
      .line(-10.5, -3, 10.5, -3).text("山田", -4, 4, 5, 4, 0).text("[R]2026.12.11", -8.5, -1.5, 3, 1.6, 0)
      .text("印鑑", -4, -9, 5, 4, 0);
  seal(b);
  HWND top = CreateWindowA("STATIC", "preview", WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 40, 260, 260, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  HWND ctl = CreateWindowA(RARU_DISPCLASS, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 236, 236, top, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(ctl, nullptr);
  UpdateWindow(top);
  for (int i = 0; i < 20; i++) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
    Sleep(20);
  }
  RECT r;
  std::vector<uint32_t> px = screen_capture(top, r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  int red = 0;
  for (uint32_t p : px)
    red += p == RED;
  EXPECT_GT(red, 500);
  const std::string png = std::string(INK_PICTURE_DIR) + "/seal_preview.png";
  EXPECT_TRUE(write_png(png.c_str(), w, h, px));
  DestroyWindow(top);
}

TEST(StampixLibrary, LoadsBesideTheHostLibrary) {
  HMODULE m = LoadLibraryA("stampix.dll");
  ASSERT_NE(m, nullptr);
  FreeLibrary(m);
}

} // namespace
