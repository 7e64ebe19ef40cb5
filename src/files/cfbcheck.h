// A compound file (structured storage) checked before the system's storage code reads
// it: a damaged one can make that code loop for good, and an object block of a drawing
// file is outside data.
#pragma once

#include <cstddef>
#include <cstdint>

enum CfbFault : int {
  CFB_OK = 0,
  CFB_SHORT,     // smaller than its header
  CFB_HEADER,    // signature, version, byte order, sector sizes or counts
  CFB_FATLIST,   // the list of allocation-table sectors (header and extension chain)
  CFB_CHAIN,     // a sector chain loops, leaves the file or ends on a reserved value
  CFB_DIRECTORY, // the directory: root entry, entry kinds or names
  CFB_TREE,      // a directory link out of range, or an entry reached twice (a cycle)
  CFB_STREAM,    // a stream larger than its chain, or a small stream outside the mini stream
};

// Checks the compound file of size bytes at data: CFB_OK when every structure a reader
// follows stays inside the file and ends -- header, allocation tables, every chain,
// the directory tree from the root, every stream's chain against its size.
int cfb_check(const uint8_t *data, std::size_t size);
