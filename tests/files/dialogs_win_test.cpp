// The grid, text size and system settings dialogs for real, driven by a timer
// procedure inside their modal loops: typed values are checked and refused with the
// field focused, OK stores, Cancel changes nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dlgpilot.h"
#include "display/grid.h"
#include "files/dialogs.h"
#include "files/dlgfield.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/prefs.h"

namespace {
using namespace dlgpilot;

class Dialogs : public ::testing::Test {
protected:
  std::vector<std::string> asked;
  int answer = IDCANCEL;
  void SetUp() override {
    prm_init();
    ui_setresponder([this](const UiQuestion &q) {
      asked.push_back(q.text ? q.text : "");
      return answer;
    });
  }
  void TearDown() override { ui_setresponder(nullptr); }
};

TEST_F(Dialogs, TextSizeRefusesAndStoresOnlyOnOK) {
  TextSizeRecord rec{};
  rec.kind = 7, rec.height = 2, rec.width = 3, rec.spacing = 0.5f;
  std::memset(rec.rest, 0x5A, sizeof rec.rest);
  const TextSizeRecord before = rec;
  std::string shown;
  bool stays1 = false, stays2 = false, focus1 = false, focus2 = false;
  Pilot p;
  p.steps = {
      [&](HWND d) { shown = text(d, 1451) + "," + text(d, 1452) + "," + text(d, 1453); },
      [&](HWND d) { set(d, 1451, "0"), press(d, IDOK); },
      [&](HWND d) { stays1 = IsWindow(d), focus1 = focused(d, 1451); },
      [&](HWND d) { set(d, 1451, "0.0009"), press(d, IDOK); },
      [&](HWND d) { stays2 = IsWindow(d), focus2 = focused(d, 1451); },
      [&](HWND d) { set(d, 1451, "2.5*2"), set(d, 1453, "0"), press(d, IDOK); },
  };
  const INT_PTR r = p.run([&] {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1450), nullptr, dlg_txtsize,
                           reinterpret_cast<LPARAM>(&rec));
  });
  EXPECT_EQ(r, 1);
  EXPECT_EQ(shown, "2.000,3.000,0.500");
  EXPECT_TRUE(stays1 && focus1);
  EXPECT_TRUE(stays2 && focus2);
  EXPECT_FLOAT_EQ(rec.height, 5);
  EXPECT_FLOAT_EQ(rec.spacing, 0);
  EXPECT_EQ(rec.kind, 7u);
  EXPECT_EQ(std::memcmp(rec.rest, before.rest, sizeof rec.rest), 0);

  // Its cancel button gives 1401, Esc 2; neither writes the record.
  const TextSizeRecord kept = rec;
  for (int button : {1401, IDCANCEL}) {
    Pilot c;
    c.steps = {[&](HWND d) { set(d, 1451, "9"), press(d, button); }};
    const INT_PTR rc = c.run([&] {
      return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1450), nullptr, dlg_txtsize,
                             reinterpret_cast<LPARAM>(&rec));
    });
    EXPECT_EQ(rc, button == 1401 ? 1401 : 2);
    EXPECT_EQ(std::memcmp(&rec, &kept, sizeof rec), 0);
  }
}

