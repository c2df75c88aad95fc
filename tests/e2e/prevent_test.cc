// Preventive care, allergies and the prevention registrations end to end: the
// writers' argument fields as the card library receives them, their refusals
// before the card is touched, their failures, and the registration list.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Prevent = e2e::Run;
using Lines = std::vector<std::string>;

Lines messages(const std::vector<std::vector<std::string>>& events) {
  Lines out;
  for (const auto& e : events)
    if (e[0] == "message" && e.size() > 1) out.push_back(e[1]);
  return out;
}

Lines listed(const std::vector<std::vector<std::string>>& events) {
  Lines out;
  for (const auto& e : events)
    if (e[0] == "list" && e.size() > 1) out.push_back(e[1]);
  return out;
}

// icTreat.txt of the holder of e2e::reader()'s card with that line 3.
std::string treat(const std::string& line3) { return "A123456789\r\n0750312\r\n" + line3 + "\r\n"; }

// Only the reader's own opening and closing.
bool cardUntouched(const Lines& journal) {
  for (const std::string& l : journal)
    if (l.rfind("csOpenCom\t", 0) != 0 && l.rfind("csCloseCom", 0) != 0) return false;
  return true;
}

const Lines kHeader = {
    "-------------- 預防保健掛號作業  保留6組 ---------------",
    "保健服務項目註記: 01兒童預防保健，02成人預防保健，03婦女子宮頸抹片檢查，04老人流行性感冒疫苗 ",
    "保健服務項目註記: 05兒童牙齒預防保健，06婦女乳房保健，07糞便潛血檢查，08口腔黏膜檢查 ",
    "檢查項目代碼: 兒童預防保健：醫院填寫 11至16 ，基層醫療院所填寫 71至76 ",
    "檢查項目代碼: 成人預防保健：40歲以上至未滿65歲者，第一階段檢查填寫 21 ，第二階段檢查填寫 23 ，65歲以上者第一階段檢查填寫 22 ，第二階段檢查填寫 24 ",
    "檢查項目代碼: 婦女子宮頸抹片檢查 ：醫療院所填寫  31，助產所填寫  35 ",
};

Lines entry(const std::string& item, const std::string& date, const std::string& institution,
            const std::string& code) {
  return {"保健服務項目註記:  " + item, "        檢查日期: " + date,
          "        醫療院所代碼: " + institution, "        檢查項目代碼: " + code};
}

const Lines kEmptyEntry = entry("  ", "   年  月  日", "", "  ");

}  // namespace

TEST_F(Prevent, WritesTheServiceAfterTheIdentityCheck) {
  simState(state(reader(1)));
  write("icTreat.txt", treat("0512"));
  EXPECT_EQ(run("/hisWriteHealthInsurance").exitCode, 0);
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t0\t=> 0",
                              "hisGetRegisterBasic\tbuf=78\t=> 0",
                              "hisWriteHealthInsurance\tA123456789\t0750312\t05\t12\t=> 0",
                              "csCloseCom\t=> 0"}));
  EXPECT_EQ(messages(events()), (Lines{"預防保健資料寫入作業", "兒童牙齒 預防保健資料寫入作業"}));
  EXPECT_EQ(eventLines().back(), "exit");

  // The registration list of the next run shows the new entry first.
  fs::remove(path("ui.log"));
  run("/RegisterPrevent");
  Lines l = listed(events());
  ASSERT_EQ(l.size(), 6u + 24u);
  EXPECT_EQ(l[6], "保健服務項目註記:  05");
  EXPECT_EQ(l[7], "        檢查日期: 115年12月08日");  // the reader's clock
  EXPECT_EQ(l[8], "        醫療院所代碼: 3501234567");
  EXPECT_EQ(l[9], "        檢查項目代碼: 12");
}

