// The Windows side of the platform: files through the W functions with names
// converted from CP950 (so a Chinese folder name works whatever the system code
// page), the system clock, the real profile-string functions, and the card
// library through LoadLibrary. Fixed paths ("c:\orvo.ini") are used as they stand.
// Network drives through WNetAddConnection2A and its companions (mpr).
#include <windows.h>
#include <shellapi.h>
#include <winnetwk.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/cp950-win32.h"
#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/wildcard.h"

namespace {

std::wstring wide(const std::string& cp950Text) { return cp950::toWide(cp950Text); }

// Closes a handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (ok()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

DWORD attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(wide(path).c_str());
}

bool isDir(DWORD a) { return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY); }

// The system's own text for an error code, without its trailing line end.
std::string messageOf(DWORD err) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = text ? text : L"";
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
  return cp950::fromWide(w);
}

// A refusal that lasts only while another process holds the file.
bool momentary(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
         error == ERROR_LOCK_VIOLATION;
}

// Opens a plain file on disk; a folder, a device or a pipe is refused so that
// nothing can block on it.
HANDLE openFile(const std::string& path, DWORD access, DWORD disposition) {
  if (path.empty() || isDir(attributes(path))) return INVALID_HANDLE_VALUE;
  HANDLE h = CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

bool readAll(HANDLE h, size_t count, std::string& out) {
  out.assign(count, '\0');
  size_t got = 0;
  while (got < count) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - got, 1u << 20)), n = 0;
    if (!ReadFile(h, out.data() + got, chunk, &n, nullptr)) return false;
    if (n == 0) break;
    got += n;
  }
  out.resize(got);
  return true;
}

bool writeAll(HANDLE h, const char* data, size_t count) {
  while (count > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 1u << 20)), n = 0;
    if (!WriteFile(h, data, chunk, &n, nullptr) || n == 0) return false;
    data += n;
    count -= n;
  }
  return true;
}

bool seek(HANDLE h, int64_t offset) {
  LARGE_INTEGER li;
  li.QuadPart = offset;
  return SetFilePointerEx(h, li, nullptr, FILE_BEGIN) != 0;
}

std::optional<int64_t> sizeOf(HANDLE h) {
  LARGE_INTEGER li;
  if (!GetFileSizeEx(h, &li)) return std::nullopt;
  return li.QuadPart;
}

DateTime fromSystemTime(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

// LockFileEx on the whole file: released when the handle closes, also when
// the process dies.
class WinLock : public DiskLock {
 public:
  explicit WinLock(HANDLE h) : h_(h) {}
  ~WinLock() override { CloseHandle(h_); }

 private:
  HANDLE h_;
};

// A folder held open, with every folder between it and the base, without
// letting anyone delete or rename them meanwhile (no FILE_SHARE_DELETE): its
// path keeps naming this folder for as long as it is held. A name is
// re-checked for a reparse point before it is deleted.
class WinFolder : public OpenFolder {
 public:
  WinFolder(Disk& disk, std::string path, std::vector<HANDLE> held)
      : disk_(disk), path_(std::move(path)), held_(std::move(held)) {}
  ~WinFolder() override {
    for (HANDLE h : held_) CloseHandle(h);
  }
  std::vector<std::string> list(const std::string& pattern) override {
    std::vector<std::string> out;
    for (const std::string& n : disk_.list(path_, pattern))
      if (plain(n)) out.push_back(n);
    return out;
  }
  std::optional<int64_t> length(const std::string& name) override {
    if (!plain(name)) return std::nullopt;
    return disk_.length(at(name));
  }
  std::optional<DateTime> modified(const std::string& name) override {
    if (!plain(name)) return std::nullopt;
    return disk_.modified(at(name));
  }
  bool remove(const std::string& name) override {
    return plain(name) && DeleteFileW(wide(at(name)).c_str()) != 0;
  }

 private:
  std::string at(const std::string& name) const { return path_ + "\\" + name; }
  bool plain(const std::string& name) const {
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos) return false;
    const DWORD a = attributes(at(name));
    return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  }
  Disk& disk_;
  std::string path_;
  std::vector<HANDLE> held_;
};

