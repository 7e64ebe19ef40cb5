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
#include "commands/cmdl/cmddlg.h"
#include "display/marks/grid.h"
#include "files/dialogs.h"
#include "files/dlgfield.h"
#include "files/sealfmt.h"
#include "files/sealname.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/syspath.h"

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

TEST_F(Dialogs, TheSealNameDialogRefusesForbiddenCharactersAndStoresTheName) {
  slf_namewin();
  ASSERT_TRUE(SlfNameDialog); // the real dialog behind the question
  ui_setresponder([](const UiQuestion &q) { return SlfNameDialog(q); });
  uint8_t hdr[SLF_HEADSIZE] = {};
  std::memcpy(hdr + SLF_OFF_NAME, "OLD", 3);
  sys_sealhdr('W', hdr);
  std::string first;
  bool okoff = false, refused = false;
  DWORD sel = 0;
  Pilot p;
  p.steps = {
      [&](HWND d) { first = text(d, 1462); },
      [&](HWND d) { set(d, 1462, ""); },
      [&](HWND d) { okoff = !IsWindowEnabled(GetDlgItem(d, IDOK)); },
      [&](HWND d) { set(d, 1462, "AB_C"), press(d, IDOK); },
      [&](HWND d) {
        refused = IsWindow(d) && focused(d, 1462);
        sel = DWORD(SendDlgItemMessageA(d, 1462, EM_GETSEL, 0, 0));
      },
      [&](HWND d) { set(d, 1462, "SEAL9"), press(d, IDOK); },
  };
  EXPECT_EQ(p.run([] { return INT_PTR(slf_askname()); }), 1);
  EXPECT_EQ(first, "OLD");
  EXPECT_TRUE(okoff);
  EXPECT_TRUE(refused);
  EXPECT_EQ(LOWORD(sel), 2); // the "_" selected
  EXPECT_EQ(HIWORD(sel), 3);
  sys_sealhdr('R', hdr);
  EXPECT_STREQ(reinterpret_cast<const char *>(hdr + SLF_OFF_NAME), "SEAL9");
  Pilot c;
  c.steps = {[&](HWND d) { press(d, IDCANCEL); }};
  EXPECT_EQ(c.run([] { return INT_PTR(slf_askname()); }), -1);
}

// A folder of its own for the settings file and the templates.
struct NewFigFiles {
  std::string dir, sys;
  NewFigFiles() {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    dir = std::string(tmp) + "newfig_test\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
      do
        DeleteFileA((dir + f.cFileName).c_str());
      while (FindNextFileA(h, &f));
      FindClose(h);
    }
    sys = dir + "inkforge.sys";
    prf_setpath(sys.c_str());
    sys_path('W', 10, const_cast<char *>(dir.c_str()));
  }
  void tpl(const std::string &name, double w, double h, int num, int den, size_t size) {
    DrawingEnvRecord env{};
    std::memcpy(env.version, "MAR TOVEN SX V4.0", 18);
    reinterpret_cast<uint8_t *>(&env)[25] = 8;
    env.sheet.width = w, env.sheet.height = h, env.sheet.num = int16_t(num), env.sheet.den = int16_t(den);
    env.sheet.scale = double(num) / den;
    for (auto &p : env.scales)
      p = ScalePair{1, 1};
    FILE *f = std::fopen((dir + name).c_str(), "wb");
    std::fwrite(&env, 1, size, f);
    std::fclose(f);
  }
};

void pick(HWND d, int index) {
  SendDlgItemMessageA(d, 1166, LB_SETCURSEL, WPARAM(index), 0);
  PostMessageA(d, WM_COMMAND, MAKEWPARAM(1166, LBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(d, 1166)));
}
std::string seltext(HWND d) {
  char t[128] = "";
  const LRESULT i = SendDlgItemMessageA(d, 1166, LB_GETCURSEL, 0, 0);
  if (i >= 0)
    SendDlgItemMessageA(d, 1166, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(t));
  return t;
}

