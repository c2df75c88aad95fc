// The backup window vbbk "/VBbackup/": copies the data folder to the folder
// named by the setting VBbackup ("orvosys.ini", default "d:\backup\orvo"),
// which the operator sees and may change there; the folder used is written back.
//
// The data folder is the working folder: every file directly in it (the
// clinic program's data files and settings) and the whole ic\ tree (card
// data, archive, upload register, signatures). Other folders under it (such as
// backup\, the old programs) are not copied. Nothing is ever deleted; a file
// at the target whose date-time is later than the data file's, or cannot be
// read, is replaced only when the operator says so.
#pragma once

#include "frame/endsrun.h"

#include <string>

#include "platform/form.h"

struct Run;

inline constexpr const char* kBackupKey = "VBbackup";
inline constexpr const char* kDefaultBackupFolder = "d:\\backup\\orvo";

// The window: Label3 the data folder, Text1 the backup folder, Command1 starts
// the copy, Command2 closes, Label2 the progress, List1 the messages.
Form backupForm(const std::string& dataFolder, const std::string& target);

// The target lies in the data folder (or is it): a copy would copy itself.
bool insideFolder(const std::string& target, const std::string& folder);

// Shows the window until the operator closes it, then ends the run.
[[noreturn]] MAY_END_RUN void cmd_VBbackup(Run& run);
