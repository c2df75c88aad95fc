// Treatment writing end to end through "/hisWriteTreatmentCode": what reaches
// the card, what is skipped, the prescription records behind the visit's
// signature block and the treatment log in the card-record archive.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

// A card with an earlier dental visit that the treatment is written for.
const std::string kVisit = "1151201100000";
const std::string kBlockName = "aM1K0000.115";
const std::string kLogEnd = "-----------------------\r\n";

std::string crlf(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

struct Treatment : e2e::Run {
  void SetUp() override {
    e2e::Run::SetUp();
    simState(state(reader(1, R"(, "visits": [{"category": "02", "newborn": " ", "time": ")" + kVisit +
                                   R"(", "supplement": "1", "seq": "0007", "institution": "3501234567"}])")));
    // The archive takes the log only into a store that exists.
    write("ic/dataZ2", "");
    write("ic/dataZ2.ind", "");
  }
  void treat(const Lines& input) {
    write("icTreat.txt", crlf(input));
    run("/hisWriteTreatmentCode");
    ASSERT_FALSE(eventLines().empty());
    EXPECT_EQ(eventLines().back(), "exit");
    EXPECT_TRUE(readerLeftClosed());
  }
  // The card calls past the reader's opening, closing and the identity check.
  Lines writes() const {
    Lines out;
    for (const std::string& l : journal())
      if (l.rfind("hisWrite", 0) == 0) out.push_back(l);
    return out;
  }
  bool logged(const std::string& log) const { return read("ic/dataZ2").find(log) != std::string::npos; }
};

}  // namespace

TEST_F(Treatment, DirectVerbWritesForTheHolderTheCardNames) {
  const std::string rest = "1AC45856100  " + std::string(6, ' ') + "TID" + std::string(15, ' ') + "030000900";
  treat({kVisit, "A123456789", "0750312", "K0530K0230", "", "", "1", std::string(13, ' ') + rest});
  EXPECT_EQ(calls("hisGetRegisterBasic"), (Lines{"hisGetRegisterBasic\tbuf=78\t=> 0"}));
  const std::string args = kVisit + "\tA123456789\t0750312\t";
  EXPECT_EQ(writes(), (Lines{"hisWriteTreatmentCode\t" + args + "K0530K0230\t\t=> 0",
                             "hisWritePrescriptionSign\t" + args + kVisit + rest + "\tbuf=40\t=> 0"}));
  EXPECT_FALSE(has("GetSeqN.txt"));

  // No registration block for this visit here: the short block's filler, then the record at 301.
  const std::string block = read("ic/samsign/" + kBlockName);
  ASSERT_EQ(block.size(), 500u);
  EXPECT_EQ(block.substr(0, 300), std::string(170, ' ') + "\r\n" + std::string(128, '\0'));
  EXPECT_EQ(block.substr(300, 25), kVisit + '\0' + "A123456789" + '\0');
  const std::string signature = block.substr(388, 40);
  EXPECT_TRUE(logged(crlf({kVisit, "A123456789", "0750312", "K0530K0230", "1"}) + kVisit + rest + "--" +
                     signature + "\r\n" + kLogEnd));
  EXPECT_EQ(read("ic/dataZ2.ind"), "A123456789");
}

TEST_F(Treatment, OnlyThreeLinesWriteNothingButTheLog) {
  treat({kVisit, "A123456789", "0750312"});
  EXPECT_TRUE(writes().empty());
  EXPECT_FALSE(fs::exists(path("ic/samsign")));
  EXPECT_TRUE(logged(crlf({kVisit, "A123456789", "0750312", "0"}) + kLogEnd));
}

TEST_F(Treatment, FeesOf38ZerosAreSkippedAnd37Written) {
  treat({kVisit, "A123456789", "0750312", "", "", std::string(38, '0'), "0"});
  EXPECT_TRUE(writes().empty());
  treat({kVisit, "A123456789", "0750312", "", "", std::string(37, '0'), "0"});
  EXPECT_EQ(writes(), (Lines{"hisWriteTreatmentFee\t" + kVisit + "\tA123456789\t0750312\t" +
                             std::string(37, '0') + "\t=> 0"}));
  EXPECT_TRUE(logged(crlf({kVisit, "A123456789", "0750312", std::string(37, '0'), "0"}) + kLogEnd));
}

TEST_F(Treatment, NoVisitTimeAnywhereIsReported) {
  // The direct verb's record (basic data 21-50) holds no time and there is no GetSeqN.txt.
  treat({"", "A123456789", "0750312", "K0530"});
  const std::string record = std::string(12, ' ') + "A1234567890750312M";
  const Lines shown = eventLines();
  EXPECT_NE(std::find(shown.begin(), shown.end(), "msgbox\t無就醫時間\t" + record + "\tok\tok"), shown.end());
  EXPECT_EQ(writes(), (Lines{"hisWriteTreatmentCode\t" + std::string(13, ' ') + "\tA123456789\t0750312\tK0530\t\t=> 5022"}));
}

TEST_F(Treatment, AnotherHoldersIcTreatIsRefusedBeforeAnyWrite) {
  treat({kVisit, "B987654321", "0750312", "K0530", "", "", "1", kVisit + "x"});
  EXPECT_EQ(read("GetSeqN.txt"), big5("身分證不對") + "\r\n");
  EXPECT_TRUE(writes().empty());
}
