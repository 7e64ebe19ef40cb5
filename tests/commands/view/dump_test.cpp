// The data dump's list and element lines, from the shipped dump labels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../database/dbfixture.h"
#include "commands/view/dump.h"
#include "settings/msgfile.h"

namespace {

std::string bin_path(const char *name) {
  std::string p = std::string(INK_BIN_DIR) + "/" + name;
#ifdef _WIN32
  p = "Z:" + p;
#endif
  return p;
}

struct Dump : Store {
  void SetUp() override {
    Store::SetUp();
    ASSERT_EQ(dmp_msgload(0, bin_path("RERUVEVA.MSG").c_str()), 0);
  }
  void TearDown() override {
    dmp_msgload(2, nullptr);
    Store::TearDown();
  }
};

std::vector<std::string> lines_of(const ElementRecord &r, int *rc = nullptr, DumpLinks *links = nullptr) {
  DumpLines out;
  DumpLinks l{};
  int k = dmp_elemlines(r, out, l);
  if (rc)
    *rc = k;
  if (links)
    *links = l;
  std::vector<std::string> v;
  for (auto &t : out.text)
    v.emplace_back(t);
  return v;
}

std::string label(int n) { return dmp_msgtext(n); }

void put32(ElementRecord &r, int off, int32_t v) { std::memcpy(reinterpret_cast<uint8_t *>(&r) + off, &v, 4); }
void putd(ElementRecord &r, int off, double v) { std::memcpy(reinterpret_cast<uint8_t *>(&r) + off, &v, 8); }

} // namespace

TEST_F(Dump, ListFiltersByKindAndStopsAtAThousandLines) {
  for (int i = 0; i < 1500; i++) {
    ElementRecord p = i % 15 < 7 ? lin(i, 0, i, 10) : proto(PNT);
    ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &p, nullptr), 0);
  }
  ASSERT_EQ(DbCtl[0].count1, 1500u);
  std::vector<std::string> got;
  auto add = [&](const char *s) { got.emplace_back(s); };
  EXPECT_EQ(dmp_listlines(0, 1, DMP_LIN, add), 700);
  ASSERT_EQ(got.size(), 700u);
  for (auto &s : got)
    EXPECT_NE(s.find(label(31954)), std::string::npos) << s;
  EXPECT_EQ(got[0].substr(0, 7), "    1  ");
  got.clear();
  EXPECT_EQ(dmp_listlines(0, 1, DMP_ALLKINDS, add), 1000);
  EXPECT_EQ(got.back().substr(0, 5), " 1000");
  got.clear();
  EXPECT_EQ(dmp_listlines(0, 1400, DMP_ALLKINDS, add), 101);
  EXPECT_EQ(dmp_listlines(1, 1, DMP_ALLKINDS, add), 0); // empty drawing
}

TEST_F(Dump, ErasedMarkersFallIntoOneColumn) {
  ElementRecord node = proto(NOD), line = lin(0, 0, 1, 1), text = proto(CHR);
  node.flags = line.flags = text.flags = ELM_ERASED;
  node.nod.child = 3;
  text.chr.cont = 12;
  char a[DMP_LINESIZE], b[DMP_LINESIZE], c[DMP_LINESIZE];
  ASSERT_EQ(dmp_listline(1, node, DMP_ALLKINDS, a), 1);
  ASSERT_EQ(dmp_listline(2, line, DMP_ALLKINDS, b), 1);
  ASSERT_EQ(dmp_listline(3, text, DMP_ALLKINDS, c), 1);
  std::string sa = a, sb = b, sc = c;
  ASSERT_GE(sa.size(), 6u);
  EXPECT_EQ(sa.substr(sa.size() - 6), "  削除");
  EXPECT_EQ(sb.substr(sb.size() - 18), "              削除");
  EXPECT_NE(sc.find(" 続き=     12 削除"), std::string::npos) << sc;
  EXPECT_EQ(sa.size(), sb.size());
  EXPECT_EQ(sa.size(), sc.size());
}

TEST_F(Dump, ContinuationAndOddKindsIgnoreTheMask) {
  ElementRecord cont = proto(CHR), box = proto(MSKBOX), odd = proto(3), pnt = proto(PNT);
  cont.flags = ELM_CONT;
  cont.cont.next = 77;
  char buf[DMP_LINESIZE];
  ASSERT_EQ(dmp_listline(9, cont, 0, buf), 1);
  EXPECT_EQ(std::string(buf), "    9  続き  次=77");
  ASSERT_EQ(dmp_listline(9, box, 0, buf), 1);
  EXPECT_NE(std::string(buf).find(label(31971)), std::string::npos);
  ASSERT_EQ(dmp_listline(9, odd, 0, buf), 1);
  EXPECT_NE(std::string(buf).find("要素タイプエラー！！"), std::string::npos);
  EXPECT_EQ(dmp_listline(9, pnt, DMP_ALLKINDS & ~DMP_PNT, buf), 0);
}

