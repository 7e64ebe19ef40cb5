// Command 180: a typed text at a point with a keyed angle, or beside a picked line or
// arc, previewed in area 2 and confirmed.
#include <cmath>
#include <cstring>

#include "commands/cmdl/cmdtable.h"
#include "commands/draw/drawcmd.h"
#include "commands/text/textpath.h"
#include "commands/text/textrule.h"
#include "commands/edit/transform.h"
#include "commands/cmdl/yesno.h"
#include "database/elements.h"
#include "database/store.h"
#include "database/txtcheck.h"
#include "database/undo.h"
#include "display/elements/elmdisp.h"
#include "display/marks/marklist.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "geometry/text.h"
#include "input/calc.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/keyin.h"
#include "input/numkey.h"
#include "input/rubber.h"
#include "select/filter.h"
#include "select/pick.h"
#include "settings/msgout.h"
#include "settings/params.h"

namespace {

constexpr uint32_t ANY_DRAWING = 1023;
constexpr uint32_t LINE_KEYS = 0x81; // Esc and the right button end a typed line
constexpr int TEXT_READ = 130;       // more than a text may hold, so a long one is seen and refused
constexpr int PREVIEW_ENTRY = 14, ERASE_ENTRY = 16; // entries of ColorMap

TpaReader Reader = keyin_line;

// How a step ended.
enum Step { ST_OK, ST_BACK, ST_DONE, ST_END, ST_FAIL, ST_SWITCH, ST_RESTART };

int32_t pick_dwg(int32_t dwg) { return dwg == 0 || dwg == 1 ? dwg : dwg_cur(); }
bool accepted(int code) { return code == 500 || code == 13; }

int ask_point(int prompt, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *state) {
  msg_disp(1, 0, 0, 0, prompt);
  *dwg = -1;
  const int code = gcr_point(0, 0, mask, x, y, dwg, state);
  msg_disp(1, 128, 0, 0, prompt);
  return code;
}

// One typed line after a prompt on message line 5: the code that ended it.
int read_line(int prompt, char *buf, int size) {
  msg_disp(5, 0, 0, 0, prompt);
  buf[0] = 0;
  const int code = Reader(LINE_KEYS, size, buf);
  msg_disp(5, 128, 0, 0, prompt);
  return code;
}

// A number typed after prompt and inside [lo, hi] (never NaN): ST_OK, ST_BACK or ST_DONE.
Step read_number(int prompt, double lo, double hi, double *value) {
  for (;;) {
    char buf[64];
    const int code = read_line(prompt, buf, sizeof buf);
    if (code == 501)
      return ST_BACK;
    if (code == 27 || code < 0 || code >= 1000)
      return ST_DONE;
    if (code != 13)
      continue;
    const char *p = buf;
    double v = 0;
    if (clc_eval(0, &p, &v) != 0 || !std::isfinite(v) || v < lo || v > hi)
      continue;
    *value = v;
    return ST_OK;
  }
}

// The attribute word: pen, bit 4 and vertical base from the drawing's character
// attributes, horizontal base and font kind from input kind 6.
uint16_t command_attr(const CharAttrs &ca) {
  uint32_t rec[INP_KINDWORDS] = {};
  inp_kind('r', 6, rec);
  return uint16_t((ca.attr & 0x7Fu) | (rec[1] & 3u) << 7 | (rec[2] & 7u) << 9);
}

// The typeface rule over a text accepted by the check; may set the font kind to 0.
void typeface_rule(const char *text, uint16_t *attr) {
  const int kind = (*attr >> 9) & 7;
  TypefaceEntry faces[4] = {};
  sys_typeface('r', faces);
  // Kinds 4..7 have no entry: they count as not set.
  if (kind > 3 || faces[kind].name[0] == 0)
    msg_board(1, "%s", "指定された書体は設定されていません");
  // No font draws kinds 4..7: such a text would be stored but never shown, so it is
  // placed in the stroke font (kind 0), as a kana text is for kind 3.
  const bool fallback = kind > 3;
  if (kind == 3 && str_sbonly(text) != 0)
    msg_disp(4, 0, 0, 0, 30236);
  if (fallback || (kind == 3 && str_sbonly(text) != 0)) {
    *attr = uint16_t(*attr & ~0xE00u);
    uint32_t rec[INP_KINDWORDS] = {};
    inp_kind('r', 6, rec);
    rec[2] = 0;
    inp_kind('w', 6, rec);
  }
}

// The text entry of both modes: ST_OK with the text and its attribute word, ST_BACK, ST_DONE.
Step enter_text(char *text, uint16_t *attr, CharAttrs *ca) {
  for (;;) {
    char buf[TEXT_READ];
    const int code = read_line(8351, buf, sizeof buf);
    if (code == 501)
      return ST_BACK;
    if (code == 27 || code < 0 || code >= 1000)
      return ST_DONE;
    if (code != 13)
      continue;
    const size_t n = std::strlen(buf);
    if (n == 0 || n > size_t(TXT_MAXBYTES))
      continue;
    if (txt_check(buf, TXT_TEXTRULE) != 0) {
      msg_err(30233);
      continue;
    }
    if (sys_chratr('r', ca) != 0)
      return ST_DONE;
    *attr = command_attr(*ca);
    typeface_rule(buf, attr);
    std::memcpy(text, buf, n + 1);
    return ST_OK;
  }
}

void text_record(const CharAttrs &ca, uint16_t attr, int32_t dwg, GeoPoint at, double angle, const char *text,
                 ElementRecord *r) {
  uint16_t layer = 0;
  sys_layer('r', dwg, &layer, nullptr);
  std::memset(r, 0, sizeof *r);
  r->kind = CHR;
  r->layer = uint8_t(layer & 0xFF);
  r->chr.x = float(at.x), r->chr.y = float(at.y);
  r->chr.height = ca.height, r->chr.width = ca.width, r->chr.spacing = ca.spacing;
  r->chr.angle = float(angle);
  r->chr.slant = ca.slant;
  r->chr.attr = attr;
  r->chr.count = int16_t(std::strlen(text));
}

// The distance of the settings; a negative one (or one that is not a number) counts as 0.
void read_distance(double *d) {
  double v = 0;
  sys_alngprm('r', &v);
  *d = v >= 0 && std::isfinite(v) ? v : 0;
}

struct State {
  double d = 0;       // distance from the element
  bool keyed = false; // d was typed at prompt 8358: it stays for the rest of the command
  int32_t kbmode = 0; // gcr_point's keyboard state
};

// Point mode: ST_SWITCH, ST_DONE, ST_END or ST_FAIL.
Step point_mode(State &st) {
  for (;;) {
    double x = 0, y = 0;
    int32_t dwg = -1;
    const int code = ask_point(8305, ANY_DRAWING, &x, &y, &dwg, &st.kbmode);
    if (code == 501)
      return ST_SWITCH;
    if (code == 800)
      return ST_END;
    if (code == 27)
      return ST_DONE;
    if (!accepted(code))
      continue;
    dwg = pick_dwg(dwg);
    mrk_list(2, dwg, x, y);
    for (bool again = true; again;) {
      again = false;
      double angle = 0;
      const Step a = read_number(8350, -360, 360, &angle);
      if (a == ST_BACK)
        break;
      if (a != ST_OK)
        return a;
      char text[TEXT_READ];
      uint16_t attr = 0;
      CharAttrs ca{};
      const Step t = enter_text(text, &attr, &ca);
      if (t == ST_BACK) {
        again = true;
        continue;
      }
      if (t != ST_OK)
        return t;
      mrk_list(5);
      und_pend(dwg);
      const int previous = dwg_setcur(dwg);
      ElementRecord r;
      text_record(ca, attr, dwg, {x, y}, angle, text, &r);
      const int added = elm_add(dwg, 0, -1, &r, text);
      dwg_setcur(previous);
      if (added < 1)
        return ST_FAIL;
    }
    mrk_list(5);
  }
}

// The picked element's geometry and where the text goes beside it.
struct Beside {
  int32_t db = 0;
  bool arc = false;
  GeoPoint p0{}, p1{}; // line ends
  GeoPoint centre{};
  double r = 0;
  GeoPoint pick{};
  int32_t side = 1;
  GeoPoint base{};
  double angle = 0, dir = 0;
};

// Base, angle and rubber band for the current distance. False when the geometry fails.
bool guide(Beside &b, double d, uint16_t attr, const ChrLayout &lay) {
  GuideShape box[5];
  if (!b.arc) {
    TpaLine t{};
    if (tpa_line(b.p0, b.p1, b.pick, d, &t) != 0)
      return false;
    b.side = t.side, b.base = t.base, b.angle = t.angle;
    b.dir = deg_atan2(b.p1.y - b.p0.y, b.p1.x - b.p0.x);
    if (cm_txtbox(attr, lay, b.side, b.angle, b.base, box) == 0)
      rub_startlistf(102, b.dir, b.base.x, b.base.y, box);
    return true;
  }
  if (tpa_arcside(b.centre, b.r, b.pick, &b.side) != 0 ||
      tpa_arcbase(b.centre, b.r, b.side, d, b.pick, &b.base, &b.angle) != 0)
    return false;
  const double g = deg_atan2(b.pick.y - b.centre.y, b.pick.x - b.centre.x);
  if (cm_txtbox(attr, lay, b.side, b.angle, b.base, box) == 0)
    rub_startturnl(100, b.centre.x, b.centre.y, 0, 0, g, box);
  return true;
}

void empty_area2(int db) {
  DbControl c[DB_COUNT];
  dtb_ctrl('r', c);
  c[db].count2 = 0;
  dtb_ctrl('w', c);
}

// Shows the preview and asks: ST_OK placed, ST_BACK rejected, ST_RESTART Esc, ST_END, ST_FAIL.
Step confirm(int32_t db, const ElementRecord &r, const char *text) {
  uint16_t cmap[20] = {};
  sys_colmap('r', cmap);
  und_pend(db);
  empty_area2(db);
  const int previous = dwg_setcur(db);
  const int32_t n = elm_add(db, ELM_AREA2, cmap[PREVIEW_ENTRY], &r, text);
  if (n < 1) {
    empty_area2(db);
    dwg_setcur(previous);
    return ST_FAIL;
  }
  CmdYesNo answer;
  do
    answer = cmd_yesno(msg_prompt(0, 0, "YyNn"));
  while (answer == CYN_OTHER);
  Step step;
  if (answer == CYN_YES) {
    dsp_elms(vew_mask(db), 0, -1, uint32_t(n), 1);
    DbControl c[DB_COUNT];
    dtb_ctrl('r', c);
    const int32_t first = int32_t(c[db].base1 + c[db].count1), count = int32_t(c[db].count2);
    c[db].count1 += c[db].count2;
    c[db].count2 = 0;
    dtb_ctrl('w', c);
    cm_txtjournal(first, first + count - 1, db);
    und_pend(db);
    step = ST_OK;
  } else {
    dsp_elms(vew_mask(db), 0, cmap[ERASE_ENTRY], uint32_t(n), 1);
    empty_area2(db);
    step = answer == CYN_NO ? ST_BACK : answer == CYN_CANCEL ? ST_RESTART : ST_END;
  }
  dwg_setcur(previous);
  return step;
}

// Element mode: ST_SWITCH, ST_RESTART (point mode again), ST_DONE, ST_END or ST_FAIL.
Step element_mode(State &st) {
  for (;;) {
    if (!st.keyed)
      read_distance(&st.d);
    // Lines and arcs: the mode handles both.
    pck_filter(0x8006, 0, 0, 0);
    Beside b;
    int32_t dwg = -1, elem = -1;
    const int code = pck_elem(8009, 0, &dwg, &b.pick.x, &b.pick.y, &elem);
    if (code == 501)
      return ST_SWITCH;
    if (code == 800)
      return ST_END;
    if (code == 27)
      return ST_DONE;
    if (!accepted(code) && code != 502)
      continue;
    if (elem < 0)
      continue;
    b.db = pick_dwg(dwg);
    ElementRecord e;
    if (elm_read(b.db, elem, &e, nullptr, 0) != 0) {
      msg_err(30200);
      continue;
    }
    const uint16_t kind = uint16_t(e.kind & 0x7FFF);
    if (kind == LIN) {
      b.p0 = {e.lin.x1, e.lin.y1}, b.p1 = {e.lin.x2, e.lin.y2};
    } else if (kind == ARC) {
      b.arc = true;
      b.centre = {e.arc.cx, e.arc.cy}, b.r = e.arc.r;
    } else {
      continue;
    }
    char text[TEXT_READ];
    uint16_t attr = 0;
    CharAttrs ca{};
    const Step t = enter_text(text, &attr, &ca);
    if (t == ST_BACK)
      continue;
    if (t != ST_OK)
      return t;
    attr = uint16_t(attr & ~0x60u); // beside an element the vertical base is 0
    static ChrLayout lay;
    double len = 0;
    const double ratio = trn_lenratio(attr, ca.height, ca.width, ca.spacing, text, &lay, &len);
    const double e_ext = tpa_extent(lay);
    lay.width = len * ratio;
    for (bool repick = false; !repick;) {
      if (!guide(b, st.d, attr, lay)) {
        rub_start(0);
        break;
      }
      double x = 0, y = 0;
      int32_t pdwg = -1;
      const int pos = ask_point(8306, 1u << b.db, &x, &y, &pdwg, &st.kbmode);
      rub_start(0);
      if (pos == 501) {
        double nd = 0;
        const Step s = read_number(8358, 0, HUGE_VAL, &nd);
        if (s == ST_BACK)
          repick = true;
        else if (s != ST_OK)
          return s;
        else
          st.d = nd, st.keyed = true;
        continue;
      }
      if (pos == 823) {
        repick = true;
        continue;
      }
      if (pos == 800)
        return ST_END;
      if (pos == 27)
        return ST_DONE;
      if (!accepted(pos))
        continue;
      GeoPoint at{x, y};
      double angle = b.angle;
      if (b.arc && tpa_arcbase(b.centre, b.r, b.side, st.d + e_ext, {x, y}, &at, &angle) != 0)
        continue;
      ElementRecord r;
      text_record(ca, attr, b.db, at, angle, text, &r);
      const Step c = confirm(b.db, r, text);
      if (c == ST_BACK)
        continue;
      if (c == ST_OK)
        repick = true;
      else
        return c;
    }
  }
}

} // namespace

void tpa_setreader(TpaReader fn) { Reader = fn ? fn : keyin_line; }

int32_t cm_textpath() {
  if (inp_set(0x1F0E1, 2, 6) != 0)
    return 700;
  CharAttrs ca{};
  if (sys_chratr('r', &ca) != 0)
    return 700;
  State st;
  bool points = true;
  int32_t rc = 700;
  for (;;) {
    const Step s = points ? point_mode(st) : element_mode(st);
    if (s == ST_SWITCH) {
      points = !points;
      continue;
    }
    if (s == ST_RESTART) {
      points = true;
      continue;
    }
    rc = s == ST_END ? 800 : s == ST_FAIL ? CMD_DBFAIL : 700;
    break;
  }
  mrk_list(5);
  rub_start(0);
  return rc;
}
