#include <gtest/gtest.h>

#include <cstdlib>

#include <windows.h>

#include <string>
#include <vector>

#include "input/board.h"
#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/prefs.h"
#include "shell/units/msgwin.h"
#include "testfiles.h"

namespace {

// A real message window for the line store, and a script for every modal question.
class MsgOut : public ::testing::Test {
protected:
  HWND window = nullptr;
  std::vector<UiQuestion> asked;
  std::vector<std::string> texts, headings;
  int answer = 'Y';
  std::unique_ptr<TempFile> file;

  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "InkTestMsgWin";
    RegisterClassA(&wc);
    window =
        CreateWindowA("InkTestMsgWin", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 80, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    msgwin_attach(window);
    mesg_line('W', 0, nullptr, nullptr);
    ui_setresponder([this](const UiQuestion &q) {
      asked.push_back(q);
      texts.push_back(q.text ? q.text : "");
      headings.push_back(q.heading ? q.heading : "");
      return answer;
    });
    // Registered numbers: 1101 takes one integer, 31905 three, 30154, 30155 and 30158 one text.
    file = std::make_unique<TempFile>("msgout.msg", "56 \"ok?\"\n"
                                                    "1101 \"value %d\"\n"
                                                    "31905 \"!!marked %d\"\n"
                                                    "30154 \"plain %s\"\n"
                                                    "30155 \"#M %s\"\n"
                                                    "30158 \"edited %s %d %s\"\n");
    ASSERT_EQ(msg_load(0, file->path.c_str()), 0);
  }
  void TearDown() override {
    ui_setresponder(nullptr);
    msgwin_attach(nullptr);
    DestroyWindow(window);
    msg_load(2, nullptr);
    OkynDelay = 0;
  }
  std::string line(int *colour = nullptr) {
    char text[128] = "";
    mesg_line('R', 0, colour, text);
    return text;
  }
};

TEST_F(MsgOut, LineOutputAndClearing) {
  int colour = -5;
  EXPECT_EQ(msg_disp(1, 2, 1, 1, 1101, 7), 0);
  EXPECT_EQ(line(&colour), "value 7");
  EXPECT_EQ(colour, 2);
  msg_disp(1, 0, 1, 1, 30154, "x");
  msg_disp(1, 5, 1, 1, 30154, "X"); // the same text in another case and colour: unchanged
  EXPECT_EQ(line(&colour), "plain x");
  EXPECT_EQ(colour, 0);
  msg_disp(1, 9, 1, 1, 1101, 1);
  line(&colour);
  EXPECT_EQ(colour, 7);
  msg_disp(1, 128, 1, 1, MSG_LITERAL); // clearing reads no format argument
  EXPECT_EQ(line(), "");
  msg_disp(1, 0, 1, 1, 31905, 4, 0, 0);
  EXPECT_EQ(line(), "marked 4");
  msg_disp(4, 128, 0, 0, 1101, 1);
  EXPECT_EQ(line(), "");
  EXPECT_TRUE(asked.empty());
  msg_disp(6, 0, 1, 1, 1101, 1);
  EXPECT_EQ(line(), "");
  msg_disp(1, 0, 1, 1, 30155, "2"); // no '#' escapes on the line
  EXPECT_EQ(line(), "#M 2");
  // An edited text's extra conversions are shown as they stand and read nothing.
  msg_disp(1, 0, 1, 1, 30158, "x");
  EXPECT_EQ(line(), "edited x %d %s");
  msg_disp(1, 0, 1, 1, 77);
  EXPECT_EQ(line(), "<<未定義ﾒｯｾｰｼﾞ 77>>");
  msg_disp(1, 0, 1, 1, MSG_LITERAL, "lit%s", "eral");
  EXPECT_EQ(line(), "literal");
  EXPECT_TRUE(asked.empty());
}

TEST_F(MsgOut, BoardsCarryHeadingAndColours) {
  msg_disp(4, 2, 0, 0, 31905, 3, 0, 0);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(headings[0], "ワーニング");
  EXPECT_EQ(texts[0], "marked 3");
  EXPECT_EQ(asked[0].colours[0], RGB(0, 0, 255));
  EXPECT_EQ(asked[0].colours[3], RGB(255, 0, 0));
  msg_err(31905, 5, 0, 0);
  EXPECT_EQ(headings[1], "エラー");
  EXPECT_EQ(texts[1], "marked 5");
  EXPECT_EQ(asked[1].colours[0], RGB(255, 0, 0));
  EXPECT_EQ(asked[1].colours[4], RGB(255, 0, 0));
  msg_board(2, "%d items", 3);
  EXPECT_EQ(headings[2], "メッセージ");
  EXPECT_EQ(texts[2], "3 items");
  EXPECT_EQ(asked[2].colours[3], RGB(0, 0, 0));
  msg_board(3, "nothing");
  EXPECT_EQ(asked.size(), 3u);
  // Afterwards the board is back at its default colours.
  brd_show(nullptr, "h", "t");
  EXPECT_EQ(asked[3].colours[0], RGB(0, 0, 255));
  EXPECT_EQ(asked[3].colours[3], RGB(0, 0, 255));
  EXPECT_EQ(brd_show(nullptr, nullptr, "t"), -1);
}

TEST_F(MsgOut, ErrorTextsAreBounded) {
  std::string big(500, 'e');
  msg_err(MSG_LITERAL, "%s", big.c_str());
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].size(), 127u);
  msg_load(2, nullptr);
  msg_err(12);
  EXPECT_EQ(texts[1], "メッセージが登録されていません (No.=00012)");
  msg_disp(1, 0, 1, 1, 1101, 1);
  EXPECT_EQ(line(), "");
}

