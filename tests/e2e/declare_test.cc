// The declaration window end to end: the built ic in record mode, operated by
// a script, against the simulated declaration libraries.
#include <algorithm>
#include <thread>

#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

// The lines of a CR LF text file, without their ends.
Lines crlfLines(const std::string& text) {
  Lines out = lines(text);
  for (std::string& l : out)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  return out;
}

std::string libFile(const std::string& base) {
#if defined(_WIN32)
  return base + ".dll";
#else
  return "lib" + base + ".so";
#endif
}

// A claim total record: fee month at byte 13, application type at 19, count
// at 277 and fee at 284.
std::string totfa(const std::string& feeMonth, char applType, const std::string& count,
                  const std::string& fee) {
  std::string r(300, ' ');
  r.replace(12, 5, feeMonth);
  r[18] = applType;
  r.replace(276, 4, count);
  r.replace(283, 7, fee);
  return r;
}

// The fixed paths c:\orvo.ini and c:\drugt: under $IC_DRIVE_ROOT on POSIX,
// on the drive itself on Windows, where the tests take turns through a lock
// folder so that parallel test processes never share them.
struct Declare : e2e::Run {
  fs::path cDrive() const {
#if defined(_WIN32)
    return fs::path("c:/");
#else
    return dir / "drives" / "c";
#endif
  }
  void writeC(const std::string& name, const std::string& data) { writeFile(cDrive() / name, data); }
  std::string readC(const std::string& name) const { return readFile(cDrive() / name); }
#if defined(_WIN32)
  const fs::path lock_ = "c:/ic-e2e-declare.lock";
  void TearDown() override {
    std::error_code ec;
    fs::remove(cDrive() / "orvo.ini", ec);
    fs::remove(cDrive() / "drugt", ec);
    fs::remove(lock_, ec);
    e2e::Run::TearDown();
  }
#endif
  void SetUp() override {
    e2e::Run::SetUp();
#if defined(_WIN32)
    // A lock left by a crashed run is taken over after two minutes.
    std::error_code ec;
    for (int i = 0; i < 1200 && !fs::create_directory(lock_, ec); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
#endif
    env.push_back({"DECLARE_SIM", (dir / "declare-sim.json").string()});
    env.push_back({"DECLARE_SIM_LOG", (dir / "declare-sim.log").string()});
    env.push_back({"IC_UI_OPERATOR", (dir / "operator.txt").string()});
    orvoIni("3501234567", "demo");
    write("totfa.10", totfa("11511", '2', "0012", "0034567"));
    write("totfa.zip", "PK claim");
    declState(R"("uploads": [
        {"receipt": "115120100000001", "institution": "3501234567", "file": "totfa.zip",
         "params": ["FEE_YM=11510"], "time": "1151201090000", "accepted": false},
        {"receipt": "115120100000002", "institution": "3501234567", "file": "totfa.zip",
         "params": ["FEE_YM=11510"], "time": "1151201090000", "accepted": true}],
      "downloads": {"FA11511SUM.txt": "line one\nline two\n", "FA11511ERR.txt": "err\n"},
      "checkResults": [{"files": {"CHK11511.txt": "result"}}])");
    write("uprecv.txt", "115120100000001 2026/12/01 09:00:00 11510 totfa.zip\r\n"
                        "115120100000002 2026/12/01 09:00:00 11510 totfa.zip\r\n");
  }
  void orvoIni(const std::string& office, const std::string& password) {
    writeC("orvo.ini", "[OrvoDent]\r\nOfficeCode=" + office + "\r\n" +
                                   (password.empty() ? "" : "reportcode=" + password + "\r\n"));
  }
  void declState(const std::string& body) {
    write("declare-sim.json", R"({"institutions": {"3501234567": {"password": "demo"}},
      "today": "20261208", )" + body + "}");
  }
  void script(const std::string& lines) { write("operator.txt", lines); }
  void answers(const std::string& a) { env.push_back({"IC_UI_ANSWERS", a}); }
  void withExchange() {
    fs::copy_file(bin / libFile("nhi_eiiapi"), path(libFile("nhi_eiiapi")));
    write(libFile("Reader"), "reader");
  }
  // Journal lines of the declaration libraries, without notes after the code.
  Lines declCalls() const {
    Lines out;
    for (std::string l : lines(read("declare-sim.log"))) {
      size_t arrow = l.rfind("\t=> ");
      size_t tab = arrow == std::string::npos ? arrow : l.find('\t', arrow + 1);
      if (tab != std::string::npos) l.erase(tab);
      out.push_back(l);
    }
    return out;
  }
  bool logged(const std::string& line) const {
    Lines ev = eventLines();
    return std::find(ev.begin(), ev.end(), line) != ev.end();
  }
  // A shell open of something in the working folder, named by its end.
  bool opened(const std::string& end) const {
    for (const std::string& l : eventLines())
      if (l.rfind("open\t", 0) == 0 && l.size() >= end.size() &&
          l.compare(l.size() - end.size(), end.size(), end) == 0)
        return true;
    return false;
  }
  std::string services() const { return "enabled\tReportSample\t"; }
};

}  // namespace

