#include "shell/units/unitlayout.h"

namespace {

int nonneg(int v) { return v > 0 ? v : 0; }
int larger(int a, int b) { return a > b ? a : b; }

void put(LayOut &out, const LayIn &in, int u, int x, int y, int cx, int cy) {
  if (!in.unit[u].docked)
    return;
  out.unit[u] = {1, x, y, nonneg(cx), nonneg(cy)};
}

// Extent along the edge and thickness across it for a bar on a horizontal or vertical edge.
struct Along {
  int ext, thick;
};

// Units 3, 4 and 7 whose side is `side`, packed against that edge of R.
void pack_side(const LayIn &in, LayOut &out, LayRect &R, int side) {
  const bool horiz = side == 1 || side == 2;
  const bool near_edge = side == 1 || side == 3; // the first strip lies at the edge
  const int units[3] = {3, 4, 7};
  Along s[3];
  bool on[3] = {false, false, false}, any = false;
  for (int k = 0; k < 3; k++) {
    const LayUnit &u = in.unit[units[k]];
    int uside = u.side > 4 ? 1 : u.side; // sides beyond 4 count as top
    if (u.docked && uside == side) {
      s[k] = horiz ? Along{u.cx, u.cy} : Along{u.cy, u.cx};
      on[k] = any = true;
    } else
      s[k] = {0, 0};
  }
  if (!any)
    return;
  const int a = s[0].ext, b = s[1].ext, c = s[2].ext;
  const int L = horiz ? R.right - R.left : R.bottom - R.top;
  const int start = horiz ? R.left : R.top;

  // A strip of thickness t: its offset across the edge, and R shrinks by it.
  auto strip = [&](int t) {
    int off;
    switch (side) {
    case 1:
      off = R.top;
      R.top += t;
      break;
    case 2:
      R.bottom -= t;
      off = R.bottom;
      break;
    case 3:
      off = R.left;
      R.left += t;
      break;
    default:
      R.right -= t;
      off = R.right;
      break;
    }
    return off;
  };
  auto place = [&](int k, int across, int pos, int ext) {
    if (!on[k])
      return;
    if (horiz)
      put(out, in, units[k], start + pos, across, ext, s[k].thick);
    else
      put(out, in, units[k], across, start + pos, s[k].thick, ext);
  };

  if (L > a + b + c) {
    const int e7 = on[2] ? nonneg(L - (a + b)) : 0;
    const int e4 = on[1] ? nonneg(L - e7 - a) : 0;
    const int e3 = nonneg(L - e4 - e7);
    const int across = strip(larger(larger(s[0].thick, s[1].thick), s[2].thick));
    place(2, across, a + b, e7);
    place(1, across, a, e4);
    place(0, across, 0, e3);
  } else if (L <= b + c) {
    const int order_near[3] = {0, 1, 2}, order_far[3] = {2, 1, 0};
    const int *order = near_edge ? order_near : order_far;
    for (int i = 0; i < 3; i++) {
      const int k = order[i];
      if (on[k])
        place(k, strip(s[k].thick), 0, L);
    }
  } else {
    auto shared = [&] {
      const int across = strip(larger(s[1].thick, s[2].thick));
      const int e7 = on[2] ? nonneg(L - b) : 0;
      place(2, across, b, e7);
      place(1, across, 0, nonneg(L - e7));
    };
    if (near_edge) {
      if (on[0])
        place(0, strip(s[0].thick), 0, L);
      shared();
    } else {
      shared();
      if (on[0])
        place(0, strip(s[0].thick), 0, L);
    }
  }
}

void toolbar_layout(const LayIn &in, LayOut &out, LayRect &R) {
  const LayUnit &u6 = in.unit[6], &u1 = in.unit[1], &u5 = in.unit[5];
  const int w6 = u6.docked ? u6.cx : 0, w1 = u1.docked ? u1.cx : 0, w5 = u5.docked ? u5.cx : 0;
  const int h6 = u6.docked ? u6.cy : 0, h1 = u1.docked ? u1.cy : 0, h5 = u5.docked ? u5.cy : 0;
  const int width = R.right - R.left;
  if (width > w6 + w1 + w5) {
    const int n5 = u5.docked ? nonneg(R.right - (R.left + w6 + w1)) : 0;
    const int n1 = u1.docked ? nonneg(R.right - n5 - (R.left + w6)) : 0;
    put(out, in, 5, R.left + w6 + w1, R.top, n5, h5);
    put(out, in, 1, R.left + w6, R.top, n1, h1);
    put(out, in, 6, R.left, R.top, width - n5 - n1, h6);
    R.top += larger(larger(h6, h1), h5);
  } else if (width <= w6 + w1) {
    put(out, in, 5, R.left, R.top, width, h5);
    R.top += h5;
    put(out, in, 1, R.left, R.top, width, h1);
    R.top += h1;
    put(out, in, 6, R.left, R.top, width, h6);
    R.top += h6;
  } else {
    put(out, in, 5, R.left, R.top, width, h5);
    R.top += h5;
    const int n1 = u1.docked ? nonneg(R.right - (R.left + w6)) : 0;
    put(out, in, 1, R.left + w6, R.top, n1, h1);
    put(out, in, 6, R.left, R.top, width - n1, h6);
    R.top += larger(h6, h1);
  }
  for (int side = 1; side <= 4; side++)
    pack_side(in, out, R, side);
}

void panel_layout(const LayIn &in, LayOut &out, LayRect &R) {
  const LayUnit &u1 = in.unit[1], &u2 = in.unit[2], &u0 = in.unit[0];
  const int w1 = u1.docked ? u1.cx : 0, w2 = u2.docked ? u2.cx : 0;
  const int h1 = u1.docked ? u1.cy : 0, h2 = u2.docked ? u2.cy : 0;
  const int width = R.right - R.left;
  if (width >= w1 + w2) {
    put(out, in, 1, R.left, R.top, width - w2, h1);
    put(out, in, 2, R.right - w2, R.top, w2, h2);
    R.top += larger(h1, h2);
  } else {
    put(out, in, 2, R.left, R.top, width, h2);
    R.top += h2;
    put(out, in, 1, R.left, R.top, width, h1);
    R.top += h1;
  }
  if (!u0.docked)
    return;
  switch (u0.side) {
  case 0:
    put(out, in, 0, R.left, R.top, R.right - R.left, u0.cy);
    R.top += u0.cy;
    break;
  case 1:
    R.bottom -= u0.cy;
    put(out, in, 0, R.left, R.bottom, R.right - R.left, u0.cy);
    break;
  case 2:
    put(out, in, 0, R.left, R.top, u0.cx, R.bottom - R.top);
    R.left += u0.cx;
    break;
  default:
    R.right -= u0.cx;
    put(out, in, 0, R.right, R.top, u0.cx, R.bottom - R.top);
    break;
  }
}

} // namespace

LayOut unit_layout(const LayIn &in) {
  LayOut out = {};
  LayRect R = in.client;
  out.mesg = {1, R.left, R.bottom - in.mesg_cy, R.right - R.left, in.mesg_cy};
  R.bottom -= in.mesg_cy;
  if (in.layout)
    panel_layout(in, out, R);
  else
    toolbar_layout(in, out, R);
  out.mdi = {1, R.left, R.top, nonneg(R.right - R.left), nonneg(R.bottom - R.top)};
  return out;
}
