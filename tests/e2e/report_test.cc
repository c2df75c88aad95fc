// "/LoadAllData" end to end: the whole card as report lines in the log list,
// every slot of every group, the saved list, the window of mode "1", the
// six-visit summary of the plain mode, and a report that is never cut short
// when a read fails.
#include <nlohmann/json.hpp>

#include "tests/e2e/e2e.h"

using namespace e2e;
using json = nlohmann::json;

namespace {

using Report = e2e::Run;
using Lines = std::vector<std::string>;

constexpr size_t kReportLines = 1106;  // every section with all its slots
const std::string kIndent(8, ' ');

// e2e::reader()'s card, with the professional card's PIN verified so that the
// doctor's sections can be read.
json card() {
  json s = json::parse(state(reader(1)));
  s["readers"]["1"]["hpc"]["status"] = 3;
  return s;
}
json& hc(json& s) { return s["readers"]["1"]["hc"]; }

Lines listed(const Report& r) {
  Lines out;
  for (const auto& e : r.events())
    if (e[0] == "list" && e.size() > 1) out.push_back(e[1]);
  return out;
}

size_t count(const Lines& lines, const std::string& prefix) {
  size_t n = 0;
  for (const std::string& l : lines) n += l.rfind(prefix, 0) == 0;
  return n;
}

// The lines from the first one equal to `from`, `n` of them.
Lines after(const Lines& lines, const std::string& from, size_t n) {
  auto it = std::find(lines.begin(), lines.end(), from);
  if (it == lines.end()) return {};
  return Lines(it + 1, it + 1 + static_cast<long>(std::min<size_t>(n, static_cast<size_t>(lines.end() - it - 1))));
}

bool shown(const Report& r, const Lines& want) {
  for (const auto& e : r.events())
    if (e == want) return true;
  return false;
}

}  // namespace

TEST_F(Report, TheHoldersDataAndTheReadsAsTheyGo) {
  simState(card().dump());
  run("/LoadAllData2");
  const Lines l = listed(*this);
  ASSERT_EQ(l.size(), kReportLines);
  const Lines head(l.begin(), l.begin() + 18);
  EXPECT_EQ(head, (Lines{"----------------基本資料段---------------", "卡片號碼:  000012345678",
                         "姓名:  王小明" + std::string(14, ' '), "身份證字號:  A123456789",
                         "出生日期:  075年03月12日", "性別:   M:男性", "發卡日期:  105年01月01日",
                         "卡片註銷註記:  1:正常卡", "----------------健保資料段---------------",
                         "保險人代碼:  01", "保險對象身分註記:  3:一般身分", "卡片有效期限:  120年12月31日",
                         "就醫可用次數:  05", "新生兒出生日期:     年  月  日", "新生兒胎胞註記:   ",
                         std::string(51, '-'), "最近一次就醫序號: 1150007", "緊急電話: 0912345678    "}));
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t0\t=> 0", "hisGetCardStatus\t2\t=> 2",
                              "hisGetRegisterBasic\tbuf=78\t=> 0", "hisGetLastSeqNum\tbuf=7\t=> 0",
                              "hisGetEmergentTel\tbuf=14\t=> 0", "hisGetTreatmentNoNeedHPC\tbuf=498\t=> 0",
                              "hisGetCardStatus\t3\t=> 3", "hisGetTreatmentNeedHPC\tbuf=498\t=> 0",
                              "hisReadPrescription\tbuf=3660\tbuf=1320\tbuf=360\tbuf=120\t=> 0",
                              "hisGetCumulativeData\tbuf=134\t=> 0", "hisGetCumulativeFee\tbuf=20\t=> 0",
                              "hisGetRegisterPrevent\tbuf=126\t=> 0", "hisGetRegisterPregnant\tbuf=209\t=> 0",
                              "hisGetInoculateData\tbuf=1400\t=> 0", "hisGetOrganDonate\tbuf=1\t=> 0",
                              "csCloseCom\t=> 0"}));
  // The list is kept for the clinic program, line by line.
  std::string saved;
  for (const std::string& line : l) saved += big5(line) + "\r\n";
  EXPECT_EQ(read("IcDatTmp.txt"), saved);
  EXPECT_EQ(eventLines().back(), "exit");
}

