// The element store of the two drawings: element numbers to record memory,
// obtained lazily in blocks of 400 records, and the control header of each
// database with its three record areas.
#pragma once

#include <cstdint>

#include "database/record.h"

constexpr int DB_COUNT = 2;
constexpr int DB_BLKRECS = 400;                       // records per block
constexpr int DB_BLKSIZE = DB_BLKRECS * 80;           // 32000 bytes
constexpr int DB_PAGEBLKS = 128;                      // blocks per page
constexpr int DB_PAGERECS = DB_PAGEBLKS * DB_BLKRECS; // 51200 records
constexpr int DB_PAGES = 256;                         // page descriptors shared by all lists
constexpr int DB_LISTA = 64;                          // pages of list A (numbers below base3)
constexpr int DB_LISTB = 2;                           // pages of list B (area 3)
constexpr uint32_t DB_MAXA = uint32_t(DB_LISTA) * DB_PAGERECS;

// Control header of one database: 75 u32 words.
struct DbControl {
  uint32_t base1;  // first number of area 1 (1)
  uint32_t count1; // records used in area 1
  uint32_t count2; // records used in area 2, directly after area 1
  uint32_t base3;  // first number of area 3, the work area
  uint32_t count3;
  uint32_t max12; // capacity shared by areas 1 and 2
  uint32_t max3;
  uint32_t npagea;
  uint32_t npageb;
  uint32_t pagea[DB_LISTA]; // page descriptor numbers, -1 none
  uint32_t pageb[DB_LISTB];
};
static_assert(sizeof(DbControl) == 75 * 4);

struct DbPage {
  int16_t state;             // bit 15: in use
  int16_t nblk;              // 0 .. 128
  int16_t slot[DB_PAGEBLKS]; // block slots, -1 none
};

struct SlotTable {
  int32_t step;
  int32_t capacity;
  int32_t used;
  int32_t blksize;
  void **slots; // null = empty slot
};

extern DbControl DbCtl[DB_COUNT];
extern DbPage DbPages[DB_PAGES];

// Start-up: clamps WrkMax to 256 .. 16000 and ElmMax so the numbers below area 3
// fit the page list, adds WrkMax to ElmMax (from then on the total of record
// numbers), creates the block table and empties the pages and caches.
// 0, or -1 when the block table cannot be created.
int dtb_init();
int dtb_term(); // frees every block; 0

// 'r'/'R' copies words 0-6 of both headers into buf[2]; 'w'/'W' stores the
// counts that fit (count1 + count2 <= max12, count3 <= max3), 9 when one did not;
// 'i'/'I' re-initialises both headers from the totals. 9 for another code.
int dtb_ctrl(int code, DbControl *buf);

// The record of a number 1 .. total of database 0 or 1, its block obtained on
// first touch; null for a bad database or number, or when memory runs out.
ElementRecord *dtb_ptr(int db, int32_t n);
uint8_t *dtb_addr(int db, int32_t n);
// The same record for reading only. Unlike dtb_ptr it leaves DbGen alone, so
// what is derived from the records (the element index) stays valid.
const ElementRecord *dtb_get(int db, int32_t n);
// Goes up each time a writable record is handed out or the store changes
// wholesale.
extern uint32_t DbGen[DB_COUNT];

// Touches element 1 of the database; 0, or 1000 when it cannot be reached.
int OpenDataTable(int db);
// Gives back every block of the database; the counts stay, the records read as
// zeros when touched again. Also empties the shell's pending-open path. 0, 1 bad database.
int dtb_free(int db);
int dtb_nblk(int db, int list); // blocks held by list A (0) or B (1)
void dtb_uncache();
int32_t dtb_lnk16(uint16_t link);

// Block table.
int dtb_blkinit(); // 1 created, 0 on failure
void dtb_blkterm();
int dtb_blkalloc(); // slot number, or a negative code
int dtb_blkfree(int slot);
void *dtb_blkget(int slot);
int dtb_blkstat(int32_t stat[4]); // capacity, used, free, 1; 0

SlotTable *slt_create(int32_t blksize, int32_t step);
void slt_destroy(SlotTable **table);
int slt_alloc(SlotTable *t); // slot, -2 cannot grow, -9 no empty slot, -1 no memory
int slt_free(SlotTable *t, int slot);
void *slt_get(SlotTable *t, int slot);
int slt_count(const SlotTable *t, int32_t *capacity, int32_t *used);
int slt_grow(SlotTable *t); // 0, 1 when the larger array cannot be had

// Area helpers over the control header (no checks of db).
inline uint32_t dtb_end1(int db) { return DbCtl[db].base1 + DbCtl[db].count1; }
inline uint32_t dtb_end2(int db) { return dtb_end1(db) + DbCtl[db].count2; }
inline uint32_t dtb_end3(int db) { return DbCtl[db].base3 + DbCtl[db].count3; }
inline uint32_t dtb_used(int db) { return DbCtl[db].count1 + DbCtl[db].count2 + DbCtl[db].count3; }
