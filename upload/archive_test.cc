#include "upload/archive.h"
#include "store/store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/cp950.h"
#include "tests/support/fakes.h"
#include "frame/files.h"
#include "frame/vbtext.h"

namespace {

std::string key(int i) { return "A" + zeroPad(i, 9); }

// The stores as the card verbs call them: a failure lands in lastStatus.
void save1500(::Run& run, const std::string& k, const std::string& text) {
  if (int32_t code = save1500file(run.disk, run.settings.workDir, k, text)) run.lastStatus = code;
}
void save3000(::Run& run, const std::string& k, const std::string& text) {
  save3000file(run.disk, run.settings.workDir, k, text);
}

std::string record(const std::string& k, const std::string& text, size_t size) {
  std::string r = k + text;
  r.resize(size, ' ');
  return r;
}
std::string card(const std::string& k, const std::string& text) {
  return record(k, text, kCardReadRecord);
}
std::string treat(const std::string& k, const std::string& text) {
  return record(k, text, kTreatmentRecord);
}

struct Archive : ::testing::Test {
  FakeRun f;
  ::Run& run = f.run;
  void SetUp() override {
    f.screen.wait = false;
    f.disk.folders = {"w:\\ic", "w:\\ic\\data"};
  }
  std::string& file(const std::string& name) { return f.disk.files["w:\\" + name]; }
  bool has(const std::string& name) { return f.disk.files.count("w:\\" + name) > 0; }
  // Both stores with their indexes, from records in order.
  void stores(const std::vector<std::string>& cards,
              const std::vector<std::string>& treatments = {}) {
    file("ic\\dataZ") = file("ic\\dataZ.ind") = "";
    for (const std::string& r : cards) {
      file("ic\\dataZ") += r;
      file("ic\\dataZ.ind") += r.substr(0, 10);
    }
    file("ic\\dataZ2") = file("ic\\dataZ2.ind") = "";
    for (const std::string& r : treatments) {
      file("ic\\dataZ2") += r;
      file("ic\\dataZ2.ind") += r.substr(0, 10);
    }
  }
  std::vector<std::string> waits() {
    std::vector<std::string> w;
    for (const std::string& e : f.screen.events)
      if (e.rfind("waiting|", 0) == 0) w.push_back(e.substr(8));
    return w;
  }
  bool shown(const std::string& event) {
    return std::find(f.screen.events.begin(), f.screen.events.end(), event) !=
           f.screen.events.end();
  }
};

// ---- index search

using IndexSearch = Archive;

TEST_F(IndexSearch, AKeyCountsOnlyWhereAnEntryStarts) {
  // The key also appears across the first two entries.
  file("i") =
      "xxxxxA1234"
      "56789yyyyy"
      "A123456789";
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "A123456789", 10), 3);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "56789yyyyy", 10), 2);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "A12345678 ", 10), 0);
  // A key shorter than an entry still matches the entry's start.
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "xxxxx", 10), 1);
}

TEST_F(IndexSearch, EntryNumbersRunOnAcrossBlocks) {
  for (int i = 1; i <= 1300; ++i) file("i") += key(i);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", key(1), 10), 1);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", key(600), 10), 600);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", key(601), 10), 601);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", key(1300), 10), 1300);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", key(1301), 10), 0);
}

TEST_F(IndexSearch, AnEntryAcrossTwoBlocksIsNotFound) {
  // 7-byte entries: entry 858 starts at byte 5999 and runs into the second block.
  for (int i = 1; i <= 900; ++i) file("i") += "K" + zeroPad(i, 6);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "K000857", 7), 857);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "K000858", 7), 0);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "K000859", 7), 859);
}

TEST_F(IndexSearch, NothingToFind) {
  EXPECT_EQ(indexSearch(run.disk, "w:\\missing", key(1), 10), 0);
  file("i") = key(1) + key(2);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", "", 10), 0);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", key(1) + "A", 10), 0);
  EXPECT_EQ(indexSearch(run.disk, "w:\\i", key(1), 0), 0);
  file("e") = "";
  EXPECT_EQ(indexSearch(run.disk, "w:\\e", key(1), 10), 0);
}

