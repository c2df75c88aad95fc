#include "card/dates.h"

#include <gtest/gtest.h>

#include "platform/cp950.h"

TEST(Dates, MonthdayByLength) {
  EXPECT_EQ(monthday("1150312"), b5("115年03月12日"));
  EXPECT_EQ(monthday("1150312093045"), b5("115年03月12日  09時30分45秒"));
  EXPECT_EQ(monthday("20260312093045"), b5("115年03月12日  09時30分45秒"));
  EXPECT_EQ(monthday(""), "");
  EXPECT_EQ(monthday("1234567890"), "1234567890");
  EXPECT_EQ(monthday("       "), b5("   年  月  日"));
}

TEST(Dates, Date13TimeMakesTheSignatureFileName) {
  EXPECT_EQ(Date13Time("1150312093045"), "aDCJ3045.115");
  EXPECT_EQ(Date13Time("1150105000000"), "aB5A0000.115");
  EXPECT_EQ(Date13Time("1151231235959"), "aMVX5959.115");
  // Text that is not a date still gives a name of the same shape.
  EXPECT_EQ(Date13Time("             "), "aA A    .   ");
}

TEST(Dates, MonthStampAndRocDate) {
  EXPECT_EQ(DateMth({2026, 3, 7}), "03.115");
  EXPECT_EQ(DateMth({2024, 3, 1}), "03.113");
  EXPECT_EQ(rocDate({2026, 12, 8}), "1151208");
  EXPECT_EQ(rocDate({1999, 1, 2}), "0880102");
}
