#include "pickfix.h"

#include <functional>

#include "display/view/view.h"
#include "select/selpick.h"
#include "select/sellist.h"

namespace {

struct Pick : PickTest {
  void SetUp() override {
    PickTest::SetUp();
    dwg_setcur(0);
  }
  static int32_t colour(int role) {
    uint16_t cm[20];
    sys_colmap('r', cm);
    return cm[role];
  }
  int pick(uint32_t mask, int32_t *elem, int32_t *dwg = nullptr, int32_t prompt = 0) {
    int32_t d;
    x = y = 0;
    return pck_elem(prompt, mask, dwg ? dwg : &d, &x, &y, elem);
  }
  double x = 0, y = 0;
};

TEST_F(Pick, OneCandidateIsTakenWithoutAQuestion) {
  const int32_t l = line(0, 50, 100, 50);
  world().clicks = {{500, 40, 50.5}};
  int32_t e = 0, d = -5;
  EXPECT_EQ(pick(1, &e, &d, 1234), 500);
  EXPECT_EQ(e, l);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(x, 40);
  EXPECT_TRUE(world().questions.empty());
  EXPECT_EQ(world().delays, (std::vector<uint32_t>{150}));
  EXPECT_EQ(world().shown, (std::vector<Shown>{{0, l, colour(13)}, {0, l, -1}}));
  EXPECT_EQ(world().prompts, (std::vector<int>{1234}));
  EXPECT_EQ(world().clears, 1);
}

TEST_F(Pick, AnswersToSeveralCandidates) {
  const int32_t a = line(0, 50, 100, 50);
  const int32_t b = line(0, 50.5, 100, 50.5);
  struct Case {
    std::deque<int> answers;
    int32_t elem;
    size_t asked;
  } cases[] = {
      {{27}, 0, 1},         // Esc: element 0
      {{'n', 'N'}, -1, 2},  // every candidate refused
      {{501, 'y'}, b, 2},   // the second
      {{'?', 13}, a, 2},    // another key asks again
      {{'Y'}, a, 1},
      {{-2}, 0, 1},         // a pop-up that cannot be shown cancels instead of asking forever
  };
  for (const Case &c : cases) {
    world().clicks = {{500, 40, 50.1}};
    world().answers = c.answers;
    world().questions.clear();
    int32_t e = 99;
    EXPECT_EQ(pick(1, &e), 500);
    EXPECT_EQ(e, c.elem);
    EXPECT_EQ(world().questions.size(), c.asked);
    EXPECT_EQ(world().questions[0], "YyNn");
  }
}

TEST_F(Pick, MaskFlags) {
  const int32_t a = line(0, 50, 100, 50);
  line(0, 50.5, 100, 50.5);
  int32_t e = 0;
  // Nearest only: one candidate, no question.
  world().clicks = {{502, 40, 50.1}};
  EXPECT_EQ(pick(1 | PCK_NEAREST, &e), 502);
  EXPECT_EQ(e, a);
  EXPECT_TRUE(world().questions.empty());
  // Keep the highlight: no redraw after the answer.
  world() = PickWorld{};
  world().clicks = {{500, 40, 50.1}};
  world().answers = {'y'};
  EXPECT_EQ(pick(1 | PCK_KEEPHIL, &e), 500);
  EXPECT_EQ(world().shown, (std::vector<Shown>{{0, a, colour(13)}}));
  // No input: the caller's point, at once; the same with prompt -2.
  world() = PickWorld{};
  int32_t d;
  x = 40;
  y = 49.9;
  EXPECT_EQ(pck_elem(0, 1 | PCK_NOINPUT | PCK_NEAREST, &d, &x, &y, &e), 0);
  EXPECT_EQ(e, a);
  EXPECT_EQ(pck_elem(-2, 1 | PCK_NEAREST, &d, &x, &y, &e), 0);
  EXPECT_EQ(e, a);
  // No drawing bit: 700 before anything happens.
  world().clicks = {{500, 40, 50}};
  EXPECT_EQ(pick(PCK_NEAREST, &e, nullptr, 5), 700);
  EXPECT_EQ(e, -1);
  EXPECT_EQ(world().clicks.size(), 1u);
  EXPECT_TRUE(world().prompts.empty());
  // A selected candidate goes back to the selection colour.
  world() = PickWorld{};
  uint32_t sel[3] = {uint32_t(a) | SEL_PARTIAL, 0xFFFFFFFEu, 0};
  const SelectionListRec keep = SelectionList;
  SelectionList = {sel, 2, 1, 0};
  world().clicks = {{500, 40, 49.9}};
  EXPECT_EQ(pick(1 | PCK_NEAREST, &e), 500);
  SelectionList = keep;
  EXPECT_EQ(world().shown.back(), (Shown{0, a, colour(14)}));
}

TEST_F(Pick, MaskZeroMeansBothDrawingsAndNoFlags) {
  line(0, 50, 100, 50, 0x11, 1);
  const int32_t b = line(0, 50.5, 100, 50.5, 0x11, 1);
  world().clicks = {{500, 40, 50.1, 1, 0}};
  world().answers = {'n', 'y'};
  int32_t e = 0, d = -1;
  x = y = 7; // a no-input pick would search here
  EXPECT_EQ(pck_elem(0, 0, &d, &x, &y, &e), 500);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(e, b);                           // both candidates offered: not nearest only
  EXPECT_EQ(world().questions.size(), 2u);   // input was waited for
  EXPECT_EQ(world().shown.back().colour, -1); // the highlight was not kept
}

TEST_F(Pick, ScaleOfAnotherLayerIsWarned) {
  ElementRecord r = proto(LIN, 7);
  r.lin = LinBody{0, 50, 100, 50, 0x11, {}};
  const int32_t l = add(r);
  int16_t nums[64], dens[64];
  sys_scltbl('R', 0, nums, dens);
  nums[7] = 2;
  sys_scltbl('W', 0, nums, dens);
  world().clicks = {{500, 40, 50}};
  int32_t e = 0;
  EXPECT_EQ(pick(1, &e), 500);
  EXPECT_EQ(e, l); // the pick goes on
  EXPECT_EQ(world().errors, (std::vector<int>{30228}));
}

TEST_F(Pick, CodesThatEndTheWait) {
  line(0, 50, 100, 50);
  int32_t e = 0;
  for (int code : {27, 501, 800, 13}) {
    world().clicks = {{code, 40, 50}};
    EXPECT_EQ(pick(1, &e), code);
    EXPECT_EQ(e, -1);
  }
  // A click that lands in no view.
  world().clicks = {{500, 40, 50, 0, -1}};
  EXPECT_EQ(pick(1, &e), 700);
  // Nothing under the point.
  world().clicks = {{500, 140, 150}};
  EXPECT_EQ(pick(1, &e), 500);
  EXPECT_EQ(e, -1);
  // Without a get-point loop installed the pick reports the command's end.
  pck_reset();
  EXPECT_EQ(pick(1, &e), 800);
}

TEST_F(Pick, PinnedDrawingSurvivesAChangeOfTheCurrentDrawing) {
  line(0, 50, 100, 50, 0x11, 0);
  const int32_t other = line(0, 50, 100, 50, 0x11, 1);
  int32_t e = 0;
  // A key event outside any drawing pins the current drawing.
  world().clicks = {{65, 0, 0, -1, -1}};
  EXPECT_EQ(pick(PCK_CURDWG, &e), 65);
  dwg_setcur(1);
  world().clicks = {{500, 40, 50, 1, 0}, {27, 0, 0, -1, -1}};
  EXPECT_EQ(pick(PCK_CURDWG, &e), 27); // drawing 1's click ignored: still pinned to 0
  pck_unpin();
  world().clicks = {{500, 40, 50, 1, 0}};
  EXPECT_EQ(pick(PCK_CURDWG, &e), 500);
  EXPECT_EQ(e, other);
  dwg_setcur(0);
}

TEST_F(Pick, GetEndtPromptsAndPicksAgain) {
  const int32_t l = line(0, 50, 100, 50);
  arc(150, 150, 10, 0, 90);
  struct Case {
    int32_t prompt, shown;
  } cases[] = {{0, 1100}, {5, 20005}, {-3, 0}}; // 0: no prompt
  for (const Case &c : cases) {
    world() = PickWorld{};
    world().clicks = {{500, 150, 150}, {500, 40, 50.2}}; // empty space first: asked again
    double pt[2] = {0, 0};
    int32_t e = 0, k = 0, layer = 0;
    uint8_t g[52];
    EXPECT_EQ(getendt(0, c.prompt, LIN | ARC, pt, &e, &k, &layer, g), 0);
    EXPECT_EQ(e, l);
    EXPECT_EQ(k, LIN);
    EXPECT_EQ(layer, 1);
    EXPECT_EQ(std::memcmp(g, at(l)->body, 52), 0);
    const std::vector<int> want = c.shown ? std::vector<int>{c.shown, c.shown} : std::vector<int>{};
    EXPECT_EQ(world().prompts, want);
  }
  // Esc ends; with 0x800 element and kind are cleared.
  world().clicks = {{27, 0, 0}};
  double pt[2] = {40, 50};
  int32_t e = 9, k = 9, layer = 0;
  uint8_t g[52];
  EXPECT_EQ(getendt(0x800, 0, LIN, pt, &e, &k, &layer, g), 27);
  EXPECT_EQ(e, 0);
  EXPECT_EQ(k, 0);
  // No input: the given point; nothing there gives 700.
  EXPECT_EQ(getendt(0x1000, 0, LIN, pt, &e, &k, &layer, g), 0);
  EXPECT_EQ(e, l);
  pt[1] = 90;
  EXPECT_EQ(getendt(0x1000, 0, LIN, pt, &e, &k, &layer, g), 700);
}

struct Pick1 : Pick {
  int go(uint32_t mask, int32_t *e) {
    int32_t d;
    return sel_pick1(7000, mask, &d, &x, &y, e);
  }
};

TEST_F(Pick1, EmptyPaperProposesNothing) {
  line(0, 50, 100, 50);
  world().clicks = {{500, 150, 150}};
  int32_t e = 0;
  EXPECT_EQ(go(1023, &e), 500);
  EXPECT_EQ(e, -1);
  EXPECT_TRUE(world().shown.empty());
  EXPECT_EQ(world().prompts, (std::vector<int>{7000}));
  EXPECT_EQ(world().clears, 1);
}

TEST_F(Pick1, GroupFirstThenTheMember) {
  const int32_t g = group(1);
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t m = line(0, 50, 100, 50);
  grp_close(0);
  pck_filter(NOD | 15, 0, 0, 0);
  int32_t e = 0;
  world().clicks = {{500, 40, 50}};
  world().answers = {'n', 'y'};
  EXPECT_EQ(go(1023, &e), 500);
  EXPECT_EQ(e, m);
  ASSERT_GE(world().shown.size(), 3u);
  EXPECT_EQ(world().shown[0], (Shown{0, g, colour(13)}));
  EXPECT_EQ(world().shown[2], (Shown{0, m, colour(13)}));
  // Refusing both: 501.
  world() = PickWorld{};
  world().clicks = {{500, 40, 50}};
  world().answers = {'n', 'n'};
  EXPECT_EQ(go(1023, &e), 501);
  // Esc asks for a new point instead of ending.
  world() = PickWorld{};
  world().clicks = {{500, 40, 50}, {500, 40, 50}};
  world().answers = {27, 'y'};
  EXPECT_EQ(go(1023, &e), 500);
  EXPECT_EQ(e, g);
  EXPECT_TRUE(world().clicks.empty());
}

TEST_F(Pick1, NearestOnlyAndPlainElements) {
  const int32_t a = line(0, 50, 100, 50);
  const int32_t b = line(0, 50.5, 100, 50.5);
  int32_t e = 0;
  world().clicks = {{500, 40, 50.1}};
  world().answers = {'n'};
  EXPECT_EQ(go(1 | PCK_NEAREST, &e), 501);
  EXPECT_EQ(world().questions.size(), 1u);
  world() = PickWorld{};
  world().clicks = {{500, 40, 50.1}};
  world().answers = {'n', 'y'};
  EXPECT_EQ(go(1, &e), 500);
  EXPECT_EQ(e, b);
  // One plain candidate: taken after the pause.
  world() = PickWorld{};
  world().clicks = {{500, 40, 49.2}};
  EXPECT_EQ(go(1 | PCK_NEAREST, &e), 500);
  EXPECT_EQ(e, a);
  EXPECT_EQ(world().delays, (std::vector<uint32_t>{150}));
  // The drawing of the last accepted pick: none yet.
  EXPECT_EQ(go(PCK_CURDWG, &e), 700);
}

TEST_F(Pick1, SelfParentAndLoopsDoNotHang) {
  const int32_t g = group(1);
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t m = line(0, 50, 100, 50);
  grp_close(0);
  const int32_t h = group(1);
  at(g)->parent = g; // names itself: the top of the chain
  int32_t e = 0;
  world().clicks = {{500, 40, 50}};
  world().answers = {'y'};
  EXPECT_EQ(go(1, &e), 500);
  EXPECT_EQ(e, g);
  // g and h name each other: each is proposed once, the highest first.
  at(g)->parent = h;
  at(h)->parent = g;
  world() = PickWorld{};
  world().clicks = {{500, 40, 50}};
  world().answers = {'n', 'n', 'n'};
  EXPECT_EQ(go(1, &e), 501);
  EXPECT_EQ(world().questions.size(), 3u);
  std::vector<int32_t> proposed;
  for (const Shown &s : world().shown)
    if (s.colour != -1)
      proposed.push_back(s.n);
  EXPECT_EQ(proposed, (std::vector<int32_t>{h, g, m}));
  // And the top node search over the same loop ends.
  int32_t top = 0;
  EXPECT_EQ(pck_topnode(0, m, &top), 2);
}

} // namespace

