// The file commands in the running editor: opening by path, by chooser and by a
// second instance's command line, the failures that must leave nothing behind,
// registering under a chosen seal name and file, saving in place and the close path.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dlgpilot.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/view/sheetcalc.h"
#include "commands/view/viewcmd.h"
#include "database/elements.h"
#include "display/marks/grid.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "files/lockwin.h"
#include "files/sealfmt.h"
#include "files/sealname.h"
#include "files/sealread.h"
#include "files/sealsave.h"
#include "files/sealsavewin.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/syspath.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/app/appcmd.h"
#include "shell/dde/dde.h"
#include "shell/dde/handover.h"
#include "shell/units/menufile.h"
#include "../common/editorpump.h"

namespace {

struct Question {
  int kind, dialog;
  std::string heading, text;
};

// The script: answers for the seal name, the save and open choosers and message boxes.
struct Script {
  std::vector<Question> asked;
  std::vector<std::string> names, saves, opens; // taken in order; empty = cancel
  std::string proposed;                          // what the save chooser was offered
  int closeanswer = IDNO;                        // the close question
  int backupanswer = IDNO;                       // "go on without a backup?"
  int openanswer = IDNO;                         // "open it for reading?"
  int count(const std::string &part) const {
    int n = 0;
    for (const auto &q : asked)
      n += q.text.find(part) != std::string::npos || q.heading.find(part) != std::string::npos;
    return n;
  }
  int dialogs(int number) const {
    int n = 0;
    for (const auto &q : asked)
      n += q.kind == UI_DIALOG && q.dialog == number;
    return n;
  }
} script;

int take(std::vector<std::string> &from, const UiQuestion &q) {
  if (from.empty() || from.front().empty()) {
    if (!from.empty())
      from.erase(from.begin());
    return -1;
  }
  std::snprintf(q.reply, q.replysize, "%s", from.front().c_str());
  from.erase(from.begin());
  return 1;
}

ElementRecord line(double x1, double y1, double x2, double y2) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = 0x11;
  return r;
}

int add_line(double x1, double y1, double x2, double y2) {
  ElementRecord r = line(x1, y1, x2, y2);
  return elm_add(0, 0, -1, &r, nullptr);
}

std::vector<char> bytes(const std::string &path) {
  std::vector<char> v;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      v.insert(v.end(), buf, buf + n);
    std::fclose(f);
  }
  return v;
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class FileCmd : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  VODOreVer *app = nullptr;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "500", sys.c_str());
    script = Script{};
    ui_setresponder([](const UiQuestion &q) {
      script.asked.push_back({q.kind, q.dialog, q.heading ? q.heading : "", q.text ? q.text : ""});
      const std::string text = q.text ? q.text : "";
      if (q.kind == UI_DIALOG && q.dialog == SLF_NAMEDLG)
        return take(script.names, q);
      if (q.kind == UI_DIALOG && q.dialog == FIL_DLGSAVE) {
        script.proposed = q.reply ? q.reply : "";
        return take(script.saves, q);
      }
      if (q.kind == UI_DIALOG && q.dialog == FIL_DLGOPEN)
        return take(script.opens, q);
      if (q.kind == UI_MSGBOX && text.find("は更新されています") != std::string::npos)
        return script.closeanswer;
      if (q.kind == UI_MSGBOX && text.find("バックアップ") != std::string::npos)
        return script.backupanswer;
      if (q.kind == UI_MSGBOX && text.find("開いてもよろしいですか") != std::string::npos)
        return script.openanswer;
      if (q.kind == UI_MSGBOX && (q.flags & 0xF) == MB_OKCANCEL)
        return IDCANCEL;
      return q.kind == UI_MSGBOX ? IDOK : 0;
    });
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    pump(5);
  }
  void TearDown() override {
    script.closeanswer = IDNO;
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
  }

  HWND new_drawing() {
    EXPECT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    return vew_hwnd(0, 0);
  }
  void close_drawing() {
    script.closeanswer = IDNO;
    if (HWND v = vew_hwnd(0, 0))
      SendMessageA(GetParent(v), WM_CLOSE, 0, 0);
    pump(3);
    ASSERT_EQ(vew_hwnd(0, 0), nullptr);
  }
  // A seal with two lines written straight to path; no drawing left open.
  void make_seal(const std::string &path) {
    ASSERT_TRUE(new_drawing());
    ASSERT_GT(add_line(3, 7, 22, 7), 0);
    ASSERT_GT(add_line(3, 3, 22, 22), 0);
    SlfSaveCount = int32_t(DbCtl[0].count1);
    DrawingEnvRecord env;
    sys_dwgenv('R', 0, &env);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    ASSERT_EQ(slf_save(0, path.c_str(), 0, &env), 0);
    close_drawing();
    script.asked.clear();
  }
  std::string name(int dwg) {
    char n[262] = "";
    sys_dwgname('R', dwg, 0, n);
    return n;
  }
  std::string folder(int dwg) {
    char d[262] = "";
    fil_dwgdir('R', dwg, d);
    return d;
  }
  void fresh(const std::string &path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
};

