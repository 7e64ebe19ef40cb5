// Element display: a store drawn into a view backed by pixels.
#include "display/elements/elmdisp_win.h"

#include <cstring>
#include <string>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/view/drawprim.h"
#include "display/fonts/fontfile.h"
#include "display/fonts/strdraw.h"
#include "../drawfix.h"
#include "select/sellist.h"
#include "settings/winutil.h"
#include "../../database/dbstart.h"

namespace {

ElementRecord blank(uint16_t kind, uint8_t layer = 1) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = layer;
  return r;
}
// Pen p, line kind 1.
ElementRecord line(double x1, double y1, double x2, double y2, uint16_t attr = 0x13) {
  ElementRecord r = blank(LIN);
  r.lin = {x1, y1, x2, y2, attr, {}};
  return r;
}
ElementRecord arc(double cx, double cy, double rad, double s, double e, uint16_t attr = 0x13) {
  ElementRecord r = blank(ARC);
  r.arc = {cx, cy, rad, s, e, attr, {}};
  return r;
}
ElementRecord node(uint8_t subkind, const char *name = "") {
  ElementRecord r = blank(NOD);
  r.subkind = subkind;
  std::strncpy(reinterpret_cast<char *>(r.nod.data), name, sizeof r.nod.data);
  return r;
}

class Elms : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(20000, 500);
    LayerHiliteMode = 0;
    PieceSkipRange = {0, 0};
  }
  void TearDown() override {
    gdi_realcalls();
    dtb_term();
    LayerHiliteMode = 0;
    DrawView::TearDown();
  }

public:
  int32_t add(const ElementRecord &r, const char *s = nullptr) {
    const int32_t n = elm_add(0, 0, ELM_NODRAW, &r, s);
    EXPECT_GT(n, 0);
    return n;
  }
  // Line n of a ladder: horizontal at world y = n, x 10..90.
  int32_t rung(int n, uint16_t attr = 0x13) { return add(line(10, n, 90, n, attr)); }
  bool row_inked(int y) const { return ink_at(100, H - 2 * y); }
  int32_t all() const { return int32_t(dtb_end1(0) - 1); }
};

TEST_F(Elms, ListWalkDrawsUntilTheEndMark) {
  for (int i = 1; i <= 9; i++)
    rung(2 * i);
  const int32_t list[5] = {5, -1, 7, -2, 9};
  EXPECT_EQ(dsp_elms(1, 0, -1, 0, 5, list), 0);
  for (int i = 1; i <= 9; i++)
    EXPECT_EQ(row_inked(2 * i), i == 5 || i == 7) << i;
  EXPECT_EQ(dsp_elms(1, 0, -1, 0, 0, list), 0); // count 0 draws nothing
  EXPECT_EQ(dsp_elms(1, 0, -1, 0, 5, nullptr), 0);
}

TEST_F(Elms, RangeWalkCullsFiltersAndColours) {
  add(line(10, 10, 90, 10));       // pen 3
  add(line(10, 20, 90, 20, 0x10)); // pen 0: drawn as pen 1
  add(line(200, 30, 300, 30));     // outside the view
  ElementRecord off = line(10, 30, 90, 30);
  off.layer = 7;
  add(off);
  uint16_t states[64];
  uint16_t cur;
  sys_layer('r', 0, &cur, states);
  states[7] = 0;
  sys_layer('w', 0, &cur, states);
  ElementRecord pnt = blank(PNT);
  pnt.pnt.x = 50, pnt.pnt.y = 40, pnt.pnt.attr = 0x15;
  add(pnt);
  add(line(30.1, 5, 30.2, 5.1)); // one pixel
  rec_start();
  dsp_elms(1, 0, -1, 1, all());
  EXPECT_EQ(canvas.at(100, 80), colour_px(2));
  EXPECT_EQ(canvas.at(100, 60), colour_px(0));
  EXPECT_FALSE(row_inked(30));
  EXPECT_EQ(canvas.at(100, 20), colour_px(4));
  EXPECT_EQ(rec.pixels.size(), 1u);
  EXPECT_EQ(canvas.at(60, 90), colour_px(2));
  // An explicit colour overrides every pen; the erase colour removes what was drawn.
  dsp_elms(1, 0, 9, 1, all());
  EXPECT_EQ(canvas.at(100, 80), colour_px(9));
  EXPECT_EQ(canvas.at(100, 60), colour_px(9));
  dsp_elms(1, 0, 16, 1, all());
  EXPECT_EQ(inked(), 0);
}

