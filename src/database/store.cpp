#include "database/store.h"

#include <cstring>

#include "settings/dbgtrace.h"
#include "settings/heap.h"
#include "settings/params.h"
#include "settings/appstate.h"

DbControl DbCtl[DB_COUNT];
DbPage DbPages[DB_PAGES];

uint32_t DbGen[DB_COUNT];

namespace {

SlotTable *blocks = nullptr;

// One-entry lookup cache per page list.
struct Cache {
  uint8_t *addr;
  uint16_t db;
  int32_t blk;
};
Cache cache[2];

void cache_clear() {
  for (uint32_t &g : DbGen)
    ++g;
  for (Cache &c : cache)
    c = {nullptr, 0xFFFF, -1};
}

void page_clear(DbPage &p) {
  p.state = 0;
  p.nblk = 0;
  for (int16_t &s : p.slot)
    s = -1;
}

void list_clear(DbControl &c) {
  c.npagea = c.npageb = 0;
  for (uint32_t &p : c.pagea)
    p = UINT32_MAX;
  for (uint32_t &p : c.pageb)
    p = UINT32_MAX;
}

bool dbok(int db) { return db == 0 || db == 1; }

// The list, its page count and its page limit.
uint32_t *list_pages(int db, int list, uint32_t **count, int *limit) {
  DbControl &c = DbCtl[db];
  if (list == 0) {
    *count = &c.npagea;
    *limit = DB_LISTA;
    return c.pagea;
  }
  *count = &c.npageb;
  *limit = DB_LISTB;
  return c.pageb;
}

// Obtains blocks of the list up to global block b; false when memory or pages run out.
bool grow_list(int db, int list, int32_t b) {
  uint32_t *count;
  int limit;
  uint32_t *pages = list_pages(db, list, &count, &limit);
  for (int32_t have = dtb_nblk(db, list); have <= b; ++have) {
    int p = have / DB_PAGEBLKS;
    if (p >= limit)
      return false;
    if (uint32_t(p) >= *count) {
      int free = -1;
      for (int i = 0; i < DB_PAGES && free < 0; ++i)
        if (!(DbPages[i].state & 0x8000))
          free = i;
      if (free < 0)
        return false;
      page_clear(DbPages[free]);
      DbPages[free].state = int16_t(0x8000);
      pages[(*count)++] = uint32_t(free);
    }
    int slot = dtb_blkalloc();
    if (slot < 0)
      return false;
    DbPage &pg = DbPages[pages[p]];
    pg.slot[have % DB_PAGEBLKS] = int16_t(slot);
    pg.nblk++;
  }
  return true;
}

uint8_t *locate(int db, int32_t n) {
  DbControl &c = DbCtl[db];
  int list = uint32_t(n) < c.base3 ? 0 : 1;
  int32_t i = list == 0 ? n - 1 : int32_t(uint32_t(n) - c.base3);
  int32_t b = i / DB_BLKRECS;
  int32_t r = i % DB_BLKRECS;
  Cache &k = cache[list];
  if (k.addr && k.db == db && k.blk == b)
    return k.addr + r * 80;
  uint32_t *count;
  int limit;
  uint32_t *pages = list_pages(db, list, &count, &limit);
  int32_t p = i / DB_PAGERECS;
  if (p >= limit)
    return nullptr;
  if (b >= dtb_nblk(db, list) && !grow_list(db, list, b))
    return nullptr;
  void *blk = dtb_blkget(DbPages[pages[p]].slot[(i % DB_PAGERECS) / DB_BLKRECS]);
  if (!blk)
    return nullptr;
  k = {static_cast<uint8_t *>(blk), uint16_t(db), b};
  return k.addr + r * 80;
}

} // namespace

int dtb_init() {
  for (int d = 0; d < DB_COUNT; ++d) {
    if (WrkMax[d] < 256)
      WrkMax[d] = 256;
    if (WrkMax[d] > 16000)
      WrkMax[d] = 16000;
    // Numbers below area 3 must fit the 64 pages of list A.
    if (ElmMax[d] > DB_MAXA - WrkMax[d])
      ElmMax[d] = DB_MAXA - WrkMax[d];
    ElmMax[d] += WrkMax[d];
  }
  dtb_blkterm();
  if (!dtb_blkinit())
    return -1;
  for (DbPage &p : DbPages)
    page_clear(p);
  for (DbControl &c : DbCtl)
    list_clear(c);
  cache_clear();
  return 0;
}

int dtb_term() {
  dtb_blkterm();
  for (DbPage &p : DbPages)
    page_clear(p);
  for (DbControl &c : DbCtl)
    list_clear(c);
  cache_clear();
  return 0;
}

int dtb_ctrl(int code, DbControl *buf) {
  switch (code) {
  case 'r':
  case 'R':
    for (int d = 0; d < DB_COUNT; ++d)
      std::memcpy(&buf[d], &DbCtl[d], 7 * sizeof(uint32_t));
    return 0;
  case 'w':
  case 'W': {
    int rc = 0;
    for (int d = 0; d < DB_COUNT; ++d) {
      DbControl &c = DbCtl[d];
      // Areas 1 and 2 share max12, so the pair must fit together.
      if (uint64_t(buf[d].count1) + buf[d].count2 <= c.max12) {
        c.count1 = buf[d].count1;
        c.count2 = buf[d].count2;
      } else {
        rc = 9;
      }
      if (buf[d].count3 <= c.max3)
        c.count3 = buf[d].count3;
      else
        rc = 9;
    }
    return rc;
  }
  case 'i':
  case 'I':
    for (int d = 0; d < DB_COUNT; ++d) {
      DbControl &c = DbCtl[d];
      c.base1 = 1;
      c.count1 = c.count2 = c.count3 = 0;
      if (ElmMax[d] <= WrkMax[d]) {
        c.base3 = 1;
        c.max12 = 0;
        c.max3 = 0;
      } else {
        c.base3 = ElmMax[d] - WrkMax[d] + 1;
        c.max12 = ElmMax[d] - WrkMax[d];
        c.max3 = WrkMax[d];
      }
    }
    return 0;
  default:
    return 9;
  }
}

