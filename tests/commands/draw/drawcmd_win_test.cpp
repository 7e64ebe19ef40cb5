// The point, chain, rectangle and line commands run through the pump with scripted input.
#include "../cmdharness.h"

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "commands/draw/drawcmd.h"
#include "../typist.h"
#include "database/undo.h"

using namespace cmdtest;

namespace {

class Draw : public CommandTest {
protected:
  // The current drawing's layer and default attribute words.
  static void attrs(uint16_t layer, uint16_t lin, uint16_t pnt, int dwg = 0) {
    uint16_t states[64];
    uint16_t cur = 0;
    sys_layer('r', dwg, &cur, states);
    cur = layer;
    sys_layer('w', dwg, &cur, states);
    const int old = dwg_setcur(dwg);
    sys_linatr('w', &lin);
    sys_pntatr('w', &pnt);
    dwg_setcur(old);
  }
  static uint32_t chain_word() {
    uint32_t rec[INP_KINDWORDS] = {};
    inp_kind('r', 1, rec);
    return rec[1];
  }
};

constexpr uint16_t LINE_ATTR = 0x2A52; // pen 2, kind 5, start style 2, end style 5
constexpr uint16_t POINT_ATTR = 0x0046;

TEST_F(Draw, ChainSegmentsAreUndoneOneByOne) {
  attrs(9, LINE_ATTR, POINT_ATTR);
  uint32_t rec[INP_KINDWORDS] = {0, 1};
  inp_kind('w', 1, rec);
  EXPECT_EQ(run(20, {click(0, 0), click(10, 0), click(10, 5), esc()}), 800);
  auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(same_record(r[0], lin_rec(0, 0, 10, 0, LINE_ATTR, 9)));
  EXPECT_TRUE(same_record(r[1], lin_rec(10, 0, 10, 5, LINE_ATTR, 9)));
  EXPECT_EQ(chain_word(), 0u);
  EXPECT_EQ(TempMarkList.count, 0u);
  und_exec(0);
  r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(same_record(r[0], lin_rec(0, 0, 10, 0, LINE_ATTR, 9)));
  und_exec(0);
  EXPECT_TRUE(records(0).empty());
}

TEST_F(Draw, ChainCases) {
  struct Case {
    const char *what;
    std::vector<Ev> in;
    std::vector<ElementRecord> out0, out1;
  } cases[] = {
      {"a repeated point draws nothing",
       {click(0, 0), click(0, 0), click(4, 3)},
       {lin_rec(0, 0, 4, 3, LINE_ATTR, 9)},
       {}},
      {"a click in the other drawing is no second point",
       {click(0, 0), click(5, 5, 0, 1)},
       {},
       {}},
      {"a right click ends the chain, the next begins anew",
       {click(0, 0), click(2, 0), rclick(), click(6, 6), click(6, 8)},
       {lin_rec(0, 0, 2, 0, LINE_ATTR, 9), lin_rec(6, 6, 6, 8, LINE_ATTR, 9)},
       {}},
      {"a right click at the first point is passed over", {rclick(), click(1, 1), click(2, 2)},
       {lin_rec(1, 1, 2, 2, LINE_ATTR, 9)},
       {}},
      {"the chain is drawn in the drawing of its first point",
       {click(1, 1, 0, 1), click(3, 1, 0, 1)},
       {},
       {lin_rec(1, 1, 3, 1, 0x0013, 4)}},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    attrs(9, LINE_ATTR, POINT_ATTR);
    attrs(4, 0x0013, POINT_ATTR, 1);
    EXPECT_EQ(run(20, c.in), 800) << c.what;
    for (int db = 0; db < 2; db++) {
      const auto &want = db ? c.out1 : c.out0;
      const auto got = records(db);
      ASSERT_EQ(got.size(), want.size()) << c.what << " in drawing " << db;
      for (size_t i = 0; i < want.size(); i++)
        EXPECT_TRUE(same_record(got[i], want[i])) << c.what << " element " << i;
    }
  }
}

TEST_F(Draw, RectangleAboutACentreIsOneUndoStep) {
  attrs(3, LINE_ATTR, POINT_ATTR);
  EXPECT_EQ(run(28, {rclick(), click(0, 0), click(2, 1), esc()}), 27);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_TRUE(same_record(r[0], lin_rec(-2, -1, 2, -1, LINE_ATTR, 3)));
  EXPECT_TRUE(same_record(r[1], lin_rec(2, -1, 2, 1, LINE_ATTR, 3)));
  EXPECT_TRUE(same_record(r[2], lin_rec(2, 1, -2, 1, LINE_ATTR, 3)));
  EXPECT_TRUE(same_record(r[3], lin_rec(-2, 1, -2, -1, LINE_ATTR, 3)));
  und_exec(0);
  EXPECT_TRUE(records(0).empty());
}

TEST_F(Draw, RectangleCornerModeAndRefusedCorners) {
  attrs(3, LINE_ATTR, POINT_ATTR);
  std::vector<std::string> prompts;
  auto seen = [&prompts] { return during([&prompts] { prompts.push_back(prompt()); }); };
  // Zero width: the second corner is asked again. The centre mode stays for the next
  // figure; Esc at the second corner brings back two corners.
  EXPECT_EQ(run(28, {seen(), click(0, 0), click(0, 5), seen(), click(4, 2), seen(), rclick(), seen(),
                     click(10, 10), click(11, 12), seen(), click(0, 0), esc(), seen(), end()}),
            800);
  EXPECT_EQ(prompts, (std::vector<std::string>{msgtext(5324), msgtext(5305), msgtext(5324), msgtext(5307),
                                               msgtext(5307), msgtext(5324)}));
  const auto r = records(0);
  ASSERT_EQ(r.size(), 8u);
  EXPECT_TRUE(same_record(r[0], lin_rec(0, 0, 4, 0, LINE_ATTR, 3)));
  EXPECT_TRUE(same_record(r[4], lin_rec(9, 8, 11, 8, LINE_ATTR, 3)));
  EXPECT_EQ(prompt(), ""); // cleared after every request
}

TEST_F(Draw, ConstructionLinesIgnoreTheCurrentAttributes) {
  attrs(7, uint16_t(5 | 3 << 4 | 2 << 8 | 4 << 11 | 0x4000), POINT_ATTR);
  inp_set(0x1234, 2, 5);
  uint32_t flags = 0;
  int32_t kind = 0, code = 0;
  EXPECT_EQ(run(35, {click(0, 0), click(5, 0), click(5, 5), during([&] { inp_req('r', &flags, &kind, &code); }),
                     click(5, 5), click(0, 5), rclick(), esc()}),
            27);
  // Command 35 declares no input: the request before it stays.
  EXPECT_EQ(flags, 0x1234u);
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(code, 5);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(same_record(r[0], lin_rec(0, 0, 5, 0, 0x4013, 0)));
  EXPECT_TRUE(same_record(r[1], lin_rec(5, 5, 0, 5, 0x4013, 0))); // each line separate
  EXPECT_EQ(TempMarkList.count, 0u);
}

TEST_F(Draw, PointsEndOnARightClick) {
  attrs(12, LINE_ATTR, POINT_ATTR);
  EXPECT_EQ(run(0, {click(3, 4), rclick()}), 501);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(same_record(r[0], pnt_rec(3, 4, POINT_ATTR, 12)));
  uint32_t flags = 0;
  int32_t kind = 0;
  inp_req('r', &flags, &kind, nullptr);
  EXPECT_EQ(flags, 225u);
  EXPECT_EQ(kind, 4);
}

TEST_F(Draw, AFullStoreEndsTheRectangle) {
  stop();
  start(40);
  attrs(3, LINE_ATTR, POINT_ATTR);
  DbControl c[2];
  dtb_ctrl('r', c);
  ElementRecord filler = pnt_rec(40, 20, 1, 1);
  while (c[0].count1 + c[0].count2 + 1 < c[0].max12) {
    ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &filler, nullptr), 0);
    dtb_ctrl('r', c);
  }
  const size_t before = records(0).size();
  EXPECT_EQ(run(28, {click(0, 0), click(2, 1)}), CMD_DBFAIL);
  auto r = records(0);
  ASSERT_EQ(r.size(), before + 1);
  EXPECT_TRUE(same_record(r.back(), lin_rec(0, 0, 2, 0, LINE_ATTR, 3)));
  ASSERT_EQ(asked().texts.size(), 1u); // the store said why, on the board
  EXPECT_NE(asked().texts[0].find("最大要素数"), std::string::npos);
  und_exec(0);
  EXPECT_EQ(records(0).size(), before);
}

