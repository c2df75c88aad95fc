// Visit registration "/WriteF2" end to end: the result files byte for byte,
// the signature block, the refusals before a sequence number is asked for, the
// library's answers, and the treatment writing chained after it.
#include <ctime>

#include <nlohmann/json.hpp>

#include "tests/e2e/e2e.h"

using namespace e2e;
using json = nlohmann::json;

namespace {

using Lines = std::vector<std::string>;

// Today's date in the ROC calendar (yyyMMdd), `days` away.
std::string rocDay(int days = 0) {
  std::time_t t = std::time(nullptr) + static_cast<std::time_t>(days) * 86400;
  std::tm tm = *std::localtime(&t);
  char b[40];
  std::snprintf(b, sizeof b, "%03d%02d%02d", (tm.tm_year + 1900 - 1911) % 1000, tm.tm_mon + 1, tm.tm_mday);
  return std::string(b).substr(0, 7);
}

const std::string kToday = rocDay();
const std::string kDay = kToday.substr(5, 2);
const std::string kClock = kToday + "093045";
const std::string kSeq = "0008";
const std::string kHead = "000012345678A1234567890750312" + std::string(8, ' ');  // no newborn
const std::string kPrescriptionA = "             1AC45856100  " + std::string(6, ' ') + "TID" +
                                   std::string(15, ' ') + "03" "0000900" "0";
const std::string kPrescriptionB = kClock + "389001C      16    " + std::string(18, ' ') + "  " "0000100";

struct Holder {
  std::string valid = "1301231", remaining = "05", cancel = "1", visits = "[]", faults = "[]";
};

std::string cardState(const Holder& h) {
  return R"({"network": true, "readers": {"1": {"clock": ")" + kClock + R"(",
    "sam": {"status": 2, "institution": "3501234567", "samId": "000000012345"},
    "hc": {"status": 2, "cardNo": "000012345678", "name": "王小明", "id": "A123456789",
      "birth": "0750312", "sex": "M", "issued": "1050101", "cancelMark": ")" + h.cancel +
         R"(", "insurer": "01", "identityMark": "3", "validUntil": ")" + h.valid +
         R"(", "remaining": ")" + h.remaining + R"(", "lastSeq": ")" + kToday.substr(0, 3) +
         R"(0007", "visits": )" + h.visits + R"(},
    "hpc": {"status": 3, "pin": "0000"}}}, "faults": )" + h.faults + "}";
}

std::string crlf(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

// The registration record of a dental visit today.
std::string record(const std::string& category, char dayFlag, char sameDay) {
  return kHead + category + dayFlag + kClock + kSeq + "3501234567" "1" "000000012345" + sameDay;
}

struct WriteF2 : e2e::Run {
  void registerVisit(const std::string& C, const Holder& h = Holder()) {
    simState(cardState(h));
    write("WriteF2.txt", "A123456789,\"x\"\r\n");
    run(C);
    ASSERT_FALSE(eventLines().empty());
    EXPECT_EQ(eventLines().back(), "exit");
    EXPECT_TRUE(readerLeftClosed());
  }
  // The events in this order, others between them allowed.
  bool shownInOrder(const Lines& want) const {
    size_t k = 0;
    for (const std::string& e : eventLines())
      if (k < want.size() && e == want[k]) ++k;
    return k == want.size();
  }
  json card() const { return json::parse(read("cshis-sim.json"))["readers"]["1"]["hc"]; }
  std::string signatureFile(const std::string& name) const { return read("ic/samsign/" + name); }
  // Prescription record i of a signature block: its fields, CR LF, the
  // signature, blanks, CR LF.
  static void expectPrescription(const std::string& block, size_t i, const std::string& line) {
    const std::string r = block.substr(300 + 200 * i, 200);
    EXPECT_EQ(r.substr(0, 25), kClock + '\0' + "A123456789" + '\0') << i;
    EXPECT_EQ(r.substr(25, 61), line + '\0' + std::string(60 - line.size(), ' ')) << i;
    EXPECT_EQ(r.substr(86, 2), "\r\n") << i;
    EXPECT_EQ(r.substr(88, 40).find_first_of(std::string(" \0", 2)), std::string::npos) << i;
    EXPECT_EQ(r.substr(128), std::string(70, ' ') + "\r\n") << i;
  }
};

// Date13Time of kClock: month and hour as letters, the day as one character.
std::string stampName() {
  const int day = std::stoi(kDay);
  std::string n = "a";
  n += static_cast<char>(std::stoi(kToday.substr(3, 2)) + 65);
  n += day > 9 ? static_cast<char>(day + 55) : kDay[1];
  n += static_cast<char>(9 + 65);
  return n + "3045." + kToday.substr(0, 3);
}

}  // namespace

