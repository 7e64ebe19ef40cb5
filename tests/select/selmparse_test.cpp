// How the choice bar's item text and key string are read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "select/popup.h"

namespace {

const char ITEMS[] = "1:ﾘｽﾄﾀﾞﾝﾌﾟ 2:要素指定ﾀﾞﾝﾌﾟ 3:ｵﾌﾞｼﾞｪｸﾄﾘｽﾄ 9:終了";

TEST(ChoiceMenuText, OneItemPerKeyFirstKeyIsTheDefault) {
  SelMenuParts p;
  ASSERT_EQ(selm_parse(ITEMS, "1239", true, &p), 0);
  EXPECT_EQ(p.count, 4);
  EXPECT_EQ(p.defkey, '1');
  EXPECT_STREQ(p.keys, "1239");
  EXPECT_STREQ(p.items[0], "1:ﾘｽﾄﾀﾞﾝﾌﾟ");
  EXPECT_STREQ(p.items[1], "2:要素指定ﾀﾞﾝﾌﾟ");
  EXPECT_STREQ(p.items[3], "9:終了");
}

TEST(ChoiceMenuText, MinusNamesTheDefaultKey) {
  SelMenuParts p;
  ASSERT_EQ(selm_parse("a  b   c", "  -9123", true, &p), 0);
  EXPECT_EQ(p.defkey, '9');
  EXPECT_STREQ(p.keys, "123");
  EXPECT_EQ(p.count, 3);
  EXPECT_STREQ(p.items[2], "c");
}

TEST(ChoiceMenuText, MissingItemsAreUndefined) {
  SelMenuParts p;
  ASSERT_EQ(selm_parse("x", "abc", true, &p), 0);
  EXPECT_STREQ(p.items[0], "x");
  EXPECT_STREQ(p.items[1], "未定義 ");
  EXPECT_STREQ(p.items[2], "未定義 ");
}

TEST(ChoiceMenuText, BadKeyStrings) {
  SelMenuParts p;
  for (const char *keys : {"", "   ", "-", "-1", "12345678901234567890", "-912345678901234567890"})
    EXPECT_EQ(selm_parse(ITEMS, keys, true, &p), -1) << keys;
  EXPECT_EQ(selm_parse(ITEMS, "1234567890123456789", true, &p), 0);
  EXPECT_EQ(p.count, 19);
  EXPECT_EQ(selm_parse(nullptr, "1", true, &p), -1);
  EXPECT_EQ(selm_parse(ITEMS, nullptr, true, &p), -1);
}

TEST(ChoiceMenuText, TitleBeforeTheItems) {
  SelMenuParts p;
  ASSERT_EQ(selm_parse("ﾀﾞﾝﾌﾟ=  1:A 2:B", "12", false, &p), 0);
  EXPECT_STREQ(p.title, "ﾀﾞﾝﾌﾟ=  ");
  EXPECT_STREQ(p.items[0], "1:A");
  EXPECT_STREQ(p.items[1], "2:B");
  EXPECT_EQ(selm_parse("1:A 2:B", "12", false, &p), -1); // no title part
  // With a title message the '=' still starts the items.
  ASSERT_EQ(selm_parse("T= 1:A", "1", true, &p), 0);
  EXPECT_STREQ(p.title, "");
  EXPECT_STREQ(p.items[0], "1:A");
}

TEST(ChoiceMenuText, LongTextsAreCutAtCharacterBoundaries) {
  std::string title;
  for (int i = 0; i < 60; i++)
    title += "表";
  std::string text = title + "=" + std::string(300, 'x') + " y";
  SelMenuParts p;
  ASSERT_EQ(selm_parse(text.c_str(), "12", false, &p), 0);
  EXPECT_EQ(std::strlen(p.title), 78u); // 39 double-byte characters within 79 bytes
  EXPECT_EQ(std::string(p.title), title.substr(0, 78));
  // The item text is read from a copy of 127 bytes: the title took 121 of them.
  EXPECT_STREQ(p.items[0], "xxxxxx");
  EXPECT_STREQ(p.items[1], "未定義 ");
  std::string longitem(400, 'z');
  ASSERT_EQ(selm_parse(longitem.c_str(), "1", true, &p), 0);
  EXPECT_EQ(std::strlen(p.items[0]), 127u);
}

} // namespace
