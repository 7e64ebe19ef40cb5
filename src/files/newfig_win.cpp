// The new-figure dialog: paper, scale and area lengths of a drawing's sheet, from a
// paper size, a typed size or a template's environment. It works on a copy of the
// environment and writes the drawing's only on OK.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/layers.h"
#include "display/view/view.h"
#include "files/dialogs.h"
#include "files/dlgcalc.h"
#include "files/scale.h"
#include "input/calc.h"
#include "input/keyin.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/syspath.h"
#include "settings/winutil.h"

namespace {

struct TemplateItem {
  std::string name;
  std::vector<uint8_t> header; // a DrawingEnvRecord image
};

struct State {
  NewFigParam *rec = nullptr;
  int dwg = 0;
  int paper = 3;
  int tpl = 0;
  bool tpllist = false;
  DrawingEnvRecord work{}; // the environment being set up
  std::vector<TemplateItem> items;
} S;

bool newmode() { return S.rec && S.rec->kind == 1; }

void show(HWND d, int id, const char *format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  SetDlgItemTextA(d, id, text);
}
void showint(HWND d, int id, int v) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", v);
  SetDlgItemTextA(d, id, text);
}

bool evaluate(HWND d, int id, double *v) {
  char text[127] = "";
  GetDlgItemTextA(d, id, text, sizeof text);
  const char *p = text;
  if (clc_eval(0, &p, v) != 0)
    return false;
  while (*p == ' ' || *p == '\t')
    p++;
  return *p == '\0';
}

bool readint(HWND d, int id, int *out) {
  double v;
  if (!evaluate(d, id, &v) || v < 1 || v > 32767 || v != double(int(v))) {
    edt_selall(d, id);
    return false;
  }
  *out = int(v);
  return true;
}

bool readlen(HWND d, int id, double *out) {
  if (!evaluate(d, id, out) || *out < 0.001 || *out > 99999999.0) {
    edt_selall(d, id);
    return false;
  }
  return true;
}

void setro(HWND d, bool ro) {
  SendDlgItemMessageA(d, 1010, EM_SETREADONLY, ro, 0);
  SendDlgItemMessageA(d, 1011, EM_SETREADONLY, ro, 0);
}

