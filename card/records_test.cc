#include "card/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "card/cardrecord.h"
#include "card/read.h"
#include "platform/cp950.h"
#include "tests/support/fakes.h"

namespace {

// A card of the test's own: the basic data it answers, one reply per read in
// turn (the last one repeats), and what the reader was asked.
namespace fake {

std::vector<std::string> basics;
std::vector<int> basicCodes;
size_t basicReads = 0;
std::string lastSeq = "1150007", treatment;
int treatmentCode = 0;
int opens = 0, closes = 0, lastPort = -1;

void put(char* buf, short* len, const std::string& reply) {
  std::memcpy(buf, reply.data(), std::min(reply.size(), static_cast<size_t>(*len)));
}
int CSHIS_CALL basic(char* buf, short* len) {
  size_t i = std::min(basicReads++, basics.size() - 1);
  int code = i < basicCodes.size() ? basicCodes[i] : 0;
  if (code == 0) put(buf, len, basics[i]);
  return code;
}
int CSHIS_CALL seq(char* buf, short* len) {
  put(buf, len, lastSeq);
  return 0;
}
int CSHIS_CALL noNeedHpc(char* buf, short* len) {
  if (treatmentCode) return treatmentCode;
  put(buf, len, treatment);
  return 0;
}
int CSHIS_CALL open(int port) {
  ++opens;
  lastPort = port;
  return 0;
}
int CSHIS_CALL close() {
  ++closes;
  return 0;
}

CardLib make() {
  basics = {};
  basicCodes = {};
  basicReads = 0;
  lastSeq = "1150007";
  treatment = std::string(card::kTreatmentLength, ' ');
  treatmentCode = 0;
  opens = closes = 0;
  lastPort = -1;
  CardTable t;
  t.hisGetRegisterBasic = basic;
  t.hisGetLastSeqNum = seq;
  t.hisGetTreatmentNoNeedHPC = noNeedHpc;
  t.csOpenCom = open;
  t.csCloseCom = close;
  return CardLib(t, nullptr);
}

}  // namespace fake

// The 78 bytes of a card with this identity number.
std::string basicData(const std::string& id, const std::string& remaining = "05") {
  std::string b = "000012345678" + b5("王小明") + std::string(14, ' ') + id + "0750312" + "M" +
                  "1050101" + "1" + "01" + "3" + "1201231" + remaining + std::string(8, ' ');
  b.resize(card::kBasicLength, ' ');
  return b;
}

// A 69-byte visit record.
std::string visit(const std::string& category, const std::string& time, const std::string& seq,
                  const std::string& institution, const std::string& fee,
                  const std::string& copay) {
  std::string v = category + " " + time + "1" + seq + institution + fee + copay;
  v.resize(card::kVisitSize, ' ');
  return v;
}

struct Records : ::testing::Test {
  FakeRun f;
  ::Run& run = f.run;
  void SetUp() override {
    f.card = fake::make();
    f.screen.wait = false;
    f.disk.folders = {"w:\\ic", "w:\\ic\\data"};
  }
  std::string& file(const std::string& name) { return f.disk.files["w:\\" + name]; }
  bool has(const std::string& name) { return f.disk.files.count("w:\\" + name) > 0; }
  bool shown(const std::string& event) {
    return std::find(f.screen.events.begin(), f.screen.events.end(), event) !=
           f.screen.events.end();
  }
};

// ---- the one read helper

// A failed read writes nothing: what the buffer holds afterwards must be
// blanks, not the previous reply (which would pass for this read's answer).
TEST_F(Records, EveryReadBlanksTheReplyBufferAndRecordsItsCode) {
  fake::basics = {basicData("A123456789"), basicData("B987654321")};
  fake::basicCodes = {0, 4000};
  const CardReply first = readCard(run, &CardLib::hisGetRegisterBasic, card::kBasicLength);
  ASSERT_TRUE(first.ok());
  ASSERT_EQ(first.bytes, basicData("A123456789"));
  const CardReply second = readCard(run, &CardLib::hisGetRegisterBasic, card::kBasicLength);
  EXPECT_EQ(second.code, 4000);
  EXPECT_EQ(second.bytes, std::string(card::kBasicLength, ' '));
  EXPECT_EQ(run.lastStatus, 4000);
  EXPECT_FALSE(run.reader.closed) << "no label: the caller handles the failure";

  fake::treatmentCode = 4000;
  const CardReply failed = readCard(run, &CardLib::hisGetTreatmentNoNeedHPC, card::kTreatmentLength, "就醫資料");
  EXPECT_EQ(failed.bytes, std::string(card::kTreatmentLength, ' '));
  EXPECT_TRUE(run.reader.closed) << "a labelled failure goes to msg4apierr";
  EXPECT_FALSE(run.lastError.empty());
}

// ---- identity check

using IdentityCheck = Records;

TEST_F(IdentityCheck, TheSameHolderReturnsTheBasicDataAndKeepsTheReaderOpen) {
  fake::basics = {basicData("A123456789")};
  run.reader.openPort = 1;
  // Only the first 10 characters of the identity count.
  std::string got = comaprecode(run, "A123456789 and more");
  EXPECT_EQ(got, basicData("A123456789"));
  EXPECT_EQ(f.screen.events.front(), "waiting|" + b5("核對 身分證"));
  EXPECT_EQ(fake::closes, 0);
  EXPECT_FALSE(run.reader.closed);
  EXPECT_FALSE(has("GetSeqN.txt"));
}

TEST_F(IdentityCheck, AMismatchReopensThePortAndReadsAgain) {
  fake::basics = {basicData("B987654321"), basicData("A123456789")};
  run.reader.openPort = 3;
  std::string got = comaprecode(run, "A123456789");
  EXPECT_EQ(got.substr(0, card::kBasicLength), basicData("A123456789"));
  EXPECT_EQ(fake::closes, 1);
  EXPECT_EQ(fake::opens, 1);
  EXPECT_EQ(fake::lastPort, 2);
  EXPECT_EQ(run.reader.openPort, 3);
  // Reopened: the common exit still has to close it.
  EXPECT_FALSE(run.reader.closed);
}

TEST_F(IdentityCheck, AnotherHolderEndsTheRunWithTheResultForTheClinicProgram) {
  fake::basics = {basicData("B987654321")};
  run.reader.openPort = 1;
  EXPECT_THROW(comaprecode(run, "A123456789"), EndOfRun);
  EXPECT_EQ(file("GetSeqN.txt"), b5("身分證不對") + "\r\n");
  EXPECT_TRUE(shown("red|" + b5("身分證不同人") + "|6"));
  EXPECT_EQ(fake::basicReads, 2u);
  // Closed after the first read, and after the reopen by the common exit.
  EXPECT_EQ(fake::closes, 2);
  EXPECT_TRUE(run.reader.closed);
}

TEST_F(IdentityCheck, WithoutAPortThereIsNoSecondRead) {
  fake::basics = {basicData("B987654321")};
  run.reader.openPort = 0;
  EXPECT_THROW(comaprecode(run, "A123456789"), EndOfRun);
  EXPECT_EQ(fake::basicReads, 1u);
  EXPECT_EQ(fake::opens, 0);
  EXPECT_EQ(fake::closes, 1);  // the reader is closed once in all
}

TEST_F(IdentityCheck, AFailedReadIsNeverTheSameHolder) {
  // Both reads fail.
  fake::basics = {basicData("A123456789")};
  fake::basicCodes = {4000, 4000};
  run.reader.openPort = 1;
  EXPECT_THROW(comaprecode(run, "A123456789"), EndOfRun);
  EXPECT_EQ(file("GetSeqN.txt"), b5("身分證不對") + "\r\n");
}

TEST_F(IdentityCheck, AShortIdentityNeverMatchesAFullOne) {
  fake::basics = {basicData("A123456789")};
  EXPECT_THROW(comaprecode(run, "A12345678"), EndOfRun);
}

// ---- institution names

using InstitutionName = Records;

std::string cacheRecord(const std::string& code, const std::string& name) {
  std::string r = code + name;
  r.resize(kOffsRecord, ' ');
  return r;
}

TEST_F(InstitutionName, ShortCodesComeBackTrimmed) {
  EXPECT_EQ(GetOffsCode(run, "  12345  ", 0), "12345");
  EXPECT_EQ(GetOffsCode(run, std::string(10, ' '), 0), "");
}

TEST_F(InstitutionName, TheCacheIsCutAtABarABlankOrALineEndButNotInsideACharacter) {
  file("OffsCode") = cacheRecord("1111111111", "abc|def") + cacheRecord("2222222222", "gh ij") +
                     cacheRecord("3333333333", "kl\rmn") +
                     cacheRecord("3501234567", b5("四季牙醫|總院"));
  EXPECT_EQ(GetOffsCode(run, "1111111111", 1), "abc");
  EXPECT_EQ(GetOffsCode(run, "2222222222", 1), "gh");
  EXPECT_EQ(GetOffsCode(run, "3333333333", 1), "kl");
  // The second byte of 四 is the byte of "|".
  EXPECT_EQ(GetOffsCode(run, " 3501234567 ", 1), b5("四季牙醫"));
}

TEST_F(InstitutionName, ACachedNameWinsOverTheList) {
  file("OffsCode") = cacheRecord("3501234567", b5("快取牙醫"));
  file("OTH03003.txt") = "3501234567 " + b5("清單牙醫") + "\r\n";
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), b5("快取牙醫"));
}

