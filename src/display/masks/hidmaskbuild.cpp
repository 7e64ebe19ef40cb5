// Building and releasing hidden-line masks: the box table, cutting elements under
// a box into "HIDELINE" nodes, and joining their pieces again when a box goes.
// New records are always added before the old ones are deleted, so a failed add
// leaves the drawing as it was. The old picture is rubbed out before the new
// records draw themselves, so the erase colour never lands on the new pieces.
#include <cstdlib>
#include <cstring>

#include "database/elements.h"
#include "database/groups.h"
#include "database/selection.h"
#include "database/store.h"
#include "display/elements/elmdisp.h"
#include "display/masks/fencecalls.h"
#include "display/masks/hidmask.h"
#include "display/view/view.h"
#include "settings/params.h"

MaskBoxEntry *hid_boxes = nullptr;
int32_t hid_nboxes = 0;
ElementRecord *hid_pieces = nullptr;
int32_t hid_npieces = 0;
FenceCalls FenceCall = {};

namespace {

MaskQuad RelBox;            // the box of the release walk
uint32_t *HidIds = nullptr; // the fence id list while set up

bool dok(int d) { return d == 0 || d == 1; }

bool readrec(int d, int32_t n, ElementRecord *r) {
  if (!elm_islink(n))
    return false;
  return elm_read(d, n, r, nullptr, 0) == 0;
}

bool live(const ElementRecord &r) { return !(r.flags & ELM_SKIP); }
bool isorig(const ElementRecord &r) { return r.kind == HID_ORIGLIN || r.kind == HID_ORIGARC; }
bool masktext(const ElementRecord &r) { return r.kind == NOD && r.subkind == HID_TEXTSUB; }
bool noparticipant(uint8_t s) { return s == 1 || s == 2 || s == 8; }

uint16_t erase_colour() {
  uint16_t map[20] = {};
  sys_colmap('r', map);
  return map[16];
}

// Draws element n (a node with its members) of drawing d in colour in every open
// view; the record stays as it is.
void show(int d, int32_t n, int32_t colour) {
  const int old = dwg_setcur(d);
  dsp_elms(0xFFFF, 0, colour, uint32_t(n) | DSP_ONE, 0);
  dwg_setcur(old);
}

// The area cells rubbed out during one operation: rubbing an element out takes
// the crossings of everything drawn over or under it along, so when the
// outermost operation ends the elements of those cells are drawn again, in
// record order as a redraw draws them.
struct Touched {
  int depth = 0;
  int d = -1;
  uint16_t cells = 0;
  bool any = false, everywhere = false;
} Touch;

struct Repaint {
  explicit Repaint(int d) {
    if (Touch.depth++ == 0)
      Touch = Touched{1, d, 0, false, false};
  }
  ~Repaint() {
    if (--Touch.depth > 0 || !Touch.any)
      return;
    const int d = Touch.d;
    DbControl c[DB_COUNT];
    if (d < 0 || d >= DB_COUNT || dtb_ctrl('r', c) != 0 || c[d].count1 == 0)
      return;
    const int old = dwg_setcur(d);
    dsp_elms(0xFFFF, Touch.everywhere ? 0 : Touch.cells, -1, c[d].base1, int32_t(c[d].count1));
    dwg_setcur(old);
  }
};

// Rubs the picture of element n out; geom is a record with the geometry it
// covers (for a node of pieces, its original).
void rub_out(int d, int32_t n, const ElementRecord &geom, uint16_t erase) {
  show(d, n, erase);
  Touch.any = true;
  if (geom.cells)
    Touch.cells = uint16_t(Touch.cells | geom.cells);
  else
    Touch.everywhere = true; // not wholly on the sheet: its cells say nothing
}

uint32_t area1_end(int d) {
  DbControl c[DB_COUNT];
  if (dtb_ctrl('r', c) != 0)
    return 0;
  return c[d].base1 + c[d].count1;
}

void quad_points(const MaskQuad &q, double out[8]) {
  for (int i = 0; i < 4; ++i) {
    out[2 * i] = q.c[i].x;
    out[2 * i + 1] = q.c[i].y;
  }
}

int32_t collect(const MaskQuad &q, int d, int32_t node, uint32_t flag) {
  double pts[8];
  quad_points(q, pts);
  return fence_collect(4, pts, d, node, flag);
}

int32_t idat(int32_t i) { return int32_t(fence_ids().entries[i]); }

// Ends of a line or the angles of an arc, as two pairs.
struct Ends {
  double a0, a1, b0, b1;
};
Ends ends_of(const ElementRecord &r) {
  if ((r.kind & 7) == ARC)
    return {r.arc.start, 0, r.arc.end, 0};
  return {r.lin.x1, r.lin.y1, r.lin.x2, r.lin.y2};
}
void setstart(ElementRecord &r, double a0, double a1) {
  if ((r.kind & 7) == ARC) {
    r.arc.start = a0;
  } else {
    r.lin.x1 = a0;
    r.lin.y1 = a1;
  }
}
void setend(ElementRecord &r, double b0, double b1) {
  if ((r.kind & 7) == ARC) {
    r.arc.end = b0;
  } else {
    r.lin.x2 = b0;
    r.lin.y2 = b1;
  }
}

constexpr uint16_t KINDBITS = 0x00F0, STARTSTYLE = 0x0700, ENDSTYLE = 0x3800;

// Takes the bits of mask from the word src into dst.
uint16_t takebits(uint16_t dst, uint16_t src, uint16_t mask) { return uint16_t((dst & ~mask) | (src & mask)); }

bool box_body(int d, int32_t box, MaskBoxBody *b) {
  ElementRecord r;
  if (!readrec(d, box, &r))
    return false;
  *b = hid_boxbody(r);
  return true;
}

// The selection entries of drawing d up to the count or the first -1.
template <class F> void each_selected(int d, F f) {
  if (!SelectionList.entries || SelectionList.drawing != d)
    return;
  for (int32_t i = 0; i < SelectionList.count && i < SelectionList.capacity; ++i) {
    const uint32_t e = SelectionList.entries[i];
    if (e == 0xFFFFFFFFu)
      break;
    f(i, int32_t(e & 0x7FFFFFFFu));
  }
}

// A live masking-text node with members, a mask state and a box.
bool active_text(int d, int32_t n, int32_t *box, bool needlive) {
  ElementRecord r;
  if (!readrec(d, n, &r) || (needlive && !live(r)) || !masktext(r))
    return false;
  return hid_nmembers(r) != 0 && hid_state(r) != 0 && hid_boxofrec(d, &r, box) == 0;
}

// Replaces a live "HIDELINE" node by its original; the new number, or 0.
int32_t restore_node(int d, int32_t node, uint16_t colour) {
  int32_t orig = 0;
  ElementRecord o;
  hid_origof(d, node, &orig, &o);
  if (!orig)
    return 0;
  o.kind = uint16_t(o.kind & ~MSKBOX);
  Repaint repaint(d);
  rub_out(d, node, o, colour);
  const int32_t n = elm_add(d, 0, -1, &o, nullptr);
  if (n <= 0) {
    show(d, node, -1);
    return 0;
  }
  elm_delete(d, node, ELM_NODRAW);
  return n;
}

} // namespace

