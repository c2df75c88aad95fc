// The Windows side of the simulator's host: file names are in the ANSI code
// page, which on a clinic's machine is CP950 itself.
#include <windows.h>

#include "host.h"

namespace sim::host {

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isFile(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

std::string currentFolder() {
  char buf[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  if (n == 0 || n > MAX_PATH) return std::string();
  std::string dir(buf, n);
  if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

bool isAbsolute(const std::string& path) {
  if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/'))
    return true;
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string hostPath(std::string_view cp950) { return std::string(cp950); }

std::tm localNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_s(&tm, &t);
  return tm;
}

void textConsole() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace sim::host
