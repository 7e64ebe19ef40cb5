#include "files/sealsave.h"

#include <cstring>

#include "database/store.h"
#include "files/outline.h"
#include "files/sealfmt.h"

int32_t SlfSaveCount;

int slf_mkhead(int db, const DrawingEnvRecord *env, uint8_t *out) {
  sys_sealhdr('R', out);
  SlfOutline o;
  slf_outline(db, SlfSaveCount, &o);
  std::memcpy(out + SLF_OFF_MAGIC, SLF_MAGIC, sizeof SLF_MAGIC);
  slf_put<int16_t>(out, SLF_OFF_VERSION, 1);
  slf_put<int32_t>(out, SLF_OFF_COUNT, SlfSaveCount);
  slf_put<uint16_t>(out, SLF_OFF_OUTLINE, o.kind);
  slf_put<double>(out, SLF_OFF_ORIGINX, o.x);
  slf_put<double>(out, SLF_OFF_ORIGINY, o.y);
  slf_put<double>(out, SLF_OFF_WIDTH, o.width);
  slf_put<double>(out, SLF_OFF_HEIGHT, o.height);
  slf_put<double>(out, SLF_OFF_SHEETW, env->sheet.width);
  slf_put<double>(out, SLF_OFF_SHEETH, env->sheet.height);
  return 0;
}

int slf_wrbody(int db, int32_t n, SlfPut put, void *ctx) {
  for (int32_t k = 1; k <= n; k += DB_BLKRECS) {
    const int32_t count = n - k + 1 < DB_BLKRECS ? n - k + 1 : DB_BLKRECS;
    const uint8_t *p = dtb_addr(db, k);
    if (!p || !dtb_addr(db, k + count - 1))
      return 1;
    if (!put(ctx, p, uint32_t(count) * SLF_RECSIZE))
      return 2;
  }
  return 0;
}
