#include "app/maintenance.h"

#include <gtest/gtest.h>

#include "app/housekeeping.h"
#include "frame/run.h"
#include "tests/support/fakecard.h"
#include "tests/support/fakes.h"

namespace {

struct WaitingFormTest : ::testing::Test {
  FakeRun f;
  void SetUp() override { f.card = fakecard::make(); }
  // How long the waiting mode lasted, in milliseconds.
  int64_t waited() {
    const int64_t start = f.clock.ms;
    EXPECT_THROW(cmd_WaitingForm(f.run), EndOfRun);
    return f.clock.ms - start;
  }
};

}  // namespace

TEST_F(WaitingFormTest, WaitsFifteenSecondsWithoutARepair) {
  f.disk.files["repair1"] = "";  // empty: not yet
  const int64_t ms = waited();
  EXPECT_GE(ms, 15000);
  EXPECT_LT(ms, 15200);
  EXPECT_TRUE(f.run.reader.closed);
}

TEST_F(WaitingFormTest, ARepairFileEndsItAtTheFirstTimerTick) {
  f.disk.files["repair1"] = "1";
  const int64_t ms = waited();
  EXPECT_GE(ms, 3000);
  EXPECT_LT(ms, 3200);
}

TEST(ClinicExeName, TwoDigitsOfANumberOnly) {
  EXPECT_EQ(clinicExeName("0"), "orvo00.exe");
  EXPECT_EQ(clinicExeName(" 7 "), "orvo07.exe");
  EXPECT_EQ(clinicExeName("12"), "orvo12.exe");
  for (const char* bad : {"", "123", "-1", "..", "1\\", "a"}) EXPECT_EQ(clinicExeName(bad), "") << bad;
}

// The housekeeping's one rule of age: before today's midnight less the days.
// A date that cannot be read (a file gone or locked meanwhile) keeps the file.
TEST(Housekeeping, AFileIsOldBeforeMidnightLessItsDaysAndNeverWithoutADate) {
  const DateTime now{2026, 12, 9, 8, 30, 0};
  const struct {
    std::optional<DateTime> modified;
    bool old;
  } cases[] = {
      {std::nullopt, false},
      {DateTime{2026, 11, 9, 0, 0, 0}, false},
      {DateTime{2026, 11, 8, 23, 59, 59}, true},
      {DateTime{2026, 12, 9, 9, 0, 0}, false},  // later than now: a clock set back
  };
  for (const auto& c : cases) EXPECT_EQ(olderThan(c.modified, now, 30), c.old);
}