// ---- the card-read store

using CardReads = Archive;

TEST_F(CardReads, NoStoreOrNoIndexStoresNothing) {
  save1500(run, key(1), "text");
  EXPECT_FALSE(has("ic\\dataZ"));
  EXPECT_FALSE(has("ic\\dataZ.ind"));
  file("ic\\dataZ") = "";
  save1500(run, key(1), "text");
  EXPECT_EQ(file("ic\\dataZ"), "");
  EXPECT_FALSE(has("ic\\dataZ.ind"));
}

TEST_F(CardReads, ANewKeyBecomesTheNextRecordAndTheSameKeyIsReplaced) {
  stores({card(key(1), "one")});
  save1500(run, key(2), "two");
  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "one") + card(key(2), "two"));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2));
  save1500(run, key(2), "second");
  save1500(run, key(1), "");
  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "") + card(key(2), "second"));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2));
  EXPECT_EQ(run.lastStatus, 0);
}

TEST_F(CardReads, TheTextIsCutAtItsByteWidthNeverInsideACharacter) {
  stores({});
  save1500(run, key(1), std::string(1489, 'a') + b5("中文"));
  EXPECT_EQ(file("ic\\dataZ"), key(1) + std::string(1489, 'a') + " ");
  save1500(run, key(1), std::string(1488, 'a') + b5("中文"));
  EXPECT_EQ(file("ic\\dataZ"), key(1) + std::string(1488, 'a') + b5("中"));
}

TEST_F(CardReads, AShortKeyIsStoredBlankPaddedAndFoundAgain) {
  stores({});
  save1500(run, "A12345", "x");
  save1500(run, "A12345", "y");
  EXPECT_EQ(file("ic\\dataZ"), card("A12345    ", "y"));
  EXPECT_EQ(file("ic\\dataZ.ind"), "A12345    ");
}

TEST_F(CardReads, AKeyAcrossTwoEntriesNoLongerUnsettlesTheIndex) {
  // Keys 1 and 2 hold "A123456789" across their boundary.
  stores({card("xxxxxA1234", "p"), card("56789yyyyy", "q")});
  save1500(run, "A123456789", "new");
  EXPECT_EQ(file("ic\\dataZ.ind"),
            "xxxxxA1234"
            "56789yyyyy"
            "A123456789");
  save1500(run, "A123456789", "again");
  EXPECT_EQ(file("ic\\dataZ"),
            card("xxxxxA1234", "p") + card("56789yyyyy", "q") + card("A123456789", "again"));
}

// Every way the index and the store can disagree: the index goes, the store stays.
TEST_F(CardReads, OutOfStepTheIndexIsDeletedAndTheStoreIsNotTouched) {
  struct Case {
    const char* what;
    std::string store, index;
  };
  const std::string a = card(key(1), "a"), b = card(key(2), "b");
  const std::vector<Case> cases = {
      {"a record under another key", a + b, key(2) + key(1)},
      {"a store with a torn record", a + b.substr(0, 700), key(1) + key(2)},
      {"an index longer than its store", a, key(1) + key(2)},
      {"an index shorter than its store", a + b, key(1)},
      {"an index with a torn entry", a + b, key(1) + key(2) + "A0"},
  };
  for (const Case& c : cases) {
    file("ic\\dataZ") = c.store;
    file("ic\\dataZ.ind") = c.index;
    save1500(run, key(2), "new");
    EXPECT_FALSE(has("ic\\dataZ.ind")) << c.what;
    EXPECT_EQ(file("ic\\dataZ"), c.store) << c.what;
  }
}

