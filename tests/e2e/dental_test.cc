// "/DentalTreat" end to end: the listing of the card's outpatient orders with
// the place of their visit, the scaling interval, ReadF4.txt and the Readf4
// dump, the named file of mode "2", the windows of modes "0" and "1", the
// refusal without a ready professional card, and each card call failing.
#include <cstdio>
#include <ctime>

#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Dental = e2e::Run;
using Lines = std::vector<std::string>;

// The reader of e2e::reader() with the professional card's PIN verified.
std::string dentalReader(const std::string& hcExtra, int hpcStatus = 3) {
  std::string r = reader(1, hcExtra);
  const std::string from = "\"hpc\": {\"status\": 2";
  r.replace(r.find(from), from.size(), "\"hpc\": {\"status\": " + std::to_string(hpcStatus));
  return r;
}

std::string jtext(const std::string& s) { return "\"" + s + "\""; }

std::string visit(const std::string& time, const std::string& institution,
                  const std::string& fee = "") {
  return "{\"category\": \"02\", \"newborn\": \" \", \"time\": " + jtext(time) +
         ", \"supplement\": \"1\", \"seq\": \"0007\", \"institution\": " + jtext(institution) +
         ", \"outpatientFee\": " + jtext(fee) + "}";
}

std::string order(const std::string& time, const std::string& type, const std::string& item,
                  const std::string& part = "") {
  return "{\"time\": " + jtext(time) + ", \"type\": " + jtext(type) + ", \"item\": " +
         jtext(item) + ", \"part\": " + jtext(part) + ", \"usage\": \"QD\", \"days\": \"03\"" +
         ", \"total\": \"0000300\", \"deliver\": \"01\"}";
}

std::string list(const Lines& items) {
  std::string s;
  for (const std::string& i : items) s += (s.empty() ? "" : ", ") + i;
  return "[" + s + "]";
}

std::string card(const Lines& visits, const Lines& orders, const std::string& more = "") {
  return ", \"visits\": " + list(visits) + ", \"outpatientOrders\": " + list(orders) + more;
}

std::string pad(const std::string& s, size_t width) {
  std::string p = s;
  p.resize(width, ' ');
  return p;
}

// An order as the card keeps it: the 61 bytes of the outpatient buffer.
std::string orderBytes(const std::string& time, const std::string& type, const std::string& item,
                       const std::string& part) {
  return time + type + pad(item, 12) + pad(part, 6) + pad("QD", 18) + "03" + "0000300" + "01";
}

// Today on the machine's clock, as ROC yyyMMdd with the day moved by `dayShift`
// inside its month and the month moved back `monthsBack` calendar months.
std::string rocDay(int monthsBack, int dayShift) {
  std::time_t now = std::time(nullptr);
  std::tm t = *std::localtime(&now);
  int months = (t.tm_year + 1900) * 12 + t.tm_mon - monthsBack;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%03d%02d%02d", months / 12 - 1911, months % 12 + 1,
                t.tm_mday + dayShift);
  return buf;
}

std::string rocToday() { return rocDay(0, 0); }

Lines listed(const std::vector<std::vector<std::string>>& events) {
  Lines out;
  for (const auto& e : events)
    if (e[0] == "list" && e.size() > 1) out.push_back(e[1]);
  return out;
}

const std::string kVisits3 = card(
    {visit("1151201100000", "3501234567", "00001200"), visit("1151115143000", "3509876543"),
     visit("1151020090000", "1234567890")},
    {order("1151201100000", "3", "91004C", "X1"), order("1151115143000", "1", "A012345678"),
     order("1150101080000", "2", "B0001", "PART01")},
    ", \"diagnoses\": [{\"time\": \"1151201100000\", \"main\": \"K0501\"}]");

// The three lines of that card, as the clinic program reads them.
const std::string kLine1 = big5("第01筆   類別:3  115年12月01日  10時00分00秒  91004C        X1      3501234567");
const std::string kLine2 = big5("第02筆   類別:1  115年11月15日  14時30分00秒  A012345678            3509876543");
const std::string kLine3 = big5("第03筆   類別:2  115年01月01日  08時00分00秒  B0001         PART01");

}  // namespace

