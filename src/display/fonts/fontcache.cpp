#include "display/fonts/fontcache.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

int rt_open(const char *path, int flags, int mode) {
#ifdef _WIN32
  return _open(path, flags, mode);
#else
  return ::open(path, flags & ~0x8000, mode); // 0x8000 is the Windows binary flag
#endif
}
int rt_read(int fd, void *buf, unsigned count) {
#ifdef _WIN32
  return _read(fd, buf, count);
#else
  return static_cast<int>(::read(fd, buf, count));
#endif
}
int32_t rt_lseek(int fd, int32_t offset, int origin) {
#ifdef _WIN32
  return _lseek(fd, offset, origin);
#else
  off_t r = ::lseek(fd, offset, origin);
  return r < 0 || r > INT32_MAX ? -1 : static_cast<int32_t>(r);
#endif
}
int rt_close(int fd) {
#ifdef _WIN32
  return _close(fd);
#else
  return ::close(fd);
#endif
}

const FchIo RtIo = {rt_open, rt_read, rt_lseek, rt_close};
FchIo Io = RtIo;

struct FchEntry {
  int32_t fd, buf, block;
};
static_assert(sizeof(FchEntry) == 12);

struct FchSlot {
  int32_t fd, pos;
  int32_t real = -1; // where the file itself stands, -1 unknown; saves seeks between adjacent blocks
};

struct FontCache {
  int32_t enabled = 0;
  int32_t n = 0;
  int32_t limit = FCH_HANDLES;
  int32_t count = 0;
  FchSlot slot[FCH_HANDLES] = {{-1, 0}, {-1, 0}, {-1, 0}};
  unsigned char *area = nullptr;
  FchEntry *lru = nullptr;        // 2N entries: list 0 then list 1
  unsigned char *buf8 = nullptr;  // N buffers of 8 bytes
  unsigned char *buf32 = nullptr; // N buffers of 32 bytes
  unsigned char *valid = nullptr; // bytes a block read delivered, by list and buffer
};
FontCache Fc;

int slot_of(int fd) {
  if (!Fc.enabled || fd < 0)
    return -1;
  for (int s = 0; s < Fc.count; s++)
    if (Fc.slot[s].fd == fd)
      return s;
  return -1;
}

int find(const FchEntry *e, int n, int fd, int32_t block) {
  for (int j = 0; j < n; j++)
    if (e[j].fd == fd && e[j].block == block)
      return j;
  return -1;
}

constexpr int FILL_MAX = 64; // blocks one miss may bring in
unsigned char Stage[FILL_MAX * 32];

// Buffer holding the block of the slot's position (list L), its valid length in *len;
// nullptr when the block cannot be read. A miss also brings in up to want - 1 following
// blocks that are not cached yet, with the same single file read.
unsigned char *lookup(int list, FchSlot &slot, int want, int *len) {
  const int fd = slot.fd;
  const int shift = list ? 5 : 3, size = 1 << shift, n = Fc.n;
  const int32_t b = slot.pos >> shift;
  FchEntry *e = Fc.lru + list * n;
  unsigned char *bufs = list ? Fc.buf32 : Fc.buf8;
  unsigned char *valid = Fc.valid + list * n;
  int j = find(e, n, fd, b);
  if (j >= 0) {
    FchEntry hit = e[j];
    std::memmove(e + 1, e, j * sizeof *e);
    e[0] = hit;
    *len = valid[hit.buf];
    return bufs + hit.buf * size;
  }
  int k = want < n ? want : n;
  if (k > FILL_MAX)
    k = FILL_MAX;
  if (b < 0 || b > INT32_MAX / size - k)
    k = 1;
  for (int i = 1; i < k; i++)
    if (find(e, n, fd, b + i) >= 0) {
      k = i;
      break;
    }
  int got = -1;
  if (b >= 0 && (slot.real == b * size || Io.lseek(fd, b * size, 0) == b * size))
    got = Io.read(fd, Stage, k * size);
  if (got < 0 || got > k * size) {
    slot.real = -1;
    return nullptr;
  }
  slot.real = b * size + got;
  // The later blocks first, so that block b ends up most recently used.
  for (int i = k - 1; i >= 0; i--) {
    int v = got - i * size;
    v = v < 0 ? 0 : v > size ? size : v;
    if (i > 0 && v == 0)
      continue;
    FchEntry fresh{fd, e[n - 1].buf, b + i};
    std::memmove(e + 1, e, (n - 1) * sizeof *e);
    e[0] = fresh;
    std::memcpy(bufs + fresh.buf * size, Stage + i * size, v);
    valid[fresh.buf] = static_cast<unsigned char>(v);
  }
  *len = valid[e[0].buf];
  return bufs + e[0].buf * size;
}

} // namespace

