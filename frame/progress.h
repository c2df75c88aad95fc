// The progress windows and the run frame's waits and exits: the waiting window
// vexadc with its blink timer and 300-second watchdog, the message window
// vexahca and its red message, the main window's timedelay and Timer2, the event
// pump that runs those timers, and the common exit UnloadMe_End.
#pragma once

#include "frame/endsrun.h"

#include <string>

struct Run;

// "Let pending window events run": what the operator did, then the timers due.
MAY_END_RUN void doEvents(Run& run);

// Loads vexadc without showing it (its first tick runs at once).
MAY_END_RUN void loadWaiting(Run& run);
MAY_END_RUN void showWaiting(Run& run, const std::string& text);
void hideWaiting(Run& run);
void closeWaiting(Run& run);
MAY_END_RUN void showMessage(Run& run, const std::string& text);
// Shows the red message and waits `seconds` (at once hidden for 0).
MAY_END_RUN void showRed(Run& run, const std::string& text, int seconds);

// A result file for the clinic program written whole (writeTextFile), or the
// red message with its name for 3 seconds; false then.
MAY_END_RUN bool writeResult(Run& run, const std::string& path, const std::string& text);

// Waits the seconds, counting down in the main window's caption.
MAY_END_RUN void timedelay(Run& run, double seconds, const std::string& text);

// The common exit: closes the reader once and ends the process. Never returns.
[[noreturn]] MAY_END_RUN void UnloadMe_End(Run& run);
// The close handler of vexa5: closes the reader, then the common exit.
[[noreturn]] MAY_END_RUN void Form_Unload(Run& run);
// Ends the process at once.
[[noreturn]] MAY_END_RUN void endProcess(Run& run);

// Lets the windows that carry the run on (a viewer, the main window) run
// until the operator has closed them.
MAY_END_RUN void waitForWindows(Run& run);
// Remembers the window shown to the operator that the run now waits on.
void showWindow(Run& run, const std::string& window);

// The main window's log list List1.
void listClear(Run& run);
void listAdd(Run& run, const std::string& line);
// The same, keeping the line itself rather than a copy.
void listAdd(Run& run, std::string&& line);
// From listGather on, added lines reach the screen in one piece at listSend
// (or listClear); listSend also ends the gathering. Whoever gathers sends
// before anything else can reach the screen or end the run.
void listGather(Run& run);
void listSend(Run& run);

// vexa5's Timer2 (enabled only by "/WaitingForm").
MAY_END_RUN void Timer2_Timer(Run& run);

// A number as the runtime prints a single-precision value: up to seven
// significant digits, no trailing zeros ("14.5", "3", "0.25").
std::string formatSingle(double v);

// The waiting window's blink interval and watchdog.
inline constexpr int kTickMs = 500;
inline constexpr int kWatchdogTicks = 600;
inline constexpr int kTimer2Ms = 3000;
