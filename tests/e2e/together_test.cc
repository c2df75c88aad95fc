// Two workstations, one working folder: programs run at once for each pair of
// writers that can meet (the card-record archive, the upload register,
// uprecv.txt, the settings file). Whatever the order, no run refuses to work
// because of the other, no record or key of one is lost by the other, and
// every result file is whole.
#include <algorithm>
#include <future>
#include <thread>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

struct Together : e2e::Run {
  // Starts the program with its own event log (ui-<name>.log); the rest of
  // the environment as run() gives it.
  std::future<SpawnResult> start(const std::string& C, const std::string& name,
                                 std::vector<std::pair<std::string, std::string>> extra = {}) {
    std::vector<std::pair<std::string, std::string>> e = {
        {"IC_UI", "record"},
        {"IC_UI_LOG", (dir / ("ui-" + name + ".log")).string()},
        {"CSHIS_SIM", (dir / "cshis-sim.json").string()},
        {"CSHIS_SIM_LOG", (dir / "cshis-sim.log").string()},
        {"IC_DRIVE_ROOT", (dir / "drives").string()},
    };
    e.insert(e.end(), env.begin(), env.end());
    e.insert(e.end(), extra.begin(), extra.end());
    const std::string program = (bin / programName("ic")).string(), folder = dir.string();
    return std::async(std::launch::async, [=] { return spawnAndWait(program, C, folder, e, 120); });
  }
  Lines log(const std::string& name) const { return lines(read("ui-" + name + ".log")); }
  // The store and its index agree: whole records, one key per record.
  void expectStoreWhole(const std::string& store, size_t record) {
    const std::string s = read(store), i = read(store + ".ind");
    EXPECT_EQ(s.size() % record, 0u) << store;
    ASSERT_EQ(i.size(), s.size() / record * 10) << store;
    for (size_t k = 0; k * 10 < i.size(); ++k) EXPECT_EQ(i.substr(k * 10, 10), s.substr(k * record, 10));
  }
};

// The 92 bytes /ReadF4 leaves for the card e2e::reader() holds.
std::string readF4() {
  return "000012345678" + big5("王小明") + std::string(14, ' ') + "A123456789" + "0750312" + "M" +
         "1050101" + "1" + "01" + "3" + "1201231" + "05" + std::string(8, ' ') + std::string(14, ' ') +
         "\r\n";
}

}  // namespace

// Sixteen reads at once in one folder, four times over: none ends early with
// "cannot write" (a result removed by another run counts as removed, and each
// run writes through its own temporary file), every ReadF4.txt is whole, and
// the archive holds whole records.
TEST_F(Together, ReadsAtOnceNeverRefuseAndLeaveWholeResults) {
  simState(state(reader(1)));
  write("ic/dataZ", "");
  write("ic/dataZ.ind", "");
  for (int round = 0; round < 4; ++round) {
    std::vector<std::future<SpawnResult>> runs;
    for (int k = 0; k < 16; ++k) runs.push_back(start("/ReadF4", std::to_string(k)));
    for (auto& r : runs) EXPECT_EQ(r.get().exitCode, 0);
    for (int k = 0; k < 16; ++k)
      for (const std::string& l : log(std::to_string(k)))
        EXPECT_NE(l.rfind("red\t", 0), 0u) << "round " << round << ", run " << k << ": " << l;
    EXPECT_EQ(read("ReadF4.txt"), readF4()) << round;
  }
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().string().find(".ic-new"), std::string::npos) << e.path();
  expectStoreWhole("ic/dataZ", 1500);
}

// The daily upload (register and monthly archive) and card reads (archive)
// at once: every accepted upload has its register line, the archive stays whole.
TEST_F(Together, UploadsAndReadsAtOnceKeepEveryRegisterLine) {
  simState(state(reader(1), "\"upload\": {\"uploadTime\": \"20261208093045\", "
                            "\"receiveTime\": \"20261208093050\"}"));
  write("ic/dataZ", "");
  write("ic/dataZ.ind", "");
  write("UpLoadA.XML", "<upload/>\r\n");
  std::vector<std::future<SpawnResult>> runs;
  for (int k = 0; k < 8; ++k) {
    runs.push_back(start("/UpLoadData1", "u" + std::to_string(k)));
    runs.push_back(start("/ReadF4", "r" + std::to_string(k)));
  }
  for (auto& r : runs) EXPECT_EQ(r.get().exitCode, 0);
  size_t accepted = 0;
  for (const std::string& l : journal())
    if (l.rfind("csUploadData\t", 0) == 0 && l.size() > 4 && l.substr(l.size() - 4) == "=> 0") ++accepted;
  EXPECT_GT(accepted, 0u);
  const std::string reg = read("ic/ZupRn");
  EXPECT_EQ(reg.size(), accepted * 70) << reg;
  expectStoreWhole("ic/dataZ", 1500);
}

