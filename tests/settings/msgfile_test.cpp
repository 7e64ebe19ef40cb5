#include <gtest/gtest.h>

#include <cctype>
#include <cstdarg>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/msgreg.h"
#include "settings/params.h"
#include "testfiles.h"

namespace {

// Records the board questions the loader asks.
struct Boards {
  std::vector<std::string> texts;
  Boards() {
    ui_setresponder([this](const UiQuestion &q) {
      if (q.kind == UI_BOARD)
        texts.push_back(q.text);
      return 0;
    });
  }
  ~Boards() { ui_setresponder(nullptr); }
};

class MsgTable : public ::testing::Test {
protected:
  void TearDown() override { msg_load(2, nullptr); }
};

TEST_F(MsgTable, LoaderTakesOnlyWellFormedEntryLines) {
  std::string longline = "40 \"" + std::string(130, 'a') + "\"\n";
  // A read ends after 127 bytes; the rest of the line is read as a line of its own.
  std::string split = "41 \"" + std::string(123, 'b') + "42 \"tail\"\n";
  TempFile f("msg_fixture.msg", "12 \"twelve\" remark\n"
                                " 13 \"leading blank\"\n"
                                "X14 \"letter\"\n"
                                "0 \"zero\"\n"
                                "15 \"\"\n"
                                "100 \"first\"\n"
                                "100 \"second\"\n" +
                                    longline + split +
                                    "65535 \"end mark number\"\n70000 \"too big\"\n"
                                    "16 \"!!marked\"\n");
  ASSERT_EQ(msg_load(0, f.path.c_str()), 0);
  EXPECT_STREQ(msg_text(12), "twelve");
  EXPECT_STREQ(msg_text(100), "first");
  EXPECT_STREQ(msg_text(16), "!!marked");
  EXPECT_STREQ(msg_text(42), "tail");
  for (int n : {13, 14, 15, 40, 41})
    EXPECT_STREQ(msg_text(n), ("<<未定義ﾒｯｾｰｼﾞ " + std::to_string(n) + ">>").c_str()) << n;
  // 70000 would wrap to 4464 in 16 bits: skipped, as is the end-mark number.
  EXPECT_STREQ(msg_text(4464), "<<未定義ﾒｯｾｰｼﾞ 4464>>");
  EXPECT_EQ(msg_count(), 5);
  // The same bytes from memory give the same table.
  std::vector<std::string> texts;
  for (int n : {12, 16, 42, 100, 41})
    texts.push_back(msg_text(n));
  const std::string bytes = f.read();
  ASSERT_EQ(msg_loadbuf(0, bytes.data(), bytes.size()), 0);
  EXPECT_EQ(msg_count(), 5);
  int i = 0;
  for (int n : {12, 16, 42, 100, 41})
    EXPECT_EQ(msg_text(n), texts[i++]) << n;
}

TEST_F(MsgTable, MissingFileAndNoTable) {
  EXPECT_EQ(msg_load(0, "no-such-dir/none.msg"), 1001);
  EXPECT_EQ(msg_text(5), nullptr);
  char buf[64];
  EXPECT_EQ(msg_fmtbuf(buf, sizeof buf, 12), 1);
  EXPECT_STREQ(buf, "メッセージが登録されていません (No.=00012)");
}

TEST_F(MsgTable, AppendKeepsEarlierEntriesAndStopsWhenFull) {
  TempFile a("msg_a.msg", "1 \"one\"\n");
  TempFile b("msg_b.msg", "");
  std::string many;
  for (int i = 0; i < 150; i++)
    many += std::to_string(1000 + i) + " \"x\"\n";
  b.write(many);
  ASSERT_EQ(msg_load(0, a.path.c_str()), 0);
  Boards boards;
  EXPECT_EQ(msg_load(1, b.path.c_str()), 1002);
  EXPECT_STREQ(msg_text(1), "one");
  EXPECT_STREQ(msg_text(1000), "x");
  EXPECT_EQ(msg_count(), 101); // the capacity: one counted line + 100
  ASSERT_EQ(boards.texts.size(), 1u);
  EXPECT_EQ(boards.texts[0], "メッセージ領域がオーバーしました");
}

TEST_F(MsgTable, PoolBeyondSixteenBitOffsetsStops) {
  std::string big;
  const std::string text(100, 'm');
  for (int i = 1; i <= 700; i++)
    big += std::to_string(i) + " \"" + text + "\"\n";
  TempFile f("msg_big.msg", big);
  Boards boards;
  EXPECT_EQ(msg_load(0, f.path.c_str()), 1002);
  EXPECT_EQ(msg_text(1), nullptr); // mode 0 leaves no table
  EXPECT_EQ(boards.texts.size(), 1u);
}

TEST_F(MsgTable, FormatsEscapesAndArguments) {
  // Registered numbers: 52 and 56 take nothing, 1101 one integer, 30154 one text.
  TempFile f("msg_fmt.msg", "52 \"100%%\"\n"
                            "1101 \"%d%%\"\n"
                            "56 \"##x#Dy#Qz#\"\n"
                            "30154 \"[%s]\"\n");
  ASSERT_EQ(msg_load(0, f.path.c_str()), 0);
  char buf[256];
  struct Case {
    int value;
    const char *want;
  } ordinals[] // the suffix is of the argument the cursor stands at: the next one
      = {{1, "st 1 and mm"}, {2, "nd 2 and mm"}, {3, "rd 3 and mm"}, {11, "th 11 and mm"}, {22, "th 22 and mm"}};
  for (const Case &c : ordinals) {
    EXPECT_EQ(msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "#S %d and #M", c.value), 0);
    EXPECT_STREQ(buf, c.want);
  }
  msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "#L%5.1f", 254.0);
  EXPECT_STREQ(buf, "254.0");
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.inch = 1;
  sys_sysprm('W', &sb);
  msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "#L%5.1f", 254.0);
  EXPECT_STREQ(buf, " 10.0");
  msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "#S %d and #M", 4);
  EXPECT_STREQ(buf, "th 4 and inch");
  sb.inch = 0;
  sys_sysprm('W', &sb);

  msg_fmtbuf(buf, sizeof buf, 52);
  EXPECT_STREQ(buf, "100%%"); // no argument: copied unchanged
  msg_fmtbuf(buf, sizeof buf, 1101, 5);
  EXPECT_STREQ(buf, "5%");
  msg_fmtbuf(buf, sizeof buf, 56);
  EXPECT_STREQ(buf, "#xy#Qz#");
  double negative_huge;
  const uint64_t bits = 0xFFF0000000000000ull; // negative infinity: top byte 0xFF
  std::memcpy(&negative_huge, &bits, sizeof bits);
  msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "%f", negative_huge);
  EXPECT_STREQ(buf, "0.000000");
  msg_fmtbuf(buf, sizeof buf, 30154, static_cast<const char *>(nullptr));
  EXPECT_STREQ(buf, "[(null)]");
  // %n never writes: it is shown as text and takes no argument.
  msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "%n%d", 42);
  EXPECT_STREQ(buf, "%n42");
  // '#' before a conversion stays '#' and the conversion still takes its argument.
  msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "#%d", 42);
  EXPECT_STREQ(buf, "#42");
  msg_fmtbuf(buf, sizeof buf, MSG_LITERAL, "lit %d", 9);
  EXPECT_STREQ(buf, "lit 9");
  EXPECT_EQ(msg_fmtbuf(buf, sizeof buf, -5), 1);
  EXPECT_STREQ(buf, "メッセージが登録されていません (No.=-0005)");
}