TEST_F(Declare, LoginRightEnablesTheServiceButtonsAndWrongKeepsThemOff) {
  const struct {
    const char* typed;
    bool ok;
  } cases[] = {{"demo", true}, {"wrong", false}, {"  demo  ", true}};
  for (const auto& c : cases) {
    fs::remove(path("ui.log"));
    script(std::string("type txtPwd ") + c.typed + "\nclick Command2\nclick Upload\n");
    run("/ReportSample/");
    EXPECT_TRUE(logged("topmost\tReportSample")) << c.typed;
    EXPECT_EQ(logged(services() + "Upload\t1"), c.ok) << c.typed;
    EXPECT_EQ(logged(services() + "Command4\t1"), c.ok) << c.typed;
    EXPECT_EQ(logged("ignored\tUpload\tdisabled"), !c.ok) << c.typed;
    if (!c.ok) {
      EXPECT_TRUE(logged("msgbox\t申報傳送\t登入網站 錯誤: 密碼錯誤\tok\tok")) << c.typed;
    }
  }
  EXPECT_EQ(declCalls().back(), "PEA_web_logout\t=> 0");
}

TEST_F(Declare, ABlankPasswordSendsNothing) {
  orvoIni("3501234567", "");
  script("type txtPwd    \nclick Command2\n");
  run("___/ReportSample/");
  EXPECT_TRUE(logged("msgbox\t請先輸入連線密碼\t請向健保局查問 連線密碼\tok\tok"));
  EXPECT_FALSE(logged("topmost\tReportSample"));  // only for exactly /ReportSample/
  EXPECT_FALSE(has("declare-sim.log"));
}

TEST_F(Declare, UploadAfterConfirmationRecordsTheReceipt) {
  script("click Command2\nclick Upload\n");
  answers("ok");
  run("/ReportSample/");
  EXPECT_TRUE(logged("msgbox\t傳送申報: 11511\t\\r\\r筆數:   12\\r費用: 34567\tokcancel\tok"));
  EXPECT_TRUE(logged("msgbox\t申報傳送\t申報資料 傳送成功\tok\tok"));
  const Lines calls = declCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(),
                      "PEA_fa_upload\tupfee.txt\ttotfa.zip\tbuf=15\tparams=APPL_TYPE=2\\nFEE_YM=11511"
                      "\\nMONTH_MARK=3\\nHOSP_DATA_TYPE=13\\nFILE_DATA_TYPE=2\\nCH_CODE=B"
                      "\\nCOMPRESS_MARK=Z\t=> 0"),
            calls.end());
  const Lines recv = crlfLines(read("uprecv.txt"));
  ASSERT_EQ(recv.size(), 3u);
  EXPECT_EQ(recv[2].substr(0, 16), "115120800000003 ");
  EXPECT_TRUE(logged("item\tReportSample\tList1\t" + recv[2]));
  EXPECT_NE(readC("orvo.ini").find("reportcode=demo"), std::string::npos);
}

TEST_F(Declare, CancelledUploadWritesNoParametersButKeepsThePassword) {
  orvoIni("3501234567", "");
  script("type txtPwd demo\nclick Command2\nclick Upload\n");
  answers("cancel");
  run("/ReportSample/");
  EXPECT_FALSE(has("upfee.txt"));
  EXPECT_NE(readC("orvo.ini").find("reportcode=demo"), std::string::npos);
  EXPECT_EQ(lines(read("uprecv.txt")).size(), 2u);
}

TEST_F(Declare, AFailedUploadShowsTheLibrarysTextAndLeavesTheLogAlone) {
  declState(R"("faults": [{"call": "PEA_fa_upload", "code": -3, "message": "MoveFileEx 失敗"}])");
  script("click Command2\nclick Upload\n");
  answers("ok");
  run("/ReportSample/");
  EXPECT_TRUE(logged("msgbox\t申報傳送\t申報資料 傳送 錯誤:  MoveFileEx 失敗\tok\tok"));
  EXPECT_EQ(lines(read("uprecv.txt")).size(), 2u);
}