int hid_boxesclr() {
  hid_nboxes = 0;
  if (!hid_boxes)
    return 1;
  std::memset(hid_boxes, 0, sizeof(MaskBoxEntry) * HID_MAXBOXES);
  return 0;
}

int hid_piecesclr() {
  hid_npieces = 0;
  if (!hid_pieces)
    return 1;
  std::memset(hid_pieces, 0, sizeof(ElementRecord) * HID_MAXPIECES);
  return 0;
}

int hid_init() {
  hid_term();
  HidIds = fence_alloc(HID_MAXIDS);
  hid_pieces = static_cast<ElementRecord *>(std::calloc(HID_MAXPIECES, sizeof(ElementRecord)));
  hid_boxes = static_cast<MaskBoxEntry *>(std::calloc(HID_MAXBOXES, sizeof(MaskBoxEntry)));
  hid_nboxes = hid_npieces = 0;
  return HidIds && hid_pieces && hid_boxes ? 0 : 1;
}

void hid_term() {
  if (HidIds)
    fence_release();
  HidIds = nullptr;
  std::free(hid_pieces);
  std::free(hid_boxes);
  hid_pieces = nullptr;
  hid_boxes = nullptr;
  hid_nboxes = hid_npieces = 0;
}

int hid_register(int d, int32_t node, int32_t box) {
  MaskBoxBody b;
  if (!box_body(d, box, &b) || !hid_boxes || hid_nboxes >= HID_MAXBOXES)
    return 1;
  MaskQuad q;
  hid_corners(&b, &q);
  for (int32_t i = 0; i < hid_nboxes; ++i)
    if (hid_quadoverlap(&hid_boxes[i].quad, &q))
      return 1; // the first registered wins
  hid_boxes[hid_nboxes++] = MaskBoxEntry{uint32_t(node), uint32_t(box), q};
  return 0;
}

