// The CMDL interpreter on drawing 0 without views; user input comes from scripted edges.
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "../../database/dbfixture.h"
#include "../../database/workdir.h"
#include "commands/cmdl/cmdl.h"
#include "database/undo.h"
#include "display/view/view.h"

namespace {

struct Scripted {
  std::deque<int> codes;    // input codes, in order
  double x = 0, y = 0;      // point of a 500
  int32_t dwg = 0, elem = 0; // pick answer
  std::string typed;
  std::string line1 = "?";  // message line 1
  std::function<void()> during; // runs inside the next wait
};
Scripted S;

int next_code() {
  if (S.during) {
    auto f = S.during;
    S.during = nullptr;
    f();
  }
  if (S.codes.empty())
    return 800;
  const int c = S.codes.front();
  S.codes.pop_front();
  return c;
}

const CmdlEdges kEdges = {
    [](const char *, uint32_t, int32_t *dwg, int32_t *elem, double *x, double *y) {
      const int c = next_code();
      *dwg = S.dwg;
      *elem = S.elem;
      *x = S.x;
      *y = S.y;
      return c;
    },
    [](double *x, double *y) {
      const int c = next_code();
      if (c == 500) {
        *x = S.x;
        *y = S.y;
      }
      return c;
    },
    [](char *buf, int size) {
      const int c = next_code();
      std::snprintf(buf, size, "%s", S.typed.c_str());
      return c;
    },
    [](const char *text) { S.line1 = text; },
    nullptr,
    nullptr,
    nullptr,
};

struct Cmdl : Store {
  WorkDir wd;
  void SetUp() override {
    Store::SetUp();
    quiet_hooks(wd.folder());
    SystemBlock sb;
    sys_sysprm('R', &sb);
    sb.undo = 1;
    sys_sysprm('W', &sb);
    und_lock(0);
    ASSERT_EQ(und_open(0, wd.folder().c_str(), 200), 0);
    ASSERT_EQ(und_strt(0), 0);
    dwg_setcur(0);
    DrawingEnvRecord env;
    sys_dwgenv('r', 0, &env);
    env.chr.height = 5;
    env.chr.width = 4;
    env.pntatr = 0x11;
    env.linatr = 0x13;
    env.chr.attr = 0x3;
    sys_dwgenv('w', 0, &env);
    dde_reset();
    dde_setedges(&kEdges);
    S = Scripted{};
  }
  void TearDown() override {
    dde_setedges(nullptr);
    und_clos(0);
    dbs_reset();
    Store::TearDown();
  }
  // Runs a line: "result|reply".
  static std::string run(const std::string &line) {
    char buf[1200];
    std::snprintf(buf, sizeof buf, "%s", line.c_str());
    const int r = dde_cmdl(buf);
    return std::to_string(r) + "|" + dde_replytext();
  }
  static std::string reply(const std::string &line) {
    run(line);
    return dde_replytext();
  }
  static long num(const std::string &line) {
    const std::string r = run(line);
    EXPECT_EQ(r.substr(0, 6), "32768|") << line;
    return std::stol(r.substr(6));
  }
  static DrawingEnvRecord env() {
    DrawingEnvRecord e;
    sys_dwgenv('r', 0, &e);
    return e;
  }
};

const std::string ACK = "32768|";
const std::string BUSY = "16384|";

TEST_F(Cmdl, RunOfAddsReadsRewritesAndDeletes) {
  EXPECT_EQ(run("init"), ACK);
  const long n = num("LINE 0,0,10,10");
  EXPECT_GT(n, 0);
  EXPECT_EQ(num("LINE 0 0 10 10"), n + 1);
  EXPECT_EQ(reply("LINRD " + std::to_string(n)), std::to_string(n) + " 2 0 0 10 10");
  EXPECT_EQ(run("LINUP " + std::to_string(n) + " 1 1 5 5"), ACK + "0");
  EXPECT_EQ(reply("LINRD " + std::to_string(n)), std::to_string(n) + " 2 1 1 5 5");
  EXPECT_EQ(run("LINDL " + std::to_string(n)), ACK + "0");
  EXPECT_EQ(run("LINRD " + std::to_string(n)), ACK + "-1");
  const long m = num("CIRC 5 5 3 350 370");
  EXPECT_EQ(reply("CIRRD " + std::to_string(m)), std::to_string(m) + " 4 5 5 3 -10 10");
  const long k = num("CHAR 1 2 0 'A B' 0");
  const std::string ks = std::to_string(k);
  EXPECT_EQ(reply("CHARD " + ks), ks + " 8 1 2 \"A B\"");
  EXPECT_EQ(run("ELMRD " + ks), ACK + "-1");
  EXPECT_EQ(run("CHAUP " + ks + " XYZ\r\n"), ACK + "0");
  EXPECT_EQ(reply("CHARD " + ks), ks + " 8 1 2 \"XYZ\"");
  EXPECT_EQ(rec(0, int32_t(k)).chr.count, 3);
  EXPECT_EQ(run("TERM"), ACK);
  // The whole run is one undo step.
  und_pend(0);
  und_exec(0);
  EXPECT_EQ(ctl(0).count1, 0u);
}

// With no drawing window every line is refused and nothing reaches the store or the
// interpreter's state.
TEST_F(Cmdl, NoDrawingOpenRefusesEveryLine) {
  num("LINE 0 0 1 1");
  CmdlEdges closed = kEdges;
  closed.opened = [](int) { return false; };
  dde_setedges(&closed);
  const DrawingEnvRecord before = env();
  for (const char *line : {"INIT", "LINE 0 0 5 5", "CIRC 0 0 1 0 360", "POINT 1 1", "CHAR 0 0 0 'A' 0", "ELMRD 1",
                           "COLOR 3", "ELMDL 1", "TERM", "init"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(run(line), "0|");
  }
  EXPECT_EQ(ctl(0).count1, 1u);
  EXPECT_EQ(rec(0, 1).kind, LIN);
  EXPECT_EQ(env().linatr, before.linatr);
  EXPECT_EQ(dde_state().saved, -1);
  dde_setedges(&kEdges);
  EXPECT_EQ(reply("ELMRD 1"), "1 2 0 0 1 1");
}

TEST_F(Cmdl, NumberBases) {
  for (int i = 0; i < 16; i++)
    num("POINT " + std::to_string(i) + " 1");
  EXPECT_EQ(reply("LINE 0 0 1 1"), "17");
  ElementRecord r = rec(0, 16);
  ASSERT_EQ(r.kind, PNT);
  EXPECT_EQ(reply("PNTRD 0x10"), "16 1 15 1");
  EXPECT_EQ(reply("PNTRD 020"), "16 1 15 1");
}

TEST_F(Cmdl, Attributes) {
  const DrawingEnvRecord before = env();
  EXPECT_EQ(run("INIT"), ACK);
  EXPECT_EQ(run("COLOR 12"), ACK);
  const DrawingEnvRecord same = env();
  EXPECT_EQ(std::memcmp(&before, &same, sizeof before), 0);
  run("COLOR 5");
  EXPECT_EQ(env().pntatr & 15, 5);
  EXPECT_EQ(env().linatr & 15, 5);
  EXPECT_EQ(env().chr.attr & 15, 5);
  run("ASTYL 2 9");
  EXPECT_EQ((env().linatr >> 8) & 7, 2);
  EXPECT_EQ((env().linatr >> 11) & 7, (before.linatr >> 11) & 7);
  run("CHAH inf");
  run("CHAH 1e999");
  run("CHAH nan");
  EXPECT_EQ(env().chr.height, 5.0f);
  run("CHAH 7");
  run("DIMCOLOR 3 4");
  // A second INIT keeps the first save; a sheet change made meanwhile survives TERM.
  run("INIT");
  DrawingEnvRecord e = env();
  e.sheet.width = 321;
  sys_dwgenv('w', 0, &e);
  run("TERM");
  const DrawingEnvRecord after = env();
  EXPECT_EQ(after.pntatr, before.pntatr);
  EXPECT_EQ(after.linatr, before.linatr);
  EXPECT_EQ(std::memcmp(&after.chr, &before.chr, sizeof after.chr), 0);
  EXPECT_EQ(std::memcmp(&after.dim, &before.dim, sizeof after.dim), 0);
  EXPECT_EQ(after.sheet.width, 321);
}

TEST_F(Cmdl, TermLeavesAnotherDrawingInTheSlotAlone) {
  run("INIT");
  run("COLOR 5");
  dde_slotnew(0); // the slot was closed and another drawing opened
  run("TERM");
  EXPECT_EQ(env().pntatr & 15, 5);
  EXPECT_EQ(dde_state().saved, -1);
}

TEST_F(Cmdl, BadInputWritesNothing) {
  const long n = num("LINE 0 0 10 10");
  const long t = num("CHAR 0 0 0 'a text longer than one record' 0");
  const uint32_t count = ctl(0).count1;
  struct {
    std::string line, want;
  } cases[] = {
      {"FOO 1 2", "0|"},
      {std::string("LINE 0 0 1 ") + std::string(600, '1'), "0|"},
      {"LINE nan 0 1 1", ACK + "-1"},
      {"LINE inf 0 1 1", ACK + "-1"},
      {"LINE 1e999 0 1 1", ACK + "-1"},
      {"LINE 0,0,0,0", ACK + "-1"},
      {"CIRC 0 0 -1 0 360", ACK + "-1"},
      {"CIRC 0 0 0 0 360", ACK + "-1"},
      {"CIRC 0 0 1 nan 360", ACK + "-1"},
      {"CHAR 0 0 0 '' 0", ACK + "-1"},
      {"POINT 0 inf", ACK + "-1"},
      {"LINUP " + std::to_string(n) + " 0 0 nan 1", ACK + "-1"},
      {"LINUP 9999 0 0 1 1", ACK + "-1"},
      {"LINRD " + std::to_string(t + 1), ACK + "-1"}, // continuation record
      {"CHADL " + std::to_string(t + 1), ACK + "-1"},
      {"ELMDL -3", ACK + "-1"},
      {"CIRRD " + std::to_string(n), ACK + "-1"},
      {"ELLIP 1 2 3", "0|"},
      {"DIMLIN", "0|"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(run(c.line), c.want) << c.line;
  EXPECT_EQ(ctl(0).count1, count);
  // An erased element reads as missing.
  run("LINDL " + std::to_string(n));
  EXPECT_EQ(run("LINRD " + std::to_string(n)), ACK + "-1");
  EXPECT_EQ(run("ELMDL " + std::to_string(n)), ACK + "-1");
}

// Lines that would hide or lose data are refused (or, for attributes, ignored) and
// leave the store and the drawing's attributes as they were.
TEST_F(Cmdl, RefusedLinesLeaveTheStoreAsBefore) {
  const long arc = num("CIRC 5 5 3 0 90");
  const long txt = num("CHAR 1 2 0 'AB' 0");
  const std::string a = std::to_string(arc), t = std::to_string(txt);
  und_pend(0);
  const std::string lead = "\x88", kanji = "\x88\x9f"; // a lone lead byte; a whole character
  struct {
    std::string line, want;
  } cases[] = {
      {"CIRUP " + a + " 5 5 3 30 30", ACK + "-1"},   // zero sweep
      {"CIRUP " + a + " 5 5 3 30 30.0000001", ACK + "-1"}, // a sweep below the store's tolerance
      {"CIRUP " + a + " 5 5 3", ACK + "-1"},         // angle words missing
      {"CIRC 0 0 1 45 45", ACK + "-1"},
      {"CIRC 0 0 1", ACK + "-1"},
      {"CHAR 0 0 0 'A" + lead + "' 0", ACK + "-1"}, // ends in a lone lead byte
      {"CHAR 0 0 0 " + lead + " 0", ACK + "-1"},
      {"CHAUP " + t + " 'XY" + lead + "'", ACK + "-1"},
      {"CHAH 1e-40", ACK},
      {"CHAW 1e-40", ACK},
      {"CHAH 1e-7", ACK},
      {"CHAH -2", ACK},
  };
  const uint32_t count = ctl(0).count1;
  std::vector<ElementRecord> before;
  for (uint32_t n = 1; n <= count; n++)
    before.push_back(rec(0, int32_t(n)));
  const DrawingEnvRecord env0 = env();
  for (const auto &c : cases)
    EXPECT_EQ(run(c.line), c.want) << c.line;
  EXPECT_EQ(ctl(0).count1, count);
  for (uint32_t n = 1; n <= count; n++) {
    const ElementRecord now = rec(0, int32_t(n));
    EXPECT_EQ(std::memcmp(&before[n - 1], &now, sizeof now), 0) << n;
  }
  // The attributes CMDL sets are as before.
  const DrawingEnvRecord env1 = env();
  EXPECT_EQ(env1.pntatr, env0.pntatr);
  EXPECT_EQ(env1.linatr, env0.linatr);
  EXPECT_EQ(std::memcmp(&env1.chr, &env0.chr, sizeof env0.chr), 0);
  EXPECT_EQ(std::memcmp(&env1.dim, &env0.dim, sizeof env0.dim), 0);
  // The sizes that were refused never reach a text: the next one is placed.
  EXPECT_GT(num("CHAR 3 3 0 'OK' 0"), 0);
  // Whole double-byte characters are taken, and a real sweep still rewrites.
  const long k = num("CHAR 0 0 0 '" + kanji + "A' 0");
  EXPECT_EQ(reply("CHARD " + std::to_string(k)), std::to_string(k) + " 8 0 0 \"" + kanji + "A\"");
  EXPECT_EQ(run("CIRUP " + a + " 5 5 3 30 31"), ACK + "0");
  EXPECT_EQ(run("CHAH 1e-5"), ACK);
  EXPECT_FLOAT_EQ(env().chr.height, 1e-5f);
}

TEST_F(Cmdl, AReplyNeverEndsInALoneLeadByte) {
  ElementRecord r{};
  r.kind = CHR;
  char out[64];
  dde_fmtelm(3, &r, "AB\x88", out, sizeof out);
  EXPECT_STREQ(out, "3 8 0 0 \"AB\"");
}

TEST_F(Cmdl, LineWithoutNulIsRefused) {
  std::string data(600, 'A');
  EXPECT_EQ(dde_cmdldata(data.data(), data.size()), 0);
  std::string ok = "POINT 1 2";
  EXPECT_EQ(dde_cmdldata(ok.data(), ok.size()), CMDL_ACK);
  EXPECT_STREQ(dde_replytext(), "1");
}

TEST_F(Cmdl, AreaTwoInUseMakesWritesBusy) {
  num("LINE 0 0 1 1");
  ElementRecord p = lin(0, 0, 5, 5);
  ASSERT_GT(elm_add(0, ELM_AREA2, ELM_NODRAW, &p, nullptr), 0);
  EXPECT_EQ(run("LINE 0 0 2 2"), BUSY);
  EXPECT_EQ(run("LINUP 1 0 0 2 2"), BUSY);
  EXPECT_EQ(run("LINDL 1"), BUSY);
  EXPECT_EQ(run("LINRD 1"), ACK + "1 2 0 0 1 1");
  EXPECT_EQ(run("LINRD 2"), ACK + "-1"); // the area-2 record
}

TEST_F(Cmdl, PromptIsShownLiterally) {
  EXPECT_EQ(run("PRMPT \"%s%s%n\""), ACK);
  EXPECT_EQ(S.line1, "%s%s%n");
}

TEST_F(Cmdl, PointInput) {
  S.codes = {500};
  S.x = 3;
  S.y = 4;
  EXPECT_EQ(run("PNTIN \"where\""), ACK + "500 3 4");
  EXPECT_EQ(S.line1, "");
  // A poke while the point input waits is turned away.
  S.codes = {500};
  std::string inner;
  S.during = [&] { inner = run("LINE 0 0 1 1"); };
  run("PNTIN x");
  EXPECT_EQ(inner, BUSY);
  EXPECT_EQ(ctl(0).count1, 0u);
  // Esc: busy until INIT.
  S.codes = {27};
  EXPECT_EQ(run("PNTIN x"), ACK + "27 0 0");
  EXPECT_EQ(run("LINE 0 0 1 1"), BUSY);
  EXPECT_EQ(run("INIT"), ACK);
  EXPECT_EQ(run("LINE 0 0 1 1"), ACK + "1");
}

TEST_F(Cmdl, Picks) {
  const long n = num("LINE 0 0 10 10");
  S.codes = {500};
  S.elem = int32_t(n);
  S.x = 2;
  S.y = 2.5;
  EXPECT_EQ(run("ELMPK pick"), ACK + std::to_string(n) + " 2 2 2.5");
  S.codes = {500};
  EXPECT_EQ(run("LINPK pick"), ACK + std::to_string(n) + " 2 0 0 10 10");
  S.codes = {27};
  EXPECT_EQ(run("ELMPK pick"), ACK + "-27");
  EXPECT_EQ(dde_state().aborted, 27);
  run("TERM");
  S.codes = {800};
  EXPECT_EQ(run("CHAPK pick"), ACK + "-1");
  EXPECT_EQ(dde_state().aborted, 800);
}

TEST_F(Cmdl, TypedLine) {
  S.codes = {13};
  S.typed = "abc";
  EXPECT_EQ(run("CHAIN \"name?\""), ACK + "0 \"abc\"");
  S.codes = {27};
  EXPECT_EQ(run("CHAIN \"name?\""), ACK + "27 \"abc\"");
}

} // namespace
