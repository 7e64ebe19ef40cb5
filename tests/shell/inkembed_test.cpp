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

#include "../common/pngwrite.h"
#include "../common/screencap.h"
#include "../common/watchdog.h"
#include "framework/appole.h"
#include "framework/olesrv.h"

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

  Outcome again = olectr("load " + f1 + " extent save " + f2 + " release");
  ASSERT_EQ(again.code, 0u) << again.out;
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

} // namespace
