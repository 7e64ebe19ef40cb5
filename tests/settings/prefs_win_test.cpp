#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "display/view/view.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/syspath.h"
#include "testfiles.h"

namespace {

// Each test writes its own settings file: the profile functions cache files by name.
class Prefs : public ::testing::Test {
protected:
  std::unique_ptr<TempFile> ini;
  void SetUp() override {
    prm_init();
    prf_defaults();
    dwg_setcur(0);
  }
  void use(const std::string &text) {
    static int n = 0;
    ini = std::make_unique<TempFile>("prefs" + std::to_string(++n) + ".sys", text);
    prf_setpath(ini->path.c_str());
  }
  std::string value(const char *section, const char *key) {
    char buf[262];
    GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, ini->path.c_str());
    return buf;
  }
};

int16_t aperture() {
  int16_t a;
  sys_rcogprm('R', &a, nullptr, nullptr);
  return a;
}

TEST_F(Prefs, ShortValuesOutOfRangeReadZero) {
  struct Case {
    const char *text;
    int16_t want;
  } cases[] = {{"-12", -12}, {"40000", 0}, {"-32767", 0}, {"0x20", 32}};
  for (const Case &c : cases) {
    use(std::string("[SYSTEMU]\nRCOGAREA=") + c.text + "\n");
    prf_read(1, 1023);
    EXPECT_EQ(aperture(), c.want) << c.text;
  }
}

TEST_F(Prefs, ReadsTheKeysOfEverySection) {
  use("[SYSTEMU]\nUNDOSIZE=-5\nUNDO=0\nDATADRV=%TMP%DATA\\\nPOINTMODE=3\nEXCLUSIVE=1\nDSPZOOMIN=4\nCURSORTYPE=2\n"
      "[ELMINFO]\nLINPEN=7\nLINLKIND=18\n"
      "[CHAINFO]\nCHARHIGH=\nCHARWIDE=3.5\nCHARFONTNO=2\nDISPDOT=9\n"
      "[SYSCOLOR]\nPALETTE3=0x0000FF00\n"
      "[FILES]\nFILE2=C:\\seal\\a.sel\n"
      "[LINEWIDTH]\nDSPWIDTH11=-2\n"
      "[CMDETC]\nDRAGMODE=1\nOKYNDELAY=250\n");
  WrkMax[0] = 256;
  prf_read(0, 1023);
  SystemBlock sb;
  sys_sysprm('R', &sb);
  EXPECT_EQ(+sb.undosize, 5u);
  EXPECT_EQ(+sb.undo, 0);
  EXPECT_EQ(+sb.exclusive, 1);
  EXPECT_EQ(ElmMax[0], 10000u);
  EXPECT_EQ(WrkMax[0], 500u); // missing: the reader's own default
  EXPECT_EQ(WrkMax[1], 256u);
  EXPECT_STREQ(sys_pathraw(1), "%TMP%DATA\\");
  uint32_t mode, snapoff;
  sys_pickmode('R', &mode, &snapoff);
  EXPECT_EQ(mode, 3u);
  EXPECT_EQ(snapoff, 0u); // POINTMODE is the pick mode; snapping stays on
  double steps[3];
  sys_dspstep('R', steps);
  EXPECT_EQ(+steps[1], 4.0);
  EXPECT_EQ(+steps[0], 0.1);
  uint16_t cur[3];
  sys_cursor('R', cur);
  EXPECT_EQ(cur[1], 2);
  EXPECT_EQ(cur[2], 2);

  uint16_t lin, pnt;
  sys_linatr('R', &lin);
  sys_pntatr('R', &pnt);
  EXPECT_EQ(lin & 15, 7);
  EXPECT_EQ(lin >> 4 & 15, 2); // 18 and 15
  EXPECT_EQ(pnt & 15, 7);
  EXPECT_EQ(pnt >> 4 & 0xFF, 5);
  CharAttrs c;
  sys_chratr('R', &c);
  EXPECT_EQ(+c.height, 5.0f); // empty value: default kept
  EXPECT_EQ(+c.width, 3.5f);
  EXPECT_EQ(c.attr >> 9 & 7, 2);
  EXPECT_EQ(c.attr & 15, 3);
  int16_t dot;
  sys_rcogprm('R', nullptr, &dot, nullptr);
  EXPECT_EQ(dot, 9);

  EXPECT_EQ(Palette[3], 0xFF00u);
  EXPECT_STREQ(RecentFiles[1], "C:\\seal\\a.sel");
  DisplayBlock db;
  sys_dspprm('R', &db);
  EXPECT_EQ(static_cast<int32_t>(db.width[11]), -2);
  uint32_t drag[6];
  sys_drag('R', drag);
  EXPECT_EQ(drag[1], 1u);
  EXPECT_EQ(OkynDelay, 250u);
}

