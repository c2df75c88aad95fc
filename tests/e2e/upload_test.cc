// The daily upload "/UpLoadData" end to end: UpLoad.err in its three forms,
// the monthly archive, UpLoadA.bak, the receipt copy and the register, and
// that a refused upload leaves every file of the day as it was.
#include <algorithm>
#include <ctime>

#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

std::tm today() {
  std::time_t t = std::time(nullptr);
  return *std::localtime(&t);
}

std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// This month's archive: ic\UpA + month + "." + ROC year.
std::string monthlyArchive() {
  std::tm t = today();
  return "ic/UpA" + twoDigits(t.tm_mon + 1) + "." + std::to_string(t.tm_year + 1900 - 1911);
}

bool endsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::string thisYear() { return std::to_string(today().tm_year + 1900); }

// A source record of UpLoadA.txt (CP950): key and text, blank-filled, CR LF.
std::string sourceRecord(const std::string& key, const std::string& text = "") {
  std::string r = key + text;
  r.resize(198, ' ');
  return r + "\r\n";
}

struct Upload : e2e::Run {
  std::string uploadTime, receiveTime;

  void SetUp() override {
    e2e::Run::SetUp();
    receiveAt(thisYear() + "1208093045", thisYear() + "1208093050");
    write("UpLoadA.XML", "<upload>12345</upload>\r\n");  // 24 bytes
  }

  // The reader with a SAM and fixed receipt times.
  void receiveAt(const std::string& up, const std::string& received) {
    uploadTime = up;
    receiveTime = received;
    simState(state("\"1\": {\"sam\": {\"status\": 2, \"institution\": \"3501234567\", "
                   "\"samId\": \"000000012345\"}}",
                   "\"upload\": {\"uploadTime\": \"" + up + "\", \"receiveTime\": \"" + received + "\"}"));
  }

  std::string receipt() const { return "000000012345" "3501234567" + uploadTime + receiveTime; }

  std::string report(const std::string& count, const std::string& size) const {
    return big5("上傳 " + count + "  筆資料\r\n安全模組代碼: 000000012345\r\n醫事服務機構代碼: 3501234567\r\n"
                "上傳日期時間: " + uploadTime + "\t\r\n上傳檔案大小: " + size + "\t\r\n"
                "接收日期時間: " + receiveTime + "\t\r\n");
  }

  // The program hands the library its Windows-form path; on POSIX a simulated
  // reader that cannot open such a name refuses every upload with 6017. On
  // Windows that refusal is a fault like any other.
  bool readerFoundTheFile() const {
#if defined(_WIN32)
    return true;
#else
    Lines c = calls("csUploadData");
    return c.size() != 1 || !endsWith(c[0], "=> 6017");
#endif
  }
};

#define SKIP_WITHOUT_UPLOAD_FILE()                                                          \
  do {                                                                                      \
    if (!readerFoundTheFile())                                                              \
      GTEST_SKIP() << "the simulated reader cannot open the program's path to UpLoadA.XML: " \
                   << calls("csUploadData")[0];                                             \
  } while (0)

}  // namespace

TEST_F(Upload, AnAcceptedUploadIsArchivedReportedCopiedAndRegistered) {
  std::string chinese = std::string(173, 'x') + big5("王小明");  // 王 straddles byte 184
  write("UpLoadA.txt", sourceRecord("A123456789", big5("陳大文")) + sourceRecord(std::string(10, ' '), "no key") +
                           sourceRecord("B223456789", chinese));
  run("/UpLoadData2");
  SKIP_WITHOUT_UPLOAD_FILE();

  EXPECT_EQ(read("UpLoad.err"), report("2", "24"));
  EXPECT_EQ(read("ic/samsign/U" + receiveTime), report("2", "24"));

  std::string a = read(monthlyArchive());
  ASSERT_EQ(a.size(), 400u);
  EXPECT_EQ(a.substr(0, 16), "A123456789" + big5("陳大文"));
  EXPECT_EQ(a.substr(16, 168), std::string(168, ' '));
  EXPECT_EQ(a.substr(184, 16), uploadTime + "\r\n");
  EXPECT_EQ(a.substr(200, 183), "B223456789" + std::string(173, 'x'));
  EXPECT_EQ(a.substr(383, 1), "?");
  EXPECT_EQ(a.substr(384, 16), uploadTime + "\r\n");

  EXPECT_FALSE(has("UpLoadA.txt"));
  EXPECT_EQ(read("UpLoadA.bak").size(), 600u);
  EXPECT_EQ(read("ic/ZupRn"), receipt() + "  0002  0000000024\r\n");

  Lines j = calls("csUploadData");
  ASSERT_EQ(j.size(), 1u);
  EXPECT_TRUE(endsWith(j[0], "\\\\UpLoadA.XML\t24\t2\tbuf=50\t=> 0")) << j[0];
  EXPECT_EQ(eventLines(), (Lines{"waiting\t開啟 COM: 1", "waiting\t開啟 COM: 1", "message\t就醫資料上傳中",
                                 "waiting\t上傳 完成", "delay\t3\t", "close-waiting", "title\ttemp", "exit"}));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Upload, TwoUploadsOfOneMonthShareTheArchiveAndTheRegister) {
  write("UpLoadA.txt", sourceRecord("A000000001"));
  run("/UpLoadData1");
  SKIP_WITHOUT_UPLOAD_FILE();
  std::string firstReceipt = receipt();
  receiveAt(thisYear() + "1208170000", thisYear() + "1208170005");
  write("UpLoadA.txt", sourceRecord("A000000002") + sourceRecord("A000000003"));
  run("/UpLoadData2");

  std::string a = read(monthlyArchive());
  ASSERT_EQ(a.size(), 600u);
  EXPECT_EQ(a.substr(0, 10), "A000000001");
  EXPECT_EQ(a.substr(184, 14), thisYear() + "1208093045");
  EXPECT_EQ(a.substr(200, 10), "A000000002");
  EXPECT_EQ(a.substr(400, 10), "A000000003");
  EXPECT_EQ(a.substr(584, 14), thisYear() + "1208170000");
  EXPECT_EQ(read("ic/ZupRn"), firstReceipt + "  0001  0000000024\r\n" + receipt() + "  0002  0000000024\r\n");
  EXPECT_TRUE(has("ic/samsign/U" + thisYear() + "1208093050"));
  EXPECT_TRUE(has("ic/samsign/U" + thisYear() + "1208170005"));
  EXPECT_EQ(read("UpLoadA.bak"), sourceRecord("A000000002") + sourceRecord("A000000003"));
}

