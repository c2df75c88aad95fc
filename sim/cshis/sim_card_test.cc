// The health card through the simulated reader: reply layouts byte for byte,
// registrations, writes and what later reads show of them, PINs.
#include "sim_test_util.h"

namespace simtest {
namespace {

const char kClock[] = "1151208093045";

std::string basicRecord() {
  return "000012345678" + pad(b5("王小明"), 20) + "A123456789" + "0750312" + "M" + "1050101" + "1" +
         "01" + "3" + "1201231" + "05" + std::string(8, ' ');
}

// --- reads

using ReadsTest = SimTest;

TEST_F(ReadsTest, RegisterBasicIsTheHolderRecordAndLeavesTheRestOfTheBuffer) {
  open(baseState());
  Reply r = callRead(hisGetRegisterBasic, 78, 100);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.bytes.substr(0, 78), basicRecord());
  EXPECT_EQ(r.bytes.substr(78), std::string(22, '#'));
  EXPECT_EQ(r.len, 78);
}

TEST_F(ReadsTest, LongNamesAreCutWithoutHalfCharacters) {
  json s = baseState();
  // 1 + 2 x 10 bytes: the tenth character would end at byte 21.
  s["readers"]["1"]["hc"]["name"] = "A王小明王小明王小明王";
  open(s);
  Reply r = callRead(hisGetRegisterBasic, 78);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.bytes.substr(12, 20), std::string("A") + b5("王小明王小明王小明") + " ");
  EXPECT_EQ(r.bytes.substr(32, 10), "A123456789");
}

TEST_F(ReadsTest, TreatmentWithoutHpcHasPeriodsThenVisitsMostRecentFirst) {
  json s = baseState();
  json& hc = s["readers"]["1"]["hc"];
  hc["visits"] = json::array();
  hc["visits"].push_back({{"category", "02"}, {"newborn", " "}, {"time", "1151207080000"},
                          {"supplement", "1"}, {"seq", "0008"}, {"institution", "3501234567"},
                          {"outpatientFee", "00001200"}, {"inpatientCopayLong", "0000007"}});
  hc["visits"].push_back({{"category", "AC"}, {"time", "1151101100000"}, {"seq", "0006"}});
  hc["majorIllness"] = {{{"code", "A0001"}, {"start", "1100101"}, {"end", "1201231"}}};
  open(s);
  Reply r = callRead(hisGetTreatmentNoNeedHPC, 498);
  ASSERT_EQ(r.code, 0);
  ASSERT_EQ(r.bytes.size(), 498u);
  EXPECT_EQ(r.bytes.substr(0, 14), "11001011201231");
  EXPECT_EQ(r.bytes.substr(14, 70), std::string(70, ' '));
  std::string v0 = r.bytes.substr(84, 69);
  EXPECT_EQ(v0, "02 1151207080000100083501234567" "00001200" + std::string(8 + 8 + 7, ' ') + "0000007");
  EXPECT_EQ(r.bytes.substr(84 + 69, 31), "AC 1151101100000 0006          ");
  EXPECT_EQ(r.bytes.substr(84 + 2 * 69), std::string(498 - 84 - 2 * 69, ' '));
}

TEST_F(ReadsTest, TreatmentWithHpcHasIllnessEntriesThenDiagnoses) {
  json s = baseState();
  json& hc = s["readers"]["1"]["hc"];
  hc["majorIllness"] = {{{"code", "A0001"}, {"start", "1100101"}, {"end", "1201231"}}};
  hc["diagnoses"] = {{{"time", "1151201100000"}, {"main", "K0530"}, {"secondary", {"K0230", "K083"}}}};
  open(s);
  Reply r = callRead(hisGetTreatmentNeedHPC, 498);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.bytes.substr(0, 19), "A000111001011201231");
  EXPECT_EQ(r.bytes.substr(114, 43), "1151201100000K0530K0230K083 " + std::string(15, ' '));
  EXPECT_EQ(r.bytes.substr(114 + 43), std::string(498 - 114 - 43, ' '));
}

