#include "card/cardlib.h"

#include <vector>

#include "platform/platform.h"

namespace {

int16_t low16(int r) { return static_cast<int16_t>(static_cast<uint16_t>(r & 0xFFFF)); }

// A text argument or reply buffer handed to the library: the caller's bytes,
// blank-extended to at least `min` bytes, and a terminating NUL the library may
// rely on; copied back into the caller's text when the call is over.
class Arg {
 public:
  Arg(std::string& s, size_t min = 0) : s_(&s), v_(s.begin(), s.end()) {
    if (v_.size() < min) v_.resize(min, ' ');
    v_.push_back('\0');
  }
  explicit Arg(const std::string& s) : v_(s.begin(), s.end()) { v_.push_back('\0'); }
  ~Arg() {
    if (s_) std::copy(v_.begin(), v_.begin() + static_cast<std::ptrdiff_t>(s_->size()), s_->begin());
  }
  Arg(const Arg&) = delete;
  Arg& operator=(const Arg&) = delete;
  char* p() { return v_.data(); }

 private:
  std::string* s_ = nullptr;
  std::vector<char> v_;
};

// A length by reference, in 32-bit zero-filled storage.
class Len {
 public:
  explicit Len(int16_t& l) : l_(l), store_(static_cast<uint16_t>(l)) {}
  ~Len() { l_ = low16(store_); }
  Len(const Len&) = delete;
  Len& operator=(const Len&) = delete;
  short* p() { return reinterpret_cast<short*>(&store_); }
  size_t size() const { return static_cast<uint16_t>(l_); }

 private:
  int16_t& l_;
  int32_t store_;
};

}  // namespace

CardLib::CardLib(const CardTable& table, std::unique_ptr<Library> lib)
    : t_(table), lib_(std::move(lib)), loaded_(true) {}
CardLib::~CardLib() = default;
CardLib::CardLib(CardLib&&) noexcept = default;
CardLib& CardLib::operator=(CardLib&&) noexcept = default;

CardLib CardLib::load(System& sys) {
  std::unique_ptr<Library> lib = sys.loadLibrary("cshis");
  if (!lib) return CardLib();
  CardTable t;
#define CSHIS_RESOLVE(name, params, args) \
  t.name = reinterpret_cast<cshis_##name##_fn>(lib->function(#name));
  CSHIS_FUNCTIONS(CSHIS_RESOLVE)
#undef CSHIS_RESOLVE
  return CardLib(t, std::move(lib));
}

std::string CardLib::path() const { return lib_ ? lib_->path() : std::string(); }

