#include "database/elmindex.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

#include "database/store.h"
#include "geometry/geo.h"
#include "geometry/text.h"

namespace {

struct Box {
  double x0, y0, x1, y1;
};

// One element in a bucket: its box (rounded outwards) and the first bucket it
// lies in, so that a box spanning several buckets is handed over once.
struct Entry {
  int32_t n;
  float x0, y0, x1, y1;
  uint16_t a0, b0;
};

float down(double v) {
  float f = float(v);
  return double(f) > v ? std::nextafter(f, -INFINITY) : f;
}
float up(double v) {
  float f = float(v);
  return double(f) < v ? std::nextafter(f, INFINITY) : f;
}

struct Index {
  bool built = false;
  uint32_t gen = 0;
  uint32_t ctl[5] = {};
  uint64_t walked = 0; // records the callers walked themselves since the index went stale
  // Grid of the elements with a known extent.
  double gx = 0, gy = 0, sx = 1, sy = 1; // origin and buckets per unit
  int nx = 1, ny = 1;
  std::vector<uint32_t> start; // nx * ny + 1
  std::vector<Entry> ids;
  // Extent unknown here: by area cell, or always (mask 0, or too large a box).
  std::vector<int32_t> cell[16];
  std::vector<int32_t> loose;
  // Looked at by window walks only.
  std::vector<int32_t> other;   // group nodes and kinds that are never measured
  std::vector<int32_t> members; // elements inside groups
};

Index Ix[DB_COUNT];

// Walks of every record the callers make after a change before the index is rebuilt.
constexpr uint64_t EIX_PATIENCE = 4;

// Laid-out extents of stroke texts by element number, kept across rebuilds: an
// edit elsewhere leaves most texts as they were, and laying out is the costly
// part of a rebuild.
struct TextExtent {
  float x, y, height, width, spacing, angle;
  uint16_t attr;
  std::string str;
  bool known;
  Box box;
};
std::unordered_map<int32_t, TextExtent> Texts[DB_COUNT];

bool finite(const Box &b) {
  return std::isfinite(b.x0) && std::isfinite(b.y0) && std::isfinite(b.x1) && std::isfinite(b.y1);
}

void grow(Box *b, double x, double y) {
  b->x0 = std::min(b->x0, x);
  b->y0 = std::min(b->y0, y);
  b->x1 = std::max(b->x1, x);
  b->y1 = std::max(b->y1, y);
}

// The string of a text as the pick gathers it; false when it cannot be had whole.
bool text_of(int db, const ElementRecord &r, char s[128]) {
  const int n = r.chr.count;
  if (n < 0 || n > 127)
    return false;
  int got = n < CHR_PIECE0 ? n : CHR_PIECE0;
  std::memcpy(s, r.chr.text, std::size_t(got));
  int32_t link = r.chr.cont;
  while (got < n) {
    if (link < 1)
      return false;
    const ElementRecord *c = dtb_get(db, link);
    if (!c)
      return false;
    const int take = n - got < CONT_PIECE ? n - got : CONT_PIECE;
    std::memcpy(s + got, c->cont.text, std::size_t(take));
    got += take;
    link = c->cont.next;
  }
  s[got] = 0;
  return true;
}

// The box holding everything a pick or a window tests of the element, or false
// when it is not known here. Texts in a typeface are laid out on a window, so
// only stroke texts get one.
// The box of every character cell of a stroke text; false when nothing is laid out.
bool text_extent(const ElementRecord &r, const char *s, Box *b) {
  const double h = std::fabs(double(r.chr.height)), w = std::fabs(double(r.chr.width)),
               sp = std::fabs(double(r.chr.spacing));
  static ChrLayout lay;
  chr_layout(0, r.chr.attr, h, w, sp, s, &lay, nullptr);
  if (lay.count < 1)
    return false; // nothing laid out: a window takes it wherever it is
  const double ca = deg_cos(r.chr.angle), sa = deg_sin(r.chr.angle), bx = r.chr.x, by = r.chr.y;
  bool first = true;
  for (int i = 0; i < lay.count && i < CHR_SLOTS; ++i) {
    const double x0 = lay.x[i], x1 = x0 + lay.w[i], y0 = lay.y[i], y1 = y0 + (lay.half[i] ? h / 2 : h);
    const double xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
    for (int k = 0; k < 4; ++k) {
      const double px = xs[k] * ca - ys[k] * sa + bx, py = xs[k] * sa + ys[k] * ca + by;
      if (first)
        *b = {px, py, px, py};
      else
        grow(b, px, py);
      first = false;
    }
  }
  return true;
}

bool extent(int db, int32_t n, const ElementRecord &r, Box *b) {
  switch (r.kind) {
  case PNT:
    *b = {r.pnt.x, r.pnt.y, r.pnt.x, r.pnt.y};
    break;
  case LIN:
  case LIN | MSKBOX: {
    // Copies: the packed fields cannot be bound to references.
    const double x1 = r.lin.x1, y1 = r.lin.y1, x2 = r.lin.x2, y2 = r.lin.y2;
    *b = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    break;
  }
  case ARC:
  case ARC | MSKBOX: {
    const double a = std::fabs(r.arc.r), cx = r.arc.cx, cy = r.arc.cy;
    *b = {cx - a, cy - a, cx + a, cy + a};
    break;
  }
  case CHR: {
    if ((r.chr.attr >> 9) & 7)
      return false;
    char s[128];
    if (!text_of(db, r, s))
      return false;
    TextExtent &t = Texts[db][n];
    const ChrBody &c = r.chr;
    if (!(t.x == c.x && t.y == c.y && t.height == c.height && t.width == c.width && t.spacing == c.spacing &&
          t.angle == c.angle && t.attr == c.attr && t.str == s)) {
      t = TextExtent{c.x, c.y, c.height, c.width, c.spacing, c.angle, c.attr, s, false, {}};
      t.known = text_extent(r, s, &t.box);
    }
    if (!t.known)
      return false;
    *b = t.box;
    break;
  }
  default:
    return false;
  }
  if (!finite(*b))
    return false;
  // Room for the rounding of the tests and the growth of a window.
  const double m = std::max(std::max(std::fabs(b->x0), std::fabs(b->x1)), std::max(std::fabs(b->y0), std::fabs(b->y1)));
  const double pad = 1e-4 + m * 1e-9;
  *b = {b->x0 - pad, b->y0 - pad, b->x1 + pad, b->y1 + pad};
  return true;
}

int clampi(double v, int n) {
  if (!(v >= 0))
    return 0;
  if (v >= n - 1)
    return n - 1;
  return int(v);
}

struct Item {
  int32_t n;
  Box b;
};

void build(int db, Index &ix) {
  const DbControl &c = DbCtl[db];
  // Kept from build to build: fresh memory of this size costs more than filling it.
  static std::vector<Item> boxed;
  static std::vector<char> big;
  static std::vector<uint32_t> fill;
  boxed.clear();
  for (auto &v : ix.cell)
    v.clear();
  ix.loose.clear();
  ix.other.clear();
  ix.members.clear();
  const uint32_t ranges[3][2] = {{c.base1, c.count1 + c.count2}, {c.base3, c.count3}, {0, 0}};
  Box all{0, 0, 0, 0};
  for (const auto &rg : ranges)
    for (uint32_t k = 0; k < rg[1]; ++k) {
      const int32_t n = int32_t(rg[0] + k);
      const ElementRecord *r = dtb_get(db, n);
      if (!r || (r->flags & ELM_SKIP) || (r->kind & ATR))
        continue; // passed over by every walk
      if (r->encsub)
        ix.members.push_back(n);
      Box b;
      if (extent(db, n, *r, &b)) {
        if (boxed.empty())
          all = b;
        else {
          grow(&all, b.x0, b.y0);
          grow(&all, b.x1, b.y1);
        }
        boxed.push_back({n, b});
      } else if (!(r->kind == PNT || r->kind == CHR || (r->kind & ~MSKBOX) == LIN || (r->kind & ~MSKBOX) == ARC)) {
        ix.other.push_back(n);
      } else if (r->cells) {
        for (int bit = 0; bit < 16; ++bit)
          if (r->cells >> bit & 1)
            ix.cell[bit].push_back(n);
      } else {
        ix.loose.push_back(n);
      }
    }
  // The grid spans the boxes of the elements. About eight elements to a bucket:
  // finer grids cost more to fill than they save.
  const double side = std::sqrt(double(boxed.size()) / 8) + 1;
  const double w = all.x1 - all.x0, h = all.y1 - all.y0;
  ix.nx = ix.ny = 1;
  if (w > 0 && h > 0 && std::isfinite(w) && std::isfinite(h)) {
    const double r = std::sqrt(w / h);
    ix.nx = int(std::clamp(side * r, 1.0, 2048.0));
    ix.ny = int(std::clamp(side / r, 1.0, 2048.0));
  }
  ix.gx = all.x0;
  ix.gy = all.y0;
  ix.sx = w > 0 ? ix.nx / w : 0;
  ix.sy = h > 0 ? ix.ny / h : 0;
  const int nb = ix.nx * ix.ny;
  const long bigcells = std::max(64L, long(nb) / 256);
  ix.start.assign(std::size_t(nb) + 1, 0);
  auto span = [&](const Box &b, int *a0, int *a1, int *b0, int *b1) {
    *a0 = clampi((b.x0 - ix.gx) * ix.sx, ix.nx);
    *a1 = clampi((b.x1 - ix.gx) * ix.sx, ix.nx);
    *b0 = clampi((b.y0 - ix.gy) * ix.sy, ix.ny);
    *b1 = clampi((b.y1 - ix.gy) * ix.sy, ix.ny);
  };
  big.assign(boxed.size(), 0);
  for (std::size_t i = 0; i < boxed.size(); ++i) {
    int a0, a1, b0, b1;
    span(boxed[i].b, &a0, &a1, &b0, &b1);
    if (long(a1 - a0 + 1) * (b1 - b0 + 1) > bigcells) {
      big[i] = 1;
      continue;
    }
    for (int yy = b0; yy <= b1; ++yy)
      for (int xx = a0; xx <= a1; ++xx)
        ++ix.start[std::size_t(yy * ix.nx + xx) + 1];
  }
  for (int i = 0; i < nb; ++i)
    ix.start[std::size_t(i) + 1] += ix.start[std::size_t(i)];
  ix.ids.assign(ix.start[std::size_t(nb)], Entry{});
  fill.assign(ix.start.begin(), ix.start.end() - 1);
  for (std::size_t i = 0; i < boxed.size(); ++i) {
    if (big[i]) {
      ix.loose.push_back(boxed[i].n);
      continue;
    }
    int a0, a1, b0, b1;
    span(boxed[i].b, &a0, &a1, &b0, &b1);
    const Box &b = boxed[i].b;
    const Entry e{boxed[i].n, down(b.x0), down(b.y0), up(b.x1), up(b.y1), uint16_t(a0), uint16_t(b0)};
    for (int yy = b0; yy <= b1; ++yy)
      for (int xx = a0; xx <= a1; ++xx)
        ix.ids[fill[std::size_t(yy * ix.nx + xx)]++] = e;
  }
  std::sort(ix.loose.begin(), ix.loose.end());
}

} // namespace

