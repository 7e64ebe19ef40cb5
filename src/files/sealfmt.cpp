#include "files/sealfmt.h"

#include <cmath>

#include "database/store.h"
#include "settings/params.h"

static_assert(sizeof(SLF_MAGIC) == SLF_MAGICLEN + 1);
static_assert(SLF_OFF_RESERVED + 72 == SLF_HEADSIZE);
static_assert(sizeof(ElementRecord) == SLF_RECSIZE);

namespace {

template <std::size_t N> void getbytes(const uint8_t *p, int off, uint8_t (&dst)[N]) { std::memcpy(dst, p + off, N); }
template <std::size_t N> void getbytes(const uint8_t *p, int off, char (&dst)[N]) { std::memcpy(dst, p + off, N); }
template <std::size_t N> void putbytes(uint8_t *p, int off, const uint8_t (&src)[N]) { std::memcpy(p + off, src, N); }
template <std::size_t N> void putbytes(uint8_t *p, int off, const char (&src)[N]) { std::memcpy(p + off, src, N); }

} // namespace

void slf_hdrget(const uint8_t *b, RaruFileHeader *h) {
  getbytes(b, 0, h->reserved0);
  getbytes(b, SLF_OFF_MAGIC, h->magic);
  h->version = slf_get<int16_t>(b, SLF_OFF_VERSION);
  getbytes(b, 26, h->reserved26);
  h->permitLevel = slf_get<int16_t>(b, SLF_OFF_PERMIT);
  h->auxLevel = slf_get<int16_t>(b, SLF_OFF_AUX);
  getbytes(b, SLF_OFF_GROUP, h->groupCode);
  getbytes(b, SLF_OFF_NAME, h->raruName);
  getbytes(b, SLF_OFF_PASSWORD, h->ownerPassword);
  getbytes(b, SLF_OFF_OWNER, h->ownerName);
  getbytes(b, 124, h->reserved124);
  h->elementCount = slf_get<int32_t>(b, SLF_OFF_COUNT);
  h->outlineKind = slf_get<uint16_t>(b, SLF_OFF_OUTLINE);
  getbytes(b, 134, h->reserved134);
  h->originX = slf_get<double>(b, SLF_OFF_ORIGINX);
  h->originY = slf_get<double>(b, SLF_OFF_ORIGINY);
  h->width = slf_get<double>(b, SLF_OFF_WIDTH);
  h->height = slf_get<double>(b, SLF_OFF_HEIGHT);
  h->sheetWidth = slf_get<double>(b, SLF_OFF_SHEETW);
  h->sheetHeight = slf_get<double>(b, SLF_OFF_SHEETH);
  getbytes(b, SLF_OFF_RESERVED, h->reserved184);
}

void slf_hdrput(const RaruFileHeader &h, uint8_t *b) {
  putbytes(b, 0, h.reserved0);
  putbytes(b, SLF_OFF_MAGIC, h.magic);
  slf_put<int16_t>(b, SLF_OFF_VERSION, h.version);
  putbytes(b, 26, h.reserved26);
  slf_put<int16_t>(b, SLF_OFF_PERMIT, h.permitLevel);
  slf_put<int16_t>(b, SLF_OFF_AUX, h.auxLevel);
  putbytes(b, SLF_OFF_GROUP, h.groupCode);
  putbytes(b, SLF_OFF_NAME, h.raruName);
  putbytes(b, SLF_OFF_PASSWORD, h.ownerPassword);
  putbytes(b, SLF_OFF_OWNER, h.ownerName);
  putbytes(b, 124, h.reserved124);
  slf_put<int32_t>(b, SLF_OFF_COUNT, h.elementCount);
  slf_put<uint16_t>(b, SLF_OFF_OUTLINE, h.outlineKind);
  putbytes(b, 134, h.reserved134);
  slf_put<double>(b, SLF_OFF_ORIGINX, h.originX);
  slf_put<double>(b, SLF_OFF_ORIGINY, h.originY);
  slf_put<double>(b, SLF_OFF_WIDTH, h.width);
  slf_put<double>(b, SLF_OFF_HEIGHT, h.height);
  slf_put<double>(b, SLF_OFF_SHEETW, h.sheetWidth);
  slf_put<double>(b, SLF_OFF_SHEETH, h.sheetHeight);
  putbytes(b, SLF_OFF_RESERVED, h.reserved184);
}

int slf_chkhead(const uint8_t *hdr, uint8_t *out) {
  if (std::memcmp(hdr + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN) != 0)
    return 2;
  if (out != hdr)
    std::memmove(out, hdr, SLF_HEADSIZE);
  return slf_get<int16_t>(hdr, SLF_OFF_PERMIT) > 0 ? 3 : 0;
}

int slf_hdrcheck(const uint8_t *hdr, int32_t *count) {
  const int32_t n = slf_get<int32_t>(hdr, SLF_OFF_COUNT);
  if (count)
    *count = n;
  if (slf_get<int16_t>(hdr, SLF_OFF_VERSION) != 1)
    return -2;
  if (std::memcmp(hdr + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN) != 0)
    return -2;
  if (slf_get<int16_t>(hdr, SLF_OFF_PERMIT) > 0)
    return -3;
  if (n < 0 || n > SLF_MAXELM)
    return -2;
  return 1;
}

void slf_sheetsize(const RaruFileHeader &h, double areax, double areay, double *w, double *hh) {
  auto good = [](double v) { return std::isfinite(v) && v > 0; };
  *w = good(h.sheetWidth) ? h.sheetWidth : areax;
  *hh = good(h.sheetHeight) ? h.sheetHeight : areay;
}

