// The editor as other programs drive it: a second process (this test) starts
// inkforge.exe, talks to it over DDE with the project's own client, hands it a
// command line through a second start, and ends it by an execute string.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../../../bench/ddeplain.h"
#include "../../common/watchdog.h"
#include "../../files/sealfix.h"
#include "files/lockfile.h"
#include "files/olefmt.h"
#include "files/cfbcheck.h"
#include "shell/dde/dde.h"

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
  std::string d = std::string(tmp) + "ink_dde\\";
  CreateDirectoryA(d.c_str(), nullptr);
  return d;
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

// A seal file of one point, written by the engine's own save code in this process.
void seed(const std::string &path) {
  prm_init();
  db_start(2000, 200);
  ElementRecord p = blank(PNT);
  p.pnt.x = 1, p.pnt.y = 1, p.pnt.attr = 1;
  ASSERT_EQ(add(0, p), 1);
  const Bytes b = image(0);
  ASSERT_EQ(b.size(), size_t(SLF_HEADSIZE + SLF_RECSIZE));
  FILE *f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
  char lock[LCK_PATHMAX];
  lck_path(path.c_str(), lock);
  DeleteFileA(lock);
}

DWORD action() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", "Action", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return 0;
  return value;
}

void clear_action() { RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", "Action"); }

std::string win_path(std::string p) {
  for (char &c : p)
    if (c == '/')
      c = '\\';
  return "Z:" + p;
}

// Elements in the seal file as the engine reads it back.
uint32_t elements_in(const std::string &path) {
  const Bytes file = read_file(path);
  if (file.size() < size_t(SLF_HEADSIZE))
    return 0;
  empty(0);
  if (load(0, file) != 0)
    return 0;
  return DbCtl[0].count1;
}

struct PeerRun {
  int lines = -1, acked = -1, adds = -1, wrong = -1;
  unsigned long ms = 0;
  std::string notes;
  DWORD code = 99;
};

// Runs the plain DDEML client against the running editor (up to 120 s).
PeerRun run_peer(int lines, const std::string &work) {
  PeerRun r;
  const std::string exe = win_path(INK_DDEPEER), out = work + "peer.txt";
  DeleteFileA(out.c_str());
  std::string cmd = "\"" + exe + "\" " + std::to_string(lines) + " \"" + out + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return r;
  // The peer's DdeConnect sends its initiate to every top-level window, this
  // process's too: it must be answered while the peer runs.
  const DWORD begin = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
    if (GetTickCount() - begin > 120000) {
      TerminateProcess(pi.hProcess, 98);
      WaitForSingleObject(pi.hProcess, 10000);
      break;
    }
  }
  GetExitCodeProcess(pi.hProcess, &r.code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (FILE *f = std::fopen(out.c_str(), "r")) {
    if (std::fscanf(f, "%d %d %d %d %lu\n", &r.lines, &r.acked, &r.adds, &r.wrong, &r.ms) != 5)
      r.lines = -1;
    char buf[256];
    while (std::fgets(buf, sizeof buf, f))
      r.notes += buf;
    std::fclose(f);
  }
  return r;
}

// The visible drawing windows of the running editor, found without sending it
// anything (a message would wake its loop).
int drawing_windows(HWND frame) {
  int n = 0;
  HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
  EnumChildWindows(
      client,
      [](HWND w, LPARAM p) -> BOOL {
        char cls[64] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "InkFwWnd" && IsWindowVisible(w))
          ++*reinterpret_cast<int *>(p);
        return TRUE;
      },
      LPARAM(&n));
  return n;
}

// Waits up to ms for cond; the time it took, or -1.
template <class F> long within(DWORD ms, F cond) {
  const DWORD begin = GetTickCount();
  for (;;) {
    if (cond())
      return long(GetTickCount() - begin);
    if (GetTickCount() - begin > ms)
      return -1;
    Sleep(5);
  }
}

// One started editor: killed by its id if a test leaves it running.
struct Editor {
  PROCESS_INFORMATION pi = {};
  int slot = 0;

