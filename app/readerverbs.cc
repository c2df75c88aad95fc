#include "readerverbs.h"

#include "run.h"
#include "startup.h"

bool runReaderVerb(Run& run, Verb v) {
  switch (v) {
    case Verb::hisGetCardStatus:
    case Verb::csVerifySAMDC:
    case Verb::csVerifyHCPIN:
    case Verb::csInputHCPIN:
    case Verb::hpcInputHPCPIN:
    case Verb::hpcUnlockHPC:
    case Verb::csGetDateTime:
    case Verb::LastTreatTime:
    case Verb::hisGetLastSeqNum:
    case Verb::csUnGet:
    case Verb::VerifyHPCPIN:
    case Verb::UpdateHC:
    case Verb::hisWriteEmergentTel:
      notYetAvailable(run, v);
    default:
      return false;
  }
}
