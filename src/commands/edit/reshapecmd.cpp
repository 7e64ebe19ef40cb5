#include "commands/edit/reshapecmd.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

#include "commands/cmdl/cmddlg.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/draw/drawcmd.h"
#include "commands/edit/rsapply.h"
#include "commands/edit/rstable.h"
#include "commands/cmdl/yesno.h"
#include "database/elements.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/elements/elmdisp_win.h"
#include "display/marks/marklist.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/rubber.h"
#include "select/endpts.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/pick.h"
#include "select/picksys.h"
#include "select/selpick.h"
#include "select/selrect.h"
#include "select/sellist.h"
#include "select/selwin.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/winutil.h"

namespace {

constexpr uint32_t ANY_DRAWING = 1023;
constexpr double FULL_CIRCLE = 0.0001; // end points this close: a full circle
constexpr int GROUP_LEVELS = 10;

bool isdwg(int32_t d) { return d == 0 || d == 1; }
bool accepted(int code) { return code == 500 || code == 13; }

bool full_circle(const ElementRecord &r) {
  if ((r.kind & ~MSKBOX) != ARC)
    return false;
  double g[8], s[2], e[2];
  std::memcpy(g, r.body, sizeof g);
  if (entendt(r.kind, g, s, e) != 0)
    return false;
  return std::fabs(s[0] - e[0]) < FULL_CIRCLE && std::fabs(s[1] - e[1]) < FULL_CIRCLE;
}

// The prompt line through the pick services: n a message, or PCK_LITERAL and the text.
void prompt(int n, ...) {
  va_list ap;
  va_start(ap, n);
  pck_hooks().prompt(n, ap);
  va_end(ap);
}

// Puts the members of group node n into the selection, nested groups to GROUP_LEVELS
// deep, never taking more steps than the drawing has records: the links come from
// files and may loop.
void add_members(int32_t d, int32_t n, int level, uint32_t *budget) {
  const ElementRecord *g = dtb_get(d, n);
  int32_t c = g ? g->nod.child : ELM_NONE;
  while (elm_islink(c) && *budget > 0) {
    --*budget;
    const ElementRecord *m = dtb_get(d, c);
    if (!m)
      break;
    if (m->kind == NOD) {
      if (level + 1 < GROUP_LEVELS)
        add_members(d, c, level + 1, budget);
    } else if (sel_notin(c)) {
      sel_toggle(uint32_t(c)); // a member seen twice over a looping link stays in
    }
    c = m->next;
  }
}

// Replaces the negated group nodes of the selection by their members.
void expand_groups(int32_t d) {
  SelectionListRec &s = SelectionList;
  if (!isdwg(d) || !s.entries)
    return;
  uint32_t budget = dtb_used(d) + 1;
  for (int32_t i = 0; i < s.count; ++i) {
    const int32_t e = int32_t(s.entries[i]);
    if (e >= -1 || e <= -0x40000000)
      continue;
    const ElementRecord *g = dtb_get(d, -e);
    if (!g || g->kind != NOD)
      continue;
    s.entries[i] = SEL_HOLE;
    add_members(d, -e, 0, &budget);
  }
}

struct WinCtx {
  int32_t dwg;
  double c[4];
};

// The end of a new window target: the one that lies inside the window.
int32_t window_end(uint32_t elem, void *p) {
  const WinCtx *w = static_cast<const WinCtx *>(p);
  ElementRecord r;
  if (elm_read(w->dwg, int32_t(elem), &r, nullptr, 0) != 0)
    return -1;
  const int code = sel_rectelm(w->c[0], w->c[1], w->c[2], w->c[3], r.kind, &r, nullptr);
  return code == 2 ? 0 : code == 3 ? 1 : -1;
}

void empty_selection() {
  SelectionList.count = 0;
  if (SelectionList.entries)
    SelectionList.entries[0] = SEL_END;
}

} // namespace

void cm_rsalloc() {
  const uint32_t a = dtb_used(0), b = dtb_used(1);
  rs_tablealloc(a > b ? a : b);
}

void cm_rsfree() { rs_tablefree(); }

