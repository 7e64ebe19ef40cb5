// Undo and redo of one 10,000-record step (adds, then changes) on a journal of
// UNDOSIZE 10000 in a temporary folder, and packing 1,000,000 records of which 10%
// are erased, through each strategy. Prints the times and rates.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <ctime>

#include "benchclock.h"
#include "database/dbsys.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/pack.h"
#include "database/store.h"
#include "database/undo.h"
#include "settings/params.h"
#include "settings/syspath.h"

namespace {

void start(uint32_t elm) {
  dtb_term();
  for (int d = 0; d < 2; ++d) {
    ElmMax[d] = elm;
    WrkMax[d] = 500;
  }
  dtb_init();
  grp_reset(0);
  grp_reset(1);
  dtb_ctrl('i', nullptr);
}

ElementRecord line(int i) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.lin.x1 = i % 100;
  r.lin.x2 = r.lin.x1 + 5;
  r.lin.y2 = 7;
  r.lin.attr = 0x11;
  return r;
}

} // namespace

int main() {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "inkforge_undo_bench";
  std::filesystem::create_directories(dir);
  std::string folder = dir.string() + (dir.string().find('\\') != std::string::npos ? "\\" : "/");
  sys_pathset(4, folder.c_str());
  dbs_hooks().workfolder = [](char *out) { std::snprintf(out, 262, "%s", sys_pathraw(4)); };
  dbs_hooks().waitcur = [] {};

  // Undo and redo of 10,000 adds, then of 10,000 changes.
  start(20000);
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.undo = 1;
  sys_sysprm('W', &sb);
  und_open(0, folder.c_str(), 10000);
  und_strt(0);
  und_pend(0);
  for (int i = 0; i < 10000; ++i) {
    ElementRecord r = line(i);
    elm_add(0, 0, ELM_NODRAW, &r, nullptr);
  }
  und_pend(0);
  double t0 = bench_now();
  und_exec(0);
  double t1 = bench_now();
  rdo_exec(0);
  double t2 = bench_now();
  std::printf("undo of 10000 adds     %8.2f ms (count1 after undo/redo: %u)\n", (t1 - t0) * 1e3, DbCtl[0].count1);
  std::printf("redo of 10000 adds     %8.2f ms\n", (t2 - t1) * 1e3);
  und_pend(0);
  for (int i = 1; i <= 10000; ++i) {
    ElementRecord r = line(i + 1);
    elm_update(0, i, 0, ELM_NODRAW, &r, nullptr);
  }
  und_pend(0);
  t0 = bench_now();
  und_exec(0);
  t1 = bench_now();
  rdo_exec(0);
  t2 = bench_now();
  std::printf("undo of 10000 changes  %8.2f ms\n", (t1 - t0) * 1e3);
  std::printf("redo of 10000 changes  %8.2f ms\n", (t2 - t1) * 1e3);
  und_clos(0);

  // Packing 1,000,000 records with every tenth erased.
  const int count = 1000000;
  for (int s = PCK_OTHERDB; s <= PCK_WORKFILE; ++s) {
    start(s == PCK_UPPERHALF ? 2000000 : 1000000);
    for (int i = 0; i < count; ++i) {
      ElementRecord r = line(i);
      elm_add(0, 0, ELM_NODRAW, &r, nullptr);
    }
    for (int i = 1; i <= count; i += 10)
      dtb_ptr(0, i)->flags |= ELM_ERASED;
    dtb_packforce(s);
    t0 = bench_now();
    int rc = dtb_pack(0);
    t1 = bench_now();
    std::printf("pack strategy %d: rc %d, %u kept, %8.1f ms, %.2f million records/s\n", s, rc, DbCtl[0].count1,
                (t1 - t0) * 1e3, count / (t1 - t0) / 1e6);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
