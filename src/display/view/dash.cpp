// Dash emulation: dashed kinds and arcs drawn by the program over solid pens.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <vector>

#include "display/view/gdi.h"
#include "display/view/view.h"
#include "settings/params.h"
#include "display/view/viewstate.h"

PatternPhaseRecord PatternPhase;

namespace {

constexpr int BATCH_POINTS = 4096;
constexpr int RUN_POINTS = 200;
const int PitchCounts[6] = {0, 2, 4, 6, 2, 2};

struct PolyBatchRecord {
  POINT *oct; // first octant corner points
  int octcount;
  POINT *buf; // polyline being collected
  int count;
  POINT last;
  uint32_t clip;
  int32_t xmin, ymin, xmax, ymax;
  POINT slot[4];
  uint32_t ready;
} PolyBatch = {nullptr, 0, nullptr, 0, {-1, -1}, 0, 0, 0, 0, 0, {}, 0};

inline void batch_add(HDC dc, POINT a, POINT c);

// MoveToEx/LineTo sequences of one figure, sent together (gdi_polys): the same
// pixels as the single calls (each polyline leaves out its last point) in one GDI call.
class DashPath {
public:
  explicit DashPath(HDC dc) : dc_(dc) {}
  ~DashPath() { flush(); }
  void move(int32_t x, int32_t y) {
    cur_ = POINT{x, y};
    open_ = false;
  }
  void line(int32_t x, int32_t y) {
    if (!open_ || npts_ + 1 > CAP) {
      if (npts_ + 2 > CAP || npoly_ >= CAP / 2)
        flush();
      counts_[npoly_++] = 1;
      pts_[npts_++] = cur_;
      open_ = true;
    }
    pts_[npts_++] = POINT{x, y};
    counts_[npoly_ - 1]++;
    cur_ = POINT{x, y};
  }
  void flush() {
    if (npoly_) { // one call per figure: dashes held with other strokes drew slower
      gdi_strokeflush();
      gdi_polys(dc_, pts_, counts_, static_cast<DWORD>(npoly_));
    }
    npts_ = npoly_ = 0;
    open_ = false;
  }

private:
  static constexpr int CAP = 512;
  HDC dc_;
  POINT pts_[CAP];
  DWORD counts_[CAP / 2];
  int npts_ = 0, npoly_ = 0;
  bool open_ = false;
  POINT cur_ = {0, 0};
};

int32_t near_int(double v) { return v > 0 ? dev_trunc(v + 0.5) : dev_trunc(v - 0.5); }

int pitch_set() {
  if (OutputKind == 1)
    return 1;
  if (OutputKind == 4)
    return PlotterMode ? 2 : 1;
  return 0;
}

// Periods j of n along (x1,y1)-(x2,y2) that can reach the DC's clip box; far
// lines would otherwise walk millions of invisible periods.
void visible_periods(HDC dc, double x1, double y1, double dx, double dy, int64_t n, int64_t *lo, int64_t *hi) {
  *lo = 0;
  *hi = n - 1;
  RECT box;
  if (n < 64 || GetClipBox(dc, &box) == ERROR)
    return;
  const double m = 64; // pen widths and truncation
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - (box.left - m), (box.right + m) - x1, y1 - (box.top - m), (box.bottom + m) - y1};
  for (int i = 0; i < 4; i++) {
    if (p[i] == 0) {
      if (q[i] < 0) {
        *hi = -1;
        return;
      }
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1) {
    *hi = -1;
    return;
  }
  *lo = std::max<int64_t>(0, static_cast<int64_t>(t0 * n) - 1);
  *hi = std::min<int64_t>(n - 1, static_cast<int64_t>(t1 * n) + 1);
}

// The built-in pattern of a kind over a line at a unit of u pixels.
void table_line(HDC dc, int kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int u) {
  const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
  const double len = std::hypot(dx, dy);
  DashPath path(dc);
  path.move(x1, y1);
  if (kind == 5) {
    const int64_t n = std::max<int64_t>(1, static_cast<int64_t>(len / (4.0 * u) + 0.5));
    int64_t lo, hi;
    visible_periods(dc, x1, y1, dx, dy, n, &lo, &hi);
    for (int64_t i = lo; i <= hi; i++) {
      const int32_t x = dev_trunc(x1 + dx * i / n), y = dev_trunc(y1 + dy * i / n);
      path.move(x, y);
      path.line(x + 1, y);
    }
    if (hi == n - 1) {
      path.move(x2, y2);
      path.line(x2 + 1, y2);
    }
    return;
  }
  const uint32_t *e = DashTable[kind];
  uint32_t total = 0;
  for (int i = 0; e[i]; i++)
    total += e[i];
  const double P = total;
  const int64_t n = std::max<int64_t>(1, static_cast<int64_t>(len / (u * P)));
  int64_t lo, hi;
  visible_periods(dc, x1, y1, dx, dy, n, &lo, &hi);
  if (lo > 0)
    path.move(dev_trunc(x1 + dx * lo / n), dev_trunc(y1 + dy * lo / n));
  const double nP = n * P;
  for (int64_t j = lo; j <= hi; j++) {
    double s = 0;
    for (int i = 0; e[i]; i++) {
      s += e[i];
      const double f = (j * P + s) / nP;
      const int32_t x = dev_trunc(x1 + dx * f), y = dev_trunc(y1 + dy * f);
      if (i % 2 == 0)
        path.line(x, y);
      else
        path.move(x, y);
    }
  }
}

// Walks an arc in equal steps, drawing the runs of the even elements.
void arc_walk(HDC dc, int32_t cx, int32_t cy, int32_t r, double start, double delta, int64_t steps,
              const uint32_t *elems, bool dots) {
  const double a = start * std::numbers::pi / 180, d = delta * std::numbers::pi / 180;
  double x = r * std::cos(a), y = r * std::sin(a);
  const double cd = std::cos(d), sd = std::sin(d);
  POINT run[RUN_POINTS];
  int cnt = 1;
  int64_t held = 0; // steps the current element has run
  int i = 0;
  run[0] = POINT{cx + near_int(x), cy - near_int(y)};
  auto draw = [&]() {
    if (cnt < 2)
      return;
    if (dots) {
      const POINT two[2] = {run[0], {run[0].x + 1, run[0].y}};
      gdi_polyout(dc, two, 2);
    } else {
      gdi_polyout(dc, run, cnt);
    }
  };
  for (int64_t k = 0; k < steps; k++) {
    if (held > static_cast<int64_t>(elems[i])) {
      if (i % 2 == 0)
        draw();
      i++;
      if (i >= 8 || elems[i] == 0)
        i = 0;
      run[0] = run[cnt - 1];
      cnt = 1;
      held = 0;
    }
    const double nx = x * cd - y * sd, ny = x * sd + y * cd;
    x = nx;
    y = ny;
    if (cnt == RUN_POINTS) { // a long run: draw what is held and go on from its last point
      if (i % 2 == 0 && !dots)
        draw();
      run[0] = run[cnt - 1];
      cnt = 1;
    }
    run[cnt++] = POINT{cx + near_int(x), cy - near_int(y)};
    held++;
  }
  if (cnt >= 2 && i % 2 == 0)
    draw();
}

// Degenerate device sizes and pitch sets fall back to the built-in pattern at 3 pixels.
void fallback_line(HDC dc, int kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  table_line(dc, kind, x1, y1, x2, y2, 3);
}

void fallback_arc(HDC dc, int kind, int32_t cx, int32_t cy, int32_t r, double start, double end) {
  const double sweep = std::fabs(end - start);
  const double A = r * sweep / 180 * std::numbers::pi;
  const int64_t N = std::max<int64_t>(1, static_cast<int64_t>(A / 3));
  arc_walk(dc, cx, cy, r, start, sweep / N, N, DashTable[kind], kind == 5);
}

} // namespace

