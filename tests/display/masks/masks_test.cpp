#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../../database/dbfixture.h"
#include "display/masks/hidmask.h"
#include "select/selmask.h"

namespace {

constexpr uint16_t ATTR = 0x0911; // pen 1, kind 1, start style 1, end style 1

ElementRecord line(double x1, double y1, double x2, double y2, uint8_t state) {
  ElementRecord r = lin(x1, y1, x2, y2, ATTR);
  hid_setstate(r, state);
  return r;
}

MaskBoxBody body(double x, double y, double w, double h, double a = 0, uint16_t mode = 1) {
  return MaskBoxBody{7, mode, x, y, w, h, a};
}

struct Masks : Store {
  void SetUp() override {
    Store::SetUp();
    ASSERT_EQ(hid_init(), 0);
    SelectionList.count = 0;
    SelectionList.drawing = -1;
  }
  void TearDown() override {
    hid_term();
    Store::TearDown();
  }
  // A masking-text node holding a box; the node's number.
  int32_t text(const MaskBoxBody &b, uint8_t state = 1) {
    ElementRecord n = nod(HID_TEXTSUB);
    n.members = uint16_t(state << 8 | 2);
    const int32_t node = elm_add(0, 0, -1, &n, nullptr);
    EXPECT_GT(node, 0);
    EXPECT_EQ(grp_open(0, node), 0);
    ElementRecord box = proto(MSKBOX);
    hid_setboxbody(box, b);
    box_ = elm_add(0, 0, -1, &box, nullptr);
    EXPECT_GT(box_, 0);
    grp_close(0);
    return node;
  }
  int32_t add(const ElementRecord &r) { return elm_add(0, 0, -1, &r, nullptr); }
  // Live records of kind (top level only when top).
  std::vector<int32_t> live(uint16_t kind, bool top = false) {
    std::vector<int32_t> out;
    for (uint32_t n = 1; n < dtb_end1(0); ++n) {
      ElementRecord r = rec(0, int32_t(n));
      if (!(r.flags & ELM_SKIP) && r.kind == kind && (!top || r.parent == ELM_NONE))
        out.push_back(int32_t(n));
    }
    return out;
  }
  std::vector<int32_t> hidenodes() {
    std::vector<int32_t> out;
    for (int32_t n : live(NOD))
      if (hid_isnode(0, n) == 0)
        out.push_back(n);
    return out;
  }
  std::vector<ElementRecord> children(int32_t node) {
    std::vector<ElementRecord> out;
    for (int32_t c = rec(0, node).nod.child; c > 0 && out.size() < 100; c = rec(0, c).next)
      out.push_back(rec(0, c));
    return out;
  }
  int32_t box_ = 0;
};

// Lookups.

TEST_F(Masks, NodeTestNeedsTheExactName) {
  ElementRecord a = hid_nodeproto(1, 0), b = hid_nodeproto(1, 0), c = hid_nodeproto(1, 0);
  std::memcpy(b.nod.data, "HIDELINEX", 10);
  std::memcpy(c.nod.data, "OTHER", 6);
  const int32_t na = add(a), nb = add(b), nc = add(c);
  EXPECT_EQ(hid_isnode(0, na), 0);
  EXPECT_EQ(hid_isnode(0, nb), 1);
  EXPECT_EQ(hid_isnode(0, nc), 1);
  EXPECT_EQ(hid_isnode(0, 999999), 1);
  EXPECT_EQ(hid_isnode(0, 0), 1);
}

TEST_F(Masks, FindNodeClimbsThroughOtherSubkind16Nodes) {
  const int32_t top = add(hid_nodeproto(1, 1));
  grp_open(0, top);
  ElementRecord mid = hid_nodeproto(0, 0);
  std::memcpy(mid.nod.data, "OTHER", 6);
  const int32_t m = add(mid);
  grp_open(0, m);
  const int32_t l = add(line(0, 0, 1, 1, 1));
  grp_reset(0);
  int32_t node = -5;
  ElementRecord r = rec(0, l);
  EXPECT_EQ(hid_findnode(0, &r, &node), 0);
  EXPECT_EQ(node, top);

  const int32_t plain = add(line(0, 0, 1, 1, 0));
  r = rec(0, plain);
  node = -5;
  EXPECT_EQ(hid_findnode(0, &r, &node), 1);
  EXPECT_EQ(node, -5);

  r.parent = 999999; // names no record
  EXPECT_EQ(hid_findnode(0, &r, &node), -1);

  // Subkind-16 nodes whose parents run in a circle: the climb ends.
  ElementRecord *pm = dtb_ptr(0, m);
  pm->parent = m;
  r = rec(0, l);
  EXPECT_EQ(hid_findnode(0, &r, &node), -1);
}

TEST_F(Masks, MaskMembershipNeedsABox) {
  const int32_t node = text(body(0, 0, 10, 10));
  ElementRecord n = rec(0, node), b = rec(0, box_);
  EXPECT_EQ(hid_ismask(0, &n), 1);
  EXPECT_EQ(hid_ismask(0, &b), 1);
  int32_t box = 0;
  EXPECT_EQ(hid_boxof(0, node, &box), 0);
  EXPECT_EQ(box, box_);

  n.members = 0x0100; // member count 0: no box searched
  dtb_ptr(0, node)->members = 0x0100;
  EXPECT_EQ(hid_boxof(0, node, &box), 1);
  EXPECT_EQ(hid_ismask(0, &n), 0);
  EXPECT_EQ(hid_ismask(0, &b), 0);

  // A member of a group of another subkind.
  const int32_t g = add(nod(5));
  grp_open(0, g);
  const int32_t l = add(line(0, 0, 1, 1, 0));
  grp_close(0);
  ElementRecord lr = rec(0, l);
  EXPECT_EQ(hid_ismask(0, &lr), 0);
}

TEST_F(Masks, OriginalAndMaskCountLookups) {
  const int32_t node = add(hid_nodeproto(2, 4));
  grp_open(0, node);
  ElementRecord o = line(0, 0, 100, 0, 1);
  o.kind = HID_ORIGLIN;
  const int32_t on = add(o);
  int32_t pieces[4];
  const uint32_t owners[4] = {0, 77, 0, 78};
  for (int i = 0; i < 4; ++i) {
    ElementRecord p = line(i * 25, 0, i * 25 + 25, 0, 1);
    hid_setowner(p, owners[i]);
    hid_setpieceno(p, uint32_t(i + 1));
    pieces[i] = add(p);
  }
  grp_close(0);
  int32_t got = 0, gn = 0;
  ElementRecord gr;
  hid_origof(0, node, &got, &gr);
  EXPECT_EQ(got, on);
  EXPECT_EQ(+gr.kind, HID_ORIGLIN);
  ElementRecord pr = rec(0, pieces[2]);
  got = 0;
  hid_nodeorig(0, &pr, &gn, &got);
  EXPECT_EQ(gn, node);
  EXPECT_EQ(got, on);
  int32_t n = on;
  hid_nodeoforig(0, &n);
  EXPECT_EQ(n, node);
  int32_t count = 0;
  ElementRecord nr = rec(0, node);
  EXPECT_EQ(hid_countmasks(0, &nr, &count), 0);
  EXPECT_EQ(count, 2);

  // Selected through its node.
  uint32_t sel[3] = {5, uint32_t(node) | 0x80000000u, 0xFFFFFFFFu};
  const SelectionListRec kept = SelectionList;
  SelectionList = SelectionListRec{sel, 3, 3, 0};
  EXPECT_EQ(hid_selected(0, pieces[0], &pr), 1);
  sel[1] = 0xFFFFFFFFu;
  EXPECT_EQ(hid_selected(0, pieces[0], &pr), 0);
  SelectionList = kept;

  // A child chain that runs in a circle ends the walks.
  dtb_ptr(0, pieces[3])->next = pieces[0];
  nr = rec(0, node);
  EXPECT_EQ(hid_countmasks(0, &nr, &count), 0);
  EXPECT_EQ(count, 2);
  int32_t box;
  EXPECT_EQ(hid_boxofrec(0, &nr, &box), 1);
}

// Box geometry.

TEST(MaskGeometry, CornersAndTinyAngles) {
  MaskQuad q;
  MaskBoxBody b = body(10, 20, 4, 2, 0.0000009);
  hid_corners(&b, &q);
  EXPECT_DOUBLE_EQ(q.c[2].x, 14);
  EXPECT_DOUBLE_EQ(q.c[2].y, 22);
  b.angle = 90;
  hid_corners(&b, &q);
  EXPECT_NEAR(q.c[1].x, 10, 1e-9);
  EXPECT_NEAR(q.c[1].y, 24, 1e-9);
  EXPECT_NEAR(q.c[3].x, 8, 1e-9);
}

TEST(MaskGeometry, Overlaps) {
  struct Case {
    MaskBoxBody a, b;
    int want;
  } cases[] = {
      {body(0, 0, 10, 10), body(0, 0, 10, 10), 1}, // equal
      {body(0, 0, 10, 10), body(4, 4, 2, 2), 1},   // inside, centre inside
      {body(0, 0, 10, 10), body(5, 5, 10, 10), 1}, // edges cross
      {body(0, 0, 10, 10), body(20, 0, 5, 5), 0},  // apart
      {body(0, 0, 10, 10), body(5, -5, 2, 30), 1}, // a bar through it
  };
  for (const Case &c : cases)
    EXPECT_EQ(hid_boxoverlap(&c.a, &c.b), c.want);
  MaskBoxBody off = body(0, 0, 10, 10, 0, 3), b = body(0, 0, 10, 10);
  EXPECT_EQ(hid_boxconflict(&off, &b), 0);
  EXPECT_EQ(hid_boxconflict(&b, &off), 1);
}

struct Split : ::testing::Test {
  void SetUp() override {
    MaskBoxBody b = body(10, 10, 20, 10);
    hid_corners(&b, &HidCurBox);
  }
  int split(const ElementRecord &r, CutResult &res) {
    CutRecord cut;
    std::memset(&cut, 0, sizeof cut);
    cut.rec = r;
    cut.state = 1;
    hid_crossings(&cut);
    crossings = cut.count;
    hid_cutinit(&res, 1);
    return hid_splitkind(&cut, &res);
  }
  uint32_t crossings = 0;
};

TEST_F(Split, LineCrossingTwiceEitherWay) {
  for (bool back : {false, true}) {
    CutResult res;
    ElementRecord r = back ? lin(50, 15, 0, 15) : lin(0, 15, 50, 15);
    ASSERT_EQ(split(r, res), 0);
    ASSERT_EQ(res.count, 3u);
    EXPECT_EQ(res.hidden[0], 0u);
    EXPECT_EQ(res.hidden[1], 1u);
    EXPECT_EQ(res.hidden[2], 0u);
    EXPECT_DOUBLE_EQ(res.piece[0].lin.x2, back ? 30 : 10);
    EXPECT_DOUBLE_EQ(res.piece[1].lin.x1, back ? 30 : 10);
    EXPECT_DOUBLE_EQ(res.piece[1].lin.x2, back ? 10 : 30);
    EXPECT_DOUBLE_EQ(res.piece[2].lin.x2, back ? 0 : 50);
  }
}

TEST_F(Split, LineCases) {
  CutResult res;
  // Ends on the edge: no crossing there; lies inside: one hidden piece.
  EXPECT_EQ(split(lin(10, 15, 20, 15), res), 0);
  EXPECT_EQ(crossings, 0u);
  EXPECT_EQ(res.count, 1u);
  EXPECT_EQ(res.hidden[0], 1u);
  // Through a corner from outside to inside: one crossing after deduplication.
  EXPECT_EQ(split(lin(0, 0, 20, 20), res), 0);
  EXPECT_EQ(crossings, 1u);
  EXPECT_EQ(res.count, 2u);
  EXPECT_EQ(res.hidden[0], 0u);
  EXPECT_EQ(res.hidden[1], 1u);
  // Along an edge: left alone.
  EXPECT_EQ(split(lin(12, 10, 28, 10), res), 1);
  // One crossing, the start on the crossed edge's line: left alone, no empty piece.
  CutRecord cut;
  std::memset(&cut, 0, sizeof cut);
  cut.rec = lin(0, 10, 20, 15);
  cut.count = 1;
  cut.cross[0] = MaskCross{0, 20, 10};
  hid_cutinit(&res, 1);
  EXPECT_EQ(hid_splitline(&cut, &res), 1);
  // One crossing from inside.
  EXPECT_EQ(split(lin(20, 15, 40, 15), res), 0);
  EXPECT_EQ(res.hidden[0], 1u);
  EXPECT_EQ(res.hidden[1], 0u);
}

TEST_F(Split, Arcs) {
  CutResult res;
  ElementRecord c = proto(ARC);
  c.arc = ArcBody{{}, 0, 0, 0, 0, 0, {}};
  c.arc.cx = 20;
  c.arc.cy = 5;
  c.arc.r = 8; // crosses the bottom edge y = 10 twice
  c.arc.start = 0;
  c.arc.end = 360;
  ASSERT_EQ(split(c, res), 0);
  EXPECT_EQ(crossings, 2u);
  ASSERT_EQ(res.count, 2u);
  EXPECT_NE(res.hidden[0], res.hidden[1]);
  // The open arc from 0 to 180 crosses it twice too: three pieces, middle hidden.
  c.arc.end = 180;
  ASSERT_EQ(split(c, res), 0);
  ASSERT_EQ(res.count, 3u);
  EXPECT_EQ(res.hidden[0], 0u);
  EXPECT_EQ(res.hidden[1], 1u);
  EXPECT_EQ(res.hidden[2], 0u);
  EXPECT_NEAR(res.piece[1].arc.start, 38.682, 1e-3);
  EXPECT_NEAR(res.piece[1].arc.end, 141.318, 1e-3);
  // Touching the bottom edge from below: not cut, and outside.
  c.arc.r = 5;
  c.arc.end = 360;
  EXPECT_EQ(split(c, res), 1);
  EXPECT_EQ(crossings, 0u);
}

// Building and releasing.

TEST_F(Masks, CutAndReleaseRestoresTheLineByteForByte) {
  const int32_t node = text(body(10, 10, 20, 10));
  const int32_t l = add(line(0, 15, 50, 15, 1));
  const ElementRecord before = rec(0, l);
  EXPECT_EQ(hid_maskone(0, node), 0);
  EXPECT_TRUE(rec(0, l).flags & ELM_ERASED);
  auto nodes = hidenodes();
  ASSERT_EQ(nodes.size(), 1u);
  const ElementRecord hn = rec(0, nodes[0]);
  EXPECT_EQ(hid_nodemasks(hn), 1u);
  EXPECT_EQ(hid_nodepieces(hn), 3u);
  auto ch = children(nodes[0]);
  ASSERT_EQ(ch.size(), 4u);
  EXPECT_EQ(+ch[0].kind, HID_ORIGLIN);
  const uint16_t attrs[3] = {0x0111, 0x0021, 0x0811}; // start style, hidden kind 2, end style
  for (int i = 0; i < 3; ++i) {
    const ElementRecord &p = ch[std::size_t(i) + 1];
    EXPECT_EQ(hid_pieceno(p), uint32_t(i + 1));
    EXPECT_EQ(hid_attr(p), attrs[i]);
    EXPECT_EQ(hid_owner(p), i == 1 ? uint32_t(node) : 0u);
    EXPECT_EQ(hid_state(p), 1);
  }

  hid_remask1(0, node);
  EXPECT_TRUE(hidenodes().empty());
  auto lines = live(LIN, true);
  ASSERT_EQ(lines.size(), 1u);
  const ElementRecord after = rec(0, lines[0]);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(Masks, ReleasingOneOfTwoBoxesJoinsTheNeighbours) {
  const int32_t a = text(body(10, 10, 20, 10));
  const int32_t b = text(body(40, 10, 20, 10));
  add(line(0, 15, 100, 15, 1));
  hid_maskone(0, a);
  hid_maskone(0, b);
  auto nodes = hidenodes();
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(hid_nodemasks(rec(0, nodes[0])), 2u);
  EXPECT_EQ(hid_nodepieces(rec(0, nodes[0])), 5u);

  hid_remask1(0, a);
  nodes = hidenodes();
  ASSERT_EQ(nodes.size(), 1u);
  const ElementRecord hn = rec(0, nodes[0]);
  EXPECT_EQ(hid_nodemasks(hn), 1u);
  auto ch = children(nodes[0]);
  ASSERT_EQ(ch.size(), 4u);
  EXPECT_EQ(+ch[0].kind, HID_ORIGLIN);
  const double xs[3][2] = {{0, 40}, {40, 60}, {60, 100}};
  for (int i = 0; i < 3; ++i) {
    const ElementRecord &p = ch[std::size_t(i) + 1];
    EXPECT_EQ(hid_pieceno(p), uint32_t(i + 1));
    EXPECT_DOUBLE_EQ(p.lin.x1, xs[i][0]);
    EXPECT_DOUBLE_EQ(p.lin.x2, xs[i][1]);
    EXPECT_EQ(hid_owner(p), i == 1 ? uint32_t(b) : 0u);
  }
  EXPECT_EQ(hid_attr(ch[1]) & 0x0700, 0x0100); // the joined piece keeps the start style

  hid_remask1(0, b);
  EXPECT_TRUE(hidenodes().empty());
  ASSERT_EQ(live(LIN, true).size(), 1u);
}

TEST_F(Masks, HideStatesTwoAndThree) {
  const int32_t node = text(body(10, 10, 20, 10));
  add(line(0, 15, 50, 15, 3));
  add(line(0, 12, 50, 12, 2));
  hid_maskone(0, node);
  // State 3: visible pieces as plain lines, no node.
  auto top = live(LIN, true);
  ASSERT_EQ(top.size(), 2u);
  EXPECT_DOUBLE_EQ(rec(0, top[0]).lin.x2, 10);
  EXPECT_DOUBLE_EQ(rec(0, top[1]).lin.x1, 30);
  // State 2: hidden pieces stored with state 3.
  auto nodes = hidenodes();
  ASSERT_EQ(nodes.size(), 1u);
  auto ch = children(nodes[0]);
  ASSERT_EQ(ch.size(), 4u);
  EXPECT_EQ(hid_state(ch[2]), 3);
  EXPECT_DOUBLE_EQ(ch[2].lin.y1, 12);
}

TEST_F(Masks, NodeMemberIsCutWithoutLosingItsGroup) {
  const int32_t node = text(body(10, 10, 20, 10));
  const int32_t g = add(nod(5));
  grp_open(0, g);
  add(line(0, 15, 50, 15, 1));
  const int32_t other = add(line(0, 50, 50, 50, 1));
  grp_close(0);
  hid_maskone(0, node);
  EXPECT_EQ(hidenodes().size(), 1u);
  EXPECT_FALSE(rec(0, g).flags & ELM_ERASED);
  EXPECT_FALSE(rec(0, other).flags & ELM_ERASED);
}

TEST_F(Masks, AFailedAddLosesNoElement) {
  for (uint32_t room = 4; room <= 7; ++room) { // node, original, pieces: fail at each step
    db_start(room, 256);
    const int32_t node = text(body(10, 10, 20, 10));
    const int32_t l = add(line(0, 15, 50, 15, 1));
    ASSERT_EQ(l, 3);
    const ElementRecord before = rec(0, l);
    hid_maskone(0, node);
    EXPECT_EQ(std::memcmp(&before, dtb_ptr(0, l), sizeof before), 0) << room;
    EXPECT_TRUE(hidenodes().empty()) << room;
    EXPECT_EQ(live(LIN).size(), 1u) << room;
  }
  db_start(8, 256); // room for all of it
  const int32_t node = text(body(10, 10, 20, 10));
  add(line(0, 15, 50, 15, 1));
  hid_maskone(0, node);
  EXPECT_EQ(hidenodes().size(), 1u);
}

TEST_F(Masks, WithoutBuffersNothingChanges) {
  const int32_t node = text(body(10, 10, 20, 10));
  add(line(0, 15, 50, 15, 1));
  hid_maskone(0, node);
  ASSERT_EQ(hidenodes().size(), 1u);
  hid_term();
  EXPECT_EQ(hid_boxesclr(), 1);
  hid_remask1(0, node);
  EXPECT_EQ(hidenodes().size(), 1u);
}

TEST_F(Masks, OverlappingBoxesAndRemaskAll) {
  add(line(0, 15, 50, 15, 1)); // before the texts: masked by either entry
  const int32_t a = text(body(10, 10, 20, 10));
  const int32_t b = text(body(20, 12, 20, 10)); // overlaps a
  const int32_t bbox = box_;
  const int32_t abox = bbox - 2;
  EXPECT_EQ(hid_overlapother(0, abox, a), 1);
  EXPECT_EQ(hid_overlapprev(0, bbox, b - 1), 1); // the box just before the node counts
  EXPECT_EQ(hid_overlapprev(0, abox, a - 1), 0);
  EXPECT_EQ(hid_overlapprev(0, abox, 0), 1); // 0: the whole area
  ASSERT_EQ(hid_boxesclr(), 0);
  EXPECT_EQ(hid_register(0, a, abox), 0);
  EXPECT_EQ(hid_register(0, b, bbox), 1); // the first registered wins
  EXPECT_EQ(hid_nboxes, 1);

  EXPECT_EQ(hid_maskone(0, a), 0);
  EXPECT_EQ(hidenodes().size(), 0u); // a overlaps b: not cut
  EXPECT_EQ(hid_mask(0, a), 0);
  EXPECT_EQ(hidenodes().size(), 1u); // only earlier boxes count
  EXPECT_EQ(hid_remaskall(0), 0);
  auto nodes = hidenodes();
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(hid_nodepieces(rec(0, nodes[0])), 3u);
}

TEST_F(Masks, UnmarkResetsState3) {
  add(line(0, 15, 50, 15, 1));
  const int32_t node = text(body(10, 10, 20, 10), 3);
  hid_mask(0, node);
  EXPECT_EQ(hidenodes().size(), 1u);
  EXPECT_EQ(hid_state(rec(0, node)), 0);
  EXPECT_EQ(hid_boxbody(rec(0, box_)).mode, 0);
}

TEST_F(Masks, MarkBoxSetsTheHideStateOfElementsUnderIt) {
  const int32_t node = text(body(10, 10, 20, 10));
  const int32_t in = add(line(12, 15, 20, 15, 0));
  const int32_t touching = add(line(0, 10, 10, 10, 0)); // meets a corner only
  const int32_t out = add(line(0, 50, 5, 50, 0));
  EXPECT_EQ(hid_markbox(0, node, 2), 0);
  EXPECT_EQ(hid_state(rec(0, in)), 2);
  EXPECT_EQ(hid_state(rec(0, touching)), 2); // fence-walk mode takes touching ones
  EXPECT_EQ(hid_state(rec(0, out)), 0);
  EXPECT_EQ(hid_markbox(0, node, 3), 1);
}

TEST_F(Masks, RejoinBoxReleasesOnlyItsHiddenPieces) {
  const int32_t a = text(body(10, 10, 20, 10));
  add(line(0, 15, 50, 15, 1));
  hid_maskone(0, a);
  ASSERT_EQ(hidenodes().size(), 1u);
  EXPECT_EQ(hid_rejoinbox(0, a), 0);
  EXPECT_TRUE(hidenodes().empty());
  auto lines = live(LIN, true);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_DOUBLE_EQ(rec(0, lines[0]).lin.x2, 50);
}

TEST_F(Masks, ArcCutAndReleaseThroughTheSelection) {
  const int32_t node = text(body(10, 10, 20, 10));
  ElementRecord a = arc(8, 0, 180);
  a.arc.cx = 20;
  a.arc.cy = 5;
  hid_setstate(a, 1);
  const int32_t an = add(a);
  const ElementRecord before = rec(0, an);
  hid_maskone(0, node);
  auto nodes = hidenodes();
  ASSERT_EQ(nodes.size(), 1u);
  auto ch = children(nodes[0]);
  ASSERT_EQ(ch.size(), 4u);
  EXPECT_EQ(+ch[0].kind, HID_ORIGARC);
  EXPECT_EQ(hid_owner(ch[2]), uint32_t(node));
  EXPECT_EQ(hid_pieceno(ch[3]), 3u);

  uint32_t sel[2] = {uint32_t(node), 0xFFFFFFFFu};
  const SelectionListRec kept = SelectionList;
  SelectionList = SelectionListRec{sel, 2, 2, 0};
  hid_remask(0);
  SelectionList = kept;
  EXPECT_TRUE(hidenodes().empty());
  auto arcs = live(ARC, true);
  ASSERT_EQ(arcs.size(), 1u);
  const ElementRecord after = rec(0, arcs[0]);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(Masks, SelectedNodeIsRestoredAndCutAgain) {
  const int32_t node = text(body(10, 10, 20, 10));
  add(line(0, 15, 50, 15, 1));
  hid_maskone(0, node);
  const int32_t hn = hidenodes().at(0);
  uint32_t sel[2] = {uint32_t(hn), 0xFFFFFFFFu};
  const SelectionListRec kept = SelectionList;
  SelectionList = SelectionListRec{sel, 2, 1, 0};
  hid_remasksel(0);
  const uint32_t restored = sel[0];
  SelectionList = kept;
  EXPECT_NE(restored, uint32_t(hn));
  EXPECT_EQ(+rec(0, int32_t(restored)).kind, LIN); // the entry names the restored line
  EXPECT_TRUE(rec(0, hn).flags & ELM_ERASED);
  auto nodes = hidenodes();
  ASSERT_EQ(nodes.size(), 1u); // cut again under the registered box
  EXPECT_EQ(hid_nodepieces(rec(0, nodes[0])), 3u);
}

} // namespace

namespace {

// The fence collection the masks use: a group is taken when all its members are.
struct Fence : Store {
  int32_t add(const ElementRecord &r) { return elm_add(0, 0, ELM_NODRAW, &r, nullptr); }
  int32_t collect() {
    const double square[8] = {0, 0, 100, 0, 100, 100, 0, 100};
    return fnc_collect(4, square, 0, 0, 0);
  }
  bool taken(int32_t n) const {
    for (int32_t i = 0; i < FenceIdList.count; ++i)
      if (FenceIdList.entries[i] == uint32_t(n))
        return true;
    return false;
  }
  void TearDown() override {
    fnc_free();
    Store::TearDown();
  }
};

TEST_F(Fence, GroupIsTakenWhenEveryMemberIs) {
  const int32_t g = add(nod(5));
  grp_open(0, g);
  const int32_t a = add(lin(10, 10, 20, 20));
  const int32_t b = add(lin(30, 30, 40, 40));
  grp_close(0);
  const int32_t h = add(nod(5));
  grp_open(0, h);
  add(lin(10, 50, 20, 50));
  add(lin(150, 50, 200, 50)); // outside the fence
  grp_close(0);
  collect();
  EXPECT_TRUE(taken(g));
  EXPECT_TRUE(taken(a));
  EXPECT_TRUE(taken(b));
  EXPECT_FALSE(taken(h));
}

// Ten nodes each holding a line whose next link is the next node, the last back to
// the first: each group test walks the ring once.
TEST_F(Fence, CraftedMemberRingIsWalkedOnce) {
  int32_t n[10], l[10];
  for (int i = 0; i < 10; ++i) {
    n[i] = add(nod(5));
    l[i] = add(lin(10, 10 + i, 20, 10 + i));
  }
  for (int i = 0; i < 10; ++i) {
    dtb_ptr(0, n[i])->nod.child = l[i];
    dtb_ptr(0, n[i])->next = n[0];
    dtb_ptr(0, l[i])->next = n[(i + 1) % 10];
  }
  EXPECT_EQ(collect(), 20);
  // A node that is its own first member has no members to take, so no group
  // holding it is taken either: only the lines remain.
  dtb_ptr(0, n[3])->nod.child = n[3];
  EXPECT_EQ(collect(), 10);
  for (int i = 0; i < 10; ++i)
    EXPECT_FALSE(taken(n[i])) << i;
}

} // namespace
