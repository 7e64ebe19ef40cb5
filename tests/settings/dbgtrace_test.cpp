#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/dbgtrace.h"
#include "../common/tracedir.h"

namespace fs = std::filesystem;

namespace {

class DbgTrace : public TraceDir {
protected:
  static std::string file() { return trace_bytes(); }
  static int count(const std::string &hay, const std::string &needle) {
    int n = 0;
    for (auto p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1))
      n++;
    return n;
  }
};

} // namespace

TEST_F(DbgTrace, OffAndUnknownModesWriteNothing) {
  for (int mode : {0, 3, -1}) {
    dbg_mode = mode;
    EXPECT_EQ(dbg_trace("<x> %d\n", 1), 0);
    EXPECT_FALSE(fs::exists("debug.lst"));
    EXPECT_EQ(dbg_mode, mode);
  }
}

TEST_F(DbgTrace, BannersAndLines) {
  dbg_mode = 1;
  EXPECT_EQ(dbg_trace("<msg_load> Ret(%d), cnt=%d\n", 0, 12), 0);
  EXPECT_EQ(dbg_trace("second %s\n", "line"), 0);
  EXPECT_EQ(dbg_close(), 0);
  EXPECT_EQ(dbg_trace("third\n"), 0);
  dbg_close();
  std::string text = file();
  EXPECT_EQ(count(text, " ----------------------"), 2);
  EXPECT_EQ(text.find("\n--- "), text.find('\n')) << "the first banner opens the file";
  auto first = text.find("<msg_load> Ret(0), cnt=12");
  auto second = text.find("second line");
  auto third = text.find("third");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  ASSERT_NE(third, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  // The banner carries the 24-character ctime date, e.g. "Thu Dec 10 13:16:31 2026".
  auto b = text.find("--- ");
  ASSERT_NE(b, std::string::npos);
  EXPECT_EQ(text.substr(b + 4 + 24, 2), " -");
}

TEST_F(DbgTrace, UnopenableFileSwitchesTraceOff) {
  fs::create_directory("debug.lst"); // a folder where the file should go: cannot be opened
  dbg_mode = 1;
  EXPECT_EQ(dbg_trace("x\n"), 1);
  EXPECT_EQ(dbg_mode, 0);
  EXPECT_EQ(dbg_trace("y\n"), 0);
}

TEST_F(DbgTrace, ForceWritesWhateverTheMode) {
  dbg_mode = 0;
  EXPECT_EQ(dbg_force("forced %d\n", 7), 0);
  EXPECT_EQ(dbg_mode, 0);
  EXPECT_NE(file().find("forced 7"), std::string::npos);
}

TEST_F(DbgTrace, LongLinesAreCutToTheBuffer) {
  dbg_mode = 1;
  std::string big(1000, 'x');
  EXPECT_EQ(dbg_trace("%s", big.c_str()), 0);
  dbg_close();
  EXPECT_EQ(count(file(), "x"), 255);
}
