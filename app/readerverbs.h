// The reader and card verbs that run in the start-up's reader phase without a
// procedure of their own elsewhere: card states, SAM authentication, PIN entry
// and unlock, the reader's clock, the last visit, the last sequence number,
// cancelling a registration, the online refresh and the emergency telephone
// number; and the refresh-only executable, which opens its own reader.
#pragma once

#include "frame/endsrun.h"

struct Run;

[[noreturn]] MAY_END_RUN void cmd_UpdateOnly(Run& run);
[[noreturn]] MAY_END_RUN void cmd_hisGetCardStatus(Run& run);
[[noreturn]] MAY_END_RUN void cmd_csVerifySAMDC(Run& run);
[[noreturn]] MAY_END_RUN void cmd_csVerifyHCPIN(Run& run);
[[noreturn]] MAY_END_RUN void cmd_csInputHCPIN(Run& run);
[[noreturn]] MAY_END_RUN void cmd_hpcInputHPCPIN(Run& run);
[[noreturn]] MAY_END_RUN void cmd_hpcUnlockHPC(Run& run);
[[noreturn]] MAY_END_RUN void cmd_csGetDateTime(Run& run);
[[noreturn]] MAY_END_RUN void cmd_LastTreatTime(Run& run);
[[noreturn]] MAY_END_RUN void cmd_hisGetLastSeqNum(Run& run);
[[noreturn]] MAY_END_RUN void cmd_csUnGet(Run& run);
[[noreturn]] MAY_END_RUN void cmd_VerifyHPCPIN(Run& run);
[[noreturn]] MAY_END_RUN void cmd_UpdateHC(Run& run);
// Then "/ReadF4" when readFollows().
[[noreturn]] MAY_END_RUN void cmd_hisWriteEmergentTel(Run& run);
