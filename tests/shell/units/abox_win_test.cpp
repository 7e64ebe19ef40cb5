// The attribute box under a real frame: the attribute word by input kind, the refresh
// from the input request, the field commands from real presses, and a picture of the box
// in one and in two rows above the message window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/testwin.h"
#include "database/store.h"
#include "display/elements/elmdisp_win.h"
#include "display/marks/grid.h"
#include "input/inpkind.h"
#include "settings/params.h"
#include "settings/winutil.h"
#include "shell/units/abox.h"
#include "shell/units/msgwin.h"
#include "shell/units/units.h"

namespace {

std::string text_of(HWND w) {
  char t[128] = "";
  GetWindowTextA(w, t, sizeof t);
  return t;
}

bool enabled(int field) { return IsWindowEnabled(abox_field(field)) != 0; }
bool visible(int field) { return (GetWindowLongPtrA(abox_field(field), GWL_STYLE) & WS_VISIBLE) != 0; }

// Attribute parts read back through the box.
struct Parts {
  int pen = -1, ltype = -1, sends = -1, eends = -1;
};
Parts read_parts() {
  Parts p;
  abox_curattr(0, &p.pen, &p.ltype, &p.sends, &p.eends);
  return p;
}

// Messages 1128 that reached the frame since the last look.
int attr_messages = 0;
bool take_attr_message(HWND) {
  if (!attr_messages)
    return false;
  attr_messages--;
  return true;
}

// Dispatches what waits, counting (not dispatching) the frame's 1128.
void pump(HWND frame) {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      return;
    }
    if (m.message == 1128 && m.hwnd == frame) {
      attr_messages++;
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

class AboxTest : public ::testing::Test {
protected:
  testwin::Windows win;

  void SetUp() override {
    prm_init();
    inp_init();
    std::memset(DbCtl, 0, sizeof DbCtl);
    std::memset(GridTable, 0, sizeof GridTable);
    LayerHiliteMode = 0;
    AboxPenRule = 0;
    AboxModeCount = 2;
    AboxSplit = 0;
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
    UnitInfo.unit[1].shown = 1;
    UnitInfo.unit[1].side = 1;
    ASSERT_TRUE(abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]));
    abox_arrange(&UnitInfo.unit[1]);
    // Above the MDI client, which the layout would move below it.
    SetWindowPos(app_habox(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    pump(win.frame);
    attr_messages = 0;
  }
  void TearDown() override {
    PnlStarted = false;
    abox_destroy();
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
  }

  // A real press of the mouse in the middle of a field: button down and up.
  void click(int field, bool left = true) {
    HWND w = abox_field(field);
    RECT r;
    GetClientRect(w, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageA(w, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, at);
    PostMessageA(w, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, at);
    pump(win.frame);
  }
  // A list closed on an item, as the combo box tells its parent.
  void choose(int field, int item) {
    HWND w = abox_field(field);
    SendMessageA(w, CB_SETCURSEL, WPARAM(item), 0);
    SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID + field, CBN_SELENDOK), LPARAM(w));
    testwin::drain();
  }
};

TEST_F(AboxTest, AttributeWordByInputKind) {
  // Kind 1: the pen goes into the line and the point word; pen 3 is bound to line kind 4.
  uint16_t kinds[12] = {};
  kinds[2] = 4;
  sys_penlkind('w', kinds);
  uint16_t point = 0x0A50; // point type 0xA5, pen 0
  sys_pntatr('w', &point);
  inp_set(0xE1, 1, 0);
  int pen = 3, ltype = 2, sends = 1, eends = 5;
  EXPECT_EQ(abox_curattr(1, &pen, &ltype, &sends, &eends), 0);
  uint16_t line = 0;
  sys_linatr('r', &line);
  EXPECT_EQ(line, 3 | 4 << 4 | 1 << 8 | 5 << 11);
  sys_pntatr('r', &point);
  EXPECT_EQ(point, 0x0A53);
  // Reading a pen bound to a line kind gives that kind whatever the word holds.
  line = 3 | 6 << 4;
  sys_linatr('w', &line);
  Parts p = read_parts();
  EXPECT_EQ(p.pen, 3);
  EXPECT_EQ(p.ltype, 4);
  // A free pen keeps the written line type.
  pen = 5;
  ltype = 2;
  abox_curattr(1, &pen, &ltype, nullptr, nullptr);
  p = read_parts();
  EXPECT_EQ(p.pen, 5);
  EXPECT_EQ(p.ltype, 2);

  // Kind 2: only a pen, in the text attributes.
  inp_set(0x1F0E1, 2, 6);
  CharAttrs c{};
  c.attr = 0x0E81; // pen 1, alignment and font bits
  sys_chratr('w', &c);
  pen = 7;
  ltype = 3;
  sends = 2;
  abox_curattr(1, &pen, &ltype, &sends, nullptr);
  sys_chratr('r', &c);
  EXPECT_EQ(c.attr, 0x0E87);
  p = read_parts();
  EXPECT_EQ(p.pen, 7);
  EXPECT_EQ(p.ltype, 0);
  EXPECT_EQ(p.sends, 0);
  EXPECT_EQ(p.eends, 0);

  // Kind 4: pen and an 8-bit point type.
  inp_set(225, 4, 0);
  pen = 9;
  ltype = 4;
  abox_curattr(1, &pen, &ltype, nullptr, nullptr);
  sys_pntatr('r', &point);
  EXPECT_EQ(point, 9 | 4 << 4);
  p = read_parts();
  EXPECT_EQ(p.pen, 9);
  EXPECT_EQ(p.ltype, 4);
  EXPECT_EQ(p.sends, 0);

  // Kind 3 keeps its word in the dimension block; a kind without attributes reads 0s.
  inp_set(0xFFFF, 3, 0);
  pen = 2;
  eends = 6;
  abox_curattr(1, &pen, nullptr, nullptr, &eends);
  DimAttrs d{};
  sys_dimatr('r', &d);
  EXPECT_EQ(d.linattr & 0x380F, 2 | 6 << 11);
  inp_set(0xFFFF, 9, 0);
  EXPECT_EQ(abox_curattr(0, &pen, &ltype, &sends, &eends), 1);
  EXPECT_EQ(pen + ltype + sends + eends, 0);
}

TEST_F(AboxTest, LineEndFieldsStepOncePerRealClick) {
  inp_set(0x1FFFF, 1, 0);
  click(3, false); // right on 0
  EXPECT_EQ(read_parts().sends, 6);
  int two = 2;
  abox_curattr(1, nullptr, nullptr, &two, nullptr);
  click(3, true);
  EXPECT_EQ(read_parts().sends, 4);
  click(4, true);
  click(4, true);
  EXPECT_EQ(read_parts().eends, 2);
  // A programmatic click and a key's press of the field step forward once each.
  SendMessageA(abox_field(4), BM_CLICK, 0, 0);
  testwin::drain();
  EXPECT_EQ(read_parts().eends, 4);
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID + 4, BN_CLICKED), -1);
  testwin::drain();
  EXPECT_EQ(read_parts().eends, 5);
  EXPECT_EQ(GetFocus(), abox_field(4));
  // The field's own click from the keyboard.
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID + 4, BN_CLICKED), LPARAM(abox_field(4)));
  EXPECT_EQ(read_parts().eends, 6);
  // Without its flag bit the field does not step.
  inp_set(0x1FFFF & ~0x10u, 1, 0);
  click(3, true);
  EXPECT_EQ(read_parts().sends, 4);
}

