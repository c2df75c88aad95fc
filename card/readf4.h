// The basic card read "/ReadF4": the card-holder record into ReadF4.txt (and
// ReadF42.txt for a second reader), the online refresh of a used-up or expired
// card, and the archived read.
#pragma once

#include "frame/endsrun.h"

struct Run;

MAY_END_RUN void cmd_ReadF4(Run& run);