TEST_F(WriteF2, TheRoadOfOneRegistrationWithItsTreatment) {
  write("icTreat.txt", crlf({"", "A123456789", "0750312", "K0530K0230", "", "00000800000000500000000000000000000000",
                             "2", kPrescriptionA, kPrescriptionB}));
  registerVisit("/WriteF202" + kDay + "New256/hisWriteF2Treatment");

  const std::string rec = record("02", '1', 'N');
  EXPECT_EQ(read("GetSeqN.txt"), rec + "\r\n");
  EXPECT_EQ(read("GetSeqN8.txt"), kClock + kSeq + "3501234567N\r\n");
  const std::string buffer = read("GetSeqN9.txt");
  ASSERT_EQ(buffer.size(), 502u);
  EXPECT_EQ(buffer.substr(0, 27), kClock + kSeq + "3501234567");
  EXPECT_EQ(buffer.substr(283, 13), "000000012345N");
  EXPECT_EQ(buffer.substr(296), std::string(204, ' ') + "\r\n");
  EXPECT_FALSE(has("WriteF2.txt"));

  // The registration block, then one record per prescription behind it.
  const std::string block = signatureFile(stampName());
  ASSERT_EQ(block.size(), 700u);
  EXPECT_EQ(block.substr(0, 256), buffer.substr(27, 256));
  EXPECT_EQ(block.substr(256, 44), "    [256]" + std::string(33, ' ') + "\r\n");
  const std::string lineA = kClock + kPrescriptionA.substr(13);  // the blank date filled in
  expectPrescription(block, 0, lineA);
  expectPrescription(block, 1, kPrescriptionB);

  EXPECT_EQ(calls("hisGetSeqNumber256"), (Lines{"hisGetSeqNumber256\t02\t \t1\tbuf=296\t=> 0"}));
  EXPECT_EQ(calls("hisWriteTreatmentCode"),
            (Lines{"hisWriteTreatmentCode\t" + kClock + "\tA123456789\t0750312\tK0530K0230\t\t=> 0"}));
  EXPECT_EQ(calls("hisWriteTreatmentFee"), (Lines{"hisWriteTreatmentFee\t" + kClock +
                                                  "\tA123456789\t0750312\t00000800000000500000000000000000000000\t=> 0"}));
  EXPECT_EQ(calls("hisWritePrescriptionSign"),
            (Lines{"hisWritePrescriptionSign\t" + kClock + "\tA123456789\t0750312\t" + lineA + "\tbuf=40\t=> 0",
                   "hisWritePrescriptionSign\t" + kClock + "\tA123456789\t0750312\t" + kPrescriptionB +
                       "\tbuf=40\t=> 0"}));
  EXPECT_TRUE(shownInOrder({"message\t取得就醫序號中", "message\t取得就醫序號中", "close-waiting",
                            "message\t就醫診療資料寫入作業中", "message\t診療資料寫入 完成",
                            "message\t診療費用寫入 完成", "message\t診療處方寫入", "message\t診療處方寫入",
                            "message\t診療處方寫入 完成", "message\t診療資料寫入 完成", "exit"}));

  const json hc = card();
  EXPECT_EQ(hc["remaining"], "04");
  EXPECT_EQ(hc["visits"][0]["time"], kClock);
  EXPECT_EQ(hc["visits"][0]["outpatientFee"], "00000800");
  EXPECT_EQ(hc["outpatientOrders"].size(), 2u);
}

