// Execute strings from other programs.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shell/dde/ddeexec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const DdeExec e = ddes_parse(reinterpret_cast<const char *>(data), size);
  if (std::strlen(e.path) >= DDEX_PATHMAX)
    __builtin_trap();
  return 0;
}
