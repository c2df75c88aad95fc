#include "card/cardlog.h"

#include "card/errors.h"
#include "frame/runlog.h"
#include "frame/vbtext.h"
#include "platform/platform.h"

namespace {

// A fixed-width field's value: up to its NUL, without trailing blanks.
std::string value(const std::string& field) {
  std::string v = field.substr(0, field.find('\0'));
  while (!v.empty() && v.back() == ' ') v.pop_back();
  return v;
}

std::string id(const std::string& field) { return runlog::maskId(value(field)); }
std::string bytes(const std::string& field) { return std::to_string(value(field).size()) + " bytes"; }
std::string len(int16_t l) { return "len " + std::to_string(l); }

}  // namespace

template <class F>
int16_t LoggedCardLib::logged(const char* name, const std::string& args, F call,
                              const std::string& out) {
  if (!log_.wanted()) return call();
  const int64_t start = log_.clock().steadyMs();
  const int16_t code = call();
  const int64_t ms = log_.clock().steadyMs() - start;
  const std::string text = codeText(code);
  log_.line("call", std::string(name) + "(" + args + ") = " + std::to_string(code) +
                        (text.empty() ? "" : " " + text) + (out.empty() ? "" : ", " + out) +
                        ", " + std::to_string(ms) + " ms");
  return code;
}

#define CARD_LOGGED(name, args, call) logged(#name, args, [&] { return CardLib::call; })

int16_t LoggedCardLib::csOpenCom(int port) {
  return CARD_LOGGED(csOpenCom, "port " + std::to_string(port) + " = COM" + std::to_string(port + 1),
                     csOpenCom(port));
}
int16_t LoggedCardLib::csCloseCom() { return CARD_LOGGED(csCloseCom, "", csCloseCom()); }
int16_t LoggedCardLib::csUpdateHCContents() {
  return CARD_LOGGED(csUpdateHCContents, "", csUpdateHCContents());
}
int16_t LoggedCardLib::csVerifySAMDC() { return CARD_LOGGED(csVerifySAMDC, "", csVerifySAMDC()); }
int16_t LoggedCardLib::csVerifyHCPIN() { return CARD_LOGGED(csVerifyHCPIN, "", csVerifyHCPIN()); }
int16_t LoggedCardLib::csInputHCPIN() { return CARD_LOGGED(csInputHCPIN, "", csInputHCPIN()); }
int16_t LoggedCardLib::hpcVerifyHPCPIN() { return CARD_LOGGED(hpcVerifyHPCPIN, "", hpcVerifyHPCPIN()); }
int16_t LoggedCardLib::hpcInputHPCPIN() { return CARD_LOGGED(hpcInputHPCPIN, "", hpcInputHPCPIN()); }
int16_t LoggedCardLib::hpcUnlockHPC() { return CARD_LOGGED(hpcUnlockHPC, "", hpcUnlockHPC()); }

int16_t LoggedCardLib::hisGetCardStatus(CardType card) {
  if (!log_.wanted()) return CardLib::hisGetCardStatus(card);
  const int64_t start = log_.clock().steadyMs();
  const int16_t status = CardLib::hisGetCardStatus(card);
  const int64_t ms = log_.clock().steadyMs() - start;
  // The answer is the card's state, not a failure code.
  log_.line("call", "hisGetCardStatus(" + std::to_string(static_cast<int>(card)) + ") = " +
                        std::to_string(status) + " " + vbTrim(runlog::oneLine(statusWord(card, status))) +
                        ", " + std::to_string(ms) + " ms");
  return status;
}

int16_t LoggedCardLib::csUnGetSeqNumber(const std::string& visitStamp) {
  return CARD_LOGGED(csUnGetSeqNumber, value(visitStamp), csUnGetSeqNumber(visitStamp));
}

int16_t LoggedCardLib::csUploadData(const std::string& fileName, const std::string& fileSize,
                                    const std::string& count, std::string& buf, int16_t& l) {
  return logged("csUploadData",
                value(fileName) + ", size " + value(fileSize) + ", count " + value(count) + ", " + len(l),
                [&] { return CardLib::csUploadData(fileName, fileSize, count, buf, l); });
}

int16_t LoggedCardLib::hpcGetHPCStatus(int request, int16_t& status) {
  const int16_t code = logged("hpcGetHPCStatus", std::to_string(request),
                              [&] { return CardLib::hpcGetHPCStatus(request, status); });
  return code;
}

