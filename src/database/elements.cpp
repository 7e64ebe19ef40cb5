#include "database/elements.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "database/cells.h"
#include "database/dbsys.h"
#include "database/drawcalls.h"
#include "database/groups.h"
#include "database/store.h"
#include "database/undo.h"
#include "settings/appstate.h"
#include "settings/params.h"

namespace {

bool dbok(int db) { return db == 0 || db == 1; }

int area_of(int mode) { return !(mode & 1) ? 1 : !(mode & 2) ? 2 : 3; }

// First number for k new records at the end of an area, or 0 when they do not fit.
// Area 1 shares max12 with area 2 behind it, so both counts are checked.
uint32_t area_take(int db, int area, uint32_t k) {
  const DbControl &c = DbCtl[db];
  if (area == 3)
    return uint64_t(c.count3) + k <= c.max3 ? c.base3 + c.count3 : 0;
  if (uint64_t(c.count1) + c.count2 + k > c.max12)
    return 0;
  return area == 1 ? c.base1 + c.count1 : c.base1 + c.count1 + c.count2;
}

void area_grow(int db, int area, uint32_t k) {
  DbControl &c = DbCtl[db];
  (area == 1 ? c.count1 : area == 2 ? c.count2 : c.count3) += k;
}

uint32_t area_end(int db, int area) { return area == 1 ? dtb_end1(db) : area == 2 ? dtb_end2(db) : dtb_end3(db); }

// Every add that ends with 0 passes here.
void warn_full() { dbs_hooks().board(1, "最大要素数を越えました。"); }

int draw_colour(int colour) { return colour == -1 || (colour >= 0 && colour <= 19) ? colour : 0; }

void draw(int db, int colour, uint32_t first) {
  int old = dwg_setcur(db);
  db_redraw(colour, first);
  dwg_setcur(old);
}

void journal(int db, int op, int32_t n, int piece, const ElementRecord *image) { und_writ(db, op, n, piece, image); }

struct GeoCheck {
  bool erased = false;
  bool marks = false; // a style 3 was stripped: end marks wanted
  bool circle = false;
};

// Style 3 (mark) never stays in a stored line or an arc of at most 360 degrees.
bool strip_marks(uint16_t &attr) {
  bool s = ((attr >> 8) & 7) == 3, e = ((attr >> 11) & 7) == 3;
  if (s)
    attr &= uint16_t(~(7u << 8));
  if (e)
    attr &= uint16_t(~(7u << 11));
  return s || e;
}

GeoCheck geo_check(ElementRecord &r, bool update, int mode) {
  GeoCheck g;
  switch (r.kind) {
  case LIN:
    g.erased = std::fabs(r.lin.x2 - r.lin.x1) < ELM_TINY && std::fabs(r.lin.y2 - r.lin.y1) < ELM_TINY;
    g.marks = strip_marks(r.lin.attr);
    break;
  case ARC: {
    g.erased = r.arc.r < ELM_TINY;
    double sweep = r.arc.end - r.arc.start;
    if (std::fabs(sweep) < ELM_TINY && (update || (mode & ELM_ZEROERASE))) {
      g.erased = true;
      if (update)
        g.marks = strip_marks(r.arc.attr);
    } else if (std::fabs(sweep) < ELM_TINY) {
      r.arc.attr &= uint16_t(~(0x3Fu << 8));
      // Stored as a full circle whether or not it is drawn now.
      r.arc.start = 0;
      r.arc.end = 360;
      g.circle = true;
    } else if (std::fabs(sweep - 360) < ELM_TINY) {
      r.arc.attr &= uint16_t(~(0x3Fu << 8));
    } else if (sweep < 360) {
      g.marks = strip_marks(r.arc.attr);
    }
    break;
  }
  case CHR:
    g.erased = std::fabs(r.chr.height) < ELM_TINY || std::fabs(r.chr.width) < ELM_TINY;
    break;
  default:
    break;
  }
  return g;
}

bool drawn_kind(uint16_t kind) { return kind != ATR && kind != NOD && !(kind & MSKBOX); }

// Builds continuation record n of a chain: head zeroed, piece, link; bytes 70-79 stay.
void write_cont(ElementRecord *p, const char **src, int *remain, int32_t next) {
  std::memset(p, 0, 20);
  p->flags = ELM_CONT;
  elm_wrpiece(1, p, src, remain);
  p->cont.next = next;
}

int first_piece_kind(uint16_t kind) { return kind == CHR ? 0 : 2; }

} // namespace

