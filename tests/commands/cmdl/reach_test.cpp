// The editor started in this process from its program folder. Every command number a
// user can reach through what the editor loaded (the menu file, the tool bars, the key
// table and the shortcut menu) has a handler that runs through the user's own route,
// and, answered and ended with Esc, leaves the drawing's elements as they were and
// the editor responsive. Also: data compaction through its menu item, the CMDL run's
// end after the framework made a drawing, and the shipped text size against the seal.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../../common/editorpump.h"
#include "../../common/watchdog.h"
#include "commands/cmdl/cmdl.h"
#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/cmdl/menurec.h"
#include "commands/text/textrule.h"
#include "database/elements.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "files/sealfmt.h"
#include "files/sealread.h"
#include "files/sealsave.h"
#include "files/sealsavewin.h"
#include "framework/doctempl.h"
#include "framework/winapp.h"
#include "geometry/text.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/syspath.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/units/keytable.h"
#include "shell/units/ledit.h"
#include "shell/units/scmenu.h"
#include "shell/units/toolbar.h"
#include "shell/drawwin/viewwin.h"
#include "settings/appstate.h"

namespace {

std::vector<std::string> asked; // every question, as "kind: text"

// Esc to whatever waits: a dialog gets Cancel, the one-line editor and the drawing
// window the Esc key. A command that still waits after eight is ended as a new
// command would end it (some prompts ignore Esc by design).
struct Driver {
  bool on = false;
  int escs = 0;
  int dialog_ticks = 0;
  bool ended = false; // needed the end request
} drv;

BOOL CALLBACK find_dialog(HWND w, LPARAM lp) {
  char cls[16] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (IsWindowVisible(w) && std::strcmp(cls, "#32770") == 0) {
    *reinterpret_cast<HWND *>(lp) = w;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!drv.on)
    return;
  HWND d = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&d));
  if (d) {
    if (++drv.dialog_ticks > 40)
      EndDialog(d, IDCANCEL); // a dialog that ignores Cancel
    else
      PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    drv.escs++;
    return;
  }
  drv.dialog_ticks = 0;
  if (HWND f = ledit_window()) {
    HWND e = FindWindowExA(f, nullptr, "EDIT", nullptr);
    PostMessageA(e ? e : f, WM_KEYDOWN, VK_ESCAPE, 1);
    drv.escs++;
    return;
  }
  if (CmdLevel < 0)
    return;
  if (drv.escs >= 8) {
    drv.ended = true;
    cmd_cancel(0);
    PostMessageA(app_hmain(), WM_NULL, 0, 0); // wakes the wait
    return;
  }
  HWND v = vew_hwnd(dwg_cur(), vew_cur());
  if (v) {
    SetFocus(v);
    PostMessageA(v, WM_KEYDOWN, VK_ESCAPE, 1);
  }
  drv.escs++;
}

// The element records of both drawings: count and, per record, the erased flag and
// what an element is (kind, layer, body); the store's own bookkeeping is left out.
std::vector<std::string> store() {
  std::vector<std::string> s;
  for (int d = 0; d < 2; d++) {
    s.push_back("count " + std::to_string(DbCtl[d].count1));
    for (uint32_t n = DbCtl[d].base1; n < dtb_end1(d); n++) {
      const ElementRecord *r = dtb_ptr(d, int32_t(n));
      const auto *b = reinterpret_cast<const char *>(r);
      std::string rec(1, char(r->flags & ELM_SKIP ? 1 : 0));
      rec.append(b + 4, 2).append(b + 7, 1).append(b + 20, sizeof(ElementRecord) - 20);
      s.push_back(rec);
    }
  }
  return s;
}

ElementRecord line(double x1, double y1, double x2, double y2) {
  ElementRecord r{};
  r.kind = LIN;
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = 0x13;
  return r;
}

