#include "report.h"

#include "run.h"
#include "startup.h"

void cmd_LoadAllData(Run& run) { notYetAvailable(run, Verb::LoadAllData); }