  // errors: a file that gets what the editor writes to its error output.
  bool start(const std::string &args, const std::string &errors = "") {
    const std::string dir = program_dir(), exe = dir + "inkforge.exe";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    HANDLE err = nullptr;
    if (!errors.empty()) {
      SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
      err = CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
      si.dwFlags = STARTF_USESTDHANDLES;
      si.hStdOutput = si.hStdError = err;
    }
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    const bool ok =
        CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, err != nullptr, 0, nullptr, dir.c_str(), &si, &pi);
    if (err)
      CloseHandle(err);
    return ok;
  }
  // Retries the connection until the editor has started (up to 30 s) and until it
  // takes commands (it answers busy while starting).
  bool connect() {
    for (int t = 0; t < 3000 && slot <= 0; t++) {
      slot = ddec_connect("KIVOLANT", "System");
      if (slot <= 0)
        Sleep(10);
    }
    if (slot <= 0)
      return false;
    for (int t = 0; t < 3000; t++) {
      if (ddec_poke(slot, "FACK", "") == DMLERR_NO_ERROR)
        return true;
      Sleep(10);
    }
    return false;
  }
  int poke(const char *line) { return ddec_poke(slot, "CMDL", line); }
  std::string request() {
    char buf[1100] = "";
    const int n = ddec_request(slot, "CMDL", buf, sizeof buf - 1);
    buf[n > 0 ? n : 0] = '\0';
    return buf;
  }
  bool ended(DWORD ms) { return WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
  HWND frame() { return FindWindowA("DazuVerur", nullptr); }
  ~Editor() {
    if (slot > 0)
      ddec_disconnect(slot);
    if (pi.hProcess) {
      if (!ended(0)) {
        TerminateProcess(pi.hProcess, 9);
        ended(10000);
      }
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    // Nothing of a killed editor may hold the next one back.
    for (int t = 0; t < 500 && FindWindowA("DazuVerur", nullptr); t++)
      Sleep(10);
  }
};

class Dde : public ::testing::Test {
protected:
  testing_watchdog::Watchdog dog{240000};
  std::string work = work_dir();
  void SetUp() override {
    ASSERT_FALSE(FindWindowA("DazuVerur", nullptr)) << "an editor is running already";
    ASSERT_EQ(ddec_init(), 0);
  }
  void TearDown() override {
    ddec_term();
    dtb_term();
    clear_action();
  }
};

TEST_F(Dde, DrivenOverCmdlThenSavedAndQuit) {
  const std::string path = work + "DDE1.KSL";
  seed(path);
  Editor ed;
  ASSERT_TRUE(ed.start("\"" + path + "\""));
  ASSERT_TRUE(ed.connect());
  struct Step {
    const char *poke, *reply;
  };
  const Step steps[] = {
      {"INIT", ""},
      {"COLOR 2", ""},
      {"LINE 0,0,10,10", "2"},
      {"CIRC 5 5 3 0 360", "3"},
      {"CHAR 1 1 0 'AB' 0", "4"},
      {"LINUP 2 0 0 20 20", "0"},
      {"CHAUP 4 'XYZ'", "0"},
      {"CIRDL 3", "0"},
      {"LINRD 2", "2 2 0 0 20 20"},
      {"CHARD 4", "4 8 1 1 \"XYZ\""},
      {"CIRRD 3", "-1"},
      {"TERM", ""},
  };
  for (const Step &s : steps) {
    SCOPED_TRACE(s.poke);
    EXPECT_EQ(ed.poke(s.poke), DMLERR_NO_ERROR);
    EXPECT_EQ(ed.request(), s.reply);
  }

  // A line, the undo step closed, another line: undo takes the second only.
  ASSERT_EQ(ed.poke("LINE 30 30 40 40"), DMLERR_NO_ERROR);
  const std::string a = ed.request();
  EXPECT_EQ(ddec_execute(ed.slot, "UndPend"), DMLERR_NO_ERROR);
  ASSERT_EQ(ed.poke("LINE 50 50 60 60"), DMLERR_NO_ERROR);
  const std::string b = ed.request();
  PostMessageA(ed.frame(), WM_COMMAND, 10200, 0);
  ed.poke("INIT"); // dispatches the posted undo before it
  ed.request();    // the barrier
  ed.poke(("LINRD " + b).c_str());
  EXPECT_EQ(ed.request(), "-1");
  ed.poke(("LINRD " + a).c_str());
  EXPECT_EQ(ed.request(), a + " 2 30 30 40 40");
  ed.poke(("LINDL " + a).c_str());
  EXPECT_EQ(ed.request(), "0");
  ed.poke("TERM");

  PostMessageA(ed.frame(), WM_COMMAND, 10109, 0);
  ed.request(); // the save ran before this answer
  EXPECT_EQ(ddec_execute(ed.slot, "[Quit]"), DMLERR_NO_ERROR);
  ASSERT_TRUE(ed.ended(20000)) << "the editor did not end";

  const Bytes file = read_file(path);
  ASSERT_GE(file.size(), size_t(SLF_HEADSIZE));
  empty(0);
  ASSERT_EQ(load(0, file), 0);
  std::vector<ElementRecord> got;
  for (int32_t n = 1; n <= int32_t(DbCtl[0].count1); n++) {
    ElementRecord r;
    char text[64] = "";
    if (elm_read(0, n, &r, text, sizeof text) == 0) {
      got.push_back(r);
      if (r.kind == CHR)
        EXPECT_STREQ(text, "XYZ");
    }
  }
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].kind, PNT);
  EXPECT_EQ(got[1].kind, LIN);
  EXPECT_EQ(got[1].lin.x1, 0);
  EXPECT_EQ(got[1].lin.y1, 0);
  EXPECT_EQ(got[1].lin.x2, 20);
  EXPECT_EQ(got[1].lin.y2, 20);
  EXPECT_EQ(got[1].lin.attr & 0xF, 2);
  EXPECT_EQ(got[2].kind, CHR);
  char lock[LCK_PATHMAX];
  lck_path(path.c_str(), lock);
  EXPECT_FALSE(exists(lock));
}

