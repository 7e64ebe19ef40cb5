// Shell item-ID lists over the shell's allocator and desktop folder: measuring,
// copying, joining, shortening and comparing lists, paths and display names, and
// whether a list lies in the user's document, computer or network folders.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstddef>
#include <string>

#include "shell/dde/idlbytes.h"

// The shell's allocator and desktop folder, replaceable by tests.
struct IdlShell {
  HRESULT (*getmalloc)(IMalloc **out);
  HRESULT (*desktop)(IShellFolder **out);
};
IdlShell &idl_shell();

size_t idl_size(LPCITEMIDLIST list); // bytes without the terminator; 0 for null
int idl_count(LPCITEMIDLIST list);   // items; 0 for null
// Frees a list the shell's allocator gave.
void idl_free(LPITEMIDLIST list);

// One list owned with the shell's allocator; a new list frees the old one. Each set
// gives false and keeps the old list when nothing was set (no list or only empty
// ones, a result over IDL_MAXSIZE bytes, no allocator or no memory).
class IdlHolder {
public:
  IdlHolder();
  ~IdlHolder();
  IdlHolder(const IdlHolder &) = delete;
  IdlHolder &operator=(const IdlHolder &) = delete;

  bool set(const void *bytes, size_t length);
  bool set(LPCITEMIDLIST list);
  bool set(LPCITEMIDLIST first, LPCITEMIDLIST second);
  LPITEMIDLIST get() const { return list_; }

private:
  bool take(const void *a, size_t na, const void *b, size_t nb);
  IMalloc *alloc_ = nullptr;
  LPITEMIDLIST list_ = nullptr;
};

// The first n items as a new list (free with idl_free); null for a null list, n of 0,
// n over the item count or no allocator.
LPITEMIDLIST idl_leading(LPCITEMIDLIST list, int n);
// Same item count and the desktop folder's comparison finds them equal.
bool idl_equal(LPCITEMIDLIST first, LPCITEMIDLIST second);
// The list is the special folder (CSIDL) / lies in it.
bool idl_isspecial(int folder, LPCITEMIDLIST list);
bool idl_inspecial(int folder, LPCITEMIDLIST list);
bool idl_indocs(LPCITEMIDLIST list);      // the user's or the common documents
bool idl_incomputer(LPCITEMIDLIST list);  // the computer's drives or the network
bool idl_ineither(LPCITEMIDLIST list);
// The shell's display name; "" for null.
std::string idl_name(LPCITEMIDLIST list);
// The file-system path in the ANSI code page; "" for null or a list without one.
std::string idl_path(LPCITEMIDLIST list);
// The list of a path (free with idl_free); null for an empty path, a path over
// MAX_PATH - 1 characters, or one the desktop folder cannot parse.
LPITEMIDLIST idl_frompath(const char *path);
