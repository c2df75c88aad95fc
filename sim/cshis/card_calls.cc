// The health card's calls: every read, the registration of a visit and its
// cancellation, and every write. Reads need a health card authenticated with
// the SAM, and those of the doctor's data (diagnoses, prescriptions) also a
// professional card whose PIN was verified; registrations and writes need an
// authenticated SAM too, and writes are refused for anybody but the holder.
#include <algorithm>

#include "api.h"
#include "platform/cp950.h"
#include "cshis.h"
#include "replies.h"

namespace sim {
namespace {

using layout::kBasic;
using layout::kVisit;

constexpr char kSameDay = 'Y';
constexpr char kNotSameDay = 'N';
constexpr char kMale = 'M';

// A card-holder field as the card holds it (CP950, fixed width).
std::string basicField(const HealthCard& hc, layout::Place p) {
  return field(hc.basic[static_cast<size_t>(p.index)], p.width);
}

template <class T>
void pushFront(std::vector<T>& list, T item, int slots) {
  list.insert(list.begin(), std::move(item));
  if (list.size() > static_cast<size_t>(slots)) list.resize(static_cast<size_t>(slots));
}

// --- reads

int read(Session& s, const Reply& reply, char* buf, short* len, bool needsHpc = false) {
  if (!buf || !len) return kBadArgument;
  if (*len < reply.size) return kShortBuffer;
  const Reader& r = s.reader();
  if (int c = hcReady(r)) return c;
  if (needsHpc)
    if (int c = hpcPinVerified(r)) return c;
  put(buf, len, replyBytes(*r.hc, reply));
  return kOk;
}

const Reply* const kPrescriptionParts[] = {&kOutpatientReply, &kLongTermReply, &kImportantReply,
                                           &kAllergyReply};
constexpr int kPrescriptionPartCount = 4;

int readPrescription(Session& s, char* const bufs[], short* const lens[]) {
  for (int i = 0; i < kPrescriptionPartCount; ++i)
    if (!bufs[i] || !lens[i]) return kBadArgument;
  for (int i = 0; i < kPrescriptionPartCount; ++i)
    if (*lens[i] < kPrescriptionParts[i]->size) return kShortBuffer;
  const Reader& r = s.reader();
  if (int c = hcReady(r)) return c;
  if (int c = hpcPinVerified(r)) return c;
  for (int i = 0; i < kPrescriptionPartCount; ++i)
    put(bufs[i], lens[i], replyBytes(*r.hc, *kPrescriptionParts[i]));
  return kOk;
}

// Records `start` to `end` (1-based) of one prescription part; `count` is how
// many of them hold something.
int readRange(Session& s, const Reply& part, const layout::Group& group, char* buf, short* len,
              short start, short end, short* count) {
  if (!buf || !len || !count || start < 1 || end > group.slots || start > end) return kBadArgument;
  size_t size = static_cast<size_t>(group.record->size());
  size_t n = static_cast<size_t>(end - start + 1);
  if (*len < static_cast<long>(n * size)) return kShortBuffer;
  const Reader& r = s.reader();
  if (int c = hcReady(r)) return c;
  if (int c = hpcPinVerified(r)) return c;
  std::string bytes = replyBytes(*r.hc, part).substr((static_cast<size_t>(start) - 1) * size, n * size);
  short used = 0;
  for (size_t k = 0; k < n; ++k)
    if (bytes.find_first_not_of(' ', k * size) < (k + 1) * size) ++used;
  put(buf, len, bytes);
  *count = used;
  return kOk;
}

// --- registration

int registerVisit(Session& s, bool longForm, const char* category, const char* newborn,
                  const char* makeUp, char* buf, short* len) {
  if (!category || !newborn || (longForm && !makeUp) || !buf || !len) return kBadArgument;
  if (*len < (longForm ? layout::kSeq256.size() : layout::kSeq128.size())) return kShortBuffer;
  Reader& r = s.reader();
  if (int c = samReady(r)) return c;
  if (int c = hcReady(r)) return c;
  HealthCard& hc = *r.hc;
  const Sam& sam = *r.sam;

  std::string clock = s.clock();
  std::string today = clock.substr(0, layout::kDateSize);
  std::string year = clock.substr(0, layout::kRocYearWidth);
  if (isCancelled(hc)) return kCardCancelled;
  if (basicField(hc, kBasic.at("validUntil")) < today) return kCardExpired;
  std::string cat = stateText(category);
  bool counted = !cat.empty() && cat[0] >= '0' && cat[0] <= '9';
  constexpr layout::Place kRemaining = kBasic.at("remaining");
  int left = numberOf(basicField(hc, kRemaining));
  if (counted && left <= 0) return kNoVisitsLeft;

  bool sameDay = std::any_of(hc.visits.begin(), hc.visits.end(), [&](const Record& v) {
    return field(v[kVisit["time"]], layout::kClockSize).substr(0, layout::kDateSize) == today;
  });
  // The sequence starts again at 0001 in a new ROC year, and after 9999.
  std::string last = field(hc.lastSeq, layout::kLastSeq.size());
  constexpr int kSeqWidth = kVisit.at("seq").width;
  int next = last.substr(0, layout::kRocYearWidth) == year
                 ? numberOf(last.substr(layout::kRocYearWidth)) + 1
                 : 1;
  std::string seq = digits(next, kSeqWidth);
  if (seq.find_first_not_of('0') == std::string::npos) seq = digits(1, kSeqWidth);
  std::string supplement = longForm ? stateText(makeUp) : std::string("1");

  Record visit = emptyRecord(kVisit);
  visit[kVisit["category"]] = cat;
  visit[kVisit["newborn"]] = cp950::toUtf8(argumentBytes(newborn));
  visit[kVisit["time"]] = clock;
  visit[kVisit["supplement"]] = supplement;
  visit[kVisit["seq"]] = seq;
  visit[kVisit["institution"]] = sam.institution;
  pushFront(hc.visits, std::move(visit), layout::kVisits.slots);
  hc.lastSeq = year + seq;
  if (counted) hc.basic[kRemaining.index] = digits(left - 1, kRemaining.width);
  s.save();

  std::string id = basicField(hc, kBasic.at("id"));
  std::string cardNo = basicField(hc, kBasic.at("cardNo"));
  std::string reply;
  if (longForm) {
    Record q = emptyRecord(layout::kSeq256);
    q[layout::kSeq256["time"]] = clock;
    q[layout::kSeq256["seq"]] = seq;
    q[layout::kSeq256["institution"]] = sam.institution;
    q[layout::kSeq256["signature"]] = signature(
        {id, cardNo, clock, seq, sam.institution, sam.samId, cat, argumentBytes(newborn), supplement},
        layout::kSeq256.at("signature").width);
    q[layout::kSeq256["samId"]] = sam.samId;
    q[layout::kSeq256["sameDay"]] = std::string(1, sameDay ? kSameDay : kNotSameDay);
    reply = recordBytes(q, layout::kSeq256);
  } else {
    Record q = emptyRecord(layout::kSeq128);
    q[layout::kSeq128["time"]] = clock;
    q[layout::kSeq128["seq"]] = seq;
    q[layout::kSeq128["institution"]] = sam.institution;
    q[layout::kSeq128["signature"]] = signature(
        {id, cardNo, clock, seq, sam.institution, sam.samId, cat, argumentBytes(newborn)},
        layout::kSeq128.at("signature").width);
    q[layout::kSeq128["samId"]] = sam.samId;
    reply = recordBytes(q, layout::kSeq128);
  }
  put(buf, len, reply);
  return sameDay ? kSameDayVisit : kOk;
}

// The visit whose time is the argument's 13 characters.
std::vector<Record>::iterator visitAt(HealthCard& hc, const char* dateTime) {
  std::string time = fit(argumentBytes(dateTime), layout::kClockSize);
  return std::find_if(hc.visits.begin(), hc.visits.end(), [&](const Record& v) {
    return field(v[kVisit["time"]], layout::kClockSize) == time;
  });
}

int unregister(Session& s, const char* stamp) {
  if (!stamp) return kBadArgument;
  Reader& r = s.reader();
  if (int c = samReady(r)) return c;
  if (int c = hcReady(r)) return c;
  auto visit = visitAt(*r.hc, stamp);
  if (visit == r.hc->visits.end()) return kNoVisitToCancel;
  r.hc->visits.erase(visit);
  s.save();
  return kOk;
}

// --- writes

bool samePerson(const HealthCard& hc, const char* id, const char* birth) {
  auto same = [&](const char* arg, layout::Place p) {
    return rtrim(basicField(hc, p)) == rtrim(fit(argumentBytes(arg), p.width));
  };
  return same(id, kBasic.at("id")) && same(birth, kBasic.at("birth"));
}

// 0 when the holder's card may be written: SAM and card ready, same person.
int writable(Session& s, const char* id, const char* birth) {
  const Reader& r = s.reader();
  if (int c = samReady(r)) return c;
  if (int c = hcReady(r)) return c;
  return samePerson(*r.hc, id, birth) ? kOk : kOtherPerson;
}

int writeTreatmentCode(Session& s, const char* dateTime, const char* id, const char* birth,
                       const char* data, const char* docId) {
  if (!dateTime || !id || !birth || !data || !docId) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  HealthCard& hc = *s.reader().hc;
  auto visit = visitAt(hc, dateTime);
  if (visit == hc.visits.end()) return kNoSuchVisit;
  const layout::Record& l = layout::kDiagnosis;
  Record diagnosis = emptyRecord(l);
  diagnosis[l["time"]] = (*visit)[kVisit["time"]];
  fillFromBytes(diagnosis, l, layout::kDiagnosisCodesAt, argumentBytes(data));
  // A second write for the same visit replaces its diagnoses.
  std::erase_if(hc.diagnoses, [&](const Record& d) { return d[l["time"]] == diagnosis[l["time"]]; });
  pushFront(hc.diagnoses, std::move(diagnosis), layout::kDiagnoses.slots);
  s.save();
  return kOk;
}

int writeTreatmentFee(Session& s, const char* dateTime, const char* id, const char* birth,
                      const char* data) {
  if (!dateTime || !id || !birth || !data) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  HealthCard& hc = *s.reader().hc;
  auto visit = visitAt(hc, dateTime);
  if (visit == hc.visits.end()) return kNoSuchVisit;
  fillFromBytes(*visit, kVisit, layout::kVisitFeesAt, argumentBytes(data));
  s.save();
  return kOk;
}

// `count` outpatient orders of 61 bytes each, laid out like the card's, put
// first in their order; a signing write returns 40 characters for each.
int writeOrders(Session& s, const char* dateTime, const char* id, const char* birth,
                const char* data, int count, bool signs, char* signatureBuf, short* len) {
  const layout::Record& l = layout::kOutpatientOrder;
  if (!dateTime || !id || !birth || !data) return kBadArgument;
  if (count < 1 || count > layout::kOutpatientOrders.slots) return kBadArgument;
  int signaturesSize = count * layout::kPrescriptionSignatureSize;
  if (signs && (!signatureBuf || !len)) return kBadArgument;
  if (signs && *len < signaturesSize) return kShortBuffer;
  if (int c = writable(s, id, birth)) return c;
  Reader& r = s.reader();
  HealthCard& hc = *r.hc;
  if (visitAt(hc, dateTime) == hc.visits.end()) return kNoSuchVisit;

  std::string_view all = argumentBytes(data);
  size_t size = static_cast<size_t>(l.size());
  std::vector<Record> orders;
  std::string signatures;
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    std::string_view part = k * size < all.size() ? all.substr(k * size, size) : std::string_view();
    Record order = emptyRecord(l);
    fillFromBytes(order, l, 0, part);
    orders.push_back(std::move(order));
    signatures += signature({basicField(hc, kBasic.at("id")),
                             fit(argumentBytes(dateTime), layout::kClockSize), fit(part, l.size()),
                             r.sam->samId},
                            layout::kPrescriptionSignatureSize);
  }
  hc.outpatientOrders.insert(hc.outpatientOrders.begin(), orders.begin(), orders.end());
  if (hc.outpatientOrders.size() > static_cast<size_t>(layout::kOutpatientOrders.slots))
    hc.outpatientOrders.resize(static_cast<size_t>(layout::kOutpatientOrders.slots));
  s.save();
  if (signs) put(signatureBuf, len, signatures);
  return kOk;
}

// The names fill the three 40-byte slots one after the other; a name that
// would be split between two slots starts the next one.
int writeAllergies(Session& s, const char* id, const char* birth, const char* data,
                   const char* docId) {
  if (!id || !birth || !data || !docId) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  HealthCard& hc = *s.reader().hc;
  std::string_view rest = argumentBytes(data);
  std::vector<std::string> slots;
  for (int k = 0; k < layout::kAllergies.slots; ++k) {
    size_t n = fitLength(rest, layout::kAllergy.size());
    slots.push_back(rtrim(cp950::toUtf8(rest.substr(0, n))));
    rest.remove_prefix(n);
  }
  while (!slots.empty() && slots.back().empty()) slots.pop_back();
  hc.allergies = std::move(slots);
  s.save();
  return kOk;
}

int writeAllergy(Session& s, const char* id, const char* birth, const char* data,
                 const char* docId, short slot) {
  if (!id || !birth || !data || !docId || slot < 1 || slot > layout::kAllergies.slots)
    return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  HealthCard& hc = *s.reader().hc;
  std::string_view name = argumentBytes(data);
  if (hc.allergies.size() < static_cast<size_t>(slot)) hc.allergies.resize(static_cast<size_t>(slot));
  hc.allergies[static_cast<size_t>(slot) - 1] =
      rtrim(cp950::toUtf8(name.substr(0, fitLength(name, layout::kAllergy.size()))));
  s.save();
  return kOk;
}

// A record dated today at the SAM's institution, put first in its group;
// `texts` are the record's other fields (value index, argument).
int writeDated(Session& s, const char* id, const char* birth, const layout::Group& group,
               std::vector<Record> HealthCard::*list, int dateAt, int institutionAt,
               std::initializer_list<std::pair<int, const char*>> texts) {
  if (!id || !birth) return kBadArgument;
  for (const auto& t : texts)
    if (!t.second) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  Reader& r = s.reader();
  Record rec = emptyRecord(*group.record);
  rec[static_cast<size_t>(dateAt)] = s.clock().substr(0, layout::kDateSize);
  rec[static_cast<size_t>(institutionAt)] = r.sam->institution;
  for (const auto& t : texts) rec[static_cast<size_t>(t.first)] = stateText(t.second);
  pushFront((*r.hc).*list, std::move(rec), group.slots);
  s.save();
  return kOk;
}

// Changes one text of the holder's card.
int writeText(Session& s, const char* id, const char* birth, std::string& (*target)(HealthCard&),
              const char* value) {
  if (!id || !birth || !value) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  target(*s.reader().hc) = stateText(value);
  s.save();
  return kOk;
}

std::string& emergencyTel(HealthCard& hc) { return hc.emergencyTel; }
std::string& organDonation(HealthCard& hc) { return hc.organDonation; }

int writeNewborn(Session& s, const char* id, const char* birth, const char* date,
                 const char* twin) {
  if (!id || !birth || !date || !twin) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  HealthCard& hc = *s.reader().hc;
  std::string newbornBirth = stateText(date);
  std::string twinMark = stateText(twin);
  if (!newbornBirth.empty() && twinMark.empty()) return kNewbornTwinMissing;
  hc.basic[kBasic["newbornBirth"]] = newbornBirth;
  hc.basic[kBasic["newbornTwin"]] = twinMark;
  s.save();
  return kOk;
}

bool male(const HealthCard& hc) { return basicField(hc, kBasic.at("sex"))[0] == kMale; }

int writePrenatal(Session& s, const char* id, const char* birth, const char* code) {
  if (!id || !birth || !code) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  if (male(*s.reader().hc)) return kMaleCardWrite;
  const layout::Record& l = layout::kPrenatal;
  return writeDated(s, id, birth, layout::kPrenatalChecks, &HealthCard::prenatal, l["date"],
                    l["institution"], {{l["code"], code}});
}

int deletePrenatal(Session& s, const char* id, const char* birth) {
  if (!id || !birth) return kBadArgument;
  if (int c = writable(s, id, birth)) return c;
  HealthCard& hc = *s.reader().hc;
  if (male(hc)) return kMaleCardDelete;
  hc.prenatal.clear();
  s.save();
  return kOk;
}

}  // namespace
}  // namespace sim