// The full report saves its list twice: the holder's history gets it once a
// run, after what it held.
TEST_F(Report, EachRunAddsItsReportOnceToTheHoldersHistory) {
  simState(card().dump());
  const std::string earlier = big5("早先的報告\r\n");
  write("ic/data/ZA123456789_3", earlier);
  run("/LoadAllData2");
  const std::string report = read("IcDatTmp.txt");
  ASSERT_EQ(lines(report).size(), kReportLines);
  EXPECT_EQ(read("ic/data/ZA123456789_3"), earlier + report);
  run("/LoadAllData2");
  EXPECT_EQ(read("ic/data/ZA123456789_3"), earlier + report + report);
}

TEST_F(Report, MarksOutsideTheirListsAreShownAsTheyStand) {
  struct Case {
    const char *sex, *cancel, *identity, *sexLine, *cancelLine, *identityLine;
  };
  for (const Case& c : {Case{"F", "2", "1", "性別:   F:女性", "卡片註銷註記:  2:註銷卡", "保險對象身分註記:  1:低收入戶"},
                        Case{"X", "3", "2", "性別:   X", "卡片註銷註記:   3", "保險對象身分註記:  2:無職業的榮民"},
                        Case{" ", " ", "7", "性別:    ", "卡片註銷註記:    ", "保險對象身分註記:  7"}}) {
    json s = card();
    hc(s)["sex"] = c.sex;
    hc(s)["cancelMark"] = c.cancel;
    hc(s)["identityMark"] = c.identity;
    simState(s.dump());
    fs::remove(path("ui.log"));
    run("/LoadAllData2");
    const Lines l = listed(*this);
    ASSERT_EQ(l.size(), kReportLines) << c.sex;
    EXPECT_EQ(l[5], c.sexLine);
    EXPECT_EQ(l[7], c.cancelLine);
    EXPECT_EQ(l[10], c.identityLine);
  }
}

TEST_F(Report, VisitsAndOrdersWithEveryEmptySlot) {
  json s = card();
  hc(s)["visits"] = json::parse(R"([
    {"category": "02", "newborn": " ", "time": "1151201100000", "supplement": "1", "seq": "0007",
     "institution": "3501234567", "outpatientFee": "00001200", "outpatientCopay": "00000050",
     "inpatientFee": "00000000", "inpatientCopayShort": "0000001", "inpatientCopayLong": "0000002"},
    {"category": "AB", "time": "1151101090000", "supplement": "2", "seq": "0006"},
    {"category": "01", "time": "1151001090000", "supplement": "3", "seq": "0005"}])");
  hc(s)["outpatientOrders"] = json::parse(R"([{"time": "1151201100000", "type": "3", "item": "91004C",
    "part": "FM", "usage": "QD", "days": "03", "total": "0001050", "deliver": "01"}])");
  hc(s)["allergies"] = {"Penicillin"};
  simState(s.dump());
  run("/LoadAllData2");
  const Lines l = listed(*this);
  ASSERT_EQ(l.size(), kReportLines);

  const std::string legend = "AI：同日同醫師看診（第二次以後）、BA門（急）診當次轉住院之入院、 BB出院 、";
  Lines first = after(l, legend, 11);
  for (std::string& line : first) {
    EXPECT_EQ(line.substr(0, 8), kIndent);  // the visit's fields are indented throughout
    line.erase(0, 8);
  }
  EXPECT_EQ(first, (Lines{">就醫資料登錄之就醫類別:  02", ">就醫資料登錄之新生兒就醫註記:   ",
                          ">就醫資料登錄之就診日期時間:  115年12月01日  10時00分00秒",
                          ">就醫資料登錄之補卡註記:  1  ", ">就醫資料登錄之就醫序號:  0007",
                          ">就醫資料登錄之醫療院所代碼:  3501234567", ">門診醫療費用:  00001200",
                          ">門診部分負擔費用:  00000050", ">住院醫療費用:  00000000",
                          ">住院部分負擔費用（當次急性30天、慢性180天以下）:  0000001",
                          ">住院部分負擔費用（當次急性31天、慢性181天以上）:  0000002"}));
  EXPECT_EQ(count(l, kIndent + ">就醫資料登錄之補卡註記:  2  補卡"), 1u);
  EXPECT_EQ(count(l, kIndent + ">就醫資料登錄之補卡註記:  3"), 1u);
  EXPECT_EQ(count(l, kIndent + ">就醫資料登錄之補卡註記:   "), 3u);  // the empty slots

  EXPECT_EQ(after(l, "交付處方註記: 05自行調劑之慢性病連續處方箋、06交付調劑之慢性病連續處方箋", 9),
            (Lines{">就診日期時間:  115年12月01日  10時00分00秒", kIndent + ">醫令類別:  3",
                   kIndent + ">診療項目代號:  91004C      ", kIndent + ">診療部位:  FM    ",
                   kIndent + ">用法:  QD" + std::string(16, ' '), kIndent + ">天數:  03",
                   kIndent + ">總量:  00010.50", kIndent + ">交付處方註記:  01",
                   ">就診日期時間:     年  月  日    時  分  秒"}));
  EXPECT_EQ(count(l, kIndent + ">就醫資料登錄之就醫類別:  "), 6u);
  EXPECT_EQ(count(l, ">就診日期時間:  "), 60u);
  EXPECT_EQ(count(l, kIndent + ">總量:  "), 60u + 30u + 10u);
  EXPECT_EQ(count(l, kIndent + ">總量:  " + std::string(5, ' ') + ".  "), 59u + 30u + 10u);
  EXPECT_EQ(count(l, ">開立日期:  "), 30u);
  EXPECT_EQ(count(l, ">實施日期:  "), 10u);
  EXPECT_EQ(after(l, "-------------- 過敏藥物：保留3組 ---------------", 4),
            (Lines{">過敏藥物成份名稱:  Penicillin" + std::string(30, ' '),
                   ">過敏藥物成份名稱:  " + std::string(40, ' '), ">過敏藥物成份名稱:  " + std::string(40, ' '),
                   std::string(51, '-')}));
}

