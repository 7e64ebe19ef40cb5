#include "database/pack.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "database/dbsys.h"
#include "database/elements.h"
#include "database/store.h"
#include "database/txtcheck.h"
#include "database/undo.h"
#include "settings/syspath.h"
#include "settings/params.h"
#include "settings/appstate.h"

int PackReport = 0;

namespace {

PackError last_error;
int forced = PCK_AUTO;
int used = PCK_AUTO;

constexpr long RECSZ = sizeof(ElementRecord);
constexpr uint32_t RUN = 64; // records per read of the work file

enum Read { LIVE, ERASED, INVALID, ABSENT };

// A text angle into -360 .. 360 as repeated +-360 would bring it, in one step so
// that a huge angle cannot stall the pack; false for one that is not a number.
bool text_angle(float &a) {
  if (!std::isfinite(a))
    return false;
  if (a < -360.000001f) {
    const double r = std::fmod(double(a), 360.0);
    a = float(r == 0 ? -360.0 : r);
  } else if (a > 360.000001f) {
    const double r = std::fmod(double(a), 360.0);
    a = float(r == 0 ? 360.0 : r);
  }
  return true;
}

void folder_file(const char *name, char *out) {
  char dir[262] = "";
  dbs_hooks().workfolder(dir);
  std::size_t n = std::strlen(dir);
  if (n && dir[n - 1] != '/' && n + 1 < sizeof dir)
    pth_bslash(1, dir);
  std::string full = std::string(dir) + name;
  std::snprintf(out, 262, "%s", full.c_str());
}

struct Packer {
  int db;
  uint32_t n; // count1 of the source
  int strategy = 0;
  int other = -1;    // strategy 1: the target database
  uint32_t half = 0; // strategy 2: output k is record k + half
  FILE *fp = nullptr;
  char path[262] = "";
  long fpos = -1;    // work-file position as last left
  int fdir = 0;      // 1 read, 2 write: the stream needs a seek between the two
  uint32_t fend = 0; // records in the work file
  uint32_t out = 0;  // output numbers handed out
  std::vector<uint64_t> done;
  // Per source number: looked at by a node decision, decided, dropped.
  enum : uint8_t { SEEN = 1, DECIDED = 2, DROP = 4 };
  std::vector<uint8_t> decided;
  std::unique_ptr<char[]> str{new char[ELM_STRMAX + 1]};
  PackError err{};
  bool escaped = false;

  bool isdone(uint32_t i) const { return done[i >> 6] >> (i & 63) & 1; }
  void mark(int32_t i) {
    if (i >= 1 && uint32_t(i) <= n)
      done[uint32_t(i) >> 6] |= uint64_t(1) << (uint32_t(i) & 63);
  }

  bool fail(int code, int32_t elm, int kind) {
    if (!err.code)
      err = {code, elm, kind};
    return false;
  }

  // One source record into a copy, checked; only the copy is ever changed.
  Read read(int32_t i, ElementRecord &r) {
    if (i < 1 || uint32_t(i) > n || isdone(uint32_t(i)))
      return ABSENT;
    const ElementRecord *p = dtb_get(db, i);
    if (!p)
      return ABSENT;
    r = *p;
    if (r.flags & ELM_ERASED)
      return ERASED;
    if (r.flags & ELM_CONT)
      return LIVE;
    switch (r.kind) {
    case PNT:
    case LIN:
    case MSKBOX:
    case PNT | MSKBOX:
    case LIN | MSKBOX:
    case ARC | MSKBOX:
    case CHR | MSKBOX:
    case (CHR | MSKBOX) + 1: // 25: masked variants occur in drawings and are kept
    case ATR:
    case NOD:
      return LIVE;
    case ARC:
      return r.arc.r < 1e-6 ? ERASED : LIVE;
    case CHR: {
      if (r.chr.count <= 0)
        return ERASED;
      if (!text_angle(r.chr.angle))
        return INVALID;
      ElementRecord tmp;
      if (elm_read(db, i, &tmp, str.get(), ELM_STRMAX + 1) == 1)
        return INVALID;
      return txt_check(str.get()) ? ERASED : LIVE;
    }
    default:
      return INVALID;
    }
  }

