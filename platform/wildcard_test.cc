#include "platform/wildcard.h"

#include <gtest/gtest.h>

TEST(Wildcard, QuestionMarkIsExactlyOneCharacter) {
  EXPECT_TRUE(matchesPattern("ZA123456789", "Z??????????"));
  EXPECT_FALSE(matchesPattern("ZA123456789_2", "Z??????????"));
  EXPECT_FALSE(matchesPattern("ZA12345678", "Z??????????"));
  EXPECT_TRUE(matchesPattern("ZA123456789_2", "Z??????????_2"));
}

TEST(Wildcard, AlternativesAndCase) {
  const char* p = "orvo????.exe;_orvo????.exe";
  EXPECT_TRUE(matchesPattern("ORVO1208.EXE", p));
  EXPECT_TRUE(matchesPattern("_orvo0101.exe", p));
  EXPECT_FALSE(matchesPattern("orvo00.exe", p));
  EXPECT_TRUE(matchesPattern("noext", "*.*"));
  EXPECT_TRUE(matchesPattern("a.b.c", "*.c"));
  EXPECT_FALSE(matchesPattern("a.b", ""));
}