int64_t file_size(const std::string &path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a))
    return -1;
  return (int64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

class Reach : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  VODOreVer *app = nullptr;
  UINT_PTR timer = 0;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    // The settings the program folder starts with, as shipped.
    const std::string sys = dir + "inkforge.sys";
    SetFileAttributesA(sys.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(CopyFileA((std::string("Z:") + INK_BIN_DIR + "/inkforge.sys.default").c_str(), sys.c_str(), FALSE));
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "500", sys.c_str());
    asked.clear();
    // The scripted answers: Esc, Cancel or No to everything, every question kept.
    ui_setresponder([](const UiQuestion &q) {
      asked.push_back(std::to_string(q.kind) + ": " + (q.text ? q.text : ""));
      switch (q.kind) {
      case UI_MSGBOX:
        if ((q.flags & 0xF) == MB_YESNOCANCEL || (q.flags & 0xF) == MB_OKCANCEL)
          return IDCANCEL;
        return (q.flags & 0xF) == MB_YESNO ? IDNO : IDOK;
      case UI_POPUP:
      case UI_BAR:
        return 27;
      case UI_DIALOG:
        return -1;
      default:
        return 0;
      }
    });
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    pump(5);
    timer = SetTimer(nullptr, 0, 25, tick);
  }
  void TearDown() override {
    drv.on = false;
    KillTimer(nullptr, timer);
    dwg_setstate(0, 0), dwg_setstate(1, 0); // closes without a question
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
  }
  // Runs what a route requested, as the main loop does, until every level is idle.
  static void settle() {
    for (int i = 0; i < 20; i++) {
      bool pending = CmdLevel >= 0;
      for (const CommandLevel &l : CmdLevels)
        pending = pending || l.reqfn || l.runfn;
      if (!pending)
        break;
      cmd_pump();
      pump();
    }
    pump(2);
  }
  static bool idle() {
    for (const CommandLevel &l : CmdLevels)
      if (l.reqfn || l.runfn)
        return false;
    return CmdLevel < 0;
  }
};

// How a user reaches a command number, as loaded.
struct Route {
  std::string from; // "menu 38", "bar 2", "key 25", "shortcut 10"
  int index;        // menu record, bar, key item or shortcut item
  int level;
};

std::map<int, std::vector<Route>> reachable() {
  std::map<int, std::vector<Route>> r;
  for (int i = 0; i < MenuCount; i++)
    if (MenuArray[i].child < 0 && MenuArray[i].command >= 0)
      r[MenuArray[i].command].push_back({"menu record " + std::to_string(i), i, 0});
  for (int b = 0; b < TBAR_COUNT; b++)
    for (int i = 0; i < ToolBars[b].count; i++) {
      const ToolBarButton &t = ToolBars[b].rec[i];
      if (t.btn.idCommand >= TBAR_ID)
        r[t.btn.idCommand - TBAR_ID].push_back({"tool bar " + std::to_string(b), b, t.level});
    }
  for (int i = 0; i < KeyTab.count; i++)
    if (KeyTab.items[i].command >= 0)
      r[KeyTab.items[i].command].push_back({"key item " + std::to_string(i + 1), i, KeyTab.items[i].kind});
  for (int i = 0; i < ScmTab.count; i++) {
    const ShortcutItem &s = ScmTab.items[i];
    // 9000..9004 are the menu's own items (continue, key entry, next input, cancel).
    if (s.kind == 0 && s.command >= 0 && !(s.command >= 9000 && s.command <= 9004))
      r[s.command].push_back({"shortcut item " + std::to_string(i), i, s.level});
  }
  return r;
}

CmdHandler real_handler = nullptr;
int runs = 0;
int32_t counted() {
  runs++;
  return real_handler();
}