TEST_F(ReadsTest, DoctorsDataNeedsAVerifiedProfessionalCard) {
  json s = baseState();
  s["readers"]["1"]["hpc"]["status"] = 2;
  open(s);
  EXPECT_EQ(callRead(hisGetTreatmentNeedHPC, 498).code, 4042);
  std::string a(3660, ' '), b(1320, ' '), c(360, ' '), d(120, ' ');
  short la = 3660, lb = 1320, lc = 360, ld = 120;
  EXPECT_EQ(hisReadPrescription(a.data(), &la, b.data(), &lb, c.data(), &lc, d.data(), &ld), 4042);
  EXPECT_EQ(callRead(hisGetTreatmentNoNeedHPC, 498).code, 0);

  s["readers"]["1"].erase("hpc");
  open(s);
  EXPECT_EQ(callRead(hisGetTreatmentNeedHPC, 498).code, 4014);
  s["readers"]["1"]["hpc"] = {{"status", 1}};
  open(s);
  EXPECT_EQ(callRead(hisGetTreatmentNeedHPC, 498).code, 4029);
}

TEST_F(ReadsTest, PrescriptionFillsFourGroupsAndRawPartsWin) {
  json s = baseState();
  json& hc = s["readers"]["1"]["hc"];
  hc["outpatientOrders"].push_back({{"time", "1151201100000"}, {"type", "1"}, {"item", "AC45856100"},
                                    {"usage", "TID"}, {"days", "03"}, {"total", "0000900"},
                                    {"deliver", "01"}});
  hc["importantOrders"] = {{{"date", "1150101"}, {"institution", "3501234567"}, {"item", "33001B"}}};
  hc["allergies"] = {"Penicillin", "阿斯匹靈"};
  hc["raw"] = {{"hisReadPrescription.longTerm", "1150101A000000001"}};
  open(s);
  std::string a(3660, '#'), b(1320, '#'), c(360, '#'), d(120, '#');
  short la = 3660, lb = 1320, lc = 360, ld = 120;
  ASSERT_EQ(hisReadPrescription(a.data(), &la, b.data(), &lb, c.data(), &lc, d.data(), &ld), 0);
  EXPECT_EQ(a.substr(0, 61), "11512011000003" + pad("91004C", 12) + pad("FM", 6) +
                                 std::string(18 + 2, ' ') + "0000100" + "01");
  EXPECT_EQ(a.substr(61, 61), "11512011000001" + pad("AC45856100", 12) + std::string(6, ' ') +
                                  pad("TID", 18) + "03" + "0000900" + "01");
  EXPECT_EQ(a.substr(122), std::string(3660 - 122, ' '));
  EXPECT_EQ(b, pad("1150101A000000001", 1320));
  EXPECT_EQ(c.substr(0, 36), "11501013501234567" + pad("33001B", 6) + std::string(13, ' '));
  EXPECT_EQ(d, pad("Penicillin", 40) + pad(b5("阿斯匹靈"), 40) + std::string(40, ' '));
}

TEST_F(ReadsTest, EachSectionHasItsSizeAndItsFirstRecord) {
  json s = baseState();
  json& hc = s["readers"]["1"]["hc"];
  hc["yearlyTotals"] = {{{"year", "115"}, {"visits", "0007"}, {"copayShortTotal", "00000350"}}};
  hc["prevent"] = {{{"item", "05"}, {"date", "1150601"}, {"institution", "3501234567"}, {"code", "71"}}};
  hc["prenatal"] = {{{"date", "1150601"}, {"institution", "3501234567"}, {"code", "41"}}};
  hc["inoculations"] = {{{"vaccine", "FLU"}, {"date", "1151001"}, {"institution", "3501234567"},
                         {"batch", "B123"}}};
  hc["organDonation"] = "4";
  hc["outpatientTotal"] = "0000012000";
  open(s);
  struct Case {
    int (CSHIS_CALL *fn)(char*, short*);
    short size;
    std::string first;
  };
  const Case cases[] = {
      {hisGetCumulativeData, 134, "1150007" + std::string(52, ' ') + "00000350"},
      {hisGetCumulativeFee, 20, "0000012000" + std::string(10, ' ')},
      {hisGetRegisterPrevent, 126, "051150601350123456771"},
      {hisGetRegisterPregnant, 209, "1150601350123456741"},
      {hisGetInoculateData, 1400, "FLU   11510013501234567B123        "},
      {hisGetOrganDonate, 1, "4"},
      {hisGetLastSeqNum, 7, "1150007"},
      {hisGetEmergentTel, 14, "0912345678    "},
      {hisGetBasicData, 57, basicRecord().substr(0, 57)},
  };
  for (const Case& c : cases) {
    Reply r = callRead(c.fn, c.size);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.bytes.substr(0, c.first.size()), c.first) << c.size;
    EXPECT_EQ(r.bytes.find_first_not_of(' ', c.first.size()), std::string::npos) << c.size;
  }
}

