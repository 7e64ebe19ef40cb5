#include "shell/units/abox.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "database/store.h"
#include "display/elements/elmdisp_win.h"
#include "display/view/gdi.h"
#include "display/marks/grid.h"
#include "display/marks/snapmark.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/inpkind.h"
#include "settings/params.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "shell/units/ledit.h"
#include "shell/units/units.h"

uint32_t AboxGreyLook = 0;
uint32_t AboxModeCount = 2;
uint32_t AboxSplit = 0;

namespace {

struct Field {
  AboxFieldDef def;
  HWND wnd;
  WNDPROC old;
};

Field fields[ABOX_FIELDS_MAX];
int nfields = 0, nmodes = 2;
HWND box = nullptr;
bool floating = false;
int line9 = 0;         // unit 9's line choice while unit 9 is shown: layer names in the list
int listopen = 0;      // the layer list is dropped down
int captionfield = -1; // field whose caption the title shows
int pointlist = -1;    // field 2 lists point types (1) or line types (0)
AboxMetrics mt{};
bool measured = false;

const int point_types[3] = {4, 1, 0};
constexpr UINT MSG_ATTR = GCR_MSG_ATTR;

HFONT box_font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int count_field() { return 6 + nmodes; }
int hilite_field() { return 7 + nmodes; }

void measure(HWND w) {
  if (measured)
    return;
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, box_font());
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  mt.cw = tm.tmAveCharWidth;
  mt.lh = tm.tmHeight + tm.tmExternalLeading;
  mt.bx = GetSystemMetrics(SM_CXBORDER);
  mt.by = GetSystemMetrics(SM_CYBORDER);
  measured = true;
}

bool style_visible(HWND w) { return (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE) != 0; }

// Attribute-word parts: pen 0-3, line type 4-7, start end 8-10, end end 11-13.
void get_parts(uint16_t w, int *pen, int *ltype, int *sends, int *eends) {
  if (pen)
    *pen = w & 0xF;
  if (ltype)
    *ltype = (w >> 4) & 0xF;
  if (sends)
    *sends = (w >> 8) & 7;
  if (eends)
    *eends = (w >> 11) & 7;
}

void put_parts(uint16_t &w, const int *pen, const int *ltype, const int *sends, const int *eends) {
  if (pen)
    w = uint16_t((w & ~0xFu) | (unsigned(*pen) & 0xF));
  if (ltype)
    w = uint16_t((w & ~0xF0u) | ((unsigned(*ltype) & 0xF) << 4));
  if (sends)
    w = uint16_t((w & ~0x700u) | ((unsigned(*sends) & 7) << 8));
  if (eends)
    w = uint16_t((w & ~0x3800u) | ((unsigned(*eends) & 7) << 11));
}

void zero_parts(int *pen, int *ltype, int *sends, int *eends) {
  for (int *p : {pen, ltype, sends, eends})
    if (p)
      *p = 0;
}

// A word kept in a block: read, changed and written back through its accessor.
template <typename Block, typename Acc>
int word_in_block(int set, Acc acc, uint16_t Block::*member, int *pen, int *ltype, int *sends, int *eends) {
  Block b{};
  acc('r', &b);
  if (set) {
    put_parts(b.*member, pen, ltype, sends, eends);
    acc('w', &b);
  } else {
    get_parts(b.*member, pen, ltype, sends, eends);
  }
  return 0;
}

int32_t request_kind() {
  int32_t target = 0;
  inp_req('r', nullptr, &target, nullptr);
  return target;
}

void post_attr() {
  if (HWND main = app_hmain())
    PostMessageA(main, MSG_ATTR, 0, 0);
}

void set_sel(int field, int index) {
  HWND w = fields[field].wnd;
  if (w && SendMessageA(w, CB_GETCURSEL, 0, 0) != index)
    SendMessageA(w, CB_SETCURSEL, WPARAM(index), 0);
}

