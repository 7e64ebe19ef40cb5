// Reading a drawing file's 64-byte records from disk: the file is taken in whole
// (up to R64_FILEMAX bytes) and handed to the in-memory reader.
#include <cstdio>

#include "files/rec64.h"

int slf_rd64path(const char *path, int fmt, int64_t start, int32_t *remain, int32_t maxrecs, Rd64Embed *embed,
                 Rd64Result *out) {
  out->recs.clear();
  out->count = 0;
  out->head = 0;
  std::FILE *fp = path ? std::fopen(path, "rb") : nullptr;
  if (!fp)
    return -1;
  std::vector<uint8_t> data;
  uint8_t buf[65536];
  std::size_t n;
  while (data.size() < R64_FILEMAX && (n = std::fread(buf, 1, sizeof buf, fp)) > 0)
    data.insert(data.end(), buf, buf + n);
  std::fclose(fp);
  if (data.size() > R64_FILEMAX)
    data.resize(R64_FILEMAX);
  return slf_rd64buf(data.data(), data.size(), fmt, start, remain, maxrecs, embed, out);
}
