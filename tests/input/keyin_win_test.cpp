// The one-line editor and what reads typed lines through it: number lines, integer
// lines and the keyboard coordinate entry, typed by a timer script.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "../common/testwin.h"
#include "input/gcr.h"
#include "input/keyin.h"
#include "input/kpos.h"
#include "input/numkey.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/units/ledit.h"

namespace {

HWND edit() {
  HWND f = ledit_window();
  return f ? GetWindow(f, GW_CHILD) : nullptr;
}
void type(const char *s) {
  for (; *s; ++s)
    PostMessageA(edit(), WM_CHAR, static_cast<unsigned char>(*s), 1);
}
void key(int vk) { PostMessageA(edit(), WM_KEYDOWN, vk, 1); }
// One typed line ended by a key, as one script step.
std::function<void()> line(const char *s, int vk = VK_RETURN) {
  return [s, vk] {
    type(s);
    key(vk);
  };
}

class Keyin : public ::testing::Test {
protected:
  void SetUp() override { prm_init(); }
  void TearDown() override {
    ui_setresponder(nullptr);
    testwin::drain();
    prm_init();
  }
  testwin::Windows win_;
  // Every line opens a top-level window, which Wine makes and unmaps slowly: several
  // lines of one test need more than the usual limit on a busy machine.
  testwin::Watchdog dog_{60000};
};

TEST_F(Keyin, OpenedByATypedKeyStartsWithIt) {
  char buf[32] = "A";
  std::string shown;
  DWORD sel = 0;
  bool disabled = false;
  testwin::Script script({[] {},
                          [&] {
                            char t[32] = {};
                            GetWindowTextA(edit(), t, sizeof t);
                            shown = t;
                            sel = static_cast<DWORD>(SendMessageA(edit(), EM_GETSEL, 0, 0));
                            disabled = !IsWindowEnabled(win_.frame);
                            key(VK_RETURN);
                          }});
  EXPECT_EQ(ledit_input(nullptr, buf, sizeof buf, nullptr), 13);
  EXPECT_EQ(shown, "A");
  EXPECT_EQ(LOWORD(sel), 1); // the caret behind it
  EXPECT_EQ(HIWORD(sel), 1);
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
  EXPECT_STREQ(buf, "A");
  EXPECT_EQ(ledit_window(), nullptr);
}

TEST_F(Keyin, EnterGivesTheTextAndTheLimitHolds) {
  char buf[5] = "";
  testwin::Script script({[] {}, line("123456")});
  EXPECT_EQ(ledit_input(nullptr, buf, sizeof buf, nullptr), 13);
  EXPECT_STREQ(buf, "1234");
  char start[16] = "10,5";
  testwin::Script more({[] {}, line("0")});
  EXPECT_EQ(ledit_input(nullptr, start, sizeof start, nullptr), 13);
  EXPECT_STREQ(start, "10,50");
}

TEST_F(Keyin, ClosingTheFrameGivesEsc) {
  char buf[16] = "abc";
  testwin::Script script({[] {}, [] { PostMessageA(ledit_window(), WM_CLOSE, 0, 0); }});
  EXPECT_EQ(ledit_input(nullptr, buf, sizeof buf, nullptr), 27);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
}

TEST_F(Keyin, AQuitWhileOpenStillEndsTheProgram) {
  char buf[16] = "";
  testwin::Script script({[] {}, [] { PostQuitMessage(7); }});
  EXPECT_EQ(ledit_input(nullptr, buf, sizeof buf, nullptr), 27);
  EXPECT_EQ(ledit_window(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)); // posted once
}

TEST_F(Keyin, BadArguments) {
  char buf[4] = "";
  EXPECT_EQ(ledit_input(nullptr, nullptr, 4, nullptr), -1);
  EXPECT_EQ(ledit_input(nullptr, buf, 0, nullptr), -1);
  EXPECT_EQ(keyin_line(0, 0, buf), -1);
  EXPECT_EQ(keyin_line(0, 4, nullptr), -1);
}

TEST_F(Keyin, MaskedKeysEndTheLine) {
  char buf[16] = "";
  testwin::Script script({[] {}, line("5", VK_UP)});
  EXPECT_EQ(keyin_line(0x2, sizeof buf, buf), 30);
  EXPECT_STREQ(buf, "5");
  char esc[16] = "";
  testwin::Script s2({[] {}, line("7", VK_ESCAPE)});
  EXPECT_EQ(keyin_line(0x1, sizeof esc, esc), 27);
}

TEST_F(Keyin, NumberLine) {
  char buf[32] = "";
  double v[3] = {-7, -7, -7};
  int count = -1;
  // A line the evaluator refuses is asked for again, shown for correction.
  std::string again;
  testwin::Script script({[] {}, line("foo"), [] {},
                          [&] {
                            char t[32] = {};
                            GetWindowTextA(edit(), t, sizeof t);
                            again = t;
                            SetWindowTextA(edit(), "");
                          },
                          line("1,,3")});
  EXPECT_EQ(num_keyin(0, 0, 0, sizeof buf, buf, 3, v, &count), 13);
  EXPECT_EQ(again, "foo");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], -7);
  EXPECT_EQ(v[2], 3);
  char esc[32] = "";
  testwin::Script s2({[] {}, line("2", VK_ESCAPE)});
  EXPECT_EQ(num_keyin(0, 0, 1, sizeof esc, esc, 3, v, &count), 27);
  EXPECT_EQ(count, 0);
}