// The reads: the reply holds the card's data, so only its length is written.
#define LOGGED_READ(name)                                                               \
  int16_t LoggedCardLib::name(std::string& buf, int16_t& l) {                          \
    const std::string asked = len(l);                                                   \
    return logged(#name, asked, [&] { return CardLib::name(buf, l); });                 \
  }
LOGGED_READ(csGetDateTime)
LOGGED_READ(hisGetRegisterBasic)
LOGGED_READ(hisGetRegisterPrevent)
LOGGED_READ(hisGetRegisterPregnant)
LOGGED_READ(hisGetTreatmentNoNeedHPC)
LOGGED_READ(hisGetTreatmentNeedHPC)
LOGGED_READ(hisGetCumulativeData)
LOGGED_READ(hisGetCumulativeFee)
LOGGED_READ(hisGetInoculateData)
LOGGED_READ(hisGetOrganDonate)
LOGGED_READ(hisGetEmergentTel)
LOGGED_READ(hisGetLastSeqNum)
#undef LOGGED_READ

int16_t LoggedCardLib::hisGetSeqNumber(const std::string& category, const std::string& newborn,
                                       std::string& buf, int16_t& l) {
  return logged("hisGetSeqNumber",
                "category " + value(category) + ", newborn " + value(newborn) + ", " + len(l),
                [&] { return CardLib::hisGetSeqNumber(category, newborn, buf, l); });
}
int16_t LoggedCardLib::hisGetSeqNumber256(const std::string& category, const std::string& newborn,
                                          const std::string& makeUp, std::string& buf, int16_t& l) {
  return logged("hisGetSeqNumber256",
                "category " + value(category) + ", newborn " + value(newborn) + ", make-up " +
                    value(makeUp) + ", " + len(l),
                [&] { return CardLib::hisGetSeqNumber256(category, newborn, makeUp, buf, l); });
}
int16_t LoggedCardLib::hisReadPrescription(std::string& o, int16_t& lo, std::string& t, int16_t& lt,
                                           std::string& i, int16_t& li, std::string& a,
                                           int16_t& la) {
  return logged("hisReadPrescription",
                len(lo) + ", " + len(lt) + ", " + len(li) + ", " + len(la),
                [&] { return CardLib::hisReadPrescription(o, lo, t, lt, i, li, a, la); });
}
int16_t LoggedCardLib::hisWriteTreatmentCode(std::string& dateTime, std::string& pid,
                                             std::string& birth, std::string& data,
                                             std::string& docId) {
  return logged("hisWriteTreatmentCode",
                value(dateTime) + ", " + id(pid) + ", birth *, data " + bytes(data) + ", " + id(docId),
                [&] { return CardLib::hisWriteTreatmentCode(dateTime, pid, birth, data, docId); });
}
int16_t LoggedCardLib::hisWriteTreatmentFee(std::string& dateTime, std::string& pid,
                                            std::string& birth, std::string& data) {
  return logged("hisWriteTreatmentFee",
                value(dateTime) + ", " + id(pid) + ", birth *, data " + bytes(data),
                [&] { return CardLib::hisWriteTreatmentFee(dateTime, pid, birth, data); });
}
int16_t LoggedCardLib::hisWritePrescriptionSign(std::string& dateTime, std::string& pid,
                                                std::string& birth, std::string& data,
                                                std::string& signature, int16_t& l) {
  // The signature the card gives back is never written.
  return logged("hisWritePrescriptionSign",
                value(dateTime) + ", " + id(pid) + ", birth *, data " + bytes(data) + ", " + len(l),
                [&] {
                  return CardLib::hisWritePrescriptionSign(dateTime, pid, birth, data, signature, l);
                });
}
int16_t LoggedCardLib::hisWriteAllergicMedicines(std::string& pid, std::string& birth,
                                                 std::string& data, std::string& docId) {
  return logged("hisWriteAllergicMedicines",
                id(pid) + ", birth *, data " + bytes(data) + ", " + id(docId),
                [&] { return CardLib::hisWriteAllergicMedicines(pid, birth, data, docId); });
}
int16_t LoggedCardLib::hisWriteHealthInsurance(std::string& pid, std::string& birth,
                                               std::string& item, std::string& itemCode) {
  return logged("hisWriteHealthInsurance",
                id(pid) + ", birth *, item " + value(item) + ", code " + value(itemCode),
                [&] { return CardLib::hisWriteHealthInsurance(pid, birth, item, itemCode); });
}
int16_t LoggedCardLib::hisWriteEmergentTel(std::string& pid, std::string& birth, std::string& tel) {
  return logged("hisWriteEmergentTel", id(pid) + ", birth *, telephone " + bytes(tel),
                [&] { return CardLib::hisWriteEmergentTel(pid, birth, tel); });
}

LoggedCardLib loadLoggedCardLib(System& sys, RunLog& log) {
  CardLib lib = CardLib::load(sys);
  try {
    if (!lib.loaded()) {
      log.line("library", "card library NOT loaded: " + sys.lastLoadError() +
                              " (every card call answers " + std::to_string(CardLib::kNoLibrary) + ")");
    } else {
      const std::string path = lib.path();
      log.line("library", "card library loaded from " + (path.empty() ? std::string("?") : path));
      std::string missing;
      for (const std::string& f : lib.missingFunctions()) missing += (missing.empty() ? "" : ", ") + f;
      if (!missing.empty())
        log.line("library", "card library lacks " + missing + " (that call answers " +
                                std::to_string(CardLib::kNoFunction) + ")");
    }
  } catch (...) {
  }
  return LoggedCardLib(std::move(lib), log);
}
