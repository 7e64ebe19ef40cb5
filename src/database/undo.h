// Undo and redo journal of database 0: a ring file of 92-byte records in the work
// folder, behind a one-record header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "database/record.h"

// Journal operations.
constexpr int UND_STEP = 9;
constexpr int UND_ADD = 10;
constexpr int UND_ADDCONT = 11;
constexpr int UND_CHANGE = 20;
constexpr int UND_LINK = 21;
constexpr int UND_DELETE = 30;

constexpr int UND_MINSIZE = 200;
constexpr int UND_MAXSIZE = 10000;
constexpr int UND_SPARE = 50; // ring size = UNDOSIZE + 50
constexpr int UND_STACK = 50; // step boundaries kept
constexpr int UND_RESULT = 810;

#pragma pack(push, 1)
struct UndoRecord {
  uint32_t op;
  uint32_t elm;
  uint32_t piece; // 1 an element's own record; 2, 3, ... continuation records of a changed string
  ElementRecord image;
};
struct UndoJournalHeader {
  uint32_t ring; // R = N + 50
  uint32_t one;  // 1
  uint8_t zero[84];
};
#pragma pack(pop)
static_assert(sizeof(UndoRecord) == 92 && sizeof(UndoJournalHeader) == 92);
static_assert(offsetof(UndoRecord, elm) == 4 && offsetof(UndoRecord, piece) == 8);
static_assert(offsetof(UndoRecord, image) == 12);

struct UndoRedoState {
  uint16_t undo;   // undo available
  uint16_t redo;   // redo available
  uint16_t anchor; // anchor saved
  uint32_t anchorsteps;
  uint32_t anchorpos;
};

struct UndoJournal {
  FILE *fp;
  long fpos; // stream byte position as last left
  int dir;   // 1 read, 2 write: a seek is made when it changes
  bool enabled, open, recording, resetpend;
  uint32_t cur;              // 1 .. ring: the last record written or reached
  uint32_t ring;             // R
  uint32_t stack[UND_STACK]; // positions of step boundaries, oldest first
  int32_t steps;             // boundaries in use
  char path[262];
  char buf[4096];
};

extern UndoJournal UndJrn[2];
extern UndoRedoState UndState[2];

// Ring arithmetic.
inline uint32_t und_ringsize(int32_t n) {
  return uint32_t((n < UND_MINSIZE ? UND_MINSIZE : n > UND_MAXSIZE ? UND_MAXSIZE : n) + UND_SPARE);
}
inline uint32_t und_next(uint32_t pos, uint32_t ring) { return pos >= ring ? 1 : pos + 1; }
inline uint32_t und_prev(uint32_t pos, uint32_t ring) { return pos <= 1 ? ring : pos - 1; }

// Journal file name of a database in a folder (a backslash added when missing).
void und_path(int db, const char *folder, char *out /*[262]*/);

// Opens (or creates, or re-creates at another size) the journal in folder with
// UNDOSIZE n and writes the first boundary. 0; 9 seek or write failure, or the
// file is held by another process (the journal is then disabled and the file left
// alone); the result of und_stup1 when that fails. Undo is unavailable afterwards.
int und_open(int db, const char *folder, int32_t n);
// Deletes and creates the journal with its header. 0; 1 header not written (file
// deleted); 9 not created.
int und_stup1(int db, const char *folder, int32_t n);
// Closes and deletes the journal when this process holds it open. 0.
int und_clos(int db);
int und_strt(int db); // recording on; 1 when not enabled, not open or already on
int und_stop(int db); // recording off; 1 when not enabled, not open or already off
int und_isrec(int db);
// 0 or 1 sets the lock (0); another value >= 0 gives -1; a negative one the lock.
int und_lock(int v);
// Closes the current step. 0; 1 not enabled, not recording or not open; 9 I/O failure.
int und_pend(int db);
// Journals one record; always marks the drawing modified first. 0 written; 1 not
// enabled, recording or open; 2 the step outgrew the ring (journal reset, recording
// off until the next und_pend); 9 seek or write failure.
int und_writ(int db, int op, int32_t elm, int piece, const ElementRecord *image);
// Journals records 1 .. count1 of area 1 as one added step (op 10, continuation
// records op 11), erased ones too, so that undoing it takes count1 back to 0.
// The first result other than 0 of und_writ, else 0.
int und_wrarea(int db);
// Empties the journal. 0; 1 not enabled, recording or open; 9 I/O failure.
int und_rset(int db);
int und_exec(int db); // undoes one step; 810
int rdo_exec(int db); // redoes one step; 810
// Removes the element from the selection list when the list holds this database's numbers.
void und_selrem(int32_t elm, int db);
std::size_t und_fwrite(const void *buf, std::size_t size, std::size_t count, FILE *fp, const char *caller);
std::size_t und_fread(void *buf, std::size_t size, std::size_t count, FILE *fp, const char *caller);

// Engine start-up: opens the journal of database 0 in the work folder (system path
// 4, else 6) with UNDOSIZE and starts recording; on failure says so on the board
// and the drawing works without undo. The result of und_open.
int und_init();
// Shut-down: und_clos of database 0.
int und_term();
