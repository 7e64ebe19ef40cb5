// Execute strings of the DDE service: what each asks for and the path it names.
#include <gtest/gtest.h>

#include <string>

#include "shell/dde/ddeexec.h"

namespace {

struct Case {
  std::string text;
  DdeAction action;
  std::string path;
};

TEST(DdeExecute, StringsAndTheirActions) {
  const std::string p261(261, 'p'), p262(262, 'p'), p300(300, 'p');
  const Case cases[] = {
      {"[OpenFile](C:\\a.ksl)", DdeAction::OpenFile, "C:\\a.ksl"},
      {"[OpenFile](C:\\a.ksl", DdeAction::None, ""},  // no ")": not processed
      {"[openfile](C:\\a.ksl)", DdeAction::None, ""}, // exact case only
      {"[fileopen(\"X\")]", DdeAction::FileOpen, "X"},
      {"[FILEOPEN(\"C:\\\x88\xa2.ksl\")]", DdeAction::FileOpen, "C:\\\x88\xa2.ksl"},
      {"[FileOpen(\"X", DdeAction::None, ""},
      {"[quit]", DdeAction::Quit, ""},
      {"[Quit]xyz", DdeAction::Quit, ""},
      {"[Icon]", DdeAction::Icon, ""},
      {"[Close]", DdeAction::Close, ""},
      {"undpend", DdeAction::UndPend, ""},
      {"UndPend ", DdeAction::None, ""},
      {"UndPendX", DdeAction::None, ""},
      {"", DdeAction::None, ""},
      {"[OpenFile](" + p261 + ")", DdeAction::OpenFile, p261},
      {"[OpenFile](" + p262 + ")", DdeAction::Refused, ""},
      {"[FileOpen(\"" + p262 + "\")]", DdeAction::Refused, ""},
      {"[OpenFile](" + p300 + ")", DdeAction::None, ""}, // ")" lies beyond what is looked at
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    const DdeExec e = ddes_parse(c.text.c_str(), c.text.size() + 1);
    EXPECT_EQ(e.action, c.action);
    EXPECT_EQ(std::string(e.path), c.path);
  }
}

TEST(DdeExecute, DataWithoutItsNulIsReadWithinItsSize) {
  const char data[] = {'[', 'O', 'p', 'e', 'n', 'F', 'i', 'l', 'e', ']', '(', 'a', ')', 'x', 'y'};
  EXPECT_EQ(ddes_parse(data, 13).action, DdeAction::OpenFile);
  EXPECT_EQ(ddes_parse(data, 12).action, DdeAction::None); // the ")" lies outside
  const char und[] = {'U', 'n', 'd', 'P', 'e', 'n', 'd', 'Z'};
  EXPECT_EQ(ddes_parse(und, 7).action, DdeAction::UndPend);
  EXPECT_EQ(ddes_parse(nullptr, 5).action, DdeAction::None);
}

} // namespace
