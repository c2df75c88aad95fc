// The maintenance verbs of the start-up, tested before the reader is opened:
// copying a file ("/ReName/"), web pages of the clinic's server and of the maker, the waiting mode,
// starting another program, the clinic program's self-update, moving the list
// of patients without cards into a dated file, and the upload-register viewer.
#pragma once

#include "frame/endsrun.h"

#include <string>

struct Run;

// The verbs; each ends the run. ("/icZupRn", the viewer, is in zuprn.h.)
[[noreturn]] MAY_END_RUN void cmd_ReName(Run& run);
[[noreturn]] MAY_END_RUN void cmd_OrvoPage(Run& run);
[[noreturn]] MAY_END_RUN void cmd_OrvoPublicPage(Run& run);
[[noreturn]] MAY_END_RUN void cmd_WaitingForm(Run& run);
[[noreturn]] MAY_END_RUN void cmd_ShellExecute(Run& run);
[[noreturn]] MAY_END_RUN void cmd_ReNameOrvomd(Run& run);
[[noreturn]] MAY_END_RUN void cmd_ReNameOrvo(Run& run);
[[noreturn]] MAY_END_RUN void cmd_ReNameNoicname(Run& run);

// The clinic program of an institution variant: "orvo" + Office as two digits
// + ".exe"; empty when Office is not a number from 0 to 99.
std::string clinicExeName(const std::string& office);