TEST_F(WriteF2, ShortFormBlockGetsTheFillerBeforeThreePrescriptions) {
  write("icTreat.txt", crlf({kClock, "A123456789", "0750312", "", "", "", "3", "a", "b", "c"}));
  registerVisit("/WriteF2A2/hisWriteF2Treatment");
  EXPECT_EQ(read("GetSeqN.txt"), record("A2", '2', ' ') + "\r\n");
  EXPECT_EQ(read("GetSeqN9.txt"), kClock + kSeq + "3501234567" + std::string(473, ' ') + "\r\n");
  EXPECT_EQ(calls("hisGetSeqNumber"), (Lines{"hisGetSeqNumber\tA2\t \tbuf=167\t=> 0"}));
  const std::string block = signatureFile(stampName());
  ASSERT_EQ(block.size(), 900u);
  EXPECT_EQ(block.substr(128, 172), std::string(170, ' ') + "\r\n");
  for (size_t at : {300u, 500u, 700u}) EXPECT_EQ(block.substr(at, 14), kClock + '\0') << at;
  EXPECT_EQ(card()["remaining"], "05");  // "A" visits are not counted
}

TEST_F(WriteF2, ValidityDateOfTodayIsAcceptedOneDayEarlierRefused) {
  Holder h;
  h.valid = kToday;
  registerVisit("/WriteF201", h);
  EXPECT_EQ(read("GetSeqN.txt"), record("01", '2', ' ') + "\r\n");

  h.valid = rocDay(-1);
  fs::remove(path("ui.log"));
  registerVisit("/WriteF201", h);
  EXPECT_EQ(read("GetSeqN.txt"), big5("已過有效期限") + "\r\n");
  EXPECT_TRUE(shownInOrder({"close-waiting", "red\t有效期限: " + h.valid + "\t10", "exit"}));
  EXPECT_TRUE(has("WriteF2.txt"));
  EXPECT_EQ(calls("hisGetSeqNumber").size(), 1u);  // only the first run's
}

TEST_F(WriteF2, CancelledAndUsedUpCardsAreRefused) {
  struct Case {
    std::string cancel, remaining, result, shown;
  };
  for (const Case& c : {Case{"2", "05", "IC卡 已註銷", "IC卡 已註銷"},
                        Case{"1", "00", "可用次數為: 0", "IC卡 可用次數為: 0"},
                        Case{"1", "  ", "可用次數為: 0", "IC卡 可用次數為: 0"}}) {
    Holder h;
    h.cancel = c.cancel;
    h.remaining = c.remaining;
    fs::remove(path("cshis-sim.log"));
    fs::remove(path("ui.log"));
    registerVisit("/WriteF201", h);
    EXPECT_EQ(read("GetSeqN.txt"), big5(c.result) + "\r\n") << c.result;
    EXPECT_TRUE(shownInOrder({"red\t" + c.shown + "\t10", "exit"})) << c.result;
    EXPECT_TRUE(calls("hisGetSeqNumber").empty());
    EXPECT_FALSE(has("GetSeqN8.txt"));
  }
}

TEST_F(WriteF2, SecondVisitOfTheDayIsRegisteredLikeAFirst) {
  Holder h;
  h.visits = R"([{"category": "01", "newborn": " ", "time": ")" + kToday +
             R"(080000", "supplement": "1", "seq": "0007", "institution": "3509876543"}])";
  registerVisit("/WriteF202" + kDay + "New256", h);
  EXPECT_EQ(calls("hisGetSeqNumber256"), (Lines{"hisGetSeqNumber256\t02\t \t1\tbuf=296\t=> 5010"}));
  EXPECT_EQ(read("GetSeqN.txt"), record("02", '1', 'Y') + "\r\n");
  EXPECT_FALSE(has("WriteF2.txt"));
  for (const auto& e : events()) EXPECT_NE(e[0], "red");
  EXPECT_EQ(signatureFile(stampName()).size(), 300u);
}