TEST_F(InstitutionName, FlagOneNeverReadsTheList) {
  file("OTH03003.txt") = "3501234567 " + b5("清單牙醫") + "\r\n";
  EXPECT_EQ(GetOffsCode(run, "3501234567", 1), "3501234567");
  EXPECT_FALSE(has("OffsCode"));
}

TEST_F(InstitutionName, AListedNameIsFoundAndCached) {
  file("OffsCode") = cacheRecord("1111111111", "abc") + "xx";  // a torn last record
  file("OTH03003.txt") =
      "35012345670," + b5("長碼") + "\r\n" + "3501234567," + b5("清單牙醫診所") + ",台北市\r\n";
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), b5("清單牙醫診所"));
  EXPECT_EQ(file("OffsCode"),
            cacheRecord("1111111111", "abc") + cacheRecord("3501234567", b5("清單牙醫診所")));
  file("OTH03003.txt").clear();
  EXPECT_EQ(GetOffsCode(run, "3501234567", 1), b5("清單牙醫診所"));
}

TEST_F(InstitutionName, ALineAcrossTwoBlocksOfTheListIsFound) {
  std::string list;
  while (list.size() < static_cast<size_t>(kOthBlock) - 5) list += "9999999999 filler\r\n";
  list.resize(static_cast<size_t>(kOthBlock) - 5, 'x');
  list += "\r\n3501234567\t" + b5("跨區牙醫") + "\r\n";
  file("OTH03003.txt") = list;
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), b5("跨區牙醫"));
}

