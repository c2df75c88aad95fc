// The full-disk sweep: every verb run again and again with the disk full from
// its n-th write on (the test mode's IC_DISK_FULL_AT: the failing write leaves
// half its bytes, as a disk that fills up does). Whatever write fails, the run
// ends, the reader is left closed, no file that was there before is shortened
// or torn, a result file is whole or absent, and a run that says nothing of a
// failure has left exactly what a run on a roomy disk leaves.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "tests/e2e/e2e.h"

namespace {

using namespace e2e;

struct Verb {
  const char* C;
  std::vector<const char*> results;  // replaced whole by the run, never appended to
  const char* answers = "";
};

const std::vector<Verb> kVerbs = {
    {"/ReadF4", {"ReadF4.txt"}},
    {"/WriteF201New256/hisWriteF2Treatment", {"GetSeqN.txt", "GetSeqN8.txt", "GetSeqN9.txt"}},
    {"/WriteF201/hisWriteF2Treatment", {"GetSeqN.txt", "GetSeqN8.txt", "GetSeqN9.txt"}},
    {"/hisWriteTreatmentCode", {}},
    {"/UpLoadData1", {"UpLoad.err"}},
    {"/DentalTreat1", {"ReadF4.txt", "Readf4"}},
    {"/LoadAllData2", {"ReadF4.txt", "IcDatTmp.txt"}},
    {"/csGetDateTime", {"ReadF4.txt"}},
    {"/LastTreatTime", {"ReadF4.txt"}},
    {"/hisGetLastSeqNum", {"ReadF4.txt"}},
    {"//ReName_noicname", {}, "ok,cancel"},
    {"/UploadMth/", {}, "ok"},
    {"/DownLoadProc/", {}, "ok"},
};

// What a file held before the run: archives with a record of another
// holder, inputs, and an earlier run's results.
// An earlier dental visit on the card, for the direct treatment verb.
const std::string kVisit = R"(, "visits": [{"category": "02", "newborn": " ", "time": "1151201100000",
    "supplement": "1", "seq": "0007", "institution": "3501234567"}])";

const std::string kStale = "the previous run's answer\r\n";

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

std::string totfa() {
  std::string r(300, ' ');
  r.replace(12, 5, "11511");
  r[18] = '2';
  r.replace(276, 4, "0012");
  r.replace(283, 7, "0034567");
  return r;
}

// Files the sweep does not judge: the logs (the run log under ic/log is
// diagnostics, skipped when it cannot be written), the simulators' state and
// the program's own scratch.
bool ignored(const std::string& name) {
  static const std::regex skip(R"((ui\.log|cshis-sim.*|declare-sim.*|operator\.txt|orvosys\.ini|drives.*|ic/ic\.lock|filetemp\.tmp|ic/data|ic/samsign|ic/log/.*|ic/log|ic))");
  return std::regex_match(name, skip);
}

// uprecv.txt's lines carry the time of the upload.
std::string withoutTimes(std::string s) {
  static const std::regex time(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)");
  return std::regex_replace(s, time, "T");
}

// Two folders' files alike but for the times written into them (a run that
// crosses a second boundary writes another time into uprecv.txt).
bool sameButForTimes(const std::map<std::string, std::string>& a,
                     const std::map<std::string, std::string>& b) {
  if (a.size() != b.size()) return false;
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
    if (i->first != j->first || withoutTimes(i->second) != withoutTimes(j->second)) return false;
  return true;
}

struct FullSweep : Run {
  std::map<std::string, std::string> before;

