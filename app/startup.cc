#include "app/startup.h"

#include <string>

#include "app/housekeeping.h"
#include "app/runlogging.h"
#include "app/verbs.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/settings.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "upload/archive.h"

namespace {

// An earlier run's result goes before the card work starts, so that a run
// that ends early (the reader cannot be opened, a call fails) never leaves
// the previous patient's answer to be read as this one's. A result that
// cannot even be removed could not be written either: the run says so and
// ends before the card is touched. A result another run in the same folder
// removed meanwhile counts as removed, and one it wrote again meanwhile is
// removed again: only a result that stays is one that cannot be removed.
bool removeResult(Run& run, const std::string& path) {
  for (int tries = 0; tries < 5; ++tries) {
    if (!run.disk.exists(path) || run.disk.remove(path) || !run.disk.exists(path)) return true;
    if (run.disk.isFolder(path)) return false;
  }
  return false;
}

MAY_END_RUN void removeStaleResults(Run& run, const VerbRow& row) {
  for (const std::string& name : resultFiles(row, run)) {
    const std::string path = run.settings.workDir + name;
    if (removeResult(run, path)) continue;
    run.lastStatus = kErrFileAccess;
    showRed(run, b5("無法寫入檔案: ") + path, 3);
    UnloadMe_End(run);
  }
}

// Runs the row's procedure when the row belongs to that phase; true then.
// A procedure that returns leaves a window carrying the run on.
MAY_END_RUN bool ranIn(Run& run, const VerbRow* row, Phase phase) {
  if (!row || row->phase != phase) return false;
  row->procedure(run);
  return true;
}

}  // namespace

void openReader(Run& run) {
  const std::string& C = run.C;
  run.reader.openPort = has(C, "/csOpenCom2") ? 2 : has(C, "/csOpenCom3") ? 3 : has(C, "/csOpenCom4") ? 4 : 1;
  const std::string port = std::to_string(run.reader.openPort);
  showWaiting(run, b5("開啟 COM: ") + port);
  run.lastStatus = run.reader.close();
  run.lastStatus = run.reader.open();
  run.reader.comPort = secondReaderPort(C);

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

void Form_Load(Run& run) {
  const std::string& C = run.C;
  const VerbRow* row = matchVerb(C, run.exeName);
  // Shown at once, before anything else of the run.
  if (has(C, "/DentalTreat")) showMessage(run, "DentalTreat");

  run.settings.workDir = run.sys.currentFolder();
  if (run.settings.workDir.empty() || run.settings.workDir.back() != '\\') run.settings.workDir += '\\';

  if ((has(C, "/DataCase/") || C.empty()) && run.disk.isFolder(run.settings.workDir + "ic\\data"))
    archiveMaintenance(run);
  // The declaration window of these two comes after the housekeeping
  // ("___/ReportSample/" is the window without it).
  if (C.empty() || C == "/ReportSample/") housekeeping(run);

  if (ranIn(run, row, Phase::BeforeSettings)) return;
  run.lastStatus = 0;
  readSettings(run);
  openRunLog(run);
  if (ranIn(run, row, Phase::Declaration) || ranIn(run, row, Phase::Maintenance)) return;

  run.lastStatus = 0;
  if (row) removeStaleResults(run, *row);
  openReader(run);
  if (!row) {
    // Nothing matched: the reader was opened and closed, and the run ends.
    run.screen.hideMain();
    UnloadMe_End(run);
  }
  ranIn(run, row, Phase::Reader);
}
