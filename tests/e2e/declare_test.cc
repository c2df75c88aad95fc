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

// The pharmacy's total record c:\drugt: fee month at byte 13, count at 63 and fee at 70.
std::string drugt() {
  std::string r(80, ' ');
  r.replace(12, 5, "11511");
  r.replace(62, 4, "0003");
  r.replace(69, 7, "0000450");
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
  EXPECT_TRUE(logged("msgbox\t申報傳送\t申報資料 傳送成功\\r收件序號: 115120800000003\tok\tok"));
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
  EXPECT_TRUE(logged("msgbox\t傳送\t上傳 完成\\r本機序號: 11512080000001\\r健保序號: 11512089000001\tok\tok"));
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

// The pharmacy has no totfa.10: it declares from c:\drugt and drugt.zip, and
// totfa.10 plays no part but the start's reminder.
TEST_F(Declare, PharmacyCodeSendsDrugtOverTheInternet) {
  writeC("drugt", drugt());
  write("drugt.zip", "PK drug");
  declState(R"("institutions": {"9900000011": {"password": "demo"}})");
  answers("ok,ok");
  for (bool withTotfa : {true, false}) {
    SCOPED_TRACE(withTotfa ? "with totfa.10" : "without totfa.10");
    fs::remove(path("ui.log"));
    fs::remove(path("declare-sim.log"));
    if (!withTotfa) fs::remove(path("totfa.10"));
    run("/9900000011/");
    EXPECT_EQ(logged("msgbox\tic\t請先整理健保申報資料 totfa.10\tok\tok"), !withTotfa);
    const Lines calls = declCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "PEA_web_login\teservice.nhi.gov.tw\t1502\tFA\t9900000011\t****\t=> 0");
    EXPECT_EQ(calls[1].substr(0, 47), "PEA_fa_upload\tupfee.txt\tdrugt.zip\tbuf=15\tparams");
    EXPECT_NE(calls[1].find("params=APPL_TYPE=1\\nFEE_YM=11511"), std::string::npos);
    EXPECT_NE(calls[1].find("HOSP_DATA_TYPE=30"), std::string::npos);
    EXPECT_TRUE(logged("msgbox\t傳送申報: 11511\t\\t特約藥局 9900000011\\r\\r筆數:   3\\r費用: 450\tokcancel\tok"));
    const Lines shownNow = eventLines();
    EXPECT_TRUE(std::any_of(shownNow.begin(), shownNow.end(), [](const std::string& l) {
      return l.rfind("msgbox\t申報傳送\t申報資料 傳送成功\\r收件序號: 1151208", 0) == 0;
    }));
    EXPECT_TRUE(logged("show\tReportSample"));
  }
  EXPECT_EQ(lines(read("uprecv.txt")).size(), 4u);
}

TEST_F(Declare, PharmacyCheckDownloadsTheSummaryAndSendsNothing) {
  fs::remove(path("totfa.10"));
  writeC("drugt", drugt());
  declState(R"("institutions": {"9900000011": {"password": "demo"}},
               "downloads": {"DR11511SUM.txt": "drug\nsum\n"})");
  run("/9900000011//check");
  EXPECT_EQ(declCalls(), (Lines{"PEA_web_login\teservice.nhi.gov.tw\t1502\tFA\t9900000011\t****\t=> 0",
                                "PEA_web_download_lst\tupfee.txt\tsavefile.txt\tparams=FEE_YM_S=11511"
                                "\\nSUPPLY_DATE=30\\nORDER_FIELD=\t=> 0",
                                "PEA_web_download_file\tDR11511SUM.txt\tsavefile.txt\t=> 0",
                                "PEA_web_logout\t=> 0"}));
  EXPECT_EQ(read("savefile.txt"), "drug\r\nsum\r\n");
  EXPECT_TRUE(opened("\\\\savefile.txt\t"));
}

