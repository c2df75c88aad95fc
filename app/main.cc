// ic: started by the clinic program with one verb on the command line; does one
// card chore, leaves its result files and ends.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "app/diagnose.h"
#include "app/runlogging.h"
#include "app/startup.h"
#include "app/version.h"
#include "card/cardlog.h"
#include "frame/logged.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/runlog.h"
#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/screen.h"

namespace {

// The exit code of a run that met a failure nobody planned for.
constexpr int kUnexpected = 70;

// An unexpected failure is never swallowed: its text goes to standard error
// and, as a red message, to the operator and the event log.
int unexpected(Screen* screen, const char* what) {
  std::fprintf(stderr, "ic: unexpected failure: %s\n", what);
  if (screen) {
    try {
      screen->showRed(b5("程式錯誤: ") + cp950::normalize(what), 0);
    } catch (...) {
    }
  }
  return kUnexpected;
}

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<Screen> screen;
  int code = 0;
  try {
    std::unique_ptr<System> sys = makeRealSystem(argc, argv);
    // Asked before anything else, so that it opens no reader and no event log
    // and leaves the working folder as it was.
    if (sys->commandLine() == IC_VERSION_FLAG) {
      tellVersion(IC_VERSION);
      return 0;
    }
    std::unique_ptr<Disk> disk = makeRealDisk();
    // The test mode's full disk, for the sweep of every verb over failing writes.
    if (sys->env("IC_UI").value_or("") == "record")
      if (const auto at = sys->env("IC_DISK_FULL_AT"); at && std::atol(at->c_str()) > 0)
        disk = makeFullDisk(std::move(disk), std::atol(at->c_str()));
    std::unique_ptr<Clock> clock = makeRealClock();
    if (sys->commandLine() == IC_DIAGNOSE_FLAG) return diagnose(*sys, *disk, *clock, IC_VERSION);
    // The run log sees the disk, the screen and the card library through
    // wrappers; the run knows only the interfaces.
    RunLog log(*disk, *clock, sys->processId());
    logStart(log, *sys, IC_VERSION);
    screen = makeScreen(*sys, sys->currentFolder());
    LoggedScreen loggedScreen(*screen, log);
    LoggedDisk loggedDisk(*disk, log);
    LoggedCardLib card = loadLoggedCardLib(*sys, log);

    Run run(loggedDisk, *clock, *sys, loggedScreen, card);
    run.C = sys->commandLine();
    run.exeName = sys->exeBaseName();
    run.runLog = &log;
    std::string how = "normal";
    try {
      Form_Load(run);
      // A window carries the run on; it ends when the operator closes it.
      waitForWindows(run);
      Form_Unload(run);
    } catch (const EndOfRun& e) {
      // The one planned way out of a run (see docs/architecture.md).
      code = e.code;
    } catch (const std::exception& e) {
      code = unexpected(&loggedScreen, e.what());
      how = std::string("unexpected failure: ") + e.what();
    } catch (...) {
      code = unexpected(&loggedScreen, "an exception of unknown type");
      how = "unexpected failure";
    }
    logEnd(run, code, how);
  } catch (const std::exception& e) {
    code = unexpected(screen.get(), e.what());
  } catch (...) {
    code = unexpected(screen.get(), "an exception of unknown type");
  }
  if (screen) screen->exit(code);
  return code;
}