TEST_F(Reach, EveryReachableCommandHasAHandlerThatRunsAndEscLeavesTheStore) {
  testing_watchdog::Watchdog dog(400000);
  // What the editor loaded: nothing may be empty, or the sweep would prove nothing.
  ASSERT_GT(MenuCount, 0);
  ASSERT_GT(KeyTab.count, 0);
  ASSERT_GT(ScmTab.count, 0);
  for (int b = 0; b < TBAR_COUNT; b++) {
    ASSERT_NE(ToolBars[b].ctl, nullptr) << "bar " << b;
    ASSERT_GT(ToolBars[b].count, 0) << "bar " << b;
  }
  // The drawing the editor offers (a second is refused), elements smaller than the
  // smallest sheet fit, nothing to undo, modified so that a close asks.
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(3);
  ElementRecord l1 = line(100, 100, 100.5, 100.2), l2 = line(100.1, 100.3, 100.4, 100);
  ASSERT_GT(elm_add(0, 0, -1, &l1, nullptr), 0);
  ASSERT_GT(elm_add(0, 0, -1, &l2, nullptr), 0);
  ElementRecord a{};
  a.kind = ARC;
  a.arc.cx = 100.2, a.arc.cy = 100.1, a.arc.r = 0.1, a.arc.start = 0, a.arc.end = 90, a.arc.attr = 0x13;
  ASSERT_GT(elm_add(0, 0, -1, &a, nullptr), 0);
  und_rset(0);
  SetForegroundWindow(app_hmain());
  dwg_touch(0);
  HWND main = app_hmain();
  const std::vector<std::string> before = store();

  const auto routes = reachable();
  std::vector<int> ended_by_request;
  int tried = 0;
  for (const auto &[n, ways] : routes) {
    ASSERT_TRUE(n >= 0 && n < CMD_COUNT) << n;
    ASSERT_NE(CommandTable[n], nullptr) << "command " << n << " from " << ways.front().from << " has no handler";
    for (const Route &w : ways) {
      SCOPED_TRACE("command " + std::to_string(n) + " from " + w.from);
      if (n == 710)
        CommandTable[708](); // the grid base point is offered only while the grid is on
      real_handler = CommandTable[n];
      CommandTable[n] = counted;
      runs = 0;
      drv = Driver{};
      drv.on = true;
      const std::string kind = w.from.substr(0, w.from.find(' '));
      if (kind == "menu") {
        SendMessageA(main, WM_COMMAND, WPARAM(MNU_ID + w.index), 0);
      } else if (kind == "tool") {
        EXPECT_EQ(cmd_exec(w.index, n), 1);
      } else if (kind == "key") {
        const KeyItem &k = KeyTab.items[w.index];
        EXPECT_EQ(cmd_keyrun(int(k.key), int(k.mods)), 1);
      } else {
        ASSERT_TRUE(cmd_enabled(n));
        cmd_button(w.level, n);
      }
      settle();
      drv.on = false;
      CommandTable[n] = real_handler;
      if (n == 710)
        CommandTable[709]();
      tried++;
      EXPECT_GE(runs, 1) << "the route did not start the handler";
      EXPECT_TRUE(idle()) << "still running";
      if (drv.ended)
        ended_by_request.push_back(n);
      // Responsive: the windows are there and answer.
      ASSERT_TRUE(IsWindow(main));
      DWORD_PTR res = 0;
      EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &res), 0u);
      ASSERT_NE(vew_hwnd(0, 0), nullptr) << "the drawing window went";
      EXPECT_TRUE(store() == before) << "the elements changed";
      SendMessageA(app_hmdi(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(GetParent(vew_hwnd(0, 0))), 0);
      dwg_setcur(0);
      vew_select(0);
      dwg_touch(0);
    }
  }
  std::printf("routes tried: %d\n", tried);
  std::printf("reachable command numbers: %zu\n", routes.size());
  std::printf("ended only by a new command (their prompts ignore Esc):");
  for (int n : ended_by_request)
    std::printf(" %d", n);
  std::printf("\n");
  RecordProperty("reachable", int(routes.size()));
  EXPECT_TRUE(routes.count(420));
  EXPECT_TRUE(routes.count(509));
}