TEST_F(Declare, HealthCheckUploadByItsVerbAndByItsButton) {
  const std::string sent =
      "PEA_fa_upload\tupfee.txt\theaf.10\tbuf=15\tparams=APPL_TYPE=1\\nFEE_YM=11511\\nMONTH_MARK=3"
      "\\nHOSP_DATA_TYPE=13\\nFILE_DATA_TYPE=1\\nCH_CODE=B\\nCOMPRESS_MARK=0\t=> 0";
  struct Case {
    const char* C;
    const char* script;
    const char* fault;  // of PEA_fa_upload
    const char* outcome;
  } cases[] = {
      {"/Uploadheafa/", "", "", "成人健檢資料 傳送成功\\r收件序號: 115120800000003"},
      {"/ReportSample/", "click Command2\nclick Uploadheafa\n", R"({"call": "PEA_fa_upload", "code": -2, "message": "格式錯誤"})",
       "成人健檢資料 傳送 錯誤:  格式錯誤"},
  };
  write("heaf.10", "first\r\nsecond\r\n   \r\nthird\r\n");  // three records, a blank line
  answers("ok,ok,ok,ok");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.C);
    fs::remove(path("ui.log"));
    fs::remove(path("declare-sim.log"));
    if (*c.fault) declState(std::string(R"("faults": [)") + c.fault + "]");
    script(c.script);
    const size_t before = lines(read("uprecv.txt")).size();
    run(c.C);
    EXPECT_TRUE(logged("waiting\t11511 成人健檢資料 上傳中"));
    EXPECT_TRUE(logged("msgbox\t健檢\t傳送成人健檢資料 3 筆\tokcancel\tok"));
    EXPECT_TRUE(logged("msgbox\t申報傳送\t" + std::string(c.outcome) + "\tok\tok"));
    const Lines calls = declCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], *c.fault ? "PEA_fa_upload\tupfee.txt\theaf.10\tbuf=15\t=> -2" : sent);
    const Lines recv = crlfLines(read("uprecv.txt"));
    ASSERT_EQ(recv.size(), before + (*c.fault ? 0 : 1));
    if (!*c.fault) {
      EXPECT_EQ(recv.back().substr(recv.back().size() - 8), " heaf.10");
    }
  }
  // Without heaf.10 the button is hidden.
  fs::remove(path("heaf.10"));
  fs::remove(path("ui.log"));
  script("click Command2\nclick Uploadheafa\n");
  run("/ReportSample/");
  EXPECT_TRUE(logged("ignored\tUploadheafa\thidden"));
}

TEST_F(Declare, TheStartRemindsOfAMissingTotfaAndUploadSendsNothing) {
  fs::remove(path("totfa.10"));
  script("click Command2\nclick Upload\n");
  answers("ok,ok,ok");
  run("/ReportSample/");
  const Lines ev = eventLines();
  EXPECT_EQ(std::count(ev.begin(), ev.end(), "msgbox\tic\t請先整理健保申報資料 totfa.10\tok\tok"), 2);
  for (const std::string& l : declCalls()) EXPECT_EQ(l.find("PEA_fa_upload"), std::string::npos);
  EXPECT_FALSE(has("upfee.txt"));
}

TEST_F(Declare, WebLinksOpenTheThreeSites) {
  script("select Combo1 0\nselect Combo1 1\nselect Combo1 2\n");
  run("/ReportSample/");
  Lines opens;
  for (const std::string& l : eventLines())
    if (l.rfind("open\t", 0) == 0) opens.push_back(l);
  EXPECT_EQ(opens, (Lines{"open\thttps://medvpn.nhi.gov.tw/iwpe0000/iwpe0000s01.aspx\t",
                          "open\thttp://localhost/\t",
                          "open\thttps://medcloud.nhi.gov.tw/imme0000/imme0002S01.aspx\t"}));
}

TEST_F(Declare, CompressionBoxRemembersItsChoice) {
  writeC("orvo.ini", "[OrvoDent]\r\nOfficeCode=3501234567\r\nreportType=1\r\n");
  for (const char* tick : {"0", "1"}) {
    script(std::string("tick Check1 ") + tick + "\n");
    run("___/ReportSample/");
    EXPECT_NE(readC("orvo.ini").find(std::string("reportType=") + tick), std::string::npos) << tick;
  }
}

TEST_F(Declare, PharmacyBoxChoosesTheFileTheReaderSends) {
  withExchange();
  write("drugt.zip", "PK drug");
  for (bool withDrugt : {false, true}) {
    SCOPED_TRACE(withDrugt ? "with c:\\drugt" : "without c:\\drugt");
    fs::remove(path("ui.log"));
    fs::remove(path("declare-sim.log"));
    if (withDrugt) writeC("drugt", drugt());
    script("tick Check3 1\nclick Command11\n");
    run("/ReportSample/");
    EXPECT_EQ(logged("msgbox\t藥局\t無總表檔  drugt And drugt.zip\tok\tok"), !withDrugt);
    const Lines calls = declCalls();
    ASSERT_FALSE(calls.empty());
    // Refused, the box is cleared again and the claim file goes.
    const std::string file = withDrugt ? "drugt.zip" : "totfa.zip";
    EXPECT_EQ(calls[0].rfind("NHI_SendB\t0\t", 0), 0u) << calls[0];
    EXPECT_NE(calls[0].find(file + "\t03\t"), std::string::npos) << calls[0];
  }
}