#if !defined(_WIN32)
// A deletion and an upload on two workstations: the deletion has read
// uprecv.txt and is held while it keeps the dropped line (uprecv.del is a
// pipe the test reads only later); the upload meanwhile records its receipt.
// Under the working folder's lock the upload waits, and its receipt is kept.
TEST_F(Together, ADeletionNeverWritesOverAnUploadRecordedMeanwhile) {
  const fs::path c = dir / "drives" / "c";
  writeFile(c / "orvo.ini", "[OrvoDent]\r\nOfficeCode=3501234567\r\nreportcode=demo\r\n");
  write("totfa.10", [] {
    std::string r(300, ' ');
    r.replace(12, 5, "11511");
    r[18] = '2';
    return r;
  }());
  write("totfa.zip", "PK claim");
  write("declare-sim.json", R"({"institutions": {"3501234567": {"password": "demo"}}, "today": "20261208",
    "uploads": [{"receipt": "115120100000001", "institution": "3501234567", "file": "totfa.zip",
                 "params": ["FEE_YM=11510"], "time": "1151201090000", "accepted": false}]})");
  const std::string first = "115120100000001 2026/12/01 09:00:00 11510 totfa.zip\r\n";
  write("uprecv.txt", first);
  ASSERT_EQ(::mkfifo(path("uprecv.del").c_str(), 0644), 0);
  write("delete.txt", "click Command2\nselect List1 0\nclick Delete\n");
  env = {{"DECLARE_SIM", (dir / "declare-sim.json").string()},
         {"DECLARE_SIM_LOG", (dir / "declare-sim.log").string()}};
  auto deletion = start("___/ReportSample/", "delete",
                        {{"IC_UI_OPERATOR", (dir / "delete.txt").string()}, {"IC_UI_ANSWERS", "yes,ok"}});
  auto journaled = [&](const std::string& call) {
    for (int i = 0; i < 1000; ++i) {
      for (const std::string& l : lines(read("declare-sim.log")))
        if (l.rfind(call + "\t", 0) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  };
  ASSERT_TRUE(journaled("PEA_fa_del"));
  auto upload = start("/UploadMth/", "upload", {{"IC_UI_ANSWERS", "ok"}});
  ASSERT_TRUE(journaled("PEA_fa_upload"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // Now the deletion may go on.
  std::string dropped;
  {
    std::ifstream pipe(path("uprecv.del"), std::ios::binary);
    std::getline(pipe, dropped);
  }
  EXPECT_EQ(deletion.get().exitCode, 0);
  EXPECT_EQ(upload.get().exitCode, 0);
  EXPECT_EQ(dropped + "\n", first);
  const Lines recv = lines(read("uprecv.txt"));
  ASSERT_EQ(recv.size(), 1u) << read("uprecv.txt");
  EXPECT_EQ(recv[0].substr(0, 16), "115120800000001 ");
}

// Declaration windows writing two keys of c:\orvo.ini at once (the password
// by the upload, the compression choice by its box): no key of one run and
// no other section is lost by the other's write.
TEST_F(Together, SettingsWrittenAtOnceKeepEveryKey) {
  const fs::path c = dir / "drives" / "c";
  const std::string other = "[Other]\r\nkeep=1\r\n";
  writeFile(c / "orvo.ini", "[OrvoDent]\r\nOfficeCode=3501234567\r\n" + other);
  write("totfa.10", std::string(300, ' '));
  write("tick.txt", "tick Check1 1\n");
  write("send.txt", "type txtPwd demo\nclick Command2\nclick Upload\n");
  write("declare-sim.json", R"({"institutions": {"3501234567": {"password": "demo"}}})");
  env = {{"DECLARE_SIM", (dir / "declare-sim.json").string()},
         {"DECLARE_SIM_LOG", (dir / "declare-sim.log").string()}};
  for (int round = 0; round < 4; ++round) {
    std::vector<std::future<SpawnResult>> runs;
    for (int k = 0; k < 4; ++k) {
      runs.push_back(start("___/ReportSample/", "t" + std::to_string(k),
                           {{"IC_UI_OPERATOR", (dir / "tick.txt").string()}}));
      runs.push_back(start("___/ReportSample/", "s" + std::to_string(k),
                           {{"IC_UI_OPERATOR", (dir / "send.txt").string()}, {"IC_UI_ANSWERS", "cancel"}}));
    }
    for (auto& r : runs) EXPECT_EQ(r.get().exitCode, 0);
    const std::string ini = readFile(c / "orvo.ini");
    EXPECT_NE(ini.find("OfficeCode=3501234567"), std::string::npos) << ini;
    EXPECT_NE(ini.find("reportcode=demo"), std::string::npos) << ini;
    EXPECT_NE(ini.find("reportType=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find(other), std::string::npos) << ini;
    writeFile(c / "orvo.ini", "[OrvoDent]\r\nOfficeCode=3501234567\r\n" + other);
  }
}
#endif
