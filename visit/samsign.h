// The signature block files under ic\samsign\, one per visit and named by its
// visit time: the registration's SAM signature in the first 300 bytes, then a
// 200-byte record per signed prescription. The clinic program reads them for
// its claims, so a file is only ever written for a real visit time.
#pragma once

#include "frame/endsrun.h"

#include <cstdint>
#include <string>

struct Run;

namespace samsign {

inline constexpr int kBlockSize = 300;   // the registration block, padded
inline constexpr int kRecordSize = 200;  // one prescription record
inline constexpr const char* kLongTag = "    [256]";
inline constexpr int kLongPadWidth = 33;
// The filler that pads a registration block towards 300 bytes: blanks and CR LF.
inline constexpr int kShortFillerFrom = 250;  // longer blocks get the short filler
inline constexpr int kLongFillerBlanks = 170, kShortFillerBlanks = 42;

}  // namespace samsign

// True for a visit date-time of 13 digits (ROC yyyMMddHHmmss).
bool isVisitTime(const std::string& time);
// workDir + "ic\samsign\" + Date13Time(time); empty when the time is not a
// visit time, so that nothing is filed under a name made of other text.
std::string samsignPath(Run& run, const std::string& time);
// Where a registration files its signature: the visit's file, or, when that
// file already exists (another holder registered in the same second, on
// another workstation), "<visit's file>-<identity number>" beside it, so
// that both are kept and the first stays where the clinic program finds it.
// Empty, after a red message, when neither can be used.
MAY_END_RUN std::string registrationSignPath(Run& run, const std::string& time, const std::string& id);
// "<visitPath>-<identity>" for an identity of letters and digits (NULs and
// blanks after it ignored); empty otherwise.
std::string holderSignPath(const std::string& visitPath, const std::string& id);
// Each writer writes the whole file beside it and renames it over the old
// one, so a full disk never leaves a signature file shorter than before; a
// failure is a red message naming the file whose signature was not filed.
// The long form's block, replacing the file: the 256 signature bytes,
// "    [256]", 33 blanks and CR LF.
MAY_END_RUN bool writeLongBlock(Run& run, const std::string& path, const std::string& signature);
// The short form's 128 signature bytes from the start of the file; a longer
// file keeps its tail.
MAY_END_RUN bool writeShortBlock(Run& run, const std::string& path, const std::string& signature);
// Pads a block shorter than 300 bytes with its filler, then writes the
// prescription record `index` (from 0) at byte 301 + 200 * index.
MAY_END_RUN bool filePrescription(Run& run, const std::string& path, int index, const std::string& record);
