// The drawing the picking and selection benchmarks walk: lines, arcs, points and
// short texts spread over a 1000 x 1000 sheet of drawing 0, added without display.
#pragma once

#include <cstdio>
#include <cstring>
#include <random>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "settings/params.h"

inline ElementRecord bench_element(std::mt19937 &rng, int i) {
  std::uniform_real_distribution<double> at(5, 995), d(-3, 3);
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  const double x = at(rng), y = at(rng);
  switch (i % 4) {
  case 0:
    r.kind = LIN;
    r.lin = LinBody{x, y, x + d(rng), y + d(rng), 0x11, {}};
    break;
  case 1:
    r.kind = ARC;
    r.arc = ArcBody{x, y, 2, 30, 300, 0x11, {}};
    break;
  case 2:
    r.kind = PNT;
    r.pnt.x = x;
    r.pnt.y = y;
    r.pnt.attr = 1;
    break;
  default:
    r.kind = CHR;
    r.chr.x = float(x);
    r.chr.y = float(y);
    r.chr.height = r.chr.width = 2;
    r.chr.attr = 1;
    break;
  }
  r.layer = 1;
  return r;
}

// Starts the store with room for count elements on a 1000 x 1000 sheet and adds
// them; false (said on stdout) when that fails.
inline bool bench_sheet(int count, std::mt19937 &rng) {
  prm_init();
  ElmMax[0] = count + 1000;
  WrkMax[0] = 500;
  if (dtb_init() != 0)
    return false;
  grp_reset(0);
  dtb_ctrl('i', nullptr);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  s.width = s.height = 1000;
  sys_sheet('W', 0, &s);
  for (int i = 0; i < count; ++i) {
    const ElementRecord r = bench_element(rng, i);
    if (elm_add(0, 0, ELM_NODRAW, &r, r.kind == CHR ? "AB" : nullptr) < 1) {
      std::printf("add failed at %d\n", i);
      return false;
    }
  }
  return true;
}
