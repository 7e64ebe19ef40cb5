// Embedding across processes: olectr (a container over raw ole32) drives fwsrv (a
// server on the framework) that COM starts from its registration.
#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fwsrv_ids.h"

namespace {

std::string exeDir() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of('\\') + 1);
  return dir;
}

std::string tempFile(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::vector<unsigned char> readAll(const std::string &path) {
  std::vector<unsigned char> out;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      out.insert(out.end(), buf, buf + n);
    std::fclose(f);
  }
  return out;
}

struct Child {
  PROCESS_INFORMATION pi{};
  std::string outPath;
  bool started = false;
};

Child start(const char *exe, const std::string &args, const char *outName) {
  Child c;
  c.outPath = tempFile(outName);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(c.outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  std::string cmd = "\"" + exeDir() + exe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  c.started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &c.pi) != FALSE;
  CloseHandle(out);
  return c;
}

struct Outcome {
  DWORD code = 999;
  std::string out;
};

Outcome finish(Child &c, DWORD timeoutMs = 60000) {
  Outcome r;
  if (!c.started)
    return r;
  if (WaitForSingleObject(c.pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "child hangs";
    TerminateProcess(c.pi.hProcess, 998);
    WaitForSingleObject(c.pi.hProcess, 5000);
  }
  GetExitCodeProcess(c.pi.hProcess, &r.code);
  CloseHandle(c.pi.hProcess);
  CloseHandle(c.pi.hThread);
  std::vector<unsigned char> text = readAll(c.outPath);
  r.out.assign(text.begin(), text.end());
  DeleteFileA(c.outPath.c_str());
  return r;
}

Outcome olectr(const std::string &args) {
  Child c = start(INK_OLECTR, args, "embed_olectr_out.txt");
  return finish(c);
}

const std::string kClsid = kFwSrvClsidText;

std::vector<DWORD> fwsrvProcesses() {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (lstrcmpiA(e.szExeFile, INK_FWSRV) == 0)
      pids.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return pids;
}

// Waits until the count of fwsrv processes is n; false after the time.
bool waitForFwsrvCount(size_t n, DWORD ms) {
  const DWORD t0 = GetTickCount();
  for (;;) {
    if (fwsrvProcesses().size() == n)
      return true;
    if (GetTickCount() - t0 > ms)
      return false;
    Sleep(50);
  }
}

struct Found {
  DWORD pid;
  HWND wnd = nullptr;
};

// The visible top-level window of the process, if any.
HWND visibleWindowOf(DWORD pid) {
  Found f{pid};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto *f = reinterpret_cast<Found *>(lp);
        DWORD p = 0;
        GetWindowThreadProcessId(w, &p);
        if (p == f->pid && IsWindowVisible(w) && !GetParent(w)) {
          f->wnd = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.wnd;
}

std::string titleOf(HWND w) {
  char t[64] = "";
  GetWindowTextA(w, t, sizeof t);
  return t;
}

bool has(const std::string &out, const std::string &line) {
  return out.find(line + "\n") != std::string::npos || out.find(line + "\r\n") != std::string::npos;
}

// Plays the picture into a 100 x 60 white bitmap; the colour at (x, y).
COLORREF playAt(HENHMETAFILE emf, HMETAFILE wmf, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 100, 60);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all{0, 0, 100, 60};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (emf) {
    PlayEnhMetaFile(dc, emf, &all);
  } else {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetViewportExtEx(dc, 100, 60, nullptr);
    PlayMetaFile(dc, wmf);
    SetMapMode(dc, MM_TEXT);
  }
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return c;
}

class EmbedTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Child reg = start(INK_FWSRV, "-RegServer", "embed_fwsrv_reg.txt");
    ASSERT_EQ(finish(reg).code, 0u);
  }
  void SetUp() override { ASSERT_TRUE(waitForFwsrvCount(0, 5000)) << "a server is left from before"; }
  // A server a failed test left is closed through its windows, so that it revokes its
  // class object (a killed server would stay registered with COM).
  void TearDown() override {
    for (DWORD pid : fwsrvProcesses())
      EnumWindows(
          [](HWND w, LPARAM lp) -> BOOL {
            DWORD p = 0;
            GetWindowThreadProcessId(w, &p);
            if (p == DWORD(lp) && !GetParent(w))
              PostMessageA(w, WM_CLOSE, 0, 0);
            return TRUE;
          },
          LPARAM(pid));
    waitForFwsrvCount(0, 5000);
  }
};

