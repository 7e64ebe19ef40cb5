#include "commands/edit/copyeng.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "commands/edit/copygrp.h"
#include "commands/edit/transform.h"
#include "commands/cmdl/yesno.h"
#include "geometry/geo.h"
#include "geometry/text.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "settings/params.h"
#include "select/sellist.h"

namespace {

struct Engine {
  int mode = 0, src = 0, dst = 0, writemode = 0;
  bool preview = false;
  int16_t remap[CPY_REMAP];
  int partial = 0, in400 = 0;
  bool skip = false;      // skip the transform of the next cpy_write
  int32_t node400 = 0;    // current class-400 node
  int32_t txtnode = 0;    // compound text being completed (destination number)
  int32_t txtexpect = 0, txtcount = 0;
  int depth = 0;          // group nesting of cpy_group
  uint32_t budget = 0;    // records the link walks may still read
  uint16_t cmap[20] = {};
};

Engine E;
CpyHooks Hooks = {};

constexpr int MAXDEPTH = GRP_LEVELS;
constexpr int32_t BIGTEXT = ELM_STRMAX + 1;

bool moving_across() { return E.writemode == 0 && !E.preview && E.src != E.dst; }

double rel(int d, int k) {
  int16_t nums[SCALE_COUNT], dens[SCALE_COUNT];
  if (sys_scltbl('R', d, nums, dens) != 0)
    return 1;
  auto ratio = [&](int i) {
    return nums[i] == 0 || dens[i] == 0 ? 1.0 : double(nums[i]) / double(dens[i]);
  };
  return ratio(k) / ratio(0);
}

// The scale number the layer-scale conversion uses: none (-1) for ATR.
int scaleno(int d, const ElementRecord &r) {
  if (r.kind == ATR)
    return -1;
  if (r.kind == NOD)
    return cpy_grplayer(d, &r);
  return r.layer;
}

void layscale(ElementRecord *r) {
  if (!(E.mode == 0 || E.mode == 1 || E.mode == 3 || E.mode == 5 || E.mode == 6))
    return;
  const int k = scaleno(E.src, *r);
  if (k < 0 || k >= CPY_REMAP)
    return;
  int k2 = E.remap[k];
  if (k2 < 0)
    k2 = 0;
  trn_layscale(r, cpy_layfactor(E.src, k, E.dst, k2));
}

bool remapped_kind(const ElementRecord &r) {
  const uint16_t k = r.kind & ~MSKBOX;
  if (k == PNT || k == LIN || k == ARC || k == CHR || (r.kind & MSKBOX))
    return true;
  return r.kind == NOD && (r.subkind == 8 || r.encsub == 8);
}

void emptyarea2(int d) {
  DbCtl[d].count2 = 0;
}

void track_member() {
  if (E.txtnode == 0)
    return;
  if (++E.txtcount >= E.txtexpect) {
    if (Hooks.draw)
      Hooks.draw(E.dst, E.txtnode);
    E.txtnode = 0;
  }
}

int readrec(int d, int32_t n, ElementRecord *r, char *text, size_t size) {
  if (E.budget == 0)
    return 1;
  --E.budget;
  const int rc = elm_read(d, n, r, text, size);
  return rc == 0 || rc == 3 ? 0 : 1;
}

// The compound text a part belongs to, drawn in colour in the destination's views.
void paint_text(const ElementRecord &part, int32_t colour) {
  if (!Hooks.paint || part.encsub != 8)
    return;
  int32_t root = 0;
  if (elm_txtroot(E.src, &part, &root) == 0 && root >= 1)
    Hooks.paint(E.dst, root, 0, colour);
}

// After a stretch the compound texts of the selected parts show in their own colours.
void repaint_texts() {
  if (!Hooks.paint)
    return;
  int32_t last = 0;
  for (int32_t i = 0; i < SelectionList.count; ++i) {
    const uint32_t e = SelectionList.entries[i];
    if (e == SEL_HOLE || e == SEL_END)
      continue;
    const int32_t s = int32_t(e);
    const int32_t el = s < -1 && s > -0x40000000 ? -s : int32_t(e & ~SEL_PARTIAL);
    ElementRecord r;
    int32_t root = 0;
    const int rc = elm_read(E.dst, el, &r, nullptr, 0);
    if ((rc != 0 && rc != 3) || r.encsub != 8 || elm_txtroot(E.dst, &r, &root) != 0 || root < 1 || root == last)
      continue;
    last = root;
    Hooks.paint(E.dst, root, 0, -1);
  }
}

// One pass over the selection.
int pass(int count) {
  static char text[BIGTEXT];
  for (int n = 1; n <= count; ++n) {
    for (int32_t i = 0; i < SelectionList.count; ++i) {
      const uint32_t e = SelectionList.entries[i];
      if (e == SEL_HOLE || e == SEL_END)
        continue;
      const int32_t s = int32_t(e);
      int32_t el;
      if (s < -1 && s > -0x40000000) {
        el = -s;
        E.partial = 0;
      } else {
        el = int32_t(e & ~SEL_PARTIAL);
        E.partial = (e & SEL_PARTIAL) ? 1 : 0;
      }
      E.in400 = 0;
      trn_dimtext().dimtext = 0;
      ElementRecord r;
      E.budget = ElmMax[E.src] + WrkMax[E.src] + 1;
      text[0] = 0;
      if (readrec(E.src, el, &r, text, sizeof text) != 0)
        return 5;
      if (r.flags & ELM_SKIP)
        continue;
      layscale(&r);
      if (r.kind == NOD && r.subkind == 1) {
        const uint16_t cls = uint16_t(r.nod.data[0] | r.nod.data[1] << 8);
        if (cls == 400) {
          E.node400 = el;
          E.in400 = 1;
        } else {
          E.node400 = 0;
        }
      } else if (E.node400 != 0 && r.parent == E.node400) {
        E.in400 = 1;
      }
      int rc;
      if (r.kind == CHR) {
        if (r.encsub == 1 && elm_islink(r.parent) && sel_notin(r.parent) == 0)
          continue; // its dimension node writes it
        rc = cpy_write(el, n, &r, text);
        if (rc < 0)
          return rc;
      } else if (r.kind == NOD) {
        E.txtnode = 0;
        E.depth = 0;
        rc = cpy_group(el, n, &r);
        E.txtnode = 0;
        if (rc != 0)
          return rc;
        if (moving_across()) {
          // The whole subtree is in the destination; only now the source goes.
          elm_delete(E.src, el, E.cmap[16]);
        }
      } else {
        if (E.mode == 4)
          paint_text(r, E.cmap[16]);
        rc = cpy_write(el, n, &r, text);
        if (rc < 0)
          return rc;
      }
    }
  }
  if (E.mode == 4)
    repaint_texts();
  return 0;
}

} // namespace