TEST_F(Elms, CellFilterSkipsElementsOfOtherCells) {
  ElementRecord a = line(10, 10, 90, 10);
  const int32_t n = add(a);
  dtb_ptr(0, n)->cells = 0x0001;
  dsp_elms(1, 0x0002, -1, uint32_t(n), 1);
  EXPECT_EQ(inked(), 0);
  dsp_elms(1, 0x0003, -1, uint32_t(n), 1);
  EXPECT_GT(inked(), 0);
}

TEST_F(Elms, LayerEmphasisColoursOtherLayers) {
  ElementRecord a = line(10, 10, 90, 10);
  a.layer = 0;
  add(a);
  add(line(10, 20, 90, 20)); // layer 1, not the current layer 0
  LayerHiliteMode = 1;
  dsp_elms(1, 0, -1, 1, 2);
  EXPECT_EQ(canvas.at(100, 80), colour_px(2));
  EXPECT_EQ(canvas.at(100, 60), colour_px(19));
  dsp_elms(1, 0, 5, 1, 2);
  EXPECT_EQ(canvas.at(100, 60), colour_px(5));
}

TEST_F(Elms, GroupsAreDescendedOnlyForOneElementWalks) {
  const int32_t outer = add(node(1));
  ASSERT_EQ(grp_open(0, outer), 0);
  rung(10);
  const int32_t inner = add(node(1));
  ASSERT_EQ(grp_open(0, inner), 0);
  rung(20);
  grp_close(0);
  rung(30);
  grp_close(0);
  dsp_elms(1, 0, -1, uint32_t(outer), 1); // a range: the node itself draws nothing
  EXPECT_EQ(inked(), 0);
  dsp_elms(1, 0, -1, uint32_t(outer) | DSP_ONE, 0);
  EXPECT_TRUE(row_inked(10));
  EXPECT_TRUE(row_inked(20));
  EXPECT_TRUE(row_inked(30));
}

TEST_F(Elms, FilledNodeIsFilledInTheFillColourOfItsPen) {
  const int32_t g = add(node(8)); // a filled region: one closed chain
  ASSERT_EQ(grp_open(0, g), 0);
  ASSERT_EQ(grp_open(0, add(node(5))), 0);
  add(arc(50, 25, 15, 0, 360)); // pen 3
  grp_close(0);
  grp_close(0);
  EXPECT_EQ(inked(), 0);
  FillBlock saved, fb;
  sys_paint('r', 0, &saved);
  fb = saved;
  fb.colour[2] = RGB(0, 0, 200); // the drawing's fill colour 3
  sys_paint('w', 0, &fb);
  dsp_elms(1, 0, -1, uint32_t(g) | DSP_ONE, 0);
  sys_paint('w', 0, &saved);
  EXPECT_EQ(canvas.at(100, 50), 200u);     // the centre, inside the circle
  EXPECT_EQ(canvas.at(10, 10), 0xFFFFFFu); // outside stays paper
}

TEST_F(Elms, CycleInASiblingChainEnds) {
  const int32_t g = add(node(1));
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t a = rung(10);
  const int32_t b = rung(20);
  grp_close(0);
  dtb_ptr(0, b)->next = a; // a -> b -> a ...
  dsp_elms(1, 0, -1, uint32_t(g), 0);
  EXPECT_TRUE(row_inked(10));
  EXPECT_TRUE(row_inked(20));
  // A node that is its own member: its chain ends where it meets itself.
  dtb_ptr(0, g)->nod.child = g;
  rec_start();
  dsp_elms(1, 0, -1, uint32_t(g), 0);
  EXPECT_TRUE(rec.lines.empty());
}