TEST_F(EmbedTest, CreateRenderSaveAndLoadInANewServer) {
  const std::string emf = tempFile("embed_red.emf"), wmf = tempFile("embed_red.wmf"),
                    stg = tempFile("embed_object.stg");
  DeleteFileA(stg.c_str());
  Child c = start(INK_OLECTR,
                  "embed create " + kClsid + " sleep 1500 hostnames App Obj setextent 5000 3000 extent emf \"" + emf +
                      "\" mfpict \"" + wmf + "\" descriptor text save \"" + stg + "\" release",
                  "embed_olectr_out.txt");
  ASSERT_TRUE(c.started);
  // The server runs (started for the embedding) and shows no window.
  EXPECT_TRUE(waitForFwsrvCount(1, 20000));
  const std::vector<DWORD> pids = fwsrvProcesses();
  EXPECT_EQ(pids.size(), 1u);
  if (!pids.empty()) {
    EXPECT_EQ(visibleWindowOf(pids[0]), nullptr);
  }
  const Outcome r = finish(c);
  ASSERT_EQ(r.code, 0u) << r.out;
  EXPECT_TRUE(has(r.out, "extent 5000 3000")) << r.out;
  EXPECT_TRUE(has(r.out, "mfpict 8 5000 3000")) << r.out;
  EXPECT_TRUE(has(r.out, "descriptor " + kClsid + " 5000 3000 fwsrv document")) << r.out;
  EXPECT_TRUE(has(r.out, "text App/Obj")) << r.out;
  // Released: the server ends.
  EXPECT_TRUE(waitForFwsrvCount(0, 5000));

  std::vector<unsigned char> bits = readAll(emf);
  HENHMETAFILE e = SetEnhMetaFileBits(UINT(bits.size()), bits.data());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(playAt(e, nullptr, 50, 30), RGB(255, 0, 0));
  EXPECT_EQ(playAt(e, nullptr, 3, 3), RGB(255, 0, 0));
  DeleteEnhMetaFile(e);
  bits = readAll(wmf);
  HMETAFILE w = SetMetaFileBitsEx(UINT(bits.size()), bits.data());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(playAt(nullptr, w, 50, 30), RGB(255, 0, 0));
  EXPECT_EQ(playAt(nullptr, w, 97, 57), RGB(255, 0, 0));
  DeleteMetaFile(w);

  // The compound file: the server's class and "Contents" with the text.
  {
    std::wstring path(stg.begin(), stg.end());
    IStorage *s = nullptr;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &s), S_OK);
    CLSID id = CLSID_NULL;
    EXPECT_EQ(ReadClassStg(s, &id), S_OK);
    EXPECT_TRUE(IsEqualCLSID(id, kFwSrvClsid));
    IStream *contents = nullptr;
    ASSERT_EQ(s->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &contents), S_OK);
    char buf[64] = {};
    ULONG n = 0;
    contents->Read(buf, sizeof buf, &n);
    contents->Release();
    s->Release();
    // The text as the archive stores a string, then the extent.
    ASSERT_EQ(n, 1u + 7u + 8u);
    EXPECT_EQ(std::string(buf, 8), std::string("\x07"
                                               "App/Obj"));
    int32_t cx, cy;
    std::memcpy(&cx, buf + 8, 4);
    std::memcpy(&cy, buf + 12, 4);
    EXPECT_EQ(cx, 5000);
    EXPECT_EQ(cy, 3000);
  }

  // A second container loads it: a new server gives the same text and extent.
  const Outcome again = olectr("embed load \"" + stg + "\" text extent release");
  ASSERT_EQ(again.code, 0u) << again.out;
  EXPECT_TRUE(has(again.out, "text App/Obj")) << again.out;
  EXPECT_TRUE(has(again.out, "extent 5000 3000")) << again.out;
  EXPECT_TRUE(waitForFwsrvCount(0, 5000));
  DeleteFileA(emf.c_str());
  DeleteFileA(wmf.c_str());
  DeleteFileA(stg.c_str());
}

TEST_F(EmbedTest, BadStorageFailsTheLoadAndTheServerEnds) {
  const std::string noContents = tempFile("embed_nocontents.stg");
  {
    std::wstring path(noContents.begin(), noContents.end());
    IStorage *s = nullptr;
    ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &s), S_OK);
    WriteClassStg(s, kFwSrvClsid);
    s->Commit(STGC_DEFAULT);
    s->Release();
  }
  const Outcome r = olectr("embed load \"" + noContents + "\" text release");
  EXPECT_EQ(r.code, 11u) << r.out; // the load step
  EXPECT_TRUE(waitForFwsrvCount(0, 5000));
  DeleteFileA(noContents.c_str());
}

TEST_F(EmbedTest, OpenVerbShowsTheServerWhichStaysUntilClosed) {
  const Outcome r = olectr("embed create " + kClsid + " verb -2 release");
  ASSERT_EQ(r.code, 0u) << r.out;
  EXPECT_TRUE(has(r.out, "site shows 1")) << r.out;
  Sleep(1000);
  const std::vector<DWORD> pids = fwsrvProcesses();
  ASSERT_EQ(pids.size(), 1u);
  HWND w = visibleWindowOf(pids[0]);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(titleOf(w), "fwsrv 0"); // the released document is gone, the window stays
  PostMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(waitForFwsrvCount(0, 5000));
}

TEST_F(EmbedTest, RunningServerServesANewObject) {
  Child server = start(INK_FWSRV, "", "embed_fwsrv_out.txt");
  ASSERT_TRUE(server.started);
  HWND w = nullptr;
  for (int i = 0; i < 200 && !(w = visibleWindowOf(server.pi.dwProcessId)); i++)
    Sleep(50);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 100 && titleOf(w) != "fwsrv 1"; i++)
    Sleep(50);
  EXPECT_EQ(titleOf(w), "fwsrv 1");

  Child c = start(INK_OLECTR, "embed create " + kClsid + " sleep 1500 text release", "embed_olectr_out.txt");
  for (int i = 0; i < 200 && titleOf(w) != "fwsrv 2"; i++)
    Sleep(50);
  EXPECT_EQ(titleOf(w), "fwsrv 2"); // one process, two documents
  EXPECT_EQ(fwsrvProcesses().size(), 1u);
  const Outcome r = finish(c);
  EXPECT_EQ(r.code, 0u) << r.out;
  EXPECT_TRUE(has(r.out, "text fwsrv")) << r.out;
  for (int i = 0; i < 100 && titleOf(w) != "fwsrv 1"; i++)
    Sleep(50);
  EXPECT_EQ(titleOf(w), "fwsrv 1");
  EXPECT_EQ(WaitForSingleObject(server.pi.hProcess, 500), DWORD(WAIT_TIMEOUT)); // the user's program stays
  PostMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(finish(server, 5000).code, 0u);
}

} // namespace