// The drawing window of the running editor (the first one under its MDI client).
HWND view_of(HWND frame) {
  struct Find {
    HWND found = nullptr;
  } f;
  HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
  EnumChildWindows(
      client,
      [](HWND w, LPARAM p) -> BOOL {
        char cls[64] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "InkFwWnd" && IsWindowVisible(w)) {
          reinterpret_cast<Find *>(p)->found = w;
          return FALSE;
        }
        return TRUE;
      },
      LPARAM(&f));
  return f.found;
}

TEST_F(Dde, BadInputIsTurnedAwayAndTheEditorLivesOn) {
  const std::string path = work + "DDE2.KSL";
  seed(path);
  Editor ed;
  ASSERT_TRUE(ed.start("\"" + path + "\""));
  ASSERT_TRUE(ed.connect());
  EXPECT_EQ(ed.poke("NOSUCHWORD 1 2"), DMLERR_NOTPROCESSED);
  EXPECT_EQ(ed.poke(std::string(600, 'A').c_str()), DMLERR_NOTPROCESSED);
  ed.poke("CIRC 0 0 nan 0 360");
  EXPECT_EQ(ed.poke("PRMPT \"%s%n%n\""), DMLERR_NO_ERROR);
  ed.poke("INIT");
  ed.poke("ELMRD 1");
  EXPECT_EQ(ed.request(), "1 1 1 1");

  // Execute strings that name nothing known, or a path no buffer holds.
  EXPECT_EQ(ddec_execute(ed.slot, "[Nothing]"), DMLERR_NOTPROCESSED);
  EXPECT_EQ(ddec_execute(ed.slot, ("[OpenFile](" + std::string(270, 'p') + ")").c_str()), DMLERR_NOTPROCESSED);
  EXPECT_EQ(ddec_execute(ed.slot, ("[FileOpen(\"" + std::string(300, 'p') + "\")]").c_str()), DMLERR_NOTPROCESSED);
  EXPECT_EQ(ddec_execute(ed.slot, "UndPend "), DMLERR_NOTPROCESSED);
  EXPECT_EQ(ddec_execute(ed.slot, "undpend"), DMLERR_NO_ERROR);

  // Only text is answered; another topic is refused.
  HSZ item = DdeCreateStringHandleA(DdeInst, "CMDL", CP_WINANSI);
  EXPECT_EQ(DdeClientTransaction(nullptr, 0, ddec_conv(ed.slot), item, CF_UNICODETEXT, XTYP_REQUEST, 1000, nullptr),
            nullptr);
  DdeFreeStringHandle(DdeInst, item);
  EXPECT_EQ(ddec_connect("KIVOLANT", "Other"), -3);
  // Without a topic the service offers its one topic.
  HSZ service = DdeCreateStringHandleA(DdeInst, "KIVOLANT", CP_WINANSI);
  HCONV wild = DdeConnect(DdeInst, service, nullptr, nullptr);
  EXPECT_TRUE(wild);
  if (wild) {
    CONVINFO ci = {};
    ci.cb = sizeof ci;
    char topic[64] = "";
    ASSERT_TRUE(DdeQueryConvInfo(wild, QID_SYNC, &ci));
    DdeQueryStringA(DdeInst, ci.hszTopic, topic, sizeof topic, CP_WINANSI);
    EXPECT_STREQ(topic, "System");
    DdeDisconnect(wild);
  }
  DdeFreeStringHandle(DdeInst, service);

  // A point input cancelled by Esc: everything but INIT is busy until INIT.
  HWND view = view_of(ed.frame());
  ASSERT_TRUE(view);
  HANDLE esc = CreateThread(
      nullptr, 0,
      [](void *p) -> DWORD {
        Sleep(700);
        PostMessageA(static_cast<HWND>(p), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        return 0;
      },
      view, 0, nullptr);
  EXPECT_EQ(ed.poke("PNTIN \"click\""), DMLERR_NO_ERROR);
  WaitForSingleObject(esc, 10000);
  CloseHandle(esc);
  EXPECT_EQ(ed.request().substr(0, 3), "27 ");
  EXPECT_EQ(ed.poke("LINE 0 0 5 5"), DMLERR_BUSY);
  ed.poke("INIT");
  EXPECT_EQ(ed.poke("LINE 0 0 5 5"), DMLERR_NO_ERROR);
  ed.poke("TERM");

  // Saved first, so that quitting asks nothing.
  PostMessageA(ed.frame(), WM_COMMAND, 10109, 0);
  ed.request();
  EXPECT_EQ(ddec_execute(ed.slot, "[Quit]"), DMLERR_NO_ERROR);
  EXPECT_TRUE(ed.ended(20000));
}

// A second start hands its command line to the running editor and ends.
TEST_F(Dde, ASecondStartHandsOverItsFile) {
  const std::string path = work + "DDE3.KSL";
  seed(path);
  Editor a;
  ASSERT_TRUE(a.start(""));
  ASSERT_TRUE(a.connect());
  auto first = [&] {
    a.poke("INIT");
    a.poke("ELMRD 1");
    const std::string r = a.request();
    a.poke("TERM");
    return r;
  };
  EXPECT_EQ(first(), ""); // no drawing open: not processed

  // A start without arguments brings the running editor back from the task bar.
  ShowWindow(a.frame(), SW_MINIMIZE);
  for (int t = 0; t < 100 && !IsIconic(a.frame()); t++)
    Sleep(10);
  ASSERT_TRUE(IsIconic(a.frame()));
  {
    Editor b;
    ASSERT_TRUE(b.start(""));
    EXPECT_TRUE(b.ended(20000));
  }
  for (int t = 0; t < 200 && IsIconic(a.frame()); t++)
    Sleep(10);
  EXPECT_FALSE(IsIconic(a.frame()));

  // A line too long for an atom: refused by the sender, nothing opened.
  clear_action();
  std::string text = "\"" + path + "\"";
  while (text.size() < 300)
    text += " /N";
  {
    Editor b;
    ASSERT_TRUE(b.start(text));
    EXPECT_TRUE(b.ended(20000));
  }
  EXPECT_EQ(action(), 120u);
  EXPECT_EQ(GlobalFindAtomA(text.c_str()), 0);
  Sleep(300);
  EXPECT_EQ(first(), "");

  {
    Editor b;
    ASSERT_TRUE(b.start("\"" + path + "\""));
    EXPECT_TRUE(b.ended(20000));
  }
  std::string seen;
  for (int t = 0; t < 100 && (seen = first()) != "1 1 1 1"; t++)
    Sleep(100);
  EXPECT_EQ(seen, "1 1 1 1");
  EXPECT_EQ(GlobalFindAtomA(("\"" + path + "\"").c_str()), 0);
  EXPECT_EQ(ddec_execute(a.slot, "[Quit]"), DMLERR_NO_ERROR);
  EXPECT_TRUE(a.ended(20000));
}

// A compound file as the system's storage code writes it: streams "Contents" (5000
// bytes, in big sectors), "a", "b" and "c" under the root.
Bytes storage_file(const std::string &path) {
  const std::wstring w(path.begin(), path.end());
  IStorage *stg = nullptr;
  EXPECT_EQ(StgCreateDocfile(w.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg), S_OK);
  if (!stg)
    return {};
  const std::string big(5000, 'x');
  for (const wchar_t *name : {L"Contents", L"a", L"b", L"c"}) {
    IStream *s = nullptr;
    if (SUCCEEDED(stg->CreateStream(name, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s))) {
      s->Write(big.data(), name[1] ? ULONG(big.size()) : 10, nullptr);
      s->Release();
    }
  }
  stg->Release();
  return read_file(path);
}

uint32_t get32(const Bytes &b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void put32(Bytes &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++)
    b[at + i] = uint8_t(v >> (8 * i));
}

// File offsets of the directory entries in index order, along the directory's chain
// (the first allocation-table sector covers this small file).
std::vector<size_t> entries(const Bytes &b) {
  std::vector<size_t> out;
  const size_t fat = 512 * (size_t(get32(b, 0x4C)) + 1);
  for (uint32_t s = get32(b, 0x30); s < 128 && out.size() < 64; s = get32(b, fat + 4 * size_t(s)))
    for (size_t e = 0; e < 4; e++)
      out.push_back(512 * (size_t(s) + 1) + 128 * e);
  return out;
}

// The file offset of the directory entry named name, or 0.
size_t entry_at(const Bytes &b, const char *name) {
  for (size_t e : entries(b)) {
    size_t n = 0;
    while (name[n] && b[e + 2 * n] == uint8_t(name[n]) && b[e + 2 * n + 1] == 0)
      n++;
    if (!name[n] && b[e + 2 * n] == 0 && b[e + 2 * n + 1] == 0)
      return e;
  }
  return 0;
}
uint32_t index_of(const Bytes &b, size_t entry) {
  const std::vector<size_t> all = entries(b);
  return uint32_t(std::find(all.begin(), all.end(), entry) - all.begin());
}

// A seal file whose object block holds a compound file with damaged links: the block
// is refused with its message, the drawing still opens and the editor answers.
TEST_F(Dde, DamagedObjectBlocksAreRefusedAndTheDrawingOpens) {
  const std::string cfb = work + "objects.cfb";
  const Bytes sound = storage_file(cfb);
  ASSERT_GT(sound.size(), 2048u);
  ASSERT_EQ(cfb_check(sound.data(), sound.size()), CFB_OK) << "a file written by the storage code passes";
  const size_t root = entry_at(sound, "Root Entry"), contents = entry_at(sound, "Contents");
  const size_t ea = entry_at(sound, "a"), eb = entry_at(sound, "b"), ec = entry_at(sound, "c");
  ASSERT_TRUE(root && contents && ea && eb && ec);
  const size_t child = entries(sound).at(get32(sound, root + 76));
  struct Case {
    const char *what;
    void (*damage)(Bytes &, size_t root, size_t child, size_t a, size_t b, size_t c, size_t contents);
  };
  const Case cases[] = {
      {"sibling out of range", [](Bytes &f, size_t, size_t child, size_t, size_t, size_t, size_t) {
         put32(f, child + 68, 500);
         put32(f, child + 72, 500);
       }},
      {"sibling pointing to itself", [](Bytes &f, size_t, size_t child, size_t, size_t, size_t, size_t) {
         put32(f, child + 68, index_of(f, child));
         put32(f, child + 72, index_of(f, child));
       }},
      {"loop of three", [](Bytes &f, size_t root, size_t, size_t a, size_t b, size_t c, size_t) {
         put32(f, root + 76, index_of(f, a));
         for (const auto &[from, to] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}}) {
           put32(f, from + 68, index_of(f, to));
           put32(f, from + 72, index_of(f, to));
         }
       }},
      {"sector chain loop", [](Bytes &f, size_t, size_t, size_t, size_t, size_t, size_t contents) {
         const uint32_t start = get32(f, contents + 116);
         const size_t fat = 512 * (size_t(get32(f, 0x4C)) + 1);
         put32(f, fat + 4 * size_t(start), start);
       }},
  };
  const std::string refused = "OLEオブジェクトを読み込めません。";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Bytes damaged = sound;
    c.damage(damaged, root, child, ea, eb, ec, contents);
    ASSERT_NE(cfb_check(damaged.data(), damaged.size()), CFB_OK);
    FILE *f = std::fopen(cfb.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(damaged.data(), 1, damaged.size(), f);
    std::fclose(f);
    const std::string path = work + "DDEOBJ.KSL";
    seed(path);
    ASSERT_EQ(oleblk_append(path.c_str(), cfb.c_str()), 1);

    // Unattended, the editor logs its message instead of showing it.
    Editor ed;
    const std::string errors = work + "DDEOBJ.err";
    SetEnvironmentVariableA("INK_NO_MODAL", "1");
    const DWORD t0 = GetTickCount();
    ASSERT_TRUE(ed.start("\"" + path + "\"", errors));
    // A reader caught in a loop never answers (the watchdog ends the run).
    ASSERT_TRUE(ed.connect());
    std::printf("[ %s: answering after %lu ms ]\n", c.what, GetTickCount() - t0);
    ed.poke("INIT");
    ed.poke("ELMRD 1");
    EXPECT_EQ(ed.request(), "1 1 1 1") << "the drawing itself is open";
    ed.poke("TERM");
    EXPECT_TRUE(view_of(ed.frame()));
    EXPECT_EQ(ddec_execute(ed.slot, "[Quit]"), DMLERR_NO_ERROR);
    EXPECT_TRUE(ed.ended(20000));
    const Bytes said = read_file(errors);
    EXPECT_NE(std::string(said.begin(), said.end()).find(refused), std::string::npos) << "the objects were refused";
  }
}

