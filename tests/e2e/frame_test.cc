// The run frame end to end: opening and closing the reader, the port rules,
// "/ReName/", the update-only executable, a missing card library, and command
// lines of any shape.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Frame = e2e::Run;
using Lines = std::vector<std::string>;

void copyProgram(const fs::path& from, const fs::path& toFolder, const std::string& asName,
                 bool withLibrary) {
  fs::create_directories(toFolder);
  fs::copy_file(from / programName("ic"), toFolder / programName(asName),
                fs::copy_options::overwrite_existing);
  if (withLibrary)
    fs::copy_file(from / libraryName(), toFolder / libraryName(), fs::copy_options::overwrite_existing);
}

}  // namespace

TEST_F(Frame, AnUnrecognisedCommandLineOpensAndClosesTheReader) {
  simState(state(reader(1)));
  EXPECT_EQ(run("/NoSuchVerb").exitCode, 0);
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t0\t=> 0", "csCloseCom\t=> 0"}));
  EXPECT_EQ(eventLines(), (Lines{"waiting\t開啟 COM: 1", "waiting\t開啟 COM: 1", "close-waiting", "title\ttemp", "exit"}));
  EXPECT_FALSE(has("ReadF4.txt"));
}

TEST_F(Frame, APortThatCannotBeOpenedShowsTheCodeAndEnds) {
  simState(state(reader(1)));
  run("/csOpenCom3 /ReadF4");
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t2\t=> 4000", "csCloseCom\t=> 4000"}));
  EXPECT_EQ(eventLines(), (Lines{"waiting\t開啟 COM: 3", "red\t4000 無法開啟 通訊阜 3\t0",
                                 "close-waiting", "title\ttemp", "exit"}));
}

TEST_F(Frame, CommandLinesWithDoubleSlashesGoOnWithoutAReader) {
  simState(state(reader(1)));
  run("/csOpenCom4 //nothing");
  EXPECT_EQ(calls("csOpenCom"), (Lines{"csOpenCom\t3\t=> 4000"}));
  for (const auto& e : events()) EXPECT_NE(e[0], "red");
  EXPECT_EQ(eventLines().back(), "exit");
}

TEST_F(Frame, PortVerbAndSecondReaderPart) {
  simState(state(reader(1) + "," + reader(3)));
  run("/csOpenCom3/COM2/");
  EXPECT_EQ(calls("csOpenCom"), (Lines{"csOpenCom\t2\t=> 0"}));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Frame, RenameCopiesOrDoesNothing) {
  write("a.txt", "contents\r\n");
  run("/ReName/a.txt/b.txt");
  EXPECT_EQ(read("b.txt"), "contents\r\n");
  EXPECT_TRUE(journal().empty());  // no reader for this verb
  EXPECT_EQ(eventLines(), (Lines{"exit"}));

  run("/ReName/a.txt");
  run("/ReName//c.txt");
  run("/ReName/missing.txt/d.txt");
  EXPECT_FALSE(has("c.txt"));
  EXPECT_FALSE(has("d.txt"));
}

TEST_F(Frame, TheUpdateOnlyExecutableRefreshesTheCardOnCom3) {
  simState(state(reader(3)));
  copyProgram(bin, dir / "prog", "VEXA5xxxxxxx", true);
  run("", dir / "prog" / programName("VEXA5xxxxxxx"));
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t2\t=> 0", "csUpdateHCContents\t=> 0",
                              "csCloseCom\t=> 0"}));
  // The empty command line's housekeeping comes first.
  EXPECT_EQ(eventLines(), (Lines{"waiting\tdata fresh", "close-waiting", "message\t健保IC卡卡片內容更新中",
                                 "waiting\t  內容更新 完成", "exit"}));
}

TEST_F(Frame, TheUpdateOnlyExecutableReportsAFailure) {
  simState(state(reader(3), "\"faults\": [{\"call\": \"csUpdateHCContents\", \"code\": 9082}]"));
  copyProgram(bin, dir / "prog", "VEXA5xxxxxxx", true);
  run("/ReadF4", dir / "prog" / programName("VEXA5xxxxxxx"));
  EXPECT_EQ(eventLines(), (Lines{"message\t健保IC卡卡片內容更新中",
                                 "red\t更新失敗 9082/此卡已被註銷, 無法進行卡片更新作業\t3", "exit"}));
  EXPECT_EQ(calls("csCloseCom").size(), 2u);
}

