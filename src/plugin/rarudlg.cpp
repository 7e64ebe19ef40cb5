#include "plugin/rarudlg.h"

#include <commctrl.h>
#include <mbstring.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/sealfmt.h"
#include "hoststub/klhost.h"
#include "plugin/plugsys.h"
#include "plugin/rarucfg.h"
#include "plugin/rarudisp.h"
#include "plugin/rarustr.h"
#include "settings/answers.h"

int32_t Raru_ChosenLevel = 0;

namespace {

const char T_FIRSTUSER[] = "使用者名設定";
const char T_PASSWORD[] = "パスワード入力";
const char T_CONFIG[] = "設定";
const char T_USERCHG[] = "使用者名変更";
const char T_PWCHG[] = "パスワード変更";
const char T_ADD[] = "使用する印鑑の追加";

const char M_BADCHAR[] = "使用できない文字が使われています。";
const char M_NOTSAME[] = "同じパスワードではありません。";
const char M_BADUSER[] = "使用者名が違います。";
const char M_BADPASS[] = "パスワードが違います。";
const char M_NOSEAL[] = "追加できる印鑑がありません。";
const char M_CANTADD[] = "この印鑑は登録することができません。";
const char M_ASKADD[] = "印鑑を追加しますか。";
const char M_PWNOTSAVED[] = "設定を保存できませんでした。パスワードは変更されていません。";
const char M_USERNOTSAVED[] = "設定を保存できませんでした。使用者名は変更されていません。";
const char M_FIRSTNOTSAVED[] = "設定を保存できませんでした。使用者名とパスワードは登録されていません。";
const char M_NOTSTAMPED[] = "次の印鑑ファイルを書き換えることができませんでした。";
const char BROWSE_TITLE[] = "ﾌｫﾙﾀﾞを選択してください。";

constexpr int NAME_LIMIT = 20, PASS_LIMIT = 8;
constexpr int TEXTBUF = 64;
constexpr UINT WM_SHOWROW = WM_APP + 1;

// Settings dialog: its fields, the encrypted password as it was at opening.
HWND CfgUser, CfgFolder, CfgDefault;
char CfgOpenCrypt[20];

// The chooser and the add-seal dialog: the list, the row shown, and the flags that
// keep the list's own notifications out while it is being changed or a choice runs.
struct SealList {
  HWND dlg = nullptr;
  HWND list = nullptr;
  int fileCol = 0, nameCol = 1, levelCol = 2;
  int fields[4] = {}; // file name, seal name, user name (0: none), level
  int preview = 0;
  int shown = -1;
  bool changing = false, choosing = false;
};
SealList Chooser, Adder;
// The usual seal as the chooser knows it (the settings dialog's field when it is open).
char ChooserUsual[RARU_PATH];

int warn(HWND owner, const char *text, const char *caption) {
  return plg_msgbox(owner, text, caption, MB_OK | MB_ICONWARNING);
}

RaruSettings load() {
  RaruSettings s;
  Raru_SysSettings('R', &s);
  return s;
}
void store(RaruSettings &s) { Raru_SysSettings('W', &s); }

// A field's text, at most TEXTBUF - 1 bytes.
std::string text(HWND dlg, int id) {
  char buf[TEXTBUF] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}

// Fills a fixed field: the text cut at a whole character, the rest zero.
template <std::size_t N> void setfield(char (&field)[N], const char *value) {
  std::memset(field, 0, N);
  raru_copycut(field, N, value);
}
void putfield(uint8_t *hdr, int off, std::size_t width, const char *value) {
  std::memset(hdr + off, 0, width);
  std::memcpy(hdr + off, value, strnlen(value, width - 1));
}

// The encrypted form of a typed password ("" when it cannot be encrypted).
void encrypt(const std::string &password, char (&out)[20]) {
  std::memset(out, 0, sizeof out);
  if (!KlhEncryptPasswd(password.c_str(), out))
    out[0] = '\0';
  out[19] = '\0';
}

template <std::size_t N> bool same(const char *a, const char (&b)[N]) { return raru_fieldeq(a, N, b, N); }

void limit(HWND dlg, int id, int chars) { SendDlgItemMessageA(dlg, id, EM_LIMITTEXT, WPARAM(chars), 0); }

// A dialog of text fields whose OK stays disabled until every field holds text.
struct FieldForm {
  struct Field {
    int id;
    int limit;
  };
  Field fields[3];
  int count;
  int (*apply)(HWND dlg); // runs on OK; it ends the dialog itself when it accepts
};

INT_PTR field_form(HWND dlg, UINT msg, WPARAM wp, const FieldForm &form) {
  switch (msg) {
  case WM_INITDIALOG:
    for (int i = 0; i < form.count; ++i)
      limit(dlg, form.fields[i].id, form.fields[i].limit);
    EnableWindow(GetDlgItem(dlg, IDOK), FALSE);
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDOK:
      if (IsWindowEnabled(GetDlgItem(dlg, IDOK))) // Enter with a field still empty
        form.apply(dlg);
      return TRUE;
    case IDCANCEL:
      EndDialog(dlg, -1);
      return TRUE;
    default:
      for (int i = 0; i < form.count; ++i) {
        if (LOWORD(wp) != form.fields[i].id)
          continue;
        if (HIWORD(wp) == EN_CHANGE) {
          bool all = true;
          for (int j = 0; j < form.count; ++j)
            all = all && GetWindowTextLengthA(GetDlgItem(dlg, form.fields[j].id)) > 0;
          EnableWindow(GetDlgItem(dlg, IDOK), all);
        }
        return TRUE;
      }
    }
    break;
  }
  return FALSE;
}

