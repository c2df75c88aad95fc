// The general file and text helpers every procedure calls. They run in the
// skip-on-failure way: a failing operation does nothing more and leaves a code
// of the runtime in lastStatus (53 file not found, 75 access error, 76 path not
// found), never an exception.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Disk;
struct Run;

// What a file helper needs: the disk and the run-wide status its failure
// lands in. The helpers never hold or end the run: a failure is their answer,
// and the caller decides what the operator is told (writeResult).
struct Files {
  Disk& disk;
  int32_t& status;
};

inline constexpr int32_t kErrFileNotFound = 53;
inline constexpr int32_t kErrFileAccess = 75;
inline constexpr int32_t kErrPathNotFound = 76;

// A file or folder of that name exists; never fails.
bool exists(Files files, const std::string& path);
// Creates or replaces the file with the text and a line end (CR LF): written
// whole to a temporary file beside it and renamed over the old one, so a
// reader never finds half a file. A failure leaves the old file and sets the
// status.
bool writeTextFile(Files files, const std::string& path, const std::string& text);
// Creates or replaces the file with exactly `data`, written whole to this
// process's temporary file beside it and renamed over it: the old file or the
// new one, never half of either. False (the old file kept) when it failed.
bool replaceWhole(Disk& disk, const std::string& path, const std::string& data);
// The working folder's lock, held for every read-modify-write of a file that
// other runs (on this or another workstation) change too; others wait for it
// as long as the archive's savers do.
inline constexpr const char* kWorkFolderLock = "ic\\ic.lock";
inline constexpr int kWorkFolderLockWaitMs = 10000;
// `length` bytes at 1-based byte `start` of the file, blank-filled where the
// file gives nothing; all blanks when the file is missing or start is outside it.
std::string readBlock(Files files, const std::string& path, int32_t start, int16_t length);
// Deletes a file when it exists (Kill in the skip-on-failure way).
void killFile(Files files, const std::string& path);
// Copies a file, replacing the target.
bool copyFile(Files files, const std::string& from, const std::string& to);
// Text split into lines at CR LF, CR or LF.
std::vector<std::string> splitLines(const std::string& data);
// The file as text lines (CR LF, CR or LF ends); false when it cannot be read.
bool readLines(Files files, const std::string& path, std::vector<std::string>& lines);

// The byte-wise cut of fixed-width card fields: bytes start..start+length-1
// (1-based) of the text, blank-padded, as the platform's decoder leaves them
// (a split double-byte character becomes "?").
std::string bcut(const std::string& text, long start, long length);

// Brings the window with that title to the front, twice; false when there is none.
bool activateWindow(Run& run, const std::string& title);

// The list-input rule for the first field of a line: leading blanks skipped,
// ends at the first comma or the line end; a field in double quotes ends at
// the closing quote.
std::string firstField(const std::string& line);
