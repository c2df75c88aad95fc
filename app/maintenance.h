// The maintenance verbs of the start-up, tested before the reader is opened:
// web pages of the clinic's server and of the maker, the waiting mode,
// starting another program, the clinic program's self-update, moving the list
// of patients without cards into a dated file, and the upload-register viewer.
#pragma once

#include <string>

#include "app/verbs.h"

struct Run;

// Runs one of those verbs; false when `v` is not one of them. Every verb but
// the viewer ends the run; the viewer returns with the main window shown.
bool runMaintenanceVerb(Run& run, Verb v);

// The clinic program of an institution variant: "orvo" + Office as two digits
// + ".exe"; empty when Office is not a number from 0 to 99.
std::string clinicExeName(const std::string& office);
