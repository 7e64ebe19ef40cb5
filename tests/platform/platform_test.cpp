// The ground the program stands on: Shift-JIS literals and, under Windows, code page 932.
#include <gtest/gtest.h>

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

TEST(Platform, LiteralsAreShiftJis) {
  const char *text = "印影";
  ASSERT_EQ(std::strlen(text), 4u);
  const unsigned char want[] = {0x88, 0xF3, 0x89, 0x65};
  EXPECT_EQ(std::memcmp(text, want, 4), 0);
}

TEST(Platform, TrailByteBackslashSurvivesInLiterals) {
  const char *so = "ソ"; // 0x83 0x5C
  ASSERT_EQ(std::strlen(so), 2u);
  EXPECT_EQ(static_cast<unsigned char>(so[1]), 0x5C);
}

#ifdef _WIN32
TEST(Platform, AnsiCodePageIs932) {
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_TRUE(IsDBCSLeadByte(0x88));
}
#endif
