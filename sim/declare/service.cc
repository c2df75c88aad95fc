#include "sim/declare/service.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/cp950.h"
#include "sim/cshis/faults.h"
#include "sim/cshis/host.h"
#include "sim/cshis/journal.h"

namespace declsim {

namespace host = sim::host;

namespace {

std::string envValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string absolute(const std::string& path) {
  return host::isAbsolute(path) ? path : host::currentFolder() + path;
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// A Gregorian yyyyMMdd that names a real day.
bool parseDate(const std::string& s, Now& t) {
  if (s.size() != 8 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(4, 2)), d = std::stoi(s.substr(6, 2));
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1912 || m < 1 || m > 12 || d < 1) return false;
  if (d > kDays[m - 1] + (m == 2 && isLeapYear(y) ? 1 : 0)) return false;
  t.year = y;
  t.month = m;
  t.day = d;
  return true;
}

}  // namespace

Paths paths() {
  struct Cache {
    bool resolved = false;
    std::string state, journal;
    Paths paths;
  };
  static Cache cache;
  std::string state = envValue("DECLARE_SIM");
  std::string journal = envValue("DECLARE_SIM_LOG");
  if (!cache.resolved || state != cache.state || journal != cache.journal) {
    cache.resolved = true;
    cache.state = state;
    cache.journal = journal;
    cache.paths.state = absolute(state.empty() ? std::string("declare-sim.json") : state);
    cache.paths.journal =
        journal.empty() ? host::folderOf(cache.paths.state) + "declare-sim.log" : absolute(journal);
  }
  return cache.paths;
}

bool Store::load(std::string& error) {
  paths_ = paths();
  std::string text;
  bool demo = !host::exists(paths_.state);
  if (demo) {
    text = demoStateText();
  } else if (!host::readFile(paths_.state, kMaxStateBytes, text, error)) {
    error = paths_.state + ": " + error;
    return false;
  }
  std::optional<State> s = parseState(text, doc_, error);
  if (!s) {
    error = (demo ? std::string("built-in state") : paths_.state) + ": " + error;
    return false;
  }
  state_ = std::move(*s);
  return true;
}

std::optional<Fault> Store::takeFault(std::string_view call, std::string& note) {
  bool changed = false;
  std::optional<Fault> hit = sim::takeFault(state_.faults, call, changed);
  if (changed && !save()) note = "state not saved to " + paths_.state;
  return hit;
}

bool Store::save() {
  storeState(state_, doc_);
  std::string text = doc_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::string temp = paths_.state + ".tmp";
  if (host::writeFile(temp, text) && host::replaceFile(temp, paths_.state)) return true;
  std::remove(temp.c_str());
  return false;
}

Now now(const State& state) {
  std::tm tm = host::localNow();
  Now t{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  // The variable wins over the state; a value that names no day is ignored.
  std::string env = envValue("DECLARE_SIM_TODAY");
  if (!env.empty() && parseDate(env, t)) return t;
  if (state.today) parseDate(*state.today, t);
  return t;
}

std::string rocDate(const Now& t) {
  return digits(t.year - 1911, 3) + digits(t.month, 2) + digits(t.day, 2);
}

std::string rocDateTime(const Now& t) {
  return rocDate(t) + digits(t.hour, 2) + digits(t.minute, 2) + digits(t.second, 2);
}

std::string digits(long value, int width) {
  std::string s = std::to_string(value < 0 ? 0 : value);
  if (s.size() < static_cast<size_t>(width)) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s.substr(s.size() - static_cast<size_t>(width));
}

std::string_view argument(const char* text, size_t max) {
  if (!text) return {};
  size_t n = 0;
  while (n < max && text[n] != '\0') ++n;
  return std::string_view(text, n);
}

std::string trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

std::string trimmedText(const char* text, size_t max) {
  return trim(cp950::toUtf8(argument(text, max)));
}

void putText(char* buf, size_t size, std::string_view cp950) {
  if (!buf || size == 0) return;
  size_t n = 0;
  // Whole characters only, and room for the NUL.
  while (n < cp950.size()) {
    size_t w = cp950::isLead(static_cast<unsigned char>(cp950[n])) && n + 1 < cp950.size() ? 2 : 1;
    if (n + w > size - 1) break;
    n += w;
  }
  std::copy(cp950.begin(), cp950.begin() + static_cast<std::ptrdiff_t>(n), buf);
  buf[n] = '\0';
}

bool readLines(const char* path, std::vector<std::string>& lines, std::string& error) {
  std::string bytes;
  if (!path) {
    error = "no file named";
    return false;
  }
  if (!host::readFile(host::hostPath(argument(path)), kMaxParamBytes, bytes, error)) return false;
  lines.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(cp950::toUtf8(line));
    start = end + 1;
  }
  return true;
}

bool writeAnswer(const char* path, std::string_view utf8) {
  std::string text;
  text.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      text += '\n';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      text += utf8[i];
    }
  }
  return writeBytes(path, cp950::fromUtf8(text));
}

bool fileExists(const char* path) { return path && host::isFile(host::hostPath(argument(path))); }

bool folderExists(const char* path) {
  if (!path || !*path) return false;
  std::string p = host::hostPath(argument(path));
  return host::exists(p) && !host::isFile(p);
}

bool writeBytes(const char* path, std::string_view bytes) {
  if (!path || !*path) return false;
  return host::writeFile(host::hostPath(argument(path)), bytes);
}

std::string journalText(const char* cp950) {
  if (!cp950) return "(null)";
  return sim::journal::escape(cp950::toUtf8(argument(cp950, 1 << 16)));
}

std::string journalMasked(const char* cp950) {
  if (!cp950) return "(null)";
  // One star a character, as the event log shows a password box.
  size_t chars = 0;
  for (unsigned char c : cp950::toUtf8(argument(cp950, 1 << 16)))
    if ((c & 0xC0) != 0x80) ++chars;
  return std::string(chars, '*');
}

std::string journalNumber(long value) { return std::to_string(value); }

std::string journalBuffer(long len) { return "buf=" + std::to_string(len); }

std::string journalParams(const std::vector<std::string>& lines) {
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) joined += '\n';
    joined += lines[i];
  }
  return "params=" + sim::journal::escape(joined);
}

void journalCall(std::string_view function, const std::vector<std::string>& args, int code,
                 std::string_view note) {
  try {
    sim::journal::append(paths().journal, sim::journal::line(function, args, code, note));
  } catch (...) {
  }
}

std::mutex& callLock() {
  static std::mutex m;
  return m;
}

}  // namespace declsim
