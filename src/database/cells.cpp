#include "database/cells.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "database/elements.h"
#include "database/symtab.h"
#include "settings/params.h"

namespace {

struct Sheet {
  double w, h, cw, ch;
  bool ok() const { return cw > 0 && ch > 0 && std::isfinite(cw) && std::isfinite(ch); }
};

Sheet sheet_of(int db) {
  SheetRecord s;
  std::memset(&s, 0, sizeof s);
  sys_sheet('r', db, &s);
  return {s.width, s.height, s.width * 0.25, s.height * 0.25};
}

// Cell index of a coordinate: truncated toward zero, kept within what an int holds
// (callers pass finite values; a quotient that is no number is off the sheet).
int cell_ix(double v, double size) {
  const double q = std::trunc(v / size);
  return q != q ? -8 : q < -8 ? -8 : q > 8 ? 8 : int(q);
}

bool finite(std::initializer_list<double> vs) {
  for (double v : vs)
    if (!std::isfinite(v))
      return false;
  return true;
}

void clamp_range(int *lo, int *hi) {
  if (*lo < 0 || *lo > 3)
    *lo = 0;
  if (*hi < 0 || *hi > 3)
    *hi = 3;
}

bool on_sheet(const Sheet &s, double x1, double y1, double x2, double y2) {
  return std::min(x1, x2) >= 0 && std::max(x1, x2) <= s.w && std::min(y1, y2) >= 0 && std::max(y1, y2) <= s.h;
}

void cell_rect(const Sheet &s, int ix, int iy, double r[4]) {
  r[0] = ix * s.cw, r[1] = iy * s.ch, r[2] = (ix + 1) * s.cw, r[3] = (iy + 1) * s.ch;
}

double rd(const ElementRecord *r, int off) {
  double v;
  std::memcpy(&v, reinterpret_cast<const uint8_t *>(r) + off, 8);
  return v;
}

} // namespace

uint16_t cel_pnt(int db, double x, double y) {
  const Sheet s = sheet_of(db);
  if (!s.ok() || !std::isfinite(x) || !std::isfinite(y))
    return 0;
  const int ix = cell_ix(x, s.cw), iy = cell_ix(y, s.ch);
  return ix >= 0 && ix <= 3 && iy >= 0 && iy <= 3 ? uint16_t(1u << (ix + 4 * iy)) : 0;
}

uint16_t cel_seg(int db, double x1, double y1, double x2, double y2) {
  const Sheet s = sheet_of(db);
  if (!s.ok() || !finite({x1, y1, x2, y2}) || !on_sheet(s, x1, y1, x2, y2))
    return 0;
  int ix0 = cell_ix(x1, s.cw), ix1 = cell_ix(x2, s.cw), iy0 = cell_ix(y1, s.ch), iy1 = cell_ix(y2, s.ch);
  if (ix0 > ix1)
    std::swap(ix0, ix1);
  if (iy0 > iy1)
    std::swap(iy0, iy1);
  clamp_range(&ix0, &ix1);
  clamp_range(&iy0, &iy1);
  uint16_t m = 0;
  for (int iy = iy0; iy <= iy1; iy++)
    for (int ix = ix0; ix <= ix1; ix++) {
      double r[4];
      cell_rect(s, ix, iy, r);
      if (geo_segvis(r, x1, y1, x2, y2) == 0)
        m |= uint16_t(1u << (ix + 4 * iy));
    }
  return m;
}