bool eix_near(int db, int use, double x0, double y0, double x1, double y1, uint16_t cells,
              std::vector<int32_t> *out) {
  if (db < 0 || db >= DB_COUNT)
    return false;
  Index &ix = Ix[db];
  const DbControl &c = DbCtl[db];
  const uint32_t ctl[5] = {c.base1, c.count1, c.count2, c.base3, c.count3};
  if (!ix.built || ix.gen != DbGen[db] || std::memcmp(ix.ctl, ctl, sizeof ctl) != 0) {
    // While the drawing keeps changing, the caller walks the records itself;
    // after a few such walks a rebuild pays for itself.
    const uint64_t used = uint64_t(c.count1) + c.count2 + c.count3;
    if (ix.gen != DbGen[db] || std::memcmp(ix.ctl, ctl, sizeof ctl) != 0) {
      ix.built = false;
      ix.walked = 0;
    }
    ix.gen = DbGen[db];
    std::memcpy(ix.ctl, ctl, sizeof ctl);
    if (ix.walked < EIX_PATIENCE * used) {
      ix.walked += used;
      return false;
    }
    build(db, ix);
    if (ix.gen != DbGen[db]) // a record was handed out while building: stale at once
      return false;
    ix.built = true;
  }
  const std::size_t from = out->size();
  if (x0 > x1)
    std::swap(x0, x1);
  if (y0 > y1)
    std::swap(y0, y1);
  const int a0 = clampi((x0 - ix.gx) * ix.sx, ix.nx), a1 = clampi((x1 - ix.gx) * ix.sx, ix.nx);
  const int b0 = clampi((y0 - ix.gy) * ix.sy, ix.ny), b1 = clampi((y1 - ix.gy) * ix.sy, ix.ny);
  const bool whole = !(x0 == x0 && x1 == x1 && y0 == y0 && y1 == y1);
  for (int yy = whole ? 0 : b0; yy <= (whole ? ix.ny - 1 : b1); ++yy)
    for (int xx = whole ? 0 : a0; xx <= (whole ? ix.nx - 1 : a1); ++xx) {
      const std::size_t k = std::size_t(yy * ix.nx + xx);
      for (uint32_t i = ix.start[k]; i < ix.start[k + 1]; ++i) {
        const Entry &e = ix.ids[i];
        // Handed over from the first bucket both share, and only when the boxes meet.
        if (!whole && ((e.a0 < a0 ? a0 : e.a0) != xx || (e.b0 < b0 ? b0 : e.b0) != yy || e.x1 < x0 || e.x0 > x1 ||
                       e.y1 < y0 || e.y0 > y1))
          continue;
        if (whole && (e.a0 != xx || e.b0 != yy))
          continue;
        out->push_back(e.n);
      }
    }
  for (int bit = 0; bit < 16; ++bit)
    if (cells >> bit & 1)
      out->insert(out->end(), ix.cell[bit].begin(), ix.cell[bit].end());
  out->insert(out->end(), ix.loose.begin(), ix.loose.end());
  if (use == EIX_WINDOW) {
    out->insert(out->end(), ix.other.begin(), ix.other.end());
    out->insert(out->end(), ix.members.begin(), ix.members.end());
  }
  std::sort(out->begin() + std::ptrdiff_t(from), out->end());
  out->erase(std::unique(out->begin() + std::ptrdiff_t(from), out->end()), out->end());
  return true;
}
