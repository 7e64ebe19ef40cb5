// The target-device block a consumer sends with a picture request (its size, the offsets
// of the driver, device and port names in UTF-16 and of a device mode, then the data):
// checked before anything in it is read, as its offsets come from another program.
#pragma once

#include <cstddef>
#include <cstdint>

// Header bytes: u32 size, then four u16 offsets from the block's start.
constexpr size_t TDV_HEADER = 12;
// Where a device mode keeps its own size and the size of its driver's extra bytes.
constexpr size_t TDV_DM_SIZE = 68, TDV_DM_EXTRA = 70;

struct TargetDeviceParts {
  uint16_t driver, device, port, devmode; // offsets, 0 when absent
};

// Reads the block's offsets (n bytes given; the block's own size must fit in them).
// Every name ends with a NUL inside the block; a device mode holds at least
// devmodeMin bytes and its own size and extra bytes inside the block; a driver or a
// device name is there. false when any of that fails (out is then all zero).
bool tdv_parse(const uint8_t *block, size_t n, size_t devmodeMin, TargetDeviceParts &out);