// Another program's plain DDEML client: 500 lines each followed by a request, then
// twenty short sessions in a row. Every reply is its own poke's, every poke runs once
// (the saved file holds exactly the elements added), and the editor never hangs.
TEST_F(Dde, APlainClientGetsEachPokesOwnReplyAndNeverHangsTheEditor) {
  const std::string path = work + "PEER.KSL";
  seed(path);
  Editor ed;
  ASSERT_TRUE(ed.start("\"" + path + "\""));
  ASSERT_TRUE(ed.connect());

  const PeerRun big = run_peer(500, work);
  EXPECT_EQ(big.code, 0u) << big.notes;
  EXPECT_EQ(big.lines, 500);
  EXPECT_EQ(big.acked, 500);
  EXPECT_EQ(big.wrong, 0) << big.notes;
  EXPECT_EQ(big.adds, 200);
  std::printf("500 lines with a request each: %lu ms\n", big.ms);
  int adds = big.adds;
  for (int run = 0; run < 20; run++) {
    SCOPED_TRACE(run);
    const PeerRun r = run_peer(25, work);
    ASSERT_EQ(r.code, 0u) << r.notes;
    EXPECT_EQ(r.wrong, 0);
    adds += r.adds;
  }
  EXPECT_EQ(adds, 400);

  PostMessageA(ed.frame(), WM_COMMAND, 10109, 0);
  ed.request(); // the save ran before this answer
  EXPECT_EQ(ddec_execute(ed.slot, "[Quit]"), DMLERR_NO_ERROR);
  ASSERT_TRUE(ed.ended(5000)) << "the editor did not end";
  EXPECT_EQ(elements_in(path), uint32_t(1 + adds));
}

