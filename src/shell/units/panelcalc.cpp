#include "shell/units/panelcalc.h"

PanelScale pnl_scaleof(uint32_t line, uint32_t sizekind, const uint32_t sizerat[3], uint32_t cmdh, uint32_t cmdv) {
  PanelScale s;
  s.twobanks = line == 0 ? 0 : 1;
  const double r = sizekind <= 2 ? double(sizerat[sizekind]) : 100.0;
  if (s.twobanks) {
    s.sH = cmdv / 100.0;
    s.sW = cmdh / 100.0;
  } else {
    s.sH = s.sW = 1.0;
  }
  s.sW *= r / 100.0;
  s.sH *= r / 100.0;
  return s;
}

namespace {
int button_height(const PanelMetrics &m, const PanelScale &s) { return int((m.lh + 6 * m.by) * s.sH); }
int page_width(const PanelMetrics &m, const PanelScale &s) { return int(8 * (m.cw + 2 * m.bx) * s.sW); }
} // namespace

int pnl_heightof(const PanelMetrics &m, const PanelScale &s) {
  return 12 * m.by + (s.twobanks ? 2 : 1) * button_height(m, s);
}

int pnl_widthof(const PanelMetrics &m, const PanelScale &s) {
  return 2 * (m.cw + 2 * m.bx) + (s.twobanks ? 2 : 1) * page_width(m, s);
}

int pnl_placeof(const PanelMetrics &m, const PanelScale &s, int side, PanelPlace out[PNL_BUTTONS]) {
  if (side < 0 || side > 3)
    side = 0;
  const bool horizontal = side <= 1;
  const int u = m.cw + 2 * m.bx, bh = button_height(m, s), wp = page_width(m, s);
  int x = u, y = 6 * m.by;
  if (s.twobanks && side == 1)
    y = pnl_heightof(m, s) - 6 * m.by - bh; // the first bank is the lower row
  if (s.twobanks && side == 3)
    x += wp; // the first bank is the right column
  int x3 = x, y3 = y;
  for (int i = 0; i < PNL_BANK; i++) {
    const int w = i < 3 && horizontal ? 6 * u : wp;
    out[i] = {x, y, w, bh};
    if (i == 3) {
      x3 = x;
      y3 = y;
    }
    if (horizontal) {
      x += w;
      if (i == 1 || i == 2)
        x += u;
    } else {
      y += bh;
      if (i == 1 || i == 2)
        y += bh / 2;
    }
  }
  if (!s.twobanks)
    return PNL_BANK;
  if (horizontal) {
    x = x3 - 3 * wp;
    y = 6 * m.by + (side == 0 ? bh : 0);
  } else {
    x = u + (side == 2 ? wp : 0);
    y = y3 - 3 * bh;
  }
  for (int i = 0; i < PNL_BANK; i++) {
    out[PNL_BANK + i] = {x, y, wp, bh};
    if (horizontal)
      x += wp;
    else
      y += bh;
  }
  return PNL_BUTTONS;
}
