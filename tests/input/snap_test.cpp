// Object snap over a small drawing: the candidate list, its builders and the choice.
#include "../select/pickfix.h"

#include <cmath>
#include <string>
#include <vector>

#include "display/marks/grid.h"
#include "geometry/geo.h"
#include "display/marks/marklist.h"
#include "display/view/view.h"
#include "input/gcrpoint.h"
#include "input/gcrsnap.h"
#include "input/rubber.h"
#include "settings/appstate.h"

namespace {

struct SnapLog {
  std::vector<std::string> asked;
  std::deque<int> answers;
  std::vector<std::vector<double>> marks; // x, y, attr
  std::vector<int> errors;
  std::vector<uint32_t> delays;
  std::vector<std::vector<int32_t>> shown; // dwg, mask, n, colour
  int updates = 0;
  int guide_seen = 99; // guide mode while a question was asked
};
SnapLog &slog() {
  static SnapLog l;
  return l;
}

struct Snap : PickTest {
  void SetUp() override {
    PickTest::SetUp();
    dwg_setcur(0);
    slog() = SnapLog{};
    GcrSnapHooks &h = gcr_snaphooks();
    h.mark = [](int32_t, double x, double y, int32_t a) { slog().marks.push_back({x, y, double(a)}); };
    h.ask = [](const char *text, const char *) {
      slog().asked.push_back(text);
      slog().guide_seen = Guide.mode;
      if (slog().answers.empty())
        return 27;
      const int a = slog().answers.front();
      slog().answers.pop_front();
      return a;
    };
    h.error = [](int n) { slog().errors.push_back(n); };
    h.delay = [](uint32_t ms) { slog().delays.push_back(ms); };
    h.clrlast = [] {};
    h.update = [] { ++slog().updates; };
    h.showelm = [](int32_t d, uint32_t m, int32_t n, int32_t c) { slog().shown.push_back({d, int32_t(m), n, c}); };
    h.line = [](int, int32_t *, char *) {};
    world().tol = 2;
    app_setmodeflag(0);
    rub_start(0);
    mrk_list(0);
  }
  void TearDown() override {
    gcr_snapreset();
    app_setmodeflag(0);
    PickTest::TearDown();
  }
  int osnap(int32_t request, double x, double y, int32_t noask = 0) {
    sx = x;
    sy = y;
    return gcr_osnap(0, 0, request, noask, &sx, &sy);
  }
  // The candidates the builders give for these elements at (x, y) with tolerance tol.
  static std::vector<SnapCandidate>
  build(std::vector<int32_t> elems, double x, double y, double tol,
        std::vector<int (*)(double, double, int32_t, const int32_t *, int32_t, SnapCandidate *)> builders) {
    gcr_snapctx(0, tol * tol, 1);
    SnapCandidate l[SNP_CANDMAX];
    int32_t n = 0;
    for (auto b : builders)
      n = b(x, y, int32_t(elems.size()), elems.data(), n, l);
    return std::vector<SnapCandidate>(l, l + n);
  }
  double sx = 0, sy = 0;
};

TEST_F(Snap, SharedEndPointIsHeldOnceAsAnEndPoint) {
  const int32_t a = line(0, 0, 10, 10), b = line(10, 10, 20, 0);
  const auto l = build({a, b}, 9.5, 9.5, 3, {gcr_endpnt, gcr_crspnt});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].type, SNP_END);
  EXPECT_DOUBLE_EQ(l[0].x, 10);
  EXPECT_DOUBLE_EQ(l[0].y, 10);
  // Crossings first, then the ends: the end point still wins.
  const auto r = build({a, b}, 9.5, 9.5, 3, {gcr_crspnt, gcr_endpnt});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].type, SNP_END);
}

TEST_F(Snap, QuadrantPointsLieBetweenTheStoredAngles) {
  struct Case {
    double s, e;
    size_t quads; // of coinciding points the quadrant point (higher type) stays
  } cases[] = {{300, 420, 1}, {0, 360, 4}, {-90, 45, 2}, {10, 80, 0}};
  for (const Case &c : cases) {
    const int32_t n = arc(0, 0, 5, c.s, c.e);
    const auto l = build({n}, 0, 0, 100, {gcr_endpnt});
    std::vector<SnapCandidate> got;
    for (const auto &k : l)
      if (k.type == SNP_QUAD)
        got.push_back(k);
    EXPECT_EQ(got.size(), c.quads) << c.s << ".." << c.e;
    if (c.s == 300) {
      ASSERT_EQ(got.size(), 1u);
      EXPECT_NEAR(got[0].x, 5, 1e-9); // the point at 360
      EXPECT_NEAR(got[0].y, 0, 1e-9);
      EXPECT_EQ(l.size(), 3u); // and the two ends
    }
  }
}

