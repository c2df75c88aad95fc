// What the simulator's tests share: a fresh folder with its own state file and
// journal per test, a reader state to start from, and reply helpers. Every
// test talks to the library through its C interface only.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/cp950.h"
#include "cshis.h"

namespace simtest {

using nlohmann::json;
namespace fs = std::filesystem;

inline void setEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

// A reader on COM1 with a fixed clock (8 December of ROC year 115, 09:30:45),
// an authenticated SAM, a health card with one visit and one order, and a
// professional card whose PIN was verified.
inline json baseState() {
  return json::parse(R"json({
    "readers": { "1": {
      "clock": "1151208093045",
      "keypad": ["1234"],
      "sam": { "status": 2, "institution": "3501234567", "samId": "000000012345" },
      "hc": {
        "status": 2, "cardNo": "000012345678", "name": "王小明", "id": "A123456789",
        "birth": "0750312", "sex": "M", "issued": "1050101", "cancelMark": "1",
        "insurer": "01", "identityMark": "3", "validUntil": "1201231", "remaining": "05",
        "newbornBirth": "", "newbornTwin": "", "lastSeq": "1150007",
        "emergencyTel": "0912345678", "pin": "1234",
        "visits": [ { "category": "02", "newborn": " ", "time": "1151201100000",
                      "supplement": "1", "seq": "0007", "institution": "3501234567" } ],
        "outpatientOrders": [ { "time": "1151201100000", "type": "3", "item": "91004C",
                                "part": "FM", "usage": "", "days": "", "total": "0000100",
                                "deliver": "01" } ]
      },
      "hpc": { "status": 3, "pin": "0000" }
    } }
  })json");
}

struct Reply {
  int code;
  std::string bytes;  // the whole buffer passed, so that bytes past the reply show
  short len;
};

// A buffer filled with '#' (never part of a reply), `size` long, with the
// length `len` passed.
template <class F>
Reply callRead(F fn, short len, size_t size = 0) {
  std::string buf(size ? size : static_cast<size_t>(len > 0 ? len : 1), '#');
  short l = len;
  int code = fn(buf.data(), &l);
  return {code, buf, l};
}

inline std::string b5(const char* utf8) { return cp950::fromUtf8(utf8); }
inline std::string pad(std::string s, size_t width) {
  s.resize(width, ' ');
  return s;
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique per run as well: other builds may run the same tests at the same time.
    std::random_device random;
    dir_ = fs::temp_directory_path() / (std::string("cshis-sim-") + t->test_suite_name() + "-" +
                                        t->name() + "-" + std::to_string(random()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    statePath_ = (dir_ / "state.json").string();
    journalPath_ = (dir_ / "sim.log").string();
    setEnv("CSHIS_SIM", statePath_);
    setEnv("CSHIS_SIM_LOG", journalPath_);
  }
  void TearDown() override {
    csCloseCom();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  void writeText(const std::string& text) {
    std::ofstream(statePath_, std::ios::binary) << text;
  }
  void writeState(const json& state) { writeText(state.dump(2)); }
  json readState() {
    std::ifstream in(statePath_, std::ios::binary);
    return json::parse(in);
  }
  // Writes the state and opens COM1.
  void open(const json& state) {
    writeState(state);
    ASSERT_EQ(csOpenCom(0), 0) << journalText();
  }
  // Closes and opens again: what a later run of the program sees.
  void reopen() {
    csCloseCom();
    ASSERT_EQ(csOpenCom(0), 0) << journalText();
  }
  // The state path as a journal line writes it (a backslash doubled).
  std::string journaledStatePath() const {
    std::string out;
    for (char c : statePath_) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  }
  std::string journalText() {
    std::ifstream in(journalPath_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> journalLines() {
    std::vector<std::string> lines;
    std::stringstream s(journalText());
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
  }
  std::string lastJournalLine() {
    std::vector<std::string> lines = journalLines();
    return lines.empty() ? std::string() : lines.back();
  }

  fs::path dir_;
  std::string statePath_;
  std::string journalPath_;
};

}  // namespace simtest
