#include "card/report.h"

#include <algorithm>
#include <functional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>

#include "store/store.h"
#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "card/dates.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/records.h"
#include "card/reportlayout.h"
#include "card/cardlib.h"
#include "card/read.h"
#include "frame/run.h"
#include "frame/vbtext.h"

namespace card::report {
namespace {

const std::string kVerb = "/LoadAllData";
const std::string kResultFile = "ReadF4.txt";
const std::string kIndent(8, ' ');
const std::string kDashes(51, '-');

// How a field's bytes are shown after its label.
enum class Show {
  AsIs,        // as they stand
  Date,        // monthday
  Office,      // the institution's short name (GetOffsCode)
  Total,       // 5 integer and 2 fraction digits as "integer.fraction"
  Supplement,  // the visit's supplement mark, "2" named as a supplement card
};

struct Field {
  const char* label;  // UTF-8
  int offset, width;
  Show show = Show::AsIs;
};

constexpr Field kVisitFields[] = {
    {">就醫資料登錄之就醫類別:  ", kVisitCategory, kVisitCategoryWidth},
    {">就醫資料登錄之新生兒就醫註記:  ", kVisitNewborn, 1},
    {">就醫資料登錄之就診日期時間:  ", kVisitTime, kVisitTimeWidth, Show::Date},
    {">就醫資料登錄之補卡註記:  ", kVisitSupplement, 1, Show::Supplement},
    {">就醫資料登錄之就醫序號:  ", kVisitSeq, kVisitSeqWidth},
    {">就醫資料登錄之醫療院所代碼:  ", kVisitInstitution, kVisitInstitutionWidth, Show::Office},
    {">門診醫療費用:  ", kVisitOutpatientFee, kVisitOutpatientFeeWidth},
    {">門診部分負擔費用:  ", kVisitOutpatientCopay, kVisitOutpatientCopayWidth},
    {">住院醫療費用:  ", kVisitInpatientFee, kVisitInpatientFeeWidth},
    {">住院部分負擔費用（當次急性30天、慢性180天以下）:  ", kVisitInpatientShort, kVisitInpatientShortWidth},
    {">住院部分負擔費用（當次急性31天、慢性181天以上）:  ", kVisitInpatientLong, kVisitInpatientLongWidth},
};

constexpr Field kPeriodFields[] = {
    {">重大傷病有效期限起始日:  ", kPeriodStart, kDateWidth, Show::Date},
    {">重大傷病有效期限終止日:  ", kPeriodEnd, kDateWidth, Show::Date},
};

constexpr Field kIllnessFields[] = {{">重大傷病註記:  ", kIllnessCode, kIllnessCodeWidth}};

constexpr Field kDiagnosisFields[] = {
    {">就醫資料登錄 就診日期時間:  ", kDiagnosisTime, kDiagnosisTimeWidth, Show::Date},
    {">就醫資料登錄 主要診斷碼:  ", kDiagnosisMain, kDiagnosisMainWidth},
    {">就醫資料登錄 次要診斷碼第1組:  ", kDiagnosisSecondary, kDiagnosisMainWidth},
    {">就醫資料登錄 次要診斷碼第2組:  ", kDiagnosisSecondary + kDiagnosisMainWidth, kDiagnosisMainWidth},
    {">就醫資料登錄 次要診斷碼第3組:  ", kDiagnosisSecondary + 2 * kDiagnosisMainWidth, kDiagnosisMainWidth},
    {">就醫資料登錄 次要診斷碼第4組:  ", kDiagnosisSecondary + 3 * kDiagnosisMainWidth, kDiagnosisMainWidth},
    {">就醫資料登錄 次要診斷碼第5組:  ", kDiagnosisSecondary + 4 * kDiagnosisMainWidth, kDiagnosisMainWidth},
};

constexpr Field kOrderFields[] = {
    {">就診日期時間:  ", kOrderTime, kOrderTimeWidth, Show::Date},
    {">醫令類別:  ", kOrderType, 1},
    {">診療項目代號:  ", kOrderItem, kOrderItemWidth},
    {">診療部位:  ", kOrderPart, kOrderPartWidth},
    {">用法:  ", kOrderUsage, kOrderUsageWidth},
    {">天數:  ", kOrderDays, kOrderDaysWidth},
    {">總量:  ", kOrderTotal, kTotalWidth, Show::Total},
    {">交付處方註記:  ", kOrderDeliver, kOrderDeliverWidth},
};

constexpr Field kLongTermFields[] = {
    {">開立日期:  ", kLongTermDate, kDateWidth, Show::Date},
    {">藥品代碼:  ", kLongTermItem, kLongTermItemWidth},
    {">用法:  ", kLongTermUsage, kLongTermUsageWidth},
    {">天數:  ", kLongTermDays, kLongTermDaysWidth},
    {">總量:  ", kLongTermTotal, kTotalWidth, Show::Total},
};

constexpr Field kImportantFields[] = {
    {">實施日期:  ", kImportantDate, kDateWidth, Show::Date},
    {">醫療院所代碼:  ", kImportantInstitution, kInstitutionWidth, Show::Office},
    {">重要醫令項目代碼:  ", kImportantItem, kImportantItemWidth},
    {">實施部位代碼:  ", kImportantPart, kImportantPartWidth},
    {">總量:  ", kImportantTotal, kTotalWidth, Show::Total},
};

constexpr Field kAllergyFields[] = {{">過敏藥物成份名稱:  ", kAllergyName, kAllergyNameWidth}};

constexpr Field kYearlyFields[] = {
    {">年:  ", kYearlyYear, kYearlyYearWidth},
    {">門住診就醫累計次數:  ", kYearlyVisits, kYearlyVisitsWidth},
    {">門診醫療費用累計:  ", kYearlyOutpatientFee, kYearlyFeeWidth},
    {">住診醫療費用累計:  ", kYearlyInpatientFee, kYearlyFeeWidth},
    {">門診部分負擔費用累計 由門診當次部分負擔費用加總於年累計費用:  ", kYearlyCopays, kYearlyCopayWidth},
    {">住診急性30天、慢性180天以下部分負擔費用累計:  ", kYearlyCopays + kYearlyCopayWidth, kYearlyCopayWidth},
    {">住診急性31天、慢性181天以上部分負擔費用累計:  ", kYearlyCopays + 2 * kYearlyCopayWidth, kYearlyCopayWidth},
    {">門診+住診部分負擔費用累計:  ", kYearlyCopays + 3 * kYearlyCopayWidth, kYearlyCopayWidth},
    {">[門診+住診(急性30天、慢性180天以下)]部分負擔費用累計:  ", kYearlyCopays + 4 * kYearlyCopayWidth,
     kYearlyCopayWidth},
};

constexpr Field kPreventFields[] = {
    {"保健服務項目註記:  ", kPreventItem, kPreventItemWidth},
    {"檢查日期: ", kPreventDate, kPreventDateWidth, Show::Date},
    {"醫療院所代碼: ", kPreventInstitution, kPreventInstitutionWidth, Show::Office},
    {"檢查項目代碼: ", kPreventCode, kPreventCodeWidth},
};

constexpr Field kPrenatalFields[] = {
    {"檢查日期:  ", kPrenatalDate, kDateWidth, Show::Date},
    {"醫療院所代碼: ", kPrenatalInstitution, kInstitutionWidth, Show::Office},
    {"檢查項目代碼: ", kPrenatalCode, kPrenatalCodeWidth},
};

constexpr Field kInoculationFields[] = {
    {"疫苗種類:  ", kVaccine, kVaccineWidth},
    {"檢查日期:  ", kVaccineDate, kDateWidth, Show::Date},
    {"醫療院所代碼: ", kVaccineInstitution, kInstitutionWidth, Show::Office},
    {"疫苗批號: ", kVaccineBatch, kVaccineBatchWidth},
};

// A text of the report's own tables in CP950: the tables are fixed for the
// program's life, so each is converted once, found again by its address.
const std::string& label(const char* utf8) {
  static std::unordered_map<const char*, std::string> converted;
  auto it = converted.find(utf8);
  if (it == converted.end()) it = converted.emplace(utf8, b5(utf8)).first;
  return it->second;
}

void line(Run& run, std::string text) { listAdd(run, std::move(text)); }
void say(Run& run, const char* utf8) { listAdd(run, label(utf8)); }

std::string shown(Run& run, std::string bytes, Show how) {
  switch (how) {
    case Show::Date: return monthday(bytes);
    case Show::Office: return GetOffsCode(run, bytes, 0);
    case Show::Total:
      return bcut(bytes, 1, kTotalIntegerWidth) + "." + bcut(bytes, kTotalIntegerWidth + 1, kTotalFractionWidth);
    case Show::Supplement:
      if (bytes == "1") return "1  ";
      if (bytes == "2") return b5("2  補卡");
      return bytes;
    case Show::AsIs: break;
  }
  return bytes;
}

// Every slot of a repeated group, filled or not. A record's first field starts
// at the margin and the others are indented, so each record can be told
// apart; the visit records are indented throughout.
void group(Run& run, const std::string& reply, const Group& g, std::span<const Field> fields,
           bool indentAll = false) {
  for (int k = 0; k < g.slots; ++k) {
    bool first = true;
    for (const Field& f : fields) {
      const std::string value = shown(run, bcut(reply, groupByte(g, k, f.offset), f.width), f.show);
      const std::string& name = label(f.label);
      std::string text;
      text.reserve(kIndent.size() + name.size() + value.size());
      if (!first || indentAll) text += kIndent;
      text.append(name).append(value);
      line(run, std::move(text));
      first = false;
    }
  }
}

// After every read: pending events, then the report of the code. The report
// goes on whatever the code; msg4apierr closes the reader on a failure, so the
// later reads fail in turn.
MAY_END_RUN void checked(Run& run, const char* label) {
  doEvents(run);
  msg4apierr(run, static_cast<int16_t>(run.lastStatus), b5(label));
}

// The report's lines are gathered between reads: what was gathered reaches
// the screen (one write to the event log) before a read and its messages.
MAY_END_RUN void checkedRead(Run& run, const std::function<void()>& read, const char* label) {
  const bool gathering = run.list1Gathering;
  listSend(run);
  read();
  checked(run, label);
  if (gathering) listGather(run);
}

// A section's read, checked as above.
MAY_END_RUN std::string readChecked(Run& run, CardRead read, int length, const char* label) {
  CardReply reply;
  checkedRead(run, [&] { reply = readCard(run, read, static_cast<int16_t>(length)); }, label);
  return std::move(reply.bytes);
}

MAY_END_RUN void basicSection(Run& run) {
  const std::string r = readChecked(run, &CardLib::hisGetRegisterBasic, kBasicLength, "讀取基本資料");
  listClear(run);
  say(run, "----------------基本資料段---------------");
  line(run, b5("卡片號碼:  ") + bcut(r, kCardNoPos, kCardNoWidth));
  line(run, b5("姓名:  ") + bcut(r, kNamePos, kNameWidth));
  line(run, b5("身份證字號:  ") + bcut(r, kIdPos, kIdWidth));
  line(run, b5("出生日期:  ") + monthday(bcut(r, kBirthPos, kBirthWidth)));
  const std::string sex = bcut(r, kSexPos, 1);
  line(run, sex == "M" ? b5("性別:   M:男性") : sex == "F" ? b5("性別:   F:女性") : b5("性別:   ") + sex);
  line(run, b5("發卡日期:  ") + monthday(bcut(r, kIssuedPos, kIssuedWidth)));
  const std::string cancel = bcut(r, kCancelPos, 1);
  line(run, cancel == "1"   ? b5("卡片註銷註記:  1:正常卡")
            : cancel == "2" ? b5("卡片註銷註記:  2:註銷卡")
                            : b5("卡片註銷註記:   ") + cancel);
  say(run, "----------------健保資料段---------------");
  line(run, b5("保險人代碼:  ") + bcut(r, kInsurerPos, kInsurerWidth));
  const std::string identity = bcut(r, kIdentityMarkPos, 1);
  line(run, identity == "1"   ? b5("保險對象身分註記:  1:低收入戶")
            : identity == "2" ? b5("保險對象身分註記:  2:無職業的榮民")
            : identity == "3" ? b5("保險對象身分註記:  3:一般身分")
                              : b5("保險對象身分註記:  ") + identity);
  line(run, b5("卡片有效期限:  ") + monthday(bcut(r, kValidPos, kValidWidth)));
  line(run, b5("就醫可用次數:  ") + bcut(r, kRemainingPos, kRemainingWidth));
  line(run, b5("新生兒出生日期:  ") + monthday(bcut(r, kNewbornPos, kNewbornWidth)));
  line(run, b5("新生兒胎胞註記:  ") + bcut(r, kTwinPos, 1));
  line(run, kDashes);
}

MAY_END_RUN void treatmentSections(Run& run) {
  const std::string visits = readChecked(run, &CardLib::hisGetTreatmentNoNeedHPC, kTreatmentLength, "就醫資料");
  say(run, "------ 健保資料段  讀取就醫資料不需HPC卡的部分---------------");
  say(run, "就醫類別:  01西醫門診、02 牙醫門診、03中門診、04急診、05 住院");
  say(run, "就醫資料登錄之補卡註記:  1: 非補卡     2: 補卡");
  say(run, "AA以治療六次以內為同一療程者、AB以非六次以內治療為限者、AC預防保健、AD職業傷害或職業病、");
  say(run, "AE慢性病連續處方箋領藥、AF藥局調劑、AG排程檢查、AH居家照護（第二次以後）");
  say(run, "AI：同日同醫師看診（第二次以後）、BA門（急）診當次轉住院之入院、 BB出院 、");
  group(run, visits, kVisits, kVisitFields, true);
  line(run, kDashes);
  group(run, visits, kIllnessPeriods, kPeriodFields);
  line(run, kDashes);

  // The status of the professional card is asked for before its part is read.
  run.lastStatus = run.card.hisGetCardStatus(CardType::Professional);
  const std::string needHpc =
      readChecked(run, &CardLib::hisGetTreatmentNeedHPC, kNeedHpcLength, "就醫資料需要HPC卡的部分");
  say(run, "------ 健保資料段  讀取就醫資料需要HPC卡的部分---------------");
  group(run, needHpc, kIllnessEntries, kIllnessFields);
  line(run, kDashes);
  group(run, needHpc, kDiagnoses, kDiagnosisFields);
  line(run, kDashes);
}

MAY_END_RUN void prescriptionSection(Run& run) {
  std::string outpatient(kOutpatientLength, ' '), longTerm(kLongTermLength, ' ');
  std::string important(kImportantLength, ' '), allergy(kAllergyLength, ' ');
  int16_t lo = kOutpatientLength, ll = kLongTermLength, li = kImportantLength, la = kAllergyLength;
  checkedRead(run, [&] {
    run.lastStatus = run.card.hisReadPrescription(outpatient, lo, longTerm, ll, important, li, allergy, la);
  }, "讀取處方箋作業");
  say(run, "-------------- 讀取處方箋作業---------------");
  say(run, "-------------- 門診處方箋：保留60組---------------");
  say(run, "醫令類別代碼: 1.非長期藥品處方箋 2.長期藥品處方箋 3.診療 4.特殊材料 5.重要醫令(含門住診)");
  say(run, "醫令類別代碼: A. 刪除非長期藥品處方箋 B.刪除長期藥品處方箋 C.刪除診療 D.刪除特殊材料 E.刪除重要醫令(含門住診)");
  say(run, "交付處方註記: 01自行調劑、02交付調劑、 03自行執行物理治療、04交付執行物理治療");
  say(run, "交付處方註記: 05自行調劑之慢性病連續處方箋、06交付調劑之慢性病連續處方箋");
  group(run, outpatient, kOutpatientOrders, kOrderFields);
  line(run, kDashes);
  say(run, "-------------- 長期處方箋：：保留30組---------------");
  group(run, longTerm, kLongTermPrescriptions, kLongTermFields);
  line(run, kDashes);
  say(run, "-------------- 重要醫令項目：保留10組 ---------------");
  group(run, important, kImportantOrders, kImportantFields);
  line(run, kDashes);
  say(run, "-------------- 過敏藥物：保留3組 ---------------");
  group(run, allergy, kAllergies, kAllergyFields);
  line(run, kDashes);
}

MAY_END_RUN void totalsSections(Run& run) {
  const std::string yearly = readChecked(run, &CardLib::hisGetCumulativeData, kYearlyLength, "讀取就醫累計資料");
  say(run, "-------------- 讀取就醫累計資料---------------");
  group(run, yearly, kYearlyTotals, kYearlyFields);

  const std::string fees = readChecked(run, &CardLib::hisGetCumulativeFee, kFeeLength, "醫療費用總累計");
  say(run, "-------------- 醫療費用總累計---------------");
  line(run, b5("門診醫療費用總累計:  ") + bcut(fees, kFeeOutpatient, kFeeWidth));
  line(run, b5("住診醫療費用總累計:  ") + bcut(fees, kFeeInpatient, kFeeWidth));
}

MAY_END_RUN void preventionSections(Run& run) {
  const std::string prevent = readChecked(run, &CardLib::hisGetRegisterPrevent, kPreventLength, "預防保健掛號作業");
  for (const char* heading : kPreventHeading) say(run, heading);
  group(run, prevent, kPreventions, kPreventFields);

  const std::string prenatal = readChecked(run, &CardLib::hisGetRegisterPregnant, kPregnantLength, "孕婦產前檢查");
  say(run, "-------------- 孕婦產前檢查 保留11組 ---------------");
  group(run, prenatal, kPrenatalChecks, kPrenatalFields);

  const std::string inoculations =
      readChecked(run, &CardLib::hisGetInoculateData, kInoculateLength, "預防接種資料項目");
  say(run, "-------------- 預防接種資料項目：保留40組 ---------------");
  group(run, inoculations, kInoculations, kInoculationFields);
}

MAY_END_RUN void organSection(Run& run) {
  const std::string organ = readChecked(run, &CardLib::hisGetOrganDonate, kOrganDonateLength, "器官捐贈資料項目");
  say(run, "-------------- 器官捐贈資料項目 ---------------");
  line(run, b5("同意同意器官捐贈及安寧緩和醫療註記 :  ") + bcut(organ, 1, kOrganDonateLength));
  static const char* const kLegend[] = {
      "「1」同意器官捐贈 「2」同意安寧緩和醫療「3」同意不實施心肺復甦術",
      "「4」同意器官捐贈、同意安寧緩和醫療、同意不實施心肺復甦術",
      "「5」同意器官捐贈、同意安寧緩和醫療",
      "「6」同意器官捐贈、同意不實施心肺復甦術",
      "「7」同意安寧緩和醫療、同意不實施心肺復甦術",
      "「O」均不同意",
  };
  for (const char* l : kLegend) line(run, kIndent + label(l));
}

// The plain mode: the six-visit summary replaces ReadF4.txt for the clinic
// program and is archived under the holder's identity number.
MAY_END_RUN void saveRecentVisits(Run& run) {
  const std::string result = run.settings.workDir + kResultFile;
  if (exists(run.files(), result)) killFile(run.files(), result);
  const std::string summary = Data6Times(run);
  writeResult(run, result, summary);

  // A summary made from a failed read (the reader is closed by then) or an
  // empty one would replace the holder's archived text with nothing useful.
  if (run.reader.closed || vbTrim(summary).empty()) return;
  const std::string basic = readChecked(run, &CardLib::hisGetRegisterBasic, kBasicLength, "讀取基本資料");
  if (run.lastStatus != 0) return;
  const std::string id = bcut(basic, kIdPos, kIdWidth);
  if (vbLen(vbTrim(id)) != kIdWidth || vbTrim(bcut(basic, kIdPos, 1)) < "A") return;
  archiveSaved(run, save1500file(run.disk, run.settings.workDir, id, summary));
}

std::string mode(const std::string& C) {
  const size_t v = C.find(kVerb);
  if (v == std::string::npos) return "";
  std::string rest = C.substr(v + kVerb.size());
  return vbTrim(rest.substr(0, rest.find('/')));
}

MAY_END_RUN void loadAll(Run& run) {
  listGather(run);
  basicSection(run);

  const std::string lastSeq = readChecked(run, &CardLib::hisGetLastSeqNum, kLastSeqLength, "最近一次就醫序號");
  line(run, b5("最近一次就醫序號: ") + vbLeft(lastSeq + std::string(kLastSeqLength, ' '), kLastSeqLength));
  const std::string tel = readChecked(run, &CardLib::hisGetEmergentTel, kEmergentTelLength, "緊急電話");
  line(run, b5("緊急電話: ") + vbLeft(tel + std::string(kEmergentTelLength, ' '), kEmergentTelLength));

  treatmentSections(run);
  prescriptionSection(run);
  totalsSections(run);
  preventionSections(run);
  organSection(run);
  listSend(run);

  List1DataSave(run);
  List1DataSave(run);
}

MAY_END_RUN void command(Run& run) {
  const int16_t status = run.card.hisGetCardStatus(CardType::Health);
  run.lastStatus = status;
  // 0 (or a failure) means no card to read; a card not yet authenticated
  // with the SAM (1) is read for what it gives.
  if (status < 1) {
    writeResult(run, run.settings.workDir + kResultFile, b5("無健保卡 或 健保卡尚未認證"));
    UnloadMe_End(run);
  }

  const std::string mode = report::mode(run.C);
  showWaiting(run, b5("讀取健保IC卡卡片內容_") + mode);

  if (mode == "1") {
    run.screen.caption("vexa5", b5("健保IC卡卡片內容"));
    loadAll(run);
    if (!run.reader.closed) {
      run.lastStatus = run.reader.close();
      msg4apierr(run, static_cast<int16_t>(run.lastStatus), "");
    }
    // The report stays open for the operator; closing it ends the run.
    run.win.endAtOnce = true;
    closeWaiting(run);
    showWindow(run, "vexa5");
    return;
  }
  if (mode == "2") {
    loadAll(run);
    UnloadMe_End(run);
  }
  saveRecentVisits(run);
  UnloadMe_End(run);
}

}  // namespace
}  // namespace card::report

std::string loadAllDataMode(const std::string& C) { return card::report::mode(C); }
void LoadAllData(Run& run) { card::report::loadAll(run); }
void cmd_LoadAllData(Run& run) { card::report::command(run); }
