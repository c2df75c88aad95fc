#include "app/runlogging.h"

#include "frame/run.h"
#include "frame/runlog.h"
#include "frame/settings.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "platform/platform.h"

namespace {

std::string folderOf(std::string dir) {
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

std::string found(Run& run, const std::string& path) {
  return path + (run.disk.exists(path) ? " (found)" : " (not found)");
}

}  // namespace

std::string loggedCommandLine(const std::string& C) {
  // "/ShellExecute_///" + a pass text for the clinic's server: never written.
  const std::string pass = "/ShellExecute_///";
  if (C.rfind(pass, 0) == 0) return pass + std::string(C.size() - pass.size(), '*');
  return C;
}

void logStart(RunLog& log, System& sys, const std::string& version) {
  try {
    log.line("start", "ic " + version + ", command line \"" + loggedCommandLine(sys.commandLine()) + "\"");
    log.line("start", "program " + sys.exePath() + ", start folder " + sys.currentFolder());
    std::string ui = sys.env("IC_UI").value_or("");
#if defined(_WIN32)
    if (ui != "record" && ui != "console") ui = "window";
#else
    if (ui != "record" && ui != "window") ui = "console";
#endif
    log.line("start", "screen " + ui);
  } catch (...) {
  }
}

void openRunLog(Run& run) {
  if (!run.runLog || run.runLog->opened()) return;
  try {
    RunLog& log = *run.runLog;
    const std::string start = folderOf(run.sys.currentFolder());
    std::string dir = run.settings.workDir.empty() ? start : folderOf(run.settings.workDir);
    const std::string sysIni = dir + kSysIni;
    const bool enabled = vbTrim(run.sys.profileString(kSection, "RunLog", "1", sysIni, 100)) != "0";
    if (enabled && run.settings.softAppUrl.empty()) {
      log.line("folder", "working folder " + dir + " (the run ended before it read the settings)");
    } else if (enabled) {
      // The start-up stays in the start folder when it holds orvosys.ini and
      // otherwise moves to Directory of c:\orvo.ini (default c:\orvo).
      log.line("folder", "working folder " + dir +
                             (dir == start ? " (the start folder, orvosys.ini " +
                                                 std::string(run.disk.exists(sysIni) ? "found)" : "not found)")
                                           : " (no orvosys.ini in the start folder: Directory of c:\\orvo.ini)"));
      log.line("setting", found(run, sysIni) + ": beginlink=" + std::to_string(run.settings.beginLink) +
                              ", RunLog=1");
      log.line("setting", found(run, kOrvoIni) + ": SoftAppHttp=" + run.settings.softAppHttp +
                              ", PublicHttp=" + run.settings.publicUrl + ", Office=" + run.settings.office +
                              ", OfficeCode=" + run.settings.officeCode);
    }
    log.open(dir, enabled);
  } catch (...) {
  }
}

void logEnd(Run& run, int exitCode, const std::string& how) noexcept {
  if (!run.runLog) return;
  try {
    RunLog& log = *run.runLog;
    // A run that ended before the settings: its lines go to the start folder.
    openRunLog(run);
    const std::string h = !log.how().empty() ? log.how() : how;
    log.line("end", "how=" + h + " exit=" + std::to_string(exitCode) +
                        " lastStatus=" + std::to_string(run.lastStatus) + " error=\"" +
                        run.lastError + "\" ms=" + std::to_string(log.elapsedMs()) + " cmd=\"" +
                        loggedCommandLine(run.C) + "\"");
  } catch (...) {
  }
}
