// The operating system as the rest of the program sees it: the disk, the clock
// and the few system services the program needs (profile strings, the command
// line, loading a library, the current folder). Each is a narrow interface so
// that tests can substitute a fake; the real ones live in *-posix.cc and
// *-win32.cc beside this header and nothing above platform/ knows which one runs.
//
// Paths are given in the program's own Windows form ("c:\orvo\ic\ZupRn",
// "ic\samsign\", "ReadF4.txt") and in CP950; each platform turns them into its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A local date and time as the clock and the file system report it.
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  auto operator<=>(const DateTime&) const = default;
};

// Days since 1 January 1970 of a Gregorian date (no time zone involved).
int64_t daysFromCivil(int year, int month, int day);
// The date that lies `days` days after `d` (negative: before), time kept.
DateTime addDays(const DateTime& d, int64_t days);

// Held while it lives: an exclusive lock that other runs of the program (other
// processes, on this or another workstation sharing the folder) wait for.
struct DiskLock {
  virtual ~DiskLock() = default;
};

// A folder held open by the program (see Disk::openFolder). Names are plain
// file names in it; a name that is a link is never followed.
struct OpenFolder {
  virtual ~OpenFolder() = default;
  // The plain files (not links, not folders) that match the file-list pattern.
  virtual std::vector<std::string> list(const std::string& pattern) = 0;
  virtual std::optional<int64_t> length(const std::string& name) = 0;
  virtual std::optional<DateTime> modified(const std::string& name) = 0;
  // Deletes the plain file of that name in this folder.
  virtual bool remove(const std::string& name) = 0;
};

// A file opened for appending whole lines: each write() lands at the end in
// one operation, so the lines of two processes sharing the file never mix.
struct AppendFile {
  virtual ~AppendFile() = default;
  virtual bool write(const std::string& data) = 0;
  // Its size when opened; -1 when unknown.
  virtual int64_t size() = 0;
};

struct Disk {
  virtual ~Disk() = default;
  // True for an existing file or folder; never fails.
  virtual bool exists(const std::string& path) = 0;
  virtual bool isFolder(const std::string& path) = 0;
  virtual std::optional<int64_t> length(const std::string& path) = 0;
  virtual std::optional<DateTime> modified(const std::string& path) = 0;
  // The whole file; false when it cannot be read.
  virtual bool read(const std::string& path, std::string& out) = 0;
  // Up to `count` bytes from byte offset `offset` (0-based); fewer at the end.
  virtual bool readAt(const std::string& path, int64_t offset, size_t count, std::string& out) = 0;
  // Creates or replaces the file with exactly `data`.
  virtual bool write(const std::string& path, const std::string& data) = 0;
  // Binary access: writes `data` at byte offset `offset`, creating the file when
  // missing and keeping whatever lies beyond the written range.
  virtual bool writeAt(const std::string& path, int64_t offset, const std::string& data) = 0;
  virtual bool append(const std::string& path, const std::string& data) = 0;
  // Copies a file, replacing the target, and keeps the source's modification
  // time (as the runtime's FileCopy does: callers compare date-times after it).
  virtual bool copy(const std::string& from, const std::string& to) = 0;
  // Copies `from` over `to` so that `to` is always whole: the old file or the
  // new one, never half of it (a temporary file beside `to`, then one rename).
  // Keeps the time like copy(); refuses a read-only or folder `to`.
  virtual bool replaceWithCopy(const std::string& from, const std::string& to) {
    return copy(from, to);
  }
  // A symbolic link, junction or other reparse point: never followed to delete.
  virtual bool isLink(const std::string&) { return false; }
  // The folder base\parts[0]\parts[1]..., opened once: what is listed and
  // deleted through it stays in that folder even when a path to it is swapped
  // for a link meanwhile. Null when one of `parts` is a link (the base may be
  // one) or the folder cannot be opened.
  virtual std::unique_ptr<OpenFolder> openFolder(const std::string& base,
                                                 const std::vector<std::string>& parts);
  // Names of the folders in `folder`, without links, "." and "..".
  virtual std::vector<std::string> folders(const std::string&) { return {}; }
  // Replaces `to` by `from` in one step where the platform can (temporary files).
  virtual bool rename(const std::string& from, const std::string& to) = 0;
  virtual bool remove(const std::string& path) = 0;
  virtual bool makeFolder(const std::string& path) = 0;
  // Names of the files (not folders) in `folder` that match the file-list box's
  // pattern: ";"-separated wildcards with "*" and "?", compared without case.
  virtual std::vector<std::string> list(const std::string& folder, const std::string& pattern) = 0;
  // An exclusive lock on the file `path` (created, empty, when missing; its
  // folder must exist), waiting up to `waitMs` for another run to let go.
  // Null when it could not be had in time or the file cannot be opened.
  virtual std::unique_ptr<DiskLock> lock(const std::string& path, int waitMs) = 0;
  // Opens the file for appending (created when missing; its folder must
  // exist), writing `header` first when this call created it. Others may read,
  // append to and delete it while it is open. Null when it cannot be opened.
  virtual std::unique_ptr<AppendFile> openAppend(const std::string& path, const std::string& header);
};

