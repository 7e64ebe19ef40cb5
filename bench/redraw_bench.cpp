// Full redraws of the benchmark drawings into a 1920x1080 view (a DIB), each figure
// with its goal beside it, in one run:
//   100,000 and 1,000,000 mixed elements (lines, arcs, 10% texts); the engine's own
//   share with the GDI drawing calls stubbed; 10,000 lines, arcs and texts alone;
//   long dashed against solid lines; a 10,000-element seal and a seal of 2,000
//   stroke-font characters; a zoomed view showing a tenth of 1,000,000 elements.
// Glyphs per second through the font cache: fontbench.
//   wine64 redraw_bench.exe [font folder] [quick]   (quick: leave out the 1,000,000)
// With INK_PROFILE=<file> the 100,000-element redraws are sampled: <file> the real
// one, <file>.stub the one with GDI stubbed, <file>.zoom the zoomed view of
// 1,000,000, <file>.lines, .arcs and .texts the 10,000 of one kind (tools/profsyms.py
// reads them).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "benchclock.h"
#include "database/cells.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/elements/elmdisp.h"
#include "display/elements/elmdisp_win.h"
#include "display/fonts/fontfile.h"
#include "display/view/gdi.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "settings/params.h"
#include "benchdib.h"
#include "benchview.h"
#include "redraw_drawings.h"
#include "sampler.h"

namespace {

namespace rd = redraw_drawings;

// Best of `runs` full redraws, in milliseconds.
double redraw(int runs = 5) {
  double best = 1e9;
  const int32_t count = int32_t(dtb_end1(0) - 1);
  for (int i = 0; i < runs; i++) {
    const double t0 = bench_now();
    dsp_elms(1, 0, -1, 1, count);
    GdiFlush();
    best = std::min(best, (bench_now() - t0) * 1000);
  }
  return best;
}

void fresh_store(uint32_t size) {
  dtb_term();
  ElmMax[0] = size + size / 5, WrkMax[0] = 500;
  dtb_init();
  grp_reset(0);
  dtb_ctrl('i', nullptr);
}

void stub_gdi(bool on) {
  if (!on) {
    gdi_realcalls();
    return;
  }
  gdi_calls.MoveToEx = [](HDC, int, int, LPPOINT) -> BOOL { return 1; };
  gdi_calls.LineTo = [](HDC, int, int) -> BOOL { return 1; };
  gdi_calls.Polyline = [](HDC, const POINT *, int) -> BOOL { return 1; };
  gdi_calls.PolyPolyline = [](HDC, const POINT *, const DWORD *, DWORD) -> BOOL { return 1; };
  gdi_calls.Arc = [](HDC, int, int, int, int, int, int, int, int) -> BOOL { return 1; };
  gdi_calls.Ellipse = [](HDC, int, int, int, int) -> BOOL { return 1; };
  gdi_calls.SetPixel = [](HDC, int, int, COLORREF c) -> COLORREF { return c; };
  gdi_calls.SelectObject = [](HDC, HGDIOBJ) -> HGDIOBJ { return nullptr; };
  gdi_calls.SetROP2 = [](HDC, int) -> int { return 1; };
}

void line(const char *what, double got, const char *unit, double goal) {
  std::printf("%-44s %9.2f %-3s (goal %g %s)%s\n", what, got, unit, goal, unit, got <= goal ? "" : "  MISSED");
}

} // namespace

