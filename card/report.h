// The full card content report "/LoadAllData": every section of the card as
// readable Chinese lines in the log list.
#pragma once

struct Run;

void cmd_LoadAllData(Run& run);
