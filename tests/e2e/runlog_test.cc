// The run log (ic\log\icYYYYMMDD.log) and --ic-diagnose end to end: what a
// support technician finds after a run, that nothing of the patient is in it
// in clear, that a log which cannot be written changes nothing of the run,
// and the test mode's first and last events.
#include <ctime>
#include <regex>
#include <thread>

#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

struct RunLog : e2e::Run {
  // Every file under ic\log\ whose name starts so, in name order.
  Lines logFiles(const std::string& prefix) const {
    Lines names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path("ic/log"), ec))
      if (e.path().filename().string().rfind(prefix, 0) == 0) names.push_back(e.path().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The day's log: one file, UTF-8 with its byte order mark, CR LF lines.
  std::string log() const {
    const Lines files = logFiles("ic");
    EXPECT_EQ(files.size(), 1u);
    if (files.empty()) return {};
    return readFile(files[0]);
  }
  Lines logLines() const {
    std::string text = log();
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "byte order mark";
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    Lines out = lines(text);
    for (std::string& l : out) {
      EXPECT_FALSE(l.empty() || l.back() != '\r') << l;
      if (!l.empty() && l.back() == '\r') l.pop_back();
    }
    return out;
  }
  bool logHas(const std::string& part) const { return log().find(part) != std::string::npos; }
  std::string report() const {
    const Lines files = logFiles("diag-");
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::string() : readFile(files.back());
  }
  // No file under the folder holds the text (files named in `skip` aside).
  void nowhere(const fs::path& folder, const std::string& text, const Lines& skip = {}) const {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec)) {
      if (!e.is_regular_file()) continue;
      if (std::find(skip.begin(), skip.end(), e.path().filename().string()) != skip.end()) continue;
      EXPECT_EQ(readFile(e.path()).find(text), std::string::npos) << e.path() << " holds " << text;
    }
  }
  fs::path programBeside(const std::string& library) {
    const fs::path folder = dir / "prog";
    fs::create_directories(folder);
    fs::copy_file(bin / programName("ic"), folder / programName("ic"));
    if (!library.empty()) fs::copy_file(bin / library, folder / libraryName());
    return folder / programName("ic");
  }
};

// Each line: the date and time to the millisecond, the process id, a kind.
const std::regex kLine(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[\d+\] [a-z]+ +\S.*)");

std::string lacking() {
#if defined(_WIN32)
  return "cshis_lacking.dll";
#else
  return "libcshis_lacking.so";
#endif
}

// The simulator's clock as ROC text, and that clock less this computer's, in seconds.
std::string rocClock(long long offset) {
  std::time_t t = std::time(nullptr) + static_cast<std::time_t>(offset);
  std::tm tm = *std::localtime(&t);
  char b[40];
  std::snprintf(b, sizeof b, "%03d%02d%02d%02d%02d%02d", (tm.tm_year + 1900 - 1911) % 1000,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return b;
}

}  // namespace