TEST_F(InstitutionName, ALongNameIsCutToTheCacheFieldAtACharacter) {
  file("OTH03003.txt") = "3501234567 " + b5("一二三四五六七八九十壹") + "\n";
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), b5("一二三四五六七八九十"));
  file("OTH03003.txt") = "3501234568 a" + b5("一二三四五六七八九十") + "\n";
  run.cardMemo.reset();  // the list is read once a run: the next run
  EXPECT_EQ(GetOffsCode(run, "3501234568", 0), "a" + b5("一二三四五六七八九"));
}

TEST_F(InstitutionName, NothingFoundGivesTheCode) {
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), "3501234567");
  EXPECT_FALSE(has("OffsCode"));  // without a list there is nothing to remember
  for (const std::string list : {"garbage without lines", "3501234567\r\n3501234567 \r\n"}) {
    run.cardMemo.reset();
    f.disk.files.erase("w:\\OffsCode");
    file("OTH03003.txt") = list;  // the second holds codes without names
    EXPECT_EQ(GetOffsCode(run, "3501234567", 0), "3501234567") << list;
    EXPECT_EQ(file("OffsCode"), cacheRecord("3501234567", "")) << list;
  }
}

// A code the list lacks is searched once a run, and later runs take the
// cache's record without a name for it until the list is replaced.
TEST_F(InstitutionName, AMissIsRememberedUntilTheListChanges) {
  file("OTH03003.txt") = "1111111111," + b5("別家") + "\r\n";
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), "3501234567");
  file("OTH03003.txt") = "3501234567," + b5("新設牙醫") + "\r\n";
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), "3501234567") << "the same run";

  run.cardMemo.reset();
  f.disk.times["w:\\OTH03003.txt"] = {2026, 12, 1, 8, 0, 0};
  f.disk.times["w:\\OffsCode"] = {2026, 12, 8, 9, 0, 0};
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), "3501234567") << "the list is older";
  EXPECT_EQ(GetOffsCode(run, "3501234567", 1), "3501234567");

  run.cardMemo.reset();
  f.disk.times["w:\\OTH03003.txt"] = {2026, 12, 9, 8, 0, 0};
  EXPECT_EQ(GetOffsCode(run, "3501234567", 0), b5("新設牙醫")) << "a newer list";
  EXPECT_EQ(file("OffsCode"), cacheRecord("3501234567", "") + cacheRecord("3501234567", b5("新設牙醫")));
  run.cardMemo.reset();
  EXPECT_EQ(GetOffsCode(run, "3501234567", 1), b5("新設牙醫")) << "the name wins";
}

