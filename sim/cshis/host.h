// What the simulator needs of the machine it runs on: its files, its current
// folder, its clock. Only host-posix.cc and host-win32.cc know the platform.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace sim::host {

// The file's bytes; false and `error` when it is missing, not a plain file
// (a folder or a pipe is never opened, so nothing can hang), larger than
// `maxBytes` or unreadable.
bool readFile(const std::string& path, size_t maxBytes, std::string& out, std::string& error);
// Creates or replaces the file with the bytes.
bool writeFile(const std::string& path, std::string_view bytes);
// Adds the bytes at the end of the file, creating it.
bool appendFile(const std::string& path, std::string_view bytes);
// The path up to and including its last folder separator ("" when none).
std::string folderOf(const std::string& path);

// --- platform part ---

// Something (file or folder) has that name.
bool exists(const std::string& path);
// A plain file has that name.
bool isFile(const std::string& path);
// The process's current folder, ending in a separator.
std::string currentFolder();
bool isAbsolute(const std::string& path);
// Renames `from` over `to`, replacing it in one step.
bool replaceFile(const std::string& from, const std::string& to);
// A file name the program passed (CP950 bytes) as the platform's file API takes it.
std::string hostPath(std::string_view cp950);
// The local time now.
std::tm localNow();
// Makes the console show the UTF-8 text a tool writes (Windows' console
// otherwise shows it in the ANSI code page); nothing elsewhere.
void textConsole();

}  // namespace sim::host
