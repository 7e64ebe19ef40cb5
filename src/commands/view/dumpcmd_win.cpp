#include "commands/view/dumpcmd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "database/store.h"
#include "display/elements/elmdisp.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "select/filter.h"
#include "select/pick.h"
#include "select/popup.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "settings/appwin.h"

DumpStateRecord DumpState = {0, DMP_ALLKINDS, 1, 0, 0, {0, 0, 0}, 0};

namespace {

enum : int {
  ID_CANCEL = 2,
  ID_DWG = 1002,
  ID_START = 1004,
  ID_JUMP = 1005,
  ID_DETAIL = 1006,
  ID_KIND0 = 1015, // ..1020
  ID_LIST = 1021,
  ID_ELEM = 1901,
  ID_GIVEN = 1902,
  ID_PREV = 1903,
  ID_NEXT = 1904,
  ID_PARENT = 1905,
  ID_CHILD = 1906,
  ID_NEXTLINK = 1907,
  ID_LINE0 = 1908, // ..1925
};

uint32_t count1(int dwg) { return dwg == 0 || dwg == 1 ? DbCtl[dwg].count1 : 0; }
bool in_area1(int dwg, int64_t n) { return n >= 1 && n <= int64_t(count1(dwg)); }

void set_number(HWND dlg, int id, int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", int(n));
  SetDlgItemTextA(dlg, id, buf);
}

bool is_elemdlg(HWND dlg) { return GetDlgItem(dlg, ID_ELEM) != nullptr; }

uint32_t read_mask(HWND dlg) {
  uint32_t mask = 0;
  for (int i = 0; i < 6; i++)
    if (IsDlgButtonChecked(dlg, ID_KIND0 + i) == BST_CHECKED)
      mask |= 1u << i;
  return mask;
}

void run_elemdlg(HWND owner, int dwg, int32_t elem) {
  uint32_t rec[2] = {uint32_t(dwg), uint32_t(elem)};
  DialogBoxParamA(app_hinst(), MAKEINTRESOURCEA(DMP_ELEMDLG), owner, dmp_elemdlg, reinterpret_cast<LPARAM>(rec));
}

// The element at the start of the selected list line (its first decimal number).
void open_selected(HWND dlg) {
  HWND list = GetDlgItem(dlg, ID_LIST);
  const LRESULT sel = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (sel == LB_ERR || SendMessageA(list, LB_GETTEXTLEN, sel, 0) >= DMP_LINESIZE)
    return;
  char line[DMP_LINESIZE] = "";
  SendMessageA(list, LB_GETTEXT, sel, reinterpret_cast<LPARAM>(line));
  const char *p = line;
  while (*p && (*p < '0' || *p > '9'))
    p++;
  const long n = std::strtol(p, nullptr, 10);
  if (in_area1(DumpState.listdwg, n))
    run_elemdlg(dlg, DumpState.listdwg, int32_t(n));
}

void move_to(HWND dlg, int64_t n) {
  DumpState.elem = int32_t(n);
  set_number(dlg, ID_ELEM, DumpState.elem);
  ElementRecord rec;
  dmp_show(dlg, DumpState.elemdwg, DumpState.elem, &rec);
}

// Draws the element in every open view of its drawing in colour (-1: its own).
void draw_element(int dwg, int32_t n, int32_t colour) {
  const int old = dwg_setcur(dwg);
  dsp_elms(vew_mask(dwg), 0xFFFF, colour, uint32_t(n), 0);
  dwg_setcur(old);
}

} // namespace

int dmp_read(int dwg, int32_t elem, ElementRecord *buf) {
  if (dwg < 0 || dwg > 1)
    return 1;
  const ElementRecord *r = dtb_get(dwg, elem);
  if (!r)
    return 1;
  std::memcpy(buf, r, sizeof *buf);
  return 0;
}

void dmp_fill(HWND dlg) {
  HWND list = GetDlgItem(dlg, ID_LIST);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  dmp_listlines(DumpState.listdwg, DumpState.liststart, DumpState.listmask,
                [list](const char *line) { SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line)); });
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void dmp_show(HWND dlg, int dwg, int32_t elem, ElementRecord *rec) {
  if (dmp_read(dwg, elem, rec) != 0) {
    msg_disp(4, 0, 0, 0, MSG_LITERAL, " ** DTB READ ERROR dbno=%d elemno=%d **", dwg, int(elem));
    return;
  }
  DumpLines lines;
  dmp_elemlines(*rec, lines, DumpState.links);
  for (int i = 0; i < DMP_LINES; i++)
    SetDlgItemTextA(dlg, ID_LINE0 + i, lines.text[i]);
  DumpState.line = DMP_LINES;
  const bool cont = rec->flags & ELM_CONT;
  if (!cont && (rec->kind == PNT || rec->kind == LIN || rec->kind == ARC || rec->kind == CHR)) {
    uint16_t cm[20] = {};
    sys_colmap('r', cm);
    draw_element(dwg, elem, cm[13]);
    sys_delay(500);
    draw_element(dwg, elem, -1);
  }
}

int dmp_goto(HWND dlg) {
  const bool elem = is_elemdlg(dlg);
  const int id = elem ? ID_ELEM : ID_START;
  const int dwg = elem ? DumpState.elemdwg : DumpState.listdwg;
  int32_t &value = elem ? DumpState.elem : DumpState.liststart;
  char text[DMP_LINESIZE + 1] = "";
  GetDlgItemTextA(dlg, id, text, DMP_LINESIZE);
  int32_t n;
  const int ok = dmp_number(text, count1(dwg), &n);
  if (ok)
    value = n;
  set_number(dlg, id, value);
  return ok;
}

