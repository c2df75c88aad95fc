// The replies the full card content report cuts apart, beyond the shared
// positions of cardrecord.h: each read's length, its repeated groups (base,
// record size, slots) and the fields inside each kind of record. 1-based byte
// positions and widths.
#pragma once

#include "card/cardrecord.h"

namespace card::report {

// A repeated group of a reply: record k (from 0) starts at base + k * size.
struct Group {
  int base, size, slots;
};
// Byte `offset` (1-based, inside the record) of record k of the group.
inline constexpr int groupByte(const Group& g, int k, int offset) { return g.base + k * g.size + offset - 1; }

// Single texts.
inline constexpr int kOrganDonateLength = 1;

inline constexpr int kDateWidth = 7;  // a ROC yyyMMdd date inside a record
inline constexpr int kInstitutionWidth = 10;

// hisGetTreatmentNoNeedHPC: the major-illness periods, then the visits.
inline constexpr Group kIllnessPeriods{1, 14, 6};
inline constexpr Group kVisits{kVisitBase, kVisitSize, kVisitSlots};
inline constexpr int kPeriodStart = 1, kPeriodEnd = 8;
inline constexpr int kVisitCategoryWidth = 2;

// hisGetTreatmentNeedHPC: the major-illness entries, then the diagnoses.
inline constexpr int kNeedHpcLength = 498;
inline constexpr Group kIllnessEntries{1, 19, 6};
inline constexpr int kIllnessCode = 1, kIllnessCodeWidth = 5;
inline constexpr Group kDiagnoses{kDiagnosisBase, kDiagnosisSize, 6};
inline constexpr int kDiagnosisSecondary = 19, kDiagnosisSecondaryCount = 5;

// hisReadPrescription: four buffers, one group each from byte 1.
inline constexpr Group kOutpatientOrders{1, kOrderSize, kOrderSlots};
inline constexpr Group kLongTermPrescriptions{1, 44, 30};
inline constexpr Group kImportantOrders{1, 36, 10};
inline constexpr Group kAllergies{1, 40, 3};

// A total: 5 integer digits then 2 fraction digits, shown as "integer.fraction".
inline constexpr int kTotalIntegerWidth = 5, kTotalFractionWidth = 2;
inline constexpr int kTotalWidth = kTotalIntegerWidth + kTotalFractionWidth;

// The rest of an outpatient order.
inline constexpr int kOrderUsage = 33, kOrderUsageWidth = 18;
inline constexpr int kOrderDays = 51, kOrderDaysWidth = 2;
inline constexpr int kOrderTotal = 53, kOrderDeliver = 60, kOrderDeliverWidth = 2;
// Inside a long-term prescription.
inline constexpr int kLongTermDate = 1, kLongTermItem = 8, kLongTermItemWidth = 10;
inline constexpr int kLongTermUsage = 18, kLongTermUsageWidth = 18;
inline constexpr int kLongTermDays = 36, kLongTermDaysWidth = 2, kLongTermTotal = 38;
// Inside an important order.
inline constexpr int kImportantDate = 1, kImportantInstitution = 8;
inline constexpr int kImportantItem = 18, kImportantItemWidth = 6;
inline constexpr int kImportantPart = 24, kImportantPartWidth = 6, kImportantTotal = 30;
// An allergy is one name.
inline constexpr int kAllergyName = 1, kAllergyNameWidth = 40;

// hisGetCumulativeData: two yearly records.
inline constexpr int kYearlyLength = 134;
inline constexpr Group kYearlyTotals{1, 67, 2};
inline constexpr int kYearlyYear = 1, kYearlyYearWidth = 3;
inline constexpr int kYearlyVisits = 4, kYearlyVisitsWidth = 4;
inline constexpr int kYearlyOutpatientFee = 8, kYearlyInpatientFee = 18, kYearlyFeeWidth = 10;
// Five copayment totals of 8 bytes from byte 28.
inline constexpr int kYearlyCopays = 28, kYearlyCopayWidth = 8, kYearlyCopayCount = 5;

// hisGetCumulativeFee: the outpatient and inpatient totals.
inline constexpr int kFeeLength = 20;
inline constexpr int kFeeOutpatient = 1, kFeeInpatient = 11, kFeeWidth = 10;

// hisGetRegisterPrevent (positions in cardrecord.h).
inline constexpr Group kPreventions{1, kPreventSize, kPreventSlots};

// hisGetRegisterPregnant: eleven prenatal checks.
inline constexpr int kPregnantLength = 209;
inline constexpr Group kPrenatalChecks{1, 19, 11};
inline constexpr int kPrenatalDate = 1, kPrenatalInstitution = 8, kPrenatalCode = 18, kPrenatalCodeWidth = 2;

// hisGetInoculateData: forty inoculations, longer than the shared reply buffer.
inline constexpr int kInoculateLength = 1400;
inline constexpr Group kInoculations{1, 35, 40};
inline constexpr int kVaccine = 1, kVaccineWidth = 6, kVaccineDate = 7;
inline constexpr int kVaccineInstitution = 14, kVaccineBatch = 24, kVaccineBatchWidth = 12;

inline constexpr int groupEnd(const Group& g) { return g.base - 1 + g.size * g.slots; }
static_assert(groupEnd(kIllnessPeriods) + 1 == kVisitBase && groupEnd(kVisits) <= kTreatmentLength);
static_assert(groupEnd(kIllnessEntries) + 1 == kDiagnosisBase && groupEnd(kDiagnoses) <= kNeedHpcLength);
static_assert(kDiagnosisSecondary + kDiagnosisSecondaryCount * kDiagnosisMainWidth - 1 == kDiagnosisSize);
static_assert(groupEnd(kOutpatientOrders) == kOutpatientLength && kOrderDeliver + 1 == kOrderSize);
static_assert(groupEnd(kLongTermPrescriptions) == kLongTermLength);
static_assert(kLongTermTotal + kTotalWidth - 1 == kLongTermPrescriptions.size);
static_assert(groupEnd(kImportantOrders) == kImportantLength);
static_assert(kImportantTotal + kTotalWidth - 1 == kImportantOrders.size);
static_assert(groupEnd(kAllergies) == kAllergyLength);
static_assert(groupEnd(kYearlyTotals) == kYearlyLength);
static_assert(kYearlyCopays + kYearlyCopayCount * kYearlyCopayWidth - 1 == kYearlyTotals.size);
static_assert(groupEnd(kPreventions) == kPreventLength);
static_assert(groupEnd(kPrenatalChecks) == kPregnantLength);
static_assert(groupEnd(kInoculations) == kInoculateLength);
static_assert(kVaccineBatch + kVaccineBatchWidth - 1 == kInoculations.size);

}  // namespace card::report
