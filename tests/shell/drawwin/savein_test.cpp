// Saving in place through the started editor, as a user does it: a seal file opened
// from the command line (also by a name relative to the folder the editor starts in),
// a line drawn with the line command by clicks in the drawing window, the save-in-place
// button coming on, the save, and the file read back with the line and with the owner
// fields of its header as the plug-in wrote them.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../common/watchdog.h"
#include "../../files/sealfix.h"
#include "files/lockfile.h"

namespace {

std::string program_dir() {
  std::string d = "Z:" INK_PROGRAM_DIR "/";
  for (char &c : d)
    if (c == '/')
      c = '\\';
  return d;
}

std::string work_dir() {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string d = std::string(tmp) + "ink_savein\\";
  CreateDirectoryA(d.c_str(), nullptr);
  return d;
}

Bytes read_file(const std::string &path) {
  Bytes b;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      b.insert(b.end(), buf, buf + n);
    std::fclose(f);
  }
  return b;
}

// Header fields the plug-in writes: group code, password and owner name.
constexpr uint8_t GROUP[20] = {'G', 'R', 'P', '-', '0', '4', '2', 0, 0x81, 0x40};
constexpr uint8_t PASSWORD[20] = {0x13, 0x57, 0x9B, 0xDF, 0x24, 0x68, 0xAC, 0xE0};
constexpr char OWNER[24] = "\x8e\x52\x93\x63 OWNER"; // 山田 OWNER

// A seal file of one line with the owner fields set.
void seed(const std::string &path) {
  prm_init();
  db_start(2000, 200);
  ASSERT_EQ(add(0, line(10, 10, 40, 10)), 1);
  Bytes b = image(0);
  std::memcpy(b.data() + SLF_OFF_GROUP, GROUP, sizeof GROUP);
  std::memcpy(b.data() + SLF_OFF_PASSWORD, PASSWORD, sizeof PASSWORD);
  std::memcpy(b.data() + SLF_OFF_OWNER, OWNER, sizeof OWNER);
  std::memcpy(b.data() + SLF_OFF_NAME, "SEAL-A", 7);
  FILE *f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
  char lock[LCK_PATHMAX];
  lck_path(path.c_str(), lock);
  DeleteFileA(lock);
}

template <typename F> bool wait_for(F done, DWORD ms = 60000) {
  for (DWORD t = 0; t < ms; t += 20) {
    if (done())
      return true;
    Sleep(20);
  }
  return done();
}

struct Editor {
  PROCESS_INFORMATION pi = {};
  bool start(const std::string &args, const std::string &folder) {
    const std::string dir = program_dir(), exe = dir + "inkforge.exe";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\" " + args;
    return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
  }
  bool ended(DWORD ms) { return WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
  HWND frame() { return FindWindowA("DazuVerur", nullptr); }
  // The visible drawing window under the MDI client.
  HWND view() {
    HWND f = frame();
    if (!f)
      return nullptr;
    HWND found = nullptr;
    EnumChildWindows(
        FindWindowExA(f, nullptr, "MDIClient", nullptr),
        [](HWND w, LPARAM p) -> BOOL {
          char cls[64] = "";
          GetClassNameA(w, cls, sizeof cls);
          if (std::string(cls) == "InkFwWnd" && IsWindowVisible(w)) {
            *reinterpret_cast<HWND *>(p) = w;
            return FALSE;
          }
          return TRUE;
        },
        LPARAM(&found));
    return found;
  }
  // The tool bar that carries the button of a command (its id is 1000 + command).
  HWND toolbar(int command) {
    struct Find {
      DWORD pid;
      int id;
      HWND found;
    } f{pi.dwProcessId, 1000 + command, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto *f = reinterpret_cast<Find *>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid == f->pid)
            EnumChildWindows(
                w,
                [](HWND c, LPARAM q) -> BOOL {
                  auto *g = reinterpret_cast<Find *>(q);
                  char cls[64] = "";
                  GetClassNameA(c, cls, sizeof cls);
                  if (std::string(cls) == TOOLBARCLASSNAMEA &&
                      SendMessageA(c, TB_COMMANDTOINDEX, WPARAM(g->id), 0) >= 0) {
                    g->found = c;
                    return FALSE;
                  }
                  return TRUE;
                },
                p);
          return f->found ? FALSE : TRUE;
        },
        LPARAM(&f));
    return f.found;
  }
  bool enabled(int command) {
    HWND t = toolbar(command);
    return t && SendMessageA(t, TB_ISBUTTONENABLED, WPARAM(1000 + command), 0) != 0;
  }
  bool checked(int command) {
    HWND t = toolbar(command);
    return t && SendMessageA(t, TB_ISBUTTONCHECKED, WPARAM(1000 + command), 0) != 0;
  }
  void click(HWND w, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(w, WM_MOUSEMOVE, 0, at);
    PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(w, WM_LBUTTONUP, 0, at);
  }
  ~Editor() {
    if (pi.hProcess) {
      if (!ended(0)) {
        TerminateProcess(pi.hProcess, 9);
        ended(10000);
      }
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    for (int t = 0; t < 500 && FindWindowA("DazuVerur", nullptr); t++)
      Sleep(10);
  }
};

