// The journal with the platform's own file sharing and message output, and a second
// process of the program started on the same work folder.
#include <windows.h>

#include <cstring>
#include <string>

#include "database/undo.h"
#include "dbfixture.h"
#include "settings/answers.h"
#include "settings/freespace.h"
#include "workdir.h"

namespace {

struct Board {
  std::string heading, text;
};

std::vector<Board> &boards() {
  static std::vector<Board> v;
  return v;
}

void answer_boards() {
  boards().clear();
  ui_setresponder([](const UiQuestion &q) {
    if (q.kind == UI_BOARD)
      boards().push_back({q.heading ? q.heading : "", q.text ? q.text : ""});
    return 0;
  });
}

void set_undo() {
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.undo = 1;
  sb.undosize = 300;
  sys_sysprm('W', &sb);
}

constexpr char CHILD_ENV[] = "INK_JOURNAL_CHILD_DIR";

struct JournalWin : Store {
  WorkDir wd;
  void SetUp() override {
    Store::SetUp();
    dbs_reset();
    sys_pathset(4, wd.folder().c_str());
    set_undo();
    answer_boards();
  }
  void TearDown() override {
    und_clos(0);
    ui_setresponder(nullptr);
    dbs_reset();
    Store::TearDown();
  }
};

TEST_F(JournalWin, FullDiskShowsTheWarningBoardAndDeletesTheJournal) {
  ASSERT_EQ(und_init(), 0);
  ASSERT_TRUE(wd.exists("ikfgundo.0ud"));
  ASSERT_EQ(und_pend(0), 0);
  dbs_hooks().write = [](const void *, std::size_t, std::size_t, FILE *) -> std::size_t { return 0; };
  dbs_hooks().freespace = [](const char *) -> uint32_t { return 0; };
  ElementRecord p = proto(PNT);
  EXPECT_EQ(und_writ(0, UND_ADD, 1, 1, &p), 9);
  ASSERT_EQ(boards().size(), 1u);
  EXPECT_EQ(boards()[0].heading, "ワーニング");
  EXPECT_FALSE(wd.exists("ikfgundo.0ud"));
}

TEST_F(JournalWin, LockedUndoShowsTheErrorBoard) {
  ASSERT_EQ(und_init(), 0);
  und_lock(1);
  und_exec(0);
  und_lock(0);
  ASSERT_EQ(boards().size(), 1u);
  EXPECT_EQ(boards()[0].heading, "エラー");
}

TEST_F(JournalWin, RealFreeSpaceOfTheWorkDrive) {
  EXPECT_GT(fil_freespc(wd.folder().c_str()), 0u);
  EXPECT_EQ(fil_freespc("\\\\server\\share\\x"), 0x7fffffffu);
}

// Runs only inside the second process that the test below starts.
TEST_F(JournalWin, SecondProcessChild) {
  const char *dir = std::getenv(CHILD_ENV);
  if (!dir)
    GTEST_SKIP() << "started by SecondProcessRunsWithoutUndo";
  sys_pathset(4, dir);
  EXPECT_EQ(und_init(), 9);
  ASSERT_EQ(boards().size(), 1u);
  EXPECT_EQ(boards()[0].heading, "エラー");
  EXPECT_EQ(boards()[0].text, "ＵＮＤＯ領域が確保できません。");
  ElementRecord p = proto(PNT);
  EXPECT_EQ(und_writ(0, UND_ADD, 1, 1, &p), 1);
  EXPECT_EQ(und_pend(0), 1);
  und_term(); // deletes nothing that another process holds
}

TEST_F(JournalWin, SecondProcessRunsWithoutUndo) {
  ASSERT_EQ(und_init(), 0);
  ASSERT_EQ(und_pend(0), 0);
  ElementRecord p = proto(PNT);
  ASSERT_EQ(elm_add(0, 0, ELM_NODRAW, &p, nullptr), 1);
  ASSERT_EQ(und_pend(0), 0);
  std::fflush(UndJrn[0].fp);
  const std::string path = wd.file("ikfgundo.0ud");
  auto before = file_bytes(path);
  ASSERT_EQ(before.size(), 4 * 92u);

  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=JournalWin.SecondProcessChild";
  SetEnvironmentVariableA(CHILD_ENV, wd.folder().c_str());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(CHILD_ENV, nullptr);
  ASSERT_TRUE(started);
  DWORD waited = WaitForSingleObject(pi.hProcess, 120000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  if (waited != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 3);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(waited, WAIT_OBJECT_0);
  EXPECT_EQ(code, 0u);

  // The first process's journal is as it was and still works.
  EXPECT_EQ(file_bytes(path), before);
  und_exec(0);
  EXPECT_EQ(ctl(0).count1, 0u);
  EXPECT_TRUE(boards().empty());
}

} // namespace

namespace {

void key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

// Esc is seen while no message is pumped, and behind a held Shift.
TEST(PackEscape, PolledFromTheAsynchronousKeyState) {
  const DbSysHooks h = dbs_platform();
  EXPECT_EQ(h.escape(), 0);
  key(VK_SHIFT, false);
  key(VK_ESCAPE, false);
  EXPECT_EQ(h.escape(), 27);
  key(VK_ESCAPE, true);
  key(VK_SHIFT, true);
  EXPECT_EQ(h.escape(), 0);
}

} // namespace