// The list's selection as a table index (its item data).
int selected(HWND d) {
  const LRESULT i = SendDlgItemMessageA(d, 1166, LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : int(SendDlgItemMessageA(d, 1166, LB_GETITEMDATA, WPARAM(i), 0));
}
void select(HWND d, int data) {
  const LRESULT n = SendDlgItemMessageA(d, 1166, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; i++)
    if (SendDlgItemMessageA(d, 1166, LB_GETITEMDATA, WPARAM(i), 0) == data)
      SendDlgItemMessageA(d, 1166, LB_SETCURSEL, WPARAM(i), 0);
}

void add(HWND d, const char *text, int data) {
  const LRESULT i = SendDlgItemMessageA(d, 1166, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  if (i >= 0)
    SendDlgItemMessageA(d, 1166, LB_SETITEMDATA, WPARAM(i), LPARAM(data));
}

void show_values(HWND d, int num, int den, double pw, double ph, double aw, double ah) {
  showint(d, 1133, num);
  showint(d, 1134, den);
  show(d, 1010, "%8.6lf", pw);
  show(d, 1011, "%8.6lf", ph);
  show(d, 1171, "%8.6lf", aw);
  show(d, 1172, "%8.6lf", ah);
}

void papers(HWND d) {
  SendDlgItemMessageA(d, 1166, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < DLG_PAPERS; i++) {
    char name[128] = "", text[200];
    if (!LoadStringA(GetModuleHandleA(nullptr), UINT(PaperTable[i].string), name, sizeof name))
      std::snprintf(name, sizeof name, "%s", PaperTable[i].name);
    if (i == DLG_CUSTOM)
      std::snprintf(text, sizeof text, "%s", name);
    else
      std::snprintf(text, sizeof text, "%s (%4.1lf*%4.1lf)", name, PaperTable[i].width, PaperTable[i].height);
    add(d, text, i);
  }
  setro(d, S.paper != DLG_CUSTOM);
  int num = 1, den = 1;
  double pw, ph, aw, ah;
  if (newmode()) {
    sys_dwgenv('R', S.dwg, &S.work);
    std::memset(&S.work.sheet, 0, offsetof(SheetRecord, rest));
    S.work.sheet.width = PaperTable[S.paper].width;
    S.work.sheet.height = PaperTable[S.paper].height;
    S.work.sheet.num = S.work.sheet.den = 1;
    pw = aw = S.work.sheet.width;
    ph = ah = S.work.sheet.height;
  } else {
    const SheetRecord &sh = S.rec->env.sheet;
    S.paper = dlg_nfmatch(sh);
    num = sh.num > 0 ? sh.num : 1;
    den = sh.den > 0 ? sh.den : 1;
    aw = sh.width;
    ah = sh.height;
    if (S.paper == DLG_CUSTOM)
      pw = double(num) / den * aw, ph = double(num) / den * ah;
    else
      pw = PaperTable[S.paper].width, ph = PaperTable[S.paper].height;
  }
  select(d, S.paper);
  show_values(d, num, den, pw, ph, aw, ah);
  SendDlgItemMessageA(d, 1133, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessageA(d, 1134, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessageA(d, 1010, EM_LIMITTEXT, 15, 0);
  SendDlgItemMessageA(d, 1011, EM_LIMITTEXT, 15, 0);
}

std::string tplfolder() {
  char folder[262] = "";
  if (sys_path('R', 10, folder) != 0 || !folder[0])
    GetCurrentDirectoryA(sizeof folder, folder);
  std::string f = folder;
  if (!f.empty() && f.back() != '\\')
    f += '\\';
  return f;
}

// Reads one template file: its whole header when it is a template.
bool readtpl(const std::string &path, TemplateItem *item) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  item->header.assign(sizeof(DrawingEnvRecord), 0);
  DWORD got = 0;
  const BOOL ok = ReadFile(h, item->header.data(), DWORD(item->header.size()), &got, nullptr);
  CloseHandle(h);
  if (!ok || !dlg_nfhdrok(item->header.data(), got))
    return false;
  auto *env = reinterpret_cast<DrawingEnvRecord *>(item->header.data());
  lay_check(env->laynames);
  return true;
}

void tplshow(HWND d) {
  setro(d, true);
  if (S.tpl < 0 || S.tpl >= int(S.items.size()))
    return;
  DrawingEnvRecord env;
  std::memcpy(&env, S.items[size_t(S.tpl)].header.data(), sizeof env);
  const int num = env.sheet.num > 0 ? env.sheet.num : 1, den = env.sheet.den > 0 ? env.sheet.den : 1;
  const double aw = env.sheet.width, ah = env.sheet.height;
  show_values(d, num, den, double(num) / den * aw, double(num) / den * ah, aw, ah);
  S.work = env;
}

void templates(HWND d) {
  SendDlgItemMessageA(d, 1166, LB_RESETCONTENT, 0, 0);
  S.items.clear();
  const std::string folder = tplfolder();
  WIN32_FIND_DATAA f;
  HANDLE find = FindFirstFileA((folder + "*.ET").c_str(), &f);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const DWORD a = f.dwFileAttributes;
      if (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY))
        continue;
      const std::string name = f.cFileName[0] ? f.cFileName : f.cAlternateFileName;
      TemplateItem item;
      item.name = name;
      if (!readtpl(folder + name, &item))
        break; // the first bad file ends the listing
      S.items.push_back(std::move(item));
      add(d, name.c_str(), int(S.items.size() - 1));
    } while (FindNextFileA(find, &f));
    FindClose(find);
  }
  select(d, S.tpl);
  tplshow(d);
}

struct Values {
  int num, den;
  double pw, ph, aw, ah;
};

// Reads, checks and shows the values; false (a field focused) when one is bad.
bool calc(HWND d, bool changed, Values *v) {
  if (!readint(d, 1133, &v->num) || !readint(d, 1134, &v->den))
    return false;
  double scale = double(v->num) / v->den;
  if (S.tpllist) {
    setro(d, true);
    if (!readlen(d, 1010, &v->pw) || !readlen(d, 1011, &v->ph))
      return false;
    if (changed && S.tpl >= 0 && S.tpl < int(S.items.size())) {
      DrawingEnvRecord env;
      std::memcpy(&env, S.items[size_t(S.tpl)].header.data(), sizeof env);
      v->num = env.sheet.num > 0 ? env.sheet.num : 1;
      v->den = env.sheet.den > 0 ? env.sheet.den : 1;
      scale = double(v->num) / v->den;
      v->aw = env.sheet.width, v->ah = env.sheet.height;
      v->pw = scale * v->aw, v->ph = scale * v->ah;
    } else {
      v->aw = v->pw / scale, v->ah = v->ph / scale;
    }
  } else if (S.paper == DLG_CUSTOM) {
    setro(d, false);
    if (changed) {
      show(d, 1010, "%8.6lf", 0.0);
      show(d, 1011, "%8.6lf", 0.0);
    }
    if (!readlen(d, 1010, &v->pw) || !readlen(d, 1011, &v->ph))
      return false;
    v->aw = v->pw / scale, v->ah = v->ph / scale;
  } else {
    setro(d, true);
    v->pw = PaperTable[S.paper].width, v->ph = PaperTable[S.paper].height;
    v->aw = v->pw / scale, v->ah = v->ph / scale;
  }
  show_values(d, v->num, v->den, v->pw, v->ph, v->aw, v->ah);
  double aw, ah;
  if (dlg_nfarea(v->pw, v->ph, v->num, v->den, &aw, &ah) != 0) {
    edt_selall(d, v->den > v->num ? 1134 : 1133);
    return false;
  }
  return true;
}