// Field 2 lists the point types for input kind 4 and the line types otherwise.
void fill_ltype_list(bool points) {
  HWND w = fields[2].wnd;
  if (!w || pointlist == int(points))
    return;
  SendMessageA(w, CB_RESETCONTENT, 0, 0);
  if (points) {
    for (int t : point_types)
      SendMessageA(w, CB_ADDSTRING, 0, LPARAM(t));
  } else {
    for (int k = 1; k <= 6; k++)
      SendMessageA(w, CB_ADDSTRING, 0, LPARAM(k));
  }
  pointlist = int(points);
}

void show_count() {
  DbControl c[DB_COUNT] = {};
  dtb_ctrl('r', c);
  const int d = dwg_cur() == 1 ? 1 : 0;
  uint32_t choice = 0;
  inp_opt('r', &choice);
  char text[32];
  abox_countfmt(choice, c[d].count1, c[d].max12, text, sizeof text);
  abox_settext(count_field(), text);
}

void show_pickmode() {
  uint32_t mode = 0;
  sys_pickmode('r', &mode, nullptr);
  if (abox_settext(5, PickModeNames[mode < 5 ? mode : 0]) && fields[5].wnd)
    InvalidateRect(fields[5].wnd, nullptr, FALSE);
}

void choose_layer(int layer) {
  const int d = dwg_cur();
  uint16_t cur = 0, states[LAYER_COUNT] = {};
  if (sys_layer('r', d, &cur, states) != 0)
    return;
  if (cur < LAYER_COUNT)
    states[cur] = 2;
  cur = uint16_t(layer);
  states[layer] = 3;
  sys_layer('w', d, &cur, states);
  if (fields[0].wnd)
    InvalidateRect(fields[0].wnd, nullptr, FALSE);
  if (LayerHiliteMode)
    vew_redraw(d, -1);
}

void choose_pen(int item) {
  int pen = item + 1;
  abox_curattr(1, &pen, nullptr, nullptr, nullptr);
  if (fields[2].wnd)
    InvalidateRect(fields[2].wnd, nullptr, FALSE);
  uint32_t flags = 0;
  int32_t target = 0, kind = 0;
  inp_req('r', &flags, &target, &kind);
  if (target == 1) {
    // Declared again so that the line-kind field follows the new pen.
    const uint32_t again = flags == 233 || flags == 225 ? 233 : flags == 65535 ? 65535 : 131071;
    inp_set(again, target, kind);
  }
}

// Layer item text: its number plus 1, then the name while unit 9 asks for names.
void layer_text(int layer, char *text, size_t size, const DrawingEnvRecord *env) {
  const int n = layer + 1;
  std::snprintf(text, size, n < 10 ? "%d  " : n < 100 ? "%d " : "%d", n);
  if (env && line9 > 0) {
    const size_t used = std::strlen(text);
    std::snprintf(text + used, size - used, "%.*s", LAYER_NAME_LEN - 1, env->laynames[layer]);
  }
}

void widen_layer_list() {
  HWND w = fields[0].wnd;
  if (!w || line9 <= 0)
    return;
  static DrawingEnvRecord env;
  if (sys_dwgenv('r', dwg_cur(), &env) != 0)
    return;
  size_t longest = 0;
  for (int i = 0; i < LAYER_COUNT; i++) {
    char text[300];
    layer_text(i, text, sizeof text, &env);
    longest = std::strlen(text) > longest ? std::strlen(text) : longest;
  }
  const int width = int((longest + 3) * 87 / 10);
  RECT r;
  GetWindowRect(w, &r);
  if (width > r.right - r.left)
    SendMessageA(w, CB_SETDROPPEDWIDTH, WPARAM(width), 0);
}

