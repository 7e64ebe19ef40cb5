#include "shell/units/help.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "settings/msgout.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "settings/appwin.h"

namespace {

struct HelpRow {
  const char *file;
  int path;
  UINT command;
};
const HelpRow editor_rows[3] = {{"INKFORGE.chm", 6, 0}, {"SUPPORT.chm", 6, 0}, {"winhelp.hlp", 31, 4}};
const HelpRow cad_rows[3] = {{"KIVOLANT_HLP.chm", 6, 0}, {"SUPPORT.chm", 6, 0}, {"winhelp.hlp", 31, 4}};
int help_current = -1;

using HtmlHelpFn = HWND(WINAPI *)(HWND, LPCSTR, UINT, DWORD_PTR);
HtmlHelpFn html_help() {
  static HMODULE lib = LoadLibraryA("hhctrl.ocx");
  return lib ? reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void *>(GetProcAddress(lib, "HtmlHelpA"))) : nullptr;
}

// No help file ships: a file that is not there is said on the board, never opened.
HWND WINAPI real_viewer(HWND owner, LPCSTR path, UINT command, DWORD_PTR data) {
  if (path && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    const char *name = std::strrchr(path, '\\');
    msg_board(1, "[%s]ヘルプ無し", name ? name + 1 : path);
    return nullptr;
  }
  HtmlHelpFn f = html_help();
  return f ? f(owner, path, command, data) : nullptr;
}

HlpViewer viewer = real_viewer;

int open_row(const HelpRow *rows, int mode) {
  if (mode >= 1 && mode <= 3) {
    help_current = mode - 1;
    const HelpRow &r = rows[help_current];
    char dir[262] = "", path[540];
    sys_path('R', r.path, dir);
    std::snprintf(path, sizeof path, "%s%s", dir, r.file);
    viewer(GetDesktopWindow(), path, r.command, 0);
    return 1;
  }
  if (mode == 4 && help_current >= 0) {
    viewer(nullptr, nullptr, 18 /* HH_CLOSE_ALL */, 0);
    return 1;
  }
  return 0;
}

} // namespace

void hlp_setviewer(HlpViewer v) { viewer = v ? v : real_viewer; }
int hlp_open(HWND, int mode) { return open_row(editor_rows, mode); }
int hlp_opencad(HWND, int mode) { return open_row(cad_rows, mode); }

int hlp_none() {
  msg_board(1, "[%s]ヘルプ無し", HelpStepName);
  return 0;
}

int about_version(const char *path, char *version, char *copyright) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (!size)
    return 1;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data()))
    return 1;
  char *value = nullptr;
  UINT len = 0;
  std::snprintf(version, 262, "Version ");
  if (VerQueryValueA(data.data(), "\\StringFileInfo\\041104b0\\ProductVersion", reinterpret_cast<void **>(&value),
                     &len) &&
      len)
    std::snprintf(version, 262, "Version %s", value);
  WIN32_FILE_ATTRIBUTE_DATA fa;
  if (GetFileAttributesExA(path, GetFileExInfoStandard, &fa)) {
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&fa.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &st);
    const size_t n = std::strlen(version);
    std::snprintf(version + n, 262 - n, " (%4d/%02d/%02d)", st.wYear, st.wMonth, st.wDay);
  }
  if (VerQueryValueA(data.data(), "\\StringFileInfo\\041104b0\\LegalCopyright", reinterpret_cast<void **>(&value),
                     &len) &&
      len)
    std::snprintf(copyright, 262, "%s", value);
  return 0;
}

INT_PTR CALLBACK about_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (HBRUSH b = win_ctlcolor(dlg, msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)))
    return reinterpret_cast<INT_PTR>(b);
  switch (msg) {
  case WM_INITDIALOG: {
    SetClassLongPtrA(dlg, GCLP_HICON, reinterpret_cast<LONG_PTR>(LoadIconA(app_hinst(), MAKEINTRESOURCEA(111))));
    win_center(dlg, 1);
    char path[262] = "", version[262] = "", copyright[262] = "";
    GetModuleFileNameA(app_hinst(), path, sizeof path);
    if (about_version(path, version, copyright) == 0) {
      SetDlgItemTextA(dlg, 1061, version);
      if (copyright[0])
        SetDlgItemTextA(dlg, 1062, copyright);
    }
    return TRUE;
  }
  case WM_COMMAND:
    if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
      EndDialog(dlg, 1);
      return TRUE;
    }
    return FALSE;
  default:
    return FALSE;
  }
}
