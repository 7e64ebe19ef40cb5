#include "select/pick.h"
#include "input/rubber.h"
#include "input/ynanswer.h"

#include <cstdarg>
#include <cstring>

#include "database/elements.h"
#include "database/store.h"
#include "display/marks/snapmark.h"
#include "display/view/view.h"
#include "geometry/trim.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/picksys.h"
#include "select/sellist.h"
#include "settings/dbgtrace.h"
#include "settings/params.h"

namespace {
bool Pinned = false;
uint32_t PinMask = 0;

int32_t colour(int role) {
  uint16_t cm[20];
  sys_colmap('r', cm);
  return cm[role];
}

bool selected(int32_t dwg, int32_t n) {
  if (SelectionList.drawing != dwg || !SelectionList.entries)
    return false;
  for (int32_t i = 0; i < SelectionList.count; ++i) {
    const uint32_t e = SelectionList.entries[i];
    if (e == 0xFFFFFFFEu)
      break;
    if (e != 0xFFFFFFFFu && int32_t(e & 0x7FFFFFFF) == n)
      return true;
  }
  return false;
}

void prompt(int32_t n, va_list ap) { pck_hooks().prompt(n, ap); }
} // namespace

int pck_unpin() {
  Pinned = false;
  PinMask = 0;
  return 0;
}

int pck_elem(int32_t n, uint32_t mask, int32_t *dwg, double *x, double *y, int32_t *elem, ...) {
  PickSysHooks &h = pck_hooks();
  snp_level(1);
  const uint32_t asked = mask;
  *dwg = -1;
  *elem = -1;
  int result = 0;
  bool shown = false;
  if (mask == 0)
    mask = 3;
  else if (mask == PCK_CURDWG)
    mask = Pinned ? PinMask : 1u << dwg_cur();
  const uint32_t masks[2] = {mask & 1 ? 0xFFFFu : 0, mask & 2 ? 0xFFFFu : 0};
  int32_t view = -1;
  if (!masks[0] && !masks[1]) {
    result = 700;
    goto done;
  }
  if (n > 0 || n == PCK_LITERAL) {
    va_list ap;
    va_start(ap, elem);
    prompt(n, ap);
    va_end(ap);
    shown = true;
  }
  if ((mask & PCK_NOINPUT) || n == PCK_NOWAIT) {
    *dwg = dwg_cur();
    view = vew_cur();
  } else {
    int code;
    do
      code = h.getpnt(0, masks, x, y, dwg, &view);
    while (code == 32 && !(*dwg >= 0 && *dwg <= 1 && masks[*dwg]));
    pck_unpin();
    if (asked == PCK_CURDWG && *dwg != 0 && *dwg != 1 && code != 527 && code != 528 && code != 800 && code != 27) {
      Pinned = true;
      PinMask = mask;
    }
    if (code != 500 && code != 502) {
      result = code;
      goto done;
    }
    result = code;
  }
  if (*dwg < 0 || *dwg > 1 || view < 0) {
    result = 700;
    goto done;
  }
  {
    const int32_t areas = (mask & 0x80000000u ? PCK_AREA2 : 0) | (mask & PCK_WORK ? PCK_AREA3 : 0);
    int32_t c[PCK_NEARMAX];
    int cnt = pck_near(*dwg, view | areas, *x, *y, ElmFilter.kind, ElmFilter.pen, ElmFilter.ltype, ElmFilter.subkind,
                       c);
    if (cnt < 0)
      cnt = 0;
    if ((mask & PCK_NEAREST) && cnt > 1)
      cnt = 1;
    uint16_t curlayer = 0;
    sys_layer('r', *dwg, &curlayer, nullptr);
    double curratio = 1;
    sys_scale(*dwg, curlayer, &curratio);
    for (int i = 0; i < cnt; ++i) {
      const ElementRecord *r = dtb_get(*dwg, c[i]);
      if (!r)
        continue;
      h.show(*dwg, c[i], colour(13));
      double ratio = curratio;
      sys_scale(*dwg, r->layer, &ratio);
      if (ratio != curratio)
        h.error(30228);
      YnAnswer a = YN_YES;
      int key = 0;
      if (cnt > 1) {
        do
          a = yn_answer(key = h.ask(0, "YyNn"));
        while (a == YN_OTHER);
      } else {
        h.delay(150);
      }
      if (!(mask & PCK_KEEPHIL))
        h.show(*dwg, c[i], selected(*dwg, c[i]) ? colour(14) : -1);
      if (a == YN_YES) {
        *elem = c[i];
        break;
      }
      if (a == YN_CANCEL) {
        *elem = 0;
        break;
      }
      if (a == YN_END) {
        result = key; // the command ends: no element, and the caller hears why
        break;
      }
    }
  }
done:
  if (shown)
    h.clear();
  snp_level(0);
  return result;
}

