#include "visit/treatment.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/cp950.h"
#include "tests/support/fakes.h"
#include "visit/samsign.h"

namespace {

// What the library was handed, one text per argument at its full field width.
struct Card {
  std::vector<std::vector<std::string>> codes, fees, signs;
  std::vector<short> signLengths;
  size_t failAt = 0;  // the call (from 1) that answers 5033; 0: none
  short lengthAfter = 40;
} card;

std::string raw(const char* p, size_t width) { return std::string(p, width); }

int CSHIS_CALL writeCode(char* t, char* id, char* birth, char* data, char* line5) {
  card.codes.push_back({raw(t, 14), raw(id, 11), raw(birth, 8), raw(data, 32), raw(line5, 11)});
  return 0;
}
int CSHIS_CALL writeFee(char* t, char* id, char* birth, char* data) {
  card.fees.push_back({raw(t, 14), raw(id, 11), raw(birth, 8), raw(data, 38)});
  return 0;
}
int CSHIS_CALL writeSign(char* t, char* id, char* birth, char* data, char* sig, short* len) {
  card.signs.push_back({raw(t, 14), raw(id, 11), raw(birth, 8), raw(data, 61)});
  card.signLengths.push_back(*len);
  if (card.signs.size() == card.failAt) return 5033;
  std::string s = "SIG" + std::to_string(card.signs.size());
  s.resize(40, '.');
  std::memcpy(sig, s.data(), 40);
  *len = card.lengthAfter;
  return 0;
}

const std::string kTime = "1151208093045";
const std::string kPath = "w:\\ic\\samsign\\aM8J3045.115";
// A registration record: identity at 13, birth date at 23, visit time at 41.
const std::string kRecord = "000012345678A1234567890750312        021" + kTime +
                            "00083501234567" "1" "000000012345" "N";

std::string lines(std::initializer_list<std::string> l) {
  std::string s;
  for (const std::string& x : l) s += x + "\r\n";
  return s;
}

struct TreatmentTest : ::testing::Test {
  FakeRun f;
  void SetUp() override {
    card = Card();
    CardTable t;
    t.hisWriteTreatmentCode = writeCode;
    t.hisWriteTreatmentFee = writeFee;
    t.hisWritePrescriptionSign = writeSign;
    f.card = CardLib(t, nullptr);
  }
  void treat(const std::string& input, const std::string& record = kRecord) {
    f.disk.files["w:\\icTreat.txt"] = input;
    hisWriteTreatment(f.run, record);
  }
  std::vector<std::string> boxes() {
    std::vector<std::string> out;
    for (auto& e : f.screen.events)
      if (e.rfind("msgbox|", 0) == 0) out.push_back(e);
    return out;
  }
};

}  // namespace

TEST_F(TreatmentTest, ArgumentFieldsCarryTheirNulAndWidth) {
  treat(lines({kTime, "A123456789", "0750312", "K0530K0230", "DOC", std::string(37, '0') + "1", "1",
               "1151208093045189001C      16                      0000100"}));
  const std::string t = kTime + '\0', id = std::string("A123456789") + '\0', birth = "0750312" + std::string(1, '\0');
  ASSERT_EQ(card.codes.size(), 1u);
  EXPECT_EQ(card.codes[0], (std::vector<std::string>{t, id, birth,
                                                     "K0530K0230" + std::string(1, '\0') + std::string(21, ' '),
                                                     "DOC" + std::string(1, '\0') + std::string(7, ' ')}));
  // Fees fill their 38 bytes: no room for the NUL.
  ASSERT_EQ(card.fees.size(), 1u);
  EXPECT_EQ(card.fees[0][3], std::string(37, '0') + "1");
  ASSERT_EQ(card.signs.size(), 1u);
  EXPECT_EQ(card.signs[0][3], "1151208093045189001C      16                      0000100" + std::string(1, '\0') +
                                  std::string(3, ' '));
  EXPECT_EQ(card.signLengths, (std::vector<short>{40}));
}

TEST_F(TreatmentTest, SignatureLengthTravelsByReferenceAndEachLineGetsItsOwnSignature) {
  card.lengthAfter = 40;
  treat(lines({kTime, "A123456789", "0750312", "", "", "", "3", "a", "b", "c"}));
  EXPECT_EQ(card.signLengths, (std::vector<short>{40, 40, 40}));
  card = Card();
  card.lengthAfter = 44;  // what the library leaves is what the next line passes
  treat(lines({kTime, "A123456789", "0750312", "", "", "", "2", "a", "b"}));
  EXPECT_EQ(card.signLengths, (std::vector<short>{40, 44}));

  // A line whose write the card refused files nothing: neither its own empty
  // signature nor the signature of the line before.
  card = Card();
  card.failAt = 2;
  f.disk.files.erase(kPath);
  treat(lines({kTime, "A123456789", "0750312", "", "", "", "2", "a", "b"}));
  ASSERT_EQ(f.disk.files[kPath].size(), 500u);
  EXPECT_EQ(f.disk.files[kPath].substr(300 + 88, 40), "SIG1" + std::string(36, '.'));
}

