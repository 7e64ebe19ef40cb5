#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "display/view/view.h"
#include "settings/params.h"

namespace {

using Buf = std::vector<uint8_t>;
constexpr uint8_t GUARD = 0xA5;

// One accessor seen as "operation, index, buffer"; index is ignored by global blocks.
struct Accessor {
  const char *name;
  std::size_t size;
  int lo, hi; // valid index range
  std::function<int(int, int, uint8_t *)> call;
};

template <class T> auto global(int (*fn)(int, T *)) {
  return [fn](int op, int, uint8_t *b) { return fn(op, reinterpret_cast<T *>(b)); };
}
template <class T> auto indexed(int (*fn)(int, int, T *)) {
  return [fn](int op, int i, uint8_t *b) { return fn(op, i, reinterpret_cast<T *>(b)); };
}

std::vector<Accessor> accessors() {
  return {
      {"sys_sheet", sizeof(SheetRecord), 0, 1, indexed(sys_sheet)},
      {"sys_pntatr", 2, 0, 0, global(sys_pntatr)},
      {"sys_linatr", 2, 0, 0, global(sys_linatr)},
      {"sys_chratr", 22, 0, 0, global(sys_chratr)},
      {"sys_dimatr", 164, 0, 0, global(sys_dimatr)},
      {"sys_layer", 2 + 128, 0, 1,
       [](int op, int i, uint8_t *b) {
         return sys_layer(op, i, reinterpret_cast<uint16_t *>(b), reinterpret_cast<uint16_t *>(b + 2));
       }},
      {"sys_colmap", 40, 0, 0, global(sys_colmap)},
      {"sys_sysprm", 42, 0, 0, global(sys_sysprm)},
      {"sys_rcogprm", 6, 0, 0,
       [](int op, int, uint8_t *b) {
         auto *w = reinterpret_cast<int16_t *>(b);
         return sys_rcogprm(op, w, w + 1, w + 2);
       }},
      {"sys_dblprm", 8, 0, 0, global(sys_dblprm)},
      {"sys_envcnt", 4, 0, 0,
       [](int op, int, uint8_t *b) {
         auto *w = reinterpret_cast<uint16_t *>(b);
         return sys_envcnt(op, w, w + 1);
       }},
      {"sys_pickmode", 8, 0, 0,
       [](int op, int, uint8_t *b) {
         auto *w = reinterpret_cast<uint32_t *>(b);
         return sys_pickmode(op, w, w + 1);
       }},
      {"sys_dwgstat", 4, 0, 1, indexed(sys_dwgstat)},
      {"sys_alngprm", 8, 0, 0, global(sys_alngprm)},
      {"sys_pencol", 80, 0, 0, global(sys_pencol)},
      {"sys_dspprm", 184, 0, 0, global(sys_dspprm)},
      {"sys_typeface", 144, 0, 0, global(sys_typeface)},
      {"sys_cursor", 6, 0, 0, global(sys_cursor)},
      {"sys_dwgmem", sizeof(MemBlockRecord), 0, 1, indexed(sys_dwgmem)},
      {"sys_strtbl", 110, 0, 0, global(sys_strtbl)},
      {"sys_ltype", 120, 0, 2, indexed(sys_ltype)},
      {"sys_ltsel", 4, 0, 2, indexed(sys_ltsel)},
      {"sys_dspstep", 24, 0, 0, global(sys_dspstep)},
      {"sys_sealinf", 298, 0, 0, global(sys_sealinf)},
      {"sys_sealhdr", 256, 0, 0, global(sys_sealhdr)},
      {"sys_atrblk5", 34, 0, 0, global(sys_atrblk5)},
      {"sys_atrblk6", 26, 0, 0, global(sys_atrblk6)},
      {"sys_atrblk7", 18, 0, 0, global(sys_atrblk7)},
      {"sys_atrblk8", 2, 0, 0, global(sys_atrblk8)},
      {"sys_atrblk10", 20, 0, 0, global(sys_atrblk10)},
      {"sys_chrsize", 28, 0, 0, global(sys_chrsize)},
      {"sys_drag", 24, 0, 0, global(sys_drag)},
      {"sys_penlkind", 24, 0, 0, global(sys_penlkind)},
      {"sys_wrkblk", WRKBLK_SIZE, 0, 0, global(sys_wrkblk)},
      {"sys_optblk", OPTBLK_SIZE, 0, 0, global(sys_optblk)},
      {"sys_blk1632", 1632, 0, 0, global(sys_blk1632)},
      {"sys_blk564", 564, 0, 0, global(sys_blk564)},
      {"sys_blk20", 20, 0, 0, global(sys_blk20)},
  };
}

Buf pattern(std::size_t n, uint8_t seed) {
  Buf b(n + 1, GUARD);
  for (std::size_t i = 0; i < n; i++)
    b[i] = static_cast<uint8_t>(seed + i * 7);
  return b;
}

class Params : public ::testing::Test {
protected:
  void SetUp() override {
    prm_init();
    dwg_setcur(0);
  }
  void TearDown() override {
    prm_init();
    dwg_setcur(0);
  }
};

} // namespace

