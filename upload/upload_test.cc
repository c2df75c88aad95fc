#include "upload/upload.h"

#include <gtest/gtest.h>

#include <random>

#include <algorithm>
#include <cstring>
#include <random>

#include "platform/cp950.h"
#include "tests/support/fakecard.h"
#include "tests/support/fakes.h"

namespace {

// The reader's side of csUploadData: what it was given and what it answers.
struct UploadCall {
  std::string file, size, count;
  short len = 0;
};
std::vector<UploadCall> uploads;
int uploadAnswer = 0;
std::string receiptReply;

int CSHIS_CALL csUploadData(char* file, char* size, char* count, char* buf, short* len) {
  uploads.push_back({file, size, count, *len});
  if (uploadAnswer) return uploadAnswer;
  std::memcpy(buf, receiptReply.data(), std::min(receiptReply.size(), static_cast<size_t>(*len)));
  return 0;
}

const std::string kReceipt = "000000012345" "3501234567" "20261208093045" "20261208093050";

// A source record of UpLoadA.txt: key, text, blank-filled, CR LF.
std::string sourceRecord(const std::string& key, const std::string& text = "") {
  std::string r = key + text;
  r.resize(198, ' ');
  return r + "\r\n";
}

// A disk on which writes of one path fail.
struct FailingDisk : FakeDisk {
  std::string failing;
  bool writeAt(const std::string& p, int64_t off, const std::string& d) override {
    return p == failing ? false : FakeDisk::writeAt(p, off, d);
  }
  bool copy(const std::string& a, const std::string& b) override {
    return b == failing ? false : FakeDisk::copy(a, b);
  }
};

struct UploadRun : ::testing::Test {
  FailingDisk disk;
  FakeClock clock;
  FakeSystem sys{disk};
  FakeScreen screen;
  CardLib card;
  ::Run run{disk, clock, sys, screen, card};

  const std::string archive = "w:\\ic\\UpA12.115";  // December 2026
  const std::string reg = "w:\\ic\\ZupRn";

  void SetUp() override {
    fakecard::reset();
    CardTable t;
    t.csOpenCom = fakecard::csOpenCom;
    t.csCloseCom = fakecard::csCloseCom;
    t.csUploadData = csUploadData;
    card = CardLib(t, nullptr);
    uploads.clear();
    uploadAnswer = 0;
    receiptReply = kReceipt;
    run.settings.workDir = "w:\\";
    run.C = "/UpLoadData3";
    screen.wait = false;
    disk.files["w:\\UpLoadA.XML"] = "<xml/>";
  }

  void upload() { EXPECT_THROW(cmd_UpLoadData(run), EndOfRun); }
  std::string& file(const std::string& name) { return disk.files["w:\\" + name]; }
  bool has(const std::string& name) { return disk.files.count("w:\\" + name) > 0; }
};

}  // namespace

TEST(UploadCount, FollowsTheVerbAsTheRuntimeReadsNumbers) {
  EXPECT_EQ(uploadCountText("/UpLoadData"), "0");
  EXPECT_EQ(uploadCountText("/UpLoadData12"), "12");
  EXPECT_EQ(uploadCountText("/UpLoadData 1 2"), "12");
  EXPECT_EQ(uploadCountText("/UpLoadData12 /WriteF2"), "12");
  EXPECT_EQ(uploadCountText("/csOpenCom2 /UpLoadData007"), "7");
  EXPECT_EQ(uploadCountText("/UpLoadDataabc"), "0");
  EXPECT_EQ(uploadCountText("/UpLoadData2.5"), "2.5");
  EXPECT_EQ(uploadCountText("/UpLoadData-3"), "-3");
  EXPECT_EQ(uploadCountText("/UpLoadData99999999999999999999"), "1E+20");
  EXPECT_EQ(uploadCountText("/UpLoadData1e999"), "0");
}

