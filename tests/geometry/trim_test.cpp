#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "geometry/trim.h"
#include "settings/dbgtrace.h"
#include "../common/tracedir.h"

namespace fs = std::filesystem;

namespace {

struct Block {
  uint8_t b[GEOM_BLOCK_SIZE] = {};
  double d(int off) const {
    double v;
    std::memcpy(&v, b + off, 8);
    return v;
  }
  void set(int off, double v) { std::memcpy(b + off, &v, 8); }
  uint16_t w(int off) const { return static_cast<uint16_t>(b[off] | b[off + 1] << 8); }
  void setw(int off, uint16_t v) {
    b[off] = static_cast<uint8_t>(v);
    b[off + 1] = static_cast<uint8_t>(v >> 8);
  }
};

Block line(double x1, double y1, double x2, double y2) {
  Block k;
  k.set(0, x1);
  k.set(8, y1);
  k.set(16, x2);
  k.set(24, y2);
  return k;
}

Block arc(double cx, double cy, double r, double a, double b, uint16_t word = 0) {
  Block k;
  k.set(0, cx);
  k.set(8, cy);
  k.set(16, r);
  k.set(24, a);
  k.set(32, b);
  k.setw(40, word);
  return k;
}

GeoPoint at(double deg, double r = 1) { return {r * std::cos(deg * DEG2RAD), r * std::sin(deg * DEG2RAD)}; }

// Runs in a fresh directory with the trace on, for the trace texts.
class Traced : public TraceDir {
protected:
  static std::string file() {
    dbg_close();
    std::string out;
    for (char c : trace_bytes())
      if (c != '\r')
        out += c;
    return out;
  }
};

} // namespace

TEST(Offsub3, Lines) {
  struct {
    uint32_t mode;
    GeoPoint p;
    int want;
    double x1, y1, x2, y2;
  } cases[] = {
      {0, {4, 0}, 0, 4, 0, 10, 0},      {1, {12, 0}, 0, 0, 0, 12, 0},
      {0, {10, 0}, 2, 0, 0, 10, 0},                                    // lands on the other end: unchanged
      {2, {10, 0}, -1, 10, 0, 10.1, 0},                                // a stub beyond the point
      {3, {0, 0}, -1, -0.1, 0, 0, 0},   {0, {15, 0}, 0, 15, 0, 10, 0}, // passing over the other end reverses the line
  };
  for (auto c : cases) {
    Block k = line(0, 0, 10, 0);
    EXPECT_EQ(offsub3(c.mode, 2, k.b, &c.p, 0), c.want) << c.mode << "," << c.p.x;
    EXPECT_NEAR(k.d(0), c.x1, 1e-12);
    EXPECT_NEAR(k.d(8), c.y1, 1e-12);
    EXPECT_NEAR(k.d(16), c.x2, 1e-12);
    EXPECT_NEAR(k.d(24), c.y2, 1e-12);
  }
  Block k = line(0, 0, 10, 0);
  GeoPoint p{10, 0};
  EXPECT_EQ(offsub3(2, 2, k.b, &p, 0.5), -1);
  EXPECT_NEAR(k.d(16), 10.5, 1e-12);
  Block z = line(3, 3, 3, 3), z0 = z;
  GeoPoint q{4, 0};
  EXPECT_EQ(offsub3(0, 17, z.b, &q, 0), 1);
  EXPECT_EQ(std::memcmp(z.b, z0.b, sizeof z.b), 0);
  Block n = line(0, 0, 10, 0), n0 = n;
  GeoPoint bad{std::nan(""), 0};
  EXPECT_EQ(offsub3(0, 2, n.b, &bad, 0), 1);
  EXPECT_EQ(std::memcmp(n.b, n0.b, sizeof n.b), 0);
}