int cm_rsend(int32_t dwg, int32_t view, int32_t kind, const uint8_t *block, double x, double y) {
  ViewXform xf{};
  if (vew_frame('r', dwg, view, &xf) != 0)
    return -2;
  const double rect[4] = {xf.sxmin, xf.symin, xf.sxmax, xf.symax};
  const GeoPoint pick{x, y};
  return rs_endchoice(rect, kind, block, &pick);
}

int cm_rstoggle(int32_t dwg, uint32_t elem, double x, double y) {
  elem &= ~SEL_PARTIAL;
  if (rs_find(elem) >= 0)
    return rs_tabletoggle(elem, -1);
  int32_t end = -1;
  ElementRecord r;
  if (elm_read(dwg, int32_t(elem), &r, nullptr, 0) == 0 && !full_circle(r)) {
    int32_t view = gcr_pickvw();
    if (view < 0)
      view = vew_cur();
    const int e = cm_rsend(dwg, view, r.kind, r.body, x, y);
    end = e < 0 ? -1 : e;
  }
  return rs_tabletoggle(elem, end);
}

int cm_rspick(int32_t d, uint32_t mode) {
  PickSysHooks &h = pck_hooks();
  uint32_t masks[2] = {0, 0};
  if (isdwg(d))
    masks[d] = h.views(d);
  int result = 500;
  for (;;) {
    if (const char *t = msg_text(603))
      prompt(PCK_LITERAL, t);
    double x = 0, y = 0;
    int32_t dd = -1, vv = -1;
    const int code = h.getpnt(0, masks, &x, &y, &dd, &vv);
    if (code == 501 || code == 824) {
      result = 500;
      break;
    }
    if (code == 9 || code == 27 || code == 527 || code == 800) {
      result = code;
      break;
    }
    if (code == 32) {
      if (dd == d) {
        result = 32;
        break;
      }
      continue;
    }
    if (code != 500 || vv < 0 || dd != d)
      continue;
    uint32_t kind = ElmFilter.kind;
    if ((kind & 0x8000) && (kind & 0x1000))
      kind &= ~0x4000u;
    int32_t cand[PCK_NEARMAX];
    int cnt = pck_near(dd, vv, x, y, kind, ElmFilter.pen, ElmFilter.ltype, ElmFilter.subkind, cand);
    if (cnt < 0)
      cnt = 0;
    uint32_t ids[PCK_NEARMAX];
    for (int i = 0; i < cnt; ++i)
      ids[i] = uint32_t(cand[i]);
    int32_t taken = 0;
    bool group = false, ended = false, was = false;
    for (int i = 0; i < cnt && !taken; ++i) {
      if (ids[i] == SEL_HOLE)
        continue;
      was = sel_notin(int32_t(ids[i])) == 0;
      const int32_t g = sel_grpmem(dd, ids[i], ids, cnt);
      const int32_t p = g ? g : int32_t(ids[i]);
      h.show(dd, p, SEL_PICKCOLOUR);
      CmdYesNo a = CYN_YES;
      if (cnt == 1) {
        h.delay(150);
      } else {
        do
          a = cmd_yesno(h.ask(0, "YyNn"));
        while (a == CYN_OTHER);
      }
      if (a != CYN_YES) {
        h.show(dd, p, sel_notin(p) == 0 ? SEL_SELCOLOUR : -1);
        if (a == CYN_CANCEL || a == CYN_END) {
          result = a == CYN_CANCEL ? 27 : 800;
          ended = true;
          break;
        }
        continue; // no, a closed or failed question: the next candidate
      }
      taken = p;
      group = g != 0;
    }
    if (ended)
      break;
    if (!taken)
      continue;
    int rc;
    if (group && taken <= 2) {
      // No negated entry can name nodes 1 and 2: their members go in at once.
      rc = was ? 1 : 0;
      if (!was) {
        uint32_t budget = dtb_used(dd) + 1;
        add_members(dd, taken, 0, &budget);
      }
    } else if (group) {
      rc = sel_toggle(uint32_t(-taken));
    } else {
      uint32_t id = uint32_t(taken);
      if (mode & 0x8) {
        ElementRecord r;
        if (elm_read(dd, taken, &r, nullptr, 0) == 0 &&
            sel_rectcode(SelWindow.xmin, SelWindow.ymin, SelWindow.xmax, SelWindow.ymax, r.kind, &r, nullptr) == 2)
          id |= SEL_PARTIAL;
      }
      rc = sel_toggle(id);
    }
    if (rc >= 0 && cm_rstoggle(dd, uint32_t(taken), x, y) < 0) {
      // The target table is full: the selection stays as the table is.
      if (!group)
        sel_toggle(uint32_t(taken));
      else if (taken > 2)
        sel_toggle(uint32_t(-taken));
      rc = 1;
    }
    h.show(dd, taken, rc == 0 ? SEL_SELCOLOUR : -1);
  }
  expand_groups(d);
  h.clear();
  return result;
}

