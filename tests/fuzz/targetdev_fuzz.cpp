// The target-device block of a picture request: every name the check lets through ends
// inside the block, and a device mode's declared bytes lie inside it.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "ole/targetdev.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  TargetDeviceParts p;
  if (!tdv_parse(data, size, 220, p))
    return 0;
  const uint32_t n = uint32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24);
  for (uint16_t off : {p.driver, p.device, p.port}) {
    if (!off)
      continue;
    size_t at = off;
    while (data[at] | data[at + 1]) // read as a consumer of the name would
      at += 2;
    if (at + 2 > n)
      abort();
  }
  if (p.devmode) {
    const size_t whole = size_t(data[p.devmode + TDV_DM_SIZE] | data[p.devmode + TDV_DM_SIZE + 1] << 8) +
                         size_t(data[p.devmode + TDV_DM_EXTRA] | data[p.devmode + TDV_DM_EXTRA + 1] << 8);
    volatile uint8_t last = data[p.devmode + whole - 1];
    (void)last;
  }
  return 0;
}