TEST_F(Report, TheSectionsTheCardKeepsAsRawReplies) {
  json s = card();
  hc(s)["raw"] = {
      {"hisGetTreatmentNoNeedHPC", "11001011201231"},
      {"hisGetTreatmentNeedHPC", "A0001" + std::string(109, ' ') + "1151201100000K0530K0230K0800"},
      {"hisReadPrescription.longTerm", "1151101BC23456100QD" + std::string(16, ' ') + "280002800"},
      {"hisReadPrescription.important", "1150301350123456733001B11    0000100"},
      {"hisGetCumulativeData", "1150012" "0000012000" "0000000000" "00000600" "00000001" "00000002" "00000003" "00000004"},
      {"hisGetCumulativeFee", "00000120000000000300"},
      {"hisGetRegisterPrevent", "0511506053501234567  "},
      {"hisGetRegisterPregnant", "1150401350123456741"},
      {"hisGetInoculateData", "FLU   11510153501234567FL2026A"},
      {"hisGetOrganDonate", "4"}};
  simState(s.dump());
  run("/LoadAllData2");
  const Lines l = listed(*this);
  ASSERT_EQ(l.size(), kReportLines);
  const std::string noDate = "   年  月  日";

  auto periods = std::find(l.begin(), l.end(), ">重大傷病有效期限起始日:  110年01月01日");
  ASSERT_NE(periods, l.end());
  EXPECT_EQ(*(periods + 1), kIndent + ">重大傷病有效期限終止日:  120年12月31日");
  EXPECT_EQ(count(l, ">重大傷病有效期限起始日:  "), 6u);
  EXPECT_EQ(after(l, "------ 健保資料段  讀取就醫資料需要HPC卡的部分---------------", 2),
            (Lines{">重大傷病註記:  A0001", ">重大傷病註記:  " + std::string(5, ' ')}));
  EXPECT_EQ(after(l, "------ 健保資料段  讀取就醫資料需要HPC卡的部分---------------", 14).back(),
            kIndent + ">就醫資料登錄 次要診斷碼第5組:  " + std::string(5, ' '));
  EXPECT_EQ(count(l, ">就醫資料登錄 就診日期時間:  115年12月01日  10時00分00秒"), 1u);
  EXPECT_EQ(count(l, kIndent + ">就醫資料登錄 次要診斷碼第2組:  K0800"), 1u);

  EXPECT_EQ(after(l, "-------------- 長期處方箋：：保留30組---------------", 5),
            (Lines{">開立日期:  115年11月01日", kIndent + ">藥品代碼:  BC23456100", kIndent + ">用法:  QD" + std::string(16, ' '),
                   kIndent + ">天數:  28", kIndent + ">總量:  00028.00"}));
  EXPECT_EQ(after(l, "-------------- 重要醫令項目：保留10組 ---------------", 5),
            (Lines{">實施日期:  115年03月01日", kIndent + ">醫療院所代碼:  3501234567",
                   kIndent + ">重要醫令項目代碼:  33001B", kIndent + ">實施部位代碼:  11    ",
                   kIndent + ">總量:  00001.00"}));
  EXPECT_EQ(after(l, "-------------- 讀取就醫累計資料---------------", 10),
            (Lines{">年:  115", kIndent + ">門住診就醫累計次數:  0012", kIndent + ">門診醫療費用累計:  0000012000",
                   kIndent + ">住診醫療費用累計:  0000000000",
                   kIndent + ">門診部分負擔費用累計 由門診當次部分負擔費用加總於年累計費用:  00000600",
                   kIndent + ">住診急性30天、慢性180天以下部分負擔費用累計:  00000001",
                   kIndent + ">住診急性31天、慢性181天以上部分負擔費用累計:  00000002",
                   kIndent + ">門診+住診部分負擔費用累計:  00000003",
                   kIndent + ">[門診+住診(急性30天、慢性180天以下)]部分負擔費用累計:  00000004", ">年:     "}));
  EXPECT_EQ(after(l, "-------------- 醫療費用總累計---------------", 2),
            (Lines{"門診醫療費用總累計:  0000012000", "住診醫療費用總累計:  0000000300"}));
  // The same legend as the prevention list's (item 04 once, in one wording).
  EXPECT_EQ(count(l, "保健服務項目註記: 01兒童預防保健，02成人預防保健，03婦女子宮頸抹片檢查，04老人流行性感冒疫苗 "), 1u);
  EXPECT_EQ(after(l, "檢查項目代碼: 婦女子宮頸抹片檢查 ：醫療院所填寫  31，助產所填寫  35 ", 5),
            (Lines{"保健服務項目註記:  05", kIndent + "檢查日期: 115年06月05日", kIndent + "醫療院所代碼: 3501234567",
                   kIndent + "檢查項目代碼:   ", "保健服務項目註記:    "}));
  EXPECT_EQ(after(l, "-------------- 孕婦產前檢查 保留11組 ---------------", 4),
            (Lines{"檢查日期:  115年04月01日", kIndent + "醫療院所代碼: 3501234567", kIndent + "檢查項目代碼: 41",
                   "檢查日期:  " + noDate}));
  EXPECT_EQ(count(l, "檢查日期:  "), 11u);
  EXPECT_EQ(after(l, "-------------- 預防接種資料項目：保留40組 ---------------", 4),
            (Lines{"疫苗種類:  FLU   ", kIndent + "檢查日期:  115年10月15日", kIndent + "醫療院所代碼: 3501234567",
                   kIndent + "疫苗批號: FL2026A     "}));
  EXPECT_EQ(count(l, "疫苗種類:  "), 40u);
  EXPECT_EQ(Lines(l.end() - 7, l.end()),
            (Lines{"同意同意器官捐贈及安寧緩和醫療註記 :  4",
                   kIndent + "「1」同意器官捐贈 「2」同意安寧緩和醫療「3」同意不實施心肺復甦術",
                   kIndent + "「4」同意器官捐贈、同意安寧緩和醫療、同意不實施心肺復甦術",
                   kIndent + "「5」同意器官捐贈、同意安寧緩和醫療", kIndent + "「6」同意器官捐贈、同意不實施心肺復甦術",
                   kIndent + "「7」同意安寧緩和醫療、同意不實施心肺復甦術", kIndent + "「O」均不同意"}));
}