  // Output records.
  bool put(uint32_t k, const ElementRecord &r, int code, int32_t elm) {
    if (strategy == PCK_WORKFILE) {
      const long off = long(k - 1) * RECSZ;
      if ((off != fpos || fdir != 2) && std::fseek(fp, off, SEEK_SET) != 0) {
        fpos = -1;
        dbs_hooks().error(30043);
        return fail(k <= fend ? 803 : 804, elm, r.kind);
      }
      fdir = 2;
      if (dbs_hooks().write(&r, RECSZ, 1, fp) != 1) {
        fpos = -1;
        fail(805, elm, r.kind);
        return fail(code, elm, r.kind);
      }
      fpos = off + RECSZ;
      if (k > fend)
        fend = k;
      return true;
    }
    ElementRecord *p = strategy == PCK_OTHERDB ? dtb_ptr(other, int32_t(k)) : dtb_ptr(db, int32_t(k + half));
    if (!p) {
      fail(strategy == PCK_OTHERDB ? 801 : 802, elm, r.kind);
      return fail(code, elm, r.kind);
    }
    *p = r;
    return true;
  }

  bool get(uint32_t k, ElementRecord &r, int code, int32_t elm) {
    if (strategy == PCK_WORKFILE) {
      const long off = long(k - 1) * RECSZ;
      if ((off != fpos || fdir != 1) && std::fseek(fp, off, SEEK_SET) != 0) {
        fpos = -1;
        dbs_hooks().error(30043);
        return fail(803, elm, 0);
      }
      fdir = 1;
      if (dbs_hooks().read(&r, RECSZ, 1, fp) != 1) {
        fpos = -1;
        return fail(code, elm, 0);
      }
      fpos = off + RECSZ;
      return true;
    }
    const ElementRecord *p = strategy == PCK_OTHERDB ? dtb_get(other, int32_t(k)) : dtb_get(db, int32_t(k + half));
    if (!p) {
      fail(strategy == PCK_OTHERDB ? 801 : 802, elm, 0);
      return fail(code, elm, 0);
    }
    r = *p;
    return true;
  }

  // Sets the link at a byte offset of output record k.
  bool patch(uint32_t k, std::size_t offset, int32_t value, int rdcode, int wrcode, int32_t elm) {
    ElementRecord r;
    if (!get(k, r, rdcode, elm))
      return false;
    std::memcpy(reinterpret_cast<char *>(&r) + offset, &value, sizeof value);
    return put(k, r, wrcode, elm);
  }

  // A CHR or ATR with its continuation records; the first record is live and read
  // into r. codes: first record, continuation record. Gives the new number, 0 on failure.
  uint32_t text(int32_t i, ElementRecord r, int32_t parent, bool top, int first_code, int cont_code) {
    const uint32_t k = ++out;
    const int32_t link = elm_cont(r);
    if (!top)
      r.parent = parent;
    r.next = ELM_NONE;
    elm_setcont(r, elm_islink(link) ? int32_t(k + 1) : ELM_NONE);
    if (!put(k, r, first_code, i))
      return 0;
    mark(i);
    uint32_t copied = 0, lastk = k;
    bool cut = false;
    for (int32_t c = link; elm_islink(c);) {
      ElementRecord cr;
      if (read(c, cr) != LIVE || !(cr.flags & ELM_CONT)) {
        cut = true;
        break;
      }
      const int32_t next = cr.cont.next;
      const uint32_t kc = ++out;
      cr.cont.next = elm_islink(next) ? int32_t(kc + 1) : ELM_NONE;
      if (!put(kc, cr, cont_code, c))
        return fail(206, c, r.kind), 0;
      mark(c);
      ++copied;
      lastk = kc;
      c = next;
    }
    if (cut) {
      // The text ends at the last record copied; its length says so too.
      const std::size_t linkoff = lastk == k ? 66 : offsetof(ElementRecord, cont.next);
      if (!patch(lastk, linkoff, ELM_NONE, 202, 203, i))
        return 0;
      ElementRecord f;
      if (!get(k, f, 204, i))
        return 0;
      const int keep = (r.kind == CHR ? CHR_PIECE0 : ATR_PIECE0) + CONT_PIECE * int(copied);
      if (r.kind == CHR && f.chr.count > keep)
        f.chr.count = int16_t(keep);
      else if (r.kind == ATR && f.atr.len > keep)
        f.atr.len = int16_t(keep);
      if (!put(k, f, 205, i))
        return 0;
    }
    return k;
  }