class SaveInPlace : public ::testing::Test {
protected:
  testing_watchdog::Watchdog dog{240000};
  std::string work = work_dir();
  void SetUp() override { ASSERT_FALSE(FindWindowA("DazuVerur", nullptr)) << "an editor is running already"; }
  void TearDown() override { dtb_term(); }
};

TEST_F(SaveInPlace, ALineDrawnThenSavedInPlaceKeepsTheOwnerFields) {
  const std::string path = work + "S1.KSL";
  seed(path);
  const Bytes before = read_file(path);
  Editor ed;
  ASSERT_TRUE(ed.start("\"" + path + "\"", work));
  ASSERT_TRUE(wait_for([&] { return ed.view() && ed.toolbar(330); })) << "no drawing window";
  // Just opened: nothing to save over the file yet.
  EXPECT_TRUE(wait_for([&] { return !ed.enabled(330); }));

  // The line command from the drawing menu, a line by two clicks, Esc ends it.
  // The editor starts a requested command when its next message comes, as the
  // mouse moving on gives one.
  PostMessageA(ed.frame(), WM_COMMAND, 15008, 0);
  PostMessageA(ed.frame(), WM_NULL, 0, 0);
  ASSERT_TRUE(wait_for([&] { return ed.checked(35); })) << "the line command did not start";
  HWND view = ed.view();
  ed.click(view, 60, 60);
  ed.click(view, 220, 140);
  PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  ASSERT_TRUE(wait_for([&] { return ed.enabled(330); })) << "上書き登録 stays greyed after the edit";
  EXPECT_EQ(read_file(path), before);

  PostMessageA(ed.frame(), WM_COMMAND, 10109, 0);
  PostMessageA(ed.frame(), WM_NULL, 0, 0);
  ASSERT_TRUE(wait_for([&] { return read_file(path).size() == size_t(SLF_HEADSIZE + 2 * SLF_RECSIZE); }))
      << "the save did not write the file";
  EXPECT_TRUE(wait_for([&] { return !ed.enabled(330); })); // saved: nothing left to save
  PostMessageA(ed.frame(), WM_COMMAND, 10105, 0);
  EXPECT_TRUE(ed.ended(30000)) << "the editor did not end";

  const Bytes file = read_file(path);
  ASSERT_EQ(file.size(), size_t(SLF_HEADSIZE + 2 * SLF_RECSIZE));
  EXPECT_EQ(std::memcmp(file.data() + SLF_OFF_GROUP, GROUP, sizeof GROUP), 0);
  EXPECT_EQ(std::memcmp(file.data() + SLF_OFF_PASSWORD, PASSWORD, sizeof PASSWORD), 0);
  EXPECT_EQ(std::memcmp(file.data() + SLF_OFF_OWNER, OWNER, sizeof OWNER), 0);
  EXPECT_STREQ(reinterpret_cast<const char *>(file.data() + SLF_OFF_NAME), "SEAL-A");
  // The old line first, unchanged, then the new one.
  EXPECT_EQ(std::memcmp(file.data() + SLF_HEADSIZE, before.data() + SLF_HEADSIZE, SLF_RECSIZE), 0);
  empty(0);
  ASSERT_EQ(load(0, file), 0);
  ASSERT_EQ(DbCtl[0].count1, 2u);
  ElementRecord r;
  ASSERT_EQ(elm_read(0, 2, &r, nullptr, 0), 0);
  EXPECT_EQ(r.kind, LIN);
  EXPECT_TRUE(r.lin.x1 != r.lin.x2 || r.lin.y1 != r.lin.y2);
  // Nothing of the save is left beside the file.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((work + "ik*.tmp").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << fd.cFileName;
  if (h != INVALID_HANDLE_VALUE)
    FindClose(h);
}

// A name without a folder on the command line is the file in the folder the editor
// was started in.
TEST_F(SaveInPlace, ARelativeNameOpensFromTheStartFolder) {
  const std::string path = work + "S2.KSL";
  seed(path);
  Editor ed;
  ASSERT_TRUE(ed.start("S2.KSL", work));
  EXPECT_TRUE(wait_for([&] { return ed.view() != nullptr; }, 30000)) << "S2.KSL was not opened";
  HWND f = ed.frame();
  ASSERT_TRUE(f);
  PostMessageA(f, WM_COMMAND, 10105, 0);
  EXPECT_TRUE(ed.ended(30000));
}

} // namespace
