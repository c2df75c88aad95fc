// The frame of every exported call and what the calls share: the library's
// answer codes, the checks of the cards, and the way arguments are read and
// replies handed back.
//
// A call answers, in this order: 4000 when no reader is open; the code of a
// fault of the state file; 6018 for a null pointer or a nonsense argument,
// 6016 for a reply length shorter than the reply; 4061 for a call that needs
// the insurer while the network is off; the code of a missing or unready
// card; then the call's own checks. Whatever it answers is journaled.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "journal.h"
#include "session.h"

namespace sim {

// Every answer is a code of the insurer's error-code file (ErrorCode.txt), the
// one that file gives for the condition, so a clinic program's developer sees
// the text a clinic would see. Where the file has no code of its own for a
// condition, the nearest one stands in: a reply buffer too short is "not
// enough memory" (6016), a card not yet authenticated with the SAM is "the
// card's rights are insufficient" (4029).
inline constexpr int kOk = 0;
inline constexpr int kNoReader = 4000;
inline constexpr int kShortBuffer = 6016;
inline constexpr int kNoSam = 4012;
inline constexpr int kNoHc = 4013;
inline constexpr int kNoHpc = 4014;
inline constexpr int kHcNotAuthenticated = 4029;
inline constexpr int kNotSam = 4032;
inline constexpr int kNotHc = 4033;
inline constexpr int kNotHpc = 4034;
inline constexpr int kHpcNotAuthenticated = 4029;
inline constexpr int kHpcPinNotVerified = 4042;
inline constexpr int kSamNotAuthenticated = 4050;
inline constexpr int kNoNetwork = 4061;
inline constexpr int kNoVisitsLeft = 5001;
inline constexpr int kCardCancelled = 5002;
inline constexpr int kCardExpired = 5003;
inline constexpr int kSameDayVisit = 5010;
inline constexpr int kOtherPerson = 5020;
inline constexpr int kNoSuchVisit = 5022;
inline constexpr int kNewbornTwinMissing = 5052;
inline constexpr int kMaleCardWrite = 5079;
inline constexpr int kMaleCardDelete = 5079;
inline constexpr int kWrongHcPin = 5102;
inline constexpr int kNewPinsDiffer = 5107;
inline constexpr int kPinEntryCancelled = 5109;
inline constexpr int kHpcLocked = 5122;
inline constexpr int kNoVisitToCancel = 5150;
inline constexpr int kNoUploadFile = 6017;
inline constexpr int kBadArgument = 6018;
inline constexpr int kInternalError = 6016;
inline constexpr int kWrongHpcPin = 5102;
inline constexpr int kCancelledNoUpdate = 9082;

using Args = std::vector<std::string>;

Session& session();
std::mutex& callLock();
// Appends the call's line to the journal at `path`; never fails.
void journalCall(const std::string& path, std::string_view name, const Args& args, int code,
                 const std::string& note);

// Runs one exported call: the reader and fault checks, the body, the journal.
template <class Body>
int api(const char* name, const Args& args, Body body) {
  std::lock_guard<std::mutex> guard(callLock());
  Session& s = session();
  s.note().clear();
  Paths before = s.paths();
  int code;
  try {
    if (!s.isOpen()) code = kNoReader;
    else if (std::optional<int> fault = s.takeFault(name)) code = *fault;
    else code = body(s);
  } catch (...) {
    code = kInternalError;
  }
  journalCall(before.journal, name, args, code, s.note());
  return code;
}

// A text argument as the state keeps it: UTF-8 without trailing blanks.
std::string stateText(const char* text);
// The numeric value of leading digits (after blanks); 0 when there are none.
int numberOf(std::string_view text);
// The value as `width` digits with leading zeros.
std::string digits(int value, int width);

// 0 when the card is there and ready for the use, else the code that says what
// is missing.
int samReady(const Reader& r);      // present and authenticated with the insurer
int samPresent(const Reader& r);
int hcReady(const Reader& r);       // present and authenticated with the SAM
int hcPresent(const Reader& r);
int hpcPresent(const Reader& r);
int hpcReady(const Reader& r);      // present and authenticated with the SAM
int hpcPinVerified(const Reader& r);

// The card carries the cancellation mark.
bool isCancelled(const HealthCard& hc);

// Copies the reply into the caller's buffer and sets its length; the buffer
// was checked to be long enough.
void put(char* buf, short* len, const std::string& reply);

}  // namespace sim