TEST_F(Declare, QueryAnswerIsConvertedAndOpened) {
  declState(R"("receiptAnswer": "first\nsecond")");
  script("click Command2\nclick Command5\n");
  run("/ReportSample/");
  EXPECT_EQ(read("savefile.txt"), "first\r\nsecond\r\n");
  EXPECT_TRUE(opened("\\\\savefile.txt\t"));
}

TEST_F(Declare, ListThenDownloadTheChosenFile) {
  write("edit.exe", "");
  script("click Command2\nclick Command6\nselect List1 1\nclick Command7\n");
  run("/ReportSample/");
  EXPECT_TRUE(logged("item\tReportSample\tList1\tFA11511SUM.txt"));
  EXPECT_TRUE(logged("enabled\tReportSample\tCommand7\t1"));
  EXPECT_EQ(read("savefile.txt"), "line one\r\nline two\r\n");
  EXPECT_EQ(read("filetemp.tmp"), "line one\r\nline two\r\n");
  EXPECT_TRUE(opened("\\\\edit.exe\tsavefile.txt"));
}

TEST_F(Declare, DeletionAsksAndFollowsTheInsurersAnswer) {
  // The first upload is deleted; the second was accepted: kept in the list on "no".
  script("click Command2\nselect List1 0\nclick Delete\nselect List1 0\nclick Delete\n");
  answers("yes,ok,yes,ok,no");
  run("/ReportSample/");
  EXPECT_TRUE(logged("msgbox\t刪除\t刪除 已傳送資料序號: 115120100000001\tyesno\tyes"));
  EXPECT_TRUE(logged("msgbox\t成功 刪除\t成功 刪除序號:115120100000001\tok\tok"));
  EXPECT_TRUE(logged("msgbox\t刪除\t已受理 序號:115120100000002\tok\tok"));
  EXPECT_TRUE(logged("msgbox\t刪除\t確定移除該項表列\tyesno\tno"));
  EXPECT_EQ(read("uprecv.txt"), "115120100000002 2026/12/01 09:00:00 11510 totfa.zip\r\n");
  EXPECT_EQ(read("uprecv.del"), "115120100000001 2026/12/01 09:00:00 11510 totfa.zip\r\n");
}

TEST_F(Declare, DeletionRefusedSendsNothing) {
  script("click Command2\nselect List1 0\nclick Delete\n");
  answers("no");
  run("/ReportSample/");
  for (const std::string& l : declCalls()) EXPECT_EQ(l.find("PEA_fa_del"), std::string::npos);
  EXPECT_EQ(lines(read("uprecv.txt")).size(), 2u);
}

TEST_F(Declare, ReaderExchangeSendsRequestsAndUnpacks) {
  withExchange();
  script("tick Check2 1\nclick Command11\nclick Command12\nclick Command13\n");
  run("/ReportSample/");
  EXPECT_TRUE(logged("msgbox\t傳送\t上傳 完成\tok\tok"));
  const Lines code = crlfLines(read("savecode.txt"));
  ASSERT_EQ(code.size(), 1u);
  // The local and the insurer's identifier (14 digits each), then the time and the file.
  EXPECT_EQ(code[0].size(), 14u + 1 + 14 + 1 + 19 + 1 + 9);
  EXPECT_EQ(code[0].substr(0, 8), "11512080");
  EXPECT_EQ(code[0].substr(15, 8), "11512089");
  EXPECT_EQ(code[0].substr(code[0].size() - 9), "totfa.zip");
  const Lines ids = lines(read("NHI_ID"));
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(read("unzipdir/CHK11511.txt"), "result");
  bool sentPrecheck = false;
  for (const std::string& l : declCalls())
    if (l.rfind("NHI_SendB\t0\t", 0) == 0 && l.find("\t05\t") != std::string::npos) sentPrecheck = true;
  EXPECT_TRUE(sentPrecheck);
  EXPECT_TRUE(fs::is_directory(path("filesave")));
}