TEST_F(CardReads, AFullStoreRefusesANewKeyButTakesAKnownOne) {
  std::string store, index;
  store.reserve(static_cast<size_t>(kArchiveMaxRecords) * kCardReadRecord);
  for (int i = 1; i <= kArchiveMaxRecords; ++i) {
    store += card(key(i), "");
    index += key(i);
  }
  file("ic\\dataZ") = store;
  file("ic\\dataZ.ind") = index;
  save1500(run, key(99999), "new");
  EXPECT_EQ(run.lastStatus, 6);
  EXPECT_EQ(file("ic\\dataZ").size(), store.size());
  EXPECT_EQ(file("ic\\dataZ.ind"), index);

  run.lastStatus = 0;
  save1500(run, key(kArchiveMaxRecords), "last");
  EXPECT_EQ(run.lastStatus, 0);
  EXPECT_EQ(file("ic\\dataZ").substr(store.size() - kCardReadRecord),
            card(key(kArchiveMaxRecords), "last"));

  // The maintenance leaves an older file of a new key where it is.
  file("ic\\data\\Z" + key(99999)) = "older\r\n";
  archiveMaintenance(run);
  EXPECT_TRUE(has("ic\\data\\Z" + key(99999)));
  EXPECT_EQ(file("ic\\dataZ").size(), store.size());
}

TEST_F(CardReads, AFailingWriteIsPassedOnFromTheCardReadStoreOnly) {
  stores({card(key(1), "a")}, {treat(key(1), "t")});
  f.disk.folders = {};  // the disk refuses every write into ic\ from here on
  save1500(run, key(1), "b");
  EXPECT_EQ(run.lastStatus, kErrFileAccess);
  run.lastStatus = 0;
  save3000(run, key(1), "u");
  EXPECT_EQ(run.lastStatus, 0);
  EXPECT_EQ(file("ic\\dataZ2"), treat(key(1), "t"));
}

// ---- the treatment store

using Treatments = Archive;

TEST_F(Treatments, NewTextFollowsTheOldWithoutItsTrailingBlanks) {
  stores({}, {});
  save3000(run, key(1), "first  ");
  save3000(run, key(1), "second");
  EXPECT_EQ(file("ic\\dataZ2"), treat(key(1), "firstsecond"));
  EXPECT_EQ(file("ic\\dataZ2.ind"), key(1));
  EXPECT_EQ(file("ic\\dataZ"), "");  // the card-read store is another store
}

TEST_F(Treatments, OnlyTheNewest2990BytesAreKept) {
  stores({}, {});
  save3000(run, key(1), std::string(2000, 'a'));
  save3000(run, key(1), std::string(1500, 'b'));
  EXPECT_EQ(file("ic\\dataZ2"), key(1) + std::string(1490, 'a') + std::string(1500, 'b'));

  // A character that does not fit whole is left out.
  std::string chinese;
  for (int i = 0; i < 1000; ++i) chinese += b5("中");
  save3000(run, key(2), chinese);
  save3000(run, key(2), std::string(991, 'x'));
  EXPECT_EQ(file("ic\\dataZ2").substr(kTreatmentRecord),
            key(2) + chinese.substr(2) + std::string(991, 'x') + " ");

  // A first text longer than the field keeps its end too.
  save3000(run, key(3), std::string(10, 'o') + std::string(2990, 'n'));
  EXPECT_EQ(file("ic\\dataZ2").substr(2 * kTreatmentRecord), key(3) + std::string(2990, 'n'));
}

// ---- the start-up maintenance

using Maintenance = Archive;

TEST_F(Maintenance, RebuildsAMissingIndexWithOneEntryPerRecord) {
  stores({card(key(1), "a"), card(key(2), "b"), card(key(1), "dup")}, {treat(key(7), "t")});
  f.disk.files.erase("w:\\ic\\dataZ.ind");
  archiveMaintenance(run);
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2) + key(1));
  EXPECT_EQ(file("ic\\dataZ2.ind"), key(7));
  EXPECT_EQ(waits(), (std::vector<std::string>{"33 %  dataZ.ind", "67 %  dataZ.ind",
                                               "100 %  dataZ.ind", " Data Finding "}));
  EXPECT_EQ(f.screen.events.back(), "close-waiting");
  EXPECT_FALSE(has("ic\\dataZ.ind.new"));
}

