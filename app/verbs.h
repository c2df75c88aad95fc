// The verb table of the start-up: which procedure one command line runs.
//
// Most verbs are found by containment (case-sensitive, anywhere in the command
// line), a few by equality or by prefix, and the order of the tests decides
// when a command line holds several verb texts: the earlier test wins.
#pragma once

#include <string>
#include <string_view>

enum class Verb {
  // Before the settings are read.
  VBbackup,       // "/VBbackup/" exactly: the backup window
  ReName,         // "/ReName/" prefix: copy a file and end
  UpdateOnly,     // the executable named "VEXA5xxxxxxx": refresh the card online
  NetworkDrive,   // "X:\\share": map a network drive
  // After the settings.
  Uploadheafa,    // "/Uploadheafa/": declaration window, adult health-check upload
  Office11,       // "/9900000011/": declaration window with the fixed institution
  ReportSample,   // empty or "/ReportSample/": the declaration window carries the run
  UploadMth,      // "/UploadMth/" exactly
  DownLoadCode,   // "/DownLoadCode/" exactly
  DownLoadProc,   // "/DownLoadProc/" exactly
  DataCase,       // "/DataCase/": the card-record viewer
  // The maintenance verbs, still before the reader is opened.
  OrvoPage,       // "/ORVO//"
  OrvoPublicPage, // "//ORVO/"
  WaitingForm,    // "/WaitingForm"
  ShellExecute,   // "/ShellExecute_"
  ReNameOrvomd,   // "//ReName_orvomd.exe"
  ReNameOrvo,     // "//ReName_orvo.exe"
  ReNameNoicname, // "//ReName_noicname"
  icZupRn,        // "/icZupRn"
  // The reader and card verbs, after the reader is opened.
  hisGetCardStatus,
  csVerifySAMDC,
  csVerifyHCPIN,
  csInputHCPIN,
  hpcInputHPCPIN,
  hpcUnlockHPC,
  csGetDateTime,
  LastTreatTime,
  DentalTreat,
  LoadAllData,
  RegisterPrevent,
  hisGetLastSeqNum,
  csUnGet,
  hisWriteAllergicMedicines,
  hisWriteHealthInsurance,
  hisWriteTreatmentCode,
  VerifyHPCPIN,
  UpdateHC,
  UpLoadData,
  WriteF2,
  hisWriteEmergentTel,  // then falls through to the card read when "/ReadF4" is there too
  ReadF4,               // "/ReadF4", or the development run of an executable named "vexa5"
  None,                 // nothing matched: the run ends quietly
};

// The verb the start-up runs for command line C under that executable name.
Verb matchVerb(std::string_view C, std::string_view exeName);

// True when the verb is tested after the reader is opened.
bool opensReader(Verb v);

// The verb's name as the command line spells it (for messages and tests).
const char* verbName(Verb v);

// The network-drive form: characters 2-4 of C, without blanks around, are ":\\".
bool isNetworkDrive(std::string_view C);
