// ic: started by the clinic program with one verb on the command line; does one
// card chore, leaves its result files and ends.
#include <exception>

#include "card/cardlib.h"
#include "platform/platform.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "platform/screen.h"
#include "app/startup.h"

int main(int argc, char** argv) {
  std::unique_ptr<System> sys = makeRealSystem(argc, argv);
  std::unique_ptr<Disk> disk = makeRealDisk();
  std::unique_ptr<Clock> clock = makeRealClock();
  std::unique_ptr<Screen> screen = makeScreen(*sys, sys->currentFolder());
  CardLib card = CardLib::load(*sys);

  Run run(*disk, *clock, *sys, *screen, card);
  run.C = sys->commandLine();
  run.exeName = sys->exeBaseName();

  int code = 0;
  try {
    Form_Load(run);
    // A window carries the run on; it ends when the operator closes it.
    waitForWindows(run);
    Form_Unload(run);
  } catch (const EndOfRun& e) {
    code = e.code;
  } catch (const std::exception&) {
    code = 1;
  }
  screen->exit();
  return code;
}
