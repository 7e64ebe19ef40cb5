// A drawing whose records come from outside (a seal file, a damaged disk): the input
// is an 8-byte control block followed by 80-byte element records, written straight
// into area 1 as the file reader does. Every record is read, the chains are walked,
// some elements are deleted, one node gets a member, and the drawing is packed. A
// pack that succeeds leaves no link outside the packed area; one that fails leaves
// the drawing as it was.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzzstore.h"
#include "database/cells.h"
#include "database/dbsys.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/pack.h"
#include "database/store.h"
#include "settings/params.h"

namespace {

constexpr std::size_t CTL = 8;
constexpr uint32_t MAXRECS = 600;

void start() { fuzz_freshstore(); }

std::vector<unsigned char> area1() {
  std::vector<unsigned char> v;
  for (uint32_t k = 1; k <= DbCtl[0].count1; ++k) {
    const unsigned char *p = dtb_addr(0, int32_t(k));
    v.insert(v.end(), p, p + 80);
  }
  return v;
}

bool inside(int32_t link, uint32_t n) { return link < 1 || uint32_t(link) <= n; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < CTL)
    return 0;
  start();
  const uint8_t *ctl = data;
  const uint32_t n = std::min<uint32_t>(uint32_t((size - CTL) / 80), MAXRECS);
  for (uint32_t k = 0; k < n; ++k)
    std::memcpy(dtb_ptr(0, int32_t(k + 1)), data + CTL + k * 80, 80);
  DbControl c[2];
  dtb_ctrl('r', c);
  c[0].count1 = n;
  dtb_ctrl('w', c);

  // Read and walk.
  static char str[ELM_STRMAX + 1];
  for (uint32_t k = 1; k <= n; ++k) {
    ElementRecord r;
    elm_read(0, int32_t(k), &r, str, sizeof str);
    int32_t root;
    elm_txtroot(0, &r, &root);
    if (r.kind == NOD) {
      grp_tail(0, r.nod.child);
      grp_tail(0, r.nod.attr);
    }
  }
  dtb_recell(0);

  if (n) {
    // A text or attribute rewritten with its own string, as an edit that changes nothing.
    const int32_t u = int32_t(ctl[4] % n) + 1;
    ElementRecord r;
    if (elm_read(0, u, &r, str, sizeof str) == 0)
      elm_update(0, u, 0, ELM_NODRAW, &r, elm_isstr(r.kind) ? str : nullptr);
    // Deletes of whatever the control block names: plain elements, nodes, damaged trees.
    for (int i = 1; i <= 2; ++i)
      if (ctl[0] & (2 << i))
        elm_delete(0, int32_t(ctl[i] % n) + 1, ELM_NODRAW);
    // A member added to a node opened from the records.
    if (ctl[0] & 16 && grp_open(0, int32_t(ctl[3] % n) + 1) == 0) {
      ElementRecord p;
      std::memset(&p, 0, sizeof p);
      p.kind = LIN;
      p.lin.x2 = p.lin.y2 = 1;
      elm_add(0, 0, ELM_NODRAW, &p, nullptr);
      p.kind = ATR;
      elm_add(0, 0, ELM_NODRAW, &p, "attribute");
      grp_reset(0);
    }
  }

  // Pack.
  dtb_packforce(ctl[0] & 1 ? PCK_UPPERHALF : PCK_OTHERDB);
  const auto before = area1();
  const int rc = dtb_pack(0);
  const uint32_t m = DbCtl[0].count1;
  if (rc == PCK_DONE) {
    for (uint32_t k = 1; k <= m; ++k) {
      const ElementRecord *r = dtb_ptr(0, int32_t(k));
      bool ok = inside(r->parent, m) && inside(r->next, m);
      if (r->flags & ELM_CONT)
        ok = ok && inside(r->cont.next, m);
      else if (r->kind == NOD)
        ok = ok && inside(r->nod.child, m) && inside(r->nod.attr, m);
      else if (elm_isstr(r->kind))
        ok = ok && inside(elm_cont(*r), m);
      if (!ok)
        abort();
    }
  } else if (area1() != before) {
    abort();
  }
  return 0;
}
