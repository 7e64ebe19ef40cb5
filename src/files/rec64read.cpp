#include "files/rec64read.h"

#include <cmath>
#include <cstring>

#include "database/groups.h"
#include "database/store.h"
#include "database/undo.h"
#include "files/filsys.h"
#include "files/lzh.h"
#include "files/sealfmt.h"
#include "settings/params.h"

int32_t Rd64Base[2];

namespace {

uint16_t rd16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

// Reads as much of size as the source holds; the bytes read, -1 when the source fails
// before giving any.
long readsome(const SlfSource &src, void *buf, uint32_t size) {
  uint8_t *p = static_cast<uint8_t *>(buf);
  long got = 0;
  while (size) {
    const long r = src.read(src.ctx, p, size);
    if (r < 0 && got == 0)
      return -1;
    if (r <= 0)
      break;
    p += r;
    got += r;
    size -= uint32_t(r);
  }
  return got;
}

// Every link of the records first .. last names none or a record of base + 1 .. last.
bool links_inside(int db, int32_t base, int32_t first, int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const ElementRecord *r = dtb_ptr(db, n);
    if (!r)
      return false;
    int offs[4];
    const int k = slf_links(r, offs);
    for (int i = 0; i < k; ++i) {
      const int32_t v = slf_link(r, offs[i]);
      if (v >= 1 && (v <= base || v > last))
        return false;
    }
  }
  return true;
}

// One read of the body: the 64-byte records it brought, in work.
struct Chunk {
  long bytes; // -1 the read failed
  bool last;  // fewer bytes than asked: the file ends here
};

class Reader {
public:
  Reader(const SlfSource &src, int fmt, int embed, Rd64Embed *rec) : src_(src), fmt_(fmt), rec_(embed == 1 ? rec : nullptr) {}

  // Plain records: at most want of them, within the byte budget.
  Chunk plain(uint8_t *work, int32_t want) {
    uint32_t asked = uint32_t(want) * R64_SIZE;
    if (rec_ && rec_->budget < int64_t(asked))
      asked = uint32_t(rec_->budget > 0 ? rec_->budget : 0);
    const long r = readsome(src_, work, asked);
    if (r > 0 && rec_)
      rec_->budget -= r;
    return Chunk{r, r < long(asked) || (rec_ && rec_->budget <= 0)};
  }

  // One compressed block: 8 bytes (expanded length, packed length, 4 spare), then the
  // packed bytes, expanded into work. A block that does not fit, is cut short or
  // does not expand is a failed read; no head at all is the end of the file.
  Chunk packed(uint8_t *work) {
    uint8_t head[R64_BLKHEAD];
    const long h = readsome(src_, head, sizeof head);
    if (h == 0)
      return Chunk{0, true};
    if (h != long(sizeof head))
      return Chunk{-1, true};
    const uint32_t expanded = rd16(head), packed = rd16(head + 2);
    const int64_t blk = R64_BLKHEAD + int64_t(packed);
    if (expanded > R64_WORKSIZE || (rec_ && rec_->budget < blk))
      return Chunk{-1, true};
    if (expanded == 0)
      return Chunk{0, true};
    static uint8_t in[0x10000];
    if (readsome(src_, in, packed) != long(packed))
      return Chunk{-1, true};
    uint32_t made = 0;
    if (lzh_decode(in, work, packed, expanded, &made) != LZH_OK || made != expanded)
      return Chunk{-1, true};
    if (rec_)
      rec_->budget -= blk;
    return Chunk{long(expanded), rec_ && rec_->budget <= 0};
  }

  bool budgetleft() const { return !rec_ || rec_->budget > 0; }
  bool packedfmt() const { return fmt_ == R64_PACKED; }

private:
  SlfSource src_;
  int fmt_;
  Rd64Embed *rec_;
};

// Journals records before + 1 .. count1 as one added step of their own.
void journal_new(int db, int32_t before) {
  und_pend(db);
  const int32_t end = int32_t(DbCtl[db].count1);
  for (int32_t n = before + 1; n <= end; ++n) {
    const ElementRecord *p = dtb_ptr(db, n);
    if (!p || und_writ(db, (p->flags & ELM_CONT) ? UND_ADDCONT : UND_ADD, n, 1, p) != 0)
      break;
  }
}

int fail(int msg) {
  fil_sys().error(msg, nullptr);
  return 1;
}

