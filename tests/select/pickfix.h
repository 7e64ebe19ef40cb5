// A drawing on a 200 x 200 sheet for the pick tests, with scripted clicks and
// answers and a record of what was highlighted.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "../database/dbstart.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/picklist.h"
#include "select/picksys.h"
#include "settings/answers.h"
#include "settings/params.h"

struct Click {
  int code;
  double x, y;
  int32_t dwg = 0, view = 0;
};

struct Shown {
  int32_t dwg, n, colour;
  bool operator==(const Shown &) const = default;
};

struct PickWorld {
  std::deque<Click> clicks;
  std::deque<int> answers;
  std::vector<std::string> questions;
  std::vector<Shown> shown;
  std::vector<uint32_t> delays;
  std::vector<int> errors;
  std::vector<int> prompts;
  int clears = 0;
  double tol = 1.0;
};

inline PickWorld &world() {
  static PickWorld w;
  return w;
}

struct PickTest : ::testing::Test {
  void SetUp() override {
    prm_init();
    db_start(20000, 500);
    SheetRecord s;
    sys_sheet('R', 0, &s);
    s.width = s.height = 200;
    sys_sheet('W', 0, &s);
    sys_sheet('W', 1, &s);
    world() = PickWorld{};
    PickSysHooks &h = pck_hooks();
    h.getpnt = [](uint32_t, const uint32_t *masks, double *x, double *y, int32_t *d, int32_t *v) {
      auto &q = world().clicks;
      if (q.empty())
        return 800; // the script ran out: the command ends
      Click c = q.front();
      q.pop_front();
      // Clicks outside the allowed views are ignored, as the get-point loop does.
      while (c.dwg >= 0 && c.dwg <= 1 && c.view >= 0 && c.view < 16 && !(masks[c.dwg] & 1u << c.view)) {
        if (q.empty())
          return 800;
        c = q.front();
        q.pop_front();
      }
      if (c.code == 500 || c.code == 502 || c.code == 504 || c.code == 47) {
        *x = c.x;
        *y = c.y;
      }
      *d = c.dwg;
      *v = c.view;
      return c.code;
    };
    h.aperture = [](int32_t, int32_t, double *t) {
      *t = world().tol;
      return 0;
    };
    h.views = [](int32_t) { return 1u; };
    h.show = [](int32_t d, int32_t n, int32_t c) { world().shown.push_back({d, n, c}); };
    h.delay = [](uint32_t ms) { world().delays.push_back(ms); };
    h.error = [](int n) { world().errors.push_back(n); };
    h.prompt = [](int n, va_list) { world().prompts.push_back(n); };
    h.clear = [] { ++world().clears; };
    ui_setresponder([](const UiQuestion &q) {
      auto &w = world();
      w.questions.push_back(q.keys ? q.keys : "");
      if (w.answers.empty())
        return 27;
      const int a = w.answers.front();
      w.answers.pop_front();
      return a;
    });
    ElmFilter = {PNT | LIN | ARC | CHR, 0xFFFF, 0xFFFF, 0xFF};
    SegHoverOff = 1;
    PickTextParts = 0;
    PickSkipMasked = 0;
    pck_unpin_all();
  }
  void TearDown() override {
    ui_setresponder(nullptr);
    pck_reset();
    pck_free();
    dtb_term();
  }
  static void pck_unpin_all();

  static ElementRecord proto(uint16_t kind, uint16_t layer = 1) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = kind;
    r.layer = uint8_t(layer);
    return r;
  }
  static int32_t add(const ElementRecord &r, const char *s = nullptr, int d = 0) {
    return elm_add(d, 0, ELM_NODRAW, &r, s);
  }
  static int32_t line(double x1, double y1, double x2, double y2, uint16_t attr = 0x11, int d = 0) {
    ElementRecord r = proto(LIN);
    r.lin = LinBody{x1, y1, x2, y2, attr, {}};
    return add(r, nullptr, d);
  }
  static int32_t arc(double cx, double cy, double rad, double s, double e, uint16_t attr = 0x11) {
    ElementRecord r = proto(ARC);
    r.arc = ArcBody{cx, cy, rad, s, e, attr, {}};
    return add(r);
  }
  static int32_t point(double x, double y, uint16_t attr = 1) {
    ElementRecord r = proto(PNT);
    r.pnt.x = x;
    r.pnt.y = y;
    r.pnt.attr = attr;
    return add(r);
  }
  static int32_t text(const char *s, float x, float y, float h, uint16_t attr = 1) {
    ElementRecord r = proto(CHR);
    r.chr.x = x;
    r.chr.y = y;
    r.chr.height = h;
    r.chr.width = h;
    r.chr.attr = attr;
    return add(r, s);
  }
  static int32_t group(uint8_t subkind = 1) {
    ElementRecord r = proto(NOD);
    r.subkind = subkind;
    return add(r);
  }
  static ElementRecord *at(int32_t n, int d = 0) { return dtb_ptr(d, n); }
  static int near(double x, double y, int32_t *out, uint32_t kind = 15) {
    return pck_near(0, 0, x, y, kind, 0xFFFF, 0xFFFF, 0xFF, out);
  }
};

#include "select/pick.h"
inline void PickTest::pck_unpin_all() { pck_unpin(); }