TEST(Offsub3, Arcs) {
  Block k = arc(0, 0, 1, 0, 90);
  GeoPoint p = at(45);
  EXPECT_EQ(offsub3(1, 4, k.b, &p, 0), 0);
  EXPECT_NEAR(k.d(24), 0, 1e-9);
  EXPECT_NEAR(k.d(32), 45, 1e-9);

  k = arc(0, 0, 1, 0, 90);
  p = at(300);
  EXPECT_EQ(offsub3(1, 4, k.b, &p, 0), -1); // new sweep 300 against 90: reversal
  EXPECT_NEAR(k.d(24), 0, 1e-9);
  EXPECT_NEAR(k.d(32), 300, 1e-9);
  EXPECT_EQ(k.w(40) & 0xC000, 0xC000);

  k = arc(0, 0, 1, 0, 90);
  p = at(300);
  EXPECT_EQ(offsub3(3, 4, k.b, &p, 0), -1); // a stub of one degree
  EXPECT_NEAR(std::fmod(k.d(32) - k.d(24) + 360, 360), 1, 1e-9);
  EXPECT_EQ(k.w(40) & 0xC000, 0);

  k = arc(0, 0, 1, 0, 90);
  p = at(0);
  EXPECT_EQ(offsub3(1, 4, k.b, &p, 0), 2); // the moved end meets the other: full circle
  EXPECT_NEAR(k.d(32) - k.d(24), 360, 1e-9);

  k = arc(0, 0, 1, 0, 90);
  p = at(30);
  EXPECT_EQ(offsub3(0, 24, k.b, &p, 0), 0); // start moves
  EXPECT_NEAR(k.d(24), 30, 1e-9);
  EXPECT_NEAR(k.d(32), 90, 1e-9);

  // Swapped storage (bit 14 set, 15 clear): A holds the end; the styles trade places.
  k = arc(0, 0, 1, 90, 0, 0x4000 | 1 << 8 | 2 << 11);
  p = at(45);
  EXPECT_EQ(offsub3(1, 4, k.b, &p, 0), 0);
  EXPECT_NEAR(k.d(24), 0, 1e-9);
  EXPECT_NEAR(k.d(32), 45, 1e-9);
  EXPECT_EQ(k.w(40) & 0xC000, 0);
  EXPECT_EQ((k.w(40) >> 8) & 7, 2);
  EXPECT_EQ((k.w(40) >> 11) & 7, 1);
}

