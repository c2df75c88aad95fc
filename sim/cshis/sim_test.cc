// The simulated reader as a whole: opening, the state file and its rewrites,
// faults, the journal, bad arguments, and garbled state files.
#include <random>
#include <regex>
#include <set>

#include "sim_test_util.h"

namespace simtest {
namespace {

// --- opening and the frame of every call

using FrameTest = SimTest;

TEST_F(FrameTest, CallsWithoutAnOpenReaderAnswer4000) {
  writeState(baseState());
  EXPECT_EQ(hisGetCardStatus(2), 4000);
  EXPECT_EQ(callRead(hisGetRegisterBasic, 78).code, 4000);
  ASSERT_EQ(csOpenCom(0), 0);
  EXPECT_EQ(csCloseCom(), 0);
  EXPECT_EQ(csCloseCom(), 4000);
  EXPECT_EQ(hisGetCardStatus(2), 4000);
  EXPECT_EQ(journalLines(),
            (std::vector<std::string>{"hisGetCardStatus\t2\t=> 4000",
                                      "hisGetRegisterBasic\tbuf=78\t=> 4000", "csOpenCom\t0\t=> 0",
                                      "csCloseCom\t=> 0", "csCloseCom\t=> 4000",
                                      "hisGetCardStatus\t2\t=> 4000"}));
}

TEST_F(FrameTest, OpenTakesTheReaderOfThePort) {
  json s = baseState();
  s["readers"]["3"] = s["readers"]["1"];
  s["readers"]["3"]["hc"] = nullptr;
  writeState(s);
  EXPECT_EQ(csOpenCom(2), 0);
  EXPECT_EQ(hisGetCardStatus(2), 0);
  EXPECT_EQ(csOpenCom(0), 0);
  EXPECT_EQ(hisGetCardStatus(2), 2);
  EXPECT_EQ(csOpenCom(1), 4000);
  EXPECT_EQ(lastJournalLine(), "csOpenCom\t1\t=> 4000\tno reader \"2\" in " + journaledStatePath());
  EXPECT_EQ(hisGetCardStatus(2), 4000);
  EXPECT_EQ(csOpenCom(7), 4000);
  EXPECT_EQ(csOpenCom(-1), 4000);
}

TEST_F(FrameTest, ShortLengthsAnswer6016AndTouchNothing) {
  open(baseState());
  struct Case {
    int (CSHIS_CALL *fn)(char*, short*);
    short size;
  };
  const Case cases[] = {{hisGetRegisterBasic, 78},   {hisGetTreatmentNoNeedHPC, 498},
                        {hisGetTreatmentNeedHPC, 498}, {hisGetLastSeqNum, 7},
                        {hisGetEmergentTel, 14},      {hisGetCumulativeData, 134},
                        {hisGetCumulativeFee, 20},    {hisGetRegisterPrevent, 126},
                        {hisGetRegisterPregnant, 209}, {hisGetInoculateData, 1400},
                        {hisGetOrganDonate, 1},       {csGetDateTime, 13},
                        {hpcGetHPCSN, 12}};
  for (const Case& c : cases) {
    Reply r = callRead(c.fn, static_cast<short>(c.size - 1), static_cast<size_t>(c.size));
    EXPECT_EQ(r.code, 6016) << c.size;
    EXPECT_EQ(r.bytes, std::string(static_cast<size_t>(c.size), '#'));
    EXPECT_EQ(r.len, c.size - 1);
  }
  EXPECT_EQ(callRead(hisGetRegisterBasic, -5, 78).code, 6016);

  std::string a(3660, '#'), b(1320, '#'), c(360, '#'), d(120, '#');
  short la = 3660, lb = 1319, lc = 360, ld = 120;
  EXPECT_EQ(hisReadPrescription(a.data(), &la, b.data(), &lb, c.data(), &lc, d.data(), &ld), 6016);
  EXPECT_EQ(a, std::string(3660, '#'));
  Reply seq = callRead(
      [](char* buf, short* len) {
        return hisGetSeqNumber256(const_cast<char*>("01"), const_cast<char*>(" "),
                                  const_cast<char*>("1"), buf, len);
      },
      295, 296);
  EXPECT_EQ(seq.code, 6016);
  EXPECT_EQ(readState(), baseState());
}

TEST_F(FrameTest, NullPointersAndNonsenseArgumentsAnswer6018) {
  open(baseState());
  char buf[500];
  short len = 500;
  char text[] = "A123456789";
  EXPECT_EQ(hisGetRegisterBasic(nullptr, &len), 6018);
  EXPECT_EQ(hisGetRegisterBasic(buf, nullptr), 6018);
  EXPECT_EQ(hisGetSeqNumber256(nullptr, text, text, buf, &len), 6018);
  EXPECT_EQ(hisGetSeqNumber(text, nullptr, buf, &len), 6018);
  EXPECT_EQ(hisWriteTreatmentCode(text, nullptr, text, text, text), 6018);
  EXPECT_EQ(hisWritePrescriptionSign(text, text, text, text, nullptr, &len), 6018);
  EXPECT_EQ(hisReadPrescription(buf, &len, nullptr, &len, buf, &len, buf, &len), 6018);
  EXPECT_EQ(csUploadData(nullptr, text, text, buf, &len), 6018);
  EXPECT_EQ(csUnGetSeqNumber(nullptr), 6018);
  EXPECT_EQ(hpcGetHPCStatus(1, nullptr), 6018);
  short status = 0;
  EXPECT_EQ(hpcGetHPCStatus(9, &status), 6018);
  EXPECT_EQ(hisGetCardStatus(7), 6018);
  EXPECT_EQ(csGetCardNo(4, buf, &len), 6018);
  short count = 0;
  EXPECT_EQ(hisReadPrescriptMain(buf, &len, 0, 5, &count), 6018);
  EXPECT_EQ(hisReadPrescriptMain(buf, &len, 5, 61, &count), 6018);
  EXPECT_EQ(hisWriteAllergicNum(text, text, text, text, 4), 6018);
  short many = 61;
  EXPECT_EQ(hisWriteMultiPrescript(text, text, text, text, &many), 6018);
  EXPECT_EQ(lastJournalLine(), "hisWriteMultiPrescript\tA123456789\tA123456789\tA123456789\t"
                               "A123456789\t61\t=> 6018");
  EXPECT_EQ(readState(), baseState());
}

TEST_F(FrameTest, DeclaredButUnusedCallsAnswerPlausibly) {
  open(baseState());
  Reply no = callRead([](char* b, short* l) { return csGetCardNo(2, b, l); }, 12);
  EXPECT_EQ(no.bytes, "000012345678");
  EXPECT_EQ(callRead(hisGetRegisterBasic2, 78).code, 0);
  EXPECT_EQ(callRead(hisGetCriticalIllness, 114).bytes, std::string(114, ' '));
  short count = -1;
  std::string buf(61 * 3, '#');
  short len = static_cast<short>(buf.size());
  ASSERT_EQ(hisReadPrescriptMain(buf.data(), &len, 1, 3, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(buf.substr(0, 20), "11512011000003" + pad("91004C", 6));
  char id[] = "A123456789", birth[] = "0750312", date[] = "1151201", blank[] = " ";
  EXPECT_EQ(hisWriteNewBorn(id, birth, date, blank), 5052);
  char code[] = "41";
  EXPECT_EQ(hisWritePredeliveryCheckup(id, birth, code), 5079);
  EXPECT_EQ(csDisableHCPIN(), 0);  // the keypad holds the PIN 1234
  EXPECT_EQ(csVerifyHCPIN(), 0);   // a card without a PIN asks for none
  EXPECT_EQ(callRead(hpcGetHPCCNAME, 20).bytes, std::string(20, ' '));
}

// --- the state file

using StateTest = SimTest;

TEST_F(StateTest, WithoutAFileTheDemoStateIsUsedAndWrittenAtTheFirstChange) {
  ASSERT_EQ(csOpenCom(0), 0);
  EXPECT_EQ(hisGetCardStatus(1), 2);
  EXPECT_EQ(hisGetCardStatus(2), 2);
  EXPECT_EQ(hisGetCardStatus(3), 3);
  std::string a(3660, ' '), b(1320, ' '), c(360, ' '), d(120, ' ');
  short la = 3660, lb = 1320, lc = 360, ld = 120;
  ASSERT_EQ(hisReadPrescription(a.data(), &la, b.data(), &lb, c.data(), &lc, d.data(), &ld), 0);
  EXPECT_NE(a.find("91004C"), std::string::npos);
  EXPECT_FALSE(fs::exists(statePath_));

  Reply r = callRead(
      [](char* buf, short* len) {
        return hisGetSeqNumber256(const_cast<char*>("02"), const_cast<char*>(" "),
                                  const_cast<char*>("1"), buf, len);
      },
      296);
  ASSERT_TRUE(r.code == 0 || r.code == 5010);
  ASSERT_TRUE(fs::exists(statePath_));
  json hc = readState()["readers"]["1"]["hc"];
  EXPECT_EQ(hc["visits"][0]["time"], r.bytes.substr(0, 13));
  EXPECT_EQ(hc["name"], "王小明");
}

TEST_F(StateTest, DefaultPathsAreInTheCurrentFolderAtOpen) {
  setEnv("CSHIS_SIM", "");
  setEnv("CSHIS_SIM_LOG", "");
  fs::path before = fs::current_path();
  fs::current_path(dir_);
  ASSERT_EQ(csOpenCom(0), 0);
  fs::current_path(before);
  EXPECT_EQ(csVerifySAMDC(), 0);
  char id[] = "A123456789", birth[] = "0750312", tel[] = "02";
  EXPECT_EQ(hisWriteEmergentTel(id, birth, tel), 0);
  csCloseCom();
  setEnv("CSHIS_SIM", statePath_);
  setEnv("CSHIS_SIM_LOG", journalPath_);
  EXPECT_TRUE(fs::exists(dir_ / "cshis-sim.json"));
  std::ifstream log(dir_ / "cshis-sim.log");
  std::string first;
  std::getline(log, first);
  EXPECT_EQ(first, "csOpenCom\t0\t=> 0");
}

TEST_F(StateTest, RewriteIsWholeAndKeepsWhatItDoesNotKnow) {
  json s = baseState();
  s["_comment"] = "a developer's note";
  s["readers"]["1"]["hc"]["_note"] = "kept";
  s["readers"]["2"] = {{"sam", nullptr}};
  open(s);
  char id[] = "A123456789", birth[] = "0750312", tel[] = "0233334444";
  ASSERT_EQ(hisWriteEmergentTel(id, birth, tel), 0);
  json after = readState();
  EXPECT_EQ(after["_comment"], "a developer's note");
  EXPECT_EQ(after["readers"]["1"]["hc"]["_note"], "kept");
  EXPECT_EQ(after["readers"]["2"], s["readers"]["2"]);
  EXPECT_EQ(after["readers"]["1"]["hc"]["emergencyTel"], "0233334444");
  EXPECT_EQ(after["readers"]["1"]["clock"], "1151208093045");
  EXPECT_FALSE(fs::exists(statePath_ + ".tmp"));
}

TEST_F(StateTest, ExtraRecordsAreBeyondTheCardsSlots) {
  json s = baseState();
  json& visits = s["readers"]["1"]["hc"]["visits"];
  visits = json::array();
  for (int i = 0; i < 8; ++i)
    visits.push_back({{"category", "02"}, {"time", "11511" + std::to_string(10 + i) + "100000"}});
  open(s);
  Reply r = callRead(hisGetTreatmentNoNeedHPC, 498);
  EXPECT_EQ(r.bytes.substr(84 + 5 * 69 + 3, 13), "1151115100000");
  EXPECT_EQ(r.bytes.substr(84 + 6 * 69), std::string(498 - 84 - 6 * 69, ' '));
}

TEST_F(StateTest, UnusableFilesMakeTheReaderAbsentAndSayWhy) {
  struct Case {
    std::string text;
    std::string why;
  };
  const Case cases[] = {
      {"", "empty"},
      {"{\"readers\": {", "not valid JSON at line 1, column 14"},
      {"{\n  \"readers\": x\n}", "not valid JSON at line 2, column 14"},
      {"[1, 2]", "state: expected an object"},
      {R"({"readers": {"1": {"hc": {"name": 5}}}})", "readers.1.hc.name: expected text"},
      {R"({"readers": {"1": {"hc": {"visits": {}}}}})", "readers.1.hc.visits: expected a list of objects"},
      {R"({"readers": {"1": {"hc": {"visits": [{"time": 1}]}}}})", "readers.1.hc.visits[0].time: expected text"},
      {R"({"readers": {"1": {"sam": {"status": "2"}}}})", "readers.1.sam.status: expected a whole number"},
      {R"({"readers": {"1": {"hpc": {"status": 99999999999}}}})", "readers.1.hpc.status: number out of range"},
      {R"({"readers": {"1": {"keypad": [1234]}}})", "readers.1.keypad[0]: expected text"},
      {R"({"readers": {"1": {}}, "faults": [{"code": 1}]})", "faults[0].call: missing"},
      {R"({"network": "no", "readers": {"1": {}}})", "network: expected true or false"},
      {std::string(40, '[') + std::string(40, ']'), "nested deeper than 32 levels"},
      {std::string(5 << 20, ' '), "larger than"},
  };
  for (const Case& c : cases) {
    writeText(c.text);
    EXPECT_EQ(csOpenCom(0), 4000) << c.why;
    std::string expected = "csOpenCom\t0\t=> 4000\t" + journaledStatePath() + ": " + c.why;
    EXPECT_EQ(lastJournalLine().substr(0, expected.size()), expected);
    EXPECT_EQ(hisGetCardStatus(2), 4000);
  }
  fs::remove(statePath_);
  fs::create_directory(statePath_);
  EXPECT_EQ(csOpenCom(0), 4000);
  EXPECT_EQ(lastJournalLine(),
            "csOpenCom\t0\t=> 4000\t" + journaledStatePath() + ": not a plain file");
}

TEST_F(StateTest, EveryExampleStateOpens) {
  int examples = 0;
  for (const auto& e : fs::directory_iterator(fs::path(SIM_EXAMPLES_DIR))) {
    // The declaration service's examples (declare-*.json) are not readers.
    if (e.path().filename().string().rfind("declare-", 0) == 0) continue;
    fs::copy_file(e.path(), statePath_, fs::copy_options::overwrite_existing);
    EXPECT_EQ(csOpenCom(0), 0) << e.path() << ": " << lastJournalLine();
    EXPECT_EQ(csGetDateTime(nullptr, nullptr), 6018);
    ++examples;
  }
  EXPECT_EQ(examples, 7);
}

// --- faults

using FaultTest = SimTest;

TEST_F(FaultTest, TimesAndAfterCountCallsAcrossRunsAndTheEntryGoesWhenUsedUp) {
  json s = baseState();
  s["faults"] = {{{"call", "hisGetRegisterBasic"}, {"code", 4013}, {"times", 2}, {"after", 1}}};
  open(s);
  EXPECT_EQ(callRead(hisGetRegisterBasic, 78).code, 0);
  EXPECT_EQ(readState()["faults"], json::parse(R"([{"call": "hisGetRegisterBasic", "code": 4013, "times": 2}])"));
  Reply faulted = callRead(hisGetRegisterBasic, 78);
  EXPECT_EQ(faulted.code, 4013);
  EXPECT_EQ(faulted.bytes, std::string(78, '#'));
  reopen();
  EXPECT_EQ(callRead(hisGetTreatmentNoNeedHPC, 498).code, 0);
  EXPECT_EQ(callRead(hisGetRegisterBasic, 78).code, 4013);
  EXPECT_EQ(readState()["faults"], json::array());
  EXPECT_EQ(callRead(hisGetRegisterBasic, 78).code, 0);
}

TEST_F(FaultTest, AFaultDoesNothingElseAndWithoutTimesLasts) {
  json s = baseState();
  s["faults"] = {{{"call", "hisGetSeqNumber256"}, {"code", 5010}}};
  open(s);
  for (int i = 0; i < 3; ++i) {
    Reply r = callRead(
        [](char* buf, short* len) {
          return hisGetSeqNumber256(const_cast<char*>("01"), const_cast<char*>(" "),
                                    const_cast<char*>("1"), buf, len);
        },
        296);
    EXPECT_EQ(r.code, 5010);
    EXPECT_EQ(r.bytes, std::string(296, '#'));
  }
  EXPECT_EQ(readState(), s);
  EXPECT_EQ(lastJournalLine(), "hisGetSeqNumber256\t01\t \t1\tbuf=296\t=> 5010");
}

TEST_F(FaultTest, OpeningCanFailToo) {
  json s = baseState();
  s["faults"] = {{{"call", "csOpenCom"}, {"code", 4000}, {"times", 1}}};
  writeState(s);
  EXPECT_EQ(csOpenCom(0), 4000);
  EXPECT_EQ(hisGetCardStatus(2), 4000);
  EXPECT_EQ(csOpenCom(0), 0);
  EXPECT_EQ(readState()["faults"], json::array());
}

// --- the journal

using JournalTest = SimTest;

TEST_F(JournalTest, LinesShowArgumentsBuffersAndCodes) {
  open(baseState());
  std::string buf(500, ' ');
  short len = 296;
  hisGetSeqNumber256(const_cast<char*>("01"), const_cast<char*>(" "), const_cast<char*>("1"),
                     buf.data(), &len);
  std::string a(3660, ' '), b(1320, ' '), c(360, ' '), d(120, ' ');
  short la = 3660, lb = 1320, lc = 360, ld = 120;
  hisReadPrescription(a.data(), &la, b.data(), &lb, c.data(), &lc, d.data(), &ld);
  char odd[] = "a\tb\\c\r\nd";
  short rl = 50;
  csUploadData(odd, const_cast<char*>("12"), const_cast<char*>("3"), buf.data(), &rl);
  std::string names = b5("青黴素");
  char id[] = "A123456789", birth[] = "0750312", doc[] = "";
  hisWriteAllergicMedicines(id, birth, names.data(), doc);
  hpcGetHPCStatus(1, &len);
  csCloseCom();
  std::vector<std::string> lines = journalLines();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "csOpenCom\t0\t=> 0",
                       "hisGetSeqNumber256\t01\t \t1\tbuf=296\t=> 0",
                       "hisReadPrescription\tbuf=3660\tbuf=1320\tbuf=360\tbuf=120\t=> 0",
                       "csUploadData\ta\\tb\\\\c\\r\\nd\t12\t3\tbuf=50\t=> 6017",
                       "hisWriteAllergicMedicines\tA123456789\t0750312\t青黴素\t\t=> 0",
                       "hpcGetHPCStatus\t1\t=> 0",
                       "csCloseCom\t=> 0",
                   }));
}

// --- garbled input

using FuzzTest = SimTest;

void allPointers(const json& j, const json::json_pointer& at, std::vector<json::json_pointer>& out) {
  out.push_back(at);
  if (j.is_object())
    for (auto it = j.begin(); it != j.end(); ++it) allPointers(*it, at / it.key(), out);
  else if (j.is_array())
    for (size_t i = 0; i < j.size(); ++i) allPointers(j[i], at / i, out);
}

// Every call the program makes, with the lengths it passes.
void exercise(const std::string& garbage) {
  std::string buf(1400, ' ');
  short l;
  for (auto fn : {hisGetRegisterBasic, hisGetTreatmentNoNeedHPC, hisGetTreatmentNeedHPC,
                  hisGetLastSeqNum, hisGetEmergentTel, hisGetCumulativeData, hisGetCumulativeFee,
                  hisGetRegisterPrevent, hisGetRegisterPregnant, hisGetInoculateData,
                  hisGetOrganDonate, csGetDateTime}) {
    l = 1400;
    fn(buf.data(), &l);
  }
  for (short t = 0; t <= 4; ++t) hisGetCardStatus(t);
  std::string a(3660, ' '), b(1320, ' '), c(360, ' '), d(120, ' ');
  short la = 3660, lb = 1320, lc = 360, ld = 120;
  hisReadPrescription(a.data(), &la, b.data(), &lb, c.data(), &lc, d.data(), &ld);
  std::string g = garbage;
  char id[] = "A123456789", birth[] = "0750312", time[] = "1151201100000";
  l = 296;
  hisGetSeqNumber256(g.data(), g.data(), g.data(), buf.data(), &l);
  hisWriteTreatmentCode(time, id, birth, g.data(), g.data());
  hisWriteTreatmentFee(time, id, birth, g.data());
  l = 40;
  hisWritePrescriptionSign(time, id, birth, g.data(), buf.data(), &l);
  hisWriteAllergicMedicines(id, birth, g.data(), g.data());
  hisWriteEmergentTel(id, birth, g.data());
  hisWriteHealthInsurance(id, birth, g.data(), g.data());
  csUnGetSeqNumber(g.data());
  csVerifyHCPIN();
  hpcVerifyHPCPIN();
  csUpdateHCContents();
  l = 50;
  csUploadData(g.data(), g.data(), g.data(), buf.data(), &l);
}

TEST_F(FuzzTest, GarbledStatesAndArgumentsNeverCrashOrCorruptTheFile) {
  std::mt19937 rng(20261208);
  json rich = baseState();
  json& hc = rich["readers"]["1"]["hc"];
  hc["diagnoses"] = {{{"time", "1151201100000"}, {"main", "K0530"}, {"secondary", {"K0230"}}}};
  hc["allergies"] = {"Penicillin"};
  hc["raw"] = {{"hisGetCumulativeFee", "00000012000000000000"}};
  hc["prevent"] = {{{"item", "05"}, {"date", "1150601"}}};
  rich["faults"] = {{{"call", "csVerifyHCPIN"}, {"code", 5102}, {"times", 1}}};

  std::vector<std::string> states;
  std::string valid = rich.dump();
  for (size_t n = 0; n < valid.size(); n += 41) states.push_back(valid.substr(0, n));
  const json variants[] = {42, -7, 3.5, true, nullptr, json::array(), json::object(),
                           std::string(300, 'x'), std::string(50, '\xe7') /* invalid UTF-8 */};
  std::vector<json::json_pointer> pointers;
  allPointers(rich, json::json_pointer(), pointers);
  // Each place of the state gets one wrong value, the values taken in turn.
  for (size_t k = 1; k < pointers.size(); ++k) {
    json j = rich;
    j[pointers[k]] = variants[k % std::size(variants)];
    states.push_back(j.dump(-1, ' ', false, json::error_handler_t::replace));
  }
  std::uniform_int_distribution<int> byte(0, 255), size(0, 300);
  for (int i = 0; i < 30; ++i) {
    std::string s(static_cast<size_t>(size(rng)), ' ');
    for (char& ch : s) ch = static_cast<char>(byte(rng));
    states.push_back(s);
  }

  for (size_t i = 0; i < states.size(); ++i) {
    writeText(states[i]);
    std::string garbage(static_cast<size_t>(size(rng) % 90), ' ');
    for (char& ch : garbage) ch = static_cast<char>(byte(rng) | 1);  // no NUL inside
    if (csOpenCom(0) == 0) exercise(garbage);
    csCloseCom();
    std::ifstream in(statePath_, std::ios::binary);
    std::stringstream after;
    after << in.rdbuf();
    if (after.str() != states[i]) {
      EXPECT_FALSE(json::parse(after.str(), nullptr, false).is_discarded()) << i;
    }
  }
}

// --- the codes

// Every code the simulator answers is one of the insurer's error-code file,
// so a clinic program's developer sees the text a clinic would: a code the
// file does not hold (or holds for another condition) misleads whoever
// integrates against it.
TEST(Codes, EveryAnswerIsACodeOfTheInsurersFile) {
  std::set<int> known;
  {
    std::ifstream f(IC_ERROR_CODES, std::ios::binary);
    ASSERT_TRUE(f) << IC_ERROR_CODES;
    std::string line;
    while (std::getline(f, line))
      if (line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])))
        known.insert(std::stoi(line.substr(0, 4)));
  }
  std::ifstream h(SIM_SOURCE_DIR "/api.h");
  std::stringstream text;
  text << h.rdbuf();
  std::string header = text.str();
  const std::regex constant(R"(inline constexpr int (k\w+) = (\d+);)");
  int seen = 0;
  for (std::sregex_iterator it(header.begin(), header.end(), constant), end; it != end; ++it) {
    ++seen;
    EXPECT_TRUE(known.count(std::stoi((*it)[2].str()))) << (*it)[1] << " = " << (*it)[2];
  }
  EXPECT_GT(seen, 30);
}

}  // namespace
}  // namespace simtest
