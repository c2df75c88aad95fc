// The simulated declaration service through its C interface: a fresh folder,
// state file and journal per test, the service's day fixed by
// DECLARE_SIM_TODAY. Archives from NHI_GetB are read back through the
// program's own unpacking.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/cp950.h"
#include "platform/unzip.h"
#include "sim/declare/declare_abi.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

void setEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

std::string readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A text as the journal writes it.
std::string journaled(std::string s) {
  std::string out;
  for (char c : s) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

void writeBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// An in/out text buffer of the interface's width.
struct Text {
  char buf[DECLARE_TEXT_BUFFER] = {};
  explicit Text(const std::string& cp950 = "") { cp950.copy(buf, sizeof buf - 1); }
  std::string str() const { return buf; }
};

std::string errmsg() {
  Text t;
  EXPECT_EQ(PEA_get_errmsg(t.buf, DECLARE_TEXT_BUFFER), 0);
  return cp950::toUtf8(t.str());
}

const char* kState = R"json({
  "institutions": { "3501234567": { "password": "demo" }, "3509999999": { "password": "x" } },
  "uploads": [
    { "receipt": "115120100000007", "institution": "3501234567", "file": "totfa.zip",
      "params": ["FEE_YM=11510"], "time": "1151201100000", "accepted": true },
    { "receipt": "115120100000008", "institution": "3501234567", "file": "totfa.zip",
      "params": ["FEE_YM=11511"], "time": "1151201110000", "accepted": false }
  ],
  "downloads": { "FA11511SUM.txt": "總表\r\n第二行\n" },
  "checkResults": [ { "files": { "結果.txt": "檢核通過\n" } } ],
  "mine": { "kept": true }
})json";

