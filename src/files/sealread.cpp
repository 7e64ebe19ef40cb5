#include "files/sealread.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "database/groups.h"
#include "database/store.h"
#include "database/undo.h"
#include "files/filsys.h"
#include "files/sealfmt.h"
#include "settings/params.h"
#include "settings/strutil.h"

int32_t SlfFileVersion[2];

namespace {

long memread(void *ctx, void *buf, uint32_t size) {
  SlfMemory *m = static_cast<SlfMemory *>(ctx);
  const std::size_t left = m->pos < m->size ? m->size - m->pos : 0;
  const std::size_t n = size < left ? size : left;
  if (n)
    std::memcpy(buf, m->data + m->pos, n);
  m->pos += n;
  return long(n);
}

int memseek(void *ctx, uint32_t off) {
  static_cast<SlfMemory *>(ctx)->pos = off;
  return 0;
}

long fileread(void *ctx, void *buf, uint32_t size) {
  std::FILE *fp = static_cast<std::FILE *>(ctx);
  const std::size_t n = std::fread(buf, 1, size, fp);
  return n == 0 && std::ferror(fp) ? -1 : long(n);
}

int fileseek(void *ctx, uint32_t off) { return std::fseek(static_cast<std::FILE *>(ctx), long(off), SEEK_SET) ? -1 : 0; }

bool dbok(int db) { return db == 0 || db == 1; }

// Reads exactly size bytes (a source may give fewer per call).
bool readall(const SlfSource &src, void *buf, uint32_t size) {
  uint8_t *p = static_cast<uint8_t *>(buf);
  while (size) {
    const long r = src.read(src.ctx, p, size);
    if (r <= 0)
      return false;
    p += r;
    size -= uint32_t(r);
  }
  return true;
}

// Reads as much of size as the source holds; the bytes read.
long readsome(const SlfSource &src, void *buf, uint32_t size) {
  uint8_t *p = static_cast<uint8_t *>(buf);
  long got = 0;
  while (size) {
    const long r = src.read(src.ctx, p, size);
    if (r <= 0)
      break;
    p += r;
    got += r;
    size -= uint32_t(r);
  }
  return got;
}

// Every link of the new records first .. last names none or a record of that range.
bool links_inside(int db, int32_t first, int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    ElementRecord *r = dtb_ptr(db, n);
    if (!r)
      return false;
    int offs[4];
    const int k = slf_links(r, offs);
    for (int i = 0; i < k; ++i) {
      const int32_t v = slf_link(r, offs[i]);
      if (elm_islink(v) && (v < first || v > last))
        return false;
    }
  }
  return true;
}

} // namespace

SlfSource slf_memsource(SlfMemory *m) { return SlfSource{memread, memseek, m}; }
SlfSource slf_filesource(std::FILE *fp) { return SlfSource{fileread, fileseek, fp}; }

int slf_rdheadsrc(const SlfSource &src, uint8_t *out) {
  uint8_t hdr[SLF_HEADSIZE];
  if (!readall(src, hdr, SLF_HEADSIZE))
    return -2;
  if (slf_get<int16_t>(hdr, SLF_OFF_VERSION) != 1)
    return -2;
  switch (slf_chkhead(hdr, out)) {
  case 0:
    break;
  case 3:
    return -3;
  default:
    return -2;
  }
  return slf_hdrcheck(hdr, nullptr);
}

int slf_rdhead(const char *path, uint8_t *out) {
  std::FILE *fp = path && *path ? std::fopen(path, "rb") : nullptr;
  if (!fp)
    return -1;
  const int rc = slf_rdheadsrc(slf_filesource(fp), out);
  std::fclose(fp);
  return rc;
}

int slf_probe(char *path) {
  if (!path)
    return -1;
  str_upper(path);
  const char *ext = pth_findext(path);
  if (*ext != '.' || std::strcmp(ext, ".KSL") != 0) // upper-cased already
    return -1;
  uint8_t hdr[SLF_HEADSIZE];
  switch (slf_rdhead(path, hdr)) {
  case -1:
    return -1;
  case -3:
    return -3;
  case 1:
    return 1;
  default:
    return 0;
  }
}