TEST_F(Dental, ListsEachOrderWithThePlaceOfItsVisit) {
  write("ReadF4.txt", "old\r\n");
  simState(state(dentalReader(kVisits3)));
  EXPECT_EQ(run("/DentalTreat9").exitCode, 0);

  EXPECT_EQ(read("ReadF4.txt"), kLine1 + "\r\n" + kLine2 + "\r\n" + kLine3 + "\r\n");
  EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t0\t=> 0", "hisGetCardStatus\t3\t=> 3",
                              "hisGetTreatmentNoNeedHPC\tbuf=498\t=> 0",
                              "hisReadPrescription\tbuf=3660\tbuf=1320\tbuf=360\tbuf=120\t=> 0",
                              "hisGetTreatmentNeedHPC\tbuf=498\t=> 0", "csCloseCom\t=> 0"}));
  EXPECT_EQ(eventLines(),
            (Lines{"message\tDentalTreat", "waiting\t開啟 COM: 1", "waiting\t開啟 COM: 1",
                   "message\tDentalTreat", "waiting\t讀取就醫資料", "waiting\t讀取門診處方箋",
                   "waiting\t處方箋資料處理", "list-clear",
                   "list\t" + cp950::toUtf8(kLine1), "list\t" + cp950::toUtf8(kLine2),
                   "list\t" + cp950::toUtf8(kLine3), "message\tWaiting  9", "close-waiting", "title\ttemp", "exit"}));

  // Readf4: the outpatient buffer as returned, then each visit's time and fee
  // digits, then each diagnosis's time and main code.
  std::string outpatient = orderBytes("1151201100000", "3", "91004C", "X1") +
                           orderBytes("1151115143000", "1", "A012345678", "") +
                           orderBytes("1150101080000", "2", "B0001", "PART01");
  outpatient.resize(3660, ' ');
  const std::string visits = "1151201100000" "0001200" "1151115143000       "
                             "1151020090000       " + std::string(3 * 20, ' ');
  const std::string diagnoses = "1151201100000K0501" + std::string(5 * 18, ' ');
  EXPECT_EQ(read("Readf4"), outpatient + visits + diagnoses + "\r\n");
}

TEST_F(Dental, ThePlaceIsTheInstitutionsShortNameFromTheCache) {
  write("OffsCode", "3509876543" + pad(big5("好牙診所|台北"), 20) + "3501234567" +
                        pad(big5("仁愛牙醫"), 20));
  simState(state(dentalReader(kVisits3)));
  run("/DentalTreat9");
  Lines got = lines(read("ReadF4.txt"));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], kLine1.substr(0, kLine1.size() - 10) + big5("仁愛牙醫") + "\r");
  EXPECT_EQ(got[1], kLine2.substr(0, kLine2.size() - 10) + big5("好牙診所") + "\r");
  EXPECT_EQ(got[2], kLine3 + "\r");
}

TEST_F(Dental, ModeTwoWritesTheNamedFileWithTheHoldersIdentity) {
  write("Readf4", "an earlier patient's orders\r\n");
  simState(state(dentalReader(kVisits3)));
  run("/DentalTreat2 dent.txt /COM2/");
  EXPECT_EQ(read("dent.txt"), "A123456789\r\n" + kLine1 + "\r\n" + kLine2 + "\r\n" + kLine3 + "\r\n");
  EXPECT_EQ(read("ReadF4.txt"), kLine1 + "\r\n" + kLine2 + "\r\n" + kLine3 + "\r\n");
  // No professional-card data and no dump in this mode.
  EXPECT_FALSE(has("Readf4"));
  EXPECT_TRUE(calls("hisGetTreatmentNeedHPC").empty());
  EXPECT_EQ(calls("hisGetRegisterBasic"), (Lines{"hisGetRegisterBasic\tbuf=78\t=> 0"}));
  EXPECT_TRUE(readerLeftClosed());

  // Without a file name only ReadF4.txt is written.
  fs::remove(path("dent.txt"));
  run("/DentalTreat2");
  EXPECT_FALSE(has("dent.txt"));
  EXPECT_TRUE(has("ReadF4.txt"));
}