// FILE_APPEND_DATA without FILE_WRITE_DATA: every WriteFile lands at the end.
// Windows makes such a write one step, but not every implementation does (under
// Wine two processes appending at once can each find the same end and write
// over each other's line), so each write is also taken under a one-byte lock
// far past any real end of the file. The lock only orders writers; a writer
// that cannot have it within a second (a share without locks) writes anyway.
class WinAppend : public AppendFile {
 public:
  WinAppend(HANDLE h, int64_t size) : h_(h), size_(size) {}
  ~WinAppend() override { CloseHandle(h_); }
  bool write(const std::string& data) override {
    const bool locked = lock();
    DWORD n = 0;
    const bool ok = WriteFile(h_, data.data(), static_cast<DWORD>(data.size()), &n, nullptr) &&
                    n == data.size();
    if (locked) {
      OVERLAPPED o = at();
      UnlockFileEx(h_, 0, 1, 0, &o);
    }
    return ok;
  }
  int64_t size() override { return size_; }

 private:
  static OVERLAPPED at() {
    OVERLAPPED o{};
    o.OffsetHigh = 0x40000000;  // 2^62: no log file ever reaches it
    return o;
  }
  bool lock() {
    const ULONGLONG until = GetTickCount64() + 1000;
    for (;;) {
      OVERLAPPED o = at();
      if (LockFileEx(h_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o)) return true;
      if (GetLastError() != ERROR_LOCK_VIOLATION || GetTickCount64() >= until) return false;
      Sleep(1);
    }
  }

  HANDLE h_;
  int64_t size_;
};

