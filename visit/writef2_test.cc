#include "visit/writef2.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/cp950.h"
#include "tests/support/fakes.h"

namespace {

// The holder's basic data: card number, name, identity, birth, sex, issue date,
// cancellation mark, insurer, identity mark, validity, remaining visits,
// newborn birth date and twin mark.
std::string basicData(const std::string& valid = "1201231", const std::string& remaining = "05",
                      const std::string& cancel = "1") {
  std::string name = b5("王小明");
  name.resize(20, ' ');
  return "000012345678" + name + "A123456789" + "0750312" + "M" + "1050101" + cancel + "01" + "3" +
         valid + remaining + "1140101" + "2";
}

// The card library of these tests: what the program passed and what it gets.
struct Card {
  std::string basic = basicData();
  std::string category, newborn, makeUp;
  short len = 0;
  int code = 0;
  std::string reply;
  int closes = 0;
} card;

// A text argument as the library sees it: `width` bytes, NULs included.
std::string raw(const char* p, size_t width) { return std::string(p, width); }

int CSHIS_CALL basicRead(char* buf, short* len) {
  std::memcpy(buf, card.basic.data(), card.basic.size());
  *len = static_cast<short>(card.basic.size());
  return 0;
}
int CSHIS_CALL close() {
  ++card.closes;
  return 0;
}
int CSHIS_CALL seq256(char* category, char* newborn, char* makeUp, char* buf, short* len) {
  card.category = raw(category, 3);
  card.newborn = raw(newborn, 2);
  card.makeUp = raw(makeUp, 2);
  card.len = *len;
  if (card.code == 0 || card.code == 5010) std::memcpy(buf, card.reply.data(), card.reply.size());
  return card.code;
}
int CSHIS_CALL seq128(char* category, char* newborn, char* buf, short* len) {
  card.category = raw(category, 3);
  card.newborn = raw(newborn, 2);
  card.len = *len;
  if (card.code == 0 || card.code == 5010) std::memcpy(buf, card.reply.data(), card.reply.size());
  return card.code;
}

const std::string kTime = "1151208093045";
const std::string kLongReply =
    kTime + "0008" + "3501234567" + std::string(256, 'S') + "000000012345" + "Y";
const std::string kShortReply = kTime + "0008" + "3501234567" + std::string(128, 's') + "000000067890";
const std::string kSignature = "w:\\ic\\samsign\\aM8J3045.115";

struct WriteF2Test : ::testing::Test {
  FakeRun f;
  void SetUp() override {
    card = Card();
    CardTable t;
    t.hisGetRegisterBasic = basicRead;
    t.csCloseCom = close;
    t.hisGetSeqNumber256 = seq256;
    t.hisGetSeqNumber = seq128;
    f.card = CardLib(t, nullptr);
    f.clock.today = {2026, 12, 8, 9, 30, 45};
  }
  // Runs the verb on a card whose basic data the identity check has read.
  void run(const std::string& C) {
    f.run.C = C;
    f.disk.files["w:\\WriteF2.txt"] = " A123456789 ,x\r\n";
    EXPECT_THROW(cmd_WriteF2(f.run), EndOfRun);
  }
  std::string file(const std::string& name) { return f.disk.files["w:\\" + name]; }
  bool has(const std::string& name) { return f.disk.files.count("w:\\" + name) > 0; }
};

}  // namespace

