// Drawing-unit geometry (doubles, millimetres of the sheet, y axis up) that the OLE
// classes hand to the document and view classes. Integer device and HIMETRIC
// quantities stay in POINT, SIZE and RECT.
#pragma once

#include <cmath>

// Two coordinates are the same when they differ by less than this; a NaN never is.
constexpr double KL_GEOM_TOLERANCE = 1e-6;

inline bool kl_near(double a, double b) { return std::fabs(a - b) < KL_GEOM_TOLERANCE; }

class CKLCoord {
public:
  CKLCoord() = default;
  CKLCoord(double x0, double y0) : x(x0), y(y0) {}
  CKLCoord(const CKLCoord &) = default;
  CKLCoord &operator=(const CKLCoord &) = default;
  virtual ~CKLCoord() = default;
  bool IsEqual(const CKLCoord &o) const { return kl_near(x, o.x) && kl_near(y, o.y); }

  double x = 0.0;
  double y = 0.0;
};

class CKLDSize {
public:
  CKLDSize() = default;
  CKLDSize(double w, double h) : cx(w), cy(h) {}
  CKLDSize(const CKLDSize &) = default;
  CKLDSize &operator=(const CKLDSize &) = default;
  virtual ~CKLDSize() = default;
  bool IsEqual(const CKLDSize &o) const { return kl_near(cx, o.cx) && kl_near(cy, o.cy); }

  double cx = 0.0;
  double cy = 0.0;
};

// The users of a rectangle say which corner each pair is; nothing is reordered here.
class CKLDRect {
public:
  CKLDRect() = default;
  CKLDRect(double l, double t, double r, double b) : left(l), top(t), right(r), bottom(b) {}
  CKLDRect(const CKLDRect &) = default;
  CKLDRect &operator=(const CKLDRect &) = default;
  virtual ~CKLDRect() = default;
  bool IsEqual(const CKLDRect &o) const {
    return kl_near(left, o.left) && kl_near(top, o.top) && kl_near(right, o.right) && kl_near(bottom, o.bottom);
  }
  bool operator!=(const CKLDRect &o) const { return !IsEqual(o); }

  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
};
