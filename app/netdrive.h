// The network-drive mode: a command line of a drive letter, ":" and a share
// ("F:\\Doctor\C") connects that letter to the share, then the run ends.
#pragma once

#include "frame/endsrun.h"

#include <string>

struct Run;

// The letter ("F:") and the share ("\\Doctor\C") of such a command line;
// false when it names no letter or no server.
bool parseNetworkDrive(const std::string& C, std::string& local, std::string& remote);

// Maps the drive and ends the run; a failure is shown with the platform's reason.
[[noreturn]] MAY_END_RUN void cmd_NetworkDrive(Run& run);
