// The card-holder record: the 78-byte reply of hisGetRegisterBasic, shared by
// every verb that reads the card. 1-based byte positions and widths.
#pragma once

namespace card {

inline constexpr int kBasicLength = 78;
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

// The treatment reply without the professional card (498 bytes): six visit
// records of 69 bytes from byte 85.
inline constexpr int kTreatmentLength = 498;
inline constexpr int kVisitBase = 85, kVisitSize = 69;
// Inside a visit record (1-based).
inline constexpr int kVisitCategory = 1, kVisitNewborn = 3, kVisitTime = 4, kVisitTimeWidth = 13;
inline constexpr int kVisitSupplement = 17, kVisitSeq = 18, kVisitSeqWidth = 4;
inline constexpr int kVisitInstitution = 22, kVisitInstitutionWidth = 10;
inline constexpr int kVisitFees = 32;

// Byte position of field `offset` (1-based) of visit record k (from 0).
inline constexpr int visitByte(int k, int offset) { return kVisitBase + k * kVisitSize + offset - 1; }

}  // namespace card