TEST_F(Declare, MissingLibrariesAreMessagesAndTheWindowGoesOn) {
  // No nhi_eiiapi in the working folder; a program folder without PEAT1511B01.
  const fs::path alone = dir / "alone";
  fs::create_directories(alone);
  fs::copy_file(bin / programName("ic"), alone / programName("ic"));
  script("click Command11\nclick Command2\nclick Command11\n");
  run("/ReportSample/", alone / programName("ic"));
  const Lines ev = eventLines();
  EXPECT_EQ(std::count(ev.begin(), ev.end(), "msgbox\tnhi_eiiapi\t缺  nhi_eiiapi.dll\tok\tok"), 2);
  EXPECT_TRUE(logged("msgbox\t申報傳送\t登入網站 錯誤: 缺  PEAT1511B01.dll\tok\tok"));
  EXPECT_EQ(ev.back(), "exit");
}

TEST_F(Declare, MonthlyVerbsRunByThemselvesWithAStoredPassword) {
  const struct {
    const char* verb;
    const char* call;
  } cases[] = {{"/DownLoadProc/", "PEA_fa_proc_qry"}, {"/DownLoadCode/", "PEA_web_download_file"},
               {"/UploadMth/", "PEA_fa_upload"}};
  answers("ok");
  for (const auto& c : cases) {
    fs::remove(path("ui.log"));
    fs::remove(path("declare-sim.log"));
    run(c.verb);
    EXPECT_FALSE(logged("show\tReportSample")) << c.verb;
    const Lines calls = declCalls();
    ASSERT_GE(calls.size(), 3u) << c.verb;
    EXPECT_EQ(calls.front().substr(0, 14), "PEA_web_login\t") << c.verb;
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [&](const std::string& l) {
      return l.rfind(std::string(c.call) + "\t", 0) == 0 && l.substr(l.size() - 4) == "=> 0";
    })) << c.verb;
    EXPECT_EQ(calls.back(), "PEA_web_logout\t=> 0") << c.verb;
  }
  EXPECT_EQ(read("savefile.txt"), "err\r\n");  // the summary is the first listed file
}

TEST_F(Declare, MonthlyVerbWithoutAPasswordWaitsForTheOperator) {
  orvoIni("3501234567", "");
  script("type txtPwd demo\nclick Command2\nclick Command4\n");
  run("/DownLoadProc/");
  EXPECT_TRUE(logged("show\tReportSample"));
  const Lines calls = declCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].substr(0, 16), "PEA_fa_proc_qry\t");
}

TEST_F(Declare, PharmacyCodeSendsDrugtOverTheInternet) {
  writeC("drugt", [] {
    std::string r(80, ' ');
    r.replace(12, 5, "11511");
    r.replace(62, 4, "0003");
    r.replace(69, 7, "0000450");
    return r;
  }());
  write("drugt.zip", "PK drug");
  declState(R"("institutions": {"9900000011": {"password": "demo"}})");
  answers("ok");
  run("/9900000011/");
  const Lines calls = declCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "PEA_web_login\teservice.nhi.gov.tw\t1502\tFA\t9900000011\tdemo\t=> 0");
  EXPECT_EQ(calls[1].substr(0, 47), "PEA_fa_upload\tupfee.txt\tdrugt.zip\tbuf=15\tparams");
  EXPECT_NE(calls[1].find("params=APPL_TYPE=1\\nFEE_YM=11511"), std::string::npos);
  EXPECT_NE(calls[1].find("HOSP_DATA_TYPE=30"), std::string::npos);
  EXPECT_TRUE(logged("msgbox\t傳送申報: 11511\t\\t特約藥局 9900000011\\r\\r筆數:   3\\r費用: 450\tokcancel\tok"));
  EXPECT_TRUE(logged("show\tReportSample"));
}

// The run log has every declaration call with its status, and a password
// typed by the operator is in no file the run wrote (the simulated service's
// own journal, which records what it was sent, and the script aside).
TEST_F(Declare, TheRunLogHasTheCallsButNeverThePassword) {
  const std::string typed = "Wr0ngPassw0rd";
  orvoIni("3501234567", "");
  script("type txtPwd " + typed + "\nclick Command2\n");
  run("/ReportSample/");
  std::string log;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(path("ic/log"), ec)) log += readFile(e.path());
  EXPECT_NE(log.find("declare PEA_web_login("), std::string::npos) << log;
  EXPECT_NE(log.find("password given) = -"), std::string::npos) << log;
  EXPECT_NE(log.find("screen  message box"), std::string::npos) << log;
  for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (!e.is_regular_file() || name == "operator.txt" || name == "declare-sim.log") continue;
    EXPECT_EQ(readFile(e.path()).find(typed), std::string::npos) << e.path();
  }
  EXPECT_EQ(readC("orvo.ini").find(typed), std::string::npos);
}