TEST_F(WriteF2, LibraryRefusals) {
  Holder h;
  h.faults = R"([{"call": "hisGetSeqNumber256", "code": 5001}])";
  registerVisit("/WriteF201New2562", h);
  EXPECT_EQ(read("GetSeqN.txt"), big5("就醫可用次數不足") + "\r\n");
  EXPECT_FALSE(has("WriteF2.txt"));
  EXPECT_TRUE(shownInOrder({"red\t就醫可用次數不足\t20", "exit"}));
  EXPECT_EQ(calls("hisGetSeqNumber256"), (Lines{"hisGetSeqNumber256\t01\t \t2\tbuf=296\t=> 5001"}));

  h.faults = R"([{"call": "hisGetSeqNumber", "code": 5003}])";
  fs::remove(path("ui.log"));
  registerVisit("/WriteF201", h);
  EXPECT_EQ(read("GetSeqN.txt"), "5003\r\n");
  EXPECT_TRUE(has("WriteF2.txt"));
  EXPECT_TRUE(shownInOrder({"red\t卡片已過有限期限\t20", "exit"}));
  // The buffer of a failed call is no signature: nothing is filed.
  EXPECT_FALSE(fs::exists(path("ic/samsign")) && !fs::is_empty(path("ic/samsign")));
}

// A result that cannot be written is said, and WriteF2.txt stays so that
// the clinic program can try again.
TEST_F(WriteF2, AnUnwritableResultKeepsTheInputAndSaysWhich) {
  fs::create_directories(path("GetSeqN.txt"));
  registerVisit("/WriteF201" + kDay);
  EXPECT_TRUE(has("WriteF2.txt"));
  bool said = false;
  for (const auto& e : events())
    said = said || (e.size() == 3 && e[0] == "red" && e[1].rfind("無法寫入檔案: ", 0) == 0 &&
                    e[1].size() > 11 && e[1].substr(e[1].size() - 11) == "GetSeqN.txt");
  EXPECT_TRUE(said);
  EXPECT_TRUE(fs::is_directory(path("GetSeqN.txt")));
}

// No visit registered, no treatment written: it would go under another
// visit's time, or none.
TEST_F(WriteF2, WithoutWriteF2TxtNoTreatmentIsWritten) {
  simState(cardState(Holder()));
  write("icTreat.txt", crlf({kClock, "A123456789", "0750312", "K0530"}));
  run("/WriteF201/hisWriteF2Treatment");
  EXPECT_FALSE(has("GetSeqN.txt"));
  EXPECT_TRUE(shownInOrder({"red\t無資料\t6", "exit"}));
  EXPECT_FALSE(e2e::shown(events(), {"message", "就醫診療資料寫入作業中"}));
  EXPECT_TRUE(calls("hisWriteTreatmentCode").empty());
}

TEST_F(WriteF2, UnknownCategoryEndsWithItsText) {
  registerVisit("/WriteF2B1/hisWriteF2Treatment");
  EXPECT_EQ(read("GetSeqN.txt"), big5("未指定類別: B1/h") + "\r\n");
  EXPECT_TRUE(calls("hisGetRegisterBasic").empty());
  EXPECT_TRUE(calls("hisWriteTreatmentCode").empty());
}

// Each card call of the road failing still leaves GetSeqN.txt as the clinic
// program expects it, and the run ends with the reader closed.
struct Fault {
  const char* call;
  const char* result;  // empty: the registration record
  friend void PrintTo(const Fault& f, std::ostream* os) { *os << f.call; }
};
struct Failing : WriteF2, ::testing::WithParamInterface<Fault> {};