std::vector<std::string> CardLib::missingFunctions() const {
  std::vector<std::string> names;
  if (!loaded_) return names;
#define CSHIS_MISSING(name, params, args) \
  if (!t_.name) names.push_back(#name);
  CSHIS_FUNCTIONS(CSHIS_MISSING)
#undef CSHIS_MISSING
  return names;
}

template <class F>
int16_t CardLib::ready(F f) const {
  if (!loaded_) return kNoLibrary;
  if (!f) return kNoFunction;
  return 0;
}

#define CARD_READY(fn)                       \
  if (int16_t r = ready(t_.fn); r != 0) return r;

int16_t CardLib::csOpenCom(int port) {
  CARD_READY(csOpenCom);
  return low16(t_.csOpenCom(port));
}
int16_t CardLib::csCloseCom() {
  CARD_READY(csCloseCom);
  return low16(t_.csCloseCom());
}
int16_t CardLib::csUpdateHCContents() {
  CARD_READY(csUpdateHCContents);
  return low16(t_.csUpdateHCContents());
}
int16_t CardLib::csVerifySAMDC() {
  CARD_READY(csVerifySAMDC);
  return low16(t_.csVerifySAMDC());
}
int16_t CardLib::csVerifyHCPIN() {
  CARD_READY(csVerifyHCPIN);
  return low16(t_.csVerifyHCPIN());
}
int16_t CardLib::csInputHCPIN() {
  CARD_READY(csInputHCPIN);
  return low16(t_.csInputHCPIN());
}
int16_t CardLib::hpcVerifyHPCPIN() {
  CARD_READY(hpcVerifyHPCPIN);
  return low16(t_.hpcVerifyHPCPIN());
}
int16_t CardLib::hpcInputHPCPIN() {
  CARD_READY(hpcInputHPCPIN);
  return low16(t_.hpcInputHPCPIN());
}
int16_t CardLib::hpcUnlockHPC() {
  CARD_READY(hpcUnlockHPC);
  return low16(t_.hpcUnlockHPC());
}
int16_t CardLib::hisGetCardStatus(CardType card) {
  CARD_READY(hisGetCardStatus);
  return low16(t_.hisGetCardStatus(static_cast<int16_t>(card)));
}
int16_t CardLib::csUnGetSeqNumber(const std::string& visitStamp) {
  CARD_READY(csUnGetSeqNumber);
  Arg a(visitStamp);
  return low16(t_.csUnGetSeqNumber(a.p()));
}
int16_t CardLib::csUploadData(const std::string& fileName, const std::string& fileSize,
                              const std::string& count, std::string& buf, int16_t& len) {
  CARD_READY(csUploadData);
  Arg f(fileName), s(fileSize), c(count);
  Len l(len);
  Arg b(buf, l.size());
  return low16(t_.csUploadData(f.p(), s.p(), c.p(), b.p(), l.p()));
}
int16_t CardLib::hpcGetHPCStatus(int request, int16_t& status) {
  CARD_READY(hpcGetHPCStatus);
  Len s(status);
  return low16(t_.hpcGetHPCStatus(request, s.p()));
}

#define CARD_READ(name)                                        \
  int16_t CardLib::name(std::string& buf, int16_t& len) {      \
    CARD_READY(name);                                          \
    Len l(len);                                                \
    Arg b(buf, l.size());                                      \
    return low16(t_.name(b.p(), l.p()));                       \
  }
CARD_READ(csGetDateTime)
CARD_READ(hisGetRegisterBasic)
CARD_READ(hisGetRegisterPrevent)
CARD_READ(hisGetRegisterPregnant)
CARD_READ(hisGetTreatmentNoNeedHPC)
CARD_READ(hisGetTreatmentNeedHPC)
CARD_READ(hisGetCumulativeData)
CARD_READ(hisGetCumulativeFee)
CARD_READ(hisGetInoculateData)
CARD_READ(hisGetOrganDonate)
CARD_READ(hisGetEmergentTel)
CARD_READ(hisGetLastSeqNum)
#undef CARD_READ

int16_t CardLib::hisGetSeqNumber(const std::string& category, const std::string& newborn,
                                 std::string& buf, int16_t& len) {
  CARD_READY(hisGetSeqNumber);
  Arg c(category), n(newborn);
  Len l(len);
  Arg b(buf, l.size());
  return low16(t_.hisGetSeqNumber(c.p(), n.p(), b.p(), l.p()));
}
int16_t CardLib::hisGetSeqNumber256(const std::string& category, const std::string& newborn,
                                    const std::string& makeUp, std::string& buf, int16_t& len) {
  CARD_READY(hisGetSeqNumber256);
  Arg c(category), n(newborn), m(makeUp);
  Len l(len);
  Arg b(buf, l.size());
  return low16(t_.hisGetSeqNumber256(c.p(), n.p(), m.p(), b.p(), l.p()));
}
int16_t CardLib::hisReadPrescription(std::string& outpatient, int16_t& lenOutpatient,
                                     std::string& longTerm, int16_t& lenLongTerm,
                                     std::string& important, int16_t& lenImportant,
                                     std::string& allergy, int16_t& lenAllergy) {
  CARD_READY(hisReadPrescription);
  Len l1(lenOutpatient), l2(lenLongTerm), l3(lenImportant), l4(lenAllergy);
  Arg b1(outpatient, l1.size()), b2(longTerm, l2.size()), b3(important, l3.size()),
      b4(allergy, l4.size());
  return low16(t_.hisReadPrescription(b1.p(), l1.p(), b2.p(), l2.p(), b3.p(), l3.p(), b4.p(),
                                      l4.p()));
}
int16_t CardLib::hisWriteTreatmentCode(std::string& dateTime, std::string& id, std::string& birth,
                                       std::string& data, std::string& docId) {
  CARD_READY(hisWriteTreatmentCode);
  Arg a(dateTime), b(id), c(birth), d(data), e(docId);
  return low16(t_.hisWriteTreatmentCode(a.p(), b.p(), c.p(), d.p(), e.p()));
}
int16_t CardLib::hisWriteTreatmentFee(std::string& dateTime, std::string& id, std::string& birth,
                                      std::string& data) {
  CARD_READY(hisWriteTreatmentFee);
  Arg a(dateTime), b(id), c(birth), d(data);
  return low16(t_.hisWriteTreatmentFee(a.p(), b.p(), c.p(), d.p()));
}
int16_t CardLib::hisWritePrescriptionSign(std::string& dateTime, std::string& id,
                                          std::string& birth, std::string& data,
                                          std::string& signature, int16_t& len) {
  CARD_READY(hisWritePrescriptionSign);
  Arg a(dateTime), b(id), c(birth), d(data);
  Len l(len);
  Arg s(signature, l.size());
  return low16(t_.hisWritePrescriptionSign(a.p(), b.p(), c.p(), d.p(), s.p(), l.p()));
}
int16_t CardLib::hisWriteAllergicMedicines(std::string& id, std::string& birth, std::string& data,
                                           std::string& docId) {
  CARD_READY(hisWriteAllergicMedicines);
  Arg a(id), b(birth), c(data), d(docId);
  return low16(t_.hisWriteAllergicMedicines(a.p(), b.p(), c.p(), d.p()));
}
int16_t CardLib::hisWriteHealthInsurance(std::string& id, std::string& birth, std::string& item,
                                         std::string& itemCode) {
  CARD_READY(hisWriteHealthInsurance);
  Arg a(id), b(birth), c(item), d(itemCode);
  return low16(t_.hisWriteHealthInsurance(a.p(), b.p(), c.p(), d.p()));
}
int16_t CardLib::hisWriteEmergentTel(std::string& id, std::string& birth, std::string& tel) {
  CARD_READY(hisWriteEmergentTel);
  Arg a(id), b(birth), c(tel);
  return low16(t_.hisWriteEmergentTel(a.p(), b.p(), c.p()));
}

std::string fixedField(const std::string& value, size_t width) {
  std::string f = value;
  f += '\0';
  f.resize(width, ' ');
  return f;
}