// A client that gives up while its line waits for the user, and ends its
// conversation: the editor finishes the line and goes on serving others.
TEST_F(Dde, AClientThatGivesUpWhileALineWaitsLeavesTheEditorWorking) {
  const std::string path = work + "GIVEUP.KSL";
  seed(path);
  Editor ed;
  ASSERT_TRUE(ed.start("\"" + path + "\""));
  ASSERT_TRUE(ed.connect());
  plain::Client c;
  ASSERT_TRUE(c.start());
  ASSERT_TRUE(c.connect(10000));
  c.timeout = 300;
  EXPECT_EQ(c.poke("PNTIN \"click\""), -1); // nobody clicks: the client's time runs out
  c.end();
  HWND view = view_of(ed.frame());
  ASSERT_TRUE(view);
  PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  EXPECT_EQ(ed.poke("INIT"), DMLERR_NO_ERROR);
  EXPECT_EQ(ed.poke("LINE 0 0 5 5"), DMLERR_NO_ERROR);
  EXPECT_EQ(ed.request(), "2");
  ed.poke("TERM");
  PostMessageA(ed.frame(), WM_COMMAND, 10109, 0);
  ed.request();
  EXPECT_EQ(ddec_execute(ed.slot, "[Quit]"), DMLERR_NO_ERROR);
  EXPECT_TRUE(ed.ended(5000));
  EXPECT_EQ(elements_in(path), 2u);
}