void gdi_hugearc(HDC dc, int32_t cx, int32_t cy, int32_t r, double start, double end) {
  const double sweep = std::min(std::fabs(end - start), 360.0) * std::numbers::pi / 180;
  const double step = 2 * std::sqrt(2.0 / r); // chords within a pixel of the circle
  const int64_t n = std::clamp<int64_t>(static_cast<int64_t>(sweep / step) + 1, 1, 1000000);
  const double a0 = start * std::numbers::pi / 180, d = (end >= start ? sweep : -sweep) / n;
  POINT pts[RUN_POINTS];
  int cnt = 0;
  for (int64_t k = 0; k <= n; k++) {
    const double a = a0 + d * k;
    pts[cnt++] = POINT{dev_trunc(cx + std::round(r * std::cos(a))), dev_trunc(cy - std::round(r * std::sin(a)))};
    if (cnt == RUN_POINTS || k == n) {
      if (cnt > 1)
        gdi_polyout(dc, pts, cnt);
      pts[0] = pts[cnt - 1];
      cnt = 1;
    }
  }
}

void gdi_patcont(uint32_t on) {
  PatternPhase.continuous = on != 0;
  PatternPhase.valid = 0;
}

int gdi_dashunit(HDC dc) {
  if (OutputKind != 1)
    return 3;
  const int size = gdi_calls.GetDeviceCaps(dc, HORZSIZE), res = gdi_calls.GetDeviceCaps(dc, HORZRES);
  if (size <= 0 || res <= 0)
    return 3;
  const int u = res * 5 / size / 5;
  return u > 0 ? u : 3;
}