TEST_F(Dental, ModeZeroShowsTheListingInTheMainWindow) {
  simState(state(dentalReader(kVisits3)));
  EXPECT_EQ(run("/DentalTreat0").exitCode, 0);
  EXPECT_EQ(read("ReadF4.txt"), kLine1 + "\r\n" + kLine2 + "\r\n" + kLine3 + "\r\n");
  EXPECT_TRUE(has("Readf4"));
  Lines ev = eventLines();
  ASSERT_GE(ev.size(), 3u);
  EXPECT_EQ(ev[ev.size() - 3], "message\tWaiting  0");
  EXPECT_EQ(ev[ev.size() - 2], "show\tvexa5");
  EXPECT_EQ(ev.back(), "exit");
  EXPECT_EQ(listed(events()).size(), 3u);
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Dental, ScalingSixCalendarMonthsBackAgainstOneDayLaterInTheMonth) {
  const std::string sixBack = rocDay(6, 0), dayLater = rocDay(6, 1);
  auto y = [](const std::string& d) { return d.substr(0, 3) + "年" + d.substr(3, 2) + "月" + d.substr(5, 2) + "日"; };

  simState(state(dentalReader(card({}, {order(sixBack + "100000", "3", "91004C")}))));
  const std::string before = rocToday();
  run("/DentalTreat1");
  if (rocToday() != before) GTEST_SKIP() << "the date changed during the run";
  EXPECT_TRUE(shown(events(), {"message", y(sixBack) + " 6 月前"}));
  EXPECT_EQ(eventLines()[eventLines().size() - 2], "show\tvexahca");

  fs::remove(path("ui.log"));
  simState(state(dentalReader(card({}, {order(dayLater + "100000", "3", "91004C")}))));
  run("/DentalTreat1");
  if (rocToday() != before) GTEST_SKIP() << "the date changed during the run";
  EXPECT_TRUE(shown(events(), {"message", "洗牙: " + y(dayLater)}));
}

TEST_F(Dental, OnlyTheFirstTreatmentScalingOrderSetsTheNote) {
  const std::string recent = rocDay(1, 0), older = rocDay(12, 0), oldest = rocDay(24, 0);
  auto y = [](const std::string& d) { return d.substr(0, 3) + "年" + d.substr(3, 2) + "月" + d.substr(5, 2) + "日"; };
  // The recent "91004C" is no treatment order; of the two that are, the first decides.
  simState(state(dentalReader(card({}, {order(recent + "100000", "1", "91004C"),
                                        order(older + "100000", "3", "91004C"),
                                        order(oldest + "100000", "3", "91004C")}))));
  run("/DentalTreat1");
  EXPECT_TRUE(shown(events(), {"message", y(older) + " 12 月前"}));
  for (const auto& e : events()) {
    EXPECT_NE(e, (Lines{"message", "洗牙: " + y(recent)}));
    EXPECT_NE(e, (Lines{"message", y(oldest) + " 24 月前"}));
  }
  EXPECT_EQ(listed(events()).size(), 3u);
}

TEST_F(Dental, ModeOneWithoutScalingStillHandsOverTheWholeListing) {
  simState(state(dentalReader(card({visit("1151115143000", "3509876543")},
                                   {order("1151115143000", "1", "A012345678"),
                                    order("1150101080000", "2", "B0001", "PART01")}))));
  run("/DentalTreat1");
  EXPECT_TRUE(shown(events(), {"message", "無洗牙紀錄"}));
  EXPECT_EQ(read("ReadF4.txt"),
            big5("第01筆") + kLine2.substr(6) + "\r\n" + big5("第02筆") + kLine3.substr(6) + "\r\n");
  EXPECT_TRUE(readerLeftClosed());
}

TEST_F(Dental, NoOrdersEndTheRunInEveryMode) {
  for (const char* C : {"/DentalTreat0", "/DentalTreat1", "/DentalTreat"}) {
    fs::remove(path("ui.log"));
    write("Readf4", "an earlier patient's orders\r\n");
    simState(state(dentalReader(card({visit("1151201100000", "3501234567")}, {}))));
    run(C);
    EXPECT_EQ(read("ReadF4.txt"), big5("無門診處方箋資料") + "\r\n") << C;
    EXPECT_TRUE(shown(events(), {"message", "無門診處方箋資料"})) << C;
    for (const auto& e : events()) EXPECT_NE(e[0], "show") << C;
    EXPECT_FALSE(has("Readf4")) << C;
    EXPECT_TRUE(readerLeftClosed()) << C;
  }
  EXPECT_TRUE(calls("hisGetTreatmentNeedHPC").empty());
}

TEST_F(Dental, WithoutAReadyProfessionalCardNothingIsRead) {
  for (int status : {0, 1, 2}) {
    fs::remove(path("cshis-sim.log"));
    fs::remove(path("ui.log"));
    write("ReadF4.txt", "old\r\n");
    simState(state(dentalReader(kVisits3, status)));
    run("/DentalTreat0");
    EXPECT_EQ(read("ReadF4.txt"), big5("需使用醫師卡") + "\r\n");
    EXPECT_EQ(journal(), (Lines{"csCloseCom\t=> 4000", "csOpenCom\t0\t=> 0",
                                "hisGetCardStatus\t3\t=> " + std::to_string(status),
                                "csCloseCom\t=> 0"}));
    Lines ev = eventLines();
    EXPECT_EQ(ev[ev.size() - 4], "message\t需使用醫師卡");
    EXPECT_EQ(ev.back(), "exit");
  }
}

