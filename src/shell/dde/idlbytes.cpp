#include "shell/dde/idlbytes.h"

#include "framework/except.h"

namespace {

// The count of the item at p; a count below 2 cannot hold itself and ends the list.
size_t item_at(const uint8_t *p) {
  const size_t cb = size_t(p[0]) | size_t(p[1]) << 8;
  return cb < 2 ? 0 : cb;
}

} // namespace

size_t idl_bytes(const uint8_t *list) {
  size_t n = 0;
  if (list)
    for (size_t cb; (cb = item_at(list + n)) != 0;)
      n += cb;
  return n;
}

int idl_items(const uint8_t *list) {
  int count = 0;
  if (list)
    for (size_t at = 0, cb; (cb = item_at(list + at)) != 0; at += cb)
      count++;
  return count;
}

size_t idl_leadbytes(const uint8_t *list, int n) {
  if (!list || n <= 0)
    return 0;
  size_t at = 0;
  for (int i = 0; i < n; i++) {
    const size_t cb = item_at(list + at);
    if (cb == 0)
      return 0;
    at += cb;
  }
  return at;
}

void IdlOffsets::fill(const uint8_t *list) {
  ends_.clear();
  if (!list)
    return;
  for (size_t at = 0, cb; (cb = item_at(list + at)) != 0;) {
    at += cb;
    ends_.push_back(uint32_t(at));
  }
}

uint32_t IdlOffsets::at(size_t i) const {
  if (i >= ends_.size())
    AfxThrowInvalidArgException();
  return ends_[i];
}
