// Element transforms: what each mode does to the stored fields of each kind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "../../database/dbstart.h"
#include "commands/edit/copygrp.h"
#include "commands/edit/transform.h"
#include "database/elements.h"
#include "settings/params.h"
#ifdef _WIN32
#include "input/inpkind.h"
#endif

namespace {

constexpr double PI = 3.14159265358979323846;

// One stored field: a double, a float or a 16-bit word at its offset in the record.
struct Field {
  int off;
  char type; // 'd', 'f', 'w'
  double v;
};

void put(ElementRecord &r, const Field &f) {
  auto *b = reinterpret_cast<uint8_t *>(&r);
  if (f.type == 'd') {
    double v = f.v;
    std::memcpy(b + f.off, &v, 8);
  } else if (f.type == 'f') {
    float v = static_cast<float>(f.v);
    std::memcpy(b + f.off, &v, 4);
  } else {
    uint16_t v = static_cast<uint16_t>(f.v);
    b[f.off] = static_cast<uint8_t>(v);
    b[f.off + 1] = static_cast<uint8_t>(v >> 8);
  }
}

double get(const ElementRecord &r, const Field &f) {
  const auto *b = reinterpret_cast<const uint8_t *>(&r);
  if (f.type == 'd') {
    double v;
    std::memcpy(&v, b + f.off, 8);
    return v;
  }
  if (f.type == 'f') {
    float v;
    std::memcpy(&v, b + f.off, 4);
    return v;
  }
  return b[f.off] | b[f.off + 1] << 8;
}

// Stored fields by offset (the record is packed: no references into it).
double D(const ElementRecord &r, int off) { return get(r, {off, 'd', 0}); }
double F(const ElementRecord &r, int off) { return get(r, {off, 'f', 0}); }

ElementRecord make(uint16_t kind, std::vector<Field> fields, uint8_t info = 0, uint8_t sub = 0) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.encsub = info;
  r.subkind = sub;
  r.parent = -1;
  r.next = -1;
  for (const auto &f : fields)
    put(r, f);
  return r;
}

// Field lists of the kinds.
std::vector<Field> pnt(double x, double y) { return {{20, 'd', x}, {28, 'd', y}}; }
std::vector<Field> lin(double x1, double y1, double x2, double y2) {
  return {{20, 'd', x1}, {28, 'd', y1}, {36, 'd', x2}, {44, 'd', y2}};
}
std::vector<Field> arc(double cx, double cy, double r, double s, double e, int attr = 0) {
  return {{20, 'd', cx}, {28, 'd', cy}, {36, 'd', r}, {44, 'd', s}, {52, 'd', e}, {60, 'w', double(attr)}};
}
std::vector<Field> chr(double x, double y, double a, double h = 10, double w = 8, double s = 2, int attr = 0) {
  return {{20, 'f', x}, {24, 'f', y}, {28, 'f', h}, {32, 'f', w}, {36, 'f', s}, {40, 'f', a}, {48, 'w', double(attr)}};
}
std::vector<Field> box(double x, double y, double sx, double sy, double a) {
  return {{24, 'd', x}, {32, 'd', y}, {40, 'd', sx}, {48, 'd', sy}, {56, 'd', a}};
}
std::vector<Field> dimseg(int cls, double x1, double y1, double x2, double y2) {
  return {{28, 'w', double(cls)}, {30, 'd', x1}, {38, 'd', y1}, {46, 'd', x2}, {54, 'd', y2}};
}
std::vector<Field> dimarc(int cls, double cx, double cy, double r, double s, double e) {
  return {{28, 'w', double(cls)}, {30, 'd', cx}, {38, 'd', cy}, {46, 'd', r}, {54, 'd', s}, {62, 'd', e}};
}
ElementRecord dimnode(std::vector<Field> f) {
  ElementRecord r = make(NOD, f, 0, 1);
  r.nod.child = -1;
  r.nod.attr = -1;
  return r;
}

const double C40 = std::cos(40 * PI / 180), S40 = std::sin(40 * PI / 180);

struct Case {
  const char *name;
  ElementRecord rec;
  int mode, n;
  std::function<void()> set;
  std::vector<Field> want;
  const char *text = nullptr;
  int partial = 0, in400 = 0;
};

void check(const Case &c) {
  ElementRecord r = c.rec;
  if (c.set)
    c.set();
  trn_dimtext() = TrnDimText{};
  ASSERT_EQ(trn_apply(c.mode, &r, c.n, c.text, c.partial, c.in400), 0) << c.name;
  ElementRecord expect = c.rec;
  for (const auto &f : c.want)
    put(expect, f);
  for (const auto &f : c.want)
    EXPECT_NEAR(get(r, f), f.v, f.type == 'f' ? 1e-4 : 1e-9) << c.name << " at +" << f.off;
  // Every byte the case names no new value for is as it was.
  for (const auto &f : c.want)
    put(r, f);
  EXPECT_EQ(std::memcmp(&r, &expect, sizeof r), 0) << c.name << ": other bytes changed";
}