const FchIo &fch_rtio() { return RtIo; }

FchIo fch_setio(const FchIo *io) {
  FchIo old = Io;
  Io = io ? *io : RtIo;
  return old;
}

int fch_init(int enable, int n) {
  std::free(Fc.area);
  Fc = FontCache{};
  if (n < 1 || n > FCH_MAXBLOCKS)
    n = 0;
  if (enable != 1 || n == 0)
    return 0;
  // 64 bytes a block (12 + 12 of entries, 8 + 32 of buffers), and 2 valid-length bytes.
  auto *area = static_cast<unsigned char *>(std::malloc(66 * static_cast<size_t>(n)));
  if (!area)
    return 1;
  Fc.area = area;
  Fc.n = n;
  Fc.lru = reinterpret_cast<FchEntry *>(area);
  Fc.buf8 = area + 24 * n;
  Fc.buf32 = Fc.buf8 + 8 * n;
  Fc.valid = Fc.buf32 + 32 * n;
  for (int i = 0; i < n; i++) {
    Fc.lru[i] = {-1, i, -1};
    Fc.lru[n + i] = {-1, i, -1};
  }
  std::memset(Fc.valid, 0, 2 * n);
  Fc.enabled = 1;
  return 0;
}

int fch_term() {
  if (!Fc.enabled)
    return 0;
  for (int s = 0; s < Fc.count; s++)
    if (Fc.slot[s].fd != -1)
      fch_close(Fc.slot[s].fd);
  std::free(Fc.area);
  Fc = FontCache{};
  return 0;
}

int fch_open(const char *path, int flags, int mode) {
  int fd = Io.open(path, flags, mode);
  if (fd != -1 && Fc.enabled && Fc.count < Fc.limit) {
    Fc.slot[Fc.count] = {fd, 0};
    Fc.count++;
  }
  return fd;
}

int fch_close(int fd) {
  int s = slot_of(fd);
  if (s >= 0) {
    FchEntry *e = Fc.lru + (s ? Fc.n : 0);
    for (int i = 0; i < Fc.n; i++)
      if (e[i].fd == fd)
        e[i].fd = -1, e[i].block = 0;
    Fc.slot[s] = {-1, 0};
  }
  return Io.close(fd);
}

int fch_read(int fd, void *buf, int count) {
  int s = slot_of(fd);
  if (s < 0)
    return count < 0 ? -1 : Io.read(fd, buf, static_cast<unsigned>(count));
  if (count < 0)
    return -1;
  const int list = s ? 1 : 0, mask = list ? 31 : 7;
  auto *out = static_cast<unsigned char *>(buf);
  int32_t &pos = Fc.slot[s].pos;
  int delivered = 0, remaining = count;
  do {
    int len = 0;
    int want = static_cast<int>(((int64_t{pos} + (remaining > 0 ? remaining : 1) - 1) >> (list ? 5 : 3)) -
                                (pos >> (list ? 5 : 3)) + 1);
    unsigned char *p = lookup(list, Fc.slot[s], want, &len);
    if (!p)
      return -1;
    int o = pos & mask, k = len - o;
    if (k <= 0)
      break; // end of file
    if (k > remaining)
      k = remaining;
    std::memcpy(out, p + o, k);
    pos += k, out += k, delivered += k, remaining -= k;
    if (len <= mask && o + k == len)
      break; // the block was the file's last
  } while (remaining > 0);
  return delivered;
}

int32_t fch_lseek(int fd, int32_t offset, int origin) {
  int s = slot_of(fd);
  if (s < 0)
    return Io.lseek(fd, offset, origin);
  int32_t &pos = Fc.slot[s].pos;
  if (origin == 0)
    pos = offset;
  else if (origin == 1)
    pos = static_cast<int32_t>(static_cast<uint32_t>(pos) + static_cast<uint32_t>(offset));
  else
    pos = Fc.slot[s].real = Io.lseek(fd, offset, origin);
  return pos;
}

int fch_blocks() { return Fc.n; }
int fch_handles() { return Fc.count; }
