// The card-record archive end to end: the start-up with an empty command line
// moving older per-holder files into the stores and rebuilding a deleted
// index, a card read archived and shown again by "/DataCase/", and the
// viewer's answers for keys it must not show.
#include <algorithm>

#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Archive = e2e::Run;
using Lines = std::vector<std::string>;

// The events of the start-up before the declaration window (which an empty
// command line opens after the archive's maintenance) takes the run.
Lines untilDeclaration(const Lines& events) {
  Lines out;
  for (const std::string& l : events) {
    if (l.rfind("msgbox\tic\t", 0) == 0 || l.find("ReportSample") != std::string::npos) break;
    out.push_back(l);
  }
  return out;
}

std::string padded(const std::string& bytes, size_t size) {
  std::string r = bytes;
  r.resize(size, ' ');
  return r;
}

// A store file and its index from (key, text) pairs.
void writeStore(Archive& t, const std::string& name, size_t record,
                const std::vector<std::pair<std::string, std::string>>& records) {
  std::string store, index;
  for (const auto& [key, text] : records) {
    store += padded(key + text, record);
    index += key;
  }
  t.write("ic/" + name, store);
  t.write("ic/" + name + ".ind", index);
}

Lines listLines(const std::vector<std::vector<std::string>>& events) {
  Lines out;
  for (const auto& e : events)
    if (e[0] == "list") out.push_back(e.size() > 1 ? e[1] : "");
  return out;
}

}  // namespace

TEST_F(Archive, AnEmptyCommandLineMovesOlderFilesIntoTheStores) {
  write("ic/data/ZA123456789", big5("第一行\r\n第二行"));
  write("ic/data/ZA123456789_2", big5("治療一\n"));
  write("ic/data/ZA123456789_3", big5("報告\r\n"));
  write("ic/data/ZB1234567890", "a longer name");
  simState(state(reader(1)));
  EXPECT_EQ(run("").exitCode, 0);

  EXPECT_EQ(read("ic/dataZ"), padded("A123456789" + big5("第一行\r\n第二行\r\n"), 1500));
  EXPECT_EQ(read("ic/dataZ.ind"), "A123456789");
  EXPECT_EQ(read("ic/dataZ2"), padded("A123456789" + big5("治療一\r\n"), 3000));
  EXPECT_EQ(read("ic/dataZ2.ind"), "A123456789");
  EXPECT_FALSE(has("ic/data/ZA123456789"));
  EXPECT_FALSE(has("ic/data/ZA123456789_2"));
  EXPECT_TRUE(has("ic/data/ZA123456789_3"));
  EXPECT_TRUE(has("ic/data/ZB1234567890"));
  EXPECT_EQ(untilDeclaration(eventLines()), (Lines{"waiting\t0 %  dataZ", "waiting\t0 %  dataZ2",
                                 "waiting\t Data Finding ", "close-waiting",
                                 "waiting\tdata fresh", "close-waiting"}));
  EXPECT_TRUE(calls("csOpenCom").empty());
}

TEST_F(Archive, ADeletedIndexIsRebuiltAtTheNextStart) {
  writeStore(*this, "dataZ", 1500, {{"A000000001", "a"}, {"A000000002", "b"}, {"A000000003", "c"}});
  writeStore(*this, "dataZ2", 3000, {{"A000000002", "t"}});
  fs::remove(path("ic/dataZ.ind"));
  fs::remove(path("ic/dataZ2.ind"));
  fs::create_directories(path("ic/data"));
  run("");
  EXPECT_EQ(read("ic/dataZ.ind"), "A000000001A000000002A000000003");
  EXPECT_EQ(read("ic/dataZ2.ind"), "A000000002");
  EXPECT_EQ(untilDeclaration(eventLines()), (Lines{"waiting\t33 %  dataZ.ind", "waiting\t67 %  dataZ.ind",
                                 "waiting\t100 %  dataZ.ind", "waiting\t100 %  dataZ2.ind",
                                 "waiting\t Data Finding ", "close-waiting",
                                 "waiting\tdata fresh", "close-waiting"}));
}

TEST_F(Archive, WithoutTheDataFolderTheStartUpLeavesTheStoresAlone) {
  writeStore(*this, "dataZ", 1500, {{"A000000001", "a"}});
  fs::remove(path("ic/dataZ.ind"));
  run("");
  EXPECT_FALSE(has("ic/dataZ.ind"));
  // Only the housekeeping runs before the window.
  EXPECT_EQ(untilDeclaration(eventLines()), (Lines{"waiting\tdata fresh", "close-waiting"}));
}

