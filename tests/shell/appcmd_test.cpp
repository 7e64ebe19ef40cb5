// The start-up command line.
#include <gtest/gtest.h>

#include <string>

#include "shell/appcmd.h"

namespace {

TEST(CommandLine, Words) {
  const struct {
    const char *text;
    std::string first, second;
    int count, trace;
    bool refuse;
  } cases[] = {
      {"a.ksl b.ksl c.ksl", "a.ksl", "b.ksl", 2, -1, false}, // three names keep two
      {"\"c:\\my seals\\a b.ksl\" x.ksl", "c:\\my seals\\a b.ksl", "x.ksl", 2, -1, false},
      {"a.ksl \"b c.ksl", "a.ksl", "", 1, -1, false}, // an unclosed quote ends the list
      {"/F a.ksl", "", "", 0, -1, true},
      {"-f", "", "", 0, -1, true},
      {"/Fx a.ksl", "a.ksl", "", 1, -1, false},
      {"/D2 a.ksl", "a.ksl", "", 1, 2, false},
      {"-d", "", "", 0, 0, false},
      {"/N /o a.ksl", "a.ksl", "", 1, -1, false},
      {"  \t a.ksl   ", "a.ksl", "", 1, -1, false},
      {"\"\" a.ksl", "", "", 0, -1, false}, // an empty word stops
      {"", "", "", 0, -1, false},
      {nullptr, "", "", 0, -1, false},
      {"印影.ksl /D1", "印影.ksl", "", 1, 1, false},
  };
  for (const auto &c : cases) {
    AppCmdLine line;
    app_cmdparse(c.text, line);
    const std::string label = c.text ? c.text : "(null)";
    EXPECT_EQ(line.count, c.count) << label;
    EXPECT_EQ(line.files[0], c.first) << label;
    EXPECT_EQ(line.files[1], c.second) << label;
    EXPECT_EQ(line.trace, c.trace) << label;
    EXPECT_EQ(line.refuse, c.refuse) << label;
    EXPECT_EQ(line.toolong, 0) << label;
  }
}

TEST(CommandLine, OnlyTwentyWordsAreRead) {
  std::string text;
  for (int i = 0; i < 20; i++)
    text += "/N ";
  AppCmdLine line;
  app_cmdparse((text + "late.ksl").c_str(), line);
  EXPECT_EQ(line.count, 0);
  app_cmdparse((text.substr(3) + "in.ksl").c_str(), line);
  EXPECT_EQ(line.count, 1);
}

TEST(CommandLine, ANameTooLongForAPathIsRefusedNotCut) {
  const std::string longest(APP_NAMELEN - 1, 'a'), over(APP_NAMELEN, 'b');
  AppCmdLine line;
  app_cmdparse((over + " " + longest + " \"" + over + "\" c.ksl").c_str(), line);
  EXPECT_EQ(line.toolong, 2);
  EXPECT_EQ(line.count, 2);
  EXPECT_EQ(line.files[0], longest);
  EXPECT_STREQ(line.files[1], "c.ksl");

  char word[APP_NAMELEN];
  bool toolong = false;
  EXPECT_EQ(app_cmdtoken(over.c_str(), word, &toolong), nullptr);
  EXPECT_TRUE(toolong);
  EXPECT_STREQ(word, "");
}

} // namespace