TEST_F(Frame, AMissingCardLibraryIsAFailureCodeNotACrash) {
  copyProgram(bin, dir / "prog", "ic", false);
  EXPECT_EQ(run("/ReadF4", dir / "prog" / programName("ic")).exitCode, 0);
  EXPECT_EQ(eventLines(), (Lines{"waiting\t開啟 COM: 1", "red\t48 無法開啟 通訊阜 1\t0", "close-waiting",
                                 "title\ttemp", "exit"}));
}

TEST_F(Frame, CommandLinesOfAnyLengthAndBytesEnd) {
  simState(state(reader(1)));
  std::mt19937 rng(7);
  for (int i = 0; i < 6; ++i) {
    std::string C;
    size_t n = i == 0 ? 30000 : 1 + rng() % 300;
    for (size_t k = 0; k < n; ++k) C += static_cast<char>(1 + rng() % 255);
    fs::remove(path("ui.log"));
    SpawnResult r = run(C);
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_FALSE(eventLines().empty());
    EXPECT_EQ(eventLines().back(), "exit");
    EXPECT_TRUE(readerLeftClosed());
  }
}

TEST_F(Frame, AGarbledSettingsFileGivesDefaults) {
  simState(state(reader(1)));
  std::string junk = "[OrvoDent\r\n";
  for (int i = 0; i < 3000; ++i) junk += static_cast<char>((i * 131) % 256);
  write("orvosys.ini", junk);
  EXPECT_EQ(run("/NoSuchVerb").exitCode, 0);
  EXPECT_EQ(eventLines().back(), "exit");
}

// Every reader and card verb ends by itself and leaves the reader closed.
class EveryCardVerb : public e2e::Run, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryCardVerb, EndsAndLeavesTheReaderClosed) {
  simState(state(reader(1)));
  EXPECT_EQ(run(GetParam()).exitCode, 0);
  ASSERT_FALSE(eventLines().empty());
  EXPECT_EQ(eventLines().back(), "exit");
  EXPECT_TRUE(readerLeftClosed());
}

INSTANTIATE_TEST_SUITE_P(
    Verbs, EveryCardVerb,
    ::testing::Values("/hisGetCardStatus", "/csVerifySAMDC", "/csVerifyHCPIN", "/csInputHCPIN",
                      "/hpcInputHPCPIN", "/hpcUnlockHPC", "/csGetDateTime", "/LastTreatTime",
                      "/DentalTreat", "/LoadAllData", "/RegisterPrevent", "/hisGetLastSeqNum",
                      "/csUnGet", "/hisWriteAllergicMedicines", "/hisWriteHealthInsurance",
                      "/hisWriteTreatmentCode", "/VerifyHPCPIN", "/UpdateHC", "/UpLoadData",
                      "/WriteF2", "/hisWriteEmergentTel", "/ReadF4"));

// A run that cannot open the reader leaves no earlier run's answer behind:
// the clinic program would read the previous patient's record as this one's.
TEST_F(Frame, AFailedRunNeverLeavesTheLastRunsResult) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> verbs = {
      {"/ReadF4 /COM2/", {"ReadF4.txt", "ReadF42.txt"}},
      {"/csGetDateTime", {"ReadF4.txt"}},
      {"/DentalTreat1", {"ReadF4.txt", "Readf4"}},
      {"/WriteF201", {"GetSeqN.txt", "GetSeqN8.txt", "GetSeqN9.txt"}},
      {"/UpLoadData1", {"UpLoad.err"}},
  };
  for (const auto& [verb, results] : verbs) {
    simState(state(reader(1)));
    for (const std::string& r : results) write(r, "the previous run's answer\r\n");
    write("WriteF2.txt", "A123456789\r\n");
    run("/csOpenCom3 " + verb);
    for (const std::string& r : results) EXPECT_FALSE(has(r)) << verb << ": " << r;
    EXPECT_TRUE(has("WriteF2.txt")) << verb;
  }
}
