#include "database/groups.h"

#include "database/store.h"
#include "settings/params.h"

GroupStack GrpStack[2];

namespace {
void slot_clear(GroupSlot &s) { s = {0, 0, -1, -1, -1, 0}; }
bool dbok(int db) { return db == 0 || db == 1; }
} // namespace

int grp_reset(int db) {
  if (!dbok(db))
    return 1;
  GroupStack &g = GrpStack[db];
  g.level = 0;
  for (GroupSlot &s : g.slot)
    slot_clear(s);
  return 0;
}

int grp_open(int db, int32_t node) {
  if (!dbok(db))
    return 1;
  const ElementRecord *r = dtb_get(db, node);
  if (!r)
    return 9;
  if (!(r->kind & NOD) || (r->flags & ELM_SKIP))
    return 3;
  GroupStack &g = GrpStack[db];
  if (g.level >= GRP_LEVELS || r->depth >= GRP_LEVELS)
    return 2;
  // A second level on the same node would leave the outer one's chain ends stale,
  // and the next add there would cut members out of the chain.
  for (uint32_t l = 1; l <= g.level; ++l)
    if (g.slot[l].node == node)
      return 6;
  GroupSlot s;
  slot_clear(s);
  s.depth = r->depth + 1u;
  s.subkind = r->subkind;
  s.node = node;
  if (!elm_islink(r->nod.child)) {
    s.pending |= GRP_NOCHILD;
  } else if ((s.mtail = grp_tail(db, r->nod.child)) < 1) {
    return 4;
  }
  if (!elm_islink(r->nod.attr)) {
    s.pending |= GRP_NOATTR;
  } else if ((s.atail = grp_tail(db, r->nod.attr)) < 1) {
    return 5;
  }
  g.slot[++g.level] = s;
  return 0;
}

int grp_close(int db) {
  if (!dbok(db))
    return 1;
  GroupStack &g = GrpStack[db];
  if (g.level == 0 || g.level > GRP_LEVELS)
    return 2;
  slot_clear(g.slot[g.level--]);
  return 0;
}

int32_t grp_tail(int db, int32_t first) {
  // An honest chain visits every number at most once.
  uint32_t budget = dbok(db) ? ElmMax[db] : 0;
  int32_t last = first;
  for (int32_t n = first; elm_islink(n); n = dtb_get(db, n)->next) {
    if (budget-- == 0)
      return -8;
    if (!dtb_get(db, n))
      return -9;
    last = n;
  }
  return last;
}

int elm_txtroot(int db, const ElementRecord *rec, int32_t *node) {
  *node = 0;
  int32_t n = rec->parent;
  for (int steps = 0; elm_islink(n); ++steps) {
    const ElementRecord *p = dtb_get(db, n);
    if (!p || steps >= GRP_LEVELS)
      return 1;
    *node = n;
    if (p->subkind == 8 && p->encsub != 8)
      break;
    n = p->parent;
  }
  return 0;
}