// The body behind the store's records: 0, or the message of the failure.
int body(int db, const SlfSource &src, int fmt, double dx, double dy, int embed, Rd64Embed *rec, int32_t base,
         int32_t *remaining) {
  const DbControl &c = DbCtl[db];
  const int32_t before = int32_t(c.count1), max = int32_t(c.max12);
  const bool displace = std::fabs(dx) >= 1e-6 || std::fabs(dy) >= 1e-6;
  if (!displace)
    dx = dy = 0;
  const bool reloc = displace || base != 0;
  Reader rd(src, fmt, embed, rec);
  static uint8_t work[R64_WORKSIZE];
  int32_t counted = 0;
  while (*remaining > 0 && rd.budgetleft()) {
    const int32_t used = before + counted;
    if (used >= max) {
      // Full: the load is complete only when the file holds nothing more.
      uint8_t probe[R64_SIZE];
      const Chunk more = rd.packedfmt() ? rd.packed(work) : Chunk{readsome(src, probe, R64_SIZE), true};
      return more.bytes != 0 ? 30045 : 0;
    }
    // A plain read fills the store's page; single records once a page would not fit.
    int32_t want = DB_BLKRECS - used % DB_BLKRECS;
    if (want > R64_BLKRECS)
      want = R64_BLKRECS;
    if (want > *remaining)
      want = *remaining;
    if (want > max - used)
      want = 1;
    const Chunk ch = rd.packedfmt() ? rd.packed(work) : rd.plain(work, want);
    if (ch.bytes < 0)
      return 30016;
    int32_t got = int32_t(ch.bytes / R64_SIZE);
    if (got > *remaining)
      got = *remaining;
    if (got > max - used)
      return 30045; // a block brings more than the store can take
    for (int32_t k = 0; k < got; ++k) {
      uint8_t *dst = dtb_addr(db, used + 1 + k);
      if (!dst)
        return 30045;
      slf_conv64(dst, work + std::size_t(k) * R64_SIZE);
      if (reloc)
        slf_reloc(reinterpret_cast<ElementRecord *>(dst), base, dx, dy);
    }
    counted += got;
    *remaining -= got;
    DbCtl[db].count1 = uint32_t(before + counted);
    if (ch.last)
      break;
  }
  if (!links_inside(db, base, before + 1, before + counted))
    return 30150;
  return 0;
}

} // namespace

int slf_rd64(int dbfmt, const SlfSource &src, double dx, double dy, int embed, Rd64Embed *rec, int32_t *remaining) {
  const int db = dbfmt & 0xF, fmt = (dbfmt >> 8) & 0xFF;
  if (db > 1 || !remaining || grp_reset(db) != 0)
    return 1;
  if (embed == 1 && !rec)
    return fail(30016);
  DbControl &c = DbCtl[db];
  const int32_t before = int32_t(c.count1);
  if (!(embed == 1 && rec->mode != 1))
    Rd64Base[db] = before;
  const int32_t base = Rd64Base[db] <= before ? Rd64Base[db] : before;

  uint16_t c1 = 0, c2 = 0;
  sys_envcnt('R', &c1, &c2);
  const int64_t start = slf_rd64start(int16_t(c1), int16_t(c2), embed, rec);
  if (start < 0)
    return fail(30016);
  if (fmt == 20 || fmt == R64_PACKED) {
    uint8_t word[4];
    if (src.seek(src.ctx, uint32_t(start - 64)) != 0 || readsome(src, word, 4) != 4)
      return fail(30016);
  }
  if (src.seek(src.ctx, uint32_t(start)) != 0)
    return fail(30016);
  if (OpenDataTable(db) != 0)
    return fail(30045);

  const int wasrec = und_isrec(db);
  und_stop(db);
  const int32_t asked = *remaining;
  const int64_t budget = embed == 1 ? rec->budget : 0;
  const int msg = body(db, src, fmt, dx, dy, embed, rec, base, remaining);
  if (msg != 0) {
    // Nothing of a failed read counts: the records copied stay free space.
    c.count1 = uint32_t(before);
    *remaining = asked;
    if (embed == 1)
      rec->budget = budget;
  }
  if (wasrec) {
    und_strt(db);
    if (msg == 0)
      journal_new(db, before);
  }
  return msg != 0 ? fail(msg) : 0;
}