// With no drawing open nothing is taken: every line is not processed, no reply.
TEST_F(Dde, WithNoDrawingOpenCmdlLinesAreNotProcessed) {
  Editor ed;
  ASSERT_TRUE(ed.start(""));
  ASSERT_TRUE(ed.connect());
  for (const char *line : {"INIT", "LINE 0 0 10 10", "CIRC 0 0 5 0 360", "POINT 1 1", "ELMRD 1", "TERM"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(ed.poke(line), DMLERR_NOTPROCESSED);
    EXPECT_EQ(ed.request(), "");
  }
  // Nothing was added to a drawing nobody sees: a drawing opened now holds its own
  // point only.
  const std::string path = work + "NODWG.KSL";
  seed(path);
  EXPECT_EQ(ddec_execute(ed.slot, ("[OpenFile](" + path + ")").c_str()), DMLERR_NO_ERROR);
  ed.poke("ELMRD 1");
  EXPECT_EQ(ed.request(), "1 1 1 1");
  ed.poke("ELMRD 2");
  EXPECT_EQ(ed.request(), "-1");
  EXPECT_EQ(ddec_execute(ed.slot, "[Quit]"), DMLERR_NO_ERROR);
  EXPECT_TRUE(ed.ended(5000));
}

// Five starts at the same moment leave one editor; the others hand over and end.
TEST_F(Dde, FiveEditorsStartedAtOnceLeaveOne) {
  SetEnvironmentVariableA("INK_NO_MODAL", "1"); // a refused file is reported, not asked
  std::vector<std::string> files;
  for (int i = 0; i < 5; i++) {
    files.push_back(work + "FIVE" + std::to_string(i + 1) + ".KSL");
    seed(files.back());
  }
  Editor eds[5];
  for (int i = 0; i < 5; i++)
    ASSERT_TRUE(eds[i].start("\"" + files[i] + "\""));
  Editor &any = eds[0]; // its conversation reaches whichever editor stayed
  ASSERT_TRUE(any.connect());
  auto running = [&] {
    int n = 0;
    for (Editor &e : eds)
      n += !e.ended(0);
    return n;
  };
  EXPECT_GE(within(5000, [&] { return running() == 1; }), 0) << running() << " editors still run";
  SetEnvironmentVariableA("INK_NO_MODAL", nullptr);
  HWND frame = any.frame();
  ASSERT_TRUE(frame);
  // The drawing limit holds: its own file, and at most one more.
  const int shown = drawing_windows(frame);
  EXPECT_GE(shown, 1);
  EXPECT_LE(shown, 2);
  EXPECT_EQ(ddec_execute(any.slot, "[Quit]"), DMLERR_NO_ERROR);
  int left = 0;
  for (Editor &e : eds)
    left += !e.ended(5000);
  EXPECT_EQ(left, 0);
}

// Requests from outside the message stream start at once, with no other input: a
// file handed over by a second start, and a menu command.
TEST_F(Dde, HandOverAndMenuCommandsStartWithoutOtherInput) {
  const std::string path = work + "WAKE.KSL";
  seed(path);
  Editor a;
  ASSERT_TRUE(a.start(""));
  ASSERT_TRUE(a.connect());
  HWND frame = a.frame();
  ASSERT_TRUE(frame);
  ASSERT_EQ(drawing_windows(frame), 0);
  {
    Editor b;
    ASSERT_TRUE(b.start("\"" + path + "\""));
    ASSERT_TRUE(b.ended(20000));
  }
  const long opened = within(1000, [&] { return drawing_windows(frame) == 1; });
  EXPECT_GE(opened, 0) << "the handed-over file did not open within 1 s";
  std::printf("handed-over file open after %ld ms\n", opened);

  // Menu commands posted as the menu sends them, with nothing else after them:
  // File > Close takes the drawing away, File > New makes a new one.
  PostMessageA(frame, WM_COMMAND, 10106, 0);
  const long closed = within(500, [&] { return drawing_windows(frame) == 0; });
  EXPECT_GE(closed, 0) << "close did not start within 0.5 s";
  PostMessageA(frame, WM_COMMAND, 10100, 0);
  const long made = within(500, [&] { return drawing_windows(frame) == 1; });
  EXPECT_GE(made, 0) << "new did not start within 0.5 s";
  std::printf("close done after %ld ms, new after %ld ms\n", closed, made);
  EXPECT_EQ(ddec_execute(a.slot, "[Quit]"), DMLERR_NO_ERROR);
  EXPECT_TRUE(a.ended(5000));
}

TEST(DdeRegistry, TheDocumentTypeIsWrittenOnlyWhereItsCommandKeyExists) {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "KIVO-LANT");
  EXPECT_FALSE(ddes_regtype());
  HKEY k;
  EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, "KIVO-LANT", 0, KEY_READ, &k), ERROR_SUCCESS);

  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "KIVO-LANT\\shell\\open\\command", 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(k);
  EXPECT_TRUE(ddes_regtype());
  auto value = [](const char *key) {
    char buf[1024] = "";
    LONG size = sizeof buf;
    RegQueryValueA(HKEY_CLASSES_ROOT, key, buf, &size);
    return std::string(buf);
  };
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  EXPECT_EQ(value("KIVO-LANT\\shell\\open\\command"), std::string(exe) + " -e \"%1\"");
  EXPECT_EQ(value("KIVO-LANT\\shell\\open\\ddeexec"), "[FileOpen(\"%1\")]");
  EXPECT_EQ(value("KIVO-LANT\\shell\\open\\ddeexec\\application"), "KIVOLANT");
  EXPECT_EQ(value("KIVO-LANT\\shell\\open\\ddeexec\\topic"), "System");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "KIVO-LANT");
}

} // namespace
