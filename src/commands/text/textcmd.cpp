#include "commands/text/textcmd.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "commands/cmdl/cmddlg.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/draw/drawcmd.h"
#include "commands/text/textrule.h"
#include "database/elements.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/marks/marklist.h"
#include "display/fonts/strdraw.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/dialogs.h"
#include "files/dlgfield.h"
#include "files/scale.h"
#include "geometry/text.h"
#include "input/calc.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/keyin.h"
#include "input/rubber.h"
#include "select/filter.h"
#include "select/pick.h"
#include "select/picksys.h"
#include "settings/answers.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/strutil.h"
#include "settings/winutil.h"
#include "settings/appwin.h"

namespace {

constexpr uint32_t ANY_DRAWING = 1023;
constexpr int OWN_COLOURS = -1;
constexpr int TEXT_EDIT = 1456, TEXT_EXPAND = 1457, DATE_SAMPLE = 1459, DATE_LIST = 1460;
constexpr int OK_TOO = 1135; // the accelerator id that acts as OK
constexpr int TEXT_READ = 130; // more than a valid text, so a long one is seen whole

// --- the dialog text ------------------------------------------------------------

char TxtText[TXT_MAXBYTES + 1];
int TxtMode;
int TxtExpand;

int DateChosen;
char DateText[20];

// Copies at most max bytes of text, never ending inside a double-byte character.
void copy_bounded(char *out, std::size_t max, const char *text) {
  std::size_t n = 0;
  while (text && text[n] && n < max) {
    const std::size_t step = sjis_islead(static_cast<unsigned char>(text[n])) && text[n + 1] ? 2 : 1;
    if (n + step > max)
      break;
    n += step;
  }
  if (n)
    std::memcpy(out, text, n);
  out[n] = 0;
}

bool accepted(int code) { return code == 500 || code == 13; }

int32_t pick_dwg(int32_t dwg) { return dwg == 0 || dwg == 1 ? dwg : dwg_cur(); }

int ask(int prompt, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *state) {
  msg_disp(1, 0, 0, 0, prompt);
  const int code = gcr_point(0, 0, mask, x, y, dwg, state);
  msg_disp(1, 128, 0, 0, prompt);
  return code;
}

// The horizontal base (word 1) and font (word 2) of input kind 6 from the drawing's
// character attributes.
void kind6_from_attrs() {
  CharAttrs ca{};
  sys_chratr('r', &ca);
  uint32_t rec[INP_KINDWORDS] = {};
  inp_kind('r', 6, rec);
  rec[1] = (ca.attr >> 7) & 3u;
  rec[2] = (ca.attr >> 9) & 7u;
  inp_kind('w', 6, rec);
}

// Pen 3, bit 4 and the vertical base from the attributes, horizontal base and font
// from input kind 6.
uint16_t text_attr(const CharAttrs &ca) {
  uint32_t rec[INP_KINDWORDS] = {};
  inp_kind('r', 6, rec);
  return uint16_t(3u | (ca.attr & 0x70u) | (rec[1] & 3u) << 7 | (rec[2] & 7u) << 9);
}

// The frame of text at angle 0 about (0, 0), with the current drawing's attributes.
bool text_frame(const char *text, GuideShape box[5]) {
  CharAttrs ca{};
  sys_chratr('r', &ca);
  static ChrLayout lay;
  chr_layout(0, text_attr(ca), ca.height, ca.width, ca.spacing, text, &lay, nullptr);
  return txt_box(text_attr(ca), lay.width, lay.height, 0, 0, 0, box) == 0;
}

// The CHR record of a text placed at (x, y) in the current drawing: 0, or 700 when
// the attributes cannot be read.
int32_t text_record(double x, double y, const char *text, ElementRecord *r) {
  CharAttrs ca{};
  if (sys_chratr('r', &ca) != 0)
    return 700;
  uint16_t layer = 0;
  sys_layer('r', dwg_cur(), &layer, nullptr);
  std::memset(r, 0, sizeof *r);
  r->kind = CHR;
  r->layer = uint8_t(layer & 0xFF);
  r->chr.x = float(x), r->chr.y = float(y);
  r->chr.height = ca.height, r->chr.width = ca.width, r->chr.spacing = ca.spacing;
  r->chr.angle = 0;
  r->chr.slant = ca.slant;
  r->chr.attr = text_attr(ca);
  r->chr.count = int16_t(std::strlen(text));
  return 0;
}

// Ends a text command: marks and rubber band off.
int32_t finish(int32_t code) {
  mrk_list(5);
  rub_start(0);
  return code;
}

// Asks for the position of the frame of text. The code that ended the wait; with
// 500 or 13 the point and its drawing.
int frame_position(const char *text, double *x, double *y, int32_t *dwg, int32_t *state) {
  GuideShape box[5];
  const bool framed = text_frame(text, box);
  for (;;) {
    if (framed)
      rub_startlist(98, 0, 0, 0, box, 0);
    *dwg = -1;
    const int code = ask(8014, ANY_DRAWING, x, y, dwg, state);
    rub_start(0);
    if (code == 823)
      continue;
    if (accepted(code) || code == 27 || code >= 501)
      return code;
  }
}

// Places text at (x, y) of the drawing the point was given in, as a CHR or, with
// expand, as strokes. 0, 700 the attributes cannot be read or the expansion failed,
// 1010 the store is full.
int32_t place(int32_t dwg, double x, double y, const char *text, bool expand) {
  mrk_list(2, dwg, x, y);
  dwg = pick_dwg(dwg);
  const int previous = dwg_setcur(dwg);
  ElementRecord r;
  int32_t rc = text_record(x, y, text, &r);
  mrk_list(5);
  if (rc == 0) {
    und_pend(dwg);
    if (expand)
      rc = cm_textexp(dwg, r, text);
    else if (elm_add(dwg, 0, OWN_COLOURS, &r, text) < 1)
      rc = CMD_DBFAIL;
  }
  dwg_setcur(previous);
  return rc;
}

// --- dialogs --------------------------------------------------------------------

INT_PTR colour(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  return reinterpret_cast<INT_PTR>(win_ctlcolor(d, m, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
}

void text_okstate(HWND d) {
  EnableWindow(GetDlgItem(d, IDOK), GetWindowTextLengthA(GetDlgItem(d, TEXT_EDIT)) > 0);
}

bool text_ok(HWND d) {
  char typed[TEXT_READ] = "";
  GetDlgItemTextA(d, TEXT_EDIT, typed, sizeof typed);
  copy_bounded(TxtText, TXT_MAXBYTES, typed);
  if (txt_valid(typed) != 0) {
    edt_selall(d, TEXT_EDIT);
    return false;
  }
  TxtExpand = IsDlgButtonChecked(d, TEXT_EXPAND) == BST_CHECKED ? 1 : 0;
  return true;
}

void date_show(HWND d, int format) {
  int y = 0, m = 0, day = 0;
  date_today(&y, &m, &day);
  char sample[64];
  date_sample(format, y, m, day, sample, sizeof sample);
  SetDlgItemTextA(d, DATE_SAMPLE, sample);
}

// The whole text of an edit as one finite value.
bool evaluate(HWND d, int id, double *v) {
  char text[127] = "";
  GetDlgItemTextA(d, id, text, sizeof text);
  const char *p = text;
  if (clc_eval(0, &p, v) != 0)
    return false;
  while (*p == ' ' || *p == '\t')
    p++;
  return *p == '\0' && std::isfinite(*v);
}

constexpr int DEF_EDITS[3] = {1473, 1474, 1475};

bool chrdef_ok(HWND d) {
  const double low[3] = {0.001, 0.001, 0.0};
  double v[3];
  for (int i = 0; i < 3; i++) {
    if (!evaluate(d, DEF_EDITS[i], &v[i]) || v[i] < low[i] || v[i] > 1000) {
      edt_selall(d, DEF_EDITS[i]);
      return false;
    }
  }
  CharAttrs ca{};
  if (sys_chratr('r', &ca) != 0)
    return false;
  ca.height = float(v[0]), ca.width = float(v[1]), ca.spacing = float(v[2]);
  if (sys_chratr('w', &ca) != 0)
    return false;
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.heading = "確認ボックス";
  q.text = "システムファイルに書き込みますか？";
  q.flags = MB_OKCANCEL;
  q.owner = d;
  if (ui_ask(q, [](const UiQuestion &x) {
        return MessageBoxA(static_cast<HWND>(x.owner), x.text, x.heading, x.flags);
      }) == IDOK)
    prf_writ(3);
  return true;
}

// --- picking texts --------------------------------------------------------------

char PickedText[32768];

// Picks a text: 500 with its drawing, number and record (text in PickedText), or the
// code (27, 800) that ended the pick. Records that cannot be read show msg when it
// is not 0 and the pick repeats.
int pick_text(int32_t *dwg, int32_t *elem, ElementRecord *r, int msg) {
  for (;;) {
    pck_filter(8, 0, 0, 0);
    double x = 0, y = 0;
    *dwg = -1, *elem = -1;
    const int code = pck_elem(8300, 0, dwg, &x, &y, elem);
    if (code == 27 || code == 800)
      return code;
    if (code != 500 || *elem < 1)
      continue;
    *dwg = pick_dwg(*dwg);
    if (elm_read(*dwg, *elem, r, PickedText, sizeof PickedText) != 0 || (r->kind & 0x7FFF) != CHR) {
      if (msg)
        msg_err(msg);
      continue;
    }
    return 500;
  }
}

} // namespace

void txt_setmode(int mode) {
  if (mode == 0 || mode == 1)
    TxtMode = mode;
}
void txt_settext(const char *text) { copy_bounded(TxtText, TXT_MAXBYTES, text); }
void txt_gettext(char *out, std::size_t size) {
  if (out && size)
    copy_bounded(out, size - 1, TxtText);
}
int txt_expandflag() { return TxtExpand; }

INT_PTR CALLBACK txt_dlgproc(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (INT_PTR b = colour(d, m, wp, lp))
    return b;
  switch (m) {
  case WM_INITDIALOG:
    if (TxtMode == 1)
      SetWindowTextA(d, "修正");
    SendDlgItemMessageA(d, TEXT_EDIT, EM_LIMITTEXT, TXT_MAXBYTES, 0);
    CheckDlgButton(d, TEXT_EXPAND, TxtExpand ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(d, TEXT_EDIT, TxtText);
    text_okstate(d);
    win_center(d, 0);
    SetFocus(GetDlgItem(d, TEXT_EDIT));
    SendDlgItemMessageA(d, TEXT_EDIT, EM_SETSEL, 0, -1);
    return FALSE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case TEXT_EDIT:
      if (HIWORD(wp) == EN_CHANGE)
        text_okstate(d);
      return TRUE;
    case IDOK:
    case OK_TOO:
      if (text_ok(d))
        EndDialog(d, 0);
      return TRUE;
    case IDCANCEL:
      EndDialog(d, -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

int date_chosen() { return DateChosen; }
void date_gettext(char *out, std::size_t size) {
  if (out && size)
    copy_bounded(out, size - 1, DateText);
}

INT_PTR CALLBACK date_dlgproc(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (INT_PTR b = colour(d, m, wp, lp))
    return b;
  switch (m) {
  case WM_INITDIALOG:
    for (int i = 0; i < DATE_FORMATS; i++)
      SendDlgItemMessageA(d, DATE_LIST, LB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(date_label(i)));
    SendDlgItemMessageA(d, DATE_LIST, LB_SETCURSEL, WPARAM(DateChosen), 0);
    date_show(d, DateChosen);
    win_center(d, 0);
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case DATE_LIST:
      date_show(d, int(SendDlgItemMessageA(d, DATE_LIST, LB_GETCURSEL, 0, 0)));
      return TRUE;
    case IDOK:
    case OK_TOO: {
      // No selection (LB_ERR) keeps the previous choice, so the text is never empty.
      const int sel = int(SendDlgItemMessageA(d, DATE_LIST, LB_GETCURSEL, 0, 0));
      if (sel >= 0 && sel < DATE_FORMATS)
        DateChosen = sel;
      copy_bounded(DateText, sizeof DateText - 1, date_label(DateChosen));
      EndDialog(d, 0);
      return TRUE;
    }
    case IDCANCEL:
      EndDialog(d, -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

INT_PTR CALLBACK chr_defproc(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (INT_PTR b = colour(d, m, wp, lp))
    return b;
  switch (m) {
  case WM_INITDIALOG: {
    for (int id : DEF_EDITS)
      SendDlgItemMessageA(d, id, EM_LIMITTEXT, 8, 0);
    CharAttrs ca{};
    if (sys_chratr('r', &ca) == 0) {
      const double v[3] = {ca.height, ca.width, ca.spacing};
      for (int i = 0; i < 3; i++) {
        char text[64];
        std::snprintf(text, sizeof text, "%0.3f", v[i]);
        SetDlgItemTextA(d, DEF_EDITS[i], text);
      }
    }
    win_center(d, 0);
    return TRUE;
  }
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDOK:
    case OK_TOO:
      if (chrdef_ok(d))
        EndDialog(d, 0);
      return TRUE;
    case IDCANCEL:
      EndDialog(d, -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

int32_t cm_textexp(int32_t dwg, const ElementRecord &rec, const char *text) {
  dwg = pick_dwg(dwg);
  const int previous = dwg_setcur(dwg);
  const int view = vew_cur();
  HWND w = vew_hwnd(dwg, 0);
  HDC dc = w ? GetDC(w) : nullptr;
  if (!dc) {
    dwg_setcur(previous);
    return 700;
  }
  vew_select(0);
  const int pen = (rec.chr.attr & 15) ? (rec.chr.attr & 15) - 1 : 0;
  uint16_t cmap[20] = {};
  uint32_t widths[20] = {};
  sys_colmap('r', cmap);
  sys_pencol('r', widths);
  DbControl c[2];
  dtb_ctrl('r', c);
  const uint32_t first = c[dwg].base1 + c[dwg].count1;
  const ChrBody &b = rec.chr;
  chr_param(0, b.attr, b.height, b.width, b.spacing, b.angle, b.slant);
  ChrExpand = 1;
  const int rc = chr_draw(dc, (b.attr >> 9) & 7, b.x, b.y, text, int32_t(widths[pen]), cmap[pen]);
  ChrExpand = 0;
  ReleaseDC(w, dc);
  dtb_ctrl('r', c);
  const uint32_t end = c[dwg].base1 + c[dwg].count1;
  // A text that gave no strokes, or stopped half-way, is not half replaced.
  if (rc != 0 || end == first) {
    for (uint32_t n = first; n < end; n++)
      elm_delete(dwg, int32_t(n), cmap[16]);
    vew_select(view);
    dwg_setcur(previous);
    return 700;
  }
  vew_select(view);
  dwg_setcur(previous);
  return 0;
}

int32_t cm_text() {
  kind6_from_attrs();
  rub_start(0);
  int32_t last = 0, state = 0;
  for (;;) {
    txt_setmode(0);
    if (dlg_run(DLG_TXTENTRY, nullptr, 0) != 0)
      return finish(last);
    char text[TXT_MAXBYTES + 1];
    txt_gettext(text, sizeof text);
    double x = 0, y = 0;
    int32_t dwg = -1;
    const int code = frame_position(text, &x, &y, &dwg, &state);
    last = code;
    if (code == 800 || code == 27)
      return finish(code);
    if (!accepted(code))
      continue; // back to the dialog
    const int32_t rc = place(dwg, x, y, text, txt_expandflag() != 0);
    if (rc != 0)
      return finish(rc);
    inp_updall();
    finish(0);
  }
}

int32_t cm_date() {
  kind6_from_attrs();
  rub_start(0);
  int32_t state = 0;
  for (;;) {
    if (dlg_run(DLG_DATE, nullptr, 0) != 0)
      return finish(0);
    char text[sizeof DateText];
    date_gettext(text, sizeof text);
    if (!text[0])
      return finish(0); // never an empty text
    double x = 0, y = 0;
    int32_t dwg = -1;
    const int code = frame_position(text, &x, &y, &dwg, &state);
    if (code == 800 || code == 27)
      return finish(code);
    if (!accepted(code))
      continue;
    const int32_t rc = place(dwg, x, y, text, false);
    if (rc != 0)
      return finish(rc);
    inp_updall();
    return finish(code);
  }
}

int32_t cm_chrdef() {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1472), app_hmain(), chr_defproc, 0);
  return 0;
}

int32_t cm_txtsize() {
  uint8_t block[28];
  sys_chrsize('r', block);
  inp_set(0x1F0E1, 2, 0);
  und_lock(0);
  for (;;) {
    int32_t dwg = -1, elem = -1;
    ElementRecord r;
    const int code = pick_text(&dwg, &elem, &r, 30200);
    if (code != 500)
      return code;
    const int previous = dwg_setcur(dwg);
    double scale = scl_get();
    if (!(std::isfinite(scale) && scale > 0))
      scale = 1;
    TextSizeRecord t{};
    t.kind = 0;
    t.height = float(r.chr.height * scale);
    t.width = float(r.chr.width * scale);
    t.spacing = float(r.chr.spacing * scale);
    std::memcpy(t.rest, &r.chr.angle, 4);
    std::memcpy(t.rest + 4, &r.chr.slant, 4);
    std::memcpy(t.rest + 8, &r.chr.attr, 2);
    const TextSizeRecord before = t;
    PickSysHooks &h = pck_hooks();
    uint16_t cmap[20] = {};
    sys_colmap('r', cmap);
    h.show(dwg, elem, cmap[14]); // the highlight colour
    const INT_PTR rc = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1450), app_hmain(), dlg_txtsize,
                                       reinterpret_cast<LPARAM>(&t));
    h.show(dwg, elem, -1);
    if (rc == 2 || rc == 1401) {
      dwg_setcur(previous);
      return 700;
    }
    auto moved = [](float a, float b) { return !(std::fabs(double(a) - double(b)) < 0.0001); };
    const bool changed = moved(t.height, before.height) || moved(t.width, before.width) ||
                         moved(t.spacing, before.spacing) || (t.kind != 0 && moved(t.unused, before.unused));
    if (rc != 1 || !changed) {
      dwg_setcur(previous);
      continue;
    }
    r.chr.height = float(t.height / scale);
    r.chr.width = float(t.width / scale);
    r.chr.spacing = float(t.spacing / scale);
    // A size the store would keep as an erased record: the text stays as it was.
    if (std::fabs(r.chr.height) < ELM_TINY || std::fabs(r.chr.width) < ELM_TINY) {
      dwg_setcur(previous);
      msg_err(30202);
      continue;
    }
    std::memcpy(&r.chr.angle, t.rest, 4);
    std::memcpy(&r.chr.slant, t.rest + 4, 4);
    std::memcpy(&r.chr.attr, t.rest + 8, 2);
    und_pend(dwg);
    const int u = elm_update(dwg, elem, 0, OWN_COLOURS, &r, PickedText);
    dwg_setcur(previous);
    if (u != 0) {
      msg_err(30202);
      if (u == 4)
        return CMD_DBFAIL;
    }
  }
}

int32_t cm_textedit() {
  uint16_t cmap[20] = {};
  sys_colmap('r', cmap);
  inp_set(0x41, 2, 0);
  for (;;) {
    int32_t dwg = -1, elem = -1;
    ElementRecord r;
    const int code = pick_text(&dwg, &elem, &r, 0);
    if (code != 500)
      return code;
    if (date_istext(PickedText))
      continue;
    txt_setmode(1);
    txt_settext(PickedText);
    // A text longer than the dialog holds is shown cut: unchanged, it stays whole.
    char shown[TXT_MAXBYTES + 1];
    txt_gettext(shown, sizeof shown);
    const INT_PTR rc = dlg_run(DLG_TXTENTRY, nullptr, 0);
    txt_setmode(0);
    if (rc != 0)
      continue;
    char text[TXT_MAXBYTES + 1];
    txt_gettext(text, sizeof text);
    const bool expand = txt_expandflag() != 0;
    if (!text[0] || (!expand && std::strcmp(text, shown) == 0))
      continue;
    const char *now = expand && std::strcmp(text, shown) == 0 ? PickedText : text;
    und_pend(dwg);
    if (expand) {
      // The strokes first: the text goes only when they are all there.
      if (cm_textexp(dwg, r, now) != 0)
        return 700;
      if (elm_delete(dwg, elem, cmap[16]) != 0)
        return 700;
    } else {
      r.chr.count = int16_t(std::strlen(text));
      if (elm_update(dwg, elem, 0, OWN_COLOURS, &r, text) != 0) {
        msg_err(30202);
        return CMD_DBFAIL;
      }
    }
    inp_updall();
  }
}

void cm_texttable() {
  CommandTable[187] = cm_txtsize;
  CommandTable[195] = cm_text;
  CommandTable[196] = cm_date;
  CommandTable[197] = cm_chrdef;
  CommandTable[198] = cm_textedit;
}
