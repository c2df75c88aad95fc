#include "app/startup.h"

#include "app/backup.h"
#include "app/housekeeping.h"
#include "app/maintenance.h"
#include "app/netdrive.h"
#include <string>
#include <vector>

#include "upload/archive.h"
#include "platform/cp950.h"
#include "visit/dental.h"
#include "card/errors.h"
#include "frame/files.h"
#include "visit/prevent.h"
#include "frame/progress.h"
#include "app/readerverbs.h"
#include "app/runlogging.h"
#include "card/readf4.h"
#include "card/report.h"
#include "card/cardlib.h"
#include "frame/run.h"
#include "frame/settings.h"
#include "visit/treatment.h"
#include "upload/upload.h"
#include "frame/vbtext.h"
#include "visit/writef2.h"
#include "declare/reportsample.h"
#include "declare/logged.h"
#include "declare/services.h"

namespace {


// "/ReName/" + source + "/" + target: copies the source when it exists.
[[noreturn]] void cmd_ReName(Run& run) {
  std::string R = vbMid(run.C, 9);
  size_t slash = R.find('/');
  if (slash != std::string::npos && slash > 0) {
    std::string from = R.substr(0, slash), to = R.substr(slash + 1);
    if (run.disk.exists(from)) copyFile(run.files(), from, to);
  }
  endProcess(run);
}

// The executable named "VEXA5xxxxxxx" only refreshes the card on COM3.
[[noreturn]] void updateOnly(Run& run) {
  if (!run.sys.setCurrentFolder("c:\\c\\ccl")) run.lastStatus = kErrPathNotFound;
  run.card.csCloseCom();
  run.lastStatus = run.card.csOpenCom(2);
  showMessage(run, b5("健保IC卡卡片內容更新中"));
  run.lastStatus = run.card.csUpdateHCContents();
  doEvents(run);
  if (run.lastStatus != 0) {
    int16_t code = static_cast<int16_t>(run.lastStatus);
    run.card.csCloseCom();
    showRed(run, b5("更新失敗 ") + std::to_string(code) + "/" + errorMessage(run, code), 3);
  } else {
    run.card.csCloseCom();
    showWaiting(run, b5("  內容更新 完成"));
  }
  endProcess(run);
}

// The result files a card verb leaves for the clinic program.
std::vector<std::string> resultFiles(Verb v, const std::string& C) {
  switch (v) {
    case Verb::csGetDateTime:
    case Verb::LastTreatTime:
    case Verb::hisGetLastSeqNum:
    case Verb::LoadAllData:
      return {"ReadF4.txt"};
    case Verb::DentalTreat: return {"ReadF4.txt", "Readf4"};
    case Verb::ReadF4:
      if (has(C, "/COM")) return {"ReadF4.txt", "ReadF42.txt"};
      return {"ReadF4.txt"};
    case Verb::hisWriteEmergentTel:
      if (has(C, "/ReadF4")) return {"ReadF4.txt"};
      return {};
    case Verb::WriteF2: return {"GetSeqN.txt", "GetSeqN8.txt", "GetSeqN9.txt"};
    case Verb::UpLoadData: return {"UpLoad.err"};
    default: return {};
  }
}

// An earlier run's result goes before the card work starts, so that a run
// that ends early (the reader cannot be opened, a call fails) never leaves
// the previous patient's answer to be read as this one's. A result that
// cannot even be removed could not be written either: the run says so and
// ends before the card is touched.
void removeStaleResults(Run& run, Verb v) {
  for (const std::string& name : resultFiles(v, run.C)) {
    const std::string path = run.settings.workDir + name;
    if (!run.disk.exists(path) || run.disk.remove(path)) continue;
    run.lastStatus = kErrFileAccess;
    showRed(run, b5("無法寫入檔案: ") + path, 3);
    UnloadMe_End(run);
  }
}

bool declarationVerb(Run& run, Verb v) {
  switch (v) {
    case Verb::Uploadheafa:
    case Verb::Office11:
    case Verb::ReportSample:
    case Verb::UploadMth:
    case Verb::DownLoadCode:
    case Verb::DownLoadProc: return true;
    default: return run.C == "___/ReportSample/";
  }
}

// The declaration window carries the run from here; it ends when the window
// is closed (or, for the monthly verbs with a stored password, by itself).
[[noreturn]] void declarationWindow(Run& run, Verb v) {
  std::unique_ptr<DeclareServices> svc =
      logDeclareServices(makeDeclareServices(run.sys, run.disk, run.settings.workDir), run.runLog);
  switch (v) {
    case Verb::Uploadheafa: cmd_ReportSample(run, *svc, {"Command2", "Uploadheafa"});
    case Verb::Office11:
      cmd_ReportSample(run, *svc, {"Command2", has(run.C, "/check") ? "Command3" : "Upload"});
    case Verb::UploadMth: cmd_ReportMonthly(run, *svc, "Upload");
    case Verb::DownLoadCode: cmd_ReportMonthly(run, *svc, "Command3");
    case Verb::DownLoadProc: cmd_ReportMonthly(run, *svc, "Command4");
    default: cmd_ReportSample(run, *svc, {});
  }
}

}  // namespace