  void prepare(const Verb& v) {
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().filename() != "orvosys.ini") fs::remove_all(e.path());
    // The professional card's PIN verified, as the full report needs.
    std::string card = reader(1, kVisit);
    card[card.find("\"hpc\": {\"status\": 2") + 18] = '3';
    simState(state(card, "\"upload\": {\"uploadTime\": \"20261208093045\", "
                              "\"receiveTime\": \"20261208093050\"}"));
    write("declare-sim.json", R"({"institutions": {"3501234567": {"password": "demo"}}, "today": "20261208"})");
    writeFile(dir / "drives" / "c" / "orvo.ini",
              "[OrvoDent]\r\nOfficeCode=3501234567\r\nreportcode=demo\r\n");
    write("WriteF2.txt", "A123456789,\"x\"\r\n");
    // The registration's own time for "/WriteF2", the card's earlier visit for the direct verb.
    const std::string time = std::string(v.C).find("WriteF2") != std::string::npos ? "" : "1151201100000";
    write("icTreat.txt", crlf({time, "A123456789", "0750312", "K0530", "",
                               std::string(37, '0') + "1", "1",
                               std::string(13, ' ') + "1AC45856100        TID               030000900"}));
    write("UpLoadA.XML", "<upload/>\r\n");
    write("UpLoadA.txt", "A123456789" + std::string(188, ' ') + "\r\n");
    write("noicname.txt", "A123456789 somebody\r\n");
    write("totfa.10", totfa());
    write("totfa.zip", "PK claim");
    write("uprecv.txt", "115120100000001 2026/12/01 09:00:00 11510 totfa.zip\r\n");
    write("ic/dataZ", "B223456789" + std::string(1490, 'r'));
    write("ic/dataZ.ind", "B223456789");
    write("ic/dataZ2", "B223456789" + std::string(2990, 't'));
    write("ic/dataZ2.ind", "B223456789");
    write("ic/ZupRn", std::string(68, '0') + "\r\n");
    fs::create_directories(path("ic/data"));
    write("ic/samsign/aM1K0000.115", std::string(300, 's'));
    for (const char* r : v.results) write(r, kStale);
    before = snapshot();
  }

  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
      const std::string rel = fs::relative(it->path(), dir).generic_string();
      if (it->is_regular_file() && !ignored(rel)) files[rel] = readFile(it->path());
    }
    return files;
  }

  bool told() const {
    for (const auto& e : events())
      if (e[0] == "red" || (e[0] == "msgbox" && std::regex_search(e[2], std::regex("錯誤|失敗|未能|無法"))))
        return true;
    return false;
  }

  void check(const Verb& v, const std::map<std::string, std::string>& roomy, const std::string& why) {
    const auto ev = eventLines();
    ASSERT_FALSE(ev.empty()) << why;
    EXPECT_EQ(ev.back(), "exit") << why;
    EXPECT_NE(result.exitCode, 70) << why;
    EXPECT_TRUE(readerLeftClosed()) << why;
    const auto after = snapshot();
    for (const auto& [name, old] : before) {
      const bool result = std::find_if(v.results.begin(), v.results.end(),
                                       [&](const char* r) { return name == r; }) != v.results.end();
      auto it = after.find(name);
      if (it == after.end()) continue;  // consumed or removed, judged below
      if (result) {
        EXPECT_NE(it->second, kStale) << why << ": " << name << " left from the earlier run";
        EXPECT_TRUE(it->second.size() >= 2 && it->second.substr(it->second.size() - 2) == "\r\n")
            << why << ": " << name << " is torn";
      } else if (name != "uprecv.txt" || v.C != std::string("/ReportSample/")) {
        EXPECT_GE(it->second.size(), old.size()) << why << ": " << name << " shortened";
        EXPECT_EQ(it->second.substr(0, old.size()), old) << why << ": " << name << " changed";
      }
    }
    // The archives may end in a torn record of this run; the records they
    // held are checked above, and the next save writes over such a tail.
    // Without a word of a failure, the run left what a roomy disk leaves.
    if (!told()) {
      for (const auto& [name, data] : roomy) {
        auto it = after.find(name);
        ASSERT_NE(it, after.end()) << why << ": " << name << " missing, and nothing said";
        EXPECT_EQ(withoutTimes(it->second), withoutTimes(data)) << why << ": " << name << ", and nothing said";
      }
    }
  }
};

TEST_F(FullSweep, EveryVerbWithTheDiskFullFromEachWriteOn) {
  // The run log's lines would be most of the writes counted; the sweep is of
  // what the clinic program and the archives keep. A log that cannot be
  // written is the run log's own test.
  write("orvosys.ini", "[OrvoDent]\r\nRunLog=0\r\n");
  for (const Verb& v : kVerbs) {
    env = {{"DECLARE_SIM", (dir / "declare-sim.json").string()},
           {"DECLARE_SIM_LOG", (dir / "declare-sim.log").string()}};
    if (*v.answers) env.push_back({"IC_UI_ANSWERS", v.answers});
    prepare(v);
    run(v.C);
    const auto roomy = snapshot();
    EXPECT_FALSE(told()) << v.C << " on a roomy disk: " << read("ui.log");
    int n = 1;
    for (; n <= 40; ++n) {
      prepare(v);
      auto e = env;
      env.push_back({"IC_DISK_FULL_AT", std::to_string(n)});
      run(v.C);
      env = e;
      check(v, roomy, std::string(v.C) + " full from write " + std::to_string(n));
      if (HasFailure()) return;
      // Past the run's last write: the disk never filled.
      if (!told() && sameButForTimes(snapshot(), roomy)) break;
    }
    EXPECT_LE(n, 40) << v.C << ": more writes than the sweep tries";
  }
}

}  // namespace
