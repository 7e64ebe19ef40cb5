#include "database/undo.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "database/dbsys.h"
#include "database/drawcalls.h"
#include "database/groups.h"
#include "database/store.h"
#include "settings/appstate.h"
#include "database/selection.h"
#include "settings/dbgtrace.h"
#include "settings/params.h"
#include "settings/syspath.h"

UndoJournal UndJrn[2];
UndoRedoState UndState[2];

namespace {

constexpr long RECSZ = sizeof(UndoRecord);
constexpr uint32_t CHUNK = 256; // records read at once by the undo and redo walks
int undo_lock = 0;
bool write_warned = false; // und_fwrite showed why a write failed

bool dbok(int db) { return db == 0 || db == 1; }
bool usable(const UndoJournal &j) { return j.enabled && j.open && j.fp; }

bool tracing() { return dbg_mode == 1 || dbg_mode == 2; }

// A journal given up after a failure is closed and its file deleted: nobody else
// may find a half-written ring, and nothing of it can be undone any more.
void shut(int db) {
  UndoJournal &j = UndJrn[db];
  if (j.fp) {
    std::fclose(j.fp);
    j.fp = nullptr;
    std::remove(j.path);
  }
  j.enabled = j.open = j.recording = false;
  UndState[db] = {};
}

bool seekrec(UndoJournal &j, uint32_t pos, int dir) {
  const long off = long(pos) * RECSZ;
  if (j.dir == dir && j.fpos == off)
    return true;
  if (std::fseek(j.fp, off, SEEK_SET) != 0) {
    j.dir = 0;
    return false;
  }
  j.fpos = off;
  j.dir = dir;
  return true;
}

// count records from pos (pos + count - 1 <= ring).
bool readrecs(int db, uint32_t pos, UndoRecord *r, uint32_t count, const char *caller) {
  UndoJournal &j = UndJrn[db];
  if (!j.fp || !seekrec(j, pos, 1))
    return false;
  std::size_t n = und_fread(r, RECSZ, count, j.fp, caller);
  if (std::feof(j.fp)) {
    std::clearerr(j.fp);
    j.dir = 0; // the stream stopped short of where we think it is
  } else {
    j.fpos += long(n) * RECSZ;
  }
  return n == count;
}

bool writerecs(int db, uint32_t pos, const UndoRecord *r, uint32_t count, const char *caller) {
  UndoJournal &j = UndJrn[db];
  if (!j.fp || !seekrec(j, pos, 2))
    return false;
  std::size_t n = und_fwrite(r, RECSZ, count, j.fp, caller);
  if (n != count) {
    if (j.fp)
      j.dir = 0;
    return false;
  }
  j.fpos += long(n) * RECSZ;
  return true;
}

bool writebound(int db, uint32_t pos, const char *caller) {
  UndoRecord b;
  std::memset(&b, 0, sizeof b);
  b.op = UND_STEP;
  return writerecs(db, pos, &b, 1, caller);
}

// Steps whose boundary is about to be overwritten can no longer be undone: the
// boundary at pos (below the top) and every older one leave the stack.
void dropbound(UndoJournal &j, uint32_t pos) {
  for (int32_t k = 0; k + 1 < j.steps; ++k) {
    if (j.stack[k] == pos) {
      std::memmove(j.stack, j.stack + k + 1, sizeof(uint32_t) * uint32_t(j.steps - k - 1));
      j.steps -= k + 1;
      return;
    }
  }
}

int erase_colour() {
  uint16_t map[20];
  return sys_colmap('R', map) == 0 ? map[16] : 16;
}

void draw(int db, int colour, uint32_t first) {
  int old = dwg_setcur(db);
  db_redraw(colour, first);
  dwg_setcur(old);
}

// The link fields of a record: parent, next and, by kind, the node's chains or
// the string's continuation link.
void copy_links(ElementRecord &to, const ElementRecord &from) {
  to.parent = from.parent;
  to.next = from.next;
  if (to.flags & ELM_CONT)
    to.cont.next = from.cont.next;
  else if (to.kind == NOD) {
    to.nod.child = from.nod.child;
    to.nod.attr = from.nod.attr;
  } else if (elm_isstr(to.kind))
    elm_setcont(to, elm_cont(from));
}

// Op 21 both ways: the journal takes the store's record, the store the journalled
// one. A text node keeps the rest of its current record, but never links that may
// name records whose add has been undone.
void link_exchange(ElementRecord *p, ElementRecord &image) {
  ElementRecord now = *p;
  if (now.encsub == 8 || now.subkind == 8)
    copy_links(*p, image);
  else
    *p = image;
  image = now;
}

// Reads journal records through a window of CHUNK records.
struct Walker {
  int db;
  bool forward;
  const char *caller;
  std::vector<UndoRecord> buf;
  uint32_t first = 0, n = 0;

