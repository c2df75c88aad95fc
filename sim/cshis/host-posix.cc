// The POSIX side of the simulator's host: file names are UTF-8.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "cp950.h"
#include "host.h"

namespace sim::host {

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool isFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string currentFolder() {
  std::vector<char> buf(4096);
  if (!::getcwd(buf.data(), buf.size())) return std::string();
  std::string dir(buf.data());
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

bool isAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string hostPath(std::string_view cp950) { return cp950::toUtf8(cp950); }

std::tm localNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return tm;
}

}  // namespace sim::host