void step_field(int f, bool forward) {
  uint32_t flags = 0;
  int32_t target = 0, kind = 0;
  inp_req('r', &flags, &target, &kind);
  const int dir = forward ? 1 : 0;
  if (f == 3 || f == 4) {
    if (!(flags & (f == 3 ? 0x10u : 0x04u)))
      return;
    int v = 0;
    abox_curattr(0, nullptr, nullptr, f == 3 ? &v : nullptr, f == 4 ? &v : nullptr);
    v = abox_endstep(v, dir);
    abox_curattr(1, nullptr, nullptr, f == 3 ? &v : nullptr, f == 4 ? &v : nullptr);
  } else if (f == 5) {
    uint32_t mode = 0;
    sys_pickmode('r', &mode, nullptr);
    GridRecord g{};
    const bool grid = grd_rec('r', uint32_t(dwg_cur()), &g) == 0 && g.mode != 0;
    mode = uint32_t(abox_pickstep(int(mode), dir, grid));
    sys_pickmode('w', &mode, nullptr);
    show_pickmode();
    post_attr();
  } else if (f >= 6 && f < 6 + nmodes) {
    const int button = f - 5;
    const char *const *texts = nullptr;
    const int n = abox_modetexts(kind, button, &texts);
    uint32_t rec[INP_KINDWORDS] = {};
    if (n == 0 || inp_kind('r', kind, rec) != 0)
      return;
    rec[button] = uint32_t(abox_modestep(rec[button], n, dir));
    inp_kind('w', kind, rec);
    inp_kindattr(kind);
    abox_settext(f, texts[rec[button]]);
    post_attr();
  } else if (f == count_field()) {
    uint32_t choice = 0;
    inp_opt('r', &choice);
    choice = choice > 2 ? 0 : forward ? (choice + 1) % 3 : (choice + 2) % 3;
    inp_opt('w', &choice);
    show_count();
  } else if (f == hilite_field()) {
    LayerHiliteMode = LayerHiliteMode ? 0 : 1;
    abox_settext(f, LayerHiliteMode ? "HL" : "NR");
    vew_redraw(dwg_cur(), -1);
  }
}

void field_command(int f, int code, LPARAM lp) {
  HWND w = fields[f].wnd;
  if (lp == -1 && w) {
    // A key's press: the field takes the focus, a list opens, a button steps.
    SetFocus(w);
    if (fields[f].def.cls == ABOX_COMBO)
      SendMessageA(w, CB_SHOWDROPDOWN, TRUE, 0);
    else
      step_field(f, true);
    return;
  }
  if (fields[f].def.cls == ABOX_COMBO) {
    if (code == CBN_DROPDOWN) {
      if (f == 0) {
        listopen = 1;
        widen_layer_list();
      }
    } else if (code == CBN_CLOSEUP) {
      if (f == 0)
        listopen = 0;
    } else if (code == CBN_SELENDOK) {
      const int item = int(SendMessageA(w, CB_GETCURSEL, 0, 0));
      if (f == 0 && item >= 0 && item < LAYER_COUNT) {
        choose_layer(item);
      } else if (f == 1 && item >= 0 && item < 12) {
        choose_pen(item);
      } else if (f == 2 && item >= 0 && item < 6) {
        int t = pointlist == 1 ? int(SendMessageA(w, CB_GETITEMDATA, WPARAM(item), 0)) : item + 1;
        abox_curattr(1, nullptr, &t, nullptr, nullptr);
      }
    }
    return;
  }
  // Buttons: the subclass posts 1 (forward) or 0 (backward) with no control; the
  // button's own click (keyboard) carries the button and steps forward.
  if (code == 1 && lp == 0)
    step_field(f, true);
  else if (code == 0 && lp == 0)
    step_field(f, false);
  else if (code == BN_CLICKED && reinterpret_cast<HWND>(lp) == w)
    step_field(f, true);
}