  bool get(uint32_t pos, UndoRecord &out) {
    if (pos < first || pos >= first + n) {
      const uint32_t ring = UndJrn[db].ring;
      uint32_t lo = forward ? pos : (pos > CHUNK ? pos - CHUNK + 1 : 1);
      uint32_t hi = forward ? std::min(ring, pos + CHUNK - 1) : pos;
      buf.resize(hi - lo + 1);
      if (!readrecs(db, lo, buf.data(), hi - lo + 1, caller)) {
        n = 0;
        return false;
      }
      first = lo;
      n = hi - lo + 1;
    }
    out = buf[pos - first];
    return true;
  }
};

// Writes back the records of a walk: span holds the records of positions from,
// from + 1, ... in ring order.
bool writeback(int db, uint32_t from, const std::vector<UndoRecord> &span, const char *caller) {
  const uint32_t ring = UndJrn[db].ring;
  uint32_t done = 0;
  while (done < span.size()) {
    uint32_t pos = from + done > ring ? from + done - ring : from + done;
    uint32_t run = std::min<uint32_t>(uint32_t(span.size()) - done, ring - pos + 1);
    if (!writerecs(db, pos, span.data() + done, run, caller))
      return false;
    done += run;
  }
  return true;
}

// Text nodes rubbed out once during a walk, redrawn at its end.
struct TextRoots {
  std::vector<int32_t> nodes;
  void touch(int db, const ElementRecord &rec, int erase) {
    int32_t node = 0;
    elm_txtroot(db, &rec, &node);
    if (node < 1 || std::find(nodes.begin(), nodes.end(), node) != nodes.end())
      return;
    draw(db, erase, uint32_t(node));
    nodes.push_back(node);
  }
  void redraw(int db) {
    for (int32_t node : nodes)
      draw(db, -1, uint32_t(node));
  }
};

void lower_count(int db) {
  if (DbCtl[db].count1 > 0)
    --DbCtl[db].count1;
}

struct WaitCursor {
  WaitCursor() { dbs_hooks().waitcur(); }
  ~WaitCursor() { dbs_hooks().waitcur(); }
};

} // namespace

void und_path(int db, const char *folder, char *out) {
  char dir[262];
  std::snprintf(dir, sizeof dir, "%s", folder ? folder : "");
  std::size_t n = std::strlen(dir);
  if (n && dir[n - 1] != '/' && n + 1 < sizeof dir)
    pth_bslash(1, dir);
  std::string full = std::string(dir) + "ikfgundo." + std::to_string(db) + "ud";
  std::snprintf(out, 262, "%s", full.c_str());
}

std::size_t und_fwrite(const void *buf, std::size_t size, std::size_t count, FILE *fp, const char *caller) {
  const bool tr = tracing();
  const long before = tr ? std::ftell(fp) : 0;
  std::size_t n = dbs_hooks().write(buf, size, count, fp);
  if (tr)
    dbg_trace("w <%s> PREPOINT = %d, AFTERPOINT = %d", caller, int(before), int(std::ftell(fp)));
  if (n < count) {
    write_warned = true;
    char work[262] = "";
    dbs_hooks().workfolder(work);
    const uint64_t asked = uint64_t(size) * count;
    if (dbs_hooks().freespace(work) < asked) {
      dbs_hooks().warn(30130);
      shut(0);
    } else {
      dbs_hooks().warn(30131);
    }
  }
  return n;
}

