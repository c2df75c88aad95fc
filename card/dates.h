// Card dates in the ROC calendar (year - 1911, three digits): yyyMMdd and the
// visit date-time yyyMMddHHmmss, turned into readable Chinese text or into the
// short codes used in file names.
#pragma once

#include <string>

#include "platform/platform.h"

// Readable form by length: 13 (ROC date-time), 7 (ROC date), 14 (Gregorian
// date-time); any other text comes back unchanged. CP950 in and out.
std::string monthday(const std::string& s);
// The 12-character file name of a visit date-time: "a", month, day, hour
// letters, minutes and seconds, ".", the ROC year ("aDCJ3045.115").
std::string Date13Time(const std::string& s);
// Today's "MM.yyy" (month, ROC year): the monthly archive's stamp.
std::string DateMth(const DateTime& today);
// A date as ROC yyyMMdd.
std::string rocDate(const DateTime& d);