TEST_F(AboxTest, PickModeWrapsAtThreeOrFourWithTheGridAndTellsTheFrame) {
  inp_set(0x1FFFF, 1, 0);
  EXPECT_TRUE(visible(5));
  uint32_t mode = 3;
  sys_pickmode('w', &mode, nullptr);
  click(5);
  sys_pickmode('r', &mode, nullptr);
  EXPECT_EQ(mode, 0u);
  EXPECT_EQ(text_of(abox_field(5)), "自由点");
  EXPECT_TRUE(take_attr_message(win.frame));
  EXPECT_FALSE(take_attr_message(win.frame)); // once per click

  GridRecord g{};
  g.mode = 1;
  grd_rec('w', 0, &g);
  mode = 3;
  sys_pickmode('w', &mode, nullptr);
  click(5);
  sys_pickmode('r', &mode, nullptr);
  EXPECT_EQ(mode, 4u);
  EXPECT_EQ(text_of(abox_field(5)), "ｸﾞﾘｯﾄﾞ");
  click(5);
  sys_pickmode('r', &mode, nullptr);
  EXPECT_EQ(mode, 0u);
  click(5, false);
  sys_pickmode('r', &mode, nullptr);
  EXPECT_EQ(mode, 4u);
  // Without bit 6 the field is hidden.
  inp_set(0x1FFFF & ~0x40u, 1, 0);
  EXPECT_FALSE(visible(5));
}

