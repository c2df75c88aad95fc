#include "upload.h"

#include "run.h"
#include "startup.h"

void cmd_UpLoadData(Run& run) { notYetAvailable(run, Verb::UpLoadData); }
