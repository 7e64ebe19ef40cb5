#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "database/drawcalls.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/selection.h"
#include "database/store.h"
#include "display/view/cliprect.h"
#include "display/view/drawprim.h"
#include "display/elements/elmdisp_win.h"
#include "display/view/gdi.h"
#include "display/masks/rgnfill.h"
#include "display/fonts/strdraw.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "settings/params.h"
#include "settings/winutil.h"

HighlightListRecord HighlightList;
PieceSkipRangeRecord PieceSkipRange;
uint32_t TextPartHilite;
uint32_t LayerHiliteMode;
HMETAFILE ViewMetafiles[2][16];

namespace {

constexpr int TEXT_BUF = 1024; // more than one drawing call shows
constexpr uint16_t LINE_KIND_HIDDEN = 6;

// Tables one walk reads once.
struct Walk {
  int db;
  uint32_t mask;
  uint16_t cells;
  int32_t colour;
  uint32_t pens[20];
  uint16_t cm[20];
  uint16_t curlayer;
  uint16_t states[64];
  int inmode;
  HDC dc;
  HWND wnd;
  bool descend;
  bool stop; // Esc, or the database changed under the walk
  // Group descent: nodes and members met in this view's pass, so that a member
  // chain read from a file that loops back (a node inside itself, a cycle of
  // siblings) draws each record once; and the members drawn, for the Esc poll.
  std::unordered_set<int32_t> met;
  uint32_t members;
};

void load_tables(Walk &w) {
  w.db = dwg_cur();
  sys_pencol('r', w.pens);
  sys_colmap('r', w.cm);
  w.curlayer = 0;
  std::memset(w.states, 0, sizeof w.states);
  sys_layer('r', w.db, &w.curlayer, w.states);
  w.inmode = sys_inmode(-1);
}

// Pen 0 is outside both pen tables: it draws as pen 1.
int pen_of(uint16_t attr) {
  const int p = attr & 15;
  return p == 0 ? 0 : p - 1;
}

bool layer_shown(const Walk &w, uint8_t layer) { return layer < 64 && w.states[layer] != 0; }

int32_t colour_of(const Walk &w, const ElementRecord &r, uint16_t attr) {
  int32_t c = w.colour >= 0 ? w.colour : w.cm[pen_of(attr)];
  if (LayerHiliteMode && r.layer != w.curlayer && c != w.colour)
    c = w.cm[19];
  return c;
}

bool passes(const Walk &w, const ElementRecord &r) {
  if (r.flags & ELM_SKIP)
    return false;
  if (w.cells && r.cells && !(w.cells & r.cells))
    return false;
  if (!(r.kind & 0x100F))
    return false;
  return r.kind == NOD || layer_shown(w, r.layer);
}

uint32_t owner_of(const ElementRecord &r) {
  uint32_t o;
  std::memcpy(&o, reinterpret_cast<const uint8_t *>(&r) + (r.kind == LIN ? 58 : 66), 4);
  return o;
}

// A line or arc is hidden only when it is a hidden piece: pieces made visible keep
// the hide state copied from their element, whose bit 1 alone would hide them too.
bool hidden_piece(const ElementRecord &r) { return (r.members & 0x0200) && owner_of(r) != 0; }

uint16_t attr_of(const ElementRecord &r) { return r.kind == LIN ? r.lin.attr : r.arc.attr; }

bool kind6_off(const Walk &w, uint16_t attr) {
  return ((attr >> 4) & 15) == LINE_KIND_HIDDEN && (PlotterMode || w.inmode == 2);
}

void draw_linarc(const Walk &w, const ElementRecord &r, bool cloud) {
  const uint16_t a = attr_of(r);
  const int32_t colour = colour_of(w, r, a);
  int32_t width = int32_t(w.pens[pen_of(a)]);
  const int32_t style = (a >> 4) & 0x3FF;
  if (r.kind == LIN) {
    drw_line(w.dc, r.lin.x1, r.lin.y1, r.lin.x2, r.lin.y2, style, width, colour);
    return;
  }
  if (cloud && elm_islink(r.parent)) {
    const ElementRecord *p = dtb_get(w.db, r.parent);
    if (p && p->kind == NOD && std::memcmp(p->nod.data, "CLOUDFORM", 9) == 0)
      width = 12;
  }
  drw_arc(w.dc, r.arc.cx, r.arc.cy, r.arc.r, r.arc.start, r.arc.end, style, width, colour);
}

// Culling by the element's box before any transform or clipping: a figure whose
// box lies wholly outside the visible area draws nothing, so it is passed over.
// End marks reach past the box; those figures go the whole way.
bool box_outside(double x1, double y1, double x2, double y2) {
  double vis[4];
  dsp_visible(vis);
  return x2 < vis[0] || x1 > vis[2] || y2 < vis[1] || y1 > vis[3];
}

bool linarc_outside(const ElementRecord &r) {
  if ((attr_of(r) >> 4) & 0x3F0)
    return false;
  if (r.kind == LIN)
    return box_outside(std::min(r.lin.x1, r.lin.x2), std::min(r.lin.y1, r.lin.y2), std::max(r.lin.x1, r.lin.x2),
                       std::max(r.lin.y1, r.lin.y2));
  const double rr = std::fabs(r.arc.r);
  return box_outside(r.arc.cx - rr, r.arc.cy - rr, r.arc.cx + rr, r.arc.cy + rr);
}

// A text reaches no further from its point than its bytes at the widest pitch its
// parameters allow, one glyph more and the slant (at most 45 degrees), with room for
// glyphs past their cell and for thick pens.
bool text_outside(const ChrBody &b) {
  if (ChrExpand || DrawXform.xscale <= 0 || DrawXform.yscale <= 0)
    return false;
  const double h = std::fabs(b.height), w = std::fabs(b.width), s = std::fabs(b.spacing);
  const double n = b.count > 0 ? b.count : 1;
  const double reach =
      2 * (n * (std::max(w, h) * (1 + s) + s) + 2 * (h + w)) + 32 / std::min(DrawXform.xscale, DrawXform.yscale);
  if (!std::isfinite(reach) || !std::isfinite(b.x) || !std::isfinite(b.y))
    return false;
  return box_outside(b.x - reach, b.y - reach, b.x + reach, b.y + reach);
}

int32_t chain_limit(int db) { return int32_t(dtb_used(db)) + 1; }

void hidline(Walk &w, int mode, const ElementRecord &rec) {
  PieceSkipRange = {0, 0};
  if (rec.flags & ELM_ERASED)
    return;
  int32_t start;
  if (mode == 1) {
    if (!elm_islink(rec.parent))
      return;
    const ElementRecord *p = dtb_get(w.db, rec.parent);
    if (!p)
      return;
    start = p->nod.child;
  } else {
    start = rec.nod.child;
  }
  if (!elm_islink(start))
    return;
  PieceSkipRange = {uint32_t(start), uint32_t(start)};
  int32_t left = chain_limit(w.db);
  for (int32_t n = start; elm_islink(n) && left-- > 0;) {
    const ElementRecord *p = dtb_get(w.db, n);
    if (!p)
      break;
    const ElementRecord r = *p;
    if ((r.kind == LIN || r.kind == ARC) && !(r.flags & ELM_SKIP) && !hidden_piece(r) && layer_shown(w, r.layer) &&
        !kind6_off(w, attr_of(r)))
      draw_linarc(w, r, false);
    PieceSkipRange.last = uint32_t(n);
    n = r.next;
  }
}

bool skipped(int32_t n) {
  const PieceSkipRangeRecord &s = PieceSkipRange;
  return s.first > 0 && s.first <= uint32_t(n) && uint32_t(n) <= s.last;
}

void pass1(Walk &w, int32_t n, const ElementRecord &r) {
  if (r.kind == NOD && r.subkind == 8 && r.encsub != 8 && layer_shown(w, r.layer) && !PlotterMode) {
    gdi_strokeflush();
    vew_select(vew_cur()); // a fill may have left another transform current
    rgn_fill(w.dc, w.db, &r, w.colour);
  }
  if (TextPartHilite && (r.kind == LIN || r.kind == ARC) && r.encsub == 8) {
    int32_t root = 0;
    if (elm_txtroot(w.db, &r, &root) == 0 && root > 0)
      hil_add(uint32_t(root));
  }
  (void)n;
}

void draw_one(Walk &w, int32_t n, int depth);
bool poll(Walk &w, int32_t n, const ElementRecord &r);

void pass2(Walk &w, int32_t n, const ElementRecord &r, int depth) {
  switch (r.kind) {
  case LIN | MSKBOX:
  case ARC | MSKBOX:
    hidline(w, 1, r);
    return;
  case NOD: {
    if (r.subkind == 8 || r.encsub == 8 || !w.descend)
      return;
    if (r.subkind == 16) {
      hidline(w, 0, r);
      return;
    }
    if (depth >= GRP_LEVELS)
      return;
    w.met.insert(n);
    int32_t left = chain_limit(w.db);
    for (int32_t c = r.nod.child; elm_islink(c) && left-- > 0 && !w.stop;) {
      const ElementRecord *p = dtb_get(w.db, c);
      if (!p || !w.met.insert(c).second)
        break;
      if (w.members++ % 256 == 255) {
        const ElementRecord m = *p;
        if (!poll(w, c, m)) {
          w.stop = true;
          break;
        }
      }
      draw_one(w, c, depth + 1);
      PieceSkipRange = {0, 0};
      p = dtb_get(w.db, c); // read again: the member drawn may be a node
      if (!p)
        break;
      c = p->next;
    }
    return;
  }
  case CHR: {
    static char text[TEXT_BUF];
    ElementRecord full;
    const ChrBody &b = r.chr;
    chr_param(0, b.attr, b.height, b.width, b.spacing, b.angle, b.slant);
    if (text_outside(b) || elm_read(w.db, n, &full, text, sizeof text) == 1)
      return;
    const int face = PlotterMode ? 0 : (b.attr >> 9) & 7;
    chr_draw(w.dc, face, b.x, b.y, text, int32_t(w.pens[pen_of(b.attr)]), colour_of(w, r, b.attr));
    return;
  }
  case PNT:
    if (!PlotterMode)
      drw_point(w.dc, r.pnt.x, r.pnt.y, (r.pnt.attr >> 4) & 0xFF, 13, colour_of(w, r, r.pnt.attr));
    return;
  case LIN:
  case ARC:
    if (r.encsub == 8 || hidden_piece(r) || skipped(n) || kind6_off(w, attr_of(r)) || linarc_outside(r))
      return;
    draw_linarc(w, r, true);
    return;
  default:
    return;
  }
}

// One member of a group: both passes, as a walk of its own.
void draw_one(Walk &w, int32_t n, int depth) {
  const ElementRecord *p = dtb_get(w.db, n);
  if (!p || !passes(w, *p))
    return;
  const ElementRecord r = *p;
  pass1(w, n, r);
  const bool d = w.descend;
  w.descend = true;
  pass2(w, n, r, depth);
  w.descend = d;
}

// The poll may run key handlers that change the database: the walk goes on only
// when the record it stands on and the areas are as they were.
bool poll(Walk &w, int32_t n, const ElementRecord &r) {
  DbControl before;
  std::memcpy(&before, &DbCtl[w.db], sizeof before);
  gdi_strokeflush();
  drw_penmemo(false); // key handlers may draw or change the palette
  const bool esc = dsp_escpoll(w.wnd) != 0;
  drw_penmemo(true);
  if (esc)
    return false;
  const ElementRecord *p = dtb_get(w.db, n);
  return p && std::memcmp(p, &r, sizeof r) == 0 && std::memcmp(&before, &DbCtl[w.db], sizeof before) == 0;
}

struct Entries {
  uint32_t first;
  int32_t count;
  const int32_t *list;
  // Element number of position i; 0 a hole, -1 the end.
  int32_t at(int32_t i) const {
    if (!list)
      return int32_t(first + uint32_t(i));
    const int32_t e = list[i];
    if (e == -1)
      return 0;
    if (e == -2)
      return -1;
    return int32_t(uint32_t(e) & 0x7FFFFFFFu);
  }
};

void walk_view(Walk &w, const Entries &en) {
  w.met.clear();
  w.members = 0;
  for (int pass = 1; pass <= 2 && !w.stop; pass++) {
    for (int32_t i = 0; i < en.count && !w.stop; i++) {
      const int32_t n = en.at(i);
      if (n < 0)
        break;
      if (n == 0)
        continue;
      const ElementRecord *p = dtb_get(w.db, n);
      if (!p || !passes(w, *p))
        continue;
      const ElementRecord r = *p;
      if (i % 256 == 255 && !poll(w, n, r)) {
        w.stop = true;
        break;
      }
      if (pass == 1)
        pass1(w, n, r);
      else
        pass2(w, n, r, 0);
    }
  }
}

template <class F> int each_view(uint32_t mask, F draw) {
  const int dwg = dwg_cur(), old = vew_cur();
  for (int v = 0; v < VIEW_COUNT; v++) {
    HWND wnd = vew_hwnd(dwg, v);
    if (!(mask & (1u << v)) || !(vew_mask(dwg) & (1u << v)) || !wnd)
      continue;
    vew_select(v);
    HDC dc = GetDC(wnd);
    if (!dc)
      continue;
    draw(dc);
    ReleaseDC(wnd, dc);
  }
  vew_select(old);
  return 0;
}

} // namespace

