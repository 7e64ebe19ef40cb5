// Command 180 through the pump: a text at a point with a keyed angle, and beside a line
// or an arc with the preview in area 2 confirmed or refused.
#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../cmdharness.h"
#include "commands/draw/drawcmd.h"
#include "commands/text/textpath.h"
#include "database/undo.h"
#include "display/fonts/fontfile.h"
#include "input/inpkind.h"
#include "shell/units/ledit.h"

#include <cmath>
#include <deque>
#include <string>
#include "../typist.h"

using namespace cmdtest;

namespace {

// The typed lines the command reads: Enter after each, or the given ending code.
struct Line {
  std::string text;
  int code = 13;
};
std::deque<Line> &lines() {
  static std::deque<Line> q;
  return q;
}
int typed(uint32_t, int maxlen, char *buf) {
  if (lines().empty())
    return 27;
  const Line l = lines().front();
  lines().pop_front();
  std::snprintf(buf, size_t(maxlen), "%s", l.text.c_str());
  return l.code;
}

constexpr uint16_t ATTRS = 0x32; // pen 2, bit 4, vertical base 1

class TextPath : public CommandTest {
protected:
  void SetUp() override {
    CommandTest::SetUp();
    ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
    settle();
  }
  void TearDown() override {
    tpa_setreader(nullptr);
    lines().clear();
    CommandTest::TearDown();
  }
  // Sizes and bases of the texts, the reader, and the answers: pop-ups from keys (27
  // when none is left), boards and message boxes closed.
  void settle() {
    CharAttrs ca{};
    sys_chratr('r', &ca);
    ca.height = 4, ca.width = 3, ca.spacing = 1, ca.slant = 0;
    ca.attr = ATTRS;
    for (int d = 0; d < 2; d++) {
      dwg_setcur(d);
      sys_chratr('w', &ca);
    }
    dwg_setcur(0);
    font(0, 1);
    tpa_setreader(typed);
    lines().clear();
    keys.clear();
    popups.clear();
    boards.clear();
    ui_setresponder([this](const UiQuestion &q) {
      if (q.kind == UI_POPUP) {
        if (onask)
          onask();
        popups.push_back(q.text ? q.text : "");
        if (keys.empty())
          return 27;
        const int k = keys.front();
        keys.pop_front();
        return k;
      }
      boards.push_back(q.text ? q.text : "");
      return q.kind == UI_MSGBOX ? IDOK : 0;
    });
  }
  static void font(uint32_t kind, uint32_t hbase) {
    uint32_t rec[INP_KINDWORDS] = {};
    inp_kind('r', 6, rec);
    rec[1] = hbase, rec[2] = kind;
    inp_kind('w', 6, rec);
  }
  static void type(std::initializer_list<const char *> ls) {
    for (const char *s : ls)
      lines().push_back({s, 13});
  }
  static std::string text_of(int db, int32_t n) {
    ElementRecord r;
    char s[256] = "";
    elm_read(db, n, &r, s, sizeof s);
    return s;
  }
  static int32_t number_of_last(int db) {
    DbControl c[2];
    dtb_ctrl('r', c);
    return int32_t(c[db].base1 + c[db].count1 - 1);
  }
  static uint32_t area2() {
    DbControl c[2];
    dtb_ctrl('r', c);
    return c[0].count2;
  }
  bool saw(const std::vector<std::string> &v, int n) {
    for (const auto &s : v)
      if (s.find(msgtext(n).substr(2)) != std::string::npos)
        return true;
    return false;
  }