int slf_rdelem(int db, const SlfSource &src, double dx, double dy, int32_t *remaining) {
  if (grp_reset(db) != 0)
    return 1;
  const bool displace = std::fabs(dx) >= 1e-6 || std::fabs(dy) >= 1e-6;
  if (!displace)
    dx = dy = 0;
  DbControl &c = DbCtl[db];
  const int32_t before = int32_t(c.count1);
  const bool reloc = displace || before != 0;
  if (src.seek(src.ctx, SLF_HEADSIZE) != 0) {
    fil_sys().error(30016, nullptr);
    return 1;
  }
  // Whole records only reach the pages: a partial record at the end of the file
  // is read into this buffer and dropped.
  static uint8_t page[DB_BLKSIZE];
  const int32_t max = int32_t(c.max12);
  int32_t counted = 0;
  while (*remaining > 0) {
    const int32_t used = before + counted;
    if (used >= max) {
      uint8_t probe[SLF_RECSIZE];
      if (src.read(src.ctx, probe, SLF_RECSIZE) > 0) {
        fil_sys().error(30045, nullptr);
        return 1;
      }
      break;
    }
    int32_t want = DB_BLKRECS - used % DB_BLKRECS;
    if (want > *remaining)
      want = *remaining;
    if (want > max - used)
      want = 1;
    uint8_t *dst = dtb_addr(db, used + 1);
    if (!dst || !dtb_addr(db, used + want)) {
      fil_sys().error(30045, nullptr);
      return 1;
    }
    const uint32_t asked = uint32_t(want) * SLF_RECSIZE;
    const long r = readsome(src, page, asked);
    const int32_t got = r > 0 ? int32_t(r / SLF_RECSIZE) : 0;
    std::memcpy(dst, page, std::size_t(got) * SLF_RECSIZE);
    if (reloc)
      for (int32_t k = 0; k < got; ++k)
        slf_reloc(reinterpret_cast<ElementRecord *>(dst) + k, before, dx, dy);
    counted += got;
    *remaining -= got;
    if (r < long(asked))
      break;
  }
  c.count1 = uint32_t(before + counted);
  return 0;
}

int slf_readsrc(int db, int keepver, const SlfSource &src, double dx, double dy) {
  if (!dbok(db))
    return 1;
  uint8_t hdr[SLF_HEADSIZE];
  if (!readall(src, hdr, SLF_HEADSIZE))
    return 2;
  int32_t count = 0;
  switch (slf_hdrcheck(hdr, &count)) {
  case 1:
    break;
  case -3:
    return 3;
  default:
    if (count > SLF_MAXELM && slf_get<int16_t>(hdr, SLF_OFF_VERSION) == 1 &&
        std::memcmp(hdr + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN) == 0)
      fil_sys().error(30157, nullptr);
    return 2;
  }

  const int32_t before = int32_t(DbCtl[db].count1);
  const int wasrec = und_isrec(db);
  und_stop(db);
  int rc = 0;
  if (OpenDataTable(db) != 0) {
    fil_sys().error(30045, nullptr);
    rc = 1;
  } else {
    int32_t remaining = count;
    if (remaining > 0 && slf_rdelem(db, src, dx, dy, &remaining) != 0) {
      DbCtl[db].count1 = uint32_t(before);
      rc = 1;
    } else if (int32_t(DbCtl[db].count1) - before != count) {
      // A body shorter than its header's count is a file cut short (a save that
      // died, a copy that stopped): taking the records present would pass a part
      // of the drawing off as all of it.
      DbCtl[db].count1 = uint32_t(before);
      fil_sys().error(30016, nullptr);
      rc = 2;
    } else if (!links_inside(db, before + 1, int32_t(DbCtl[db].count1))) {
      DbCtl[db].count1 = uint32_t(before);
      fil_sys().error(30150, nullptr);
      rc = 2;
    }
  }
  if (rc == 0) {
    slf_fixattr(db, before + 1);
    sys_sealhdr('W', hdr);
    if (!keepver)
      SlfFileVersion[db] = slf_get<int16_t>(hdr, SLF_OFF_VERSION);
  }
  if (wasrec)
    und_strt(db);
  return rc;
}

