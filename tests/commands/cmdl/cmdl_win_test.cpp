// CMDL lines that wait for the user: point input, picking and a typed line, fed by
// the scripted input of the harness; the prompt on message line 1 and the DDE reply.
#include "../cmdharness.h"

#include "commands/cmdl/cmdl.h"
#include "commands/cmdl/cmdl_win.h"
#include "shell/units/ledit.h"

using namespace cmdtest;

namespace {

class Cmdl : public CommandTest {
protected:
  void SetUp() override {
    CommandTest::SetUp();
    DrawingEnvRecord env;
    sys_dwgenv('r', 0, &env);
    env.chr.height = 5;
    env.chr.width = 4;
    sys_dwgenv('w', 0, &env);
    dde_reset();
    dde_cmdlwin();
  }
  void TearDown() override {
    dde_setedges(nullptr);
    CommandTest::TearDown();
  }
  // "result|reply" of one line with the script as the user's input.
  static std::string poke(const std::string &line, std::vector<Ev> script = {}) {
    feed().events = std::move(script);
    feed().next = 0;
    feed().starved = 0;
    char buf[CMDL_LINEMAX + 1];
    std::snprintf(buf, sizeof buf, "%s", line.c_str());
    const int r = dde_cmdl(buf);
    EXPECT_EQ(feed().next, feed().events.size()) << line << " left input unread";
    return std::to_string(r) + "|" + dde_replytext();
  }
  // Every place of the message line shows on the one line of the message window.
  static std::string line1() { return prompt(); }
};

const std::string ACK = "32768|";

TEST_F(Cmdl, PointFromAClick) {
  EXPECT_EQ(poke("PNTIN \"Where?\"", {click(3, 4)}), ACK + "500 3 4");
  EXPECT_EQ(line1(), "");
  EXPECT_EQ(dde_state().aborted, 0);
}

TEST_F(Cmdl, EscOnPointInputMakesLinesBusyUntilInit) {
  EXPECT_EQ(poke("PNTIN p", {esc()}), ACK + "27 0 0");
  EXPECT_EQ(poke("LINE 0 0 1 1"), "16384|");
  EXPECT_EQ(poke("INIT"), ACK);
  EXPECT_EQ(poke("LINE 0 0 1 1"), ACK + "1");
}

TEST_F(Cmdl, PokeDuringPointInputIsBusy) {
  int inner = -1;
  EXPECT_EQ(poke("PNTIN p", {during([&] {
                               char line[] = "LINE 0 0 1 1";
                               inner = dde_cmdl(line);
                             }),
                             click(1, 1)}),
            ACK + "500 1 1");
  EXPECT_EQ(inner, CMDL_BUSY);
  EXPECT_EQ(records(0).size(), 0u);
}

TEST_F(Cmdl, InitEndsTheRunningCommand) {
  // The point command waits; INIT arrives meanwhile and ends it, so the later click stays unread.
  int init = -1;
  feed().events = {click(3, 4), during([&] {
                                  char line[] = "INIT";
                                  init = dde_cmdl(line);
                                }),
                   click(5, 5)};
  feed().next = 0;
  cmd_request(0, CommandTable[0], 0, nullptr);
  cmd_pump();
  EXPECT_EQ(init, CMDL_ACK);
  EXPECT_EQ(feed().next, 2u);
  EXPECT_EQ(records(0).size(), 1u);
  EXPECT_EQ(dde_state().saved, 0);
}

TEST_F(Cmdl, PickALine) {
  const std::string n = poke("LINE -10 0 10 0").substr(ACK.size());
  asked().answers = {'Y', 'Y'};
  EXPECT_EQ(poke("ELMPK \"%s%n\"", {click(2, 0)}), ACK + n + " 2 2 0");
}

TEST_F(Cmdl, PromptIsLiteral) {
  EXPECT_EQ(poke("PRMPT \"%s%s%n\""), ACK);
  EXPECT_EQ(line1(), "%s%s%n");
  EXPECT_EQ(poke("PRMPT \"\""), ACK);
  EXPECT_EQ(line1(), "");
}

TEST_F(Cmdl, TypedLine) {
  testwin::Script script({[] {}, [] {
                            HWND e = GetWindow(ledit_window(), GW_CHILD);
                            for (const char *s = "abc"; *s; ++s)
                              PostMessageA(e, WM_CHAR, static_cast<unsigned char>(*s), 1);
                            PostMessageA(e, WM_KEYDOWN, VK_RETURN, 1);
                          }});
  EXPECT_EQ(poke("CHAIN \"Name?\""), ACK + "0 \"abc\"");
  EXPECT_EQ(line1(), "");
}

HDDEDATA CALLBACK no_callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

TEST_F(Cmdl, ReplyAsDataHandle) {
  DWORD inst = 0;
  ASSERT_EQ(DdeInitializeA(&inst, no_callback, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
  HSZ item = DdeCreateStringHandleA(inst, "CMDL", CP_WINANSI);
  poke("POINT 1 2");
  HDDEDATA h = dde_reply(inst, CF_TEXT, item);
  ASSERT_NE(h, nullptr);
  char buf[16] = {};
  EXPECT_EQ(DdeGetData(h, reinterpret_cast<LPBYTE>(buf), sizeof buf, 0), 2u);
  EXPECT_STREQ(buf, "1");
  DdeFreeDataHandle(h);
  EXPECT_EQ(dde_reply(inst, CF_BITMAP, item), nullptr);
  DdeFreeStringHandle(inst, item);
  DdeUninitialize(inst);
}

} // namespace