int elm_wrpiece(int kind, ElementRecord *rec, const char **src, int *remain) {
  char *to = kind == 0 ? rec->chr.text : kind == 1 ? rec->cont.text : rec->atr.text;
  int size = kind == 0 ? CHR_PIECE0 : kind == 1 ? CONT_PIECE : ATR_PIECE0;
  int n = *remain < size ? (*remain > 0 ? *remain : 0) : size;
  if (n)
    std::memcpy(to, *src, std::size_t(n));
  std::memset(to + n, 0, std::size_t(size - n));
  *src += n;
  *remain -= n;
  return n;
}

int elm_rdpiece(int kind, const ElementRecord *rec, char **dst, int *remain) {
  const char *from = kind == 0 ? rec->chr.text : kind == 1 ? rec->cont.text : rec->atr.text;
  int size = kind == 0 ? CHR_PIECE0 : kind == 1 ? CONT_PIECE : ATR_PIECE0;
  int n = *remain < size ? (*remain > 0 ? *remain : 0) : size;
  if (dst && *dst) {
    std::memcpy(*dst, from, std::size_t(n));
    *dst += n;
  }
  *remain -= n;
  return n;
}

int elm_valid(int db, int32_t n) {
  if (!dbok(db) || n < 1)
    return 1;
  uint32_t u = uint32_t(n);
  const DbControl &c = DbCtl[db];
  if (u >= c.base1 && u < dtb_end2(db))
    return 0;
  return u >= c.base3 && u < dtb_end3(db) ? 0 : 1;
}