TEST_F(Snap, AddcandKeepsTheNearestFiftyAndCentresOnlyWhileThereIsRoom) {
  gcr_snapctx(0, 1e6, 1);
  SnapCandidate l[SNP_CANDMAX];
  int32_t n = 0;
  for (int i = 60; i >= 1; --i)
    gcr_addcand(0, 0, SNP_END, 0, i, 0, &n, l);
  ASSERT_EQ(n, 50);
  for (int i = 0; i < 50; ++i)
    EXPECT_DOUBLE_EQ(l[i].x, i + 1); // sorted, the ten farthest dropped
  gcr_addcand(0, 0, SNP_CENTRE, 0, 0.5, 0, &n, l);
  EXPECT_EQ(n, 50);
  EXPECT_DOUBLE_EQ(l[0].x, 1); // no room for a centre

  n = 0;
  gcr_snapctx(0, 4, 1); // tolerance 2
  struct Case {
    int32_t type;
    double x;
    int32_t count; // after the add
  } cases[] = {
      {SNP_END, 3, 0},                                // beyond the tolerance
      {SNP_MID, 30, 1},                               // midpoints at any distance
      {SNP_CENTRE, 1, 2},                             // centres at any distance, appended
      {SNP_CROSS, 1.5, 3}, {SNP_END, 1.5 + 1e-11, 3}, // coincides: the higher type takes the entry
      {SNP_CROSS, 1.5, 3},                            // a lower type changes nothing
  };
  for (const Case &c : cases) {
    gcr_addcand(0, 0, c.type, 0, c.x, 0, &n, l);
    EXPECT_EQ(n, c.count) << c.type << " " << c.x;
  }
  EXPECT_EQ(l[0].type, SNP_END);
  EXPECT_DOUBLE_EQ(l[0].x, 1.5 + 1e-11);
  EXPECT_EQ(l[1].type, SNP_MID);
  EXPECT_EQ(l[2].type, SNP_CENTRE);
}

TEST_F(Snap, Inbox) {
  const double a0[2] = {0, 0}, a1[2] = {10, 0}, b0[2] = {5, -5}, b1[2] = {5, 5};
  struct Case {
    double p[2];
    int r;
  } cases[] = {{{5, 0}, 0}, {{10, 0}, 0}, {{11, 0}, 1}, {{5, 6}, 1}, {{5, 100}, 1}};
  for (const Case &c : cases)
    EXPECT_EQ(gcr_inbox(a0, a1, b0, b1, c.p), c.r) << c.p[0] << "," << c.p[1];
  // Where a segment's ends are equal in a coordinate, it is not tested there.
  const double h0[2] = {0, 3}, h1[2] = {10, 3};
  const double q[2] = {5, 3.5};
  EXPECT_EQ(gcr_inbox(h0, h1, h0, h1, q), 0);
}

TEST_F(Snap, PerpendicularFeet) {
  const int32_t l = line(0, 0, 10, 0);
  auto r = build({l}, 4, 1, 2, {gcr_perpnt});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_DOUBLE_EQ(r[0].x, 4);
  EXPECT_DOUBLE_EQ(r[0].y, 0);
  EXPECT_EQ(r[0].type, SNP_PERP);
  EXPECT_TRUE(build({l}, 11, 1, 2, {gcr_perpnt}).empty()); // beyond the end
  const int32_t c = arc(0, 0, 5, 45, 90);
  at(c)->arc.end = 45; // equal angles as stored: a full circle
  r = build({c}, -5.5, 0, 2, {gcr_perpnt});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_NEAR(r[0].x, -5, 1e-9);
  const int32_t q = arc(0, 0, 5, 0, 90);
  EXPECT_TRUE(build({q}, -5.5, 0, 2, {gcr_perpnt}).empty());
  EXPECT_EQ(build({q}, 0, 5.5, 2, {gcr_perpnt}).size(), 1u);
}

// The command ends (or the question is closed) while a candidate is offered: no
// point, no fall-back, the code handed on after one question.
TEST_F(Snap, EndOfCommandAtTheOfferIsHandedOn) {
  line(0, 0, 10, 0);
  line(5, -5, 5, 5);
  world().tol = 6;
  for (int end : {800, 700}) {
    slog() = SnapLog{};
    slog().answers = {end, 'y'};
    EXPECT_EQ(osnap(6 | SNP_FALLBACK, 4, 0.5), end);
    EXPECT_DOUBLE_EQ(sx, 4);
    EXPECT_EQ(slog().asked.size(), 1u);
  }
}