std::size_t und_fread(void *buf, std::size_t size, std::size_t count, FILE *fp, const char *caller) {
  const bool tr = tracing();
  const long before = tr ? std::ftell(fp) : 0;
  std::size_t n = dbs_hooks().read(buf, size, count, fp);
  if (tr)
    dbg_trace("r <%s> PREPOINT = %d, AFTERPOINT = %d", caller, int(before), int(std::ftell(fp)));
  if (n < count && !std::ferror(fp)) {
    // End of file: records never written read as zeros (op 0 ends a walk).
    std::memset(static_cast<char *>(buf) + n * size, 0, (count - n) * size);
    n = count;
  }
  return n;
}

int und_stup1(int db, const char *folder, int32_t n) {
  if (!dbok(db))
    return 9;
  UndoJournal &j = UndJrn[db];
  if (j.fp) {
    std::fclose(j.fp);
    j.fp = nullptr;
  }
  j.open = false;
  und_path(db, folder, j.path);
  std::remove(j.path);
  FILE *fp = dbs_hooks().createheld(j.path);
  if (!fp)
    return 9;
  UndoJournalHeader h;
  std::memset(&h, 0, sizeof h);
  h.ring = und_ringsize(n);
  h.one = 1;
  bool ok = und_fwrite(&h, sizeof h, 1, fp, "und_stup1") == 1;
  ok = std::fclose(fp) == 0 && ok;
  if (!ok) {
    std::remove(j.path);
    return 1;
  }
  return 0;
}

int und_open(int db, const char *folder, int32_t n) {
  if (!dbok(db))
    return 9;
  UndoJournal &j = UndJrn[db];
  if (j.fp)
    std::fclose(j.fp);
  std::memset(&j, 0, sizeof j);
  UndState[db] = {};
  SystemBlock sb;
  sys_sysprm('R', &sb);
  j.enabled = sb.undo != 0;
  j.ring = und_ringsize(n);
  und_path(db, folder, j.path);
  if (!j.enabled)
    return 0;

  bool inuse = false;
  auto hold = [&]() -> bool {
    j.fp = dbs_hooks().openheld(j.path, &inuse);
    if (j.fp) {
      std::setvbuf(j.fp, j.buf, _IOFBF, sizeof j.buf);
      j.fpos = 0;
      j.dir = 1;
    }
    return j.fp != nullptr;
  };
  // A journal that another process holds is left alone: this one runs without undo.
  if (!hold() && inuse) {
    j.enabled = false;
    return 9;
  }
  if (j.fp) {
    UndoJournalHeader h;
    if (std::fread(&h, sizeof h, 1, j.fp) != 1 || h.ring != j.ring) {
      std::fclose(j.fp);
      j.fp = nullptr;
    } else {
      j.fpos = RECSZ;
    }
  }
  if (!j.fp) {
    int rc = und_stup1(db, folder, n);
    if (rc == 0 && !hold())
      rc = 9;
    if (rc) {
      if (j.fp)
        shut(db);
      j.enabled = false;
      return rc;
    }
  }
  if (!writebound(db, 1, "und_open")) {
    shut(db);
    return 9;
  }
  j.cur = 1;
  j.stack[0] = 1;
  j.steps = 1;
  j.open = true;
  j.recording = false;
  UndState[db].undo = 0;
  return 0;
}

int und_clos(int db) {
  if (!dbok(db))
    return 0;
  UndoJournal &j = UndJrn[db];
  if (j.fp) {
    std::fclose(j.fp);
    j.fp = nullptr;
    std::remove(j.path);
  }
  j.open = j.recording = false;
  return 0;
}

int und_strt(int db) {
  if (!dbok(db) || !usable(UndJrn[db]) || UndJrn[db].recording)
    return 1;
  UndJrn[db].recording = true;
  return 0;
}

