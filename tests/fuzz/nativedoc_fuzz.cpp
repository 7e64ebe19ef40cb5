// What a container hands the server: native data after the item list (header, extent,
// rectangle, drawing bytes), an older server's native stream, and link item names.
// The first byte picks the reader.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "framework/archive.h"
#include "framework/file.h"
#include "ole/itemname.h"
#include "ole/nativedata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  const uint8_t kind = data[0] % 3;
  ++data, --size;
  if (kind == 2) {
    const std::string name(reinterpret_cast<const char *>(data), size);
    ItemNameParts p{};
    if (item_parsename(name.c_str(), p)) {
      if (p.cx < 0 || p.cx > ITEM_MAX_EXTENT || p.cy < 0 || p.cy > ITEM_MAX_EXTENT)
        abort();
      int32_t cx, cy;
      item_sheetextent(p.cx, p.x2 - p.x1, p.y1 - p.y2, cx, cy);
    }
    return 0;
  }
  static const std::string tmp = "nativedoc_fuzz." + std::to_string(getpid()) + ".tmp";
  CMemFile file(const_cast<unsigned char *>(data), size);
  try {
    CArchive ar(&file, CArchive::load, 64);
    if (kind == 0) {
      NativeItemHead head{};
      native_readhead(ar, head);
    } else if (native_readole1(ar) < OLE1_HEAD_SIZE) {
      abort();
    }
    native_getdrawing(ar, tmp.c_str());
    CFile out(tmp.c_str(), CFile::modeRead | CFile::typeBinary);
    if (out.GetLength() > size)
      abort();
  } catch (const CException &) {
  }
  std::remove(tmp.c_str());
  return 0;
}
