// The input request, its kind records and the shown cursor position.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "display/view/view.h"
#include "input/inpkind.h"
#include "settings/appstate.h"
#include "settings/params.h"
#include "shell/units/msgwin.h"

namespace {

class InputRequestTest : public ::testing::Test {
protected:
  void SetUp() override {
    prm_init();
    inp_init();
    AboxPenRule = 0;
    dwg_setcur(0);
  }
};

TEST_F(InputRequestTest, KindRecordsAreBoundedToNine) {
  uint32_t rec[7];
  inp_kind('r', 5, rec);
  EXPECT_EQ(rec[3], 2u);
  inp_kind('r', 6, rec);
  EXPECT_EQ(rec[1], 1u);
  uint32_t before[INP_KINDS][INP_KINDWORDS];
  std::memcpy(before, InpKinds, sizeof before);
  uint32_t mine[7] = {1, 2, 3, 4, 5, 6, 7};
  for (int kind : {0, -1, 10, 1000}) {
    EXPECT_EQ(inp_kind('w', kind, mine), 9) << kind;
    EXPECT_EQ(inp_kind('r', kind, mine), 9) << kind;
  }
  EXPECT_EQ(std::memcmp(before, InpKinds, sizeof before), 0);
  EXPECT_EQ(mine[6], 7u);
  EXPECT_EQ(inp_kind('w', 9, mine), 0);
  uint32_t back[7] = {};
  EXPECT_EQ(inp_kind('R', 9, back), 0);
  EXPECT_EQ(std::memcmp(back, mine, sizeof mine), 0);
}

TEST_F(InputRequestTest, PensBoundToALineKindTakeTheLineKindFieldAway) {
  uint16_t attr = 3; // pen 3
  sys_linatr('w', &attr);
  uint16_t pens[12] = {};
  pens[2] = 5;
  sys_penlkind('w', pens);
  const struct {
    uint32_t flags;
    int32_t target, kind;
    uint32_t stored;
  } cases[] = {
      {0x28, 1, 0, 0x20}, {0x28, 1, 1, 0x20}, {0x28, 1, 22, 0x20},      {0x28, 1, 5, 0x28},
      {0x28, 2, 0, 0x28}, {0x08, 1, 0, 0x08}, {0x1FFFF, 1, 0, 0x1FFF7},
  };
  for (const auto &c : cases) {
    inp_set(c.flags, c.target, c.kind);
    uint32_t flags;
    int32_t target, kind;
    inp_req('r', &flags, &target, &kind);
    EXPECT_EQ(flags, c.stored) << c.flags << " " << c.target << " " << c.kind;
    EXPECT_EQ(target, c.target);
    EXPECT_EQ(kind, c.kind);
  }
  pens[2] = 0; // a free pen gives the field back
  sys_penlkind('w', pens);
  uint32_t flags = 0x20;
  int32_t target = 1, kind = 0;
  inp_req('W', &flags, &target, &kind);
  EXPECT_EQ(InpRequest.flags, 0x28u);
  attr = 0; // no pen counts as free
  sys_linatr('w', &attr);
  inp_set(0x20, 1, 0);
  EXPECT_EQ(InpRequest.flags, 0x28u);
  AboxPenRule = 1;
  inp_set(0x20, 1, 0);
  EXPECT_EQ(InpRequest.flags, 0x20u);
}

TEST_F(InputRequestTest, OptionWord) {
  uint32_t w = 2;
  inp_opt('W', &w);
  w = 0;
  inp_opt('r', &w);
  EXPECT_EQ(w, 2u);
}

TEST_F(InputRequestTest, KindSixSetsTheCharacterBases) {
  uint32_t rec[7] = {0, 0x6, 0xD};
  inp_kind('w', 6, rec);
  dwg_setcur(1);
  EXPECT_EQ(inp_kindattr(6), 0);
  EXPECT_EQ(dwg_cur(), 1);
  CharAttrs a{};
  sys_chratr('r', &a);
  EXPECT_EQ((a.attr >> 7) & 3, 2);
  EXPECT_EQ((a.attr >> 9) & 7, 5);
  dwg_setcur(0);
  sys_chratr('r', &a);
  EXPECT_EQ((a.attr >> 9) & 7, 5);
  EXPECT_EQ(inp_kindattr(0), 0);
  EXPECT_EQ(inp_kindattr(5), 0);
  EXPECT_EQ(inp_kindattr(7), -1);
}

TEST_F(InputRequestTest, PairTwoIsShownOnTheMessageLine) {
  HWND line = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  msgwin_attach(line);
  double x = 1500000, y = 2;
  inp_curpos('W', 2, &x, &y);
  char text[128] = "";
  int colour = -1;
  mesg_line('R', 1, &colour, text);
  EXPECT_EQ(std::string(text), "    1500,       0");
  EXPECT_EQ(colour, 1);
  EXPECT_EQ(InpPosUnit, 1u);
  // Pair 1 is kept apart and read first.
  x = 7;
  inp_curpos('W', 1, &x, nullptr);
  double rx = 0, ry = 0;
  inp_curpos('R', 3, &rx, &ry);
  EXPECT_EQ(rx, 7);
  EXPECT_EQ(ry, 0);
  inp_curpos('R', 2, &rx, &ry);
  EXPECT_EQ(rx, 1500000);
  EXPECT_EQ(ry, 2);
  msgwin_attach(nullptr);
  DestroyWindow(line);
}

} // namespace
