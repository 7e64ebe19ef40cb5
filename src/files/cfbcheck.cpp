// The checks follow every structure the way a reader does, but each step is bounded:
// a sector may belong to one chain only and a directory entry may be reached once, so
// a loop or a shared link is found, never followed.
#include "files/cfbcheck.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t MAXREGSECT = 0xFFFFFFFAu;
constexpr uint32_t ENDOFCHAIN = 0xFFFFFFFEu;
constexpr uint32_t NOSTREAM = 0xFFFFFFFFu;
constexpr std::size_t HEADER_FATS = 109;
constexpr std::size_t DIRENTRY = 128;
constexpr uint32_t MINI_SHIFT = 6;
constexpr uint32_t CUTOFF = 4096;

enum : uint8_t { T_EMPTY = 0, T_STORAGE = 1, T_STREAM = 2, T_ROOT = 5 };

uint16_t u16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint64_t u64(const uint8_t *p) { return uint64_t(u32(p)) | uint64_t(u32(p + 4)) << 32; }

struct Checker {
  Checker(const uint8_t *d, std::size_t n) : data(d), size(n) {}
  const uint8_t *data;
  std::size_t size;
  uint32_t ssize = 0;   // sector size
  uint64_t whole = 0;   // sectors wholly inside the file
  uint64_t started = 0; // sectors that start inside the file (the last may be cut short)
  std::vector<uint32_t> fat;
  std::vector<uint32_t> minifat;
  std::vector<uint8_t> owned;     // a big sector already in some chain
  std::vector<uint8_t> miniOwned; // the same for mini sectors
  std::vector<uint8_t> dir;       // the directory's bytes, in chain order
  uint64_t miniSectors = 0;       // mini sectors the mini stream holds

  const uint8_t *sector(uint32_t n) const { return data + (uint64_t(n) + 1) * ssize; }

  // Follows a chain of big sectors from start through the allocation table. Sectors
  // are claimed, so a loop or a sector shared with another chain fails. *length gets
  // the number of sectors; whole: every sector must lie wholly in the file.
  bool chain(uint32_t start, uint64_t *length, bool wholeSectors) {
    uint64_t n = 0;
    const uint64_t limit = std::min<uint64_t>(wholeSectors ? whole : started, fat.size());
    for (uint32_t s = start; s != ENDOFCHAIN;) {
      if (s > MAXREGSECT || s >= limit || owned[s])
        return false;
      owned[s] = 1;
      n++;
      s = fat[s];
    }
    *length = n;
    return true;
  }

  bool miniChain(uint32_t start, uint64_t *length) {
    uint64_t n = 0;
    const uint64_t limit = std::min<uint64_t>(miniSectors, minifat.size());
    for (uint32_t s = start; s != ENDOFCHAIN;) {
      if (s > MAXREGSECT || s >= limit || miniOwned[s])
        return false;
      miniOwned[s] = 1;
      n++;
      s = minifat[s];
    }
    *length = n;
    return true;
  }

  // The tables of the sectors a chain lists, read into out (every sector whole).
  bool table(uint32_t start, std::vector<uint32_t> &out) {
    uint64_t n = 0;
    if (!chain(start, &n, true))
      return false;
    out.reserve(std::size_t(n) * (ssize / 4));
    for (uint32_t s = start; s != ENDOFCHAIN; s = fat[s])
      for (uint32_t i = 0; i < ssize / 4; i++)
        out.push_back(u32(sector(s) + 4 * i));
    return true;
  }

  int header() {
    static const uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (size < 512)
      return CFB_SHORT;
    if (std::memcmp(data, magic, 8) != 0 || u16(data + 0x1C) != 0xFFFE)
      return CFB_HEADER;
    const uint16_t major = u16(data + 0x1A), shift = u16(data + 0x1E);
    if (!((major == 3 && shift == 9) || (major == 4 && shift == 12)))
      return CFB_HEADER;
    if (u16(data + 0x20) != MINI_SHIFT || u32(data + 0x38) != CUTOFF)
      return CFB_HEADER;
    ssize = 1u << shift;
    if (size < ssize)
      return CFB_SHORT;
    whole = (size - ssize) / ssize;
    started = (size - ssize + ssize - 1) / ssize;
    return CFB_OK;
  }