static void remask_one(int d, int32_t n, bool needlive) {
  int32_t box;
  if (!active_text(d, n, &box, needlive))
    return;
  if (hid_boxesclr() == 0) {
    hid_register(d, n, box);
    hid_release(d, n);
  }
}

void hid_remask(int d) {
  if (!dok(d))
    return;
  Repaint repaint(d);
  each_selected(d, [&](int32_t, int32_t n) { remask_one(d, n, true); });
}

void hid_remask1(int d, int32_t elm) {
  Repaint repaint(d);
  if (dok(d))
    remask_one(d, elm, false);
}

int hid_overlapprev(int d, int32_t box, int32_t limit) {
  MaskBoxBody b;
  const uint32_t end = dok(d) ? area1_end(d) : 0;
  if (!end || !box_body(d, box, &b))
    return -1;
  // Up to the limit itself: the box of the text just before a node is its node - 1.
  const uint32_t stop = limit > 0 ? uint32_t(limit) + 1 : end;
  for (uint32_t n = 1; n < stop && n < end; ++n) {
    const ElementRecord *p = dtb_get(d, int32_t(n));
    if (!p || !live(*p) || p->kind != MSKBOX || int32_t(n) == box)
      continue;
    const MaskBoxBody o = hid_boxbody(*p);
    if (hid_boxconflict(&b, &o))
      return 1;
  }
  return 0;
}

int hid_overlapother(int d, int32_t box, int32_t node) {
  MaskBoxBody b;
  if (!dok(d) || box <= 0 || node <= 0)
    return -1;
  const uint32_t end = area1_end(d);
  if (!end || !box_body(d, box, &b))
    return -1;
  for (uint32_t n = 1; n < end; ++n) {
    const ElementRecord *p = dtb_get(d, int32_t(n));
    if (!p || !live(*p) || p->kind != MSKBOX || p->parent == node || int32_t(n) == box)
      continue;
    const MaskBoxBody o = hid_boxbody(*p);
    if (hid_boxconflict(&b, &o))
      return 1;
  }
  return 0;
}

int hid_unmark(int d, int32_t node) {
  ElementRecord r, b;
  int32_t box;
  if (!readrec(d, node, &r) || hid_nmembers(r) == 0 || hid_state(r) != 3)
    return 0;
  if (hid_boxofrec(d, &r, &box) == 0 && readrec(d, box, &b)) {
    MaskBoxBody body = hid_boxbody(b);
    body.mode = 0;
    hid_setboxbody(b, body);
    elm_update(d, box, 0, ELM_NODRAW, &b, nullptr);
  }
  hid_setstate(r, 0);
  elm_update(d, node, 0, ELM_NODRAW, &r, nullptr);
  return 0;
}

int hid_maskone(int d, int32_t node) {
  if (!dok(d) || node < 1)
    return 1;
  Repaint repaint(d);
  int32_t box;
  if (hid_boxof(d, node, &box) == 0 && hid_overlapother(d, box, node) == 0)
    hid_cutbox(d, node, box, 0);
  return 0;
}

int hid_mask(int d, int32_t node) {
  Repaint repaint(d);
  int32_t box;
  if (dok(d) && hid_boxof(d, node, &box) == 0 && hid_overlapprev(d, box, node - 1) == 0) {
    hid_cutbox(d, node, box, 1);
    hid_unmark(d, node);
  }
  return 0;
}