void cpy_sethooks(const CpyHooks *hooks) { Hooks = hooks ? *hooks : CpyHooks{}; }

double cpy_layfactor(int src, int k, int dst, int k2) {
  const double a = rel(src, k), b = rel(dst, k2);
  if (!std::isfinite(a) || !std::isfinite(b) || !(a > 0) || !(b > 0))
    return 1;
  const double f = b / a;
  return std::isfinite(f) && f > 0 ? f : 1;
}

int cpy_write(int32_t element, int n, ElementRecord *rec, const char *text) {
  if (!E.skip) {
    if (E.mode < 0 || E.mode > 6) {
      E.skip = false;
      return -7;
    }
    if (trn_apply(E.mode, rec, n, text, E.partial, E.in400) != 0) {
      E.skip = false;
      return -6;
    }
  }
  E.skip = false;
  if (remapped_kind(*rec)) {
    const int k = rec->layer;
    if (k >= CPY_REMAP || E.remap[k] < 0)
      return 0;
    rec->layer = uint8_t(E.remap[k]);
  }
  const int len = text ? int(std::strlen(text)) : 0;
  if (rec->kind == CHR)
    rec->chr.count = int16_t(len);
  else if (rec->kind == ATR)
    rec->atr.len = int16_t(len);
  const char *str = elm_isstr(rec->kind) ? (text ? text : "") : nullptr;
  int rc;
  if (E.preview) {
    rc = elm_add(E.dst, ELM_AREA2, E.cmap[14], rec, str);
  } else if (E.writemode == 1) {
    rc = elm_add(E.dst, 0, -1, rec, str);
  } else if (E.src == E.dst) {
    return elm_update(E.src, element, 0, -1, rec, str) == 0 ? 0 : -5;
  } else {
    // Add first: a failed add keeps the source element.
    rc = elm_add(E.dst, 0, -1, rec, str);
    if (rc >= 1 && E.depth == 0 && rec->kind != NOD)
      elm_delete(E.src, element, E.cmap[16]);
  }
  return rc >= 1 ? rc : -1;
}

int cpy_grpcount(int drawing, const ElementRecord *node, int32_t *count) {
  int32_t c = 1;
  uint32_t steps = ElmMax[drawing < 0 || drawing > 1 ? 0 : drawing] + 1;
  for (int32_t m = node->nod.child; elm_islink(m);) {
    if (steps-- == 0)
      return 1;
    ElementRecord r;
    if (elm_read(drawing, m, &r, nullptr, 0) != 0 && elm_read(drawing, m, &r, nullptr, 0) != 3)
      return 1;
    ++c;
    m = r.next;
  }
  *count = c;
  return 0;
}

