// The reader's own calls: opening and closing, the clock, card statuses and
// numbers, the SAM's authentication, the online card update, the daily
// upload, and every PIN entry on the reader's keypad.
#include <cstdio>

#include "api.h"
#include "cshis.h"
#include "host.h"

namespace sim {
namespace {

// A card whose count is restored by the online update may be used this often.
constexpr int kRestoredVisits = 6;
// Wrong professional-card PINs in a row that lock the card.
constexpr int kHpcTriesBeforeLock = 3;

std::string today(const Session& s) { return s.clock().substr(0, layout::kDateSize); }

std::string gregorianNow() {
  std::tm t = host::localNow();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", (t.tm_year + 1900) % 10000,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

int cardStatus(Session& s, short cardType) {
  const Reader& r = s.reader();
  switch (cardType) {
    case 1: return r.sam ? r.sam->status : kStatusAbsent;
    case 2: return r.hc ? r.hc->status : kStatusAbsent;
    case 3: return r.hpc ? r.hpc->status : kStatusAbsent;
    default: return kBadArgument;
  }
}

int cardNumber(Session& s, short cardType, char* buf, short* len) {
  if (!buf || !len || cardType < 1 || cardType > 3) return kBadArgument;
  if (*len < layout::kCardNoSize) return kShortBuffer;
  const Reader& r = s.reader();
  std::string number;
  if (cardType == 1) {
    if (int c = samPresent(r)) return c;
    number = r.sam->samId;
  } else if (cardType == 2) {
    if (int c = hcPresent(r)) return c;
    number = r.hc->basic[layout::kBasic["cardNo"]];
  } else {
    if (int c = hpcPresent(r)) return c;
    number = r.hpc->cardNo;
  }
  put(buf, len, field(number, layout::kCardNoSize));
  return kOk;
}

int verifySam(Session& s) {
  if (!s.state().network) return kNoNetwork;
  Reader& r = s.reader();
  if (int c = samPresent(r)) return c;
  if (r.sam->status != kStatusAuthenticated) {
    r.sam->status = kStatusAuthenticated;
    s.save();
  }
  return kOk;
}

// One year after the date, 29 February becoming 28 February.
std::string yearAfter(const std::string& date) {
  std::string monthDay = date.substr(layout::kRocYearWidth);
  if (monthDay == "0229") monthDay = "0228";
  return digits(numberOf(date.substr(0, layout::kRocYearWidth)) + 1, layout::kRocYearWidth) +
         monthDay;
}

int updateCard(Session& s) {
  if (!s.state().network) return kNoNetwork;
  Reader& r = s.reader();
  if (int c = samReady(r)) return c;
  if (int c = hcReady(r)) return c;
  Record& basic = r.hc->basic;
  constexpr layout::Place kRemaining = layout::kBasic.at("remaining");
  constexpr layout::Place kValid = layout::kBasic.at("validUntil");
  if (isCancelled(*r.hc)) return kCancelledNoUpdate;
  basic[kRemaining.index] = digits(kRestoredVisits, kRemaining.width);
  std::string extended = yearAfter(today(s));
  if (field(basic[kValid.index], kValid.width) < extended) basic[kValid.index] = extended;
  s.save();
  return kOk;
}

int upload(Session& s, const char* fileName, const char* fileSize, const char* count, char* buf,
           short* len) {
  if (!fileName || !fileSize || !count || !buf || !len) return kBadArgument;
  if (*len < layout::kReceipt.size()) return kShortBuffer;
  if (!s.state().network) return kNoNetwork;
  const Reader& r = s.reader();
  if (int c = samReady(r)) return c;
  if (!host::isFile(host::hostPath(argumentBytes(fileName)))) return kNoUploadFile;
  Record receipt = emptyRecord(layout::kReceipt);
  receipt[layout::kReceipt["samId"]] = r.sam->samId;
  receipt[layout::kReceipt["institution"]] = r.sam->institution;
  receipt[layout::kReceipt["uploadTime"]] = s.state().uploadTime.value_or(gregorianNow());
  receipt[layout::kReceipt["receiveTime"]] = s.state().receiveTime.value_or(gregorianNow());
  put(buf, len, recordBytes(receipt, layout::kReceipt));
  return kOk;
}

// --- PINs. Every entry is taken from the keypad; an empty keypad is the
// person pressing cancel. A taken entry changes the state, so it is saved.

// Asks for the new PIN twice: 0 and the PIN, or the code.
int newPin(Session& s, std::string& pin) {
  std::optional<std::string> first = s.takeKeypadEntry();
  std::optional<std::string> second = first ? s.takeKeypadEntry() : std::nullopt;
  if (!second) return kPinEntryCancelled;
  if (*first != *second) return kNewPinsDiffer;
  pin = *first;
  return kOk;
}

// Asks for the health card's PIN: 0 when the entry matches, else the code.
int askHcPin(Session& s, const std::string& pin) {
  std::optional<std::string> entry = s.takeKeypadEntry();
  if (!entry) return kPinEntryCancelled;
  return *entry == pin ? kOk : kWrongHcPin;
}

int verifyHcPin(Session& s) {
  Reader& r = s.reader();
  if (int c = hcReady(r)) return c;
  if (r.hc->pin.empty()) return kOk;
  int code = askHcPin(s, r.hc->pin);
  if (code == kPinEntryCancelled) return code;
  if (code == kOk && (r.hc->status == kStatusAuthenticated || r.hc->status == kHcStatusWithHpc))
    r.hc->status = kHcStatusPinVerified;
  s.save();
  return code;
}

// A card with a PIN asks for it first, then for the new one twice.
int changeHcPin(Session& s) {
  Reader& r = s.reader();
  if (int c = hcReady(r)) return c;
  int code = r.hc->pin.empty() ? kOk : askHcPin(s, r.hc->pin);
  if (code == kPinEntryCancelled) return code;
  std::string pin;
  if (code == kOk) code = newPin(s, pin);
  if (code == kOk) r.hc->pin = pin;
  s.save();
  return code;
}

int disableHcPin(Session& s) {
  Reader& r = s.reader();
  if (int c = hcReady(r)) return c;
  if (r.hc->pin.empty()) return kOk;
  int code = askHcPin(s, r.hc->pin);
  if (code == kPinEntryCancelled) return code;
  if (code == kOk) r.hc->pin.clear();
  s.save();
  return code;
}

// A wrong professional-card PIN counts towards the lock.
int wrongHpcPin(ProfessionalCard& hpc) {
  if (++hpc.failures >= kHpcTriesBeforeLock) hpc.locked = true;
  return kWrongHpcPin;
}

int verifyHpcPin(Session& s) {
  Reader& r = s.reader();
  if (int c = hpcPresent(r)) return c;
  ProfessionalCard& hpc = *r.hpc;
  if (hpc.locked) return kHpcLocked;
  std::optional<std::string> entry = s.takeKeypadEntry();
  if (!entry) return kPinEntryCancelled;
  int code = kOk;
  if (*entry != hpc.pin) {
    code = wrongHpcPin(hpc);
  } else {
    hpc.failures = 0;
    hpc.status = kHpcStatusPinVerified;
  }
  s.save();
  return code;
}

int changeHpcPin(Session& s) {
  Reader& r = s.reader();
  if (int c = hpcPresent(r)) return c;
  ProfessionalCard& hpc = *r.hpc;
  if (hpc.locked) return kHpcLocked;
  std::optional<std::string> old = s.takeKeypadEntry();
  if (!old) return kPinEntryCancelled;
  int code = *old == hpc.pin ? kOk : wrongHpcPin(hpc);
  std::string pin;
  if (code == kOk) code = newPin(s, pin);
  if (code == kOk) {
    hpc.pin = pin;
    hpc.failures = 0;
  }
  s.save();
  return code;
}

int unlockHpc(Session& s) {
  Reader& r = s.reader();
  if (int c = hpcPresent(r)) return c;
  ProfessionalCard& hpc = *r.hpc;
  if (!hpc.locked) return kOk;
  std::optional<std::string> entry = s.takeKeypadEntry();
  if (!entry) return kPinEntryCancelled;
  int code = *entry == hpc.unlockCode.value_or(hpc.pin) ? kOk : kWrongHpcPin;
  if (code == kOk) {
    hpc.locked = false;
    hpc.failures = 0;
  }
  s.save();
  return code;
}

// Request 1: can the PIN be verified (1) or is the card locked (0).
// Request 2: has the PIN been verified (1) or not (0).
int hpcStatus(Session& s, int request, short* status) {
  if (!status || request < 1 || request > 2) return kBadArgument;
  const Reader& r = s.reader();
  if (int c = hpcPresent(r)) return c;
  bool yes = request == 1 ? !r.hpc->locked : r.hpc->status == kHpcStatusPinVerified;
  *status = yes ? 1 : 0;
  return kOk;
}

int hpcText(Session& s, std::string ProfessionalCard::*text, int width, char* buf, short* len) {
  if (!buf || !len) return kBadArgument;
  if (*len < width) return kShortBuffer;
  const Reader& r = s.reader();
  if (int c = hpcReady(r)) return c;
  put(buf, len, field((*r.hpc).*text, width));
  return kOk;
}

}  // namespace
}  // namespace sim

using namespace sim;

extern "C" int CSHIS_CALL csOpenCom(int port) {
  std::lock_guard<std::mutex> guard(callLock());
  Session& s = session();
  s.note().clear();
  int code;
  try {
    code = s.open(port);
  } catch (...) {
    s.close();
    code = kInternalError;
  }
  journalCall(s.paths().journal, "csOpenCom", {journal::number(port)}, code, s.note());
  return code;
}

extern "C" int CSHIS_CALL csCloseCom(void) {
  return api("csCloseCom", {}, [](Session& s) {
    s.close();
    return kOk;
  });
}

extern "C" int CSHIS_CALL csGetDateTime(char* buf, short* len) {
  return api("csGetDateTime", {journal::buffer(len)}, [&](Session& s) {
    if (!buf || !len) return kBadArgument;
    if (*len < layout::kClockSize) return kShortBuffer;
    put(buf, len, s.clock());
    return kOk;
  });
}

extern "C" int CSHIS_CALL hisGetCardStatus(short cardType) {
  return api("hisGetCardStatus", {journal::number(cardType)},
             [&](Session& s) { return cardStatus(s, cardType); });
}

extern "C" int CSHIS_CALL csGetCardNo(short cardType, char* buf, short* len) {
  return api("csGetCardNo", {journal::number(cardType), journal::buffer(len)},
             [&](Session& s) { return cardNumber(s, cardType, buf, len); });
}

extern "C" int CSHIS_CALL csVerifySAMDC(void) { return api("csVerifySAMDC", {}, verifySam); }

extern "C" int CSHIS_CALL csUpdateHCContents(void) {
  return api("csUpdateHCContents", {}, updateCard);
}

extern "C" int CSHIS_CALL csUpdateHCNoReset(void) { return api("csUpdateHCNoReset", {}, updateCard); }

extern "C" int CSHIS_CALL csUploadData(char* fileName, char* fileSize, char* count, char* buf,
                                       short* len) {
  return api("csUploadData",
             {journal::text(fileName), journal::text(fileSize), journal::text(count),
              journal::buffer(len)},
             [&](Session& s) { return upload(s, fileName, fileSize, count, buf, len); });
}

extern "C" int CSHIS_CALL csVerifyHCPIN(void) { return api("csVerifyHCPIN", {}, verifyHcPin); }
extern "C" int CSHIS_CALL csInputHCPIN(void) { return api("csInputHCPIN", {}, changeHcPin); }
extern "C" int CSHIS_CALL csISSetPIN(void) { return api("csISSetPIN", {}, changeHcPin); }
extern "C" int CSHIS_CALL csDisableHCPIN(void) { return api("csDisableHCPIN", {}, disableHcPin); }

extern "C" int CSHIS_CALL hpcGetHPCStatus(int request, short* status) {
  return api("hpcGetHPCStatus", {journal::number(request)},
             [&](Session& s) { return hpcStatus(s, request, status); });
}

extern "C" int CSHIS_CALL hpcVerifyHPCPIN(void) { return api("hpcVerifyHPCPIN", {}, verifyHpcPin); }
extern "C" int CSHIS_CALL hpcInputHPCPIN(void) { return api("hpcInputHPCPIN", {}, changeHpcPin); }
extern "C" int CSHIS_CALL hpcUnlockHPC(void) { return api("hpcUnlockHPC", {}, unlockHpc); }

extern "C" int CSHIS_CALL hpcGetHPCSN(char* buf, short* len) {
  return api("hpcGetHPCSN", {journal::buffer(len)}, [&](Session& s) {
    return hpcText(s, &ProfessionalCard::cardNo, layout::kCardNoSize, buf, len);
  });
}

extern "C" int CSHIS_CALL hpcGetHPCSSN(char* buf, short* len) {
  return api("hpcGetHPCSSN", {journal::buffer(len)}, [&](Session& s) {
    return hpcText(s, &ProfessionalCard::id, layout::kHpcIdSize, buf, len);
  });
}

extern "C" int CSHIS_CALL hpcGetHPCCNAME(char* buf, short* len) {
  return api("hpcGetHPCCNAME", {journal::buffer(len)}, [&](Session& s) {
    return hpcText(s, &ProfessionalCard::name, layout::kHpcNameSize, buf, len);
  });
}

extern "C" int CSHIS_CALL hpcGetHPCENAME(char* buf, short* len) {
  return api("hpcGetHPCENAME", {journal::buffer(len)}, [&](Session& s) {
    return hpcText(s, &ProfessionalCard::englishName, layout::kHpcNameSize, buf, len);
  });
}