// A visit time that names another holder's signature file (a GetSeqN.txt left
// from another patient, or the same second) never writes into it: this
// holder's signatures go to its own file beside it, and go on going there.
TEST_F(TreatmentTest, AnotherHoldersSignaturesAreNeverReplaced) {
  treat(lines({kTime, "B987654321", "0750312", "", "", "", "1", "a"}));
  const std::string other = f.disk.files[kPath];
  ASSERT_EQ(other.size(), 500u);
  treat(lines({kTime, "A123456789", "0750312", "", "", "", "2", "a", "b"}));
  EXPECT_EQ(f.disk.files[kPath], other);
  const std::string own = f.disk.files[kPath + "-A123456789"];
  ASSERT_EQ(own.size(), 700u);
  EXPECT_EQ(own.substr(300 + 14, 10), "A123456789");
  EXPECT_EQ(own.substr(500 + 14, 10), "A123456789");

  // GetSeqN.txt of another holder gives no fallback time.
  f.disk.files["w:\\GetSeqN.txt"] = kRecord.substr(0, 40) + "1151209100000" + "0009\r\n";
  EXPECT_EQ(getTreatTime(f.run, "C111111111"), std::string(13, ' '));
}

TEST_F(TreatmentTest, VisitTimeFallsBackToTheRecordThenToGetSeqN) {
  treat(lines({"  ", "", "", "", "", "", "1", ""}));
  ASSERT_EQ(card.signs.size(), 1u);
  EXPECT_EQ(card.signs[0][0], kTime + '\0');
  EXPECT_EQ(card.signs[0][1], std::string("A123456789") + '\0');  // from the record
  EXPECT_EQ(card.signs[0][3].substr(0, 14), kTime + '\0');          // the blank line's date

  card = Card();
  f.disk.files["w:\\GetSeqN.txt"] = kRecord.substr(0, 40) + "1151209100000" + "0009\r\n";
  EXPECT_EQ(getTreatTime(f.run, "A123456789"), "1151209100000");
  treat(lines({"", "A123456789", "0750312", "", "", "", "1", "x"}), kRecord.substr(0, 30));
  EXPECT_EQ(card.signs[0][0], "1151209100000" + std::string(1, '\0'));
  // The NULs of a failed short-form registration are no visit time either.
  treat(lines({"", "A123456789", "0750312", "", "", "", "1", "x"}),
        kRecord.substr(0, 40) + std::string(13, '\0') + kRecord.substr(53));
  EXPECT_EQ(card.signs[1][0], "1151209100000" + std::string(1, '\0'));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TreatmentTest, NoVisitTimeAtAllIsReportedAndNothingIsFiled) {
  EXPECT_EQ(getTreatTime(f.run, "A123456789"), std::string(13, ' '));
  const std::string direct = kRecord.substr(0, 30);
  treat(lines({"", "A123456789", "0750312", "", "", "", "1", "x"}), direct);
  EXPECT_EQ(boxes(), (std::vector<std::string>{"msgbox|" + b5("無就醫時間") + "|" + direct}));
  EXPECT_EQ(card.signs.size(), 1u);
  for (auto& [path, data] : f.disk.files) EXPECT_EQ(path.find("samsign"), std::string::npos) << path;
}

TEST_F(TreatmentTest, CountIsBoundedByTheLinesTheFileHolds) {
  treat(lines({kTime, "A123456789", "0750312", "", "", "", "5", "a", "b"}));
  EXPECT_EQ(card.signs.size(), 2u);
  for (const char* count : {"99999", "-3", "x", ""}) {
    card = Card();
    treat(lines({kTime, "A123456789", "0750312", "", "", "", count, "a"}));
    EXPECT_TRUE(card.signs.empty()) << count;
  }
}

TEST_F(TreatmentTest, MissingInputWritesNothing) {
  hisWriteTreatment(f.run, kRecord);
  EXPECT_TRUE(card.codes.empty() && card.fees.empty() && card.signs.empty());
  EXPECT_TRUE(f.screen.events.empty());
}

TEST_F(TreatmentTest, FillerPadsTheRegistrationBlockTo300Bytes) {
  f.disk.folders = {"w:\\ic", "w:\\ic\\samsign"};
  const std::string record(200, 'r');
  f.disk.files[kPath] = std::string(256, 'L');
  filePrescription(f.run, kPath, 0, record);
  EXPECT_EQ(f.disk.files[kPath], std::string(256, 'L') + std::string(42, ' ') + "\r\n" + record);

  f.disk.files[kPath] = std::string(128, 'S');
  for (int i = 0; i < 3; ++i) filePrescription(f.run, kPath, i, record);
  EXPECT_EQ(f.disk.files[kPath], std::string(128, 'S') + std::string(170, ' ') + "\r\n" + record + record + record);

  // An absent block gets the short block's filler; the records still start at 301.
  f.disk.files.erase(kPath);
  filePrescription(f.run, kPath, 1, record);
  EXPECT_EQ(f.disk.files[kPath],
            std::string(170, ' ') + "\r\n" + std::string(128, '\0') + std::string(200, '\0') + record);
}

TEST_F(TreatmentTest, OnlyVisitTimesNameASignatureFile) {
  EXPECT_EQ(samsignPath(f.run, kTime), kPath);
  for (const std::string& t : {std::string(13, ' '), std::string(13, '\0'), std::string("115120809..\\x"),
                               std::string("115120809304"), std::string("11512080930450"),
                               std::string("1159999999999")})
    EXPECT_EQ(samsignPath(f.run, t), "") << t;
}