TEST_F(FileCmd, OpeningByPathLoadsNamesAndSetsTheFolder) {
  const std::string path = work + "OPEN1.KSL";
  make_seal(path);
  ZoomHistory[0].count = 3; // what an earlier drawing in the slot zoomed
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  pump(3);
  EXPECT_TRUE(vew_hwnd(0, 0));
  EXPECT_EQ(ZoomHistory[0].count, 0);
  EXPECT_EQ(DbCtl[0].count1, 2u);
  EXPECT_EQ(name(0), "OPEN1.KSL");
  EXPECT_EQ(lstrcmpiA(folder(0).c_str(), work.c_str()), 0);
  EXPECT_EQ(dwg_state(0), 0u);
  EXPECT_EQ(lstrcmpiA(RecentFiles[0], path.c_str()), 0);

  // The same file again: the question of the open command, no second drawing.
  EXPECT_EQ(fil_open(1, path.c_str()), -1);
  EXPECT_EQ(script.count("このファイルは現在編集中です"), 1);
  EXPECT_EQ(script.count("既存修正"), 1);
  EXPECT_EQ(vew_mask(1), 0u);
  EXPECT_EQ(DbCtl[0].count1, 2u);
}

TEST_F(FileCmd, AFailedOpenRestoresEverythingAndHoldsNothing) {
  const std::string bad = work + "BAD.KSL", prot = work + "PROT.KSL";
  {
    FILE *f = std::fopen(bad.c_str(), "wb");
    ASSERT_TRUE(f);
    std::vector<char> junk(600, 'x');
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
  }
  make_seal(prot);
  {
    std::vector<char> b = bytes(prot);
    ASSERT_GT(b.size(), 40u);
    b[32] = 1; // permit level: protected
    FILE *f = std::fopen(prot.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
  }
  const struct {
    std::string path, message;
  } cases[] = {
      {bad, "印影ファイルとして読み込めません"},
      {work + "MISSING.KSL", "を開けません"},
      {prot, "他のユーザーが使用中のため開けません"},
      {"relative\\seal.ksl", "にドライブ名がありません"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    script.asked.clear();
    EXPECT_EQ(fil_open(1, c.path.c_str()), 1001);
    pump(2);
    EXPECT_EQ(vew_mask(0), 0u);
    EXPECT_EQ(DbCtl[0].count1, 0u);
    EXPECT_EQ(script.count(c.message), 1);
    EXPECT_EQ(DwgPath[0].lock, nullptr);
    EXPECT_FALSE(exists(c.path + ".cslock"));
    if (exists(c.path)) {
      // No handle is left: the file can be renamed and back.
      const std::string moved = c.path + ".moved";
      EXPECT_TRUE(MoveFileA(c.path.c_str(), moved.c_str()));
      EXPECT_TRUE(MoveFileA(moved.c_str(), c.path.c_str()));
    }
  }
}

TEST_F(FileCmd, ModesRecentFilesAndTheOpenChooser) {
  EXPECT_EQ(fil_open(2, nullptr), 1);
  EXPECT_EQ(fil_open(4, nullptr), 0);
  EXPECT_EQ(fil_open(7, nullptr), 1000);
  EXPECT_EQ(fil_openmru(5), -1);
  EXPECT_EQ(fil_openmru(-1), -1);
  // The chooser cancelled: nothing opens.
  script.opens = {""};
  EXPECT_EQ(fil_open(1, nullptr), -1);
  EXPECT_EQ(script.dialogs(FIL_DLGOPEN), 1);
  EXPECT_EQ(vew_mask(0), 0u);
  // A chosen file opens.
  const std::string path = work + "CHOSEN.KSL";
  make_seal(path);
  script.opens = {path};
  EXPECT_EQ(fil_open(1, nullptr), 0);
  pump(2);
  EXPECT_EQ(name(0), "CHOSEN.KSL");
  SheetStacks[0].count = 2;
  close_drawing();
  EXPECT_EQ(SheetStacks[0].count, 0); // the closed drawing's sheet changes are forgotten
  // And from the recent files.
  ASSERT_EQ(lstrcmpiA(RecentFiles[0], path.c_str()), 0);
  EXPECT_EQ(fil_openmru(0), 0);
  EXPECT_EQ(DbCtl[0].count1, 2u);
}

TEST_F(FileCmd, RegisteringWritesTheChosenNameAsASealFile) {
  const std::string target = work + "A.KSL";
  fresh(target);
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(1, 1, 20, 20), 0);
  ASSERT_NE(dwg_state(0) & 1, 0u);
  script.names = {"SEAL1"};
  script.saves = {work + "a.txt"}; // a typed extension becomes .KSL
  EXPECT_EQ(fil_register(0, 0), 0);
  ASSERT_TRUE(exists(target));
  char probe[262];
  std::snprintf(probe, sizeof probe, "%s", target.c_str());
  EXPECT_EQ(slf_probe(probe), 1);
  uint8_t hdr[256];
  ASSERT_EQ(slf_rdhead(target.c_str(), hdr), 1);
  RaruFileHeader h{};
  slf_hdrget(hdr, &h);
  EXPECT_STREQ(h.raruName, "SEAL1");
  EXPECT_EQ(h.elementCount, 1);
  EXPECT_FALSE(exists(work + "a.txt"));
  EXPECT_EQ(name(0), "A.KSL");
  EXPECT_EQ(lstrcmpiA(folder(0).c_str(), work.c_str()), 0);
  EXPECT_EQ(lstrcmpiA(RecentFiles[0], target.c_str()), 0);
  EXPECT_EQ(dwg_state(0), 0u);
  char title[64] = "";
  GetWindowTextA(GetParent(vew_hwnd(0, 0)), title, sizeof title);
  EXPECT_STREQ(title, "A.KSL");
}

TEST_F(FileCmd, TheSaveChooserProposesTheSealNameWithoutBadCharacters) {
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(1, 1, 20, 20), 0);
  script.names = {"表/A:B*C?\"<>D"}; // 表 ends in the byte of a backslash
  script.saves = {""};
  EXPECT_EQ(fil_register(0, 0), -1);
  EXPECT_EQ(script.proposed, "表ABCD");
}