int dsp_elms(uint32_t mask, uint16_t cellfilter, int32_t colour, uint32_t first, int32_t count, const int32_t *list) {
  Entries en{first & 0x7FFFFFFFu, count, nullptr};
  bool descend = false;
  if (first != 0) {
    if (count < 1)
      en.count = 1, descend = true;
  } else {
    if (!list || count < 1)
      return 0;
    en.list = list;
    descend = true;
  }
  const int old = vew_cur();
  dsp_escclr();
  Walk w{};
  load_tables(w);
  w.mask = mask;
  w.cells = cellfilter;
  w.colour = colour;
  w.descend = descend;
  const int dwg = w.db;
  for (int v = 0; v < VIEW_COUNT && !w.stop; v++) {
    HWND wnd = vew_hwnd(dwg, v);
    if (!(mask & (1u << v)) || !(vew_mask(dwg) & (1u << v)) || !wnd)
      continue;
    vew_select(v);
    w.wnd = wnd;
    w.dc = GetDC(wnd);
    if (!w.dc)
      continue;
    drw_penmemo(true);
    // Figures of one pen go out together; a metafile keeps each as its own record.
    const DWORD type = GetObjectType(PenCache.target ? PenCache.dc : w.dc);
    const bool held = gdi_strokes(type != OBJ_METADC && type != OBJ_ENHMETADC);
    walk_view(w, en);
    gdi_strokeflush(); // before the context goes back
    gdi_strokes(held);
    drw_penmemo(false);
    ReleaseDC(wnd, w.dc);
    w.dc = nullptr;
  }
  dsp_escclr();
  vew_select(old);
  PieceSkipRange = {0, 0};
  return 0;
}

