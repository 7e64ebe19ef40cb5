#include "settings/laynames.h"

#include <cstdio>
#include <cstring>

void lay_dfltname(int layer, char *out) { std::snprintf(out, 256, "LAYER%03d", layer + 1); }

int lay_dflt(LayerNames table) {
  for (int i = 0; i < 64; i++) {
    std::memset(table[i], 0, 256);
    lay_dfltname(i, table[i]);
  }
  return 0;
}
