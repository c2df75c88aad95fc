// "/ReadF4" end to end: the card-holder record for the clinic program, the
// answers for missing or unauthenticated cards, the second reader, the online
// refresh of a used-up or expired card and its failures, and the archived read.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using ReadF4 = e2e::Run;
using Lines = std::vector<std::string>;

// The 78-byte record of the card e2e::reader() puts in the reader.
std::string record(const std::string& remaining = "05", const std::string& valid = "1201231") {
  return "000012345678" + big5("王小明") + std::string(14, ' ') + "A123456789" + "0750312" + "M" +
         "1050101" + "1" + "01" + "3" + valid + remaining + std::string(8, ' ');
}

}  // namespace

TEST_F(ReadF4, WritesTheRecordFollowedByFourteenBlanks) {
  simState(state(reader(1)));
  run("/ReadF4");
  ASSERT_EQ(record().size(), 78u);
  EXPECT_EQ(read("ReadF4.txt"), record() + std::string(14, ' ') + "\r\n");
  EXPECT_FALSE(has("ReadF42.txt"));
  EXPECT_EQ(calls("csUpdateHCContents").size(), 0u);  // beginlink is 0
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(ReadF4, AnIdentityFieldStartingWithABlankOrADigitWritesZero) {
  for (const char* id : {" A12345678", "1234567890"}) {
    simState(state(reader(1, hc(std::string("\"id\": \"") + id + "\""))));
    run("/ReadF4");
    EXPECT_EQ(read("ReadF4.txt"), "0\r\n") << id;
  }
}

TEST_F(ReadF4, NoCardAndUnauthenticatedCard) {
  simState(state(reader(1, hc("\"status\": 0"))));
  // A card that is not there: the state's hc section is still read for status.
  run("/ReadF4");
  EXPECT_EQ(read("ReadF4.txt"), big5("無卡片") + "\r\n");

  simState(state(reader(1, hc("\"status\": 1"))));
  run("/ReadF4");
  EXPECT_EQ(read("ReadF4.txt"), big5("尚未認證") + "\r\n");
  EXPECT_TRUE(shown(events(), {"msgbox", "無法讀取", "IC卡片  尚未認證", "ok", "ok"}));
}

TEST_F(ReadF4, AFailedReadWritesTheCodeAndTheOldResultIsGone) {
  write("ReadF4.txt", "old\r\n");
  simState(state(reader(1), "\"faults\": [{\"call\": \"hisGetRegisterBasic\", \"code\": 4013}]"));
  run("/ReadF4");
  EXPECT_EQ(read("ReadF4.txt"), "4013\r\n");
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(ReadF4, TheSecondReaderAfterAFailedFirst) {
  simState(state(reader(1) + "," + reader(2, hc("\"cardNo\": \"000099999999\"")),
                 "\"faults\": [{\"call\": \"hisGetRegisterBasic\", \"code\": 4013, \"times\": 1}]"));
  run("/ReadF4/COM2/");
  EXPECT_FALSE(has("ReadF4.txt"));
  std::string second = record();
  second.replace(0, 12, "000099999999");
  EXPECT_EQ(read("ReadF42.txt"), second + std::string(14, ' ') + "\r\n");
  EXPECT_EQ(calls("csOpenCom"), (Lines{"csOpenCom\t0\t=> 0", "csOpenCom\t1\t=> 0"}));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(ReadF4, AnUsedUpCardIsRefreshedWithoutTheValidityCheck) {
  write("orvosys.ini", "[OrvoDent]\r\nbeginlink=1\r\n");
  // Used up and expired: only the count update is tried.
  simState(state(reader(1, hc("\"remaining\": \"00\", \"validUntil\": \"1000101\""))));
  run("/ReadF4");
  EXPECT_EQ(calls("csUpdateHCContents"), (Lines{"csUpdateHCContents\t=> 0"}));
  EXPECT_TRUE(shown(events(), {"red", "更新  IC卡 可用次數", "6"}));
  for (const auto& e : events()) EXPECT_NE(e, (Lines{"red", "更新  有效期限 ", "6"}));
  EXPECT_EQ(read("ReadF4.txt"), record("00", "1000101") + std::string(14, ' ') + "\r\n");
}

TEST_F(ReadF4, AnExpiredCardIsRefreshed) {
  write("orvosys.ini", "[OrvoDent]\r\nbeginlink=1\r\n");
  simState(state(reader(1, hc("\"validUntil\": \"1000101\""))));
  run("/ReadF4");
  EXPECT_EQ(calls("csUpdateHCContents").size(), 1u);
  EXPECT_TRUE(shown(events(), {"red", "更新  有效期限 ", "6"}));
}

TEST_F(ReadF4, ANetworkFailureLeavesAutolinkWithThePorts) {
  write("orvosys.ini", "[OrvoDent]\r\nbeginlink=1\r\n");
  simState("{\"network\": false, \"readers\": {" + reader(1, hc("\"remaining\": \"00\"")) + "}}");
  run("/ReadF4");
  EXPECT_EQ(read("autolink.tmp"), "010\r\n");
  EXPECT_TRUE(shown(events(), {"red", "網路不通10", "15"}));
  EXPECT_FALSE(has("ErrUpdat"));
  EXPECT_EQ(read("ReadF4.txt"), record("00") + std::string(14, ' ') + "\r\n");
}

TEST_F(ReadF4, AnotherUpdateFailureLeavesErrUpdat) {
  write("orvosys.ini", "[OrvoDent]\r\nbeginlink=1\r\n");
  simState(state(reader(1, hc("\"remaining\": \"00\"")),
                 "\"faults\": [{\"call\": \"csUpdateHCContents\", \"code\": 9082}]"));
  run("/ReadF4");
  EXPECT_EQ(read("ErrUpdat"),
            big5("王小明") + "    \rA123456789\r" + big5("更新  IC卡 可用次數") + "\r\n");
  EXPECT_TRUE(shown(events(), {"red", "更新失敗 ", "20"}));
  EXPECT_FALSE(has("autolink.tmp"));
}

TEST_F(ReadF4, TheReadIsArchivedUnderTheHoldersIdentity) {
  write("ic/dataZ", "");
  write("ic/dataZ.ind", "");
  simState(state(reader(1)));
  run("/ReadF4");
  const std::string store = read("ic/dataZ");
  ASSERT_EQ(store.size(), 1500u);
  EXPECT_EQ(store.substr(0, 10), "A123456789");
  EXPECT_EQ(store.substr(10, 80), record() + "\r\n");
  EXPECT_EQ(read("ic/dataZ.ind"), "A123456789");
}

// Each card call of the read failing in turn: the run ends, the clinic program
// finds its result file, and the reader is closed.
class ReadF4Faults : public e2e::Run, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReadF4Faults, EndsWithAResultAndTheReaderClosed) {
  write("orvosys.ini", "[OrvoDent]\r\nbeginlink=1\r\n");
  simState(state(reader(1, hc("\"remaining\": \"00\"")),
                 std::string("\"faults\": [{\"call\": \"") + GetParam() + "\", \"code\": 4000}]"));
  EXPECT_EQ(run("/ReadF4").exitCode, 0);
  EXPECT_TRUE(has("ReadF4.txt"));
  EXPECT_EQ(eventLines().back(), "exit");
  EXPECT_TRUE(readerLeftClosed());
}

INSTANTIATE_TEST_SUITE_P(Calls, ReadF4Faults,
                         ::testing::Values("hisGetCardStatus", "hisGetRegisterBasic",
                                           "hisGetLastSeqNum", "hisGetTreatmentNoNeedHPC",
                                           "csUpdateHCContents", "csCloseCom"));