TEST_F(Draw, APenChosenMeanwhileDrawsTheNextSegment) {
  attrs(1, LINE_ATTR, POINT_ATTR);
  std::string before, after;
  uint32_t req[2][3] = {};
  InputGuide guide[2];
  auto state = [&](int i, std::string &text) {
    return during([&, i] {
      text = prompt();
      int32_t t = 0, k = 0;
      inp_req('r', &req[i][0], &t, &k);
      req[i][1] = uint32_t(t), req[i][2] = uint32_t(k);
      rub_state('r', &guide[i]);
    });
  };
  auto pen4 = during([] { EXPECT_EQ(cmd_button(3, 923), 1); }); // as a tool-bar button on level 3
  EXPECT_EQ(run(20, {click(0, 0), state(0, before), pen4, state(1, after), click(6, 0), end()}), 800);
  EXPECT_EQ(before, msgtext(5302));
  EXPECT_EQ(after, before);
  EXPECT_EQ(std::memcmp(req[0], req[1], sizeof req[0]), 0);
  EXPECT_EQ(guide[0].mode, 1);
  EXPECT_EQ(std::memcmp(&guide[0], &guide[1], sizeof guide[0]), 0);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(same_record(r[0], lin_rec(0, 0, 6, 0, uint16_t((LINE_ATTR & ~0xF) | 4), 1)));
}