bool oknew(HWND d) {
  Values v{};
  if (!calc(d, false, &v))
    return false;
  for (int part : {2, 3, 4, 8})
    prf_read(part, 1u << S.dwg);
  DrawingEnvRecord env = S.work;
  if (!S.tpllist)
    env.sheet.scale = 1.0;
  const double old = env.sheet.scale > 0 ? env.sheet.scale : 1.0;
  const double scale = double(v.num) / v.den;
  env.sheet.num = int16_t(v.num);
  env.sheet.den = int16_t(v.den);
  env.sheet.scale = scale;
  S.rec->rescale = scale / old;
  env.sheet.width = v.pw / scale;
  env.sheet.height = v.ph / scale;
  if (S.dwg != dwg_cur()) {
    CharAttrs c{};
    sys_chratr('R', &c);
    env.chr.attr = uint16_t((env.chr.attr & ~0x0E00u) | (c.attr & 0x0E00u));
  }
  if (!S.tpllist) {
    scl_div3(&env.chr.height, scale);
    scl_divrec(&env.dim, scale);
  } else {
    scl_div3(&env.chr.height, S.rec->rescale);
    scl_divrec(&env.dim, S.rec->rescale);
    const std::string path = tplfolder() + S.items[size_t(S.tpl)].name;
    std::snprintf(S.rec->tplpath, sizeof S.rec->tplpath, "%s", path.size() < sizeof S.rec->tplpath ? path.c_str() : "");
    dlg_nfratios(env.scales, v.num, v.den);
  }
  S.rec->env = env;
  sys_dwgenv('W', S.dwg, &env);
  dlg_nfprf('W', &S.paper);
  return true;
}

bool okarea(HWND d) {
  Values v{};
  if (!calc(d, false, &v))
    return false;
  SheetRecord &sh = S.rec->env.sheet;
  sh.num = int16_t(v.num);
  sh.den = int16_t(v.den);
  sh.scale = double(v.num) / v.den;
  sh.width = v.pw / sh.scale;
  sh.height = v.ph / sh.scale;
  return true;
}

void accept(HWND d) {
  if (newmode() ? oknew(d) : okarea(d)) {
    S.items.clear();
    EndDialog(d, 0);
  }
}

} // namespace

int dlg_nfprf(int op, int *index) {
  if (op == 'R' || op == 'r') {
    *index = dlg_nfindex(long(GetPrivateProfileIntA("NEWFIGINFO", "PAPERSIZE_INDEX", 3, prf_path())));
  } else if (op == 'W' || op == 'w') {
    char text[16];
    std::snprintf(text, sizeof text, "%d", *index);
    WritePrivateProfileStringA("NEWFIGINFO", "PAPERSIZE_INDEX", text, prf_path());
  }
  return 0;
}

INT_PTR CALLBACK dlg_nfproc(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (INT_PTR b = reinterpret_cast<INT_PTR>(
          win_ctlcolor(d, m, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp))))
    return b;
  switch (m) {
  case WM_INITDIALOG:
    S = State{};
    S.rec = reinterpret_cast<NewFigParam *>(lp);
    if (!S.rec) {
      EndDialog(d, -1);
      return TRUE;
    }
    S.dwg = S.rec->dwg <= 1 ? int(S.rec->dwg) : 0;
    if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(111)))
      SetClassLongPtrA(d, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    dlg_nfprf('R', &S.paper);
    if (!newmode()) {
      EnableWindow(GetDlgItem(d, 1167), FALSE);
      EnableWindow(GetDlgItem(d, 1168), FALSE);
      char title[64] = "";
      if (LoadStringA(GetModuleHandleA(nullptr), 124, title, sizeof title))
        SetWindowTextA(d, title);
    } else {
      S.rec->tplpath[0] = '\0';
      CheckRadioButton(d, 1167, 1168, 1167);
    }
    papers(d);
    win_center(d, 0);
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDOK: {
      const int focus = GetDlgCtrlID(GetFocus());
      Values v{};
      if (focus == 1133 || focus == 1134)
        calc(d, false, &v); // Enter in the scale recalculates
      else
        accept(d);
      return TRUE;
    }
    case 1135:
      accept(d);
      return TRUE;
    case IDCANCEL:
      S.items.clear();
      EndDialog(d, -1);
      return TRUE;
    case 1166:
      if (HIWORD(wp) == LBN_SELCHANGE) {
        const int sel = selected(d);
        if (sel >= 0) {
          if (S.tpllist) {
            S.tpl = sel;
            tplshow(d);
          } else {
            S.paper = sel;
          }
        }
        Values v{};
        calc(d, true, &v);
      }
      return TRUE;
    case 1167:
      if (S.tpllist) {
        S.items.clear();
        S.tpllist = false;
        papers(d);
      }
      return TRUE;
    case 1168:
      if (!S.tpllist) {
        S.tpllist = true;
        templates(d);
      }
      return TRUE;
    }
    break;
  }
  return FALSE;
}