  std::deque<int> keys;
  std::vector<std::string> popups, boards;
  std::function<void()> onask;
};

ElementRecord arc_rec(double cx, double cy, double r, double s, double e) {
  ElementRecord a;
  std::memset(&a, 0, sizeof a);
  a.kind = ARC;
  a.layer = 1;
  a.arc.cx = cx, a.arc.cy = cy, a.arc.r = r;
  a.arc.start = s, a.arc.end = e;
  a.arc.attr = 0x11;
  return a;
}

TEST_F(TextPath, PointModeChecksTheAngleAndTheTextAndAddsOneText) {
  const std::string b64(64, 'A'), b65(65, 'A');
  type({"360.5", "nan", "-360.5", "360", b65.c_str(), "_|", b64.c_str()});
  EXPECT_EQ(run(180, {click(5, 5), end()}), 800);
  EXPECT_TRUE(lines().empty());
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].kind, CHR);
  EXPECT_FLOAT_EQ(r[0].chr.x, 5);
  EXPECT_FLOAT_EQ(r[0].chr.y, 5);
  EXPECT_FLOAT_EQ(r[0].chr.angle, 360);
  EXPECT_FLOAT_EQ(r[0].chr.height, 4);
  EXPECT_FLOAT_EQ(r[0].chr.width, 3);
  EXPECT_FLOAT_EQ(r[0].chr.spacing, 1);
  EXPECT_EQ(r[0].chr.attr, ATTRS | 1u << 7); // vertical base kept in point mode
  EXPECT_EQ(r[0].chr.count, 64);
  EXPECT_EQ(text_of(0, 1), b64); // the first record, then its continuations
  // "_|" alone was refused with the message; the long text silently.
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_TRUE(saw(boards, 30233));
  EXPECT_EQ(TempMarkList.count, 0u);
  EXPECT_EQ(Guide.mode, 0);
  // Its own undo step.
  EXPECT_EQ(und_exec(0), 810);
  EXPECT_TRUE(records(0).empty());
}

TEST_F(TextPath, TheTypefaceRuleSwitchesKanaToTheStandardFont) {
  TypefaceEntry faces[4] = {};
  sys_typeface('r', faces);
  std::strcpy(faces[3].name, "Face3");
  sys_typeface('w', faces);
  font(3, 0);
  type({"0", "表"});
  EXPECT_EQ(run(180, {click(1, 1), end()}), 800);
  auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ((r[0].chr.attr >> 9) & 7, 0);
  uint32_t rec[INP_KINDWORDS] = {};
  inp_kind('r', 6, rec);
  EXPECT_EQ(rec[2], 0u);
  EXPECT_TRUE(saw(boards, 30236));

  // Kinds 4..7 have no table entry: not set, nothing read past the table, and no
  // text stored in a kind no font draws; the command goes on in the stroke font.
  for (int kind : {4, 5, 7}) {
    boards.clear();
    font(kind, 0);
    type({"0", "AB"});
    EXPECT_EQ(run(180, {click(2, 2), end()}), 800) << kind;
    ASSERT_EQ(boards.size(), 1u) << kind;
    EXPECT_EQ(boards[0], "指定された書体は設定されていません");
    r = records(0);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ((r.back().chr.attr >> 9) & 7, 0) << kind;
    inp_kind('r', 6, rec);
    EXPECT_EQ(rec[2], 0u) << kind;
  }
  EXPECT_EQ(records(0).size(), 4u);
}

