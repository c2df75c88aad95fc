// The dental treatment read "/DentalTreat": the card's outpatient orders listed
// one line each with the place of their visit, the interval since the last
// scaling ("91004C"), the listing handed to the clinic program in ReadF4.txt.
#pragma once

#include "frame/endsrun.h"

#include <string>

#include "platform/platform.h"

struct Run;

MAY_END_RUN void cmd_DentalTreat(Run& run);

// The character right after "/DentalTreat" is the mode; from the second one on,
// trimmed and cut before its first blank, the output file of mode "2".
struct DentalArgs {
  std::string mode, file;
};
DentalArgs dentalArgs(const std::string& C);

// Whole months from the order's date (ROC yyyMMdd at the start of `orderTime`)
// to `today`; a month is not complete before its day of the month.
long monthsSince(const std::string& orderTime, const DateTime& today);
// "洗牙: " + the date within six months, else the date and how many months ago.
std::string scalingNote(const std::string& orderTime, const DateTime& today);

// The main window of mode "0" shows the listing in a list of this size (twips).
inline constexpr int kDentalListWidth = 9600, kDentalListHeight = 6000;
inline constexpr int kDentalLeft = 500, kDentalTop = 500;