TEST_F(Dump, PointAndLineLines) {
  ElementRecord p = proto(PNT);
  p.pnt.x = 1.5;
  p.pnt.y = -2;
  p.pnt.attr = 0x123;
  p.parent = 4;
  p.next = 6;
  DumpLinks links;
  auto v = lines_of(p, nullptr, &links);
  EXPECT_EQ(v[0], "フラグ=0000  サブ種別=0  上位=0");
  EXPECT_EQ(v[1], "種類=1  深さ=0  レイヤー=3");
  EXPECT_EQ(v[2], "セル=0000  親=4  弟=6");
  EXPECT_EQ(v[3], "メンバー数=0  上位=0");
  EXPECT_EQ(v[4], label(31962));
  EXPECT_EQ(v[5], "位置  X=1.500  Y=-2.000");
  EXPECT_EQ(v[6], "属性ワード=0123");
  EXPECT_EQ(v[7], "ペン=3  点種=18");
  EXPECT_EQ(v[8], "");
  EXPECT_EQ(links.parent, 4);
  EXPECT_EQ(links.next, 6);
  EXPECT_EQ(links.child, 0);

  ElementRecord l = lin(1, 2, 3, 4, 0xC000 | 5 << 11 | 3 << 8 | 7 << 4 | 9);
  put32(l, 54, 11);
  put32(l, 58, 12);
  v = lines_of(l);
  EXPECT_EQ(v[4], label(31963));
  EXPECT_EQ(v[5], "始点  X=1.000  Y=2.000");
  EXPECT_EQ(v[6], "終点  X=3.000  Y=4.000");
  EXPECT_EQ(v[8], "ペン=9  線種=7");
  EXPECT_EQ(v[9], "始端=3  終端=5");
  EXPECT_EQ(v[10], "ビット15=1  ビット14=1");
  EXPECT_EQ(v[11], "ワード1=11  ワード2=12");
  EXPECT_EQ(v[12], "");
  put32(l, 58, 0); // shown only when both are set
  EXPECT_EQ(lines_of(l)[11], "");
}

TEST_F(Dump, MaskedArcLines) {
  ElementRecord a = arc(5, 10, 80);
  a.kind = ARC | MSKBOX;
  auto v = lines_of(a);
  EXPECT_EQ(v[4], label(31964));
  EXPECT_EQ(v[5], "中心  X=50.000  Y=40.000");
  EXPECT_EQ(v[6], "半径=5.000");
  EXPECT_EQ(v[7], "開始角=10.000  終了角=80.000");
  EXPECT_EQ(v[12], label(31977)); // no words after the attribute word
}

