#include "app/verbs.h"

#include <iterator>
#include <utility>

#include "frame/vbtext.h"

namespace {


struct Contained {
  const char* text;
  Verb verb;
};

// Maintenance verbs, in the order they are tested.
constexpr Contained kMaintenance[] = {
    {"/ORVO//", Verb::OrvoPage},
    {"//ORVO/", Verb::OrvoPublicPage},
    {"/WaitingForm", Verb::WaitingForm},
    {"/ShellExecute_", Verb::ShellExecute},
    {"//ReName_orvomd.exe", Verb::ReNameOrvomd},
    {"//ReName_orvo.exe", Verb::ReNameOrvo},
    {"//ReName_noicname", Verb::ReNameNoicname},
    {"/icZupRn", Verb::icZupRn},
};

// Reader and card verbs, in the order they are tested once the reader is open.
constexpr Contained kCard[] = {
    {"/hisGetCardStatus", Verb::hisGetCardStatus},
    {"/csVerifySAMDC", Verb::csVerifySAMDC},
    {"/csVerifyHCPIN", Verb::csVerifyHCPIN},
    {"/csInputHCPIN", Verb::csInputHCPIN},
    {"/hpcInputHPCPIN", Verb::hpcInputHPCPIN},
    {"/hpcUnlockHPC", Verb::hpcUnlockHPC},
    {"/csGetDateTime", Verb::csGetDateTime},
    {"/LastTreatTime", Verb::LastTreatTime},
    {"/DentalTreat", Verb::DentalTreat},
    {"/LoadAllData", Verb::LoadAllData},
    {"/RegisterPrevent", Verb::RegisterPrevent},
    {"/hisGetLastSeqNum", Verb::hisGetLastSeqNum},
    {"/csUnGet", Verb::csUnGet},
    {"/hisWriteAllergicMedicines", Verb::hisWriteAllergicMedicines},
    {"/hisWriteHealthInsurance", Verb::hisWriteHealthInsurance},
    {"/hisWriteTreatmentCode", Verb::hisWriteTreatmentCode},
    {"/VerifyHPCPIN", Verb::VerifyHPCPIN},
    {"/UpdateHC", Verb::UpdateHC},
    {"/UpLoadData", Verb::UpLoadData},
    {"/WriteF2", Verb::WriteF2},
    {"/hisWriteEmergentTel", Verb::hisWriteEmergentTel},
    {"/ReadF4", Verb::ReadF4},
};

}  // namespace

bool isNetworkDrive(std::string_view C) { return vbTrim(vbMid(C, 2, 3)) == ":\\\\"; }

Verb matchVerb(std::string_view C, std::string_view exeName) {
  if (C == "/VBbackup/") return Verb::VBbackup;
  if (C.substr(0, 8) == "/ReName/") return Verb::ReName;
  // "___/ReportSample/" shows the declaration window and goes on; nothing below
  // matches it, so it ends as an unrecognised command line would.
  if (exeName == "VEXA5xxxxxxx") return Verb::UpdateOnly;
  if (isNetworkDrive(C)) return Verb::NetworkDrive;
  if (has(C, "/Uploadheafa/")) return Verb::Uploadheafa;
  if (has(C, "/9900000011/")) return Verb::Office11;
  if (C.empty() || C == "/ReportSample/") return Verb::ReportSample;
  if (C == "/UploadMth/") return Verb::UploadMth;
  if (C == "/DownLoadCode/") return Verb::DownLoadCode;
  if (C == "/DownLoadProc/") return Verb::DownLoadProc;
  if (has(C, "/DataCase/")) return Verb::DataCase;
  for (const Contained& m : kMaintenance)
    if (has(C, m.text)) return m.verb;
  for (const Contained& m : kCard)
    if (has(C, m.text)) return m.verb;
  if (exeName == "vexa5") return Verb::ReadF4;
  return Verb::None;
}

bool opensReader(Verb v) { return v >= Verb::hisGetCardStatus; }

const char* verbName(Verb v) {
  switch (v) {
    case Verb::VBbackup: return "/VBbackup/";
    case Verb::ReName: return "/ReName/";
    case Verb::UpdateOnly: return "VEXA5xxxxxxx";
    case Verb::NetworkDrive: return "X:\\\\";
    case Verb::Uploadheafa: return "/Uploadheafa/";
    case Verb::Office11: return "/9900000011/";
    case Verb::ReportSample: return "/ReportSample/";
    case Verb::UploadMth: return "/UploadMth/";
    case Verb::DownLoadCode: return "/DownLoadCode/";
    case Verb::DownLoadProc: return "/DownLoadProc/";
    case Verb::DataCase: return "/DataCase/";
    case Verb::None: return "";
    default: break;
  }
  for (const Contained& m : kMaintenance)
    if (m.verb == v) return m.text;
  for (const Contained& m : kCard)
    if (m.verb == v) return m.text;
  return "";
}
