// Fixtures of the dialog tests: the plug-in's folder with its settings, a seal
// folder of fixtures, and helpers that read the dialogs back.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "../common/pngwrite.h"
#include "../common/screencap.h"
#include "display/fonts/fontfile.h"
#include "dlgpilot.h"
#include "plugin/rarustr.h"
#include "settings/answers.h"
#include "plugin/rarudlg.h"
#include "plugwork.h"
#include "sealfile.h"

namespace dlgwork {

using namespace pilot;

inline const char T_FIRST[] = "使用者名設定";
inline const char T_PASS[] = "パスワード入力";
inline const char M_BADCHAR[] = "使用できない文字が使われています。";
inline const char M_NOTSAME[] = "同じパスワードではありません。";
inline const char M_BADUSER[] = "使用者名が違います。";
inline const char M_BADPASS[] = "パスワードが違います。";
inline const char T_CONFIG[] = "設定";
inline const char T_UC[] = "使用者名変更";
inline const char T_PC[] = "パスワード変更";
inline const char T_CHOOSER[] = "通常使う印鑑の選択";
inline const char T_ADD[] = "使用する印鑑の追加";
inline const char T_CONFIRM[] = "押印の確認";
inline const char M_NOSEAL[] = "追加できる印鑑がありません。";
inline const char M_CANTADD[] = "この印鑑は登録することができません。";
inline const char M_ASKADD[] = "印鑑を追加しますか。";

inline std::string encrypt(const char *pw) {
  char out[20] = {};
  KlhEncryptPasswd(pw, out);
  return out;
}

inline std::string padded(const std::string &s, std::size_t n) {
  std::string r = s;
  r.resize(n, '\0');
  return r;
}

// Focus on the field and all of its text selected.
inline void expect_selected(HWND dlg, int id) {
  HWND f = GetDlgItem(dlg, id);
  EXPECT_EQ(GetFocus(), f) << "field " << id << " has not the focus";
  DWORD a = 0, b = 0;
  SendMessageA(f, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, DWORD(GetWindowTextLengthA(f)));
}


class Dialogs : public PluginWork {
protected:
  void SetUp() override {
    PluginWork::SetUp();
    Raru_ReadConfig();
  }
  // A user as the gate leaves it: name and password in the settings and the mirror.
  void user(const char *name, const char *password) {
    RaruSettings s = settings();
    std::memset(s.userName, 0, sizeof s.userName);
    std::memset(s.regUserName, 0, sizeof s.regUserName);
    std::strcpy(s.userName, name);
    std::strcpy(s.regUserName, name);
    const std::string enc = encrypt(password);
    std::memset(s.cryptPassword, 0, 20);
    std::memset(s.regCryptPassword, 0, 20);
    std::strcpy(s.cryptPassword, enc.c_str());
    std::strcpy(s.regCryptPassword, enc.c_str());
    Raru_SysSettings('W', &s);
  }
  static INT_PTR open(int id, Pilot &p) {
    const INT_PTR r = Raru_Dialog(id, nullptr);
    EXPECT_TRUE(p.done()) << "dialog " << id << " closed at step " << p.at();
    return r;
  }
};

// --- seal folders ----------------------------------------------------------------------

inline std::vector<uint8_t> readall(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Offsets where two files differ.
inline std::vector<int> diff(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b) {
  std::vector<int> d;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); i++)
    if (i >= a.size() || i >= b.size() || a[i] != b[i])
      d.push_back(int(i));
  return d;
}
inline bool inside(const std::vector<int> &d, int from, int to) {
  for (int i : d)
    if (i < from || i > to)
      return false;
  return !d.empty();
}

inline std::vector<uint8_t> seal(const char *owner, const std::string &password, int level = 0, const char *group = "",
                          const char *name = "seal") {
  SealBuilder b;
  b.outline(2, 0, 0, 12, 12).arc(0, 0, 12, 0, 360).line(-8, 0, 8, 0);
  b.owner(owner, password.c_str(), level, name);
  std::memcpy(b.head.data() + SLF_OFF_GROUP, group, std::strlen(group));
  // Bytes after the fields' terminators are not ours to touch.
  for (int i = 184; i < 256; i++)
    b.head[i] = uint8_t(i);
  return b.bytes();
}

// A seal folder beside the plug-in's folder and the list folder of the dialogs.
class Seals : public Dialogs {
protected:
  std::string seals;
  void SetUp() override {
    Dialogs::SetUp();
    seals = folder() + "\\seals";
    std::filesystem::create_directories(seals);
    RaruSettings s = settings();
    std::strcpy(s.sealFolder, seals.c_str());
    Raru_SysSettings('W', &s);
    char list[262] = {};
    std::strcpy(list, seals.c_str());
    Raru_SysListFolder('W', list);
  }
  std::string sealpath(const char *name) const { return seals + "\\" + name; }
  void put(const char *name, const std::vector<uint8_t> &bytes) const {
    std::ofstream f(sealpath(name), std::ios::binary);
    f.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<uint8_t> get(const char *name) const { return readall(sealpath(name)); }
};

// The list's rows as "mark|file|name|level" (chooser) or "file|name|level".
inline std::vector<std::string> listrows(HWND dlg, int id, int cols) {
  HWND l = GetDlgItem(dlg, id);
  std::vector<std::string> out;
  const int n = int(SendMessageA(l, LVM_GETITEMCOUNT, 0, 0));
  for (int r = 0; r < n; r++) {
    std::string row;
    for (int c = 0; c < cols; c++) {
      char buf[300] = {};
      LVITEMA it = {};
      it.iSubItem = c;
      it.pszText = buf;
      it.cchTextMax = sizeof buf;
      SendMessageA(l, LVM_GETITEMTEXTA, WPARAM(r), reinterpret_cast<LPARAM>(&it));
      row += (c ? "|" : "") + std::string(buf);
    }
    out.push_back(row);
  }
  return out;
}
inline int selrow(HWND dlg, int id) {
  return int(SendMessageA(GetDlgItem(dlg, id), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}
inline void selectrow(HWND dlg, int id, int row) {
  LVITEMA it = {};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(GetDlgItem(dlg, id), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&it));
}
inline std::string field(HWND dlg, int id) {
  char buf[300] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}
inline void click(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

inline void snapshot(HWND dlg, const char *name) {
  // Everything painted anew, and the X server's exposures settled.
  RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  for (int i = 0; i < 10; i++) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
    Sleep(20);
  }
  UpdateWindow(dlg);
  RECT r;
  std::vector<uint32_t> px = screen_capture(dlg, r);
  const std::string png = std::string(INK_PICTURE_DIR) + "/" + name;
  EXPECT_TRUE(write_png(png.c_str(), r.right - r.left, r.bottom - r.top, px)) << png;
}

} // namespace dlgwork