using namespace sim;

namespace {

Args buffers(std::initializer_list<const short*> lens) {
  Args a;
  for (const short* l : lens) a.push_back(journal::buffer(l));
  return a;
}

Args texts(std::initializer_list<const char*> values) {
  Args a;
  for (const char* v : values) a.push_back(journal::text(v));
  return a;
}

int readCall(const char* name, const Reply& reply, char* buf, short* len, bool needsHpc = false) {
  return api(name, buffers({len}), [&](Session& s) { return read(s, reply, buf, len, needsHpc); });
}

}  // namespace

extern "C" int CSHIS_CALL hisGetBasicData(char* buf, short* len) {
  return readCall("hisGetBasicData", kBasicDataReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetRegisterBasic(char* buf, short* len) {
  return readCall("hisGetRegisterBasic", kRegisterBasicReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetRegisterBasic2(char* buf, short* len) {
  return readCall("hisGetRegisterBasic2", kRegisterBasic2Reply, buf, len);
}
extern "C" int CSHIS_CALL hisGetRegisterPrevent(char* buf, short* len) {
  return readCall("hisGetRegisterPrevent", kPreventReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetRegisterPregnant(char* buf, short* len) {
  return readCall("hisGetRegisterPregnant", kPregnantReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetTreatmentNoNeedHPC(char* buf, short* len) {
  return readCall("hisGetTreatmentNoNeedHPC", kNoNeedHpcReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetTreatmentNeedHPC(char* buf, short* len) {
  return readCall("hisGetTreatmentNeedHPC", kNeedHpcReply, buf, len, /*needsHpc=*/true);
}
extern "C" int CSHIS_CALL hisGetCumulativeData(char* buf, short* len) {
  return readCall("hisGetCumulativeData", kCumulativeDataReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetCumulativeFee(char* buf, short* len) {
  return readCall("hisGetCumulativeFee", kCumulativeFeeReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetInoculateData(char* buf, short* len) {
  return readCall("hisGetInoculateData", kInoculateReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetOrganDonate(char* buf, short* len) {
  return readCall("hisGetOrganDonate", kOrganDonateReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetEmergentTel(char* buf, short* len) {
  return readCall("hisGetEmergentTel", kEmergentTelReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetLastSeqNum(char* buf, short* len) {
  return readCall("hisGetLastSeqNum", kLastSeqReply, buf, len);
}
extern "C" int CSHIS_CALL hisGetCriticalIllness(char* buf, short* len) {
  return readCall("hisGetCriticalIllness", kCriticalIllnessReply, buf, len);
}

extern "C" int CSHIS_CALL hisReadPrescription(char* outpatient, short* lenOutpatient,
                                              char* longTerm, short* lenLongTerm, char* important,
                                              short* lenImportant, char* allergy,
                                              short* lenAllergy) {
  return api("hisReadPrescription",
             buffers({lenOutpatient, lenLongTerm, lenImportant, lenAllergy}), [&](Session& s) {
               char* const bufs[] = {outpatient, longTerm, important, allergy};
               short* const lens[] = {lenOutpatient, lenLongTerm, lenImportant, lenAllergy};
               return readPrescription(s, bufs, lens);
             });
}

namespace {

int rangeCall(const char* name, const Reply& part, const layout::Group& group, char* buf,
              short* len, short start, short end, short* count) {
  return api(name, {journal::buffer(len), journal::number(start), journal::number(end)},
             [&](Session& s) { return readRange(s, part, group, buf, len, start, end, count); });
}

}  // namespace

extern "C" int CSHIS_CALL hisReadPrescriptMain(char* buf, short* len, short start, short end,
                                               short* count) {
  return rangeCall("hisReadPrescriptMain", kOutpatientReply, layout::kOutpatientOrders, buf, len,
                   start, end, count);
}
extern "C" int CSHIS_CALL hisReadPrescriptLongTerm(char* buf, short* len, short start, short end,
                                                   short* count) {
  return rangeCall("hisReadPrescriptLongTerm", kLongTermReply, layout::kLongTermPrescriptions, buf,
                   len, start, end, count);
}
extern "C" int CSHIS_CALL hisReadPrescriptHVE(char* buf, short* len, short start, short end,
                                              short* count) {
  return rangeCall("hisReadPrescriptHVE", kImportantReply, layout::kImportantOrders, buf, len, start,
                   end, count);
}
extern "C" int CSHIS_CALL hisReadPrescriptAllergic(char* buf, short* len, short start, short end,
                                                   short* count) {
  return rangeCall("hisReadPrescriptAllergic", kAllergyReply, layout::kAllergies, buf, len, start,
                   end, count);
}

extern "C" int CSHIS_CALL hisGetSeqNumber256(char* category, char* newborn, char* makeUp, char* buf,
                                             short* len) {
  Args args = texts({category, newborn, makeUp});
  args.push_back(journal::buffer(len));
  return api("hisGetSeqNumber256", args, [&](Session& s) {
    return registerVisit(s, /*longForm=*/true, category, newborn, makeUp, buf, len);
  });
}

extern "C" int CSHIS_CALL hisGetSeqNumber(char* category, char* newborn, char* buf, short* len) {
  Args args = texts({category, newborn});
  args.push_back(journal::buffer(len));
  return api("hisGetSeqNumber", args, [&](Session& s) {
    return registerVisit(s, /*longForm=*/false, category, newborn, nullptr, buf, len);
  });
}

extern "C" int CSHIS_CALL csUnGetSeqNumber(char* visitStamp) {
  return api("csUnGetSeqNumber", texts({visitStamp}),
             [&](Session& s) { return unregister(s, visitStamp); });
}

extern "C" int CSHIS_CALL hisWriteTreatmentCode(char* dateTime, char* id, char* birth, char* data,
                                                char* docId) {
  return api("hisWriteTreatmentCode", texts({dateTime, id, birth, data, docId}), [&](Session& s) {
    return writeTreatmentCode(s, dateTime, id, birth, data, docId);
  });
}

extern "C" int CSHIS_CALL hisWriteTreatmentFee(char* dateTime, char* id, char* birth, char* data) {
  return api("hisWriteTreatmentFee", texts({dateTime, id, birth, data}),
             [&](Session& s) { return writeTreatmentFee(s, dateTime, id, birth, data); });
}

extern "C" int CSHIS_CALL hisWritePrescription(char* dateTime, char* id, char* birth, char* data) {
  return api("hisWritePrescription", texts({dateTime, id, birth, data}), [&](Session& s) {
    return writeOrders(s, dateTime, id, birth, data, 1, false, nullptr, nullptr);
  });
}

extern "C" int CSHIS_CALL hisWritePrescriptionSign(char* dateTime, char* id, char* birth,
                                                   char* data, char* signature, short* len) {
  Args args = texts({dateTime, id, birth, data});
  args.push_back(journal::buffer(len));
  return api("hisWritePrescriptionSign", args, [&](Session& s) {
    return writeOrders(s, dateTime, id, birth, data, 1, true, signature, len);
  });
}

extern "C" int CSHIS_CALL hisWriteMultiPrescript(char* dateTime, char* id, char* birth, char* data,
                                                 short* count) {
  Args args = texts({dateTime, id, birth, data});
  args.push_back(journal::number(count));
  return api("hisWriteMultiPrescript", args, [&](Session& s) {
    if (!count) return kBadArgument;
    return writeOrders(s, dateTime, id, birth, data, *count, false, nullptr, nullptr);
  });
}

extern "C" int CSHIS_CALL hisWriteMultiPrescriptSign(char* dateTime, char* id, char* birth,
                                                     char* data, short* count, char* signature,
                                                     short* len) {
  Args args = texts({dateTime, id, birth, data});
  args.push_back(journal::number(count));
  args.push_back(journal::buffer(len));
  return api("hisWriteMultiPrescriptSign", args, [&](Session& s) {
    if (!count) return kBadArgument;
    return writeOrders(s, dateTime, id, birth, data, *count, true, signature, len);
  });
}

extern "C" int CSHIS_CALL hisWriteAllergicMedicines(char* id, char* birth, char* data,
                                                    char* docId) {
  return api("hisWriteAllergicMedicines", texts({id, birth, data, docId}),
             [&](Session& s) { return writeAllergies(s, id, birth, data, docId); });
}

extern "C" int CSHIS_CALL hisWriteAllergicNum(char* id, char* birth, char* data, char* docId,
                                              short slot) {
  Args args = texts({id, birth, data, docId});
  args.push_back(journal::number(slot));
  return api("hisWriteAllergicNum", args,
             [&](Session& s) { return writeAllergy(s, id, birth, data, docId, slot); });
}

extern "C" int CSHIS_CALL hisWriteHealthInsurance(char* id, char* birth, char* item,
                                                  char* itemCode) {
  const layout::Record& l = layout::kPrevent;
  return api("hisWriteHealthInsurance", texts({id, birth, item, itemCode}), [&](Session& s) {
    return writeDated(s, id, birth, layout::kPreventions, &HealthCard::prevent, l["date"],
                      l["institution"], {{l["item"], item}, {l["code"], itemCode}});
  });
}

extern "C" int CSHIS_CALL hisWriteInoculateData(char* id, char* birth, char* item, char* batch) {
  const layout::Record& l = layout::kInoculation;
  return api("hisWriteInoculateData", texts({id, birth, item, batch}), [&](Session& s) {
    return writeDated(s, id, birth, layout::kInoculations, &HealthCard::inoculations, l["date"],
                      l["institution"], {{l["vaccine"], item}, {l["batch"], batch}});
  });
}

extern "C" int CSHIS_CALL hisWriteEmergentTel(char* id, char* birth, char* tel) {
  return api("hisWriteEmergentTel", texts({id, birth, tel}),
             [&](Session& s) { return writeText(s, id, birth, emergencyTel, tel); });
}

extern "C" int CSHIS_CALL hisWriteOrganDonate(char* id, char* birth, char* mark) {
  return api("hisWriteOrganDonate", texts({id, birth, mark}),
             [&](Session& s) { return writeText(s, id, birth, organDonation, mark); });
}

extern "C" int CSHIS_CALL hisWriteNewBorn(char* id, char* birth, char* newbornDate,
                                          char* twinMark) {
  return api("hisWriteNewBorn", texts({id, birth, newbornDate, twinMark}),
             [&](Session& s) { return writeNewborn(s, id, birth, newbornDate, twinMark); });
}

extern "C" int CSHIS_CALL hisWritePredeliveryCheckup(char* id, char* birth, char* code) {
  return api("hisWritePredeliveryCheckup", texts({id, birth, code}),
             [&](Session& s) { return writePrenatal(s, id, birth, code); });
}

extern "C" int CSHIS_CALL hisDeletePredeliveryData(char* id, char* birth) {
  return api("hisDeletePredeliveryData", texts({id, birth}),
             [&](Session& s) { return deletePrenatal(s, id, birth); });
}