// The end of the command (800) or a closed question (700) as the answer to any yes/no
// question of picking: asked once, never again, and handed to the caller.
TEST_F(Pick1, EndOfCommandAtAQuestionIsHandedOn) {
  const int32_t g = group(1);
  ASSERT_EQ(grp_open(0, g), 0);
  line(0, 50, 100, 50);
  grp_close(0);
  line(0, 50.5, 100, 50.5);
  sel_alloc(100);
  const struct {
    const char *what;
    std::function<int()> run;
  } cases[] = {
      {"element pick",
       [] {
         int32_t d = -1, e = 0;
         double x = 0, y = 0;
         const int rc = pck_elem(0, 1, &d, &x, &y, &e);
         EXPECT_EQ(e, -1);
         return rc;
       }},
      {"owner choice and single proposal",
       [] {
         int32_t d = -1, e = 0;
         double x = 0, y = 0;
         const int rc = sel_pick1(0, 1, &d, &x, &y, &e);
         EXPECT_EQ(e, -1);
         return rc;
       }},
      {"picking into the selection", [] { return sel_addpick(0, 0); }},
  };
  for (int end : {800, 700})
    for (const auto &c : cases) {
      // The owner choice proposes the group first; the plain line is asked second.
      for (int skip : {0, 1}) {
        world() = PickWorld{};
        world().clicks = {{500, 40, 50.2}};
        world().answers = {skip ? 'n' : end, end, end, end};
        pck_filter(NOD | 15, 0, 0, 0);
        EXPECT_EQ(c.run(), end) << c.what << " " << skip;
        EXPECT_EQ(world().questions.size(), size_t(1 + skip)) << c.what << " " << skip;
        EXPECT_TRUE(world().clicks.empty()) << c.what;
      }
    }
  sel_free();
}
