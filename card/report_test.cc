#include "card/report.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/cp950.h"
#include "tests/support/fakes.h"

namespace {

// A library that answers nonsense: every reply buffer filled with one byte to
// its full length (and the length set to -1), so that every field cut lands
// in the middle of a double-byte character or beyond what was asked for.
namespace garbled {

char fill = '\xA4';
int reads = 0;

int answer(char* buf, short* len) {
  ++reads;
  std::memset(buf, fill, static_cast<size_t>(static_cast<unsigned short>(*len)));
  *len = -1;
  return 0;
}
int CSHIS_CALL read(char* buf, short* len) { return answer(buf, len); }
int CSHIS_CALL prescription(char* o, short* lo, char* l, short* ll, char* i, short* li, char* a, short* la) {
  answer(o, lo), answer(l, ll), answer(i, li);
  return answer(a, la);
}
int CSHIS_CALL status(short) { return 2; }

CardLib make(char byte) {
  fill = byte;
  reads = 0;
  CardTable t;
  t.hisGetCardStatus = status;
  t.hisGetRegisterBasic = t.hisGetLastSeqNum = t.hisGetEmergentTel = read;
  t.hisGetTreatmentNoNeedHPC = t.hisGetTreatmentNeedHPC = read;
  t.hisGetCumulativeData = t.hisGetCumulativeFee = read;
  t.hisGetRegisterPrevent = t.hisGetRegisterPregnant = t.hisGetInoculateData = read;
  t.hisGetOrganDonate = read;
  t.hisReadPrescription = prescription;
  return CardLib(t, nullptr);
}

}  // namespace garbled

constexpr size_t kReportLines = 1106;

}  // namespace

TEST(LoadAllDataMode, TheTextUpToTheNextVerbPartTrimmed) {
  EXPECT_EQ(loadAllDataMode("/LoadAllData1"), "1");
  EXPECT_EQ(loadAllDataMode("/LoadAllData 2 /COM2/"), "2");
  EXPECT_EQ(loadAllDataMode("/csOpenCom2/LoadAllData1/COM2/"), "1");
  EXPECT_EQ(loadAllDataMode("/LoadAllData12"), "12");
  EXPECT_EQ(loadAllDataMode("/LoadAllData/COM2/"), "");
  EXPECT_EQ(loadAllDataMode("/LoadAllData"), "");
  EXPECT_EQ(loadAllDataMode("LoadAllData1"), "");
}

TEST(LoadAllData, NonsenseRepliesStillGiveEveryLine) {
  for (char byte : {'\xA4', '\xFF', '\0'}) {
    FakeRun f;
    f.card = garbled::make(byte);
    LoadAllData(f.run);
    EXPECT_EQ(f.run.list1.size(), kReportLines);
    EXPECT_EQ(garbled::reads, 15);  // twelve reads, four buffers in one of them
    EXPECT_EQ(f.run.list1.back(), std::string(8, ' ') + b5("「O」均不同意"));
    EXPECT_TRUE(f.disk.files.count("w:\\IcDatTmp.txt"));
    if (byte == '\xA4') {  // a one-byte mark that is half a character
      EXPECT_EQ(f.run.list1[5], b5("性別:   ?"));
      EXPECT_EQ(f.run.list1[7], b5("卡片註銷註記:   ?"));
    }
  }
}
