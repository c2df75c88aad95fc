// The run log: what a run did, for the clinic's support technician. Every run
// appends to the day's file ic\log\icYYYYMMDD.log in the working folder, one
// line an event with the time to the millisecond and the process id (see
// docs/diagnostics.md for the file and its lines).
//
// Nothing here may harm a run: every failure is swallowed (a log that cannot
// be opened or written is dropped for the rest of the run and reported by
// --ic-diagnose), and nothing of a patient is written in clear (identity
// numbers and names masked; PINs, signatures and passwords never given to it).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct AppendFile;
struct Clock;
struct DateTime;
struct Disk;
struct Run;

namespace runlog {

// The folder under the working folder, and the cap of one day's file and of
// the folder (housekeeping), in bytes.
inline constexpr const char* kFolder = "ic\\log";
inline constexpr int64_t kMaxDayBytes = 10 * 1024 * 1024;
inline constexpr int64_t kMaxFolderBytes = 50 * 1024 * 1024;
inline constexpr int kKeepDays = 30;
// The files housekeeping may remove: the day logs and --ic-diagnose's reports.
inline constexpr const char* kPattern = "ic????????.log;diag*.txt";

// "ic20261209.log": the log file of that day.
std::string dayFileName(const DateTime& day);
// The start of a file: the byte order mark of UTF-8, which every Notepad
// honours.
inline constexpr const char* kBom = "\xEF\xBB\xBF";

// An identity number: its first and last two characters, the rest "*"
// ("A1******89"); up to four characters all "*".
std::string maskId(const std::string& id);
// Every word of the text shaped like an identity number (a letter, a letter
// or digit, eight digits) masked as maskId does: the last guard of every line.
std::string maskIds(const std::string& text);
// A text for one line: CR and LF become " | ".
std::string oneLine(const std::string& text);

// Removes day logs older than kKeepDays, then the oldest until the folder is
// under kMaxFolderBytes. `workDir` ends in "\".
void prune(Disk& disk, const std::string& workDir, const DateTime& now);

}  // namespace runlog

class RunLog {
 public:
  RunLog(Disk& disk, Clock& clock, int64_t processId);
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // One line of that kind (a short word) with the text (CP950). Before open()
  // the lines wait in memory.
  void line(const char* kind, const std::string& text) noexcept;
  // False once the log is off or failed: callers may skip building a line.
  bool wanted() const { return state_ != State::Off; }

  // The working folder is known: the waiting lines go to its day file, and so
  // does every later one; `enabled` false (RunLog=0) drops them all.
  void open(const std::string& workDir, bool enabled) noexcept;
  bool opened() const { return state_ == State::Open; }
  // Why the log could not be written (CP950), empty when it could.
  const std::string& problem() const { return problem_; }

  // How the run ended, when not normally (the first reason stays).
  void ending(const std::string& how) noexcept;
  const std::string& how() const { return how_; }

  Clock& clock() { return clock_; }
  int64_t elapsedMs() const;

 private:
  enum class State { Waiting, Open, Off };
  void put(const std::string& utf8Lines) noexcept;
  Disk& disk_;
  Clock& clock_;
  int64_t pid_;
  int64_t startMs_;
  State state_ = State::Waiting;
  std::string waiting_;  // UTF-8 lines before open()
  std::unique_ptr<AppendFile> file_;
  std::string problem_, how_;
};

// The run's log line, when the run has a log.
void logLine(Run& run, const char* kind, const std::string& text) noexcept;
