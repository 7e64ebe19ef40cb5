// Packs damaged drawings (huge and non-finite text angles, nested self-linked empty
// group nodes, a long looping member chain) and prints how long each pack took and
// what it returned. Each one should take a small fraction of a second.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "database/groups.h"
#include "database/pack.h"
#include "database/store.h"
#include "settings/params.h"

namespace {

// <chrono> does not build with the Shift-JIS execution character set.
double now_ms() {
#ifndef _WIN32
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec * 1e-6;
#else
  return 1e3 * double(std::clock()) / CLOCKS_PER_SEC; // wall time on Windows
#endif
}

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.parent = r.next = -1;
  if (kind == NOD)
    r.nod.child = r.nod.attr = -1;
  return r;
}

std::vector<ElementRecord> text_at(float angle) {
  ElementRecord t = blank(CHR);
  t.chr.height = 5;
  t.chr.width = 4;
  t.chr.count = 2;
  std::memcpy(t.chr.text, "ab", 2);
  t.chr.cont = -1;
  t.chr.angle = angle;
  return {blank(PNT), t};
}

std::vector<ElementRecord> selflinked(int k) {
  std::vector<ElementRecord> v;
  for (int i = 1; i <= k; ++i) {
    ElementRecord r = blank(NOD);
    r.depth = uint8_t(i - 1);
    r.parent = i == 1 ? -1 : i - 1;
    r.next = i == 1 ? -1 : i;
    r.nod.child = i < k ? i + 1 : i;
    v.push_back(r);
  }
  v.push_back(blank(PNT));
  return v;
}

std::vector<ElementRecord> looping_members(int k) {
  std::vector<ElementRecord> v{blank(NOD)};
  v[0].nod.child = 2;
  for (int i = 2; i <= k + 1; ++i) {
    ElementRecord p = blank(PNT);
    p.parent = 1;
    p.depth = 1;
    p.next = i < k + 1 ? i + 1 : 2;
    v.push_back(p);
  }
  return v;
}

void run(const char *name, const std::vector<ElementRecord> &recs) {
  dtb_term();
  ElmMax[0] = ElmMax[1] = 20000;
  WrkMax[0] = WrkMax[1] = 500;
  dtb_init();
  grp_reset(0);
  dtb_ctrl('i', nullptr);
  for (std::size_t k = 0; k < recs.size(); ++k)
    *dtb_ptr(0, int32_t(k + 1)) = recs[k];
  DbControl c[2];
  dtb_ctrl('r', c);
  c[0].count1 = uint32_t(recs.size());
  dtb_ctrl('w', c);
  const double t0 = now_ms();
  const int rc = dtb_pack(0);
  const double ms = now_ms() - t0;
  std::printf("%-32s %6zu records  pack %3d (error %3d)  %9.3f ms\n", name, recs.size(), rc, dtb_packlast().code, ms);
}

} // namespace

int main() {
  run("text angle 1e10", text_at(1e10f));
  run("text angle inf", text_at(std::numeric_limits<float>::infinity()));
  run("text angle NaN", text_at(std::numeric_limits<float>::quiet_NaN()));
  for (int k : {4, 5, 6, 10, 14})
    run(("self-linked nodes x" + std::to_string(k)).c_str(), selflinked(k));
  run("looping member chain x5000", looping_members(5000));
  dtb_term();
  return 0;
}