TEST_F(Upload, TheCountFollowsTheVerb) {
  run("/UpLoadData");
  SKIP_WITHOUT_UPLOAD_FILE();
  EXPECT_EQ(read("UpLoad.err").substr(0, 16), big5("上傳 0  筆資料\r\n"));
  EXPECT_EQ(read("ic/ZupRn").substr(50, 20), "  0000  0000000024\r\n");
  EXPECT_TRUE(endsWith(calls("csUploadData")[0], "UpLoadA.XML\t24\t0\tbuf=50\t=> 0"));

  receiveAt(thisYear() + "1208100000", thisYear() + "1208100001");
  run("/UpLoadData12");
  EXPECT_EQ(read("UpLoad.err").substr(0, 17), big5("上傳 12  筆資料\r\n"));
  EXPECT_EQ(read("ic/ZupRn").substr(120, 20), "  0012  0000000024\r\n");

  // A count too large for the register's four digits keeps the line at 70 bytes.
  receiveAt(thisYear() + "1208110000", thisYear() + "1208110001");
  run("/UpLoadData123456");
  EXPECT_EQ(read("ic/ZupRn").size(), 210u);
  EXPECT_EQ(read("ic/ZupRn").substr(190, 20), "  9999  0000000024\r\n");
}

TEST_F(Upload, WithoutUpLoadATxtTheUploadIsStillReportedAndRegistered) {
  run("/UpLoadData3");
  SKIP_WITHOUT_UPLOAD_FILE();
  EXPECT_TRUE(has("UpLoadA.bak"));
  EXPECT_EQ(read("UpLoadA.bak"), "");
  EXPECT_FALSE(has(monthlyArchive()));
  EXPECT_EQ(read("UpLoad.err"), report("3", "24"));
  EXPECT_EQ(read("ic/samsign/U" + receiveTime), report("3", "24"));
  EXPECT_EQ(read("ic/ZupRn"), receipt() + "  0003  0000000024\r\n");
}

TEST_F(Upload, WithoutUpLoadAXmlThereIsNoData) {
  fs::remove(path("UpLoadA.XML"));
  write("UpLoadA.txt", sourceRecord("A000000001"));
  write("UpLoad.err", "old report");
  run("/UpLoadData5");
  EXPECT_EQ(read("UpLoad.err"), big5("無資料\r\n"));
  EXPECT_TRUE(calls("csUploadData").empty());
  EXPECT_EQ(read("UpLoadA.txt"), sourceRecord("A000000001"));
  EXPECT_FALSE(hasIcBesidesLog());
  EXPECT_EQ(eventLines(), (Lines{"waiting\t開啟 COM: 1", "waiting\t開啟 COM: 1", "close-waiting",
                                 "red\t每日上傳 無資料 \t6", "title\ttemp", "exit"}));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Upload, AReceiptOfAnotherYearIsRefusedWithNumberZero) {
  std::string lastYear = std::to_string(today().tm_year + 1900 - 1);
  receiveAt(lastYear + "1208093045", lastYear + "1208093050");
  write("UpLoadA.txt", sourceRecord("A000000001"));
  run("/UpLoadData1");
  SKIP_WITHOUT_UPLOAD_FILE();
  EXPECT_EQ(read("UpLoad.err"), big5("錯誤代碼:  0\r\r\n"));
  EXPECT_EQ(read("UpLoadA.txt"), sourceRecord("A000000001"));
  EXPECT_FALSE(hasIcBesidesLog());
  EXPECT_FALSE(has("UpLoadA.bak"));
  EXPECT_EQ(eventLines(), (Lines{"waiting\t開啟 COM: 1", "waiting\t開啟 COM: 1", "message\t就醫資料上傳中",
                                 "close-waiting", "red\t上傳 錯誤代碼: 0\t10", "title\ttemp", "exit"}));
}