int elm_add(int db, int mode, int colour, const ElementRecord *proto, const char *str) {
  if (!dbok(db))
    return -9;
  const uint16_t kind = proto->kind;
  if (!(kind & 7) && kind != CHR && kind != ATR && kind != NOD && !(kind & MSKBOX))
    return -1;
  GroupStack &gs = GrpStack[db];
  if (gs.level > GRP_LEVELS)
    gs.level = 0;
  GroupSlot &lv = gs.slot[gs.level];
  if (kind == ATR && gs.level == 0)
    return -2;
  const bool isstr = elm_isstr(kind);
  std::size_t slen = isstr && str ? std::strlen(str) : 0;
  if (slen > std::size_t(ELM_STRMAX))
    return -1;
  const int len = int(slen);
  const uint32_t nrec = uint32_t(elm_nrec(kind, len));

  ElementRecord r = *proto;
  GeoCheck g = geo_check(r, false, mode);

  const int area = area_of(mode);
  const uint32_t first = area_take(db, area, nrec);
  if (!first) {
    warn_full();
    return 0;
  }
  const int32_t n = int32_t(first);

  // Everything this add writes must be reachable before anything is written, so a
  // failure leaves no link to a number that a later add would reuse.
  for (uint32_t i = 0; i < nrec; ++i)
    if (!dtb_ptr(db, int32_t(first + i)))
      return -3;
  const bool isatr = kind == ATR;
  const bool ingroup = gs.level > 0;
  int32_t &tail = isatr ? lv.atail : lv.mtail;
  const uint32_t waitbit = isatr ? GRP_NOATTR : GRP_NOCHILD;
  const bool linktail = ingroup && elm_islink(tail);
  const bool linknode = ingroup && (lv.pending & waitbit);
  if (linktail && !dtb_ptr(db, tail))
    return -3;
  if (linknode && !dtb_ptr(db, lv.node))
    return -3;

  const bool journ = !(mode & 1);
  r.flags = uint16_t((r.flags & ~ELM_CONT) | (g.erased ? ELM_ERASED : 0));
  r.encsub = uint8_t(ingroup ? lv.subkind : 0);
  r.parent = ingroup ? lv.node : ELM_NONE;
  r.depth = uint8_t(ingroup ? lv.depth : 0);
  r.next = ELM_NONE;
  if (kind == NOD)
    r.nod.child = r.nod.attr = ELM_NONE;
  else
    r.subkind = 0;

  if (linktail) {
    ElementRecord *t = dtb_ptr(db, tail);
    if (journ)
      journal(db, UND_LINK, tail, 1, t);
    t->next = n;
  }
  if (ingroup)
    tail = n;
  if (linknode) {
    ElementRecord *nd = dtb_ptr(db, lv.node);
    if (journ)
      journal(db, UND_LINK, lv.node, 1, nd);
    if (isatr)
      nd->nod.attr = n;
    else
      nd->nod.child = n;
    lv.pending &= ~waitbit;
  }

  const char *src = str;
  int remain = len;
  if (isstr) {
    if (kind == CHR)
      r.chr.count = int16_t(len);
    else
      r.atr.len = int16_t(len);
    elm_wrpiece(first_piece_kind(kind), &r, &src, &remain);
    elm_setcont(r, nrec > 1 ? n + 1 : ELM_NONE);
  }
  if (!(mode & ELM_NOCELL))
    elm_cell(db, &r, kind == CHR ? (str ? str : "") : nullptr);
  *dtb_ptr(db, n) = r;
  if (journ)
    journal(db, UND_ADD, n, 1, &r);
  for (uint32_t i = 1; i < nrec; ++i) {
    int32_t m = n + int32_t(i);
    ElementRecord *p = dtb_ptr(db, m);
    write_cont(p, &src, &remain, i + 1 < nrec ? m + 1 : ELM_NONE);
    if (journ)
      journal(db, UND_ADDCONT, m, 1, p);
  }
  area_grow(db, area, nrec);

  if (drawn_kind(kind) && colour != ELM_NODRAW)
    draw(db, draw_colour(colour), uint32_t(n) | DB_ONE);
  if (g.marks) {
    int rc = elm_marks(db, mode, colour, proto);
    if (rc <= 0) {
      if (rc == 0)
        warn_full();
      return rc;
    }
  }
  return n;
}

int elm_read(int db, int32_t n, ElementRecord *rec, char *str, std::size_t size) {
  if (db < 0 || db >= 2)
    return 9;
  const ElementRecord *p = dtb_get(db, n);
  if (!p)
    return 1;
  *rec = *p;
  if (p->flags & ELM_CONT)
    return 2;
  if (!elm_isstr(p->kind)) {
    if (str && size)
      str[0] = 0;
    return 0;
  }
  const int len = elm_strlen(*p);
  // Copies at most size - 1 bytes; the chain is followed to its declared end all the
  // same, and that length also bounds the walk, so a cyclic chain cannot hold it up.
  const int keep = str && size ? int(std::min<std::size_t>(size - 1, std::size_t(len))) : 0;
  char *out = str;
  int remain = len, room = keep;
  auto take = [&](const char *from, int piece) {
    int n = std::min(remain, piece);
    int c = std::min(room, n);
    if (c > 0) {
      std::memcpy(out, from, std::size_t(c));
      out += c;
      room -= c;
    }
    remain -= n;
  };
  if (p->kind == CHR)
    take(p->chr.text, CHR_PIECE0);
  else
    take(p->atr.text, ATR_PIECE0);
  int rc = 0;
  int32_t seen[ELM_STRMAX / CONT_PIECE + 1];
  int nseen = 0;
  for (int32_t link = elm_cont(*p); remain > 0;) {
    const ElementRecord *c = elm_islink(link) ? dtb_get(db, link) : nullptr;
    if (!c || !(c->flags & ELM_CONT) || link == n || std::find(seen, seen + nseen, link) != seen + nseen) {
      rc = 1;
      break;
    }
    seen[nseen++] = link;
    take(c->cont.text, CONT_PIECE);
    link = c->cont.next;
  }
  if (str && size)
    str[keep - room] = 0;
  return rc ? rc : str && size && keep < len ? 3 : 0;
}