int slf_links(const ElementRecord *r, int offs[4]) {
  int n = 0;
  offs[n++] = 12; // parent
  offs[n++] = 16; // next
  if (r->flags & ELM_CONT) {
    offs[n++] = 66;
  } else if (r->kind == NOD) {
    offs[n++] = 20; // first child
    offs[n++] = 24; // first attribute
  } else if (r->kind == CHR || r->kind == ATR) {
    offs[n++] = 66;
  }
  return n;
}

namespace {

void movept(uint8_t *b, int off, double dx, double dy) {
  slf_put<double>(b, off, slf_get<double>(b, off) + dx);
  slf_put<double>(b, off + 8, slf_get<double>(b, off + 8) + dy);
}

} // namespace

int slf_reloc(ElementRecord *rec, int32_t base, double dx, double dy) {
  if (!rec)
    return 1;
  int rc = 0;
  if (base != 0) {
    int offs[4];
    const int n = slf_links(rec, offs);
    for (int i = 0; i < n; ++i) {
      const int32_t v = slf_link(rec, offs[i]);
      if (!elm_islink(v))
        continue;
      // Summed wide: a link from the file near the top of the range must not wrap
      // round to "none" and slip past the range check of the load.
      const int64_t moved = int64_t(v) + int64_t(base);
      if (moved > INT32_MAX || moved < 1) {
        slf_setlink(rec, offs[i], INT32_MAX);
        rc = 2;
      } else {
        slf_setlink(rec, offs[i], int32_t(moved));
      }
    }
  }
  if (!(std::fabs(dx) > 1e-10 || std::fabs(dy) > 1e-10))
    return rc;
  if (rec->flags & ELM_CONT)
    return rc;
  uint8_t *b = reinterpret_cast<uint8_t *>(rec);
  switch (rec->kind) {
  case PNT:
  case ARC:
  case ARC | MSKBOX:
    movept(b, 20, dx, dy);
    break;
  case LIN:
  case LIN | MSKBOX:
    movept(b, 20, dx, dy);
    movept(b, 36, dx, dy);
    break;
  case MSKBOX: // box of a masking text: its corner follows the text
    movept(b, 24, dx, dy);
    break;
  case CHR:
    slf_put<float>(b, 20, float(double(slf_get<float>(b, 20)) + dx));
    slf_put<float>(b, 24, float(double(slf_get<float>(b, 24)) + dy));
    break;
  case NOD:
    if (rec->subkind == 1) {
      const uint16_t cls = slf_get<uint16_t>(b, 28);
      if (cls == 100 || cls == 200 || cls == 300 || cls == 400) {
        movept(b, 30, dx, dy);
        movept(b, 46, dx, dy);
      } else if (cls == 500 || cls == 600 || cls == 700) {
        movept(b, 30, dx, dy);
      }
    }
    break;
  default:
    break;
  }
  return rc;
}

namespace {

uint16_t fixpen(uint16_t a) {
  const uint16_t pen = a & 0xF;
  if (pen == 0)
    return uint16_t((a & ~0xF) | 1);
  if (pen > 12)
    return uint16_t((a & ~0xF) | 12);
  return a;
}

uint16_t fixstyle(uint16_t a, int shift) {
  const int s = (a >> shift) & 7;
  return (s == 3 || s > 6) ? uint16_t(a & ~(7 << shift)) : a;
}

uint16_t fixkind(uint16_t a, bool zeroone) {
  const int k = (a >> 4) & 0xF;
  if (k == 0 && zeroone)
    return uint16_t(a | 0x10);
  if (k > 6)
    return uint16_t((a & ~0xF0) | 0x60);
  return a;
}

uint16_t fixline(uint16_t a) { return fixstyle(fixstyle(fixkind(fixpen(a), true), 8), 11); }

} // namespace

void slf_fixrec(ElementRecord *r) {
  if (r->flags & ELM_SKIP)
    return;
  switch (r->kind) {
  case PNT:
    r->pnt.attr = fixpen(r->pnt.attr);
    break;
  case LIN:
    r->lin.attr = fixline(r->lin.attr);
    break;
  case ARC:
    r->arc.attr = fixline(r->arc.attr);
    break;
  case CHR: {
    uint16_t a = fixpen(r->chr.attr);
    if (((a >> 9) & 7) > 3)
      a = uint16_t(a & ~(7 << 9));
    r->chr.attr = a;
    break;
  }
  default:
    break;
  }
}

int slf_fixattr(int db, int32_t first) {
  if (db < 0 || db >= DB_COUNT)
    return 0;
  const int32_t end = int32_t(DbCtl[db].count1);
  for (int32_t n = first < 1 ? 1 : first; n <= end; ++n)
    if (ElementRecord *r = dtb_ptr(db, n))
      slf_fixrec(r);
  return 0;
}

int slf_fixenv(DrawingEnvRecord *env) {
  reinterpret_cast<uint8_t *>(env)[26] = 0;
  env->pntatr = fixpen(env->pntatr);
  env->chr.attr = fixpen(env->chr.attr);
  env->linatr = fixline(env->linatr);
  DimAttrs &d = env->dim;
  d.txtattr = fixpen(d.txtattr);
  d.linattr = fixstyle(fixstyle(fixkind(fixpen(d.linattr), false), 8), 11);
  d.u24 = 0;
  d.u74 = uint16_t(d.u74 & ~0x0F00);
  std::memset(d.text, 0, sizeof d.text);
  return 0;
}