TEST_F(ReadsTest, RawReplyWinsAndIsFittedToTheReply) {
  json s = baseState();
  s["readers"]["1"]["hc"]["raw"] = {{"hisGetCumulativeFee", "00000012000000000000EXTRA"},
                                    {"hisGetRegisterBasic", "RAW"}};
  open(s);
  EXPECT_EQ(callRead(hisGetCumulativeFee, 20).bytes, "00000012000000000000");
  EXPECT_EQ(callRead(hisGetRegisterBasic, 78).bytes, pad("RAW", 78));
}

TEST_F(ReadsTest, MissingOrUnreadyCardsAnswerTheirCodes) {
  json s = baseState();
  struct Case {
    json hc;
    int code;
  };
  const Case cases[] = {{nullptr, 4013}, {{{"status", 0}}, 4013}, {{{"status", 1}}, 4029},
                        {{{"status", 9}}, 4033}};
  for (const Case& c : cases) {
    s["readers"]["1"]["hc"] = c.hc;
    open(s);
    EXPECT_EQ(callRead(hisGetRegisterBasic, 78).code, c.code) << c.hc;
    EXPECT_EQ(hisGetCardStatus(2), c.hc.is_null() ? 0 : c.hc["status"].get<int>());
  }
}

// --- registration

using RegistrationTest = SimTest;

Reply register256(const char* category = "01", const char* makeUp = "1") {
  return callRead(
      [&](char* buf, short* len) {
        return hisGetSeqNumber256(const_cast<char*>(category), const_cast<char*>(" "),
                                  const_cast<char*>(makeUp), buf, len);
      },
      296, 500);
}

TEST_F(RegistrationTest, LongFormReplyAndTheCardAfterIt) {
  open(baseState());
  Reply r = register256();
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.len, 296);
  EXPECT_EQ(r.bytes.substr(0, 27), std::string(kClock) + "0008" + "3501234567");
  std::string signature = r.bytes.substr(27, 256);
  EXPECT_EQ(signature.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(r.bytes.substr(283, 12), "000000012345");
  EXPECT_EQ(r.bytes.substr(295, 1), "N");
  EXPECT_EQ(r.bytes.substr(296), std::string(204, '#'));

  // A later run sees the visit first, the sequence and one visit less.
  reopen();
  Reply t = callRead(hisGetTreatmentNoNeedHPC, 498);
  EXPECT_EQ(t.bytes.substr(84, 31), std::string("01 ") + kClock + "1" + "0008" + "3501234567");
  EXPECT_EQ(t.bytes.substr(84 + 69 + 3, 13), "1151201100000");
  EXPECT_EQ(callRead(hisGetLastSeqNum, 7).bytes, "1150008");
  EXPECT_EQ(callRead(hisGetRegisterBasic, 78).bytes.substr(68, 2), "04");
}

TEST_F(RegistrationTest, SignatureDependsOnlyOnTheInputs) {
  open(baseState());
  std::string first = register256().bytes.substr(27, 256);
  open(baseState());
  EXPECT_EQ(register256().bytes.substr(27, 256), first);
  open(baseState());
  EXPECT_NE(register256("02").bytes.substr(27, 256), first);
}

TEST_F(RegistrationTest, ShortFormReply) {
  open(baseState());
  Reply r = callRead(
      [](char* buf, short* len) {
        return hisGetSeqNumber(const_cast<char*>("01"), const_cast<char*>(" "), buf, len);
      },
      167, 200);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.bytes.substr(0, 27), std::string(kClock) + "0008" + "3501234567");
  EXPECT_EQ(r.bytes.substr(27, 128).find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(r.bytes.substr(155, 12), "000000012345");
  EXPECT_EQ(r.bytes.substr(167), std::string(33, '#'));
}

TEST_F(RegistrationTest, RefusalsLeaveBufferAndCardAlone) {
  struct Case {
    const char* key;
    const char* value;
    const char* category;
    int code;
  };
  const Case cases[] = {
      {"cancelMark", "2", "01", 5002},
      {"validUntil", "1151207", "01", 5003},
      {"remaining", "00", "01", 5001},
      {"remaining", "  ", "01", 5001},
  };
  for (const Case& c : cases) {
    json s = baseState();
    s["readers"]["1"]["hc"][c.key] = c.value;
    open(s);
    Reply r = register256(c.category);
    EXPECT_EQ(r.code, c.code) << c.key << "=" << c.value;
    EXPECT_EQ(r.bytes, std::string(500, '#'));
    EXPECT_EQ(readState(), s);
  }
}