auto move(double dx, double dy) {
  return [=] { trn_setmove(dx, dy); };
}
auto rotate(double cx, double cy, double t) {
  return [=] { trn_setrotate(cx, cy, t); };
}
auto mirror(double x1, double y1, double x2, double y2) {
  return [=] { trn_setmirror(x1, y1, x2, y2); };
}
auto scale(double x0, double y0, double x1, double y1, double sx, double sy, int sw = 0) {
  return [=] { trn_setscale(x0, y0, x1, y1, sx, sy, sw); };
}
auto stretch(double dx, double dy, double xa, double ya, double xb, double yb) {
  return [=] { trn_setstretch(dx, dy, xa, ya, xb, yb, 0); };
}

TEST(Transforms, ModesOverKinds) {
  const Case cases[] = {
      // Move.
      {"line moved three times by n = 3", make(LIN, lin(0, 0, 10, 0)), 0, 3, move(1, 2), lin(3, 6, 13, 6)},
      {"point moved", make(PNT, pnt(1, 1)), 0, 1, move(-1, 2), pnt(0, 3)},
      {"arc moves its centre only", make(ARC, arc(1, 1, 5, 10, 20)), 0, 2, move(1, 1), arc(3, 3, 5, 10, 20)},
      {"text base moved", make(CHR, chr(1, 2, 30)), 0, 1, move(0.5, -1), chr(1.5, 1, 30)},
      {"kind 16 reference point moved", make(MSKBOX, box(1, 1, 4, 2, 10)), 0, 1, move(1, 1), box(2, 2, 4, 2, 10)},
      {"masked line moved", make(LIN + MSKBOX, lin(0, 0, 1, 0)), 0, 1, move(1, 1), lin(1, 1, 2, 1)},
      {"two-point dimension moved", dimnode(dimseg(200, 0, 0, 5, 0)), 0, 1, move(1, 1), dimseg(200, 1, 1, 6, 1)},
      {"arc dimension moves its centre", dimnode(dimarc(600, 0, 0, 3, 0, 90)), 0, 1, move(1, 1),
       dimarc(600, 1, 1, 3, 0, 90)},
      {"other dimension classes stay", dimnode(dimseg(800, 0, 0, 5, 0)), 0, 1, move(1, 1), {}},
      {"a group node that is no dimension stays", make(NOD, dimseg(100, 0, 0, 5, 0), 0, 8), 0, 1, move(1, 1), {}},

      // Rotate by 200 twice: 400 for the arc's angles (normalised), 40 elsewhere.
      {"arc rotated by 2 x 200", make(ARC, arc(10, 0, 1, 0, 90)), 1, 2, rotate(0, 0, 200),
       arc(10 * C40, 10 * S40, 1, 40, 130)},
      {"point rotated by 2 x 200", make(PNT, pnt(10, 0)), 1, 2, rotate(0, 0, 200), pnt(10 * C40, 10 * S40)},
      {"text rotated by 2 x 200", make(CHR, chr(10, 0, 0)), 1, 2, rotate(0, 0, 200), chr(10 * C40, 10 * S40, 40)},
      {"text angle corrected once", make(CHR, chr(0, 0, 350)), 1, 1, rotate(0, 0, 30), chr(0, 0, 20)},
      {"line rotated", make(LIN, lin(1, 0, 2, 0)), 1, 1, rotate(0, 0, 90), lin(0, 1, 0, 2)},
      {"kind 16 angle wrapped", make(MSKBOX, box(1, 0, 4, 2, 350)), 1, 1, rotate(0, 0, 400), box(C40, S40, 4, 2, 30)},
      {"kind 16 angle a whole turn stays one", make(MSKBOX, box(1, 0, 4, 2, 0)), 1, 2, rotate(0, 0, 360),
       box(1, 0, 4, 2, 360)},
      {"masked line rotated", make(LIN + MSKBOX, lin(1, 0, 2, 0)), 1, 1, rotate(0, 0, 90), lin(0, 1, 0, 2)},
      {"arc dimension rotated", dimnode(dimarc(500, 1, 0, 3, 0, 90)), 1, 1, rotate(0, 0, 90),
       dimarc(500, 0, 1, 3, 90, 180)},

      // Mirror.
      {"full circle: only its centre", make(ARC, arc(5, 5, 2, 0, 360, 0x1100)), 2, 1, mirror(0, 0, 1, 0),
       arc(5, -5, 2, 0, 360, 0x1100)},
      {"arc 0-90 in the x axis: 270-360, marks exchanged", make(ARC, arc(0, 0, 1, 0, 90, 0x1103)), 2, 1,
       mirror(0, 0, 1, 0), arc(0, 0, 1, 270, 360, 0x0a03)},
      {"equal marks stay", make(ARC, arc(0, 0, 1, 0, 90, 0x0900)), 2, 1, mirror(0, 0, 1, 0),
       arc(0, 0, 1, 270, 360, 0x0900)},
      // Compound-text arcs: bit 15 set clears 15 and 14, else both are set.
      {"compound-text arc with bit 15", make(ARC, arc(0, 0, 1, 0, 90, 0x8000), 8), 2, 1, mirror(0, 0, 1, 0),
       arc(0, 0, 1, 270, 360, 0x0000)},
      {"compound-text arc with bits 15 and 14", make(ARC, arc(0, 0, 1, 0, 90, 0xc000), 8), 2, 1, mirror(0, 0, 1, 0),
       arc(0, 0, 1, 270, 360, 0x0000)},
      {"compound-text arc with bit 14 only", make(ARC, arc(0, 0, 1, 0, 90, 0x4000), 8), 2, 1, mirror(0, 0, 1, 0),
       arc(0, 0, 1, 270, 360, 0xc000)},
      {"compound-text arc with neither", make(ARC, arc(0, 0, 1, 0, 90, 0x0000), 8), 2, 1, mirror(0, 0, 1, 0),
       arc(0, 0, 1, 270, 360, 0xc000)},
      {"plain arc keeps its direction bits", make(ARC, arc(0, 0, 1, 0, 90, 0x8000)), 2, 1, mirror(0, 0, 1, 0),
       arc(0, 0, 1, 270, 360, 0x8000)},
      // "AB" is 18 long (h 10, w 8, s 2): its end point (23, 0) mirrors to (-23, 0).
      {"left text, angle 0, upward axis", make(CHR, chr(5, 0, 0)), 2, 1, mirror(0, 0, 0, 1), chr(-23, 0, 360), "AB"},
      {"centred text mirrors its base", make(CHR, chr(5, 0, 0, 10, 8, 2, 1 << 7)), 2, 1, mirror(0, 0, 0, 1),
       chr(-5, 0, 360, 10, 8, 2, 1 << 7), "AB"},
      {"right text mirrors its start", make(CHR, chr(5, 0, 0, 10, 8, 2, 2 << 7)), 2, 1, mirror(0, 0, 0, 1),
       chr(13, 0, 360, 10, 8, 2, 2 << 7), "AB"},
      {"text in the x axis reads forward", make(CHR, chr(0, 3, 0)), 2, 1, mirror(0, 0, 1, 0), chr(18, -3, 180), "AB"},
      {"line: ends mirrored, marks kept", make(LIN, lin(1, 1, 2, 3)), 2, 1, mirror(0, 0, 1, 0), lin(1, -1, 2, -3)},
      {"point mirrored", make(PNT, pnt(3, 4)), 2, 1, mirror(0, 0, 1, 1), pnt(4, 3)},
      {"two-point dimension mirrored", dimnode(dimseg(100, 1, 1, 2, 3)), 2, 1, mirror(0, 0, 1, 0),
       dimseg(100, 1, -1, 2, -3)},
      {"arc dimension: no mark exchange", dimnode(dimarc(700, 0, 0, 1, 0, 90)), 2, 1, mirror(0, 0, 1, 0),
       dimarc(700, 0, 0, 1, 270, 360)},
      {"masked line not mirrored", make(LIN + MSKBOX, lin(1, 1, 2, 3)), 2, 1, mirror(0, 0, 1, 0), {}},
      {"masked arc not mirrored", make(ARC + MSKBOX, arc(0, 0, 1, 0, 90)), 2, 1, mirror(0, 0, 1, 0), {}},
      {"kind 16 not mirrored", make(MSKBOX, box(1, 1, 4, 2, 10)), 2, 1, mirror(0, 0, 1, 0), {}},
      {"degenerate axis changes nothing", make(PNT, pnt(3, 4)), 2, 1, mirror(1, 1, 1, 1), {}},

      // Two-axis scale.
      {"circle stays a circle of radius r sx", make(ARC, arc(1, 1, 2, 0, 360)), 3, 1, scale(0, 0, 0, 0, 3, 2),
       arc(3, 2, 6, 0, 360)},
      {"scale offset grows with n", make(PNT, pnt(1, 1)), 3, 2, scale(0, 0, 1, 1, 2, 2), pnt(4, 4)},
      {"text sizes: width and spacing by sx, height by sy", make(CHR, chr(1, 1, 30)), 3, 1, scale(0, 0, 0, 0, 2, 3),
       chr(2, 3, 30, 30, 16, 4)},
      {"value text keeps its sizes", make(CHR, chr(1, 1, 0), 1), 3, 1, scale(0, 0, 0, 0, 2, 3), chr(2, 3, 0)},
      {"value text scaled with switch 2", make(CHR, chr(1, 1, 0), 1), 3, 1, scale(0, 0, 0, 0, 2, 3, 2),
       chr(2, 3, 0, 30, 16, 4)},
      {"kind 16 sizes by sx and sy", make(MSKBOX, box(1, 1, 4, 2, 10)), 3, 1, scale(0, 0, 0, 0, 2, 3),
       box(2, 3, 8, 6, 10)},
      {"arc dimension radius by sx", dimnode(dimarc(500, 1, 1, 2, 0, 90)), 3, 1, scale(0, 0, 0, 0, 2, 3),
       dimarc(500, 2, 3, 4, 0, 90)},

      // Stretch; the window is x 5..15, y -5..5.
      {"not partial: moved whole", make(LIN, lin(0, 0, 10, 0)), 4, 3, stretch(1, 2, 5, -5, 15, 5),
       lin(1, 2, 11, 2)},
      {"line end inside moves", make(LIN, lin(0, 0, 10, 0)), 4, 1, stretch(1, 2, 5, -5, 15, 5), lin(0, 0, 11, 2), {}, 1},
      {"line start inside moves", make(LIN, lin(10, 0, 20, 0)), 4, 1, stretch(1, 2, 5, -5, 15, 5), lin(11, 2, 20, 0),
       {}, 1},
      {"line both inside", make(LIN, lin(6, 0, 7, 0)), 4, 1, stretch(1, 2, 5, -5, 15, 5), lin(7, 2, 8, 2), {}, 1},
      {"partial text moves by half", make(CHR, chr(10, 0, 0)), 4, 1, stretch(4, 2, 5, -5, 15, 5), chr(12, 1, 0), {}, 1},
      {"partial text of a class-400 member moves whole", make(CHR, chr(10, 0, 0)), 4, 1, stretch(4, 2, 5, -5, 15, 5),
       chr(14, 2, 0), {}, 1, 1},
      {"masked line not stretched", make(LIN + MSKBOX, lin(0, 0, 10, 0)), 4, 1, stretch(1, 2, 5, -5, 15, 5), {}},
      {"kind 16 not stretched", make(MSKBOX, box(10, 0, 1, 1, 0)), 4, 1, stretch(1, 2, 5, -5, 15, 5), {}},
      {"dimension p2 inside moves", dimnode(dimseg(100, 0, 0, 10, 0)), 4, 1, stretch(1, 2, 5, -5, 15, 5),
       dimseg(100, 0, 0, 11, 2), {}, 1},
      {"dimension with neither inside stays", dimnode(dimseg(100, 0, 0, 20, 0)), 4, 1, stretch(1, 2, 5, -5, 15, 5), {},
       {}, 1},

      // Rotate then move; scale then rotate.
      {"rotate once, move n times", make(PNT, pnt(1, 0)), 5, 2,
       [] {
         trn_setrotmove(1, 0, 0, 0, 90);
       },
       pnt(2, 1)},
      {"scale then rotate", make(PNT, pnt(1, 0)), 6, 1,
       [] {
         trn_setscale(0, 0, 0, 0, 2, 2, 0);
         trn_setrotate(0, 0, 90);
       },
       pnt(0, 2)},
  };
  for (const auto &c : cases)
    check(c);
}

