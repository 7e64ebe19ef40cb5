// Shell item-ID lists as bytes: items that each begin with their 16-bit byte count
// (little-endian, the count's own two bytes included), ended by a count of 0. Sizes
// are size_t, so long lists never wrap; a list the shell may hold stays within
// IDL_MAXSIZE bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t IDL_MAXSIZE = 65535;

// Bytes of all items, the terminator left out; 0 for a null list.
size_t idl_bytes(const uint8_t *list);
// Number of items before the terminator; 0 for a null list.
int idl_items(const uint8_t *list);
// Bytes of the first n items; 0 when n is 0 or more than the list holds.
size_t idl_leadbytes(const uint8_t *list, int n);

// Offsets just behind each item of a list.
class IdlOffsets {
public:
  explicit IdlOffsets(const uint8_t *list = nullptr) { fill(list); }
  void fill(const uint8_t *list);
  size_t size() const { return ends_.size(); }
  // Outside the array: the framework's invalid-argument exception.
  uint32_t at(size_t i) const;

private:
  std::vector<uint32_t> ends_;
};
