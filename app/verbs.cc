#include "app/verbs.h"
#include "frame/endsrun.h"

#include <memory>

#include "app/backup.h"
#include "app/maintenance.h"
#include "app/netdrive.h"
#include "app/readerverbs.h"
#include "app/zuprn.h"
#include "card/readf4.h"
#include "card/report.h"
#include "declare/logged.h"
#include "declare/reportsample.h"
#include "declare/services.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "upload/archive.h"
#include "upload/upload.h"
#include "visit/dental.h"
#include "visit/prevent.h"
#include "visit/treatment.h"
#include "visit/writef2.h"

namespace {

constexpr const char* kDevelopmentExe = "vexa5";

// ---- the declaration window carries the run from here; it ends when the
// window is closed (or, for the monthly verbs with a stored password, by itself).

std::unique_ptr<DeclareServices> services(Run& run) {
  return logDeclareServices(makeDeclareServices(run.sys, run.disk, run.settings.workDir), run.runLog);
}

[[noreturn]] MAY_END_RUN void declarationWindow(Run& run) {
  cmd_ReportSample(run, *services(run), {});
}

[[noreturn]] MAY_END_RUN void uploadHealthCheck(Run& run) {
  cmd_ReportSample(run, *services(run), {"Command2", "Uploadheafa"});
}

// The pharmacy 9900000011 has fixed settings, whatever the files say.
[[noreturn]] MAY_END_RUN void pharmacyWindow(Run& run) {
  run.settings.office = "1";
  run.settings.officeCode = "9900000011";
  run.settings.hospDataType = "30";
  cmd_ReportSample(run, *services(run), {"Command2", has(run.C, "/check") ? "Command3" : "Upload"});
}

[[noreturn]] MAY_END_RUN void uploadMonth(Run& run) {
  cmd_ReportMonthly(run, *services(run), "Upload");
}
[[noreturn]] MAY_END_RUN void downloadCode(Run& run) {
  cmd_ReportMonthly(run, *services(run), "Command3");
}
[[noreturn]] MAY_END_RUN void downloadProc(Run& run) {
  cmd_ReportMonthly(run, *services(run), "Command4");
}

// ---- card verbs that need a word before or after their procedure

MAY_END_RUN void dentalTreat(Run& run) {
  showMessage(run, "DentalTreat");
  cmd_DentalTreat(run);
}

// The list stays in the main window; the reader is given back meanwhile.
MAY_END_RUN void registerPrevent(Run& run) {
  RegisterPrevent(run);
  run.reader.close();
}

// "/ReadF4"; the development run reads from COM1 into the backup folder.
MAY_END_RUN void readF4(Run& run) {
  if (developmentRun(run)) {
    run.lastStatus = run.reader.open(1);
    run.settings.workDir = "c:\\backup\\orvo\\";
  }
  cmd_ReadF4(run);
}

constexpr ResultFile kReadF4 = {"ReadF4.txt"};
constexpr ResultFile kReadF42 = {"ReadF42.txt", true};
constexpr ResultFile kReadf4Dump = {"Readf4"};
constexpr ResultFile kGetSeqN = {"GetSeqN.txt"}, kGetSeqN8 = {"GetSeqN8.txt"}, kGetSeqN9 = {"GetSeqN9.txt"};
constexpr ResultFile kUploadErr = {"UpLoad.err"};
// The full report's copy: the previous holder's must not outlive a failed open.
constexpr ResultFile kListCopy = {"IcDatTmp.txt"};

using enum Match;
using enum Phase;

// The order is the start-up's: phase by phase, and within a phase the first
// row whose text the command line holds wins.
const VerbRow kVerbs[] = {
    {"/VBbackup/", Exact, BeforeSettings, {}, cmd_VBbackup},
    {"/ReName/", Prefix, BeforeSettings, {}, cmd_ReName},
    {"VEXA5xxxxxxx", Executable, BeforeSettings, {}, cmd_UpdateOnly},
    {":\\\\", DriveForm, BeforeSettings, {}, cmd_NetworkDrive},
    {"/Uploadheafa/", Contains, Declaration, {}, uploadHealthCheck},
    {"/9900000011/", Contains, Declaration, {}, pharmacyWindow},
    {"", Exact, Declaration, {}, declarationWindow},
    {"/ReportSample/", Exact, Declaration, {}, declarationWindow},
    // Without the housekeeping of the two above.
    {"___/ReportSample/", Exact, Declaration, {}, declarationWindow},
    {"/UploadMth/", Exact, Declaration, {}, uploadMonth},
    {"/DownLoadCode/", Exact, Declaration, {}, downloadCode},
    {"/DownLoadProc/", Exact, Declaration, {}, downloadProc},
    {"/DataCase/", Contains, Maintenance, {}, cmd_DataCase},
    {"/ORVO//", Contains, Maintenance, {}, cmd_OrvoPage},
    {"//ORVO/", Contains, Maintenance, {}, cmd_OrvoPublicPage},
    {"/WaitingForm", Contains, Maintenance, {}, cmd_WaitingForm},
    {"/ShellExecute_", Contains, Maintenance, {}, cmd_ShellExecute},
    {"//ReName_orvomd.exe", Contains, Maintenance, {}, cmd_ReNameOrvomd},
    {"//ReName_orvo.exe", Contains, Maintenance, {}, cmd_ReNameOrvo},
    {"//ReName_noicname", Contains, Maintenance, {}, cmd_ReNameNoicname},
    {"/icZupRn", Contains, Maintenance, {}, cmd_icZupRn},
    {"/hisGetCardStatus", Contains, Reader, {}, cmd_hisGetCardStatus},
    {"/csVerifySAMDC", Contains, Reader, {}, cmd_csVerifySAMDC},
    {"/csVerifyHCPIN", Contains, Reader, {}, cmd_csVerifyHCPIN},
    {"/csInputHCPIN", Contains, Reader, {}, cmd_csInputHCPIN},
    {"/hpcInputHPCPIN", Contains, Reader, {}, cmd_hpcInputHPCPIN},
    {"/hpcUnlockHPC", Contains, Reader, {}, cmd_hpcUnlockHPC},
    {"/csGetDateTime", Contains, Reader, {kReadF4}, cmd_csGetDateTime},
    {"/LastTreatTime", Contains, Reader, {kReadF4}, cmd_LastTreatTime},
    {"/DentalTreat", Contains, Reader, {kReadF4, kReadf4Dump}, dentalTreat},
    {"/LoadAllData", Contains, Reader, {kReadF4, kListCopy}, cmd_LoadAllData},
    {"/RegisterPrevent", Contains, Reader, {}, registerPrevent},
    {"/hisGetLastSeqNum", Contains, Reader, {kReadF4}, cmd_hisGetLastSeqNum},
    {"/csUnGet", Contains, Reader, {}, cmd_csUnGet},
    {"/hisWriteAllergicMedicines", Contains, Reader, {}, cmd_hisWriteAllergicMedicines},
    {"/hisWriteHealthInsurance", Contains, Reader, {}, cmd_hisWriteHealthInsurance},
    {"/hisWriteTreatmentCode", Contains, Reader, {}, cmd_hisWriteTreatmentCode},
    {"/VerifyHPCPIN", Contains, Reader, {}, cmd_VerifyHPCPIN},
    {"/UpdateHC", Contains, Reader, {}, cmd_UpdateHC},
    {"/UpLoadData", Contains, Reader, {kUploadErr}, cmd_UpLoadData},
    {"/WriteF2", Contains, Reader, {kGetSeqN, kGetSeqN8, kGetSeqN9}, cmd_WriteF2},
    {"/hisWriteEmergentTel", Contains, Reader, {}, cmd_hisWriteEmergentTel, true},
    {"/ReadF4", Contains, Reader, {kReadF4, kReadF42}, readF4},
    {kDevelopmentExe, Executable, Reader, {kReadF4, kReadF42}, readF4},
};

const VerbRow& readF4Row() {
  for (const VerbRow& row : kVerbs)
    if (row.procedure == readF4) return row;
  return kVerbs[0];  // not reached: the table has the row
}

bool matches(const VerbRow& row, std::string_view C, std::string_view exeName) {
  switch (row.match) {
    case Contains: return has(C, row.text);
    case Exact: return C == row.text;
    case Prefix: return C.substr(0, std::string_view(row.text).size()) == row.text;
    case Executable: return exeName == row.text;
    case DriveForm: return isNetworkDrive(C);
  }
  return false;
}

void addResults(const VerbRow& row, const Run& run, std::vector<std::string>& out) {
  for (const ResultFile& r : row.results)
    if (r.name && (!r.secondReaderOnly || secondReaderPort(run.C) > 0)) out.push_back(r.name);
}

}  // namespace

std::span<const VerbRow> verbTable() { return kVerbs; }

const VerbRow* matchVerb(std::string_view C, std::string_view exeName) {
  for (const VerbRow& row : kVerbs)
    if (matches(row, C, exeName)) return &row;
  return nullptr;
}

std::vector<std::string> resultFiles(const VerbRow& row, const Run& run) {
  std::vector<std::string> out;
  addResults(row, run, out);
  if (row.thenRead && readFollows(run)) addResults(readF4Row(), run, out);
  return out;
}

bool isNetworkDrive(std::string_view C) { return vbTrim(vbMid(C, 2, 3)) == ":\\\\"; }

int16_t secondReaderPort(std::string_view C) {
  static const char* const kCom[] = {"/COM1/", "/COM2/", "/COM3/", "/COM4/"};
  int16_t port = 0;
  for (int16_t i = 0; i < 4; ++i)
    if (has(C, kCom[i])) port = static_cast<int16_t>(i + 1);
  return port;
}

bool developmentRun(const Run& run) { return run.exeName == kDevelopmentExe; }

bool readFollows(const Run& run) { return has(run.C, "/ReadF4") || developmentRun(run); }