TEST_F(Prevent, EveryCategoryWritesUnderItsOwnText) {
  const std::pair<const char*, const char*> kCategories[] = {
      {"01", "兒童健檢 預防保健資料寫入作業"}, {"02", "成人健檢 預防保健資料寫入作業"},
      {"04", "流感疫苗 預防保健資料寫入作業"}, {"05", "兒童牙齒 預防保健資料寫入作業"},
      {"03", " 預防保健資料寫入作業"},         {"9", " 預防保健資料寫入作業"}};
  for (const auto& [category, text] : kCategories) {
    fs::remove(path("ui.log"));
    fs::remove(path("cshis-sim.log"));
    simState(state(reader(1)));
    write("icTreat.txt", treat(std::string(category) + "31"));
    run("/hisWriteHealthInsurance");
    EXPECT_EQ(messages(events()).back(), text) << category;
    ASSERT_EQ(calls("hisWriteHealthInsurance").size(), 1u) << category;
    // Line 3 of "9" + "31" has category "93" and examination code "1".
    const std::string want = std::string(category).size() == 2
                                 ? std::string(category) + "\t31"
                                 : std::string("93\t1");
    EXPECT_EQ(calls("hisWriteHealthInsurance")[0],
              "hisWriteHealthInsurance\tA123456789\t0750312\t" + want + "\t=> 0");
  }
}

TEST_F(Prevent, MissingInputEndsBeforeTheCardIsTouched) {
  simState(state(reader(1)));
  run("/hisWriteHealthInsurance");
  EXPECT_TRUE(shown(events(), {"red", "預防保健 無資料", "6"}));
  EXPECT_TRUE(cardUntouched(journal()));
  EXPECT_TRUE(readerLeftClosed());

  fs::remove(path("ui.log"));
  run("/hisWriteAllergicMedicines");
  EXPECT_TRUE(shown(events(), {"red", "過敏藥物寫入無資料", "6"}));
  EXPECT_TRUE(cardUntouched(journal()));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Prevent, AnotherPersonsCardIsNotWritten) {
  simState(state(reader(1)));
  write("icTreat.txt", "B223456789\r\n0750312\r\n0512\r\nABCDEFGHIJPenicillin\r\n");
  run("/hisWriteHealthInsurance");
  EXPECT_TRUE(calls("hisWriteHealthInsurance").empty());
  EXPECT_TRUE(shown(events(), {"red", "身分證不同人", "6"}));

  write("icTreat.txt", "B223456789\r\n0750312\r\nABCDEFGHIJPenicillin\r\n");
  run("/hisWriteAllergicMedicines");
  EXPECT_TRUE(calls("hisWriteAllergicMedicines").empty());
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Prevent, WritesTheDrugNamesAndTheirCode) {
  simState(state(reader(1)));
  write("icTreat.txt", treat("ABCDEFGHIJPenicillin, Aspirin"));
  run("/hisWriteAllergicMedicines");
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t0\t=> 0",
                              "hisGetRegisterBasic\tbuf=78\t=> 0",
                              "hisWriteAllergicMedicines\tA123456789\t0750312\tPenicillin, Aspirin\tABCDEFGHIJ\t=> 0",
                              "csCloseCom\t=> 0"}));
  EXPECT_EQ(messages(events()), (Lines{"過敏藥物寫入作業"}));
}

TEST_F(Prevent, ALineThreeOfTenCharactersHasNoDrugNames) {
  for (const char* line3 : {"ABCDEFGHIJ", "ABCDEFGHIJ     ", "ABC", ""}) {
    fs::remove(path("ui.log"));
    fs::remove(path("cshis-sim.log"));
    simState(state(reader(1)));
    write("icTreat.txt", treat(line3));
    run("/hisWriteAllergicMedicines");
    EXPECT_TRUE(shown(events(), {"red", "未輸入藥品名稱", "6"})) << line3;
    EXPECT_TRUE(cardUntouched(journal())) << line3;
    EXPECT_TRUE(readerLeftClosed()) << line3;
  }
}

TEST_F(Prevent, LongDrugNamesAreCutToTheField) {
  simState(state(reader(1)));
  const std::string names(130, 'n');
  write("icTreat.txt", treat("ABCDEFGHIJ" + names));
  run("/hisWriteAllergicMedicines");
  ASSERT_EQ(calls("hisWriteAllergicMedicines").size(), 1u);
  EXPECT_EQ(calls("hisWriteAllergicMedicines")[0],
            "hisWriteAllergicMedicines\tA123456789\t0750312\t" + std::string(121, 'n') +
                "\tABCDEFGHIJ\t=> 0");

  // Chinese names: the character the cut would halve is left out.
  fs::remove(path("cshis-sim.log"));
  std::string chinese;
  for (int i = 0; i < 61; ++i) chinese += "藥";
  write("icTreat.txt", treat("ABCDEFGHIJ" + big5(chinese)));
  run("/hisWriteAllergicMedicines");
  ASSERT_EQ(calls("hisWriteAllergicMedicines").size(), 1u);
  std::string sixty;
  for (int i = 0; i < 60; ++i) sixty += "藥";
  EXPECT_EQ(calls("hisWriteAllergicMedicines")[0],
            "hisWriteAllergicMedicines\tA123456789\t0750312\t" + sixty + "\tABCDEFGHIJ\t=> 0");
}

