// Every ready state of icsim played end to end with the verb it is for: icsim
// (icsim.exe under Wine) writes the state into the working folder as a clinic
// program's developer would, then the built ic runs against it.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/e2e/e2e.h"

using namespace e2e;
using json = nlohmann::json;

namespace {

struct Scenarios : e2e::Run {
#if defined(_WIN32)
  // The declaration window's settings are in c:\orvo.ini itself: the tests
  // that use it take turns through a lock folder.
  const fs::path lock_ = "c:/ic-e2e-declare.lock";
  bool locked_ = false;
  fs::path cDrive() const { return "c:/"; }
  void TearDown() override {
    std::error_code ec;
    if (locked_) {
      fs::remove(cDrive() / "orvo.ini", ec);
      fs::remove(lock_, ec);
    }
    e2e::Run::TearDown();
  }
  void takeCDrive() {
    std::error_code ec;
    for (int i = 0; i < 1200 && !fs::create_directory(lock_, ec); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    locked_ = true;
  }
#else
  fs::path cDrive() const { return dir / "drives" / "c"; }
  void takeCDrive() {}
#endif

  // icsim run in the working folder with these arguments.
  int icsim(const std::string& args) {
#if defined(_WIN32)
    return spawnAndWait((bin / "icsim.exe").string(), args, dir.string(), {}, 60).exitCode;
#else
    const std::string cmd = "cd '" + dir.string() + "' && '" + (bin / "icsim").string() + "' " +
                            args + " > icsim.out 2>&1";
    return std::system(cmd.c_str()) == 0 ? 0 : 1;
#endif
  }

  void declaration() {
    takeCDrive();
    writeFile(cDrive() / "orvo.ini", "[OrvoDent]\r\nOfficeCode=3501234567\r\nreportcode=demo\r\n");
    env.push_back({"DECLARE_SIM", (dir / "declare-sim.json").string()});
    env.push_back({"DECLARE_SIM_LOG", (dir / "declare-sim.log").string()});
    env.push_back({"IC_UI_OPERATOR", (dir / "operator.txt").string()});
    // The claim's totals record: fee month at byte 13, type at 19, count at
    // 277, fee at 284; and the archive sent.
    std::string totals(300, ' ');
    totals.replace(12, 5, "11511");
    totals[18] = '2';
    totals.replace(276, 4, "0012");
    totals.replace(283, 7, "0034567");
    write("totfa.10", totals);
    write("totfa.zip", "PK claim");
  }

  bool logged(const std::string& part) const {
    for (const std::string& l : eventLines())
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  bool declCalled(const std::string& start) const {
    for (const std::string& l : lines(read("declare-sim.log")))
      if (l.rfind(start, 0) == 0) return true;
    return false;
  }
  json card() const { return json::parse(read("cshis-sim.json"))["readers"]["1"]; }
};

struct Case {
  const char* scenario;
  const char* commandLine;
  std::function<void(Scenarios&)> setUp;
  std::function<void(Scenarios&)> check;
};

void noSetUp(Scenarios&) {}
void patient(Scenarios& t) { t.write("WriteF2.txt", "A123456789,\"x\"\r\n"); }
void claim(Scenarios& t) {
  t.declaration();
  t.env.push_back({"IC_UI_ANSWERS", "ok,ok,ok"});
}

const Case kCases[] = {
    {"good-card", "/ReadF4", noSetUp,
     [](Scenarios& t) {
       const std::string r = t.read("ReadF4.txt");
       EXPECT_EQ(r.size(), 78u + 14 + 2);
       EXPECT_EQ(r.substr(0, 12), "000012345678");
     }},
    {"expired-card", "/WriteF201", patient,
     [](Scenarios& t) { EXPECT_EQ(t.read("GetSeqN.txt"), big5("已過有效期限") + "\r\n"); }},
    {"no-visits-left", "/WriteF201", patient,
     [](Scenarios& t) { EXPECT_EQ(t.read("GetSeqN.txt"), big5("可用次數為: 0") + "\r\n"); }},
    {"cancelled-card", "/WriteF201", patient,
     [](Scenarios& t) { EXPECT_EQ(t.read("GetSeqN.txt"), big5("IC卡 已註銷") + "\r\n"); }},
    {"no-card", "/ReadF4", noSetUp,
     [](Scenarios& t) { EXPECT_EQ(t.read("ReadF4.txt"), big5("無卡片") + "\r\n"); }},
    {"no-reader", "/ReadF4", noSetUp,
     [](Scenarios& t) {
       EXPECT_EQ(t.calls("csOpenCom").front(), "csOpenCom\t0\t=> 4000");
       EXPECT_TRUE(shown(t.events(), {"red", "4000 無法開啟 通訊阜 1", "0"}));
     }},
    {"sam-not-authenticated", "/csVerifySAMDC", noSetUp,
     [](Scenarios& t) {
       EXPECT_EQ(t.calls("csVerifySAMDC"), (std::vector<std::string>{"csVerifySAMDC\t=> 0"}));
       EXPECT_EQ(t.card()["sam"]["status"], 2);
     }},
    {"hc-pin-locked", "/csVerifyHCPIN", noSetUp,
     [](Scenarios& t) {
       EXPECT_EQ(t.calls("csVerifyHCPIN"), (std::vector<std::string>{"csVerifyHCPIN\t=> 5102"}));
       EXPECT_TRUE(t.logged("red\t"));
     }},
    {"no-professional-card", "/VerifyHPCPIN", noSetUp,
     [](Scenarios& t) { EXPECT_TRUE(shown(t.events(), {"red", "醫師卡不存在", "6"})); }},
    {"hpc-pin-locked", "/hpcUnlockHPC", noSetUp,
     [](Scenarios& t) {
       EXPECT_EQ(t.calls("hpcUnlockHPC"), (std::vector<std::string>{"hpcUnlockHPC\t=> 0"}));
       EXPECT_EQ(t.card()["hpc"]["locked"], false);
     }},
    {"network-down", "/UpdateHC", noSetUp,
     [](Scenarios& t) {
       EXPECT_EQ(t.read("autolink.tmp"), "010\r\n");  // "0", the port, no second reader
       EXPECT_EQ(t.calls("csUpdateHCContents"),
                 (std::vector<std::string>{"csUpdateHCContents\t=> 4061"}));
     }},
    {"network-down", "/UpLoadData1",
     [](Scenarios& t) { t.write("UpLoadA.XML", "<upload>12345</upload>\r\n"); },
     [](Scenarios& t) {
       EXPECT_EQ(t.calls("csUploadData").back().substr(t.calls("csUploadData").back().size() - 7),
                 "=> 4061");
       EXPECT_TRUE(t.has("UpLoad.err"));
     }},
    {"reader-timeout", "/ReadF4", noSetUp,
     [](Scenarios& t) { EXPECT_EQ(t.read("ReadF4.txt"), "4000\r\n"); }},
    {"full-card", "/WriteF201", patient,
     [](Scenarios& t) {
       EXPECT_EQ(t.read("GetSeqN.txt").size(), 81u + 2);
       const json visits = t.card()["hc"]["visits"];
       ASSERT_EQ(visits.size(), 6u);  // the oldest dropped off
       EXPECT_EQ(visits[0]["seq"], "0008");
       EXPECT_EQ(visits[5]["seq"], "0003");
       EXPECT_EQ(t.card()["hc"]["outpatientOrders"].size(), 60u);
     }},
    {"newborn", "/WriteF201",
     [](Scenarios& t) { t.write("WriteF2.txt", "B234567890,\"x\"\r\n"); },
     [](Scenarios& t) {
       // The registration record carries the newborn's birth date and twin mark.
       const std::string r = t.read("GetSeqN.txt");
       ASSERT_EQ(r.size(), 81u + 2);
       EXPECT_EQ(r.substr(12, 10), "B234567890");
       EXPECT_EQ(r.substr(29, 8), "11512011");
     }},
    {"declare-demo", "/UploadMth/", claim,
     [](Scenarios& t) {
       EXPECT_TRUE(t.declCalled("PEA_fa_upload\tupfee.txt\ttotfa.zip"));
       EXPECT_TRUE(t.logged("申報資料 傳送成功"));
       EXPECT_EQ(t.read("uprecv.txt").size(), 15u + 1 + 19 + 1 + 5 + 1 + 9 + 2);
     }},
    {"declare-login-refused", "/UploadMth/", claim,
     [](Scenarios& t) {
       EXPECT_TRUE(t.logged("密碼錯誤"));
       EXPECT_FALSE(t.declCalled("PEA_fa_upload"));
     }},
    {"declare-service-down", "/UploadMth/", claim,
     [](Scenarios& t) {
       EXPECT_TRUE(t.logged("無法連線到伺服器"));
       EXPECT_FALSE(t.declCalled("PEA_fa_upload"));
     }},
    {"declare-library-outdated", "/UploadMth/", claim,
     [](Scenarios& t) {
       EXPECT_TRUE(t.logged("MoveFileEx"));
       EXPECT_FALSE(t.has("uprecv.txt"));
     }},
    {"declare-upload-accepted", "/ReportSample/",
     [](Scenarios& t) {
       t.declaration();
       t.write("uprecv.txt", "115120100000001 2026/12/01 09:00:00 11511 totfa.zip\r\n");
       t.write("operator.txt", "click Command2\nselect List1 0\nclick Delete\n");
       t.env.push_back({"IC_UI_ANSWERS", "yes,ok,no"});
     },
     [](Scenarios& t) {
       EXPECT_TRUE(t.logged("msgbox\t刪除\t已受理 序號:115120100000001"));
       EXPECT_EQ(t.read("uprecv.txt"), "115120100000001 2026/12/01 09:00:00 11511 totfa.zip\r\n");
     }},
    {"declare-check-result", "/ReportSample/",
     [](Scenarios& t) {
       t.declaration();
#if defined(_WIN32)
       const std::string exchange = "nhi_eiiapi.dll", reader = "Reader.dll";
#else
       const std::string exchange = "libnhi_eiiapi.so", reader = "libReader.so";
#endif
       fs::copy_file(t.bin / exchange, t.path(exchange));
       t.write(reader, "reader");
       t.write("operator.txt", "tick Check2 1\nclick Command11\nclick Command12\nclick Command13\n");
     },
     [](Scenarios& t) {
       EXPECT_EQ(t.read("unzipdir/CHK11511.txt"), big5("檢核結果:不通過\n錯誤筆數:2\n"));
     }},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.scenario << " " << c.commandLine; }

struct Played : Scenarios, ::testing::WithParamInterface<Case> {};

TEST_P(Played, WithItsVerb) {
  const Case& c = GetParam();
  c.setUp(*this);
  ASSERT_EQ(icsim(std::string("new ") + c.scenario), 0);
  run(c.commandLine);
  ASSERT_FALSE(eventLines().empty());
  EXPECT_EQ(eventLines().back(), "exit");
  c.check(*this);
}

INSTANTIATE_TEST_SUITE_P(Scenario, Played, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) {
                           std::string n = std::to_string(i.index) + "_" + i.param.scenario;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

// Each scenario icsim lists is played above.
TEST_F(Scenarios, EveryListedScenarioIsPlayed) {
#if defined(_WIN32)
  GTEST_SKIP() << "natively only: the listing is the same program's";
#else
  ASSERT_EQ(icsim("scenarios"), 0);
  int listed = 0;
  for (const std::string& l : lines(read("icsim.out"))) {
    const std::string name = l.substr(0, l.find(' '));
    ++listed;
    EXPECT_TRUE(std::any_of(std::begin(kCases), std::end(kCases),
                            [&](const Case& c) { return name == c.scenario; }))
        << name;
  }
  EXPECT_EQ(listed, 20);
#endif
}

}  // namespace

// The declaration window as the operator first sees it, from the event log
// alone: the caption with the fee month, the stored password masked, the
// three sites of Combo1, the buttons that wait for the login.
TEST_F(Scenarios, DeclarationWindowAsShown) {
  declaration();
  ASSERT_EQ(icsim("new declare-demo"), 0);
  run("/ReportSample/");
  const std::vector<std::string> ev = eventLines();
  auto at = [&](const std::string& line) {
    return std::find(ev.begin(), ev.end(), line) - ev.begin();
  };
  const long shown = at("show\tReportSample");
  ASSERT_LT(shown, static_cast<long>(ev.size()));
  ASSERT_GT(ev.size(), static_cast<size_t>(shown + 1));
  EXPECT_EQ(ev[shown + 1].rfind("caption\tReportSample\t  網路申報 資料: 11511   ", 0), 0u)
      << ev[shown + 1];
  EXPECT_GT(at("text\tReportSample\ttxtPwd\t****"), shown);
  const long sites = at("text\tReportSample\tCombo1\t網站 連結");
  ASSERT_LT(sites, static_cast<long>(ev.size()));
  std::vector<std::string> items;
  for (size_t i = sites + 1; i < ev.size() && ev[i].rfind("item\tReportSample\tCombo1\t", 0) == 0; ++i)
    items.push_back(ev[i].substr(25));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_NE(items[0].find("medvpn.nhi.gov.tw"), std::string::npos);
  EXPECT_NE(items[2].find("medcloud.nhi.gov.tw"), std::string::npos);
  EXPECT_GT(at("text\tReportSample\tUpload\t傳送申報: 11511"), shown);
  EXPECT_GT(at("enabled\tReportSample\tUpload\t0"), shown);
  EXPECT_GT(at("visible\tReportSample\tUploadheafa\t0"), shown);
  EXPECT_GT(at("enabled\tReportSample\tCommand1\t1"), shown);
}