TEST_F(FileCmd, RegisteringAnEmptyDrawingWritesNothing) {
  ASSERT_TRUE(new_drawing());
  script.names = {"SEAL1"};
  script.saves = {work + "EMPTY.KSL"};
  fresh(work + "EMPTY.KSL");
  EXPECT_EQ(fil_register(0, 0), -1);
  EXPECT_EQ(script.count("登録する要素がありません"), 1);
  EXPECT_EQ(script.dialogs(SLF_NAMEDLG), 0);
  EXPECT_FALSE(exists(work + "EMPTY.KSL"));
}

TEST_F(FileCmd, ARefusedTargetAsksAgainUntilCancel) {
  const std::string target = work + "RO.KSL";
  make_seal(target);
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<char> before = bytes(target);
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(1, 1, 5, 5), 0);
  script.names = {"SEAL1", "SEAL1", ""};
  script.saves = {target, target};
  EXPECT_EQ(fil_register(0, 0), -1);
  EXPECT_EQ(script.count("は書き込みが禁止されています"), 2);
  EXPECT_EQ(script.dialogs(SLF_NAMEDLG), 3);
  EXPECT_EQ(bytes(target), before);
  EXPECT_NE(dwg_state(0) & 1, 0u);
  // Saving in place with that target reports once and gives the refusal.
  script.names = {"SEAL1"};
  script.saves = {target};
  EXPECT_EQ(fil_save(0, 0), 3);
  EXPECT_EQ(script.count("は書き込みが禁止されています"), 3);
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileCmd, RegisteringOverAnotherKindOfFileSaysSo) {
  const std::string target = work + "TEXT.KSL";
  {
    FILE *f = std::fopen(target.c_str(), "wb");
    std::fputs("just some text, not a seal\r\n", f);
    std::fclose(f);
  }
  const std::vector<char> before = bytes(target);
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(1, 1, 5, 5), 0);
  script.names = {"SEAL1"};
  script.saves = {target};
  EXPECT_EQ(fil_register(0, 0), 1);
  EXPECT_EQ(script.count("印影ファイルとして読み込めません"), 1);
  EXPECT_EQ(bytes(target), before);
}

