// Picking over a drawing whose records come from outside (a seal file, a damaged
// disk): the input is a 24-byte head (the point x, y and the tolerance, doubles)
// followed by 80-byte element records written straight into area 1. The nearest
// search runs with and without group climbing and text parts, every element's top
// node is looked for, a probe segment collects crossed elements, and the record
// tests and end-point routines run over every body. Parent, member and string
// links may point anywhere or in circles.
#include <cstdlib>
#include <cstring>

#include "fuzzstore.h"
#include "database/groups.h"
#include "database/store.h"
#include "select/endpts.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/picklist.h"
#include "settings/params.h"

namespace {

constexpr std::size_t HEAD = 24;
constexpr uint32_t MAXRECS = 600;

void start() { fuzz_freshstore(); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < HEAD)
    return 0;
  start();
  double head[3];
  std::memcpy(head, data, sizeof head);
  uint32_t n = uint32_t((size - HEAD) / 80);
  if (n > MAXRECS)
    n = MAXRECS;
  for (uint32_t k = 0; k < n; ++k)
    std::memcpy(dtb_addr(0, int32_t(k + 1)), data + HEAD + 80 * k, 80);
  DbCtl[0].count1 = n;

  int32_t out[PCK_NEARMAX];
  const uint32_t kinds[] = {15, NOD | 15, NOD | FLT_NOCLIMB | 15, 0xFFFF7FFF, NOD | 0x4000 | 15};
  for (uint32_t kind : kinds)
    for (uint32_t parts = 0; parts < 2; ++parts) {
      PickTextParts = parts;
      PickSkipMasked = parts;
      SegHoverOff = 1 - parts;
      const int m = pck_nearat(0, PCK_AREA2 | PCK_AREA3, head[0], head[1], head[2], kind, 0xFFFF, 0xFFFF, 0xFF, out);
      if (m < 0 || m > PCK_NEARMAX)
        abort();
    }
  PickTextParts = PickSkipMasked = 0;
  SegHoverOff = 1;

  sel_filter(0, 0, 0, 0);
  double e[4][4];
  for (uint32_t k = 1; k <= n; ++k) {
    int32_t top;
    pck_topnode(0, int32_t(k), &top);
    const ElementRecord *r = dtb_ptr(0, int32_t(k));
    sel_filtchk(r);
    double g[8] = {};
    std::memcpy(g, r->body, 60); // the body in place is not aligned for doubles
    double s[2], t[2], near[2];
    int32_t flag;
    entendt(r->kind, g, s, t);
    const double ang[2] = {r->arc.start, r->arc.end};
    entnear(head, g, r->arc.r, ang, near, &flag);
    if (r->kind == CHR)
      pck_txtbox(0, int32_t(k), e);
  }

  if (pck_alloc(0) != 0)
    abort();
  const double from[2] = {head[0], head[1]}, to[2] = {head[0] + head[2], head[1] - head[2]};
  pck_setpt(from);
  pck_setend(to);
  pck_crosscol(0);
  pck_topnorm(0);
  pck_free();
  return 0;
}