uint8_t *dtb_addr(int db, int32_t n) {
  if (!dbok(db) || n < 1 || uint32_t(n) > ElmMax[db])
    return nullptr;
  // Whoever holds a writable record may change it: what was derived from the
  // records no longer holds.
  ++DbGen[db];
  return locate(db, n);
}

ElementRecord *dtb_ptr(int db, int32_t n) { return reinterpret_cast<ElementRecord *>(dtb_addr(db, n)); }

const ElementRecord *dtb_get(int db, int32_t n) {
  if (!dbok(db) || n < 1 || uint32_t(n) > ElmMax[db])
    return nullptr;
  return reinterpret_cast<const ElementRecord *>(locate(db, n));
}

int OpenDataTable(int db) {
  uint8_t *p = dtb_addr(db, 1);
  dbg_trace("<OpenDataTable> dbno = %d, page = %08lX\n", db, (unsigned long)(uintptr_t)p);
  return p ? 0 : 1000;
}

int dtb_free(int db) {
  if (!dbok(db))
    return 1;
  DbControl &c = DbCtl[db];
  for (int list = 0; list < 2; ++list) {
    uint32_t *count;
    int limit;
    uint32_t *pages = list_pages(db, list, &count, &limit);
    for (uint32_t i = 0; i < *count; ++i) {
      if (pages[i] >= uint32_t(DB_PAGES))
        continue;
      DbPage &pg = DbPages[pages[i]];
      for (int16_t &s : pg.slot)
        if (s >= 0)
          dtb_blkfree(s);
      page_clear(pg);
    }
  }
  list_clear(c);
  cache_clear();
  app_setpendpath(nullptr);
  return 0;
}

int dtb_nblk(int db, int list) {
  if (!dbok(db))
    return 0;
  uint32_t *count;
  int limit;
  uint32_t *pages = list_pages(db, list, &count, &limit);
  int n = 0;
  for (uint32_t i = 0; i < *count && i < uint32_t(limit); ++i)
    if (pages[i] < uint32_t(DB_PAGES))
      n += DbPages[pages[i]].nblk;
  return n;
}

void dtb_uncache() { cache_clear(); }

int32_t dtb_lnk16(uint16_t link) { return link == 0xFFFF ? -1 : link; }

int dtb_blkinit() {
  if (!blocks)
    blocks = slt_create(DB_BLKSIZE, 1024);
  return blocks ? 1 : 0;
}

void dtb_blkterm() {
  slt_destroy(&blocks);
  cache_clear();
}

int dtb_blkalloc() {
  if (!blocks)
    return -9;
  int slot = slt_alloc(blocks);
  // Page descriptors hold slots in 16 bits.
  if (slot > INT16_MAX) {
    slt_free(blocks, slot);
    return -9;
  }
  return slot;
}

int dtb_blkfree(int slot) { return slt_free(blocks, slot); }

void *dtb_blkget(int slot) { return slt_get(blocks, slot); }

int dtb_blkstat(int32_t stat[4]) {
  int32_t cap = 0, used = 0;
  slt_count(blocks, &cap, &used);
  stat[0] = cap;
  stat[1] = used;
  stat[2] = cap - used;
  stat[3] = 1;
  return 0;
}

SlotTable *slt_create(int32_t blksize, int32_t step) {
  auto *t = static_cast<SlotTable *>(hep_alloc(sizeof(SlotTable)));
  if (!t)
    return nullptr;
  t->step = step;
  t->blksize = blksize;
  return t;
}

void slt_destroy(SlotTable **table) {
  if (!table || !*table)
    return;
  SlotTable *t = *table;
  for (int32_t i = 0; i < t->capacity; ++i)
    if (t->slots[i])
      hep_free(t->slots[i]);
  if (t->slots)
    hep_free(t->slots);
  hep_free(t);
  *table = nullptr;
}

int slt_alloc(SlotTable *t) {
  if (t->used >= t->capacity && slt_grow(t))
    return -2;
  int32_t slot = -1;
  for (int32_t i = 0; i < t->capacity; ++i)
    if (!t->slots[i]) {
      slot = i;
      break;
    }
  if (slot < 0)
    return -9;
  void *b = hep_alloc(std::size_t(t->blksize));
  if (!b)
    return -1;
  t->slots[slot] = b;
  t->used++;
  return slot;
}

int slt_free(SlotTable *t, int slot) {
  if (!t || slot < 0 || slot >= t->capacity || !t->slots[slot])
    return 1;
  int rc = hep_free(t->slots[slot]);
  t->slots[slot] = nullptr;
  t->used--;
  return rc;
}

void *slt_get(SlotTable *t, int slot) {
  if (!t || slot < 0 || slot >= t->capacity)
    return nullptr;
  return t->slots[slot];
}

int slt_count(const SlotTable *t, int32_t *capacity, int32_t *used) {
  *capacity = t ? t->capacity : 0;
  *used = t ? t->used : 0;
  return 0;
}

int slt_grow(SlotTable *t) {
  int32_t cap = t->capacity + t->step;
  auto *a = static_cast<void **>(hep_alloc(sizeof(void *) * std::size_t(cap)));
  if (!a)
    return 1;
  if (t->slots) {
    std::memcpy(a, t->slots, sizeof(void *) * std::size_t(t->capacity));
    hep_free(t->slots);
  }
  t->slots = a;
  t->capacity = cap;
  return 0;
}