// Calls msg_fmtbuf with exactly the arguments registered for n.
int format_registered(char *buf, std::size_t size, int n) {
  const std::string conv = msg_regconv(n);
  if (conv.empty())
    return msg_fmtbuf(buf, size, n);
  if (conv == "d")
    return msg_fmtbuf(buf, size, n, 7);
  if (conv == "s")
    return msg_fmtbuf(buf, size, n, "arg");
  if (conv == "ddd")
    return msg_fmtbuf(buf, size, n, 1, 2, 3);
  ADD_FAILURE() << n << ": no call for the conversions " << conv;
  return -1;
}

// What format_registered's arguments print as through "<%x>" for each letter.
std::string registered_shown(const std::string &conv) {
  if (conv == "d")
    return "<7>";
  if (conv == "s")
    return "<arg>";
  if (conv == "ddd")
    return "<1><2><3>";
  return "";
}

// An edited message file (a translation, a local wording) may hold more conversions
// than the callers pass, or others: they are shown as text and read nothing.
TEST_F(MsgTable, EditedTextsReadOnlyTheRegisteredArguments) {
  const std::string extras = " %d %s #S %1999999999d %5.2f %c";
  std::string file;
  for (std::size_t i = 0; i < msg_register_count; i++) {
    const MsgRegEntry &e = msg_register[i];
    std::string own;
    for (const char *c = e.conversions; *c; c++)
      own += std::string("<%") + *c + ">";
    file += std::to_string(e.number) + " \"" + own + extras + "\"\n";
  }
  TempFile f("msg_edited.msg", file);
  ASSERT_EQ(msg_load(0, f.path.c_str()), 0);
  for (std::size_t i = 0; i < msg_register_count; i++) {
    const MsgRegEntry &e = msg_register[i];
    char buf[520];
    ASSERT_EQ(format_registered(buf, sizeof buf, e.number), 0);
    // "#S" stands where no argument is registered: it gives nothing.
    EXPECT_EQ(std::string(buf), registered_shown(e.conversions) + " %d %s  %1999999999d %5.2f %c") << e.number;
    // A small output: cut at its size, nothing written beyond it.
    std::vector<char> small(24 + 8, 'Z');
    format_registered(small.data(), 24, e.number);
    EXPECT_LT(std::strlen(small.data()), 24u);
    for (std::size_t j = 24; j < small.size(); j++)
      EXPECT_EQ(small[j], 'Z') << e.number;
  }
}