int gdi_dashlen(int set, int kind, double *length, uint32_t lengths[8]) {
  if (kind < 1 || kind > 5)
    return 0;
  LinePitchSet ps;
  if (sys_ltype('r', set, &ps) != 0)
    return 0;
  const double d = ps.v[0][kind - 1], g = ps.v[1][kind - 1], t = ps.v[2][kind - 1];
  double v[6];
  int n;
  if (kind == 2) {
    const double p[4] = {d, g, t, g};
    std::copy(p, p + 4, v);
    n = 4;
  } else if (kind == 3) {
    const double p[6] = {d, g, t, g, t, g};
    std::copy(p, p + 6, v);
    n = 6;
  } else {
    v[0] = d;
    v[1] = g;
    n = 2;
  }
  double sum = 0;
  for (int i = 0; i < n; i++) {
    sum += v[i];
    const double tenths = v[i] * 10 + 0.5;
    lengths[i] = tenths >= 1 && tenths < 1e7 ? static_cast<uint32_t>(tenths) : 0;
  }
  *length = sum;
  return 0;
}

int gdi_dashline(HDC dc, int kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (kind < 0 || kind > 5)
    kind = 0;
  if (kind != 0 && gdi_emumode() == 2)
    return gdi_pitchline(dc, kind, x1, y1, x2, y2);
  if (kind == 0) {
    gdi_strokeflush();
    gdi_calls.MoveToEx(dc, x1, y1, nullptr);
    gdi_calls.LineTo(dc, x2, y2);
    return 0;
  }
  table_line(dc, kind, x1, y1, x2, y2, gdi_dashunit(dc));
  return 0;
}

