// The selection list: the element numbers picked for the next operation.
#pragma once

#include <cstdint>

struct SelectionListRecord {
  uint32_t *ids; // null when no list exists; bit 31 of an entry is a flag
  int32_t count; // entries in use
  int32_t dwg;   // drawing the list belongs to, -1 none
};
// No list exists until the selection builds one.
extern SelectionListRecord SelList;
