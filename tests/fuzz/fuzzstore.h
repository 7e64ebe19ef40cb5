// A fresh store of both drawings (2000 records each) on a 200 x 100 sheet, for the
// fuzz targets that fill it with outside records.
#pragma once

#include <cstdlib>
#include <cstring>

#include "database/groups.h"
#include "database/store.h"
#include "settings/params.h"

inline void fuzz_freshstore() {
  dtb_term();
  for (int d = 0; d < 2; ++d) {
    ElmMax[d] = 2000;
    WrkMax[d] = 256;
  }
  if (dtb_init() != 0)
    abort();
  grp_reset(0);
  grp_reset(1);
  dtb_ctrl('i', nullptr);
  SheetRecord s;
  std::memset(&s, 0, sizeof s);
  sys_sheet('r', 0, &s);
  s.width = 200;
  s.height = 100;
  sys_sheet('w', 0, &s);
}
