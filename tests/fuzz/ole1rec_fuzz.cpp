// Names and link strings of the older object layer read from outside: a name is taken
// whole with its terminator inside its buffer or not at all, and link strings only
// when all three terminators lie inside the block.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ole/ole1rec.h"

namespace {
struct Bytes {
  const uint8_t *p;
  std::size_t n, pos;
};
uint32_t read_bytes(void *ctx, void *buf, uint32_t count) {
  auto *m = static_cast<Bytes *>(ctx);
  const std::size_t take = count < m->n - m->pos ? count : m->n - m->pos;
  std::memcpy(buf, m->p + m->pos, take);
  m->pos += take;
  return uint32_t(take);
}
void check_name(const char *buf, std::size_t cap, int ok) {
  const void *z = std::memchr(buf, 0, cap);
  if (!z || (!ok && buf[0] != 0))
    abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Bytes m{data, size, 0};
  char name[32], link[200];
  const int a = ole1_readname(read_bytes, &m, name, sizeof name);
  check_name(name, sizeof name, a);
  const int b = ole1_readname(read_bytes, &m, link, sizeof link);
  check_name(link, sizeof link, b);
  if (m.pos > size)
    abort();
  char out[64];
  std::memset(out, 0x55, sizeof out);
  std::size_t used = 0;
  if (ole1_linkstrings(data, size, out, sizeof out, &used)) {
    if (used < 4 || used > sizeof out || used > size + 1 || out[used - 1] != 0 || out[used - 2] != 0 ||
        std::memcmp(out, data, used - 1) != 0)
      abort();
    const char *cls, *doc, *item;
    ole1_linkparts(out, &cls, &doc, &item);
    if (item + std::strlen(item) + 1 != out + used - 1)
      abort();
  } else if (static_cast<unsigned char>(out[0]) != 0x55) {
    abort();
  }
  return 0;
}