TEST_F(Params, ReadAfterWriteGivesTheSameBytes) {
  for (const auto &a : accessors()) {
    for (int i = a.lo; i <= a.hi; i++) {
      for (int wop : {'W', 'w'}) {
        Buf in = pattern(a.size, static_cast<uint8_t>(wop + i));
        if (std::strcmp(a.name, "sys_dwgmem") == 0)
          std::memset(in.data(), 0, a.size); // holds handles: write plain values only
        ASSERT_EQ(a.call(wop, i, in.data()), 0) << a.name << " " << i;
        EXPECT_EQ(in[a.size], GUARD);
        for (int rop : {'R', 'r'}) {
          Buf out(a.size + 1, GUARD);
          ASSERT_EQ(a.call(rop, i, out.data()), 0) << a.name;
          EXPECT_EQ(out[a.size], GUARD) << a.name << " wrote past its block";
          EXPECT_TRUE(std::equal(in.begin(), in.begin() + a.size, out.begin())) << a.name << " index " << i;
        }
      }
    }
  }
}

TEST_F(Params, BadOperationOrIndexTouchesNothing) {
  for (const auto &a : accessors()) {
    Buf before(a.size, 0);
    ASSERT_EQ(a.call('R', a.lo, before.data()), 0) << a.name;
    for (int op : {int('x'), 0, int('Q')}) {
      Buf junk(a.size + 1, 0xEE);
      EXPECT_EQ(a.call(op, a.lo, junk.data()), 1) << a.name << " op " << op;
      EXPECT_EQ(junk, Buf(a.size + 1, 0xEE)) << a.name << " copied on a bad operation";
    }
    if (a.lo != a.hi || std::strcmp(a.name, "sys_sheet") == 0) {
      for (int bad : {a.lo - 1, a.hi + 1, 99}) {
        for (int op : {'R', 'W'}) {
          Buf junk(a.size + 1, 0xEE);
          EXPECT_EQ(a.call(op, bad, junk.data()), 1) << a.name << " index " << bad;
          EXPECT_EQ(junk, Buf(a.size + 1, 0xEE)) << a.name;
        }
      }
    }
    Buf after(a.size, 0);
    a.call('R', a.lo, after.data());
    EXPECT_EQ(before, after) << a.name << " changed by a refused call";
  }
}