int und_stop(int db) {
  if (!dbok(db) || !usable(UndJrn[db]) || !UndJrn[db].recording)
    return 1;
  UndJrn[db].recording = false;
  return 0;
}

int und_isrec(int db) { return dbok(db) && UndJrn[db].recording ? 1 : 0; }

int und_lock(int v) {
  if (v < 0)
    return undo_lock;
  if (v > 1)
    return -1;
  undo_lock = v;
  return 0;
}

int und_pend(int db) {
  if (!dbok(db))
    return 1;
  UndoJournal &j = UndJrn[db];
  if (j.resetpend) {
    und_strt(db);
    j.resetpend = false;
  }
  if (!usable(j) || !j.recording)
    return 1;
  // Without its boundary the next command would join the step before it and one
  // undo would revert both: the journal starts afresh instead, its first boundary
  // opening the next step, and is given up when even that cannot be written.
  auto lost = [&]() {
    if (j.open) {
      if (!write_warned)
        dbs_hooks().warn(30131); // a failed seek or read says nothing of its own
      if (und_rset(db) != 0)
        shut(db);
    }
    return 9;
  };
  write_warned = false;
  UndoRecord r;
  if (!readrecs(db, j.cur, &r, 1, "und_pend"))
    return lost();
  if (r.op == UND_STEP)
    return 0;
  const uint32_t pos = und_next(j.cur, j.ring);
  dropbound(j, pos);
  if (!writebound(db, pos, "und_pend"))
    return lost();
  j.cur = pos;
  if (j.steps >= UND_STACK) {
    std::memmove(j.stack, j.stack + 1, sizeof(uint32_t) * (UND_STACK - 1));
    j.steps = UND_STACK - 1;
  }
  j.stack[j.steps++] = pos;
  if (j.steps > 1) {
    UndoRedoState &s = UndState[db];
    s.undo = 1;
    s.redo = 0;
    s.anchor = 0;
  }
  return 0;
}

int und_writ(int db, int op, int32_t elm, int piece, const ElementRecord *image) {
  if (!dbok(db))
    return 1;
  dwg_touch(db);
  UndoJournal &j = UndJrn[db];
  if (!usable(j) || !j.recording)
    return 1;
  const uint32_t pos = und_next(j.cur, j.ring);
  if (pos == j.stack[j.steps - 1]) {
    und_rset(db);
    j.recording = false;
    j.resetpend = true;
    return 2;
  }
  dropbound(j, pos);
  UndoRecord r;
  r.op = uint32_t(op);
  r.elm = uint32_t(elm);
  r.piece = uint32_t(piece);
  r.image = *image;
  if (!writerecs(db, pos, &r, 1, "und_writ")) {
    // A change missing from the journal would make its step undo wrongly: nothing
    // before it stays undoable, and the journal waits for the next step.
    if (j.open) {
      j.cur = pos;
      if (und_rset(db) != 0)
        shut(db);
      j.recording = false;
      j.resetpend = true;
    }
    return 9;
  }
  j.cur = pos;
  UndoRedoState &s = UndState[db];
  s.undo = 1;
  s.redo = 0;
  s.anchor = 0;
  return 0;
}

int und_wrarea(int db) {
  if (!dbok(db))
    return 1;
  const uint32_t end = dtb_end1(db);
  for (uint32_t k = DbCtl[db].base1; k < end; ++k) {
    const ElementRecord *p = dtb_get(db, int32_t(k));
    if (!p)
      return 9;
    int rc = und_writ(db, (p->flags & ELM_CONT) ? UND_ADDCONT : UND_ADD, int32_t(k), 1, p);
    if (rc)
      return rc;
  }
  return 0;
}

int und_rset(int db) {
  if (!dbok(db))
    return 1;
  UndoJournal &j = UndJrn[db];
  if (!usable(j) || !j.recording)
    return 1;
  if (!writebound(db, 1, "und_rset"))
    return 9;
  j.cur = 1;
  j.stack[0] = 1;
  j.steps = 1;
  UndState[db] = {};
  return 0;
}