TEST_F(Declare, TheReadersPortIsSteppedAndChecked) {
  withExchange();
  write("orvosys.ini", "[OrvoDent]\r\nIC4COM=2\r\n");
  script("click Command15\nclick Command15\nclick Command15\ntype Text1 7\nclick Command11\n"
         "type Text1 x\nclick Command12\ntype Text1 4\nclick Command11\n");
  run("/ReportSample/");
  Lines texts;
  for (const std::string& l : eventLines())
    if (l.rfind("text\tReportSample\tText1\t", 0) == 0) texts.push_back(l.substr(24));
  // The port as the window is shown (IC4COM), then each step.
  EXPECT_EQ(texts, (Lines{"2", "3", "4", "1"}));
  EXPECT_TRUE(logged("msgbox\tCOM:\t讀卡機 COM 埠號有誤: 7\tok\tok"));
  EXPECT_TRUE(logged("msgbox\tCOM:\t讀卡機 COM 埠號有誤: x\tok\tok"));
  const Lines calls = declCalls();
  ASSERT_EQ(calls.size(), 1u);  // only the last sending, on the fourth port
  EXPECT_EQ(calls[0].rfind("NHI_SendB\t3\t", 0), 0u) << calls[0];
}

TEST_F(Declare, LibraryFailuresAreShownByErr2msgAndDeletionKeepsTheReceipt) {
  declState(R"("faults": [
      {"call": "PEA_fa_proc_qry", "code": -3, "message": "MoveFileEx 失敗"},
      {"call": "PEA_fa_recv_qry", "code": -2, "message": "查無資料"},
      {"call": "PEA_fa_del", "code": -4, "message": "序號不存在"}])");
  script("click Command2\nclick Command4\nclick Command5\nselect List1 0\nclick Delete\n");
  answers("ok,ok,yes,ok");
  run("/ReportSample/");
  EXPECT_TRUE(logged("msgbox\t申報流程\t請下載新版 PEAT1511B01.dll  \\rMoveFileEx 失敗\tok\tok"));
  EXPECT_TRUE(logged("open\thttps://medvpn.nhi.gov.tw/idcportal\t"));
  EXPECT_TRUE(logged("msgbox\t收件狀況\t收件狀況 錯誤:  \\r查無資料\tok\tok"));
  EXPECT_TRUE(logged("msgbox\t刪除\t執行刪除 有誤:  序號不存在\tok\tok"));
  EXPECT_EQ(lines(read("uprecv.txt")).size(), 2u);
  EXPECT_FALSE(has("uprecv.del"));
  EXPECT_FALSE(has("savefile.txt"));
}

#if defined(_WIN32)
// The check result is unpacked by the clinic's unzip32.dll of either line,
// UnZip 6.0 or 5.5x, each here a substitute beside the program.
TEST_F(Declare, TheCheckResultIsUnpackedByEitherLineOfUnzip32) {
  withExchange();
  for (const char* library : {"unzip32.dll", "unzip32-5x/unzip32.dll"}) {
    SCOPED_TRACE(library);
    const fs::path program = dir / "program";
    fs::remove_all(program);
    fs::remove_all(path("unzipdir"));
    fs::remove(path("ui.log"));
    declState(R"("checkResults": [{"files": {"CHK11511.txt": "result"}}])");
    fs::create_directories(program);
    fs::copy_file(bin / programName("ic"), program / programName("ic"));
    fs::copy_file(bin / library, program / "unzip32.dll");
    script("click Command12\nclick Command13\n");
    run("/ReportSample/", program / programName("ic"));
    EXPECT_TRUE(logged("msgbox\t下載檢測結果\t下載檢測結果 完成\tok\tok"));
    EXPECT_EQ(read("unzipdir/CHK11511.txt"), "result");
  }
}
#endif

// A receipt or identifiers the service gave are never lost: when uprecv.txt
// or savecode.txt cannot take them (here a folder of that name), the operator
// is told in red, with the number to write down.
TEST_F(Declare, AnAcceptedUploadThatCannotBeRecordedShowsItsNumberInRed) {
  withExchange();
  fs::remove(path("uprecv.txt"));
  fs::create_directories(path("uprecv.txt"));
  fs::create_directories(path("savecode.txt"));
  script("click Command2\nclick Upload\nclick Command11\n");
  answers("ok");
  run("/ReportSample/");
  EXPECT_TRUE(logged("red\t收件序號 115120800000003 未能記入 uprecv.txt, 請抄下此序號\t10"));
  EXPECT_TRUE(logged("msgbox\t申報傳送\t申報資料 傳送成功\\r收件序號: 115120800000003\\r"
                     "收件序號 115120800000003 未能記入 uprecv.txt, 請抄下此序號\tok\tok"));
  EXPECT_TRUE(logged("red\t序號未能記入 savecode.txt, 請抄下: 11512080000001 11512089000001\t10"));
  EXPECT_FALSE(logged("msgbox\t傳送\t上傳 完成\tok\tok"));
  EXPECT_EQ(eventLines().back(), "exit");
}