TEST_F(AboxTest, RefreshFollowsTheRequest) {
  inp_set(0x1FFFF & ~0x80u, 1, 0);
  EXPECT_TRUE(visible(0));
  EXPECT_FALSE(enabled(0));
  EXPECT_EQ(text_of(abox_field(3)), "左");
  EXPECT_EQ(text_of(abox_field(4)), "右");
  EXPECT_EQ(text_of(abox_field(abox_hilitefield())), "NR");
  inp_set(0x1FFFF, 1, 0);
  EXPECT_TRUE(enabled(0));

  // Input kind 4 lists the point types 4, 1, 0 and always offers the field.
  uint16_t point = 1 << 4;
  sys_pntatr('w', &point);
  inp_set(0xE1 & ~0x08u, 4, 0);
  HWND types = abox_field(2);
  ASSERT_EQ(SendMessageA(types, CB_GETCOUNT, 0, 0), 3);
  const int want[3] = {4, 1, 0};
  for (int i = 0; i < 3; i++)
    EXPECT_EQ(SendMessageA(types, CB_GETITEMDATA, i, 0), want[i]);
  EXPECT_EQ(SendMessageA(types, CB_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(enabled(2));
  inp_set(0xE9, 1, 0);
  EXPECT_EQ(SendMessageA(types, CB_GETCOUNT, 0, 0), 6);

  // A pen bound to a line kind takes the line-type field away from commands 0, 1, 22.
  uint16_t kinds[12] = {};
  kinds[0] = 3;
  sys_penlkind('w', kinds);
  uint16_t line = 1 | 2 << 4;
  sys_linatr('w', &line);
  AboxPenRule = 1; // the request keeps bit 3; the box still takes the field away
  inp_set(0xE9, 1, 0);
  EXPECT_FALSE(enabled(2));
  EXPECT_EQ(SendMessageA(types, CB_GETCURSEL, 0, 0), 2); // line kind 3
  inp_set(0xE9, 1, 5);
  EXPECT_TRUE(enabled(2));

  // Processing modes of kind 6: both buttons with their texts; kind 8 only the first.
  uint32_t rec[7] = {0, 2, 3};
  inp_kind('w', 6, rec);
  inp_set(0x1F0E1, 2, 6);
  EXPECT_TRUE(visible(6));
  EXPECT_EQ(text_of(abox_field(6)), "右側");
  EXPECT_EQ(text_of(abox_field(7)), "欧文");
  inp_set(0x1100, 1, 8);
  EXPECT_TRUE(visible(6));
  EXPECT_FALSE(visible(7));
  EXPECT_EQ(text_of(abox_field(6)), "単独");
}

TEST_F(AboxTest, ProcessingModeButtonsStepTheKindRecord) {
  inp_set(0x1F0E1, 2, 6);
  click(7); // font: vector -> 和文1
  uint32_t rec[7];
  inp_kind('r', 6, rec);
  EXPECT_EQ(rec[2], 1u);
  EXPECT_EQ(text_of(abox_field(7)), "和文1");
  EXPECT_TRUE(take_attr_message(win.frame));
  CharAttrs c{};
  sys_chratr('r', &c);
  EXPECT_EQ((c.attr >> 9) & 7, 1); // applied to the text attributes
  click(6, false);                 // alignment: 中央 -> 左側
  inp_kind('r', 6, rec);
  EXPECT_EQ(rec[1], 0u);
  click(6, false); // before the first the last
  inp_kind('r', 6, rec);
  EXPECT_EQ(rec[1], 2u);
  EXPECT_EQ(text_of(abox_field(6)), "右側");
}

TEST_F(AboxTest, ElementCountAndHighlight) {
  inp_set(0x1FFFF, 1, 0);
  const int count = abox_countfield();
  EXPECT_EQ(text_of(abox_field(count)), "  0.0");
  click(count);
  EXPECT_EQ(text_of(abox_field(count)), "    0");
  DbCtl[0].max12 = 1000;
  click(count);
  EXPECT_EQ(text_of(abox_field(count)), " 1000");
  click(count);
  EXPECT_EQ(text_of(abox_field(count)), "  0.0");

  const int hl = abox_hilitefield();
  click(hl);
  EXPECT_EQ(LayerHiliteMode, 1u);
  EXPECT_EQ(text_of(abox_field(hl)), "HL");
  click(hl);
  EXPECT_EQ(LayerHiliteMode, 0u);
  EXPECT_EQ(text_of(abox_field(hl)), "NR");
}

TEST_F(AboxTest, ChoosingALayerAPenAndALineType) {
  inp_set(0x1FFFF, 1, 0);
  uint16_t cur = 2, states[64] = {};
  states[2] = 3;
  sys_layer('w', 0, &cur, states);
  choose(0, 5);
  sys_layer('r', 0, &cur, states);
  EXPECT_EQ(cur, 5);
  EXPECT_EQ(states[2], 2);
  EXPECT_EQ(states[5], 3);

  // A new pen declares the input again: 225 becomes 233, so the pen's rule applies.
  inp_set(225, 1, 0);
  choose(1, 2);
  EXPECT_EQ(read_parts().pen, 3);
  uint32_t flags = 0;
  inp_req('r', &flags, nullptr, nullptr);
  EXPECT_EQ(flags, 233u);
  inp_set(0x1234, 1, 0);
  choose(1, 0);
  inp_req('r', &flags, nullptr, nullptr);
  EXPECT_EQ(flags, 131071u);

  choose(2, 4);
  EXPECT_EQ(read_parts().ltype, 5);
  inp_set(225, 4, 0);
  choose(2, 0); // point type 4
  EXPECT_EQ(read_parts().ltype, 4);
}

TEST_F(AboxTest, HoverTitleAndTheKeyPressOpensAList) {
  SendMessageA(abox_field(2), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(text_of(app_habox()), "線種");
  SendMessageA(abox_field(1), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(text_of(app_habox()), "線種");
  inp_set(0x1FFFF, 1, 0);
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, 0), -1);
  testwin::drain();
  EXPECT_TRUE(SendMessageA(abox_field(0), CB_GETDROPPEDSTATE, 0, 0));
  SendMessageA(abox_field(0), CB_SHOWDROPDOWN, FALSE, 0);
  testwin::drain();
  EXPECT_EQ(abox_lstopen(), 0);
}

TEST_F(AboxTest, NoFieldOperationWhileTheUnitIsHidden) {
  UnitInfo.unit[1].shown = 0;
  EXPECT_EQ(abox_settext(3, "x"), 0);
  EXPECT_EQ(abox_show(3, 0), 0);
  EXPECT_EQ(abox_show(-1, 0), 1); // the box itself
  UnitInfo.unit[1].shown = 1;
  EXPECT_EQ(abox_settext(99, "x"), 0);
  EXPECT_EQ(abox_settext(3, "x"), 1);
}

// Pixels of one colour in a field as shown on the screen.
int pixels_of(HWND w, uint32_t rgb) {
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  testwin::drain();
  RECT r;
  const std::vector<uint32_t> px = screen_capture(w, r);
  int n = 0;
  for (uint32_t p : px)
    n += p == rgb;
  return n;
}

TEST_F(AboxTest, PickModeNameColouredByInputModeOrEmbossed) {
  inp_set(0x1FFFF, 1, 0);
  HWND f5 = abox_field(5);
  sys_inmode(1);
  EXPECT_GT(pixels_of(f5, 0x0000FF), 10); // blue
  sys_inmode(2);
  EXPECT_GT(pixels_of(f5, 0xFF0000), 10); // red
  EXPECT_EQ(pixels_of(f5, 0xA0A0A0), 0);
  AboxGreyLook = 1;
  EXPECT_GT(pixels_of(f5, 0xA0A0A0), 10);
  EXPECT_EQ(pixels_of(f5, 0xFF0000), 0);
  AboxGreyLook = 0;
  sys_inmode(0);
}

TEST_F(AboxTest, ModeCountOutsideItsRangeMakesTwoButtons) {
  AboxModeCount = 9;
  ASSERT_TRUE(abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]));
  EXPECT_EQ(abox_countfield(), 8);
  EXPECT_EQ(abox_hilitefield(), 9);
  EXPECT_TRUE(abox_field(9));
  EXPECT_FALSE(abox_field(10));
  AboxModeCount = 5;
  ASSERT_TRUE(abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]));
  EXPECT_TRUE(abox_field(12));
  EXPECT_EQ(GetDlgCtrlID(abox_field(12)), ABOX_ID + 12);
}