TEST_F(Keyin, IntegerLine) {
  char buf[17] = "";
  int32_t v = 5;
  testwin::Script script({[] {}, line("x1F")});
  EXPECT_EQ(num_intkey(0, 0, 16, buf, &v), 13);
  EXPECT_EQ(v, 31);
  char big[17] = "";
  testwin::Script s2({[] {}, line("10001")});
  EXPECT_EQ(num_intkey(0, 0, 16, big, &v), -1);
  EXPECT_EQ(v, 0);
}

// A numeric field: an edit control with id 7 in a plain window standing for the dialog.
TEST_F(Keyin, NumericFields) {
  HWND dlg = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr, nullptr, nullptr);
  HWND field = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 90, 20, dlg, reinterpret_cast<HMENU>(7),
                             nullptr, nullptr);
  ASSERT_TRUE(field);
  auto text = [&] {
    char t[32] = {};
    GetWindowTextA(field, t, sizeof t);
    return std::string(t);
  };
  SetWindowTextA(field, "2*3.5");
  double d = 0;
  EXPECT_EQ(edt_numfld(dlg, 7, "%.2f", &d, 0x4000 | 2, 0, 100), 1);
  EXPECT_EQ(d, 7);
  EXPECT_EQ(text(), "2*3.5"); // read only: the field keeps what was typed
  EXPECT_EQ(edt_numfld(dlg, 7, "%.2f", &d, 2, 0, 100), 1);
  EXPECT_EQ(text(), "7.00");
  int16_t s = -3;
  EXPECT_EQ(edt_numfld(dlg, 7, "%d", &s, 0x8000, 0, 0), 1); // shows only
  EXPECT_EQ(text(), "-3");
  SetWindowTextA(field, "12.9");
  int32_t i = 0;
  EXPECT_EQ(edt_numfld(dlg, 7, "%d", &i, 1, 0, 100), 1);
  EXPECT_EQ(i, 12);
  const struct {
    const char *typed;
    int type;
  } fails[] = {{"500", 1}, {"foo", 1}, {"", 2}, {"1", 3}, {"1e9", 0}};
  for (const auto &f : fails) {
    SetWindowTextA(field, f.typed);
    int32_t v = 5;
    EXPECT_EQ(edt_numfld(dlg, 7, "%d", &v, f.type, -1e12, f.type == 1 ? 100 : 1e12), 0) << f.typed;
    EXPECT_EQ(v, 5) << f.typed;
  }
  SetWindowTextA(field, "abcdef");
  EXPECT_EQ(LOWORD(edt_selall(dlg, 7)), 1);
  DWORD a = 0, b = 0;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 6u);
  DestroyWindow(dlg);
}

// Keyboard coordinate entry from (100, 100) with entry scale 2 (layer 3 of drawing 0
// at twice the base scale) and the sheet reference point (50, 60).
class Kpos : public Keyin {
protected:
  void SetUp() override {
    Keyin::SetUp();
    static DrawingEnvRecord env;
    sys_dwgenv('R', 0, &env);
    env.scales[0] = {1, 1};
    env.scales[3] = {2, 1};
    sys_dwgenv('W', 0, &env);
    uint16_t layer = 3;
    sys_layer('W', 0, &layer, nullptr);
    SheetRecord sheet{};
    sys_sheet('R', 0, &sheet);
    sheet.refx = 50;
    sheet.refy = 60;
    sys_sheet('W', 0, &sheet);
  }
  void confirm(uint16_t on) {
    SystemBlock sys{};
    sys_sysprm('R', &sys);
    sys.w4 = on;
    sys_sysprm('W', &sys);
  }
  int run(std::vector<std::function<void()>> steps) {
    testwin::Script script(std::move(steps));
    return gcr_kpos(0, 0, 100, 100, &x, &y);
  }
  double x = 0, y = 0;
};

