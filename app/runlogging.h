// The run log's lines that only the start-up knows: the run's start, the
// working folder and the settings in use, and the run's end.
#pragma once

#include <string>

class RunLog;
struct Run;
struct System;

// Version, command line, program, start folder and screen mode.
void logStart(RunLog& log, System& sys, const std::string& version);
// Once the settings are read: the working folder and why it is that one, the
// settings files and the keys in use; then the log goes to its file (or is
// turned off by RunLog=0 in orvosys.ini).
void openRunLog(Run& run);
// The command line as the log writes it (a pass text for the clinic's server
// masked; identity numbers are masked in every line anyway).
std::string loggedCommandLine(const std::string& C);
// The last line: how the run ended, its last status and error, its duration.
void logEnd(Run& run, int exitCode, const std::string& how) noexcept;