int gdi_pitchline(HDC dc, int kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (kind < 1 || kind > 5)
    return gdi_dashline(dc, 0, x1, y1, x2, y2);
  PatternPhaseRecord &ph = PatternPhase;
  uint32_t pat[8] = {0};
  double len = 0;
  int64_t P = 0;
  auto build = [&]() {
    std::memset(pat, 0, sizeof pat);
    gdi_dashlen(pitch_set(), kind, &len, pat);
    P = 0;
    for (int i = 0; i < 8 && pat[i]; i++)
      P += pat[i];
  };
  const bool cont = ph.continuous != 0;
  if (!cont) {
    build();
    ph.index = 0;
    ph.valid = 0;
  } else if (ph.valid) {
    std::memcpy(pat, ph.work, sizeof pat);
    P = ph.sum;
    len = ph.length;
  } else {
    build();
    std::memcpy(ph.work, pat, sizeof pat);
    std::memcpy(ph.saved, pat, sizeof pat);
    ph.length = len;
    ph.sum = static_cast<int32_t>(P);
    ph.index = 0;
    ph.valid = 1;
  }
  const int size = gdi_calls.GetDeviceCaps(dc, HORZSIZE), res = gdi_calls.GetDeviceCaps(dc, HORZRES);
  const double period = size > 0 ? len * res / size : 0;
  if (P <= 0 || !(period > 0) || pat[0] == 0) {
    fallback_line(dc, kind, x1, y1, x2, y2);
    return 0;
  }
  const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
  const double m = std::hypot(dx, dy) / period;
  DashPath path(dc);
  path.move(x1, y1);
  if (!(m > 0))
    return 0;
  const double sx = dx / m, sy = dy / m;
  const int64_t passes = static_cast<int64_t>(std::min(m, 1e9)) + 2;
  double fx = x1, fy = y1;
  bool finished = false;
  int i = 0;
  for (int64_t k = 0; k < passes && !finished; k++) {
    i = cont && k == 0 ? ph.index : 0;
    if (cont && k > 0)
      std::memcpy(pat, ph.saved, sizeof pat);
    if (i < 0 || i >= 8)
      i = 0;
    double a = 0;
    while (i < 8 && pat[i] != 0) {
      a += pat[i];
      int32_t px = dev_trunc(a * sx / P + fx), py = dev_trunc(a * sy / P + fy);
      if ((dx > 0 && px > x2) || (dx < 0 && px < x2) || (dy > 0 && py > y2) || (dy < 0 && py < y2)) {
        px = x2;
        py = y2;
        finished = true;
      }
      if (i % 2)
        path.move(px, py);
      else
        path.line(px, py);
      if (finished)
        break;
      i++;
    }
    if (finished)
      break;
    if (cont && k == 0) {
      fx += a / P * sx;
      fy += a / P * sy;
    } else {
      fx += sx;
      fy += sy;
    }
  }
  // The phase is counted over the pattern as the line took it up (the working
  // pattern, which the walk above only reloads in its local copy).
  if (finished && cont)
    gdi_patphase(kind, i, static_cast<int>(P), m);
  return 0;
}

int gdi_patphase(int kind, int, int sum, double periods) {
  PatternPhaseRecord &ph = PatternPhase;
  if (kind < 1 || kind > 5 || sum <= 0 || ph.saved[0] == 0)
    return 0;
  const int64_t n = static_cast<int64_t>(std::min(sum * periods + 0.5, 4e18));
  int64_t acc = 0;
  int idx = ph.index >= 0 && ph.index < 8 ? ph.index : 0;
  for (;;) {
    if (idx >= 8 || ph.work[idx] == 0) {
      std::memcpy(ph.work, ph.saved, sizeof ph.work);
      idx = 0;
      const int64_t rest = n - acc;
      if (rest > sum)
        acc += (rest - 1) / sum * sum; // whole periods at once
    }
    acc += ph.work[idx];
    if (acc >= n)
      break;
    idx++;
  }
  const int64_t r = acc - n;
  if (r > 0) {
    ph.work[idx] = static_cast<uint32_t>(r);
    ph.index = idx;
  } else {
    ph.index = idx + 1 >= PitchCounts[kind] ? idx : idx + 1;
  }
  return 0;
}

int gdi_patreset(uint32_t out[8]) {
  std::memcpy(out, PatternPhase.saved, sizeof PatternPhase.saved);
  return 0;
}

int gdi_pitcharc(HDC dc, int kind, int32_t cx, int32_t cy, int32_t r, double start, double end) {
  uint32_t pat[8] = {0};
  double len = 0;
  if (kind >= 1 && kind <= 5)
    gdi_dashlen(pitch_set(), kind, &len, pat);
  int64_t P = 0;
  for (int i = 0; i < 8 && pat[i]; i++)
    P += pat[i];
  const int size = gdi_calls.GetDeviceCaps(dc, HORZSIZE), res = gdi_calls.GetDeviceCaps(dc, HORZRES);
  const double period = size > 0 ? len * res / size : 0;
  if (kind < 1 || kind > 5 || P <= 0 || !(period > 0)) {
    fallback_arc(dc, kind >= 1 && kind <= 5 ? kind : 1, cx, cy, r, start, end);
    return 0;
  }
  const double sweep = std::fabs(end - start);
  const double A = r * sweep / 180 * std::numbers::pi;
  const double U = A / period * P;
  const int64_t N = std::max<int64_t>(1, static_cast<int64_t>(std::min(U + 0.5, 1e9)));
  arc_walk(dc, cx, cy, r, start, U > 0 ? sweep / U : 0, N, pat, false);
  return 0;
}