TEST_F(Prefs, PerDrawingKeysReachEveryDrawingOfTheMask) {
  use("[ELMINFO]\nLINPEN=9\n[CHAINFO]\nCHARHIGH=7.5\nDISPDOT=2\n");
  prf_read(3, 2);
  prf_read(2, 2);
  auto env = std::make_unique<DrawingEnvRecord>();
  sys_dwgenv('R', 1, env.get());
  EXPECT_EQ(+env->chr.height, 7.5f);
  EXPECT_EQ(env->linatr & 15, 9);
  sys_dwgenv('R', 0, env.get());
  EXPECT_EQ(+env->chr.height, 5.0f);
  EXPECT_EQ(env->linatr & 15, 3);
  int16_t dot;
  sys_rcogprm('R', nullptr, &dot, nullptr);
  EXPECT_EQ(dot, 5); // DISPDOT only with part 0

  dwg_setcur(1);
  use("[CHAINFO]\nCHARHIGH=2.0\n");
  prf_read(3, 0x80000000u);
  sys_dwgenv('R', 1, env.get());
  EXPECT_EQ(+env->chr.height, 2.0f);
  dwg_setcur(0);
}

TEST_F(Prefs, OtherPartsReadNothing) {
  use("[SYSTEMU]\nRCOGAREA=3\n[ELMINFO]\nLINPEN=9\n");
  prf_read(4, 1023);
  prf_read(8, 1023);
  EXPECT_EQ(aperture(), 10);
  uint16_t lin;
  sys_linatr('R', &lin);
  EXPECT_EQ(lin & 15, 3);
}

TEST_F(Prefs, SealColoursOverrideThePalette) {
  const COLORREF table12[2][8] = {{RGB(128, 0, 128), RGB(255, 0, 255), RGB(255, 215, 0), RGB(0, 0, 0),
                                   RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 248, 220), RGB(0, 0, 0)},
                                  {RGB(255, 0, 255), RGB(255, 165, 0), RGB(255, 255, 0), RGB(255, 255, 255),
                                   RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 255, 255), RGB(0, 0, 128)}};
  struct Case {
    int seal, back;
    COLORREF entry2;
  } cases[] = {{0, 0, RGB(255, 0, 0)}, {0, 1, RGB(255, 0, 0)}, {1, 0, RGB(0, 0, 0)}, {1, 1, RGB(255, 255, 255)}};
  for (const Case &c : cases) {
    use("[SYSCOLOR]\nPALETTE2=0x123456\nPALETTE15=0x654321\n[SEALINFO]\nSEALCOLOR=" + std::to_string(c.seal) +
        "\nBACKCOLOR=" + std::to_string(c.back) + "\nGRIDX=0.5\n");
    prf_read(0, 1023);
    EXPECT_EQ(Palette[2], c.entry2) << c.seal << c.back;
    for (int i = 0; i < 8; i++)
      EXPECT_EQ(Palette[12 + i], table12[c.back][i]) << i;
    RaruInfo ri;
    sys_sealinf('R', &ri);
    EXPECT_EQ(+ri.gridx, 0.5);
  }
}

