// The main frame's place kept in the settings file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings/prefs.h"
#include "shell/app/winpos.h"

namespace {

class WinPlace : public ::testing::Test {
protected:
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "iks", 0, file);
    saved = prf_path();
    prf_setpath(file);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  }
  void TearDown() override {
    prf_setpath(saved.c_str());
    DeleteFileA(file);
  }
  void store(const char *size, const char *point) {
    WritePrivateProfileStringA("SYSTEMU", "WINDOW_SIZE", size, file);
    WritePrivateProfileStringA("SYSTEMU", "WINDOW_POINT", point, file);
  }
  RECT first() {
    POINT p;
    SIZE s;
    app_initrect(&p, &s);
    return {p.x, p.y, p.x + s.cx, p.y + s.cy};
  }
  char file[MAX_PATH];
  std::string saved;
  RECT work;
};

TEST_F(WinPlace, StoredRectangleOrTheWorkArea) {
  const struct {
    const char *size, *point;
    bool kept;
  } cases[] = {
      {"640,480", "20,30", true},
      {"640,0", "20,30", false},         // no height
      {"0,480", "20,30", false},         // no width
      {"640,480", "-5000,-5000", false}, // wholly outside the desktop
      {"640,480", "", false},            // no place
      {"garbage", "20,30", false},
  };
  for (const auto &c : cases) {
    store(c.size, c.point);
    const RECT r = first();
    if (c.kept) {
      EXPECT_EQ(r.left, 20);
      EXPECT_EQ(r.top, 30);
      EXPECT_EQ(r.right, 660);
      EXPECT_EQ(r.bottom, 510);
    } else {
      EXPECT_TRUE(EqualRect(&r, &work)) << c.size << " " << c.point;
    }
  }
}

TEST_F(WinPlace, WrittenFromTheWindow) {
  HWND w = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW, 40, 50, 300, 200, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(app_winpos(nullptr, 'W'), 0);
  EXPECT_EQ(app_winpos(w, 'w'), 1);
  char text[64];
  GetPrivateProfileStringA("SYSTEMU", "WINDOW_SIZE", "", text, sizeof text, file);
  EXPECT_STREQ(text, "300,200");
  GetPrivateProfileStringA("SYSTEMU", "WINDOW_POINT", "", text, sizeof text, file);
  EXPECT_STREQ(text, "40,50");
  EXPECT_EQ(app_winpos(w, 'x'), 1);
  app_winpos(nullptr, 'r');
  EXPECT_EQ(WinPos.width, 300);
  EXPECT_EQ(WinPos.top, 50);
  DestroyWindow(w);
}

} // namespace
