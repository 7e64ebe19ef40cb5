// A drawing file's object block: where the search starts, the chain of blocks, and an
// older object list inside a found block. Whatever is found lies inside the file, and
// every list entry moves forward inside its block. The first bytes are also read as an
// archived item's own fields.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/olefmt.h"
#include "files/sealread.h"
#include "ole/rectgeom.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size >= RIT_STORED) {
    // An archived item's own bytes read back write the same bytes.
    RectItemGeom g;
    const int ok = rit_get(data, &g);
    uint8_t back[RIT_STORED];
    rit_put(g, back);
    if (ok && std::memcmp(back, data, RIT_STORED) != 0)
      abort();
  }
  uint64_t start = 0;
  const int s = oleblk_start(data, size, int32_t(size % 7), &start);
  if (s != 1)
    start = size > 40 ? 40 : size; // still walk the chain from somewhere inside
  SlfMemory m{data, size, 0};
  OleBlockFound f{};
  if (oleblk_find(slf_memsource(&m), size, start, &f) != OLEBLK_FOUND)
    return 0;
  if (f.length == 0 || uint64_t(f.data) + f.length > size || f.data < start + OLEBLK_HEADSIZE)
    abort();
  if (f.kind != OLEBLK_OLE1 || f.length < 4)
    return 0;
  const uint8_t *list = data + f.data + 4;
  const std::size_t len = f.length - 4;
  std::size_t pos = 0;
  Ole1Entry e;
  while (ole1_entry(list, len, pos, &e) == 1) {
    if (e.next <= pos || e.next > len || e.stream < pos || e.stream + e.streamLength > e.next)
      abort();
    if (e.name[sizeof e.name - 1] != 0 && e.name[0] != 0 && std::memchr(e.name, 0, sizeof e.name) == nullptr)
      abort();
    pos = e.next;
  }
  return 0;
}