TEST_F(RunLog, AReadLeavesItsCallsCodesAndDurationsAndNoIdentityInClear) {
  write("ic/dataZ", "");
  write("ic/dataZ.ind", "");
  simState(state(reader(1)));
  run("/ReadF4");
  ASSERT_TRUE(has("ReadF4.txt"));
  const Lines l = logLines();
  for (const std::string& line : l) EXPECT_TRUE(std::regex_match(line, kLine)) << line;
  EXPECT_TRUE(logHas("start   ic ")) << log();
  EXPECT_TRUE(logHas("command line \"/ReadF4\""));
  EXPECT_TRUE(logHas("card library loaded from "));
  EXPECT_TRUE(logHas("(the start folder, orvosys.ini found)"));
  EXPECT_TRUE(std::regex_search(log(), std::regex(R"(call +csOpenCom\(port 0 = COM1\) = 0 ok, \d+ ms)")));
  EXPECT_TRUE(std::regex_search(log(), std::regex(R"(call +hisGetRegisterBasic\(len 78\) = 0 ok, \d+ ms)")));
  EXPECT_TRUE(std::regex_search(log(), std::regex(R"(file +written .*ReadF4\.txt.* \(94 bytes\))")));
  EXPECT_TRUE(std::regex_search(l.back(), std::regex(R"(end +how=normal exit=0 lastStatus=0 error="" ms=\d+ cmd="/ReadF4")")));
  // The archive holds the holder in clear; the log and the report never.
  EXPECT_EQ(read("ic/dataZ").substr(0, 10), "A123456789");
  run("--ic-diagnose");
  nowhere(path("ic/log"), "A123456789");
  nowhere(path("ic/log"), "王小明");
  nowhere(path("ic/log"), big5("王小明"));
  // The test mode's event log: the command line first, the exit code last.
  const Lines ev = rawEventLines();
  ASSERT_GE(ev.size(), 4u);
  EXPECT_EQ(ev.front(), "start\t/ReadF4");
  EXPECT_EQ(ev.back(), "exit\t0");
  EXPECT_NE(std::find(ev.begin(), ev.end(), "start\t--ic-diagnose"), ev.end());
}

TEST_F(RunLog, AMissingLibraryAndALibraryLackingAFunctionAreToldApart) {
  const struct {
    std::string library;  // beside the program; empty: none
    std::string says, call;
  } cases[] = {
      {"", "card library NOT loaded: not found", "csOpenCom(port 0 = COM1) = 48 the card library is not loaded"},
      {lacking(), "card library lacks hisGetRegisterBasic (that call answers 453)",
       "hisGetRegisterBasic(len 78) = 453 the card library has no such function"},
  };
  for (const auto& c : cases) {
    fs::remove_all(dir / "prog");
    fs::remove_all(path("ic"));
    run("/ReadF4", programBeside(c.library));
    EXPECT_TRUE(logHas(c.says)) << log();
    EXPECT_TRUE(logHas(c.call)) << log();
  }
}

TEST_F(RunLog, NoReaderOnThePortIsItsCodeAndTheRedMessage) {
  simState(state(reader(2)));
  run("/ReadF4");
  EXPECT_TRUE(std::regex_search(log(), std::regex(R"(csOpenCom\(port 0 = COM1\) = 4000 \S+)")));
  EXPECT_TRUE(logHas("red for 0 s: 4000 無法開啟 通訊阜 1"));
  EXPECT_TRUE(logHas("how=normal exit=0 lastStatus=4000"));
}

TEST_F(RunLog, AFailingCallInARegistrationIsLoggedWithItsCodeAndTheMaskedIdentity) {
  simState(state(reader(1), "\"faults\": [{\"call\": \"hisGetSeqNumber256\", \"code\": 5003}]"));
  write("WriteF2.txt", "A123456789\r\n");
  run("/WriteF201New256");
  EXPECT_TRUE(logHas("hisGetSeqNumber256(category 01, newborn , make-up 1, len 296) = 5003 卡片已過有限期限"))
      << log();
  EXPECT_TRUE(logHas("red for 20 s: 卡片已過有限期限"));
  EXPECT_TRUE(logHas("error=\"卡片已過有限期限\""));
  EXPECT_TRUE(logHas("written "));
  nowhere(path("ic/log"), "A123456789");
}

TEST_F(RunLog, AnUnwritableLogChangesNothingOfTheRun) {
  simState(state(reader(1)));
  run("/ReadF4");
  const std::string result = read("ReadF4.txt");
  const Lines events = eventLines();
  fs::remove_all(path("ic/log"));
  write("ic/log", "a file where the folder should be");
  fs::remove(path("ui.log"));
  EXPECT_EQ(run("/ReadF4").exitCode, 0);
  EXPECT_EQ(read("ReadF4.txt"), result);
  EXPECT_EQ(eventLines(), events);
  // --ic-diagnose says so (its report cannot be saved there either: standard output).
  fs::remove(path("ui.log"));
  EXPECT_EQ(run("--ic-diagnose").exitCode, 0);
}

