// Preventive care and allergies on the health card: "/hisWriteHealthInsurance"
// writes a preventive-care service and "/hisWriteAllergicMedicines" the
// patient's drug allergies, both from icTreat.txt after the identity check;
// "/RegisterPrevent" lists the card's preventive-care registrations.
#pragma once

#include "frame/endsrun.h"

#include <cstddef>
#include <string>

struct Run;

MAY_END_RUN void cmd_hisWriteHealthInsurance(Run& run);
MAY_END_RUN void cmd_hisWriteAllergicMedicines(Run& run);
// Fills the log list and shows the main window; the caller closes the reader.
MAY_END_RUN void RegisterPrevent(Run& run);

// An argument field of `width` bytes as fixedField makes it, except that a
// double-byte character the cut would halve is left out: the card must not
// keep half a character.
std::string wholeCharField(const std::string& value, size_t width);
// The message-window text of a preventive-care category (icTreat.txt line 3).
std::string preventCategoryText(const std::string& category);