int slf_read(int db, int keepver, const char *path, double dx, double dy) {
  if (!dbok(db))
    return 1;
  std::FILE *fp = path && *path ? std::fopen(path, "rb") : nullptr;
  if (!fp)
    return 1;
  const int rc = slf_readsrc(db, keepver, slf_filesource(fp), dx, dy);
  std::fclose(fp);
  return rc;
}

namespace {

// Journals the records a load added (before + 1 .. count1) as one step, so undoing
// it takes away exactly them.
void journal_new(int db, int32_t before) {
  und_strt(db);
  und_pend(db);
  const int32_t end = int32_t(DbCtl[db].count1);
  for (int32_t n = before + 1; n <= end; ++n) {
    const ElementRecord *p = dtb_get(db, n);
    if (!p || und_writ(db, (p->flags & ELM_CONT) ? UND_ADDCONT : UND_ADD, n, 1, p) != 0)
      break;
  }
}

int load_result(int rc) { return rc == 0 ? 0 : rc == 1 ? -1 : -2; }

} // namespace

// A header refused here is refused by the read as well, which says why.
int slf_load(int db, const char *path, double dx, double dy, uint8_t *header) {
  if (slf_rdhead(path, header) == -1)
    return -1;
  const int32_t before = dbok(db) ? int32_t(DbCtl[db].count1) : 0;
  const int rc = slf_read(db, 0, path, dx, dy);
  if (rc != 0)
    return load_result(rc);
  journal_new(db, before);
  return 0;
}

int slf_loadsrc(int db, const SlfSource &src, double dx, double dy, uint8_t *header) {
  if (src.seek(src.ctx, 0) != 0)
    return -1;
  slf_rdheadsrc(src, header);
  if (src.seek(src.ctx, 0) != 0)
    return -1;
  const int32_t before = dbok(db) ? int32_t(DbCtl[db].count1) : 0;
  const int rc = slf_readsrc(db, 0, src, dx, dy);
  if (rc != 0)
    return load_result(rc);
  journal_new(db, before);
  return 0;
}

namespace {

bool inareas(int db, int32_t n) {
  const DbControl &c = DbCtl[db];
  if (n < 1)
    return false;
  const uint32_t u = uint32_t(n);
  return (u >= c.base1 && u < dtb_end2(db)) || (u >= c.base3 && u < dtb_end3(db));
}

// One walk over a tree: every record is touched at most once.
struct EraseWalk {
  int db;
  std::vector<uint8_t> seen; // by element number

  bool mark(int32_t n) {
    if (std::size_t(n) >= seen.size())
      seen.resize(std::size_t(n) + 1, 0);
    if (seen[std::size_t(n)])
      return false;
    seen[std::size_t(n)] = 1;
    return true;
  }

  // Follows a chain from first; members that are nodes are entered when deep.
  int chain(int32_t first, bool deep) {
    for (int32_t n = first; n > 0;) {
      if (!inareas(db, n) || !mark(n))
        return 1;
      ElementRecord *r = dtb_ptr(db, n);
      if (!r)
        return 9;
      r->flags |= ELM_ERASED;
      if (deep && r->kind == NOD && !(r->flags & ELM_CONT)) {
        const int sub = tree(*r);
        if (sub)
          return 1;
      }
      n = r->next;
    }
    return 0;
  }

  int tree(const ElementRecord &node) {
    const int a = chain(node.nod.child, true);
    const int b = chain(node.nod.attr, false);
    return a << 4 | b << 8;
  }
};

} // namespace

int slf_erasegrp(int db, int32_t node) {
  if (!dbok(db))
    return 1;
  const ElementRecord *r = dtb_get(db, node);
  if (!r)
    return 9;
  EraseWalk w{db, {}};
  w.mark(node);
  return w.tree(*r);
}
