// The start-up of the main window vexa5: the whole dispatcher of a run. It fixes
// the working folder and the settings, opens the reader and runs the first verb
// the command line holds, in the fixed order of the verb table (verbs.h).
#pragma once

#include <string>

#include "app/verbs.h"

struct Run;

// Form_Load of vexa5. Returns only when a window carries the run on.
void Form_Load(Run& run);

// Opening the reader: on the port on the port the command line names.
void openReader(Run& run);

// The verbs whose procedures this build does not have yet: no result file, the
// run ends through UnloadMe_End.
[[noreturn]] void notYetAvailable(Run& run, Verb v);

// Runs the verb the start-up found, once the reader is open.
void runCardVerb(Run& run, Verb v);
