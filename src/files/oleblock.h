// The block of embedded objects that a drawing file carries after its records.
#pragma once

#include <cstdint>
#include <cstdio>

// Size of the block a save of the drawing will append (0: no block, also when the
// objects could not be written).
uint32_t PrepareOleBlock(int dwg);
// The same, telling a failure apart: 1 and *size (0 when the drawing's document holds
// no objects), or 0 when it holds objects that could not be written -- a save that
// went on would drop them.
int PrepareOleBlockSize(int dwg, uint32_t *size);
// Appends the prepared block to the file at path: 1 on success or when nothing was
// prepared, 0 on failure. The temporary file is gone afterwards in every case.
int WriteOleBlock(int dwg, const char *path);
// Deletes the temporary compound file of the last preparation and forgets it.
void DeleteOleTempFile();

// Finds the block of the drawing file at path and adds its objects to the drawing's
// document: 1 also when there is no block, 0 when the file or a block is unreadable.
int ReadOleBlock(int dwg, const char *path);
// A compound-file block of length bytes at the file's position: copied into temp and
// loaded into the drawing's document. 0 when the copy or the load fails or the
// drawing has no document.
int ReadOleStorageBlock(std::FILE *fp, uint32_t length, const char *temp, int dwg);
// An older list of objects (length bytes at the file's position) added to the
// drawing's document: 1 when every object was added.
int ReadOle1ObjectList(std::FILE *fp, uint32_t length, int dwg);

// Set while older objects are being added: painting passes over objects meanwhile.
extern int OleItemsLoading;

// The drawing document's side of the block, entered by the document class; with
// no entries no drawing holds objects (nothing is prepared, nothing read).
struct OleBlockDocCalls {
  void *(*doc)(int dwg);                      // the drawing's document, null when none
  int (*items)(void *doc);                    // how many objects it holds
  int (*save)(void *doc, const char *path);   // writes them into a new compound file: 1
  int (*load)(void *doc, const char *path);   // adds those of a compound file: 1
  uint32_t *(*blocklen)(void *doc);           // the document's prepared block size
  // Adds the objects of an older list (count, then the objects): 1 when all were.
  int (*addole1)(void *doc, const uint8_t *data, uint32_t length);
  void (*repaint)(int dwg);                   // view 0 of the drawing drawn again
};
extern OleBlockDocCalls OleBlockDoc;
// Appends a compound file's bytes as a block (tests stand in for a failing disk).
extern int (*OleBlockAppend)(const char *path, const char *data);

// The program-wide name of the current temporary compound file (empty when none).
const char *OleTempFileName();
// The same name made into out (cap bytes), leaving the program-wide one alone.
void MakeOleTempName(char *out, unsigned cap);
// Makes a new temporary name in the work folder: a unique "KlOLE" name from the
// system, else "KlOLE.$$$" in the work folder, else "KlOLE.$$$" alone.
const char *MakeOleTempFileName();
