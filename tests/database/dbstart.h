// A fresh store of two databases with the given capacities.
#pragma once

#include <gtest/gtest.h>

#include "database/groups.h"
#include "database/store.h"
#include "settings/params.h"

inline void db_start(uint32_t elm, uint32_t wrk) {
  dtb_term();
  for (int d = 0; d < 2; ++d) {
    ElmMax[d] = elm;
    WrkMax[d] = wrk;
  }
  ASSERT_EQ(dtb_init(), 0);
  grp_reset(0);
  grp_reset(1);
  dtb_ctrl('i', nullptr);
}
