// The run state of the main window vexa5: everything one run of the program
// knows, for the life of that run. It is passed by reference to every
// procedure; there are no other globals. The disk, the clock, the system, the
// screen and the card library are reached through it, so tests can replace them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/screen.h"
#include "frame/files.h"
#include "frame/reader.h"

class CardLib;
class RunLog;

// The settings of the run (orvosys.ini, c:\orvo.ini, marker files).
struct RunSettings {
  std::string workDir;  // the working folder, always ending in "\"
  std::string softAppHttp, softAppUrl, office, officeCode, hospDataType;
  std::string publicUrl;  // the maker's public web site, for where softAppUrl is not reachable
  int16_t beginLink = 0;  // the setting beginlink: 1 refreshes a card online when needed
};

// The progress windows and the timers of the event pump.
struct FrameWindows {
  bool waitingLoaded = false;
  bool messageShown = false;
  int32_t ticks = 0;  // vexadc's Timer1 ticks, counted from its first load in the run
  Colour waitingColour = Colour::Blue;
  int64_t nextTickMs = 0;
  std::string shownWindow;  // the window the run waits on, once the start-up is over
  // Closing the main window ends the process at once, without the common
  // exit: set where a verb's work is done and its window is all that is left
  // (the viewers, the waiting mode, the card report and the dental listing).
  bool endAtOnce = false;
  bool timer2Enabled = false;
  int64_t nextTimer2Ms = 0;
};

struct Run {
  // The card library is any ReaderPort; the template lets the frame name it
  // without knowing it.
  template <class Card>
  Run(Disk& d, Clock& c, System& s, Screen& sc, Card& cl)
      : disk(d), clock(c), sys(s), screen(sc), card(cl), reader(cl) {}

  Disk& disk;
  Clock& clock;
  System& sys;
  Screen& screen;
  CardLib& card;

  std::string C;        // the command line, exactly as the clinic program passed it
  std::string exeName;  // the executable's base name

  RunSettings settings;
  Reader reader;

  // Every card-library code and every skipped failure lands here; not 0 means
  // the last step failed.
  int32_t lastStatus = 0;
  std::string lastError;  // the message of the latest non-zero code (msg4apierr)


  std::vector<std::string> list1;  // the main window's log list
  // While gathering, list1's lines from list1Sent on have not reached the
  // screen yet (listGather, listSend).
  bool list1Gathering = false;
  size_t list1Sent = 0;
  // What the card procedures keep for the rest of the run (institution names
  // looked up, the report kept); theirs alone, the frame only holds it.
  std::shared_ptr<void> cardMemo;
  RunLog* runLog = nullptr;        // the run log (frame/runlog.h); none in tests
  FrameWindows win;

  Files files() { return {disk, lastStatus}; }
};

// Ending the process. Procedures that end the run ("never returns") throw this;
// main() catches it, writes the last event and returns the exit code. It is not
// a failure: failures are values in lastStatus.
struct EndOfRun {
  int code = 0;
};
