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

// A text as a URL query value: every byte but A-Z, a-z, 0-9 and "-._~" as %XX.
std::string urlEncode(const std::string& text);

// What "/ShellExecute_" may hand to the shell: a web address ("http://" or
// "https://", a host, no blanks, quotes or control characters), or the plain
// name of a program file (".exe", no folder part) that the caller then finds in
// the current folder. Anything else (a path, a document, a command) is refused.
enum class ShellTarget { WebAddress, Program, Refused };
ShellTarget classifyShellTarget(const std::string& X);

// The clinic program of an institution variant: "orvo" + Office as two digits
// + ".exe"; empty when Office is not a number from 0 to 99.
std::string clinicExeName(const std::string& office);