TEST_F(TextPath, BesideALineThePreviewIsRefusedThenTaken) {
  ASSERT_GE(add(lin_rec(0, 0, 10, 0, 0x11, 1)), 1);
  und_pend(0);
  const auto before = records(0);
  // Distance "nan" and -1 are asked again, 2 is taken.
  type({"AB", "nan", "-1", "2"});
  keys = {'N', 'x', 'Y'};
  std::vector<uint32_t> seen2;
  std::vector<size_t> seen1;
  onask = [&] {
    seen2.push_back(area2());
    seen1.push_back(records(0).size());
  };
  // Point mode, 501 to element mode, the pick, 501 to the distance, the position twice.
  // The second position is off the copy: the guide keeps it on the copy.
  EXPECT_EQ(run(180, {rclick(), click(5, 1), rclick(), click(5, 2), click(6, 4), end()}), 800);
  EXPECT_TRUE(lines().empty());
  ASSERT_EQ(seen2.size(), 3u); // 'x' is asked again
  EXPECT_EQ(seen2[0], 1u);     // the preview lies in area 2
  EXPECT_EQ(seen1[0], 1u);
  EXPECT_EQ(seen2[1], 1u);
  EXPECT_EQ(seen2[2], 1u);
  EXPECT_EQ(area2(), 0u);
  auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(same_record(r[0], before[0]));
  EXPECT_EQ(r[1].kind, CHR);
  EXPECT_FLOAT_EQ(r[1].chr.x, 6);
  EXPECT_FLOAT_EQ(r[1].chr.y, 2);
  EXPECT_FLOAT_EQ(r[1].chr.angle, 0);
  EXPECT_EQ(r[1].chr.attr, (ATTRS & 0x1F) | 1u << 7); // vertical base 0 beside an element
  EXPECT_EQ(text_of(0, number_of_last(0)), "AB");
  EXPECT_EQ(und_exec(0), 810);
  EXPECT_EQ(records(0).size(), 1u);
  EXPECT_EQ(rdo_exec(0), 810);
  r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1].kind, CHR);
  EXPECT_EQ(TempMarkList.count, 0u);
  EXPECT_EQ(Guide.mode, 0);
}

