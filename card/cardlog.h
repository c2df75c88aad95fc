// The card library as the run log sees it: every call with its arguments
// (identity numbers masked; birth dates, telephone numbers, PINs and
// signatures never written), its code with the code's text and how long it
// took. Wraps the library where it is loaded, so no caller knows of it.
#pragma once

#include "card/cardlib.h"

class RunLog;
struct System;

class LoggedCardLib : public CardLib {
 public:
  LoggedCardLib(CardLib&& lib, RunLog& log) : CardLib(std::move(lib)), log_(log) {}

  int16_t csOpenCom(int port) override;
  int16_t csCloseCom() override;
  int16_t csGetDateTime(std::string& buf, int16_t& len) override;
  int16_t csUpdateHCContents() override;
  int16_t csVerifySAMDC() override;
  int16_t csVerifyHCPIN() override;
  int16_t csInputHCPIN() override;
  int16_t csUnGetSeqNumber(const std::string& visitStamp) override;
  int16_t csUploadData(const std::string& fileName, const std::string& fileSize,
                       const std::string& count, std::string& buf, int16_t& len) override;
  int16_t hisGetCardStatus(CardType card) override;
  int16_t hisGetRegisterBasic(std::string& buf, int16_t& len) override;
  int16_t hisGetRegisterPrevent(std::string& buf, int16_t& len) override;
  int16_t hisGetRegisterPregnant(std::string& buf, int16_t& len) override;
  int16_t hisGetTreatmentNoNeedHPC(std::string& buf, int16_t& len) override;
  int16_t hisGetTreatmentNeedHPC(std::string& buf, int16_t& len) override;
  int16_t hisGetCumulativeData(std::string& buf, int16_t& len) override;
  int16_t hisGetCumulativeFee(std::string& buf, int16_t& len) override;
  int16_t hisGetInoculateData(std::string& buf, int16_t& len) override;
  int16_t hisGetOrganDonate(std::string& buf, int16_t& len) override;
  int16_t hisGetEmergentTel(std::string& buf, int16_t& len) override;
  int16_t hisGetLastSeqNum(std::string& buf, int16_t& len) override;
  int16_t hisGetSeqNumber(const std::string& category, const std::string& newborn,
                          std::string& buf, int16_t& len) override;
  int16_t hisGetSeqNumber256(const std::string& category, const std::string& newborn,
                             const std::string& makeUp, std::string& buf, int16_t& len) override;
  int16_t hisReadPrescription(std::string& outpatient, int16_t& lenOutpatient,
                              std::string& longTerm, int16_t& lenLongTerm,
                              std::string& important, int16_t& lenImportant,
                              std::string& allergy, int16_t& lenAllergy) override;
  int16_t hisWriteTreatmentCode(std::string& dateTime, std::string& id, std::string& birth,
                                std::string& data, std::string& docId) override;
  int16_t hisWriteTreatmentFee(std::string& dateTime, std::string& id, std::string& birth,
                               std::string& data) override;
  int16_t hisWritePrescriptionSign(std::string& dateTime, std::string& id, std::string& birth,
                                   std::string& data, std::string& signature,
                                   int16_t& len) override;
  int16_t hisWriteAllergicMedicines(std::string& id, std::string& birth, std::string& data,
                                    std::string& docId) override;
  int16_t hisWriteHealthInsurance(std::string& id, std::string& birth, std::string& item,
                                  std::string& itemCode) override;
  int16_t hisWriteEmergentTel(std::string& id, std::string& birth, std::string& tel) override;
  int16_t hpcGetHPCStatus(int request, int16_t& status) override;
  int16_t hpcVerifyHPCPIN() override;
  int16_t hpcInputHPCPIN() override;
  int16_t hpcUnlockHPC() override;

 private:
  template <class F>
  int16_t logged(const char* name, const std::string& args, F call, const std::string& out = {});
  RunLog& log_;
};

// Loads the card library as CardLib::load does and writes to the log where
// it came from, or why it could not be loaded, and the functions it lacks.
LoggedCardLib loadLoggedCardLib(System& sys, RunLog& log);