void draw_text_in(HDC dc, RECT r, const char *text, COLORREF colour, UINT format) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextA(dc, text, -1, &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void draw_item(const DRAWITEMSTRUCT *di) {
  const int f = int(di->CtlID) - ABOX_ID;
  HDC dc = di->hDC;
  RECT r = di->rcItem;
  HGDIOBJ oldfont = SelectObject(dc, box_font());
  const bool selected = (di->itemState & ODS_SELECTED) != 0;
  const bool disabled = (di->itemState & ODS_DISABLED) != 0;
  const COLORREF ink = disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0);
  if (f == 5) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, selected ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    char name[32] = "";
    GetWindowTextA(di->hwndItem, name, sizeof name);
    if (AboxGreyLook) {
      RECT s = r;
      OffsetRect(&s, 2, 2);
      draw_text_in(dc, s, name, RGB(0xFF, 0xFF, 0xFF), DT_CENTER);
      draw_text_in(dc, r, name, RGB(0xA0, 0xA0, 0xA0), DT_CENTER);
    } else {
      const int mode = sys_inmode(-1);
      const COLORREF c = mode == 1 ? RGB(0, 0, 0xFF) : mode == 2 ? RGB(0xFF, 0, 0) : RGB(0, 0, 0);
      draw_text_in(dc, r, name, c, DT_CENTER);
    }
  } else if (di->CtlType == ODT_COMBOBOX && int(di->itemID) >= 0) {
    const int item = int(di->itemID);
    r.left += 2 * mt.bx;
    if (f == 0) {
      uint16_t cur = 0, states[LAYER_COUNT] = {};
      sys_layer('r', dwg_cur(), &cur, states);
      static const COLORREF fill[4] = {RGB(0xFF, 0xFF, 0xFF), RGB(0x40, 0x60, 0xFF), RGB(0xFF, 0xFF, 0x30),
                                       RGB(0xFF, 0x40, 0x40)};
      const int s = item < LAYER_COUNT && states[item] < 4 ? states[item] : 0;
      HBRUSH b = CreateSolidBrush(selected ? RGB(0xFF, 0xFF, 0xFF) : fill[s]);
      FillRect(dc, &di->rcItem, b);
      DeleteObject(b);
      static DrawingEnvRecord env;
      const bool names = line9 > 0 && sys_dwgenv('r', dwg_cur(), &env) == 0;
      char text[300];
      layer_text(item, text, sizeof text, names ? &env : nullptr);
      draw_text_in(dc, r, text, ink, DT_LEFT);
    } else if (f == 1) {
      uint32_t pencol[20] = {};
      sys_pencol('r', pencol);
      const uint32_t c = item < 20 ? pencol[item] : 0;
      const COLORREF colour = selected ? RGB(0xFF, 0xFF, 0xFF) : COLORREF(Palette[c < PALETTE_COUNT ? c : 0]);
      HBRUSH b = CreateSolidBrush(colour);
      FillRect(dc, &di->rcItem, b);
      DeleteObject(b);
      const int light = GetRValue(colour) + GetGValue(colour) * 2 + GetBValue(colour);
      char text[8];
      std::snprintf(text, sizeof text, "%d", item + 1);
      draw_text_in(dc, r, text, disabled ? ink : light < 300 ? RGB(0xFF, 0xFF, 0xFF) : RGB(0, 0, 0), DT_LEFT);
    } else if (f == 2) {
      FillRect(dc, &di->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
      const int value = int(di->itemData);
      char text[8];
      std::snprintf(text, sizeof text, "%d", value);
      draw_text_in(dc, r, text, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ink, DT_LEFT);
      const int y = (di->rcItem.top + di->rcItem.bottom) / 2;
      const int x1 = r.left + 3 * mt.cw, x2 = di->rcItem.right - 2 * mt.cw;
      gdi_target(dc, 1);
      gdi_setpen(dc, pointlist == 1 ? 0 : value - 1, 0, 20, R2_COPYPEN);
      if (pointlist == 1)
        gdi_mark((x1 + x2) / 2, y);
      else if (x2 > x1)
        gdi_line(x1, y, x2, y);
      gdi_target(dc, 0);
    }
    if (di->itemState & ODS_FOCUS)
      DrawFocusRect(dc, &di->rcItem);
  } else {
    FillRect(dc, &di->rcItem, GetSysColorBrush(COLOR_WINDOW));
  }
  SelectObject(dc, oldfont);
}