TEST_F(Reach, CompactionThroughItsMenuItemPacksAndTheSavedFileShrinks) {
  // A seal file of 40 lines, opened by its path.
  const std::string path = work + "PACK.KSL";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(3);
  for (int i = 0; i < 40; i++) {
    ElementRecord r = line(1, 1 + i * 0.5, 20, 2 + i * 0.5);
    ASSERT_GT(elm_add(0, 0, -1, &r, nullptr), 0);
  }
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  SlfSaveCount = int32_t(DbCtl[0].count1);
  ASSERT_EQ(slf_save(0, path.c_str(), 0, &env), 0);
  dwg_setstate(0, 0);
  SendMessageA(GetParent(vew_hwnd(0, 0)), WM_CLOSE, 0, 0);
  pump(3);
  ASSERT_EQ(vew_hwnd(0, 0), nullptr);
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  pump(3);
  const int d = dwg_cur();
  ASSERT_EQ(DbCtl[d].count1, 40u);
  const int64_t original = file_size(path);
  // Every second one erased.
  uint16_t map[PALETTE_COUNT] = {};
  sys_colmap('r', map);
  for (int32_t n = 2; n <= 40; n += 2)
    ASSERT_EQ(elm_delete(d, int32_t(DbCtl[d].base1) + n - 1, map[15]), 0);
  std::vector<ElementRecord> live;
  for (uint32_t n = DbCtl[d].base1; n < dtb_end1(d); n++)
    if (!(dtb_ptr(d, int32_t(n))->flags & ELM_SKIP))
      live.push_back(*dtb_ptr(d, int32_t(n)));
  ASSERT_EQ(live.size(), 20u);
  // The copy written without packing (as for a closing embedded drawing) holds them all.
  char workdir[262] = "";
  sys_path('R', 4, workdir);
  const std::string copy = std::string(workdir) + "KLOLETMP.$$$";
  DeleteFileA(copy.c_str());
  ASSERT_EQ(fil_save(d | 0x8000, -1), 0);
  const int64_t unpacked = file_size(copy);
  ASSERT_GT(unpacked, 0);

  // データ圧縮 from the drawing menu.
  int item = -1;
  for (int i = 0; i < MenuCount; i++)
    if (MenuArray[i].command == 420)
      item = i;
  ASSERT_GE(item, 0) << "data compaction is in the menu file";
  SendMessageA(app_hmain(), WM_COMMAND, WPARAM(MNU_ID + item), 0);
  settle();
  EXPECT_TRUE(idle());
  EXPECT_EQ(DbCtl[d].count1, 20u);
  for (uint32_t i = 0; i < live.size() && i < DbCtl[d].count1; i++) {
    const ElementRecord *r = dtb_ptr(d, int32_t(DbCtl[d].base1 + i));
    EXPECT_EQ(r->flags & ELM_SKIP, 0) << i;
    EXPECT_EQ(std::memcmp(reinterpret_cast<const char *>(r) + 20, reinterpret_cast<const char *>(&live[i]) + 20,
                          sizeof(ElementRecord) - 20),
              0)
        << i;
  }
  EXPECT_NE(dwg_state(d) & DWG_MODIFIED, 0u); // compaction is a change to save
  DeleteFileA(copy.c_str());
  ASSERT_EQ(fil_save(d | 0x8000, -1), 0);
  const int64_t compacted = file_size(copy);
  EXPECT_LT(compacted, unpacked);
  // Saved in place: the seal file shrinks to the live elements.
  ASSERT_EQ(fil_save(d, 0), 0);
  const int64_t saved = file_size(path);
  EXPECT_LT(saved, original);
  std::printf("seal file %lld bytes; unpacked copy %lld, after compaction %lld; saved %lld\n", (long long)original,
              (long long)unpacked, (long long)compacted, (long long)saved);
  uint8_t hdr[256];
  ASSERT_EQ(slf_rdhead(path.c_str(), hdr), 1);
  RaruFileHeader h{};
  slf_hdrget(hdr, &h);
  EXPECT_EQ(h.elementCount, 20);
  dwg_setstate(d, 0);
}

