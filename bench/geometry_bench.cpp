// Intersections and arc clippings per second.
// For figures without the sanitizers of the test build:
//   g++ -O2 -std=c++20 -Isrc bench/geometry_bench.cpp src/geometry/{angle,lines,arcs,clip}.cpp -o /tmp/geobench
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "geometry/geo.h"

namespace {

struct Arc {
  GeoPoint c;
  double r;
  AngleRange a;
};

template <class F> void run(const char *name, int n, F f) {
  std::clock_t t0 = std::clock(); // <chrono> does not build with the Shift-JIS literal flag
  double sink = f();
  double s = static_cast<double>(std::clock() - t0) / CLOCKS_PER_SEC;
  std::printf("%-28s %8.2f million/s  (%d in %.3f s, %g)\n", name, n / s / 1e6, n, s, sink);
}

} // namespace

int main(int argc, char **argv) {
  int n = argc > 1 ? std::atoi(argv[1]) : 4000000;
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> u(-10, 10), ang(0, 360), rad(0.5, 8);
  const int m = 4096; // figures reused round-robin
  std::vector<GeoPoint> p(m);
  std::vector<Arc> arcs(m);
  for (auto &q : p)
    q = {u(rng), u(rng)};
  for (auto &a : arcs) {
    a = {{u(rng), u(rng)}, rad(rng), {ang(rng), ang(rng)}};
    geo_angnorm(1, &a.a.start, &a.a.end);
  }
  run("segment-segment", n, [&] {
    double acc = 0;
    GeoPoint x;
    for (int i = 0; i < n; i++) {
      int k = i & (m - 1);
      acc += geo_lnln(&p[k], &p[(k + 1) & (m - 1)], &p[(k + 2) & (m - 1)], &p[(k + 3) & (m - 1)], &x) + x.x;
    }
    return acc;
  });
  run("segment-arc", n, [&] {
    double acc = 0;
    GeoPoint q1, q2;
    uint32_t c;
    for (int i = 0; i < n; i++) {
      int k = i & (m - 1);
      const Arc &a = arcs[k];
      geo_segarc(&p[k], &p[(k + 1) & (m - 1)], &a.c, a.r, &a.a, &q1, &q2, &c);
      acc += c + q1.x;
    }
    return acc;
  });
  run("arc-arc", n, [&] {
    double acc = 0;
    GeoPoint q1{}, q2{};
    uint32_t c;
    for (int i = 0; i < n; i++) {
      int k = i & (m - 1);
      const Arc &a = arcs[k], &b = arcs[(k + 1) & (m - 1)];
      geo_arcarc(&a.c, &b.c, a.r, b.r, &a.a, &b.a, &q1, &q2, &c);
      acc += c + q1.x;
    }
    return acc;
  });
  // Most arcs cross this small window; in the larger one most lie inside or outside.
  for (double half : {4.5, 20.0}) {
    run(half < 10 ? "arc clipping (crossing)" : "arc clipping (view)", n, [&] {
      double acc = 0;
      AngleInterval out[ARCCLIP_MAX];
      uint32_t c;
      for (int i = 0; i < n; i++) {
        const Arc &a = arcs[i & (m - 1)];
        geo_arcclip(0.5 - half, 1.5 - half, 0.5 + half, 1.5 + half, a.c.x, a.c.y, a.r, a.a.start, a.a.end, out, &c);
        acc += c;
      }
      return acc;
    });
  }
  return 0;
}