TEST_F(Draw, PictureOfARectangleAndAChain) {
  attrs(1, 0x0011, POINT_ATTR);
  // The rubber bands follow the cursor and leave nothing behind.
  EXPECT_EQ(run(28, {click(-40, -20), move(-30, 0), move(-20, 20), click(-10, 10), move(0, 0), end()}), 800);
  EXPECT_EQ(run(20, {click(0, -20), move(10, 0), click(20, 15), move(45, 20), click(40, -20), move(10, -10),
                     click(0, -20), esc(), end()}),
            800);
  HWND view = win_.drawings[0]->view; // drawn straight into the window: no repaint first
  RECT rc;
  GetClientRect(view, &rc);
  const int w = rc.right, h = rc.bottom;
  const auto px = window_capture(view, w, h);
  ASSERT_EQ(px.size(), size_t(w) * size_t(h));
#ifdef INK_PICTURE_DIR
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/commands-draw.png", w, h, px));
#endif
  // The left edge of the rectangle, world x -40: pixel column 20 from y -20 to 10.
  int32_t x = 0, y0 = 0, y1 = 0;
  vew_w2dev(0, 0, -40, -15, &x, &y0);
  vew_w2dev(0, 0, -40, 5, &x, &y1);
  const uint32_t bg = px[size_t(h / 2) * w + w - 3];
  int drawn = 0;
  for (int y = y1; y <= y0; y++)
    for (int dx = -1; dx <= 1; dx++)
      if (px[size_t(y) * w + x + dx] != bg) {
        drawn++;
        break;
      }
  EXPECT_GT(drawn, (y0 - y1) * 3 / 4);
  // Where a rubber band was, from (20, 15) towards (45, 20), nothing is left.
  int32_t rx = 0, ry = 0;
  vew_w2dev(0, 0, 35, 18, &rx, &ry);
  EXPECT_EQ(px[size_t(ry) * w + rx], bg);
}

} // namespace

namespace {

// Typed coordinates that are no finite number: every line is refused (the entry reads
// the next one) and the point command stores nothing, however the value overflows.
TEST_F(Draw, HostileTypedCoordinatesAddNoPoint) {
  attrs(12, LINE_ATTR, POINT_ATTR);
  Typist typist({"1e999,1", "1e308*10,1", "sqrt(-1),1", "acos(2),1", "1e308+1e308,1", "-1e999,1", "1,asin(2)",
                 "30D,1e999", "1e308,0;", "1e308,0", nullptr});
  EXPECT_EQ(run(0, {key(9), end()}), 800);
  EXPECT_TRUE(typist.done());
  EXPECT_TRUE(records(0).empty());
}

} // namespace