TEST_F(Params, StartValues) {
  SheetRecord s{};
  ASSERT_EQ(sys_sheet('R', 0, &s), 0);
  EXPECT_EQ(+s.width, 210.0);
  EXPECT_EQ(+s.height, 146.0);
  EXPECT_EQ(+s.originx, -210.0);
  EXPECT_EQ(+s.num, 1);
  EXPECT_EQ(+s.den, 1);
  EXPECT_EQ(+s.scale, 1.0);
  SheetRecord s1;
  std::memset(&s1, 0x55, sizeof s1);
  sys_sheet('r', 1, &s1);
  EXPECT_EQ(+s1.width, 0.0);
  EXPECT_EQ(+s1.scale, 0.0);

  // The point-pick pair: automatic point, snapping on.
  uint32_t pick[2] = {9, 9};
  EXPECT_EQ(sys_pickmode('r', pick, pick + 1), 0);
  EXPECT_EQ(pick[0], 1u);
  EXPECT_EQ(pick[1], 0u);

  uint16_t w;
  sys_pntatr('R', &w);
  EXPECT_EQ(w & 15, 3);
  EXPECT_EQ((w >> 4) & 255, 5);
  sys_linatr('R', &w);
  EXPECT_EQ(w, 3 | 1 << 4);

  CharAttrs c;
  sys_chratr('R', &c);
  EXPECT_EQ(+c.height, 5.0f);
  EXPECT_EQ(+c.width, 4.0f);
  EXPECT_EQ(+c.attr, 3 | 1 << 5 | 1 << 7);

  DimAttrs d;
  sys_dimatr('R', &d);
  EXPECT_EQ(+d.f00, 8.0f);
  EXPECT_EQ(+d.decimals, 3);
  EXPECT_EQ(+d.zeromode, 1);
  EXPECT_EQ(+d.linattr, 3 | 1 << 4 | 1 << 8 | 1 << 11);
  EXPECT_EQ(+d.f30[7], 10.0f);
  EXPECT_EQ(+d.f70, 1.0f);

  SystemBlock sb;
  sys_sysprm('R', &sb);
  EXPECT_EQ(+sb.undo, 1);
  EXPECT_EQ(+sb.undosize, 10000u);
  EXPECT_EQ(+sb.w13, 50);
  EXPECT_EQ(+sb.w15, 7);
  EXPECT_EQ(+sb.w18, 1);
  EXPECT_EQ(+sb.exclusive, 0);

  uint16_t cm[20];
  sys_colmap('R', cm);
  for (int i = 0; i < 20; i++)
    EXPECT_EQ(cm[i], i);

  DisplayBlock db;
  sys_dspprm('R', &db);
  EXPECT_EQ(db.pencol[19], 19u);
  EXPECT_EQ(db.width[11], 1u);
  EXPECT_EQ(db.more[0], 3u);
  EXPECT_EQ(db.more[1], 1u);
  EXPECT_EQ(db.more[13], 5u);

  TypefaceEntry tf[4];
  sys_typeface('R', tf);
  EXPECT_STREQ(tf[0].name, "KIVO LANTﾌｫﾝﾄ");
  EXPECT_STREQ(tf[1].name, "");

  uint32_t drag[6];
  sys_drag('R', drag);
  EXPECT_EQ(drag[0], 5u);
  EXPECT_EQ(drag[1], 2u);
  EXPECT_EQ(drag[2], 0u);
  EXPECT_EQ(sys_dragf64(), 5.0);
  EXPECT_EQ(sys_optflag(), 1u);

  uint16_t cur, states[64];
  sys_layer('R', 1, &cur, states);
  EXPECT_EQ(cur, 0);
  EXPECT_EQ(states[0], 3);
  EXPECT_EQ(states[63], 2);

  AttrBlock6 a6;
  sys_atrblk6('R', &a6);
  EXPECT_EQ(+a6.u[3], 5u);
  EXPECT_EQ(+a6.d0, 0.3);
  EXPECT_EQ(+a6.linattr, 4 | 1 << 4);

  FillBlock fb;
  sys_paint('R', 0, &fb);
  EXPECT_EQ(+fb.mode, 5);
  EXPECT_EQ(+fb.colour[0], 0x00BEDCBEu); // (190, 220, 190) as 0x00bbggrr
  EXPECT_EQ(+fb.colour[7], 0x00C89696u);
  EXPECT_EQ(sys_paintcol(7), 0x00C89696u);
}

TEST_F(Params, CurrentDrawingBlocksFollowTheCurrentDrawing) {
  uint16_t w = 0x0123;
  dwg_setcur(1);
  sys_linatr('W', &w);
  dwg_setcur(0);
  uint16_t r;
  sys_linatr('R', &r);
  EXPECT_EQ(r, 3 | 1 << 4);
  dwg_setcur(1);
  sys_linatr('R', &r);
  EXPECT_EQ(r, 0x0123);
}

TEST_F(Params, DrawingEnvironmentRoundTrip) {
  // Make drawing 1 distinctive first.
  SheetRecord s{};
  s.width = 297.0;
  s.height = 210.0;
  s.num = 1;
  s.den = 100;
  s.scale = 0.01;
  sys_sheet('W', 1, &s);
  char name[256] = "道路";
  uint16_t cur = 5;
  sys_layer('W', 1, &cur, nullptr);
  uint16_t c1 = 7, c2 = 9;
  sys_envcnt('W', &c1, &c2);

  auto env = std::make_unique<DrawingEnvRecord>();
  std::memset(env.get(), 0x33, sizeof *env);
  ASSERT_EQ(sys_dwgenv('R', 1, env.get()), 0);
  EXPECT_STREQ(env->version, "MAR TOVEN SX V4.0");
  EXPECT_EQ(+env->v2048, 2048u);
  EXPECT_EQ(+env->zero0, 0u);
  EXPECT_EQ(+env->sheet.width, 297.0);
  EXPECT_EQ(+env->count1, 7);
  EXPECT_EQ(+env->count2, 9);
  EXPECT_EQ(+env->curlayer, 5);
  EXPECT_STREQ(env->laynames[0], "LAYER001");
  EXPECT_EQ(env->r512[0], 0x33) << "bytes the accessor does not own keep the caller's";
  EXPECT_EQ(env->grid[0], 0x33);

  // Write back unchanged: every block stays as it was; the counters are never written.
  auto before = std::make_unique<DrawingEnvRecord>(*env);
  env->count1 = 1000;
  ASSERT_EQ(sys_dwgenv('W', 1, env.get()), 0);
  auto again = std::make_unique<DrawingEnvRecord>();
  std::memset(again.get(), 0x33, sizeof *again);
  sys_dwgenv('R', 1, again.get());
  EXPECT_EQ(std::memcmp(before.get(), again.get(), sizeof *again), 0);

  // A changed environment scatters into the blocks.
  std::strcpy(env->laynames[3], name);
  env->pntatr = 0x0042;
  sys_dwgenv('W', 1, env.get());
  dwg_setcur(1);
  uint16_t w;
  sys_pntatr('R', &w);
  EXPECT_EQ(w, 0x0042);
  sys_dwgenv('R', 1, again.get());
  EXPECT_STREQ(again->laynames[3], name);
  // Drawing 0 did not move.
  sys_dwgenv('R', 0, again.get());
  EXPECT_EQ(+again->sheet.width, 210.0);
  EXPECT_EQ(sys_dwgenv('x', 0, again.get()), 1);
  EXPECT_EQ(sys_dwgenv('R', 2, again.get()), 1);
}

