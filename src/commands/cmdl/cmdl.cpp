// The CMDL interpreter over the store: one command line, its reply text, and the
// run that INIT opens and TERM closes.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "commands/cmdl/cmdl.h"
#include "database/elements.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/view/view.h"
#include "geometry/geo.h"
#include "settings/params.h"
#include "settings/strutil.h"

namespace {
CmdlEdges Edges{};
char Reply[CMDL_REPLYMAX];

struct State {
  int aborted = 0;
  int saved = -1; // drawing whose attributes INIT saved, -1 no run
  uint32_t savedgen = 0;
  int cmdldwg = 0;
  bool undone = false;
  bool running = false;
  DrawingEnvRecord env{}; // saved by INIT
};
State St;
uint32_t SlotGen[DWG_COUNT];
DrawingEnvRecord Work; // the command's work copy

enum { ENV_NONE, ENV_WRITE };

void reply(const char *fmt, long v) { std::snprintf(Reply, sizeof Reply, fmt, v); }

bool area2_busy(int db) { return DbCtl[db].count2 != 0; }

// A live element of area 1 of db, read with its text; false otherwise.
bool read_live(int db, long n, ElementRecord *rec, char *text, std::size_t size) {
  if (n < static_cast<long>(DbCtl[db].base1) || n >= static_cast<long>(dtb_end1(db)))
    return false;
  const int r = elm_read(db, static_cast<int32_t>(n), rec, text, size);
  if (r != 0 && r != 3)
    return false;
  return (rec->flags & ELM_SKIP) == 0 && (rec->kind == PNT || rec->kind == LIN || rec->kind == ARC ||
                                          rec->kind == CHR || rec->kind == NOD);
}

void close_step_once(int db) {
  if (!St.undone) {
    und_pend(db);
    St.undone = true;
  }
}

// Fills the geometry of a POINT, LINE or CIRC from words a..; false for a value the
// element could not hold.
bool geometry(int code, char **a, ElementRecord *rec) {
  bool ok = true;
  double v[5];
  const int count = code == PNT ? 2 : code == LIN ? 4 : 5;
  for (int i = 0; i < count; i++)
    v[i] = dde_real(a[i], &ok);
  if (!ok)
    return false;
  switch (code) {
  case PNT:
    rec->pnt.x = v[0];
    rec->pnt.y = v[1];
    return true;
  case LIN:
    if (std::fabs(v[2] - v[0]) < ELM_TINY && std::fabs(v[3] - v[1]) < ELM_TINY)
      return false;
    rec->lin.x1 = v[0];
    rec->lin.y1 = v[1];
    rec->lin.x2 = v[2];
    rec->lin.y2 = v[3];
    return true;
  default:
    if (!(v[2] > ELM_TINY))
      return false;
    if (geo_angnorm(0, &v[3], &v[4]) != 0)
      return false;
    // Equal or missing angles: the store would keep nothing visible (a rewrite
    // erases the arc), so the line is refused like a line of zero length.
    if (std::fabs(v[4] - v[3]) < ELM_TINY)
      return false;
    rec->arc.cx = v[0];
    rec->arc.cy = v[1];
    rec->arc.r = v[2];
    rec->arc.start = v[3];
    rec->arc.end = v[4];
    return true;
  }
}

bool fits_float(double v) { return std::fabs(v) <= FLT_MAX; }

// A text size the store keeps: a smaller one would make every later text an erased record.
bool text_size(double v) { return v > 0 && fits_float(v) && static_cast<float>(v) >= ELM_TINY; }

// A text must not end in (or hold) a lead byte without its trail byte: the reply's
// closing quote would pair with it in the client's reading.
bool whole_chars(const char *t) {
  for (std::size_t n; *t; t += n) {
    n = sjis_charlen(t);
    if (n == 1 && sjis_islead(static_cast<unsigned char>(*t)))
      return false;
  }
  return true;
}

uint16_t setbits(uint16_t w, int shift, int width, long v) {
  const uint16_t m = static_cast<uint16_t>(((1u << width) - 1) << shift);
  return static_cast<uint16_t>((w & ~m) | ((static_cast<uint16_t>(v) << shift) & m));
}

// Attribute words: the work copy changes; out-of-range values are ignored.
void attribute(int code, char **a) {
  const long i1 = dde_int(a[1]), i2 = dde_int(a[2]);
  bool ok = true;
  switch (code) {
  case 3: // ASTYL
    if (i1 >= 0 && i1 <= 5)
      Work.linatr = setbits(Work.linatr, 8, 3, i1);
    if (i2 >= 0 && i2 <= 5)
      Work.linatr = setbits(Work.linatr, 11, 3, i2);
    break;
  case 5: { // CHAH
    const double h = dde_real(a[1], &ok);
    if (ok && text_size(h))
      Work.chr.height = static_cast<float>(h);
    break;
  }
  case 9: { // CHAW
    const double w = dde_real(a[1], &ok);
    if (ok && text_size(w))
      Work.chr.width = static_cast<float>(w);
    break;
  }
  case 6: // CHAP
    if (i1 >= 1 && i1 <= 3)
      Work.chr.attr = setbits(Work.chr.attr, 7, 2, i1 - 1);
    if (i2 >= 1 && i2 <= 3)
      Work.chr.attr = setbits(Work.chr.attr, 5, 2, i2 - 1);
    break;
  case 13: // COLOR
    if (i1 >= 1 && i1 <= 9) {
      Work.pntatr = setbits(Work.pntatr, 0, 4, i1);
      Work.linatr = setbits(Work.linatr, 0, 4, i1);
      Work.chr.attr = setbits(Work.chr.attr, 0, 4, i1);
    }
    break;
  case 19: // LSTYL
    if (i1 >= 0 && i1 <= 6)
      Work.linatr = setbits(Work.linatr, 4, 4, i1);
    break;
  case 48: // DIMCOLOR
    if (i1 >= 1 && i1 <= 9)
      Work.dim.linattr = setbits(Work.dim.linattr, 0, 4, i1);
    if (i2 >= 1 && i2 <= 9)
      Work.dim.txtattr = setbits(Work.dim.txtattr, 0, 4, i2);
    break;
  case 49: // DIMASTYL
    if (i1 >= 0 && i1 <= 3)
      Work.dim.linattr = setbits(Work.dim.linattr, 8, 3, i1);
    if (i2 >= 0 && i2 <= 3)
      Work.dim.linattr = setbits(Work.dim.linattr, 11, 3, i2);
    break;
  default:
    break;
  }
}

uint16_t kind_of(int code) {
  switch (code) {
  case 23: case 43: case 42: case 20: case 22: return PNT;
  case 16: case 41: case 40: case 17: case 18: return LIN;
  case 10: case 29: case 28: case 11: case 12: return ARC;
  default: return CHR;
  }
}

// POINT, LINE, CIRC, CHAR.
void add(int db, int code, char **w) {
  ElementRecord rec{};
  const uint16_t kind = kind_of(code);
  rec.kind = kind;
  const char *text = nullptr;
  if (kind == CHR) {
    bool ok = true;
    const double x = dde_real(w[1], &ok), y = dde_real(w[2], &ok), ang = dde_real(w[3], &ok);
    const double sp = dde_real(w[5], &ok);
    text = dde_unquote(w[4]);
    if (!ok || !*text || !whole_chars(text) || !fits_float(x) || !fits_float(y) || !fits_float(ang) || !fits_float(sp) ||
        std::fabs(Work.chr.height) < ELM_TINY || std::fabs(Work.chr.width) < ELM_TINY) {
      reply("%ld", -1);
      return;
    }
    rec.chr.x = static_cast<float>(x);
    rec.chr.y = static_cast<float>(y);
    rec.chr.height = Work.chr.height;
    rec.chr.width = Work.chr.width;
    rec.chr.slant = Work.chr.slant;
    rec.chr.spacing = static_cast<float>(sp);
    rec.chr.angle = static_cast<float>(ang);
    rec.chr.attr = Work.chr.attr;
    rec.chr.count = static_cast<int16_t>(std::strlen(text));
  } else {
    if (!geometry(kind, w + 1, &rec)) {
      reply("%ld", -1);
      return;
    }
    if (kind == PNT)
      rec.pnt.attr = Work.pntatr;
    else if (kind == LIN)
      rec.lin.attr = Work.linatr;
    else
      rec.arc.attr = Work.linatr;
  }
  close_step_once(db);
  const int n = elm_add(db, 0, -1, &rec, text);
  if (n > 0)
    St.cmdldwg = db;
  reply("%ld", n);
}

// PNTUP, LINUP, CIRUP, CHAUP.
void update(int code, char **w) {
  const int db = St.cmdldwg;
  const uint16_t kind = kind_of(code);
  static char text[ELM_STRMAX + 1];
  ElementRecord rec;
  if (!read_live(db, dde_int(w[1]), &rec, text, sizeof text) || rec.kind != kind) {
    reply("%ld", -1);
    return;
  }
  const char *str = nullptr;
  if (kind == CHR) {
    str = dde_unquote(w[2]);
    if (!*str || !whole_chars(str)) {
      reply("%ld", -1);
      return;
    }
    rec.chr.count = static_cast<int16_t>(std::strlen(str));
  } else if (!geometry(kind, w + 2, &rec)) {
    reply("%ld", -1);
    return;
  }
  close_step_once(db);
  reply("%ld", elm_update(db, static_cast<int32_t>(dde_int(w[1])), 0, -1, &rec, str));
}

// PNTRD .. CHARD, ELMRD.
void read(int code, char **w) {
  static char text[ELM_STRMAX + 1];
  ElementRecord rec;
  const long n = dde_int(w[1]);
  text[0] = '\0';
  const bool elm = code == 45;
  if (!read_live(St.cmdldwg, n, &rec, text, sizeof text) ||
      (elm ? !(rec.kind == PNT || rec.kind == LIN || rec.kind == ARC) : rec.kind != kind_of(code))) {
    reply("%ld", -1);
    return;
  }
  dde_fmtelm(static_cast<int32_t>(n), &rec, text, Reply, sizeof Reply);
}

// PNTDL .. CHADL, ELMDL.
void erase(int code, char **w) {
  static char text[ELM_STRMAX + 1];
  ElementRecord rec;
  const long n = dde_int(w[1]);
  if (!read_live(St.cmdldwg, n, &rec, text, sizeof text) || (code != 14 && rec.kind != kind_of(code))) {
    reply("%ld", -1);
    return;
  }
  uint16_t map[PALETTE_COUNT] = {};
  sys_colmap('r', map);
  reply("%ld", elm_delete(St.cmdldwg, static_cast<int32_t>(n), map[15]));
}

uint32_t pick_mask(int code) {
  switch (code) {
  case 22: return PNT;
  case 18: return LIN;
  case 12: return ARC;
  case 7: return CHR;
  default: return PNT | LIN | ARC | CHR;
  }
}

void pick(int code, char **w) {
  static char text[ELM_STRMAX + 1];
  ElementRecord rec;
  int32_t dwg = -1, n = -1;
  double x = 0, y = 0;
  const int r = dde_pick(dde_unquote(w[1]), pick_mask(code), &dwg, &n, &x, &y, &rec, text, sizeof text);
  if (code == 15) { // ELMPK
    if (r == 0) {
      std::snprintf(Reply, sizeof Reply, "%ld %d %g %g", static_cast<long>(n), rec.kind, x, y);
      St.cmdldwg = dwg;
    } else {
      reply("%ld", -r);
    }
    return;
  }
  if (r != 0 || rec.kind != pick_mask(code)) {
    reply("%ld", -1);
    return;
  }
  dde_fmtelm(n, &rec, text, Reply, sizeof Reply);
}

void point_in(char **w) {
  double x = 0, y = 0;
  const int r = dde_point(dde_unquote(w[1]), &x, &y);
  std::snprintf(Reply, sizeof Reply, "%d %g %g", r, x, y);
}

void chain(char **w) {
  char buf[66] = {};
  if (Edges.message)
    Edges.message("");
  if (Edges.message)
    Edges.message(dde_unquote(w[1]));
  const int r = Edges.line ? Edges.line(buf, 65) : 800;
  if (Edges.message)
    Edges.message("");
  char shown[66];
  dde_copytext(shown, sizeof shown, buf);
  std::snprintf(Reply, sizeof Reply, "%d \"%s\"", r == 13 ? 0 : 27, shown);
}

void run_init() {
  const int db = dwg_cur();
  und_pend(db);
  St.aborted = 0;
  if (St.saved < 0 && sys_dwgenv('r', db, &St.env) == 0) {
    St.saved = db;
    St.savedgen = SlotGen[db];
    St.cmdldwg = db;
  }
  if (Edges.endall)
    Edges.endall();
}

void run_term() {
  und_pend(dwg_cur());
  St.aborted = 0;
  if (St.saved < 0)
    return;
  // Only the attribute blocks go back, and only to the drawing they came from.
  DrawingEnvRecord now;
  if (St.savedgen == SlotGen[St.saved] && sys_dwgenv('r', St.saved, &now) == 0) {
    now.pntatr = St.env.pntatr;
    now.linatr = St.env.linatr;
    now.chr = St.env.chr;
    now.dim = St.env.dim;
    sys_dwgenv('w', St.saved, &now);
    if (Edges.attrs)
      Edges.attrs();
  }
  St.saved = -1;
}

bool writes(int code) {
  switch (code) {
  case 23: case 16: case 10: case 8:           // adds
  case 43: case 41: case 29: case 27:          // rewrites
  case 20: case 17: case 11: case 4: case 14:  // deletes
    return true;
  default:
    return false;
  }
}

int execute(char *line) {
  char *w[CMDL_WORDS + 1];
  dde_token(line, w);
  const int code = dde_word(w[0]);
  if (code == 0)
    return CMDL_NONE;
  // Records added to a drawing without a window could be neither seen nor saved.
  if (Edges.opened && !Edges.opened(dwg_cur()))
    return CMDL_NONE;
  if (code == 1 || code == 2) {
    if (code == 1)
      run_init();
    else
      run_term();
    return CMDL_ACK;
  }
  if (St.aborted != 0)
    return CMDL_BUSY;
  const int db = dwg_cur();
  if (db < 0 || db >= DWG_COUNT)
    return CMDL_NONE;
  // An add while area 2 holds a preview would take its first record's number.
  if (writes(code) && (area2_busy(db) || area2_busy(St.cmdldwg)))
    return CMDL_BUSY;
  if (sys_dwgenv('r', db, &Work) != 0)
    return CMDL_NONE;
  switch (code) {
  case 3: case 5: case 9: case 6: case 13: case 19: case 48: case 49:
    attribute(code, w);
    sys_dwgenv('w', db, &Work);
    if (Edges.attrs)
      Edges.attrs();
    break;
  case 46: case 47:
    break;
  case 23: case 16: case 10: case 8:
    add(db, code, w);
    break;
  case 43: case 41: case 29: case 27:
    update(code, w);
    break;
  case 42: case 40: case 28: case 26: case 45:
    read(code, w);
    break;
  case 20: case 17: case 11: case 4: case 14:
    erase(code, w);
    break;
  case 22: case 18: case 12: case 7: case 15:
    pick(code, w);
    break;
  case 21:
    point_in(w);
    break;
  case 24:
    if (Edges.message)
      Edges.message(dde_unquote(w[1]));
    break;
  case 25:
    chain(w);
    break;
  case 34:
    if (Edges.redraw)
      Edges.redraw(db);
    break;
  default: // ellipses and dimensions
    return CMDL_NONE;
  }
  return CMDL_ACK;
}
} // namespace

