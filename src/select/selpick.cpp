#include "select/selpick.h"

#include <cmath>
#include <cstdarg>
#include <vector>

#include "database/elements.h"
#include "database/store.h"
#include "geometry/text.h"
#include "input/rubber.h"
#include "input/ynanswer.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/picksys.h"
#include "select/selrect.h"
#include "select/sellist.h"
#include "select/selwin.h"
#include "settings/msgfile.h"

namespace {

double LastWin[4];
int32_t DragRel = 0;

void prompt(int n, ...) {
  va_list ap;
  va_start(ap, n);
  pck_hooks().prompt(n, ap);
  va_end(ap);
}

void redraw(int32_t d, int32_t colour) {
  const SelectionListRec &s = SelectionList;
  for (int32_t i = 0; i < s.count; ++i) {
    const int32_t e = int32_t(s.entries[i]);
    if (s.entries[i] != SEL_HOLE && sel_key(s.entries[i]) > 0 && e != int32_t(SEL_END))
      pck_hooks().show(d, int32_t(sel_key(s.entries[i])), colour);
  }
}

struct Filt {
  uint32_t kind, pen, ltype;
  uint8_t sub;
};
Filt filtnow() { return Filt{ElmFilter.kind, ElmFilter.pen, ElmFilter.ltype, ElmFilter.subkind}; }

void togglemembers(int32_t d, int32_t node) {
  const ElementRecord *g = dtb_get(d, node);
  int32_t c = g ? g->nod.child : ELM_NONE;
  uint32_t budget = dtb_used(d) + 1;
  while (elm_islink(c) && budget-- > 0) {
    const ElementRecord *m = dtb_get(d, c);
    if (!m)
      break;
    sel_toggle(uint32_t(c));
    c = m->next;
  }
}

// Replaces negated group nodes by their members.
void expand(int32_t d) {
  SelectionListRec &s = SelectionList;
  for (int32_t i = 0; i < s.count; ++i) {
    const int32_t e = int32_t(s.entries[i]);
    if (e >= -1 || e <= -0x40000000)
      continue;
    const ElementRecord *g = dtb_get(d, -e);
    if (!g || g->kind != NOD)
      continue;
    s.entries[i] = SEL_HOLE;
    togglemembers(d, -e);
  }
}

} // namespace

int sel_winget(double out[4]) {
  for (int i = 0; i < 4; ++i)
    out[i] = LastWin[i];
  return 0;
}

int sel_dragrel(const double c[4]) { return DragRel = c[2] >= c[0] ? 1 : 2; }
int sel_dragok() { return 0; }