// The node's box as the quadrilateral q; false when it cannot be had.
static bool node_quad(int d, int32_t node, MaskQuad *q) {
  int32_t box;
  MaskBoxBody b;
  if (hid_boxof(d, node, &box) != 0 || !box_body(d, box, &b))
    return false;
  hid_corners(&b, q);
  return true;
}

int hid_markbox(int d, int32_t node, int mode) {
  MaskQuad q;
  if (!dok(d) || node < 1 || (mode != 1 && mode != 2) || !node_quad(d, node, &q))
    return 1;
  fence_walk(true);
  const int32_t count = collect(q, d, node, 0);
  fence_walk(false);
  for (int32_t i = 0; i < count && idat(i) != 0; ++i) {
    ElementRecord r;
    if (!readrec(d, idat(i), &r))
      break;
    hid_setstate(r, uint8_t(mode));
    if (elm_update(d, idat(i), 0, -1, &r, nullptr) != 0)
      break;
  }
  return 0;
}

int hid_cutbox(int d, int32_t node, int32_t box, uint32_t flag) {
  Repaint repaint(d);
  MaskBoxBody b;
  if (!dok(d) || !box_body(d, box, &b))
    return 0;
  hid_corners(&b, &HidCurBox);
  const int32_t count = collect(HidCurBox, d, node, flag);
  hid_cutlist(d, node, count);
  return 0;
}

int hid_cutlist(int d, int32_t node, int32_t count) {
  for (int32_t i = 0; i < count && i < fence_ids().capacity && idat(i) > 0; ++i) {
    const int32_t id = idat(i);
    ElementRecord r;
    if (!readrec(d, id, &r) || !live(r) || noparticipant(r.subkind) || noparticipant(r.encsub))
      continue;
    int32_t hnode = 0;
    const int f = hid_findnode(d, &r, &hnode);
    if (f == -1)
      continue;
    if (f != 0)
      hnode = 0;
    if (r.kind == LIN || r.kind == ARC)
      hid_cutelm(d, node, hnode, id, &r);
  }
  return 0;
}

int hid_cutelm(int d, int32_t owner, int32_t hnode, int32_t elm, const ElementRecord *) {
  ElementRecord r;
  if (!readrec(d, elm, &r))
    return 1;
  const uint8_t state = hid_state(r);
  if (state == 3 && hnode > 0)
    return 0;
  static CutRecord cut; // large work records: one masking run at a time
  static CutResult res;
  static CutJob job;
  std::memset(&cut, 0, sizeof cut);
  cut.elm = uint32_t(elm);
  cut.state = state;
  cut.rec = r;
  hid_crossings(&cut);
  std::memset(&job, 0, sizeof job);
  job.owner = uint32_t(owner);
  job.hasnode = hnode > 0;
  job.node = hnode > 0 ? uint32_t(hnode) : 0;
  job.elm = uint32_t(elm);
  job.rec = r;
  hid_cutinit(&res, state);
  if (hid_splitkind(&cut, &res) != 0)
    return 1;
  return hid_write(d, &job, &res) == 0 ? 0 : 1;
}

void hid_pieceattr(const ElementRecord *elm, CutResult *res) {
  const uint16_t a = hid_attr(*elm);
  for (uint32_t k = 0; k < res->count && k < HID_MAXCUT; ++k) {
    ElementRecord &p = res->piece[k];
    p.kind = elm->kind;
    p.layer = elm->layer;
    uint16_t w = a;
    if (res->hidden[k])
      w = uint16_t((w & ~KINDBITS) | 0x20);
    if (res->count > 1) {
      if (k > 0)
        w &= uint16_t(~STARTSTYLE);
      if (k + 1 < res->count)
        w &= uint16_t(~ENDSTYLE);
    }
    hid_setattr(p, w);
  }
}