TEST_F(Dialogs, GridModeSwitchShowsTheRecordAndChecksTheAngle) {
  GridRecord g{};
  g.mode = 1, g.kind = 1, g.picked = 0;
  g.pitchx = 2, g.pitchy = 3, g.angle = 30, g.spare = 330;
  std::string first, afterswitch, label;
  bool refused = false;
  Pilot p;
  p.steps = {
      [&](HWND d) { first = text(d, 1000) + "," + text(d, 1001); },
      [&](HWND d) { set(d, 1000, "7"), radio(d, 1004, 1005, 1005); },
      [&](HWND d) { afterswitch = text(d, 1000) + "," + text(d, 1001), label = text(d, 1009); },
      [&](HWND d) { set(d, 1001, "90"), press(d, IDOK); },
      [&](HWND d) { refused = IsWindow(d) && focused(d, 1001); },
      [&](HWND d) { set(d, 1000, "4"), set(d, 1001, "60"), press(d, IDOK); },
  };
  const INT_PTR r = p.run([&] { return dlg_run(DLG_GRID, &g, 0); });
  EXPECT_EQ(r, 0); // the base-point switch
  EXPECT_EQ(first, "2.000,3.000");
  EXPECT_EQ(afterswitch, "2.000,30.000000"); // the record's values, not the typed 7
  EXPECT_EQ(label, "角度 ＝ ");
  EXPECT_TRUE(refused);
  EXPECT_EQ(+g.kind, 2u);
  EXPECT_EQ(+g.pitchx, 4.0);
  EXPECT_EQ(+g.angle, 60.0);

  // Cancel: the record stays as it is.
  GridRecord kept = g;
  Pilot c;
  c.steps = {[&](HWND d) { set(d, 1000, "9"), press(d, IDCANCEL); }};
  EXPECT_EQ(c.run([&] { return dlg_run(DLG_GRID, &g, 0); }), -1);
  EXPECT_EQ(std::memcmp(&g, &kept, sizeof g), 0);
  EXPECT_EQ(dlg_run(10, nullptr, 0), 0);
  EXPECT_EQ(dlg_run(18, nullptr, 0), 0);
}

TEST_F(Dialogs, SystemSettingsCheckLengthsAndAskBeforeWritingTheFile) {
  char tmp[MAX_PATH], file[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::snprintf(file, sizeof file, "%sdlgsys_test.sys", tmp);
  DeleteFileA(file);
  prf_setpath(file);
  RaruInfo info{};
  sys_sealinf('R', &info);
  info.backcolor = 0, info.sealcolor = 0, info.areax = 25, info.areay = 25, info.gridx = 1, info.gridy = 1;
  sys_sealinf('W', &info);
  bool refused = false;
  std::string shown;
  Pilot p;
  p.steps = {
      [&](HWND d) { shown = text(d, 1468) + "," + text(d, 1471); },
      [&](HWND d) { set(d, 1468, "1000.001"), press(d, IDOK); },
      [&](HWND d) { refused = IsWindow(d) && focused(d, 1468); },
      [&](HWND d) { set(d, 1468, "10*2.5"), set(d, 1469, "1000"), radio(d, 1464, 1465, 1465), press(d, IDOK); },
  };
  answer = IDCANCEL; // do not write the settings file
  EXPECT_EQ(p.run([&] { return dlg_run(DLG_SYSTEM, nullptr, 0); }), 0);
  EXPECT_EQ(shown, "25.000,1.000");
  EXPECT_TRUE(refused);
  sys_sealinf('R', &info);
  EXPECT_EQ(info.areax, 25.0);
  EXPECT_EQ(info.areay, 1000.0);
  EXPECT_EQ(info.backcolor, 1);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "システムファイルに書き込みますか？");
  EXPECT_EQ(GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES);

  // OK to the question writes the section.
  Pilot w;
  w.steps = {[&](HWND d) { set(d, 1470, "2.5"), press(d, IDOK); }};
  answer = IDOK;
  EXPECT_EQ(w.run([&] { return dlg_run(DLG_SYSTEM, nullptr, 0); }), 0);
  char value[64] = "";
  GetPrivateProfileStringA("SEALINFO", "GRIDX", "", value, sizeof value, file);
  EXPECT_NE(std::string(value), "");

  // Cancel leaves the settings alone.
  const RaruInfo kept = [] {
    RaruInfo r{};
    sys_sealinf('R', &r);
    return r;
  }();
  Pilot c;
  c.steps = {[&](HWND d) { set(d, 1470, "9"), press(d, IDCANCEL); }};
  EXPECT_EQ(c.run([&] { return dlg_run(DLG_SYSTEM, nullptr, 0); }), -1);
  sys_sealinf('R', &info);
  EXPECT_EQ(std::memcmp(&info, &kept, sizeof info), 0);
  DeleteFileA(file);
}

} // namespace