std::size_t format_as(char *dst, std::size_t size, const char *format, const char *registered, ...) {
  va_list ap;
  va_start(ap, registered);
  std::size_t n = msg_vformatreg(dst, size, format, registered, ap);
  va_end(ap);
  return n;
}

TEST_F(MsgTable, ConversionsOfAnotherKindOrUnregisteredNumbersReadNothing) {
  // 1101 passes one integer, 30154 one text, 31905 three integers; 52 nothing; 7 is
  // not registered at all.
  TempFile f("msg_kinds.msg", "1101 \"%s|%d|%ld\"\n"
                              "30154 \"%d|%s|%s\"\n"
                              "31905 \"%x %o %u %c %d\"\n"
                              "52 \"a#Sb %d\"\n"
                              "7 \"%s %d #S\"\n");
  ASSERT_EQ(msg_load(0, f.path.c_str()), 0);
  char buf[256];
  msg_fmtbuf(buf, sizeof buf, 1101, 12);
  EXPECT_STREQ(buf, "%s|%d|%ld"); // the first conversion wants a text: no integer is read as one
  msg_fmtbuf(buf, sizeof buf, 30154, "t");
  EXPECT_STREQ(buf, "%d|%s|%s");
  msg_fmtbuf(buf, sizeof buf, 31905, 255, 8, 9);
  EXPECT_STREQ(buf, "ff 10 9 %c %d");
  msg_fmtbuf(buf, sizeof buf, 52);
  EXPECT_STREQ(buf, "ab %d");
  msg_fmtbuf(buf, sizeof buf, 7);
  EXPECT_STREQ(buf, "%s %d ");
  // The plain formatter of the message line and the board binds the same way.
  format_as(buf, sizeof buf, "%d-%s-%d-#S", "ds", 4, "x");
  EXPECT_STREQ(buf, "4-x-%d-#S");
  format_as(buf, sizeof buf, msg_text(31905), msg_regconv(31905), 255, 8, 9);
  EXPECT_STREQ(buf, "ff 10 9 %c %d");
}

TEST_F(MsgTable, HugeWidthsAndPrecisionsAreCutToTheOutput) {
  TempFile f("msg_wide.msg", "1101 \"<%1999999999d>\"\n"
                             "30154 \"<%-.1999999999s>\"\n");
  ASSERT_EQ(msg_load(0, f.path.c_str()), 0);
  std::vector<char> buf(64 + 8, 'Z');
  EXPECT_EQ(msg_fmtbuf(buf.data(), 64, 1101, 42), 0);
  const std::string got = buf.data();
  EXPECT_EQ(got.size(), 63u);
  EXPECT_EQ(got.substr(0, 3), "<  ");
  EXPECT_EQ(buf[64], 'Z');
  msg_fmtbuf(buf.data(), 64, 30154, "abc");
  EXPECT_STREQ(buf.data(), "<abc>");
  char out[40];
  EXPECT_EQ(msg_format(out, sizeof out, "%099999999999d|%.99999999999f", 5, 1.5), 39u);
  EXPECT_EQ(std::string(out, 3), "000");
}

TEST_F(MsgTable, LongArgumentsAreCutAtACharacterBoundary) {
  TempFile f("msg_long.msg", "30154 \"%s\"\n"); // registered with one text
  ASSERT_EQ(msg_load(0, f.path.c_str()), 0);
  std::string arg;
  while (arg.size() < 2000)
    arg += "あ"; // two bytes each
  std::vector<char> buf(64 + 16, 'Z');
  EXPECT_EQ(msg_fmtbuf(buf.data(), 63, 30154, arg.c_str()), 0);
  EXPECT_EQ(std::strlen(buf.data()), 62u); // 31 whole characters
  EXPECT_EQ(buf[63], 'Z');                 // nothing beyond the size
  std::string odd = "x" + arg;
  msg_fmtbuf(buf.data(), 63, 30154, odd.c_str());
  EXPECT_EQ(std::strlen(buf.data()), 61u); // "x" and 30 characters; no half pair
}

TEST(MsgFormat, PlainFormatterIsBounded) {
  char buf[8];
  EXPECT_EQ(msg_format(buf, sizeof buf, "%s-%d", "abcdef", 12345), 7u);
  EXPECT_STREQ(buf, "abcdef-");
  EXPECT_EQ(msg_format(buf, sizeof buf, "%*d", 5, 1), 3u); // '*' reads nothing
  EXPECT_STREQ(buf, "%*d");
  // A double-byte character after '%' whose trail byte looks like 'd' is text, not a conversion.
  EXPECT_EQ(msg_format(buf, sizeof buf,
                       "%\x82"
                       "d%d",
                       4),
            4u);
  EXPECT_STREQ(buf, "%\x82"
                    "d4");
}