int cpy_group(int32_t element, int n, ElementRecord *rec) {
  static char text[BIGTEXT];
  if (rec->flags & ELM_SKIP)
    return 0;
  if (E.depth >= MAXDEPTH)
    return 5;
  const ElementRecord node = *rec; // links and members of the source
  bool selmember = false;
  if (E.mode == 4) {
    for (int32_t m = node.nod.child; elm_islink(m);) {
      if (sel_notin(m) == 0) {
        selmember = true;
        break;
      }
      ElementRecord r;
      if (readrec(E.src, m, &r, nullptr, 0) != 0)
        return 5;
      m = r.next;
    }
    if (!selmember && node.subkind != 8)
      return 0;
  }
  ++E.depth;
  int rc = cpy_write(element, n, rec, nullptr);
  if (rc < 0) {
    --E.depth;
    return rc;
  }
  bool opened = false;
  if (rc >= 1) {
    if (grp_open(E.dst, rc) != 0) {
      --E.depth;
      return 4;
    }
    opened = true;
    if (node.subkind == 8 && node.encsub != 8 && E.txtnode == 0) {
      int32_t expect = 0;
      if (cpy_grpcount(E.src, &node, &expect) == 0) {
        E.txtnode = rc;
        E.txtexpect = expect;
        E.txtcount = 1;
      }
    }
  }
  const int32_t newnode = rc;
  int result = 0;
  // Dimension texts first.
  if (node.subkind == 1) {
    for (int32_t m = node.nod.child; elm_islink(m);) {
      ElementRecord r;
      text[0] = 0;
      if (readrec(E.src, m, &r, text, sizeof text) != 0)
        break;
      const int32_t next = r.next;
      if (r.kind == CHR && !(r.flags & ELM_SKIP)) {
        if (E.mode == 4 && sel_notin(m) != 0)
          E.skip = true;
        if (E.mode == 0 || E.mode == 1 || E.mode == 3 || E.mode == 5 || E.mode == 6)
          layscale(&r);
        if (E.mode == 2) {
          trn_dimtext().dimtext = 1;
          cpy_dimmirror(element, &r, text);
        }
        if (E.mode == 3 || E.mode == 6) {
          const int k = r.layer < CPY_REMAP ? r.layer : 0;
          const int k2 = E.remap[k] < 0 ? 0 : E.remap[k];
          trn_dimscale(&node, &r, text, cpy_layfactor(E.src, k, E.dst, k2) * rel(E.dst, k2));
        }
        if (E.mode == 4)
          trn_dimstretch(&node, &r, text, E.dst);
        const int w = cpy_write(m, n, &r, text);
        trn_dimtext().dimtext = 0;
        trn_dimtext().online = 0;
        if (w < 0) {
          result = w;
          goto end;
        }
      }
      m = next;
    }
  }
  if (E.mode == 4 && selmember)
    goto end;
  for (int32_t m = node.nod.child; elm_islink(m);) {
    ElementRecord r;
    text[0] = 0;
    if (readrec(E.src, m, &r, text, sizeof text) != 0) {
      result = 5;
      goto end;
    }
    const int32_t next = r.next;
    if (!(r.flags & ELM_SKIP)) {
      layscale(&r);
      int w = 0;
      if (r.kind == NOD)
        w = cpy_group(m, n, &r);
      else if (!(r.kind == CHR && r.encsub == 1 && node.subkind == 1))
        w = cpy_write(m, n, &r, text);
      if (r.kind == NOD ? w != 0 : w < 0) {
        result = w;
        goto end;
      }
      track_member();
    }
    m = next;
  }
  for (int32_t a = node.nod.attr; elm_islink(a);) {
    ElementRecord r;
    text[0] = 0;
    if (readrec(E.src, a, &r, text, sizeof text) != 0) {
      result = 5;
      goto end;
    }
    const int32_t next = r.next;
    if (!(r.flags & ELM_SKIP)) {
      const int w = cpy_write(a, n, &r, text);
      if (w < 0) {
        result = w;
        goto end;
      }
    }
    a = next;
  }
end:
  if (opened)
    grp_close(E.dst);
  if (E.txtnode != 0 && E.txtnode == newnode && E.txtcount >= E.txtexpect) {
    if (Hooks.draw)
      Hooks.draw(E.dst, E.txtnode);
    E.txtnode = 0;
  }
  --E.depth;
  return result;
}