// ---- six-visit summary

using SixVisits = Records;

TEST_F(SixVisits, HolderLinesThenOneLinePerRecordedVisit) {
  fake::basics = {basicData("A123456789", "04")};
  fake::treatment.replace(
      card::visitByte(0, 1) - 1, card::kVisitSize,
      visit("02", "1151201100000", "0007", "3501234567", "00001200", "00000050"));
  fake::treatment.replace(
      card::visitByte(1, 1) - 1, card::kVisitSize,
      visit("AB", "1151101083000", "0006", "1111111111", "00000800", "00000000"));
  fake::treatment.replace(card::visitByte(3, 1) - 1, card::kVisitSize,
                          visit("01", "1150901083000", "0004", "2222222222", "", ""));
  file("OffsCode") = cacheRecord("3501234567", b5("四季牙醫"));

  const std::string want =
      b5("   卡號:000012345678  身份證:A123456789\r\n"
         "可用次數: 04   有效期限:120年12月31日   最近一次就醫序號: 1150007\r\n"
         "115年12月01日  10時00分00秒  類別:02牙醫 序號:0007   院所:四季牙醫  門診:1200 "
         "部分負擔:50\r\n"
         "115年11月01日  08時30分00秒  不累計就醫序號: AB 序號:0006   院所:1111111111  門診:800 "
         "部分負擔:0\r\n"
         "115年09月01日  08時30分00秒  類別:01西醫 序號:0004   院所:2222222222  門診:0 部分負擔:0");
  EXPECT_EQ(Data6Times(run), want);
  EXPECT_TRUE(run.lastError.empty());
}

TEST_F(SixVisits, AFailedTreatmentReadIsReportedAndListsNoVisits) {
  fake::basics = {basicData("A123456789")};
  fake::treatmentCode = 4000;
  const std::string text = Data6Times(run);
  EXPECT_EQ(text.find("\r\n", text.find("\r\n") + 2), std::string::npos);  // two lines only
  EXPECT_EQ(run.lastStatus, 4000);
  EXPECT_TRUE(run.reader.closed);
  EXPECT_FALSE(run.lastError.empty());
}