TEST_F(Dental, AnOrderWithoutATimeBelongsToNoEmptyVisitSlot) {
  simState(state(dentalReader(card({visit("1151201100000", "3501234567")},
                                   {order("", "3", "91004C", "X1")}))));
  run("/DentalTreat9");
  EXPECT_EQ(read("ReadF4.txt"),
            big5("第01筆   類別:3  ") + big5("   年  月  日  " "  時  分  秒") + "  " +
                "91004C      " + "  " + "X1    " + "\r\n");
}

TEST_F(Dental, GarbledOrdersAreListedWithoutHarm) {
  // Double-byte text across the item and part fields, then a clean order, then
  // an order of NULs that ends the list like a blank one.
  const std::string garbled = "1151201100000" "3" "中中中中中x中xxxxx" + std::string(29, 'y');
  const std::string clean = "11512011000001" + std::string(47, 'z');
  std::string rawJson = garbled + clean;
  for (int i = 0; i < 61; ++i) rawJson += "\\u0000";
  rawJson += "1151201100000" "3" "91004C";
  simState(state(dentalReader(card({visit("1151201100000", "3501234567")}, {},
                                   ", \"raw\": {\"hisReadPrescription.outpatient\": " +
                                       jtext(rawJson) + "}"))));
  EXPECT_EQ(run("/DentalTreat9").exitCode, 0);
  Lines got = lines(read("ReadF4.txt"));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].rfind(big5("第01筆   類別:3  115年12月01日  10時00分00秒  "), 0), 0u);
  EXPECT_EQ(got[0].substr(got[0].size() - 13), "  3501234567\r");
  EXPECT_EQ(cp950::normalize(got[0]), got[0]);  // no half characters handed on
  EXPECT_EQ(got[1], big5("第02筆   類別:1  115年12月01日  10時00分00秒  zzzzzzzzzzzz  zzzzzz  3501234567") + "\r");
  EXPECT_EQ(eventLines().back(), "exit");
}

// Each card call failing in turn: the run still leaves ReadF4.txt, shows the
// failure, ends, and the reader is closed.
class DentalFaults : public e2e::Run,
                     public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(DentalFaults, EndWithTheListingAndTheReaderClosed) {
  const auto [call, label] = GetParam();
  simState(state(dentalReader(kVisits3),
                 std::string("\"faults\": [{\"call\": \"") + call + "\", \"code\": 4013, \"times\": 1}]"));
  EXPECT_EQ(run(std::string("/DentalTreat2 dent.txt")).exitCode, 0);
  EXPECT_TRUE(has("ReadF4.txt"));
  EXPECT_TRUE(has("dent.txt"));
  bool red = false;
  for (const auto& e : events()) red |= e == Lines{"red", "未置入健保IC卡", "20"};
  EXPECT_TRUE(red) << label;
  EXPECT_EQ(eventLines().back(), "exit");
  EXPECT_TRUE(readerLeftClosed());
}

INSTANTIATE_TEST_SUITE_P(
    Calls, DentalFaults,
    ::testing::Values(std::pair{"hisGetRegisterBasic", "讀取基本資料"},
                      std::pair{"hisGetTreatmentNoNeedHPC", "就醫資料"},
                      std::pair{"hisReadPrescription", "讀取處方箋作業"}));

TEST_F(Dental, AFailedProfessionalCardReadStillWritesTheDump) {
  simState(state(dentalReader(kVisits3),
                 "\"faults\": [{\"call\": \"hisGetTreatmentNeedHPC\", \"code\": 4042}]"));
  run("/DentalTreat9");
  EXPECT_TRUE(shown(events(), {"red", "醫事人員卡PIN尚未認證成功", "20"}));
  EXPECT_EQ(read("ReadF4.txt"), kLine1 + "\r\n" + kLine2 + "\r\n" + kLine3 + "\r\n");
  // The diagnoses part stays blank: the visits read before are not diagnoses.
  const std::string dump = read("Readf4");
  ASSERT_EQ(dump.size(), 3660u + 6 * 20 + 6 * 18 + 2);
  EXPECT_EQ(dump.substr(3660 + 6 * 20), std::string(6 * 18, ' ') + "\r\n");
  EXPECT_TRUE(readerLeftClosed());
}
