// The editor as an OLE server for a container in another process: olectr (a container
// over plain ole32) makes drawing objects that COM serves from the laid-out program.
#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/watchdog.h"
#include "framework/appole.h"
#include "files/sealfmt.h"
#include "framework/olesrv.h"
#include "shell/dde/dde.h"

namespace {

std::string tempFile(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

// A full Windows path: COM starts the server from another folder.
std::string full(const std::string &path) {
  char out[MAX_PATH] = "";
  GetFullPathNameA(path.c_str(), sizeof out, out, nullptr);
  return out;
}

std::string program() { return full(std::string(INK_PROGRAM_DIR) + "/inkforge.exe"); }

struct Outcome {
  DWORD code = 999;
  std::string out;
};

Outcome run(const std::string &cmdline, DWORD ms = 60000) {
  Outcome r;
  const std::string outPath = tempFile("inkembed_out.txt");
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string cmd = cmdline;
  const bool started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(out);
  if (!started)
    return r;
  if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "child hangs: " << cmdline;
    TerminateProcess(pi.hProcess, 998);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  GetExitCodeProcess(pi.hProcess, &r.code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  if (FILE *f = std::fopen(outPath.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      r.out.append(buf, n);
    std::fclose(f);
  }
  DeleteFileA(outPath.c_str());
  return r;
}

std::string clsidText() {
  LPOLESTR w = nullptr;
  StringFromCLSID(*GetAppClsid(), &w);
  char s[64] = "";
  WideCharToMultiByte(CP_ACP, 0, w, -1, s, sizeof s, nullptr, nullptr);
  CoTaskMemFree(w);
  return s;
}

Outcome olectr(const std::string &steps) {
  return run("\"" + full(INK_OLECTR) + "\" embed " + steps);
}

std::vector<DWORD> servers() {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (lstrcmpiA(e.szExeFile, "inkforge.exe") == 0)
      pids.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return pids;
}

bool waitForServers(size_t n, DWORD ms) {
  const DWORD t0 = GetTickCount();
  while (servers().size() != n) {
    if (GetTickCount() - t0 > ms)
      return false;
    Sleep(50);
  }
  return true;
}

std::string stream(const std::string &file, const wchar_t *name) {
  std::wstring w(file.begin(), file.end());
  IStorage *stg = nullptr;
  if (FAILED(StgOpenStorage(w.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &stg)))
    return "<no storage>";
  IStream *s = nullptr;
  std::string out = "<no stream>";
  if (SUCCEEDED(stg->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s))) {
    out.clear();
    char buf[4096];
    ULONG n = 0;
    while (SUCCEEDED(s->Read(buf, sizeof buf, &n)) && n > 0)
      out.append(buf, n);
    s->Release();
  }
  stg->Release();
  return out;
}

// Temporary files of the editor ("KlO" and what the system adds) in the program folder
// and the temporary folder, where its work folder may be.
size_t editorTempFiles() {
  size_t n = 0;
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  for (const std::string &dir : {full(INK_PROGRAM_DIR) + "\\", std::string(temp)}) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "KlO*.tmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
      continue;
    do
      n++;
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return n;
}

bool has(const std::string &out, const std::string &line) {
  return out.find(line + "\n") != std::string::npos || out.find(line + "\r\n") != std::string::npos;
}

// Windows of the server processes whose title is the text (top level or MDI children).
HWND findTitled(const std::string &title) {
  struct Search {
    std::vector<DWORD> pids;
    std::string title;
    HWND found = nullptr;
  } s{servers(), title};
  EnumWindows(
      [](HWND top, LPARAM lp) -> BOOL {
        auto *s = reinterpret_cast<Search *>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        bool ours = false;
        for (DWORD p : s->pids)
          ours = ours || p == pid;
        if (!ours)
          return TRUE;
        auto check = [](HWND w, LPARAM lp) -> BOOL {
          auto *s = reinterpret_cast<Search *>(lp);
          char t[262] = "";
          GetWindowTextA(w, t, sizeof t);
          if (s->title == t && IsWindowVisible(w)) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        };
        if (!check(top, lp))
          return FALSE;
        EnumChildWindows(top, check, lp);
        return s->found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

class InkEmbed : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    ASSERT_TRUE(AfxOleRegisterServerClass(*GetAppClsid(), GetAppServerEntries(), program().c_str()));
  }
  void SetUp() override { ASSERT_TRUE(waitForServers(0, 5000)) << "a server is left from before"; }
  // A server a failed test left is closed through its main window, so that it revokes
  // its class object (a killed server would stay registered with COM).
  void TearDown() override {
    for (DWORD pid : servers())
      EnumWindows(
          [](HWND w, LPARAM lp) -> BOOL {
            DWORD p = 0;
            GetWindowThreadProcessId(w, &p);
            char cls[64] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (p == DWORD(lp) && std::strcmp(cls, "DazuVerur") == 0)
              PostMessageA(w, WM_CLOSE, 0, 0);
            return TRUE;
          },
          LPARAM(pid));
    waitForServers(0, 10000);
  }
  testing_watchdog::Watchdog dog{240000};
};

TEST_F(InkEmbed, ADrawingObjectIsStoredAndLoadedAgain) {
  const std::string f1 = tempFile("inkembed1.stg"), f2 = tempFile("inkembed2.stg");
  DeleteFileA(f1.c_str());
  DeleteFileA(f2.c_str());
  Outcome made = olectr("create " + clsidText() + " extent save " + f1 + " release");
  ASSERT_EQ(made.code, 0u) << made.out;
  // A new drawing's sheet is 297 x 210: 10000 wide, 10000 * 210 / 297 high.
  EXPECT_TRUE(has(made.out, "extent 10000 7070")) << made.out;
  // Never opened: the server leaves once the object is released.
  EXPECT_TRUE(waitForServers(0, 5000));

  const std::string contents = stream(f1, L"Contents");
  ASSERT_GT(contents.size(), 66u) << contents;
  uint32_t count = 99;
  std::memcpy(&count, contents.data(), 4);
  EXPECT_EQ(count, 0u); // no objects in the drawing
  EXPECT_EQ(contents.substr(4, 22), std::string("\x15Hello ORVIK KL native"));
  int32_t ext[2];
  double rect[4];
  std::memcpy(ext, contents.data() + 26, 8);
  std::memcpy(rect, contents.data() + 34, 32);
  EXPECT_EQ(ext[0], 10000);
  EXPECT_EQ(ext[1], 7070);
  EXPECT_EQ(rect[0], 0.0);
  EXPECT_EQ(rect[1], 210.0);
  EXPECT_EQ(rect[2], 297.0);
  EXPECT_EQ(rect[3], 0.0);
  const std::string drawing = contents.substr(66);
  ASSERT_GE(drawing.size(), 256u);
  EXPECT_EQ(drawing[24], 1); // a seal file's version word

  const size_t temps = editorTempFiles();
  Outcome again = olectr("load " + f1 + " extent save " + f2 + " release");
  ASSERT_EQ(again.code, 0u) << again.out;
  EXPECT_TRUE(waitForServers(0, 5000));
  EXPECT_EQ(editorTempFiles(), temps) << "a load and a store leave no temporary file";
  EXPECT_TRUE(has(again.out, "extent 10000 7070")) << again.out;
  EXPECT_EQ(stream(f2, L"Contents").substr(66), drawing);
  EXPECT_TRUE(waitForServers(0, 5000));
  DeleteFileA(f1.c_str());
  DeleteFileA(f2.c_str());
}

TEST_F(InkEmbed, ObjectsOneAfterAnotherAreEachServed) {
  // Each starts the program anew; a request must not reach it before its engine runs.
  for (int i = 0; i < 4; i++) {
    SCOPED_TRACE(i);
    Outcome made = olectr("create " + clsidText() + " extent release");
    EXPECT_EQ(made.code, 0u) << made.out;
    EXPECT_TRUE(has(made.out, "extent 10000 7070")) << made.out;
    EXPECT_TRUE(waitForServers(0, 5000));
  }
}

TEST_F(InkEmbed, HostNamesTitleTheDrawingWindowOpenedByTheVerb) {
  // olectr keeps the object while it sleeps; the window is looked for meanwhile.
  const std::string cmd = "\"" + full(INK_OLECTR) + "\" embed create " + clsidText() +
                          " hostnames olectr doc verb -2 sleep 6000 close release";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = cmd;
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND found = nullptr;
  const DWORD t0 = GetTickCount();
  while (!found && GetTickCount() - t0 < 5000) {
    Sleep(100);
    found = findTitled("olectrの図 (1)");
  }
  EXPECT_TRUE(found) << "no drawing window titled for the host";
  if (found) {
    // The editor's window as the user sees it, kept for a look.
    Sleep(500);
    HWND top = GetAncestor(found, GA_ROOT);
    RECT r{};
    const std::vector<uint32_t> px = screen_capture(top, r);
    EXPECT_TRUE(IsWindowVisible(top));
    write_png(INK_PICTURE_DIR "/inkembed_open.png", r.right - r.left, r.bottom - r.top, px);
  }
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 999;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
}

// The seal-file image behind the native head of a stored object's "Contents", and its
// element count (-1 when there is none).
int32_t storedCount(const std::string &file) {
  const std::string contents = stream(file, L"Contents");
  if (contents.size() < 66 + SLF_HEADSIZE)
    return -1;
  int32_t count = -1;
  if (slf_hdrcheck(reinterpret_cast<const uint8_t *>(contents.data()) + 66, &count) != 1)
    return -1;
  return count;
}

// Edited in the editor's window and saved there, by save in place and by register: the
// container gets the changed drawing each time, and no seal file name is asked.
TEST_F(InkEmbed, ADrawingSavedInTheEditorGoesBackToItsContainer) {
  const std::string f1 = tempFile("inkembed_saved1.stg"), f2 = tempFile("inkembed_saved2.stg");
  DeleteFileA(f1.c_str());
  DeleteFileA(f2.c_str());
  const std::string cmd = "\"" + full(INK_OLECTR) + "\" embed create " + clsidText() +
                          " hostnames olectr doc verb -2 waitsave 60000 keep " + f1 + " waitsave 60000 keep " + f2 +
                          " close release";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = cmd;
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND shown = nullptr;
  for (int t = 0; t < 600 && !(shown = findTitled("olectrの図 (1)")); t++)
    Sleep(50);
  ASSERT_TRUE(shown) << "the verb opened no drawing window";
  ASSERT_EQ(ddec_init(), 0);
  int slot = 0;
  for (int t = 0; t < 3000 && slot <= 0; t++)
    if ((slot = ddec_connect("KIVOLANT", "System")) <= 0)
      Sleep(10);
  ASSERT_GT(slot, 0);
  auto draw = [&](const char *what) {
    for (int t = 0; t < 3000 && ddec_poke(slot, "CMDL", "INIT") != DMLERR_NO_ERROR; t++)
      Sleep(10);
    EXPECT_EQ(ddec_poke(slot, "CMDL", what), DMLERR_NO_ERROR);
    ddec_poke(slot, "CMDL", "TERM");
  };
  auto saved = [&](const std::string &file) {
    int32_t n = -1;
    for (int t = 0; t < 600 && (n = storedCount(file)) < 0; t++)
      Sleep(50);
    return n;
  };
  HWND frame = FindWindowA("DazuVerur", nullptr);
  ASSERT_TRUE(frame);
  // A command posted to the editor runs before its answer to the next request.
  auto command = [&](WPARAM id) {
    PostMessageA(frame, WM_COMMAND, id, 0);
    char buf[64] = "";
    ddec_request(slot, "CMDL", buf, sizeof buf - 1);
  };
  draw("LINE 0 0 50 30");
  command(10109); // save in place
  EXPECT_EQ(saved(f1), 1) << "the container holds the drawing with its line";
  draw("LINE 0 30 50 0");
  command(10103); // register
  EXPECT_EQ(saved(f2), 2);
  ddec_disconnect(slot);
  ddec_term();
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 999;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
  // Loaded again by a container of its own, the object is the changed drawing.
  const std::string f3 = tempFile("inkembed_saved3.stg");
  Outcome again = olectr("load " + f2 + " save " + f3 + " release");
  EXPECT_EQ(again.code, 0u) << again.out;
  EXPECT_EQ(storedCount(f3), 2);
  for (const std::string &f : {f1, f2, f3})
    DeleteFileA(f.c_str());
}

} // namespace