  // Whether a node holds nothing worth keeping. Decided once per node; every record
  // is looked at by these decisions at most once per pack, so a chain that loops or
  // names a node inside itself ends where it comes round, as if it ended there.
  bool dropped(int32_t i, const ElementRecord &node, int level) {
    if (level >= PCK_DEPTH)
      return false; // kept, so that the copy fails on its depth
    if (i >= 1 && uint32_t(i) <= n) {
      if (decided[uint32_t(i)] & DECIDED)
        return decided[uint32_t(i)] & DROP;
      decided[uint32_t(i)] |= SEEN;
    }
    const bool drop = decide(node, level);
    if (i >= 1 && uint32_t(i) <= n)
      decided[uint32_t(i)] |= DECIDED | (drop ? DROP : 0);
    return drop;
  }

  // The first look at a record in a decision; false when it was looked at before.
  bool firstlook(int32_t m) {
    if (m < 1 || uint32_t(m) > n)
      return true; // read() finds it absent
    uint8_t &d = decided[uint32_t(m)];
    if (d & SEEN)
      return false;
    d |= SEEN;
    return true;
  }

  bool decide(const ElementRecord &node, int level) {
    bool first = true;
    for (int32_t m = node.nod.child; elm_islink(m) && firstlook(m); first = false) {
      ElementRecord r;
      Read rd = read(m, r);
      if (rd == ABSENT || (rd == INVALID && first))
        break;
      if (rd == INVALID || (rd == LIVE && r.kind == ATR) || (rd == ERASED && r.kind == ATR))
        return true;
      if (rd == LIVE && !(r.flags & ELM_CONT) && !(r.kind == NOD && dropped(m, r, level + 1)))
        return false;
      m = r.next;
    }
    for (int32_t a = node.nod.attr; elm_islink(a);) {
      if (!firstlook(a))
        return true;
      ElementRecord r;
      Read rd = read(a, r);
      if (rd == ABSENT || rd == INVALID || r.kind != ATR)
        return true;
      if (rd == LIVE)
        return !(r.flags & 1);
      a = r.next;
    }
    return true;
  }

  // A node with its tree. Gives the new number, 0 when the node was dropped, -1 on failure.
  int64_t tree(int32_t i, ElementRecord r, int32_t parent, bool top, int level) {
    if (level >= PCK_DEPTH)
      return fail(301, i, r.kind), -1;
    if (dropped(i, r, level)) {
      mark(i);
      return 0;
    }
    const uint32_t k = ++out;
    ElementRecord node = r;
    if (!top)
      node.parent = parent;
    node.next = node.nod.child = node.nod.attr = ELM_NONE;
    if (!put(k, node, 301, i))
      return -1;
    mark(i);
    uint32_t prev = 0;
    uint32_t guard = n + 1;
    for (int32_t m = r.nod.child; elm_islink(m) && guard--;) {
      ElementRecord mr;
      Read rd = read(m, mr);
      if (rd == ABSENT || (rd == LIVE && (mr.flags & ELM_CONT)))
        break;
      if (rd == INVALID)
        return fail(902, m, mr.kind), -1;
      const int32_t next = mr.next;
      if (rd == ERASED) {
        mark(m);
        m = next;
        continue;
      }
      int64_t kn;
      if (mr.kind == NOD) {
        kn = tree(m, mr, int32_t(k), false, level + 1);
        if (kn < 0)
          return -1;
        if (kn == 0) {
          m = next;
          continue;
        }
      } else if (elm_isstr(mr.kind)) {
        kn = text(m, mr, int32_t(k), false, 302, 303);
        if (!kn)
          return fail(302, m, mr.kind), -1;
      } else {
        kn = ++out;
        mr.parent = int32_t(k);
        mr.next = ELM_NONE;
        if (!put(uint32_t(kn), mr, 304, m))
          return -1;
        mark(m);
      }
      if (!prev)
        node.nod.child = int32_t(kn);
      else if (!patch(prev, offsetof(ElementRecord, next), int32_t(kn), 501, 501, m))
        return -1;
      prev = uint32_t(kn);
      m = next;
    }
    prev = 0;
    guard = n + 1;
    for (int32_t a = r.nod.attr; elm_islink(a) && guard--;) {
      ElementRecord ar;
      Read rd = read(a, ar);
      if (rd == ABSENT || (rd == LIVE && (ar.flags & ELM_CONT)))
        break;
      if (rd == INVALID)
        return fail(902, a, ar.kind), -1;
      const int32_t next = ar.next;
      if (rd == ERASED) {
        mark(a);
        a = next;
        continue;
      }
      const bool firstattr = !prev;
      uint32_t ka = text(a, ar, int32_t(k), false, firstattr ? 701 : 703, firstattr ? 702 : 704);
      if (!ka)
        return fail(firstattr ? 701 : 703, a, ar.kind), -1;
      if (firstattr)
        node.nod.attr = int32_t(ka);
      else if (!patch(prev, offsetof(ElementRecord, next), int32_t(ka), 501, 501, a))
        return -1;
      prev = ka;
      a = next;
    }
    if (!put(k, node, 301, i))
      return -1;
    return k;
  }

