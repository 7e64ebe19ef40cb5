// 10,000 LINE command lines through the CMDL interpreter on drawing 0 without views
// (no undo journal); prints the time per line. Goal: under 20 us.
#include <cstdio>
#include <cstring>

#include "benchclock.h"
#include "commands/cmdl/cmdl.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/view/view.h"
#include "settings/params.h"

int main() {
  dtb_term();
  for (int d = 0; d < 2; ++d) {
    ElmMax[d] = 20000;
    WrkMax[d] = 500;
  }
  dtb_init();
  grp_reset(0);
  grp_reset(1);
  dtb_ctrl('i', nullptr);
  dwg_setcur(0);
  dde_reset();
  constexpr int N = 10000;
  char line[80];
  const double t0 = bench_now();
  for (int i = 0; i < N; i++) {
    std::snprintf(line, sizeof line, "LINE %d,%d,%d,%d", i % 100, i % 37, i % 100 + 5, 7);
    if (dde_cmdl(line) != CMDL_ACK || std::strcmp(dde_replytext(), "-1") == 0) {
      std::printf("line %d failed: %s\n", i, dde_replytext());
      return 1;
    }
  }
  const double t = bench_now() - t0;
  std::printf("%d LINE lines: %.3f s, %.2f us per line (goal < 20 us)\n", N, t, t / N * 1e6);
  return 0;
}