void dde_setedges(const CmdlEdges *edges) { Edges = edges ? *edges : CmdlEdges{}; }

const char *dde_replytext() { return Reply; }

void dde_slotnew(int dwg) {
  if (dwg >= 0 && dwg < DWG_COUNT)
    SlotGen[dwg]++;
}

CmdlState dde_state() { return {St.aborted, St.saved, St.cmdldwg, St.undone, St.running}; }

void dde_reset() {
  St = State{};
  Reply[0] = '\0';
}

int dde_cmdl(char *line) {
  Reply[0] = '\0';
  if (!line || strnlen(line, CMDL_LINEMAX + 1) > CMDL_LINEMAX)
    return CMDL_NONE;
  // A poke that arrives while a command waits for the user is turned away.
  if (St.running)
    return CMDL_BUSY;
  St.running = true;
  const int r = execute(line);
  St.running = false;
  return r;
}

int dde_cmdldata(const char *data, std::size_t size) {
  char line[CMDL_LINEMAX + 1];
  std::size_t n = 0;
  while (n < size && data[n])
    n++;
  if (n > CMDL_LINEMAX) {
    Reply[0] = '\0';
    return CMDL_NONE;
  }
  std::memcpy(line, data, n);
  line[n] = '\0';
  return dde_cmdl(line);
}