// Loads an existing node's original into the job and its other pieces into the
// piece buffer. 0, or 1 when the node cannot be rebuilt.
static int loadnode(int d, CutJob *job, uint32_t *masks) {
  hid_npieces = 0;
  if (!hid_pieces)
    return 1; // the other pieces would be lost
  ElementRecord node;
  if (!readrec(d, int32_t(job->node), &node))
    return 1;
  *masks = hid_nodemasks(node);
  int32_t c = node.nod.child;
  uint32_t budget = dtb_used(d) + 1;
  while (elm_islink(c) && budget--) {
    ElementRecord r;
    if (!readrec(d, c, &r))
      return 1;
    if (c == int32_t(job->elm)) {
    } else if (isorig(r)) {
      job->orig = uint32_t(c);
      job->origrec = r;
    } else {
      if (hid_npieces >= HID_MAXPIECES)
        return 1;
      hid_pieces[hid_npieces++] = r;
    }
    c = r.next;
  }
  return job->orig ? 0 : 1;
}

int hid_write(int d, CutJob *job, CutResult *res) {
  if (res->state == 0)
    return 0;
  uint32_t masks = 0;
  hid_pieceattr(&job->rec, res);
  const uint16_t erase = erase_colour();
  hid_npieces = 0;
  const bool hadnode = job->hasnode != 0;
  if (hadnode && loadnode(d, job, &masks) != 0)
    return 1;
  const uint32_t p = hadnode ? hid_pieceno(job->rec) : 0;
  const uint32_t before = p >= 1 && p - 1 <= uint32_t(hid_npieces) ? p - 1 : 0;
  const bool makenode = res->state != 3;
  const int32_t old = hadnode ? int32_t(job->node) : int32_t(job->elm);
  Repaint repaint(d);
  rub_out(d, old, hadnode ? job->origrec : job->rec, erase);

  int32_t node = 0;
  int32_t added[HID_MAXCUT]; // plain pieces, for taking them back
  int nadded = 0;
  if (makenode) {
    grp_reset(d);
    const ElementRecord proto = hid_nodeproto(masks + 1, res->count + uint32_t(hid_npieces));
    node = elm_add(d, 0, ELM_NODRAW, &proto, nullptr);
    if (node <= 0) {
      show(d, old, -1);
      return 1;
    }
    if (grp_open(d, node) != 0) {
      elm_delete(d, node, ELM_NODRAW);
      show(d, old, -1);
      return 1;
    }
  }
  auto fail = [&]() {
    if (makenode) {
      grp_close(d);
      elm_delete(d, node, erase);
    }
    for (int i = 0; i < nadded; ++i)
      elm_delete(d, added[i], erase);
    show(d, old, -1);
    return 1010;
  };
  auto add = [&](const ElementRecord &r) {
    const int32_t n = elm_add(d, 0, -1, &r, nullptr);
    if (n > 0 && !makenode && nadded < HID_MAXCUT)
      added[nadded++] = n;
    return n > 0;
  };
  uint32_t number = 1;
  if (makenode) {
    ElementRecord orig = hadnode ? job->origrec : job->rec;
    orig.kind = uint16_t(orig.kind | MSKBOX);
    if (!add(orig))
      return fail();
  }
  for (uint32_t i = 0; hadnode && i < before; ++i) {
    hid_setpieceno(hid_pieces[i], number++);
    if (!add(hid_pieces[i]))
      return fail();
  }
  for (uint32_t k = 0; k < res->count && k < HID_MAXCUT; ++k) {
    ElementRecord pc = res->piece[k];
    if (res->hidden[k]) {
      if (res->state == 3)
        continue;
      hid_setstate(pc, res->state == 2 ? 3 : 1);
      hid_setowner(pc, job->owner);
    }
    hid_setpieceno(pc, number++);
    if (!add(pc))
      return fail();
  }
  for (int32_t i = int32_t(before); hadnode && i < hid_npieces; ++i) {
    hid_setpieceno(hid_pieces[i], number++);
    if (!add(hid_pieces[i]))
      return fail();
  }
  if (makenode)
    grp_close(d);
  elm_delete(d, old, ELM_NODRAW);
  return 0;
}