TEST_F(Params, Scale) {
  int16_t nums[64], dens[64];
  sys_scltbl('R', 0, nums, dens);
  nums[1] = 1;
  dens[1] = 100;
  nums[0] = 9; // pair 0 is never written
  nums[2] = 1;
  dens[2] = 0;
  sys_scltbl('W', 0, nums, dens);
  double r = -1;
  EXPECT_EQ(sys_scale(0, 1, &r), 0);
  EXPECT_DOUBLE_EQ(r, 0.01);
  EXPECT_EQ(sys_scale(0, 0, &r), 0);
  EXPECT_EQ(r, 1.0);
  r = -1;
  EXPECT_EQ(sys_scale(0, 64, &r), 2);
  EXPECT_EQ(sys_scale(0, -1, &r), 2);
  EXPECT_EQ(sys_scale(2, 1, &r), 1);
  EXPECT_EQ(sys_scale(0, 2, &r), 2) << "a zero denominator is refused";
  EXPECT_EQ(r, -1);
}

TEST_F(Params, ZeroBaseScaleIsRefused) {
  auto env = std::make_unique<DrawingEnvRecord>();
  sys_dwgenv('R', 0, env.get());
  env->scales[0] = ScalePair{0, 1};
  sys_dwgenv('W', 0, env.get());
  double r = -1;
  EXPECT_EQ(sys_scale(0, 1, &r), 2);
  EXPECT_EQ(r, -1);
}

TEST_F(Params, DrawingName) {
  char buf[262];
  std::memset(buf, 'z', sizeof buf);
  EXPECT_EQ(sys_dwgname('R', 0, 1, buf), 0);
  EXPECT_STREQ(buf, "印影図");
  EXPECT_EQ(sys_dwgname('R', 0, 0, buf), 0);
  EXPECT_STREQ(buf, "");
  char longname[400];
  std::memset(longname, 'n', sizeof longname);
  longname[399] = '\0';
  EXPECT_EQ(sys_dwgname('W', 1, 0, longname), 0);
  sys_dwgname('R', 1, 1, buf);
  EXPECT_EQ(std::strlen(buf), 261u);
  EXPECT_EQ(sys_dwgname('R', 2, 0, buf), 1);
}

TEST_F(Params, PaintWritesBothDrawingsAndTheFillSettings) {
  FillBlock fb{};
  fb.mode = -3;
  fb.colour[2] = 0x123456;
  EXPECT_EQ(sys_paint('W', 1, &fb), 0);
  FillBlock r;
  sys_paint('R', 0, &r);
  EXPECT_EQ(+r.mode, -3);
  EXPECT_EQ(+r.colour[2], 0x123456u);
  EXPECT_EQ(FillMode, -3);
  EXPECT_EQ(FillColour[2], 0x123456u);
}

TEST_F(Params, LineTypeDefaults) {
  LinePitchSet s;
  EXPECT_EQ(sys_ltdflt(3, &s), 1);
  ASSERT_EQ(sys_ltdflt(1, &s), 0);
  EXPECT_EQ(+s.v[0][0], 4.0);
  EXPECT_EQ(+s.v[1][4], 3.0);
  ASSERT_EQ(sys_ltype('R', 0, &s), 0);
  EXPECT_EQ(+s.v[0][1], 7.0); // kind 2 dash
  EXPECT_EQ(+s.v[2][1], 1.0); // kind 2 dot
  EXPECT_EQ(+s.v[1][4], 2.6);
  EXPECT_EQ(+s.v[2][4], 0.0);
}

TEST_F(Params, DwgMax) {
  EXPECT_EQ(sys_dwgmax(0), 0u);
  EXPECT_EQ(sys_dwgmax(7), 0u);
}
