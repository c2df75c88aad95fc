// Preventive care and allergies: "/hisWriteHealthInsurance",
// "/hisWriteAllergicMedicines" and the prevention registration list
// "/RegisterPrevent".
#pragma once

struct Run;

void cmd_hisWriteHealthInsurance(Run& run);
void cmd_hisWriteAllergicMedicines(Run& run);
void RegisterPrevent(Run& run);
