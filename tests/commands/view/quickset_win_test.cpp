// Quick settings run on a level above the waiting command, and the number key-in.
#include "../cmdharness.h"

#include "commands/view/quickset.h"
#include "display/marks/grid.h"
#include "shell/units/abox.h"
#include "shell/units/ledit.h"

using namespace cmdtest;

namespace {

class Quick : public CommandTest {
protected:
  static int32_t ltype() {
    int32_t v = -1;
    abox_curattr(0, nullptr, &v, nullptr, nullptr);
    return v;
  }
  static void set_ltype(int32_t v) { abox_curattr(1, nullptr, &v, nullptr, nullptr); }
  static int32_t pen() {
    int32_t v = -1;
    abox_curattr(0, &v, nullptr, nullptr, nullptr);
    return v;
  }
  static void styles(int32_t *s, int32_t *e) { abox_curattr(0, nullptr, nullptr, s, e); }
  static void grid(uint32_t mode) {
    GridRecord g{};
    grd_rec('R', 0, &g);
    g.mode = mode;
    grd_rec('W', 0, &g);
  }
  static void pick(uint32_t m) { sys_pickmode('w', &m, nullptr); }
};

TEST_F(Quick, LineKindsOfLinesAndOfPoints) {
  inp_set(225, 4, 0); // points: the line kind is the point type
  set_ltype(4);
  now(907);
  EXPECT_EQ(ltype(), 4);
  now(902);
  EXPECT_EQ(ltype(), 5);
  now(904);
  EXPECT_EQ(ltype(), 1);
  struct Walk {
    uint32_t flags;
    int32_t kind;
    int command;
    std::vector<int> seen;
  } walks[] = {
      {0x08, 1, 900, {2, 3, 4, 5, 6, 1}},
      {0x08, 1, 901, {6, 5, 4, 3, 2, 1}},
      {0xE1, 4, 900, {5, 2, 1}},
      {0xE1, 4, 901, {2, 5, 1}},
  };
  for (const Walk &w : walks) {
    inp_set(w.flags, w.kind, 0);
    set_ltype(1);
    std::vector<int> seen;
    for (size_t i = 0; i < w.seen.size(); i++) {
      now(w.command);
      seen.push_back(ltype());
    }
    EXPECT_EQ(seen, w.seen) << w.command << " kind " << w.kind;
  }
  // Without the line-kind field and not for points: nothing.
  inp_set(0x10, 1, 0);
  set_ltype(2);
  now(900);
  now(906);
  EXPECT_EQ(ltype(), 2);
}

TEST_F(Quick, EndStylesSkipThree) {
  struct Case {
    int command;
    int32_t from_s, from_e, to_s, to_e;
  } cases[] = {
      {940, 6, 1, 0, 1}, {940, 2, 1, 4, 1}, {941, 4, 1, 2, 1}, {941, 0, 1, 6, 1},
      {942, 1, 2, 1, 4}, {943, 1, 4, 1, 2}, {943, 1, 0, 1, 6}, {942, 1, 6, 1, 0},
  };
  inp_set(0x10, 1, 0);
  for (const Case &c : cases) {
    int32_t s = c.from_s, e = c.from_e;
    abox_curattr(1, nullptr, nullptr, &s, &e);
    now(c.command);
    styles(&s, &e);
    EXPECT_EQ(s, c.to_s) << c.command << " from " << c.from_s << "," << c.from_e;
    EXPECT_EQ(e, c.to_e) << c.command << " from " << c.from_s << "," << c.from_e;
  }
  inp_set(0x20, 1, 0); // no end-style fields
  int32_t s = 2, e = 2;
  abox_curattr(1, nullptr, nullptr, &s, &e);
  now(940);
  now(943);
  styles(&s, &e);
  EXPECT_EQ(s, 2);
  EXPECT_EQ(e, 2);
}

TEST_F(Quick, PensOnlyWhereTheInputTakesThem) {
  inp_set(0x1ffff, 1, 1);
  now(931);
  EXPECT_EQ(pen(), 12);
  uint16_t p = 0;
  sys_pntatr('r', &p);
  EXPECT_EQ(p & 0xF, 12); // lines and points share the pen
  now(920);
  EXPECT_EQ(pen(), 1);
  inp_set(0x1ffff & ~0x20u, 1, 1);
  now(925);
  EXPECT_EQ(pen(), 1);
}

TEST_F(Quick, PickModes) {
  struct Case {
    bool grid;
    uint32_t from;
    int command;
    uint32_t to;
  } cases[] = {
      {false, 2, 964, 2}, {true, 2, 964, 4}, {false, 3, 960, 0}, {true, 3, 960, 4}, {true, 4, 960, 0},
      {false, 0, 961, 3}, {true, 0, 961, 4}, {false, 1, 963, 0}, {false, 0, 962, 1}, {false, 0, 965, 2},
      {false, 0, 966, 3}, {false, 1, 960, 2},
  };
  for (const Case &c : cases) {
    grid(c.grid ? 1 : 0);
    pick(c.from);
    testwin::drain();
    now(c.command);
    EXPECT_EQ(qs_pickmode(), c.to) << c.command << " from " << c.from << (c.grid ? " grid on" : "");
    EXPECT_EQ(PickMode, c.to == c.from && c.command == 964 ? PickMode : c.to);
    MSG m;
    const bool posted = PeekMessageA(&m, win_.frame, GCR_MSG_ATTR, GCR_MSG_ATTR, PM_REMOVE);
    EXPECT_EQ(posted, !(c.command == 964 && !c.grid)) << c.command;
  }
  grid(0);
}

TEST_F(Quick, LayerSelection) {
  uint16_t cur = 5, states[64];
  for (auto &s : states)
    s = 2;
  states[5] = 3;
  sys_layer('w', 0, &cur, states);
  inp_set(0x80, 1, 0);
  cm_layer(17);
  sys_layer('r', 0, &cur, states);
  EXPECT_EQ(cur, 17);
  EXPECT_EQ(states[17], 3);
  EXPECT_EQ(states[5], 2);
  inp_set(0x7F, 1, 0); // the input takes no layer
  cm_layer(3);
  sys_layer('r', 0, &cur, states);
  EXPECT_EQ(cur, 17);
  EXPECT_EQ(states[3], 2);
}

HWND edit() {
  HWND f = ledit_window();
  return f ? GetWindow(f, GW_CHILD) : nullptr;
}
std::function<void()> line(const char *s, int vk = VK_RETURN) {
  return [s, vk] {
    SetWindowTextA(edit(), "");
    for (const char *c = s; *c; ++c)
      PostMessageA(edit(), WM_CHAR, static_cast<unsigned char>(*c), 1);
    PostMessageA(edit(), WM_KEYDOWN, vk, 1);
  };
}

TEST_F(Quick, NumberKeyIn) {
  struct Case {
    std::vector<std::function<void()>> steps;
    int code;
    double value;
  } cases[] = {
      {{[] {}, line("")}, 13, 0.0},
      {{[] {}, line("2*3")}, 13, 6.0},
      {{[] {}, line("abc"), [] {}, line("1.5")}, 13, 1.5}, // asked again
      {{[] {}, line("9", VK_ESCAPE)}, 27, -7},
  };
  for (Case &c : cases) {
    char buf[33] = "";
    double v = -7;
    testwin::Script script(c.steps);
    EXPECT_EQ(num_keyval(0, 0, 0x1, 32, buf, &v), c.code);
    EXPECT_DOUBLE_EQ(v, c.value);
    EXPECT_TRUE(script.done());
  }
}

} // namespace