TEST_F(Upload, ThePortalPageGetsItsSecondOnlyWhenOpened) {
  write("orvosys.ini", "[OrvoDent]\r\nic2net2=1\r\n");
  run("/UpLoadData");
  SKIP_WITHOUT_UPLOAD_FILE();
  Lines e = eventLines();
  auto open = std::find_if(e.begin(), e.end(), [](const std::string& l) { return l.rfind("open\t", 0) == 0; });
  Lines tail = open == e.end()
                   ? Lines{"delay\t3\t", "close-waiting", "title\ttemp", "exit"}
                   : Lines{"delay\t3\t", *open, "delay\t1\t", "close-waiting", "title\ttemp", "exit"};
  if (open != e.end()) {
    EXPECT_EQ(*open, "open\thttps://medvpn.local/idcportal\t");
  }
  ASSERT_GE(e.size(), tail.size());
  EXPECT_EQ(Lines(e.end() - static_cast<long>(tail.size()), e.end()), tail);
}

// Every refusal the simulated reader can give: UpLoad.err carries the code and
// its message, and the day's files stay as they were for the next attempt.
struct Refusal {
  const char* name;
  int code;
  const char* message;  // nullptr: only the number line is checked
};

class UploadRefused : public Upload, public ::testing::WithParamInterface<Refusal> {};

TEST_P(UploadRefused, LeavesTheDayAsItWas) {
  const Refusal& r = GetParam();
  std::string sam = "{\"status\": 2, \"institution\": \"3501234567\", \"samId\": \"000000012345\"}";
  std::string top = "\"upload\": {\"uploadTime\": \"" + uploadTime + "\", \"receiveTime\": \"" + receiveTime + "\"}";
  std::string name = r.name;
  if (name == "network") top = "\"network\": false, " + top;
  if (name == "noSam") sam = "null";
  if (name == "samNotAuthenticated") sam = "{\"status\": 1, \"samId\": \"000000012345\"}";
  if (name == "notASam") sam = "{\"status\": 9}";
  if (name == "fault") top += ", \"faults\": [{\"call\": \"csUploadData\", \"code\": " + std::to_string(r.code) + "}]";
  if (name == "xmlIsAFolder") {
    fs::remove(path("UpLoadA.XML"));
    fs::create_directories(path("UpLoadA.XML"));
  }
  std::string json = "{\"readers\": {\"1\": {\"sam\": " + sam + "}}, " + top + "}";
  simState(json);

  std::string earlierArchive = std::string(198, 'E') + "\r\n", earlierRegister = std::string(68, 'R') + "\r\n";
  write("UpLoadA.txt", sourceRecord("A000000001"));
  write(monthlyArchive(), earlierArchive);
  write("ic/ZupRn", earlierRegister);
  write("UpLoad.err", "old");
  run("/UpLoadData1");

  ASSERT_EQ(calls("csUploadData").size(), 1u);
  std::string n = std::to_string(r.code);
  EXPECT_TRUE(endsWith(calls("csUploadData")[0], "=> " + n));
  std::string err = read("UpLoad.err");
  std::string head = big5("錯誤代碼:  ") + n + "\r";
  EXPECT_EQ(err.substr(0, head.size()), head);
  if (r.message) {
    EXPECT_EQ(err, head + big5(r.message) + "\r\n");
  }
  EXPECT_EQ(err.substr(err.size() - 2), "\r\n");

  EXPECT_EQ(read("UpLoadA.txt"), sourceRecord("A000000001"));
  EXPECT_FALSE(has("UpLoadA.bak"));
  EXPECT_EQ(read(monthlyArchive()), earlierArchive);
  EXPECT_EQ(read("ic/ZupRn"), earlierRegister);
  EXPECT_FALSE(has("ic/samsign"));
  Lines e = eventLines();
  ASSERT_GE(e.size(), 3u);
  EXPECT_EQ(e[e.size() - 3], "red\t上傳 錯誤代碼: " + n + "\t10");
  EXPECT_TRUE(readerLeftClosed());
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, UploadRefused,
    ::testing::Values(Refusal{"network", 4061, "網路連線失敗"},
                      Refusal{"noSam", 4012, "未置入安全模組卡"},
                      Refusal{"samNotAuthenticated", 4050, nullptr},
                      Refusal{"notASam", 4032, nullptr},
                      Refusal{"xmlIsAFolder", 6017, "要上傳的檔案找不到"},
                      Refusal{"fault", 9070, "上傳資料大小不符無法接收檔案"},
                      Refusal{"fault", 6015, "檔案傳輸失敗"},
                      Refusal{"fault", 9005, "CS 處理此API 過程中發生錯誤，Status 值不可取用"},
                      Refusal{"fault", 4000, "讀卡機tmieout"}),
    [](const ::testing::TestParamInfo<Refusal>& i) { return std::string(i.param.name) + std::to_string(i.param.code); });