class DeclareSim : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device random;
    dir_ = fs::temp_directory_path() / (std::string("declare-sim-") + t->name() + "-" +
                                        std::to_string(random()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    state_ = dir_ / "state.json";
    journal_ = dir_ / "sim.log";
    setEnv("DECLARE_SIM", state_.string());
    setEnv("DECLARE_SIM_LOG", journal_.string());
    setEnv("DECLARE_SIM_TODAY", "20261208");
    PEA_web_logout();
    writeBytes(dir_ / "Reader.dll", "reader");
    writeBytes(dir_ / "totfa.zip", "claims");
    params("APPL_TYPE=2\r\nFEE_YM=11511\r\nHOSP_ID=3501234567\r\n");
  }
  void TearDown() override {
    PEA_web_logout();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string path(const char* name) const { return (dir_ / name).string(); }
  void params(const std::string& text) { writeBytes(dir_ / "upfee.txt", text); }
  void writeState(const std::string& text) { writeBytes(state_, text); }
  json readState() { return json::parse(readBytes(state_)); }
  std::vector<std::string> journalLines() {
    std::vector<std::string> lines;
    std::istringstream in(readBytes(journal_));
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  int login(const std::string& institution = "3501234567", const std::string& password = "demo",
            int port = 1502, const char* system = "FA") {
    Text server("nhi.example"), sys(system), inst(institution), pw(password);
    return PEA_web_login(server.buf, port, sys.buf, inst.buf, pw.buf);
  }
  int upload(std::string& receipt, const char* sendFile = "totfa.zip") {
    Text p(path("upfee.txt")), f(path(sendFile));
    char buf[DECLARE_RECEIPT_WIDTH + 1];
    std::memset(buf, ' ', DECLARE_RECEIPT_WIDTH);
    buf[DECLARE_RECEIPT_WIDTH] = '\0';
    int rc = PEA_fa_upload(p.buf, f.buf, buf, DECLARE_RECEIPT_WIDTH);
    receipt = buf;
    return rc;
  }
  std::string answer() { return readBytes(dir_ / "savefile.txt"); }

  fs::path dir_, state_, journal_;
};

TEST_F(DeclareSim, DemoStateServesUntilTheFirstChangeWritesIt) {
  ASSERT_EQ(login(), 0) << errmsg();
  Text p(path("upfee.txt")), a(path("savefile.txt"));
  ASSERT_EQ(PEA_web_download_lst(p.buf, a.buf), 0) << errmsg();
  EXPECT_EQ(answer(), "FA11511ERR.txt\nFA11511SUM.txt\n");
  EXPECT_FALSE(fs::exists(state_));  // nothing changed yet

  std::string receipt;
  ASSERT_EQ(upload(receipt), 0) << errmsg();
  EXPECT_EQ(receipt, "115120800000001");
  json s = readState();
  ASSERT_EQ(s["uploads"].size(), 1u);
  EXPECT_EQ(s["uploads"][0]["params"],
            json({"APPL_TYPE=2", "FEE_YM=11511", "HOSP_ID=3501234567"}));
  EXPECT_EQ(s["institutions"]["3501234567"]["password"], "demo");
  EXPECT_FALSE(fs::exists(state_.string() + ".tmp"));
}

TEST_F(DeclareSim, LoginChecksPortSystemInstitutionAndPassword) {
  writeState(kState);
  struct Case {
    const char* institution;
    const char* password;
    int port;
    const char* system;
    int code;
    const char* text;
  } cases[] = {
      {"3501234567", "demo", 1502, "FA", 0, ""},
      {"3501234567", " demo ", 1502, "FA", 0, ""},
      {"3501234567", "demo", 443, "FA", -1, "連接埠"},
      {"3501234567", "demo", 1502, "XX", -1, "系統代碼"},
      {"3501234567", "wrong", 1502, "FA", -1, "密碼錯誤"},
      {"1111111111", "demo", 1502, "FA", -1, "密碼錯誤"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.institution) + "/" + c.password + "/" + std::to_string(c.port));
    EXPECT_EQ(login(c.institution, c.password, c.port, c.system), c.code);
    if (c.code) {
      EXPECT_NE(errmsg().find(c.text), std::string::npos) << errmsg();
    }
  }
}

TEST_F(DeclareSim, EveryServiceCallNeedsASession) {
  writeState(kState);
  Text p(path("upfee.txt")), a(path("savefile.txt")), name("FA11511SUM.txt"),
      r("115120100000008");
  std::string receipt;
  EXPECT_EQ(upload(receipt), -1);
  EXPECT_EQ(PEA_fa_recv_qry(p.buf, a.buf), -1);
  EXPECT_EQ(PEA_fa_proc_qry(p.buf, a.buf), -1);
  EXPECT_EQ(PEA_web_download_lst(p.buf, a.buf), -1);
  EXPECT_EQ(PEA_web_download_file(name.buf, a.buf), -1);
  EXPECT_EQ(PEA_fa_del(r.buf), -1);
  EXPECT_EQ(errmsg(), "尚未登入");
  EXPECT_EQ(PEA_web_logout(), 0);
  ASSERT_EQ(login(), 0);
  EXPECT_EQ(login("3501234567", "wrong"), -1);  // a failed login ends the session
  EXPECT_EQ(PEA_fa_del(r.buf), -1);
}

TEST_F(DeclareSim, UploadRecordsTheParametersAndGivesReceipts) {
  writeState(kState);
  ASSERT_EQ(login(), 0);
  std::string receipt;
  EXPECT_EQ(upload(receipt, "missing.zip"), -1);
  EXPECT_NE(errmsg().find("missing.zip"), std::string::npos);
  params("APPL_TYPE=2\nFEE_YM=\n");
  EXPECT_EQ(upload(receipt), -1);
  EXPECT_NE(errmsg().find("FEE_YM"), std::string::npos);
  params("APPL_TYPE=2\nFEE_YM=11511\n");
  ASSERT_EQ(upload(receipt), 0) << errmsg();
  EXPECT_EQ(receipt, "115120800000009");  // after the highest counter in the file
  ASSERT_EQ(upload(receipt), 0);
  EXPECT_EQ(receipt, "115120800000010");
  json s = readState();
  EXPECT_EQ(s["uploads"].size(), 4u);
  EXPECT_EQ(s["uploads"][3]["time"].get<std::string>().substr(0, 7), "1151208");
  EXPECT_EQ(s["mine"]["kept"], true);  // keys it does not know survive

  std::vector<std::string> lines = journalLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "PEA_fa_upload\t" + journaled(path("upfee.txt")) + "\t" +
                              journaled(path("totfa.zip")) +
                              "\tbuf=15\tparams=APPL_TYPE=2\\nFEE_YM=11511\t=> 0");
}