TEST_F(FileCmd, SavingInPlace) {
  const std::string path = work + "INPLACE.KSL";
  make_seal(path);
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  pump(2);
  const std::vector<char> before = bytes(path);
  // Unmodified: nothing written.
  EXPECT_EQ(fil_save(0, 0), 0);
  EXPECT_EQ(bytes(path), before);
  EXPECT_EQ(script.dialogs(SLF_NAMEDLG), 0);
  // Modified: written over its file without a question.
  ASSERT_GT(add_line(2, 2, 9, 9), 0);
  EXPECT_EQ(fil_save(0, 0), 0);
  EXPECT_EQ(script.dialogs(SLF_NAMEDLG), 0);
  EXPECT_EQ(script.dialogs(FIL_DLGSAVE), 0);
  EXPECT_EQ(dwg_state(0), 0u);
  uint8_t hdr[256];
  ASSERT_EQ(slf_rdhead(path.c_str(), hdr), 1);
  RaruFileHeader h{};
  slf_hdrget(hdr, &h);
  EXPECT_EQ(h.elementCount, 3);
  // The temporary copy: the work folder, name and recent files untouched.
  char workdir[262] = "";
  sys_path('R', 4, workdir);
  const std::string tmp = std::string(workdir) + "KLOLETMP.$$$";
  DeleteFileA(tmp.c_str());
  ASSERT_GT(add_line(3, 3, 9, 9), 0);
  mru_add((work + "OTHER.KSL").c_str());
  EXPECT_EQ(fil_save(0 | 0x8000, -1), 0);
  EXPECT_TRUE(exists(tmp));
  EXPECT_EQ(name(0), "INPLACE.KSL");
  EXPECT_EQ(lstrcmpiA(RecentFiles[0], (work + "OTHER.KSL").c_str()), 0);
  EXPECT_NE(dwg_state(0) & 1, 0u); // closing: still modified
  EXPECT_EQ(fil_save(0, 5), -100);
}

// Opened read-only, then its holder saves it: this drawing never writes over that.
// 上書き登録 is greyed and refused with the write-protected message; registering to
// the same file is refused and asked again; another file is this drawing's own.
TEST_F(FileCmd, ADrawingOpenedReadOnlyNeverOverwritesItsFile) {
  const std::string path = work + "SHARED.KSL", other = work + "MINE.KSL";
  make_seal(path);
  fresh(other);
  // Another writer holds the file (without a lock file): the read-only question.
  HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  script.openanswer = IDYES;
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  pump(2);
  EXPECT_EQ(script.count("読み取り専用"), 1);
  // The holder saves its work and lets the file go.
  SetFilePointer(holder, 0, nullptr, FILE_END);
  DWORD put = 0;
  WriteFile(holder, "holder", 6, &put, nullptr);
  CloseHandle(holder);
  const std::vector<char> theirs = bytes(path);
  ASSERT_GT(add_line(5, 5, 9, 1), 0);
  EXPECT_FALSE(dwg_cansave());
  EXPECT_EQ(fil_save(0, 0), 3);
  EXPECT_EQ(script.count("は書き込みが禁止されています"), 1);
  EXPECT_EQ(bytes(path), theirs);
  script.names = {"S", "S"};
  script.saves = {path, ""};
  EXPECT_EQ(fil_register(0, 0), -1);
  EXPECT_EQ(script.count("は書き込みが禁止されています"), 2);
  EXPECT_EQ(bytes(path), theirs);
  EXPECT_NE(dwg_state(0) & 1, 0u);
  script.names = {"S"};
  script.saves = {other};
  EXPECT_EQ(fil_register(0, 0), 0);
  EXPECT_TRUE(exists(other));
  ASSERT_GT(add_line(1, 5, 9, 1), 0);
  EXPECT_TRUE(dwg_cansave());
  EXPECT_EQ(fil_save(0, 0), 0);
  EXPECT_EQ(bytes(path), theirs);
}