// ---- portal page

using PortalPage = Records;

TEST_F(PortalPage, OpensOnlyWhenTheSettingIsOne) {
  EXPECT_EQ(HttpicExecute(run, "https://portal/idcportal"), 0);
  file("orvosys.ini") = "[OrvoDent]\r\nic2net2=0\r\n";
  EXPECT_EQ(HttpicExecute(run, "https://portal/idcportal"), 0);
  EXPECT_FALSE(shown("open|https://portal/idcportal"));
  file("orvosys.ini") = "[OrvoDent]\r\nic2net2=1\r\n";
  EXPECT_EQ(HttpicExecute(run, "https://portal/idcportal"), 1);
  EXPECT_TRUE(shown("open|https://portal/idcportal"));
}

// ---- log list

using LogList = Records;

TEST_F(LogList, ATextIsAddedOneLinePerCrLfPiece) {
  lst1additm(run, "one\r\ntwo\rstill two\r\n\r\nfour");
  lst1additm(run, "");
  lst1additm(run, "last\r\n");
  EXPECT_EQ(run.list1, (std::vector<std::string>{"one", "two\rstill two", "", "four", "last", ""}));
  EXPECT_EQ(f.screen.events.size(), run.list1.size());
}

TEST_F(LogList, SavedIntoIcDatTmpAndFiledUnderTheHolder) {
  run.list1 = {b5("----------------基本資料段---------------"), b5("身份證字號:  A123456789"), "x"};
  List1DataSave(run);
  const std::string want = run.list1[0] + "\r\n" + run.list1[1] + "\r\nx\r\n";
  EXPECT_EQ(file("IcDatTmp.txt"), want);
  EXPECT_EQ(file("ic\\data\\ZA123456789_3"), want);
  EXPECT_EQ(listHolder(run), "A123456789");

  // A second save of the same list in the run adds nothing; the next run's
  // report follows the earlier one and neither is lost.
  List1DataSave(run);
  EXPECT_EQ(file("ic\\data\\ZA123456789_3"), want);
  run.cardMemo.reset();
  List1DataSave(run);
  EXPECT_EQ(file("ic\\data\\ZA123456789_3"), want + want);
  EXPECT_EQ(file("IcDatTmp.txt"), want);
}

// The history grows by appends up to its MB; a report that would pass it
// leaves the newest 768 KB, cut at a line end, and the report after them.
TEST_F(LogList, AFullHistoryKeepsItsNewestPart) {
  run.list1 = {b5("身份證字號:  A123456789")};
  const std::string report = run.list1[0] + "\r\n";
  std::string& history = file("ic\\data\\ZA123456789_3");
  const std::string line(98, 'h');
  while (history.size() + report.size() + 100 <= (size_t{1} << 20)) history += line + "\r\n";
  const std::string before = history;
  List1DataSave(run);
  EXPECT_EQ(history, before + report) << "an append while it fits";

  run.cardMemo.reset();
  run.list1.push_back(std::string(200, 'n'));
  List1DataSave(run);
  const std::string now = file("ic\\data\\ZA123456789_3");
  EXPECT_LE(now.size(), size_t{768} << 10);
  EXPECT_GT(now.size(), (size_t{768} << 10) - 120);
  EXPECT_EQ(now.substr(0, line.size() + 2), line + "\r\n") << "cut at a line end";
  EXPECT_EQ(now.substr(now.size() - 202), std::string(200, 'n') + "\r\n");
}

TEST_F(LogList, WithoutAPlainIdentityThereIsNoCopy) {
  run.list1 = {b5("身份證字號:  ../../x/y/")};
  List1DataSave(run);
  EXPECT_EQ(file("IcDatTmp.txt"), run.list1[0] + "\r\n");
  for (const auto& [path, data] : f.disk.files)
    EXPECT_EQ(path.find("_3"), std::string::npos) << path;
}

}  // namespace
