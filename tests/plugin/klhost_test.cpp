// Probe of the stand-in host library: every host function the plug-in calls, with the
// call log, scripted answers, injected failures and bad arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hoststub/klhtest.h"

namespace {

std::vector<std::string> takelog() {
  std::vector<std::string> v;
  char buf[512];
  for (int i = 0; i < hst_logcount(); i++) {
    hst_logline(i, buf, sizeof buf);
    v.push_back(buf);
  }
  hst_logclear();
  return v;
}

HstDrawing drawing(int power = 1, int permit = 1) {
  HstDrawing d{};
  d.powerLevel = power;
  d.permit = permit;
  d.scaleA[0] = 1;
  d.scaleB[0] = 2;
  return d;
}

class Host : public ::testing::Test {
protected:
  void SetUp() override { hst_reset(); }
};

TEST_F(Host, EveryFunctionIsLoggedWithItsArguments) {
  HstDrawing d = drawing(3);
  hst_setdrawing(0, &d);
  hst_setbackcolor(RGB(1, 2, 3));
  HstSeal s{};
  s.level = 2;
  std::strcpy(s.name, "seal");
  s.kind = 1;
  s.origin = {10, 20};
  s.size = {30, 40};
  std::strcpy(s.attr, "pw");
  s.layerState = 2;
  ASSERT_EQ(hst_addseal(0, &s), 1);
  HstInput pik{1, 500, 0, 0, 0, 5.5, 6.5};
  HstInput raru{1, 500, 0, 0, 1, 1, 2};
  hst_queue(&raru);
  hst_queue(&pik);

  char out[20], text[44];
  int i1 = 0, i2 = 0, i3 = 0, i4 = 0;
  int16_t st = 0, a[64], b[64];
  double x = 0, y = 0, extra;
  COLORREF col = 0;
  KlhPoint p{1, 2}, q{3, 4};
  KlhSize sz{5, 6};
  KlhTextSize ts{1, 2, 3, 0, 0};
  double angles[2] = {0, 90};
  RubberShape shape[2] = {{KLH_RUBLINE, {0, 0, 1, 1, 0}}, {KLH_RUBEND, {}}};
  int16_t kind = 0;

  KlhWinMainFrameGet();
  KlhEncryptPasswd("abc", out);
  KlhAnalyzePasswd(out, out);
  KlhRaruColor(1);
  KlhSetDefautRaru(2, 0, "G", "seal", "pw", "me");
  KlhGetBackColorRGB(&col);
  KlhAtrOpen(1);
  KlhAtrCfig(0, &i1);
  KlhGetDtbCount(&i1);
  KlhInpRaru(0, 1024, &i1, &i2, &p, &i3, "pick");
  KlhAtrLayer(0, 0, &i1, &st);
  KlhAtrLayScal(0, 0, a, b);
  KlhMsgPrint(0, "prompt");
  KlhMsgWarn("warn");
  KlhInpPikpnt(1, &i1, &i2, &x, &y, &i3);
  KlhStartRub(KLH_RUBSHAPE, 0, &p, shape);
  KlhStartRub(KLH_RUBBOX, 2, 1.0, 2.0, 0.0, 0.5, 5);
  KlhStartRub(KLH_RUBCIRCLE, 1.0, 2.0);
  KlhStartRub(KLH_RUBSTOP);
  KlhPermitStampix(0, 2, "seal", "me", "pw");
  KlhNumSeals(0, &i1);
  KlhFigPowerLevel(0, &i1);
  const int node = KlhRaruNodeOpen(0, 1, 2, "new");
  KlhWriteRaruArea(0, 1, &p, &sz, 0.0);
  KlhWriteLine(0, 0, 3, 1, 0, 0, &p, &q);
  KlhWriteArc(0, 0, 3, 1, 0, 0, &p, 2.5, angles);
  KlhWriteText(0, 0, &p, 3, 1, 2, 0, &ts, "text");
  KlhWriteRaruDate(0, &p, 3, 1, 2, &ts, "2026/12/11");
  KlhWriteAtr(0, 0, "attr");
  KlhAtrDisp();
  KlhRaruNodeClose(0, node);
  KlhSchLink(0, 1, &i1, &i2, &i3, &i4);
  int mode = 1;
  KlhReadAtr(0, i3, &mode, &i1, text);
  KlhReadRaruArea(0, 1, &kind, &p, &sz, &extra);
  KlhRaruMove(0, 1, &q);
  KlhRaruScale(0, 1, 2.0);
  KlhDelRaru(0, 2);

  const std::vector<std::string> log = takelog();
  const char *names[] = {"KlhWinMainFrameGet", "KlhEncryptPasswd", "KlhAnalyzePasswd", "KlhRaruColor",
                         "KlhSetDefautRaru", "KlhGetBackColorRGB", "KlhAtrOpen", "KlhAtrCfig", "KlhGetDtbCount",
                         "KlhInpRaru", "KlhAtrLayer", "KlhAtrLayScal", "KlhMsgPrint", "KlhMsgWarn", "KlhInpPikpnt",
                         "KlhStartRub", "KlhStartRub", "KlhStartRub", "KlhStartRub", "KlhPermitStampix",
                         "KlhNumSeals", "KlhFigPowerLevel", "KlhRaruNodeOpen", "KlhWriteRaruArea", "KlhWriteLine",
                         "KlhWriteArc", "KlhWriteText", "KlhWriteRaruDate", "KlhWriteAtr", "KlhAtrDisp",
                         "KlhRaruNodeClose", "KlhSchLink", "KlhReadAtr", "KlhReadRaruArea", "KlhRaruMove",
                         "KlhRaruScale", "KlhDelRaru"};
  ASSERT_EQ(log.size(), std::size(names));
  for (std::size_t i = 0; i < log.size(); i++)
    EXPECT_EQ(log[i].rfind(std::string(names[i]) + "(", 0), 0u) << log[i];
  // Arguments as passed, results after " = ".
  EXPECT_EQ(log[3], "KlhRaruColor(1) = 1");
  EXPECT_EQ(log[4], "KlhSetDefautRaru(2,0,\"G\",\"seal\",\"pw\",\"me\") = 1");
  EXPECT_EQ(log[12], "KlhMsgPrint(0,\"prompt\") = 1");
  EXPECT_EQ(log[15], "KlhStartRub(98,0,(1,2),[2:0,0,1,1,0]) = 1");
  EXPECT_EQ(log[16], "KlhStartRub(14,2,1,2,0,0.5,5) = 1");
  EXPECT_EQ(log[17], "KlhStartRub(4,1,2) = 1");
  EXPECT_EQ(log[18], "KlhStartRub(0) = 1");
  EXPECT_EQ(log[22], "KlhRaruNodeOpen(0,1,2,\"new\") = 2");
  EXPECT_EQ(log[24], "KlhWriteLine(0,0,3,1,0,0,(1,2),(3,4)) = 1");
  EXPECT_EQ(log[25], "KlhWriteArc(0,0,3,1,0,0,(1,2),2.5,(0,90)) = 1");
  EXPECT_EQ(log[26], "KlhWriteText(0,0,(1,2),3,1,2,0,(1,2,3,0,0),\"text\") = 1");
  EXPECT_EQ(log[27], "KlhWriteRaruDate(0,(1,2),3,1,2,(1,2,3,0,0),\"2026/12/11\") = 1");
  EXPECT_EQ(log[30], "KlhRaruNodeClose(0,2) = 2");
  EXPECT_EQ(log[35], "KlhRaruScale(0,1,2) = 1");
  EXPECT_EQ(log[36], "KlhDelRaru(0,2) = 1");
  // What came back.
  EXPECT_EQ(col, RGB(1, 2, 3));
  EXPECT_EQ(x, 5.5);
  EXPECT_EQ(y, 6.5);
  EXPECT_EQ(a[0], 1);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(st, 2);
  EXPECT_STREQ(text, "pw");
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(hst_lastcolor(), 1);
  char name[24];
  int level = 0;
  EXPECT_EQ(hst_defaultseal(name, &level), 1);
  EXPECT_STREQ(name, "seal");
  EXPECT_EQ(level, 2);
  EXPECT_EQ(hst_rubform(), -1);
  // The seal placed through the node went in, was moved and scaled, and then deleted;
  // the first one is still there.
  EXPECT_EQ(hst_sealcount(0), 1);
  HstSeal got{};
  ASSERT_EQ(hst_getseal(0, 1, &got), 1);
  EXPECT_EQ(got.origin.x, 13);
  EXPECT_EQ(got.origin.y, 24);
  EXPECT_EQ(got.size.width, 60);
}

TEST_F(Host, ScriptedInputComesBackInOrderThenEnds) {
  HstDrawing d = drawing();
  hst_setdrawing(0, &d);
  hst_setdrawing(1, &d);
  for (int i = 0; i < 3; i++) {
    HstInput in{1, 500 + i, 0, i % 2, 0, double(i), double(10 * i)};
    hst_queue(&in);
  }
  HstInput sealpick{0, 27, 0, 1, 4, 0, 0};
  hst_queue(&sealpick);
  int view, dr, code;
  double x, y;
  for (int i = 0; i < 3; i++) {
    ASSERT_EQ(KlhInpPikpnt(0, &view, &dr, &x, &y, &code), 1);
    EXPECT_EQ(code, 500 + i);
    EXPECT_EQ(dr, i % 2);
    EXPECT_EQ(x, i);
  }
  int seal;
  KlhPoint p;
  EXPECT_EQ(KlhInpRaru(0, 1024, &dr, &seal, &p, &code, "x"), 0);
  EXPECT_EQ(code, 27);
  EXPECT_EQ(seal, 4);
  // Input over: 0 with code 800, from either function.
  code = 0;
  EXPECT_EQ(KlhInpPikpnt(0, &view, &dr, &x, &y, &code), 0);
  EXPECT_EQ(code, 800);
  code = 0;
  EXPECT_EQ(KlhInpRaru(0, 1024, &dr, &seal, &p, &code, "x"), 0);
  EXPECT_EQ(code, 800);
}

TEST_F(Host, PasswordsSurviveEncryption) {
  const char *cases[] = {"a", "abc", "Passw0rd", "12345678", "ZZZZZZZZZZZZ", "0", "zz"};
  std::vector<std::string> seen;
  for (const char *pw : cases) {
    char enc[20], dec[20];
    std::memset(enc, 'Q', sizeof enc);
    ASSERT_EQ(KlhEncryptPasswd(pw, enc), 1) << pw;
    EXPECT_EQ(std::strlen(enc), 18u) << pw;
    EXPECT_NE(std::string(enc).find(pw), 0u);
    ASSERT_EQ(KlhAnalyzePasswd(enc, dec), 1) << pw;
    EXPECT_STREQ(dec, pw);
    seen.push_back(enc);
  }
  for (std::size_t i = 0; i < seen.size(); i++)
    for (std::size_t j = i + 1; j < seen.size(); j++)
      EXPECT_NE(seen[i], seen[j]);
  char enc[20] = "x", dec[20] = "x";
  EXPECT_EQ(KlhEncryptPasswd("", enc), 1);
  EXPECT_STREQ(enc, "");
  EXPECT_EQ(KlhAnalyzePasswd("", dec), 0);
  EXPECT_STREQ(dec, "");
  // Texts no encryption gives: empty answer.
  for (const char *bad : {"short", "0123456789abcdefgh", "!!!!!!!!!!!!!!!!!!", "0123456789ABCDEFGHI"}) {
    std::strcpy(dec, "x");
    EXPECT_EQ(KlhAnalyzePasswd(bad, dec), 0) << bad;
    EXPECT_STREQ(dec, "");
  }
  EXPECT_EQ(KlhEncryptPasswd("0123456789abc", enc), 0); // longer than 12 bytes
  EXPECT_STREQ(enc, "");
}

TEST_F(Host, NullOutPointersAndUnknownDrawingsGiveZero) {
  HstDrawing d = drawing();
  hst_setdrawing(0, &d);
  int i;
  int16_t s;
  double x;
  KlhPoint p{0, 0};
  KlhSize sz{1, 1};
  KlhTextSize ts{};
  double ang[2] = {0, 1};
  char text[44];
  EXPECT_EQ(KlhEncryptPasswd("a", nullptr), 0);
  EXPECT_EQ(KlhEncryptPasswd(nullptr, text), 0);
  EXPECT_EQ(KlhAnalyzePasswd(nullptr, text), 0);
  EXPECT_EQ(KlhGetBackColorRGB(nullptr), 0);
  EXPECT_EQ(KlhAtrCfig(0, nullptr), 0);
  EXPECT_EQ(KlhGetDtbCount(nullptr), 0);
  EXPECT_EQ(KlhAtrLayer(0, 0, nullptr, &s), 0);
  EXPECT_EQ(KlhAtrLayScal(0, 0, nullptr, nullptr), 0);
  EXPECT_EQ(KlhInpPikpnt(0, nullptr, &i, &x, &x, &i), 0);
  EXPECT_EQ(KlhInpRaru(0, 0, &i, &i, nullptr, &i, "p"), 0);
  EXPECT_EQ(KlhStartRub(KLH_RUBSHAPE, 0, nullptr, nullptr), 0);
  EXPECT_EQ(KlhStartRub(77), 0);
  EXPECT_EQ(KlhNumSeals(0, nullptr), 0);
  EXPECT_EQ(KlhFigPowerLevel(0, nullptr), 0);
  EXPECT_EQ(KlhSchLink(0, 1, nullptr, &i, &i, &i), 0);
  EXPECT_EQ(KlhReadAtr(0, 1001, nullptr, &i, text), 0);
  EXPECT_EQ(KlhReadRaruArea(0, 1, nullptr, &p, &sz, &x), 0);
  EXPECT_EQ(KlhRaruMove(0, 1, nullptr), 0);
  EXPECT_EQ(KlhWriteLine(0, 0, 3, 1, 0, 0, nullptr, &p), 0);
  EXPECT_EQ(KlhWriteArc(0, 0, 3, 1, 0, 0, &p, 1, nullptr), 0);
  EXPECT_EQ(KlhWriteText(0, 0, &p, 3, 0, 0, 0, nullptr, "t"), 0);
  EXPECT_EQ(KlhWriteRaruDate(0, &p, 3, 0, 0, &ts, nullptr), 0);
  for (int dr : {-1, 5, 8, 1000}) {
    EXPECT_EQ(KlhAtrLayScal(0, dr, nullptr, nullptr), 0);
    EXPECT_EQ(KlhNumSeals(dr, &i), 0);
    EXPECT_EQ(KlhFigPowerLevel(dr, &i), 0);
    EXPECT_EQ(KlhPermitStampix(dr, 1, "a", "b", "c"), 0);
    EXPECT_EQ(KlhRaruNodeOpen(dr, 1, 1, "a"), 0);
    EXPECT_EQ(KlhWriteRaruArea(dr, 1, &p, &sz, 0), 0);
    EXPECT_EQ(KlhWriteLine(dr, 0, 3, 1, 0, 0, &p, &p), 0);
    EXPECT_EQ(KlhWriteArc(dr, 0, 3, 1, 0, 0, &p, 1, ang), 0);
    EXPECT_EQ(KlhWriteText(dr, 0, &p, 3, 0, 0, 0, &ts, "t"), 0);
    EXPECT_EQ(KlhWriteAtr(dr, 0, "a"), 0);
    EXPECT_EQ(KlhRaruNodeClose(dr, 1), 0);
    EXPECT_EQ(KlhDelRaru(dr, 1), 0);
    EXPECT_EQ(KlhRaruMove(dr, 1, &p), 0);
    EXPECT_EQ(KlhRaruScale(dr, 1, 2), 0);
  }
  EXPECT_EQ(KlhDelRaru(0, 1), 0); // no such seal
}

TEST_F(Host, InjectedFailuresAnswerInsteadOfTheWork) {
  HstDrawing d = drawing();
  hst_setdrawing(0, &d);
  hst_fail("KlhNumSeals", 2, 0); // the second call fails
  hst_fail("KlhWriteLine", 0, -7); // every call
  int n = -1;
  EXPECT_EQ(KlhNumSeals(0, &n), 1);
  n = -1;
  EXPECT_EQ(KlhNumSeals(0, &n), 0);
  EXPECT_EQ(n, -1); // nothing done
  EXPECT_EQ(KlhNumSeals(0, &n), 1);
  KlhPoint p{0, 0};
  EXPECT_EQ(KlhWriteLine(0, 0, 3, 1, 0, 0, &p, &p), -7);
  EXPECT_EQ(KlhWriteLine(0, 0, 3, 1, 0, 0, &p, &p), -7);
  const auto log = takelog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[1], "KlhNumSeals(0,&) = 0");
  EXPECT_EQ(log[4], "KlhWriteLine(0,0,3,1,0,0,(0,0),(0,0)) = -7");
}

TEST_F(Host, MainWindowIsTheTestsOwn) {
  EXPECT_EQ(KlhWinMainFrameGet(), nullptr);
  HWND w = CreateWindowA("STATIC", "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  hst_setmainwnd(w);
  EXPECT_EQ(KlhWinMainFrameGet(), w);
  DestroyWindow(w);
}

} // namespace
