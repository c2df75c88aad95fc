// Treatment writing: treatment codes, fees and signed prescriptions of
// icTreat.txt written to the card, chained after a registration or by
// "/hisWriteTreatmentCode".
#pragma once

#include "frame/endsrun.h"

#include <string>

struct Run;

// "/hisWriteTreatmentCode": the identity check against icTreat.txt's second
// line, then the treatment writing for that card holder. Ends the run.
MAY_END_RUN void cmd_hisWriteTreatmentCode(Run& run);
// Writes icTreat.txt to the card for the registration record `record`, files
// the prescription signatures and appends the treatment log to the archive.
MAY_END_RUN void hisWriteTreatment(Run& run, const std::string& record);
// The visit time of the last registration of the holder `id`: 13 bytes at
// byte 41 of GetSeqN.txt; blank when there is none, or when the file is left
// from another holder's registration.
std::string getTreatTime(Run& run, const std::string& id);