int dsp_hidline(int mode, HDC dc, int32_t colour, const ElementRecord *rec) {
  Walk w{};
  load_tables(w);
  w.colour = colour;
  w.dc = dc;
  if (rec && (mode == 0 || mode == 1))
    hidline(w, mode, *rec);
  return 0;
}

int dsp_escclr() {
  BYTE keys[256];
  if (GetKeyboardState(keys)) {
    keys[VK_ESCAPE] = 0;
    SetKeyboardState(keys);
  }
  return 0;
}

int dsp_escpoll(HWND wnd) {
  MSG m;
  while (PeekMessageA(&m, wnd, WM_KEYFIRST, 0x109, PM_REMOVE)) {
    if (m.message == WM_QUIT) { // taken whatever the filter; it belongs to the main loop
      PostQuitMessage(int(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return sys_escpoll() != 0 ? 1 : 0;
}

int dsp_setplot(uint32_t flag) {
  PlotterMode = flag != 0;
  return 0;
}

int hil_add(uint32_t n) {
  HighlightListRecord &h = HighlightList;
  if (h.count >= HIL_MAX || (h.count > 0 && h.ids[h.count - 1] == n))
    return 0;
  h.ids[h.count++] = n;
  return 0;
}

int hil_flush(uint32_t mask, int32_t colour) {
  HighlightListRecord &h = HighlightList;
  if (TextPartHilite && h.count > 0 && SelectionList.entries) {
    const int db = dwg_cur();
    for (int32_t i = 0; i < h.count; i++)
      for (int32_t j = 0; j < SelectionList.count; j++) {
        if (int32_t(SelectionList.entries[j]) == -1 || (SelectionList.entries[j] & 0x7FFFFFFFu) != h.ids[i])
          continue;
        const ElementRecord *p = dtb_get(db, int32_t(h.ids[i]));
        if (p) {
          const ElementRecord r = *p;
          dsp_fill(mask, &r, colour);
        }
      }
  }
  h.count = 0;
  return 0;
}

int hil_redraw(int dwg, int32_t colour) {
  if (!SelectionList.entries || SelectionList.count < 1 || SelectionList.drawing != dwg || (dwg != 0 && dwg != 1))
    return -1;
  const int old = dwg_setcur(dwg);
  win_waitcur();
  const uint32_t mask = vew_mask(dwg);
  dsp_elms(mask, 0xFFFF, colour, 0, SelectionList.count, reinterpret_cast<const int32_t *>(SelectionList.entries));
  hil_flush(mask, colour);
  win_waitcur();
  dwg_setcur(old);
  return 0;
}

int hil_redrawvw(int view, int32_t colour) {
  const int dwg = dwg_cur();
  if (!SelectionList.entries || SelectionList.count < 1 || SelectionList.drawing != dwg || view < 0 ||
      view >= VIEW_COUNT || !(vew_mask(dwg) & (1u << view)))
    return -1;
  if (colour < -1) {
    uint16_t cm[20];
    sys_colmap('r', cm);
    colour = cm[14];
  }
  dsp_elms(1u << view, 0xFFFF, colour, 0, SelectionList.count,
           reinterpret_cast<const int32_t *>(SelectionList.entries));
  hil_flush(1u << view, colour);
  return 0;
}

int dsp_point(uint32_t mask, int32_t kind, int32_t width, double x, double y, int32_t colour) {
  return each_view(mask, [&](HDC dc) { drw_point(dc, x, y, kind, width, colour); });
}

int dsp_line(uint32_t mask, int32_t style, int32_t width, double x1, double y1, double x2, double y2, int32_t colour) {
  return each_view(mask, [&](HDC dc) { drw_line(dc, x1, y1, x2, y2, style, width, colour); });
}

int dsp_arc(uint32_t mask, int32_t style, int32_t width, double cx, double cy, double r, double start, double end,
            int32_t colour) {
  const int32_t hi = style & 0xC000;
  if (hi == 0x4000 || hi == 0x8000)
    std::swap(start, end);
  if (style & 0x8000)
    style = (style & ~0x3F0) | ((style >> 7) & 7) << 4 | ((style >> 4) & 7) << 7;
  style &= 0x3FF;
  return each_view(mask, [&](HDC dc) { drw_arc(dc, cx, cy, r, start, end, style, width, colour); });
}

int dsp_rect(uint32_t mask, int32_t style, int32_t width, double x1, double y1, double x2, double y2, int32_t colour) {
  return each_view(mask, [&](HDC dc) { drw_rect(dc, x1, y1, x2, y2, style, width, colour); });
}

int dsp_text(uint32_t mask, int32_t face, double x, double y, const char *text, int32_t width, int32_t colour) {
  return each_view(mask, [&](HDC dc) { chr_draw(dc, face, x, y, text, width, colour); });
}

int dsp_frame(uint32_t mask, int32_t colour) {
  return each_view(mask, [&](HDC dc) { drw_frame(dc, 1, colour); });
}

int dsp_fill(uint32_t mask, const ElementRecord *node, int32_t colour) {
  if (!node)
    return 0;
  const int dwg = dwg_cur();
  return each_view(mask, [&](HDC dc) { rgn_fill(dc, dwg, node, colour); });
}

int dsp_mark(uint32_t mask, int32_t kind, int32_t width, double x, double y, int32_t colour) {
  return each_view(mask, [&](HDC dc) { drw_shape(dc, x, y, kind, width, colour); });
}

int dsp_markdc(HDC dc, int32_t kind, int32_t width, double x, double y, int32_t colour) {
  return drw_bigdot(dc, x, y, kind, width, colour);
}

int dsp_chrparam(uint16_t attr, double height, double width, double spacing, double angle, double slant) {
  return chr_param(0, attr, height, width, spacing, angle, slant);
}

int dsp_geom(uint32_t mask, int32_t colour, int32_t kind, const void *block) {
  if (!block || (kind != LIN && kind != ARC))
    return 0;
  double v[6];
  std::memcpy(v, block, sizeof v);
  uint16_t attr;
  std::memcpy(&attr, static_cast<const uint8_t *>(block) + (kind == LIN ? 32 : 40), 2);
  if (((attr >> 4) & 15) == LINE_KIND_HIDDEN && sys_inmode(-1) == 2)
    return 0;
  if (colour < 0) {
    uint16_t cm[20];
    sys_colmap('r', cm);
    colour = cm[pen_of(attr)];
  }
  int32_t ks = (attr >> 4) & 15, s = (attr >> 8) & 7, e = (attr >> 11) & 7;
  colour &= 0x4FFF;
  if (kind == LIN)
    return dsp_line(mask, ks | s << 4 | e << 7, 0, v[0], v[1], v[2], v[3], colour);
  double a = v[3], b = v[4];
  if (attr & 0x8000)
    std::swap(s, e);
  if (((attr >> 15) & 1) != ((attr >> 14) & 1))
    std::swap(a, b);
  return each_view(mask, [&](HDC dc) { drw_arc(dc, v[0], v[1], v[2], a, b, ks | s << 4 | e << 7, 0, colour); });
}

int dsp_metadel(int dwg, int view) {
  if (dwg > 1 || view >= VIEW_COUNT)
    return -1;
  for (int d = 0; d < 2; d++)
    for (int v = 0; v < VIEW_COUNT; v++) {
      if ((dwg >= 0 && view >= 0) && (d != dwg || v != view))
        continue;
      if (ViewMetafiles[d][v])
        DeleteMetaFile(ViewMetafiles[d][v]);
      ViewMetafiles[d][v] = nullptr;
    }
  return 0;
}

int dsp_metarec(int dwg, int view, uint16_t cellfilter, int32_t colour) {
  if (dwg < 0 || dwg > 1 || view < 0 || view >= VIEW_COUNT || !(vew_mask(dwg) & (1u << view)) || !vew_hwnd(dwg, view))
    return -1;
  HMETAFILE &slot = ViewMetafiles[dwg][view];
  if (!slot) {
    HDC mf = CreateMetaFileA(nullptr);
    if (!mf)
      return -2;
    const int old = vew_cur();
    vew_select(view);
    Walk w{};
    load_tables(w);
    w.cells = cellfilter;
    w.colour = colour;
    w.dc = mf;
    static char text[TEXT_BUF];
    const uint32_t ranges[3][2] = {
        {DbCtl[w.db].base1, dtb_end1(w.db)}, {DbCtl[w.db].base3, dtb_end3(w.db)}, {dtb_end1(w.db), dtb_end2(w.db)}};
    for (const auto &rg : ranges)
      for (uint32_t n = rg[0]; n < rg[1]; n++) {
        const ElementRecord *p = dtb_get(w.db, int32_t(n));
        if (!p || !passes(w, *p))
          continue;
        const ElementRecord r = *p;
        const int32_t c = colour >= 0 ? colour
                                      : w.cm[pen_of(r.kind == PNT   ? r.pnt.attr
                                                    : r.kind == CHR ? r.chr.attr
                                                                    : attr_of(r))];
        if (r.kind == PNT) {
          drw_point(mf, r.pnt.x, r.pnt.y, (r.pnt.attr >> 4) & 0xFF, 13, c);
        } else if (r.kind == LIN || r.kind == ARC) {
          const uint16_t a = attr_of(r);
          if (((a >> 4) & 15) == LINE_KIND_HIDDEN && w.inmode == 2)
            continue;
          const int32_t wd = int32_t(w.pens[pen_of(a)]);
          if (r.kind == LIN)
            drw_line(mf, r.lin.x1, r.lin.y1, r.lin.x2, r.lin.y2, (a >> 4) & 0x3FF, wd, c);
          else
            drw_arc(mf, r.arc.cx, r.arc.cy, r.arc.r, r.arc.start, r.arc.end, (a >> 4) & 0x3FF, wd, c);
        } else if (r.kind == CHR) {
          ElementRecord full;
          const ChrBody &b = r.chr;
          chr_param(0, b.attr, b.height, b.width, b.spacing, b.angle, b.slant);
          if (elm_read(w.db, int32_t(n), &full, text, sizeof text) != 1)
            chr_draw(mf, (b.attr >> 9) & 7, b.x, b.y, text, int32_t(w.pens[pen_of(b.attr)]), c);
        }
      }
    slot = CloseMetaFile(mf);
    vew_select(old);
  }
  if (slot) {
    HWND wnd = vew_hwnd(dwg, view);
    HDC dc = GetDC(wnd);
    if (dc) {
      PlayMetaFile(dc, slot);
      ReleaseDC(wnd, dc);
    }
  }
  return 0;
}

// The element store redraws what an edit or an undo step changed through its table;
// filled while the program loads, wherever element display is linked in. Without
// windows (native builds) no view is open, so the slot stays empty there.
static_assert(DB_ONE == DSP_ONE);
namespace {
[[maybe_unused]] const bool redraw_filled = [] {
  DbDraw.redraw = [](int32_t colour, uint32_t first) { dsp_elms(0xFFFF, 0, colour, first, 0); };
  return true;
}();
} // namespace
