// What the two simulated libraries share: where the state file and the journal
// are, the state as one call sees it (loaded from the file, faults taken,
// rewritten whole), the service's clock, and the reading and writing of the
// files the caller names. Each library keeps its own copy of this code, so
// the state file is the only thing they share: every call reads it anew.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/declare/state.h"

namespace declsim {

// A state file larger than this is not a declaration service's state.
inline constexpr size_t kMaxStateBytes = 4 << 20;
// Nor is a parameter file larger than this one of the window's.
inline constexpr size_t kMaxParamBytes = 64 << 10;
// The width of an in/out text buffer, its NUL included.
inline constexpr size_t kTextBuffer = 256;

struct Paths {
  std::string state;
  std::string journal;
};

// DECLARE_SIM, else declare-sim.json in the current folder; DECLARE_SIM_LOG,
// else declare-sim.log beside the state file. Fixed at the first call of the
// process (relative paths against the current folder then) and resolved
// anew only when one of the two variables changes.
Paths paths();

// The state file as one call sees it.
class Store {
 public:
  // Reads the state file, or the built-in demo state when there is none;
  // false and `error` when the file cannot be used.
  bool load(std::string& error);
  State& state() { return state_; }
  const Paths& where() const { return paths_; }

  // The fault that answers this call, if any; the count of every fault of the
  // call moves on and the file is rewritten when that changed something.
  std::optional<Fault> takeFault(std::string_view call, std::string& note);

  // Rewrites the state file whole: a temporary file renamed over it.
  bool save();

 private:
  Paths paths_;
  nlohmann::json doc_;
  State state_;
};

// The service's clock: the local time, its date replaced by
// DECLARE_SIM_TODAY or the state's `today` (Gregorian yyyyMMdd) when given.
struct Now {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
Now now(const State& state);
std::string rocDate(const Now& t);      // yyyMMdd
std::string rocDateTime(const Now& t);  // yyyMMddHHmmss

// The value as `width` digits with leading zeros (the last `width` when longer).
std::string digits(long value, int width);

// A text argument's CP950 bytes, at most `max` of them, up to the NUL.
std::string_view argument(const char* text, size_t max = kTextBuffer);
// The same as UTF-8 without surrounding blanks.
std::string trimmedText(const char* text, size_t max = kTextBuffer);
std::string trim(std::string_view s);

// Copies the text as a NUL-terminated answer into a caller's buffer of
// `size` bytes, never cutting a double-byte character in two.
void putText(char* buf, size_t size, std::string_view cp950);

// The lines of a file the caller names (CP950 path), as UTF-8 without their
// line ends; false and `error` when it cannot be read.
bool readLines(const char* path, std::vector<std::string>& lines, std::string& error);
// Writes UTF-8 text into a file the caller names as CP950 with line feeds only.
bool writeAnswer(const char* path, std::string_view utf8);
// A file the caller names exists as a plain file / as a folder.
bool fileExists(const char* path);
bool folderExists(const char* path);
// Writes bytes into a file the caller names.
bool writeBytes(const char* path, std::string_view bytes);

// Journal fields: a text argument, a number, a reply buffer of `len` bytes,
// and the parameter file's lines joined with a line feed.
std::string journalText(const char* cp950);
// A password's field: one star per character, never the text itself.
std::string journalMasked(const char* cp950);
std::string journalNumber(long value);
std::string journalBuffer(long len);
std::string journalParams(const std::vector<std::string>& lines);
// Appends one journal line; never fails.
void journalCall(std::string_view function, const std::vector<std::string>& args, int code,
                 std::string_view note);

// Every call of a library runs under this lock.
std::mutex& callLock();

}  // namespace declsim