// --- seal files ------------------------------------------------------------------

HANDLE openseal(const char *path, bool write) {
  return CreateFileA(path, write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
bool readhead(HANDLE f, uint8_t *hdr) {
  DWORD got = 0;
  return SetFilePointer(f, 0, nullptr, FILE_BEGIN) == 0 && ReadFile(f, hdr, SLF_HEADSIZE, &got, nullptr) &&
         got == SLF_HEADSIZE;
}
bool writehead(HANDLE f, const uint8_t *hdr) {
  DWORD put = 0;
  return SetFilePointer(f, 0, nullptr, FILE_BEGIN) == 0 && plg_sys.writefile(f, hdr, SLF_HEADSIZE, &put, nullptr) &&
         put == SLF_HEADSIZE;
}
bool headof(const char *folder, const char *name, uint8_t *hdr) {
  char path[RARU_PATH];
  if (!raru_join(path, folder, name))
    return false;
  HANDLE f = openseal(path, false);
  if (f == INVALID_HANDLE_VALUE)
    return false;
  const bool ok = readhead(f, hdr);
  CloseHandle(f);
  return ok;
}
bool exists(const char *folder, const char *name) {
  char path[RARU_PATH];
  if (!raru_join(path, folder, name))
    return false;
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Names of the seal files of a folder, in list order.
std::vector<std::string> sealfiles(const char *folder) {
  std::vector<std::string> names;
  char pattern[RARU_PATH];
  if (!raru_join(pattern, folder, "*.ksl"))
    return names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE)
    return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.emplace_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end(),
            [](const std::string &a, const std::string &b) { return Raru_CompareNames(a.c_str(), b.c_str()) < 0; });
  return names;
}

// Rewrites the header of every seal of the seal folder that mine() accepts with
// stamp(). A seal that cannot be opened for writing is looked at read-only: when it is
// one of the user's, or cannot be read at all, it is named in one warning at the end.
template <typename Mine, typename Stamp> int restamp(HWND owner, const char *caption, Mine mine, Stamp stamp) {
  const RaruSettings s = load();
  std::string failed;
  int done = 0;
  for (const std::string &name : sealfiles(s.sealFolder)) {
    char path[RARU_PATH];
    if (!raru_join(path, s.sealFolder, name.c_str()))
      continue;
    uint8_t hdr[SLF_HEADSIZE];
    HANDLE f = openseal(path, true);
    if (f == INVALID_HANDLE_VALUE) {
      f = openseal(path, false);
      const bool read = f != INVALID_HANDLE_VALUE && readhead(f, hdr);
      if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
      if (!read || mine(hdr))
        failed += "\n" + name;
      continue;
    }
    if (readhead(f, hdr) && mine(hdr)) {
      stamp(hdr);
      if (writehead(f, hdr))
        done++;
      else
        failed += "\n" + name;
    }
    CloseHandle(f);
  }
  if (!failed.empty())
    warn(owner, (M_NOTSTAMPED + failed).c_str(), caption);
  return done;
}

// --- user name and password in the file and the mirror -----------------------------

// The gate compares the settings file with its registry mirror, so a user name or
// password that one holds and the other does not locks the user out. Where the item
// (CFG_USERNAME or CFG_CRYPTWD) stands in each place.
enum class Stored { New, Old, Split };

void setitem(RaruSettings &s, int code, const RaruSettings &file, const RaruSettings &mirror) {
  if (code == CFG_USERNAME) {
    std::memcpy(s.userName, file.userName, sizeof s.userName);
    std::memcpy(s.regUserName, mirror.regUserName, sizeof s.regUserName);
  } else {
    std::memcpy(s.cryptPassword, file.cryptPassword, sizeof s.cryptPassword);
    std::memcpy(s.regCryptPassword, mirror.regCryptPassword, sizeof s.regCryptPassword);
  }
}

// Writes the item of want, both places, so that they end up holding one value: the new
// one, or after a failure the old one (of was); when putting the old one back fails
// too, the new one is tried again. A failed write leaves its place as it was. The
// settings in memory follow what the places hold.
Stored settle(int code, const RaruSettings &want, const RaruSettings &was) {
  bool fileNew = false, mirrorNew = false, target = true;
  for (int attempt = 0; attempt < 4; attempt++) {
    RaruSettings s = load();
    setitem(s, code, target ? want : was, target ? want : was);
    store(s);
    const int rc = Raru_WriteConfig(code);
    if (rc != 1)
      fileNew = target;
    if (rc == 0)
      mirrorNew = target;
    if (fileNew == mirrorNew)
      break;
    target = !target;
  }
  RaruSettings s = load();
  setitem(s, code, fileNew ? want : was, mirrorNew ? want : was);
  store(s);
  return fileNew != mirrorNew ? Stored::Split : fileNew ? Stored::New : Stored::Old;
}

// --- list dialogs ----------------------------------------------------------------

void addcolumn(HWND list, int i, int width, const char *title) {
  LVCOLUMNA c = {};
  c.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  c.cx = width;
  c.pszText = const_cast<char *>(title);
  c.iSubItem = i;
  SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(i), reinterpret_cast<LPARAM>(&c));
}