int cpy_elms(int mode, int src, int dst, const int16_t *remap, int writemode, int count) {
  if (src < 0 || src > 1 || dst < 0 || dst > 1)
    return 9;
  if (Hooks.waitcur)
    Hooks.waitcur(1);
  E = Engine{};
  E.mode = mode;
  E.src = src;
  E.dst = dst;
  E.writemode = writemode;
  for (int k = 0; k < CPY_REMAP; ++k) {
    const int16_t v = remap ? remap[k] : int16_t(k);
    E.remap[k] = v >= 0 && v < CPY_REMAP ? v : int16_t(-1);
  }
  sys_colmap('R', E.cmap);
  SystemBlock sb{};
  sys_sysprm('R', &sb);
  E.preview = sb.w4 == 1;
  emptyarea2(dst);
  if (count < 1)
    count = 1;
  int rc = pass(count);
  if (rc == 0 && E.preview) {
    for (;;) {
      const CmdYesNo a = cmd_yesno(Hooks.ask ? Hooks.ask() : -1);
      if (a == CYN_OTHER)
        continue;
      if (a == CYN_YES) {
        // The preview records go before the real pass numbers area 1.
        emptyarea2(dst);
        E.preview = false;
        rc = pass(count);
      } else {
        if (Hooks.paint && DbCtl[dst].count2 > 0)
          Hooks.paint(dst, int32_t(DbCtl[dst].base1 + DbCtl[dst].count1), int32_t(DbCtl[dst].count2), E.cmap[16]);
        rc = a == CYN_CANCEL ? 1 : a == CYN_END ? 3 : 2;
      }
      break;
    }
  }
  emptyarea2(dst);
  if (Hooks.waitcur)
    Hooks.waitcur(0);
  return rc;
}

int cpy_dimmirror(int32_t node, ElementRecord *t, const char *string) {
  TrnDimText &dt = trn_dimtext();
  ElementRecord nd;
  const int rn = elm_read(E.src, node, &nd, nullptr, 0);
  if (rn != 0 && rn != 3)
    return 1010;
  if (nd.kind != NOD || nd.subkind != 1 || t->kind != CHR)
    return 0;
  ChrLayout lay;
  double len = 0;
  const uint16_t attr = t->chr.attr;
  const double r = trn_lenratio(attr, t->chr.height, t->chr.width, t->chr.spacing, string ? string : "", &lay, &len);
  const double half = len * r / 2, block = lay.height, h = t->chr.height;
  const int hb = (attr >> 7) & 3, vb = (attr >> 5) & 3;
  const double along = hb == 1 ? 0 : hb == 2 ? -half : half;
  const double below = vb == 0 ? block - h : vb == 1 ? block - h / 2 : block;
  // The text's own direction moves the points; the comparison with the lines reads it
  // as a direction without sense.
  const double angle = t->chr.angle;
  double a = std::fmod(angle, 180.0);
  if (a < 0)
    a += 180;
  const GeoPoint base{t->chr.x, t->chr.y};
  const GeoPoint test{base.x + along * deg_cos(angle) + below * deg_cos(angle - 90),
                      base.y + along * deg_sin(angle) + below * deg_sin(angle - 90)};
  DimAttrs da{};
  sys_dimatr('R', &da);
  static_assert(offsetof(DimAttrs, f30) + 5 * sizeof(float) == 50, "the text gap is the f32 at +50");
  const double gap = da.f30[5];
  const uint16_t cls = uint16_t(nd.nod.data[0] | nd.nod.data[1] << 8);
  const bool lines = cls != 1100 && cls != 1200;
  uint32_t steps = ElmMax[E.src] + WrkMax[E.src] + 1;
  for (int32_t m = nd.nod.child; lines && elm_islink(m) && steps-- > 0;) {
    ElementRecord l;
    const int rc = elm_read(E.src, m, &l, nullptr, 0);
    if (rc != 0 && rc != 3)
      return 1010;
    m = l.next;
    if ((l.kind & 0x7FFF) != LIN || (l.flags & ELM_SKIP))
      continue;
    const GeoPoint p0{l.lin.x1, l.lin.y1}, p1{l.lin.x2, l.lin.y2};
    GeoPoint foot{};
    double dist = 0;
    if (geo_perpft(&p0, &p1, &test, &foot, &dist) < 0)
      continue;
    double dir = std::fmod(deg_atan2(p1.y - p0.y, p1.x - p0.x), 180.0);
    if (dir < 0)
      dir += 180;
    if (std::fabs(dist - gap) <= 0.0001 && std::fabs(a - dir) <= 0.0001) {
      dt.online = 1;
      dt.start = p0;
      dt.end = p1;
      dt.foot = foot;
      dt.dist = gap + below;
      t->chr.attr = uint16_t((attr & ~0x180) | 1 << 7);
      return 0;
    }
  }
  dt.online = 0;
  const double up = vb == 0 ? block / 2 : vb == 1 ? 0 : -block / 2;
  t->chr.x = float(base.x + along * deg_cos(angle) + up * deg_cos(angle + 90));
  t->chr.y = float(base.y + along * deg_sin(angle) + up * deg_sin(angle + 90));
  t->chr.attr = uint16_t((attr & ~0x1E0) | 1 << 7 | 1 << 5);
  return 0;
}