void und_selrem(int32_t elm, int db) {
  SelectionListRec &s = SelectionList;
  if (s.drawing != db || !s.entries)
    return;
  for (int32_t i = 0; i < s.count; ++i) {
    if ((s.entries[i] & ~SEL_PARTIAL) == uint32_t(elm)) {
      std::memmove(s.entries + i, s.entries + i + 1, sizeof(uint32_t) * uint32_t(s.count - i - 1));
      --s.count;
      return;
    }
  }
}

int und_exec(int db) {
  if (undo_lock == 1) {
    dbs_hooks().error(30128);
    return UND_RESULT;
  }
  if (!dbok(db) || !usable(UndJrn[db]))
    return UND_RESULT;
  UndoJournal &j = UndJrn[db];
  UndoRedoState &s = UndState[db];
  WaitCursor wait;
  Walker w{db, false, "und_exec1", {}};
  UndoRecord r;
  if (!w.get(j.cur, r))
    return UND_RESULT;
  while (r.op == UND_STEP) {
    if (j.steps - 1 < 1) {
      j.steps = 1;
      dbs_hooks().warn(30122);
      return UND_RESULT;
    }
    --j.steps;
    j.cur = und_prev(j.cur, j.ring);
    if (!w.get(j.cur, r))
      return UND_RESULT;
  }
  if (!s.undo) {
    dbs_hooks().warn(30122);
    return UND_RESULT;
  }
  s.redo = 1;
  if (!s.anchor) {
    s.anchor = 1;
    s.anchorsteps = uint32_t(j.steps);
    s.anchorpos = j.cur;
  }

  // The step from the current position back to its boundary, newest first.
  std::vector<UndoRecord> step;
  uint32_t pos = j.cur;
  w.caller = "und_exec2";
  for (uint32_t seen = 0; seen < j.ring; ++seen) {
    if (seen && !w.get(pos, r))
      break;
    if (r.op == UND_STEP || r.op == 0)
      break;
    step.push_back(r);
    pos = und_prev(pos, j.ring);
  }

  const int erase = erase_colour();
  TextRoots roots;
  bool changed = false;
  for (std::size_t i = 0; i < step.size(); ++i) {
    UndoRecord &u = step[i];
    if (u.piece != 1)
      continue;
    ElementRecord *p = dtb_ptr(db, int32_t(u.elm));
    if (!p)
      continue;
    switch (u.op) {
    case UND_ADD:
      und_selrem(int32_t(u.elm), db);
      if (p->encsub != 8)
        draw(db, erase, u.elm | DB_ONE);
      lower_count(db);
      break;
    case UND_ADDCONT:
      lower_count(db);
      break;
    case UND_CHANGE: {
      const bool intext = p->encsub == 8;
      if (intext)
        roots.touch(db, *p, erase);
      else
        draw(db, erase, u.elm | DB_ONE);
      std::swap(*p, u.image);
      // The continuation records journalled right after it (newer, so earlier here).
      for (std::size_t k = i; k-- > 0 && step[k].piece >= 2;)
        if (ElementRecord *c = dtb_ptr(db, int32_t(step[k].elm)))
          std::swap(*c, step[k].image);
      if (!intext)
        draw(db, -1, u.elm | DB_ONE);
      changed = true;
      break;
    }
    case UND_LINK:
      link_exchange(p, u.image);
      changed = true;
      break;
    case UND_DELETE:
      *p = u.image;
      if (p->encsub != 8)
        draw(db, -1, u.elm | DB_ONE);
      break;
    default:
      break;
    }
  }
  roots.redraw(db);
  if (changed) {
    std::reverse(step.begin(), step.end());
    writeback(db, und_next(pos, j.ring), step, "und_exec3");
  }
  if (UndJrn[db].open)
    j.cur = pos;
  return UND_RESULT;
}

