// The full card content report "/LoadAllData": every section of the card as
// readable Chinese lines in the log list, section by section, going on after a
// failed read; or, in the plain mode, the six-visit summary for the clinic
// program and the archive.
#pragma once

#include "frame/endsrun.h"

#include <string>

struct Run;

// The verb: mode "1" leaves the report open in the main window, "2" makes the
// report and ends, any other mode writes the six-visit summary.
MAY_END_RUN void cmd_LoadAllData(Run& run);
// Reads the card section by section into the log list and saves the list.
MAY_END_RUN void LoadAllData(Run& run);

// The mode: the text after "/LoadAllData" up to the next "/", trimmed.
std::string loadAllDataMode(const std::string& C);
