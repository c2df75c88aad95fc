#include "visit/dental.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "tests/support/fakes.h"

namespace {

TEST(DentalArgs, ModeIsOneCharacterAndTheFileEndsAtABlank) {
  DentalArgs a = dentalArgs("/DentalTreat2 out.txt /COM2/");
  EXPECT_EQ(a.mode, "2");
  EXPECT_EQ(a.file, "out.txt");

  a = dentalArgs("x /DentalTreat2   c:\\data\\dent.txt   ");
  EXPECT_EQ(a.mode, "2");
  EXPECT_EQ(a.file, "c:\\data\\dent.txt");

  a = dentalArgs("/DentalTreat1/COM2/");
  EXPECT_EQ(a.mode, "1");
  EXPECT_EQ(a.file, "/COM2/");

  a = dentalArgs("/DentalTreat");
  EXPECT_EQ(a.mode, "");
  EXPECT_EQ(a.file, "");

  // A blank mode is trimmed away; the file still starts at the second character.
  a = dentalArgs("/DentalTreat out.txt");
  EXPECT_EQ(a.mode, "");
  EXPECT_EQ(a.file, "out.txt");
}

TEST(DentalArgs, CountsDoubleByteCharactersAsOne) {
  DentalArgs a = dentalArgs(b5("/DentalTreat中文件.txt"));
  EXPECT_EQ(a.mode, b5("中"));
  EXPECT_EQ(a.file, b5("文件.txt"));
}

TEST(ScalingInterval, SixCalendarMonthsCountOnlyFromTheDayOfTheMonth) {
  const DateTime today{2026, 12, 8, 9, 30, 45};  // ROC 115-12-08
  EXPECT_EQ(monthsSince("1150608100000", today), 6);
  EXPECT_EQ(scalingNote("1150608100000", today), b5("115年06月08日 6 月前"));
  EXPECT_EQ(monthsSince("1150609100000", today), 5);
  EXPECT_EQ(scalingNote("1150609100000", today), b5("洗牙: 115年06月09日"));
  EXPECT_EQ(scalingNote("1151208", today), b5("洗牙: 115年12月08日"));
  EXPECT_EQ(scalingNote("1121208", today), b5("112年12月08日 36 月前"));
}

TEST(ScalingInterval, AcrossTheNewYearAndFromTheFuture) {
  const DateTime today{2026, 1, 5, 0, 0, 0};  // ROC 115-01-05
  EXPECT_EQ(monthsSince("1140705", today), 6);
  EXPECT_EQ(monthsSince("1140706", today), 5);
  // An order dated after today (a reader clock ahead) is a recent scaling.
  EXPECT_EQ(monthsSince("1150305", today), -2);
  EXPECT_EQ(scalingNote("1150305", today), b5("洗牙: 115年03月05日"));
}

TEST(ScalingInterval, DatesThatAreNotNumbersGiveANoteAndNoCrash) {
  const DateTime today{2026, 12, 8, 0, 0, 0};
  EXPECT_EQ(scalingNote("abcdefg", today), b5("abc年de月fg日 1392 月前"));
  EXPECT_EQ(scalingNote("", today).substr(0, 3), "   ");
}

// The whole verb over a fake card, with the clock fixed.
namespace fake {

int status = 3;
std::string visits, orders;

void put(char* buf, short* len, const std::string& reply) {
  std::memcpy(buf, reply.data(), std::min(reply.size(), static_cast<size_t>(*len)));
}
int CSHIS_CALL hisGetCardStatus(short) { return status; }
int CSHIS_CALL csCloseCom() { return 0; }
int CSHIS_CALL noNeedHpc(char* buf, short* len) {
  put(buf, len, visits);
  return 0;
}
int CSHIS_CALL needHpc(char*, short*) { return 0; }
int CSHIS_CALL prescriptions(char* out, short* len, char*, short*, char*, short*, char*, short*) {
  put(out, len, orders);
  return 0;
}

}  // namespace fake

struct DentalRun : ::testing::Test {
  FakeRun f;
  void SetUp() override {
    CardTable t;
    t.hisGetCardStatus = fake::hisGetCardStatus;
    t.csCloseCom = fake::csCloseCom;
    t.hisGetTreatmentNoNeedHPC = fake::noNeedHpc;
    t.hisGetTreatmentNeedHPC = fake::needHpc;
    t.hisReadPrescription = fake::prescriptions;
    f.card = CardLib(t, nullptr);
    f.screen.wait = false;
    fake::status = 3;
    fake::visits = std::string(card::kTreatmentLength, ' ');
    fake::orders.clear();
  }
  static std::string order(const std::string& time, const std::string& type, const std::string& item) {
    std::string o = time + type + item;
    o.resize(card::kOrderSize, ' ');
    return o;
  }
  bool shown(const std::string& event) const {
    for (const std::string& e : f.screen.events)
      if (e == event) return true;
    return false;
  }
};

TEST_F(DentalRun, ModeOneShowsTheNoteOfTheFirstTreatmentScalingAndReturns) {
  f.run.C = "/DentalTreat1";
  fake::orders = order("1150609100000", "1", "91004C") + order("1150608110000", "3", "91004C") +
                 order("1150101090000", "3", "91004C");
  cmd_DentalTreat(f.run);  // returns: the message window carries the run on
  EXPECT_TRUE(shown("message|" + b5("115年06月08日 6 月前")));
  EXPECT_TRUE(shown("show|vexahca"));
  EXPECT_TRUE(f.run.reader.closed);
  EXPECT_EQ(f.run.win.shownWindow, "vexahca");
  const std::string& listing = f.disk.files["w:\\ReadF4.txt"];
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 3);
}

TEST_F(DentalRun, AnyOtherModeEndsTheRunAndTheProfessionalCardIsNeeded) {
  f.run.C = "/DentalTreat9";
  fake::orders = order("1150608110000", "3", "91004C");
  EXPECT_THROW(cmd_DentalTreat(f.run), EndOfRun);
  EXPECT_TRUE(f.disk.files.count("w:\\Readf4"));
  EXPECT_EQ(f.run.win.shownWindow, "");

  for (int status : {0, 1, 2, 9}) {
    fake::status = status;
    EXPECT_THROW(cmd_DentalTreat(f.run), EndOfRun);
    EXPECT_EQ(f.disk.files["w:\\ReadF4.txt"], b5("需使用醫師卡") + "\r\n") << status;
  }
}

}  // namespace
