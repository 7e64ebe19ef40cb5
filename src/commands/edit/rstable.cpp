#include "commands/edit/rstable.h"

#include <cstdlib>

namespace {

ReshapeTarget static_entries[RS_STATIC_ENTRIES] = {{RS_FREE, -1, 0, 0, 0}};

void *plain_alloc(size_t bytes) { return std::malloc(bytes); }

void mark_end() {
  if (g_rstable.count < g_rstable.capacity)
    g_rstable.entries[g_rstable.count] = {RS_FREE, -1, 0, 0, 0};
}

bool full() { return g_rstable.count + 1 >= g_rstable.capacity; }

} // namespace

ReshapeTable g_rstable = {static_entries, RS_STATIC_ENTRIES, 0};
void *(*rs_tablemem)(size_t bytes) = plain_alloc;

void rs_tablealloc(uint32_t elements) {
  rs_tablefree();
  uint64_t n = static_cast<uint64_t>(elements) + 1;
  while (n >= 3) {
    void *p = n <= SIZE_MAX / sizeof(ReshapeTarget) ? rs_tablemem(n * sizeof(ReshapeTarget)) : nullptr;
    if (p) {
      g_rstable.entries = static_cast<ReshapeTarget *>(p);
      g_rstable.capacity = static_cast<uint32_t>(n);
      break;
    }
    n /= 2;
  }
  rs_tableclear();
}

void rs_tablefree() {
  if (g_rstable.entries != static_entries)
    std::free(g_rstable.entries);
  g_rstable = {static_entries, RS_STATIC_ENTRIES, 0};
  static_entries[0] = {RS_FREE, -1, 0, 0, 0};
}

void rs_tableclear() {
  g_rstable.count = 0;
  mark_end();
}

int32_t rs_find(uint32_t element) {
  for (uint32_t i = 0; i < g_rstable.count; i++)
    if (g_rstable.entries[i].element == element)
      return static_cast<int32_t>(i);
  return -1;
}

int rs_tabletoggle(uint32_t element, int32_t end) {
  int32_t at = rs_find(element);
  if (at >= 0) {
    g_rstable.entries[at] = {RS_FREE, -1, 0, 0, 0};
    return 1;
  }
  for (uint32_t i = 0; i < g_rstable.count; i++) {
    if (g_rstable.entries[i].element == RS_FREE) {
      g_rstable.entries[i] = {element, end, 0, 0, 0};
      return 0;
    }
  }
  if (full())
    return -1;
  g_rstable.entries[g_rstable.count++] = {element, end, 0, 0, 0};
  mark_end();
  return 0;
}

int rs_tableplace(uint32_t at, uint32_t element, int32_t (*needs_end)(uint32_t, void *), void *ctx) {
  if (at + 1 >= g_rstable.capacity)
    return -1;
  ReshapeTarget *e = g_rstable.entries;
  int32_t j = rs_find(element);
  if (j >= 0) {
    if (static_cast<uint32_t>(j) != at) {
      ReshapeTarget t = e[at];
      e[at] = e[j];
      e[j] = t;
    }
    return 0;
  }
  if (at < g_rstable.count && e[at].element != RS_FREE) {
    // The entry there is kept: it moves to the end of the table.
    if (full())
      return -1;
    e[g_rstable.count++] = e[at];
  } else if (at >= g_rstable.count) {
    at = g_rstable.count++;
  }
  e[at] = {element, needs_end(element, ctx), 0, 0, 0};
  mark_end();
  return 0;
}

void rs_tablecompact() {
  uint32_t k = 0;
  for (uint32_t i = 0; i < g_rstable.count; i++)
    if (g_rstable.entries[i].element != RS_FREE)
      g_rstable.entries[k++] = g_rstable.entries[i];
  g_rstable.count = k;
  mark_end();
}