int cm_rswindow(uint32_t flags, int32_t *dwg) {
  InputGuide saved;
  rub_state('r', &saved);
  rub_start(-1);
  if (isdwg(*dwg))
    hil_redraw(*dwg, -1);
  *dwg = -1;
  rs_tableclear();
  empty_selection();

  uint32_t fkind = 0, fpen = 0, fltype = 0;
  uint8_t fsub = 0;
  auto load_filter = [&] {
    sel_filtget(&fkind, &fpen, &fltype, &fsub);
    fkind |= 0x8000;
  };
  if (flags & 0x100)
    load_filter();

  int result = 27;
  int round = 0;
  for (;;) {
    // Two corners.
    double c[4] = {};
    int step = 0;
    bool done = false;
    while (step < 2) {
      uint32_t masks[2] = {0, 0};
      if (round == 0 && step == 0) {
        masks[0] = vew_mask(0);
        masks[1] = vew_mask(1);
      } else if (isdwg(*dwg)) {
        masks[*dwg] = vew_mask(*dwg);
      }
      msg_disp(1, 0, 0, 0, step == 0 ? 1301 : 1002);
      if (step == 1)
        rub_startratio(2, 0, c[0], c[1], 0, 0);
      cmd_smset(step == 0 ? 0 : 2);
      double x = 0, y = 0;
      int32_t dd = -1, vv = -1;
      const int code = gcr_getpnt(0, masks, &x, &y, &dd, &vv);
      cmd_smclear();
      rub_start(-1);
      msg_disp(1, 128, 0, 0, step == 0 ? 1301 : 1002);
      if (code == 32)
        continue;
      if (code == 527 && step == 0 && (flags & 0x100)) {
        dlg_run(10, nullptr, 0); // the user filter has no dialog here
        load_filter();
        continue;
      }
      if (code == 800 || code == 27) {
        result = code;
        done = true;
        break;
      }
      if (code == 501) {
        if (step == 0) {
          result = 501;
          done = true;
          break;
        }
        step = 0;
        continue;
      }
      if (code != 500 || !isdwg(dd))
        continue;
      if (step == 0)
        *dwg = dd;
      else if (dd != *dwg)
        continue;
      c[2 * step] = x;
      c[2 * step + 1] = y;
      ++step;
    }
    if (done)
      break;

    // The window walk: every selected element in front of the table in list order.
    if (flags & 0x100)
      sel_filter(fkind, fpen, fltype, fsub);
    sel_winmode(*dwg, uint32_t(round) << 12 | 11, c[0], c[1], c[2], c[3]);
    if (round < 2)
      ++round;
    sel_window(*dwg);
    if (flags & 0x100)
      sel_filter(fkind, 0xFFFF, 0xFFFF, 0xFF);
    WinCtx ctx{*dwg, {c[0], c[1], c[2], c[3]}};
    uint32_t at = 0;
    for (int32_t i = 0; i < SelectionList.count; ++i) {
      const uint32_t e = SelectionList.entries[i];
      if (e == SEL_HOLE || e == SEL_END || int32_t(sel_key(e)) < 1)
        continue;
      if (rs_tableplace(at, sel_key(e), window_end, &ctx) != 0)
        break; // full: capacity - 1 targets and the end marker
      ++at;
    }
    // What lies behind is no longer selected.
    for (uint32_t i = at; i < g_rstable.count; ++i)
      g_rstable.entries[i] = {RS_FREE, -1, 0, 0, 0};

    const int code = cm_rspick(*dwg, 10);
    if (code == 527 || code == 32)
      continue;
    result = code;
    break;
  }
  rs_tablecompact();
  rub_state('w', &saved);
  return result;
}

