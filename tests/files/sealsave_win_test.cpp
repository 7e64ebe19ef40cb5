#include <windows.h>

#include <filesystem>
#include <fstream>

#include "files/lockwin.h"
#include "files/sealsavewin.h"
#include "sealfix.h"
#include "settings/answers.h"
#include "settings/syspath.h"

namespace {

void put(const std::string &p, const Bytes &b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), std::streamsize(b.size()));
}

Bytes junk(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i)
    b[i] = uint8_t(i * 13 + 7);
  return b;
}

std::vector<std::string> names(const WorkDir &wd) {
  std::vector<std::string> v;
  for (const auto &e : std::filesystem::directory_iterator(wd.dir))
    v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  return v;
}

// The n-th write from now on fails (1 = the next one); 0 none.
int fail_at = 0;
long failing_write(int fd, const void *buf, uint32_t size) {
  if (fail_at && --fail_at == 0)
    return -1;
  return fil_sysplatform().write(fd, buf, size);
}
long failing_writeh(void *h, const void *buf, uint32_t size) {
  if (fail_at && --fail_at == 0)
    return long(size) / 2;
  return fil_sysplatform().writeh(h, buf, size);
}

struct Save : Seal {
  WorkDir wd;
  std::string path;
  DrawingEnvRecord env;
  std::vector<std::string> asked;
  int answer = IDNO;
  void SetUp() override {
    Seal::SetUp();
    path = wd.file("ABC.KSL");
    sys_dwgenv('R', 0, &env);
    DwgPath[0] = {};
    fail_at = 0;
    fil_sys().write = failing_write;
    fil_sys().writeh = failing_writeh;
    ui_setresponder([this](const UiQuestion &q) {
      asked.push_back(q.text);
      return answer;
    });
  }
  void TearDown() override {
    ui_setresponder({});
    lck_release(0);
    Seal::TearDown();
  }
  int save(int mode) {
    SlfSaveCount = int32_t(DbCtl[0].count1);
    return slf_save(0, path.c_str(), mode, &env);
  }
  void hold() {
    HANDLE h;
    ASSERT_EQ(lck_openrw(path.c_str(), &h), 0u);
    ASSERT_EQ(lck_create(path.c_str()), 0u);
    DwgPath[0].lock = h;
    std::snprintf(DwgPath[0].path, sizeof DwgPath[0].path, "%s", path.c_str());
  }
};

} // namespace

TEST_F(Save, FileIsHeaderAndRecordsExactly) {
  fixture(0);
  ASSERT_EQ(save(0), SLF_SAVED);
  EXPECT_EQ(file_bytes(path), image(0));
  // The date and the grid copy are stamped into the environment.
  SYSTEMTIME st;
  GetLocalTime(&st);
  char date[16];
  std::snprintf(date, sizeof date, "%02d/%02d/%02d", st.wYear % 100, st.wMonth, st.wDay);
  EXPECT_STREQ(reinterpret_cast<const char *>(&env) + 232, date);

  // The file reads back into another drawing as the same records.
  uint8_t hdr[256];
  ASSERT_EQ(slf_load(1, path.c_str(), 0, 0, hdr), 0);
  EXPECT_EQ(records(1, 1, 7), records(0, 1, 7));
  char probe[300];
  std::snprintf(probe, sizeof probe, "%s", wd.file("abc.ksl").c_str());
  EXPECT_EQ(slf_probe(probe), 1);
  EXPECT_NE(std::string(probe).find("ABC.KSL"), std::string::npos);
}

TEST_F(Save, SizesAndShorterOverwrites) {
  for (int i = 0; i < 401; ++i)
    add(0, line(i, 0, i, 1));
  put(path, junk(100000));
  ASSERT_EQ(save(1), SLF_SAVED);
  EXPECT_EQ(std::filesystem::file_size(path), 256u + 32080u);
  EXPECT_EQ(file_bytes(path), image(0));
  empty(0);
  add(0, line(0, 0, 1, 1));
  ASSERT_EQ(save(0), SLF_SAVED);
  EXPECT_EQ(std::filesystem::file_size(path), 256u + 80u);
  // Held by this drawing: replaced as a whole too, the lock released after it.
  for (int i = 0; i < 10; ++i)
    add(0, line(i, 0, i, 1));
  put(path, junk(50000));
  hold();
  ASSERT_EQ(save(1), SLF_SAVED);
  EXPECT_EQ(file_bytes(path), image(0));
  EXPECT_EQ(DwgPath[0].lock, nullptr); // released after the save
  EXPECT_FALSE(std::filesystem::exists(path + ".cslock"));
  EXPECT_EQ(names(wd), std::vector<std::string>{"ABC.KSL"});
}