  bool choose(const DbControl c[2]) {
    const DbControl &s = c[db];
    auto otherok = [&](int d) {
      // The other database must be wholly unused: its areas 2 and 3 hold records too.
      return d != db && c[d].max12 >= n && c[d].count1 == 0 && c[d].count2 == 0 && c[d].count3 == 0;
    };
    const bool halfok = uint64_t(n) + s.count2 <= s.max12 / 2;
    int pick = PCK_WORKFILE;
    if (forced == PCK_OTHERDB && (otherok(0) || otherok(1)))
      pick = PCK_OTHERDB;
    else if (forced == PCK_UPPERHALF && halfok)
      pick = PCK_UPPERHALF;
    else if (forced == PCK_WORKFILE)
      pick = PCK_WORKFILE;
    else if (otherok(0) || otherok(1))
      pick = PCK_OTHERDB;
    else if (halfok)
      pick = PCK_UPPERHALF;
    strategy = pick;
    if (pick == PCK_OTHERDB) {
      other = otherok(0) ? 0 : 1;
      if (OpenDataTable(other) != 0)
        return fail(801, 1, 0);
    } else if (pick == PCK_UPPERHALF) {
      half = s.max12 / 2;
    } else {
      folder_file("inkforge.pck", path);
      std::remove(path);
      fp = dbs_hooks().createheld(path);
      if (!fp) {
        dbs_hooks().error(30041);
        return false;
      }
      fpos = 0;
    }
    return true;
  }

  bool escape() {
    if (dbs_hooks().escape() == 27)
      escaped = true;
    return escaped;
  }

  static bool linkok(int32_t link, uint32_t count) { return link < 1 || uint32_t(link) <= count; }

  // Every link of the output names an output record or nothing.
  bool check(const ElementRecord &r, uint32_t k) {
    bool ok = linkok(r.parent, out) && linkok(r.next, out);
    if (r.flags & ELM_CONT)
      ok = ok && linkok(r.cont.next, out);
    else if (r.kind == NOD)
      ok = ok && linkok(r.nod.child, out) && linkok(r.nod.attr, out);
    else if (elm_isstr(r.kind))
      ok = ok && linkok(elm_cont(r), out);
    return ok || fail(501, int32_t(k), r.kind);
  }

  // Reads the whole output back and checks it; only then is the source overwritten.
  bool copyback() {
    for (uint32_t k = 1; k <= out; ++k)
      if (!dtb_ptr(db, int32_t(k)))
        return fail(1202, int32_t(k), 0);
    if (strategy != PCK_WORKFILE) {
      for (uint32_t k = 1; k <= out; ++k) {
        const ElementRecord *p = strategy == PCK_OTHERDB ? dtb_get(other, int32_t(k)) : dtb_get(db, int32_t(k + half));
        if (!p)
          return fail(strategy == PCK_OTHERDB ? 801 : 802, int32_t(k), 0);
        if (!check(*p, k))
          return false;
      }
      if (escape())
        return false;
      for (uint32_t k = 1; k <= out; ++k)
        *dtb_ptr(db, int32_t(k)) =
            strategy == PCK_OTHERDB ? *dtb_ptr(other, int32_t(k)) : *dtb_ptr(db, int32_t(k + half));
      return true;
    }
    std::vector<ElementRecord> image(out);
    fdir = 0;
    if (std::fseek(fp, 0, SEEK_SET) != 0) {
      dbs_hooks().error(30043);
      return fail(1201, 0, 0);
    }
    for (uint32_t k = 0; k < out;) {
      // Runs never cross a 400-record block of the store.
      uint32_t run = std::min(RUN, out - k);
      run = std::min(run, uint32_t(DB_BLKRECS) - k % DB_BLKRECS);
      if (escape())
        return false;
      if (dbs_hooks().read(image.data() + k, RECSZ, run, fp) != run) {
        dbs_hooks().error(30042);
        return fail(1203, int32_t(k + 1), 0);
      }
      k += run;
    }
    for (uint32_t k = 0; k < out; ++k)
      if (!check(image[k], k + 1))
        return false;
    if (std::fclose(fp) != 0) {
      fp = nullptr;
      dbs_hooks().error(30044);
      return false;
    }
    fp = nullptr;
    std::remove(path);
    for (uint32_t k = 0; k < out; ++k)
      *dtb_ptr(db, int32_t(k + 1)) = image[k];
    return true;
  }

