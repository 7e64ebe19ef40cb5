// The five command levels: requests, nesting, interrupts and the pump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/cmdl/cmdtable.h"
#include "settings/appstate.h"

namespace {

std::vector<std::string> calls;

// The input wait in short: pumps until the current level falls below the level it
// waits on (then 800), or until told that its input came.
int32_t wait_on(int level, bool (*input)()) {
  for (int guard = 0; guard < 100; guard++) {
    cmd_pump();
    if (CmdLevel < level)
      return CMD_ENDED;
    if (input && input())
      return 500;
  }
  ADD_FAILURE() << "the wait never ended";
  return 27;
}

void note(int32_t number, int32_t on) { calls.push_back("note " + std::to_string(number) + (on ? " on" : " off")); }

class Levels : public ::testing::Test {
protected:
  void SetUp() override {
    cmd_reset();
    cmd_hooks() = {};
    calls.clear();
  }
  void TearDown() override {
    cmd_reset();
    cmd_hooks() = {};
  }
};

TEST_F(Levels, AHigherLevelRunsOnTopOfAWaitingCommandAndGivesItsStateBack) {
  static int lvsaves, lvrestores;
  lvsaves = lvrestores = 0;
  // As the level state does: nothing to save while no level is current, nothing to
  // restore for a command that interrupted none.
  cmd_hooks().lvstate = [](int options, int mask) {
    EXPECT_EQ(mask, 0x31);
    if (options & 1) {
      if (CmdLevel < 0)
        return 0;
      lvsaves++;
      calls.push_back("save level " + std::to_string(CmdLevel));
    } else {
      if (CmdInterrupted[CmdLastLevel] < 0)
        return 0;
      lvrestores++;
      calls.push_back("restore");
    }
    return 0;
  };
  static bool zoomed;
  zoomed = false;
  cmd_request(
      1,
      [] {
        calls.push_back("line starts on " + std::to_string(CmdLevel));
        cmd_request(
            2,
            [] {
              calls.push_back("zoom on " + std::to_string(CmdLevel));
              zoomed = true;
              return CMD_DONE;
            },
            504, note);
        const int32_t code = wait_on(1, [] { return zoomed; });
        calls.push_back("line gets " + std::to_string(code) + " on " + std::to_string(CmdLevel));
        return CMD_DONE;
      },
      20, nullptr);

  EXPECT_EQ(cmd_pump(), CMD_DONE);
  const std::vector<std::string> want = {"line starts on 1", "note 504 on",  "save level 1",      "zoom on 2",
                                         "restore",          "note 504 off", "line gets 500 on 1"};
  EXPECT_EQ(calls, want);
  EXPECT_EQ(CmdLevel, -1);
  EXPECT_EQ(CmdLastLevel, 1);
  EXPECT_EQ(CmdInterrupted[2], 1);
  EXPECT_EQ(lvsaves, 1);
  EXPECT_EQ(lvrestores, 1);
}

TEST_F(Levels, ARequestAtTheRunningLevelEndsItFirst) {
  cmd_request(
      1,
      [] {
        calls.push_back("first starts");
        // A route ends the level before its request.
        EXPECT_EQ(cmd_cancel(1), 1);
        cmd_request(
            1,
            [] {
              calls.push_back("second runs on " + std::to_string(CmdLevel));
              return CMD_DONE;
            },
            2, nullptr);
        const int32_t code = wait_on(1, nullptr);
        calls.push_back("first ends with " + std::to_string(code));
        return code;
      },
      1, nullptr);
  EXPECT_EQ(cmd_pump(), CMD_ENDED);
  EXPECT_EQ(calls, (std::vector<std::string>{"first starts", "first ends with 800"}));
  EXPECT_EQ(cmd_pump(), CMD_DONE); // the new command starts on a later pass
  EXPECT_EQ(calls.back(), "second runs on 1");
  EXPECT_EQ(cmd_pump(), 0);
}

TEST_F(Levels, ALowerRequestEndsEveryLevelAboveIt) {
  cmd_request(
      0,
      [] {
        cmd_request(
            3,
            [] {
              calls.push_back("view starts");
              cmd_cancel(0); // the user picks a new drawing command
              cmd_request(
                  0, [] { return calls.push_back("new command"), CMD_DONE; }, 35, nullptr);
              const int32_t code = wait_on(3, nullptr);
              calls.push_back("view ends " + std::to_string(code));
              return code;
            },
            504, nullptr);
        const int32_t code = wait_on(0, nullptr);
        calls.push_back("line ends " + std::to_string(code));
        return code;
      },
      20, nullptr);
  EXPECT_EQ(cmd_pump(), CMD_ENDED);
  EXPECT_EQ(calls, (std::vector<std::string>{"view starts", "view ends 800", "line ends 800"}));
  EXPECT_EQ(cmd_pump(), CMD_DONE);
  EXPECT_EQ(calls.back(), "new command");
}

TEST_F(Levels, OnlyTheNewerOfTwoRequestsOnALevelRuns) {
  cmd_request(
      0, [] { return calls.push_back("older"), CMD_DONE; }, 1, nullptr);
  cmd_request(
      0, [] { return calls.push_back("newer"), int32_t(0); }, 2, nullptr);
  EXPECT_EQ(cmd_pump(), 0);
  EXPECT_EQ(cmd_pump(), 0);
  EXPECT_EQ(calls, std::vector<std::string>{"newer"});
  cmd_request(
      5, [] { return calls.push_back("bad level"), CMD_DONE; }, 3, nullptr);
  cmd_request(
      -1, [] { return calls.push_back("bad level"), CMD_DONE; }, 3, nullptr);
  EXPECT_EQ(cmd_pump(), 0);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Levels, LevelZeroWritesAndBlanksTheStatusLine) {
  static std::vector<std::pair<int, int>> status;
  status.clear();
  static bool panel;
  panel = false;
  cmd_hooks().status = [](int kind, int number) { status.push_back({kind, number}); };
  cmd_hooks().panel = [] { return panel; };
  cmd_request(
      0, [] { return CMD_DONE; }, 35, note);
  cmd_pump();
  panel = true;
  cmd_request(
      0, [] { return CMD_DONE; }, 10, note);
  cmd_pump();
  cmd_request(
      0, [] { return CMD_DONE; }, 36, nullptr); // no notifier: the line is only blanked
  cmd_pump();
  EXPECT_EQ(status, (std::vector<std::pair<int, int>>{{1, 35}, {-1, -1}, {0, 8}, {-1, -1}, {-1, -1}}));
}

TEST_F(Levels, CancelBelowTheCurrentLevelOnlyClearsTheRunningList) {
  cmd_setrun(2, 504);
  cmd_setrun(4, 405);
  EXPECT_TRUE(cmd_isrun(504));
  EXPECT_EQ(cmd_cancel(3), 0); // nothing current
  EXPECT_TRUE(cmd_isrun(504));
  EXPECT_FALSE(cmd_isrun(405));
  EXPECT_EQ(cmd_cancel(0), 0);
  EXPECT_FALSE(cmd_isrun(504));
}

TEST_F(Levels, CommandsAllowedWithoutADrawing) {
  for (int c : {300, 301, 380, 520, 860, 862, 900, 907, 920, 931, 940, 943, 960, 966, 980, 995, 1000, 1017, 1064})
    EXPECT_TRUE(cmd_nodwg(c)) << c;
  for (int c : {302, 330, 405, 504, 899, 908, 944, 967, 996, 1001, 1016, 1065, -1})
    EXPECT_FALSE(cmd_nodwg(c)) << c;
}

TEST_F(Levels, ShortcutMaskFollowsTheCurrentLevel) {
  cmd_request(
      2,
      [] {
        cmd_smset(3);
        EXPECT_EQ(CmdShortcutMask[2], 3u);
        cmd_smclear();
        EXPECT_EQ(CmdShortcutMask[2], 0u);
        cmd_smset(1);
        return CMD_DONE;
      },
      1, nullptr);
  cmd_pump();
  EXPECT_EQ(CmdShortcutMask[2], 1u);
  cmd_smclear(); // no level current: all
  EXPECT_EQ(CmdShortcutMask[2], 0u);
  cmd_setvwonly(7);
  EXPECT_EQ(cmd_viewonly(), 1);
  cmd_setvwonly(0);
  EXPECT_EQ(cmd_viewonly(), 0);
}

} // namespace