int elm_update(int db, int32_t n, int mode, int colour, const ElementRecord *proto, const char *str) {
  if (db < 0 || db >= 2)
    return 3;
  const int area = area_of(mode);
  if (n < 1 || uint32_t(n) >= area_end(db, area))
    return 2;
  ElementRecord *p = dtb_ptr(db, n);
  if (!p || (p->flags & ELM_CONT))
    return 2;
  const uint16_t kind = p->kind;
  if (proto->kind != kind)
    return 1;
  const bool isstr = elm_isstr(kind);
  std::size_t slen = isstr && str ? std::strlen(str) : 0;
  if (slen > std::size_t(ELM_STRMAX))
    return 4;
  const int len = int(slen);
  const uint8_t oldsub = p->subkind;

  ElementRecord r = *proto;
  GeoCheck g = geo_check(r, true, mode);

  // Everything is checked before the old picture is rubbed out or journalled.
  const int oldrec = isstr ? elm_nrec(kind, elm_strlen(*p)) : 1;
  const int newrec = isstr ? elm_nrec(kind, len) : 1;
  const uint32_t extra = newrec > oldrec ? uint32_t(newrec - oldrec) : 0;
  const int reuse = std::min(oldrec, newrec) - 1; // continuation records rewritten in place
  const int32_t chain = isstr ? elm_cont(*p) : ELM_NONE;
  {
    int32_t link = chain;
    for (int i = 0; i < reuse; ++i) {
      const ElementRecord *c = elm_islink(link) ? dtb_get(db, link) : nullptr;
      if (!c || !(c->flags & ELM_CONT))
        return 5;
      link = c->cont.next;
    }
  }
  uint32_t xfirst = 0;
  if (extra) {
    xfirst = area_take(db, area, extra);
    if (!xfirst)
      return 4;
    for (uint32_t i = 0; i < extra; ++i)
      if (!dtb_ptr(db, int32_t(xfirst + i)))
        return 4;
  }

  uint16_t erase = 16;
  {
    uint16_t map[20];
    if (sys_colmap('R', map) == 0)
      erase = map[16];
  }
  if (colour != ELM_NODRAW)
    draw(db, erase, uint32_t(n) | DB_ONE);
  const bool journ = !(mode & 1);
  if (journ)
    journal(db, UND_CHANGE, n, 1, p);

  r.flags = uint16_t((r.flags & ~ELM_CONT) | (g.erased ? ELM_ERASED : 0));
  const char *src = str;
  int remain = len;
  if (isstr) {
    if (kind == CHR)
      r.chr.count = int16_t(len);
    else
      r.atr.len = int16_t(len);
    elm_wrpiece(first_piece_kind(kind), &r, &src, &remain);
    elm_setcont(r, newrec > 1 ? (reuse > 0 ? chain : int32_t(xfirst)) : ELM_NONE);
  }
  if (!(mode & ELM_NOCELL))
    elm_cell(db, &r, kind == CHR ? (str ? str : "") : nullptr);
  *p = r;

  if (isstr) {
    int32_t link = chain;
    for (int i = 0; i < reuse; ++i) {
      ElementRecord *c = dtb_ptr(db, link);
      if (journ)
        journal(db, UND_CHANGE, link, i + 2, c);
      int32_t next = c->cont.next;
      elm_wrpiece(1, c, &src, &remain);
      bool last = i + 1 == reuse;
      c->cont.next = !last ? next : extra ? int32_t(xfirst) : ELM_NONE;
      link = next;
    }
    for (uint32_t i = 0; i < extra; ++i) {
      int32_t m = int32_t(xfirst + i);
      ElementRecord *c = dtb_ptr(db, m);
      write_cont(c, &src, &remain, i + 1 < extra ? m + 1 : ELM_NONE);
      if (journ)
        journal(db, UND_ADDCONT, m, 1, c);
    }
    area_grow(db, area, extra);
  }

  if (colour != ELM_NODRAW && oldsub != 8)
    draw(db, draw_colour(colour), uint32_t(n) | DB_ONE);
  if (g.marks) {
    int rc = elm_marks(db, mode, colour, proto);
    if (rc == 0)
      return 4;
    if (rc < 0)
      return rc;
  }
  return 0;
}

