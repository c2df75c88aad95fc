#include "visit/dental.h"

#include <string_view>

#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "card/dates.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/records.h"
#include "card/cardlib.h"
#include "card/read.h"
#include "frame/run.h"
#include "frame/vbtext.h"

namespace {

using namespace card;

constexpr int16_t kPinVerified = 3;  // hisGetCardStatus(3): the professional card is ready
constexpr int16_t kStatusUnusable = 9;
constexpr long kScalingMonths = 6;
constexpr const char* kScalingItem = "91004C";
constexpr const char* kTreatmentOrder = "3";
// Form_Resize leaves the list this much smaller than the main window.
constexpr int kMainExtraWidth = 360, kMainExtraHeight = 640;

// The six visits of the card: when and where.
struct Visits {
  std::string time[kVisitSlots];
  std::string place[kVisitSlots];
};

// The visits of the treatment reply, and the first half of the summary that
// Readf4 keeps.
Visits readVisits(Run& run, const std::string& treatment, std::string& summary) {
  Visits v;
  for (int k = 0; k < kVisitSlots; ++k) {
    v.time[k] = bcut(treatment, visitByte(k, kVisitTime), kVisitTimeWidth);
    v.place[k] = GetOffsCode(
        run, bcut(treatment, visitByte(k, kVisitInstitution), kVisitInstitutionWidth), 1);
    summary += v.time[k] + bcut(treatment, visitByte(k, kVisitFeeDigits), kVisitFeeDigitsWidth);
  }
  return v;
}

// The place of the visit the order was given at; an empty slot is no visit.
const std::string* placeOf(const Visits& v, const std::string& orderTime) {
  if (blank(orderTime)) return nullptr;
  for (int k = 0; k < kVisitSlots; ++k)
    if (v.time[k] == orderTime) return &v.place[k];
  return nullptr;
}

std::string listingLine(int i, const std::string& order, const Visits& visits) {
  const std::string time = bcut(order, kOrderTime, kOrderTimeWidth);
  std::string line = b5("第") + zeroPad(i + 1, 2) + b5("筆   類別:") + bcut(order, kOrderType, 1) +
                     "  " + monthday(time) + "  " + bcut(order, kOrderItem, kOrderItemWidth) +
                     "  " + bcut(order, kOrderPart, kOrderPartWidth);
  if (const std::string* place = placeOf(visits, time)) line += "  " + *place;
  return line;
}

// Hands the run over to a window the operator closes; the card work is over,
// so the reader is given back now rather than held while the window is open.
void handOver(Run& run, const std::string& window) {
  run.reader.closeOnce();
  run.win.endAtOnce = true;
  showWindow(run, window);
}

}  // namespace

DentalArgs dentalArgs(const std::string& C) {
  static constexpr std::string_view kVerb = "/DentalTreat";
  DentalArgs a;
  size_t at = C.find(kVerb);
  if (at == std::string::npos) return a;
  const std::string rest = C.substr(at + kVerb.size());
  a.mode = vbTrim(vbMid(rest, 1, 1));
  a.file = vbTrim(vbMid(rest, 2));
  size_t space = a.file.find(' ');
  if (space != std::string::npos && space > 0) a.file.erase(space);
  return a;
}

long monthsSince(const std::string& orderTime, const DateTime& today) {
  const long year = static_cast<long>(vbVal(bcut(orderTime, 1, 3)));
  const long month = static_cast<long>(vbVal(bcut(orderTime, 4, 2)));
  const long day = static_cast<long>(vbVal(bcut(orderTime, 6, 2)));
  long months = (today.year - 1911 - year) * 12 + (today.month - month);
  if (today.day < day) --months;
  return months;
}

std::string scalingNote(const std::string& orderTime, const DateTime& today) {
  const std::string date = monthday(bcut(orderTime, 1, kOrderDateWidth));
  const long months = monthsSince(orderTime, today);
  if (months < kScalingMonths) return b5("洗牙: ") + date;
  return date + " " + std::to_string(months) + b5(" 月前");
}