  void finish() {
    if (fp) {
      std::fclose(fp);
      fp = nullptr;
    }
    if (path[0])
      std::remove(path);
    if (strategy == PCK_OTHERDB && other >= 0) {
      // Freeing records must not cancel a file waiting to be opened.
      char pending[APP_PENDLEN];
      std::memcpy(pending, app_pendpath(), sizeof pending);
      dtb_free(other);
      app_setpendpath(pending);
    }
  }

  int run() {
    DbControl c[2];
    dtb_ctrl('r', c);
    n = c[db].count1;
    done.assign(n / 64 + 1, 0);
    decided.assign(std::size_t(n) + 1, 0);
    if (!choose(c))
      return PCK_FAILED;
    used = strategy;
    for (uint32_t i = 1; i <= n; ++i) {
      if (escape())
        return PCK_ESCAPE;
      ElementRecord r;
      Read rd = read(int32_t(i), r);
      if (rd == INVALID)
        return fail(902, int32_t(i), r.kind), PCK_FAILED;
      if (rd != LIVE || (r.flags & ELM_CONT) || elm_islink(r.parent))
        continue;
      if (elm_isstr(r.kind)) {
        if (!text(int32_t(i), r, 0, true, 201, 206))
          return fail(201, int32_t(i), r.kind), PCK_FAILED;
      } else if (r.kind == NOD) {
        if (tree(int32_t(i), r, 0, true, 0) < 0)
          return PCK_FAILED;
      } else {
        const uint32_t k = ++out;
        r.next = ELM_NONE; // a top-level element is in no chain
        if (!put(k, r, 304, int32_t(i)))
          return PCK_FAILED;
        mark(int32_t(i));
      }
    }
    if (!copyback())
      return escaped ? PCK_ESCAPE : PCK_FAILED;
    dtb_ctrl('r', c);
    c[db].count1 = out;
    dtb_ctrl('w', c);
    return PCK_DONE;
  }
};

} // namespace

int dtb_pack(int db) {
  if (db != 0 && db != 1)
    return PCK_FAILED;
  Packer p;
  p.db = db;
  int rc = p.run();
  p.finish();
  last_error = p.err;
  if (rc == PCK_FAILED && last_error.code)
    dtb_packerr();
  return rc;
}

int dtb_packerr() {
  if (!PackReport)
    return 0;
  DbSysHooks &h = dbs_hooks();
  h.line(0, 0, 0, 0, 0);
  h.line(31905, 2, last_error.elm, last_error.kind, last_error.code);
  h.error(30205);
  h.line(0, 0, 0, 0, 0);
  return 0;
}

int dtb_packcmd() {
  const int dwg = dwg_cur();
  if (dwg != 0 && dwg != 1)
    return PCK_FAILED;
  DbSysHooks &h = dbs_hooks();
  h.line(501, 0, 0, 0, 0);
  dtb_pack(dwg);
  h.line(0, 0, 0, 0, 0);
  dwg_touch(dwg);
  h.attrbox();
  char work[262];
  folder_file(dwg == 0 ? "TVKDPRM0.WOK" : "TVKDPRM1.WOK", work);
  std::remove(work);
  und_rset(dwg);
  return PCK_FAILED;
}

const PackError &dtb_packlast() { return last_error; }

int dtb_packforce(int strategy) {
  int old = forced;
  forced = strategy >= PCK_AUTO && strategy <= PCK_WORKFILE ? strategy : PCK_AUTO;
  return old;
}

int dtb_packused() { return used; }