TEST(Transforms, RotateMoveSetsBaseAndTarget) {
  trn_setrotmove(3, 4, 1, 2, 30);
  const TrnParams &p = trn_params();
  EXPECT_EQ(p.bx, 1);
  EXPECT_EQ(p.by, 2);
  EXPECT_EQ(p.tx, 4);
  EXPECT_EQ(p.ty, 6);
  EXPECT_EQ(p.theta, 30);
}

TEST(Transforms, UnknownModeIsRefused) {
  ElementRecord r = make(PNT, pnt(1, 1));
  EXPECT_EQ(trn_apply(7, &r, 1, nullptr, 0, 0), -7);
  EXPECT_EQ(trn_apply(-1, &r, 1, nullptr, 0, 0), -7);
}

TEST(Transforms, StretchWindowFromAnyCorner) {
  trn_setstretch(1, 1, 15, 5, 5, -5, 1);
  TrnParams a = trn_params();
  trn_setstretch(1, 1, 5, -5, 15, 5, 1);
  const TrnParams &b = trn_params();
  EXPECT_EQ(a.xmin, 5);
  EXPECT_EQ(a.ymin, -5);
  EXPECT_EQ(a.xmax, 15);
  EXPECT_EQ(a.ymax, 5);
  EXPECT_EQ(a.xmin, b.xmin);
  EXPECT_EQ(a.ymin, b.ymin);
  EXPECT_EQ(a.xmax, b.xmax);
  EXPECT_EQ(a.ymax, b.ymax);
}

