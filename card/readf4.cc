#include "readf4.h"

#include "run.h"
#include "startup.h"

void cmd_ReadF4(Run& run) { notYetAvailable(run, Verb::ReadF4); }