TEST(UploadCount, RegisterFieldsKeepTheirWidth) {
  EXPECT_EQ(fixedDigits(12, 4), "0012");
  EXPECT_EQ(fixedDigits(0, 4), "0000");
  EXPECT_EQ(fixedDigits(2.5, 4), "0003");
  EXPECT_EQ(fixedDigits(10000, 4), "9999");
  EXPECT_EQ(fixedDigits(-3, 4), "0000");
  EXPECT_EQ(fixedDigits(1e300, 10), "9999999999");
  EXPECT_EQ(fixedDigits(2048000, 10), "0002048000");
}

TEST(UploadArchiveRecord, IsTwoHundredBytesWithTheUploadTime) {
  std::string r = archiveRecord(sourceRecord("A123456789", "abc"), "20261208093045");
  ASSERT_EQ(r.size(), 200u);
  EXPECT_EQ(r.substr(0, 13), "A123456789abc");
  EXPECT_EQ(r.substr(184, 14), "20261208093045");
  EXPECT_EQ(r.substr(198), "\r\n");
  // A short source is blank-padded; a short time too.
  r = archiveRecord("B1", "2026");
  ASSERT_EQ(r.size(), 200u);
  EXPECT_EQ(r.substr(0, 184), "B1" + std::string(182, ' '));
  EXPECT_EQ(r.substr(184, 14), "2026" + std::string(10, ' '));
}

// The cut looks only at the lead bytes before it; a walk through the whole
// field from its start must agree on any bytes.
TEST(UploadArchiveRecord, TheCutAgreesWithAWalkFromTheStart) {
  auto walked = [](std::string r) {
    r.resize(184, ' ');
    size_t i = 0;
    while (i < r.size()) i += cp950::isLead(static_cast<unsigned char>(r[i])) ? 2 : 1;
    if (i > r.size()) r.back() = '?';
    return r;
  };
  std::mt19937 rng(24);
  const std::string bytes = "a \x3F\x40\x7E\x80\x81\xA4\xFE\xFF";
  for (int n = 0; n < 3000; ++n) {
    std::string s = "A123456789";
    const size_t length = 150 + rng() % 60;
    const size_t leadsFrom = rng() % length;  // a long run of lead bytes from here
    while (s.size() < length)
      s += s.size() >= leadsFrom && rng() % 4 ? '\xA4' : bytes[rng() % bytes.size()];
    ASSERT_EQ(archiveRecord(s, "t").substr(0, 184), walked(s)) << n;
    long records = 0;
    ASSERT_EQ(archiveBlock(std::string(200, ' ') + s, "t", records), archiveRecord(s, "t")) << n;
  }
}

TEST(UploadArchiveRecord, ChineseTextIsCutAtByte184) {
  // 174 ASCII bytes after the key leave bytes 184-185 to one character.
  std::string text = std::string(173, 'x') + b5("王小明");
  std::string r = archiveRecord(sourceRecord("A123456789", text), "20261208093045");
  ASSERT_EQ(r.size(), 200u);
  EXPECT_EQ(r.substr(183, 1), "?");  // half of 王
  EXPECT_EQ(r.substr(184, 14), "20261208093045");
  // A character that ends at byte 184 is kept whole.
  text = std::string(172, 'x') + b5("王小明");
  r = archiveRecord(sourceRecord("A123456789", text), "20261208093045");
  EXPECT_EQ(r.substr(182, 2), b5("王"));
  // Other bytes, even garbled ones, stay as they were.
  std::string odd = "A123456789\x81 \xFF\x80";
  r = archiveRecord(odd, "20261208093045");
  EXPECT_EQ(r.substr(0, odd.size()), odd);
}

