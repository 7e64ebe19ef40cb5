// A fresh store per test, a fixture drawing and seal-file images in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../database/dbstart.h"
#include "../database/workdir.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "database/undo.h"
#include "files/filsys.h"
#include "files/sealfmt.h"
#include "files/sealread.h"
#include "files/sealsave.h"
#include "settings/params.h"

using Bytes = std::vector<uint8_t>;

// Messages the seal-file code showed.
inline std::vector<int> &fil_shown() {
  static std::vector<int> v;
  return v;
}

struct Seal : ::testing::Test {
  void SetUp() override {
    prm_init();
    db_start(10000, 500);
    fil_sysreset();
    fil_sys().error = [](int n, const char *) { fil_shown().push_back(n); };
    fil_shown().clear();
  }
  void TearDown() override {
    fil_sysreset();
    dtb_term();
  }
};

inline ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  return r;
}

inline ElementRecord line(double x1, double y1, double x2, double y2) {
  ElementRecord r = blank(LIN);
  r.lin.x1 = x1;
  r.lin.y1 = y1;
  r.lin.x2 = x2;
  r.lin.y2 = y2;
  r.lin.attr = 0x11;
  return r;
}

inline ElementRecord arcrec(double cx, double cy, double rad, double s, double e) {
  ElementRecord r = blank(ARC);
  r.arc.cx = cx;
  r.arc.cy = cy;
  r.arc.r = rad;
  r.arc.start = s;
  r.arc.end = e;
  r.arc.attr = 0x11;
  return r;
}

inline ElementRecord text(float x, float y, float h, float w, uint16_t attr = 1, float angle = 0) {
  ElementRecord r = blank(CHR);
  r.chr.x = x;
  r.chr.y = y;
  r.chr.height = h;
  r.chr.width = w;
  r.chr.attr = attr;
  r.chr.angle = angle;
  return r;
}

inline int32_t add(int db, const ElementRecord &p, const char *s = nullptr) {
  return elm_add(db, 0, ELM_NODRAW, &p, s);
}

// Line, arc, a text of two records, a group with a chain of two members: 7 records.
inline void fixture(int db) {
  ASSERT_GT(add(db, line(1, 2, 30, 4)), 0);
  add(db, arcrec(10, 10, 5, 30, 120));
  add(db, text(3, 4, 5, 4), "SEAL-TEXT-OF-20BYTES");
  const int32_t g = add(db, blank(NOD));
  ASSERT_EQ(grp_open(db, g), 0);
  add(db, line(0, 0, 5, 5));
  add(db, arcrec(2, 2, 1, 0, 90));
  grp_close(db);
}

// The file image of records 1 .. count1 of a drawing, as a save writes it.
inline Bytes image(int db, const uint8_t *head = nullptr) {
  Bytes b(SLF_HEADSIZE);
  DrawingEnvRecord env;
  sys_dwgenv('R', db, &env);
  SlfSaveCount = int32_t(DbCtl[db].count1);
  slf_mkhead(db, &env, b.data());
  if (head)
    std::memcpy(b.data(), head, SLF_HEADSIZE);
  slf_wrbody(
      db, SlfSaveCount,
      [](void *ctx, const void *p, uint32_t n) {
        auto *v = static_cast<Bytes *>(ctx);
        v->insert(v->end(), static_cast<const uint8_t *>(p), static_cast<const uint8_t *>(p) + n);
        return true;
      },
      &b);
  return b;
}

inline Bytes records(int db, int32_t from, int32_t to) {
  Bytes b;
  for (int32_t n = from; n <= to; ++n) {
    const uint8_t *p = dtb_addr(db, n);
    b.insert(b.end(), p, p + SLF_RECSIZE);
  }
  return b;
}

inline int load(int db, const Bytes &file, double dx = 0, double dy = 0) {
  SlfMemory m{file.data(), file.size(), 0};
  uint8_t hdr[SLF_HEADSIZE];
  return slf_loadsrc(db, slf_memsource(&m), dx, dy, hdr);
}

inline void empty(int db) {
  DbCtl[db].count1 = DbCtl[db].count2 = DbCtl[db].count3 = 0;
}