int main(int argc, char **argv) {
  prm_init();
  const char *fonts = argc > 1 ? argv[1] : "fonts";
  const bool quick = argc > 2;
  if (fnt_open(2, fonts, 50) != 0)
    std::printf("no high-quality font in %s: texts draw nothing\n", fonts);
  HWND wnd = bench_view();
  if (!wnd)
    return 1;
  BenchDib dib;
  gdi_target(dib.dc, 1);

  fresh_store(100000);
  rd::mixed(100000);
  const char *prof = std::getenv("INK_PROFILE");
  static char stubprof[MAX_PATH];
  if (prof)
    std::snprintf(stubprof, sizeof stubprof, "%s.stub", prof);
  double engine, mixed;
  {
    Sampler s(prof);
    s.pause(false);
    mixed = redraw(prof ? 20 : 5);
  }
  line("100,000 mixed elements", mixed, "ms", 150);
  stub_gdi(true);
  {
    Sampler s(prof ? stubprof : nullptr);
    s.pause(false);
    engine = redraw(prof ? 20 : 5);
  }
  stub_gdi(false);
  line("  engine alone (GDI stubbed), per element", engine * 1000 / 100000, "us", 0.2);
  // The walk asks for Esc at every 256th entry of both passes: a round trip to the
  // window system each time, which under Wine is most of the engine's share.
  {
    const int polls = 200;
    const double t0 = bench_now();
    for (int i = 0; i < polls; i++)
      dsp_escpoll(wnd);
    const double each = (bench_now() - t0) * 1e6 / polls;
    std::printf("%-44s %9.2f us (%.1f us a poll, 2 per 256 elements)\n", "    of which the Esc poll, per element",
                each * 2 / 256, each);
  }
  std::printf("%-44s %9.2f ms\n", "  device drawing (full less stubbed)", mixed - engine);

  static const char *const kinds[] = {"10,000 lines", "10,000 arcs", "10,000 texts"};
  static const char *const suffix[] = {"lines", "arcs", "texts"};
  for (int kind = 0; kind < 3; kind++) {
    fresh_store(10000);
    rd::one_kind(kind, 10000);
    static char kindprof[MAX_PATH];
    if (prof)
      std::snprintf(kindprof, sizeof kindprof, "%s.%s", prof, suffix[kind]);
    double t;
    {
      Sampler s(prof ? kindprof : nullptr);
      s.pause(false);
      t = redraw(prof ? 50 : 5);
    }
    std::printf("%-44s %9.2f ms\n", kinds[kind], t);
  }
  fresh_store(1000);
  rd::one_kind(4, 1000);
  const double solid = redraw();
  stub_gdi(true);
  const double solid_engine = redraw();
  stub_gdi(false);
  fresh_store(1000);
  rd::one_kind(3, 1000);
  const double dashed = redraw();
  stub_gdi(true);
  const double dashed_engine = redraw();
  stub_gdi(false);
  std::printf("%-44s %9.2f ms (solid %.2f ms)\n", "1,000 long dashed lines", dashed, solid);
  line("  dashed / solid", dashed / solid, "x", 2);
  std::printf("%-44s %9.2f ms (solid %.2f ms)\n", "  engine alone (GDI stubbed)", dashed_engine, solid_engine);

  fresh_store(10000);
  rd::seal(9000, 1000);
  line("10,000-element seal", redraw(), "ms", 8);
  fresh_store(1000);
  rd::text_seal(2000);
  line("seal of 2,000 stroke-font characters", redraw(), "ms", 8);

  if (!quick) {
    fresh_store(1000000);
    SheetRecord sheet; // the world is the sheet: the elements' area cells mean something
    sys_sheet('r', 0, &sheet);
    sheet.width = 192, sheet.height = 108;
    sys_sheet('w', 0, &sheet);
    rd::mixed(1000000);
    line("1,000,000 mixed elements", redraw(2), "ms", 1500);
    // A tenth of the drawing's area in the view.
    vew_setwin(0, 0, 0, 40, 20, 40 + 192 / 3.1623, 20 + 108 / 3.1623);
    vew_select(0);
    static char zoomprof[MAX_PATH];
    if (prof)
      std::snprintf(zoomprof, sizeof zoomprof, "%s.zoom", prof);
    double zoomed;
    {
      Sampler s(prof ? zoomprof : nullptr);
      s.pause(false);
      zoomed = redraw(3);
    }
    line("  zoomed view showing a tenth of them", zoomed, "ms", 50);
    // What the view painter can pass: the cells of the shown window, so that most
    // elements outside it are passed over on their cell mask alone.
    const uint16_t cells = cel_rect(0, DrawXform.sxmin, DrawXform.symin, DrawXform.sxmax, DrawXform.symax);
    double celled = 1e9;
    for (int i = 0; i < 3; i++) {
      const double t0 = bench_now();
      dsp_elms(1, cells, -1, 1, int32_t(dtb_end1(0) - 1));
      GdiFlush();
      celled = std::min(celled, (bench_now() - t0) * 1000);
    }
    int shown = 0;
    for (int b = 0; b < 16; b++)
      shown += (cells >> b) & 1;
    std::printf("%-44s %9.2f ms (%d of 16 cells)\n", "    with the view's area cells as filter", celled, shown);
  }
  gdi_target(nullptr, 0);
  dib.release();
  gdi_term();
  DestroyWindow(wnd);
  fnt_close();
  dtb_term();
  return 0;
}
