// The POSIX side of the platform: files through std::filesystem, the clock of
// the C library, profile strings through the emulation of profile.h, and the
// card-control library through dlopen. Fixed Windows paths ("c:\orvo.ini") map
// under $IC_DRIVE_ROOT (default ~/.ic/drives): X:\a\b is $IC_DRIVE_ROOT/x/a/b.
#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/statvfs.h>
#include <fcntl.h>
#include <sys/file.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/profile.h"
#include "platform/wildcard.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string driveRoot() {
  if (const char* r = std::getenv("IC_DRIVE_ROOT"); r && *r) return r;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.ic/drives";
}

// The program's Windows-form CP950 path as a POSIX path.
fs::path native(const std::string& path) {
  std::string p = cp950::toUtf8(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    std::string rest = p.substr(2);
    while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(p[0]))));
    return fs::path(driveRoot()) / drive / rest;
  }
  return fs::path(p);
}

// The same as text for the system calls themselves: a path that needs no
// drive mapping is not taken apart into a filesystem::path, which the
// housekeeping would do tens of thousands of times.
std::string nativeText(const std::string& path) {
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
    return native(path).string();
  std::string p = cp950::toUtf8(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

// The status of a path, following links; false when there is none.
bool status(const std::string& path, struct stat& st) {
  return !path.empty() && ::stat(nativeText(path).c_str(), &st) == 0;
}

// Gives `to` the modification time of `from`, as a Windows copy does.
bool keepTime(const fs::path& from, const fs::path& to) {
  struct stat st {};
  if (::stat(from.c_str(), &st) != 0) return false;
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  return ::utimensat(AT_FDCWD, to.c_str(), times, 0) == 0;
}

// A file whose write bits are all clear counts as read-only, as the Windows
// attribute does, even for a user the system would let write it.
// Writes `data` to the file, created when missing (never a folder): at
// `offset`, or where the flags put it when offset is -1. One open, the
// writes, one close; false when any of them failed.
bool putFile(const std::string& p, int flags, int64_t offset, const std::string& data) {
  int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < data.size();) {
    const size_t n = data.size() - done;
    const ssize_t w = offset < 0 ? ::write(fd, data.data() + done, n)
                                 : ::pwrite(fd, data.data() + done, n, offset + static_cast<off_t>(done));
    if (w < 0 && errno == EINTR) continue;
    ok = w > 0;
    if (ok) done += static_cast<size_t>(w);
  }
  return ::close(fd) == 0 && ok;
}

bool readOnlyFile(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

DateTime fromTimeT(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// flock: released when the descriptor closes, also when the process dies.
class PosixLock : public DiskLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}
  ~PosixLock() override { ::close(fd_); }

 private:
  int fd_;
};

// A folder held by its descriptor: every step is relative to it and never
// follows a link, so swapping a path for a link during the run changes nothing.
class PosixFolder : public OpenFolder {
 public:
  explicit PosixFolder(int fd) : fd_(fd) {}
  ~PosixFolder() override { ::close(fd_); }
  std::vector<std::string> list(const std::string& pattern) override {
    std::vector<std::string> names;
    const int dup = ::dup(fd_);
    if (dup < 0) return names;
    DIR* d = ::fdopendir(dup);
    if (!d) {
      ::close(dup);
      return names;
    }
    ::rewinddir(d);
    while (const dirent* e = ::readdir(d)) {
      struct stat st {};
      if (::fstatat(fd_, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
      std::string name = cp950::fromUtf8(e->d_name);
      if (matchesPattern(name, pattern)) names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::optional<int64_t> length(const std::string& name) override {
    struct stat st {};
    if (!plain(name, st)) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
  }
  std::optional<DateTime> modified(const std::string& name) override {
    struct stat st {};
    if (!plain(name, st)) return std::nullopt;
    return fromTimeT(st.st_mtime);
  }
  bool remove(const std::string& name) override {
    struct stat st {};
    return plain(name, st) && ::unlinkat(fd_, cp950::toUtf8(name).c_str(), 0) == 0;
  }

 private:
  bool plain(const std::string& name, struct stat& st) {
    const std::string n = cp950::toUtf8(name);
    if (n.empty() || n.find('/') != std::string::npos) return false;
    return ::fstatat(fd_, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
  }
  int fd_;
};

// O_APPEND: each write lands at the end in one step, whoever else appends.
class PosixAppend : public AppendFile {
 public:
  PosixAppend(int fd, int64_t size) : fd_(fd), size_(size) {}
  ~PosixAppend() override { ::close(fd_); }
  bool write(const std::string& data) override {
    const ssize_t n = ::write(fd_, data.data(), data.size());
    return n == static_cast<ssize_t>(data.size());
  }
  int64_t size() override { return size_; }

 private:
  int fd_;
  int64_t size_;
};

class PosixDisk : public Disk {
 public:
  std::unique_ptr<OpenFolder> openFolder(const std::string& base,
                                         const std::vector<std::string>& parts) override {
    int fd = ::open(native(base).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const std::string& part : parts) {
      if (fd < 0) return nullptr;
      const std::string n = cp950::toUtf8(part);
      const int next = n.find('/') == std::string::npos
                           ? ::openat(fd, n.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                           : -1;
      ::close(fd);
      fd = next;
    }
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFolder>(fd);
}

  std::unique_ptr<AppendFile> openAppend(const std::string& path, const std::string& header) override {
    const fs::path p = native(path);
    // Most runs find the day's file there. O_NONBLOCK: a pipe of that name
    // must not hold the run until someone reads it (it is refused below).
    constexpr int kExisting = O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(p.c_str(), kExisting);
    bool created = false;
    if (fd < 0 && errno == ENOENT) {
      // Made here or by another run at the same moment: one header only.
      fd = ::open(p.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      created = fd >= 0;
      if (!created && errno == EEXIST) fd = ::open(p.c_str(), kExisting);
    }
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    auto f = std::make_unique<PosixAppend>(fd, static_cast<int64_t>(st.st_size));
    if (created && !header.empty()) f->write(header);
    return f;
  }
  std::unique_ptr<DiskLock> lock(const std::string& path, int waitMs) override {
    std::error_code ec;
    const fs::path p = native(path);
    if (path.empty() || fs::is_directory(p, ec)) return nullptr;
    const int fd = ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<PosixLock>(fd);
      if (errno != EWOULDBLOCK && errno != EINTR) break;
      if (std::chrono::steady_clock::now() >= until) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fd);
    return nullptr;
  }
  bool exists(const std::string& path) override {
    struct stat st {};
    return status(path, st);
  }
  bool isFolder(const std::string& path) override {
    struct stat st {};
    return status(path, st) && S_ISDIR(st.st_mode);
  }
  std::optional<int64_t> length(const std::string& path) override {
    struct stat st {};
    if (!status(path, st)) return std::nullopt;
    if (S_ISDIR(st.st_mode)) return 0;
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
  }
  std::optional<DateTime> modified(const std::string& path) override {
    struct stat st {};
    if (::stat(nativeText(path).c_str(), &st) != 0) return std::nullopt;
    return fromTimeT(st.st_mtime);
  }
  bool read(const std::string& path, std::string& out) override {
    int fd = ::open(nativeText(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
      // The size known, then whatever the file grew by meanwhile.
      out.resize(static_cast<size_t>(st.st_size) + 1);
      size_t got = 0;
      for (;;) {
        if (got == out.size()) out.resize(out.size() * 2);
        const ssize_t r = ::read(fd, out.data() + got, out.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
          ok = r == 0;
          break;
        }
        got += static_cast<size_t>(r);
      }
      out.resize(got);
    }
    ::close(fd);
    return ok;
  }
  bool readAt(const std::string& path, int64_t offset, size_t count, std::string& out) override {
    if (offset < 0) return false;
    int fd = ::open(nativeText(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
      out.resize(count);
      size_t got = 0;
      while (got < count) {
        const ssize_t r = ::pread(fd, out.data() + got, count - got, offset + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;  // the end of the file, or what could be read of it
        got += static_cast<size_t>(r);
      }
      out.resize(got);
    }
    ::close(fd);
    return ok;
  }
  bool write(const std::string& path, const std::string& data) override {
    return putFile(nativeText(path), O_TRUNC, -1, data);
  }
  bool writeAt(const std::string& path, int64_t offset, const std::string& data) override {
    // Bytes between the end and the offset read as zeros.
    if (offset < 0) return false;
    return putFile(nativeText(path), 0, offset, data);
  }
  bool append(const std::string& path, const std::string& data) override {
    return putFile(nativeText(path), O_APPEND, -1, data);
  }
  bool copy(const std::string& from, const std::string& to) override {
    std::error_code ec;
    fs::path src = native(from);
    if (!fs::is_regular_file(src, ec)) return false;
    fs::path dst = native(to);
    if (!fs::copy_file(src, dst, fs::copy_options::overwrite_existing, ec) || ec) return false;
    return keepTime(src, dst);
  }
  bool replaceWithCopy(const std::string& from, const std::string& to) override {
    std::error_code ec;
    fs::path src = native(from), dst = native(to);
    if (!fs::is_regular_file(src, ec) || fs::is_directory(dst, ec) || readOnlyFile(dst))
      return false;
    fs::path tmp = native(temporaryBeside(to));
    if (!fs::copy_file(src, tmp, fs::copy_options::overwrite_existing, ec) || ec ||
        !keepTime(src, tmp)) {
      fs::remove(tmp, ec);
      return false;
    }
    fs::rename(tmp, dst, ec);
    if (ec) {
      std::error_code ignored;
      fs::remove(tmp, ignored);
      return false;
    }
    return true;
  }
  bool isLink(const std::string& path) override {
    struct stat st {};
    return !path.empty() && ::lstat(nativeText(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }
  std::vector<std::string> folders(const std::string& folder) override {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(native(folder), ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code e2;
      if (it->is_symlink(e2) || !it->is_directory(e2)) continue;
      names.push_back(cp950::fromUtf8(it->path().filename().string()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  bool rename(const std::string& from, const std::string& to) override {
    std::error_code ec;
    fs::rename(native(from), native(to), ec);
    return !ec;
  }
  bool remove(const std::string& path) override {
    struct stat st {};
    if (!status(path, st) || !S_ISREG(st.st_mode)) return false;
    return ::unlink(nativeText(path).c_str()) == 0;
  }
  bool makeFolder(const std::string& path) override {
    std::error_code ec;
    fs::path p = native(path);
    if (fs::is_directory(p, ec)) return true;
    return fs::create_directory(p, ec) && !ec;
  }
  std::vector<std::string> list(const std::string& folder, const std::string& pattern) override {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(native(folder), ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code e2;
      if (!it->is_regular_file(e2)) continue;
      std::string name = cp950::fromUtf8(it->path().filename().string());
      if (matchesPattern(name, pattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

class PosixClock : public Clock {
 public:
  DateTime now() override { return fromTimeT(std::time(nullptr)); }
  int64_t steadyMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  DateTime nowPrecise(int& millisecond) override {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return fromTimeT(ts.tv_sec);
  }
};

class PosixLibrary : public Library {
 public:
  explicit PosixLibrary(void* h) : handle_(h) {}
  ~PosixLibrary() override { dlclose(handle_); }
  void* function(const char* name) override { return dlsym(handle_, name); }
  std::string path() override {
    struct link_map* map = nullptr;
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return {};
    std::error_code ec;
    fs::path p = fs::absolute(map->l_name, ec);
    return cp950::fromUtf8(ec ? std::string(map->l_name) : p.string());
  }

 private:
  void* handle_;
};

class PosixSystem : public System {
 public:
  PosixSystem(int argc, char** argv) {
    // The arguments joined by single blanks: the command line as one text.
    std::string joined;
    for (int i = 1; i < argc; ++i) {
      if (i > 1) joined += ' ';
      joined += argv[i];
    }
    commandLine_ = cp950::fromUtf8(joined);
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) self = fs::absolute(argc > 0 ? argv[0] : "ic", ec);
    exeFolder_ = self.parent_path();
    exePath_ = cp950::fromUtf8(self.string());
    std::string name = self.filename().string();
    if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    exeBase_ = cp950::fromUtf8(name);
  }
  std::string commandLine() override { return commandLine_; }
  std::string exeBaseName() override { return exeBase_; }
  std::string currentFolder() override {
    std::error_code ec;
    return cp950::fromUtf8(fs::current_path(ec).string());
  }
  bool setCurrentFolder(const std::string& path) override {
    return ::chdir(native(path).c_str()) == 0;
  }
  std::string profileString(const std::string& section, const std::string& key,
                            const std::string& def, const std::string& file, int size) override {
    std::string content;
    bool found = disk_.read(profilePath(file), content);
    return readProfile(content, found, section, key, def, size).text;
  }
  bool writeProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& file) override {
    // Read, changed and written whole beside the old file, then renamed over
    // it, holding a lock on its folder: a full disk leaves the old file, and
    // two runs writing keys at once never drop each other's.
    std::string path = profilePath(file), content;
    const fs::path folder = native(path).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = false;
    for (int i = 0; i < 500 && !ok; ++i) {
      ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
      if (!ok) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (ok) {
      ok = !readOnlyFile(native(path)) && (!disk_.exists(path) || disk_.read(path, content));
      const std::string temporary = temporaryBeside(path);
      ok = ok && disk_.write(temporary, writeProfile(content, section, key, value)) &&
           disk_.rename(temporary, path);
      if (!ok) disk_.remove(temporary);
    }
    ::close(fd);
    return ok;
  }
  std::unique_ptr<Library> loadLibrary(const std::string& baseName) override {
    std::string file = "lib" + baseName + ".so";
    void* h = dlopen((exeFolder_ / file).c_str(), RTLD_NOW | RTLD_LOCAL);
    std::string besideWhy;
    if (!h) {
      const char* e = dlerror();
      besideWhy = e ? e : "";
      h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!h) {
      // The copy beside the program explains more than the search's miss.
      const char* e = dlerror();
      std::string why = besideWhy.find("No such file") == std::string::npos ? besideWhy
                                                                             : std::string(e ? e : "");
      if (why.find("No such file") != std::string::npos)
        loadError_ = "not found (" + file + ")";
      else if (why.find("wrong ELF class") != std::string::npos ||
               why.find("invalid ELF header") != std::string::npos ||
               why.find("file too short") != std::string::npos)
        loadError_ = "not a library of this program's kind: " + why;
      else
        loadError_ = why;
      loadError_ = cp950::fromUtf8(loadError_);
      return nullptr;
    }
    return std::make_unique<PosixLibrary>(h);
  }
  std::string lastLoadError() override { return loadError_; }
  int64_t processId() override { return static_cast<int64_t>(::getpid()); }
  std::unique_ptr<Library> loadLibraryFile(const std::string& path) override {
    void* h = dlopen(native(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return nullptr;
    return std::make_unique<PosixLibrary>(h);
  }
  bool shellOpen(const std::string& what, const std::string& params) override {
    // No desktop shell here for documents and web pages (the console and
    // record screens report the open); a program is started, not waited for.
    std::error_code ec;
    fs::path p = native(what);
    struct stat st {};
    if (what.empty() || ::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        (st.st_mode & 0111) == 0)
      return true;
    std::string file = p.has_parent_path() ? p.string() : "./" + p.string();
    std::vector<std::string> args = {file};
    std::string cur;
    for (char c : cp950::toUtf8(params) + " ") {
      if (c != ' ') {
        cur += c;
      } else if (!cur.empty()) {
        args.push_back(cur);
        cur.clear();
      }
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    return ::posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
  }
  bool activateWindow(const std::string&) override { return false; }
  std::optional<std::string> env(const char* name) override {
    const char* v = std::getenv(name);
    if (!v) return std::nullopt;
    return cp950::fromUtf8(v);
  }
  std::string exePath() override { return exePath_; }
  NetDriveResult mapNetworkDrive(const std::string&, const std::string&) override {
    return {};  // no drive letters here
  }

 private:
  // A bare file name is resolved in the Windows folder, as Windows does.
  static std::string profilePath(const std::string& file) {
    if (file.find_first_of("\\/:") == std::string::npos) return "c:\\windows\\" + file;
    return file;
  }
  std::string commandLine_, exeBase_, exePath_, loadError_;
  fs::path exeFolder_;
  PosixDisk disk_;
};

}  // namespace

std::string libraryFileName(const std::string& baseName) { return "lib" + baseName + ".so"; }

std::string resolvedPath(const std::string& path) {
  std::error_code ec;
  const fs::path r = fs::weakly_canonical(fs::absolute(native(path), ec), ec);
  return ec ? path : cp950::fromUtf8(r.string());
}

std::string temporaryBeside(const std::string& path) {
  return path + "." + std::to_string(::getpid()) + ".ic-new";
}

std::string hostPath(const std::string& path) { return native(path).string(); }

std::unique_ptr<Disk> makeRealDisk() { return std::make_unique<PosixDisk>(); }
std::unique_ptr<Clock> makeRealClock() { return std::make_unique<PosixClock>(); }
std::unique_ptr<System> makeRealSystem(int argc, char** argv) {
  return std::make_unique<PosixSystem>(argc, argv);
}

std::string systemErrorText() {
  const int e = errno;
  if (e == 0) return {};
  return cp950::fromUtf8(std::string(std::strerror(e)) + " (errno " + std::to_string(e) + ")");
}

void clearSystemError() { errno = 0; }

std::optional<int64_t> freeDiskSpace(const std::string& folder) {
  struct statvfs v {};
  if (::statvfs(native(folder).c_str(), &v) != 0) return std::nullopt;
  return static_cast<int64_t>(v.f_bavail) * static_cast<int64_t>(v.f_frsize);
}

std::string fileVersion(const std::string&) { return {}; }

bool writeRedirectedStdout(const std::string& text) {
  struct stat st {};
  if (::isatty(1) || ::fstat(1, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) ||
                                               S_ISSOCK(st.st_mode)))
    return false;
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0;
}

void tellVersion(const std::string& version) {
  std::fputs((version + "\n").c_str(), stdout);
  std::fflush(stdout);
}
