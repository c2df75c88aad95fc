// The card-control library as the program calls it.
//
// cshis.dll is loaded by name at start and every function is resolved by its
// undecorated name. The wrappers here keep the library's binary rules in one
// place: a text argument is its field followed by a terminating NUL, a reply
// buffer is at least as long as the length passed, a length travels in
// zero-filled 32-bit storage, and only the low 16 bits of a result count.
// A missing library or function is no crash: that call answers kNoLibrary or
// kNoFunction, which lands in lastStatus like any other code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card/cshis_abi.h"
#include "frame/reader.h"

struct Library;
struct System;

// Every function of the library; null where it could not be resolved. Tests
// fill one with functions of their own.
struct CardTable {
#define CSHIS_TABLE_ENTRY(name, params, args) cshis_##name##_fn name = nullptr;
  CSHIS_FUNCTIONS(CSHIS_TABLE_ENTRY)
#undef CSHIS_TABLE_ENTRY
};

// The three cards of the reader, as hisGetCardStatus numbers them.
enum class CardType : int16_t { Sam = 1, Health = 2, Professional = 3 };

class CardLib : public ReaderPort {
 public:
  static constexpr int16_t kNoLibrary = 48;   // the library could not be loaded
  static constexpr int16_t kNoFunction = 453;  // it has no function of that name

  CardLib() = default;  // no library: every call answers kNoLibrary
  CardLib(const CardTable& table, std::unique_ptr<Library> lib);
  ~CardLib();
  CardLib(CardLib&&) noexcept;
  CardLib& operator=(CardLib&&) noexcept;

  // Loads "cshis" through the platform and resolves every function.
  static CardLib load(System& sys);
  bool loaded() const { return loaded_; }
  // The file the library was loaded from; empty when none or unknown.
  std::string path() const;
  // The functions the loaded library lacks.
  std::vector<std::string> missingFunctions() const;

  // Every call below is virtual so that the run log can wrap the library
  // (card/cardlog.h) where it is loaded, whoever calls it.

  int16_t csOpenCom(int port) override;
  int16_t csCloseCom() override;
  virtual int16_t csGetDateTime(std::string& buf, int16_t& len);
  virtual int16_t csUpdateHCContents();
  virtual int16_t csVerifySAMDC();
  virtual int16_t csVerifyHCPIN();
  virtual int16_t csInputHCPIN();
  virtual int16_t csUnGetSeqNumber(const std::string& visitStamp);
  virtual int16_t csUploadData(const std::string& fileName, const std::string& fileSize,
                       const std::string& count, std::string& buf, int16_t& len);
  virtual int16_t hisGetCardStatus(CardType card);
  // The reads of the shape (buffer, length).
  virtual int16_t hisGetRegisterBasic(std::string& buf, int16_t& len);
  virtual int16_t hisGetRegisterPrevent(std::string& buf, int16_t& len);
  virtual int16_t hisGetRegisterPregnant(std::string& buf, int16_t& len);
  virtual int16_t hisGetTreatmentNoNeedHPC(std::string& buf, int16_t& len);
  virtual int16_t hisGetTreatmentNeedHPC(std::string& buf, int16_t& len);
  virtual int16_t hisGetCumulativeData(std::string& buf, int16_t& len);
  virtual int16_t hisGetCumulativeFee(std::string& buf, int16_t& len);
  virtual int16_t hisGetInoculateData(std::string& buf, int16_t& len);
  virtual int16_t hisGetOrganDonate(std::string& buf, int16_t& len);
  virtual int16_t hisGetEmergentTel(std::string& buf, int16_t& len);
  virtual int16_t hisGetLastSeqNum(std::string& buf, int16_t& len);
  virtual int16_t hisGetSeqNumber(const std::string& category, const std::string& newborn,
                          std::string& buf, int16_t& len);
  virtual int16_t hisGetSeqNumber256(const std::string& category, const std::string& newborn,
                             const std::string& makeUp, std::string& buf, int16_t& len);
  virtual int16_t hisReadPrescription(std::string& outpatient, int16_t& lenOutpatient,
                              std::string& longTerm, int16_t& lenLongTerm,
                              std::string& important, int16_t& lenImportant,
                              std::string& allergy, int16_t& lenAllergy);
  virtual int16_t hisWriteTreatmentCode(std::string& dateTime, std::string& id, std::string& birth,
                                std::string& data, std::string& docId);
  virtual int16_t hisWriteTreatmentFee(std::string& dateTime, std::string& id, std::string& birth,
                               std::string& data);
  virtual int16_t hisWritePrescriptionSign(std::string& dateTime, std::string& id, std::string& birth,
                                   std::string& data, std::string& signature, int16_t& len);
  virtual int16_t hisWriteAllergicMedicines(std::string& id, std::string& birth, std::string& data,
                                    std::string& docId);
  virtual int16_t hisWriteHealthInsurance(std::string& id, std::string& birth, std::string& item,
                                  std::string& itemCode);
  virtual int16_t hisWriteEmergentTel(std::string& id, std::string& birth, std::string& tel);
  virtual int16_t hpcGetHPCStatus(int request, int16_t& status);
  virtual int16_t hpcVerifyHPCPIN();
  virtual int16_t hpcInputHPCPIN();
  virtual int16_t hpcUnlockHPC();

 private:
  template <class F>
  int16_t ready(F f) const;
  CardTable t_{};
  std::unique_ptr<Library> lib_;
  bool loaded_ = false;
};

// A fixed-width argument field: the value followed by one NUL, blank-padded and
// cut to `width` bytes, so the library sees a NUL-terminated value of at most
// width - 1 bytes (or exactly `width` when the value fills the field).
std::string fixedField(const std::string& value, size_t width);