LRESULT CALLBACK field_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const int f = int(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (f < 0 || f >= nfields || !fields[f].old)
    return DefWindowProcA(w, m, wp, lp);
  const WNDPROC old = fields[f].old;
  switch (m) {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDOWN:
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDOWN: {
    bool swallowed = false;
    if (HWND editor = ledit_window()) {
      if (HWND edit = FindWindowExA(editor, nullptr, "EDIT", nullptr)) {
        PostMessageA(edit, m, wp, lp);
        swallowed = true;
      }
    }
    // A press on a stepping field is one step; the button never sees it, so its own
    // click cannot step a second time.
    if (f >= 3 && m != WM_MBUTTONDOWN) {
      const bool left = m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK;
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(ABOX_ID + f, left ? 1 : 0), 0);
      return 0;
    }
    if (swallowed)
      return 0;
    break;
  }
  case WM_MOUSEMOVE:
    if (!(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && captionfield != f && box) {
      captionfield = f;
      SetWindowTextA(box, fields[f].def.caption);
    }
    break;
  default:
    break;
  }
  return CallWindowProcA(old, w, m, wp, lp);
}

void set_sysmenu(HWND w) {
  HMENU sm = GetSystemMenu(w, FALSE);
  if (!sm)
    return;
  RemoveMenu(sm, 7, MF_BYPOSITION);
  RemoveMenu(sm, 5, MF_BYPOSITION);
  for (UINT c : {SC_CLOSE, SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE, SC_SIZE, SC_TASKLIST})
    RemoveMenu(sm, c, MF_BYCOMMAND);
  AppendMenuA(sm, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(sm, MF_STRING, 1000, "長く変更(&1)");
  AppendMenuA(sm, MF_STRING, 1001, "短く変更(&2)");
  AppendMenuA(sm, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(sm, MF_STRING, SC_CLOSE, "閉じる(&C)");
}

bool create_fields(HWND w) {
  for (int i = 0; i < nfields; i++) {
    Field &fl = fields[i];
    DWORD style = WS_CHILD | WS_VISIBLE;
    const char *cls = "BUTTON";
    if (fl.def.cls == ABOX_COMBO) {
      cls = "COMBOBOX";
      style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
      if (i == 0)
        style |= CBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL;
      else
        style |= WS_VSCROLL;
    } else {
      style |= fl.def.cls == ABOX_OWNERBUTTON ? BS_OWNERDRAW : BS_PUSHBUTTON;
    }
    fl.wnd = CreateWindowExA(0, cls, "", style, 0, 0, 0, 0, w, reinterpret_cast<HMENU>(INT_PTR(ABOX_ID + i)),
                             app_hinst(), nullptr);
    if (!fl.wnd)
      return false;
    SendMessageA(fl.wnd, WM_SETFONT, WPARAM(box_font()), FALSE);
    if (fl.def.cls == ABOX_COMBO && i != 2)
      for (int k = 0; k < fl.def.items; k++)
        SendMessageA(fl.wnd, CB_ADDSTRING, 0, LPARAM(k));
    SetWindowLongPtrA(fl.wnd, GWLP_USERDATA, i);
    fl.old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(fl.wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(field_proc)));
  }
  pointlist = -1;
  fill_ltype_list(false);
  return true;
}

LRESULT CALLBACK box_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
  case WM_CREATE:
    box = w;
    measure(w);
    if (floating)
      set_sysmenu(w);
    return create_fields(w) ? 0 : -1;
  case WM_MEASUREITEM: {
    auto *mi = reinterpret_cast<MEASUREITEMSTRUCT *>(lp);
    const int f = int(mi->CtlID) - ABOX_ID;
    if (f >= 0 && f <= 2) {
      mi->itemWidth = UINT((mt.cw + 2 * mt.bx) * fields[f].def.cells);
      mi->itemHeight = UINT(mi->itemID == UINT(-1) ? mt.lh - 2 * mt.by : mt.lh + 4 * mt.by);
      return TRUE;
    }
    break;
  }
  case WM_DRAWITEM: {
    auto *di = reinterpret_cast<DRAWITEMSTRUCT *>(lp);
    const int f = int(di->CtlID) - ABOX_ID;
    if (f >= 0 && f <= 5) {
      draw_item(di);
      return TRUE;
    }
    break;
  }
  case WM_COMMAND: {
    const int f = int(LOWORD(wp)) - ABOX_ID;
    if (f >= 0 && f < nfields) {
      field_command(f, HIWORD(wp), lp);
      return 0;
    }
    break;
  }
  case WM_SYSCOMMAND:
    if ((wp & 0xFFF0) == SC_CLOSE) {
      const bool show = pnl_toggle(1) != 0;
      ShowWindow(w, show ? SW_SHOW : SW_HIDE);
      return 0;
    }
    if (wp == 1000 || wp == 1001) {
      pnl_setline(1, uint16_t(wp - 1000));
      UnitRecord u{};
      pnl_unitget(1, &u);
      abox_arrange(&u);
      if (floating && pnl_shown(1))
        ShowWindow(w, SW_SHOWNA);
      return 0;
    }
    break;
  case WM_SHOWWINDOW:
    // Refreshes are skipped while the unit is hidden: it shows the current values.
    if (wp)
      abox_refresh();
    break;
  case WM_MOVE:
    if (floating)
      pnl_savepos(w, 1);
    break;
  case WM_DESTROY:
    for (Field &fl : fields)
      fl.wnd = nullptr;
    if (box == w)
      box = nullptr;
    listopen = 0;
    captionfield = -1;
    break;
  default:
    break;
  }
  return DefWindowProcA(w, m, wp, lp);
}

} // namespace