TEST_F(Report, TheDocumentedExampleCard) {
  simState(readFile(fs::path(IC_SOURCE_DIR) / "sim" / "examples" / "LoadAllData.json"));
  run("/LoadAllData 2 /csOpenCom1");
  const Lines l = listed(*this);
  ASSERT_EQ(l.size(), kReportLines);
  EXPECT_EQ(l[2], "姓名:  林美華" + std::string(14, ' '));
  EXPECT_EQ(count(l, "        >就醫資料登錄 次要診斷碼第2組:  K0800"), 1u);
  EXPECT_EQ(count(l, ">過敏藥物成份名稱:  阿斯匹靈"), 1u);
  EXPECT_TRUE(shown(*this, {"waiting", "讀取健保IC卡卡片內容_2"}));
}

// Only a missing card is refused; one not yet authenticated with the SAM is
// read for what it gives.
TEST_F(Report, NoCardIsNotReadACardNotYetAuthenticatedIs) {
  for (int status : {0, 1}) {
    json s = card();
    hc(s)["status"] = status;
    simState(s.dump());
    fs::remove(path("ReadF4.txt"));
    run("/LoadAllData2");
    if (status == 0) {
      EXPECT_EQ(read("ReadF4.txt"), big5("無健保卡 或 健保卡尚未認證") + "\r\n");
      EXPECT_TRUE(calls("hisGetRegisterBasic").empty());
      EXPECT_TRUE(listed(*this).empty());
    } else {
      EXPECT_FALSE(calls("hisGetRegisterBasic").empty());
    }
    EXPECT_TRUE(readerLeftClosed());
  }
}

