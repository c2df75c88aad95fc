#include "dental.h"

#include "run.h"
#include "startup.h"

void cmd_DentalTreat(Run& run) { notYetAvailable(run, Verb::DentalTreat); }
