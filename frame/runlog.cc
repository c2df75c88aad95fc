#include "frame/runlog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "frame/run.h"

namespace runlog {

std::string dayFileName(const DateTime& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "ic%04d%02d%02d.log", d.year % 10000, d.month % 100, d.day % 100);
  return buf;
}

std::string maskId(const std::string& id) {
  std::string m = id;
  if (m.size() <= 4) return std::string(m.size(), '*');
  for (size_t i = 2; i + 2 < m.size(); ++i) m[i] = '*';
  return m;
}

namespace {

bool upper(char c) { return c >= 'A' && c <= 'Z'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string maskIds(const std::string& text) {
  std::string t = text;
  // Walked by characters, so that the second byte of a double-byte
  // character is never taken for a letter. No word boundary is asked for:
  // fixed-width records run fields together, and masking too much is harmless.
  for (size_t i = 0; i < t.size();) {
    const size_t n = cp950::charBytes(t, i);
    if (n == 1 && upper(t[i]) && i + 10 <= t.size() && (upper(t[i + 1]) || digit(t[i + 1]))) {
      bool digits = true;
      for (size_t k = i + 2; k < i + 10 && digits; ++k) digits = digit(t[k]);
      if (digits) {
        for (size_t k = i + 2; k < i + 8; ++k) t[k] = '*';
        i += 10;
        continue;
      }
    }
    i += n;
  }
  return t;
}

std::string oneLine(const std::string& text) {
  if (text.find_first_of("\r\n") == std::string::npos) return text;  // nearly every line
  std::string o;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      o += " | ";
    } else {
      o += text[i];
    }
  }
  return o;
}

void prune(Disk& disk, const std::string& workDir, const DateTime& now) {
  try {
    const std::string folder = workDir + kFolder;
    if (!disk.isFolder(folder) || disk.isLink(workDir + "ic") || disk.isLink(folder)) return;
    struct Entry {
      DateTime when;
      std::string path;
      int64_t size;
    };
    std::vector<Entry> kept;
    const DateTime limit = addDays(DateTime{now.year, now.month, now.day, 0, 0, 0}, -kKeepDays);
    for (const std::string& name : disk.list(folder + "\\", kPattern)) {
      const std::string path = folder + "\\" + name;
      if (disk.isLink(path)) continue;
      const auto when = disk.modified(path);
      if (!when) continue;
      if (*when < limit) {
        disk.remove(path);
        continue;
      }
      kept.push_back({*when, path, disk.length(path).value_or(0)});
    }
    int64_t total = 0;
    for (const Entry& e : kept) total += e.size;
    std::sort(kept.begin(), kept.end(), [](const Entry& a, const Entry& b) { return a.when < b.when; });
    for (const Entry& e : kept) {
      if (total <= kMaxFolderBytes) break;
      if (disk.remove(e.path)) total -= e.size;
    }
  } catch (...) {
  }
}

}  // namespace runlog

RunLog::RunLog(Disk& disk, Clock& clock, int64_t processId)
    : disk_(disk), clock_(clock), pid_(processId), startMs_(clock.steadyMs()) {}

RunLog::~RunLog() = default;

int64_t RunLog::elapsedMs() const { return clock_.steadyMs() - startMs_; }

void RunLog::line(const char* kind, const std::string& text) noexcept {
  if (state_ == State::Off) return;
  try {
    int ms = 0;
    const DateTime t = clock_.nowPrecise(ms);
    // "2026-12-09 09:53:25.714 [28734] kind    ": written by hand, a line
    // is made for every card call.
    char head[64];
    char* h = head;
    auto digits = [&h](long long v, int width) {  // no field is ever negative
      char b[24];
      int n = 0;
      unsigned long long u = v < 0 ? 0 : static_cast<unsigned long long>(v);
      do {
        b[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
      } while (u != 0);
      while (n < width) b[n++] = '0';
      while (n > 0) *h++ = b[--n];
    };
    digits(t.year % 10000, 4), *h++ = '-', digits(t.month % 100, 2), *h++ = '-';
    digits(t.day % 100, 2);
    *h++ = ' ', digits(t.hour % 100, 2), *h++ = ':', digits(t.minute % 100, 2), *h++ = ':';
    digits(t.second % 100, 2), *h++ = '.', digits(ms % 1000, 3), *h++ = ' ', *h++ = '[';
    digits(pid_ % 10000000000LL, 1), *h++ = ']', *h++ = ' ';
    const size_t kindLength = std::strlen(kind) < 16 ? std::strlen(kind) : 16;
    std::memcpy(h, kind, kindLength);
    h += kindLength;
    for (size_t n = kindLength; n < 7; ++n) *h++ = ' ';
    *h++ = ' ';  // a kind is padded to seven and followed by a blank, as "%-7s "
    std::string l;
    l.reserve(static_cast<size_t>(h - head) + text.size() * 2 + 2);
    l.append(head, static_cast<size_t>(h - head));
    l += cp950::toUtf8(runlog::maskIds(runlog::oneLine(text)));
    l += "\r\n";
    put(l);
  } catch (...) {
  }
}

void RunLog::put(const std::string& utf8Lines) noexcept {
  try {
    if (state_ == State::Waiting) {
      waiting_ += utf8Lines;
      return;
    }
    if (state_ != State::Open) return;
    if (!file_->write(utf8Lines)) {
      problem_ = "the log file could not be written";
      state_ = State::Off;
      file_.reset();
    }
  } catch (...) {
    state_ = State::Off;
  }
}

void RunLog::open(const std::string& workDir, bool enabled) noexcept {
  if (state_ != State::Waiting) return;
  try {
    std::string lines;
    lines.swap(waiting_);
    if (!enabled) {
      state_ = State::Off;
      problem_ = "off (RunLog=0 in orvosys.ini)";
      return;
    }
    std::string dir = workDir;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    const std::string folder = dir + runlog::kFolder;
    state_ = State::Off;
    if (!disk_.isFolder(folder)) {  // the first run of the day in a new folder
      if (!disk_.isFolder(dir + "ic")) disk_.makeFolder(dir + "ic");
      if (!disk_.makeFolder(folder)) {
        problem_ = "the folder " + folder + " cannot be made";
        return;
      }
    }
    const std::string path = folder + "\\" + runlog::dayFileName(clock_.now());
    file_ = disk_.openAppend(path, runlog::kBom);
    if (!file_) {
      problem_ = path + " cannot be opened for writing";
      return;
    }
    if (file_->size() > runlog::kMaxDayBytes) {
      problem_ = path + " is full for today";
      file_.reset();
      return;
    }
    state_ = State::Open;
    put(lines);
  } catch (...) {
    state_ = State::Off;
    file_.reset();
  }
}

void RunLog::ending(const std::string& how) noexcept {
  try {
    if (how_.empty()) how_ = how;
  } catch (...) {
  }
}

void logLine(Run& run, const char* kind, const std::string& text) noexcept {
  if (run.runLog) run.runLog->line(kind, text);
}
