#include "prevent.h"

#include "run.h"
#include "startup.h"

void cmd_hisWriteHealthInsurance(Run& run) { notYetAvailable(run, Verb::hisWriteHealthInsurance); }
void cmd_hisWriteAllergicMedicines(Run& run) { notYetAvailable(run, Verb::hisWriteAllergicMedicines); }
void RegisterPrevent(Run& run) { notYetAvailable(run, Verb::RegisterPrevent); }