TEST_F(RegistrationTest, ValidThroughTodayAndUncountedVisitsRegister) {
  json s = baseState();
  s["readers"]["1"]["hc"]["validUntil"] = "1151208";
  s["readers"]["1"]["hc"]["remaining"] = "00";
  open(s);
  EXPECT_EQ(register256("AC").code, 0);
  EXPECT_EQ(readState()["readers"]["1"]["hc"]["remaining"], "00");
}

TEST_F(RegistrationTest, SecondVisitOnTheSameDayStillRegisters) {
  open(baseState());
  ASSERT_EQ(register256().code, 0);
  Reply second = register256();
  EXPECT_EQ(second.code, 5010);
  EXPECT_EQ(second.bytes.substr(13, 4), "0009");
  EXPECT_EQ(second.bytes.substr(295, 1), "Y");
  EXPECT_EQ(readState()["readers"]["1"]["hc"]["visits"].size(), 3u);
}

TEST_F(RegistrationTest, NewYearRestartsTheSequenceAndTheCardKeepsSixVisits) {
  json s = baseState();
  s["readers"]["1"]["hc"]["lastSeq"] = "1149999";
  s["readers"]["1"]["hc"]["remaining"] = "09";
  open(s);
  for (int i = 0; i < 7; ++i) register256();
  json hc = readState()["readers"]["1"]["hc"];
  EXPECT_EQ(hc["visits"].size(), 6u);
  EXPECT_EQ(hc["visits"][0]["seq"], "0007");
  EXPECT_EQ(hc["visits"][5]["seq"], "0002");
  EXPECT_EQ(hc["lastSeq"], "1150007");
}

TEST_F(RegistrationTest, CancellingRemovesTheVisitWithThatTime) {
  open(baseState());
  char stamp[] = "1151201100000";
  char none[] = "1151201100001";
  EXPECT_EQ(csUnGetSeqNumber(none), 5150);
  EXPECT_EQ(csUnGetSeqNumber(stamp), 0);
  reopen();
  EXPECT_EQ(csUnGetSeqNumber(stamp), 5150);
  EXPECT_EQ(callRead(hisGetTreatmentNoNeedHPC, 498).bytes, std::string(498, ' '));
}

TEST_F(RegistrationTest, NeedsAnAuthenticatedSam) {
  json s = baseState();
  s["readers"]["1"]["sam"]["status"] = 1;
  open(s);
  EXPECT_EQ(register256().code, 4050);
  EXPECT_EQ(csVerifySAMDC(), 0);
  EXPECT_EQ(hisGetCardStatus(1), 2);
  EXPECT_EQ(register256().code, 0);
  s["readers"]["1"].erase("sam");
  open(s);
  EXPECT_EQ(register256().code, 4012);
  EXPECT_EQ(csVerifySAMDC(), 4012);
}

// --- writes

class WritesTest : public SimTest {
 protected:
  char time_[14] = "1151201100000";
  char id_[11] = "A123456789";
  char birth_[8] = "0750312";
};

TEST_F(WritesTest, OtherPersonOrUnknownVisitIsRefused) {
  open(baseState());
  char otherId[] = "B123456789";
  char otherBirth[] = "0750313";
  char unknown[] = "1151201100001";
  char codes[] = "K0530";
  char doc[] = "A111111111";
  EXPECT_EQ(hisWriteTreatmentCode(time_, otherId, birth_, codes, doc), 5020);
  EXPECT_EQ(hisWriteTreatmentCode(time_, id_, otherBirth, codes, doc), 5020);
  EXPECT_EQ(hisWriteTreatmentCode(unknown, id_, birth_, codes, doc), 5022);
  char tel[] = "0222222222";
  EXPECT_EQ(hisWriteEmergentTel(otherId, birth_, tel), 5020);
  EXPECT_EQ(readState(), baseState());
}

TEST_F(WritesTest, TreatmentCodesBecomeTheVisitsDiagnoses) {
  open(baseState());
  char codes[] = "K0530K0230";
  char doc[] = "A111111111";
  ASSERT_EQ(hisWriteTreatmentCode(time_, id_, birth_, codes, doc), 0);
  char again[] = "K0800";
  ASSERT_EQ(hisWriteTreatmentCode(time_, id_, birth_, again, doc), 0);
  reopen();
  Reply r = callRead(hisGetTreatmentNeedHPC, 498);
  EXPECT_EQ(r.bytes.substr(114, 43), "1151201100000K0800" + std::string(25, ' '));
  EXPECT_EQ(r.bytes.substr(114 + 43, 43), std::string(43, ' '));
}

