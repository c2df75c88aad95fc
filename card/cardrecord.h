// The card-holder record: the 78-byte reply of hisGetRegisterBasic, shared by
// every verb that reads the card. 1-based byte positions and widths.
#pragma once

namespace card {

inline constexpr int kBasicLength = 78;
// hisGetLastSeqNum: the last visit's sequence number.
inline constexpr int kLastSeqLength = 7;
inline constexpr int kCardNoPos = 1, kCardNoWidth = 12;
inline constexpr int kNamePos = 13, kNameWidth = 20;
inline constexpr int kIdPos = 33, kIdWidth = 10;
inline constexpr int kBirthPos = 43, kBirthWidth = 7;
inline constexpr int kSexPos = 50;
inline constexpr int kIssuedPos = 51, kIssuedWidth = 7;
inline constexpr int kCancelPos = 58;
inline constexpr int kInsurerPos = 59, kInsurerWidth = 2;
inline constexpr int kIdentityMarkPos = 61;
inline constexpr int kValidPos = 62, kValidWidth = 7;
inline constexpr int kRemainingPos = 69, kRemainingWidth = 2;
inline constexpr int kNewbornPos = 71, kNewbornWidth = 7;
inline constexpr int kTwinPos = 78;
// ReadF4.txt: the record followed by this many blanks.
inline constexpr int kReadF4Blanks = 14;
// ErrUpdat names the holder by the first bytes of the name.
inline constexpr int kErrUpdatNameWidth = 10;
// hisGetEmergentTel's reply, and the telephone argument of hisWriteEmergentTel.
inline constexpr int kEmergentTelLength = 14;

// The treatment reply without the professional card (498 bytes): six visit
// records of 69 bytes from byte 85.
inline constexpr int kTreatmentLength = 498;
inline constexpr int kVisitBase = 85, kVisitSize = 69;
// Inside a visit record (1-based).
inline constexpr int kVisitCategory = 1, kVisitNewborn = 3, kVisitTime = 4, kVisitTimeWidth = 13;
inline constexpr int kVisitSupplement = 17, kVisitSeq = 18, kVisitSeqWidth = 4;
inline constexpr int kVisitInstitution = 22, kVisitInstitutionWidth = 10;
// The fees of a visit record, the rest of it:
//   pos  width  what
//    32      8  outpatient fee
//    40      8  outpatient co-payment
//    48      8  inpatient fee
//    56      7  inpatient co-payment, acute stay to 30 days or chronic to 180
//    63      7  inpatient co-payment, longer stays
inline constexpr int kVisitOutpatientFee = 32, kVisitOutpatientFeeWidth = 8;
inline constexpr int kVisitOutpatientCopay = 40, kVisitOutpatientCopayWidth = 8;
inline constexpr int kVisitInpatientFee = 48, kVisitInpatientFeeWidth = 8;
inline constexpr int kVisitInpatientShort = 56, kVisitInpatientShortWidth = 7;
inline constexpr int kVisitInpatientLong = 63, kVisitInpatientLongWidth = 7;
static_assert(kVisitOutpatientFee + kVisitOutpatientFeeWidth == kVisitOutpatientCopay);
static_assert(kVisitOutpatientCopay + kVisitOutpatientCopayWidth == kVisitInpatientFee);
static_assert(kVisitInpatientFee + kVisitInpatientFeeWidth == kVisitInpatientShort);
static_assert(kVisitInpatientShort + kVisitInpatientShortWidth == kVisitInpatientLong);
static_assert(kVisitInpatientLong + kVisitInpatientLongWidth - 1 == kVisitSize);

// The outpatient fee's last seven digits, as the dental read's summary keeps them.
inline constexpr int kVisitFeeDigits = kVisitOutpatientFee + 1;
inline constexpr int kVisitFeeDigitsWidth = kVisitOutpatientFeeWidth - 1;

// Byte position of field `offset` (1-based) of visit record k (from 0).
inline constexpr int visitByte(int k, int offset) { return kVisitBase + k * kVisitSize + offset - 1; }

inline constexpr int kVisitSlots = 6;

// The treatment reply with the professional card (498 bytes): six diagnosis
// records of 43 bytes from byte 115.
inline constexpr int kDiagnosisBase = 115, kDiagnosisSize = 43;
inline constexpr int kDiagnosisTime = 1, kDiagnosisTimeWidth = 13;
inline constexpr int kDiagnosisMain = 14, kDiagnosisMainWidth = 5;

inline constexpr int diagnosisByte(int k, int offset) {
  return kDiagnosisBase + k * kDiagnosisSize + offset - 1;
}

// hisReadPrescription's four buffers.
inline constexpr int kOutpatientLength = 3660, kLongTermLength = 1320;
inline constexpr int kImportantLength = 360, kAllergyLength = 120;

// The outpatient buffer: 60 orders of 61 bytes from byte 1.
inline constexpr int kOrderSize = 61, kOrderSlots = 60;
inline constexpr int kOrderTime = 1, kOrderTimeWidth = 13;
inline constexpr int kOrderDateWidth = 7;  // the date part of the order's time
inline constexpr int kOrderType = 14;      // "3" a treatment; blank after the last order
inline constexpr int kOrderItem = 15, kOrderItemWidth = 12;
inline constexpr int kOrderPart = 27, kOrderPartWidth = 6;

inline constexpr int orderByte(int i, int offset) { return 1 + i * kOrderSize + offset - 1; }

// hisGetRegisterPrevent: six preventive-care registrations of 21 bytes.
inline constexpr int kPreventLength = 126, kPreventSize = 21, kPreventSlots = 6;
inline constexpr int kPreventItem = 1, kPreventItemWidth = 2;
inline constexpr int kPreventDate = 3, kPreventDateWidth = 7;
inline constexpr int kPreventInstitution = 10, kPreventInstitutionWidth = 10;
// Their heading and legend, as the card report and the prevention list both
// show them (UTF-8). Item 04 is the elderly's influenza vaccine.
inline constexpr const char* kPreventHeading[] = {
    "-------------- 預防保健掛號作業  保留6組 ---------------",
    "保健服務項目註記: 01兒童預防保健，02成人預防保健，03婦女子宮頸抹片檢查，04老人流行性感冒疫苗 ",
    "保健服務項目註記: 05兒童牙齒預防保健，06婦女乳房保健，07糞便潛血檢查，08口腔黏膜檢查 ",
    "檢查項目代碼: 兒童預防保健：醫院填寫 11至16 ，基層醫療院所填寫 71至76 ",
    // One line in two literals (the parentheses tell clang the joining is meant).
    ("檢查項目代碼: 成人預防保健：40歲以上至未滿65歲者，第一階段檢查填寫 21 ，第二階段檢查填寫 23 ，"
     "65歲以上者第一階段檢查填寫 22 ，第二階段檢查填寫 24 "),
    "檢查項目代碼: 婦女子宮頸抹片檢查 ：醫療院所填寫  31，助產所填寫  35 ",
};
inline constexpr int kPreventCode = 20, kPreventCodeWidth = 2;

inline constexpr int preventByte(int k, int offset) { return 1 + k * kPreventSize + offset - 1; }

static_assert(kOrderSize * kOrderSlots == kOutpatientLength);
static_assert(kPreventSize * kPreventSlots == kPreventLength);
static_assert(diagnosisByte(kVisitSlots, 1) - 1 <= kTreatmentLength);
static_assert(visitByte(kVisitSlots, 1) - 1 <= kTreatmentLength);

}  // namespace card
