// The fault sweep: for every card verb, each card call the verb makes fails
// in turn (and, for the reads over two readers, each single call of it, so
// that a failure in the first reader's pass is met in the second's too). Whatever fails, the run ends, the reader is left closed, no result
// of an earlier run is left to be read as this one's, and the card-record
// archive is never left half written.
#include <gtest/gtest.h>

#include <map>

#include "tests/e2e/e2e.h"

namespace {

using namespace e2e;

struct Verb {
  const char* C;
  std::vector<const char*> results;  // the files the clinic program reads
  bool eachCall = false;             // also every single call failing alone
};

const std::vector<Verb> kVerbs = {
    {"/ReadF4", {"ReadF4.txt"}},
    {"/ReadF4 /COM2/", {"ReadF4.txt", "ReadF42.txt"}, true},
    {"/WriteF201/hisWriteF2Treatment", {"GetSeqN.txt", "GetSeqN8.txt", "GetSeqN9.txt"}},
    {"/WriteF201New256", {"GetSeqN.txt", "GetSeqN8.txt", "GetSeqN9.txt"}},
    {"/UpLoadData1", {"UpLoad.err"}},
    {"/DentalTreat1", {"ReadF4.txt", "Readf4"}},
    {"/LoadAllData2", {"ReadF4.txt"}},
    {"/csGetDateTime", {"ReadF4.txt"}},
    {"/LastTreatTime", {"ReadF4.txt"}},
    {"/hisGetLastSeqNum", {"ReadF4.txt"}},
    {"/hisWriteTreatmentCode", {}},
    {"/hisWriteAllergicMedicines", {}},
    {"/RegisterPrevent", {}},
    {"/hisGetCardStatus", {}},
};

const std::string kStale = "the previous run's answer\r\n";

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

struct Sweep : Run {
  // The working folder as a clinic leaves it before the verb: inputs, the
  // archive, and every result of an earlier run.
  void prepare(const Verb& v, const std::string& faults) {
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().filename() != "orvosys.ini") fs::remove_all(e.path());
    simState(state(reader(1) + "," + reader(2), faults));
    write("WriteF2.txt", "A123456789,\"x\"\r\n");
    write("icTreat.txt", crlf({"", "A123456789", "0750312", "K0530", "", std::string(37, '0') + "1",
                               "1", "x"}));
    write("UpLoadA.XML", "<upload/>\r\n");
    write("UpLoadA.txt", "A123456789" + std::string(188, ' ') + "\r\n");
    fs::create_directories(path("ic/data"));
    write("ic/dataZ", "");
    write("ic/dataZ.ind", "");
    write("ic/dataZ2", "");
    write("ic/dataZ2.ind", "");
    for (const char* r : v.results) write(r, kStale);
  }

  void check(const Verb& v, const std::string& why) {
    const auto ev = eventLines();
    ASSERT_FALSE(ev.empty()) << why;
    EXPECT_EQ(ev.back(), "exit") << why;
    EXPECT_EQ(result.exitCode, 0) << why;
    EXPECT_TRUE(readerLeftClosed()) << why;
    for (const char* r : v.results) {
      if (has(r)) {
        EXPECT_NE(read(r), kStale) << why << ": " << r;
      }
    }
    for (const char* store : {"ic/dataZ", "ic/dataZ2"}) {
      const size_t record = std::string(store) == "ic/dataZ" ? 1500 : 3000;
      const std::string s = read(store), i = read(std::string(store) + ".ind");
      EXPECT_EQ(s.size() % record, 0u) << why << ": " << store;
      EXPECT_EQ(i.size(), s.size() / record * 10) << why << ": " << store;
      for (size_t k = 0; k * 10 < i.size(); ++k)
        EXPECT_EQ(i.substr(k * 10, 10), s.substr(k * record, 10)) << why << ": " << store;
    }
  }
};

TEST_F(Sweep, EveryCardCallOfEveryVerbFailingInTurn) {
  for (const Verb& v : kVerbs) {
    prepare(v, "");
    run(v.C);
    check(v, std::string(v.C) + " without a fault");
    std::map<std::string, int> called;
    for (const std::string& l : journal()) ++called[l.substr(0, l.find('\t'))];
    for (const auto& [call, times] : called) {
      const std::string fault = "{\"call\": \"" + call + "\", \"code\": 9100";
      prepare(v, "\"faults\": [" + fault + "}]");
      run(v.C);
      check(v, std::string(v.C) + " with " + call + " failing");
      for (int k = 0; v.eachCall && k < times; ++k) {
        prepare(v, "\"faults\": [" + fault + ", \"after\": " + std::to_string(k) + ", \"times\": 1}]");
        run(v.C);
        check(v, std::string(v.C) + " with call " + std::to_string(k + 1) + " of " + call + " failing");
      }
    }
  }
}

}  // namespace