int hid_eligible(int d, int32_t id) {
  ElementRecord r;
  if (!readrec(d, id, &r) || !live(r))
    return 0;
  if (r.parent > 0 && (r.kind == MSKBOX || isorig(r)))
    return 0;
  int32_t node = 0;
  if (hid_findnode(d, &r, &node) == 0) {
    bool sel = false;
    each_selected(d, [&](int32_t, int32_t n) { sel = sel || n == node; });
    if (sel)
      return 0;
  }
  return 1;
}

int hid_release(int d, int32_t node) {
  if (!dok(d) || !hid_boxes)
    return 0;
  Repaint repaint(d);
  for (int32_t b = 0; b < hid_nboxes; ++b) {
    RelBox = hid_boxes[b].quad;
    const int32_t count = collect(RelBox, d, node, 0);
    for (int32_t i = 0; i < count && idat(i) != 0; ++i)
      if (hid_eligible(d, idat(i)))
        hid_rejoin(d, idat(i));
  }
  return 0;
}

// Rebuilds the node of a piece without it into the piece buffer; the mask count
// and the original. 0, or 1 when the node cannot be rebuilt.
static int rejoinpieces(int d, const ElementRecord &piece, int32_t piecen, const ElementRecord &node, int32_t *c,
                        ElementRecord *orig) {
  if (hid_countmasks(d, &node, c) != 0)
    *c = 1;
  hid_npieces = 0;
  if (*c != 1 && !hid_pieces)
    return 1;
  const uint32_t k = hid_pieceno(piece);
  const uint32_t total = hid_nodepieces(node);
  Ends o{}, held{};
  bool haveorig = false, holding = false;
  uint16_t heldattr = 0;
  int32_t ch = node.nod.child;
  uint32_t budget = dtb_used(d) + 1;
  while (elm_islink(ch) && budget--) {
    ElementRecord r;
    if (!readrec(d, ch, &r))
      return 1;
    const int32_t next = r.next;
    if (isorig(r)) {
      o = ends_of(r);
      *orig = r;
      haveorig = true;
      if (*c == 1)
        break;
    } else if (ch == piecen) {
    } else if (hid_npieces >= HID_MAXPIECES) {
      return 1;
    } else if (haveorig && k <= 1 && hid_npieces == 0) {
      setstart(r, o.a0, o.a1);
      hid_setattr(r, takebits(hid_attr(r), hid_attr(*orig), KINDBITS | STARTSTYLE));
      hid_setpieceno(r, 1);
      hid_pieces[hid_npieces++] = r;
    } else if (haveorig && total < k + 1 && uint32_t(hid_npieces) + 2 == total) {
      setend(r, o.b0, o.b1);
      hid_setattr(r, takebits(hid_attr(r), hid_attr(*orig), KINDBITS | ENDSTYLE));
      hid_setpieceno(r, uint32_t(hid_npieces) + 1);
      hid_pieces[hid_npieces++] = r;
      break;
    } else if (k >= 1 && hid_pieceno(r) == k - 1) {
      held = ends_of(r);
      heldattr = hid_attr(r);
      holding = true;
    } else {
      if (holding && hid_pieceno(r) == k + 1) {
        setstart(r, held.a0, held.a1); // the two neighbours become one piece
        hid_setattr(r, takebits(hid_attr(r), heldattr, STARTSTYLE));
      }
      hid_setpieceno(r, uint32_t(hid_npieces) + 1);
      hid_pieces[hid_npieces++] = r;
    }
    ch = next;
  }
  return haveorig ? 0 : 1;
}

