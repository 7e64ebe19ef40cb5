// Lock files and the held seal-file handle at the Windows edge, and the policy that
// decides, when a drawing is opened, whether this process holds the file, reads it
// only after the user agreed, or leaves it. Results are Windows error codes (0 done)
// unless stated.
#pragma once

#include <windows.h>

#include <cstdint>

#include "files/lockfile.h"

// Per drawing: the exclusively opened seal file (null = no lock) and its path.
struct DrawingPathRecord {
  HANDLE lock;
  char path[264];
};
extern DrawingPathRecord DwgPath[2];
// Per drawing: loaded from a file the user agreed to open for reading only. Its
// holder may save it meanwhile, so saving over it would undo that work unseen.
extern bool DwgReadOnly[2];

// Lock states of the open policy.
enum : int {
  LCK_LOCKED = 150,   // held exclusively, lock file written
  LCK_READONLY = 151, // opened for reading after the user agreed
  LCK_NONE = 153,     // no lock taken
  LCK_REFUSED = 154,  // refused or not locked
};

// Thin CreateFileA wrappers; the handle is stored only on success.
DWORD lck_createf(const char *name, DWORD access, DWORD share, DWORD disposition, DWORD flags, bool inheritable,
                  HANDLE *out);
DWORD lck_fopenrw(const char *name, HANDLE *out);
DWORD lck_fopenalw(const char *name, HANDLE *out);
DWORD lck_fcreate(const char *name, bool hidden, HANDLE *out);
DWORD lck_fcreate2(const char *name, bool hidden, HANDLE *out);
DWORD lck_fopenro(const char *name, HANDLE *out);
DWORD lck_closeh(HANDLE h);
DWORD lck_settrunc(HANDLE h);
DWORD lck_write(HANDLE h, const void *buf, DWORD size);

// Seal-file handles: 87 for a null or empty path or a null output.
DWORD lck_openrw(const char *path, HANDLE *out);
DWORD lck_openro(const char *path, HANDLE *out);
DWORD lck_openalw(const char *path, HANDLE *out, bool truncate);
DWORD lck_trunc(HANDLE h); // 6 for a null or invalid handle
DWORD lck_close(HANDLE h); // 6 for a null or invalid handle

// Who runs this process, on which computer, now (UTC).
DWORD lck_fillholder(LockHolder *h);
// The calls that fill a fresh lock file, so tests stand in for a failing account
// lookup, truncation or write; lck_sysreset puts the real ones back.
struct LckSysHooks {
  DWORD (*fill)(LockHolder *h);
  DWORD (*trunc)(HANDLE h);
  DWORD (*write)(HANDLE h, const void *buf, DWORD size);
};
LckSysHooks &lck_sys();
void lck_sysreset();
// Writes a fresh lock file (hidden). A file that cannot be filled is deleted again:
// an empty one would hide the holder from later openers for good.
DWORD lck_create(const char *path);
DWORD lck_create2(const char *path); // the same, opening an existing one
DWORD lck_holder(const char *path, LockHolder *out);
// Deletes the lock file (a missing one counts as done), then closes handle unless it
// is null or invalid.
DWORD lck_remove(const char *path, HANDLE handle);
int lck_sethandle(int dwg, HANDLE h);

// Exclusive open with a lock file, else the user's question: LCK_LOCKED (out = the
// exclusive handle), LCK_READONLY (out = a read-only handle) or LCK_REFUSED (out null).
// A file that does not exist gets no question.
int lck_askopen(const char *path, HANDLE *out);
// After a successful load: LCK_READONLY closes the handle, LCK_LOCKED keeps it as the
// drawing's lock; the drawing counts as read-only (DwgReadOnly) after LCK_READONLY
// only. 0.
int lck_keep(int dwg, const char *path, int state, HANDLE h);
// Removes the drawing's lock file and closes its handle. 0.
int lck_release(int dwg);
// 0 with *inuse 1 when the file cannot be opened for writing because another holds
// it (errors 5, 19, 32, 33), 0 with *inuse 0 when it can; -1 otherwise.
int lck_inuse(const char *path, int *inuse);
DWORD lck_tryopen(const char *path);

// The open-time policy for a drawing file. *state gets the lock state and *handle the
// handle the load must end with (lck_keep or lck_abandon). 0 go on and load; 7 the
// user answered No. exclusive is the EXCLUSIVE switch.
int lck_openpol(const char *path, int exclusive, int *state, HANDLE *handle);
// After a failed load: gives back only what this open took (the lock file it wrote and
// its handle, or the read-only handle); another user's lock file stays. 0.
int lck_abandon(const char *path, int state, HANDLE h);