TEST_F(Prefs, SealFolderComesFromTheHostFile) {
  char progdir[264];
  pth_progdir(progdir);
  use("[SEALINFO]\nGRIDY=2\n");
  prf_read(25, 1023);
  RaruInfo ri;
  sys_sealinf('R', &ri);
  EXPECT_STREQ(ri.folder, progdir);
  EXPECT_EQ(+ri.gridy, 2.0);

  const std::string config = std::string(progdir) + "SEALCONFIG.SYS";
  WritePrivateProfileStringA("SYSTEM", "SEALFOLDER", "D:\\SEALS\\", config.c_str());
  prf_read(25, 1023);
  sys_sealinf('R', &ri);
  EXPECT_STREQ(ri.folder, "D:\\SEALS\\");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, config.c_str()); // flush the cache
  DeleteFileA(config.c_str());
}

TEST_F(Prefs, WritingTextSizesScalesACopyOnly) {
  for (double scale : {0.5, 1.0 / 3.0}) {
    use("");
    SheetRecord sheet;
    sys_sheet('R', 0, &sheet);
    sheet.scale = scale;
    sys_sheet('W', 0, &sheet);
    CharAttrs c;
    sys_chratr('R', &c);
    c.height = 5.0f;
    c.width = -999.0f;
    c.spacing = 0.7f;
    sys_chratr('W', &c);
    prf_writ(3);
    CharAttrs after;
    sys_chratr('R', &after);
    EXPECT_EQ(std::memcmp(&c, &after, sizeof c), 0);
    char want[32];
    std::snprintf(want, sizeof want, "%f", static_cast<double>(static_cast<float>(5.0f * scale)));
    EXPECT_EQ(value("CHAINFO", "CHARHIGH"), want);
    EXPECT_EQ(value("CHAINFO", "CHARPEN"), "3");
    EXPECT_EQ(value("SYSTEMU", "RCOGAREA"), "<none>"); // part 3 only
  }
}

TEST_F(Prefs, WriteAllThenReadBack) {
  use("");
  sys_pathset(4, "%TMP%WORK\\");
  Palette[7] = 0x00ABCDEF;
  std::strcpy(RecentFiles[0], "C:\\x.sel");
  int16_t ap = -4;
  sys_rcogprm('W', &ap, nullptr, nullptr);
  RaruInfo ri;
  sys_sealinf('R', &ri);
  ri.areax = 30.0;
  sys_sealinf('W', &ri);
  uint32_t pick[2] = {4, 1}; // grid point, snapping off
  sys_pickmode('W', pick, pick + 1);
  prf_writ(0);
  EXPECT_EQ(value("SYSTEMU", "POINTMODE"), "4");
  EXPECT_EQ(value("SYSTEMU", "WORKDRV"), "%TMP%WORK\\");
  EXPECT_EQ(value("SYSTEMU", "RCOGAREA"), "-4");
  EXPECT_EQ(value("SYSTEMU", "UNDOSIZE"), "<none>");
  EXPECT_EQ(value("SYSCOLOR", "PALETTE7"), std::to_string(0xABCDEF));
  EXPECT_EQ(value("SEALINFO", "AREALENGTHX"), "30.000000");
  EXPECT_EQ(value("ELMINFO", "PNTTYPE"), "5");
  EXPECT_EQ(value("LINEWIDTH", "DSPWIDTH0"), "<none>");

  prm_init();
  prf_defaults();
  prf_read(0, 1023);
  EXPECT_EQ(aperture(), -4);
  EXPECT_EQ(Palette[7], 0x00ABCDEFu);
  EXPECT_STREQ(RecentFiles[0], "C:\\x.sel");
  sys_sealinf('R', &ri);
  EXPECT_EQ(+ri.areax, 30.0);
}

TEST_F(Prefs, GetAndPutValue) {
  use("[CMDETC]\nEMPTY=\nNUM=12\n");
  prf_valslot.l = 77;
  EXPECT_EQ(prf_getval(20, "EMPTY", PRF_LONG), -1);
  EXPECT_EQ(prf_getval(20, "MISSING", PRF_LONG), -1);
  EXPECT_EQ(prf_getval(20, "NUM", 3), -1);
  EXPECT_EQ(+prf_valslot.l, 77);
  EXPECT_EQ(prf_getval(20, "NUM", PRF_LONG), 0);
  EXPECT_EQ(+prf_valslot.l, 12);
  EXPECT_NE(prf_putval(20, "ODD", 3), 0);
  EXPECT_EQ(value("CMDETC", "ODD"), "");
}

} // namespace