int dde_pick(const char *prompt, uint32_t mask, int32_t *dwg, int32_t *elem, double *x, double *y,
             ElementRecord *rec, char *text, std::size_t size) {
  std::memset(rec, 0, sizeof *rec);
  *dwg = -1;
  *elem = -1;
  if (text && size)
    text[0] = '\0';
  for (;;) {
    const int code = Edges.pick ? Edges.pick(prompt, mask, dwg, elem, x, y) : 800;
    if (code == 500) {
      if (*dwg >= 0 && *dwg < DWG_COUNT && elm_read(*dwg, *elem, rec, text, size) == 0)
        return 0;
    } else if (code == 501 || code == 27) {
      St.aborted = 27;
      return 27;
    } else if (code == 800) {
      St.aborted = 800;
      return 800;
    }
  }
}

int dde_point(const char *prompt, double *x, double *y) {
  *x = 0;
  *y = 0;
  if (Edges.message)
    Edges.message(prompt);
  int code;
  for (;;) {
    code = Edges.point ? Edges.point(x, y) : 800;
    if (code == 13 || code == 500)
      break;
    if (code == 501 || code == 27) {
      St.aborted = 27;
      break;
    }
    if (code == 800) {
      St.aborted = 800;
      break;
    }
  }
  if (Edges.message)
    Edges.message("");
  return code;
}