TEST_P(Failing, EndsWithTheResultFile) {
  const Fault f = GetParam();
  write("icTreat.txt", crlf({"", "A123456789", "0750312", "K0530", "", std::string(37, '0') + "1", "1", "x"}));
  Holder h;
  h.faults = std::string(R"([{"call": ")") + f.call + R"(", "code": 9100}])";
  registerVisit("/WriteF202" + kDay + "New256/hisWriteF2Treatment", h);
  EXPECT_EQ(read("GetSeqN.txt"), (*f.result ? big5(f.result) : record("02", '1', 'N')) + "\r\n");
  // The treatment writing ran to its end whenever the visit was registered.
  const std::string call = f.call;
  const bool registered = call != "hisGetRegisterBasic" && call != "hisGetSeqNumber256";
  EXPECT_EQ(calls("hisWritePrescriptionSign").size(), registered ? 1u : 0u);
  EXPECT_EQ(has("WriteF2.txt"), !registered) << "kept for the clinic program's next try";
}

INSTANTIATE_TEST_SUITE_P(Calls, Failing,
                         ::testing::Values(Fault{"hisGetRegisterBasic", "身分證不對"},
                                           Fault{"hisGetSeqNumber256", "9100"},
                                           Fault{"hisWriteTreatmentCode", ""},
                                           Fault{"hisWriteTreatmentFee", ""},
                                           Fault{"hisWritePrescriptionSign", ""},
                                           Fault{"csCloseCom", ""}),
                         [](const auto& info) { return std::string(info.param.call); });

// Two workstations register two holders in the same second (the simulated
// reader's clock stands still): the first holder's signature file is never
// written into or replaced, the second's goes beside it under its identity,
// and the second holder's prescriptions follow it there.
TEST_F(WriteF2, TwoHoldersInTheSameSecondKeepBothSignatureFiles) {
  write("icTreat.txt", crlf({"", "A123456789", "0750312", "", "", "", "1", kPrescriptionB}));
  registerVisit("/WriteF202" + kDay + "New256/hisWriteF2Treatment");
  const std::string first = signatureFile(stampName());
  ASSERT_EQ(first.size(), 500u);

  for (const char* form : {"New256", ""}) {
    std::string other = cardState(Holder());
    for (size_t at; (at = other.find("A123456789")) != std::string::npos;) other.replace(at, 10, "B223456789");
    simState(other);
    fs::remove(path("ic/samsign/" + stampName() + "-B223456789"));
    write("WriteF2.txt", "B223456789,\"y\"\r\n");
    write("icTreat.txt", crlf({"", "B223456789", "0750312", "", "", "", "1", kPrescriptionB}));
    fs::remove(path("ui.log"));
    run("/WriteF202" + kDay + form + "/hisWriteF2Treatment");
    EXPECT_EQ(signatureFile(stampName()), first) << form;
    const std::string second = signatureFile(stampName() + "-B223456789");
    ASSERT_EQ(second.size(), 500u) << form;
    EXPECT_EQ(second.substr(314, 10), "B223456789") << form;
    for (const auto& e : events()) EXPECT_NE(e[0], "red") << form << ": " << e[1];
  }
}

// Signatures the card gave and a treatment log that cannot be filed (ic\samsign
// a file, ic\dataZ2 a folder) are red messages naming what was lost.
TEST_F(WriteF2, SignaturesAndALogThatCannotBeFiledAreSaidInRed) {
  write("ic/samsign", "not a folder");
  fs::create_directories(path("ic/dataZ2"));
  write("ic/dataZ2.ind", "");
  write("icTreat.txt", crlf({"", "A123456789", "0750312", "", "", "", "1", kPrescriptionB}));
  registerVisit("/WriteF202" + kDay + "New256/hisWriteF2Treatment");
  std::vector<std::string> reds;
  for (const auto& e : events())
    if (e[0] == "red") reds.push_back(e[1]);
  ASSERT_EQ(reds.size(), 3u);
  EXPECT_EQ(reds[0].rfind("就醫簽章 未能存檔: ", 0), 0u) << reds[0];
  EXPECT_EQ(reds[1].rfind("處方簽章 未能存檔: ", 0), 0u) << reds[1];
  EXPECT_EQ(reds[2].rfind("診療紀錄 未能存檔: ", 0), 0u) << reds[2];
  EXPECT_EQ(read("ic/samsign"), "not a folder");
}
