#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/answers.h"

namespace {
int real_calls = 0;
int real(const UiQuestion &) { return ++real_calls, 42; }
UiQuestion question(int kind, uint32_t flags = 0) {
  UiQuestion q{};
  q.kind = kind;
  q.heading = "h";
  q.text = "t";
  q.flags = flags;
  return q;
}
} // namespace

TEST(Answers, ResponderAnswersFirst) {
  ui_setresponder([](const UiQuestion &q) { return q.kind * 10; });
  EXPECT_EQ(ui_ask(question(UI_POPUP), real), 30);
  ui_setresponder(nullptr);
}

TEST(Answers, UnscriptedQuestionsNeverBlockTheTestRunner) {
  // The test runner sets INK_NO_MODAL; set it here too for native runs.
#ifdef _WIN32
  _putenv("INK_NO_MODAL=1");
#else
  setenv("INK_NO_MODAL", "1", 1);
#endif
  real_calls = 0;
  EXPECT_EQ(ui_ask(question(UI_POPUP), real), 27);
  EXPECT_EQ(ui_ask(question(UI_BOARD), real), 0);
  EXPECT_EQ(ui_ask(question(UI_MSGBOX, 0 /* MB_OK */), real), 1);
  EXPECT_EQ(ui_ask(question(UI_MSGBOX, 4 /* MB_YESNO */), real), 7);
  EXPECT_EQ(ui_ask(question(UI_MSGBOX, 1 /* MB_OKCANCEL */), real), 2);
  EXPECT_EQ(real_calls, 0);
}
