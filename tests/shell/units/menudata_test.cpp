// The authored menu file data/inkforge.mnu.txt keeps the rules the drawing menu
// and the command panel rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "commands/cmdl/menurec.h"

namespace {

// Bytes of a UTF-8 text once converted to Shift-JIS: ASCII and half-width kana
// take one byte, every other character two.
size_t sjis_bytes(const std::string &s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    uint32_t cp = len == 1 ? c : c & (0xFF >> (len + 1));
    for (size_t k = 1; k < len && i + k < s.size(); k++)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    n += cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F) ? 1 : 2;
    i += len;
  }
  return n;
}

struct Rec {
  int parent = 0, child = 0, next = 0, command = 0;
  std::string shortlabel, longlabel;
};

// Commands of the dispatch table that a user starts from a menu (the others are
// keys, tool-bar-only file commands, attribute cycles and diagnostics).
const std::set<int> kMenuCommands = {0,   20,  28,  35,  40,  41,  55,  60,  63,  75,  76,  100, 101, 104, 114,
                                     116, 120, 123, 130, 140, 180, 187, 195, 196, 197, 198, 420, 500, 502, 504,
                                     505, 506, 509, 510, 511, 512, 513, 514, 515, 516, 549, 708, 709, 710, 711,
                                     712, 715, 716, 730, 731, 732, 733, 755};

std::vector<Rec> load(int &count) {
  std::ifstream in(INK_DATA_DIR "/inkforge.mnu.txt");
  EXPECT_TRUE(in.good());
  std::map<int, std::string> values;
  std::string line;
  bool section = false;
  count = -1;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == ';')
      continue;
    if (line[0] == '[') {
      section = line == "[CADMENU]";
      continue;
    }
    const size_t eq = line.find('=');
    if (!section || eq == std::string::npos)
      continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "MCOUNT")
      count = std::stoi(value);
    else if (key.rfind("MVALUE", 0) == 0)
      values[std::stoi(key.substr(6))] = value;
  }
  std::vector<Rec> recs;
  for (int i = 0; i < count; i++) {
    EXPECT_TRUE(values.count(i)) << "MVALUE" << i;
    Rec r;
    std::string v = values[i];
    std::vector<std::string> f;
    for (int k = 0; k < 6; k++) {
      const size_t c = v.find(',');
      EXPECT_NE(c, std::string::npos) << "MVALUE" << i;
      if (c == std::string::npos)
        break;
      f.push_back(v.substr(0, c));
      v = v.substr(c + 1);
    }
    f.push_back(v);
    if (f.size() == 7) {
      r = {std::stoi(f[0]), std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3]), f[5], f[6]};
    }
    recs.push_back(r);
  }
  EXPECT_EQ(values.size(), size_t(count)) << "no keys beyond MCOUNT";
  return recs;
}

TEST(MenuFileData, KeepsTheRules) {
  int count = 0;
  const std::vector<Rec> recs = load(count);
  ASSERT_GE(count, 1);
  ASSERT_LE(count, MNU_COUNTMAX);
  for (int i = 0; i < count; i++) {
    EXPECT_LE(sjis_bytes(recs[size_t(i)].shortlabel), 9u) << "record " << i; // never cut
    EXPECT_LE(sjis_bytes(recs[size_t(i)].longlabel), 15u) << "record " << i;
    EXPECT_FALSE(recs[size_t(i)].shortlabel.empty()) << "record " << i;
  }
  // The top chain runs through the groups in file order.
  std::vector<int> groups, chain;
  for (int i = 0; i < count; i++)
    if (recs[size_t(i)].parent == -1)
      groups.push_back(i);
  ASSERT_LE(groups.size(), size_t(MNU_GROUPS));
  for (int r = 0; r >= 0 && r < count && chain.size() <= size_t(count); r = recs[size_t(r)].next)
    chain.push_back(r);
  EXPECT_EQ(chain, groups);
  // Each group's page: its own records, at most 20, every leaf on exactly one page.
  std::set<int> seen, commands;
  for (int g : groups) {
    const Rec &gr = recs[size_t(g)];
    EXPECT_LT(gr.command, 0) << "group " << g;
    int n = 0;
    for (int r = gr.child; r >= 0 && r < count && n <= MNU_SLOTS; r = recs[size_t(r)].next, n++) {
      const Rec &e = recs[size_t(r)];
      EXPECT_EQ(e.parent, g) << "record " << r;
      EXPECT_LT(e.child, 0) << "record " << r; // pages are one level deep
      EXPECT_TRUE(seen.insert(r).second) << "record " << r << " on two pages";
      EXPECT_TRUE(kMenuCommands.count(e.command)) << "record " << r << " runs " << e.command;
      commands.insert(e.command);
    }
    EXPECT_GE(n, 1) << "group " << g;
    EXPECT_LE(n, MNU_SLOTS) << "group " << g;
  }
  EXPECT_EQ(seen.size() + groups.size(), size_t(count)) << "every record is a group or on a page";
  EXPECT_EQ(commands, kMenuCommands) << "every menu command has its entry";
}

} // namespace
