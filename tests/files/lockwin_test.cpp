#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "../database/workdir.h"
#include "files/lockwin.h"
#include "settings/answers.h"

namespace {

std::string slurp(const std::string &p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void put(const std::string &p, const std::string &s) { std::ofstream(p, std::ios::binary) << s; }

bool exists(const std::string &p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Locks : ::testing::Test {
  WorkDir wd;
  std::string seal;
  std::vector<std::string> asked;
  int answer = IDYES;
  void SetUp() override {
    seal = wd.file("ABC.KSL");
    put(seal, "seal bytes");
    ui_setresponder([this](const UiQuestion &q) {
      asked.push_back(q.text);
      EXPECT_EQ(q.kind, UI_MSGBOX);
      EXPECT_STREQ(q.heading, "読み込み確認");
      EXPECT_EQ(q.flags, UINT(MB_YESNO | MB_ICONINFORMATION));
      return answer;
    });
    DwgPath[0] = {};
  }
  void TearDown() override {
    ui_setresponder({});
    lck_release(0);
    SetFileAttributesA(seal.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::string lock() const { return seal + ".cslock"; }
};

// Another process holding a file open for writing.
struct Holder {
  PROCESS_INFORMATION pi{};
  std::string marker;
  Holder(const std::string &path, const std::string &mark) : marker(mark) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir.resize(dir.find_last_of('\\') + 1);
    std::string cmd = "\"" + dir + INK_HOLDFILE + "\" \"" + path + "\" \"" + marker + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      ADD_FAILURE() << "holdfile not started: " << GetLastError();
    for (int i = 0; i < 400 && !exists(marker); ++i)
      Sleep(25);
  }
  bool holding() const { return exists(marker); }
  ~Holder() {
    put(marker + ".done", "");
    if (pi.hProcess) {
      WaitForSingleObject(pi.hProcess, 20000);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
};

} // namespace

TEST_F(Locks, LockFileIsThreeHiddenLines) {
  ASSERT_EQ(lck_create(seal.c_str()), 0u);
  const DWORD attrs = GetFileAttributesA(lock().c_str());
  ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attrs & FILE_ATTRIBUTE_HIDDEN);
  const std::string text = slurp(lock());
  std::vector<std::string> lines;
  for (std::size_t at = 0, e; (e = text.find("\r\n", at)) != std::string::npos; at = e + 2)
    lines.push_back(text.substr(at, e - at));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(text.size(), lines[0].size() + lines[1].size() + lines[2].size() + 6);
  EXPECT_EQ(lines[0].rfind("user: ", 0), 0u);
  char host[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD n = sizeof host;
  GetComputerNameA(host, &n);
  EXPECT_EQ(lines[1], std::string("host: ") + host);
  EXPECT_EQ(lines[2].size(), 6u + 19u);

  LockHolder h;
  ASSERT_EQ(lck_holder(seal.c_str(), &h), 0u);
  EXPECT_EQ(std::string("user: ") + h.user, lines[0]);
  EXPECT_STREQ(h.host, host);
  EXPECT_GE(h.time.year, 2000);

  EXPECT_EQ(lck_remove(seal.c_str(), nullptr), 0u);
  EXPECT_FALSE(exists(lock()));
  EXPECT_EQ(lck_remove(seal.c_str(), nullptr), 0u); // already gone
  EXPECT_EQ(lck_remove(wd.file("nofolder\\x.KSL").c_str(), nullptr), 0u);
  EXPECT_EQ(lck_holder(seal.c_str(), &h), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(Locks, WrapperArguments) {
  HANDLE h = nullptr;
  EXPECT_EQ(lck_openrw("", &h), 87u);
  EXPECT_EQ(lck_openro(nullptr, &h), 87u);
  EXPECT_EQ(lck_openalw(seal.c_str(), nullptr, false), 87u);
  EXPECT_EQ(lck_trunc(nullptr), 6u);
  EXPECT_EQ(lck_close(INVALID_HANDLE_VALUE), 6u);
  EXPECT_EQ(lck_openrw(wd.file("none.KSL").c_str(), &h), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(h, nullptr);
  ASSERT_EQ(lck_openalw(seal.c_str(), &h, true), 0u);
  EXPECT_EQ(slurp(seal), "");
  EXPECT_EQ(lck_close(h), 0u);
}

TEST_F(Locks, HostileLockFilesStayInsideTheHolder) {
  std::string junk = "user: " + std::string(5000, '\x88') + "\r\nhost: " + std::string(3000, 'h') + "\n\r" +
                     "time: 65536/99/99 99:99:99\r\n" + std::string(100000, 'z');
  put(lock(), junk);
  LockHolder h;
  ASSERT_EQ(lck_holder(seal.c_str(), &h), 0u);
  EXPECT_LE(std::strlen(h.user), 259u);
  EXPECT_EQ(std::strlen(h.user) % 2, 0u); // no half character
  EXPECT_LE(std::strlen(h.host), 259u);
}

TEST_F(Locks, FileHeldByAnotherProcessAsksWithItsHolder) {
  put(lock(), "user: OTHER\\hanako\r\nhost: PC9\r\ntime: 2026/01/02 03:04:05\r\n");
  Holder other(seal, wd.file("held"));
  ASSERT_TRUE(other.holding());
  int inuse = -1;
  EXPECT_EQ(lck_inuse(seal.c_str(), &inuse), 0);
  EXPECT_EQ(inuse, 1);

  int state = 0;
  HANDLE h = nullptr;
  answer = IDNO;
  EXPECT_EQ(lck_openpol(seal.c_str(), 1, &state, &h), 7);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find("他のユーザー[OTHER\\hanako]"), std::string::npos);
  EXPECT_EQ(h, nullptr);

  answer = IDYES;
  EXPECT_EQ(lck_openpol(seal.c_str(), 1, &state, &h), 0);
  EXPECT_EQ(state, LCK_READONLY);
  ASSERT_NE(h, nullptr);
  // A load that fails gives back the read-only handle and leaves the holder's lock file.
  EXPECT_EQ(lck_abandon(seal.c_str(), state, h), 0);
  EXPECT_TRUE(exists(lock()));
  EXPECT_EQ(slurp(lock()).rfind("user: OTHER", 0), 0u);
  // The exclusive open asks the same way when the file is held.
  asked.clear();
  answer = IDNO;
  EXPECT_EQ(lck_askopen(seal.c_str(), &h), LCK_REFUSED);
  EXPECT_EQ(asked.size(), 1u);
}

// A file that cannot be written, with no lock file beside it (a read-only attribute does
// not stop a writer running as root under Wine; a holder without a lock file does).
TEST_F(Locks, UnwritableFileAsksAsReadOnlyAndWritesNoLock) {
  Holder other(seal, wd.file("held"));
  ASSERT_TRUE(other.holding());
  int state = 0;
  HANDLE h = nullptr;
  EXPECT_EQ(lck_openpol(seal.c_str(), 1, &state, &h), 0);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find("読み取り専用です。\n上書き登録ができません"), std::string::npos);
  EXPECT_EQ(state, LCK_READONLY);
  EXPECT_FALSE(exists(lock()));
  EXPECT_EQ(lck_keep(0, seal.c_str(), state, h), 0);
  EXPECT_EQ(DwgPath[0].lock, nullptr);
}

TEST_F(Locks, ExclusiveOpenLocksUntilReleased) {
  int state = 0;
  HANDLE h = nullptr;
  EXPECT_EQ(lck_openpol(seal.c_str(), 0, &state, &h), 0);
  EXPECT_EQ(state, LCK_NONE);
  EXPECT_FALSE(exists(lock()));

  EXPECT_EQ(lck_openpol(seal.c_str(), 1, &state, &h), 0);
  EXPECT_EQ(state, LCK_LOCKED);
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(exists(lock()));
  int inuse = 0;
  lck_inuse(seal.c_str(), &inuse);
  EXPECT_EQ(inuse, 1);
  EXPECT_EQ(lck_keep(0, seal.c_str(), state, h), 0);
  EXPECT_EQ(DwgPath[0].lock, h);
  EXPECT_EQ(lck_release(0), 0);
  EXPECT_EQ(DwgPath[0].lock, nullptr);
  EXPECT_FALSE(exists(lock()));
  EXPECT_EQ(lck_tryopen(seal.c_str()), 0u);

  // A failed load after the lock was taken removes this open's lock file and handle.
  EXPECT_EQ(lck_openpol(seal.c_str(), 1, &state, &h), 0);
  ASSERT_EQ(state, LCK_LOCKED);
  EXPECT_EQ(lck_abandon(seal.c_str(), state, h), 0);
  EXPECT_FALSE(exists(lock()));
  EXPECT_EQ(lck_tryopen(seal.c_str()), 0u);
}

TEST_F(Locks, MissingFileGetsNoQuestion) {
  const std::string none = wd.file("GONE.KSL");
  int state = 0, inuse = 5;
  HANDLE h = nullptr;
  EXPECT_EQ(lck_inuse(none.c_str(), &inuse), -1);
  EXPECT_EQ(inuse, 0);
  EXPECT_EQ(lck_openpol(none.c_str(), 1, &state, &h), 0);
  EXPECT_EQ(state, LCK_NONE);
  EXPECT_EQ(lck_askopen(none.c_str(), &h), LCK_REFUSED);
  EXPECT_EQ(h, nullptr);
  EXPECT_TRUE(asked.empty());
  EXPECT_FALSE(exists(none + ".cslock"));
}

// A lock file that cannot be filled is not left behind: later openers would find an
// empty one and be told the file is read-only instead of who holds it.
TEST_F(Locks, LockFileThatCannotBeFilledIsRemoved) {
  struct Case {
    const char *what;
    LckSysHooks hooks;
  };
  const LckSysHooks real = lck_sys();
  const Case cases[] = {
      {"fill", {[](LockHolder *) -> DWORD { return ERROR_NONE_MAPPED; }, real.trunc, real.write}},
      {"truncate", {real.fill, [](HANDLE) -> DWORD { return ERROR_ACCESS_DENIED; }, real.write}},
      {"first write", {real.fill, real.trunc, [](HANDLE, const void *, DWORD) -> DWORD { return ERROR_DISK_FULL; }}},
      {"third write", {real.fill, real.trunc, [](HANDLE h, const void *b, DWORD n) -> DWORD {
                         static int calls = 0;
                         return ++calls % 3 == 0 ? DWORD(ERROR_DISK_FULL) : lck_write(h, b, n);
                       }}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    for (bool always : {true, false}) {
      lck_sys() = c.hooks;
      EXPECT_NE(always ? lck_create(seal.c_str()) : lck_create2(seal.c_str()), 0u);
      lck_sysreset();
      EXPECT_FALSE(exists(lock()));
    }
  }
  // An exclusive open whose lock file fails takes nothing: no lock, no handle, no file.
  lck_sys().fill = [](LockHolder *) -> DWORD { return ERROR_NONE_MAPPED; };
  HANDLE h = nullptr;
  EXPECT_EQ(lck_askopen(seal.c_str(), &h), LCK_REFUSED);
  lck_sysreset();
  EXPECT_EQ(h, nullptr);
  EXPECT_FALSE(exists(lock()));
  EXPECT_EQ(lck_tryopen(seal.c_str()), 0u);
}