void notYetAvailable(Run& run, Verb) { UnloadMe_End(run); }

void openReader(Run& run) {
  const std::string& C = run.C;
  run.reader.openPort = has(C, "/csOpenCom2") ? 2 : has(C, "/csOpenCom3") ? 3 : has(C, "/csOpenCom4") ? 4 : 1;
  const std::string port = std::to_string(run.reader.openPort);
  showWaiting(run, b5("開啟 COM: ") + port);
  run.lastStatus = run.card.csCloseCom();
  run.lastStatus = run.card.csOpenCom(run.reader.openPort - 1);
  static const char* const kCom[] = {"/COM1/", "/COM2/", "/COM3/", "/COM4/"};
  for (int i = 0; i < 4; ++i)
    if (has(C, kCom[i])) run.reader.comPort = static_cast<int16_t>(i + 1);

  if (run.lastStatus != 0) {
    run.reader.close();
    if (C == "VPN_Server" || has(C, "//")) {
      hideWaiting(run);
      return;
    }
    showRed(run, std::to_string(run.lastStatus) + b5(" 無法開啟 通訊阜 ") + port, 0);
    UnloadMe_End(run);
  }
  hideWaiting(run);
  showWaiting(run, b5("開啟 COM: ") + port);
}

void runCardVerb(Run& run, Verb v) {
  if (runReaderVerb(run, v)) return;
  switch (v) {
    case Verb::DentalTreat:
      showMessage(run, "DentalTreat");
      cmd_DentalTreat(run);
      return;
    case Verb::LoadAllData: cmd_LoadAllData(run); return;
    case Verb::RegisterPrevent:
      RegisterPrevent(run);
      run.card.csCloseCom();
      return;
    case Verb::hisWriteAllergicMedicines: cmd_hisWriteAllergicMedicines(run); return;
    case Verb::hisWriteHealthInsurance: cmd_hisWriteHealthInsurance(run); return;
    case Verb::hisWriteTreatmentCode: cmd_hisWriteTreatmentCode(run); return;
    case Verb::UpLoadData: cmd_UpLoadData(run); return;
    case Verb::WriteF2: cmd_WriteF2(run); return;
    case Verb::ReadF4: cmd_ReadF4(run); return;
    case Verb::None:
      run.screen.hideMain();
      UnloadMe_End(run);
    default:
      notYetAvailable(run, v);
  }
}

void Form_Load(Run& run) {
  const std::string& C = run.C;
  if (has(C, "/DentalTreat")) showMessage(run, "DentalTreat");

  run.settings.workDir = run.sys.currentFolder();
  if (run.settings.workDir.empty() || run.settings.workDir.back() != '\\') run.settings.workDir += '\\';

  if ((has(C, "/DataCase/") || C.empty()) && run.disk.isFolder(run.settings.workDir + "ic\\data"))
    archiveMaintenance(run);

  const Verb v = matchVerb(C, run.exeName);
  switch (v) {
    case Verb::VBbackup: cmd_VBbackup(run);
    case Verb::ReName: cmd_ReName(run);
    default: break;
  }
  if (C == "___/ReportSample/") {
    // The declaration window, without the housekeeping: it is shown once the
    // settings are read (below), since its load needs the institution code.
  } else if (C.empty() || C == "/ReportSample/") {
    housekeeping(run);
    // Then the declaration window.
  }
  switch (v) {
    case Verb::UpdateOnly: updateOnly(run);
    case Verb::NetworkDrive: cmd_NetworkDrive(run);
    default: break;
  }

  run.lastStatus = 0;
  readSettings(run);
  openRunLog(run);

  if (v == Verb::Office11) {
    run.settings.office = "1";
    run.settings.officeCode = "9900000011";
    run.settings.hospDataType = "30";
  }
  if (declarationVerb(run, v)) declarationWindow(run, v);
  if (v == Verb::DataCase) {
    cmd_DataCase(run);
    return;
  }
  if (runMaintenanceVerb(run, v)) return;
  if (!opensReader(v) && v != Verb::None) notYetAvailable(run, v);

  run.lastStatus = 0;
  removeStaleResults(run, v);
  openReader(run);
  if (v == Verb::ReadF4 && run.exeName == "vexa5") {
    // The development run reads from COM1 into the backup folder.
    run.lastStatus = run.card.csOpenCom(0);
    run.settings.workDir = "c:\\backup\\orvo\\";
  }
  runCardVerb(run, v);
}
