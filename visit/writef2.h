// Visit registration "/WriteF2": the identity check, the refusals, the signed
// visit sequence number, the signature file and GetSeqN.txt.
#pragma once

struct Run;

void cmd_WriteF2(Run& run);