std::string cell(HWND list, int row, int col) {
  char buf[RARU_PATH] = {};
  LVITEMA it = {};
  it.iSubItem = col;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&it));
  return buf;
}
void setcell(HWND list, int row, int col, const char *value) {
  LVITEMA it = {};
  it.iSubItem = col;
  it.pszText = const_cast<char *>(value);
  SendMessageA(list, LVM_SETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&it));
}
int addrow(HWND list, const char *first) {
  LVITEMA it = {};
  it.mask = LVIF_TEXT;
  it.iItem = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  it.pszText = const_cast<char *>(first);
  return int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
}
int rows(const SealList &l) { return int(SendMessageA(l.list, LVM_GETITEMCOUNT, 0, 0)); }
int selected(const SealList &l) { return int(SendMessageA(l.list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

void select(SealList &l, int row) {
  l.changing = true;
  LVITEMA it = {};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(l.list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&it));
  SendMessageA(l.list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
  l.changing = false;
}

void clearfields(SealList &l) {
  for (int id : l.fields)
    if (id)
      SetDlgItemTextA(l.dlg, id, "");
  char none[RARU_PATH] = {};
  Raru_SysPreviewFile('W', none);
  l.shown = -1;
  InvalidateRect(GetDlgItem(l.dlg, l.preview), nullptr, TRUE);
}

void showrow(SealList &l, int row);

// Drops a row; the first remaining row is shown. False when none remains.
bool droprow(SealList &l, int row) {
  l.changing = true;
  SendMessageA(l.list, LVM_DELETEITEM, WPARAM(row), 0);
  l.changing = false;
  if (rows(l) > 0) {
    select(l, 0);
    showrow(l, 0);
    return true;
  }
  clearfields(l);
  return false;
}

// The add-seal dialog ends when its last row went.
void dropped(SealList &l, int row) {
  if (!droprow(l, row) && &l == &Adder) {
    warn(l.dlg, M_NOSEAL, T_ADD);
    EndDialog(l.dlg, -1);
  }
}

void showrow(SealList &l, int row) {
  if (row < 0 || row >= rows(l))
    return;
  char folder[RARU_PATH];
  Raru_SysListFolder('R', folder);
  folder[RARU_PATH - 1] = '\0';
  const std::string file = cell(l.list, row, l.fileCol);
  if (!exists(folder, file.c_str())) {
    dropped(l, row);
    return;
  }
  const RaruSettings s = load();
  SetDlgItemTextA(l.dlg, l.fields[0], file.c_str());
  SetDlgItemTextA(l.dlg, l.fields[1], cell(l.list, row, l.nameCol).c_str());
  if (l.fields[2])
    SetDlgItemTextA(l.dlg, l.fields[2], s.userName);
  SetDlgItemTextA(l.dlg, l.fields[3], cell(l.list, row, l.levelCol).c_str());
  char name[RARU_PATH] = {};
  raru_copycut(name, sizeof name, file.c_str());
  Raru_SysPreviewFile('W', name);
  l.shown = row;
  InvalidateRect(GetDlgItem(l.dlg, l.preview), nullptr, TRUE);
}

// A row's seal name and level from its header.
void rowfields(HWND list, int row, int col, const uint8_t *hdr) {
  char name[25] = {};
  raru_copycut(name, sizeof name, reinterpret_cast<const char *>(hdr + SLF_OFF_NAME), 24);
  char level[16];
  std::snprintf(level, sizeof level, "%d", int(slf_get<int16_t>(hdr, SLF_OFF_PERMIT)));
  setcell(list, row, col, name);
  setcell(list, row, col + 1, level);
}

// A selection made by the user shows its row once the list has settled.
bool onnotify(SealList &l, LPARAM lp) {
  const auto *n = reinterpret_cast<const NMLISTVIEW *>(lp);
  if (n->hdr.hwndFrom != l.list || n->hdr.code != LVN_ITEMCHANGED)
    return false;
  if (l.changing || l.choosing)
    return true;
  if ((n->uChanged & LVIF_STATE) && (n->uNewState & LVIS_SELECTED) && !(n->uOldState & LVIS_SELECTED))
    PostMessageA(l.dlg, WM_SHOWROW, WPARAM(n->iItem), 0);
  return true;
}

// Where a list dialog keeps its list, columns, fields and preview.
struct ListLayout {
  int listid;
  int fileCol, nameCol, levelCol;
  int fields[4];
  int preview;
  struct Column {
    int width;
    const char *title;
  } columns[4];
  int ncolumns;
};

void initlist(SealList &l, HWND dlg, const ListLayout &lay) {
  l = SealList{};
  l.dlg = dlg;
  l.list = GetDlgItem(dlg, lay.listid);
  l.fileCol = lay.fileCol;
  l.nameCol = lay.nameCol;
  l.levelCol = lay.levelCol;
  std::memcpy(l.fields, lay.fields, sizeof l.fields);
  l.preview = lay.preview;
  for (int i = 0; i < lay.ncolumns; ++i)
    addcolumn(l.list, i, lay.columns[i].width, lay.columns[i].title);
  SendMessageA(l.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES);
  char none[RARU_PATH] = {};
  Raru_SysPreviewFile('W', none);
}

// The messages both list dialogs answer alike: -1 when msg is not one of them.
INT_PTR listmsg(SealList &l, HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_NOTIFY:
    return onnotify(l, lp) ? TRUE : -1;
  case WM_SHOWROW:
    if (int(wp) == selected(l))
      showrow(l, int(wp));
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
      EndDialog(dlg, LOWORD(wp) == IDOK ? 1 : -1);
      return TRUE;
    }
    return -1;
  case WM_DESTROY:
    l.dlg = l.list = nullptr;
    return -1;
  }
  return -1;
}

// "印鑑選択": the row becomes the usual seal.
void choose(SealList &l, int row) {
  if (row < 0)
    return;
  char folder[RARU_PATH];
  Raru_SysListFolder('R', folder);
  folder[RARU_PATH - 1] = '\0';
  const std::string file = cell(l.list, row, l.fileCol);
  if (!exists(folder, file.c_str())) {
    dropped(l, row);
    return;
  }
  l.choosing = true;
  raru_copycut(ChooserUsual, sizeof ChooserUsual, file.c_str());
  if (CfgDefault)
    SetWindowTextA(CfgDefault, ChooserUsual);
  Raru_ChosenLevel = raru_atoi(cell(l.list, row, l.levelCol).c_str());
  for (int i = 0, n = rows(l); i < n; i++)
    setcell(l.list, i, 0, i == row ? "◎" : "");
  l.choosing = false;
}

int addfill(HWND dlg) {
  SealList &l = Adder;
  char folder[RARU_PATH];
  Raru_SysListFolder('R', folder);
  folder[RARU_PATH - 1] = '\0';
  const RaruSettings s = load();
  l.changing = true;
  SendMessageA(l.list, LVM_DELETEALLITEMS, 0, 0);
  for (const std::string &name : sealfiles(folder)) {
    uint8_t hdr[SLF_HEADSIZE];
    if (!headof(folder, name.c_str(), hdr) || hdr[SLF_OFF_OWNER] != 0)
      continue;
    const bool group = hdr[SLF_OFF_GROUP] == 0 || s.groupCode[0] == 0 ||
                       raru_fieldeq(hdr + SLF_OFF_GROUP, 20, s.groupCode, sizeof s.groupCode);
    if (!group)
      continue;
    const int row = addrow(l.list, name.c_str());
    rowfields(l.list, row, 1, hdr);
  }
  l.changing = false;
  (void)dlg;
  return rows(l);
}

} // namespace