// Member chains as a damaged or crafted seal file may hold them: every walk that
// descends (drawing, highlight, an XOR preview) draws each record once and ends.
struct Crafted {
  int32_t self = 0;  // a node whose chain runs through two lines back into itself
  int32_t first = 0; // ten nodes each holding one line whose next is the next node
};
Crafted crafted(Elms *t, int32_t (Elms::*add)(const ElementRecord &, const char *)) {
  Crafted c;
  c.self = (t->*add)(node(1), nullptr);
  const int32_t a = (t->*add)(line(10, 2, 90, 2), nullptr), b = (t->*add)(line(10, 4, 90, 4), nullptr);
  int32_t n[10], l[10];
  for (int i = 0; i < 10; i++) {
    n[i] = (t->*add)(node(1), nullptr);
    l[i] = (t->*add)(line(10, 10 + 3 * i, 90, 10 + 3 * i), nullptr);
  }
  dtb_ptr(0, c.self)->nod.child = c.self; // its own first member ...
  dtb_ptr(0, c.self)->next = a;           // ... followed by the lines, then itself again
  dtb_ptr(0, a)->next = b;
  dtb_ptr(0, b)->next = c.self;
  for (int i = 0; i < 10; i++) {
    dtb_ptr(0, n[i])->nod.child = l[i];
    dtb_ptr(0, n[i])->next = n[0];
    dtb_ptr(0, l[i])->next = n[(i + 1) % 10];
  }
  c.first = n[0];
  return c;
}

TEST_F(Elms, CraftedGroupsDrawEachRecordOnce) {
  const Crafted c = crafted(this, &Elms::add);
  struct Case {
    const char *what;
    int32_t colour;
    size_t per_line; // polylines per line drawn: an XOR colour draws twice
  } cases[] = {{"draw", -1, 1}, {"erase", 16, 1}, {"preview", 5 | DRW_XOR, 2}};
  for (const Case &k : cases) {
    rec_start();
    dsp_elms(1, 0, k.colour, uint32_t(c.self) | DSP_ONE, 0);
    EXPECT_EQ(rec.lines.size(), 0u) << k.what; // the node meets itself first: its chain ends there
    rec.clear();
    dsp_elms(1, 0, k.colour, uint32_t(c.first) | DSP_ONE, 0);
    EXPECT_EQ(rec.lines.size(), 10 * k.per_line) << k.what;
    rec.clear();
    const int32_t list[3] = {c.first, c.self, -2}; // both in one walk
    dsp_elms(1, 0, k.colour, 0, 3, list);
    EXPECT_EQ(rec.lines.size(), 10 * k.per_line) << k.what;
    rec_stop();
  }
  // The highlight of a selection holding them.
  uint32_t ids[2] = {uint32_t(c.first), uint32_t(c.self)};
  SelectionListRec saved = SelectionList;
  SelectionList.entries = ids;
  SelectionList.count = 2;
  SelectionList.drawing = 0;
  rec_start();
  EXPECT_EQ(hil_redraw(0, 14), 0);
  EXPECT_EQ(rec.lines.size(), 10u);
  EXPECT_EQ(canvas.at(100, 100 - 2 * 10), colour_px(14));
  SelectionList = saved;
  // A chain that loops back into its own member through the next links.
  dtb_ptr(0, c.self)->nod.child = dtb_ptr(0, c.self)->next;
  rec.clear();
  dsp_elms(1, 0, -1, uint32_t(c.self) | DSP_ONE, 0);
  EXPECT_EQ(rec.lines.size(), 2u);
}

TEST_F(Elms, CloudformParentGivesWidth12) {
  const int32_t g = add(node(1, "CLOUDFORM"));
  ASSERT_EQ(grp_open(0, g), 0);
  add(arc(50, 25, 10, 0, 180, 0x11));
  grp_close(0);
  rec_start();
  dsp_elms(1, 0, -1, uint32_t(g), 0);
  EXPECT_EQ(PenCache.width, 12);
  const int32_t h = add(node(1, "CLOUDFORX"));
  ASSERT_EQ(grp_open(0, h), 0);
  add(arc(50, 25, 10, 0, 180, 0x11));
  grp_close(0);
  dsp_elms(1, 0, -1, uint32_t(h), 0);
  EXPECT_EQ(PenCache.width, 0);
}