TEST_F(Save, FailedWriteLeavesTheOldBytes) {
  fixture(0);
  for (int locked = 0; locked < 2; ++locked) {
    for (int at : {1, 2}) { // the header, the records
      SCOPED_TRACE(testing::Message() << "locked " << locked << " write " << at);
      const Bytes old = junk(5000 + size_t(at));
      put(path, old);
      if (locked)
        hold();
      fail_at = at;
      EXPECT_EQ(save(1), SLF_WRITEFAIL);
      EXPECT_EQ(file_bytes(path), old);
      std::vector<std::string> want{"ABC.KSL"};
      if (locked)
        want.push_back("ABC.KSL.cslock");
      EXPECT_EQ(names(wd), want); // no safety copy left behind
      if (locked) {
        EXPECT_NE(DwgPath[0].lock, nullptr); // the drawing still holds its file
        lck_release(0);
      }
    }
  }
}

TEST_F(Save, SafetyCopyNeverTakesAFixedName) {
  fixture(0);
  const Bytes other = junk(77);
  put(wd.file("inkforge.$$$"), other); // another editor's copy
  put(path, junk(300));
  ASSERT_EQ(save(1), SLF_SAVED);
  EXPECT_EQ(file_bytes(wd.file("inkforge.$$$")), other);
  EXPECT_EQ(names(wd), (std::vector<std::string>{"ABC.KSL", "inkforge.$$$"}));
}

TEST_F(Save, Refusals) {
  fixture(0);
  put(path, junk(10));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(save(1), SLF_REFUSED);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(save(0), SLF_REFUSED);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(file_bytes(path), junk(10));
  path = wd.file("sub");
  std::filesystem::create_directory(path);
  EXPECT_EQ(save(0), SLF_REFUSED);
  path = wd.file("X.$SL1");
  EXPECT_EQ(save(1), SLF_REFUSED);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(save(0), SLF_SAVED);
}

TEST_F(Save, BackupCopyAndItsQuestion) {
  fixture(0);
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.w2 = 1;
  sys_sysprm('W', &sb);
  WorkDir backups;
  sys_pathset(11, backups.folder().c_str());
  const Bytes old = junk(999);
  put(path, old);
  ASSERT_EQ(save(1), SLF_SAVED);
  EXPECT_EQ(file_bytes(backups.file("ABC")), old);
  path = wd.file("ABC.KL");
  put(path, old);
  ASSERT_EQ(save(1), SLF_SAVED);
  EXPECT_EQ(file_bytes(backups.file("ABC.$KL")), old);
  EXPECT_TRUE(asked.empty());

  // No backup can be made: the user is asked; No keeps the old file.
  sys_pathset(11, wd.file("missing\\").c_str());
  path = wd.file("ABC.KSL");
  put(path, old);
  answer = IDNO;
  EXPECT_EQ(save(1), SLF_NOBACKUP);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find("バックアップをとらずに"), std::string::npos);
  EXPECT_EQ(file_bytes(path), old);
  answer = IDYES;
  EXPECT_EQ(save(1), SLF_SAVED);
  EXPECT_EQ(file_bytes(path), image(0));
  sb.w2 = 0;
  sys_sysprm('W', &sb);
  sys_pathset(11, "");
}

namespace {

bool exists(const std::string &p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs savechild over path stopping at point stop (0: never) and kills it there.
// The exit code, or -1 when it was killed.
int run_child(const std::string &path, int stop, bool held, const std::string &marker) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of('\\') + 1);
  DeleteFileA(marker.c_str());
  std::string cmd = "\"" + dir + INK_SAVECHILD + "\" \"" + path + "\" " + std::to_string(stop) + " \"" + marker + "\"" +
                    (held ? " held" : "");
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "savechild not started: " << GetLastError();
    return -2;
  }
  int result = -1;
  // Waits for the stop (or the end), however slow the machine.
  for (;;) {
    if (exists(marker)) {
      TerminateProcess(pi.hProcess, 9);
      WaitForSingleObject(pi.hProcess, INFINITE);
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(pi.hProcess, &code);
      result = int(code);
      break;
    }
  }
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return result;
}

} // namespace

