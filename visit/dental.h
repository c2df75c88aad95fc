// The dental treatment read "/DentalTreat": the outpatient orders listed one
// line each and the scaling interval.
#pragma once

struct Run;

void cmd_DentalTreat(Run& run);