int gdi_polyarc(HDC dc, int kind, int32_t cx, int32_t cy, int32_t r, double start, double end) {
  if (r > ARC_LIMIT) {
    gdi_hugearc(dc, cx, cy, r, start, end);
    return 0;
  }
  if (r == 0 || r == 1) {
    const POINT two[2] = {{cx, cy}, {cx + 1, cy}};
    gdi_polyout(dc, two, 2);
    return 0;
  }
  const bool off = OffscreenOutput == 1;
  const int emu = gdi_emumode();
  if (!off && kind != 0 && emu == 2)
    return gdi_pitcharc(dc, kind, cx, cy, r, start, end);
  if (!off && kind >= 1 && kind <= 5 && emu == 1) {
    const double sweep = std::fabs(end - start);
    const double A = r * sweep / 180 * std::numbers::pi;
    const int u = gdi_dashunit(dc);
    const int64_t N = std::max<int64_t>(1, static_cast<int64_t>(std::min(A / u, 1e9)));
    arc_walk(dc, cx, cy, r, start, sweep / N, N, DashTable[kind], kind == 5);
    return 0;
  }
  double delta = std::clamp(std::fabs(end - start) / 20, 0.1, 5.0);
  if (r < 6)
    delta = 30;
  std::vector<POINT> pts;
  auto add = [&](double deg) {
    const double a = deg * std::numbers::pi / 180;
    pts.push_back(POINT{cx + near_int(r * std::cos(a)), cy - near_int(r * std::sin(a))});
  };
  add(start);
  if (end > start && end - start < 1e6)
    for (double a = start; a < end;) {
      a = std::min(a + delta, end);
      add(a);
    }
  if (pts.size() == 1)
    pts.push_back(POINT{pts[0].x + 1, pts[0].y});
  gdi_polyout(dc, pts.data(), static_cast<int>(pts.size()));
  return 0;
}

int pln_arc(HDC dc, int kind, int32_t cx, int32_t cy, int32_t r, double start, double end) {
  if (kind == 0 && OffscreenOutput != 1 && PolyBatch.ready) {
    const double n = r * 2 * std::numbers::pi * (end - start) / 360;
    if (n >= 11 && r < 1001) {
      double s = start - std::floor(start / 360) * 360, e = end - std::floor(end / 360) * 360;
      if (s >= e)
        e += 360;
      const int q0 = static_cast<int>(s / 90), q1 = static_cast<int>((e - 1e-6) / 90);
      const double rs = s * std::numbers::pi / 180, re = e * std::numbers::pi / 180;
      const POINT sp = {cx + near_int(r * std::cos(rs)), cy - near_int(r * std::sin(rs))};
      const POINT ep = {cx + near_int(r * std::cos(re)), cy - near_int(r * std::sin(re))};
      pln_add(dc, nullptr, nullptr);
      for (int q = q0; q <= q1; q++) {
        const int i = q % 4;
        PolyBatch.slot[0] = POINT{cx + r, cy};
        PolyBatch.slot[1] = POINT{cx, cy - r};
        PolyBatch.slot[2] = POINT{cx - r, cy};
        PolyBatch.slot[3] = POINT{cx, cy + r};
        PolyBatch.clip = 0;
        POINT a = PolyBatch.slot[i], b = PolyBatch.slot[(i + 1) % 4];
        if (q == q0) {
          a = sp;
          pln_octant(r);
          PolyBatch.clip = 1;
        }
        if (q == q1) {
          b = ep;
          PolyBatch.clip = 1;
        }
        pln_quadrant(dc, cx, cy, r, a, b, i);
      }
      pln_add(dc, nullptr, nullptr);
      PolyBatch.clip = 0;
      return 0;
    }
  }
  return gdi_polyarc(dc, kind, cx, cy, r, start, end);
}

int pln_alloc() {
  if (PolyBatch.ready)
    return 1;
  PolyBatch.oct = new (std::nothrow) POINT[BATCH_POINTS];
  PolyBatch.buf = new (std::nothrow) POINT[BATCH_POINTS];
  if (!PolyBatch.oct || !PolyBatch.buf) {
    pln_free();
    return 0;
  }
  PolyBatch.count = PolyBatch.octcount = 0;
  PolyBatch.last = POINT{-1, -1};
  PolyBatch.ready = 1;
  return 1;
}