// A hidden-line group as seal files carry it: the node, the masked original and
// three pieces; the pieces copy the original's hide state 2, the middle one is hidden.
struct HideFixture {
  int32_t node, orig, p[3];
};
HideFixture hide_group(Elms *t, int32_t (Elms::*add)(const ElementRecord &, const char *)) {
  HideFixture f;
  ElementRecord n = node(16, "HIDELINE");
  f.node = (t->*add)(n, nullptr);
  grp_open(0, f.node);
  ElementRecord o = line(10, 25, 90, 25);
  o.kind = LIN | MSKBOX;
  o.members = 0x0200;
  f.orig = (t->*add)(o, nullptr);
  const double xs[4] = {10, 40, 60, 90};
  for (int i = 0; i < 3; i++) {
    ElementRecord p = line(xs[i], 25, xs[i + 1], 25);
    f.p[i] = (t->*add)(p, nullptr);
    ElementRecord *q = dtb_ptr(0, f.p[i]);
    q->members = i == 1 ? 0x0300 : 0x0200;
    const uint32_t piece = uint32_t(i + 1), owner = i == 1 ? 77u : 0u;
    std::memcpy(reinterpret_cast<uint8_t *>(q) + 54, &piece, 4);
    std::memcpy(reinterpret_cast<uint8_t *>(q) + 58, &owner, 4);
  }
  grp_close(0);
  return f;
}

TEST_F(Elms, HiddenLinePiecesShowExceptTheHiddenOne) {
  const HideFixture f = hide_group(this, &Elms::add);
  rec_start();
  dsp_elms(1, 0, -1, 1, all()); // range: through the original, pieces once
  EXPECT_EQ(rec.lines.size(), 2u);
  EXPECT_TRUE(ink_at(50, 50));
  EXPECT_FALSE(ink_at(100, 50));
  EXPECT_TRUE(ink_at(150, 50));
  EXPECT_EQ(PieceSkipRange.first, 0u);
  rec.clear();
  dsp_elms(1, 0, -1, uint32_t(f.node), 0); // the node: its pieces
  EXPECT_EQ(rec.lines.size(), 2u);
  rec.clear();
  dsp_elms(1, 0, -1, uint32_t(f.p[1]), 1); // the hidden piece alone
  EXPECT_TRUE(rec.lines.empty());
  dsp_elms(1, 0, -1, uint32_t(f.p[0]), 1);
  EXPECT_EQ(rec.lines.size(), 1u);
}

// Key handling of the view window while a walk polls.
int keys_seen = 0;
bool db_change = false;
LRESULT CALLBACK key_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_KEYDOWN) {
    keys_seen++;
    if (db_change) {
      ElementRecord r = line(1, 1, 2, 2);
      elm_add(0, 0, ELM_NODRAW, &r, nullptr);
    } else {
      sys_setkeydown([](int vk) { return vk == VK_ESCAPE; });
    }
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}
int lines_drawn = 0;
HWND post_to = nullptr;
void count_line() {
  if (++lines_drawn == 100 && post_to) // the key arrives while the lines are drawn
    PostMessageA(post_to, WM_KEYDOWN, VK_ESCAPE, 0);
}
BOOL WINAPI counting_lineto(HDC dc, int x, int y) {
  count_line();
  return LineTo(dc, x, y);
}
// Lines of one pen may reach the device together, as one polyline each.
BOOL WINAPI counting_polys(HDC dc, const POINT *pts, const DWORD *counts, DWORD n) {
  for (DWORD i = 0; i < n; i++)
    count_line();
  return PolyPolyline(dc, pts, counts, n);
}
void count_lines() {
  gdi_calls.LineTo = counting_lineto;
  gdi_calls.PolyPolyline = counting_polys;
}

