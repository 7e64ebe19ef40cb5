// The start-up command line.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "shell/app/appcmd.h"

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

namespace {

std::vector<std::string> opened;
int record_open(int mode, const char *path) {
  opened.push_back(std::to_string(mode) + " " + path);
  return 0;
}

void keep(std::initializer_list<const char *> names) {
  std::memset(&AppArgs, 0, sizeof AppArgs);
  for (const char *n : names)
    std::strcpy(AppArgs.files[AppArgs.count++], n);
  opened.clear();
}

TEST(OpenAtStart, BothFilesOpenAndTheFirstIsRecorded) {
  keep({"a.ksl", "b.ksl"});
  EXPECT_EQ(app_openfiles(record_open), 0);
  EXPECT_EQ(opened, (std::vector<std::string>{"1 a.ksl", "1 b.ksl"}));
  EXPECT_STREQ(AppArgs.firstopened, "a.ksl");
  EXPECT_EQ(AppArgs.openedcount, 1);
}

TEST(OpenAtStart, AFileOpenedAlreadyIsSkippedAndOnlyItIsCleared) {
  for (int which = 0; which < 2; which++) {
    keep({"a.ksl", "b.ksl"});
    AppArgs.openedcount = 1; // the DDE open came first
    std::strcpy(AppArgs.firstopened, which == 0 ? "A.KSL" : "B.ksl");
    app_openfiles(record_open);
    EXPECT_EQ(opened, (std::vector<std::string>{which == 0 ? "1 b.ksl" : "1 a.ksl"}));
    EXPECT_STREQ(AppArgs.files[which], "");
    EXPECT_STREQ(AppArgs.files[1 - which], which == 0 ? "b.ksl" : "a.ksl");
  }
}

TEST(OpenAtStart, SameNameIgnoresSingleByteCaseOnly) {
  EXPECT_TRUE(app_samefile("C:\\Seal\\a.KSL", "c:\\seal\\A.ksl"));
  EXPECT_FALSE(app_samefile("a.ksl", "a.ks"));
  EXPECT_TRUE(app_samefile("印影.ksl", "印影.KSL"));
  EXPECT_FALSE(app_samefile("\x83\x61.ksl", "\x83\x41.ksl")); // trail bytes are not folded
}

} // namespace