TEST_F(DeclareSim, AnswersAreCp950WithLineFeedsOnly) {
  json s = json::parse(kState);
  s["receiptAnswer"] = "收件\r\n完成\r\n";
  writeState(s.dump());
  ASSERT_EQ(login(), 0);
  Text p(path("upfee.txt")), a(path("savefile.txt"));
  ASSERT_EQ(PEA_fa_recv_qry(p.buf, a.buf), 0);
  EXPECT_EQ(answer(), cp950::fromUtf8("收件\n完成\n"));
  // Without a fixed answer: a listing of the institution's uploads.
  ASSERT_EQ(PEA_fa_proc_qry(p.buf, a.buf), 0);
  std::string listing = cp950::toUtf8(answer());
  EXPECT_NE(listing.find("115120100000007 11510"), std::string::npos) << listing;
  EXPECT_NE(listing.find("已受理"), std::string::npos) << listing;
  EXPECT_EQ(listing.find('\r'), std::string::npos);

  Text name("FA11511SUM.txt"), unknown("NOPE.txt");
  ASSERT_EQ(PEA_web_download_file(name.buf, a.buf), 0);
  EXPECT_EQ(answer(), cp950::fromUtf8("總表\n第二行\n"));
  EXPECT_EQ(PEA_web_download_file(unknown.buf, a.buf), -1);
  EXPECT_NE(errmsg().find("NOPE.txt"), std::string::npos);
}

TEST_F(DeclareSim, DeleteRemovesOnlyUploadsNotYetAccepted) {
  writeState(kState);
  ASSERT_EQ(login(), 0);
  Text accepted("115120100000007"), open("115120100000008"), unknown("115120100000099");
  EXPECT_EQ(PEA_fa_del(unknown.buf), -1);
  EXPECT_EQ(PEA_fa_del(accepted.buf), 1);
  EXPECT_EQ(PEA_fa_del(open.buf), 0);
  EXPECT_EQ(PEA_fa_del(open.buf), -1);
  json s = readState();
  ASSERT_EQ(s["uploads"].size(), 1u);
  EXPECT_EQ(s["uploads"][0]["receipt"], "115120100000007");
  // Another institution does not see them.
  ASSERT_EQ(login("3509999999", "x"), 0);
  EXPECT_EQ(PEA_fa_del(accepted.buf), -1);
}

TEST_F(DeclareSim, FaultsAnswerTheirCodeAndWearOut) {
  json s = json::parse(kState);
  s["faults"] = json::parse(R"([
    { "call": "PEA_fa_upload", "code": -3, "message": "請更新 MoveFileEx", "times": 1, "after": 1 },
    { "call": "NHI_SendB", "code": 5011 }
  ])");
  writeState(s.dump());
  ASSERT_EQ(login(), 0);
  std::string receipt;
  EXPECT_EQ(upload(receipt), 0);  // skipped
  EXPECT_EQ(readState()["faults"][0]["after"], nullptr);
  EXPECT_EQ(upload(receipt), -3);
  EXPECT_EQ(errmsg(), "請更新 MoveFileEx");
  EXPECT_EQ(upload(receipt), 0);
  json after = readState();
  ASSERT_EQ(after["faults"].size(), 1u);  // used up and removed
  Text reader(path("Reader.dll")), file(path("totfa.zip")), type("03");
  char local[DECLARE_NHI_ID_WIDTH + 1] = {}, nhi[DECLARE_NHI_ID_WIDTH + 1] = {};
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(NHI_SendB(0, reader.buf, file.buf, type.buf, local, nhi), 5011);  // every call
}

