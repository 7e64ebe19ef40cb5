// Names of linked parts as containers and linking programs hand them over: the input
// (to its first NUL) is read as a name. A name read is in range, is written back as a
// name that reads again with the same extent, and its extent text stays in its block.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ole/itemname.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string name(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
  ItemNameParts p;
  if (!item_parsename(name.c_str(), p))
    return 0;
  for (double v : {p.x1, p.y1, p.x2, p.y2})
    if (!std::isfinite(v) || v < 0)
      abort();
  if (p.cx < 0 || p.cy < 0 || p.cx > ITEM_MAX_EXTENT || p.cy > ITEM_MAX_EXTENT)
    abort();
  const std::string again = item_fmtname(p.x1, p.y1, p.x2, p.y2, p.cx, p.cy);
  ItemNameParts q;
  if (!item_parsename(again.c_str(), q) || q.cx != p.cx || q.cy != p.cy)
    abort();
  char text[ITEM_EXTENTTEXT_SIZE + 1];
  std::memset(text, 0x55, sizeof text);
  item_extenttext(p.x1, p.y1, p.x2, p.y2, text);
  if (!std::memchr(text, 0, ITEM_EXTENTTEXT_SIZE) || text[ITEM_EXTENTTEXT_SIZE] != 0x55)
    abort();
  return 0;
}