void pln_free() {
  delete[] PolyBatch.oct;
  delete[] PolyBatch.buf;
  PolyBatch.oct = PolyBatch.buf = nullptr;
  PolyBatch.count = PolyBatch.octcount = 0;
  PolyBatch.ready = 0;
}

void pln_setclip(uint32_t on, int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax) {
  PolyBatch.clip = on;
  PolyBatch.xmin = xmin;
  PolyBatch.ymin = ymin;
  PolyBatch.xmax = xmax;
  PolyBatch.ymax = ymax;
}

void pln_add(HDC dc, const POINT *p, const POINT *q) {
  PolyBatchRecord &b = PolyBatch;
  if (!p || !q) {
    if (b.ready && b.count > 0)
      gdi_polyout(dc, b.buf, b.count);
    b.count = 0;
    b.last = POINT{-1, -1};
    return;
  }
  batch_add(dc, *p, *q);
}

namespace {

// One segment into the batch; inline, as the raster arc adds every corner.
inline void batch_add(HDC dc, POINT a, POINT c) {
  PolyBatchRecord &b = PolyBatch;
  if (b.clip && pln_clip(&a, &c) != 0)
    return;
  if (!b.ready) { // no buffers: one segment at a time
    const POINT two[2] = {a, c};
    gdi_polyout(dc, two, 2);
    return;
  }
  if (b.count + 2 > BATCH_POINTS) { // full: draw what is held, go on from its last point
    gdi_polyout(dc, b.buf, b.count);
    b.buf[0] = b.buf[b.count - 1];
    b.count = 1;
  }
  if (b.count == 0 || a.x != b.last.x || a.y != b.last.y)
    b.buf[b.count++] = a;
  b.buf[b.count++] = c;
  b.last = c;
}

} // namespace

int pln_clip(POINT *p, POINT *q) {
  const PolyBatchRecord &b = PolyBatch;
  auto code = [&](POINT v) {
    int c = 0;
    if (v.x < b.xmin)
      c |= 1;
    else if (v.x > b.xmax)
      c |= 2;
    if (v.y < b.ymin)
      c |= 4;
    else if (v.y > b.ymax)
      c |= 8;
    return c;
  };
  const int64_t x1 = p->x, y1 = p->y, x2 = q->x, y2 = q->y;
  int c1 = code(*p), c2 = code(*q), used = 0;
  for (int pass = 0; pass < 5; pass++) {
    if (!c1 && !c2)
      return 0;
    if (c1 & c2)
      return 1;
    const int bits = c1 | c2;
    const int edge = bits & 1 ? 1 : bits & 2 ? 2 : bits & 4 ? 4 : 8;
    POINT x;
    if (edge <= 2) {
      const int64_t X = edge == 1 ? b.xmin : b.xmax;
      if (x2 == x1)
        return 1;
      x = POINT{static_cast<LONG>(X), static_cast<LONG>((X - x1) * (y2 - y1) / (x2 - x1) + y1)};
    } else {
      const int64_t Y = edge == 4 ? b.ymin : b.ymax;
      if (y2 == y1)
        return 1;
      x = POINT{static_cast<LONG>((Y - y2) * (x2 - x1) / (y2 - y1) + x2), static_cast<LONG>(Y)};
    }
    used |= edge;
    if (c1 & used) {
      *p = x;
      c1 = code(x) & ~used;
      c2 &= ~used;
    } else {
      *q = x;
      c2 = code(x) & ~used;
      c1 &= ~used;
    }
  }
  return 0;
}

int pln_octant(int32_t r) {
  PolyBatchRecord &b = PolyBatch;
  b.octcount = 0;
  if (!b.ready || r < 1 || r > 1000)
    return 0;
  const int64_t r2 = static_cast<int64_t>(r) * r, r3 = r2 * r;
  int64_t d = r2 - r3 + r2 / 4, X = 0, Y = 2 * r3;
  int32_t x = 0, y = r, start = 0;
  int32_t last = -1, before = -1; // the two run lengths stored last
  auto store = [&](int32_t px, int32_t py) {
    if (b.octcount < BATCH_POINTS)
      b.oct[b.octcount++] = POINT{px, py};
  };
  while (X <= Y) {
    if (d > 0) {
      const int32_t len = x - start;
      if (len == last) {
        // same slope as the last run: the two merge
      } else if (len == before) {
        start = x;
      } else {
        store(x, y);
        before = last;
        last = len;
        start = x;
      }
      d -= Y - 2 * r2;
      y--;
      Y -= 2 * r2;
    }
    d += X + 2 * r2;
    x++;
    X += 2 * r2;
  }
  store(x, y);
  return b.octcount;
}