uint16_t cel_arc(int db, double cx, double cy, double r, double start, double end) {
  const Sheet s = sheet_of(db);
  if (!s.ok() || !finite({cx, cy, r, start, end}))
    return 0;
  GeoPoint lo, hi;
  geo_arcbox(cx, cy, r, start, end, &lo, &hi);
  if (!on_sheet(s, lo.x, lo.y, hi.x, hi.y))
    return 0;
  for (int i = 0; i < 2 && !(start < end); i++)
    start -= 360;
  int ix0 = cell_ix((cx - r) / s.cw - 0.125, 1), ix1 = cell_ix((cx + r) / s.cw + 0.125, 1);
  int iy0 = cell_ix((cy - r) / s.ch - 0.125, 1), iy1 = cell_ix((cy + r) / s.ch + 0.125, 1);
  clamp_range(&ix0, &ix1);
  clamp_range(&iy0, &iy1);
  uint16_t m = 0;
  for (int iy = iy0; iy <= iy1; iy++)
    for (int ix = ix0; ix <= ix1; ix++) {
      double rc[4];
      cell_rect(s, ix, iy, rc);
      if (geo_arcvis((rc[0] + rc[2]) / 2, (rc[1] + rc[3]) / 2, s.cw / 2, s.ch / 2, rc, cx, cy, r, start, end) == 0)
        m |= uint16_t(1u << (ix + 4 * iy));
    }
  return m;
}

uint16_t cel_chr(int db, double x, double y, uint16_t attr, double height, double width, double spacing, double angle,
                 const char *str) {
  if (!str || !sheet_of(db).ok() || !finite({x, y, height, width, spacing, angle}))
    return 0;
  static ChrLayout lay;
  chr_layout(0, attr, height, width, spacing, str, &lay, nullptr);
  double k = 1;
  if ((attr >> 9) & 7) {
    const double stroke = lay.width;
    if (cel_wlayout(attr, height, width, spacing, str, &lay))
      k = lay.width > 0 ? stroke / lay.width : 1; // a layout of no width is not scaled
  }
  const double c = std::cos(angle * DEG2RAD), sn = std::sin(angle * DEG2RAD);
  uint16_t m = 0;
  for (int i = 0; i < lay.count && i < CHR_SLOTS; i++) {
    const double yy = lay.y[i] + (lay.half[i] ? height / 4 : height / 2);
    const double xa = lay.x[i] * k, xb = (lay.x[i] + lay.w[i]) * k;
    m |= cel_seg(db, x + xa * c - yy * sn, y + xa * sn + yy * c, x + xb * c - yy * sn, y + xb * sn + yy * c);
  }
  return m;
}

uint16_t cel_rect(int db, double x1, double y1, double x2, double y2) {
  const Sheet s = sheet_of(db);
  // A rectangle may reach to infinity, but a corner that is no number covers nothing.
  if (!s.ok() || std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2))
    return 0;
  if (x1 > x2)
    std::swap(x1, x2);
  if (y1 > y2)
    std::swap(y1, y2);
  int ix0 = std::max(cell_ix(x1, s.cw), -1), ix1 = std::min(cell_ix(x2, s.cw), 4);
  int iy0 = std::max(cell_ix(y1, s.ch), -1), iy1 = std::min(cell_ix(y2, s.ch), 4);
  uint16_t m = 0;
  for (int iy = iy0; iy <= iy1; iy++)
    for (int ix = ix0; ix <= ix1; ix++)
      if (ix >= 0 && ix <= 3 && iy >= 0 && iy <= 3)
        m |= uint16_t(1u << (ix + 4 * iy));
  return m;
}

int geo_ptcirc(const GeoPoint *centre, double radius, const GeoPoint *point, int32_t *result) {
  if (!(radius > 0))
    return 1;
  const double d = std::hypot(point->x - centre->x, point->y - centre->y);
  *result = std::fabs(d - radius) <= 1e-6 ? 0 : d < radius ? -1 : 1;
  return 0;
}