TEST(Prspnt3, LinesAndKinds) {
  Block a = line(0, 0, 10, 0), b = line(5, -5, 5, 5);
  GeoPoint ref{0, 0}, pts[2];
  uint32_t n = 9, cond[2];
  EXPECT_EQ(PRSPNT3(2, 2, a.b, 2, b.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 1u);
  EXPECT_NEAR(pts[0].x, 5, 1e-12);
  EXPECT_EQ(cond[0], 0u);
  EXPECT_EQ(cond[1], 0xFFFFu);
  EXPECT_EQ(pts[1].x, 0);

  Block c = line(20, -5, 20, 5); // crossing outside the first line
  EXPECT_EQ(PRSPNT3(2, 18, a.b, 2, c.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(cond[0], 1u);

  Block d = line(5, 0, 15, 0); // collinear, overlapping
  EXPECT_EQ(PRSPNT3(9, 2, a.b, 2, d.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 1u);
  EXPECT_NEAR(pts[0].x, 10, 1e-12);
  EXPECT_EQ(PRSPNT3(1, 2, a.b, 2, d.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(cond[0], 0xFFFFu);
  EXPECT_EQ(cond[1], 0xFFFFu);

  EXPECT_EQ(PRSPNT3(9, 8, a.b, 2, b.b, &ref, &n, pts, cond), 1);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(PRSPNT3(9, 2, a.b, 17, b.b, &ref, &n, pts, cond), 1);

  Block e = line(1, 1, 1, 1); // degenerate line
  EXPECT_EQ(PRSPNT3(9, 2, e.b, 2, b.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 0u);
}

TEST(Prspnt3, LineAndCircleOrder) {
  Block l = line(-5, 0, 5, 0), c = arc(0, 0, 2, 0, 360);
  GeoPoint pts[2];
  uint32_t n, cond[2];
  GeoPoint ref{-3, 1};
  EXPECT_EQ(PRSPNT3(9, 2, l.b, 4, c.b, &ref, &n, pts, cond), 0);
  ASSERT_EQ(n, 2u);
  EXPECT_NEAR(pts[0].x, -2, 1e-12); // nearer the reference point first
  EXPECT_NEAR(pts[1].x, 2, 1e-12);
  GeoPoint mid{0, 3};
  EXPECT_EQ(PRSPNT3(9, 2, l.b, 4, c.b, &mid, &n, pts, cond), 0);
  ASSERT_EQ(n, 2u);
  EXPECT_NEAR(pts[0].x, -2, 1e-12); // a tie, both ahead of the first end: the nearer to it first
  Block l2 = line(-1, 0, 5, 0);     // opposite sides of the first end: the one ahead first
  EXPECT_EQ(PRSPNT3(9, 2, l2.b, 4, c.b, &mid, &n, pts, cond), 0);
  EXPECT_NEAR(pts[0].x, 2, 1e-12);
  Block l3 = line(-9, 0, -8, 0); // both ahead of the first end: the nearer to it first
  EXPECT_EQ(PRSPNT3(4, 2, l3.b, 4, c.b, &mid, &n, pts, cond), 0);
  EXPECT_NEAR(pts[0].x, -2, 1e-12);

  // Conditions put the point on both elements first.
  Block half = arc(0, 0, 2, 0, 180);
  GeoPoint below{0, -5};
  Block v = line(1, -5, 1, 5);
  EXPECT_EQ(PRSPNT3(3, 2, v.b, 4, half.b, &below, &n, pts, cond), 0);
  ASSERT_EQ(n, 2u);
  EXPECT_GT(pts[0].y, 0);
  EXPECT_EQ(cond[0], 0u);
  EXPECT_EQ(cond[1], 2u);

  // Tangent line: one point at the foot.
  Block t = line(-5, 2.00005, 5, 2.00005);
  EXPECT_EQ(PRSPNT3(2, 2, t.b, 4, c.b, &below, &n, pts, cond), 0);
  EXPECT_EQ(n, 1u);
  EXPECT_NEAR(pts[0].y, 2.00005, 1e-12);

  // Arc as the first element, ordered along it from its start.
  Block a = arc(0, 0, 2, 300, 200), lr = line(5, 0, -5, 0);
  EXPECT_EQ(PRSPNT3(4, 4, a.b, 2, lr.b, &below, &n, pts, cond), 0);
  ASSERT_EQ(n, 2u);
  EXPECT_NEAR(pts[0].x, 2, 1e-12); // 360 comes before 180 + 360 counted from 300
}

TEST(Prspnt3, Arcs) {
  Block a = arc(0, 0, 1, 0, 360), b = arc(1, 0, 1, 0, 360);
  GeoPoint ref{0.5, 5}, pts[2];
  uint32_t n, cond[2];
  EXPECT_EQ(PRSPNT3(9, 4, a.b, 20, b.b, &ref, &n, pts, cond), 0);
  ASSERT_EQ(n, 2u);
  EXPECT_GT(pts[0].y, 0); // nearer the reference
  Block far = arc(5, 0, 1, 0, 360);
  EXPECT_EQ(PRSPNT3(9, 4, a.b, 4, far.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 0u);
  Block tangent = arc(2.00005, 0, 1, 0, 360);
  EXPECT_EQ(PRSPNT3(9, 4, a.b, 4, tangent.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 1u);
  EXPECT_NEAR(pts[0].x, 1, 1e-12);
  Block same = arc(0, 0, 1, 0, 90), other = arc(0, 0, 1, 45, 180);
  EXPECT_EQ(PRSPNT3(9, 4, same.b, 4, other.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 1u);
  EXPECT_NEAR(pts[0].x, 0, 1e-12); // the first arc's end at 90
  EXPECT_NEAR(pts[0].y, 1, 1e-12);
  EXPECT_EQ(PRSPNT3(1, 4, same.b, 4, other.b, &ref, &n, pts, cond), 0);
  EXPECT_EQ(n, 0u);
}

TEST_F(Traced, CadentdumpTexts) {
  dbg_mode = 1;
  EXPECT_EQ(cadentdump(3, line(0, 0, 1, 1).b), -1);
  Block l = line(1, 2, 3.5, 4);
  l.setw(32, 0x1234);
  EXPECT_EQ(cadentdump(2, l.b), 0);
  Block a = arc(1, 2, 3, 10, 20, 0xC000);
  EXPECT_EQ(cadentdump(25, a.b), 0);
  Block p;
  p.set(0, 7);
  p.set(8, 8);
  p.setw(16, 0x0150);
  EXPECT_EQ(cadentdump(1, p.b), 0);
  Block z;
  z.set(0, 2);
  z.set(8, 1);
  EXPECT_EQ(cadentdump(27, z.b), 0);
  Block t;
  float f[4] = {1, 2, 3, 4};
  std::memcpy(t.b, f, sizeof f);
  int16_t cnt = 20; // longer than the block holds: only 14 bytes shown
  std::memcpy(t.b + 30, &cnt, 2);
  std::memset(t.b + 32, 'x', GEOM_BLOCK_SIZE - 32);
  EXPECT_EQ(cadentdump(8, t.b), 0);
  std::string text = file();
  EXPECT_NE(text.find("<cadentdump> invalid data X'0003'\n"), std::string::npos);
  EXPECT_NE(text.find(" TPYNLINE(1,2)-(3.5,4),X'1234'\n"), std::string::npos);
  EXPECT_NE(text.find(" TPYNTDAR(1,2),R 3,S 10,E 20,X'C000'\n"), std::string::npos);
  EXPECT_EQ(text.find("Spnt"), std::string::npos); // level 2 only
  EXPECT_NE(text.find("POINT mode=21, (7,8)\n"), std::string::npos);
  EXPECT_NE(text.find(" TPYNTZ1  z=1 ==> 2\n"), std::string::npos);
  EXPECT_NE(text.find(" TEXT     base=(1,2),width=4,height=3,nchar=20\n"), std::string::npos);
  EXPECT_NE(text.find("           text=[xxxxxxxxxxxxxx]\n"), std::string::npos);
}

TEST_F(Traced, Offsub3Reversal) {
  dbg_mode = 1;
  Block k = arc(0, 0, 1, 0, 90);
  GeoPoint p = at(300);
  EXPECT_EQ(offsub3(1, 4, k.b, &p, 0), -1);
  std::string text = file();
  EXPECT_NE(text.find("<offsub3> ARC HANTEN\n"), std::string::npos);
}