int abox_curattr(int set, int *pen, int *ltype, int *sends, int *eends) {
  switch (request_kind()) {
  case 1: {
    uint16_t line = 0, point = 0, kinds[12] = {};
    sys_linatr('r', &line);
    sys_penlkind('r', kinds);
    auto bound = [&](int p) { return p >= 1 && p <= 12 ? int(kinds[p - 1] & 0xF) : 0; };
    if (!set) {
      get_parts(line, pen, ltype, sends, eends);
      if (ltype && bound(line & 0xF))
        *ltype = bound(line & 0xF);
      return 0;
    }
    put_parts(line, pen, ltype, sends, eends);
    if (const int k = bound(line & 0xF))
      put_parts(line, nullptr, &k, nullptr, nullptr);
    sys_linatr('w', &line);
    if (pen) {
      sys_pntatr('r', &point);
      put_parts(point, pen, nullptr, nullptr, nullptr);
      sys_pntatr('w', &point);
    }
    return 0;
  }
  case 2: {
    CharAttrs c{};
    sys_chratr('r', &c);
    if (set && pen) {
      put_parts(c.attr, pen, nullptr, nullptr, nullptr);
      sys_chratr('w', &c);
    } else if (!set) {
      zero_parts(pen, ltype, sends, eends);
      get_parts(c.attr, pen, nullptr, nullptr, nullptr);
    }
    return 0;
  }
  case 3:
    return word_in_block<DimAttrs>(set, sys_dimatr, &DimAttrs::linattr, pen, ltype, sends, eends);
  case 4: {
    // Points: the pen and an 8-bit point type in bits 4-11; the pen goes to lines too.
    uint16_t point = 0;
    sys_pntatr('r', &point);
    if (!set) {
      zero_parts(pen, ltype, sends, eends);
      if (pen)
        *pen = point & 0xF;
      if (ltype)
        *ltype = (point >> 4) & 0xFF;
      return 0;
    }
    if (pen)
      point = uint16_t((point & ~0xFu) | (unsigned(*pen) & 0xF));
    if (ltype)
      point = uint16_t((point & ~0xFF0u) | ((unsigned(*ltype) & 0xFF) << 4));
    sys_pntatr('w', &point);
    if (pen) {
      uint16_t line = 0;
      sys_linatr('r', &line);
      put_parts(line, pen, nullptr, nullptr, nullptr);
      sys_linatr('w', &line);
    }
    return 0;
  }
  case 5:
    return word_in_block<AttrBlock5>(set, sys_atrblk5, &AttrBlock5::linattr, pen, ltype, sends, eends);
  case 6:
    return word_in_block<AttrBlock6>(set, sys_atrblk6, &AttrBlock6::linattr, pen, ltype, sends, eends);
  case 7:
    return word_in_block<AttrBlock7>(set, sys_atrblk7, &AttrBlock7::linattr, pen, ltype, sends, eends);
  case 8: {
    uint16_t word = 0;
    sys_atrblk8('r', &word);
    if (!set) {
      get_parts(word, pen, ltype, sends, eends);
      return 0;
    }
    put_parts(word, pen, ltype, sends, eends);
    sys_atrblk8('w', &word);
    return 0;
  }
  case 10:
    return word_in_block<AttrBlock10>(set, sys_atrblk10, &AttrBlock10::w0, pen, ltype, sends, eends);
  default:
    if (!set)
      zero_parts(pen, ltype, sends, eends);
    return 1;
  }
}