TEST_F(Snap, EveryCandidateRefused) {
  line(0, 0, 10, 0);
  line(5, -5, 5, 5);
  // Ends (0,0) and the crossing (5,0) are in reach of (4, 0.5) with tolerance 6.
  world().tol = 6;
  slog().answers = {'n', 'N', 501, 'n'};
  EXPECT_EQ(osnap(6, 4, 0.5), 1);
  EXPECT_DOUBLE_EQ(sx, 4);
  EXPECT_GE(slog().asked.size(), 2u);
  EXPECT_EQ(slog().updates, 1);
  // With the fall-back flag the cursor point is delivered.
  slog() = SnapLog{};
  slog().answers = {'n', 'n', 'n', 'n', 'n'};
  EXPECT_EQ(osnap(6 | SNP_FALLBACK, 4, 0.5), 0);
  EXPECT_DOUBLE_EQ(sx, 4);
  EXPECT_DOUBLE_EQ(sy, 0.5);
  EXPECT_EQ(slog().updates, 0);
}

TEST_F(Snap, TheChoiceAsksInTypeOrderWithTheGuideOff) {
  line(0, 0, 10, 0);
  line(5, -5, 5, 5);
  rub_startpt(3, 1, 1);
  world().tol = 6;
  slog().answers = {'?', 'n', 'y'};
  EXPECT_EQ(osnap(6, 4, 0.5), 0);
  ASSERT_EQ(slog().asked.size(), 3u);
  EXPECT_EQ(slog().asked[0], "交点(1/4) OK? (y/n) = "); // crossing (5,0) first, asked again after '?'
  EXPECT_EQ(slog().asked[2], "端点(2/4) OK? (y/n) = ");
  EXPECT_EQ(slog().guide_seen, 0);
  EXPECT_EQ(Guide.mode, 3); // put back
  // Each shown point was marked and then erased: pairs of equal calls.
  ASSERT_EQ(slog().marks.size(), 4u);
  EXPECT_EQ(slog().marks[0], slog().marks[1]);
  EXPECT_DOUBLE_EQ(sx, slog().marks[2][0]);
  EXPECT_DOUBLE_EQ(sy, slog().marks[2][1]);
  // Esc gives up.
  slog().answers = {27};
  EXPECT_EQ(osnap(6, 4, 0.5), 1);
  EXPECT_DOUBLE_EQ(sx, 4);
}

TEST_F(Snap, OneCandidateIsTakenWithoutAQuestion) {
  const int32_t p = point(3, 4);
  ElementRecord *r = at(p);
  r->layer = 2; // a layer of another scale
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  env.scales[2] = {1, 2};
  sys_dwgenv('W', 0, &env);
  EXPECT_EQ(osnap(4, 3.5, 4), 0);
  EXPECT_DOUBLE_EQ(sx, 3);
  EXPECT_DOUBLE_EQ(sy, 4);
  EXPECT_TRUE(slog().asked.empty());
  EXPECT_EQ(slog().delays, (std::vector<uint32_t>{10}));
  EXPECT_EQ(slog().errors, (std::vector<int>{30228}));
  // A temporary mark standing there flips bit 2 of the mark's attribute.
  const int32_t plain = int32_t(slog().marks[0][2]);
  mrk_list(2, int32_t(0), 3.0, 4.0);
  slog().marks.clear();
  EXPECT_EQ(osnap(4, 3.5, 4), 0);
  EXPECT_EQ(int32_t(slog().marks[0][2]), plain ^ 4);
}

TEST_F(Snap, RequestChecksAndTheModeFlag) {
  EXPECT_EQ(osnap(9, 1, 1), 9);
  EXPECT_EQ(gcr_osnap(2, 0, 4, 0, &sx, &sy), -1);
  EXPECT_EQ(gcr_osnap(0, 16, 4, 0, &sx, &sy), -1);
  EXPECT_EQ(osnap(1, 1, 1), 1); // a point on an element is not the snap's
  point(1, 1);
  app_setmodeflag(1);
  EXPECT_EQ(osnap(4, 1.5, 1.5), 0); // kind 0: the cursor point
  EXPECT_DOUBLE_EQ(sx, 1.5);
  uint32_t t = 99;
  EXPECT_EQ(gcr_snappnt(0, 0, 4, &t, &sx, &sy), 1);
  app_setmodeflag(0);
  sx = sy = 1.5;
  EXPECT_EQ(gcr_snappnt(0, 0, 4, &t, &sx, &sy), 0);
  EXPECT_EQ(t, uint32_t(SNP_MARKER));
  EXPECT_EQ(gcr_snappnt(0, 0, 0, &t, &sx, &sy), 9);
}