class WinDisk : public Disk {
 public:
  std::unique_ptr<OpenFolder> openFolder(const std::string& base,
                                         const std::vector<std::string>& parts) override {
    std::string path = base;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    std::vector<HANDLE> held;
    auto release = [&] {
      for (HANDLE h : held) CloseHandle(h);
      return nullptr;
    };
    for (const std::string& part : parts) {
      if (part.empty() || part.find_first_of("\\/:") != std::string::npos) return release();
      path += "\\" + part;
      HANDLE h = CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
      if (h == INVALID_HANDLE_VALUE) return release();
      held.push_back(h);
      BY_HANDLE_FILE_INFORMATION info;
      if (!GetFileInformationByHandle(h, &info) ||
          !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
          (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return release();
    }
    if (!isDir(attributes(path))) return release();
    return std::make_unique<WinFolder>(*this, path, std::move(held));
}

  std::unique_ptr<AppendFile> openAppend(const std::string& path, const std::string& header) override {
    if (path.empty() || isDir(attributes(path))) return nullptr;
    HANDLE h = CreateFileW(wide(path).c_str(), FILE_READ_DATA | FILE_APPEND_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) {
      CloseHandle(h);
      return nullptr;
    }
    auto f = std::make_unique<WinAppend>(h, static_cast<int64_t>(size.QuadPart));
    if (created && !header.empty()) f->write(header);
    return f;
  }
  std::unique_ptr<DiskLock> lock(const std::string& path, int waitMs) override {
    HANDLE h = openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(waitMs < 0 ? 0 : waitMs);
    for (;;) {
      OVERLAPPED o{};
      if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                     &o))
        return std::make_unique<WinLock>(h);
      if (GetTickCount64() >= until) break;
      Sleep(20);
    }
    CloseHandle(h);
    return nullptr;
  }
  bool exists(const std::string& path) override {
    return attributes(path) != INVALID_FILE_ATTRIBUTES;
  }
  bool isFolder(const std::string& path) override { return isDir(attributes(path)); }
  std::optional<int64_t> length(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (path.empty() || !GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &d))
      return std::nullopt;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  }
  std::optional<DateTime> modified(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (path.empty() || !GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &d))
      return std::nullopt;
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&d.ftLastWriteTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
      return std::nullopt;
    return fromSystemTime(local);
  }
  bool read(const std::string& path, std::string& out) override {
    Handle h(openFile(path, GENERIC_READ, OPEN_EXISTING));
    if (!h.ok()) return false;
    auto n = sizeOf(h.get());
    if (!n || *n > 0x7FFFFFFF) return false;
    return readAll(h.get(), static_cast<size_t>(*n), out);
  }
  bool readAt(const std::string& path, int64_t offset, size_t count, std::string& out) override {
    if (offset < 0) return false;
    Handle h(openFile(path, GENERIC_READ, OPEN_EXISTING));
    if (!h.ok() || !seek(h.get(), offset)) return false;
    return readAll(h.get(), count, out);
  }
  bool write(const std::string& path, const std::string& data) override {
    Handle h(openFile(path, GENERIC_WRITE, CREATE_ALWAYS));
    return h.ok() && writeAll(h.get(), data.data(), data.size());
  }
  bool writeAt(const std::string& path, int64_t offset, const std::string& data) override {
    if (offset < 0) return false;
    Handle h(openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS));
    if (!h.ok()) return false;
    auto size = sizeOf(h.get());
    if (!size) return false;
    if (offset > *size) {
      // The gap is zeros, written out rather than left to the file system.
      std::string gap(static_cast<size_t>(offset - *size), '\0');
      if (!seek(h.get(), *size) || !writeAll(h.get(), gap.data(), gap.size())) return false;
    }
    return seek(h.get(), offset) && writeAll(h.get(), data.data(), data.size());
  }
  bool append(const std::string& path, const std::string& data) override {
    Handle h(openFile(path, FILE_APPEND_DATA, OPEN_ALWAYS));
    return h.ok() && writeAll(h.get(), data.data(), data.size());
  }
  bool copy(const std::string& from, const std::string& to) override {
    DWORD a = attributes(from);
    if (a == INVALID_FILE_ATTRIBUTES || isDir(a) || to.empty()) return false;
    // CopyFile keeps the modification time.
    return CopyFileW(wide(from).c_str(), wide(to).c_str(), FALSE) != 0;
  }
  bool replaceWithCopy(const std::string& from, const std::string& to) override {
    DWORD a = attributes(from), t = attributes(to);
    if (a == INVALID_FILE_ATTRIBUTES || isDir(a) || to.empty()) return false;
    if (t != INVALID_FILE_ATTRIBUTES && (isDir(t) || (t & FILE_ATTRIBUTE_READONLY))) return false;
    std::wstring tmp = wide(temporaryBeside(to));
    if (!CopyFileW(wide(from).c_str(), tmp.c_str(), FALSE)) {
      DeleteFileW(tmp.c_str());
      return false;
    }
    if (!MoveFileExW(tmp.c_str(), wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      DeleteFileW(tmp.c_str());
      return false;
    }
    return true;
  }
  bool isLink(const std::string& path) override {
    DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
  }
  std::vector<std::string> folders(const std::string& folder) override {
    // Real folders only: a link's target may lie anywhere.
    return entries(folder, [](const WIN32_FIND_DATAW& fd, const std::string& name) {
      return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
             !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && name != "." && name != "..";
    });
  }
  // Another run in the same folder may hold the file a moment (reading it,
  // or deleting it: a file being deleted refuses a new one of its name), so
  // a refusal of that kind is tried again for up to a quarter of a second.
  bool rename(const std::string& from, const std::string& to) override {
    if (from.empty() || to.empty()) return false;
    for (int tries = 0;; ++tries) {
      if (MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return true;
      if (!momentary(GetLastError()) || tries >= 12) return false;
      Sleep(20);
    }
  }
  bool remove(const std::string& path) override {
    for (int tries = 0;; ++tries) {
      DWORD a = attributes(path);
      if (a == INVALID_FILE_ATTRIBUTES || isDir(a)) return false;
      if (DeleteFileW(wide(path).c_str())) return true;
      if (!momentary(GetLastError()) || (a & FILE_ATTRIBUTE_READONLY) || tries >= 12) return false;
      Sleep(20);
    }
  }
  bool makeFolder(const std::string& path) override {
    if (isFolder(path)) return true;
    return !path.empty() && CreateDirectoryW(wide(path).c_str(), nullptr) != 0;
  }
  std::vector<std::string> list(const std::string& folder, const std::string& pattern) override {
    return entries(folder, [&](const WIN32_FIND_DATAW& fd, const std::string& name) {
      return !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && matchesPattern(name, pattern);
    });
  }

 private:
  // The sorted names of the folder's entries that `keep` accepts.
  template <class Keep>
  static std::vector<std::string> entries(const std::string& folder, Keep keep) {
    std::string spec = folder;
    if (!spec.empty() && spec.back() != '\\' && spec.back() != '/' && spec.back() != ':')
      spec += '\\';
    spec += '*';
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(wide(spec).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      std::string name = cp950::fromWide(fd.cFileName);
      if (keep(fd, name)) names.push_back(std::move(name));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
  }
};

class WinClock : public Clock {
 public:
  DateTime now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return fromSystemTime(st);
  }
  // The performance counter rather than the tick count, whose steps can be 16 ms.
  int64_t steadyMs() override {
    LARGE_INTEGER c, f;
    if (!QueryPerformanceCounter(&c) || !QueryPerformanceFrequency(&f) || f.QuadPart <= 0)
      return static_cast<int64_t>(GetTickCount64());
    return c.QuadPart / f.QuadPart * 1000 + c.QuadPart % f.QuadPart * 1000 / f.QuadPart;
  }
  void sleepMs(int ms) override { Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }
  DateTime nowPrecise(int& millisecond) override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    millisecond = st.wMilliseconds;
    return fromSystemTime(st);
  }
};