int pln_octcount() { return PolyBatch.octcount; }
const POINT *pln_octlist() { return PolyBatch.oct; }

void pln_octfwd(HDC dc, int32_t cx, int32_t cy, POINT o, int q) {
  POINT m;
  switch (q & 3) {
  case 0:
    m = POINT{cx + o.y, cy - o.x};
    break;
  case 1:
    m = POINT{cx - o.x, cy - o.y};
    break;
  case 2:
    m = POINT{cx - o.y, cy + o.x};
    break;
  default:
    m = POINT{cx + o.x, cy + o.y};
    break;
  }
  pln_add(dc, &PolyBatch.slot[q & 3], &m);
  PolyBatch.slot[q & 3] = m;
}

void pln_octback(HDC dc, int32_t cx, int32_t cy, POINT o, int q) {
  POINT m;
  switch (q & 3) {
  case 0:
    m = POINT{cx + o.x, cy - o.y};
    break;
  case 1:
    m = POINT{cx - o.y, cy - o.x};
    break;
  case 2:
    m = POINT{cx - o.x, cy + o.y};
    break;
  default:
    m = POINT{cx + o.y, cy + o.x};
    break;
  }
  pln_add(dc, &PolyBatch.slot[q & 3], &m);
  PolyBatch.slot[q & 3] = m;
}

void pln_quadrant(HDC dc, int32_t cx, int32_t cy, int32_t, POINT s, POINT e, int q) {
  PolyBatchRecord &b = PolyBatch;
  const int i = q & 3;
  switch (i) {
  case 0:
    b.xmin = e.x;
    b.ymin = e.y - 1;
    b.xmax = s.x + 1;
    b.ymax = s.y;
    break;
  case 1:
    b.xmin = e.x - 1;
    b.ymin = s.y - 1;
    b.xmax = s.x;
    b.ymax = e.y;
    break;
  case 2:
    b.xmin = s.x - 1;
    b.ymin = s.y;
    b.xmax = e.x;
    b.ymax = e.y + 1;
    break;
  default:
    b.xmin = s.x;
    b.ymin = e.y;
    b.xmax = e.x + 1;
    b.ymax = s.y + 1;
    break;
  }
  // The octant's corners mapped into the quadrant (as pln_octfwd and pln_octback
  // do) and added in turn. A short clipped arc runs past most of them: a run whose
  // ends lie beyond one side of the box is passed over here, as pln_clip would.
  static const int Fwd[4][4] = {{0, 1, -1, 0}, {-1, 0, 0, -1}, {0, -1, 1, 0}, {1, 0, 0, 1}};
  static const int Back[4][4] = {{1, 0, 0, -1}, {0, -1, -1, 0}, {-1, 0, 0, 1}, {0, 1, 1, 0}};
  auto code = [&b](POINT v) {
    return (v.x < b.xmin ? 1 : v.x > b.xmax ? 2 : 0) | (v.y < b.ymin ? 4 : v.y > b.ymax ? 8 : 0);
  };
  POINT cur = b.slot[i];
  int curcode = code(cur);
  auto step = [&](const int *f, POINT o) {
    POINT m = {cx + f[0] * o.x + f[1] * o.y, cy + f[2] * o.x + f[3] * o.y};
    const int mcode = code(m);
    if (!b.clip || !(curcode & mcode))
      batch_add(dc, cur, m);
    cur = m;
    curcode = mcode;
  };
  for (int k = 0; k < b.octcount; k++)
    step(Fwd[i], b.oct[k]);
  for (int k = b.octcount - 1; k >= 0; k--)
    step(Back[i], b.oct[k]);
  b.slot[i] = cur;
  pln_add(dc, &b.slot[i], &b.slot[(i + 1) % 4]);
}
