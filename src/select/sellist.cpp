#include "select/sellist.h"

#include <cstdlib>
#include <vector>

#include "database/record.h"
#include "database/store.h"
#include "select/filter.h"

namespace {

uint32_t *HeapBlock = nullptr;

// One bit per element number, grown to the largest number met.
std::vector<uint8_t> Marks;
bool mark(uint32_t n) {
  if (n / 8 >= Marks.size())
    Marks.resize(n / 8 + 1);
  const uint8_t bit = uint8_t(1u << (n % 8));
  if (Marks[n / 8] & bit)
    return false;
  Marks[n / 8] |= bit;
  return true;
}

// Counts a record and, for a text, its continuation records not yet marked.
uint32_t counttext(int32_t d, const ElementRecord *p, uint32_t skipcont, uint32_t *budget) {
  uint32_t k = 0;
  if (p->kind != CHR || skipcont)
    return 0;
  int32_t c = p->chr.cont;
  while (elm_islink(c) && (*budget)-- > 0) {
    const ElementRecord *q = dtb_get(d, c);
    if (!q || q->flags != ELM_CONT)
      break;
    if (mark(uint32_t(c)))
      ++k;
    c = q->cont.next;
  }
  return k;
}

} // namespace

void *(*sel_blockalloc)(std::size_t) = std::malloc;

// Sizing shared with the fence id list; the block and its capacity.
uint32_t *sel_block(uint32_t n, int32_t *capacity) {
  int32_t most = 0;
  for (int d = 0; d < DB_COUNT; ++d)
    if (int32_t(DbCtl[d].max12) > most)
      most = int32_t(DbCtl[d].max12);
  if (n > 0 && int64_t(n) > int64_t(most))
    n = most > 0 ? uint32_t(most) : 0;
  uint32_t *b = nullptr;
  if (n > 0 && n <= uint32_t(SEL_MAXCAP)) {
    while (!(b = static_cast<uint32_t *>(sel_blockalloc(4 * std::size_t(n) + 4)))) {
      n >>= 1;
      if (n <= 60) {
        n = 0;
        break;
      }
    }
  }
  *capacity = b ? int32_t(n) : 0;
  return b;
}

uint32_t *sel_alloc(uint32_t n) {
  sel_free();
  int32_t cap = 0;
  if (uint32_t *b = sel_block(n, &cap)) {
    HeapBlock = b;
    SelectionList.entries = b;
    SelectionList.capacity = cap;
  }
  ElmFilter.kind = 0x7FFF;
  ElmFilter.pen = 0xFFFF;
  ElmFilter.ltype = 0xFFFF;
  ElmFilter.subkind = 0xFF;
  SelectionList.entries[0] = SEL_END;
  return SelectionList.entries;
}

int sel_free() {
  std::free(HeapBlock);
  HeapBlock = nullptr;
  sel_static();
  return 0;
}

int sel_toggle(uint32_t id) {
  SelectionListRec &s = SelectionList;
  if (!s.entries)
    return -1;
  const uint32_t key = sel_key(id);
  int32_t hole = -1;
  for (int32_t i = 0; i < s.count; ++i) {
    if (s.entries[i] == SEL_HOLE) {
      if (hole < 0)
        hole = i;
    } else if (sel_key(s.entries[i]) == key) {
      s.entries[i] = SEL_HOLE;
      return 1;
    }
  }
  if (hole >= 0) {
    s.entries[hole] = id;
    return 0;
  }
  if (s.count >= s.capacity - 1)
    return -1;
  s.entries[s.count++] = id;
  return 0;
}

int sel_notin(int32_t id) {
  const SelectionListRec &s = SelectionList;
  for (int32_t i = 0; s.entries && i < s.count; ++i)
    if ((s.entries[i] & ~SEL_PARTIAL) == uint32_t(id))
      return 0;
  return 1;
}

int sel_count(uint32_t skipcont, int32_t d, uint32_t *out) {
  *out = 0;
  const SelectionListRec &s = SelectionList;
  if (!s.entries || s.count < 1 || d < 0 || d >= DB_COUNT)
    return 0;
  Marks.assign(Marks.size(), 0);
  uint32_t total = 0;
  for (int32_t i = 0; i < s.count && i <= s.capacity; ++i) {
    const int32_t e = int32_t(s.entries[i]);
    if (e <= 0)
      continue;
    const ElementRecord *p = dtb_get(d, e);
    if (!p || p->flags == ELM_ERASED || p->flags == ELM_CONT || !mark(uint32_t(e)))
      continue;
    ++total;
    uint32_t budget = dtb_used(d) + 1;
    total += counttext(d, p, skipcont, &budget);
    if (p->kind != NOD)
      continue;
    int32_t c = p->nod.child;
    while (elm_islink(c) && budget-- > 0) {
      const ElementRecord *q = dtb_get(d, c);
      if (!q || q->flags == ELM_ERASED || q->flags == ELM_CONT || q->parent < 1)
        break;
      if (mark(uint32_t(c))) {
        ++total;
        total += counttext(d, q, skipcont, &budget);
      }
      c = q->next;
    }
  }
  *out = total;
  return 0;
}

int32_t sel_grpmem(int32_t d, uint32_t elm, uint32_t *ids, int32_t n) {
  if (d < 0 || d >= DB_COUNT)
    return 0;
  const ElementRecord *p = dtb_get(d, int32_t(elm));
  if (!p || p->encsub != 1)
    return 0;
  const int32_t g = p->parent;
  const ElementRecord *node = dtb_get(d, g);
  uint16_t cls = 0;
  if (node)
    cls = uint16_t(node->nod.data[0] | node->nod.data[1] << 8);
  if (!node || node->kind != NOD || node->subkind != 1 || cls != 1100)
    return 0;
  SelectionListRec &s = SelectionList;
  bool selected = false;
  for (int32_t i = 0; i < s.count && !selected; ++i)
    selected = s.entries[i] == elm;
  int32_t c = node->nod.child;
  uint32_t budget = dtb_used(d) + 1;
  while (elm_islink(c) && budget-- > 0) {
    const ElementRecord *q = dtb_get(d, c);
    if (!q)
      break;
    for (int32_t i = 0; ids && i < n; ++i)
      if (ids[i] == uint32_t(c)) {
        ids[i] = SEL_HOLE;
        break;
      }
    if (selected)
      for (int32_t i = 0; i < s.count; ++i)
        if (sel_key(s.entries[i]) == uint32_t(c)) {
          s.entries[i] = SEL_HOLE;
          break;
        }
    c = q->next;
  }
  // Nodes 1 and 2 negated would read as a hole and an end mark: the caller enters
  // their members itself.
  if (selected && g > 2)
    sel_toggle(uint32_t(-g));
  return g;
}

int32_t sel_squeeze() {
  SelectionListRec &s = SelectionList;
  if (!s.entries)
    return 0;
  int32_t k = 0;
  for (int32_t i = 0; i < s.count; ++i)
    if (s.entries[i] != SEL_HOLE)
      s.entries[k++] = s.entries[i];
  s.count = k;
  s.entries[k] = SEL_END;
  return k;
}