int getendt(uint32_t flags, int32_t n, uint32_t kind, double *point, int32_t *elem, int32_t *kindout, int32_t *layer,
            uint8_t *geom) {
  const int32_t prompt = n < 0 ? n : n == 0 ? 1100 : n + 20000;
  uint32_t mask = 1u << (flags & 15);
  if (flags & 0x1000)
    mask |= PCK_NOINPUT;
  if (flags & 0x4000)
    mask |= PCK_KEEPHIL;
  if (!(flags & 0x8000))
    mask |= PCK_NEAREST;
  int result;
  ElementRecord r{};
  for (;;) {
    pck_filter((kind & ~uint32_t(0x1000)) | 0x8000, 0, 0, 0);
    int32_t d = -1;
    result = pck_elem(prompt, mask, &d, &point[0], &point[1], elem);
    const bool read = d >= 0 && d <= 1 && elm_read(d, *elem, &r, nullptr, 0) == 0;
    if (flags & 0x1000) {
      if (result == 0)
        result = read ? 0 : 700;
      break;
    }
    if (result != 13 && result != 500 && result != 502)
      break;
    if (read) {
      result = 0;
      break;
    }
  }
  if (result == 0) {
    *kindout = r.kind;
    *layer = r.layer;
    std::memcpy(geom, r.body, 52);
  }
  dbg_trace("<getendt> Ret(%d), entno=%d, dbno=%04X\n", result, *elem, flags);
  if (result == 0 && *kindout >= 1)
    cadentdump(*kindout, geom);
  if ((flags & 0x800) && result != 0) {
    *kindout = 0;
    *elem = 0;
  }
  return result;
}

int sel_unhil(int32_t dwg, int32_t elem, int32_t) {
  pck_hooks().show(dwg, elem, -1);
  return 0;
}

int sel_pkone(int32_t dwg, int32_t *elem, int32_t count) {
  PickSysHooks &h = pck_hooks();
  h.show(dwg, *elem, colour(13));
  int rc;
  if (count < 2) {
    h.delay(150);
    rc = 0;
  } else {
    const int key = h.ask(0, "YyNn");
    const YnAnswer a = yn_answer(key);
    rc = a == YN_YES ? 0 : a == YN_CANCEL ? 27 : a == YN_END ? key : -1;
  }
  sel_unhil(dwg, *elem, 0);
  return rc;
}