TEST(UploadArchiveRecord, BlankKeysAndTruncatedSources) {
  EXPECT_TRUE(blankKeyed(std::string(184, ' ')));
  EXPECT_TRUE(blankKeyed(std::string(10, ' ') + "data after the key"));
  EXPECT_FALSE(blankKeyed("         1"));
  EXPECT_TRUE(blankKeyed(""));

  long n = 0;
  std::string src = sourceRecord("A000000001") + sourceRecord("") + sourceRecord("A000000003");
  std::string block = archiveBlock(src, "20261208093045", n);
  EXPECT_EQ(n, 2);
  ASSERT_EQ(block.size(), 400u);
  EXPECT_EQ(block.substr(0, 10), "A000000001");
  EXPECT_EQ(block.substr(200, 10), "A000000003");

  // A truncated last record with its key is archived; a stray line end is not.
  block = archiveBlock(sourceRecord("A000000001") + "A000000002 cut", "20261208093045", n);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(block.substr(200, 14), "A000000002 cut");
  block = archiveBlock(sourceRecord("A000000001") + "\r\n\x1A", "20261208093045", n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(block.size(), 200u);
  EXPECT_EQ(archiveBlock("", "20261208093045", n), "");
  EXPECT_EQ(n, 0);
}

TEST(UploadTexts, RegisterLineReportAndFailure) {
  std::string line = registerLine(kReceipt, "12", 2048);
  EXPECT_EQ(line, kReceipt + "  0012  0000002048\r\n");
  EXPECT_EQ(line.size(), 70u);
  // A short or garbled receipt still gives a 70-byte line.
  EXPECT_EQ(registerLine("0000", "99999", 1).size(), 70u);
  EXPECT_EQ(registerLine(std::string(30, '\x81') + "\x20", "1", 1).size(), 70u);

  EXPECT_EQ(uploadReport(kReceipt, "12", "2048"),
            b5("上傳 12  筆資料\r\n安全模組代碼: 000000012345\r\n醫事服務機構代碼: 3501234567\r\n"
               "上傳日期時間: 20261208093045\t\r\n上傳檔案大小: 2048\t\r\n"
               "接收日期時間: 20261208093050\t"));

  EXPECT_EQ(uploadFailureText(4061, b5("網路連線失敗")), b5("錯誤代碼:  4061\r網路連線失敗"));
  EXPECT_EQ(uploadFailureText(0, ""), b5("錯誤代碼:  0\r"));
  EXPECT_EQ(uploadFailureText(-1, "x"), b5("錯誤代碼: -1\rx"));
}

TEST(UploadTexts, ReceiptCopyNameStaysInsideItsFolder) {
  EXPECT_EQ(receiptCopyName(kReceipt), "20261208093050");
  std::string bad = kReceipt.substr(0, 36) + "..\\..\\x:/*?";
  EXPECT_EQ(receiptCopyName(bad), "______x_______");
  EXPECT_EQ(receiptCopyName(std::string("abc\0", 4)), std::string(14, '_'));
}

TEST_F(UploadRun, AcceptedUploadArchivesBacksUpReportsAndRegisters) {
  file("UpLoadA.txt") = sourceRecord("A000000001", "one") + sourceRecord("") + sourceRecord("A000000003");
  upload();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].file, "w:\\UpLoadA.XML");
  EXPECT_EQ(uploads[0].size, "6");
  EXPECT_EQ(uploads[0].count, "3");
  EXPECT_EQ(uploads[0].len, 50);
  const std::string& a = disk.files[archive];
  ASSERT_EQ(a.size(), 400u);
  EXPECT_EQ(a.substr(0, 13), "A000000001one");
  EXPECT_EQ(a.substr(184, 16), "20261208093045\r\n");
  EXPECT_EQ(a.substr(200, 10), "A000000003");
  EXPECT_FALSE(has("UpLoadA.txt"));
  EXPECT_EQ(file("UpLoadA.bak").size(), 600u);
  EXPECT_EQ(file("UpLoad.err"), uploadReport(kReceipt, "3", "6") + "\r\n");
  EXPECT_EQ(file("ic\\samsign\\U20261208093050"), file("UpLoad.err"));
  EXPECT_EQ(disk.files[reg], kReceipt + "  0003  0000000006\r\n");
  EXPECT_GE(fakecard::closes, 1);
}

