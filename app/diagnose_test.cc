// What --ic-diagnose computes: the reader's clock against the computer's, and
// the last runs read back from the run log.
#include "app/diagnose.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(Diagnose, ClockDifference) {
  const DateTime now{2026, 12, 8, 9, 30, 45};
  const struct {
    const char* roc;
    bool ok;
    long long seconds;
  } cases[] = {{"1151208093045", true, 0},    {"1151208083045", true, -3600},
               {"1151209000000", true, 52155}, {"1141208093045", true, -365LL * 86400},
               {"115120809304", false, 0},     {"11512080930X5", false, 0},
               {"1151308093045", false, 0}};
  for (const auto& c : cases) {
    long long s = 0;
    EXPECT_EQ(clockDifference(c.roc, now, s), c.ok) << c.roc;
    if (c.ok) {
      EXPECT_EQ(s, c.seconds) << c.roc;
    }
  }
}

TEST(Diagnose, LastRunsAreTheEndLinesNewestLast) {
  std::vector<std::string> log = {
      "\xEF\xBB\xBF" "2026-12-08 09:00:00.001 [7] start   ic 1.0.0, command line \"/ReadF4\"",
      "2026-12-08 09:00:00.002 [7] end     how=normal exit=0 lastStatus=0 error=\"\" ms=3 cmd=\"/ReadF4\"",
      "2026-12-08 09:01:00.000 [8] call    hisGetRegisterBasic(len 78) = 0 ok, 1 ms",
      "2026-12-08 09:02:00.000 [8] end     how=watchdog (the waiting window's 300 seconds) exit=0 "
      "lastStatus=4000 error=\"讀卡機tmieout\" ms=300001 cmd=\"/WriteF2 a b\"",
      "garbage",
  };
  EXPECT_EQ(lastRuns(log, 20),
            (std::vector<std::string>{
                "2026-12-08 09:00:00.002  \"/ReadF4\"  normal, exit 0, lastStatus 0",
                "2026-12-08 09:02:00.000  \"/WriteF2 a b\"  watchdog (the waiting window's 300 "
                "seconds), exit 0, lastStatus 4000"}));
  EXPECT_EQ(lastRuns(log, 1).size(), 1u);
}

}  // namespace

#include "app/runlogging.h"

namespace {

TEST(RunLogging, ThePassTextOfShellExecuteIsNeverWritten) {
  EXPECT_EQ(loggedCommandLine("/ShellExecute_///s3cret"), "/ShellExecute_///******");
  EXPECT_EQ(loggedCommandLine("/ShellExecute_http://x/?a=1"), "/ShellExecute_http://x/?a=1");
  EXPECT_EQ(loggedCommandLine("/ReadF4"), "/ReadF4");
}

}  // namespace