TEST_F(WriteF2Test, LongFormRecordStampAndSignatureBlock) {
  card.reply = kLongReply;
  run("/WriteF20208New256");
  EXPECT_EQ(card.category, std::string("02\0\0", 3));
  EXPECT_EQ(card.newborn, std::string(" \0", 2));
  EXPECT_EQ(card.makeUp, std::string("1\0", 2));
  EXPECT_EQ(card.len, 296);
  EXPECT_EQ(file("GetSeqN.txt"), "000012345678A1234567890750312" "1140101" "2" "02" "1" + kTime +
                                     "0008" "3501234567" "1" "000000012345" "Y\r\n");
  EXPECT_EQ(file("GetSeqN8.txt"), kTime + "00083501234567Y\r\n");
  EXPECT_EQ(file("GetSeqN9.txt"), kLongReply + std::string(204, ' ') + "\r\n");
  EXPECT_EQ(file("ic\\samsign\\aM8J3045.115"),
            std::string(256, 'S') + "    [256]" + std::string(33, ' ') + "\r\n");
  EXPECT_FALSE(has("WriteF2.txt"));
  EXPECT_TRUE(f.disk.isFolder("w:\\ic\\samsign"));
}

TEST_F(WriteF2Test, ShortFormFromTheByteArray) {
  card.reply = kShortReply;
  f.disk.folders = {"w:\\ic", "w:\\ic\\samsign"};
  // The visit's file is taken (another holder registered in the same second):
  // it stays as it is and this holder's block goes beside it.
  f.disk.files[kSignature] = std::string(300, 'x');
  run("/WriteF2A1");
  EXPECT_EQ(card.category, std::string("A1\0", 3));
  EXPECT_EQ(card.len, 167);
  // No day after the category: the day flag is "2"; the last character a blank.
  EXPECT_EQ(file("GetSeqN.txt"), "000012345678A1234567890750312" "1140101" "2" "A1" "2" + kTime +
                                     "0008" "3501234567" "1" "000000067890" " \r\n");
  EXPECT_EQ(file("GetSeqN9.txt"), kTime + "00083501234567" + std::string(473, ' ') + "\r\n");
  EXPECT_EQ(f.disk.files[kSignature], std::string(300, 'x'));
  EXPECT_EQ(f.disk.files[kSignature + "-A123456789"], std::string(128, 's'));
}

TEST_F(WriteF2Test, CategoryShorterThanFourCharactersIsPadded) {
  card.reply = kLongReply;
  run("/WriteF20New2562");
  EXPECT_EQ(card.category, std::string("0N\0", 3));
  run("/WriteF20");
  EXPECT_EQ(card.category, std::string("0 \0", 3));
  EXPECT_EQ(file("GetSeqN.txt").substr(37, 3), "0 2");
}

TEST_F(WriteF2Test, MakeUpMarkTwoWithNew2562) {
  card.reply = kLongReply;
  run("/WriteF20208 New2562");
  EXPECT_EQ(card.makeUp, std::string("2\0", 2));
}

TEST_F(WriteF2Test, AFailedCallFilesNoSignature) {
  card.code = 5003;
  run("/WriteF20208New256");
  EXPECT_EQ(file("GetSeqN.txt"), "5003\r\n");
  EXPECT_TRUE(has("GetSeqN8.txt"));
  EXPECT_TRUE(has("WriteF2.txt"));
  for (auto& [path, data] : f.disk.files) EXPECT_EQ(path.find("samsign"), std::string::npos) << path;
  EXPECT_GE(card.closes, 1);
}

TEST_F(WriteF2Test, UnknownCategoryWritesItsTextAndCallsNothing) {
  run("/WriteF2X9");
  EXPECT_EQ(file("GetSeqN.txt"), b5("未指定類別: ") + "X9  \r\n");
  EXPECT_EQ(card.len, 0);
  EXPECT_TRUE(has("WriteF2.txt"));
}

TEST_F(WriteF2Test, GarbledRepliesGiveFixedWidthResults) {
  card.reply = std::string(296, '\xA4');  // lead bytes only
  run("/WriteF20208New256");
  EXPECT_EQ(file("GetSeqN8.txt").size(), 28u + 2);
  EXPECT_EQ(file("GetSeqN9.txt").size(), 500u + 2);
  for (auto& [path, data] : f.disk.files) EXPECT_EQ(path.find("samsign"), std::string::npos) << path;
}