TEST_F(UploadRun, AppendsToEarlierRecordsAndNeverOverwritesADamagedTail) {
  disk.folders = {"w:\\ic", "w:\\ic\\samsign"};
  const std::string earlier = archiveRecord(sourceRecord("A000000009"), "20261201080000");
  disk.files[archive] = earlier + "PARTIAL";
  disk.files[reg] = std::string(70, 'R') + "RR";
  file("UpLoadA.txt") = sourceRecord("A000000001");
  upload();
  const std::string& a = disk.files[archive];
  ASSERT_EQ(a.size(), 600u);
  EXPECT_EQ(a.substr(0, 207), earlier + "PARTIAL");
  EXPECT_EQ(a.substr(207, 193), std::string(193, ' '));
  EXPECT_EQ(a.substr(400, 10), "A000000001");
  const std::string& r = disk.files[reg];
  ASSERT_EQ(r.size(), 210u);
  EXPECT_EQ(r.substr(0, 72), std::string(72, 'R'));
  EXPECT_EQ(r.substr(140), kReceipt + "  0003  0000000006\r\n");
}

TEST_F(UploadRun, AFailedArchiveWriteKeepsEarlierRecordsAndTheSource) {
  disk.folders = {"w:\\ic", "w:\\ic\\samsign"};
  disk.files[archive] = std::string(200, 'E');
  file("UpLoadA.txt") = sourceRecord("A000000001");
  disk.failing = archive;
  upload();
  EXPECT_EQ(disk.files[archive], std::string(200, 'E'));
  // The accepted upload is still reported and registered, with the failure
  // said; the source stays where it was, for no archive holds its records.
  EXPECT_EQ(file("UpLoadA.txt"), sourceRecord("A000000001"));
  EXPECT_FALSE(has("UpLoadA.bak"));
  EXPECT_EQ(disk.files[reg].size(), 70u);
  EXPECT_EQ(file("UpLoad.err"), uploadReport(kReceipt, "3", "6") + "\r\n" +
                                    b5("上傳完成 但本機存檔失敗 UpLoadA.txt 保留") + "\r\n");
}

TEST_F(UploadRun, TheSourceIsKeptWhenItsBackupCannotBeMade) {
  file("UpLoadA.txt") = sourceRecord("A000000001");
  disk.failing = "w:\\UpLoadA.bak";
  upload();
  EXPECT_EQ(file("UpLoadA.txt"), sourceRecord("A000000001"));
  EXPECT_EQ(disk.files[archive].size(), 200u);
}

TEST_F(UploadRun, MissingSourceLeavesAnEmptyBackupAndStillRegisters) {
  upload();
  EXPECT_TRUE(has("UpLoadA.bak"));
  EXPECT_EQ(file("UpLoadA.bak"), "");
  EXPECT_FALSE(disk.files.count(archive));
  EXPECT_EQ(disk.files[reg].size(), 70u);
  EXPECT_TRUE(has("ic\\samsign\\U20261208093050"));
}

TEST_F(UploadRun, AReceiptOfAnotherYearIsAFailureWithNumberZero) {
  receiptReply = "000000012345" "3501234567" "20251208093045" "20251208093050";
  file("UpLoadA.txt") = sourceRecord("A000000001");
  upload();
  EXPECT_EQ(file("UpLoad.err"), b5("錯誤代碼:  0\r\r\n"));
  EXPECT_TRUE(has("UpLoadA.txt"));
  EXPECT_FALSE(disk.files.count(archive));
  EXPECT_FALSE(disk.files.count(reg));
  EXPECT_NE(std::find(screen.events.begin(), screen.events.end(), "red|" + b5("上傳 錯誤代碼: 0") + "|10"),
            screen.events.end());
}

TEST_F(UploadRun, LargeSourcesAreArchivedInPieces) {
  std::string src;
  const long p = archive::kRecordsPerPiece, n = 2 * p + p / 2;
  for (long i = 0; i < n; ++i) src += sourceRecord("K" + std::to_string(100000000 + i));
  file("UpLoadA.txt") = src;
  upload();
  const std::string& a = disk.files[archive];
  ASSERT_EQ(a.size(), static_cast<size_t>(n) * 200u);
  for (long i : {0L, p - 1, p, 2 * p - 1, 2 * p, n - 1})
    EXPECT_EQ(a.substr(static_cast<size_t>(i) * 200, 10), "K" + std::to_string(100000000 + i)) << i;
}