TEST_F(Archive, ACardReadIsShownAgainByDataCase) {
  write("ic/dataZ", "");
  write("ic/dataZ.ind", "");
  write("ic/dataZ2", "");
  write("ic/dataZ2.ind", "");
  write("OTH03003.txt", "3501234567," + big5("四季牙醫,台北") + "\r\n");
  simState(state(reader(1,
                        ", \"visits\": [{\"category\": \"02\", \"newborn\": \" \", "
                        "\"time\": \"1151201100000\", \"supplement\": \"1\", \"seq\": \"0007\", "
                        "\"institution\": \"3501234567\", \"outpatientFee\": \"00001200\", "
                        "\"outpatientCopay\": \"00000050\"}]")));
  run("/ReadF4");
  ASSERT_EQ(read("ic/dataZ.ind"), "A123456789");
  // The name found in the list is kept in the cache.
  EXPECT_EQ(read("OffsCode"), padded("3501234567" + big5("四季牙醫"), 30));

  write("ic/data/ZA123456789_3", big5("報告一\r\n報告二\r\n"));
  fs::remove(path("ui.log"));
  fs::remove(path("cshis-sim.log"));
  EXPECT_EQ(run("/DataCase/A123456789").exitCode, 0);

  // The card's record: number, name, identity, birth, sex, issue, marks, validity, visits left.
  const std::string record = "000012345678王小明" + std::string(14, ' ') +
                             "A1234567890750312M10501011013120123105" + std::string(8, ' ');
  EXPECT_EQ(listLines(events()),
            (Lines{record, "   卡號:000012345678  身份證:A123456789",
                   "可用次數: 05   有效期限:120年12月31日   最近一次就醫序號: 1150007",
                   "115年12月01日  10時00分00秒  類別:02牙醫 序號:0007   院所:四季牙醫  門診:1200 "
                   "部分負擔:50",
                   "=======================================",
                   "=======================================", "報告一", "報告二"}));
  const auto ev = events();
  EXPECT_EQ(ev.front(), (Lines{"waiting", " Data Finding "}));
  EXPECT_NE(std::find(ev.begin(), ev.end(), Lines{"caption", "vexa5", "A123456789健保IC卡紀錄 "}),
            ev.end());
  EXPECT_NE(std::find(ev.begin(), ev.end(), Lines{"waiting", "A123456789get "}), ev.end());
  const Lines lines = eventLines();
  EXPECT_EQ(lines.end()[-2], "show\tvexa5");
  // The viewer never opens the reader; closing the window closes it once.
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000"}));
}

TEST_F(Archive, DataCaseForAKeyWithoutACardReadEndsWithTheMessage) {
  writeStore(*this, "dataZ", 1500, {{"B000000001", "other"}});
  writeStore(*this, "dataZ2", 3000, {{"A123456789", "treatment only"}});
  run("/DataCase/A123456789");
  EXPECT_EQ(eventLines(), (Lines{"red\tA123456789無IC卡紀錄 \t6", "title\ttemp", "exit"}));
  EXPECT_EQ(read("ic/dataZ.ind"), "B000000001");
  EXPECT_EQ(read("ic/dataZ2.ind"), "A123456789");
}

TEST_F(Archive, DataCaseReadsNoFileOutsideTheDataFolder) {
  // "ic\data\Z" + key + "_3" for this key would be ic\x12_3.
  const std::string key = "\\..\\..\\x12";
  writeStore(*this, "dataZ", 1500, {{key, "held"}});
  fs::create_directories(path("ic/data/Z"));
  write("ic/x12_3", "outside\r\n");
  run("/DataCase/" + key);
  EXPECT_EQ(listLines(events()), (Lines{"held", "=======================================",
                                        "======================================="}));
}

TEST_F(Archive, AStoreRecordUnderAnotherKeyMakesTheViewerDropTheIndex) {
  writeStore(*this, "dataZ", 1500, {{"A123456789", "mine"}});
  write("ic/dataZ", padded("B000000001other", 1500));
  run("/DataCase/A123456789");
  // The full path of the index (the log writes a backslash as two).
  const Lines lines = eventLines();
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) {
                           const std::string end = "\\\\ic\\\\dataZ.ind";
                           return l.rfind("waiting\tKill:  ", 0) == 0 && l.size() > end.size() &&
                                  l.compare(l.size() - end.size(), end.size(), end) == 0;
                         }),
            lines.end());
  EXPECT_FALSE(has("ic/dataZ.ind"));
  EXPECT_EQ(read("ic/dataZ"), padded("B000000001other", 1500));
}
