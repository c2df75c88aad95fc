// Treatment writing: treatment codes, fees and signed prescriptions of
// icTreat.txt written to the card, chained after a registration or by
// "/hisWriteTreatmentCode".
#pragma once

#include <string>

struct Run;

void cmd_hisWriteTreatmentCode(Run& run);
// Writes icTreat.txt to the card for the registration record `record`.
void hisWriteTreatment(Run& run, const std::string& record);