TEST_F(TextPath, RefusingLeavesTheDrawingByteIdentical) {
  ASSERT_GE(add(lin_rec(0, 0, 10, 0, 0x11, 1)), 1);
  double d = 2;
  sys_alngprm('w', &d);
  DbControl c0[2];
  dtb_ctrl('r', c0);
  const ElementRecord line = *dtb_ptr(0, 1);
  type({"AB"});
  keys = {'n', 27};
  // N asks for the position again; Esc erases the preview and starts over in point mode,
  // where a text is placed at (1, 1) to show it.
  EXPECT_EQ(run(180, {rclick(), click(5, -1), click(5, -2), click(5, -2), end()}), 800);
  DbControl c1[2];
  dtb_ctrl('r', c1);
  EXPECT_EQ(c1[0].count1, c0[0].count1);
  EXPECT_EQ(c1[0].count2, 0u);
  EXPECT_EQ(std::memcmp(dtb_ptr(0, 1), &line, sizeof line), 0);
  EXPECT_EQ(popups.size(), 2u);

  type({"AB", "0", "C"});
  keys = {27};
  EXPECT_EQ(run(180, {rclick(), click(5, -1), click(5, -2), click(1, 1), end()}), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_FLOAT_EQ(r[1].chr.x, 1);
  EXPECT_FLOAT_EQ(r[1].chr.y, 1);
  EXPECT_EQ(area2(), 0u);
}

TEST_F(TextPath, ANegativeDistanceCountsAsZero) {
  ASSERT_GE(add(lin_rec(0, 0, 10, 0, 0x11, 1)), 1);
  double d = -5;
  sys_alngprm('w', &d);
  type({"AB"});
  keys = {'Y'};
  EXPECT_EQ(run(180, {rclick(), click(5, -1), click(5, 0), esc()}), 700);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_FLOAT_EQ(r[1].chr.x, 5);
  EXPECT_FLOAT_EQ(r[1].chr.y, 0);
  EXPECT_FLOAT_EQ(r[1].chr.angle, 180);
}

TEST_F(TextPath, TheAngleAndTheTextAreTypedInTheLineEditor) {
  tpa_setreader(nullptr);
  Typist typist({"45", "XY"});
  EXPECT_EQ(run(180, {click(3, 4), end()}), 800);
  EXPECT_TRUE(typist.done());
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_FLOAT_EQ(r[0].chr.angle, 45);
  EXPECT_EQ(text_of(0, 1), "XY");
}

TEST_F(TextPath, AFullStoreEndsTheCommand) {
  stop();
  start(40);
  ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
  settle();
  ASSERT_GE(add(lin_rec(0, 0, 10, 0, 0x11, 1)), 1);
  while (add(lin_rec(-40, 20, -30, 20, 0x11, 1)) > 0) { // away from the picks
  }
  const size_t before = records(0).size();
  type({"0", "AB"});
  EXPECT_EQ(run(180, {click(1, 1)}), CMD_DBFAIL);
  type({"AB"});
  EXPECT_EQ(run(180, {rclick(), click(5, 1), click(5, 2)}), CMD_DBFAIL);
  EXPECT_TRUE(popups.empty()); // no preview, nothing asked
  EXPECT_EQ(records(0).size(), before);
  EXPECT_EQ(area2(), 0u);
  EXPECT_EQ(TempMarkList.count, 0u);
  EXPECT_EQ(Guide.mode, 0);
}

TEST_F(TextPath, BesideAnArcOutsideAndInside) {
  ASSERT_GE(add(arc_rec(0, 0, 10, 0, 180)), 1);
  double d = 2;
  sys_alngprm('w', &d);
  struct Case {
    const char *what;
    GeoPoint pick, at;
    double y, angle;
  } cases[] = {
      {"outside", {0, 10.5}, {0, 20}, 12, 0},
      {"inside", {0, 9.5}, {0, 3}, 8, 180},
  };
  for (const Case &c : cases) {
    type({"AB"});
    keys = {'Y'};
    EXPECT_EQ(run(180, {rclick(), click(c.pick.x, c.pick.y), click(c.at.x, c.at.y), end()}), 800) << c.what;
    const auto r = records(0);
    ASSERT_GE(r.size(), 2u) << c.what;
    EXPECT_EQ(r.back().kind, CHR) << c.what;
    EXPECT_NEAR(r.back().chr.x, 0, 1e-5) << c.what;
    EXPECT_NEAR(r.back().chr.y, c.y, 1e-5) << c.what;
    EXPECT_NEAR(r.back().chr.angle, c.angle, 1e-5) << c.what;
    EXPECT_EQ(area2(), 0u) << c.what;
  }
  EXPECT_EQ(und_exec(0), 810);
  EXPECT_EQ(records(0).size(), 2u);
}

TEST_F(TextPath, PictureOfThePreviewBesideAnArc) {
  vew_setwin(0, 0, 0, -25, 0, 25, 25); // four pixels a unit
  ASSERT_GE(add(arc_rec(0, 0, 15, 0, 180)), 1);
  double d = 2;
  sys_alngprm('w', &d);
  HWND view = win_.drawings[0]->view;
  RECT rc;
  GetClientRect(view, &rc);
  const int w = rc.right, h = rc.bottom;
  std::vector<uint32_t> during;
  onask = [&] { during = window_capture(view, w, h); };
  type({"ABC"});
  keys = {'N'};
  EXPECT_EQ(run(180, {rclick(), click(-11, 11), click(-10, 12), esc()}), 700);
  ASSERT_EQ(during.size(), size_t(w) * size_t(h));
#ifdef INK_PICTURE_DIR
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/textpath-arc.png", w, h, during));
#endif
  const auto after = window_capture(view, w, h);
  ASSERT_EQ(after.size(), during.size());
  // Something was shown outside the arc about 130 degrees while asked, and erased after.
  const uint32_t bg = after[size_t(h - 3) * w + 3];
  int shown = 0, left = 0;
  for (double rad = 16.5; rad <= 22; rad += 0.25)
    for (double a = 100; a <= 140; a += 0.5) {
      int32_t x = 0, y = 0;
      vew_w2dev(0, 0, rad * std::cos(a * DEG2RAD), rad * std::sin(a * DEG2RAD), &x, &y);
      if (x < 0 || y < 0 || x >= w || y >= h)
        continue;
      shown += during[size_t(y) * w + x] != bg;
      left += after[size_t(y) * w + x] != bg;
    }
  EXPECT_GT(shown, 0);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(area2(), 0u);
}

} // namespace
