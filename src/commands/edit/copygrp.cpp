#include "commands/edit/copygrp.h"

#include <cstdint>
#include <cstring>

#include "database/elements.h"
#include "settings/params.h"

namespace {

uint16_t rd16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
int32_t rd32(const uint8_t *p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

bool isdim(const uint8_t *r) { return rd16(r + 4) == NOD && r[2] == 1; }

// budget: records the whole walk may still read, so a cycle of links ends it; nesting
// stops where the depth byte of a record could no longer count it.
int grplayer(int drawing, const uint8_t *node, uint32_t *budget, int depth) {
  if (!isdim(node) || depth > 255)
    return -1;
  int last = 0;
  for (int32_t m = rd32(node + 20); elm_islink(m); ) {
    if (*budget == 0)
      break;
    --*budget;
    ElementRecord rec;
    if (elm_read(drawing, m, &rec, nullptr, 0) != 0)
      break;
    uint8_t b[80];
    std::memcpy(b, &rec, sizeof b);
    if (rd16(b + 4) == NOD) {
      last = grplayer(drawing, b, budget, depth + 1);
      if (last >= 0)
        return last;
    } else {
      last = b[7];
      if (last != 0)
        return last;
    }
    m = rd32(b + 16);
  }
  return last;
}

} // namespace

int cpy_grplayer(int drawing, const ElementRecord *node) {
  if (drawing < 0 || drawing > 1 || !node)
    return -1;
  uint8_t b[80];
  std::memcpy(b, node, sizeof b);
  uint32_t budget = ElmMax[drawing];
  return grplayer(drawing, b, &budget, 0);
}
