// The start-up of the main window vexa5: the whole dispatcher of a run. It fixes
// the working folder and the settings, opens the reader and runs the verb the
// command line holds, phase by phase as the verb table (verbs.h) says.
#pragma once

#include "frame/endsrun.h"

struct Run;

// Form_Load of vexa5. Returns only when a window carries the run on.
MAY_END_RUN void Form_Load(Run& run);

// Opens the reader on the port the command line names (default COM1) and
// notes the second reader's port.
MAY_END_RUN void openReader(Run& run);