TEST_F(AboxTest, FloatingBoxSystemMenuAndPosition) {
  UnitInfo.unit[1].side = 0;
  UnitInfo.unit[1].left = 40;
  UnitInfo.unit[1].top = 50;
  HWND box = abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]);
  ASSERT_TRUE(box);
  EXPECT_TRUE(GetWindowLongPtrA(box, GWL_STYLE) & WS_POPUP);
  abox_arrange(&UnitInfo.unit[1]);
  RECT r;
  GetWindowRect(box, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  HMENU sm = GetSystemMenu(box, FALSE);
  char text[64] = "";
  GetMenuStringA(sm, 1001, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "短く変更(&2)");
  GetMenuStringA(sm, SC_CLOSE, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "閉じる(&C)");
  EXPECT_EQ(GetMenuState(sm, SC_MOVE, MF_BYCOMMAND) & MF_DISABLED, 0u); // still movable
  SendMessageA(box, WM_SYSCOMMAND, 1001, 0);
  EXPECT_EQ(UnitInfo.unit[1].line, 1);
  EXPECT_TRUE(IsWindowVisible(box));
  SetWindowPos(box, nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(UnitInfo.unit[1].left, 70);
  EXPECT_EQ(UnitInfo.unit[1].top, 80);
  SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(UnitInfo.unit[1].shown, 0u);
  EXPECT_FALSE(IsWindowVisible(box));
}

TEST_F(AboxTest, LayerNamesWidenTheLayerList) {
  static DrawingEnvRecord env;
  sys_dwgenv('r', 0, &env);
  std::strcpy(env.laynames[7], "とても長いレイヤの名前です");
  sys_dwgenv('w', 0, &env);
  RECT narrow;
  GetWindowRect(abox_field(0), &narrow);
  UnitInfo.unit[9].shown = 1;
  UnitInfo.unit[9].line = 1;
  ASSERT_TRUE(abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]));
  abox_arrange(&UnitInfo.unit[1]);
  RECT wide;
  GetWindowRect(abox_field(0), &wide);
  EXPECT_GT(wide.right - wide.left, narrow.right - narrow.left); // 6 cells instead of 5
  HWND layers = abox_field(0);
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, CBN_DROPDOWN), LPARAM(layers));
  EXPECT_EQ(abox_lstopen(), 1);
  const int longest = int(std::strlen("8  ") + std::strlen(env.laynames[7]));
  EXPECT_EQ(SendMessageA(layers, CB_GETDROPPEDWIDTH, 0, 0), (longest + 3) * 87 / 10);
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, CBN_CLOSEUP), LPARAM(layers));
  EXPECT_EQ(abox_lstopen(), 0);
}