TEST_F(MsgOut, MessageBoxesByKind) {
  msg_warnbox(nullptr, 1101, 8);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, UI_MSGBOX);
  EXPECT_EQ(headings[0], "インク工房");
  EXPECT_EQ(texts[0], "ワーニング\n\nvalue 8");
  EXPECT_EQ(asked[0].flags, static_cast<uint32_t>(MB_OK | MB_ICONEXCLAMATION));
  msg_warnbox(nullptr, 31905, 9, 0, 0);
  EXPECT_EQ(texts[1], "エラー\n\nmarked 9");
  msg_box(nullptr, 2, "%d%%", 5);
  EXPECT_EQ(texts[2], "メッセージ\n\n5%");
  msg_box(nullptr, 7, "bare");
  EXPECT_EQ(texts[3], "bare");
  msg_errbox(nullptr, 30155, "1");
  EXPECT_EQ(texts[4], "エラー\n\nmm 1"); // by number: with the '#' escapes
}

TEST_F(MsgOut, PromptsAskThePopUp) {
  EXPECT_EQ(msg_prompt(0, 0, "YyNn"), 'Y');
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, UI_POPUP);
  EXPECT_EQ(texts[0], "ok?");
  EXPECT_STREQ(asked[0].keys, "YyNn");
  answer = 27;
  EXPECT_EQ(msg_prompt(0, 31905, "YNyn", 2, 0, 0), 27);
  EXPECT_EQ(texts[1], "marked 2");
  OkynDelay = 500; // out of range: no wait
  msg_load(2, nullptr);
  msg_prompt(0, 12, "YyNn");
  EXPECT_EQ(texts[2], "(Message No=00012)");
  ui_setresponder(nullptr);
  // The real pop-up, which has no MDI client to open in (the runner's unattended
  // answers are switched off for this one call).
  std::string unattended = std::getenv("INK_NO_MODAL") ? "INK_NO_MODAL=1" : "INK_NO_MODAL=";
  _putenv("INK_NO_MODAL=");
  EXPECT_EQ(msg_prompt(0, 12, "YyNn"), -1);
  _putenv(unattended.c_str());
}

TEST_F(MsgOut, SaveAndRestoreTheLine) {
  msg_disp(1, 3, 1, 1, 1101, 1);
  msg_line(2, 0);
  msg_disp(1, 0, 1, 1, 1101, 2);
  msg_line(2, 1);
  int colour;
  EXPECT_EQ(line(&colour), "value 1");
  EXPECT_EQ(colour, 3);
  msg_olddisp(2, 4, 1, 1, 0); // old place 2, old colour 4: line, red
  msg_olddisp(0, 0, 1, 1, 0); // old colour 0 clears
  EXPECT_EQ(line(), "");
}

TEST_F(MsgOut, LineAccessorWithoutWindow) {
  msgwin_attach(nullptr);
  char text[128];
  EXPECT_EQ(mesg_line('R', 0, nullptr, text), -1);
  EXPECT_EQ(msg_disp(1, 0, 1, 1, 1101, 1), 0);
  msgwin_attach(window);
  EXPECT_EQ(mesg_line('R', 3, nullptr, text), -1);
}

} // namespace
