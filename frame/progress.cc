#include "frame/progress.h"

#include "frame/files.h"

#include <cmath>
#include <cstdio>
#include <span>
#include <utility>

#include "platform/cp950.h"
#include "frame/run.h"
#include "frame/runlog.h"

namespace {

// vexadc's Timer1: the label blinks; past 600 ticks the run ends as if the
// close button had been pressed.
void waitingTick(Run& run);

[[noreturn]] MAY_END_RUN void waitingCloseButton(Run& run) {
  run.reader.close();
  closeWaiting(run);
  endProcess(run);
}

MAY_END_RUN void waitingTick(Run& run) {
  ++run.win.ticks;
  run.win.waitingColour = run.win.waitingColour == Colour::Red ? Colour::Blue : Colour::Red;
  run.screen.setWaitingColour(run.win.waitingColour);
  if (run.win.ticks > kWatchdogTicks) {
    if (run.runLog) run.runLog->ending("watchdog (the waiting window's 300 seconds)");
    waitingCloseButton(run);
  }
}

}  // namespace

void loadWaiting(Run& run) {
  if (run.win.waitingLoaded) return;
  run.win.waitingLoaded = true;
  run.win.nextTickMs = run.clock.steadyMs() + kTickMs;
  waitingTick(run);  // the load runs one tick at once
}

void doEvents(Run& run) {
  for (UiEvent e : run.screen.pump()) {
    switch (e) {
      case UiEvent::WaitingClosePressed: waitingCloseButton(run);
      // The message window closed by the operator ends the run, the reader
      // given back first, as the waiting window's close button does.
      case UiEvent::MessageUnloaded:
        run.reader.closeOnce();
        endProcess(run);
      case UiEvent::MainClosed: Form_Unload(run);
    }
  }
  int64_t now = run.clock.steadyMs();
  while (run.win.waitingLoaded && now >= run.win.nextTickMs) {
    run.win.nextTickMs += kTickMs;
    waitingTick(run);
  }
  if (run.win.timer2Enabled && now >= run.win.nextTimer2Ms) {
    run.win.nextTimer2Ms = now + kTimer2Ms;
    Timer2_Timer(run);
  }
}

void showWaiting(Run& run, const std::string& text) {
  loadWaiting(run);
  run.screen.showWaiting(text);
  run.win.messageShown = false;
  doEvents(run);
}

void hideWaiting(Run& run) {
  if (run.win.waitingLoaded) run.screen.hideWaiting();
}

void closeWaiting(Run& run) {
  if (!run.win.waitingLoaded) return;
  run.win.waitingLoaded = false;
  run.screen.closeWaiting();
}

void showMessage(Run& run, const std::string& text) {
  run.screen.showMessage(text);
  run.win.messageShown = true;
  doEvents(run);
}

void showRed(Run& run, const std::string& text, int seconds) {
  run.screen.showRed(text, seconds);
  run.win.messageShown = true;
  doEvents(run);
  if (run.screen.waits() && seconds > 0) {
    const int64_t end = run.clock.steadyMs() + int64_t{seconds} * 1000;
    while (run.clock.steadyMs() < end) {
      doEvents(run);
      run.clock.sleepMs(20);
    }
  }
  run.screen.hideMessage();
  run.win.messageShown = false;
}

bool writeResult(Run& run, const std::string& path, const std::string& text) {
  if (writeTextFile(run.files(), path, text)) return true;
  showRed(run, b5("無法寫入檔案: ") + path, 3);
  return false;
}

void timedelay(Run& run, double seconds, const std::string& text) {
  run.screen.delay(seconds, text);
  if (!run.screen.waits()) return;
  const int64_t start = run.clock.steadyMs();
  const int64_t end = start + static_cast<int64_t>(seconds * 1000);
  while (run.clock.steadyMs() < end) {
    doEvents(run);
    double left = seconds - static_cast<double>(run.clock.steadyMs() - start) / 1000.0;
    run.screen.caption("vexa5", b5("稍後: ") + formatSingle(left) + b5(" 秒   ") + text);
    run.clock.sleepMs(50);
  }
}

void endProcess(Run&) { throw EndOfRun{0}; }

void UnloadMe_End(Run& run) {
  closeWaiting(run);
  run.screen.appTitle("temp");  // no longer "Waiting" to the clinic program
  doEvents(run);
  run.reader.closeOnce();
  run.screen.hideMain();
  endProcess(run);
}

void Form_Unload(Run& run) {
  // The port is closed whatever it was, then the common exit runs unless the
  // window ends the run at once.
  run.reader.close();
  if (!run.win.endAtOnce) UnloadMe_End(run);
  endProcess(run);
}

void Timer2_Timer(Run& run) {
  if (auto n = run.disk.length("repair1"); n && *n > 0 && !run.disk.isFolder("repair1"))
    Form_Unload(run);
}

std::string formatSingle(double v) {
  float f = static_cast<float>(v);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(f));
  std::string s = buf;
  if (s.find('e') == std::string::npos && s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s.rfind("0.", 0) == 0) s.erase(0, 1);        // the runtime prints ".5"
  else if (s.rfind("-0.", 0) == 0) s.erase(1, 1);  // and "-.5"
  return s;
}

void showWindow(Run& run, const std::string& window) {
  run.win.shownWindow = window;
  run.screen.show(window);
}

void waitForWindows(Run& run) {
  while (!run.win.shownWindow.empty() && run.screen.windowOpen(run.win.shownWindow)) {
    doEvents(run);
    run.clock.sleepMs(20);
  }
}

namespace {
void sendGathered(Run& run) {
  if (run.list1Sent < run.list1.size())
    run.screen.listAddLines(std::span<const std::string>(run.list1).subspan(run.list1Sent));
  run.list1Sent = run.list1.size();
}
}  // namespace

void listClear(Run& run) {
  if (run.list1Gathering) sendGathered(run);
  run.list1.clear();
  run.list1Sent = 0;
  run.screen.listClear();
}

void listAdd(Run& run, const std::string& line) { listAdd(run, std::string(line)); }

void listAdd(Run& run, std::string&& line) {
  run.list1.push_back(std::move(line));
  if (run.list1Gathering) return;
  run.screen.listAdd(run.list1.back());
  run.list1Sent = run.list1.size();
}

void listGather(Run& run) {
  run.list1Gathering = true;
  run.list1Sent = run.list1.size();
}

void listSend(Run& run) {
  if (run.list1Gathering) sendGathered(run);
  run.list1Gathering = false;
}