namespace {

// The records a node delete erases, gathered before anything changes so that a
// damaged tree is refused whole. Each record is visited at most once: meeting one
// again is a cycle. Members lie at most GRP_LEVELS levels below the deleted node,
// so a node at that level may exist but holds nothing.
struct DeleteWalk {
  int db;
  std::vector<bool> seen;
  std::vector<int32_t> order; // chain order, each node followed by its members and attributes

  // 0; 1 a link outside the areas, a cycle, too deep a nesting or a failing nested
  // chain; 9 a missing record.
  int chain(int32_t first, int level) {
    for (int32_t n = first; elm_islink(n);) {
      if (elm_valid(db, n) || uint32_t(n) >= seen.size() || seen[uint32_t(n)] || level > GRP_LEVELS)
        return 1;
      seen[uint32_t(n)] = true;
      const ElementRecord *p = dtb_get(db, n);
      if (!p)
        return 9;
      order.push_back(n);
      if (p->kind == NOD) {
        const int32_t child = p->nod.child, attr = p->nod.attr;
        if (chain(child, level + 1) || chain(attr, level + 1))
          return 1;
      }
      n = p->next;
    }
    return 0;
  }
};

} // namespace

int elm_delete(int db, int32_t n, int colour) {
  if (db < 0 || db >= 2)
    return 1;
  if (elm_valid(db, n))
    return 2;
  ElementRecord *p = dtb_ptr(db, n);
  if (!p)
    return 9;
  const bool show = colour == -1 || (colour >= 0 && colour <= 19);
  if (p->kind == NOD) {
    DeleteWalk w{db, std::vector<bool>(std::max(dtb_end2(db), dtb_end3(db)) + 1), {}};
    w.seen[uint32_t(n)] = true;
    const int32_t child = p->nod.child, attr = p->nod.attr;
    const int m = w.chain(child, 1);
    const int a = w.chain(attr, 1);
    if (m || a)
      return 15 | m << 4 | a << 8;
    if (uint32_t(n) < dtb_end1(db))
      journal(db, UND_DELETE, n, 1, p);
    if (show)
      draw(db, colour, uint32_t(n));
    p->flags |= ELM_ERASED;
    for (int32_t k : w.order) {
      ElementRecord *q = dtb_ptr(db, k);
      if (uint32_t(k) < dtb_end1(db))
        journal(db, UND_DELETE, k, 1, q);
      q->flags |= ELM_ERASED;
    }
    return 0;
  }
  if (uint32_t(n) < dtb_end1(db))
    journal(db, UND_DELETE, n, 1, p);
  if ((p->kind & 0xF) && show)
    draw(db, colour, uint32_t(n) | DB_ONE);
  p->flags |= ELM_ERASED;
  return 0;
}

int dtb_recell(int db) {
  if (!dbok(db))
    return 1;
  auto buf = std::make_unique<char[]>(ELM_STRMAX + 1);
  const DbControl &c = DbCtl[db];
  const uint32_t ranges[2][2] = {{c.base1, dtb_end2(db)}, {c.base3, dtb_end3(db)}};
  for (const auto &rg : ranges) {
    for (uint32_t u = rg[0]; u < rg[1]; ++u) {
      int32_t n = int32_t(u);
      ElementRecord *p = dtb_ptr(db, n);
      if (!p)
        return 9;
      if (p->flags & ELM_CONT)
        continue;
      if (p->kind == CHR) {
        ElementRecord tmp;
        if (elm_read(db, n, &tmp, buf.get(), ELM_STRMAX + 1) == 1)
          return 1;
        elm_cell(db, p, buf.get());
      } else if (p->kind & (7 | NOD)) {
        elm_cell(db, p, nullptr);
      }
    }
  }
  return 0;
}
