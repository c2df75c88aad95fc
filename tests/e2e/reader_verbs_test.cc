// The reader and card verbs end to end: card states, SAM authentication, PIN
// entry, the reader's clock, the last visit, the last sequence number,
// cancelling a registration, the online refresh and the emergency telephone.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using ReaderVerbs = e2e::Run;
using Lines = std::vector<std::string>;

const std::string kVisit =
    "\"visits\": [{\"category\": \"02\", \"newborn\": \" \", \"time\": \"1151201100000\","
    " \"supplement\": \"1\", \"seq\": \"0007\", \"institution\": \"3501234567\"}]";

const char* kStatusBlock =
    "安全模組卡:  認證成功 \\r健保 IC 卡:  與安全模組認證成功 \\r醫事人員卡:  與安全模組認證成功 (PIN 尚未認證) "
    "\\r115年12月08日 09時30分45秒";

}  // namespace

TEST_F(ReaderVerbs, CardStatusOfOneReader) {
  simState(state(reader(1)));
  run("/hisGetCardStatus");
  EXPECT_TRUE(shown(events(), {"msgbox", "目前讀卡機狀況",
                               std::string("目前讀卡機狀況  COM: 1\\r") + kStatusBlock, "ok", "ok"}));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(ReaderVerbs, CardStatusOnCom3AddsTheFirstReader) {
  simState(state(reader(1) + "," + reader(3)));
  run("/hisGetCardStatus/csOpenCom3");
  EXPECT_TRUE(shown(events(), {"msgbox", "目前讀卡機狀況",
                               std::string("目前讀卡機狀況  COM: 3\\r") + kStatusBlock +
                                   "\\r\\r\\rCOM: 1  讀卡機狀況  \\r" + kStatusBlock,
                               "ok", "ok"}));

  simState(state(reader(3)));
  run("/hisGetCardStatus/csOpenCom3");
  EXPECT_TRUE(shown(events(), {"msgbox", "目前讀卡機狀況",
                               std::string("目前讀卡機狀況  COM: 3\\r") + kStatusBlock +
                                   "\\r\\r\\rCOM: 1  讀卡機狀況  \\r 未開啟  COM: 1  ",
                               "ok", "ok"}));
}

TEST_F(ReaderVerbs, AnAuthenticatedSamIsLeftAloneWithoutYes) {
  simState(state(reader(1)));
  run("/csVerifySAMDC");
  EXPECT_TRUE(calls("csVerifySAMDC").empty());
  EXPECT_EQ(calls("hisGetCardStatus"), (Lines{"hisGetCardStatus\t1\t=> 2"}));

  run("/csVerifySAMDC/Yes");
  EXPECT_EQ(calls("csVerifySAMDC"), (Lines{"csVerifySAMDC\t=> 0"}));
  EXPECT_TRUE(shown(events(), {"waiting", "認證 完成"}));
  EXPECT_TRUE(shown(events(), {"delay", "2", ""}));
}

TEST_F(ReaderVerbs, SamAuthenticationFailureIsReported) {
  simState("{\"network\": false, \"readers\": {" + reader(1) + "}}");
  run("/csVerifySAMDC/Yes");
  EXPECT_TRUE(shown(events(), {"red", "網路連線失敗", "20"}));
  EXPECT_FALSE(shown(events(), {"waiting", "認證 完成"}));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(ReaderVerbs, PinVerbsReportTheLibrarysAnswer) {
  simState(state("\"1\": {\"keypad\": [\"9999\"]," + reader(1).substr(6)));
  run("/csVerifyHCPIN");
  EXPECT_TRUE(shown(events(), {"red", "使用者所輸入之健保IC 卡pin 值，與健保IC 卡之pin值不合", "20"}));

  simState(state("\"1\": {\"keypad\": [\"1234\"]," + reader(1).substr(6)));
  run("/csVerifyHCPIN");
  EXPECT_EQ(calls("csVerifyHCPIN").back(), "csVerifyHCPIN\t=> 0");
  EXPECT_EQ(eventLines().back(), "exit");
}

TEST_F(ReaderVerbs, ReaderClockIntoReadF4) {
  simState(state(reader(1)));
  run("/csGetDateTime");
  EXPECT_EQ(read("ReadF4.txt"), "1151208093045" + std::string(487, ' ') + "\r\n");
  simState(state(reader(1), "\"faults\": [{\"call\": \"csGetDateTime\", \"code\": 5066}]"));
  run("/csGetDateTime");
  EXPECT_EQ(read("ReadF4.txt"), big5("讀取失敗") + "\r\n");
}

TEST_F(ReaderVerbs, LastTreatTimeWithAndWithoutVisits) {
  const std::string holder = " 000012345678A1234567890750312" + std::string(8, ' ');
  simState(state(reader(1, hc(kVisit))));
  run("/LastTreatTime");
  EXPECT_EQ(read("ReadF4.txt"), "1151201100000 [0007] 3501234567" + holder + "\r\n");

  simState(state(reader(1)));
  run("/LastTreatTime");
  EXPECT_EQ(read("ReadF4.txt"), std::string(13, ' ') + " [    ] " + std::string(10, ' ') + holder + "\r\n");

  simState(state(reader(1, hc("\"status\": 1"))));
  run("/LastTreatTime");
  EXPECT_EQ(read("ReadF4.txt"), big5("無健保卡 或 健保卡尚未認證") + "\r\n");
}

TEST_F(ReaderVerbs, LastTreatTimeReportsEachFailedRead) {
  simState(state(reader(1), "\"faults\": [{\"call\": \"hisGetTreatmentNoNeedHPC\", \"code\": 4021},"
                            " {\"call\": \"hisGetRegisterBasic\", \"code\": 4013}]"));
  run("/LastTreatTime");
  EXPECT_EQ(read("ReadF4.txt"), "Error 1: 4021Error 2: 4013\r\n");
}

TEST_F(ReaderVerbs, LastSequenceNumberEvenAfterAFailure) {
  simState(state(reader(1)));
  run("/hisGetLastSeqNum");
  EXPECT_EQ(read("ReadF4.txt"), "1150007\r\n");
  simState(state(reader(1), "\"faults\": [{\"call\": \"hisGetLastSeqNum\", \"code\": 4013}]"));
  run("/hisGetLastSeqNum");
  EXPECT_EQ(read("ReadF4.txt"), "       \r\n");
  EXPECT_TRUE(shown(events(), {"red", "未置入健保IC卡", "20"}));
}

TEST_F(ReaderVerbs, CancellingARegistrationWithAShortStamp) {
  simState(state(reader(1, hc(kVisit))));
  run("/csUnGet115120110");
  EXPECT_EQ(calls("csUnGetSeqNumber"), (Lines{"csUnGetSeqNumber\t115120110    \t=> 5150"}));
  run("/csUnGet1151201100000");
  EXPECT_EQ(calls("csUnGetSeqNumber").back(), "csUnGetSeqNumber\t1151201100000\t=> 0");
  EXPECT_TRUE(shown(events(), {"message", "退掛作業"}));
}

TEST_F(ReaderVerbs, ProfessionalCardPin) {
  simState(state(reader(1)).replace(state(reader(1)).find("\"hpc\": {"), 100,
                                    "\"hpc\": null}}}"));
  run("/VerifyHPCPIN");
  EXPECT_TRUE(shown(events(), {"red", "醫師卡不存在", "6"}));

  simState(state("\"1\": {\"keypad\": [\"1111\"]," + reader(1).substr(6)));
  run("/VerifyHPCPIN");
  EXPECT_TRUE(shown(events(), {"red", "醫師卡認證 失敗 5102", "6"}));

  simState(state("\"1\": {\"keypad\": [\"0000\"]," + reader(1).substr(6)));
  run("/VerifyHPCPIN");
  EXPECT_EQ(calls("hpcVerifyHPCPIN").back(), "hpcVerifyHPCPIN\t=> 0");
  fs::remove(path("cshis-sim.log"));
  run("/VerifyHPCPIN");  // now verified: nothing more to do
  EXPECT_TRUE(calls("hpcVerifyHPCPIN").empty());
}

TEST_F(ReaderVerbs, OnlineRefreshAndItsFailures) {
  simState(state(reader(1)));
  run("/UpdateHC");
  EXPECT_EQ(calls("csUpdateHCContents"), (Lines{"csUpdateHCContents\t=> 0"}));
  EXPECT_TRUE(shown(events(), {"waiting", "  內容更新 完成"}));

  simState("{\"network\": false, \"readers\": {" + reader(1) + "}}");
  run("/UpdateHC/COM2/");
  EXPECT_EQ(read("autolink.tmp"), "012\r\n");
  EXPECT_TRUE(shown(events(), {"red", "網路不通12", "15"}));

  simState(state(reader(1, hc("\"status\": 1"))));
  run("/UpdateHC");
  EXPECT_TRUE(shown(events(), {"red", "健保IC卡未認證", "6"}));
}

TEST_F(ReaderVerbs, EmergencyTelephoneThenTheCardRead) {
  simState(state(reader(1)));
  write("WriteF2.txt", "A123456789\r\n0922333444\r\n");
  run("/hisWriteEmergentTel/ReadF4");
  EXPECT_EQ(calls("hisWriteEmergentTel"),
            (Lines{"hisWriteEmergentTel\tA123456789\t0750312\t0922333444    \t=> 0"}));
  EXPECT_TRUE(has("ReadF4.txt"));
  EXPECT_TRUE(readerLeftClosed());

  fs::remove(path("ReadF4.txt"));
  run("/hisWriteEmergentTel");
  EXPECT_FALSE(has("ReadF4.txt"));
}