TEST_F(Elms, EscStopsAtTheNextMultipleOf256) {
  for (bool change : {false, true}) {
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(key_proc));
    for (int i = 0; i < 600; i++)
      add(line(10, 1 + i % 40, 90, 1 + i % 40));
    keys_seen = 0, lines_drawn = 0, post_to = wnd, db_change = change;
    count_lines();
    EXPECT_EQ(dsp_elms(1, 0, -1, 1, 600), 0);
    EXPECT_EQ(keys_seen, 1);
    EXPECT_EQ(lines_drawn, 255) << change; // positions 0..254 of the second pass
    sys_setkeydown(nullptr);               // Esc up again
    lines_drawn = 0, post_to = nullptr;
    dsp_elms(1, 0, -1, 1, 600); // no key: everything
    EXPECT_EQ(lines_drawn, 600);
    gdi_realcalls();
    dtb_ctrl('i', nullptr);
  }
}

// Lines of one pen reach a screen or bitmap context together; a pen change, or
// another kind of figure, sends what is held first, so the order stays.
std::string device_calls; // "L<n>" a call of n held lines, "P" a polyline, "l" a single line
BOOL WINAPI polys_seen(HDC dc, const POINT *pts, const DWORD *counts, DWORD n) {
  device_calls += "L" + std::to_string(n) + " ";
  return PolyPolyline(dc, pts, counts, n);
}
BOOL WINAPI polyline_seen(HDC dc, const POINT *pts, int n) {
  device_calls += "P ";
  return Polyline(dc, pts, n);
}
BOOL WINAPI lineto_seen(HDC dc, int x, int y) {
  device_calls += "l ";
  return LineTo(dc, x, y);
}

TEST_F(Elms, LinesOfOnePenGoOutTogether) {
  for (int i = 1; i <= 10; i++)
    rung(2 * i);                // pen 3
  rung(30, 0x14);               // pen 4
  add(arc(50, 25, 20, 0, 180)); // pen 3 again
  rung(40);
  device_calls.clear();
  gdi_calls.PolyPolyline = polys_seen;
  gdi_calls.Polyline = polyline_seen;
  gdi_calls.LineTo = lineto_seen;
  EXPECT_EQ(dsp_elms(1, 0, -1, 1, all()), 0);
  EXPECT_EQ(device_calls, "L10 L1 P L1 ");
  for (int i = 1; i <= 10; i++)
    EXPECT_TRUE(row_inked(2 * i)) << i;
  EXPECT_TRUE(row_inked(30));
  EXPECT_TRUE(row_inked(40));
}

// An enhanced metafile keeps every stroke as a record of its own, in drawing order.
int lineto_records = 0, polypoly_records = 0;
int CALLBACK count_records(HDC, HANDLETABLE *, const ENHMETARECORD *r, int, LPARAM) {
  lineto_records += r->iType == EMR_LINETO;
  polypoly_records += r->iType == EMR_POLYPOLYLINE || r->iType == EMR_POLYPOLYLINE16;
  return 1;
}

TEST_F(Elms, MetafileWalkRecordsEachLine) {
  for (int i = 1; i <= 10; i++)
    rung(2 * i);
  HDC mf = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(mf, nullptr);
  gdi_target(mf, 1);
  EXPECT_EQ(dsp_elms(1, 0, -1, 1, all()), 0);
  gdi_target(canvas.dc(), 1);
  HENHMETAFILE h = CloseEnhMetaFile(mf);
  ASSERT_NE(h, nullptr);
  lineto_records = polypoly_records = 0;
  EnumEnhMetaFile(nullptr, h, count_records, nullptr, nullptr);
  DeleteEnhMetaFile(h);
  EXPECT_EQ(lineto_records, 10);
  EXPECT_EQ(polypoly_records, 0);
}

TEST_F(Elms, EscEndsALongGroupWalk) {
  SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(key_proc));
  const int32_t g = add(node(1));
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t inner = add(node(1)); // the members one level down
  ASSERT_EQ(grp_open(0, inner), 0);
  for (int i = 0; i < 600; i++)
    add(line(10, 1 + i % 40, 90, 1 + i % 40));
  grp_close(0);
  grp_close(0);
  keys_seen = 0, lines_drawn = 0, post_to = wnd, db_change = false;
  count_lines();
  EXPECT_EQ(dsp_elms(1, 0, -1, uint32_t(g) | DSP_ONE, 0), 0);
  EXPECT_EQ(keys_seen, 1);
  EXPECT_EQ(lines_drawn, 254); // members 0..253 below the inner node: the 256th member polls
  sys_setkeydown(nullptr);      // Esc up again
  lines_drawn = 0, post_to = nullptr;
  dsp_elms(1, 0, -1, uint32_t(g) | DSP_ONE, 0);
  EXPECT_EQ(lines_drawn, 600);
  gdi_realcalls();
}