int hid_rejoin(int d, int32_t piecen) {
  ElementRecord piece, node, orig;
  if (!dok(d) || !readrec(d, piecen, &piece) || !live(piece) || piece.parent < 1)
    return 1;
  const int32_t nodenum = piece.parent;
  if (!readrec(d, nodenum, &node) || !live(node) || hid_isnode(d, nodenum) != 0)
    return 1;
  int32_t c = 1;
  if (rejoinpieces(d, piece, piecen, node, &c, &orig) != 0)
    return 1;
  const uint16_t erase = erase_colour();
  Repaint repaint(d);
  rub_out(d, nodenum, orig, erase);
  if (c == 1) {
    orig.kind = uint16_t(orig.kind & ~MSKBOX);
    if (elm_add(d, 0, -1, &orig, nullptr) <= 0) {
      show(d, nodenum, -1);
      return 1;
    }
    elm_delete(d, nodenum, ELM_NODRAW);
    return 0;
  }
  grp_reset(d);
  const ElementRecord proto = hid_nodeproto(uint32_t(c - 1), uint32_t(hid_npieces));
  const int32_t nn = elm_add(d, 0, ELM_NODRAW, &proto, nullptr);
  if (nn <= 0) {
    show(d, nodenum, -1);
    return 1;
  }
  bool ok = grp_open(d, nn) == 0 && elm_add(d, 0, -1, &orig, nullptr) > 0;
  for (int32_t i = 0; ok && i < hid_npieces; ++i)
    ok = elm_add(d, 0, -1, &hid_pieces[i], nullptr) > 0;
  grp_close(d);
  if (!ok) {
    elm_delete(d, nn, erase);
    show(d, nodenum, -1);
    return 1;
  }
  elm_delete(d, nodenum, ELM_NODRAW);
  return 0;
}

int hid_rejoinbox(int d, int32_t node) {
  MaskQuad q;
  if (!dok(d) || node < 1 || !node_quad(d, node, &q))
    return 1;
  Repaint repaint(d);
  fence_walk(true);
  const int32_t count = collect(q, d, node, 0);
  fence_walk(false);
  for (int32_t i = 0; i < count && idat(i) != 0; ++i) {
    ElementRecord r;
    // Only the pieces this box hides: the visible ones touching it stay.
    if (readrec(d, idat(i), &r) && (r.kind == LIN || r.kind == ARC) && hid_owner(r) == uint32_t(node))
      hid_rejoin(d, idat(i));
  }
  return 0;
}

void hid_registerall(int d) {
  const uint32_t end = dok(d) ? area1_end(d) : 0;
  for (uint32_t n = 1; n < end; ++n) {
    const ElementRecord *p = dtb_get(d, int32_t(n));
    if (p && live(*p) && p->kind == MSKBOX && hid_boxbody(*p).mode != 0)
      hid_register(d, p->parent, int32_t(n));
  }
}

// Registers every active box and cuts under each registered one. 1 when none
// got registered.
static int recut(int d) {
  hid_registerall(d);
  if (hid_nboxes == 0)
    return 1;
  for (int32_t i = 0; i < hid_nboxes && hid_boxes[i].node > 0; ++i) {
    int32_t box;
    const int32_t node = int32_t(hid_boxes[i].node);
    if (active_text(d, node, &box, true))
      hid_cutbox(d, node, int32_t(hid_boxes[i].box), 0);
  }
  return 0;
}

int hid_remaskall(int d) {
  if (!dok(d))
    return 1;
  Repaint repaint(d);
  const uint16_t erase = erase_colour();
  const uint32_t end = area1_end(d);
  if (end <= 1)
    return 1;
  for (uint32_t n = 1; n < end; ++n) {
    const ElementRecord *p = dtb_get(d, int32_t(n));
    if (p && live(*p) && hid_isnode(d, int32_t(n)) == 0)
      restore_node(d, int32_t(n), erase);
  }
  if (hid_boxesclr() != 0)
    return 0;
  return recut(d);
}

void hid_remasksel(int d) {
  if (!dok(d))
    return;
  Repaint repaint(d);
  const uint16_t erase = erase_colour();
  each_selected(d, [&](int32_t i, int32_t n) {
    int32_t box;
    ElementRecord r;
    if (active_text(d, n, &box, true)) {
      hid_release(d, n);
    } else if (readrec(d, n, &r) && live(r) && hid_isnode(d, n) == 0) {
      if (const int32_t m = restore_node(d, n, erase))
        SelectionList.entries[i] = uint32_t(m);
    }
  });
  if (hid_boxesclr() == 0)
    recut(d);
}

void hid_registersel(int d) {
  if (!dok(d) || hid_boxesclr() != 0)
    return;
  each_selected(d, [&](int32_t, int32_t n) {
    int32_t box;
    if (active_text(d, n, &box, true))
      hid_register(d, n, box);
  });
}
