// The reads of the health card: each reply's size and how its bytes come from
// the card, with a `raw` text of the state winning over the structured fields.
// Also the simulator's signatures, which stand in for the SAM's.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "state.h"

namespace sim {

struct Reply {
  const char* rawKey;  // key of `raw` that replaces the reply
  int size;
  std::string (*build)(const HealthCard&);
};

extern const Reply kRegisterBasicReply;
extern const Reply kRegisterBasic2Reply;
extern const Reply kBasicDataReply;
extern const Reply kLastSeqReply;
extern const Reply kEmergentTelReply;
extern const Reply kNoNeedHpcReply;
extern const Reply kNeedHpcReply;
extern const Reply kCumulativeDataReply;
extern const Reply kCumulativeFeeReply;
extern const Reply kPreventReply;
extern const Reply kPregnantReply;
extern const Reply kInoculateReply;
extern const Reply kOrganDonateReply;
extern const Reply kCriticalIllnessReply;
// The four buffers of hisReadPrescription.
extern const Reply kOutpatientReply;
extern const Reply kLongTermReply;
extern const Reply kImportantReply;
extern const Reply kAllergyReply;

// Exactly `reply.size` bytes: the raw text (CP950, fitted) or the card's fields.
std::string replyBytes(const HealthCard& hc, const Reply& reply);

// `width` printable characters (upper-case hexadecimal digits) that depend on
// nothing but the parts: the same inputs give the same signature.
std::string signature(std::initializer_list<std::string_view> parts, int width);

}  // namespace sim
