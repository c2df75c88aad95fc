// What the operator sees: the waiting window vexadc, the message window
// vexahca, message boxes, the main window vexa5 with its log list, and shell
// opens. Texts arrive in CP950. Three backends (IC_UI): `window` draws real
// windows (Windows), `console` writes each message to standard error, `record`
// shows nothing and writes every event to the event log for tests.
//
// The timers (the waiting window's blink and 300-second watchdog, the main
// window's Timer2) and every wait live in the program's event pump; a backend
// only draws and reports what the operator did.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/operator_script.h"

struct System;

enum class Colour { Blue, Red };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { Ok, Cancel, Yes, No };

// What the operator did since the last pump.
enum class UiEvent {
  WaitingClosePressed,  // vexadc's close button
  MessageUnloaded,      // vexahca closed (button or double-click on its label)
  MainClosed,           // vexa5 closed by the operator
};

struct Screen {
  virtual ~Screen() = default;
  // False when nothing may wait (record mode): timed waits end at once.
  virtual bool waits() const = 0;

  // vexadc: centred, label = text, shown; vexahca hidden.
  virtual void showWaiting(const std::string& text) = 0;
  virtual void hideWaiting() = 0;
  virtual void closeWaiting() = 0;
  virtual void setWaitingColour(Colour c) = 0;

  // vexahca in blue, 4970 twips wide; vexadc hidden.
  virtual void showMessage(const std::string& text) = 0;
  // vexahca in red, 4150 twips wide, for `seconds` (the caller waits).
  virtual void showRed(const std::string& text, int seconds) = 0;
  virtual void hideMessage() = 0;

  virtual Answer msgBox(const std::string& caption, const std::string& text, Buttons buttons,
                        Icon icon, Answer defaultAnswer) = 0;

  // timedelay's count-down wait of the main window is starting.
  virtual void delay(double seconds, const std::string& text) = 0;
  virtual void caption(const std::string& window, const std::string& text) = 0;
  // The application's title, which the task list shows and by which the
  // clinic program finds a waiting run ("Waiting", "temp"). The console
  // shows nothing of it.
  virtual void appTitle(const std::string& text) {}
  virtual void listClear() = 0;
  virtual void listAdd(const std::string& line) = 0;
  // Several lines at once, in their order (a report, a register): the same as
  // adding each, but the record backend logs them in one write.
  virtual void listAddLines(std::span<const std::string> lines) {
    for (const std::string& line : lines) listAdd(line);
  }
  // A window is shown to the operator; the run goes on until it is closed.
  virtual void show(const std::string& window) = 0;
  virtual void hideMain() = 0;
  // Places vexa5 (twips).
  virtual void placeMain(int left, int top, int width, int height) = 0;
  virtual bool shellOpen(const std::string& what, const std::string& params) = 0;
  // Lets pending window events run; returns what the operator did.
  virtual std::vector<UiEvent> pump() = 0;
  // A window shown with show() that the run now waits on: true while it is open.
  virtual bool windowOpen(const std::string& window) = 0;
  // The last thing of every run, with the code the process exits with.
  virtual void exit(int code) = 0;

  // Operated windows (platform/form.h). The defaults suit a backend with
  // nobody at it: the form is announced with show() and closes at once.
  // The form is shown with all its controls (event `show`).
  virtual void formShow(Form& form) { show(form.name); }
  // The procedures changed a control (or, for Caption, the form's caption).
  virtual void formChanged(const Form& form, const Control* control, FormChange what) {}
  // The form stays on top of other windows.
  virtual void formTopmost(const Form& form) {}
  // The hourglass while a long call runs, or the usual pointer.
  virtual void waitCursor(bool wait) {}
  // Waits for the operator's next action on the form and applies it to the
  // form before returning it. An action on a disabled, hidden or unknown
  // control is not returned (the record backend logs it as `ignored`).
  virtual FormAction formNext(Form& form) { return {}; }
  // The form is gone (after its unload ran).
  virtual void formClose(const Form& form) {}
};

// The backend IC_UI names (default: window on Windows, console elsewhere).
// `startFolder` is the folder that was current when the process started. The
// record and window backends play the operator script IC_UI_OPERATOR names.
std::unique_ptr<Screen> makeScreen(System& sys, const std::string& startFolder);

// `commandLine`, when given, is written first as the event `start`.
std::unique_ptr<Screen> makeRecordScreen(System& sys, const std::string& logPath,
                                         const std::string& answers,
                                         OperatorScript script = {},
                                         const std::optional<std::string>& commandLine = {});
std::unique_ptr<Screen> makeConsoleScreen(System& sys);
std::unique_ptr<Screen> makeWindowScreen(System& sys, OperatorScript script = {});
