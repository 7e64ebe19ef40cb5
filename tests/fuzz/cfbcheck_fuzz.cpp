// Damaged compound files: the check ends on every input, reads nothing outside it
// (the sanitizers watch) and answers one of its faults; nothing short of a header passes.
#include <cstdint>
#include <cstdlib>

#include "files/cfbcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const int r = cfb_check(data, size);
  if (r < CFB_OK || r > CFB_STREAM)
    abort();
  if (r == CFB_OK && size < 512)
    abort();
  return 0;
}