int elm_cell(int db, ElementRecord *rec, const char *str) {
  if (!rec)
    return 0;
  switch (rec->kind) {
  case PNT:
    rec->cells = cel_pnt(db, rec->pnt.x, rec->pnt.y);
    break;
  case LIN:
    rec->cells = cel_seg(db, rec->lin.x1, rec->lin.y1, rec->lin.x2, rec->lin.y2);
    break;
  case ARC:
    rec->cells = cel_arc(db, rec->arc.cx, rec->arc.cy, rec->arc.r, rec->arc.start, rec->arc.end);
    break;
  case CHR: {
    const ChrBody &b = rec->chr;
    rec->cells = cel_chr(db, b.x, b.y, b.attr, b.height, b.width, b.spacing, b.angle, str);
    break;
  }
  case NOD: {
    if (rec->subkind != 1)
      break;
    uint16_t cls;
    std::memcpy(&cls, rec->nod.data, 2);
    if (cls == 100 || cls == 200 || cls == 300 || cls == 400)
      rec->cells = cel_seg(db, rd(rec, 30), rd(rec, 38), rd(rec, 46), rd(rec, 54));
    else if (cls == 500 || cls == 600 || cls == 700)
      rec->cells = cel_arc(db, rd(rec, 30), rd(rec, 38), rd(rec, 46), rd(rec, 54), rd(rec, 62));
    else if (cls == 800 || cls == 900 || cls == 1000 || cls == 1100)
      rec->cells = 0;
    break;
  }
  default:
    break;
  }
  return 0;
}

int elm_marks(int db, int mode, int colour, const ElementRecord *rec) {
  if (!rec || (rec->kind != LIN && rec->kind != ARC))
    return 1;
  const uint16_t attr = rec->kind == LIN ? rec->lin.attr : rec->arc.attr;
  const bool ends[2] = {((attr >> 8) & 7) == 3, ((attr >> 11) & 7) == 3};
  if (!ends[0] && !ends[1])
    return 1;
  ElementRecord lp, ap;
  std::memset(&lp, 0, sizeof lp);
  lp.kind = LIN;
  lp.layer = rec->layer;
  lp.lin.attr = uint16_t((attr & 15) | 1 << 4);
  std::memset(&ap, 0, sizeof ap);
  ap.kind = ARC;
  ap.layer = rec->layer;
  ap.arc.start = 0;
  ap.arc.end = 360;
  ap.arc.attr = lp.lin.attr;

  double ux = 0, uy = 0;
  if (rec->kind == LIN) {
    const double len = std::hypot(rec->lin.x2 - rec->lin.x1, rec->lin.y2 - rec->lin.y1);
    if (!(len > ELM_TINY))
      return 1;
    ux = (rec->lin.x2 - rec->lin.x1) / len;
    uy = (rec->lin.y2 - rec->lin.y1) / len;
  }
  for (int e = 0; e < 2; e++) {
    if (!ends[e])
      continue;
    SymIter it{};
    it.table = e;
    if (rec->kind == LIN) {
      it.x = e == 0 ? rec->lin.x1 : rec->lin.x2;
      it.y = e == 0 ? rec->lin.y1 : rec->lin.y2;
      it.cs = ux, it.sn = uy;
    } else {
      const double a = e == 0 ? rec->arc.start : rec->arc.end;
      it.x = rec->arc.cx + rec->arc.r * deg_cos(a);
      it.y = rec->arc.cy + rec->arc.r * deg_sin(a);
      it.cs = deg_cos(a + 90), it.sn = deg_sin(a + 90);
    }
    it.op = 0;
    if (!sym_next(&it))
      continue;
    for (it.op = 1; sym_next(&it);) {
      ElementRecord *p;
      if (it.kind == 0) {
        lp.lin.x1 = it.v[0], lp.lin.y1 = it.v[1], lp.lin.x2 = it.v[2], lp.lin.y2 = it.v[3];
        p = &lp;
      } else {
        ap.arc.cx = it.v[0], ap.arc.cy = it.v[1], ap.arc.r = it.v[2];
        p = &ap;
      }
      const int n = elm_add(db, mode, colour, p, nullptr);
      if (n < 1)
        return n;
    }
  }
  return 1;
}
