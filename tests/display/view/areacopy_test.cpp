// Area copy: picture sizes, the metafile and bitmap renderers and the clipboard as a
// second process finds it.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "../../database/dbstart.h"
#include "clipproc.h"
#include "database/elements.h"
#include "display/view/areacopy_win.h"
#include "../drawfix.h"
#include "ole/areaclip_win.h"
#include "ole/ole1clip.h"
#include "settings/syspath.h"

namespace {

class AreaCopy : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(12000, 500);
    clp_setfmt(CLP_BITMAP | CLP_METAFILE);
    add_line(10, 25, 90, 25);
    add_line(50, 5, 50, 45);
    empty_clipboard();
  }
  void TearDown() override {
    uint16_t cursor[3] = {};
    sys_cursor('R', cursor);
    cursor[0] = 0;
    sys_cursor('W', cursor);
    DrawSuppress = 0;
    dtb_term();
    DrawView::TearDown();
  }
  static void add_line(double x1, double y1, double x2, double y2) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = LIN;
    r.layer = 1;
    r.lin = {x1, y1, x2, y2, 0x3, {}};
    ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &r, nullptr), 0);
  }
  static void empty_clipboard() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
  }
  static AreaPick corner(double x, double y) { return AreaPick{0, 0, 0, 0, 0, 0, x, y}; }
  // The view's transform, the current one and the clip rectangle: all that a copy must
  // leave as it found.
  struct Snapshot {
    ViewXform xf;
    DrawXformRecord cur;
    uint32_t clip;
    bool operator==(const Snapshot &o) const {
      return !std::memcmp(&xf, &o.xf, sizeof xf) && !std::memcmp(&cur, &o.cur, sizeof cur) && clip == o.clip;
    }
  };
  static Snapshot snapshot() {
    Snapshot s;
    vew_frame('R', 0, 0, &s.xf);
    s.cur = DrawXform;
    s.clip = dsp_clipon();
    return s;
  }
  static COLORREF pixel(HBITMAP bmp, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
  }
};

} // namespace

TEST(AreaCopySizes, ExtentsCapTheLargerSideFirst) {
  struct {
    double w, h;
    int32_t mx, my, bx, by;
  } cases[] = {
      {500, 200, 32767, 13106, 5000, 2000},
      {300, 200, 30000, 20000, 3000, 2000},
      {200, 500, 13106, 32767, 2000, 5000},
      {3e8, 1e8, 32767, 10922, 2147483647, 715827882},
      {1e8, 3e8, 10922, 32767, 715827882, 2147483647},
      {0, 5, 0, 0, 0, 0},
  };
  for (auto &c : cases) {
    int32_t x = -1, y = -1;
    clp_mfext(c.w, c.h, &x, &y);
    EXPECT_EQ(x, c.mx) << c.w << "x" << c.h;
    EXPECT_EQ(y, c.my) << c.w << "x" << c.h;
    clp_bmdim(c.w, c.h, &x, &y);
    EXPECT_EQ(x, c.bx) << c.w << "x" << c.h;
    EXPECT_EQ(y, c.by) << c.w << "x" << c.h;
  }
  EXPECT_EQ(clp_getfmt(), uint32_t(CLP_BITMAP | CLP_METAFILE));
  EXPECT_EQ(clp_setfmt(CLP_BITMAP), uint32_t(CLP_BITMAP));
  EXPECT_EQ(clp_getfmt(), uint32_t(CLP_BITMAP));
  clp_setfmt(CLP_BITMAP | CLP_METAFILE);
}

TEST_F(AreaCopy, WholeViewReachesAnotherProcess) {
  const Snapshot before = snapshot();
  ASSERT_EQ(clp_copy(nullptr), 1);
  EXPECT_TRUE(snapshot() == before);
  const std::string got = clipproc::read();
  double x1, y1, x2, y2;
  vew_dev2w(0, 0, 0, 0, &x1, &y1);
  vew_dev2w(0, 0, W, H, &x2, &y2);
  int32_t ex, ey, dx, dy;
  clp_mfext(x2 - x1 + 1.0, y1 - y2 + 1.0, &ex, &ey);
  clp_bmdim(x2 - x1 + 1.0, y1 - y2 + 1.0, &dx, &dy);
  EXPECT_NE(got.find("metafilepict 8 " + std::to_string(ex) + " " + std::to_string(ey) + "\n"), std::string::npos)
      << got;
  // The dimension stays with this process's bitmap (Wine hands other processes a copy
  // without it); BitmapOfAPickedAreaAtTheViewsScale checks it.
  EXPECT_NE(got.find("bitmap 201 101 "), std::string::npos) << got;
  (void)dx;
  (void)dy;
  // The metafile played at 200 pixels wide draws the two lines: from x 10 % to 90 %,
  // y 10 % to 90 % of the picture.
  int w = 0, h = 0, l = 0, t = 0, r = 0, b = 0;
  long ink = 0;
  const auto at = got.find("metafile ");
  ASSERT_NE(at, std::string::npos) << got;
  ASSERT_EQ(std::sscanf(got.c_str() + at, "metafile %d %d %ld %d %d %d %d", &w, &h, &ink, &l, &t, &r, &b), 7);
  EXPECT_GT(ink, 150);
  EXPECT_NEAR(l, 0.1 * w, 4);
  EXPECT_NEAR(r, 0.9 * w, 4);
  EXPECT_NEAR(t, 0.1 * h, 4);
  EXPECT_NEAR(b, 0.9 * h, 4);
}