// The box docked above the message window, in one row and in two, left in the build folder.
TEST_F(AboxTest, PictureInOneAndTwoRows) {
  HWND mesg = mesg_create();
  ASSERT_TRUE(mesg);
  char prompt[] = "始点を指示してください";
  int colour = 0;
  mesg_line('W', 0, &colour, prompt);
  uint32_t rec[7] = {0, 1, 2};
  inp_kind('w', 6, rec);
  PnlStarted = true; // the units this test lays out are its own
  for (int line = 0; line < 2; line++) {
    UnitInfo.unit[1].line = uint16_t(line);
    inp_set(0x1F0E1 | 0x1C, 2, 6);
    pnl_arrange();
    testwin::drain();
    HWND box = app_habox();
    ASSERT_TRUE(IsWindowVisible(box));
    RECT fr, br, mr;
    GetClientRect(win.frame, &fr);
    MapWindowPoints(win.frame, nullptr, reinterpret_cast<POINT *>(&fr), 2);
    GetWindowRect(box, &br);
    GetWindowRect(mesg, &mr);
    EXPECT_EQ(br.top, fr.top);
    EXPECT_EQ(br.left, fr.left);
    EXPECT_EQ(mr.bottom, fr.bottom);
    RECT f5, f6;
    GetWindowRect(abox_field(5), &f5);
    GetWindowRect(abox_field(6), &f6);
    if (line == 0)
      EXPECT_EQ(f5.top, f6.top);
    else
      EXPECT_GT(f5.top, GetWindowRect(abox_field(4), &f6) ? f6.top : 0); // field 5 opens the second row
    // Japanese glyphs exist in the box's font.
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    WORD glyphs[3];
    ASSERT_EQ(GetGlyphIndicesW(dc, L"中央和", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 3u);
    for (WORD g : glyphs)
      EXPECT_NE(g, 0xFFFF);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    RedrawWindow(win.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testwin::drain();
    Sleep(100);
    RECT pic;
    const std::vector<uint32_t> px = screen_capture(win.frame, pic);
    const std::string path = std::string(INK_PICTURE_DIR) + (line == 0 ? "/abox_one_row.png" : "/abox_two_rows.png");
    EXPECT_TRUE(write_png(path.c_str(), pic.right - pic.left, pic.bottom - pic.top, px));
    std::printf("screenshot: %s\n", path.c_str());
  }
  mesg_destroy();
}

} // namespace
