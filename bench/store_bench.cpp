// Adds 1,000,000 mixed elements (lines, arcs, 3-record texts) to drawing 0 with
// display off, reads them all back, replaces and deletes 10%, and prints the
// rates and the memory the records took.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "benchclock.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "settings/params.h"

namespace {

constexpr int COUNT = 1000000;

long peak_kb() {
#ifndef _WIN32
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
#else
  return -1;
#endif
}

ElementRecord make(int i, const std::string &text) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  switch (i % 3) {
  case 0:
    r.kind = LIN;
    r.lin.x1 = i % 100;
    r.lin.y1 = 1;
    r.lin.x2 = r.lin.x1 + 5;
    r.lin.y2 = 7;
    r.lin.attr = 0x11;
    break;
  case 1:
    r.kind = ARC;
    r.arc.cx = i % 100;
    r.arc.cy = 20;
    r.arc.r = 3;
    r.arc.start = 10;
    r.arc.end = 100;
    r.arc.attr = 0x11;
    break;
  default:
    r.kind = CHR;
    r.chr.x = float(i % 100);
    r.chr.height = 5;
    r.chr.width = 4;
    r.chr.attr = 1;
    r.chr.count = int16_t(text.size());
    break;
  }
  return r;
}

void rate(const char *what, int n, double secs) {
  std::printf("%-8s %9d in %7.3f s  %12.0f per second\n", what, n, secs, n / secs);
}

} // namespace

int main() {
  ElmMax[0] = 2000000;
  WrkMax[0] = 500;
  long base_kb = peak_kb();
  if (dtb_init() != 0) {
    std::printf("store cannot be created\n");
    return 1;
  }
  grp_reset(0);
  dtb_ctrl('i', nullptr);
  const std::string text(80, 'A'); // 3 records
  std::vector<int32_t> nums(COUNT);

  double t = bench_now();
  for (int i = 0; i < COUNT; ++i) {
    ElementRecord p = make(i, text);
    nums[i] = elm_add(0, 0, ELM_NODRAW, &p, p.kind == CHR ? text.c_str() : nullptr);
    if (nums[i] <= 0) {
      std::printf("add %d failed: %d\n", i, nums[i]);
      return 1;
    }
  }
  double add_s = bench_now() - t;
  uint32_t records = DbCtl[0].count1;

  std::vector<char> buf(ELM_STRMAX + 1);
  t = bench_now();
  long bytes = 0;
  for (int i = 0; i < COUNT; ++i) {
    ElementRecord r;
    if (elm_read(0, nums[i], &r, buf.data(), buf.size()) != 0) {
      std::printf("read %d failed\n", nums[i]);
      return 1;
    }
    bytes += r.kind;
  }
  double read_s = bench_now() - t;

  t = bench_now();
  int n10 = 0;
  for (int i = 0; i < COUNT; i += 10, ++n10) {
    ElementRecord p = make(i + 3, text);
    if (elm_update(0, nums[i], 0, ELM_NODRAW, &p, p.kind == CHR ? text.c_str() : nullptr) != 0) {
      std::printf("update %d failed\n", nums[i]);
      return 1;
    }
  }
  double upd_s = bench_now() - t;

  t = bench_now();
  for (int i = 5; i < COUNT; i += 10)
    if (elm_delete(0, nums[i], ELM_NODRAW) != 0) {
      std::printf("delete %d failed\n", nums[i]);
      return 1;
    }
  double del_s = bench_now() - t;

  int32_t st[4];
  dtb_blkstat(st);
  std::printf("elements %d, records %u (checksum %ld)\n", COUNT, records, bytes);
  rate("add", COUNT, add_s);
  std::printf("         %9u records  %12.0f records per second\n", records, records / add_s);
  rate("read", COUNT, read_s);
  rate("update", n10, upd_s);
  rate("delete", n10, del_s);
  double rec_mb = records * 80.0 / 1048576;
  double blk_mb = st[1] * double(DB_BLKSIZE) / 1048576;
  std::printf("record bytes %.1f MB, blocks held %d (%.1f MB, %.2f%% over)\n", rec_mb, st[1], blk_mb,
              (blk_mb / rec_mb - 1) * 100);
  long peak = peak_kb();
  if (peak >= 0)
    std::printf("peak resident %.1f MB (%.1f MB before the store)\n", peak / 1024.0, base_kb / 1024.0);
  dtb_term();
  return 0;
}
