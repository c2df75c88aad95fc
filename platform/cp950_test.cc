#include "platform/cp950.h"

#include <gtest/gtest.h>

TEST(Cp950, RoundTripsChineseAndAscii) {
  const std::string name = b5("王小明");
  EXPECT_EQ(name, "\xA4\xFD\xA4\x70\xA9\xFA");
  EXPECT_EQ(cp950::toUtf8(name + " A1"), "王小明 A1");
  EXPECT_EQ(cp950::normalize(name), name);
}

TEST(Cp950, InvalidSequencesDecodeAsWindowsDoes) {
  // A lead byte whose next byte is no trail byte eats that byte.
  EXPECT_EQ(cp950::toUtf8("\xA4\x30" "A"), "?A");
  // A lead byte at the very end.
  EXPECT_EQ(cp950::toUtf8("AB\xA4"), "AB?");
  EXPECT_EQ(cp950::normalize("\xA4"), "?");
  EXPECT_EQ(cp950::normalize("\xA4\x0D\x0A"), "?\x0A");
}

TEST(Cp950, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(cp950::fromUtf8("a\xF0\x9F\x98\x80" "b"), "a?b");  // an emoji
  EXPECT_EQ(cp950::fromUtf8("é"), "?");
}

TEST(Cp950, UserDefinedAreaSurvivesTheRoundTrip) {
  const std::string eudc = "\xFA\x40\x8E\xA1";
  EXPECT_EQ(cp950::normalize(eudc), eudc);
}
