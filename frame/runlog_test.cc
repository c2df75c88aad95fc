// The run log's rules: masking, one line a event, what waits for the working
// folder, RunLog=0, a log that cannot be written, and the housekeeping's bounds.
#include "frame/runlog.h"

#include <gtest/gtest.h>

#include "platform/cp950.h"
#include "tests/support/fakes.h"

namespace {

TEST(RunLogMask, IdentityNumbersAndTextsAroundThem) {
  const struct {
    std::string in, out;
  } ids[] = {{"A123456789", "A1******89"}, {"AB12", "****"}, {"", ""}, {"A12345", "A1**45"}};
  for (const auto& c : ids) EXPECT_EQ(runlog::maskId(c.in), c.out) << c.in;

  const struct {
    std::string in, out;
  } texts[] = {
      {"/DataCase/A123456789", "/DataCase/A1******89"},
      {"000012345678A1234567890750312", "000012345678A1******890750312"},  // fields run together
      {"AB12345678 and C223456789", "AB******78 and C2******89"},            // resident permits too
      {"A12345678", "A12345678"},                                            // one digit short
      // The second byte of a double-byte character is no letter: 丁 is A4 42 ("B").
      {b5("丁") + "123456789", b5("丁") + "123456789"},
      {b5("王") + "A123456789", b5("王") + "A1******89"},
  };
  for (const auto& c : texts) EXPECT_EQ(runlog::maskIds(c.in), c.out) << c.in;
  EXPECT_EQ(runlog::oneLine("a\r\nb\rc\nd"), "a | b | c | d");
}

struct LogFixture : ::testing::Test {
  FakeDisk disk;
  FakeClock clock;
  const std::string day = "w:\\ic\\log\\ic20261208.log";
  std::string file() { return disk.files.count(day) ? disk.files[day] : std::string(); }
};

TEST_F(LogFixture, LinesWaitForTheWorkingFolderThenGoToTheDayFile) {
  RunLog log(disk, clock, 42);
  log.line("start", "command line \"/DataCase/A123456789\"");
  EXPECT_TRUE(disk.files.empty());
  log.open("w:\\", true);
  log.line("screen", b5("第一行") + "\r" + b5("第二行"));
  log.line("library", "loaded");  // the longest kind: one blank still follows
  EXPECT_TRUE(log.opened());
  EXPECT_EQ(file(), std::string(runlog::kBom) +
                        "2026-12-08 09:30:45.000 [42] start   command line \"/DataCase/A1******89\"\r\n"
                        "2026-12-08 09:30:45.000 [42] screen  第一行 | 第二行\r\n"
                        "2026-12-08 09:30:45.000 [42] library loaded\r\n");
}

TEST_F(LogFixture, TurnedOffOrUnwritableItDropsEverythingQuietly) {
  {
    RunLog log(disk, clock, 1);
    log.line("start", "x");
    log.open("w:\\", false);
    log.line("call", "y");
    EXPECT_FALSE(log.wanted());
    EXPECT_TRUE(disk.files.empty());
    EXPECT_NE(log.problem().find("RunLog=0"), std::string::npos);
  }
  struct NoFolders : FakeDisk {
    bool makeFolder(const std::string&) override { return false; }
  } full;
  RunLog log(full, clock, 1);
  log.open("w:\\", true);
  log.line("call", "y");
  EXPECT_FALSE(log.opened());
  EXPECT_FALSE(log.problem().empty());
  EXPECT_TRUE(full.files.empty());
}

TEST_F(LogFixture, HousekeepingKeepsThirtyDaysAndTheFolderBounded) {
  disk.folders = {"w:\\ic", "w:\\ic\\log"};
  auto put = [&](const std::string& name, size_t bytes, DateTime when) {
    disk.files["w:\\ic\\log\\" + name] = std::string(bytes, 'x');
    disk.times["w:\\ic\\log\\" + name] = when;
  };
  put("ic20261107.log", 10, {2026, 11, 7, 23, 0, 0});   // 31 days: gone
  put("ic20261108.log", 10, {2026, 11, 8, 8, 0, 0});    // 30 days: kept
  put("diag-20261001-080000.txt", 10, {2026, 10, 1, 8, 0, 0});
  put("notes.txt", 10, {2020, 1, 1, 0, 0, 0});          // not the log's: kept
  auto left = [&] {
    std::vector<std::string> names;
    for (const auto& [p, d] : disk.files) names.push_back(p.substr(10));
    return names;
  };
  runlog::prune(disk, "w:\\", clock.now());
  EXPECT_EQ(left(), (std::vector<std::string>{"ic20261108.log", "notes.txt"}));
  // Over the folder's cap: the oldest go first until it is under.
  const size_t big = static_cast<size_t>(runlog::kMaxFolderBytes / 2);
  put("ic20261201.log", big, {2026, 12, 1, 8, 0, 0});
  put("ic20261202.log", big, {2026, 12, 2, 8, 0, 0});
  put("ic20261203.log", 100, {2026, 12, 3, 8, 0, 0});
  runlog::prune(disk, "w:\\", clock.now());
  EXPECT_EQ(left(), (std::vector<std::string>{"ic20261202.log", "ic20261203.log", "notes.txt"}));
}

}  // namespace