namespace {

// Everything the command set is put back on every way out.
int32_t rs_done(int32_t dwg, int32_t code) {
  und_lock(0);
  if (isdwg(dwg))
    hil_redraw(dwg, -1);
  rub_start(0);
  sel_free();
  cm_rsfree();
  PickSkipMasked = 0;
  return code;
}

enum Stage { STAGE_A, STAGE_B, STAGE_WINDOW };

enum BoundaryResult { BND_GOT, BND_STAGE_B, BND_ESCAPE, BND_END };

// 501 at stage B: a point with one target, else a line by two points.
BoundaryResult ask_boundary(int32_t dwg, bool one, RsBoundary *b, GeoPoint *ref, int *endcode) {
  int32_t state = 0;
  if (one) {
    for (;;) {
      double x = 0, y = 0;
      int32_t d = -1;
      msg_disp(1, 0, 0, 0, 5316);
      const int code = gcr_point(0, 0, GCR_CURDWG, &x, &y, &d, &state);
      msg_disp(1, 128, 0, 0, 5316);
      if (code == 800) {
        *endcode = 800;
        return BND_END;
      }
      if (code == 27 || code == 501)
        return BND_STAGE_B;
      if (!accepted(code))
        continue;
      b->kind = 0;
      b->point = {x, y};
      *ref = b->point;
      return BND_GOT;
    }
  }
  for (;;) {
    double x1 = 0, y1 = 0;
    int32_t d = -1;
    msg_disp(1, 0, 0, 0, 5301);
    int code = gcr_point(0, 0, GCR_CURDWG, &x1, &y1, &d, &state);
    msg_disp(1, 128, 0, 0, 5301);
    if (code == 800 || code == 27) {
      *endcode = code;
      return BND_END;
    }
    if (code == 501)
      return BND_ESCAPE;
    if (!accepted(code))
      continue;
    mrk_list(2, isdwg(d) ? d : dwg, x1, y1);
    for (;;) {
      double x2 = x1, y2 = y1;
      int32_t d2 = -1;
      rub_startline(1, 0, x1, y1, 0);
      msg_disp(1, 0, 0, 0, 5302);
      code = gcr_point(0, 0, GCR_CURDWG, &x2, &y2, &d2, &state);
      msg_disp(1, 128, 0, 0, 5302);
      rub_start(0);
      if (code == 800 || code == 27) {
        mrk_list(3);
        *endcode = code;
        return BND_END;
      }
      if (code == 501)
        break;
      if (!accepted(code))
        continue;
      if (std::fabs(x2 - x1) < FULL_CIRCLE && std::fabs(y2 - y1) < FULL_CIRCLE)
        continue;
      mrk_list(3);
      ElementRecord line;
      std::memset(&line, 0, sizeof line);
      line.lin.x1 = x1, line.lin.y1 = y1, line.lin.x2 = x2, line.lin.y2 = y2;
      b->kind = LIN;
      std::memcpy(b->block, line.body, sizeof b->block);
      *ref = {x2, y2};
      return BND_GOT;
    }
    mrk_list(3);
  }
}

} // namespace

