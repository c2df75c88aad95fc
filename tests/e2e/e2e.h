// End-to-end runs: the built ic started in a scratch working folder with
// IC_UI=record against the simulated reader, as the clinic program starts it.
// A test writes the reader's state and the input files, runs one command line
// and then reads the result files byte for byte, the event log and the
// simulator's journal.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cp950.h"
#include "tests/support/spawn.h"

namespace e2e {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void writeFile(const fs::path& p, const std::string& data) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f << data;
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : text) {
    if (c == '\n') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

inline std::string programName(const std::string& base) {
#if defined(_WIN32)
  return base + ".exe";
#else
  return base;
#endif
}

inline std::string libraryName() {
#if defined(_WIN32)
  return "cshis.dll";
#else
  return "libcshis.so";
#endif
}

// A reader with an authenticated SAM, a valid health card and a professional
// card on COM `port`, as simulator state JSON.
inline std::string reader(int port = 1, const std::string& hcExtra = "") {
  return "\"" + std::to_string(port) + "\": {"
         "\"clock\": \"1151208093045\","
         "\"sam\": {\"status\": 2, \"institution\": \"3501234567\", \"samId\": \"000000012345\"},"
         "\"hc\": {\"status\": 2, \"cardNo\": \"000012345678\", \"name\": \"王小明\","
         "\"id\": \"A123456789\", \"birth\": \"0750312\", \"sex\": \"M\", \"issued\": \"1050101\","
         "\"cancelMark\": \"1\", \"insurer\": \"01\", \"identityMark\": \"3\","
         "\"validUntil\": \"1201231\", \"remaining\": \"05\", \"lastSeq\": \"1150007\","
         "\"emergencyTel\": \"0912345678\", \"pin\": \"1234\"" + hcExtra + "},"
         "\"hpc\": {\"status\": 2, \"pin\": \"0000\", \"locked\": false}}";
}

inline std::string state(const std::string& readers, const std::string& extra = "") {
  return "{\"network\": true, \"readers\": {" + readers + "}" + (extra.empty() ? "" : ", " + extra) + "}";
}

struct Run : ::testing::Test {
  fs::path dir;      // the working folder
  fs::path bin;      // the folder of the program under test
  std::vector<std::pair<std::string, std::string>> env;
  SpawnResult result;

  void SetUp() override {
    std::random_device rd;
    dir = fs::temp_directory_path() /
          ("ic-e2e-" + std::to_string(rd()) + "-" + std::to_string(rd()) + "-" +
           std::to_string(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    bin = IC_TEST_BIN;
    // A working folder holds its orvosys.ini, or the program moves to c:\orvo.
    write("orvosys.ini", "[OrvoDent]\r\n");
  }
  void TearDown() override {
    std::error_code ec;
    if (!HasFailure()) fs::remove_all(dir, ec);
    else std::cerr << "kept " << dir << "\n";
  }

  fs::path path(const std::string& name) const { return dir / name; }
  void write(const std::string& name, const std::string& data) { writeFile(path(name), data); }
  std::string read(const std::string& name) const { return readFile(path(name)); }
  bool has(const std::string& name) const { return fs::exists(path(name)); }
  // The program's folder ic\ holds something besides the run log's ic\log\.
  bool hasIcBesidesLog() const {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path("ic"), ec))
      if (e.path().filename() != "log") return true;
    return false;
  }
  void simState(const std::string& json) { write("cshis-sim.json", json); }

  // Runs the program with command line C; `program` defaults to the built ic.
  SpawnResult run(const std::string& C, const fs::path& program = {}) {
    std::vector<std::pair<std::string, std::string>> e = {
        {"IC_UI", "record"},
        {"IC_UI_LOG", (dir / "ui.log").string()},
        {"CSHIS_SIM", (dir / "cshis-sim.json").string()},
        {"CSHIS_SIM_LOG", (dir / "cshis-sim.log").string()},
        {"IC_DRIVE_ROOT", (dir / "drives").string()},
    };
    e.insert(e.end(), env.begin(), env.end());
    fs::path p = program.empty() ? bin / programName("ic") : program;
    result = spawnAndWait(p.string(), C, dir.string(), e, 120);
    EXPECT_FALSE(result.timedOut) << C;
    return result;
  }

  // The event log as the verbs' tests compare it: without each run's first
  // line `start` (the command line) and with `exit` without its code; the
  // whole log is rawEventLines().
  std::vector<std::string> rawEventLines() const { return lines(read("ui.log")); }
  std::vector<std::string> verbEventLines() const {
    std::vector<std::string> out;
    for (const std::string& l : rawEventLines()) {
      if (l.rfind("start\t", 0) == 0) continue;
      out.push_back(l.rfind("exit\t", 0) == 0 ? "exit" : l);
    }
    return out;
  }

  // The event log, one vector of fields per line (UTF-8).
  std::vector<std::vector<std::string>> events() const {
    std::vector<std::vector<std::string>> out;
    for (const std::string& l : verbEventLines()) {
      std::vector<std::string> fields;
      std::string cur;
      for (char c : l) {
        if (c == '\t') {
          fields.push_back(cur);
          cur.clear();
        } else {
          cur += c;
        }
      }
      fields.push_back(cur);
      out.push_back(fields);
    }
    return out;
  }
  std::vector<std::string> eventLines() const { return verbEventLines(); }
  // The simulator's journal; the reason it gives after a refusal's code is left off.
  std::vector<std::string> journal() const {
    std::vector<std::string> out = rawJournal();
    for (std::string& l : out) {
      size_t arrow = l.rfind("\t=> ");
      size_t tab = arrow == std::string::npos ? arrow : l.find('\t', arrow + 1);
      if (tab != std::string::npos) l.erase(tab);
    }
    return out;
  }
  std::vector<std::string> rawJournal() const { return lines(read("cshis-sim.log")); }
  // Journal lines of one function.
  std::vector<std::string> calls(const std::string& fn) const {
    std::vector<std::string> out;
    for (const std::string& l : journal())
      if (l.rfind(fn + "\t", 0) == 0 || l == fn) out.push_back(l);
    return out;
  }
  // The reader was left closed: after the last successful open comes a close.
  bool readerLeftClosed() const {
    std::vector<std::string> j = journal();
    long lastOpen = -1, lastClose = -1;
    for (size_t i = 0; i < j.size(); ++i) {
      if (j[i].rfind("csOpenCom\t", 0) == 0 && j[i].size() > 5 &&
          j[i].substr(j[i].size() - 5) == "\t=> 0")
        lastOpen = static_cast<long>(i);
      if (j[i].rfind("csCloseCom", 0) == 0) lastClose = static_cast<long>(i);
    }
    return lastOpen < 0 || lastClose > lastOpen;
  }
};

// Extra health-card fields for e2e::reader().
inline std::string hc(const std::string& fields) { return ", " + fields; }

// The event log holds this event.
inline bool shown(const std::vector<std::vector<std::string>>& events,
                  const std::vector<std::string>& want) {
  for (const auto& e : events)
    if (e == want) return true;
  return false;
}

// CP950 bytes of a UTF-8 text, for comparing result files.
inline std::string big5(const std::string& utf8) { return cp950::fromUtf8(utf8); }

}  // namespace e2e
