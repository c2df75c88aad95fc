#include "archive.h"

#include "run.h"
#include "startup.h"

int32_t indexSearch(Run&, const std::string&, const std::string&, int) { return 0; }
void save1500file(Run&, const std::string&, const std::string&) {}
void save3000file(Run&, const std::string&, const std::string&) {}
void archiveMaintenance(Run&) {}
void cmd_DataCase(Run& run) { notYetAvailable(run, Verb::DataCase); }