// An answer of 0 without a receipt number is no upload: nothing is recorded
// (a later deletion would send the date as the number), the operator sees
// the answer; a line of uprecv.txt that holds no number sends nothing.
TEST_F(Declare, ABlankReceiptIsAFailureAndNoNumberIsNoDeletion) {
  declState(R"("faults": [{"call": "PEA_fa_upload", "code": 0, "times": 1}])");
  write("uprecv.txt", " 2026/12/01 09:00:00 11510 totfa.zip\r\n");
  script("click Command2\nclick Upload\nselect List1 0\nclick Delete\n");
  answers("ok,yes");
  run("/ReportSample/");
  EXPECT_TRUE(logged("msgbox\t申報傳送\t申報資料 傳送 錯誤:  收件序號有誤 (0) []\tok\tok"));
  EXPECT_EQ(read("uprecv.txt"), " 2026/12/01 09:00:00 11510 totfa.zip\r\n");
  EXPECT_TRUE(logged("msgbox\t刪除\t序號有誤: 2026/12/01\tok\tok"));
  for (const std::string& l : declCalls()) EXPECT_EQ(l.find("PEA_fa_del"), std::string::npos) << l;
}

// NHI_ID names the download under backup\: a path in it is refused before
// the service is asked, and nothing is written outside the working folder.
TEST_F(Declare, IdentifiersThatAreNotLettersAndDigitsAreRefused) {
  withExchange();
  for (const char* ids : {"..\\..\\x\r\n11512089000001\r\n", "11512080000001\r\n../y\r\n",
                          "115120800000011\r\n11512089000001\r\n"}) {
    fs::remove(path("ui.log"));
    fs::remove(path("declare-sim.log"));
    write("NHI_ID", ids);
    script("click Command13\n");
    run("/ReportSample/");
    EXPECT_TRUE(logged("msgbox\t下載檢測結果\tNHI_ID 序號有誤, 請重新 申請檢測\tok\tok")) << ids;
    for (const std::string& l : declCalls()) EXPECT_EQ(l.find("NHI_GetB"), std::string::npos) << l;
  }
  EXPECT_FALSE(fs::exists(dir.parent_path() / "x.zip"));
}

// The answer's line ends are converted beside it and renamed over it: an
// answer that cannot be replaced stays whole, and the operator is told.
TEST_F(Declare, AnAnswerThatCannotBeConvertedStaysWhole) {
  declState(R"("receiptAnswer": "first\nsecond\nthird")");
  write("savefile.txt", "old\n");
  fs::create_directories(path("filetemp.tmp"));  // the converted copy cannot be written
  script("click Command2\nclick Command5\n");
  run("/ReportSample/");
  EXPECT_EQ(read("savefile.txt"), "first\nsecond\nthird");
  bool told = false;
  for (const std::string& l : eventLines())
    told = told || (l.rfind("red\t無法寫入檔案: ", 0) == 0 && l.find("savefile.txt") != std::string::npos);
  EXPECT_TRUE(told);
}

#if !defined(_WIN32)
// The check result is never unpacked through a link, whether unzipdir itself
// is one or a link waits inside it under an entry's name.
TEST_F(Declare, TheCheckResultIsNeverUnpackedThroughALink) {
  withExchange();
  write("NHI_ID", "11512080000001\r\n11512089000001\r\n");
  declState(R"("exchanges": [{"kind": "check", "localId": "11512080000001", "nhiId": "11512089000001",
      "dataType": "03", "files": {"CHK11511.txt": "result"}}])");
  const fs::path outside = dir.string() + "-outside";
  fs::create_directories(outside);
  writeFile(outside / "CHK11511.txt", "keep");
  for (int linkIsTheFolder : {0, 1}) {
    fs::remove_all(path("unzipdir"));
    if (linkIsTheFolder) {
      fs::create_directory_symlink(outside, path("unzipdir"));
    } else {
      fs::create_directories(path("unzipdir"));
      fs::create_symlink(outside / "CHK11511.txt", path("unzipdir/CHK11511.txt"));
    }
    fs::remove(path("ui.log"));
    script("click Command13\n");
    run("/ReportSample/");
    bool refused = false;
    for (const std::string& l : eventLines())
      refused = refused || l.rfind("msgbox\t下載檢測結果\t解壓縮 失敗: ", 0) == 0;
    EXPECT_TRUE(refused) << linkIsTheFolder;
    EXPECT_EQ(readFile(outside / "CHK11511.txt"), "keep") << linkIsTheFolder;
  }
  fs::remove_all(outside);
}
#endif


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
