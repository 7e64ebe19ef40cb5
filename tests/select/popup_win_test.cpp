// The prompt pop-up and the choice bar as real windows, driven by a timer script.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "../common/testwin.h"
#include "select/popup.h"
#include "settings/answers.h"

namespace {

HWND popup() { return FindWindowA("KL-SELMENU", nullptr); }
HWND bar() { return FindWindowA("KL-SelMenu_Frame", nullptr); }

std::string text_of(HWND w) {
  char buf[300] = "";
  GetWindowTextA(w, buf, sizeof buf);
  return buf;
}

class Choice : public ::testing::Test {
protected:
  void TearDown() override {
    ui_setresponder(nullptr);
    testwin::drain();
  }
  testwin::Windows win_;
  testwin::RealModals real_;
  testwin::Watchdog dog_;
};

// Posts a message to the window that find() gives, a tick after the previous step.
std::function<void()> post(HWND (*find)(), UINT msg, WPARAM wp, LPARAM lp = 0) {
  return [=] { PostMessageA(find(), msg, wp, lp); };
}

TEST_F(Choice, PromptTakesAnAllowedKey) {
  bool disabled = false;
  testwin::Script script({[&] { disabled = !IsWindowEnabled(win_.frame); }, post(popup, WM_CHAR, 'y')});
  EXPECT_EQ(selm_popup(0, "削除しますか (Y/N)", 0, 0, "YyNn", nullptr), 121);
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(popup(), nullptr);
}

TEST_F(Choice, PromptIgnoresOtherKeysAndClosesOnEsc) {
  bool open_after_x = false;
  testwin::Script script(
      {post(popup, WM_CHAR, 'x'), [&] { open_after_x = popup() != nullptr; }, post(popup, WM_KEYDOWN, VK_ESCAPE)});
  int32_t index = 5;
  EXPECT_EQ(selm_popup(0, "prompt", 0, 0, "YyNn", &index), 27);
  EXPECT_TRUE(open_after_x);
  EXPECT_EQ(index, -1);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
}

TEST_F(Choice, PromptClosesOnClicksAndTableKeys) {
  const struct {
    UINT msg;
    WPARAM wp;
    int code;
  } cases[] = {{WM_LBUTTONDOWN, MK_LBUTTON, 500}, {WM_RBUTTONDOWN, MK_RBUTTON, 501}, {WM_KEYDOWN, VK_NEXT, 259}};
  for (const auto &c : cases) {
    testwin::Script script({post(popup, c.msg, c.wp)});
    EXPECT_EQ(selm_popup(0, "prompt", 0, 0, "YyNn", nullptr), c.code);
  }
}

TEST_F(Choice, PromptGivesBackFrameAndCaptureWhenTheProgramQuits) {
  testwin::Script script({[] { PostQuitMessage(4); }});
  EXPECT_EQ(selm_popup(0, "prompt", 0, 0, "YyNn", nullptr), 800);
  EXPECT_EQ(popup(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
  EXPECT_EQ(GetCapture(), nullptr);
  RECT clip, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetClipCursor(&clip);
  EXPECT_TRUE(EqualRect(&clip, &screen));
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 4u);
}

TEST_F(Choice, PromptNeedsTheMdiClientAndAText) {
  EXPECT_EQ(selm_popup(0, nullptr, 0, 0, "Yy", nullptr), -1);
  app_setwindows(win_.frame, nullptr);
  EXPECT_EQ(selm_popup(0, "prompt", 0, 0, "Yy", nullptr), -1);
}

const char ITEMS[] = "1:ﾘｽﾄﾀﾞﾝﾌﾟ 2:要素指定ﾀﾞﾝﾌﾟ 3:ｵﾌﾞｼﾞｪｸﾄﾘｽﾄ 9:終了";

TEST_F(Choice, MenuGivesTheKeyOfTheClickedItem) {
  std::string title, second;
  testwin::Script script({[&] {
                            title = text_of(GetDlgItem(bar(), 1500));
                            second = text_of(GetDlgItem(bar(), 1502));
                          },
                          [] { PostMessageA(GetDlgItem(bar(), 1502), WM_LBUTTONDOWN, MK_LBUTTON, 0); }});
  EXPECT_EQ(selm_menu(31906, ITEMS, "1239"), '2');
  EXPECT_EQ(title, "(Error=31906)"); // no message file loaded
  EXPECT_EQ(second, "2:要素指定ﾀﾞﾝﾌﾟ");
  EXPECT_EQ(bar(), nullptr);
}

TEST_F(Choice, MenuKeys) {
  const struct {
    UINT msg;
    WPARAM wp;
    int code;
  } cases[] = {{WM_KEYDOWN, VK_RETURN, '1'},
               {WM_CHAR, '9', '9'},
               {WM_KEYDOWN, VK_ESCAPE, 27},
               {WM_RBUTTONDOWN, MK_RBUTTON, 501}};
  for (const auto &c : cases) {
    testwin::Script script({post(bar, c.msg, c.wp)});
    EXPECT_EQ(selm_menu(31906, ITEMS, "1239"), c.code) << c.wp;
  }
  testwin::Script script({post(bar, WM_KEYDOWN, VK_RETURN)});
  EXPECT_EQ(selm_menu(0, "選択= a b c", "-9123"), '9');
}

TEST_F(Choice, BarTakesOneToTwentyItemsAndBoundsTheirTexts) {
  const char *items[21];
  std::string longtext(300, 'w');
  for (auto &i : items)
    i = longtext.c_str();
  int32_t index = 7;
  EXPECT_EQ(selm_bar(0, "t", items, 0, "1", &index, '1'), -1);
  EXPECT_EQ(selm_bar(0, "t", items, 21, "1", &index, '1'), -1);
  EXPECT_EQ(selm_bar(0, "t", items, -3, "1", &index, '1'), -1);
  EXPECT_EQ(selm_bar(0, nullptr, items, 1, "1", &index, '1'), -1);
  EXPECT_EQ(selm_bar(0, "t", nullptr, 1, "1", &index, '1'), -1);
  EXPECT_EQ(index, 7);
  size_t shown = 0;
  testwin::Script script({[&] { shown = text_of(GetDlgItem(bar(), 1520)).size(); },
                          [] { PostMessageA(GetDlgItem(bar(), 1520), WM_LBUTTONDOWN, MK_LBUTTON, 0); }});
  EXPECT_EQ(selm_bar(0, longtext.c_str(), items, 20, "", &index, 'a'), 500);
  EXPECT_EQ(index, 19);
  EXPECT_EQ(shown, 131u);
}

TEST_F(Choice, BarGivesBackTheCursorWhenTheProgramQuits) {
  const char *items[] = {"a", "b"};
  testwin::Script script({[] { PostQuitMessage(6); }});
  int32_t index = 3;
  EXPECT_EQ(selm_bar(0, "t", items, 2, "ab", &index, 'a'), 800);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(bar(), nullptr);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 6u);
}

TEST_F(Choice, ScriptedAnswersForTheBar) {
  ui_setresponder([](const UiQuestion &q) { return q.kind == UI_BAR ? 1503 : 0; });
  EXPECT_EQ(selm_menu(31906, ITEMS, "1239"), '3');
}

TEST_F(Choice, UndefinedItemTextIsReportedAndOffersUndefinedItems) {
  std::vector<int> kinds;
  std::vector<std::string> texts, items;
  ui_setresponder([&](const UiQuestion &q) {
    kinds.push_back(q.kind);
    texts.push_back(q.text);
    if (q.kind == UI_BAR)
      for (int i = 0; i < q.count; i++)
        items.push_back(q.items[i]);
    return q.kind == UI_BAR ? '2' : 0;
  });
  EXPECT_EQ(selm_menu(31906, "<<未定義ﾒｯｾｰｼﾞ 77>>", "12"), '2');
  EXPECT_EQ(kinds, (std::vector<int>{UI_BOARD, UI_BAR}));
  EXPECT_EQ(texts, (std::vector<std::string>{"<<未定義ﾒｯｾｰｼﾞ 77>>", "(Error=31906)"}));
  EXPECT_EQ(items, (std::vector<std::string>{"未定義", "未定義"}));
}

TEST(Composition, AskedOnce) {
  const int on = selm_dwmon();
  EXPECT_TRUE(on == 0 || on == 1);
  EXPECT_EQ(selm_dwmon(), on);
}

} // namespace
