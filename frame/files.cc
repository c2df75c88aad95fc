#include "frame/files.h"

#include "frame/progress.h"
#include "frame/run.h"
#include "platform/cp950.h"
#include "platform/platform.h"

namespace {

// The folder part of a path, for telling a missing folder from another failure.
std::string folderOf(const std::string& path) {
  size_t p = path.find_last_of("\\/");
  return p == std::string::npos ? std::string() : path.substr(0, p);
}

int32_t writeFailure(Files run, const std::string& path) {
  std::string f = folderOf(path);
  return !f.empty() && !run.disk.isFolder(f) ? kErrPathNotFound : kErrFileAccess;
}

}  // namespace

bool exists(Files run, const std::string& path) { return run.disk.exists(path); }

bool writeTextFile(Files run, const std::string& path, const std::string& text) {
  if (replaceWhole(run.disk, path, text + "\r\n")) return true;
  run.status = writeFailure(run, path);
  return false;
}

std::string readBlock(Files run, const std::string& path, int32_t start, int16_t length) {
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, ' ');
  if (length <= 0 || !run.disk.exists(path)) return text;
  auto size = run.disk.length(path);
  if (!size || start < 1 || start > *size) return text;
  std::string got;
  if (!run.disk.readAt(path, start - 1, static_cast<size_t>(length), got)) {
    run.status = kErrFileAccess;
    return text;
  }
  got.resize(text.size(), ' ');
  return cp950::normalize(got);
}

void killFile(Files run, const std::string& path) {
  if (!run.disk.remove(path)) run.status = kErrFileNotFound;
}

bool copyFile(Files run, const std::string& from, const std::string& to) {
  if (!run.disk.exists(from)) {
    run.status = kErrFileNotFound;
    return false;
  }
  if (run.disk.copy(from, to)) return true;
  run.status = writeFailure(run, to);
  return false;
}

std::vector<std::string> splitLines(const std::string& data) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < data.size()) {
    size_t e = data.find_first_of("\r\n", i);
    if (e == std::string::npos) {
      lines.push_back(data.substr(i));
      break;
    }
    lines.push_back(data.substr(i, e - i));
    i = e + ((data[e] == '\r' && e + 1 < data.size() && data[e + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

bool readLines(Files run, const std::string& path, std::vector<std::string>& lines) {
  std::string data;
  lines.clear();
  if (!run.disk.read(path, data)) {
    run.status = kErrFileNotFound;
    return false;
  }
  lines = splitLines(data);
  return true;
}

std::string bcut(const std::string& text, long start, long length) {
  if (length <= 0) return std::string();
  if (start < 1) start = 1;
  // Past the end of the text come blanks; the text itself is never copied
  // whole (a reply buffer is cut into many fields).
  const size_t b = static_cast<size_t>(start - 1);
  const size_t n = static_cast<size_t>(length);
  if (b < text.size() && n <= text.size() - b)
    return cp950::normalize(std::string_view(text).substr(b, n));  // no blanks to add
  std::string bytes = b < text.size() ? text.substr(b, n) : std::string();
  bytes.resize(n, ' ');
  return cp950::normalize(bytes);
}

bool activateWindow(Run& run, const std::string& title) {
  bool found = run.sys.activateWindow(title);
  if (found) run.sys.activateWindow(title);
  return found;
}

std::string firstField(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i < line.size() && line[i] == '"') {
    size_t close = line.find('"', i + 1);
    return line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
  }
  size_t comma = line.find(',', i);
  std::string f = line.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
  while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.pop_back();
  return f;
}

bool replaceWhole(Disk& disk, const std::string& path, const std::string& data) {
  // The temporary name is this process's own: two runs writing the same
  // file at once never rename each other's bytes.
  const std::string temporary = temporaryBeside(path);
  if (disk.write(temporary, data) && disk.rename(temporary, path)) return true;
  disk.remove(temporary);
  return false;
}
