// The POSIX side of the simulator's host: file names are UTF-8.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/cp950.h"
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

// The program hands the library paths in their Windows form ("/tmp/x\\UpLoadA.XML",
// "c:\\orvo\\UpLoadA.XML"): read them as the program's POSIX platform does,
// backslashes as slashes and a drive letter under $IC_DRIVE_ROOT.
std::string hostPath(std::string_view cp950) {
  std::string p = cp950::toUtf8(cp950);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    const char* root = std::getenv("IC_DRIVE_ROOT");
    const char* home = std::getenv("HOME");
    std::string base = root && *root ? root : std::string(home && *home ? home : "/tmp") + "/.ic/drives";
    std::string rest = p.substr(2);
    while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    p = base + "/" + static_cast<char>(std::tolower(static_cast<unsigned char>(p[0]))) + "/" + rest;
  }
  return p;
}

std::tm localNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return tm;
}

void textConsole() {}

}  // namespace sim::host
