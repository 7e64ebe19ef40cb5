#include "commands/view/sheetcalc.h"

#include <cmath>
#include <cstring>

#include "database/elements.h"
#include "database/store.h"
#include "geometry/text.h"

SheetStack SheetStacks[2];
ShtRecordFn ShtRecord = dtb_ptr;

namespace {

constexpr int RING = 6;
constexpr int MAX_CHANGES = 5;
constexpr double FAR = 99999999.0;
constexpr double SHEET_MAX = 99999991.0;
constexpr double SHEET_BIG = 80000001.0;

// Node classes whose two points (+30, +46) or first point move with the elements.
constexpr int OFF_CLASS = 28, OFF_P1 = 30, OFF_P2 = 46;
constexpr int OFF_BOX = 24; // corner of a mask box

void shift_at(ElementRecord *r, int off, double dx, double dy) {
  uint8_t *b = reinterpret_cast<uint8_t *>(r) + off;
  double v[2];
  std::memcpy(v, b, sizeof v);
  v[0] += dx, v[1] += dy;
  std::memcpy(b, v, sizeof v);
}

// The corners of the text's laid-out box (aligned by its bases), turned about its position.
void add_text(GeoPoint *min, GeoPoint *max, int db, int32_t n, const ElementRecord &r) {
  static char str[CHR_TEXTMAX + 1];
  static ChrLayout lay;
  ElementRecord full;
  const int rc = elm_read(db, n, &full, str, sizeof str);
  if (rc != 0 && rc != 3)
    return;
  const double h = std::fabs(double(r.chr.height));
  lay = ChrLayout{};
  chr_layout(0, r.chr.attr, h, std::fabs(double(r.chr.width)), std::fabs(double(r.chr.spacing)), str, &lay, nullptr);
  const GeoPoint at{r.chr.x, r.chr.y};
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (int i = 0; i < lay.count; ++i) {
    const double a = lay.x[i], b = lay.y[i], c = a + lay.w[i], d = b + h;
    x0 = i ? std::fmin(x0, std::fmin(a, c)) : std::fmin(a, c);
    x1 = i ? std::fmax(x1, std::fmax(a, c)) : std::fmax(a, c);
    y0 = i ? std::fmin(y0, std::fmin(b, d)) : std::fmin(b, d);
    y1 = i ? std::fmax(y1, std::fmax(b, d)) : std::fmax(b, d);
  }
  const GeoPoint corners[4] = {{at.x + x0, at.y + y0}, {at.x + x1, at.y + y0}, {at.x + x1, at.y + y1},
                               {at.x + x0, at.y + y1}};
  for (const GeoPoint &q : corners) {
    GeoPoint turned = q;
    if (r.chr.angle != 0)
      geo_rotate(&at, &q, &turned, r.chr.angle);
    geo_boxadd(min, max, &turned);
  }
}

} // namespace

void shs_reset(SheetStack &s, double width, double height) {
  s = SheetStack{};
  s.e[0] = {0, 0, width, height};
}

void shs_push(SheetStack &s, const SheetChange &c) {
  if (s.count < MAX_CHANGES)
    s.count++;
  s.top = (s.top + 1) % RING;
  s.e[s.top] = c;
}

int shs_peek(const SheetStack &s, SheetChange *back) {
  if (s.count <= 0 || s.top < 0 || s.top >= RING)
    return 1;
  const SheetChange &t = s.e[s.top];
  const SheetChange &below = s.e[(s.top + RING - 1) % RING];
  *back = {-t.dx, -t.dy, below.width, below.height};
  return 0;
}

int shs_pop(SheetStack &s, SheetChange *back) {
  if (shs_peek(s, back) != 0)
    return 1;
  s.e[s.top] = SheetChange{};
  s.top = (s.top + RING - 1) % RING;
  s.count--;
  return 0;
}

void vew_prvclr(int dwg) {
  if (dwg == 0 || dwg == 1)
    SheetStacks[dwg].count = 0;
}

