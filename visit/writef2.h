// Visit registration "/WriteF2": the identity check, the refusals, the signed
// visit sequence number, the signature file and GetSeqN.txt.
#pragma once

#include "frame/endsrun.h"

struct Run;

MAY_END_RUN void cmd_WriteF2(Run& run);
