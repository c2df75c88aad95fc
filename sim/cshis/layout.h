// The byte layouts of the simulated reader's replies, written once.
//
// A reply is made of fixed-width fields (CP950 bytes, blank-padded) and of
// repeated groups of such records. Each record is a list of named fields; its
// byte positions follow from the widths. The same names are the keys of the
// state file, so a field's key, width and place are all stated here.
#pragma once

#include <span>
#include <string_view>

namespace layout {

// A field of a record. `repeat` > 1 makes the field a list of that many texts
// of `width` bytes each, one after the other.
struct Field {
  std::string_view key;
  int width;
  int repeat = 1;
};

// Where a field's (first) text is kept, where its bytes start, how wide it is.
struct Place {
  int index;
  int offset;
  int width;
};

struct Record {
  std::span<const Field> fields;

  // Number of texts a record of this layout holds (a repeated field counts
  // each of its texts).
  constexpr int values() const {
    int n = 0;
    for (const Field& f : fields) n += f.repeat;
    return n;
  }
  constexpr int size() const {
    int n = 0;
    for (const Field& f : fields) n += f.width * f.repeat;
    return n;
  }
  // Index of the key's (first) text; a name not in the layout does not compile.
  consteval int operator[](std::string_view key) const {
    int n = 0;
    for (const Field& f : fields) {
      if (f.key == key) return n;
      n += f.repeat;
    }
    throw "no such field";
  }
  // 0-based byte offset of the key's field inside the record.
  consteval int offset(std::string_view key) const { return at(key).offset; }
  consteval Place at(std::string_view key) const {
    int index = 0, offset = 0;
    for (const Field& f : fields) {
      if (f.key == key) return {index, offset, f.width};
      index += f.repeat;
      offset += f.width * f.repeat;
    }
    throw "no such field";
  }
};

// A repeated group: `slots` records of one layout; unused slots are blank.
struct Group {
  const Record* record;
  int slots;
  constexpr int size() const { return record->size() * slots; }
};

// Card-holder record of hisGetRegisterBasic; its fields are the health card's
// own keys in the state file.
inline constexpr Field kBasicFields[] = {
    {"cardNo", 12},     {"name", 20},       {"id", 10},       {"birth", 7},
    {"sex", 1},         {"issued", 7},      {"cancelMark", 1}, {"insurer", 2},
    {"identityMark", 1}, {"validUntil", 7}, {"remaining", 2},  {"newbornBirth", 7},
    {"newbornTwin", 1}};
inline constexpr Record kBasic{kBasicFields};
// hisGetBasicData answers the card-face part: card number to issue date.
inline constexpr int kCardFaceSize = kBasic.offset("cancelMark");

inline constexpr Field kVisitFields[] = {
    {"category", 2},      {"newborn", 1},          {"time", 13},
    {"supplement", 1},    {"seq", 4},              {"institution", 10},
    {"outpatientFee", 8}, {"outpatientCopay", 8},  {"inpatientFee", 8},
    {"inpatientCopayShort", 7}, {"inpatientCopayLong", 7}};
inline constexpr Record kVisit{kVisitFields};
// hisWriteTreatmentFee's data is the visit's fee fields, in their order.
inline constexpr int kVisitFeesAt = kVisit.offset("outpatientFee");
inline constexpr int kVisitFeesSize = kVisit.size() - kVisitFeesAt;

// A major illness: hisGetTreatmentNeedHPC shows the whole entry; the card's
// part readable without the professional card is the period (start, end).
inline constexpr Field kMajorIllnessFields[] = {{"code", 5}, {"start", 7}, {"end", 7}};
inline constexpr Record kMajorIllness{kMajorIllnessFields};
inline constexpr int kIllnessPeriodAt = kMajorIllness.offset("start");
inline constexpr int kIllnessPeriodSize = kMajorIllness.size() - kIllnessPeriodAt;

inline constexpr Field kDiagnosisFields[] = {{"time", 13}, {"main", 5}, {"secondary", 5, 5}};
inline constexpr Record kDiagnosis{kDiagnosisFields};
// hisWriteTreatmentCode's data: the main code, then the secondary codes.
inline constexpr int kDiagnosisCodesAt = kDiagnosis.offset("main");
inline constexpr int kDiagnosisCodesSize = kDiagnosis.size() - kDiagnosisCodesAt;

// "total" is 5 integer digits and 2 fraction digits.
inline constexpr Field kOutpatientOrderFields[] = {
    {"time", 13}, {"type", 1}, {"item", 12},  {"part", 6},
    {"usage", 18}, {"days", 2}, {"total", 7}, {"deliver", 2}};
inline constexpr Record kOutpatientOrder{kOutpatientOrderFields};

inline constexpr Field kLongTermFields[] = {
    {"date", 7}, {"item", 10}, {"usage", 18}, {"days", 2}, {"total", 7}};
inline constexpr Record kLongTerm{kLongTermFields};

inline constexpr Field kImportantFields[] = {
    {"date", 7}, {"institution", 10}, {"item", 6}, {"part", 6}, {"total", 7}};
inline constexpr Record kImportant{kImportantFields};

inline constexpr Field kAllergyFields[] = {{"name", 40}};
inline constexpr Record kAllergy{kAllergyFields};

inline constexpr Field kYearlyFields[] = {
    {"year", 3},            {"visits", 4},
    {"outpatientFee", 10},  {"inpatientFee", 10},
    {"outpatientCopay", 8}, {"inpatientCopayShort", 8},
    {"inpatientCopayLong", 8}, {"copayTotal", 8},
    {"copayShortTotal", 8}};
inline constexpr Record kYearly{kYearlyFields};

inline constexpr Field kFeeTotalsFields[] = {{"outpatientTotal", 10}, {"inpatientTotal", 10}};
inline constexpr Record kFeeTotals{kFeeTotalsFields};

inline constexpr Field kPreventFields[] = {
    {"item", 2}, {"date", 7}, {"institution", 10}, {"code", 2}};
inline constexpr Record kPrevent{kPreventFields};

inline constexpr Field kPrenatalFields[] = {{"date", 7}, {"institution", 10}, {"code", 2}};
inline constexpr Record kPrenatal{kPrenatalFields};

inline constexpr Field kInoculationFields[] = {
    {"vaccine", 6}, {"date", 7}, {"institution", 10}, {"batch", 12}};
inline constexpr Record kInoculation{kInoculationFields};

// Single texts of the health card, each a reply of its own.
inline constexpr Field kLastSeqFields[] = {{"lastSeq", 7}};
inline constexpr Record kLastSeq{kLastSeqFields};
inline constexpr Field kEmergencyTelFields[] = {{"emergencyTel", 14}};
inline constexpr Record kEmergencyTel{kEmergencyTelFields};
inline constexpr Field kOrganDonationFields[] = {{"organDonation", 1}};
inline constexpr Record kOrganDonation{kOrganDonationFields};

// The groups of the health card: how many records the card keeps.
inline constexpr Group kVisits{&kVisit, 6};
inline constexpr Group kMajorIllnesses{&kMajorIllness, 6};
inline constexpr Group kDiagnoses{&kDiagnosis, 6};
inline constexpr Group kOutpatientOrders{&kOutpatientOrder, 60};
inline constexpr Group kLongTermPrescriptions{&kLongTerm, 30};
inline constexpr Group kImportantOrders{&kImportant, 10};
inline constexpr Group kAllergies{&kAllergy, 3};
inline constexpr Group kYearlyTotals{&kYearly, 2};
inline constexpr Group kPreventions{&kPrevent, 6};
inline constexpr Group kPrenatalChecks{&kPrenatal, 11};
inline constexpr Group kInoculations{&kInoculation, 40};

// hisGetTreatmentNoNeedHPC: the illness periods, then the visits.
inline constexpr int kNoNeedHpcSize = 498;
inline constexpr int kNoNeedHpcPeriodsAt = 0;
inline constexpr int kNoNeedHpcVisitsAt = kMajorIllnesses.slots * kIllnessPeriodSize;
// hisGetTreatmentNeedHPC: the whole illness entries, then the diagnoses.
inline constexpr int kNeedHpcSize = 498;
inline constexpr int kNeedHpcIllnessAt = 0;
inline constexpr int kNeedHpcDiagnosesAt = kMajorIllnesses.size();
// hisGetCriticalIllness: the illness entries alone.
inline constexpr int kCriticalIllnessSize = kMajorIllnesses.size();

// Registration replies: hisGetSeqNumber256 and hisGetSeqNumber.
inline constexpr Field kSeq256Fields[] = {
    {"time", 13}, {"seq", 4}, {"institution", 10}, {"signature", 256}, {"samId", 12},
    {"sameDay", 1}};
inline constexpr Record kSeq256{kSeq256Fields};
inline constexpr Field kSeq128Fields[] = {
    {"time", 13}, {"seq", 4}, {"institution", 10}, {"signature", 128}, {"samId", 12}};
inline constexpr Record kSeq128{kSeq128Fields};
// The ROC year that opens a date, a clock and lastSeq (whose rest is the
// sequence number).
inline constexpr int kRocYearWidth = 3;

// csUploadData's receipt.
inline constexpr Field kReceiptFields[] = {
    {"samId", 12}, {"institution", 10}, {"uploadTime", 14}, {"receiveTime", 14}};
inline constexpr Record kReceipt{kReceiptFields};

// csGetDateTime: the reader clock, ROC yyyMMddHHmmss; its first 7 are the date.
inline constexpr int kClockSize = 13;
inline constexpr int kDateSize = 7;
// Gregorian yyyyMMddHHmmss of the upload receipt.
inline constexpr int kGregorianTimeSize = 14;

// hisWritePrescriptionSign's signature.
inline constexpr int kPrescriptionSignatureSize = 40;

// csGetCardNo and the professional card's own reads.
inline constexpr int kCardNoSize = 12;
inline constexpr int kHpcIdSize = 10;
inline constexpr int kHpcNameSize = 20;

static_assert(kBasic.size() == 78);
static_assert(kVisit.size() == 69 && kNoNeedHpcVisitsAt + kVisits.size() <= kNoNeedHpcSize);
static_assert(kDiagnosis.size() == 43 && kNeedHpcDiagnosesAt + kDiagnoses.size() <= kNeedHpcSize);
static_assert(kOutpatientOrder.size() == 61 && kLongTerm.size() == 44 && kImportant.size() == 36);
static_assert(kYearly.size() == 67 && kPrevent.size() == 21 && kPrenatal.size() == 19);
static_assert(kInoculation.size() == 35 && kSeq256.size() == 296 && kSeq128.size() == 167);
static_assert(kReceipt.size() == 50 && kVisitFeesSize == 38);

}  // namespace layout
