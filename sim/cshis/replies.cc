#include "replies.h"

#include <cstdint>


namespace sim {
namespace {

using namespace layout;

std::string single(const Record& r, const layout::Record& l) { return recordBytes(r, l); }

std::string basic(const HealthCard& hc) { return single(hc.basic, kBasic); }
std::string cardFace(const HealthCard& hc) { return basic(hc).substr(0, kCardFaceSize); }
std::string lastSeq(const HealthCard& hc) { return single({hc.lastSeq}, kLastSeq); }
std::string emergencyTel(const HealthCard& hc) { return single({hc.emergencyTel}, kEmergencyTel); }
std::string organDonation(const HealthCard& hc) {
  return single({hc.organDonation}, kOrganDonation);
}
std::string feeTotals(const HealthCard& hc) {
  return single({hc.outpatientTotal, hc.inpatientTotal}, kFeeTotals);
}

std::string illnesses(const HealthCard& hc) { return groupBytes(hc.majorIllness, kMajorIllnesses); }

std::string noNeedHpc(const HealthCard& hc) {
  std::string out;
  for (int k = 0; k < kMajorIllnesses.slots; ++k) {
    size_t i = static_cast<size_t>(k);
    out += i < hc.majorIllness.size()
               ? recordBytes(hc.majorIllness[i], kMajorIllness).substr(kIllnessPeriodAt)
               : std::string(kIllnessPeriodSize, ' ');
  }
  out += groupBytes(hc.visits, kVisits);
  out.resize(kNoNeedHpcSize, ' ');
  return out;
}

std::string needHpc(const HealthCard& hc) {
  std::string out = illnesses(hc) + groupBytes(hc.diagnoses, kDiagnoses);
  out.resize(kNeedHpcSize, ' ');
  return out;
}

std::string cumulative(const HealthCard& hc) { return groupBytes(hc.yearlyTotals, kYearlyTotals); }
std::string prevent(const HealthCard& hc) { return groupBytes(hc.prevent, kPreventions); }
std::string pregnant(const HealthCard& hc) { return groupBytes(hc.prenatal, kPrenatalChecks); }
std::string inoculate(const HealthCard& hc) { return groupBytes(hc.inoculations, kInoculations); }
std::string outpatient(const HealthCard& hc) {
  return groupBytes(hc.outpatientOrders, kOutpatientOrders);
}
std::string longTerm(const HealthCard& hc) {
  return groupBytes(hc.longTermPrescriptions, kLongTermPrescriptions);
}
std::string important(const HealthCard& hc) { return groupBytes(hc.importantOrders, kImportantOrders); }
std::string allergy(const HealthCard& hc) {
  std::vector<sim::Record> names;
  for (const std::string& a : hc.allergies) names.push_back({a});
  return groupBytes(names, kAllergies);
}

// FNV-1a and splitmix64: small, fixed, the same on every platform.
uint64_t fnv1a(std::initializer_list<std::string_view> parts) {
  uint64_t h = 14695981039346656037ull;
  for (std::string_view p : parts) {
    for (unsigned char c : p) {
      h ^= c;
      h *= 1099511628211ull;
    }
    h ^= 0x1F;  // a separator, so that ("ab", "c") and ("a", "bc") differ
    h *= 1099511628211ull;
  }
  return h;
}

uint64_t splitmix64(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

const Reply kRegisterBasicReply{"hisGetRegisterBasic", kBasic.size(), basic};
const Reply kRegisterBasic2Reply{"hisGetRegisterBasic2", kBasic.size(), basic};
const Reply kBasicDataReply{"hisGetBasicData", kCardFaceSize, cardFace};
const Reply kLastSeqReply{"hisGetLastSeqNum", kLastSeq.size(), lastSeq};
const Reply kEmergentTelReply{"hisGetEmergentTel", kEmergencyTel.size(), emergencyTel};
const Reply kNoNeedHpcReply{"hisGetTreatmentNoNeedHPC", kNoNeedHpcSize, noNeedHpc};
const Reply kNeedHpcReply{"hisGetTreatmentNeedHPC", kNeedHpcSize, needHpc};
const Reply kCumulativeDataReply{"hisGetCumulativeData", kYearlyTotals.size(), cumulative};
const Reply kCumulativeFeeReply{"hisGetCumulativeFee", kFeeTotals.size(), feeTotals};
const Reply kPreventReply{"hisGetRegisterPrevent", kPreventions.size(), prevent};
const Reply kPregnantReply{"hisGetRegisterPregnant", kPrenatalChecks.size(), pregnant};
const Reply kInoculateReply{"hisGetInoculateData", kInoculations.size(), inoculate};
const Reply kOrganDonateReply{"hisGetOrganDonate", kOrganDonation.size(), organDonation};
const Reply kCriticalIllnessReply{"hisGetCriticalIllness", kCriticalIllnessSize, illnesses};
const Reply kOutpatientReply{"hisReadPrescription.outpatient", kOutpatientOrders.size(), outpatient};
const Reply kLongTermReply{"hisReadPrescription.longTerm", kLongTermPrescriptions.size(), longTerm};
const Reply kImportantReply{"hisReadPrescription.important", kImportantOrders.size(), important};
const Reply kAllergyReply{"hisReadPrescription.allergy", kAllergies.size(), allergy};

std::string replyBytes(const HealthCard& hc, const Reply& reply) {
  auto raw = hc.raw.find(reply.rawKey);
  if (raw != hc.raw.end()) return field(raw->second, reply.size);
  return reply.build(hc);
}

std::string signature(std::initializer_list<std::string_view> parts, int width) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  uint64_t seed = fnv1a(parts);
  std::string out;
  out.reserve(static_cast<size_t>(width));
  while (out.size() < static_cast<size_t>(width)) {
    uint64_t v = splitmix64(seed);
    for (int k = 0; k < 16 && out.size() < static_cast<size_t>(width); ++k, v >>= 4)
      out += kDigits[v & 0xF];
  }
  return out;
}

}  // namespace sim