TEST_F(AreaCopy, BitmapOfAPickedAreaAtTheViewsScale) {
  const AreaPick c[2] = {corner(40, 35), corner(60, 15)}; // device (80, 30)-(120, 70)
  uint32_t palette[PALETTE_COUNT];
  std::memcpy(palette, Palette, sizeof palette);
  for (int i = 0; i < PALETTE_COUNT; i++)
    Palette[i] = RGB(255, 0, 0);
  const Snapshot before = snapshot();
  HBITMAP bmp = clp_bitmap(c);
  ASSERT_TRUE(bmp);
  BITMAP bm;
  GetObjectA(bmp, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 41);
  EXPECT_EQ(bm.bmHeight, 41);
  SIZE dim;
  GetBitmapDimensionEx(bmp, &dim);
  EXPECT_EQ(dim.cx, 210);
  EXPECT_EQ(dim.cy, 210);
  EXPECT_NE(pixel(bmp, 20, 20) & 0xFFFFFF, 0xFFFFFFu); // the crossing
  EXPECT_EQ(pixel(bmp, 20, 20) & 0xFFFFFF, RGB(255, 0, 0)); // in its own colour
  EXPECT_EQ(pixel(bmp, 5, 5) & 0xFFFFFF, 0xFFFFFFu);
  DeleteObject(bmp);
  // The cursor block asks for black only.
  uint16_t cursor[3] = {};
  sys_cursor('R', cursor);
  cursor[0] = 1;
  sys_cursor('W', cursor);
  bmp = clp_bitmap(c);
  ASSERT_TRUE(bmp);
  EXPECT_EQ(pixel(bmp, 20, 20) & 0xFFFFFF, 0u);
  DeleteObject(bmp);
  std::memcpy(Palette, palette, sizeof palette);
  EXPECT_EQ(OffscreenOutput, 0u);
  EXPECT_EQ(OffscreenMono, 0u);
  EXPECT_TRUE(snapshot() == before);
}

TEST_F(AreaCopy, NothingIsCopiedForAFlatAreaOrABusyClipboard) {
  const AreaPick flat[2] = {corner(30, 10), corner(30, 40)};
  EXPECT_EQ(clp_copy(flat), 0);
  clp_setfmt(0);
  EXPECT_EQ(clp_copy(nullptr), 0);
  clp_setfmt(CLP_BITMAP | CLP_METAFILE);
  EXPECT_NE(clipproc::read().find("formats 0\n"), std::string::npos);

  const Snapshot before = snapshot();
  const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  {
    clipproc::Holder other;
    ASSERT_TRUE(other.holding());
    EXPECT_EQ(clp_copy(nullptr), 0);
  }
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
  EXPECT_TRUE(snapshot() == before);
  EXPECT_NE(clipproc::read().find("formats 0\n"), std::string::npos);
}

TEST_F(AreaCopy, FailedRenderingLeavesNothingAndRestoresTheView) {
  const AreaPick c[2] = {corner(10, 10), corner(60, 40)};
  const Snapshot before = snapshot();
  const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  DrawSuppress = 1; // the window renderer refuses
  EXPECT_EQ(clp_metafile(c), nullptr);
  EXPECT_EQ(clp_bitmap(c), nullptr);
  EXPECT_EQ(clp_copy(c), 0);
  DrawSuppress = 0;
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
  EXPECT_TRUE(snapshot() == before);
  EXPECT_EQ(dsp_clipon(), 0u);
  EXPECT_EQ(OffscreenOutput, 0u);
  // The metafile alone works again afterwards, and keeps the view as it was.
  HGLOBAL h = clp_metafile(c);
  ASSERT_TRUE(h);
  auto *mfp = static_cast<METAFILEPICT *>(GlobalLock(h));
  EXPECT_EQ(mfp->mm, MM_ANISOTROPIC);
  EXPECT_EQ(mfp->xExt, 5100);
  EXPECT_EQ(mfp->yExt, 3100);
  DeleteMetaFile(mfp->hMF);
  GlobalUnlock(h);
  GlobalFree(h);
  EXPECT_TRUE(snapshot() == before);
}

// The native form of the older object layer: what the test container takes from the
// clipboard is the native data as put there, byte for byte.
TEST_F(AreaCopy, NativeDataReachesTheTestContainer) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  sys_path('W', 4, tmp); // the native data's temporary file goes there
  Ole1RegFormats();
  const UINT native = Ole1ClipFormat(OLE1_NATIVE);
  ASSERT_NE(native, 0u);
  clp_setfmt(CLP_NATIVE | CLP_BITMAP);
  ASSERT_EQ(clp_copy(nullptr), 1);
  std::string put;
  ASSERT_TRUE(OpenClipboard(nullptr));
  if (HANDLE h = GetClipboardData(native)) {
    const char *p = static_cast<const char *>(GlobalLock(h));
    put.assign(p, GlobalSize(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  ASSERT_GT(put.size(), OLE1_HEADSIZE);
  EXPECT_STREQ(put.c_str(), "KIVO LANT Native Data V1.0 []");
  const std::string out = std::string(tmp) + "native.bin";
  DeleteFileA(out.c_str());
  std::string ctr = INK_OLECTR;
  if (ctr[0] == '/')
    ctr = "Z:" + ctr;
  std::string cmd = "\"" + ctr + "\" get Native \"" + out + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(pi.hThread);
  DWORD code = 99;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {
    if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 200, QS_ALLINPUT) == WAIT_OBJECT_0)
      break;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
  }
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(code, 0u);
  std::ifstream in(out, std::ios::binary);
  const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  EXPECT_TRUE(got == put) << got.size() << " bytes, put " << put.size();
  DeleteFileA(out.c_str());
  clp_setfmt(CLP_BITMAP | CLP_METAFILE);
}