TEST_F(Report, ModeOneLeavesTheReportOpenUntilTheOperatorClosesIt) {
  simState(card().dump());
  run("/LoadAllData1");
  const auto e = events();
  ASSERT_GE(e.size(), 3u);
  EXPECT_EQ(listed(*this).size(), kReportLines);
  EXPECT_TRUE(shown(*this, {"caption", "vexa5", "健保IC卡卡片內容"}));
  EXPECT_EQ(e[e.size() - 2], (Lines{"show", "vexa5"}));
  EXPECT_EQ(e.back(), (Lines{"exit"}));
  EXPECT_EQ(calls("csCloseCom").size(), 3u);  // before the open, after the report, on closing
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Report, ThePlainModeWritesTheSummaryAndArchivesIt) {
  write("ReadF4.txt", "old\r\n");
  write("ic/dataZ", "");
  write("ic/dataZ.ind", "");
  simState(card().dump());
  run("/LoadAllData/COM1/");
  EXPECT_TRUE(listed(*this).empty());
  EXPECT_TRUE(shown(*this, {"waiting", "讀取健保IC卡卡片內容_"}));
  const std::string summary = read("ReadF4.txt");
  ASSERT_GE(summary.size(), 2u);
  EXPECT_NE(summary.find(big5("身份證:") + "A123456789"), std::string::npos);
  EXPECT_EQ(summary.substr(summary.size() - 2), "\r\n");
  const std::string store = read("ic/dataZ");
  ASSERT_EQ(store.size(), 1500u);
  EXPECT_EQ(store.substr(0, 10), "A123456789");
  EXPECT_EQ(store.substr(10, summary.size() - 2), summary.substr(0, summary.size() - 2));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Report, AFailedSectionShowsBlanksNotTheSectionBefore) {
  json s = card();
  s["faults"] = json::parse(R"([{"call": "hisGetEmergentTel", "code": 4000}])");
  simState(s.dump());
  run("/LoadAllData2");
  const Lines l = listed(*this);
  ASSERT_EQ(l.size(), kReportLines);
  EXPECT_EQ(l[17], "緊急電話: " + std::string(14, ' '));
  EXPECT_EQ(count(l, kIndent + ">就醫資料登錄之就醫類別:    "), 6u);
  EXPECT_TRUE(shown(*this, {"red", "讀卡機tmieout", "20"}));
}

// Each card call failing in turn: the report still has every line, the run
// ends by itself and the reader is closed.
class ReportFaults : public e2e::Run, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReportFaults, TheReportIsNeverCutShort) {
  json s = card();
  s["faults"] = json::array({{{"call", GetParam()}, {"code", 4000}}});
  simState(s.dump());
  EXPECT_EQ(run("/LoadAllData2").exitCode, 0);
  const Lines l = listed(*this);
  ASSERT_EQ(l.size(), kReportLines);
  EXPECT_EQ(l.back(), kIndent + "「O」均不同意");
  EXPECT_EQ(calls("hisGetOrganDonate").size(), 1u);
  // The card number is in its own line only: no later section shows stale bytes.
  size_t seen = 0;
  for (const std::string& line : l) seen += line.find("0000123") != std::string::npos;
  EXPECT_LE(seen, 1u);
  EXPECT_EQ(eventLines().back(), "exit");
  EXPECT_TRUE(readerLeftClosed());
}

INSTANTIATE_TEST_SUITE_P(Calls, ReportFaults,
                         ::testing::Values("hisGetCardStatus", "hisGetRegisterBasic", "hisGetLastSeqNum",
                                           "hisGetEmergentTel", "hisGetTreatmentNoNeedHPC",
                                           "hisGetTreatmentNeedHPC", "hisReadPrescription",
                                           "hisGetCumulativeData", "hisGetCumulativeFee",
                                           "hisGetRegisterPrevent", "hisGetRegisterPregnant",
                                           "hisGetInoculateData", "hisGetOrganDonate", "csCloseCom"));

// A run that cannot open the reader leaves no earlier holder's report: the
// previous IcDatTmp.txt goes before the card is touched.
TEST_F(Report, AFailedOpenLeavesNoEarlierHoldersReport) {
  json s = card();
  s["faults"] = json::parse(R"([{"call": "csOpenCom", "code": 4000}])");
  simState(s.dump());
  write("IcDatTmp.txt", "the previous holder's report\r\n");
  run("/LoadAllData2");
  EXPECT_FALSE(has("IcDatTmp.txt"));
  EXPECT_EQ(eventLines().back(), "exit");
}