int rdo_exec(int db) {
  if (undo_lock == 1) {
    dbs_hooks().error(30129);
    return UND_RESULT;
  }
  if (!dbok(db) || !usable(UndJrn[db])) {
    dbs_hooks().warn(30127);
    return UND_RESULT;
  }
  UndoJournal &j = UndJrn[db];
  UndoRedoState &s = UndState[db];
  if (!s.redo || j.resetpend) {
    dbs_hooks().warn(30127);
    return UND_RESULT;
  }
  WaitCursor wait;
  Walker w{db, true, "rdo_exec1", {}};
  UndoRecord r;
  if (!w.get(j.cur, r))
    return UND_RESULT;

  // The records of the step, oldest first; the walk stops at the next boundary, at
  // a record never written, or at the anchor (the last record before the undos).
  std::vector<UndoRecord> step;
  uint32_t from = j.cur, pos = j.cur, last = j.cur;
  bool anchored = false;
  if (r.op == UND_STEP) {
    if (j.steps < UND_STACK)
      ++j.steps;
    from = pos = und_next(pos, j.ring);
    w.caller = "rdo_exec2";
    if (!w.get(pos, r))
      return UND_RESULT;
  }
  for (uint32_t seen = 0; seen < j.ring; ++seen) {
    if (seen) {
      pos = und_next(pos, j.ring);
      if (!w.get(pos, r))
        break;
    }
    if (r.op == UND_STEP) {
      last = pos;
      break;
    }
    if (r.op == 0)
      break;
    step.push_back(r);
    last = pos;
    if (s.anchor && uint32_t(j.steps) >= s.anchorsteps && pos == s.anchorpos) {
      anchored = true;
      break;
    }
  }

  const int erase = erase_colour();
  TextRoots roots;
  bool changed = false;
  for (std::size_t i = 0; i < step.size(); ++i) {
    UndoRecord &u = step[i];
    if (u.piece != 1)
      continue;
    ElementRecord *p = dtb_ptr(db, int32_t(u.elm));
    if (!p)
      continue;
    switch (u.op) {
    case UND_ADD:
      // The slot lay beyond area 1 since the undo (a preview may have used it): the
      // record comes back as it was journalled.
      *p = u.image;
      if (p->encsub != 8)
        draw(db, -1, u.elm | DB_ONE);
      ++DbCtl[db].count1;
      break;
    case UND_ADDCONT:
      *p = u.image;
      ++DbCtl[db].count1;
      break;
    case UND_CHANGE: {
      const bool intext = p->encsub == 8;
      if (intext)
        roots.touch(db, *p, erase);
      else
        draw(db, erase, u.elm | DB_ONE);
      std::swap(*p, u.image);
      for (std::size_t k = i + 1; k < step.size() && step[k].piece >= 2; ++k)
        if (ElementRecord *c = dtb_ptr(db, int32_t(step[k].elm)))
          std::swap(*c, step[k].image);
      if (!intext && p->subkind != 8)
        draw(db, -1, u.elm | DB_ONE);
      changed = true;
      break;
    }
    case UND_LINK:
      link_exchange(p, u.image);
      changed = true;
      break;
    case UND_DELETE:
      und_selrem(int32_t(u.elm), db);
      if (p->encsub != 8)
        draw(db, erase, u.elm | DB_ONE);
      p->flags |= ELM_ERASED;
      break;
    default:
      break;
    }
  }
  roots.redraw(db);
  if (changed && !step.empty())
    writeback(db, from, step, "rdo_exec3");
  if (!UndJrn[db].open)
    return UND_RESULT;
  if (anchored) {
    j.steps = int32_t(s.anchorsteps);
    j.cur = s.anchorpos;
    s.undo = 1;
    s.redo = 0;
    s.anchor = 0;
  } else {
    j.cur = last;
  }
  return UND_RESULT;
}

int und_init() {
  char folder[262] = "";
  dbs_hooks().workfolder(folder);
  SystemBlock sb;
  sys_sysprm('R', &sb);
  int rc = und_open(0, folder, int32_t(sb.undosize));
  if (rc)
    dbs_hooks().startfail();
  else
    und_strt(0);
  return rc;
}

int und_term() { return und_clos(0); }