TEST_F(WritesTest, FeesFillTheVisitsFeeFields) {
  open(baseState());
  std::string fees = std::string("00001200") + "00000050" + std::string(22, '0');
  ASSERT_EQ(hisWriteTreatmentFee(time_, id_, birth_, fees.data()), 0);
  reopen();
  Reply r = callRead(hisGetTreatmentNoNeedHPC, 498);
  EXPECT_EQ(r.bytes.substr(84 + 31, 38), fees);
  EXPECT_EQ(readState()["readers"]["1"]["hc"]["visits"][0]["outpatientCopay"], "00000050");
}

TEST_F(WritesTest, SignedPrescriptionIsTheNewFirstOrder) {
  open(baseState());
  std::string line = "11512011000001AC45856100  " + std::string(6, ' ') + pad("TID", 18) + "03" +
                     "0000900" + "0";
  ASSERT_EQ(line.size(), 60u);
  std::string sig(40, '\0');
  short len = 40;
  ASSERT_EQ(hisWritePrescriptionSign(time_, id_, birth_, line.data(), sig.data(), &len), 0);
  EXPECT_EQ(len, 40);
  EXPECT_EQ(sig.find_first_not_of("0123456789ABCDEF"), std::string::npos);

  std::string shortSig(39, '#');
  short shortLen = 39;
  EXPECT_EQ(hisWritePrescriptionSign(time_, id_, birth_, line.data(), shortSig.data(), &shortLen),
            6016);
  EXPECT_EQ(shortSig, std::string(39, '#'));

  reopen();
  std::string a(3660, ' '), b(1320, ' '), c(360, ' '), d(120, ' ');
  short la = 3660, lb = 1320, lc = 360, ld = 120;
  ASSERT_EQ(hisReadPrescription(a.data(), &la, b.data(), &lb, c.data(), &lc, d.data(), &ld), 0);
  EXPECT_EQ(a.substr(0, 61), line + " ");
  EXPECT_EQ(a.substr(61, 27), "11512011000003" + pad("91004C", 12) + "F");
}

TEST_F(WritesTest, AllergiesFillThreeSlotsWithoutSplittingCharacters) {
  open(baseState());
  std::string names = std::string(39, 'x') + b5("青黴素") + "Aspirin";
  char doc[] = "A111111111";
  ASSERT_EQ(hisWriteAllergicMedicines(id_, birth_, names.data(), doc), 0);
  reopen();
  Reply r = callRead(
      [](char* buf, short* len) {
        short count = 0;
        return hisReadPrescriptAllergic(buf, len, 1, 3, &count);
      },
      120);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.bytes, pad(std::string(39, 'x'), 40) + pad(b5("青黴素") + "Aspirin", 40) +
                         std::string(40, ' '));
}

TEST_F(WritesTest, PreventiveCareIsDatedTodayAtTheSamsInstitution) {
  open(baseState());
  char item[] = "05";
  char code[] = "71";
  ASSERT_EQ(hisWriteHealthInsurance(id_, birth_, item, code), 0);
  char tel[] = "0222222222    ";
  ASSERT_EQ(hisWriteEmergentTel(id_, birth_, tel), 0);
  reopen();
  EXPECT_EQ(callRead(hisGetRegisterPrevent, 126).bytes.substr(0, 21), "051151208350123456771");
  EXPECT_EQ(callRead(hisGetEmergentTel, 14).bytes, "0222222222    ");
}

TEST_F(WritesTest, OnlineUpdateRestoresVisitsAndExtendsValidity) {
  json s = baseState();
  s["readers"]["1"]["hc"]["remaining"] = "00";
  s["readers"]["1"]["hc"]["validUntil"] = "1150101";
  open(s);
  ASSERT_EQ(csUpdateHCContents(), 0);
  EXPECT_EQ(callRead(hisGetRegisterBasic, 78).bytes.substr(61, 9), "116120806");

  s["readers"]["1"]["hc"]["cancelMark"] = "2";
  open(s);
  EXPECT_EQ(csUpdateHCContents(), 9082);
}