TEST_F(RunLog, TwoRunsAtOnceBothCompleteInWholeLines) {
  simState(state(reader(1)));
  run("/ReadF4");  // the folders made, the archive started
  std::vector<std::pair<std::string, std::string>> e = {
      {"IC_UI", "console"},
      {"CSHIS_SIM", (dir / "cshis-sim.json").string()},
      {"CSHIS_SIM_LOG", (dir / "cshis-sim.log").string()},
      {"IC_DRIVE_ROOT", (dir / "drives").string()},
  };
  SpawnResult a, b;
  const std::string program = (bin / programName("ic")).string();
  for (int round = 0; round < 3; ++round) {
    std::thread first([&] { a = spawnAndWait(program, "/ReadF4", dir.string(), e, 120); });
    std::thread second([&] { b = spawnAndWait(program, "/hisGetLastSeqNum", dir.string(), e, 120); });
    first.join();
    second.join();
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(b.exitCode, 0);
  }
  size_t ends = 0;
  for (const std::string& line : logLines()) {
    EXPECT_TRUE(std::regex_match(line, kLine)) << line;
    if (line.find("] end ") != std::string::npos) ++ends;
  }
  EXPECT_EQ(ends, 7u);
}

TEST_F(RunLog, DiagnoseWithTheSimulatedReader) {
  const long long offset = -3600;  // the reader an hour behind
  simState(state(reader(1)));
  {
    std::string s = read("cshis-sim.json");
    const std::string from = "1151208093045";
    s.replace(s.find(from), from.size(), rocClock(offset));
    simState(s);
  }
  run("/ReadF4");
  EXPECT_EQ(run("--ic-diagnose").exitCode, 0);
  const std::string r = report();
  for (const char* part : {"version: ", "[Working folder]", "writable: yes", "free space: ",
                           "[Settings (section OrvoDent)]", "[Run log]", "RunLog=1 (on)",
                           "[Card library]", "path: ", "size: ", "date: ", "file version: ",
                           "functions missing: none", "[Reader]", "COM1: csOpenCom = 0 ok",
                           "SAM: 2", "health card: 2", "professional card: 2",
                           "COM2: csOpenCom = 4000", "COM4: csOpenCom = 4000",
                           "[Declaration and unzip libraries]", "PEAT1511B01", "nhi_eiiapi",
                           "unzip: ", "[Last 20 runs]", "\"/ReadF4\"  normal, exit 0, lastStatus 0"})
    EXPECT_NE(r.find(part), std::string::npos) << part << "\n" << r;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r, m, std::regex(R"(difference (-?\d+) s)"))) << r;
  EXPECT_NEAR(std::stoll(m[1]), offset, 5);
  // Status calls only, and the port it opened is closed.
  for (const std::string& l : journal()) {
    const std::string fn = l.substr(0, l.find('\t'));
    EXPECT_TRUE(fn == "csOpenCom" || fn == "csCloseCom" || fn == "hisGetCardStatus" ||
                fn == "csGetDateTime" || fn == "hisGetRegisterBasic" || fn == "hisGetLastSeqNum" ||
                fn == "hisGetTreatmentNoNeedHPC")
        << l;
  }
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(RunLog, DiagnoseWithNoReaderAndWithNoLibrary) {
  simState(state(""));
  run("--ic-diagnose");
  std::string r = report();
  for (int port = 1; port <= 4; ++port)
    EXPECT_NE(r.find("COM" + std::to_string(port) + ": csOpenCom = 4000"), std::string::npos) << r;
  EXPECT_EQ(calls("csCloseCom").size(), 0u) << "only opened ports are closed";

  fs::remove_all(path("ic"));
  run("--ic-diagnose", programBeside(""));
  r = report();
  EXPECT_NE(r.find("NOT loaded: not found"), std::string::npos) << r;
  EXPECT_NE(r.find("no card library: no port tried"), std::string::npos) << r;
  EXPECT_NE(r.find("[Last 20 runs]"), std::string::npos) << r;
}