int32_t cm_reshape() {
  inp_set(0x1efff, 1, 0);
  PickSkipMasked = 1;
  cm_rsalloc();
  if (!sel_alloc(SEL_MAXCAP))
    return rs_done(-1, CMD_DONE);
  int32_t dwg = -1;
  Stage stage = STAGE_A;
  bool from_window = false;
  for (;;) {
    if (stage == STAGE_A) {
      und_lock(0);
      empty_selection();
      rs_tableclear();
      pck_filter(0x8006, 0, 0, 0);
      double x = 0, y = 0;
      int32_t d = -1, e = -1;
      const int code = pck_elem(5318, ANY_DRAWING, &d, &x, &y, &e);
      if (code == 27 || code == 800)
        return rs_done(dwg, code);
      if (code == 501) {
        stage = STAGE_WINDOW;
        continue;
      }
      if (!accepted(code) || e < 1 || !isdwg(d))
        continue;
      ElementRecord r;
      if (elm_read(d, e, &r, nullptr, 0) != 0 || full_circle(r))
        continue;
      const int end = cm_rsend(d, gcr_pickvw(), r.kind, r.body, x, y);
      if (end < 0)
        continue;
      rs_tabletoggle(uint32_t(e), end);
      dwg = d;
      from_window = false;
      stage = STAGE_B;
      continue;
    }

    if (stage == STAGE_WINDOW) {
      sel_filter(4102, 0, 0, 0);
      PickTextParts = 0;
      const int code = cm_rswindow(0x100, &dwg);
      if (code == 700 || code == 800 || code == 27)
        return rs_done(dwg, code);
      if (code == 501) {
        if (isdwg(dwg))
          hil_redraw(dwg, -1);
        stage = STAGE_A;
      } else if (accepted(code) && g_rstable.count > 0) {
        from_window = true;
        stage = STAGE_B;
      }
      continue;
    }

    // Stage B: the boundary. Undo and redo wait until it is given.
    und_lock(1);
    const bool one = g_rstable.count == 1;
    pck_filter(0x8006, 0, 0, 0);
    double x = 0, y = 0;
    int32_t d = -1, e = -1;
    const int code = pck_elem(one ? 5328 : 5329, PCK_CURDWG, &d, &x, &y, &e);
    if (code == 800)
      return rs_done(dwg, 800);
    if (code == 27) {
      stage = from_window ? STAGE_WINDOW : STAGE_A;
      continue;
    }
    RsBoundary b;
    std::memset(&b, 0, sizeof b);
    GeoPoint ref{x, y};
    int32_t belem = -1;
    if (accepted(code)) {
      ElementRecord r;
      if (e < 1 || d != dwg || elm_read(d, e, &r, nullptr, 0) != 0)
        continue;
      b.kind = r.kind;
      std::memcpy(b.block, r.body, sizeof b.block);
      belem = e;
    } else if (code == 501) {
      int endcode = 0;
      const BoundaryResult got = ask_boundary(dwg, one, &b, &ref, &endcode);
      if (got == BND_END)
        return rs_done(dwg, endcode);
      if (got == BND_ESCAPE)
        stage = from_window ? STAGE_WINDOW : STAGE_A;
      if (got != BND_GOT)
        continue;
    } else {
      continue;
    }
    und_lock(0);

    // Apply, one undo step for each element that changes.
    win_waitcur();
    bool refused = false;
    for (uint32_t i = 0; i < g_rstable.count; ++i) {
      ReshapeTarget &t = g_rstable.entries[i];
      if (t.element == RS_FREE || t.end < 0)
        continue;
      ElementRecord r;
      if (elm_read(dwg, int32_t(t.element), &r, nullptr, 0) != 0)
        continue;
      b.self = belem >= 1 && uint32_t(belem) == t.element;
      GeoPoint pos{};
      const int np = rs_newpos(r.kind, r.body, t.end, &b, &ref, &pos);
      t.crossings = np == RS_SKIP_NOCROSS ? 0 : 1;
      if (np != RS_MOVE)
        continue;
      t.x = pos.x, t.y = pos.y;
      und_pend(dwg);
      if (rs_move(r.kind, r.body, t.end, &pos) != 0) {
        refused = true;
        break;
      }
      if (elm_update(dwg, int32_t(t.element), 0, -1, &r, nullptr) != 0) {
        win_waitcur();
        return rs_done(dwg, CMD_DBFAIL);
      }
    }
    win_waitcur();
    if (refused)
      continue; // stage B again with the same targets
    hil_redraw(dwg, -1);
    inp_updall();
    stage = STAGE_A;
  }
}

void cm_reshapetable() { CommandTable[104] = cm_reshape; }