// A drawing saves the header its own file came with, also after another seal file
// was read since (which makes that file's header the current one); an edit is what
// turns 上書き登録 on, and a file saved unchanged keeps every byte.
TEST_F(FileCmd, SavingInPlaceKeepsThisDrawingsOwnerFields) {
  const std::string a = work + "OWNA.KSL", b = work + "OWNB.KSL";
  for (const auto &[path, owner] : {std::pair{a, "OWNER-A"}, std::pair{b, "OWNER-B"}}) {
    make_seal(path);
    std::vector<char> v = bytes(path);
    std::memset(v.data() + SLF_OFF_OWNER, 0, 24);
    std::memcpy(v.data() + SLF_OFF_OWNER, owner, std::strlen(owner));
    std::memset(v.data() + SLF_OFF_GROUP, 0x47, 20);
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(v.data(), 1, v.size(), f);
    std::fclose(f);
  }
  ASSERT_EQ(fil_open(1, a.c_str()), 0);
  pump(2);
  ASSERT_EQ(slf_read(1, 0, b.c_str(), 0, 0), 0);
  DbCtl[1].count1 = 0;
  EXPECT_FALSE(dwg_cansave());
  ASSERT_GT(add_line(2, 2, 9, 9), 0);
  EXPECT_TRUE(dwg_cansave());
  const std::vector<char> before = bytes(a);
  EXPECT_EQ(fil_save(0, 0), 0);
  EXPECT_FALSE(dwg_cansave());
  const std::vector<char> after = bytes(a);
  ASSERT_EQ(after.size(), before.size() + 80);
  EXPECT_EQ(std::string(after.data() + SLF_OFF_OWNER), "OWNER-A");
  EXPECT_EQ(std::memcmp(after.data() + SLF_OFF_GROUP, before.data() + SLF_OFF_GROUP, 20), 0);
  // Saved again unchanged (the close question answered), every byte stays.
  dwg_setstate(0, DWG_ASKED);
  EXPECT_EQ(fil_save(0, 0), 0);
  EXPECT_EQ(bytes(a), after);
}

// A chosen name too long for a path once ".KSL" is put on is said and asked again;
// a lone lead byte in the seal name is no character of the proposed file name.
TEST_F(FileCmd, AnOverLongChoiceIsSaidAndAskedAgain) {
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(1, 1, 20, 20), 0);
  script.names = {"A\x81\x1f" "B\x81"};
  script.saves = {work + std::string(259 - work.size(), 'n'), ""};
  EXPECT_EQ(fil_register(0, 0), -1);
  EXPECT_EQ(script.count("ファイル名が長すぎるため登録できません"), 1);
  EXPECT_EQ(script.dialogs(FIL_DLGSAVE), 2);
  EXPECT_EQ(script.proposed, "AB");
}

TEST_F(FileCmd, SavingAnUnnamedDrawingAsksLikeRegistering) {
  const std::string target = work + "UNNAMED.KSL";
  fresh(target);
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(1, 1, 20, 20), 0);
  script.names = {"SEAL2"};
  script.saves = {target};
  EXPECT_EQ(fil_save(0, 0), 0);
  EXPECT_EQ(script.dialogs(SLF_NAMEDLG), 1);
  EXPECT_EQ(script.dialogs(FIL_DLGSAVE), 1);
  EXPECT_TRUE(exists(target));
  EXPECT_EQ(name(0), "UNNAMED.KSL");
  EXPECT_EQ(dwg_state(0), 0u);
}