double sagitta(const ElementRecord &r) { return (1 - std::cos((D(r, 52) - D(r, 44)) / 2 * PI / 180)) * D(r, 36); }

TEST(Transforms, StretchedPartialArcKeepsItsSagitta) {
  const double sweeps[][2] = {{0, 90}, {30, 150}, {-60, 200}};
  for (const auto &sw : sweeps) {
    ElementRecord a = make(ARC, arc(0, 0, 10, sw[0], sw[1]));
    double sx = 10 * std::cos(sw[0] * PI / 180), sy = 10 * std::sin(sw[0] * PI / 180);
    trn_setstretch(0, 3, sx - 1, sy - 1, sx + 1, sy + 1, 0);
    ElementRecord b = a;
    ASSERT_EQ(trn_stretch(&b, 1, 1, 0), 0);
    EXPECT_NEAR(sagitta(b), sagitta(a), 1e-9) << sw[0];
    // The start moved by the displacement, the end stayed.
    auto at = [&](double ang) {
      return GeoPoint{D(b, 20) + D(b, 36) * std::cos(ang * PI / 180), D(b, 28) + D(b, 36) * std::sin(ang * PI / 180)};
    };
    GeoPoint s = at(D(b, 44)), e = at(D(b, 52));
    EXPECT_NEAR(s.x, sx, 1e-9);
    EXPECT_NEAR(s.y, sy + 3, 1e-9);
    EXPECT_NEAR(e.x, 10 * std::cos(sw[1] * PI / 180), 1e-9);
    EXPECT_NEAR(e.y, 10 * std::sin(sw[1] * PI / 180), 1e-9);
  }
}

