#include "app/maintenance.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

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

#if !defined(_WIN32)
// A folder swapped for a link while the housekeeping runs (the screen swaps
// it when the first deletion is announced): the deletions stay in the folder
// that was opened and never reach the link's target.
TEST(Housekeeping, AFolderSwappedForALinkDuringTheRunLeadsNoDeletionElsewhere) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("ic-swap-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  for (const char* f : {"ic/samsign/a", "ic/samsign/b", "elsewhere/a", "elsewhere/b"}) {
    fs::create_directories((dir / f).parent_path());
    std::ofstream(dir / f) << "x";
    fs::last_write_time(dir / f, old);
  }
  struct Swapping : FakeScreen {
    fs::path dir;
    bool swapped = false;
    void showWaiting(const std::string& t) override {
      FakeScreen::showWaiting(t);
      if (swapped || t == "data fresh") return;
      swapped = true;
      fs::rename(dir / "ic/samsign", dir / "ic/moved");
      fs::create_directory_symlink(dir / "elsewhere", dir / "ic/samsign");
    }
  } screen;
  screen.dir = dir;
  std::unique_ptr<Disk> disk = makeRealDisk();
  FakeClock clock;
  clock.today = DateTime{2026, 12, 9, 8, 0, 0};
  FakeSystem sys{*disk};
  CardLib card;
  ::Run run{*disk, clock, sys, screen, card};
  run.settings.workDir = dir.string() + "/";
  housekeeping(run);
  EXPECT_TRUE(screen.swapped);
  EXPECT_TRUE(fs::exists(dir / "elsewhere/a"));
  EXPECT_TRUE(fs::exists(dir / "elsewhere/b"));
  EXPECT_FALSE(fs::exists(dir / "ic/moved/a"));
  EXPECT_FALSE(fs::exists(dir / "ic/moved/b"));
  fs::remove_all(dir);
}
#endif
