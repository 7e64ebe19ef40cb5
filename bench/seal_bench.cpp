// seal_bench [runs]: save and load of a seal file of 10,000 records (lines, arcs and
// texts of two records each), warm, in the temporary folder. Prints the median and
// the fastest of each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "files/sealread.h"
#include "files/sealsave.h"
#include "files/sealsavewin.h"
#include "settings/params.h"

namespace {

double now_ms() {
  static LARGE_INTEGER f = [] {
    LARGE_INTEGER x;
    QueryPerformanceFrequency(&x);
    return x;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  return r;
}

void build(int db) {
  int recs = 0;
  for (int i = 0; recs < 10000; ++i) {
    ElementRecord r = blank(i % 3 == 0 ? LIN : i % 3 == 1 ? ARC : CHR);
    const char *s = nullptr;
    if (r.kind == LIN) {
      r.lin.x1 = i % 97;
      r.lin.y1 = i % 89;
      r.lin.x2 = r.lin.x1 + 3;
      r.lin.y2 = r.lin.y1 + 1;
      r.lin.attr = 0x11;
    } else if (r.kind == ARC) {
      r.arc.cx = i % 83;
      r.arc.cy = i % 79;
      r.arc.r = 1 + i % 7;
      r.arc.start = 0;
      r.arc.end = 270;
      r.arc.attr = 0x11;
    } else {
      if (recs + 2 > 10000) {
        r = blank(PNT);
        r.pnt.attr = 0x51;
      } else {
        r.chr.x = float(i % 61);
        r.chr.y = float(i % 59);
        r.chr.height = 3;
        r.chr.width = 2;
        r.chr.attr = 1;
        s = "印影ベンチ-TEXT-2REC"; // two records
      }
    }
    if (elm_add(db, ELM_NOCELL, ELM_NODRAW, &r, s) <= 0) {
      std::fprintf(stderr, "cannot build the drawing\n");
      std::exit(1);
    }
    recs = int(DbCtl[db].count1);
  }
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
  prm_init();
  for (int d = 0; d < 2; ++d) {
    ElmMax[d] = 12000;
    WrkMax[d] = 256;
  }
  if (dtb_init() != 0)
    return 1;
  dtb_ctrl('i', nullptr);
  grp_reset(0);
  build(0);
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  const std::string path = std::string(tmp) + "seal_bench.ksl";
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  SlfSaveCount = int32_t(DbCtl[0].count1);

  std::vector<double> save, load;
  uint8_t hdr[256];
  for (int i = 0; i < runs + 3; ++i) {
    double t0 = now_ms();
    if (slf_save(0, path.c_str(), 0, &env) != 0)
      return 2;
    double t1 = now_ms();
    DbCtl[1].count1 = 0;
    if (slf_load(1, path.c_str(), 0, 0, hdr) != 0 || DbCtl[1].count1 != DbCtl[0].count1)
      return 3;
    double t2 = now_ms();
    if (i >= 3) { // warm
      save.push_back(t1 - t0);
      load.push_back(t2 - t1);
    }
  }
  DeleteFileA(path.c_str());
  std::printf("seal file of %u records (%u bytes), %d runs\n", unsigned(SlfSaveCount), unsigned(256 + 80 * SlfSaveCount),
              runs);
  std::printf("save: median %.3f ms, fastest %.3f ms\n", median(save), *std::min_element(save.begin(), save.end()));
  std::printf("load: median %.3f ms, fastest %.3f ms\n", median(load), *std::min_element(load.begin(), load.end()));
  return 0;
}
