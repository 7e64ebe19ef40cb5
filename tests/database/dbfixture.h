// A fresh store of two databases for each test, and prototype builders.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "database/dbsys.h"
#include "dbstart.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "settings/params.h"

// Board texts the store showed, as "<kind><text>".
inline std::vector<std::string> &boards_shown() {
  static std::vector<std::string> v;
  return v;
}

struct Store : ::testing::Test {
  void SetUp() override {
    db_start(10000, 500);
    boards_shown().clear();
    dbs_hooks().board = [](int kind, const char *text) { boards_shown().push_back(std::to_string(kind) + text); };
  }
  void TearDown() override {
    dbs_reset();
    dtb_term();
  }
};

inline ElementRecord proto(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = 3;
  return r;
}

inline ElementRecord lin(double x1, double y1, double x2, double y2, uint16_t attr = 0x11) {
  ElementRecord r = proto(LIN);
  r.lin.x1 = x1;
  r.lin.y1 = y1;
  r.lin.x2 = x2;
  r.lin.y2 = y2;
  r.lin.attr = attr;
  return r;
}

inline ElementRecord arc(double r0, double start, double end, uint16_t attr = 0x11) {
  ElementRecord r = proto(ARC);
  r.arc.cx = 50;
  r.arc.cy = 40;
  r.arc.r = r0;
  r.arc.start = start;
  r.arc.end = end;
  r.arc.attr = attr;
  return r;
}

inline ElementRecord chr(const std::string &s, float h = 5, float w = 4) {
  ElementRecord r = proto(CHR);
  r.chr.x = 10;
  r.chr.y = 20;
  r.chr.height = h;
  r.chr.width = w;
  r.chr.attr = 1;
  r.chr.count = int16_t(s.size());
  return r;
}

inline ElementRecord nod(uint8_t subkind = 1) {
  ElementRecord r = proto(NOD);
  r.subkind = subkind;
  return r;
}

// A string of n bytes running through every non-zero byte value, Shift-JIS lead and trail bytes included.
inline std::string bytes(int n, int seed = 0) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += char(1 + (i * 7 + seed) % 255);
  return s;
}

inline ElementRecord rec(int db, int32_t n) {
  ElementRecord r;
  std::memcpy(&r, dtb_ptr(db, n), sizeof r);
  return r;
}

inline DbControl ctl(int db) {
  DbControl c[2];
  dtb_ctrl('r', c);
  return c[db];
}