class WinLibrary : public Library {
 public:
  explicit WinLibrary(HMODULE h) : h_(h) {}
  ~WinLibrary() override { FreeLibrary(h_); }
  void* function(const char* name) override {
    FARPROC f = GetProcAddress(h_, name);
    void* p = nullptr;
    static_assert(sizeof p == sizeof f);
    std::memcpy(&p, &f, sizeof p);
    return p;
  }
  std::string path() override {
    std::wstring w(1024, L'\0');
    DWORD n = GetModuleFileNameW(h_, w.data(), static_cast<DWORD>(w.size()));
    if (n == 0 || n >= w.size()) return {};
    w.resize(n);
    return cp950::fromWide(w);
  }

 private:
  HMODULE h_;
};

// The text after the program name and the one blank that separates them, the
// rest exactly as the clinic program passed it.
std::wstring argumentsOf(const wchar_t* line) {
  const wchar_t* p = line ? line : L"";
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  if (*p == L' ' || *p == L'\t') ++p;
  return p;
}

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// A name for the A profile functions, which read it in the system code page:
// the CP950 path itself on a Chinese system, otherwise the path in that code
// page, or its short form when the code page cannot hold it.
std::string ansiPath(const std::string& cp950Path) {
  if (GetACP() == 950) return cp950Path;
  std::wstring w = wide(cp950Path);
  auto toAnsi = [](const std::wstring& s, bool& lossy) {
    BOOL used = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, nullptr, 0, nullptr, &used);
    std::string out(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, out.data(), n, nullptr, &used);
    out.resize(std::strlen(out.c_str()));
    lossy = used != FALSE;
    return out;
  };
  bool lossy = false;
  std::string a = toAnsi(w, lossy);
  if (!lossy) return a;
  // The file may not exist yet: shorten its folder and keep its name.
  std::wstring folder = w, leaf;
  if (size_t cut = w.find_last_of(L"\\/"); cut != std::wstring::npos) {
    folder = w.substr(0, cut + 1);
    leaf = w.substr(cut + 1);
  }
  std::wstring shortName(MAX_PATH, L'\0');
  DWORD n = GetShortPathNameW(w.c_str(), shortName.data(), MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    n = GetShortPathNameW(folder.c_str(), shortName.data(), MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return a;
    shortName.resize(n);
    shortName += leaf;
  } else {
    shortName.resize(n);
  }
  return toAnsi(shortName, lossy);
}

// A text of the system's code page as CP950.
std::string fromAnsi(const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, w.data(), n);
  w.resize(static_cast<size_t>(n - 1));
  return cp950::fromWide(w);
}

// Why a network call failed: the provider's own text for an extended error,
// else the system's message for the code; empty when neither has one.
std::string netFailureText(DWORD code) {
  if (code == ERROR_EXTENDED_ERROR) {
    DWORD provCode = 0;
    char text[512] = {0}, provider[256] = {0};
    if (WNetGetLastErrorA(&provCode, text, sizeof text, provider, sizeof provider) == NO_ERROR &&
        text[0])
      return fromAnsi(text);
    return {};
  }
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::wstring w = n && buf ? std::wstring(buf, n) : std::wstring();
  if (buf) LocalFree(buf);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
  return cp950::fromWide(w);
}