int sel_ownwalk(int32_t dwg, int32_t *elem, int32_t parent, int32_t visited[SEL_VISITED]) {
  PickSysHooks &h = pck_hooks();
  int32_t chain[SEL_VISITED];
  int nchain = 1;
  chain[0] = *elem;
  auto in = [](const int32_t *a, int n, int32_t v) {
    for (int i = 0; i < n && a[i] != 0; ++i)
      if (a[i] == v)
        return true;
    return false;
  };
  // Owner links come from the store or a file: the climb ends at a node naming
  // itself, at one this chain met already, and after as many steps as records.
  int32_t p = parent;
  uint32_t budget = dtb_used(dwg) + 1;
  for (int steps = 0; elm_islink(p) && steps < 32000 && budget--; ++steps) {
    if (in(chain, nchain, p))
      break;
    if (!in(visited, SEL_VISITED, p)) {
      if (nchain == SEL_VISITED)
        break;
      chain[nchain++] = p;
      for (int i = 0; i < SEL_VISITED; ++i)
        if (visited[i] == 0) {
          visited[i] = p;
          break;
        }
    }
    const ElementRecord *r = dtb_get(dwg, p);
    if (!r)
      return 27;
    if (r->parent == p)
      break;
    p = r->parent;
  }
  for (int i = nchain - 1; i >= 0; --i) {
    h.waitcur();
    h.show(dwg, chain[i], colour(13));
    h.waitcur();
    const int key = h.ask(0, "YyNn");
    const YnAnswer a = yn_answer(key);
    sel_unhil(dwg, chain[i], 0);
    if (a == YN_YES) {
      *elem = chain[i];
      return 0;
    }
    if (a == YN_CANCEL)
      return 27;
    if (a == YN_END)
      return key;
    if (a == YN_OTHER)
      return -1;
  }
  return -1;
}

int sel_pick1(int32_t n, uint32_t mask, int32_t *dwg, double *x, double *y, int32_t *elem, ...) {
  PickSysHooks &h = pck_hooks();
  *dwg = -1;
  *elem = -1;
  if (mask == 0)
    mask = 3;
  else if (mask == PCK_CURDWG) {
    const int32_t last = h.pickdrw();
    mask = last == 0 || last == 1 ? 1u << last : 0;
  }
  const uint32_t masks[2] = {mask & 1 ? 0xFFFFu : 0, mask & 2 ? 0xFFFFu : 0};
  if (!masks[0] && !masks[1])
    return 700;
  const bool shown = n > 0 || n == PCK_LITERAL;
  int result;
  // No guide bends the point while it is picked; the caller's comes back afterwards.
  InputGuide kept;
  rub_state('r', &kept);
  for (;;) {
    if (shown) {
      va_list ap;
      va_start(ap, elem);
      prompt(n, ap);
      va_end(ap);
    }
    int32_t visited[SEL_VISITED] = {};
    int32_t view = -1;
    rub_start(0);
    result = h.getpnt(0, masks, x, y, dwg, &view);
    if (result != 500 && result != 502)
      break;
    if (*dwg < 0 || *dwg > 1 || view < 0) {
      result = 700;
      break;
    }
    const int32_t areas = (mask & 0x80000000u ? PCK_AREA2 : 0) | (mask & PCK_WORK ? PCK_AREA3 : 0);
    int32_t c[PCK_NEARMAX];
    int cnt = pck_near(*dwg, view | areas, *x, *y, ElmFilter.kind | FLT_NOCLIMB, ElmFilter.pen, ElmFilter.ltype,
                       ElmFilter.subkind, c);
    if (cnt < 0)
      cnt = 0;
    // The proposals still ask when the search found more than the one kept.
    const int found = cnt;
    if (cnt > 1 && (mask & PCK_NEAREST))
      cnt = 1;
    bool again = false, done = false;
    for (int i = 0; i < cnt && !again && !done; ++i) {
      const ElementRecord *r = dtb_get(*dwg, c[i]);
      if (!r)
        continue;
      int32_t e = c[i];
      int rc;
      if (r->subkind == 8 && r->encsub != 8)
        rc = sel_pkone(*dwg, &e, found);
      else if (r->subkind || r->encsub)
        rc = sel_ownwalk(*dwg, &e, r->parent, visited);
      else
        rc = sel_pkone(*dwg, &e, found);
      if (rc == 27)
        again = true;
      else if (rc == 700 || rc == 800) {
        result = rc; // the command ends inside the question
        done = true;
      } else if (rc == 0) {
        *elem = e;
        result = 500;
        done = true;
      } else {
        result = 501;
      }
    }
    if (!again)
      break;
  }
  rub_state('w', &kept);
  if (shown)
    h.clear();
  return result;
}