HINSTANCE Raru_DlgInstance() { return plg_module ? plg_module : GetModuleHandleA(nullptr); }

INT_PTR Raru_Dialog(int id, HWND owner) {
  DLGPROC proc = nullptr;
  switch (id) {
  case IDD_RARU_CONFIG:
    proc = Raru_ConfigDlgProc;
    break;
  case IDD_RARU_FIRSTUSER:
    proc = Raru_FirstUserDlgProc;
    break;
  case IDD_RARU_PASSWORD:
    proc = Raru_PasswordDlgProc;
    break;
  case IDD_RARU_USERCHG:
    proc = Raru_UserNameDlgProc;
    break;
  case IDD_RARU_PWCHG:
    proc = Raru_PasswordChangeDlgProc;
    break;
  case IDD_RARU_CHOOSER:
    proc = Raru_ChooserDlgProc;
    break;
  case IDD_RARU_ADD:
    proc = Raru_AddRaruDlgProc;
    break;
  case IDD_RARU_CONFIRM:
    proc = Raru_ConfirmDlgProc;
    break;
  default:
    return -1;
  }
  if (id == IDD_RARU_CHOOSER || id == IDD_RARU_ADD || id == IDD_RARU_CONFIRM) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    Raru_RegisterDispClass();
  }
  return DialogBoxParamA(Raru_DlgInstance(), MAKEINTRESOURCEA(id), owner, proc, 0);
}

void Raru_SelectField(HWND field) {
  HWND dlg = GetParent(field);
  SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  SetFocus(field);
  SendMessageA(field, EM_SETSEL, 0, -1);
}

int Raru_CompareNames(const char *a, const char *b) {
  return _mbsicoll(reinterpret_cast<const unsigned char *>(a), reinterpret_cast<const unsigned char *>(b));
}

