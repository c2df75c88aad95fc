#include "app/verbs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "frame/run.h"
#include "tests/support/fakes.h"

namespace {

// The text of the row the command line runs; "-" when none.
std::string m(std::string_view c, std::string_view exe = "ic") {
  const VerbRow* row = matchVerb(c, exe);
  return row ? row->text : "-";
}

}  // namespace

TEST(VerbTable, EveryContainedVerbIsFoundByItsOwnText) {
  for (const VerbRow& row : verbTable()) {
    if (row.match != Match::Contains) continue;
    EXPECT_EQ(m(row.text), row.text);
    EXPECT_EQ(m(std::string("x ") + row.text + " y"), row.text);
  }
}

TEST(VerbTable, PhasesComeInTheStartUpsOrder) {
  Phase last = Phase::BeforeSettings;
  for (const VerbRow& row : verbTable()) {
    EXPECT_GE(static_cast<int>(row.phase), static_cast<int>(last)) << row.text;
    last = row.phase;
    EXPECT_NE(row.procedure, nullptr) << row.text;
    // Result files are removed only once the settings are known and before
    // the reader is opened: only card verbs have them.
    if (row.phase != Phase::Reader) {
      EXPECT_EQ(row.results[0].name, nullptr) << row.text;
    }
  }
}

TEST(VerbTable, EarlierRowsWin) {
  EXPECT_EQ(m("/WriteF2 /ReadF4"), "/WriteF2");
  EXPECT_EQ(m("/ReadF4/WriteF2"), "/WriteF2");
  EXPECT_EQ(m("/hisWriteEmergentTel /WriteF2"), "/WriteF2");
  EXPECT_EQ(m("/hisWriteEmergentTel /ReadF4"), "/hisWriteEmergentTel");
  EXPECT_EQ(m("/ReadF4 /DentalTreat"), "/DentalTreat");
  EXPECT_EQ(m("/LastTreatTime /DentalTreat"), "/LastTreatTime");
  EXPECT_EQ(m("/UpLoadData12 /WriteF2"), "/UpLoadData");
  EXPECT_EQ(m("/ReadF4 /icZupRn"), "/icZupRn");
  EXPECT_EQ(m("/DataCase/A123456789 /ReadF4"), "/DataCase/");
  EXPECT_EQ(m("/ReadF4 /Uploadheafa/"), "/Uploadheafa/");
  EXPECT_EQ(m("/WriteF201New256/hisWriteF2Treatment"), "/WriteF2");
  EXPECT_EQ(m("/hisWriteF2Treatment"), "-");
}

TEST(VerbTable, ExactAndPrefixVerbs) {
  EXPECT_EQ(m("/VBbackup/"), "/VBbackup/");
  EXPECT_EQ(m("/VBbackup/ "), "-");
  EXPECT_EQ(m("/ReName/a.txt/b.txt"), "/ReName/");
  EXPECT_EQ(m(" /ReName/a/b"), "-");
  EXPECT_EQ(m(""), "");
  EXPECT_EQ(m("/ReportSample/"), "/ReportSample/");
  EXPECT_EQ(m("___/ReportSample/"), "___/ReportSample/");
  EXPECT_EQ(m("/UploadMth/"), "/UploadMth/");
  EXPECT_EQ(m("/UploadMth/ "), "-");
  EXPECT_EQ(m("/DownLoadCode/"), "/DownLoadCode/");
  EXPECT_EQ(m("/DownLoadProc/"), "/DownLoadProc/");
  EXPECT_EQ(m("/readf4"), "-");  // case matters
}

TEST(VerbTable, ExecutableNamesAndNetworkDrives) {
  EXPECT_EQ(m("/ReadF4", "VEXA5xxxxxxx"), "VEXA5xxxxxxx");
  EXPECT_EQ(m("/VBbackup/", "VEXA5xxxxxxx"), "/VBbackup/");
  EXPECT_EQ(m("/nothing", "vexa5"), "vexa5");
  EXPECT_EQ(m("", "vexa5"), "");
  EXPECT_EQ(m("/nothing", "VEXA5"), "-");
  EXPECT_EQ(m("F:\\\\Doctor\\C"), ":\\\\");
  EXPECT_EQ(m("H: \\\\Care\\C /ReadF4"), "/ReadF4");
  EXPECT_EQ(m("H:\\Care"), "-");
}

TEST(VerbTable, StrangeCommandLinesMatchNothing) {
  std::string junk;
  for (int i = 0; i < 100000; ++i) junk += static_cast<char>(1 + (i * 31) % 255);
  EXPECT_EQ(m(junk), "-");
  EXPECT_EQ(m("/"), "-");
  EXPECT_EQ(m(std::string("/Read\0F4", 8)), "-");
}

TEST(VerbTable, TheSecondReaderIsTheLastPortNamed) {
  EXPECT_EQ(secondReaderPort("/ReadF4"), 0);
  EXPECT_EQ(secondReaderPort("/ReadF4 /COM2/"), 2);
  EXPECT_EQ(secondReaderPort("/COM3//COM1/"), 3);  // tested in port order: the higher wins
  EXPECT_EQ(secondReaderPort("/COM5/ /COM"), 0);
}

TEST(VerbTable, ResultFilesFollowTheSecondReaderAndTheReadAfter) {
  FakeRun f;
  auto files = [&](const std::string& C) {
    f.run.C = C;
    return resultFiles(*matchVerb(C, "ic"), f.run);
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(files("/ReadF4"), (Names{"ReadF4.txt"}));
  EXPECT_EQ(files("/ReadF4/COM2/"), (Names{"ReadF4.txt", "ReadF42.txt"}));
  EXPECT_EQ(files("/hisWriteEmergentTel"), Names{});
  EXPECT_EQ(files("/hisWriteEmergentTel/ReadF4/COM4/"), (Names{"ReadF4.txt", "ReadF42.txt"}));
  EXPECT_EQ(files("/WriteF201"), (Names{"GetSeqN.txt", "GetSeqN8.txt", "GetSeqN9.txt"}));
}

// The README's verb table names the rows of the code's, in the same order:
// in its first column, each comma-separated item outside parentheses gives
// its first text in backquotes ("empty" gives the empty command line).
TEST(VerbTable, ReadmeListsTheSameVerbs) {
  std::ifstream in(std::string(IC_SOURCE_DIR) + "/README.md", std::ios::binary);
  ASSERT_TRUE(in);
  std::vector<std::string> listed;
  std::string line;
  bool inVerbs = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("## ", 0) == 0) inVerbs = line == "## Verbs";
    if (!inVerbs || line.rfind("| ", 0) != 0 || line.rfind("| Verb ", 0) == 0) continue;
    std::string first = line.substr(2, line.find(" | ") - 2), bare;
    int depth = 0;
    for (char c : first) {
      if (c == '(') ++depth;
      if (depth == 0) bare += c;
      if (c == ')' && depth > 0) --depth;
    }
    std::stringstream items(bare);
    for (std::string item; std::getline(items, item, ',');) {
      const size_t open = item.find('`');
      if (open != std::string::npos) {
        listed.push_back(item.substr(open + 1, item.find('`', open + 1) - open - 1));
      } else if (item.find("empty") != std::string::npos) {
        listed.push_back("");
      }
    }
  }
  std::vector<std::string> rows;
  for (const VerbRow& row : verbTable()) rows.push_back(row.text);
  EXPECT_EQ(listed, rows);
}