TEST_F(Snap, OriginOnlyWithinReachAndGridPoints) {
  EXPECT_EQ(osnap(6, 5, 5, 1), 1); // nothing near, the origin too far
  EXPECT_EQ(osnap(6, 1, 1, 1), 0);
  EXPECT_DOUBLE_EQ(sx, 0);
  EXPECT_DOUBLE_EQ(sy, 0);
  grd_resetp(0, 10, 10);
  grd_setmode(0, 1, 1);
  uint32_t t = 0;
  sx = 13;
  sy = 18;
  EXPECT_EQ(gcr_snappnt(0, 0, 3, &t, &sx, &sy), 0);
  EXPECT_EQ(t, uint32_t(SNP_MID));
  EXPECT_DOUBLE_EQ(sx, 10);
  EXPECT_DOUBLE_EQ(sy, 20);
  EXPECT_EQ(osnap(3, 13, 18), 0);
  EXPECT_DOUBLE_EQ(sx, 10);
  grd_reset(0);
}

TEST_F(Snap, ArcUnderTheCursorStandsForItsCentre) {
  line(-20, 5.8, 20, 5.8); // found too, but its midpoint is not the arc's centre
  const int32_t c = arc(0, 0, 5, 0, 180);
  double x = 3, y = 4.2, radius = -1;
  int32_t flag = -1;
  world().tol = 2;
  EXPECT_EQ(gcr_osnapel(0, 0, 5, 0, &x, &y, &radius, &flag), 0);
  EXPECT_EQ(flag, 1);
  EXPECT_DOUBLE_EQ(radius, 5);
  EXPECT_DOUBLE_EQ(x, 0);
  EXPECT_DOUBLE_EQ(y, 0);
  ASSERT_EQ(slog().shown.size(), 2u);
  EXPECT_EQ(slog().shown[0][2], c);
  EXPECT_EQ(slog().shown[1][3], -1);
  EXPECT_EQ(slog().delays.back(), 150u);
  // Nothing under the cursor: the cursor point, outputs untouched.
  x = 50;
  y = 50;
  flag = -1;
  EXPECT_EQ(gcr_osnapel(0, 0, 5, 0, &x, &y, &radius, &flag), 0);
  EXPECT_EQ(flag, -1);
  EXPECT_DOUBLE_EQ(x, 50);
  // The plain snap gives the cursor point for the arc too.
  EXPECT_EQ(osnap(5, 3, 4.2), 0);
  EXPECT_DOUBLE_EQ(sx, 3);
}

TEST(PointInput, SnapKindByCodeAndMode) {
  struct Case {
    int code;
    uint32_t mode;
    int kind;
  } cases[] = {{500, 0, 0}, {500, 1, 5}, {500, 2, 1}, {500, 3, 2}, {500, 4, 3},  {500, 7, 0},
               {502, 0, 6}, {502, 3, 7}, {504, 1, 8}, {47, 2, 6},  {501, 1, -1}, {13, 1, -1}};
  for (const Case &c : cases) {
    EXPECT_EQ(gcr_snapkind(c.code, c.mode, 0), c.kind) << c.code << " " << c.mode;
    EXPECT_EQ(gcr_snapkind(c.code, c.mode, 1), c.kind < 0 ? -1 : 0) << c.code << " " << c.mode;
  }
}

TEST(PointInput, DigitsOfKeyboardModeTwo) {
  struct Case {
    int code, out;
  } cases[] = {{48, 48}, {57, 57}, {96, 48}, {101, 53}, {105, 57}, {110, 110}, {190, 110}, {65, 0}, {13, 0}};
  for (const Case &c : cases)
    EXPECT_EQ(gcr_keydigit(c.code), c.out) << c.code;
}

TEST(PointInput, DrawingSet) {
  PointRetain = {0, 0};
  EXPECT_EQ(gcr_dwgset(0, 1), 3u);
  EXPECT_EQ(gcr_dwgset(GCR_CURONLY, 1), 2u);
  EXPECT_EQ(gcr_dwgset(GCR_CURDWG, 0), 1u);
  EXPECT_EQ(gcr_dwgset(2, 0), 2u);
  PointRetain = {1, 1};
  EXPECT_EQ(gcr_dwgset(GCR_CURDWG, 1), 1u); // the retained set, not the current drawing
  EXPECT_EQ(gcr_dwgset(GCR_CURONLY, 1), 1u);
  EXPECT_EQ(gcr_dwgset(2, 1), 2u);
  PointRetain = {0, 0};
}

} // namespace