// --- first user and password -------------------------------------------------------

int Raru_ApplyFirstUser(HWND dlg) {
  const std::string name = text(dlg, IDC_FU_USER), pass = text(dlg, IDC_FU_PASS), repeat = text(dlg, IDC_FU_REPEAT);
  // A name the settings file would give back changed would never match its mirror.
  if (raru_badname(name.c_str()) || !raru_keepsname(name.c_str())) {
    warn(dlg, M_BADCHAR, T_FIRSTUSER);
    Raru_SelectField(GetDlgItem(dlg, IDC_FU_USER));
    return 0;
  }
  if (pass != repeat || !raru_alnum(pass.c_str())) {
    warn(dlg, pass != repeat ? M_NOTSAME : M_BADCHAR, T_FIRSTUSER);
    Raru_SelectField(GetDlgItem(dlg, IDC_FU_PASS));
    return 0;
  }
  const RaruSettings was = load();
  RaruSettings want = was;
  setfield(want.userName, name.c_str());
  setfield(want.regUserName, name.c_str());
  encrypt(pass, want.cryptPassword);
  std::memcpy(want.regCryptPassword, want.cryptPassword, sizeof want.cryptPassword);
  // The name first: while no password is stored the gate asks for a first user again,
  // whatever names the two places hold.
  if (settle(CFG_USERNAME, want, was) == Stored::New) {
    if (settle(CFG_CRYPTWD, want, was) == Stored::New) {
      EndDialog(dlg, 1);
      return 1;
    }
    settle(CFG_USERNAME, was, want);
  }
  warn(dlg, M_FIRSTNOTSAVED, T_FIRSTUSER);
  Raru_SelectField(GetDlgItem(dlg, IDC_FU_USER));
  return 0;
}

INT_PTR CALLBACK Raru_FirstUserDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  static const FieldForm form{
      {{IDC_FU_USER, NAME_LIMIT}, {IDC_FU_PASS, PASS_LIMIT}, {IDC_FU_REPEAT, PASS_LIMIT}}, 3, Raru_ApplyFirstUser};
  return field_form(dlg, msg, wp, form);
}

int Raru_CheckPassword(HWND dlg) {
  const RaruSettings s = load();
  char enc[20];
  encrypt(text(dlg, IDC_PW_PASS), enc);
  const char *fault = nullptr;
  if (!same(s.userName, s.regUserName))
    fault = M_BADUSER;
  else if (!same(enc, s.cryptPassword) || !same(enc, s.regCryptPassword))
    fault = M_BADPASS;
  if (fault) {
    warn(dlg, fault, T_PASSWORD);
    Raru_SelectField(GetDlgItem(dlg, IDC_PW_PASS));
    return 0;
  }
  EndDialog(dlg, 1);
  return 1;
}

INT_PTR CALLBACK Raru_PasswordDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  static const FieldForm form{{{IDC_PW_PASS, PASS_LIMIT}}, 1, Raru_CheckPassword};
  return field_form(dlg, msg, wp, form);
}

// --- settings -------------------------------------------------------------------

void Raru_ConfigDlgInit(HWND dlg) {
  const RaruSettings s = load();
  CfgUser = GetDlgItem(dlg, IDC_CFG_USER);
  CfgFolder = GetDlgItem(dlg, IDC_CFG_FOLDER);
  CfgDefault = GetDlgItem(dlg, IDC_CFG_DEFAULT);
  SetWindowTextA(CfgUser, s.userName);
  SetWindowTextA(CfgFolder, s.sealFolder);
  SetWindowTextA(CfgDefault, s.defaultFile);
  if (s.sealColor >= 0 && s.sealColor <= 2)
    CheckRadioButton(dlg, IDC_CFG_RED, IDC_CFG_BLACK, IDC_CFG_RED + s.sealColor);
  CheckDlgButton(dlg, IDC_CFG_CHECK, s.sealCheck == 1 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_CFG_DATE, s.sealDate == 1 ? BST_CHECKED : BST_UNCHECKED);
  std::memcpy(CfgOpenCrypt, s.cryptPassword, sizeof CfgOpenCrypt);
  Raru_ChosenLevel = s.level;
}