TEST_F(WritesTest, WithoutNetworkTheInsurersCallsFail) {
  json s = baseState();
  s["network"] = false;
  s["readers"]["1"]["sam"]["status"] = 1;
  open(s);
  std::string file = (dir_ / "UpLoadA.XML").string();
  std::ofstream(file) << "<x/>";
  std::string buf(50, ' ');
  short len = 50;
  EXPECT_EQ(csVerifySAMDC(), 4061);
  EXPECT_EQ(csUpdateHCContents(), 4061);
  EXPECT_EQ(csUploadData(file.data(), const_cast<char*>("4"), const_cast<char*>("1"), buf.data(),
                         &len),
            4061);
  EXPECT_EQ(hisGetCardStatus(1), 1);
}

TEST_F(WritesTest, UploadReceipt) {
  json s = baseState();
  s["upload"] = {{"uploadTime", "20261208093045"}, {"receiveTime", "20261208093050"}};
  open(s);
  std::string missing = (dir_ / "none.xml").string();
  std::string file = (dir_ / "UpLoadA.XML").string();
  std::ofstream(file) << "<x/>";
  std::string buf(60, '#');
  short len = 50;
  EXPECT_EQ(csUploadData(missing.data(), const_cast<char*>("4"), const_cast<char*>("1"),
                         buf.data(), &len),
            6017);
  ASSERT_EQ(csUploadData(file.data(), const_cast<char*>("4"), const_cast<char*>("1"), buf.data(),
                         &len),
            0);
  EXPECT_EQ(buf, "0000000123453501234567" "20261208093045" "20261208093050" + std::string(10, '#'));

  // Without the fixed times: the system clock, Gregorian.
  s.erase("upload");
  open(s);
  ASSERT_EQ(csUploadData(file.data(), const_cast<char*>("4"), const_cast<char*>("1"), buf.data(),
                         &len),
            0);
  std::time_t now = std::time(nullptr);
  std::string year = std::to_string(1900 + std::localtime(&now)->tm_year);
  EXPECT_EQ(buf.substr(22, 4), year);
  EXPECT_EQ(buf.substr(22, 28).find_first_not_of("0123456789"), std::string::npos);
}

// --- PINs

using PinTest = SimTest;

TEST_F(PinTest, HealthCardPinFromTheKeypad) {
  json s = baseState();
  s["readers"]["1"]["keypad"] = {"9999", "1234"};
  open(s);
  EXPECT_EQ(csVerifyHCPIN(), 5102);
  EXPECT_EQ(csVerifyHCPIN(), 0);
  EXPECT_EQ(hisGetCardStatus(2), 4);
  EXPECT_EQ(csVerifyHCPIN(), 5109);
  EXPECT_EQ(readState()["readers"]["1"]["keypad"], json::array());
}

TEST_F(PinTest, ChangingTheHealthCardPin) {
  json s = baseState();
  s["readers"]["1"]["keypad"] = {"1234", "5678", "5679", "1234", "5678", "5678", "5678"};
  open(s);
  EXPECT_EQ(csInputHCPIN(), 5107);
  EXPECT_EQ(csInputHCPIN(), 0);
  reopen();
  EXPECT_EQ(csVerifyHCPIN(), 0);
}

TEST_F(PinTest, ProfessionalCardPinVerifiesAndLocks) {
  json s = baseState();
  s["readers"]["1"]["hpc"] = {{"status", 2}, {"pin", "0000"}};
  s["readers"]["1"]["keypad"] = {"1111", "0000"};
  open(s);
  short status = -1;
  ASSERT_EQ(hpcGetHPCStatus(1, &status), 0);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(hpcVerifyHPCPIN(), 5102);
  EXPECT_EQ(hpcVerifyHPCPIN(), 0);
  EXPECT_EQ(hisGetCardStatus(3), 3);
  EXPECT_EQ(hpcVerifyHPCPIN(), 5109);

  s["readers"]["1"]["keypad"] = {"1", "2", "3", "4", "0000"};
  open(s);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(hpcVerifyHPCPIN(), 5102);
  EXPECT_EQ(hpcVerifyHPCPIN(), 5122);
  ASSERT_EQ(hpcGetHPCStatus(1, &status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(hpcUnlockHPC(), 5102);
  EXPECT_EQ(hpcUnlockHPC(), 0);
  EXPECT_EQ(readState()["readers"]["1"]["hpc"]["locked"], false);
}

}  // namespace
}  // namespace simtest
