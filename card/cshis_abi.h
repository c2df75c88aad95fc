// The binary interface of the insurer's card-control library cshis.dll.
//
// Shared by the program's loader (card/cardlib) and the simulated reader in
// sim/cshis, so that both agree on every name and signature. The program never
// links against the library: it loads it by name and resolves each function by
// its undecorated name. On 32-bit Windows every function is __stdcall.
#pragma once

#if defined(_WIN32)
#define CSHIS_CALL __stdcall
#else
#define CSHIS_CALL
#endif

// X(name, parameter list, argument names) for every function of the library.
#define CSHIS_FUNCTIONS(X)                                                                   \
  X(csOpenCom, (int port), (port))                                                           \
  X(csCloseCom, (void), ())                                                                  \
  X(csGetDateTime, (char* buf, short* len), (buf, len))                                      \
  X(csUpdateHCContents, (void), ())                                                          \
  X(csVerifySAMDC, (void), ())                                                               \
  X(csVerifyHCPIN, (void), ())                                                               \
  X(csInputHCPIN, (void), ())                                                                \
  X(csDisableHCPIN, (void), ())                                                              \
  X(csISSetPIN, (void), ())                                                                  \
  X(csUpdateHCNoReset, (void), ())                                                           \
  X(csUnGetSeqNumber, (char* visitStamp), (visitStamp))                                      \
  X(csGetCardNo, (short cardType, char* buf, short* len), (cardType, buf, len))              \
  X(csUploadData, (char* fileName, char* fileSize, char* count, char* buf, short* len),      \
    (fileName, fileSize, count, buf, len))                                                   \
  X(hisGetCardStatus, (short cardType), (cardType))                                          \
  X(hisGetBasicData, (char* buf, short* len), (buf, len))                                    \
  X(hisGetRegisterBasic, (char* buf, short* len), (buf, len))                                \
  X(hisGetRegisterBasic2, (char* buf, short* len), (buf, len))                               \
  X(hisGetRegisterPrevent, (char* buf, short* len), (buf, len))                              \
  X(hisGetRegisterPregnant, (char* buf, short* len), (buf, len))                             \
  X(hisGetTreatmentNoNeedHPC, (char* buf, short* len), (buf, len))                           \
  X(hisGetTreatmentNeedHPC, (char* buf, short* len), (buf, len))                             \
  X(hisGetCumulativeData, (char* buf, short* len), (buf, len))                               \
  X(hisGetCumulativeFee, (char* buf, short* len), (buf, len))                                \
  X(hisGetInoculateData, (char* buf, short* len), (buf, len))                                \
  X(hisGetOrganDonate, (char* buf, short* len), (buf, len))                                  \
  X(hisGetEmergentTel, (char* buf, short* len), (buf, len))                                  \
  X(hisGetLastSeqNum, (char* buf, short* len), (buf, len))                                   \
  X(hisGetCriticalIllness, (char* buf, short* len), (buf, len))                              \
  X(hisGetSeqNumber, (char* category, char* newborn, char* buf, short* len),                 \
    (category, newborn, buf, len))                                                           \
  X(hisGetSeqNumber256, (char* category, char* newborn, char* makeUp, char* buf, short* len), \
    (category, newborn, makeUp, buf, len))                                                   \
  X(hisReadPrescription,                                                                     \
    (char* outpatient, short* lenOutpatient, char* longTerm, short* lenLongTerm,             \
     char* important, short* lenImportant, char* allergy, short* lenAllergy),                \
    (outpatient, lenOutpatient, longTerm, lenLongTerm, important, lenImportant, allergy,     \
     lenAllergy))                                                                            \
  X(hisReadPrescriptMain, (char* buf, short* len, short start, short end, short* count),     \
    (buf, len, start, end, count))                                                           \
  X(hisReadPrescriptLongTerm, (char* buf, short* len, short start, short end, short* count), \
    (buf, len, start, end, count))                                                           \
  X(hisReadPrescriptHVE, (char* buf, short* len, short start, short end, short* count),      \
    (buf, len, start, end, count))                                                           \
  X(hisReadPrescriptAllergic, (char* buf, short* len, short start, short end, short* count), \
    (buf, len, start, end, count))                                                           \
  X(hisWriteTreatmentCode, (char* dateTime, char* id, char* birth, char* data, char* docId), \
    (dateTime, id, birth, data, docId))                                                      \
  X(hisWriteTreatmentFee, (char* dateTime, char* id, char* birth, char* data),               \
    (dateTime, id, birth, data))                                                             \
  X(hisWritePrescription, (char* dateTime, char* id, char* birth, char* data),               \
    (dateTime, id, birth, data))                                                             \
  X(hisWritePrescriptionSign,                                                                \
    (char* dateTime, char* id, char* birth, char* data, char* signature, short* len),        \
    (dateTime, id, birth, data, signature, len))                                             \
  X(hisWriteMultiPrescript, (char* dateTime, char* id, char* birth, char* data, short* count), \
    (dateTime, id, birth, data, count))                                                      \
  X(hisWriteMultiPrescriptSign,                                                              \
    (char* dateTime, char* id, char* birth, char* data, short* count, char* signature,       \
     short* len),                                                                            \
    (dateTime, id, birth, data, count, signature, len))                                      \
  X(hisWriteAllergicMedicines, (char* id, char* birth, char* data, char* docId),             \
    (id, birth, data, docId))                                                                \
  X(hisWriteAllergicNum, (char* id, char* birth, char* data, char* docId, short slot),       \
    (id, birth, data, docId, slot))                                                          \
  X(hisWriteHealthInsurance, (char* id, char* birth, char* item, char* itemCode),            \
    (id, birth, item, itemCode))                                                             \
  X(hisWriteEmergentTel, (char* id, char* birth, char* tel), (id, birth, tel))               \
  X(hisWriteNewBorn, (char* id, char* birth, char* newbornDate, char* twinMark),             \
    (id, birth, newbornDate, twinMark))                                                      \
  X(hisWriteOrganDonate, (char* id, char* birth, char* mark), (id, birth, mark))             \
  X(hisWritePredeliveryCheckup, (char* id, char* birth, char* code), (id, birth, code))      \
  X(hisDeletePredeliveryData, (char* id, char* birth), (id, birth))                          \
  X(hisWriteInoculateData, (char* id, char* birth, char* item, char* batch),                 \
    (id, birth, item, batch))                                                                \
  X(hpcGetHPCStatus, (int request, short* status), (request, status))                        \
  X(hpcVerifyHPCPIN, (void), ())                                                             \
  X(hpcInputHPCPIN, (void), ())                                                              \
  X(hpcUnlockHPC, (void), ())                                                                \
  X(hpcGetHPCSN, (char* buf, short* len), (buf, len))                                        \
  X(hpcGetHPCSSN, (char* buf, short* len), (buf, len))                                       \
  X(hpcGetHPCCNAME, (char* buf, short* len), (buf, len))                                     \
  X(hpcGetHPCENAME, (char* buf, short* len), (buf, len))

// Pointer types, one per function: cshis_csOpenCom_fn and so on.
#define CSHIS_DECLARE_POINTER(name, params, args) typedef int(CSHIS_CALL* cshis_##name##_fn) params;
CSHIS_FUNCTIONS(CSHIS_DECLARE_POINTER)
#undef CSHIS_DECLARE_POINTER
