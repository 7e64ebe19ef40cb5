// Random edit sequences checked against a simple model after every step: adds,
// updates, deletes, groups, undo, redo, previews in area 2 that are declined, and
// packs. The seed is fixed; INK_EDITSEQ_SEED and INK_EDITSEQ_STEPS run others.
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>

#include "database/pack.h"
#include "database/undo.h"
#include "dbfixture.h"
#include "display/view/view.h"
#include "workdir.h"

namespace {

// Every element carries a tag of its own, so that the store can be read back
// into the model's terms whatever numbers packing gave it.
struct Elem {
  uint16_t kind;
  int parent; // tag of the enclosing node, 0 at top level
  int len;    // string length of a CHR or ATR
  int32_t num;
};

struct Model {
  std::map<int, Elem> live;
  uint32_t count1 = 0;
};

int elm_records(const Elem &e) { return elm_nrec(e.kind, e.len); }

std::string text_of(int tag, int len) {
  std::string s = "T" + std::to_string(tag) + "-";
  while (int(s.size()) < len)
    s += char('a' + s.size() % 26);
  s.resize(std::size_t(len));
  return s;
}

int min_len(int tag) { return int(std::to_string(tag).size()) + 2; }

ElementRecord make(uint16_t kind, int tag, double v) {
  ElementRecord r = proto(kind);
  switch (kind) {
  case PNT:
    r.pnt.x = tag;
    r.pnt.y = v;
    break;
  case LIN:
    r = lin(tag, 0, tag + 1, v);
    break;
  case CHR:
    r = chr("");
    r.chr.x = float(tag);
    break;
  case ATR:
    r.flags = 1; // keeps an otherwise empty node
    break;
  case NOD:
    r.subkind = 4;
    std::memcpy(r.nod.data, &tag, sizeof tag);
    break;
  }
  return r;
}

// The tag of every kind but ATR, whose tag is in its text.
int tag_of(const ElementRecord &r) {
  switch (r.kind) {
  case PNT:
    return int(r.pnt.x);
  case LIN:
    return int(r.lin.x1);
  case CHR:
    return int(r.chr.x);
  case NOD: {
    int t;
    std::memcpy(&t, r.nod.data, sizeof t);
    return t;
  }
  }
  return -1;
}

struct EditSeq : Store {
  WorkDir wd;
  std::mt19937 rng;
  Model m;
  std::vector<Model> history; // states after each step since the journal was emptied
  std::size_t at = 0;         // the state the drawing is in now
  int next_tag = 1;
  std::string trace;