// A torn last record counts when it is more than half a record.
TEST_F(Maintenance, ARebuildCountsRecordsRoundedToTheNearestWholeNumber) {
  for (size_t tail : {600u, 900u}) {
    file("ic\\dataZ") = card(key(1), "a") + card(key(2), "b").substr(0, tail);
    f.disk.files.erase("w:\\ic\\dataZ.ind");
    archiveMaintenance(run);
    EXPECT_EQ(file("ic\\dataZ.ind"), tail > 750 ? key(1) + key(2) : key(1)) << tail;
  }
}

TEST_F(Maintenance, NothingHappensWithoutTheDataFolder) {
  f.disk.folders = {"w:\\ic"};
  file("ic\\dataZ") = card(key(1), "a");
  archiveMaintenance(run);
  EXPECT_FALSE(has("ic\\dataZ.ind"));
  EXPECT_TRUE(f.screen.events.empty());
}

TEST_F(Maintenance, OlderFilesMoveIntoTheStoresAndLeave) {
  file("ic\\data\\Z" + key(1)) = "line 1\nline 2";
  file("ic\\data\\Z" + key(2)) = "";
  file("ic\\data\\Z" + key(1) + "_2") = "t1\r\nt2\r\n";
  file("ic\\data\\Z" + key(1) + "X") = "longer name";
  file("ic\\data\\Z" + key(1) + "_3") = "further";
  file("ic\\data\\Z" + b5("中文字") + "1234") = "a name of 11 bytes but 8 characters";
  archiveMaintenance(run);

  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "line 1\r\nline 2\r\n") + card(key(2), ""));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2));
  EXPECT_EQ(file("ic\\dataZ2"), treat(key(1), "t1\r\nt2\r\n"));
  EXPECT_EQ(file("ic\\dataZ2.ind"), key(1));
  EXPECT_FALSE(has("ic\\data\\Z" + key(1)));
  EXPECT_FALSE(has("ic\\data\\Z" + key(2)));
  EXPECT_FALSE(has("ic\\data\\Z" + key(1) + "_2"));
  EXPECT_TRUE(has("ic\\data\\Z" + key(1) + "X"));
  EXPECT_TRUE(has("ic\\data\\Z" + key(1) + "_3"));
  EXPECT_TRUE(has("ic\\data\\Z" + b5("中文字") + "1234"));
  EXPECT_EQ(waits(), (std::vector<std::string>{"0 %  dataZ", "33 %  dataZ", "0 %  dataZ2",
                                               " Data Finding "}));
}

TEST_F(Maintenance, AMigratedTextReplacesThatHoldersRecordOnly) {
  stores({card(key(1), "old"), card(key(2), "other")}, {treat(key(1), "old treatment")});
  file("ic\\data\\Z" + key(1)) = "migrated";
  file("ic\\data\\Z" + key(1) + "_2") = "migrated treatment";
  archiveMaintenance(run);
  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "migrated\r\n") + card(key(2), "other"));
  EXPECT_EQ(file("ic\\dataZ2"), treat(key(1), "migrated treatment\r\n"));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2));
}

TEST_F(Maintenance, AnIndexOutOfStepIsRebuiltBeforeAnyRecordIsWritten) {
  stores({card(key(1), "one"), card(key(2), "two")});
  file("ic\\dataZ.ind") = key(2) + key(1);  // swapped
  file("ic\\data\\Z" + key(1)) = "new one";
  archiveMaintenance(run);
  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "new one\r\n") + card(key(2), "two"));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2));
  EXPECT_FALSE(has("ic\\data\\Z" + key(1)));
}

// A torn tail never stops the store: the next record goes at the record
// boundary, over a tail that does not count, after one that does.
TEST_F(Maintenance, AStoreWithATornTailTakesTheNextRecordAtARecordBoundary) {
  file("ic\\dataZ") = card(key(1), "one") + "garbage";
  file("ic\\dataZ.ind") = key(1);
  file("ic\\data\\Z" + key(2)) = "two";
  archiveMaintenance(run);
  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "one") + card(key(2), "two\r\n"));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2));
  EXPECT_FALSE(has("ic\\data\\Z" + key(2)));

  const std::string longTail = card(key(3), "three").substr(0, 1000);
  file("ic\\dataZ") += longTail;
  file("ic\\dataZ.ind") += key(3);
  EXPECT_EQ(save1500file(f.disk, "w:\\", key(4), "four"), 0);
  EXPECT_EQ(file("ic\\dataZ").substr(2 * kCardReadRecord),
            longTail + std::string(500, ' ') + card(key(4), "four"));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2) + key(3) + key(4));
  EXPECT_EQ(save1500file(f.disk, "w:\\", key(3), "three again"), 0);
  EXPECT_EQ(file("ic\\dataZ").substr(2 * kCardReadRecord, kCardReadRecord), card(key(3), "three again"));
}

