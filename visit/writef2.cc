#include "writef2.h"

#include "run.h"
#include "startup.h"

void cmd_WriteF2(Run& run) { notYetAvailable(run, Verb::WriteF2); }
