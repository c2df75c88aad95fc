#include "platform/screen.h"

#include "platform/platform.h"

std::unique_ptr<Screen> makeScreen(System& sys, const std::string& startFolder) {
  // Read only by the backends that play it (a relative name is taken from the
  // start folder, still the current one here).
  const auto operatorScript = [&] {
    return loadOperatorScript(sys.env("IC_UI_OPERATOR").value_or(""));
  };
  std::string ui = sys.env("IC_UI").value_or("");
  if (ui == "record") {
    std::string log = sys.env("IC_UI_LOG").value_or("");
    if (log.empty()) {
      log = startFolder;
      if (!log.empty() && log.back() != '/' && log.back() != '\\') log += '/';
      log += "ui.log";
    }
    return makeRecordScreen(sys, log, sys.env("IC_UI_ANSWERS").value_or(""), operatorScript(),
                            sys.commandLine());
  }
  if (ui == "console") return makeConsoleScreen(sys);
#if defined(_WIN32)
  return makeWindowScreen(sys, operatorScript());
#else
  return makeConsoleScreen(sys);
#endif
}