// An index an interrupted write left with NUL or blank entries, or one whose
// ends disagree with the store, is rebuilt at the start, never trusted.
TEST_F(Maintenance, AnIndexThatCannotBeTrustedIsRebuilt) {
  const std::string store = card(key(1), "a") + card(key(2), "b");
  for (const std::string& bad : {std::string(10, '\0') + key(2), std::string(10, ' ') + key(2),
                                 key(2) + key(1), key(1) + key(3)}) {
    file("ic\\dataZ") = store;
    file("ic\\dataZ.ind") = bad;
    archiveMaintenance(run);
    EXPECT_EQ(file("ic\\dataZ.ind"), key(1) + key(2));
  }
}

// Another run holding the archive too long: nothing is written, and the
// caller learns why.
TEST_F(Maintenance, AStoreHeldByAnotherRunIsLeftAlone) {
  stores({card(key(1), "a")});
  const std::string before = file("ic\\dataZ");
  f.disk.heldElsewhere = {"w:\\" + std::string(kArchiveLock)};
  EXPECT_EQ(save1500file(f.disk, "w:\\", key(2), "b"), kErrStoreBusy);
  EXPECT_EQ(save3000file(f.disk, "w:\\", key(2), "b"), kErrStoreBusy);
  EXPECT_EQ(migrateArchive(f.disk, "w:\\", {}), kErrStoreBusy);
  EXPECT_EQ(file("ic\\dataZ"), before);
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1));
}

TEST_F(Maintenance, ManyOlderFilesKeepTheirOrderAndTheirIndexEntries) {
  stores({card(key(150), "held"), card(key(7), "held")});
  for (int i = 1; i <= 400; ++i) file("ic\\data\\Z" + key(i)) = "text " + std::to_string(i);
  archiveMaintenance(run);
  const std::string& store = file("ic\\dataZ");
  const std::string& index = file("ic\\dataZ.ind");
  ASSERT_EQ(store.size(), 400u * kCardReadRecord);
  ASSERT_EQ(index.size(), 4000u);
  EXPECT_EQ(store.substr(0, kCardReadRecord), card(key(150), "text 150\r\n"));
  EXPECT_EQ(store.substr(kCardReadRecord, kCardReadRecord), card(key(7), "text 7\r\n"));
  for (int r = 1; r <= 400; ++r)
    EXPECT_EQ(store.substr((r - 1) * kCardReadRecord, 10), index.substr((r - 1) * 10, 10)) << r;
  EXPECT_EQ(store.substr(399 * kCardReadRecord), card(key(400), "text 400\r\n"));
  for (const auto& [path, data] : f.disk.files)
    EXPECT_EQ(path.find("w:\\ic\\data\\"), std::string::npos);
}

TEST_F(Maintenance, AStoreThatCannotBeWrittenKeepsTheOlderFiles) {
  stores({card(key(1), "one")});
  file("ic\\data\\Z" + key(1)) = "new one";
  file("ic\\data\\Z" + key(2)) = "two";
  f.disk.folders = {"w:\\ic\\data"};  // the disk refuses writes into ic\ itself
  archiveMaintenance(run);
  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "one"));
  EXPECT_TRUE(has("ic\\data\\Z" + key(1)));
  EXPECT_TRUE(has("ic\\data\\Z" + key(2)));
  EXPECT_EQ(run.lastStatus, kErrFileAccess);
}

TEST_F(Maintenance, AnIndexWithoutItsStoreStartsAfresh) {
  file("ic\\dataZ.ind") = key(5) + key(6);
  file("ic\\data\\Z" + key(1)) = "one";
  archiveMaintenance(run);
  EXPECT_EQ(file("ic\\dataZ"), card(key(1), "one\r\n"));
  EXPECT_EQ(file("ic\\dataZ.ind"), key(1));
}