namespace {

// After "変更...": the name of the field becomes the user name. It is written first;
// the seals are re-stamped only once it is, so they never name a user the settings
// do not hold.
void storeusername(HWND dlg) {
  const RaruSettings was = load();
  char old[24];
  std::memcpy(old, was.userName, sizeof old);
  old[23] = '\0';
  char name[TEXTBUF];
  GetWindowTextA(CfgUser, name, sizeof name);
  RaruSettings want = was;
  setfield(want.userName, name);
  setfield(want.regUserName, name);
  if (settle(CFG_USERNAME, want, was) != Stored::New) {
    SetWindowTextA(CfgUser, load().userName);
    warn(dlg, M_USERNOTSAVED, T_CONFIG);
    return;
  }
  Raru_RestampOwner(dlg, old);
}

void storedefault() {
  RaruSettings s = load();
  char name[RARU_PATH];
  GetWindowTextA(CfgDefault, name, sizeof name);
  setfield(s.defaultFile, name);
  s.level = Raru_ChosenLevel;
  store(s);
  Raru_WriteConfig(CFG_DEFAULTFILE);
}

void storeoptions(HWND dlg) {
  RaruSettings s = load();
  for (int i = 0; i < 3; i++)
    if (IsDlgButtonChecked(dlg, IDC_CFG_RED + i) == BST_CHECKED) {
      s.sealColor = i;
      break;
    }
  s.sealCheck = IsDlgButtonChecked(dlg, IDC_CFG_CHECK) == BST_CHECKED ? 1 : 0;
  s.sealDate = IsDlgButtonChecked(dlg, IDC_CFG_DATE) == BST_CHECKED ? 1 : 0;
  store(s);
  Raru_WriteConfig(CFG_SEALCHECK);
  Raru_WriteConfig(CFG_SEALCOLOR);
  Raru_WriteConfig(CFG_SEALDATE);
}

} // namespace

INT_PTR CALLBACK Raru_ConfigDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
  case WM_INITDIALOG:
    Raru_ConfigDlgInit(dlg);
    return TRUE;
  case WM_DESTROY:
    CfgUser = CfgFolder = CfgDefault = nullptr;
    break;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDC_CFG_USERCHG:
      if (Raru_Dialog(IDD_RARU_USERCHG, dlg) == 1)
        storeusername(dlg);
      return TRUE;
    case IDC_CFG_FOLDERSEL:
      Raru_BrowseRaruFolder(dlg);
      return TRUE;
    case IDC_CFG_DEFAULTSEL: {
      char folder[RARU_PATH] = {};
      GetWindowTextA(CfgFolder, folder, sizeof folder);
      Raru_SysListFolder('W', folder);
      Raru_Dialog(IDD_RARU_CHOOSER, dlg);
      storedefault();
      return TRUE;
    }
    case IDC_CFG_PWCHG:
      Raru_Dialog(IDD_RARU_PWCHG, dlg);
      return TRUE;
    case IDOK:
      storeoptions(dlg);
      EndDialog(dlg, 1);
      return TRUE;
    case IDCANCEL:
      EndDialog(dlg, -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

// --- user name and password change ------------------------------------------------

int Raru_ApplyUserNameChange(HWND dlg) {
  const RaruSettings s = load();
  char enc[20];
  encrypt(text(dlg, IDC_UC_PASS), enc);
  const std::string name = text(dlg, IDC_UC_USER);
  const char *fault = nullptr;
  int field = IDC_UC_PASS;
  if (!same(s.userName, s.regUserName))
    fault = M_BADUSER;
  else if (!same(enc, s.cryptPassword) || !same(enc, s.regCryptPassword))
    fault = M_BADPASS;
  else if (raru_badname(name.c_str()) || !raru_keepsname(name.c_str())) {
    fault = M_BADCHAR;
    field = IDC_UC_USER;
  }
  if (fault) {
    warn(dlg, fault, T_USERCHG);
    Raru_SelectField(GetDlgItem(dlg, field));
    return 0;
  }
  if (CfgUser)
    SetWindowTextA(CfgUser, name.c_str());
  EndDialog(dlg, 1);
  return 1;
}

INT_PTR CALLBACK Raru_UserNameDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  static const FieldForm form{{{IDC_UC_PASS, PASS_LIMIT}, {IDC_UC_USER, NAME_LIMIT}}, 2, Raru_ApplyUserNameChange};
  return field_form(dlg, msg, wp, form);
}

int Raru_ApplyPasswordChange(HWND dlg) {
  RaruSettings s = load();
  char enc[20];
  encrypt(text(dlg, IDC_PC_OLD), enc);
  const std::string pass = text(dlg, IDC_PC_NEW), repeat = text(dlg, IDC_PC_REPEAT);
  const char *fault = nullptr;
  int field = IDC_PC_OLD;
  if (!same(s.userName, s.regUserName))
    fault = M_BADUSER;
  else if (!same(enc, s.cryptPassword) || !same(enc, s.regCryptPassword))
    fault = M_BADPASS;
  else if (pass != repeat || !raru_alnum(pass.c_str())) {
    fault = pass != repeat ? M_NOTSAME : M_BADCHAR;
    field = IDC_PC_NEW;
  }
  if (fault) {
    warn(dlg, fault, T_PWCHG);
    Raru_SelectField(GetDlgItem(dlg, field));
    return 0;
  }
  char old[20];
  std::memcpy(old, s.cryptPassword, sizeof old);
  RaruSettings want = s;
  encrypt(pass, want.cryptPassword);
  std::memcpy(want.regCryptPassword, want.cryptPassword, sizeof want.cryptPassword);
  // Written first: the seals follow only a password that the settings hold.
  if (settle(CFG_CRYPTWD, want, s) != Stored::New) {
    warn(dlg, M_PWNOTSAVED, T_PWCHG);
    Raru_SelectField(GetDlgItem(dlg, IDC_PC_NEW));
    return 0;
  }
  Raru_RestampPassword(dlg, old);
  EndDialog(dlg, 1);
  return 1;
}

