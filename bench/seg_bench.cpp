// Cut points of one line on a drawing of 10,000 elements (lines, arcs, points and
// short texts over a 1000 x 1000 sheet): what the partial-erase hover costs on each
// cursor move. Goal: under 2 ms per search.
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "benchclock.h"
#include "benchsheet.h"
#include "commands/edit/segerase.h"
#include "database/elements.h"

namespace {

constexpr int COUNT = 10000;
constexpr int RUNS = 500;

} // namespace

int main() {
  std::mt19937 rng(33);
  if (!bench_sheet(COUNT, rng))
    return 1;
  std::vector<SegRecord> table(SEG_MAX);
  SegRecords = table.data();
  // Targets: the lines and arcs among the first elements.
  std::vector<int32_t> targets;
  for (int32_t n = 1; n <= COUNT && targets.size() < 50; ++n) {
    const ElementRecord *r = dtb_ptr(0, n);
    if (r && (r->kind == LIN || r->kind == ARC))
      targets.push_back(n);
  }
  long cuts = 0;
  const double t0 = bench_now();
  for (int i = 0; i < RUNS; ++i) {
    const int32_t n = targets[size_t(i) % targets.size()];
    const ElementRecord *r = dtb_ptr(0, n);
    SegRecord s;
    std::memset(&s, 0, sizeof s);
    s.elem = uint32_t(n);
    const GeoPoint q = r->kind == LIN ? GeoPoint{(r->lin.x1 + r->lin.x2) / 2, (r->lin.y1 + r->lin.y2) / 2}
                                      : GeoPoint{r->arc.cx + r->arc.r, r->arc.cy};
    seg_onelm(r, &q, reinterpret_cast<GeoPoint *>(&s.rx));
    seg_put(0, &s);
    if (seg_bounds(0, 0, 0) == 0)
      cuts += __builtin_popcount(seg_rec(0)->flags);
  }
  const double ms = (bench_now() - t0) * 1000 / RUNS;
  std::printf("seg_bounds mode 0 over %d elements: %.3f ms per search (%d runs, %.2f cut ends each)\n", COUNT, ms,
              RUNS, double(cuts) / RUNS);
  SegRecords = nullptr;
  dtb_term();
  return 0;
}