TEST_F(Dump, TextAndContinuationLines) {
  ElementRecord c = proto(CHR);
  c.chr.x = 1;
  c.chr.height = 2.5f;
  c.chr.attr = 2 << 9 | 1 << 7 | 3 << 5 | 1 << 4 | 6;
  c.chr.count = 20;
  std::memcpy(c.chr.text, "ABCDEFGHIJKLMN", 14);
  c.chr.cont = 31;
  std::memcpy(c.chr.rest + 2, "tail", 4); // byte 72
  auto v = lines_of(c);
  EXPECT_EQ(v[4], label(31965));
  EXPECT_EQ(v[5], "基点  X=1.000  Y=0.000");
  EXPECT_EQ(v[6], "高さ=2.500  幅=0.000");
  EXPECT_EQ(v[10], "ペン=6  ビット4=1");
  EXPECT_EQ(v[11], "縦基準=3  横基準=1  書体=2");
  EXPECT_EQ(v[12], "文字数=20");
  EXPECT_EQ(v[13], label(31933));
  EXPECT_EQ(v[14], "41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e ");
  EXPECT_EQ(v[15], "ABCDEFGHIJKLMN");
  EXPECT_EQ(v[16], "次の続き=31");
  EXPECT_EQ(v[17], "末尾=tail");

  ElementRecord k = proto(CHR);
  k.flags = ELM_CONT;
  std::memset(k.cont.text, 'x', 46);
  k.cont.next = -1;
  v = lines_of(k);
  EXPECT_EQ(v[4], label(31965));
  EXPECT_EQ(v[5], label(31935));
  EXPECT_EQ(v[6].size(), 60u);
  EXPECT_EQ(v[7].size(), 60u);
  EXPECT_EQ(v[8], "78 78 78 78 78 78 ");
  EXPECT_EQ(v[9], std::string(46, 'x'));
  EXPECT_EQ(v[10], "次の続き=-1");
  k.flags = ELM_CONT | ELM_ERASED; // an erased continuation is not shown
  int rc = 1;
  v = lines_of(k, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(v[0], "要素タイプエラー！！");
}

TEST_F(Dump, AttributeLines) {
  ElementRecord a = proto(ATR);
  a.atr.len = 3;
  std::memcpy(a.atr.text, "abc", 3);
  a.members = 0x0201;
  auto v = lines_of(a);
  EXPECT_EQ(v[3], "文字長=1  上位=2");
  EXPECT_EQ(v[4], label(31966));
  EXPECT_EQ(v[5], "文字数=3");
  EXPECT_EQ(v[6].substr(0, 12), "61 62 63 00 ");
  EXPECT_EQ(v[8], "00 00 00 00 ");
  EXPECT_EQ(v[9], "abc");
  EXPECT_EQ(v[10], "次の続き=0");
}

TEST_F(Dump, NodeLines) {
  ElementRecord n = proto(NOD);
  n.subkind = 1;
  n.nod.child = 40;
  n.nod.attr = 41;
  uint16_t code = 500;
  std::memcpy(n.nod.data, &code, 2);
  putd(n, 30, 7);
  putd(n, 38, 8);
  putd(n, 46, 9);
  putd(n, 54, 10);
  putd(n, 62, 20);
  DumpLinks links;
  auto v = lines_of(n, nullptr, &links);
  EXPECT_EQ(links.child, 40);
  EXPECT_EQ(v[4], label(31967));
  EXPECT_EQ(v[5], "子=40  属性=41");
  EXPECT_EQ(v[6], "クラス=500  " + label(31941));
  EXPECT_EQ(v[7], "中心  X=7.000  Y=8.000");
  EXPECT_EQ(v[8], "半径=9.000");
  EXPECT_EQ(v[9], "開始角=10.000  終了角=20.000");
  EXPECT_EQ(v[10], "ワード=0");

  ElementRecord t = proto(NOD);
  t.subkind = 4;
  std::memcpy(t.nod.data, "COMPOUND-TEXT", 14);
  putd(t, 72, 2.25);
  v = lines_of(t);
  EXPECT_EQ(v[6], label(31950));
  EXPECT_EQ(v[7].substr(0, 15), "43 4f 4d 50 4f ");
  EXPECT_EQ(v[10], "COMPOUND-TEXT");
  EXPECT_EQ(v[11], "値=2.250");

  ElementRecord h = proto(NOD);
  h.subkind = 4;
  std::memcpy(h.nod.data, "HIDELINE", 9);
  put32(h, 72, 5);
  put32(h, 76, -1);
  v = lines_of(h);
  EXPECT_EQ(v[10], "HIDELINE");
  EXPECT_EQ(v[11], "値1=5  値2=4294967295");
}

TEST_F(Dump, UnknownKindClearsTheLinesAndTheChild) {
  ElementRecord n = proto(NOD);
  n.nod.child = 40;
  DumpLinks links;
  lines_of(n, nullptr, &links);
  EXPECT_EQ(links.child, 40);
  ElementRecord odd = proto(3);
  odd.parent = 2;
  int rc = 1;
  auto v = lines_of(odd, &rc, &links);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(v[0], "要素タイプエラー！！");
  for (int i = 1; i < DMP_LINES; i++)
    EXPECT_EQ(v[i], "") << i;
  EXPECT_EQ(links.child, 0);
  EXPECT_EQ(links.parent, 2);
}

TEST_F(Dump, MismatchedLabelShowsItsConversionAsText) {
  const char file[] = "31915 \"X=%s Y=%.1f\"\n31916 \"%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d\"\n";
  ASSERT_EQ(dmp_msgloadbuf(0, file, sizeof file - 1), 0);
  ElementRecord p = proto(PNT);
  p.pnt.x = 3;
  p.pnt.y = 4;
  p.pnt.attr = 7;
  auto v = lines_of(p);
  EXPECT_EQ(v[5], "X=%s Y=4.0"); // the first value is a double: %s reads nothing
  EXPECT_EQ(v[6].substr(0, 5), "7%d%d");
  EXPECT_LT(v[6].size(), size_t(DMP_LINESIZE));
  EXPECT_EQ(v[4], "<<未定義ﾒｯｾｰｼﾞ 31962>>");
}

TEST_F(Dump, TypedNumberIsCheckedBeforeTruncation) {
  struct {
    const char *text;
    uint32_t count1;
    int ok;
    int32_t value;
  } cases[] = {
      {"2*10", 100, 1, 20},    {"20.9", 100, 1, 20}, {"0.5", 100, 0, 0},     {"10000.5", 20000, 0, 0},
      {"4294967297", 100, 0, 0}, {"1e300", 100, 0, 0}, {"101", 100, 0, 0},   {"100", 100, 1, 100},
      {"abc", 100, 0, 0},      {"-1", 100, 0, 0},    {"sqrt(-1)", 100, 0, 0}, {"10000", 20000, 1, 10000},
  };
  for (auto &c : cases) {
    int32_t v = -7;
    EXPECT_EQ(dmp_number(c.text, c.count1, &v), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : -7) << c.text;
  }
}
