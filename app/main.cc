// ic: started by the clinic program with one verb on the command line; does one
// card chore, leaves its result files and ends.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "app/startup.h"
#include "app/version.h"
#include "card/cardlib.h"
#include "frame/progress.h"
#include "frame/run.h"
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
    screen = makeScreen(*sys, sys->currentFolder());
    CardLib card = CardLib::load(*sys);

    Run run(*disk, *clock, *sys, *screen, card);
    run.C = sys->commandLine();
    run.exeName = sys->exeBaseName();
    try {
      Form_Load(run);
      // A window carries the run on; it ends when the operator closes it.
      waitForWindows(run);
      Form_Unload(run);
    } catch (const EndOfRun& e) {
      // The one planned way out of a run (see docs/architecture.md).
      code = e.code;
    }
  } catch (const std::exception& e) {
    code = unexpected(screen.get(), e.what());
  } catch (...) {
    code = unexpected(screen.get(), "an exception of unknown type");
  }
  if (screen) screen->exit();
  return code;
}