  // The allocation table from the sectors the header and its extension chain list.
  int allocation() {
    const uint32_t fats = u32(data + 0x2C);
    const uint32_t extra = u32(data + 0x48);
    if (fats == 0 || fats > whole || extra > whole)
      return CFB_FATLIST;
    std::vector<uint32_t> list;
    for (std::size_t i = 0; i < HEADER_FATS && list.size() < fats; i++)
      list.push_back(u32(data + 0x4C + 4 * i));
    std::vector<uint8_t> seen(std::size_t(whole), 0);
    uint32_t s = u32(data + 0x44);
    const uint32_t per = ssize / 4 - 1;
    // Every extension sector the header counts is read, needed or not.
    for (uint32_t k = 0; k < extra; k++) {
      if (s >= whole || seen[s])
        return CFB_FATLIST;
      seen[s] = 1;
      for (uint32_t i = 0; i < per && list.size() < fats; i++)
        list.push_back(u32(sector(s) + 4 * i));
      s = u32(sector(s) + 4 * per);
    }
    if (list.size() < fats)
      return CFB_FATLIST;
    std::vector<uint8_t> fatSeen(std::size_t(whole), 0);
    fat.reserve(std::size_t(fats) * (ssize / 4));
    for (uint32_t f : list) {
      if (f >= whole || fatSeen[f])
        return CFB_FATLIST;
      fatSeen[f] = 1;
      for (uint32_t i = 0; i < ssize / 4; i++)
        fat.push_back(u32(sector(f) + 4 * i));
    }
    owned.assign(fat.size(), 0);
    return CFB_OK;
  }

  int directory() {
    std::vector<uint32_t> words;
    if (!table(u32(data + 0x30), words))
      return CFB_CHAIN;
    dir.resize(words.size() * 4);
    for (std::size_t i = 0; i < words.size(); i++)
      for (int b = 0; b < 4; b++)
        dir[4 * i + b] = uint8_t(words[i] >> (8 * b));
    if (dir.size() < DIRENTRY || dir[66] != T_ROOT)
      return CFB_DIRECTORY;
    return CFB_OK;
  }

  const uint8_t *entry(uint32_t i) const { return dir.data() + std::size_t(i) * DIRENTRY; }
  uint32_t entries() const { return uint32_t(dir.size() / DIRENTRY); }

  static bool named(const uint8_t *e) {
    const uint16_t len = u16(e + 64);
    return len >= 2 && len <= 64 && len % 2 == 0 && u16(e + len - 2) == 0;
  }

  int ministream() {
    const uint8_t *root = entry(0);
    if (!named(root))
      return CFB_DIRECTORY;
    const uint32_t start = u32(root + 116);
    const uint64_t bytes = u64(root + 120);
    uint64_t n = 0;
    if (start != ENDOFCHAIN || bytes != 0) {
      if (!chain(start, &n, false))
        return CFB_CHAIN;
      if (bytes > n * ssize)
        return CFB_STREAM;
    }
    miniSectors = (bytes + (1u << MINI_SHIFT) - 1) >> MINI_SHIFT;
    const uint32_t first = u32(data + 0x3C), count = u32(data + 0x40);
    if (first != ENDOFCHAIN || count != 0) {
      const std::size_t before = minifat.size();
      if (!table(first, minifat))
        return CFB_CHAIN;
      if ((minifat.size() - before) / (ssize / 4) < count)
        return CFB_CHAIN;
    }
    miniOwned.assign(std::size_t(std::min<uint64_t>(miniSectors, minifat.size())), 0);
    return CFB_OK;
  }

  int stream(const uint8_t *e) {
    const uint32_t start = u32(e + 116);
    const uint64_t bytes = u64(e + 120);
    uint64_t n = 0;
    if (bytes == 0 && start > MAXREGSECT)
      return CFB_OK;
    if (bytes < CUTOFF) {
      if (!miniChain(start, &n))
        return CFB_CHAIN;
      return bytes <= (n << MINI_SHIFT) ? CFB_OK : CFB_STREAM;
    }
    if (!chain(start, &n, false))
      return CFB_CHAIN;
    return bytes <= n * ssize ? CFB_OK : CFB_STREAM;
  }

  // Every storage's children from the root down: each link in range, each entry
  // reached once, only storages and streams below the root.
  int tree() {
    const uint32_t count = entries();
    std::vector<uint8_t> reached(count, 0);
    reached[0] = 1;
    std::vector<uint32_t> todo;
    const uint32_t rootChild = u32(entry(0) + 76);
    if (rootChild != NOSTREAM)
      todo.push_back(rootChild);
    while (!todo.empty()) {
      const uint32_t i = todo.back();
      todo.pop_back();
      if (i >= count || reached[i])
        return CFB_TREE;
      reached[i] = 1;
      const uint8_t *e = entry(i);
      const uint8_t type = e[66];
      if (type != T_STORAGE && type != T_STREAM)
        return type == T_EMPTY || type == T_ROOT ? CFB_TREE : CFB_DIRECTORY;
      if (!named(e))
        return CFB_DIRECTORY;
      for (const uint32_t link : {u32(e + 68), u32(e + 72), type == T_STORAGE ? u32(e + 76) : NOSTREAM})
        if (link != NOSTREAM)
          todo.push_back(link);
      if (type == T_STREAM)
        if (const int r = stream(e); r != CFB_OK)
          return r;
    }
    return CFB_OK;
  }
};

} // namespace

int cfb_check(const uint8_t *data, std::size_t size) {
  if (!data)
    return CFB_SHORT;
  Checker c(data, size);
  for (int (Checker::*step)() : {&Checker::header, &Checker::allocation, &Checker::directory, &Checker::ministream,
                                 &Checker::tree})
    if (const int r = (c.*step)(); r != CFB_OK)
      return r;
  return CFB_OK;
}