TEST(Transforms, StretchedArcWithOnlyItsEndInside) {
  ElementRecord a = make(ARC, arc(0, 0, 10, 0, 90));
  trn_setstretch(2, 0, -1, 9, 1, 11, 0);
  ElementRecord b = a;
  trn_stretch(&b, 1, 1, 0);
  EXPECT_NEAR(sagitta(b), sagitta(a), 1e-9);
  EXPECT_NEAR(D(b, 20) + D(b, 36) * std::cos(D(b, 52) * PI / 180), 2, 1e-9);
  EXPECT_NEAR(D(b, 20) + D(b, 36) * std::cos(D(b, 44) * PI / 180), 10, 1e-9);
}

// Dimension texts under the mirror.
TEST(Transforms, DimensionTextOnItsLine) {
  struct {
    const char *name;
    GeoPoint axis1, axis2, start, end, foot;
    double x, y, angle;
  } cases[] = {
      // Mirrored line runs at 45 degrees: the text turns +90 about the foot, angle 45.
      {"gamma in [0, 90]", {0, 0}, {0, 1}, {0, 0}, {-10, 10}, {-5, 5}, 5 - std::sqrt(2.0), 5 + std::sqrt(2.0), 45},
      // At 315 it still turns +90.
      {"gamma in (270, 360]", {0, 0}, {1, 0}, {0, 0}, {10, 10}, {5, 5}, 5 + std::sqrt(2.0), -5 + std::sqrt(2.0), 315},
      // At 180 it turns -90 and reads at 0.
      {"gamma in (90, 270]", {0, 0}, {0, 1}, {0, 0}, {10, 0}, {5, 0}, -5, 2, 0},
  };
  for (const auto &c : cases) {
    trn_setmirror(c.axis1.x, c.axis1.y, c.axis2.x, c.axis2.y);
    TrnDimText dt{1, 1, c.start, c.end, c.foot, 2};
    ElementRecord r = make(CHR, chr(99, 99, 7), 1);
    ASSERT_EQ(trn_mirror(&r, 1, "12", &dt), 0);
    EXPECT_NEAR(F(r, 20), c.x, 1e-4) << c.name;
    EXPECT_NEAR(F(r, 24), c.y, 1e-4) << c.name;
    EXPECT_NEAR(F(r, 40), c.angle, 1e-4) << c.name;
  }
}

TEST(Transforms, DimensionTextOffItsLineIsTurnedToRead) {
  TrnDimText dt{1, 0, {}, {}, {}, 0};
  trn_setmirror(0, 0, 1, 0);
  ElementRecord r = make(CHR, chr(5, 3, 0), 1);
  trn_mirror(&r, 1, "AB", &dt);
  EXPECT_FLOAT_EQ(F(r, 20), 23);
  EXPECT_FLOAT_EQ(F(r, 24), -3);
  EXPECT_FLOAT_EQ(F(r, 40), 0); // 180, turned back
  // 360 already reads forward.
  trn_setmirror(0, 0, 0, 1);
  r = make(CHR, chr(5, 0, 0), 1);
  trn_mirror(&r, 1, "AB", &dt);
  EXPECT_FLOAT_EQ(F(r, 20), -23);
  EXPECT_FLOAT_EQ(F(r, 40), 360);
}