TEST_F(Reach, TermAfterTheFrameworkMadeADrawingLeavesItsAttributesAlone) {
  dde_reset();
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(3);
  char init[] = "INIT", colour5[] = "COLOR 5";
  ASSERT_EQ(dde_cmdl(init), CMDL_ACK);
  ASSERT_EQ(dde_cmdl(colour5), CMDL_ACK);
  // The drawing closes (not saved); the framework makes a new one in the same slot.
  dwg_setstate(0, 0);
  SendMessageA(GetParent(vew_hwnd(0, 0)), WM_CLOSE, 0, 0);
  pump(3);
  ASSERT_EQ(vew_hwnd(0, 0), nullptr);
  VwinRequest.dwg = VwinRequest.view = -1;
  CMultiDocTemplate *t = AfxGetApp()->GetDocTemplates().front();
  ASSERT_NE(t->OpenDocumentFile(nullptr, FALSE), nullptr);
  pump(2);
  // Its window took the slot; the document binds it as for a new embedding.
  ASSERT_EQ(fil_pendget(), 0);
  ASSERT_EQ(fil_newview(VwinLastView), 0);
  fil_pendrst();
  pump(2);
  ASSERT_NE(vew_hwnd(0, 0), nullptr);
  dwg_setcur(0);
  char colour7[] = "COLOR 7";
  ASSERT_EQ(dde_cmdl(colour7), CMDL_ACK);
  DrawingEnvRecord made;
  sys_dwgenv('R', 0, &made);
  ASSERT_EQ(made.linatr & 15, 7);
  char term[] = "TERM";
  EXPECT_EQ(dde_cmdl(term), CMDL_ACK);
  DrawingEnvRecord after;
  sys_dwgenv('R', 0, &after);
  // What TERM puts back is the saved drawing's attribute blocks: none reached this one.
  EXPECT_EQ(after.pntatr, made.pntatr);
  EXPECT_EQ(after.linatr, made.linatr);
  EXPECT_EQ(std::memcmp(&after.chr, &made.chr, sizeof made.chr), 0);
  EXPECT_EQ(std::memcmp(&after.dim, &made.dim, sizeof made.dim), 0);
  EXPECT_EQ(dde_state().saved, -1);
  dwg_setstate(0, 0);
}

TEST_F(Reach, TheShippedTextSizeFitsEveryDateStampOnTheDefaultSeal) {
  ASSERT_EQ(fil_open(0, nullptr), 0);
  pump(3);
  CharAttrs ca{};
  ASSERT_EQ(sys_chratr('r', &ca), 0);
  RaruInfo info{};
  sys_sealinf('R', &info);
  std::printf("text %.2f x %.2f mm, seal %.1f x %.1f mm\n", ca.height, ca.width, info.areax, info.areay);
  EXPECT_LE(ca.height, info.areay / 4);
  for (int f = 0; f < 6; f++) {
    ChrLayout lay{};
    ASSERT_EQ(chr_layout(0, ca.attr, ca.height, ca.width, ca.spacing, date_label(f), &lay, nullptr), 0);
    EXPECT_LE(lay.width, info.areax * 0.8) << date_label(f);
  }
}

TEST_F(Reach, TheFirstWindowAtStartUpIsFittedToItsLaidOutArea) {
  // The first drawing window opens maximised with its area laid out: the sheet is
  // fitted to that area, not to the fixed rectangle kept for a window without one.
  FilStartPlace = 1;
  ASSERT_EQ(fil_open(0, nullptr), 0);
  RECT rc;
  GetClientRect(vew_hwnd(0, 0), &rc);
  ASSERT_GT(rc.right, 0);
  ViewXform xf{};
  vew_frame('r', 0, 0, &xf);
  EXPECT_NEAR(xf.right - xf.left, rc.right, 4);
  EXPECT_NEAR(xf.bottom - xf.top, rc.bottom, 4);
  EXPECT_EQ(FilStartPlace, 0);
  pump(3);
  dwg_setstate(0, 0);
  SendMessageA(GetParent(vew_hwnd(0, 0)), WM_CLOSE, 0, 0);
  pump(3);
}

} // namespace
