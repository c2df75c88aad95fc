// The card-record archive as the run sees it: the start-up maintenance that
// migrates older files and rebuilds a missing index, with its progress in the
// waiting window, and the "/DataCase/" viewer. The stores themselves are in
// store/store.h.
#pragma once

#include "frame/endsrun.h"

struct Run;

// The start-up maintenance: older per-holder files migrated, missing indexes rebuilt.
MAY_END_RUN void archiveMaintenance(Run& run);
// "/DataCase/": shows everything held for one key in the main window.
MAY_END_RUN void cmd_DataCase(Run& run);