INT_PTR CALLBACK Raru_PasswordChangeDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  static const FieldForm form{
      {{IDC_PC_OLD, PASS_LIMIT}, {IDC_PC_NEW, PASS_LIMIT}, {IDC_PC_REPEAT, PASS_LIMIT}}, 3, Raru_ApplyPasswordChange};
  return field_form(dlg, msg, wp, form);
}

int Raru_RestampOwner(HWND owner, const char *oldName) {
  const RaruSettings s = load();
  if (raru_fieldeq(s.userName, sizeof s.userName, oldName, 24))
    return 0;
  return restamp(
      owner, T_CONFIG,
      [&](const uint8_t *h) {
        return raru_fieldeq(h + SLF_OFF_OWNER, 24, oldName, 24) &&
               raru_fieldeq(h + SLF_OFF_PASSWORD, 20, s.cryptPassword, sizeof s.cryptPassword);
      },
      [&](uint8_t *h) { putfield(h, SLF_OFF_OWNER, 24, s.userName); });
}

int Raru_RestampPassword(HWND owner, const char *oldCrypt) {
  const RaruSettings s = load();
  return restamp(
      owner, T_PWCHG,
      [&](const uint8_t *h) {
        return raru_fieldeq(h + SLF_OFF_OWNER, 24, s.userName, sizeof s.userName) &&
               raru_fieldeq(h + SLF_OFF_PASSWORD, 20, oldCrypt, 20);
      },
      [&](uint8_t *h) { putfield(h, SLF_OFF_PASSWORD, 20, s.cryptPassword); });
}

// --- seal folder ------------------------------------------------------------------

int CALLBACK Raru_BrowseCallback(HWND wnd, UINT msg, LPARAM lp, LPARAM data) {
  if (msg == BFFM_INITIALIZED) {
    SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, data);
    SendMessageA(wnd, BFFM_SETSTATUSTEXTA, 0, data);
  } else if (msg == BFFM_SELCHANGED) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lp), path))
      SendMessageA(wnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  }
  return 0;
}

namespace {

// The folder picker itself; 1 with the folder in reply.
int browse(const UiQuestion &q) {
  char display[MAX_PATH] = {};
  BROWSEINFOA bi = {};
  bi.hwndOwner = static_cast<HWND>(q.owner);
  bi.pszDisplayName = display;
  bi.lpszTitle = q.text;
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = Raru_BrowseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(q.reply);
  LPITEMIDLIST id = SHBrowseForFolderA(&bi);
  if (!id)
    return -1;
  char path[MAX_PATH] = {};
  const BOOL ok = SHGetPathFromIDListA(id, path);
  CoTaskMemFree(id);
  if (!ok)
    return -1;
  raru_copycut(q.reply, q.replysize, path);
  return 1;
}

} // namespace

int Raru_BrowseRaruFolder(HWND dlg) {
  char folder[RARU_PATH] = {};
  GetWindowTextA(CfgFolder, folder, sizeof folder);
  UiQuestion q{};
  q.kind = UI_DIALOG;
  q.heading = T_CONFIG;
  q.text = BROWSE_TITLE;
  q.owner = dlg;
  q.dialog = IDC_CFG_FOLDERSEL;
  q.reply = folder;
  q.replysize = sizeof folder;
  const int picked = ui_ask(q, browse) == 1;
  if (picked)
    SetWindowTextA(CfgFolder, folder);
  RaruSettings s = load();
  GetWindowTextA(CfgFolder, folder, sizeof folder);
  setfield(s.sealFolder, folder);
  store(s);
  Raru_WriteConfig(CFG_SEALFOLDER);
  return picked;
}

// --- usual seal chooser -------------------------------------------------------------

int Raru_ChooserFill(HWND dlg) {
  SealList &l = Chooser;
  char folder[RARU_PATH];
  Raru_SysListFolder('R', folder);
  folder[RARU_PATH - 1] = '\0';
  const RaruSettings s = load();
  l.changing = true;
  SendMessageA(l.list, LVM_DELETEALLITEMS, 0, 0);
  int usual = -1;
  for (const std::string &name : sealfiles(folder)) {
    uint8_t hdr[SLF_HEADSIZE];
    if (!headof(folder, name.c_str(), hdr))
      continue;
    if (!raru_fieldeq(hdr + SLF_OFF_OWNER, 24, s.userName, sizeof s.userName) ||
        !raru_fieldeq(hdr + SLF_OFF_PASSWORD, 20, s.cryptPassword, sizeof s.cryptPassword))
      continue;
    const bool mark = ChooserUsual[0] && Raru_CompareNames(name.c_str(), ChooserUsual) == 0;
    const int row = addrow(l.list, mark ? "◎" : "");
    setcell(l.list, row, 1, name.c_str());
    rowfields(l.list, row, 2, hdr);
    if (mark)
      usual = row;
  }
  l.changing = false;
  const int n = rows(l);
  if (n == 1) {
    select(l, 0);
    showrow(l, 0);
    choose(l, 0);
  } else if (n > 1) {
    const int row = usual >= 0 ? usual : 0;
    select(l, row);
    showrow(l, row);
  }
  (void)dlg;
  return n;
}

