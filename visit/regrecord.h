// The registration record: the 81 characters "/WriteF2" leaves in GetSeqN.txt
// for the clinic program and hands to the treatment writing, and the replies
// of the sequence-number calls it is built from. 1-based byte positions.
#pragma once

#include "card/read.h"

namespace regrecord {

// The record (GetSeqN.txt):
//   pos  width  what
//     1     12  card number                (card-holder record 1-12)
//    13     10  identity number            (card-holder record 33-42)
//    23      7  birth date                 (card-holder record 43-49)
//    30      7  newborn birth date         (card-holder record 71-77)
//    37      1  newborn twin mark          (card-holder record 78)
//    38      2  visit category             (the first two category characters)
//    40      1  "1" when the category's day is the visit's day, else "2"
//    41     13  visit date and time        (visit stamp 1-13)
//    54      4  visit sequence number      (visit stamp 14-17)
//    58     10  medical institution code   (visit stamp 18-27)
//    68      1  the constant "1"
//    69     12  security module identifier
//    81      1  the visit stamp's flag character (stamp 28)
// Characters 1-39 are cut byte-wise from the joined holder fields and the
// category, so a short category is blank-padded.
inline constexpr int kCardNoPos = 1, kCardNoWidth = 12;
inline constexpr int kIdPos = 13, kIdWidth = 10;
inline constexpr int kBirthPos = 23, kBirthWidth = 7;
inline constexpr int kNewbornPos = 30, kNewbornWidth = 7;
inline constexpr int kTwinPos = 37, kTwinWidth = 1;
inline constexpr int kCategoryPos = 38, kVisitCategoryWidth = 2;
inline constexpr int kSameDayPos = 40, kSameDayWidth = 1;
inline constexpr int kTimePos = 41, kTimeWidth = 13;
inline constexpr int kSeqPos = 54, kSeqWidth = 4;
inline constexpr int kInstitutionPos = 58, kInstitutionWidth = 10;
inline constexpr int kConstantPos = 68, kConstantWidth = 1;
inline constexpr int kSamIdPos = 69, kSamIdWidth = 12;
inline constexpr int kFlagPos = 81, kFlagWidth = 1;
inline constexpr int kLength = 81;
inline constexpr int kHeadWidth = kSameDayPos - 1;  // the cut holder fields and category
inline constexpr const char* kSameDay = "1";
inline constexpr const char* kOtherDay = "2";
inline constexpr const char* kConstant = "1";

static_assert(kCardNoPos + kCardNoWidth == kIdPos && kIdPos + kIdWidth == kBirthPos);
static_assert(kBirthPos + kBirthWidth == kNewbornPos && kNewbornPos + kNewbornWidth == kTwinPos);
static_assert(kTwinPos + kTwinWidth == kCategoryPos && kCategoryPos + kVisitCategoryWidth == kSameDayPos);
static_assert(kSameDayPos + kSameDayWidth == kTimePos && kTimePos + kTimeWidth == kSeqPos);
static_assert(kSeqPos + kSeqWidth == kInstitutionPos && kInstitutionPos + kInstitutionWidth == kConstantPos);
static_assert(kConstantPos + kConstantWidth == kSamIdPos && kSamIdPos + kSamIdWidth == kFlagPos);
static_assert(kFlagPos + kFlagWidth - 1 == kLength);

// The command line: four category characters follow "/WriteF2"; the first two
// are the visit category, the last two the day the clinic registers for.
inline constexpr int kCategoryWidth = 4;
inline constexpr int kCategoryDayPos = 3, kDayWidth = 2;
// The day inside the visit date-time yyyMMddHHmmss.
inline constexpr int kTimeDayPos = 6;

// The visit stamp (GetSeqN8.txt): reply bytes 1-27 (time, sequence number,
// institution) and one flag character.
inline constexpr int kStampHeadWidth = 27;
inline constexpr int kStampWidth = 28;
static_assert(kTimeWidth + kSeqWidth + kInstitutionWidth == kStampHeadWidth);

// hisGetSeqNumber256: 296 bytes.
inline constexpr int kLongLength = 296;
inline constexpr int kLongSignaturePos = 28, kLongSignatureWidth = 256;
inline constexpr int kLongSamIdPos = 284;
inline constexpr int kLongSameDayPos = 296;
// hisGetSeqNumber: 167 bytes into a byte array indexed 0 to 500.
inline constexpr int kShortLength = 167;
inline constexpr int kShortArraySize = 501;
inline constexpr int kShortSignatureAt = 27, kShortSignatureWidth = 128;  // 0-based
inline constexpr int kShortSamIdAt = 155;                                 // 0-based

// The registration buffer that receives the long reply (GetSeqN9.txt shows it).
inline constexpr int kBufferLength = kRegBufLength;

// "/hisWriteTreatmentCode" hands the treatment writing bytes 21-50 of the basic
// data instead: the identity and birth date at the record's places, no visit time.
inline constexpr int kDirectPos = 21, kDirectWidth = 30;

}  // namespace regrecord
