#include "ole/targetdev.h"

namespace {

uint16_t u16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

bool name_ok(const uint8_t *block, uint32_t size, uint16_t off) {
  if (off == 0)
    return true;
  if (off < TDV_HEADER)
    return false;
  for (size_t at = off; at + 2 <= size; at += 2)
    if (u16(block + at) == 0)
      return true;
  return false;
}

} // namespace

bool tdv_parse(const uint8_t *block, size_t n, size_t devmodeMin, TargetDeviceParts &out) {
  out = TargetDeviceParts{0, 0, 0, 0};
  if (!block || n < TDV_HEADER)
    return false;
  const uint32_t size = uint32_t(block[0] | block[1] << 8 | block[2] << 16 | uint32_t(block[3]) << 24);
  if (size < TDV_HEADER || size > n)
    return false;
  const TargetDeviceParts p{u16(block + 4), u16(block + 6), u16(block + 8), u16(block + 10)};
  if (!name_ok(block, size, p.driver) || !name_ok(block, size, p.device) || !name_ok(block, size, p.port))
    return false;
  if (!p.driver && !p.device)
    return false;
  if (p.devmode) {
    const size_t need = devmodeMin > TDV_DM_EXTRA + 2 ? devmodeMin : TDV_DM_EXTRA + 2;
    if (p.devmode < TDV_HEADER || p.devmode + need > size)
      return false;
    const size_t whole = size_t(u16(block + p.devmode + TDV_DM_SIZE)) + u16(block + p.devmode + TDV_DM_EXTRA);
    if (whole < TDV_DM_EXTRA + 2 || p.devmode + whole > size)
      return false;
  }
  out = p;
  return true;
}