INT_PTR CALLBACK dmp_listdlg(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
  case WM_INITDIALOG: {
    DumpState.listdwg = dwg_cur();
    DumpState.listmask = DMP_ALLKINDS;
    DumpState.liststart = 1;
    HWND combo = GetDlgItem(dlg, ID_DWG);
    for (int d = 0; d < 2; d++) {
      char text[16];
      std::snprintf(text, sizeof text, "DBNO %d", d);
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(combo, CB_SETCURSEL, WPARAM(DumpState.listdwg), 0);
    for (int i = 0; i < 6; i++)
      CheckDlgButton(dlg, ID_KIND0 + i, (DumpState.listmask >> i) & 1 ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dlg, ID_START, EM_LIMITTEXT, 6, 0);
    set_number(dlg, ID_START, DumpState.liststart);
    dmp_fill(dlg);
    return TRUE;
  }
  case WM_COMMAND: {
    const int id = LOWORD(wp), code = HIWORD(wp);
    if (id == ID_DWG && code == CBN_CLOSEUP) {
      const LRESULT sel = SendDlgItemMessageA(dlg, ID_DWG, CB_GETCURSEL, 0, 0);
      if ((sel == 0 || sel == 1) && sel != DumpState.listdwg) {
        DumpState.listdwg = int32_t(sel);
        dmp_fill(dlg);
      }
    } else if (id == ID_JUMP) {
      if (dmp_goto(dlg))
        dmp_fill(dlg);
      SetFocus(GetDlgItem(dlg, ID_START));
    } else if (id >= ID_KIND0 && id < ID_KIND0 + 6) {
      const uint32_t mask = read_mask(dlg);
      if (mask != DumpState.listmask) {
        DumpState.listmask = mask;
        dmp_fill(dlg);
      }
    } else if (id == ID_DETAIL || (id == ID_LIST && code == LBN_DBLCLK)) {
      open_selected(dlg);
    } else if (id == ID_CANCEL) {
      EndDialog(dlg, 0);
    }
    return TRUE;
  }
  default:
    return FALSE;
  }
}

INT_PTR CALLBACK dmp_elemdlg(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_INITDIALOG: {
    const auto *rec = reinterpret_cast<const uint32_t *>(lp);
    DumpState.elemdwg = int32_t(rec[0]);
    DumpState.elem = int32_t(rec[1]);
    DumpState.links = {0, 0, 0};
    SendDlgItemMessageA(dlg, ID_ELEM, EM_LIMITTEXT, 6, 0);
    move_to(dlg, DumpState.elem);
    return TRUE;
  }
  case WM_COMMAND: {
    const int id = LOWORD(wp);
    const int dwg = DumpState.elemdwg;
    const int64_t elem = DumpState.elem;
    const DumpLinks &l = DumpState.links;
    ElementRecord rec;
    switch (id) {
    case ID_GIVEN:
    case IDOK:
      if (dmp_goto(dlg))
        dmp_show(dlg, dwg, DumpState.elem, &rec);
      break;
    case ID_PREV:
      if (elem - 1 >= 1)
        move_to(dlg, elem - 1);
      break;
    case ID_NEXT:
      if (elem + 1 <= int64_t(count1(dwg)))
        move_to(dlg, elem + 1);
      break;
    case ID_PARENT:
      if (in_area1(dwg, l.parent))
        move_to(dlg, l.parent);
      break;
    case ID_CHILD:
      if (in_area1(dwg, l.child))
        move_to(dlg, l.child);
      break;
    case ID_NEXTLINK:
      if (l.next >= 1 && l.next <= 10000)
        move_to(dlg, l.next);
      break;
    case ID_CANCEL:
      EndDialog(dlg, 0);
      break;
    }
    return TRUE;
  }
  default:
    return FALSE;
  }
}

int dmp_cmd() {
  std::string path = sys_pathraw(6) ? sys_pathraw(6) : "";
  if (!path.empty() && path.back() != '\\' && path.back() != '/')
    path += '\\';
  path += "RERUVEVA.MSG";
  if (dmp_msgload(0, path.c_str()) != MSG_OK) {
    dmp_msgload(2, nullptr);
    return 700;
  }
  const ElementFilter filter = ElmFilter;
  int result = 700;
  for (bool menu = true; menu;) {
    msg_disp(1, 0, 1, 1, MSG_LITERAL, "ダンプの種類を選択してください");
    const int key = selm_menu(31906, "1:ﾘｽﾄﾀﾞﾝﾌﾟ 2:要素指定ﾀﾞﾝﾌﾟ 3:ｵﾌﾞｼﾞｪｸﾄﾘｽﾄ 9:終了", "1239");
    msg_disp(1, 128, 1, 1, 0);
    if (key == '1') {
      DialogBoxParamA(app_hinst(), MAKEINTRESOURCEA(DMP_LISTDLG), app_hmain(), dmp_listdlg, 0);
    } else if (key == '2') {
      for (;;) {
        pck_filter(0x800F, 0, 0, 0);
        int32_t dwg = -1, elem = 0;
        double x = 0, y = 0;
        const int code = pck_elem(5315, 1023, &dwg, &x, &y, &elem);
        if (code == 500 || code == 13) {
          if (in_area1(dwg, elem))
            run_elemdlg(app_hmain(), dwg, elem);
        } else if (code == 27 || code == 501 || code == 700) {
          break; // 700: nothing can be picked; asking again would never end
        } else if (code == 800) {
          result = 800;
          menu = false;
          break;
        }
      }
    } else if (key == '9' || key == 27 || key == 501 || key == 700 || key == 800 || key < 0) {
      // 700, 800 and failures: the menu cannot be asked again.
      if (key == 800)
        result = 800;
      menu = false;
    }
  }
  ElmFilter = filter;
  dmp_msgload(2, nullptr);
  return result;
}
