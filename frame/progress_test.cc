#include "frame/progress.h"

#include <gtest/gtest.h>

#include "platform/cp950.h"
#include "tests/support/fakecard.h"
#include "tests/support/fakes.h"

namespace {

struct ProgressTest : ::testing::Test {
  FakeRun f;
  void SetUp() override { f.card = fakecard::make(); }
};

}  // namespace

TEST_F(ProgressTest, WatchdogEndsTheRun300SecondsAfterFirstLoad) {
  showWaiting(f.run, "x");
  EXPECT_EQ(f.run.win.ticks, 1);
  hideWaiting(f.run);
  f.clock.ms += 300 * 1000 - 1;
  doEvents(f.run);
  EXPECT_EQ(f.run.win.ticks, 600);
  EXPECT_EQ(fakecard::closes, 0);
  f.clock.ms += 1;
  EXPECT_THROW(doEvents(f.run), EndOfRun);
  EXPECT_EQ(fakecard::closes, 1);
  EXPECT_FALSE(f.run.win.waitingLoaded);
}

TEST_F(ProgressTest, TheCounterRunsOnAcrossReloads) {
  showWaiting(f.run, "a");
  f.clock.ms += 100 * 1000;
  doEvents(f.run);
  closeWaiting(f.run);
  showWaiting(f.run, "b");
  EXPECT_EQ(f.run.win.ticks, 202);
}

TEST_F(ProgressTest, LabelBlinksBetweenRedAndBlue) {
  showWaiting(f.run, "x");
  f.clock.ms += 1000;
  doEvents(f.run);
  ASSERT_EQ(f.screen.colours.size(), 3u);
  EXPECT_EQ(f.screen.colours[0], Colour::Red);
  EXPECT_EQ(f.screen.colours[1], Colour::Blue);
  EXPECT_EQ(f.screen.colours[2], Colour::Red);
}

TEST_F(ProgressTest, CloseButtonClosesTheReaderAndEnds) {
  showWaiting(f.run, "x");
  f.screen.pending = {UiEvent::WaitingClosePressed};
  EXPECT_THROW(doEvents(f.run), EndOfRun);
  EXPECT_EQ(fakecard::closes, 1);
}

TEST_F(ProgressTest, RedMessageWaitsItsSeconds) {
  const int64_t start = f.clock.ms;
  showRed(f.run, "r", 0);
  EXPECT_EQ(f.clock.ms, start);
  EXPECT_EQ(f.screen.events.back(), "hide-message");
  showRed(f.run, "r", 3);
  EXPECT_GE(f.clock.ms - start, 3000);
  EXPECT_LT(f.clock.ms - start, 3100);
  f.screen.wait = false;
  const int64_t before = f.clock.ms;
  showRed(f.run, "r", 20);
  EXPECT_EQ(f.clock.ms, before);
}

TEST_F(ProgressTest, TimedelayCountsDownInTheCaption) {
  timedelay(f.run, 2, b5("請 稍 候"));
  bool counted = false;
  for (auto& e : f.screen.events)
    counted = counted || e.rfind("caption|vexa5|" + b5("稍後: 1.95 秒   請 稍 候"), 0) == 0;
  EXPECT_TRUE(counted);
}

TEST_F(ProgressTest, ClosingTheMessageWindowEndsTheRunWithTheReaderClosed) {
  f.screen.pending = {UiEvent::MessageUnloaded};
  EXPECT_THROW(doEvents(f.run), EndOfRun);
  EXPECT_TRUE(f.run.reader.closed);
  EXPECT_EQ(fakecard::closes, 1);
}

TEST_F(ProgressTest, UnloadMeEndClosesTheReaderOnce) {
  EXPECT_THROW(UnloadMe_End(f.run), EndOfRun);
  EXPECT_EQ(fakecard::closes, 1);
  EXPECT_TRUE(f.run.reader.closed);
  EXPECT_THROW(UnloadMe_End(f.run), EndOfRun);
  EXPECT_EQ(fakecard::closes, 1);
  // The window-close handler always closes, and ends.
  EXPECT_THROW(Form_Unload(f.run), EndOfRun);
  EXPECT_EQ(fakecard::closes, 2);
}

TEST_F(ProgressTest, Timer2EndsTheRunOnANonEmptyRepairFile) {
  f.disk.files["repair1"] = "";
  Timer2_Timer(f.run);
  f.disk.files["repair1"] = "1";
  EXPECT_THROW(Timer2_Timer(f.run), EndOfRun);
}

TEST(RunFrame, NumbersAsTheRuntimePrintsThem) {
  EXPECT_EQ(formatSingle(14.5), "14.5");
  EXPECT_EQ(formatSingle(3), "3");
  EXPECT_EQ(formatSingle(0.25), ".25");
  EXPECT_EQ(formatSingle(14.983333), "14.98333");
  EXPECT_EQ(formatSingle(-0.5), "-.5");
}

// Gathered lines reach the screen in their place: before a clear, at the
// send, and none twice; List1 holds every line at once.
TEST_F(ProgressTest, GatheredListLinesKeepTheirPlace) {
  listAdd(f.run, "before");
  listGather(f.run);
  listAdd(f.run, "a");
  listAdd(f.run, "b");
  EXPECT_EQ(f.run.list1, (std::vector<std::string>{"before", "a", "b"}));
  listClear(f.run);
  listAdd(f.run, "c");
  listSend(f.run);
  listSend(f.run);
  listAdd(f.run, "d");
  EXPECT_EQ(f.screen.events, (std::vector<std::string>{"list|before", "list|a", "list|b", "list-clear",
                                                       "list|c", "list|d"}));
  EXPECT_EQ(f.run.list1, (std::vector<std::string>{"c", "d"}));
}
