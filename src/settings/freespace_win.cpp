#include "settings/freespace.h"

#include <windows.h>

#include <cctype>

uint32_t fil_freespc(const char *path) {
  constexpr uint32_t cap = 0x7fffffff;
  if (!path || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':')
    return cap;
  const char root[4] = {path[0], ':', '\\', 0};
  ULARGE_INTEGER avail;
  if (!GetDiskFreeSpaceExA(root, &avail, nullptr, nullptr))
    return 0;
  return avail.QuadPart > cap ? cap : static_cast<uint32_t>(avail.QuadPart);
}
