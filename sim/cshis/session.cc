#include "session.h"

#include <cstdio>
#include <cstdlib>

#include "faults.h"
#include "host.h"
#include "record.h"

namespace sim {
namespace {

constexpr int kNoReader = 4000;
constexpr int kPorts = 4;

std::string envPath(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string absolute(const std::string& path) {
  return host::isAbsolute(path) ? path : host::currentFolder() + path;
}

}  // namespace

Paths resolvePaths() {
  Paths p;
  std::string state = envPath("CSHIS_SIM");
  p.state = absolute(state.empty() ? std::string("cshis-sim.json") : state);
  std::string journal = envPath("CSHIS_SIM_LOG");
  p.journal = journal.empty() ? host::folderOf(p.state) + "cshis-sim.log" : absolute(journal);
  return p;
}

Paths Session::paths() const { return open_ ? paths_ : resolvePaths(); }

bool Session::load(std::string& error) {
  state_ = State();
  std::string text;
  bool demo = !host::exists(paths_.state);
  if (demo) {
    text = demoStateText();
  } else if (!host::readFile(paths_.state, kMaxStateBytes, text, error)) {
    return false;
  }
  std::optional<State> s = parseState(text, doc_, error);
  if (!s) {
    if (demo) error = "built-in state: " + error;
    return false;
  }
  state_ = std::move(*s);
  return true;
}

int Session::open(int port) {
  close();
  paths_ = resolvePaths();
  std::string error;
  if (!load(error)) {
    note_ = paths_.state + ": " + error;
    return kNoReader;
  }
  key_.clear();
  if (std::optional<int> fault = takeFault("csOpenCom")) return *fault;
  if (port < 0 || port >= kPorts) {
    note_ = "no reader on port " + std::to_string(port);
    return kNoReader;
  }
  key_ = std::to_string(port + 1);
  if (!state_.readers.count(key_)) {
    note_ = "no reader \"" + key_ + "\" in " + paths_.state;
    key_.clear();
    return kNoReader;
  }
  open_ = true;
  return 0;
}

void Session::close() {
  open_ = false;
  key_.clear();
  state_ = State();
  doc_ = nlohmann::json();
}

std::optional<int> Session::takeFault(std::string_view call) {
  bool changed = false;
  std::optional<Fault> hit = sim::takeFault(state_.faults, call, changed);
  if (changed) save();
  if (!hit) return std::nullopt;
  return hit->code;
}

void Session::save() {
  storeState(state_, key_, doc_);
  std::string text =
      doc_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::string temp = paths_.state + ".tmp";
  if (host::writeFile(temp, text) && host::replaceFile(temp, paths_.state)) return;
  std::remove(temp.c_str());
  note_ = "state not saved to " + paths_.state;
}

std::string Session::clock() const {
  auto r = state_.readers.find(key_);
  if (r != state_.readers.end() && r->second.clock) return field(*r->second.clock, layout::kClockSize);
  std::tm t = host::localNow();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%03d%02d%02d%02d%02d%02d", (t.tm_year + 1900 - 1911) % 1000,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::optional<std::string> Session::takeKeypadEntry() {
  std::vector<std::string>& keypad = reader().keypad;
  if (keypad.empty()) return std::nullopt;
  std::string entry = keypad.front();
  keypad.erase(keypad.begin());
  return entry;
}

}  // namespace sim