TEST_F(Dialogs, NewFigureSetsTheSheetOnOKOnly) {
  NewFigFiles files;
  WritePrivateProfileStringA("NEWFIGINFO", "PAPERSIZE_INDEX", "12", files.sys.c_str());
  DrawingEnvRecord before{};
  sys_dwgenv('R', 0, &before);
  NewFigParam rec{};
  rec.kind = 1;
  rec.dwg = 0;
  std::string first, area;
  bool enterstays = false;
  int templatesshown = -1;
  Pilot c;
  c.steps = {
      [&](HWND d) { first = seltext(d); },
      [&](HWND d) { pick(d, 4); },
      [&](HWND d) { radio(d, 1167, 1168, 1168); }, // the template list (empty here)
      [&](HWND d) { templatesshown = int(SendDlgItemMessageA(d, 1166, LB_GETCOUNT, 0, 0)); },
      [&](HWND d) { press(d, IDCANCEL); },
  };
  EXPECT_EQ(c.run([&] { return dlg_run(DLG_NEWFIG, &rec, 0); }), -1);
  EXPECT_EQ(first.rfind("A3", 0), 0u); // 12 in the settings reads as A3
  EXPECT_EQ(templatesshown, 0);
  DrawingEnvRecord now{};
  sys_dwgenv('R', 0, &now);
  EXPECT_EQ(std::memcmp(&now, &before, sizeof now), 0); // browsing wrote nothing

  Pilot p;
  p.steps = {
      [&](HWND d) { pick(d, 4); }, // A4
      [&](HWND d) {
        SetFocus(GetDlgItem(d, 1133));
        set(d, 1133, "0");
        press(d, IDOK); // Enter in the scale: recalculates, refuses 0
      },
      [&](HWND d) { enterstays = IsWindow(d) && focused(d, 1133); },
      [&](HWND d) {
        set(d, 1133, "1"), set(d, 1134, "2");
        SetFocus(GetDlgItem(d, 1134));
        press(d, IDOK);
      },
      [&](HWND d) { area = text(d, 1171) + "," + text(d, 1172); },
      [&](HWND d) { press(d, 1135); },
  };
  EXPECT_EQ(p.run([&] { return dlg_run(DLG_NEWFIG, &rec, 0); }), 0);
  EXPECT_TRUE(enterstays);
  EXPECT_EQ(area, "594.000000,420.000000");
  sys_dwgenv('R', 0, &now);
  EXPECT_DOUBLE_EQ(now.sheet.width, 594);
  EXPECT_DOUBLE_EQ(now.sheet.height, 420);
  EXPECT_EQ(now.sheet.num, 1);
  EXPECT_EQ(now.sheet.den, 2);
  EXPECT_DOUBLE_EQ(now.sheet.scale, 0.5);
  EXPECT_EQ(GetPrivateProfileIntA("NEWFIGINFO", "PAPERSIZE_INDEX", -1, files.sys.c_str()), 4);
  sys_dwgenv('W', 0, &before);
}

TEST_F(Dialogs, NewFigureTemplatesNeedAWholeHeader) {
  NewFigFiles files;
  files.tpl("SHORT.ET", 100, 50, 1, 2, sizeof(DrawingEnvRecord) - 100);
  NewFigParam rec{};
  rec.kind = 1;
  int shown = -1;
  Pilot c;
  c.steps = {[&](HWND d) { radio(d, 1167, 1168, 1168); },
             [&](HWND d) { shown = int(SendDlgItemMessageA(d, 1166, LB_GETCOUNT, 0, 0)); },
             [&](HWND d) { press(d, IDCANCEL); }};
  c.run([&] { return dlg_run(DLG_NEWFIG, &rec, 0); });
  EXPECT_EQ(shown, 0);

  DeleteFileA((files.dir + "SHORT.ET").c_str());
  files.tpl("GOOD.ET", 100, 50, 1, 2, sizeof(DrawingEnvRecord));
  DrawingEnvRecord before{};
  sys_dwgenv('R', 0, &before);
  std::string area;
  Pilot p;
  p.steps = {[&](HWND d) { radio(d, 1167, 1168, 1168); },
             [&](HWND d) { shown = int(SendDlgItemMessageA(d, 1166, LB_GETCOUNT, 0, 0)); },
             [&](HWND d) { area = text(d, 1171) + "," + text(d, 1010); },
             [&](HWND d) { press(d, 1135); }};
  EXPECT_EQ(p.run([&] { return dlg_run(DLG_NEWFIG, &rec, 0); }), 0);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(area, "100.000000,50.000000");
  EXPECT_EQ(std::string(rec.tplpath), files.dir + "GOOD.ET");
  DrawingEnvRecord now{};
  sys_dwgenv('R', 0, &now);
  EXPECT_DOUBLE_EQ(now.sheet.width, 100);
  EXPECT_EQ(now.sheet.den, 2);
  EXPECT_EQ(now.scales[0].den, 2);
  sys_dwgenv('W', 0, &before);
}

TEST_F(Dialogs, AreaChangeMatchesThePaperAndWritesOnlyTheRecord) {
  NewFigFiles files;
  NewFigParam rec{};
  rec.kind = 2;
  rec.env.sheet.width = 297.4, rec.env.sheet.height = 210.6, rec.env.sheet.scale = 1;
  rec.env.sheet.num = rec.env.sheet.den = 1;
  DrawingEnvRecord before{};
  sys_dwgenv('R', 0, &before);
  std::string sel, title;
  bool radios = true;
  Pilot p;
  p.steps = {[&](HWND d) {
               sel = seltext(d);
               char t[64] = "";
               GetWindowTextA(d, t, sizeof t);
               title = t;
               radios = IsWindowEnabled(GetDlgItem(d, 1167)) || IsWindowEnabled(GetDlgItem(d, 1168));
             },
             [&](HWND d) { set(d, 1134, "2"), press(d, 1135); }};
  EXPECT_EQ(p.run([&] { return dlg_run(16, &rec, 0); }), 0);
  EXPECT_EQ(sel.rfind("A4 (", 0), 0u);
  EXPECT_EQ(title, "領域長変更");
  EXPECT_FALSE(radios);
  EXPECT_DOUBLE_EQ(rec.env.sheet.width, 594);
  EXPECT_DOUBLE_EQ(rec.env.sheet.height, 420);
  EXPECT_EQ(rec.env.sheet.den, 2);
  DrawingEnvRecord now{};
  sys_dwgenv('R', 0, &now);
  EXPECT_EQ(std::memcmp(&now, &before, sizeof now), 0);
}

} // namespace