struct Clock {
  virtual ~Clock() = default;
  virtual DateTime now() = 0;
  // now() and the millisecond within its second, read together (the run log).
  virtual DateTime nowPrecise(int& millisecond) {
    millisecond = 0;
    return now();
  }
  // Milliseconds of a steady clock: waits measured with it end on time even
  // across midnight.
  virtual int64_t steadyMs() = 0;
  virtual void sleepMs(int ms) = 0;
};

// A library loaded by name and the addresses of its functions.
struct Library {
  virtual ~Library() = default;
  virtual void* function(const char* name) = 0;
  // The file it was loaded from (program's form), empty when unknown.
  virtual std::string path() { return {}; }
};


// What mapping a network drive gave.
struct NetDriveResult {
  bool supported = false;  // false: this build cannot map drives
  bool ok = false;
  bool replaced = false;   // the letter was taken by another share and was freed first
  uint32_t code = 0;       // the platform's failure code
  std::string text;        // the platform's failure text (CP950), empty when it gives none
};

struct System {
  virtual ~System() = default;
  // The text after the program name, as the clinic program passed it (CP950).
  virtual std::string commandLine() = 0;
  // The program's executable name without folder and extension.
  virtual std::string exeBaseName() = 0;
  virtual std::string currentFolder() = 0;
  virtual bool setCurrentFolder(const std::string& path) = 0;
  // GetPrivateProfileStringA with a buffer of `size` characters: the value and
  // the count the function reports.
  virtual std::string profileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& file,
                                    int size) = 0;
  virtual bool writeProfileString(const std::string& section, const std::string& key,
                                  const std::string& value, const std::string& file) = 0;
  // Loads the card-control library ("cshis"): beside the executable first,
  // then the platform's usual search. Null when it cannot be loaded; then
  // lastLoadError() tells why.
  virtual std::unique_ptr<Library> loadLibrary(const std::string& baseName) = 0;
  // Why the last load failed, as the technician reads it (CP950): "not found",
  // "not a library of this program's kind (32-bit Windows)", or the system's text.
  virtual std::string lastLoadError() { return {}; }
  // The process id, for telling the lines of two runs apart.
  virtual int64_t processId() { return 0; }
  // Loads the library at exactly that path (program's form, e.g. workDir +
  // libraryFileName("nhi_eiiapi")) and nowhere else. Null when it cannot be loaded.
  virtual std::unique_ptr<Library> loadLibraryFile(const std::string& path) { return nullptr; }
  // The shell's "open" of a file or web address (a program is started with
  // the parameters); false when it failed.
  virtual bool shellOpen(const std::string& what, const std::string& params) = 0;
  // Brings a window with that title to the front; false when there is none.
  virtual bool activateWindow(const std::string& title) = 0;
  // An environment variable as the program's CP950 text, like every other
  // text from the system (a file name in it goes to the Disk as it is).
  virtual std::optional<std::string> env(const char* name) = 0;
  // The full path of the program's own executable.
  virtual std::string exePath() { return {}; }
  // Connects the drive letter ("F:") to the share (\\server\path); when the
  // letter already names another share, that connection is cancelled first.
  virtual NetDriveResult mapNetworkDrive(const std::string&, const std::string&) { return {}; }
};

// The file name of a library of that base name on this platform: "X.dll" on
// Windows, "libX.so" on POSIX.
std::string libraryFileName(const std::string& baseName);

// The program's Windows-form CP950 path as the operating system's narrow file
// functions take it: on POSIX UTF-8 with X:\ under $IC_DRIVE_ROOT (as Disk
// reads it), on Windows the ANSI code page (the short form where that code
// page cannot hold the name). For code that hands paths to other libraries.
std::string hostPath(const std::string& path);

// The temporary file beside `path` that this process writes before renaming
// it over `path`: "<path>.<process id>.ic-new", so that two runs writing the
// same file at once never share one.
std::string temporaryBeside(const std::string& path);

// The path made absolute with "." and ".." parts and (where the platform can)
// links resolved, in the program's form, for telling whether one folder lies
// inside another; the path as given when it cannot be resolved.
std::string resolvedPath(const std::string& path);
// The system's text for the failure of the last file operation of this
// thread (CP950), with its code; empty when it gives none.
std::string systemErrorText();
// Forgets the last failure, so that the next failure's text is its own.
void clearSystemError();
// Free bytes for the caller on the disk of the folder; none when unknown.
std::optional<int64_t> freeDiskSpace(const std::string& folder);
// The file's version resource ("1.2.3.4") where it has one (Windows), else empty.
std::string fileVersion(const std::string& path);
// Writes the text to standard output when that is a file or a pipe; false
// when it is a terminal, a console or missing (nothing is written then).
bool writeRedirectedStdout(const std::string& text);

// The real ones of the platform this program was built for.
std::unique_ptr<Disk> makeRealDisk();
// The test mode's full disk (docs/automation.md): the disk `real` whose
// `failAt`-th write and every one after it fail as on a full disk, each
// leaving the first half of its bytes behind, as a full disk does.
std::unique_ptr<Disk> makeFullDisk(std::unique_ptr<Disk> real, long failAt);
std::unique_ptr<Clock> makeRealClock();
std::unique_ptr<System> makeRealSystem(int argc, char** argv);

// Tells the program's version to whoever asked: one line on standard output;
// a Windows program started without one (from Explorer, or from a console,
// which a window program does not get) shows it in a message box instead.
void tellVersion(const std::string& version);
