#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "files/probe.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

namespace {

TEST(Istext, Bytes) {
  struct Case {
    const char *name;
    std::string bytes;
    int want;
  } cases[] = {
      {"lines", std::string("AB\r\nCD"), 1},
      {"bell", std::string("AB\aCD"), 0},
      {"lead byte then LF", std::string("\x82\n"), 0},
      {"lead byte at the end", std::string("AB\x82"), 0},
      {"pair", std::string("\x88\xf3\x89\x65"), 1}, // 印影
      {"trail 0x7F", std::string("\x88\x7f"), 0},
      {"katakana and 0x80", std::string("\xb1\xb2\x80"), 1},
      {"NUL and TAB", std::string("A\0\tB", 4), 1},
      {"DEL", std::string("A\x7f"), 0},
      {"0xFD", std::string("\xfd"), 0},
      {"empty", std::string(), 1},
  };
  for (const Case &c : cases)
    EXPECT_EQ(fil_istext(reinterpret_cast<const uint8_t *>(c.bytes.data()), int(c.bytes.size())), c.want) << c.name;
}

TEST(Cptext, JoinsLinesAndStopsAtN) {
  char out[64];
  EXPECT_EQ(fil_cptext("ab\r\ncd\r\nef\r\n", out, 40), 9);
  EXPECT_STREQ(out, "ab;cd;ef;");
  char small[5];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(fil_cptext("abcdefgh", small, 4), 4);
  EXPECT_STREQ(small, "abcd");
}

// Probes run on files in an upper-case folder below the working directory: the
// probe upper-cases the path it is given.
class Probe : public ::testing::Test {
protected:
  static constexpr const char *Dir = "PROBETMP/";
  void SetUp() override {
#ifdef _WIN32
    _mkdir("PROBETMP");
#else
    mkdir("PROBETMP", 0755);
#endif
  }
  void write(const char *name, const std::string &bytes) {
    std::string p = std::string(Dir) + name;
    std::FILE *fp = std::fopen(p.c_str(), "wb");
    ASSERT_TRUE(fp);
    std::fwrite(bytes.data(), 1, bytes.size(), fp);
    std::fclose(fp);
    made.push_back(p);
  }
  void TearDown() override {
    for (auto &p : made)
      std::remove(p.c_str());
    rmdir("PROBETMP");
  }
  int probe(const char *name, std::string *combined) {
    char folder[64], file[64], out[FIL_PROBEBUF];
    std::snprintf(folder, sizeof folder, "%s", Dir);
    std::snprintf(file, sizeof file, "%s", name);
    int kind = -9;
    int k = fil_probe(0, &kind, folder, file, out);
    EXPECT_EQ(kind, k);
    *combined = out;
    return k;
  }
  std::vector<std::string> made;
};

std::string seal_header(const char *name, const char *owner) {
  std::string h(256, '\0');
  std::memcpy(&h[4], "KIVO LANT RARU", 15);
  h[24] = 1;
  std::memcpy(&h[56], name, std::strlen(name));
  std::memcpy(&h[100], owner, std::strlen(owner));
  return h;
}

TEST_F(Probe, Kinds) {
  write("SEAL.KSL", seal_header("山田", "yamada"));
  write("BADSEAL.KSL", std::string(256, 'x'));
  write("PLAN.DXF", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC\r\n");
  write("NOTE.DXF", "999\nmade by hand\n  0\nSECTION\n");
  write("OLD.BAK", "  0\nSECTION\n");
  write("MEMO.TXT", "印影の控え\r\n二行目\r\n");
  write("BIN.TXT", std::string("AB\x01\x02", 4));
  write("EMPTY.DXF", "");
  write("OTHER.XYZ", "  0\nSECTION\n");
  struct Case {
    const char *name;
    int kind;
    const char *text;
  } cases[] = {
      {"seal.ksl", FIL_SEAL, "山田,yamada,"},
      {"BADSEAL.KSL", FIL_UNKNOWN, ",,"},
      {"plan.dxf", FIL_DXF, ",AC1009,"},
      {"NOTE.DXF", FIL_DXF, "made by hand,,"},
      {"OLD.BAK", FIL_DXF, ",,"},
      {"MEMO.TXT", FIL_TEXT, "印影の控え;二行目;,,"},
      {"BIN.TXT", FIL_UNKNOWN, ",,"},
      {"EMPTY.DXF", FIL_NOFILE, ",,"},
      {"OTHER.XYZ", FIL_UNKNOWN, ",,"},
      {"MISSING.DXF", FIL_NOFILE, ",,"},
      {".DXF", FIL_NOFILE, ",,"},
  };
  for (const Case &c : cases) {
    std::string text;
    EXPECT_EQ(probe(c.name, &text), c.kind) << c.name;
    EXPECT_EQ(text, c.text) << c.name;
  }
}

TEST_F(Probe, UpperCasesTheCallersTexts) {
  write("SEAL.KSL", seal_header("a", "b"));
  char folder[] = "probetmp/", name[] = "seal.ksl";
  char out[FIL_PROBEBUF];
  EXPECT_EQ(fil_probe(0, nullptr, folder, name, out), FIL_SEAL);
  EXPECT_STREQ(folder, "PROBETMP/");
  EXPECT_STREQ(name, "SEAL.KSL");
}

TEST_F(Probe, ThreeTextsCutWithoutSplittingACharacter) {
  std::string longline;
  for (int i = 0; i < 30; i++)
    longline += "字"; // 60 bytes
  write("LONG.TXT", longline + "\n");
  std::string note(100, 'n');
  write("LONG.DXF", "999\n" + note + "\n  0\nSECTION\n  9\n$ACADVER\n  1\nAC1015\n");
  char a[FIL_TEXTBUF], b[FIL_TEXTBUF], c[FIL_TEXTBUF];
  char folder[] = "PROBETMP/", name1[] = "LONG.TXT", name2[] = "LONG.DXF";
  EXPECT_EQ(fil_probe(-1, nullptr, folder, name1, a, b, c), FIL_TEXT);
  EXPECT_EQ(std::strlen(a), 40u); // 20 characters; the 21st would split
  EXPECT_EQ(std::string(a), longline.substr(0, 40));
  EXPECT_STREQ(b, "");
  EXPECT_STREQ(c, "");
  EXPECT_EQ(fil_probe(-1, nullptr, folder, name2, a, b, c), FIL_DXF);
  EXPECT_EQ(std::string(a), note.substr(0, FIL_TEXTLEN));
  EXPECT_STREQ(b, "AC1015");
}

TEST(ProbeBuf, SealNeedsMagicAndVersion) {
  char texts[3][FIL_TEXTBUF];
  std::string h = seal_header("x", "y");
  h[24] = 2;
  EXPECT_EQ(fil_probebuf(".KSL", reinterpret_cast<const uint8_t *>(h.data()), h.size(), texts), FIL_UNKNOWN);
  h = seal_header("x", "y");
  h[18] = 'Z'; // past the 14 compared letters
  EXPECT_EQ(fil_probebuf(".BAK", reinterpret_cast<const uint8_t *>(h.data()), h.size(), texts), FIL_SEAL);
  EXPECT_STREQ(texts[0], "x");
  EXPECT_EQ(fil_probebuf(".KSL", reinterpret_cast<const uint8_t *>(h.data()), 100, texts), FIL_UNKNOWN);
}

} // namespace
