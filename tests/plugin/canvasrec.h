// A canvas that keeps what the preview drew, for tests.
#pragma once

#include <algorithm>
#include <climits>
#include <vector>

#include "plugin/rarufont.h"

struct CanvasRec : RaruCanvas {
  struct Line {
    int x1, y1, x2, y2;
  };
  struct Arc {
    int l, t, r, b, xs, ys, xe, ye;
  };
  std::vector<Line> lines;
  std::vector<Arc> arcs;
  void line(int x1, int y1, int x2, int y2) override { lines.push_back({x1, y1, x2, y2}); }
  void arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) override {
    arcs.push_back({l, t, r, b, xs, ys, xe, ye});
  }
  // Bounding box of everything drawn (arcs by their boxes).
  struct Box {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    bool empty() const { return x0 > x1; }
    void add(int x, int y) {
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  };
  Box box() const {
    Box b;
    for (const auto &l : lines) {
      b.add(l.x1, l.y1);
      b.add(l.x2, l.y2);
    }
    for (const auto &a : arcs) {
      b.add(a.xs, a.ys);
      b.add(a.xe, a.ye);
    }
    return b;
  }
  void clear() {
    lines.clear();
    arcs.clear();
  }
};
