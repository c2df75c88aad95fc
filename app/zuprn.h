// The upload-register viewer "/icZupRn": the 70-byte records of ic\ZupRn in
// the main window's log list, four lines each, until the operator closes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Run;

// How many records the viewer reads from a register of `length` bytes: the
// length / 70 rounded as the runtime rounds (halves to even), so a torn last
// record of 35 bytes or more is shown with blanks for what it lacks.
int64_t registerRecords(int64_t length);

// The four log lines of one record (at least 68 bytes, blank-padded).
std::vector<std::string> registerLines(const std::string& record);

// Shows the viewer; the run goes on until the window is closed.
void cmd_icZupRn(Run& run);