TEST(Transforms, LayerScaleAboutTheBasePoint) {
  trn_setbase(10, 10, 0, 0);
  ElementRecord p = make(PNT, pnt(11, 12));
  trn_layscale(&p, 2);
  EXPECT_EQ(D(p, 20), 12);
  EXPECT_EQ(D(p, 28), 14);

  ElementRecord a = make(ARC, arc(10, 12, 3, 10, 20));
  trn_layscale(&a, 0.5);
  EXPECT_EQ(D(a, 28), 11);
  EXPECT_EQ(D(a, 36), 1.5);
  EXPECT_EQ(D(a, 44), 10);

  ElementRecord t = make(CHR, chr(12, 10, 30), 0);
  trn_layscale(&t, 2);
  EXPECT_FLOAT_EQ(F(t, 20), 14);
  EXPECT_FLOAT_EQ(F(t, 28), 20);
  EXPECT_FLOAT_EQ(F(t, 32), 16);
  EXPECT_FLOAT_EQ(F(t, 36), 4);
  EXPECT_FLOAT_EQ(F(t, 40), 30);

  // A dimension's value text moves with its base point and keeps its sizes.
  ElementRecord v = make(CHR, chr(12, 10, 30), 1);
  trn_layscale(&v, 2);
  EXPECT_FLOAT_EQ(F(v, 20), 14);
  EXPECT_FLOAT_EQ(F(v, 28), 10);
  EXPECT_FLOAT_EQ(F(v, 32), 8);
  EXPECT_FLOAT_EQ(F(v, 36), 2);

  // Kind 16: a coordinate that comes out below 1e-6 is 0; sizes scaled.
  trn_setbase(0, 0, 0, 0);
  ElementRecord b = make(MSKBOX, box(4e-7, 5, 2, 3, 10));
  trn_layscale(&b, 2);
  EXPECT_EQ(get(b, {24, 'd', 0}), 0.0);
  EXPECT_EQ(get(b, {32, 'd', 0}), 10);
  EXPECT_EQ(get(b, {40, 'd', 0}), 4);
  EXPECT_EQ(get(b, {48, 'd', 0}), 6);
  EXPECT_EQ(get(b, {56, 'd', 0}), 10);
}

// A typeface measure that stands in for the current view's window.
double FaceWidth = 0;
int face(uint16_t, double, double, double, const char *, ChrLayout *lay) {
  std::memset(lay, 0, sizeof *lay);
  lay->width = FaceWidth;
  return 1;
}

TEST(Transforms, LengthRatioOfTheTypefaceLayout) {
  trn_setmeasure(face);
  ChrLayout lay;
  double len = 0;
  FaceWidth = 9;
  EXPECT_DOUBLE_EQ(trn_lenratio(1 << 9, 10, 8, 2, "AB", &lay, &len), 2);
  EXPECT_DOUBLE_EQ(len, 9);
  // Font kind 0 is never measured in a typeface.
  EXPECT_DOUBLE_EQ(trn_lenratio(0, 10, 8, 2, "AB", &lay, &len), 1);
  EXPECT_DOUBLE_EQ(len, 18);
  // A typeface that measures nothing (or nonsense) leaves r = 1 and the stroke length.
  for (double w : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    FaceWidth = w;
    EXPECT_DOUBLE_EQ(trn_lenratio(1 << 9, 10, 8, 2, "AB", &lay, &len), 1) << w;
    EXPECT_DOUBLE_EQ(len, 18) << w;
  }
  trn_setmeasure(nullptr);
}

TEST(Transforms, TypefaceMeasureOfZeroStillMirrorsTheText) {
  trn_setmeasure(face);
  FaceWidth = 0;
  trn_setmirror(0, 0, 0, 1);
  ElementRecord r = make(CHR, chr(5, 0, 0, 10, 8, 2, 1 << 9));
  trn_mirror(&r, 1, "AB", nullptr);
  EXPECT_TRUE(std::isfinite(F(r, 20)) && std::isfinite(F(r, 24)));
  EXPECT_FLOAT_EQ(F(r, 20), -23);
  EXPECT_FLOAT_EQ(F(r, 40), 360);
  trn_setmeasure(nullptr);
}

TEST(Transforms, HugeOrMissingAngleLeavesTheRecord) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const ElementRecord recs[] = {make(PNT, pnt(1, 2)), make(ARC, arc(1, 2, 3, 0, 90)), make(CHR, chr(1, 2, 30)),
                                make(MSKBOX, box(1, 2, 3, 4, 5)), dimnode(dimseg(100, 1, 2, 3, 4))};
  for (double t : {1e300, -1e300, nan, inf, 1e16}) {
    trn_setrotate(0, 0, t);
    for (const auto &r0 : recs) {
      ElementRecord r = r0;
      EXPECT_EQ(trn_rotate(&r, 1), 0);
      EXPECT_EQ(std::memcmp(&r, &r0, sizeof r), 0) << t << " kind " << r0.kind;
    }
  }
  // A stored kind-16 angle that is no number stays as it is, and so does the record.
  trn_setrotate(0, 0, 30);
  ElementRecord b = make(MSKBOX, box(1, 2, 3, 4, nan)), b0 = b;
  trn_rotate(&b, 1);
  EXPECT_EQ(std::memcmp(&b, &b0, sizeof b), 0);
  // A huge stored one is brought into range at once.
  b = make(MSKBOX, box(1, 0, 3, 4, 1e300));
  trn_setrotate(0, 0, 90);
  trn_rotate(&b, 1);
  double a = get(b, {56, 'd', 0});
  EXPECT_TRUE(a >= -360 && a <= 360) << a;
}

TEST(Transforms, ResultsThatOverflowLeaveTheRecord) {
  trn_setmove(1e308, 0);
  ElementRecord p = make(PNT, pnt(1e308, 0)), p0 = p;
  trn_move(&p, 1);
  EXPECT_EQ(std::memcmp(&p, &p0, sizeof p), 0);
  trn_setmove(1e38, 0);
  ElementRecord t = make(CHR, chr(3e38, 0, 0)), t0 = t;
  trn_move(&t, 1);
  EXPECT_EQ(std::memcmp(&t, &t0, sizeof t), 0);
}

