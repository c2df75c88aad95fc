// The registration record: the 81 characters "/WriteF2" leaves in GetSeqN.txt
// for the clinic program and hands to the treatment writing, and the replies
// of the sequence-number calls it is built from. 1-based byte positions.
#pragma once

#include "card/read.h"

namespace regrecord {

inline constexpr int kLength = 81;
// Characters 1-39 are cut byte-wise from the joined holder fields and the
// category: card number, identity, birth date, newborn birth date and twin
// mark, then the visit category.
inline constexpr int kHeadWidth = 39;
inline constexpr int kIdPos = 13, kIdWidth = 10;
inline constexpr int kBirthPos = 23, kBirthWidth = 7;
inline constexpr int kTimePos = 41, kTimeWidth = 13;

// The command line: four category characters follow "/WriteF2"; the first two
// are the visit category, the last two the day the clinic registers for.
inline constexpr int kCategoryWidth = 4;
inline constexpr int kVisitCategoryWidth = 2;
inline constexpr int kCategoryDayPos = 3, kDayWidth = 2;
// The day inside the visit date-time yyyMMddHHmmss.
inline constexpr int kTimeDayPos = 6;

// The visit stamp (GetSeqN8.txt): reply bytes 1-27 (time, sequence number,
// institution) and one flag character.
inline constexpr int kStampHeadWidth = 27;
inline constexpr int kStampWidth = 28;

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
inline constexpr int kSamIdWidth = 12;

// The registration buffer that receives the long reply (GetSeqN9.txt shows it).
inline constexpr int kBufferLength = kRegBufLength;

// "/hisWriteTreatmentCode" hands the treatment writing bytes 21-50 of the basic
// data instead: the identity and birth date at the record's places, no visit time.
inline constexpr int kDirectPos = 21, kDirectWidth = 30;

}  // namespace regrecord