int abox_lstopen() { return box ? listopen : 0; }
HWND abox_field(int field) { return box && field >= 0 && field < nfields ? fields[field].wnd : nullptr; }
int abox_countfield() { return count_field(); }
int abox_hilitefield() { return hilite_field(); }

int abox_show(int field, int op) {
  if (!app_hmain() || !box)
    return 0;
  HWND w = box;
  if (field >= 0) {
    if (field >= nfields || !pnl_shown(1) || !fields[field].wnd)
      return 0;
    w = fields[field].wnd;
  }
  const bool visible = style_visible(w);
  if (op == 0) {
    if (visible)
      ShowWindow(w, SW_HIDE);
    return 1;
  }
  if (!visible)
    ShowWindow(w, SW_SHOWNA);
  if (op == 2 && IsWindowEnabled(w))
    EnableWindow(w, FALSE);
  else if (op == 3 && !IsWindowEnabled(w))
    EnableWindow(w, TRUE);
  return 1;
}

int abox_settext(int field, const char *text) {
  if (!app_hmain() || !box || field < 0 || field >= nfields || !pnl_shown(1) || !fields[field].wnd || !text)
    return 0;
  char now[128] = "";
  GetWindowTextA(fields[field].wnd, now, sizeof now);
  if (lstrcmpiA(now, text) != 0)
    SetWindowTextA(fields[field].wnd, text);
  return 1;
}

void abox_refresh() {
  if (!box || !app_hmain() || !pnl_shown(1))
    return;
  uint32_t flags = 0;
  int32_t target = 0, kind = 0;
  inp_req('r', &flags, &target, &kind);
  abox_settext(3, "左");
  abox_settext(4, "右");
  abox_show(0, flags & 0x80 ? 3 : 2);
  abox_show(1, flags & 0x20 ? 3 : 2);
  abox_show(3, flags & 0x10 ? 3 : 2);
  abox_show(4, flags & 0x04 ? 3 : 2);
  abox_show(5, flags & 0x40 ? 1 : 0);
  uint32_t rec[INP_KINDWORDS] = {};
  const bool have_rec = inp_kind('r', kind, rec) == 0;
  for (int button = 1; button <= nmodes; button++) {
    const char *const *texts = nullptr;
    const int n = abox_modetexts(kind, button, &texts);
    const int f = 5 + button;
    if (n > 0 && abox_modeshown(button, flags)) {
      const uint32_t c = have_rec ? rec[button] : 0;
      abox_settext(f, texts[c < uint32_t(n) ? c : 0]);
      abox_show(f, 3);
    } else {
      abox_show(f, 0);
    }
  }
  abox_show(count_field(), 3);
  abox_settext(hilite_field(), LayerHiliteMode ? "HL" : "NR");
  abox_show(hilite_field(), 3);

  uint16_t cur = 0;
  if (sys_layer('r', dwg_cur(), &cur, nullptr) == 0)
    set_sel(0, cur < LAYER_COUNT ? cur : 0);
  int pen = 0, ltype = 0;
  abox_curattr(0, &pen, &ltype, nullptr, nullptr);
  set_sel(1, pen - 1 < 0 ? 0 : pen - 1 > 11 ? 11 : pen - 1);
  bool ltype_on = (flags & 0x08) || target == 4;
  if (target == 4) {
    fill_ltype_list(true);
    int at = 0;
    for (int i = 0; i < 3; i++)
      if (point_types[i] == ltype)
        at = i;
    set_sel(2, at);
  } else {
    fill_ltype_list(false);
    set_sel(2, ltype - 1 < 0 ? 0 : ltype - 1 > 5 ? 5 : ltype - 1);
  }
  if (target == 1 && (flags & 0x20) && (kind == 0 || kind == 1 || kind == 22)) {
    uint16_t kinds[12] = {};
    sys_penlkind('r', kinds);
    ltype_on = !(pen >= 1 && pen <= 12 && kinds[pen - 1] != 0);
  }
  abox_show(2, ltype_on ? 3 : 2);
  show_pickmode();
  show_count();
}

