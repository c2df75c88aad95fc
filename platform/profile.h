// Profile strings ("orvosys.ini", "c:\orvo.ini") as Windows reads and writes
// them, over the bytes of one file. POSIX has no such service, so its System
// uses this emulation; the Windows build uses the real functions and its tests
// compare the two on one corpus.
#pragma once

#include <string>

struct ProfileValue {
  std::string text;  // what lands in the caller's buffer
  int count = 0;     // what the function reports
};

// GetPrivateProfileStringA over `content` (the file's bytes, or nullptr-like
// empty with `fileExists` false) with a buffer of `size` characters: section and
// key compared without case, blanks around keys and values dropped, one pair of
// matching quotes around a value removed, the default (without its trailing
// blanks) when the section or key is missing, the value cut to size - 1.
ProfileValue readProfile(const std::string& content, bool fileExists, const std::string& section,
                         const std::string& key, const std::string& def, int size);

// WritePrivateProfileStringA: the file's new content with `key` set to `value`
// in `section`; the section is added at the end when missing.
std::string writeProfile(const std::string& content, const std::string& section,
                         const std::string& key, const std::string& value);
