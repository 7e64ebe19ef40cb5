#include "input/inpkind.h"

#include <cstring>

namespace {
uint32_t records[INP_KINDS][7];
}

int inp_kind(int op, int kind, uint32_t *record) {
  if (kind < 1 || kind > INP_KINDS)
    return 9;
  if (op == 'R' || op == 'r')
    std::memcpy(record, records[kind - 1], sizeof records[0]);
  else if (op == 'W' || op == 'w')
    std::memcpy(records[kind - 1], record, sizeof records[0]);
  return 0;
}

// The attribute box does not exist yet: nothing to refresh.
void inp_updall() {}
