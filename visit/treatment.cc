#include "treatment.h"

#include "run.h"
#include "startup.h"

void cmd_hisWriteTreatmentCode(Run& run) { notYetAvailable(run, Verb::hisWriteTreatmentCode); }
void hisWriteTreatment(Run&, const std::string&) {}