TEST_F(FileCmd, ClosingWithYesRegistersAndADeclinedBackupKeepsTheWindow) {
  const std::string target = work + "CLOSE.KSL";
  fresh(target);
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  ASSERT_GT(add_line(1, 1, 20, 20), 0);
  // Yes and a registration: the window goes.
  script.closeanswer = IDYES;
  script.names = {"SEAL3"};
  script.saves = {target};
  SendMessageA(GetParent(view), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_TRUE(exists(target));

  // Again over that file with the backup failing and declined: nothing is written,
  // the drawing and its window stay.
  view = new_drawing();
  ASSERT_TRUE(view);
  ASSERT_GT(add_line(1, 1, 20, 20), 0);
  ASSERT_GT(add_line(2, 1, 20, 20), 0);
  char kept[262] = "";
  sys_path('R', 11, kept);
  sys_path('W', 11, const_cast<char *>("Q:\\no\\such\\folder\\"));
  SystemBlock sb{};
  sys_sysprm('R', &sb);
  const SystemBlock keptsb = sb;
  sb.w2 = 1; // back up before replacing
  sys_sysprm('W', &sb);
  const std::vector<char> before = bytes(target);
  script.closeanswer = IDYES;
  script.backupanswer = IDNO;
  script.names = {"SEAL3"};
  script.saves = {target};
  SendMessageA(GetParent(view), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_EQ(script.count("バックアップ"), 1);
  EXPECT_TRUE(IsWindow(view));
  EXPECT_EQ(DbCtl[0].count1, 2u);
  EXPECT_NE(dwg_state(0) & 1, 0u);
  EXPECT_EQ(bytes(target), before);
  // fil_register itself counts the declined backup as done.
  script.backupanswer = IDNO;
  script.names = {"SEAL3"};
  script.saves = {target};
  EXPECT_EQ(fil_register(0, 0), 0);
  EXPECT_EQ(bytes(target), before);
  sys_sysprm('W', const_cast<SystemBlock *>(&keptsb));
  sys_path('W', 11, kept);
}

TEST_F(FileCmd, ACommandLineOpensTwoAtMostAndTheSymbolSwitchRestartsUndo) {
  const std::string a = work + "CMD1.KSL", b = work + "CMD2.KSL";
  make_seal(a);
  make_seal(b);
  const std::string line = "\"" + a + "\" \"" + b + "\" \"" + work + "CMD3.KSL\"";
  HandoverBusy = 1;
  EXPECT_EQ(fil_cmdopen(line.c_str()), 0);
  pump(2);
  EXPECT_EQ(script.count("編集可能な図面数は 2図面までです。"), 1);
  EXPECT_EQ(name(0), "CMD1.KSL"); // the first opened; only one drawing can be open
  EXPECT_EQ(HandoverBusy, 0);
  // The symbol switch: the file is probed, recording stays on for the open drawing.
  ASSERT_EQ(und_isrec(0), 1);
  HandoverBusy = 1;
  EXPECT_EQ(fil_cmdopen(("/F " + b).c_str()), 0);
  EXPECT_EQ(und_isrec(0), 1);
  EXPECT_EQ(HandoverBusy, 0);
  EXPECT_EQ(fil_cmdopen(("/F " + work + "NOPE.KSL").c_str()), 0);
  EXPECT_EQ(script.count("指定されたファイルは存在しません。"), 1);
}

DWORD action_value() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", "Action", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return 0;
  return value;
}

// A name too long for a path is refused as it is, never cut to one that fits.
TEST_F(FileCmd, ACommandLineNameTooLongIsSaidNotCut) {
  for (const std::string &line : {"\"" + work + std::string(300, 'L') + ".KSL\"", work + std::string(300, 'L') + ".KSL"}) {
    script.asked.clear();
    HandoverBusy = 1;
    EXPECT_EQ(fil_cmdopen(line.c_str()), 0);
    pump(2);
    EXPECT_EQ(script.count("ファイル名が長すぎるため開けません。"), 1);
    EXPECT_EQ(script.count("を開けません"), 0); // no cut name was tried
    EXPECT_EQ(vew_mask(0), 0u);
    EXPECT_EQ(HandoverBusy, 0);
  }
}

TEST_F(FileCmd, AHandOverWhileDisabledOrReplacedIsRefusedAndFreesTheFlag) {
  const UINT handover = WM_USER + 50;
  HWND hidden = FindWindowA("RaruHideFrame", nullptr);
  ASSERT_TRUE(hidden);
  const std::string path = work + "HAND1.KSL";
  make_seal(path);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", "Action");

  // A modal state: refused, and the atom does not outlive the refusal.
  EnableWindow(app_hmain(), FALSE);
  SendMessageA(hidden, handover, 0, GlobalAddAtomA(path.c_str()));
  EnableWindow(app_hmain(), TRUE);
  EXPECT_EQ(action_value(), 120u);
  EXPECT_EQ(HandoverBusy, 0);
  EXPECT_EQ(GlobalFindAtomA(path.c_str()), 0);

  // A level-0 request that replaces the waiting hand-over frees the flag and says so.
  RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", "Action");
  SendMessageA(hidden, handover, 0, GlobalAddAtomA(path.c_str()));
  EXPECT_EQ(HandoverBusy, 1);
  EXPECT_EQ(GlobalFindAtomA(path.c_str()), 0);
  cmd_request(0, [] { return CMD_DONE; }, 999, nullptr);
  EXPECT_EQ(HandoverBusy, 0);
  EXPECT_EQ(action_value(), 120u);
  while (cmd_pump()) {
  }
  pump(3);
  EXPECT_EQ(vew_hwnd(0, 0), nullptr);

  // The next hand-over is taken and opens its file; an empty one leaves no flag.
  SendMessageA(hidden, handover, 0, GlobalAddAtomA(path.c_str()));
  while (cmd_pump()) {
  }
  pump(3);
  EXPECT_EQ(name(0), "HAND1.KSL");
  EXPECT_EQ(HandoverBusy, 0);
  SendMessageA(hidden, handover, 0, 0);
  EXPECT_EQ(HandoverBusy, 0);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", "Action");
}

// Execute strings as the DDE service runs them in the started editor.
TEST_F(FileCmd, DdeExecuteStringsOpenCloseAndIconify) {
  const std::string path = work + "DDEX.KSL";
  make_seal(path);
  auto exec = [](const std::string &t) {
    return reinterpret_cast<ULONG_PTR>(ddes_execute(t.c_str(), DWORD(t.size() + 1)));
  };
  // The file the command line opened at start is not opened again, once.
  std::snprintf(AppArgs.firstopened, sizeof AppArgs.firstopened, "%s", path.c_str());
  AppArgs.openedcount = 1;
  CharLowerA(AppArgs.firstopened);
  EXPECT_EQ(exec("[FileOpen(\"" + path + "\")]"), ULONG_PTR(DDE_FACK));
  pump(3);
  EXPECT_EQ(vew_hwnd(0, 0), nullptr);
  EXPECT_STREQ(AppArgs.firstopened, "");
  EXPECT_EQ(exec("[FileOpen(\"" + path + "\")]"), ULONG_PTR(DDE_FACK));
  pump(3);
  EXPECT_EQ(name(0), "DDEX.KSL");
  close_drawing();

  EXPECT_EQ(exec("[OpenFile](" + path), 0u); // no ")"
  pump(3);
  EXPECT_EQ(vew_hwnd(0, 0), nullptr);
  EXPECT_EQ(exec("[OpenFile](" + work + std::string(262, 'p') + ".KSL)"), 0u);
  EXPECT_EQ(exec("[OpenFile](" + path + ")"), ULONG_PTR(DDE_FACK));
  pump(3);
  EXPECT_EQ(name(0), "DDEX.KSL");

  // Close only asks, and only for a modified drawing; the window stays.
  EXPECT_EQ(exec("[Close]"), ULONG_PTR(DDE_FACK));
  EXPECT_EQ(script.count("は更新されています"), 0);
  ASSERT_GT(add_line(0, 0, 9, 9), 0);
  dwg_setstate(0, 1);
  script.closeanswer = IDNO;
  EXPECT_EQ(exec("[Close]"), ULONG_PTR(DDE_FACK));
  EXPECT_EQ(script.count("は更新されています"), 1);
  EXPECT_TRUE(vew_hwnd(0, 0));

  // Icon minimises, and restores a minimised frame.
  EXPECT_EQ(exec("[icon]"), ULONG_PTR(DDE_FACK));
  EXPECT_TRUE(IsIconic(app_hmain()));
  EXPECT_EQ(exec("[Icon]"), ULONG_PTR(DDE_FACK));
  EXPECT_FALSE(IsIconic(app_hmain()));
  EXPECT_EQ(exec("undpend"), ULONG_PTR(DDE_FACK));
  EXPECT_EQ(exec("UndPend "), 0u);
  dwg_setstate(0, 0);
  close_drawing();
}

// Until the start-up has finished, executes and pokes are busy and requests empty.
TEST_F(FileCmd, DdeAnswersBusyUntilTheStartUpIsDone) {
  ddes_ready(false);
  EXPECT_EQ(ddes_callback(XTYP_EXECUTE, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), HDDEDATA(DDE_FBUSY));
  EXPECT_EQ(ddes_callback(XTYP_POKE, CF_TEXT, nullptr, nullptr, nullptr, nullptr, 0, 0), HDDEDATA(DDE_FBUSY));
  EXPECT_EQ(ddes_callback(XTYP_REQUEST, CF_TEXT, nullptr, nullptr, nullptr, nullptr, 0, 0), nullptr);
  ddes_ready(true);
}

// An execute hook sees the strings of its topic first; a 0 from it acknowledges them.
TEST_F(FileCmd, DdeExecuteHook) {
  ASSERT_NE(DdeInst, 0u);
  static std::vector<std::string> seen;
  static int answer;
  seen.clear();
  auto execute = [](const char *text) {
    HDDEDATA d = DdeCreateDataHandle(DdeInst, reinterpret_cast<LPBYTE>(const_cast<char *>(text)),
                                     DWORD(std::strlen(text) + 1), 0, nullptr, CF_TEXT, 0);
    const ULONG_PTR r = reinterpret_cast<ULONG_PTR>(ddes_callback(XTYP_EXECUTE, 0, nullptr, nullptr, nullptr, d, 0, 0));
    DdeFreeDataHandle(d);
    return r;
  };
  const DdeExecHook hook = [](const char *, const char *command) {
    seen.push_back(command);
    return answer;
  };
  EXPECT_EQ(execute("[Nothing]"), 0u);
  answer = 0;
  ddes_sethook(nullptr, hook); // every topic
  EXPECT_EQ(execute("[Nothing]"), ULONG_PTR(DDE_FACK));
  answer = 1; // not taken: the string runs as usual
  EXPECT_EQ(execute("[Nothing]"), 0u);
  EXPECT_EQ(seen.size(), 2u);
  answer = 0;
  ddes_sethook("Other", hook); // not this conversation's topic
  EXPECT_EQ(execute("[Nothing]"), 0u);
  EXPECT_EQ(seen.size(), 2u);
  ddes_sethook(nullptr, hook);
  ddec_closeall(); // removes the hook
  EXPECT_EQ(execute("[Nothing]"), 0u);
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(FileCmd, TheDocumentStoreReportsAFailedWrite) {
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(1, 1, 20, 20), 0);
  EXPECT_NE(fil_docsave(0, (work + "nofolder\\DOC.KSL").c_str()), 0);
  EXPECT_EQ(script.count("に保存できませんでした"), 1);
  const std::string doc = work + "DOC.KSL";
  fresh(doc);
  EXPECT_EQ(fil_docsave(0, doc.c_str()), 0);
  EXPECT_TRUE(exists(doc));
}

TEST_F(FileCmd, SystemSettingsApplyToTheDrawingAndCancelChangesNothing) {
  using namespace dlgpilot;
  ASSERT_TRUE(new_drawing());
  RaruInfo info{};
  sys_sealinf('R', &info);
  info.backcolor = 0, info.sealcolor = 0;
  sys_sealinf('W', &info);
  uint32_t palette[PALETTE_COUNT];
  std::memcpy(palette, Palette, sizeof palette);
  SheetRecord sheet{};
  sys_sheet('R', 0, &sheet);
  GridRecord grid{};
  grd_rec('R', 0, &grid);
  dwg_setstate(0, 0);
  // Cancel: palette, sheet, grid and flags as they were.
  Pilot c;
  c.steps = {[&](HWND d) { set(d, 1468, "30"), press(d, IDCANCEL); }};
  EXPECT_EQ(c.run([] { return INT_PTR(dlg_syscmd()); }), 700);
  EXPECT_EQ(std::memcmp(palette, Palette, sizeof palette), 0);
  SheetRecord now{};
  sys_sheet('R', 0, &now);
  EXPECT_EQ(std::memcmp(&now, &sheet, sizeof now), 0);
  GridRecord g{};
  grd_rec('R', 0, &g);
  EXPECT_EQ(std::memcmp(&g, &grid, sizeof g), 0);
  EXPECT_EQ(dwg_state(0), 0u);
  // OK: black background, a 30 x 40 area, grid 2 x 3.
  Pilot p;
  p.steps = {[&](HWND d) {
    radio(d, 1464, 1465, 1465);
    set(d, 1468, "30"), set(d, 1469, "40"), set(d, 1470, "2"), set(d, 1471, "3");
    press(d, IDOK);
  }};
  EXPECT_EQ(p.run([] { return INT_PTR(dlg_syscmd()); }), 700);
  EXPECT_EQ(Palette[15], 0xFFFFFFu);
  EXPECT_EQ(Palette[16], 0x000000u);
  sys_sheet('R', 0, &now);
  EXPECT_EQ(now.width, 30.0);
  EXPECT_EQ(now.height, 40.0);
  grd_rec('R', 0, &g);
  EXPECT_EQ(+g.pitchx, 2.0);
  EXPECT_EQ(+g.pitchy, 3.0);
  EXPECT_NEAR(+g.a2y, -3.0, 1e-12);
  EXPECT_EQ(dwg_state(0), 1u);
  // A sheet that cannot follow the new area (a record that cannot be moved) is said;
  // the sheet stays as it was.
  ASSERT_GT(add_line(1, 1, 2, 2), 0);
  ShtRecord = [](int, int32_t) -> ElementRecord * { return nullptr; };
  Pilot q;
  q.steps = {[&](HWND d) { set(d, 1468, "50"), set(d, 1469, "60"), press(d, IDOK); }};
  EXPECT_EQ(q.run([] { return INT_PTR(dlg_syscmd()); }), 700);
  ShtRecord = dtb_ptr;
  EXPECT_EQ(script.count("図面の用紙を新しい大きさに変更できませんでした"), 1);
  sys_sheet('R', 0, &now);
  EXPECT_EQ(now.width, 30.0);
  EXPECT_EQ(now.height, 40.0);
}

} // namespace