int sel_addpick(int32_t d, uint32_t mode) {
  PickSysHooks &h = pck_hooks();
  uint32_t masks[2] = {0, 0};
  if (d >= 0 && d < DB_COUNT)
    masks[d] = h.views(d);
  int result = 500;
  static std::vector<char> str(CHR_TEXTMAX + 1);
  for (;;) {
    if (const char *t = msg_text(603))
      prompt(-999, t);
    double x = 0, y = 0;
    int32_t dd = -1, vv = -1;
    const int code = h.getpnt(0, masks, &x, &y, &dd, &vv);
    if (code == 501 || code == 824) {
      result = 500;
      break;
    }
    if (code == 9 || code == 27 || code == 527 || code == 700 || code == 800) {
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
    if (code != 500)
      continue;
    if (vv < 0 || dd < 0 || dd >= DB_COUNT) {
      result = 500;
      break;
    }
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
    int32_t prop = 0;
    bool group = false, was = false;
    int ended = 0; // the code that ends the picking from inside a question
    for (int i = 0; i < cnt && !prop; ++i) {
      if (ids[i] == SEL_HOLE)
        continue;
      was = sel_notin(int32_t(ids[i])) == 0;
      const int32_t g = sel_grpmem(dd, ids[i], ids, cnt);
      const int32_t p = g ? g : int32_t(ids[i]);
      h.show(dd, p, SEL_PICKCOLOUR);
      YnAnswer answer = YN_YES;
      int key = 0;
      if (cnt == 1)
        h.delay(150);
      else
        do
          answer = yn_answer(key = h.ask(56, "YyNn"));
        while (answer == YN_OTHER);
      if (answer != YN_YES) {
        h.show(dd, p, sel_notin(p) == 0 ? SEL_SELCOLOUR : -1);
        if (answer == YN_CANCEL || answer == YN_END) {
          // Esc, or a question that cannot be asked, ends as Esc; the end of the
          // command is handed on.
          ended = answer == YN_END ? key : 27;
          break;
        }
        continue;
      }
      prop = p;
      group = g != 0;
    }
    if (ended) {
      result = ended;
      break;
    }
    if (!prop)
      continue;
    int rc;
    if (group && prop <= 2) {
      // No negated entry can name nodes 1 and 2: their members go in (or stay
      // struck) at once.
      rc = was ? 1 : 0;
      if (!was)
        togglemembers(dd, prop);
    } else if (group) {
      rc = sel_toggle(uint32_t(-prop));
    } else {
      const ElementRecord *r = dtb_get(dd, prop);
      if (!r)
        continue;
      uint32_t id = uint32_t(prop);
      if (mode & 0x8) {
        ElementRecord copy;
        const char *s = nullptr;
        if (r->kind == CHR) {
          const int er = elm_read(dd, prop, &copy, str.data(), str.size());
          s = er == 0 || er == 3 ? str.data() : "";
        }
        if (sel_rectcode(LastWin[0], LastWin[1], LastWin[2], LastWin[3], r->kind, r, s) == 2)
          id |= SEL_PARTIAL;
      }
      rc = sel_toggle(id);
    }
    h.show(dd, prop, rc == 0 ? SEL_SELCOLOUR : -1);
  }
  expand(d);
  h.clear();
  return result;
}

int sel_pick(uint32_t dmask, uint32_t mode, int32_t *outd, int32_t *outn, double corners[4]) {
  PickSysHooks &h = pck_hooks();
  // The caller's step name and input guide are put back on every way out. The band of
  // the second corner writes the guide's parameters, so the whole record is kept, not
  // only its mode word.
  char keptstep[64] = "";
  h.step(nullptr, keptstep);
  InputGuide keptguide;
  rub_state('r', &keptguide);
  rub_start(-1);
  *outn = 0;
  *outd = -1;
  int32_t selcount = 0;
  if (dmask == 0x80000000u) {
    const int32_t p = h.pickdrw();
    dmask = p >= 0 && p < 32 ? 1u << p : 0;
  }
  const int startprompt = mode & 0x100 ? 1301 : 1001;
  int firstprompt = startprompt;
  int result = 27;
  int32_t fd = -1, fv = -1;
  Filt copy1{}, copy2{};
  int pass = 0;
  bool restart = false;
  SelectionList.count = 0;
  if (SelectionList.entries)
    SelectionList.entries[0] = SEL_END;

restart_all:
  if (*outd >= 0)
    redraw(*outd, -1);
  *outd = -1;
  pass = 0;
  copy1 = copy2 = Filt{0x7FFF, 0xFFFF, 0xFFFF, 0};
  if (mode & 0x100)
    copy1 = filtnow();
  if (mode & 0x800)
    copy2 = filtnow();
  *outn = 0;
  selcount = 0;
  SelectionList.count = 0;
  restart = false;

windows:
  for (int step = 0;;) {
    bool tab = false;
    for (;;) {
      uint32_t masks[2] = {0, 0};
      if (step == 0 && !restart) {
        *outd = -1;
        for (int d = 0; d < DB_COUNT; ++d)
          if (dmask & (1u << d))
            masks[d] = h.views(d);
      } else if (fd >= 0 && fd < DB_COUNT) {
        masks[fd] = h.views(fd);
      }
      h.clear();
      h.step(step == 0 ? "ｸﾞﾙｰﾌﾟ1" : "ｸﾞﾙｰﾌﾟ2", nullptr);
      prompt(step == 0 ? firstprompt : 1002);
      if (step == 0) {
        rub_start(-1);
        h.menumask(0);
      } else {
        // An axis-parallel rectangle from the first corner follows the cursor.
        rub_startratio(2, 0, corners[0], corners[1], 0, 0);
        h.menumask(2);
      }
      double x = 0, y = 0;
      int32_t dd = -1, vv = -1;
      const int code = h.getpnt(0, masks, &x, &y, &dd, &vv);
      h.menumask(-1);
      h.clearline2();
      rub_start(-1);
      if (code == 32 && dd != *outd)
        continue;
      *outd = dd;
      if (code == 500) {
        corners[2 * step] = x;
        corners[2 * step + 1] = y;
        if (step == 0) {
          fd = dd, fv = vv;
          step = 1;
          continue;
        }
        sel_dragrel(corners);
        break;
      }
      if (code == 501) {
        step = 0;
        continue;
      }
      if (code == 9 && step == 1) {
        *outd = fd;
        h.focus(fd, fv);
        tab = true;
        break;
      }
      if (code == 527 && step == 0 && (mode & 0x100)) {
        if (ElmFilter.subkind & 4)
          ElmFilter.subkind |= 2;
        copy1 = copy2 = filtnow();
        continue;
      }
      if (code == 27) {
        if ((mode & 0x4000) && selcount > 0)
          goto restart_all;
        if (selcount > 0)
          *outd = fd;
        result = 27;
        goto finish;
      }
      if (code == 800) {
        if (selcount > 0)
          *outd = fd;
        result = 800;
        goto finish;
      }
    }

    // The window walk.
    double c[4] = {corners[0], corners[1], corners[2], corners[3]};
    if (tab)
      c[0] = c[1] = -1e16, c[2] = c[3] = 1e16;
    if (mode & 0x8)
      copy1.kind = copy1.kind ? copy1.kind | 0x8000 : 0xFFFF;
    if (mode & 0x100)
      sel_filter(copy1.kind, copy1.pen, copy1.ltype, copy1.sub);
    const uint32_t wm = uint32_t(pass) << 12 | (mode & 0xE) | (tab ? 0 : 1);
    for (int i = 0; i < 4; ++i)
      LastWin[i] = c[i];
    sel_winmode(*outd, wm, c[0], c[1], c[2], c[3]);
    if (pass < 2)
      ++pass;
    if (!(std::fabs(c[2] - c[0]) < 1e-6 || std::fabs(c[3] - c[1]) < 1e-6))
      *outn = sel_window(*outd);
    selcount = SelectionList.count;

    // Single picks.
    for (;;) {
      Filt f{0x7FFF, 0xFFFF, 0xFFFF, 0xFF};
      if (mode & 0x8)
        f.kind |= 0x8000;
      if ((mode & 0x100) && !(mode & 0x800))
        sel_filter(f.kind, f.pen, f.ltype, f.sub);
      h.step("ｸﾞﾙｰﾌﾟ3", nullptr);
      const int code = sel_addpick(*outd, mode);
      firstprompt = startprompt;
      selcount = SelectionList.count;
      if (code == 27 && (mode & 0x4000)) {
        if (selcount > 0)
          redraw(*outd, -1);
        selcount = 0;
        goto restart_all;
      }
      if (code == 527 || code == 32) {
        if (mode & 0x400) {
          h.error(30223);
          continue;
        }
        restart = true;
        copy1 = copy2;
        firstprompt = 1301;
        goto windows;
      }
      result = code;
      *outn = selcount;
      goto finish;
    }
  }

finish:
  *outn = sel_squeeze();
  h.step(keptstep, nullptr);
  rub_state('w', &keptguide);
  return result;
}
