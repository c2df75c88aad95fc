#include "frame/vbtext.h"

#include <gtest/gtest.h>

#include "platform/cp950.h"

TEST(VbText, ValReadsTheLeadingNumber) {
  EXPECT_EQ(vbVal("12abc"), 12);
  EXPECT_EQ(vbVal(" 1 2 "), 12);
  EXPECT_EQ(vbVal("abc"), 0);
  EXPECT_EQ(vbVal(""), 0);
  EXPECT_EQ(vbVal("-3.5x"), -3.5);
  EXPECT_EQ(vbVal("&H1F"), 31);
  EXPECT_EQ(vbVal("1e3"), 1000);
  EXPECT_EQ(vbVal("00"), 0);
  EXPECT_EQ(vbVal("1.2.3"), 1.2);
}

TEST(VbText, Int16ConversionRoundsAndRefusesOverflow) {
  int16_t v = 7;
  EXPECT_TRUE(vbInt16(2.5, v));
  EXPECT_EQ(v, 2);
  EXPECT_TRUE(vbInt16(3.5, v));
  EXPECT_EQ(v, 4);
  EXPECT_FALSE(vbInt16(40000, v));
  EXPECT_EQ(v, 4);
}

TEST(VbText, CharactersCountDoubleByteAsOne) {
  const std::string s = b5("王小明") + "AB";
  EXPECT_EQ(vbLen(s), 5u);
  EXPECT_EQ(vbMid(s, 2, 2), b5("小明"));
  EXPECT_EQ(vbMid(s, 4), "AB");
  EXPECT_EQ(vbMid(s, 9, 3), "");
  EXPECT_EQ(vbLeft("abc", 10), "abc");
}

TEST(VbText, StrTrimAndPadding) {
  EXPECT_EQ(vbStr(4061), " 4061");
  EXPECT_EQ(vbStr(-1), "-1");
  EXPECT_EQ(vbTrim("  a b \t"), "a b \t");
  EXPECT_EQ(zeroPad(12, 4), "0012");
  EXPECT_EQ(zeroPad(123456, 4), "123456");
}