INT_PTR CALLBACK Raru_ChooserDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  static const ListLayout layout = {IDC_CH_LIST,
                                    1,
                                    2,
                                    3,
                                    {IDC_CH_FILE, IDC_CH_NAME, IDC_CH_USER, IDC_CH_LEVEL},
                                    IDC_CH_PREVIEW,
                                    {{20, ""}, {190, "ファイル名"}, {130, "印鑑名"}, {70, "権限レベル"}},
                                    4};
  SealList &l = Chooser;
  switch (msg) {
  case WM_INITDIALOG:
    initlist(l, dlg, layout);
    if (CfgDefault)
      GetWindowTextA(CfgDefault, ChooserUsual, sizeof ChooserUsual);
    else {
      const RaruSettings s = load();
      raru_copycut(ChooserUsual, sizeof ChooserUsual, s.defaultFile);
    }
    Raru_ChooserFill(dlg);
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDC_CH_CHOOSE:
      choose(l, selected(l));
      return TRUE;
    case IDC_CH_ADD:
      if (Raru_Dialog(IDD_RARU_ADD, dlg) == 1) {
        clearfields(l);
        Raru_ChooserFill(dlg);
      }
      return TRUE;
    }
    break;
  }
  const INT_PTR r = listmsg(l, dlg, msg, wp, lp);
  return r < 0 ? FALSE : r;
}

// --- adding seals -------------------------------------------------------------------

int Raru_ApplyAddRaru(HWND dlg) {
  SealList &l = Adder;
  const int row = selected(l);
  if (row < 0)
    return 0;
  char folder[RARU_PATH], path[RARU_PATH];
  Raru_SysListFolder('R', folder);
  folder[RARU_PATH - 1] = '\0';
  const std::string file = cell(l.list, row, l.fileCol);
  HANDLE f = raru_join(path, folder, file.c_str()) ? openseal(path, true) : INVALID_HANDLE_VALUE;
  uint8_t hdr[SLF_HEADSIZE];
  if (f == INVALID_HANDLE_VALUE || !readhead(f, hdr)) {
    if (f != INVALID_HANDLE_VALUE)
      CloseHandle(f);
    warn(dlg, M_CANTADD, T_ADD);
    dropped(l, row);
    return 0;
  }
  if (hdr[SLF_OFF_OWNER] != 0) { // taken meanwhile
    CloseHandle(f);
    dropped(l, row);
    return 0;
  }
  if (plg_msgbox(dlg, M_ASKADD, T_ADD, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
    CloseHandle(f);
    return 0;
  }
  RaruSettings s = load();
  putfield(hdr, SLF_OFF_OWNER, 24, s.userName);
  putfield(hdr, SLF_OFF_PASSWORD, 20, s.cryptPassword);
  const bool written = writehead(f, hdr);
  CloseHandle(f);
  if (!written) {
    warn(dlg, M_CANTADD, T_ADD);
    return 0;
  }
  if (s.groupCode[0] == 0 && hdr[SLF_OFF_GROUP] != 0) {
    std::memset(s.groupCode, 0, sizeof s.groupCode);
    raru_copycut(s.groupCode, sizeof s.groupCode, reinterpret_cast<const char *>(hdr + SLF_OFF_GROUP), 20);
    store(s);
    Raru_RegWriteGroup();
  }
  EndDialog(dlg, 1);
  return 1;
}

INT_PTR CALLBACK Raru_AddRaruDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  static const ListLayout layout = {IDC_AD_LIST,
                                    0,
                                    1,
                                    2,
                                    {IDC_AD_FILE, IDC_AD_NAME, 0, IDC_AD_LEVEL},
                                    IDC_AD_PREVIEW,
                                    {{200, "ファイル名"}, {140, "印鑑名"}, {70, "権限レベル"}, {0, nullptr}},
                                    3};
  SealList &l = Adder;
  switch (msg) {
  case WM_INITDIALOG:
    initlist(l, dlg, layout);
    if (addfill(dlg) == 0) {
      warn(dlg, M_NOSEAL, T_ADD);
      EndDialog(dlg, -1);
      return TRUE;
    }
    select(l, 0);
    showrow(l, 0);
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wp) == IDC_AD_ADD) {
      Raru_ApplyAddRaru(dlg);
      return TRUE;
    }
    break;
  }
  const INT_PTR r = listmsg(l, dlg, msg, wp, lp);
  return r < 0 ? FALSE : r;
}

// --- stamping confirmation --------------------------------------------------------

INT_PTR CALLBACK Raru_ConfirmDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
  case WM_INITDIALOG: {
    RaruSettings s = load();
    Raru_SysListFolder('W', s.sealFolder);
    Raru_SysPreviewFile('W', s.defaultFile);
    return TRUE;
  }
  case WM_COMMAND:
    if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
      EndDialog(dlg, LOWORD(wp) == IDOK ? 1 : -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}