// A save killed anywhere leaves the whole old or the whole new drawing under the name:
// before the replacement the old one, after it the new one; the reopen reads it whole.
TEST_F(Save, KilledSaveLeavesOldOrNewWhole) {
  const std::string marker = wd.file("stopped");
  // The old drawing: 1,000 other lines.
  for (int i = 0; i < 1000; ++i)
    add(0, line(-i, 0, -i, 1));
  const Bytes old = image(0);
  put(path, old);
  ASSERT_EQ(run_child(path, 0, false, marker), 0);
  const Bytes fresh = file_bytes(path);
  ASSERT_EQ(fresh.size(), size_t(SLF_HEADSIZE + 1000 * SLF_RECSIZE));
  ASSERT_NE(fresh, old);
  for (int held = 0; held < 2; ++held) {
    for (int stop = 1; stop <= 6; ++stop) {
      SCOPED_TRACE(testing::Message() << "held " << held << " stop " << stop);
      put(path, old);
      DeleteFileA((path + ".cslock").c_str());
      ASSERT_EQ(run_child(path, stop, held != 0, marker), -1);
      const Bytes now = file_bytes(path);
      EXPECT_EQ(now, stop < 6 ? old : fresh);
      empty(1);
      EXPECT_EQ(load(1, now), 0);
      EXPECT_EQ(DbCtl[1].count1, 1000u);
      // What the cut save left beside the file is its own new file only.
      for (const std::string &n : names(wd))
        EXPECT_TRUE(n == "ABC.KSL" || n == "ABC.KSL.cslock" || n == "stopped" || n.rfind("iks", 0) == 0) << n;
    }
  }
}

// Left-over new files of cut saves go once they are old and open nowhere; an earlier
// version's safety copy is named and kept.
TEST_F(Save, SweepTakesStaleNewFilesAndNamesOldSafetyCopies) {
  const std::string stale = wd.file("iks1A2B.tmp"), fresh = wd.file("iks3C4D.tmp"), busy = wd.file("iks5E6F.tmp"),
                    safety = wd.file("ikf0001.tmp");
  for (const std::string &n : {stale, fresh, busy, safety})
    put(n, junk(300));
  auto age = [](const std::string &n, int seconds) {
    HANDLE h = CreateFileA(n.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart -= uint64_t(seconds) * 10000000ull;
    ft = {t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  };
  age(stale, 3600);
  age(busy, 3600);
  age(safety, 3600);
  HANDLE open = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  static std::vector<std::string> reported;
  reported.clear();
  EXPECT_EQ(slf_sweep(path.c_str(), [](const char *n) {
              reported.push_back(n);
              return 0;
            }),
            1);
  CloseHandle(open);
  EXPECT_FALSE(exists(stale));
  EXPECT_TRUE(exists(fresh));
  EXPECT_TRUE(exists(busy));
  EXPECT_TRUE(exists(safety));
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find("ikf0001.tmp"), std::string::npos);
}

// A failed replacement keeps the old file and the drawing's hold on it.
TEST_F(Save, ReplacementRefusedKeepsOldFileAndLock) {
  fixture(0);
  const Bytes old = junk(4000);
  put(path, old);
  hold();
  // Another process reading the file without delete sharing blocks the replacement.
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  const int rc = save(1);
  CloseHandle(reader);
  if (rc == SLF_SAVED)
    GTEST_SKIP() << "this file system replaces files that are open";
  EXPECT_EQ(rc, SLF_NORENAME);
  EXPECT_EQ(file_bytes(path), old);
  EXPECT_NE(DwgPath[0].lock, nullptr);
  EXPECT_TRUE(exists(path + ".cslock"));
  EXPECT_EQ(names(wd), (std::vector<std::string>{"ABC.KSL", "ABC.KSL.cslock"}));
}
