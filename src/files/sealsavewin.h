// Saving a drawing to a seal file at the Windows edge.
#pragma once

#include "settings/params.h"

// 0 write through a freshly opened file, 1 through the drawing's lock handle.
extern int SlfLockMode;

// Codes of slf_save.
enum : int {
  SLF_SAVED = 0,
  SLF_NORENAME = 1, // safety copy not made or not put back, or the file not created
  SLF_WRITEFAIL = 2,
  SLF_REFUSED = 3,  // a folder, read-only, hidden, system or temporary file, or (mode 1) ".$SL"
  SLF_NOBACKUP = 4, // the user declined to go on without a backup
};

// Writes records 1 .. SlfSaveCount of the drawing with its header to path. Mode 0 a
// new file; 1 replaces a seal file (backup, lock); 3 the document store path, which
// never touches locks. The new bytes go to a file beside path ("iksNNNN.tmp") that
// then replaces path in one step, so path holds the whole old or the whole new file
// at every moment; the held handle of a locked drawing is closed only for that step
// and the lock released after it, as after every save. Stamps the save date and the
// grid copy into env.
int slf_save(int db, const char *path, int mode, DrawingEnvRecord *env);

// Names of the files a save leaves beside a seal file when it is cut short: the new
// file of this save, and the safety copy (the old file renamed) of earlier versions.
constexpr char SLF_BESIDE[] = "iks";
constexpr char SLF_OLDSAFETY[] = "ikf";
constexpr int SLF_STALE = 60; // seconds a new file must lie unchanged before it counts as left over

// Tidies the folder of path: new files of cut-short saves ("iks*.tmp", unchanged for
// SLF_STALE seconds and open nowhere) are deleted; safety copies of earlier versions
// ("ikf*.tmp"), which may hold the only whole drawing, are handed to report (may be
// null) and kept. The number deleted.
int slf_sweep(const char *path, int (*report)(const char *name));
// 0; 1 cannot create; 2 short write. *fd receives the descriptor in lock mode 0.
int slf_wrhead(int db, uint8_t *header /*[256]*/, int *fd, const char *path);
// Selector 0 or 2 writes the records; another only closes. 0; 2 short write.
int slf_wrelem(int db, int selector, int fd);