// Re-valuing dimension texts needs a store (dimension members) and the number settings.
struct Dims : ::testing::Test {
  DimAttrs saved;
  void SetUp() override {
    db_start(1000, 300);
    sys_dimatr('r', &saved);
    DimAttrs d = saved;
    d.decimals = 2;
    d.zeromode = 1;
    sys_dimatr('w', &d);
#ifdef _WIN32
    uint32_t rec[INP_KINDWORDS];
    inp_kind('r', 5, rec);
    rec[3] = 2;
    inp_kind('w', 5, rec);
#endif
  }
  void TearDown() override {
    sys_dimatr('w', &saved);
    int16_t nums[64], dens[64];
    for (int i = 0; i < 64; ++i)
      nums[i] = dens[i] = 1;
    sys_scltbl('w', 0, nums, dens);
    dtb_term();
  }
  // Adds a line member on layer k; returns its number.
  int32_t member(double x1, double y1, double x2, double y2, int layer = 0) {
    ElementRecord r = make(LIN, lin(x1, y1, x2, y2));
    r.layer = static_cast<uint8_t>(layer);
    return elm_add(0, 0, ELM_NODRAW, &r, nullptr);
  }
  void link(int32_t from, int32_t to) { dtb_ptr(0, from)->next = to; }
};

TEST_F(Dims, ScaleRewritesTheValue) {
  struct {
    ElementRecord node;
    int sw;
    double f;
    const char *want;
    int rc;
  } cases[] = {
      {dimnode(dimseg(100, 0, 0, 30, 40)), 1, 2, "L|25.00|mm", 0},
      {dimnode(dimseg(400, 0, 0, 30, 40)), 3, 4, "L|12.50|mm", 0},
      {dimnode(dimarc(500, 0, 0, 5, 0, 90)), 1, 2, "L|2.50|mm", 0},
      {dimnode(dimarc(600, 0, 0, 5, 0, 90)), 1, 2, "L|5.00|mm", 0},
      {dimnode(dimarc(700, 0, 0, 5, 0, 90)), 1, 2, "L|0|mm", 0},
      {dimnode(dimseg(100, 0, 0, 30, 40)), 0, 2, "L|0|mm", 0},
      {dimnode(dimseg(100, 0, 0, 30, 40)), 2, 2, "L|0|mm", 0},
      // No factor, no value: the text stays.
      {dimnode(dimseg(100, 0, 0, 30, 40)), 1, 0, "L|0|mm", 1},
      {dimnode(dimseg(100, 0, 0, 30, 40)), 1, std::nan(""), "L|0|mm", 1},
  };
  for (const auto &c : cases) {
    trn_setscale(0, 0, 0, 0, 1, 1, c.sw);
    char text[64] = "L|0|mm";
    ElementRecord t = make(CHR, chr(0, 0, 0), 1);
    EXPECT_EQ(trn_dimscale(&c.node, &t, text, c.f), c.rc);
    EXPECT_STREQ(text, c.want);
  }
}

TEST_F(Dims, StretchRewritesByTheScaleOfTheNodesLayer) {
  ElementRecord node = dimnode(dimseg(100, 0, 0, 30, 40));
  int32_t a = member(0, 0, 0, 5, 0), b = member(30, 40, 30, 45, 5);
  node.nod.child = a;
  link(a, b);
  EXPECT_EQ(cpy_grplayer(0, &node), 5);
  int16_t nums[64], dens[64];
  for (int i = 0; i < 64; ++i)
    nums[i] = dens[i] = 1;
  nums[5] = 2;
  sys_scltbl('w', 0, nums, dens);
  ElementRecord t = make(CHR, chr(0, 0, 0), 1);

  char text[64] = "|0|";
  trn_setstretch(0, 0, 0, 0, 1, 1, 0);
  EXPECT_EQ(trn_dimstretch(&node, &t, text, 0), 0);
  EXPECT_STREQ(text, "|0|"); // re-value switch off

  trn_setstretch(0, 0, 0, 0, 1, 1, 1);
  EXPECT_EQ(trn_dimstretch(&node, &t, text, 0), 0);
  EXPECT_STREQ(text, "|25.00|");

  // A zero scale ratio gives no value.
  nums[5] = 0;
  sys_scltbl('w', 0, nums, dens);
  std::strcpy(text, "|0|");
  EXPECT_EQ(trn_dimstretch(&node, &t, text, 0), 1);
  EXPECT_STREQ(text, "|0|");

  // Arc dimensions and nodes that are no dimension keep their text.
  ElementRecord arcnode = dimnode(dimarc(500, 0, 0, 5, 0, 90));
  EXPECT_EQ(trn_dimstretch(&arcnode, &t, text, 0), 0);
  EXPECT_STREQ(text, "|0|");
}

