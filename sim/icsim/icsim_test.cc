// icsim's reading of state files: every example and every scenario is taken
// as the simulators take it, and a broken file has each of its problems named
// at its line and column.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/icsim/check.h"
#include "sim/icsim/scenarios.h"

namespace icsim {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::vector<std::string> named(const std::vector<Problem>& problems) {
  std::vector<std::string> out;
  for (const Problem& p : problems)
    out.push_back(std::to_string(p.line) + ":" + std::to_string(p.column) + " " + p.field + ": " + p.what);
  return out;
}

TEST(IcsimCheck, EveryExampleAndEveryScenarioIsTaken) {
  int examples = 0;
  for (const auto& e : fs::directory_iterator(IC_SOURCE_DIR "/sim/examples")) {
    if (e.path().extension() != ".json") continue;
    ++examples;
    const std::string text = slurp(e.path());
    const Simulator sim = simulatorOf(text, e.path().filename().string());
    EXPECT_EQ(named(checkState(text, sim)), std::vector<std::string>{}) << e.path();
    EXPECT_EQ(named(unknownKeys(text, sim)), std::vector<std::string>{}) << e.path();
  }
  EXPECT_GE(examples, 8);
  for (const Scenario& s : scenarios()) {
    const std::string text = scenarioText(s);
    EXPECT_EQ(simulatorOf(text, "x.json"), s.simulator) << s.name;
    EXPECT_EQ(named(checkState(text, s.simulator)), std::vector<std::string>{}) << s.name;
    EXPECT_EQ(named(unknownKeys(text, s.simulator)), std::vector<std::string>{}) << s.name;
  }
  EXPECT_EQ(scenarios().size(), 20u);
}

TEST(IcsimCheck, EveryProblemOfABrokenFileIsNamedWhereItIs) {
  const struct {
    const char* name;
    std::string text;
    Simulator simulator;
    std::vector<std::string> problems;
  } cases[] = {
      {"card state",
       "{\n"
       "  \"network\": \"no\",\n"
       "  \"readers\": {\n"
       "    \"1\": {\n"
       "      \"keypad\": [1234, \"0000\"],\n"
       "      \"hc\": { \"name\": \"王\", \"sex\": 5, \"visits\": [ 3, { \"time\": 1 } ],\n"
       "              \"raw\": { \"hisReadPrescription.outpatient\": 7 } },\n"
       "      \"hpc\": { \"locked\": \"yes\" }\n"
       "    }\n"
       "  },\n"
       "  \"faults\": [ { \"code\": 1 }, { \"call\": \"x\", \"code\": \"y\" } ]\n"
       "}\n",
       Simulator::Card,
       {"2:14 network: expected true or false", "5:18 readers.1.keypad[0]: expected text",
        // Columns count characters: 王 is one.
        "6:35 readers.1.hc.sex: expected text", "6:50 readers.1.hc.visits[0]: expected an object",
        "6:63 readers.1.hc.visits[1].time: expected text",
        "7:58 readers.1.hc.raw.hisReadPrescription.outpatient: expected text",
        "8:26 readers.1.hpc.locked: expected true or false",
        "11:15 faults[0].call: missing", "11:53 faults[1].code: expected a whole number"}},
      {"declaration state",
       R"({"uploads": [{"file": 3}], "faults": [{"call": "NHI_GetB"}], "institutions": {"1": 5}})",
       Simulator::Declare,
       {"1:14 uploads[0].receipt: missing", "1:23 uploads[0].file: expected text",
        "1:39 faults[0].code: missing", "1:84 institutions.1: expected an object"}},
      {"not JSON", "{\n  \"readers\": {\n    \"1\": { \"hc\": { \"name\": \"x\", }\n  }\n}\n",
       Simulator::Card,
       {"3:33 : not valid JSON: syntax error while parsing object key - unexpected '}'; "
        "expected string literal"}},
      {"not an object", "[1, 2]", Simulator::Card, {"1:1 : expected an object"}},
      {"empty", " \n", Simulator::Card, {"1:1 : empty"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(simulatorOf(c.text, "state.json"), c.simulator) << c.name;
    EXPECT_EQ(named(checkState(c.text, c.simulator)), c.problems) << c.name;
  }
}

// A key the simulator never reads is most often a misspelt one: named, though
// the file is taken.
TEST(IcsimCheck, KeysTheSimulatorNeverReadsAreNamed) {
  const std::string card =
      "{\"readers\": {\"1\": {\"hc\": {\"remainig\": \"00\", \"visits\": [{\"tme\": \"x\"}],\n"
      "  \"raw\": {\"hisGetRegisterBasik\": \"\"}}, \"sam\": {\"status\": 1, \"samid\": \"\"}},\n"
      "  \"COM1\": {}}, \"netwrok\": false}";
  const std::string never = "unknown key: the simulator keeps it but never reads it";
  EXPECT_EQ(named(checkState(card, Simulator::Card)), std::vector<std::string>{});
  EXPECT_EQ(named(unknownKeys(card, Simulator::Card)),
            (std::vector<std::string>{"1:27 readers.1.hc.remainig: " + never,
                                      "1:57 readers.1.hc.visits[0].tme: " + never,
                                      "2:11 readers.1.hc.raw.hisGetRegisterBasik: " + never,
                                      "2:61 readers.1.sam.samid: " + never,
                                      "3:3 readers.COM1: not a port: readers are \"1\" to \"4\"",
                                      "3:16 netwrok: " + never}));
  const std::string declare = R"({"institutions": {"1": {"pasword": "x"}}, "uploads": [{"receipt": "1", "acepted": true}]})";
  EXPECT_EQ(named(unknownKeys(declare, Simulator::Declare)),
            (std::vector<std::string>{"1:25 institutions.1.pasword: " + never,
                                      "1:72 uploads[0].acepted: " + never}));
}

}  // namespace
}  // namespace icsim