int sht_fitbox(const GeoPoint &min, const GeoPoint &max, double sheetw, double sheeth, SheetChange *out) {
  if (!(sheetw > 0) || !std::isfinite(sheeth))
    return 1;
  const double r = sheeth / sheetw;
  const double cx = (min.x + max.x) / 2, cy = (min.y + max.y) / 2;
  double w = max.x - min.x, h = max.y - min.y;
  if (h > r * w)
    w = h / r;
  else
    h = r * w;
  if (!(w >= 1.0) || w > SHEET_MAX)
    return 1;
  double nw = w / 0.8, nh = h / 0.8;
  if (w >= SHEET_BIG)
    nw = SHEET_MAX, nh = r * SHEET_MAX;
  *out = {nw / 2 - cx, nh / 2 - cy, nw, nh};
  return 0;
}

double sht_factor(int num0, int den0, int num, int den) {
  if (num0 < 1 || den0 < 1 || num < 1 || den < 1)
    return 1.0;
  return (double(den0) / num0) * (double(num) / den);
}

int sht_shiftrec(ElementRecord *r, double dx, double dy) {
  if (r->flags & ELM_SKIP)
    return 0;
  if (r->kind == MSKBOX) { // a masking text's box goes with its text
    shift_at(r, OFF_BOX, dx, dy);
    return 1;
  }
  switch (r->kind & ~MSKBOX) {
  case PNT:
    r->pnt.x += dx, r->pnt.y += dy;
    return 1;
  case LIN:
    r->lin.x1 += dx, r->lin.y1 += dy, r->lin.x2 += dx, r->lin.y2 += dy;
    return 1;
  case ARC:
    r->arc.cx += dx, r->arc.cy += dy;
    return 1;
  case CHR:
    r->chr.x = float(r->chr.x + dx), r->chr.y = float(r->chr.y + dy);
    return 1;
  case NOD: {
    if (r->subkind != 1)
      return 0;
    uint16_t cls = 0;
    std::memcpy(&cls, reinterpret_cast<const uint8_t *>(r) + OFF_CLASS, sizeof cls);
    if (cls == 100 || cls == 200 || cls == 300 || cls == 400) {
      shift_at(r, OFF_P1, dx, dy);
      shift_at(r, OFF_P2, dx, dy);
      return 1;
    }
    if (cls == 500 || cls == 600 || cls == 700) {
      shift_at(r, OFF_P1, dx, dy);
      return 1;
    }
    return 0;
  }
  default:
    return 0;
  }
}

int sht_check(int db) {
  if (db < 0 || db >= DB_COUNT)
    return 1;
  for (uint32_t n = DbCtl[db].base1; n < dtb_end1(db); n++)
    if (!ShtRecord(db, int32_t(n)))
      return 1;
  return 0;
}

int sht_shiftall(int db, double dx, double dy) {
  if (sht_check(db) != 0)
    return 1;
  for (uint32_t n = DbCtl[db].base1; n < dtb_end1(db); n++)
    sht_shiftrec(ShtRecord(db, int32_t(n)), dx, dy);
  return 0;
}

int box_addpt(double x, double y, double *min, double *max) {
  min[0] = std::fmin(min[0], x);
  min[1] = std::fmin(min[1], y);
  max[0] = std::fmax(max[0], x);
  max[1] = std::fmax(max[1], y);
  return 0;
}

int dwg_extents(int db, GeoPoint *min, GeoPoint *max) {
  *min = {FAR, FAR};
  *max = {-FAR, -FAR};
  if (db < 0 || db >= DB_COUNT)
    return 1;
  bool any = false;
  for (uint32_t n = DbCtl[db].base1; n < dtb_end1(db); n++) {
    const ElementRecord *r = ShtRecord(db, int32_t(n));
    if (!r || (r->flags & ELM_SKIP))
      continue;
    const uint16_t k = r->kind & ~MSKBOX;
    if (k == PNT || k == LIN || k == ARC) {
      ElementRecord c = *r;
      c.kind = k;
      geo_entbox(min, max, reinterpret_cast<const uint8_t *>(&c));
      any = true;
    } else if (k == CHR) {
      add_text(min, max, db, int32_t(n), *r);
      any = true;
    }
  }
  return any ? 0 : 1;
}
