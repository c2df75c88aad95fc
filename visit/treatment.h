// Treatment writing: treatment codes, fees and signed prescriptions of
// icTreat.txt written to the card, chained after a registration or by
// "/hisWriteTreatmentCode".
#pragma once

#include <string>

struct Run;

// "/hisWriteTreatmentCode": the identity check against icTreat.txt's second
// line, then the treatment writing for that card holder. Ends the run.
void cmd_hisWriteTreatmentCode(Run& run);
// Writes icTreat.txt to the card for the registration record `record`, files
// the prescription signatures and appends the treatment log to the archive.
void hisWriteTreatment(Run& run, const std::string& record);
// The visit time of the last registration: 13 bytes at byte 41 of
// GetSeqN.txt; blank when there is none.
std::string getTreatTime(Run& run);