TEST_F(Prevent, AFailedWriteEndsWithItsMessage) {
  simState(state(reader(1), "\"faults\": [{\"call\": \"hisWriteHealthInsurance\", \"code\": 5068}]"));
  write("icTreat.txt", treat("0231"));
  run("/hisWriteHealthInsurance");
  EXPECT_TRUE(shown(events(), {"red", "預防保健資料寫入失敗", "20"}));
  EXPECT_EQ(eventLines().back(), "exit");
  EXPECT_TRUE(readerLeftClosed());

  fs::remove(path("ui.log"));
  simState(state(reader(1), "\"faults\": [{\"call\": \"hisWriteAllergicMedicines\", \"code\": 5057}]"));
  write("icTreat.txt", treat("ABCDEFGHIJPenicillin"));
  run("/hisWriteAllergicMedicines");
  EXPECT_TRUE(shown(events(), {"red", "過敏藥物寫入HC 卡失敗", "20"}));
  EXPECT_EQ(eventLines().back(), "exit");
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Prevent, TheRegistrationListShowsSixEntriesEvenWhenEmpty) {
  simState(state(reader(1, hc("\"prevent\": [{\"item\": \"05\", \"date\": \"1150601\", "
                              "\"institution\": \"3501234567\", \"code\": \"71\"}, "
                              "{\"item\": \"02\", \"date\": \"1140315\", \"institution\": "
                              "\"1234567890\", \"code\": \"\"}]"))));
  EXPECT_EQ(run("/RegisterPrevent").exitCode, 0);
  Lines want = kHeader;
  for (const Lines& e : {entry("05", "115年06月01日", "3501234567", "71"),
                         entry("02", "114年03月15日", "1234567890", "  "), kEmptyEntry,
                         kEmptyEntry, kEmptyEntry, kEmptyEntry})
    want.insert(want.end(), e.begin(), e.end());
  EXPECT_EQ(listed(events()), want);
  Lines ev = eventLines();
  // The list stays up until the operator closes the main window.
  ASSERT_GE(ev.size(), 4u);
  EXPECT_EQ(Lines(ev.end() - 4, ev.end()),
            (Lines{"show\tvexa5", "close-waiting", "title\ttemp", "exit"}));
  EXPECT_EQ(calls("hisGetRegisterPrevent"), (Lines{"hisGetRegisterPrevent\tbuf=126\t=> 0"}));
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Prevent, TheRegistrationListNamesTheInstitution) {
  write("OffsCode", "3501234567" + big5("仁愛牙醫") + std::string(12, ' '));
  write("OTH03003.txt", "1234567890," + big5("大安診所") + "\r\n");
  simState(state(reader(1, hc("\"prevent\": [{\"item\": \"05\", \"date\": \"1150601\", "
                              "\"institution\": \"3501234567\", \"code\": \"71\"}, "
                              "{\"item\": \"08\", \"date\": \"1150101\", "
                              "\"institution\": \"1234567890\", \"code\": \"\"}]"))));
  run("/RegisterPrevent");
  Lines l = listed(events());
  ASSERT_EQ(l.size(), 30u);
  EXPECT_EQ(l[8], "        醫療院所代碼: 仁愛牙醫");
  EXPECT_EQ(l[12], "        醫療院所代碼: 大安診所");
}

TEST_F(Prevent, AFailedRegistrationReadStillShowsTheList) {
  simState(state(reader(1), "\"faults\": [{\"call\": \"hisGetRegisterPrevent\", \"code\": 4013}]"));
  run("/RegisterPrevent");
  EXPECT_TRUE(shown(events(), {"red", "未置入健保IC卡", "20"}));
  Lines want = kHeader;
  for (int k = 0; k < 6; ++k) want.insert(want.end(), kEmptyEntry.begin(), kEmptyEntry.end());
  EXPECT_EQ(listed(events()), want);
  EXPECT_TRUE(shown(events(), {"show", "vexa5"}));
  EXPECT_TRUE(readerLeftClosed());
}