// --- the message files against their registers ------------------------------

struct RegEntry {
  std::string conversions; // letters of the conversions taking an argument
  std::string purpose;
};

std::map<int, RegEntry> read_register(const std::string &path) {
  std::map<int, RegEntry> reg;
  std::ifstream f(path);
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    std::istringstream s(line);
    int n;
    std::string conv, purpose;
    s >> n >> conv;
    std::getline(s, purpose);
    reg[n] = RegEntry{conv == "-" ? "" : conv, purpose};
  }
  return reg;
}

// The numbers of a message source with how often each appears.
std::map<int, int> source_numbers(const std::string &path) {
  std::map<int, int> nums;
  std::ifstream f(path);
  std::string line;
  while (std::getline(f, line))
    if (!line.empty() && line[0] >= '0' && line[0] <= '9')
      nums[std::stoi(line)]++;
  return nums;
}

// The conversion letters of a text, as the formatter takes arguments for them.
std::string conversions_of(const char *text) {
  std::string out;
  for (const char *p = std::strchr(text, '%'); p; p = std::strchr(p, '%')) {
    const char *q = p + 1;
    while (*q && *q != '%' && !(std::isalpha(static_cast<unsigned char>(*q)) && *q != 'l'))
      q++;
    if (*q == '%') {
      p = q + 1;
      continue;
    }
    if (*q && std::strchr("EGefgXdouxcs", *q))
      out += *q;
    p = *q ? q + 1 : q;
  }
  return out;
}

void check_file(const char *srcname, const char *regname, const char *binname, bool dump) {
  const std::string data = INK_DATA_DIR;
  auto reg = read_register(data + "/" + regname);
  auto nums = source_numbers(data + "/" + srcname);
  ASSERT_FALSE(reg.empty());
  EXPECT_EQ(nums.size(), reg.size());
  for (const auto &[n, times] : nums) {
    EXPECT_TRUE(reg.count(n)) << srcname << " has " << n << " that the register lacks";
    // Lookups find the first text only: a second one would never be shown.
    EXPECT_EQ(times, 1) << srcname << " has " << n << " " << times << " times";
    EXPECT_TRUE(n >= 1 && n <= 65534) << srcname << " has " << n << ", which the file cannot hold";
  }
  // The table built into the formatter is the register.
  EXPECT_EQ(dump ? dmp_register_count : msg_register_count, reg.size());
  for (const auto &[n, e] : reg)
    EXPECT_EQ(dump ? dmp_regconv(n) : msg_regconv(n), e.conversions) << n;
  const std::string bin = host_path(std::string(INK_BIN_DIR) + "/" + binname);
  ASSERT_EQ(dump ? dmp_msgload(0, bin.c_str()) : msg_load(0, bin.c_str()), 0) << bin;
  for (const auto &[n, e] : reg) {
    const char *t = dump ? dmp_msgtext(n) : msg_text(n);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::string(t).find("<<未定義"), std::string::npos) << n << " has no text";
    EXPECT_EQ(conversions_of(t), e.conversions) << n << ":" << e.purpose;
  }
  if (dump)
    dmp_msgload(2, nullptr);
}

TEST_F(MsgTable, EveryRegisteredMessageHasItsText) {
  check_file("inkforge.msg.txt", "inkforge.reg", "inkforge.msg", false);
  EXPECT_GE(msg_count(), 150);
}

TEST_F(MsgTable, EveryDumpLabelHasItsText) {
  check_file("RERUVEVA.msg.txt", "RERUVEVA.reg", "RERUVEVA.MSG", true);
  // Appending without a path keeps the dump table as it is.
  const std::string bin = host_path(std::string(INK_BIN_DIR) + "/RERUVEVA.MSG");
  ASSERT_EQ(dmp_msgload(0, bin.c_str()), 0);
  EXPECT_EQ(dmp_msgload(1, nullptr), 0);
  EXPECT_NE(std::string(dmp_msgtext(31912)).find("%04X"), std::string::npos);
  EXPECT_EQ(msg_text(31912), nullptr); // the main table is a different one
  dmp_msgload(2, nullptr);
  EXPECT_EQ(dmp_msgtext(31912), nullptr);
  auto reg = read_register(std::string(INK_DATA_DIR) + "/RERUVEVA.reg");
  EXPECT_EQ(reg.size(), 73u);
  EXPECT_EQ(reg.begin()->first, 31912);
  EXPECT_EQ(reg.rbegin()->first, 31984);
}

} // namespace