TEST_F(Kpos, LinesEndedByEnter) {
  EXPECT_EQ(run({[] {}, line("10,5")}), 13);
  EXPECT_DOUBLE_EQ(x, 120);
  EXPECT_DOUBLE_EQ(y, 110);
  EXPECT_EQ(run({[] {}, line("@R3,4")}), 13);
  EXPECT_DOUBLE_EQ(x, 53);
  EXPECT_DOUBLE_EQ(y, 64);
  EXPECT_EQ(run({[] {}, line("30D,10")}), 13);
  EXPECT_NEAR(x, 100 + 20 * std::sqrt(3.0) / 2, 1e-9);
  EXPECT_NEAR(y, 110, 1e-9);
}

TEST_F(Kpos, SemicolonArrowsAndVoidLinesKeepReading) {
  // "10,5;" moves and keeps reading; "5" with Up moves y; "5" with Enter and a
  // zero-distance polar line move nothing; the empty line accepts.
  EXPECT_EQ(run({[] {}, line("10,5;"), [] {}, line("5", VK_UP), [] {}, line("5"), [] {}, line("0,30d"), [] {},
                 line("")}),
            13);
  EXPECT_DOUBLE_EQ(x, 120);
  EXPECT_DOUBLE_EQ(y, 120);
}

TEST_F(Kpos, EmptyLinesEscAndTab) {
  EXPECT_EQ(run({[] {}, line("")}), 13);
  EXPECT_DOUBLE_EQ(x, 100);
  EXPECT_EQ(run({[] {}, line("", VK_TAB)}), 9);
  EXPECT_EQ(run({[] {}, line("10,5;"), [] {}, line("3", VK_ESCAPE)}), 27);
  EXPECT_DOUBLE_EQ(x, 100); // the point last written
  EXPECT_EQ(run({[] {},
                 [] {
                   type("10,5");
                   PostMessageA(edit(), WM_RBUTTONDOWN, 0, 0);
                 }}),
            501);
  EXPECT_DOUBLE_EQ(x, 100);
}

TEST_F(Kpos, ClicksAndHelp) {
  auto click = [](const char *typed) {
    return [typed] {
      type(typed);
      PostMessageA(edit(), WM_LBUTTONDOWN, 0, 0);
    };
  };
  EXPECT_EQ(run({[] {}, click("")}), 500);
  EXPECT_DOUBLE_EQ(x, 100);
  EXPECT_EQ(run({[] {}, click("10,5")}), 13); // a click on an evaluated line accepts it
  EXPECT_DOUBLE_EQ(x, 120);
  EXPECT_DOUBLE_EQ(y, 110);
  // F1 shows that there is no help and reads the line again.
  int boards = 0;
  ui_setresponder([&](const UiQuestion &q) {
    if (q.kind == UI_BOARD && q.text && std::strstr(q.text, "gcr_kpos"))
      ++boards;
    return 0;
  });
  EXPECT_EQ(run({[] {}, line("", VK_F1), [] {}, line("1,1")}), 13);
  EXPECT_EQ(boards, 1);
  EXPECT_DOUBLE_EQ(x, 102);
}

TEST_F(Kpos, NoAtTheConfirmationStartsOverFromTheEnteredPoint) {
  confirm(1);
  std::vector<int> answers = {'n', 'y'};
  int asked = 0;
  ui_setresponder([&](const UiQuestion &q) {
    EXPECT_EQ(q.kind, UI_POPUP);
    return asked < 2 ? answers[asked++] : 27;
  });
  EXPECT_EQ(run({[] {}, line("10,5"), [] {}, line("")}), 13);
  EXPECT_EQ(asked, 2);
  EXPECT_DOUBLE_EQ(x, 120);
  EXPECT_DOUBLE_EQ(y, 110);
  ui_setresponder([](const UiQuestion &) { return 27; });
  EXPECT_EQ(run({[] {}, line("10,5")}), 27);
}

} // namespace