class WinSystem : public System {
 public:
  WinSystem() {
    commandLine_ = cp950::fromWide(argumentsOf(GetCommandLineW()));
    std::wstring self = modulePath();
    std::wstring name = self.substr(self.find_last_of(L"\\/") + 1);
    if (size_t dot = name.rfind(L'.'); dot != std::wstring::npos && dot > 0) name.erase(dot);
    exeBase_ = cp950::fromWide(name);
    exePath_ = cp950::fromWide(self);
  }
  std::string commandLine() override { return commandLine_; }
  std::string exeBaseName() override { return exeBase_; }
  std::string currentFolder() override {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return {};
    std::wstring dir(n, L'\0');
    n = GetCurrentDirectoryW(n, dir.data());
    dir.resize(n);
    return cp950::fromWide(dir);
  }
  bool setCurrentFolder(const std::string& path) override {
    return !path.empty() && SetCurrentDirectoryW(wide(path).c_str()) != 0;
  }
  std::string profileString(const std::string& section, const std::string& key,
                            const std::string& def, const std::string& file, int size) override {
    if (size <= 0) return {};
    // The buffer starts as NULs and the reported count decides what is kept.
    std::string buf(static_cast<size_t>(size), '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(),
                                       static_cast<DWORD>(size), ansiPath(file).c_str());
    buf.resize(std::min<size_t>(n, buf.size()));
    return buf;
  }
  bool writeProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& file) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      ansiPath(file).c_str()) != 0;
  }
  std::unique_ptr<Library> loadLibrary(const std::string& baseName) override {
    // The program's own folder is searched first. A missing library or one of
    // its dependencies must not stop the run with a system dialog.
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE h = LoadLibraryW(wide(baseName + ".dll").c_str());
    const DWORD err = h ? 0 : GetLastError();
    SetErrorMode(old);
    if (!h) {
      loadError_ = loadErrorText(baseName + ".dll", err);
      return nullptr;
    }
    return std::make_unique<WinLibrary>(h);
  }
  std::string lastLoadError() override { return loadError_; }
  int64_t processId() override { return static_cast<int64_t>(GetCurrentProcessId()); }
  std::unique_ptr<Library> loadLibraryFile(const std::string& path) override {
    // Its own dependencies are looked for beside it, not beside the program.
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE h = LoadLibraryExW(wide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetErrorMode(old);
    if (!h) return nullptr;
    return std::make_unique<WinLibrary>(h);
  }
  bool shellOpen(const std::string& what, const std::string& params) override {
    if (what.empty()) return false;
    std::wstring w = wide(what), p = wide(params);
    HINSTANCE r = ShellExecuteW(nullptr, L"open", w.c_str(), p.empty() ? nullptr : p.c_str(),
                                nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
  }
  bool activateWindow(const std::string& title) override {
    HWND w = FindWindowW(nullptr, wide(title).c_str());
    if (!w) return false;
    if (IsIconic(w)) ShowWindow(w, SW_RESTORE);
    SetForegroundWindow(w);
    return true;
  }
  std::optional<std::string> env(const char* name) override {
    std::wstring n = wide(name);
    SetLastError(ERROR_SUCCESS);
    DWORD size = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
    if (size == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    std::wstring v(size, L'\0');
    size = GetEnvironmentVariableW(n.c_str(), v.data(), size);
    v.resize(size);
    return cp950::fromWide(v);
  }
  std::string exePath() override { return exePath_; }
  NetDriveResult mapNetworkDrive(const std::string& local, const std::string& remote) override {
    NetDriveResult r;
    r.supported = true;
    NETRESOURCEA nr{};
    nr.dwType = RESOURCETYPE_DISK;
    nr.lpLocalName = const_cast<char*>(local.c_str());
    nr.lpRemoteName = const_cast<char*>(remote.c_str());
    // For this logon only: the clinic program maps its drives at every start.
    DWORD code = WNetAddConnection2A(&nr, nullptr, nullptr, 0);
    if (code == ERROR_ALREADY_ASSIGNED || code == ERROR_DEVICE_ALREADY_REMEMBERED) {
      char current[MAX_PATH + 1] = {0};
      DWORD len = MAX_PATH;
      // Only a letter that names another share is freed; a local disk is left alone.
      if (WNetGetConnectionA(local.c_str(), current, &len) == NO_ERROR) {
        if (lstrcmpiA(current, remote.c_str()) == 0) {
          code = NO_ERROR;
        } else {
          code = WNetCancelConnection2A(local.c_str(), 0, FALSE);
          if (code == NO_ERROR) {
            r.replaced = true;
            code = WNetAddConnection2A(&nr, nullptr, nullptr, 0);
          }
        }
      }
    }
    r.ok = code == NO_ERROR;
    if (!r.ok) {
      r.code = code;
      r.text = netFailureText(code);
    }
    return r;
  }

 private:
  // LoadLibrary's failure as the technician reads it: the two usual ones by
  // name, any other with the system's own text.
  static std::string loadErrorText(const std::string& file, DWORD err) {
    const std::string code = " (" + std::to_string(err) + ")";
    if (err == ERROR_MOD_NOT_FOUND) return "not found: " + file + code;
    if (err == ERROR_BAD_EXE_FORMAT)
      return "not a library of this program's kind (32-bit Windows): " + file + code;
    return file + ": " + messageOf(err) + code;
  }
  std::string commandLine_, exeBase_, exePath_, loadError_;
};

}  // namespace

std::string libraryFileName(const std::string& baseName) { return baseName + ".dll"; }

std::string resolvedPath(const std::string& path) {
  const std::wstring w = wide(path);
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(w.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.assign(n + 1, L'\0');
    n = GetFullPathNameW(w.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (n == 0 || n >= full.size()) return path;
  full.resize(n);
  // A folder that exists is named by its final path (junctions and links followed).
  HANDLE h = CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    std::wstring fin(32768, L'\0');
    const DWORD m = GetFinalPathNameByHandleW(h, fin.data(), static_cast<DWORD>(fin.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (m > 0 && m < fin.size()) {
      fin.resize(m);
      if (fin.rfind(L"\\\\?\\UNC\\", 0) == 0) fin = L"\\\\" + fin.substr(8);
      else if (fin.rfind(L"\\\\?\\", 0) == 0) fin = fin.substr(4);
      full = fin;
    }
  }
  return cp950::fromWide(full);
}

std::string temporaryBeside(const std::string& path) {
  return path + "." + std::to_string(GetCurrentProcessId()) + ".ic-new";
}

std::string hostPath(const std::string& path) { return ansiPath(path); }

std::unique_ptr<Disk> makeRealDisk() { return std::make_unique<WinDisk>(); }
std::unique_ptr<Clock> makeRealClock() { return std::make_unique<WinClock>(); }
std::unique_ptr<System> makeRealSystem(int, char**) { return std::make_unique<WinSystem>(); }

std::string systemErrorText() {
  const DWORD err = GetLastError();
  if (err == 0) return {};
  return messageOf(err) + " (" + std::to_string(err) + ")";
}

void clearSystemError() {
  SetLastError(0);
  errno = 0;
}

std::optional<int64_t> freeDiskSpace(const std::string& folder) {
  ULARGE_INTEGER avail{};
  if (!GetDiskFreeSpaceExW(wide(folder).c_str(), &avail, nullptr, nullptr)) return std::nullopt;
  return static_cast<int64_t>(avail.QuadPart);
}

std::string fileVersion(const std::string& path) {
  const std::wstring w = wide(path);
  DWORD ignored = 0;
  const DWORD n = GetFileVersionInfoSizeW(w.c_str(), &ignored);
  if (n == 0) return {};
  std::vector<char> block(n);
  if (!GetFileVersionInfoW(w.c_str(), 0, n, block.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info ||
      len < sizeof *info)
    return {};
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionLS));
}

bool writeRedirectedStdout(const std::string& text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(out);
  if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) return false;
  DWORD written = 0;
  return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

void tellVersion(const std::string& version) {
  // A window program has a usable standard output only when its starter gave
  // it a file or a pipe (a script): then the version goes there. A console is
  // not one a window program can write to, so there, as from Explorer, the
  // version is a message box.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) {
    DWORD type = GetFileType(out);
    std::string line = version + "\r\n";
    DWORD written = 0;
    if ((type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) &&
        WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
        written == line.size())
      return;
  }
  std::wstring text = L"ic 版本 " + std::wstring(version.begin(), version.end());
  MessageBoxW(nullptr, text.c_str(), L"ic", MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}