TEST_F(DeclareSim, AnUnusableStateFailsEveryCall) {
  struct Case {
    const char* name;
    std::string text;
    const char* why;
  } cases[] = {
      {"not JSON", "{ nope", "not valid JSON"},
      {"empty", "  \n", "empty"},
      {"wrong type", R"({"uploads": {}})", "uploads"},
      {"bad fault", R"({"faults": [{"call": "NHI_GetB"}]})", "faults[0].code"},
      {"too deep", std::string(40, '[') + std::string(40, ']'), "nested"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeState(c.text);
    EXPECT_EQ(login(), -1);
    EXPECT_NE(errmsg().find(c.why), std::string::npos) << errmsg();
    Text reader(path("Reader.dll")), folder(dir_.string()), type("03");
    char local[DECLARE_NHI_ID_WIDTH + 1] = {}, nhi[DECLARE_NHI_ID_WIDTH + 1] = {};
    EXPECT_EQ(NHI_DownloadB(0, reader.buf, folder.buf, type.buf, local, nhi), 5000);
    EXPECT_EQ(readBytes(state_), c.text);  // left as it was
    EXPECT_NE(journalLines().back().find(c.why), std::string::npos);
  }
  fs::remove(state_);
  fs::create_directories(state_);  // a folder is not a state file
  EXPECT_EQ(login(), -1);
}

TEST_F(DeclareSim, FileExchangeGivesIdentifiersAndTheCheckResult) {
  writeState(kState);
  Text reader(path("Reader.dll")), noReader(path("none.dll")), file(path("totfa.zip")),
      noFile(path("none.zip")), folder(path("backup")), type("03"), target(path("result.zip"));
  fs::create_directories(dir_ / "backup");
  char local[DECLARE_NHI_ID_WIDTH + 1] = {}, nhi[DECLARE_NHI_ID_WIDTH + 1] = {};
  EXPECT_EQ(NHI_SendB(0, noReader.buf, file.buf, type.buf, local, nhi), 5002);
  EXPECT_EQ(NHI_SendB(0, reader.buf, noFile.buf, type.buf, local, nhi), 5003);
  ASSERT_EQ(NHI_SendB(0, reader.buf, file.buf, type.buf, local, nhi), 0);
  EXPECT_EQ(std::string(local), "11512080000001");
  EXPECT_EQ(std::string(nhi), "11512089000001");
  // Identifiers of a sending do not fetch a check result.
  EXPECT_EQ(NHI_GetB(0, reader.buf, local, nhi, target.buf), 5023);

  Text noFolder(path("nowhere"));
  EXPECT_EQ(NHI_DownloadB(0, reader.buf, noFolder.buf, type.buf, local, nhi), 5007);
  ASSERT_EQ(NHI_DownloadB(0, reader.buf, folder.buf, type.buf, local, nhi), 0);
  EXPECT_TRUE(readState()["checkResults"].empty());  // taken from the list
  EXPECT_EQ(NHI_GetB(0, noReader.buf, local, nhi, target.buf), 5002);
  ASSERT_EQ(NHI_GetB(0, reader.buf, local, nhi, target.buf), 0);

  std::string why;
  ASSERT_TRUE(unzipAll(target.str(), path("unzipdir"), why)) << why;
  EXPECT_EQ(readBytes(dir_ / "unzipdir" / fs::u8path("結果.txt")), cp950::fromUtf8("檢核通過\n"));

  // With the list empty, a default result.
  char local2[DECLARE_NHI_ID_WIDTH + 1] = {}, nhi2[DECLARE_NHI_ID_WIDTH + 1] = {};
  ASSERT_EQ(NHI_DownloadB(0, reader.buf, folder.buf, type.buf, local2, nhi2), 0);
  EXPECT_STRNE(local, local2);
  ASSERT_EQ(NHI_GetB(0, reader.buf, local2, nhi2, target.buf), 0);
  ASSERT_TRUE(unzipAll(target.str(), path("default"), why)) << why;
  EXPECT_TRUE(fs::exists(dir_ / "default" / "CHECK.txt"));

  EXPECT_EQ(journalLines().at(1),
            "NHI_SendB\t0\t" + journaled(path("none.dll")) + "\t" + journaled(path("totfa.zip")) + "\t03\tbuf=14\tbuf=14\t=> 5002");
}

TEST_F(DeclareSim, TheExampleStatesAreUsable) {
  for (const char* name : {"declare-demo.json", "declare-faults.json"}) {
    SCOPED_TRACE(name);
    fs::copy_file(fs::path(SIM_EXAMPLES_DIR) / name, state_, fs::copy_options::overwrite_existing);
    EXPECT_EQ(login(), 0) << errmsg();
    Text p(path("upfee.txt")), a(path("savefile.txt"));
    EXPECT_EQ(PEA_web_download_lst(p.buf, a.buf), 0) << errmsg();
  }
}

}  // namespace