TEST_F(Elms, DrawsIntoEveryOpenViewOfTheMask) {
  HWND second = make_window(W, H);
  extra.push_back(second);
  open_view(0, 3, second, 100, 50);
  rung(10);
  rec_start();
  dsp_elms(0x8, 0, -1, 1, 1);
  EXPECT_EQ(rec.lines.size(), 1u);
  rec.clear();
  dsp_elms(0xFFFF, 0, -1, 1, 1);
  EXPECT_EQ(rec.lines.size(), 2u);
  EXPECT_EQ(vew_cur(), 0);
}

TEST_F(Elms, AddingAnElementDrawsIt) {
  ElementRecord r = line(10, 10, 90, 10);
  ASSERT_GT(elm_add(0, 0, -1, &r, nullptr), 0);
  EXPECT_EQ(canvas.at(100, 80), colour_px(2));
}

TEST_F(Elms, HighlightListKeepsDistinctNumbers) {
  HighlightList.count = 0;
  hil_add(5);
  hil_add(5);
  EXPECT_EQ(HighlightList.count, 1);
  for (uint32_t i = 0; i < 500; i++)
    hil_add(100 + i);
  EXPECT_EQ(HighlightList.count, HIL_MAX);
  hil_flush(1, 14);
  EXPECT_EQ(HighlightList.count, 0);
  EXPECT_EQ(hil_redraw(0, 14), -1); // no selection list
}

TEST_F(Elms, ArcStyleBitsOfDspArc) {
  rec_start();
  dsp_arc(1, 1 | 0x4000, 0, 50, 25, 10, 0, 90, 3); // angles exchanged: 270 degrees drawn
  EXPECT_TRUE(ink_near(100, 70, 1));
}

} // namespace

namespace {

TEST_F(Elms, HighlightRedrawDrawsTheSelection) {
  rung(10);
  rung(20);
  rung(30);
  uint32_t ids[3] = {3, 0xFFFFFFFFu, 1 | 0x80000000u};
  SelectionListRec saved = SelectionList;
  SelectionList.entries = ids;
  SelectionList.count = 3;
  SelectionList.drawing = 0;
  EXPECT_EQ(hil_redraw(1, 14), -1); // the list belongs to drawing 0
  EXPECT_EQ(hil_redraw(0, 14), 0);
  EXPECT_EQ(canvas.at(100, 40), colour_px(14));
  EXPECT_EQ(canvas.at(100, 80), colour_px(14));
  EXPECT_FALSE(row_inked(20));
  EXPECT_EQ(hil_redrawvw(0, -5), 0); // below -1: the highlight colour
  EXPECT_EQ(hil_redrawvw(4, 3), -1); // not open
  SelectionList = saved;
}

TEST_F(Elms, MetafileOfAView) {
  rung(10);
  gdi_target(nullptr, 0);
  EXPECT_EQ(dsp_metarec(0, 5, 0xFFFF, -1), -1);
  EXPECT_EQ(dsp_metarec(2, 0, 0xFFFF, -1), -1);
  EXPECT_EQ(dsp_metarec(0, 0, 0xFFFF, -1), 0);
  EXPECT_NE(ViewMetafiles[0][0], nullptr);
  EXPECT_EQ(dsp_metarec(0, 0, 0xFFFF, -1), 0); // played again
  EXPECT_EQ(dsp_metadel(0, 16), -1);
  EXPECT_EQ(dsp_metadel(0, 0), 0);
  EXPECT_EQ(ViewMetafiles[0][0], nullptr);
  EXPECT_EQ(dsp_metadel(-1, -1), 0);
}

} // namespace

TEST(EscPoll, LeavesAQuitForTheMainLoop) {
  HWND w = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  PostQuitMessage(3);
  dsp_escpoll(w);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  DestroyWindow(w);
}