  void SetUp() override {
    Store::SetUp();
    quiet_hooks(wd.folder());
    SystemBlock sb;
    sys_sysprm('R', &sb);
    sb.undo = 1;
    sys_sysprm('W', &sb);
    und_lock(0);
    dtb_packforce(PCK_AUTO);
    dwg_setcur(0);
    ASSERT_EQ(und_open(0, wd.folder().c_str(), UND_MAXSIZE), 0);
    ASSERT_EQ(und_strt(0), 0);
    history = {m};
  }
  void TearDown() override {
    und_clos(0);
    dbs_reset();
    Store::TearDown();
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  std::vector<int> live_tags(bool nodes_only = false) {
    std::vector<int> v;
    for (const auto &[t, e] : m.live)
      if (!nodes_only || e.kind == NOD)
        v.push_back(t);
    return v;
  }

  bool room(uint32_t recs) { return m.count1 + recs <= ctl(0).max12; }

  // Adds one element at the open level (parent: its tag) and records it.
  int32_t add_one(uint16_t kind, int parent) {
    const int tag = next_tag++;
    ElementRecord p = make(kind, tag, pick(50));
    std::string s;
    int len = 0;
    if (kind == CHR || kind == ATR) {
      len = min_len(tag) + pick(120);
      s = text_of(tag, len);
    }
    int32_t n = elm_add(0, 0, ELM_NODRAW, &p, s.empty() ? nullptr : s.c_str());
    EXPECT_GT(n, 0) << trace;
    Elem e{kind, parent, len, n};
    m.live[tag] = e;
    m.count1 += uint32_t(elm_records(e));
    return n;
  }

  // A command: a step of the journal, then a new state of the model.
  template <class F> void command(F f) {
    ASSERT_EQ(und_pend(0), 0) << trace;
    f();
    history.resize(at + 1);
    history.push_back(m);
    at = history.size() - 1;
  }

  void op_add() {
    if (!room(4))
      return op_pack();
    const uint16_t kinds[] = {PNT, LIN, CHR};
    command([&] { add_one(kinds[pick(3)], 0); });
  }

  void op_group() {
    if (!room(40))
      return op_pack();
    command([&] {
      auto nodes = live_tags(true);
      int node;
      // Existing nodes shallow enough for four more levels below them.
      std::vector<int> shallow;
      for (int t : nodes)
        if (rec(0, m.live[t].num).depth < 5)
          shallow.push_back(t);
      if (!shallow.empty() && pick(2)) {
        node = shallow[std::size_t(pick(int(shallow.size())))];
        ASSERT_EQ(grp_open(0, m.live[node].num), 0) << trace;
      } else {
        int32_t n = add_one(NOD, 0);
        node = next_tag - 1;
        ASSERT_EQ(grp_open(0, n), 0) << trace;
      }
      fill(node, 1);
      grp_reset(0);
    });
  }

  // Members of the open node; now and then a nested node of its own.
  void fill(int node, int depth) {
    const int k = 1 + pick(3);
    for (int i = 0; i < k; ++i) {
      const int what = pick(6);
      if (what == 0 && depth < 4) {
        int32_t n = add_one(NOD, node);
        int inner = next_tag - 1;
        ASSERT_EQ(grp_open(0, n), 0) << trace;
        if (pick(4))
          fill(inner, depth + 1);
        ASSERT_EQ(grp_close(0), 0) << trace;
      } else {
        const uint16_t kinds[] = {PNT, LIN, CHR, ATR, PNT, LIN};
        add_one(kinds[what], node);
      }
    }
  }

  void op_update() {
    std::vector<int> v;
    for (const auto &[t, e] : m.live)
      if (e.kind != NOD)
        v.push_back(t);
    if (v.empty() || !room(4))
      return op_add();
    const int tag = v[std::size_t(pick(int(v.size())))];
    command([&] {
      Elem &e = m.live[tag];
      // As the commands do: the stored record with a new body.
      ElementRecord p = rec(0, e.num);
      const ElementRecord body = make(e.kind, tag, 100 + pick(50));
      std::memcpy(p.body, body.body, sizeof p.body);
      std::string s;
      int len = e.len;
      if (e.kind == CHR || e.kind == ATR) {
        len = min_len(tag) + pick(150);
        s = text_of(tag, len);
      }
      ASSERT_EQ(elm_update(0, e.num, 0, ELM_NODRAW, &p, s.empty() ? nullptr : s.c_str()), 0) << trace;
      const int before = elm_records(e);
      e.len = len;
      const int after = elm_records(e);
      if (after > before)
        m.count1 += uint32_t(after - before);
    });
  }

  void erase_tree(int tag) {
    m.live.erase(tag);
    for (int t : live_tags())
      if (m.live.count(t) && m.live[t].parent == tag)
        erase_tree(t);
  }

  void op_delete() {
    auto v = live_tags();
    if (v.empty())
      return op_add();
    const int tag = v[std::size_t(pick(int(v.size())))];
    command([&] {
      ASSERT_EQ(elm_delete(0, m.live[tag].num, ELM_NODRAW), 0) << trace;
      erase_tree(tag);
    });
  }

  void op_undo() {
    shown().clear();
    und_exec(0);
    const std::size_t oldest = history.size() > UND_STACK ? history.size() - UND_STACK : 0;
    if (at > oldest) {
      m = history[--at];
      EXPECT_TRUE(shown().empty()) << trace;
    } else {
      EXPECT_EQ(shown(), std::vector<int>{30122}) << trace;
    }
  }

  void op_redo() {
    shown().clear();
    rdo_exec(0);
    if (at + 1 < history.size()) {
      m = history[++at];
      EXPECT_TRUE(shown().empty()) << trace;
    } else {
      EXPECT_EQ(shown(), std::vector<int>{30127}) << trace;
    }
  }

  // A rubber band over the slots behind area 1, then given up.
  void op_preview() {
    const int k = 1 + pick(3);
    for (int i = 0; i < k; ++i) {
      ElementRecord p = make(PNT, 900000 + next_tag, 0);
      std::string s = text_of(900000, 30 + pick(60));
      if (pick(2))
        p = make(CHR, 900000, 0);
      EXPECT_GT(elm_add(0, ELM_AREA2, ELM_NODRAW, &p, p.kind == CHR ? s.c_str() : nullptr), 0) << trace;
    }
    DbControl c[2];
    dtb_ctrl('r', c);
    c[0].count2 = 0;
    ASSERT_EQ(dtb_ctrl('w', c), 0);
  }

  // Nodes that hold nothing live go, with their nested nodes.
  bool kept(int node) {
    bool keep = false;
    for (int t : live_tags()) {
      const Elem &e = m.live[t];
      if (e.parent == node && (e.kind != NOD || kept(t)))
        keep = true;
    }
    return keep;
  }

  void op_pack() {
    EXPECT_EQ(dtb_packcmd(), PCK_FAILED) << trace;
    EXPECT_EQ(dtb_packlast().code, 0) << trace;
    for (int t : live_tags(true))
      if (m.live.count(t) && !kept(t))
        erase_tree(t);
    m.count1 = 0;
    for (const auto &[t, e] : m.live)
      m.count1 += uint32_t(elm_records(e));
    // New numbers: read back from the store, which check() then compares.
    for (uint32_t k = 1; k <= ctl(0).count1; ++k) {
      ElementRecord r = rec(0, int32_t(k));
      if (!(r.flags & ELM_SKIP)) {
        int t = stored_tag(int32_t(k), r);
        if (m.live.count(t))
          m.live[t].num = int32_t(k);
      }
    }
    history = {m};
    at = 0;
  }

  int stored_tag(int32_t n, const ElementRecord &r) {
    if (r.kind != ATR)
      return tag_of(r);
    static char buf[ELM_STRMAX + 1];
    ElementRecord tmp;
    if (elm_read(0, n, &tmp, buf, sizeof buf) != 0 || buf[0] != 'T')
      return -1;
    return std::atoi(buf + 1);
  }

  // The store against the model: the live elements with their kinds, parents and
  // numbers, the chains of every live node, the links and the counts.
  void check() {
    const DbControl c = ctl(0);
    ASSERT_EQ(c.count1, m.count1) << trace;
    EXPECT_EQ(c.count2, 0u) << trace;
    const int32_t n = int32_t(c.count1);
    auto in = [&](int32_t l) { return l < 1 || l <= n; };
    std::set<int> seen;
    for (int32_t k = 1; k <= n; ++k) {
      ElementRecord r = rec(0, k);
      bool ok = in(r.parent) && in(r.next);
      if (r.flags & ELM_CONT)
        ok = ok && in(r.cont.next);
      else if (r.kind == NOD)
        ok = ok && in(r.nod.child) && in(r.nod.attr);
      else if (elm_isstr(r.kind))
        ok = ok && in(elm_cont(r));
      ASSERT_TRUE(ok) << "record " << k << " links outside area 1; " << trace;
      if (r.flags & ELM_SKIP)
        continue;
      const int t = stored_tag(k, r);
      ASSERT_TRUE(m.live.count(t)) << "element " << k << " tag " << t << " lives, the model has it not; " << trace;
      const Elem &e = m.live[t];
      EXPECT_EQ(e.num, k) << trace;
      EXPECT_EQ(e.kind, r.kind) << trace;
      const int ptag = elm_islink(r.parent) ? stored_tag(r.parent, rec(0, r.parent)) : 0;
      EXPECT_EQ(ptag, e.parent) << "element " << k << "; " << trace;
      if (elm_isstr(r.kind)) {
        static char buf[ELM_STRMAX + 1];
        ElementRecord tmp;
        EXPECT_EQ(elm_read(0, k, &tmp, buf, sizeof buf), 0) << trace;
        EXPECT_EQ(std::string(buf), text_of(t, e.len)) << trace;
      }
      seen.insert(t);
    }
    ASSERT_EQ(seen.size(), m.live.size()) << "elements lost; " << trace;
    for (const auto &[t, e] : m.live) {
      if (e.kind != NOD)
        continue;
      std::multiset<int> want, got;
      for (const auto &[u, f] : m.live)
        if (f.parent == t)
          want.insert(u);
      const ElementRecord node = rec(0, e.num);
      for (int32_t first : {node.nod.child, node.nod.attr}) {
        int budget = n;
        for (int32_t l = first; elm_islink(l) && budget-- > 0;) {
          ElementRecord r = rec(0, l);
          if (!(r.flags & ELM_SKIP))
            got.insert(stored_tag(l, r));
          l = r.next;
        }
        EXPECT_GT(budget, 0) << "a chain of node " << e.num << " loops; " << trace;
      }
      EXPECT_EQ(got, want) << "members of node " << e.num << "; " << trace;
    }
  }

  void run(uint32_t seed, int steps) {
    rng.seed(seed);
    const char *names[] = {"add", "group", "update", "delete", "undo", "redo", "preview", "pack"};
    const int weights[] = {16, 10, 10, 10, 18, 12, 10, 3};
    std::discrete_distribution<int> choose(std::begin(weights), std::end(weights));
    for (int step = 0; step < steps; ++step) {
      const int op = choose(rng);
      trace = "seed " + std::to_string(seed) + " step " + std::to_string(step) + " " + names[op];
      switch (op) {
      case 0: op_add(); break;
      case 1: op_group(); break;
      case 2: op_update(); break;
      case 3: op_delete(); break;
      case 4: op_undo(); break;
      case 5: op_redo(); break;
      case 6: op_preview(); break;
      case 7: op_pack(); break;
      }
      check();
      if (HasFailure())
        FAIL() << "first failure at " << trace;
    }
  }
};

TEST_F(EditSeq, RandomEditsAgreeWithTheModel) {
  uint32_t seed = 20240613;
  int steps = 1500;
  if (const char *s = std::getenv("INK_EDITSEQ_SEED"))
    seed = uint32_t(std::strtoul(s, nullptr, 10));
  if (const char *s = std::getenv("INK_EDITSEQ_STEPS"))
    steps = std::atoi(s);
  run(seed, steps);
}

} // namespace