void cmd_DentalTreat(Run& run) {
  const DentalArgs args = dentalArgs(run.C);
  const std::string result = run.settings.workDir + "ReadF4.txt";
  const std::string dump = run.settings.workDir + "Readf4";
  if (exists(run.files(), result)) killFile(run.files(), result);
  // A dump is written only when there are orders: one left by an earlier run
  // would pass another patient's orders for this one's.
  if (exists(run.files(), dump)) killFile(run.files(), dump);

  const int16_t status = run.card.hisGetCardStatus(CardType::Professional);
  run.lastStatus = status;
  if (status < kPinVerified || status == kStatusUnusable) {
    const std::string refusal = b5("需使用醫師卡");
    writeResult(run, result, refusal);
    showMessage(run, refusal);
    run.reader.close();
    UnloadMe_End(run);
  }

  std::string id;
  if (args.mode == "2") {
    id = bcut(readCard(run, &CardLib::hisGetRegisterBasic, kBasicLength, "讀取基本資料").bytes, kIdPos,
              kIdWidth);
  }

  showWaiting(run, b5("讀取就醫資料"));
  const CardReply treatment = readCard(run, &CardLib::hisGetTreatmentNoNeedHPC, kTreatmentLength, "就醫資料");
  std::string summary;
  const Visits visits = readVisits(run, treatment.bytes, summary);

  showWaiting(run, b5("讀取門診處方箋"));
  std::string outpatient(kOutpatientLength, ' '), longTerm(kLongTermLength, ' '),
      important(kImportantLength, ' '), allergy(kAllergyLength, ' ');
  int16_t lenOutpatient = kOutpatientLength, lenLongTerm = kLongTermLength,
          lenImportant = kImportantLength, lenAllergy = kAllergyLength;
  run.lastStatus = run.card.hisReadPrescription(outpatient, lenOutpatient, longTerm, lenLongTerm,
                                                important, lenImportant, allergy, lenAllergy);
  msg4apierr(run, static_cast<int16_t>(run.lastStatus), b5("讀取處方箋作業"));
  showWaiting(run, b5("處方箋資料處理"));
  listClear(run);

  // The first scaling order in card order decides the note.
  std::string listing, note;
  int entries = 0;
  for (int i = 0; i < kOrderSlots; ++i) {
    const std::string order = bcut(outpatient, orderByte(i, 1), kOrderSize);
    const std::string type = bcut(order, kOrderType, 1);
    if (blank(type)) break;
    ++entries;
    const std::string line = listingLine(i, order, visits);
    if (!listing.empty()) listing += "\r\n";
    listing += line;
    if (note.empty() && type == kTreatmentOrder && line.find(kScalingItem) != std::string::npos)
      note = scalingNote(order, run.clock.now());
    listAdd(run, line);
  }

  showMessage(run, "Waiting  " + args.mode);
  if (entries == 0) {
    listing = b5("無門診處方箋資料");
    showMessage(run, listing);
  } else if (args.mode != "2") {
    const CardReply diagnoses =
        readCard(run, &CardLib::hisGetTreatmentNeedHPC, kTreatmentLength, "就醫資料需要HPC卡的部分");
    for (int k = 0; k < kVisitSlots; ++k)
      summary += bcut(diagnoses.bytes, diagnosisByte(k, kDiagnosisTime), kDiagnosisTimeWidth) +
                 bcut(diagnoses.bytes, diagnosisByte(k, kDiagnosisMain), kDiagnosisMainWidth);
    writeResult(run, dump, outpatient + summary);

    if (args.mode == "0") {
      run.screen.placeMain(kDentalLeft, kDentalTop, kDentalListWidth + kMainExtraWidth,
                           kDentalListHeight + kMainExtraHeight);
      run.screen.hideMessage();
      run.win.messageShown = false;
      writeResult(run, result, listing);
      handOver(run, "vexa5");
      return;
    }
    if (args.mode == "1") {
      if (note.empty()) note = b5("無洗牙紀錄");
      showMessage(run, note);
      writeResult(run, result, listing);
      handOver(run, "vexahca");
      return;
    }
  }

  if (args.mode == "2" && !args.file.empty())
    writeResult(run, args.file, id + "\r\n" + listing);
  writeResult(run, result, listing);
  UnloadMe_End(run);
}