// ---- "/DataCase/"

using DataCase = Archive;

TEST_F(DataCase, ShowsBothStoresAndTheFurtherTextInTheMainWindow) {
  stores({card(key(2), "x"), card(key(1), "read 1\r\nread 2")}, {treat(key(1), b5("治療"))});
  file("ic\\data\\Z" + key(1) + "_3") = "report 1\r\nreport 2\r\n";
  run.C = "/DataCase/" + key(1) + "/more";
  cmd_DataCase(run);
  const std::string k = key(1);
  EXPECT_EQ(f.screen.events,
            (std::vector<std::string>{
                "caption|vexa5|" + k + b5("健保IC卡紀錄 "), "list|read 1", "list|read 2",
                "waiting|" + k + "get ", "list|=======================================",
                "list|" + b5("治療"), "waiting|" + k + "get ",
                "list|=======================================", "list|report 1", "list|report 2",
                "close-waiting", "show|vexa5"}));
  EXPECT_EQ(run.win.shownWindow, "vexa5");
  EXPECT_TRUE(run.win.endAtOnce);
}

TEST_F(DataCase, AKeyHeldOnlyForTreatmentsIsNoCardRecord) {
  stores({card(key(2), "x")}, {treat(key(1), "t")});
  run.C = "/DataCase/" + key(1);
  EXPECT_THROW(cmd_DataCase(run), EndOfRun);
  EXPECT_TRUE(shown("red|" + key(1) + b5("無IC卡紀錄 ") + "|6"));
  EXPECT_TRUE(run.list1.empty());
}

TEST_F(DataCase, AShortOrMissingKeyFindsNothingAndKeepsTheIndex) {
  stores({card(key(1), "x")});
  for (const char* C : {"/DataCase/A00", "/DataCase/", "x/DataCase"}) {
    run.C = C;
    EXPECT_THROW(cmd_DataCase(run), EndOfRun) << C;
    EXPECT_TRUE(has("ic\\dataZ.ind")) << C;
  }
}

TEST_F(DataCase, ARecordUnderAnotherKeyDeletesTheIndex) {
  stores({card(key(1), "x")}, {treat(key(1), "t")});
  file("ic\\dataZ") = card(key(2), "x");
  file("ic\\dataZ2") = treat(key(3), "t");
  run.C = "/DataCase/" + key(1);
  cmd_DataCase(run);
  EXPECT_TRUE(shown("waiting|Kill:  w:\\ic\\dataZ.ind"));
  EXPECT_TRUE(shown("waiting|Kill:  w:\\ic\\dataZ2.ind"));
  EXPECT_FALSE(has("ic\\dataZ.ind"));
  EXPECT_FALSE(has("ic\\dataZ2.ind"));
  EXPECT_EQ(file("ic\\dataZ"), card(key(2), "x"));
  EXPECT_EQ(run.list1, (std::vector<std::string>{"=======================================",
                                                 "======================================="}));
}

TEST_F(DataCase, AKeyWithAPathReadsNoFileOutsideTheDataFolder) {
  for (const std::string k : {"..\\..\\abcd", "x/y:z*1234", "ab..cd1234"}) {
    stores({card(k, "held")});
    file("ic\\data\\Z" + k + "_3") = "outside";
    run.list1.clear();
    run.C = "/DataCase/" + k;
    cmd_DataCase(run);
    EXPECT_EQ(run.list1.front(), "held") << k;
    EXPECT_EQ(std::count(run.list1.begin(), run.list1.end(), "outside"), 0) << k;
  }
  // A Big5 character whose second byte is a backslash is no path.
  const std::string k = b5("許") + "12345678";
  stores({card(k, "held")});
  file("ic\\data\\Z" + k + "_3") = "further";
  run.list1.clear();
  run.C = "/DataCase/" + k;
  cmd_DataCase(run);
  EXPECT_EQ(run.list1.back(), "further");
}

}  // namespace