TEST_F(Dims, GroupLayerWalkEndsOnALinkCycle) {
  ElementRecord node = dimnode(dimseg(100, 0, 0, 30, 40));
  int32_t a = member(0, 0, 0, 5, 0), b = member(30, 40, 30, 45, 0);
  node.nod.child = a;
  link(a, b);
  link(b, a);
  EXPECT_EQ(cpy_grplayer(0, &node), 0);
  ElementRecord other = make(NOD, {}, 0, 8);
  EXPECT_EQ(cpy_grplayer(0, &other), -1);
}

// The class-400 rule on the dimension p1 (0, 0) - p2 (10, 0), window x 5..15, y -5..5.
TEST_F(Dims, ClassFourHundredRule) {
  const double nan = std::nan("");
  struct {
    const char *name;
    std::vector<double> lines; // members: x1 y1 x2 y2 each
    double dx, dy;
    int k, partial, parallel;
    GeoPoint w1, w2; // parallel segment when parallel is 1
    GeoPoint p1, p2; // the node after the stretch
  } cases[] = {
      {"k 0, off the line", {}, 2, 4, 0, 1, 1, {0, 4}, {12, 4}, {0, 4}, {12, 4}},
      {"k 0, along the line (s1 = 0)", {}, 3, 0, 0, 1, 0, {nan, nan}, {nan, nan}, {0, 0}, {13, 0}},
      {"k 0, along the reference line", {}, 0, 4, 0, 0, 0, {nan, nan}, {nan, nan}, {0, 4}, {10, 4}},
      {"k 1, a inside", {10, -2, 10, 8}, 2, 4, 1, 1, 1, {0, 4}, {12, 4}, {0, 4}, {12, 4}},
      {"k 1, a outside", {10, -8, 10, 8}, 2, 4, 1, 0, 1, {0, 4}, {12, 4}, {2, 4}, {12, 4}},
      {"k 2, a parallel member", {0, -3, 10, -3, 10, -8, 10, 8}, 2, -4, 2, 1, 1, {0, -4}, {12, -4}, {0, -4},
       {12, -4}},
      {"no displacement", {}, 0, 0, 0, 0, 0, {nan, nan}, {nan, nan}, {0, 0}, {10, 0}},
  };
  for (const auto &c : cases) {
    dtb_term();
    db_start(1000, 300);
    ElementRecord node = dimnode(dimseg(400, 0, 0, 10, 0));
    int32_t prev = -1;
    for (std::size_t i = 0; i + 3 < c.lines.size(); i += 4) {
      int32_t m = member(c.lines[i], c.lines[i + 1], c.lines[i + 2], c.lines[i + 3]);
      if (prev < 0)
        node.nod.child = m;
      else
        link(prev, m);
      prev = m;
    }
    trn_setstretch(c.dx, c.dy, 5, -5, 15, 5, 0);
    GeoPoint a, b;
    EXPECT_EQ(trn_dimline(&node, 0, &a, &b), c.k) << c.name;
    int32_t partial = -1, parallel = -1;
    EXPECT_EQ(trn_dim400(&node, 0, &partial, &parallel), 0);
    EXPECT_EQ(partial, c.partial) << c.name;
    EXPECT_EQ(parallel, c.parallel) << c.name;
    if (c.parallel) {
      const TrnParams &p = trn_params();
      EXPECT_NEAR(p.work[0].x, c.w1.x, 1e-9) << c.name;
      EXPECT_NEAR(p.work[0].y, c.w1.y, 1e-9) << c.name;
      EXPECT_NEAR(p.work[1].x, c.w2.x, 1e-9) << c.name;
      EXPECT_NEAR(p.work[1].y, c.w2.y, 1e-9) << c.name;
    }
    // The stretch of the node (flagged partial by the selection) follows the rule.
    ElementRecord r = node;
    trn_stretch(&r, 1, 1, 0);
    EXPECT_NEAR(get(r, {30, 'd', 0}), c.p1.x, 1e-9) << c.name;
    EXPECT_NEAR(get(r, {38, 'd', 0}), c.p1.y, 1e-9) << c.name;
    EXPECT_NEAR(get(r, {46, 'd', 0}), c.p2.x, 1e-9) << c.name;
    EXPECT_NEAR(get(r, {54, 'd', 0}), c.p2.y, 1e-9) << c.name;
  }
}

TEST_F(Dims, ErasedLineIsNoReference) {
  ElementRecord node = dimnode(dimseg(400, 0, 0, 10, 0));
  int32_t m = member(10, -2, 10, 8);
  node.nod.child = m;
  dtb_ptr(0, m)->flags |= ELM_ERASED;
  GeoPoint a, b;
  EXPECT_EQ(trn_dimline(&node, 0, &a, &b), 0);
  EXPECT_NEAR(a.x, 10, 1e-9);
  EXPECT_NEAR(a.y, -10, 1e-9);
  EXPECT_EQ(b.x, 10);
  EXPECT_EQ(b.y, 0);
}

} // namespace
