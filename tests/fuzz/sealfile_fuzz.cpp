// Seal files as read from disk: the header check and the body read into a store that
// already holds records, then what later walks over the loaded records (outline,
// extents, group erasing); the same bytes as a lock file.
#include <cstdlib>
#include <cstring>

#include "database/groups.h"
#include "database/record.h"
#include "database/store.h"
#include "files/lockfile.h"
#include "files/outline.h"
#include "files/sealfmt.h"
#include "files/sealread.h"
#include "settings/params.h"

namespace {

bool start() {
  prm_init();
  for (int d = 0; d < 2; ++d) {
    ElmMax[d] = 1200; // small, so that a second load can fill the store
    WrkMax[d] = 256;
  }
  if (dtb_init() != 0)
    abort();
  dtb_ctrl('i', nullptr);
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started = start();
  (void)started;
  DbCtl[0].count1 = DbCtl[0].count2 = DbCtl[0].count3 = 0;

  uint8_t hdr[SLF_HEADSIZE];
  SlfMemory m{data, size, 0};
  const SlfSource src = slf_memsource(&m);
  const int h = slf_rdheadsrc(src, hdr);
  const int first = slf_loadsrc(0, src, 0, 0, hdr);
  if (h != 1 && first == 0)
    abort(); // a header the check refuses never loads
  const uint32_t n = DbCtl[0].count1;
  if (first == 0) {
    // Every link of the loaded records names none or a loaded record.
    for (uint32_t k = 1; k <= n; ++k) {
      const ElementRecord *r = dtb_ptr(0, int32_t(k));
      int offs[4];
      const int c = slf_links(r, offs);
      for (int i = 0; i < c; ++i) {
        const int32_t v = slf_link(r, offs[i]);
        if (v >= 1 && uint32_t(v) > n)
          abort();
      }
    }
    SlfOutline o;
    slf_outline(0, int32_t(n), &o);
    GeoPoint lo, hi;
    slf_extents(0, &lo, &hi);
    // Appended behind what is there, displaced: links move, the store may fill up.
    slf_loadsrc(0, src, 3.5, -2.0, hdr);
    if (DbCtl[0].count1 < n)
      abort();
    for (uint32_t k = 1; k <= DbCtl[0].count1; ++k) {
      const ElementRecord *r = dtb_ptr(0, int32_t(k));
      if (r && r->kind == NOD && !(r->flags & ELM_SKIP))
        slf_erasegrp(0, int32_t(k));
    }
  }
  LockHolder lh;
  lck_parse(reinterpret_cast<const char *>(data), size, &lh);
  if (std::strlen(lh.user) >= LCK_FIELD || std::strlen(lh.host) >= LCK_FIELD)
    abort();
  return 0;
}