HWND abox_create(const UnitRecord *unit1, const UnitRecord *unit9) {
  if (box)
    abox_destroy();
  if (!unit1)
    return nullptr;
  nmodes = abox_modecount(AboxModeCount);
  line9 = unit9 && unit9->shown ? unit9->line : 0;
  AboxFieldDef defs[ABOX_FIELDS_MAX];
  nfields = abox_fields(nmodes, defs);
  for (int i = 0; i < ABOX_FIELDS_MAX; i++)
    fields[i] = Field{i < nfields ? defs[i] : AboxFieldDef{}, nullptr, nullptr};
  if (line9 > 0)
    fields[0].def.cells = pnl_bigicon() * 8 + 6;
  static bool registered = false;
  if (!registered && !app_hprev()) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = box_proc;
    wc.hInstance = app_hinst();
    wc.hIcon = LoadIconA(app_hinst(), MAKEINTRESOURCEA(111));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "Attrib_Frame";
    registered = RegisterClassA(&wc) != 0;
  }
  floating = unit1->side == 0;
  HWND w;
  if (floating)
    w = CreateWindowExA(WS_EX_TOOLWINDOW, "Attrib_Frame", "属性ボックス", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        unit1->left, unit1->top, 0, 0, app_hmain(), nullptr, app_hinst(), nullptr);
  else
    w = CreateWindowExA(0, "Attrib_Frame", "属性ボックス", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, app_hmain(), nullptr,
                        app_hinst(), nullptr);
  box = w;
  app_setabox(w);
  return w;
}

int abox_destroy() {
  if (box && IsWindow(box))
    DestroyWindow(box);
  box = nullptr;
  app_setabox(nullptr);
  return 0;
}

int abox_arrange(const UnitRecord *unit1) {
  if (!box || !unit1)
    return 0;
  ShowWindow(box, SW_HIDE);
  AboxFieldDef defs[ABOX_FIELDS_MAX];
  for (int i = 0; i < nfields; i++)
    defs[i] = fields[i].def;
  AboxRect places[ABOX_FIELDS_MAX], client{};
  const int split = AboxSplit == 1 ? 6 : 5;
  abox_layout(mt, defs, nfields, unit1->line, split, line9 > 0, places, &client);
  HDWP batch = BeginDeferWindowPos(nfields);
  for (int i = 0; i < nfields && batch; i++)
    batch = DeferWindowPos(batch, fields[i].wnd, nullptr, places[i].x, places[i].y, places[i].cx, places[i].cy,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (batch)
    EndDeferWindowPos(batch);
  RECT r = {0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrA(box, GWL_STYLE)), FALSE, DWORD(GetWindowLongPtrA(box, GWL_EXSTYLE)));
  const int cx = r.right - r.left, cy = r.bottom - r.top;
  if (floating)
    SetWindowPos(box, nullptr, unit1->left, unit1->top, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  else
    SetWindowPos(box, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  abox_refresh();
  return 1;
}
