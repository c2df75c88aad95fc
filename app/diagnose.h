// ic --ic-diagnose: the report a clinic's support technician asks for. It
// tells the version, the working folder and whether it can be written, the
// settings in use, the card library and the reader on COM1 to COM4 (read with
// status calls only: nothing is written to a card, every port opened is
// closed), the declaration and unzip libraries, and the last runs from the run
// log. Written to standard output when that is a file or a pipe, always saved
// as ic\log\diag-YYYYMMDD-HHMMSS.txt, and otherwise shown in the main window's
// log list until the window is closed. See docs/diagnostics.md.
#pragma once

#include <string>
#include <vector>

struct Clock;
struct DateTime;
struct Disk;
struct System;

// Runs the report; the process's exit code.
int diagnose(System& sys, Disk& disk, Clock& clock, const std::string& version);

// The reader's clock (ROC "yyyMMddHHmmss") less the computer's, in seconds;
// false when the reader's text is no such time.
bool clockDifference(const std::string& rocClock, const DateTime& computer, long long& seconds);

// From the run log's lines (UTF-8), the last `count` runs' end lines, each as
// one line: time, command line, how it ended.
std::vector<std::string> lastRuns(const std::vector<std::string>& logLines, size_t count);
