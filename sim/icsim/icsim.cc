// icsim: the simulators' states for a clinic program's developer. It writes
// the ready states (scenarios), checks a state file by line, column and field,
// shows a state as a person reads it, and prints a journal for a terminal.
// It reads the states with the simulators' own code, so what it accepts, the
// simulators accept.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/cp950.h"
#include "sim/cshis/host.h"
#include "sim/cshis/state.h"
#include "sim/declare/state.h"
#include "sim/icsim/check.h"
#include "sim/icsim/scenarios.h"

using nlohmann::json;
using namespace icsim;

namespace {

constexpr size_t kMaxFile = 4u << 20;  // as the simulators

void out(const std::string& s) { std::fwrite(s.data(), 1, s.size(), stdout); }
void err(const std::string& s) { std::fwrite(s.data(), 1, s.size(), stderr); }

int usage() {
  err("usage: icsim scenarios\n"
      "       icsim new SCENARIO [FILE]\n"
      "       icsim check FILE...\n"
      "       icsim show FILE\n"
      "       icsim journal [FILE]\n"
      "(docs/simulator.md, section icsim)\n");
  return 2;
}

bool readText(const std::string& path, std::string& text) {
  std::string why;
  if (sim::host::readFile(path, kMaxFile, text, why)) return true;
  err("icsim: " + path + ": " + why + "\n");
  return false;
}

int listScenarios() {
  for (const Scenario& s : scenarios()) {
    std::string line = s.name;
    line.resize(std::max<size_t>(line.size() + 2, 26), ' ');
    std::string verb = s.verb;
    verb.resize(std::max<size_t>(verb.size() + 2, 16), ' ');
    out(line + verb + s.purpose + "\n");
  }
  return 0;
}

int newState(const std::string& name, const std::string& file) {
  const Scenario* s = findScenario(name);
  if (!s) {
    err("icsim: no scenario \"" + name + "\" (icsim scenarios lists them)\n");
    return 1;
  }
  std::string path = file.empty() ? defaultStateName(s->simulator) : file;
  if (!sim::host::writeFile(path, scenarioText(*s))) {
    err("icsim: " + path + ": cannot be written\n");
    return 1;
  }
  out(path + ": " + s->name + " (play it with: ic " + s->verb + ")\n");
  return 0;
}

std::string placeText(const std::string& file, const Problem& p) {
  return file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column) + ": " +
         (p.field.empty() ? "" : p.field + ": ") + p.what + "\n";
}

int check(const std::vector<std::string>& files) {
  int bad = 0;
  for (const std::string& f : files) {
    std::string text;
    if (!readText(f, text)) {
      ++bad;
      continue;
    }
    Simulator s = simulatorOf(text, f);
    std::vector<Problem> problems = checkState(text, s);
    const char* whose = s == Simulator::Card ? "the card reader's state" : "the declaration service's state";
    if (problems.empty()) {
      // Taken: what the simulator would never read is worth a word.
      std::vector<Problem> unknown = unknownKeys(text, s);
      for (const Problem& p : unknown) out(placeText(f, p));
      out(f + ": " + whose + ", no problem" +
          (unknown.empty() ? std::string()
                           : ", " + std::to_string(unknown.size()) +
                                 (unknown.size() == 1 ? " key" : " keys") + " it never reads") +
          "\n");
    } else {
      ++bad;
      for (const Problem& p : problems) out(placeText(f, p));
      out(f + ": " + whose + ", " + std::to_string(problems.size()) +
          (problems.size() == 1 ? " problem" : " problems") + "\n");
    }
  }
  return bad ? 1 : 0;
}

// --- show

std::string rocToday() {
  std::tm t = sim::host::localNow();
  char b[40];
  std::snprintf(b, sizeof b, "%03d%02d%02d", (t.tm_year + 1900 - 1911) % 1000, t.tm_mon + 1,
                t.tm_mday);
  return std::string(b).substr(0, 7);
}

std::string statusText(const char* card, int status) {
  std::string s = std::string(card) == "SAM"
                      ? (status == 1   ? "not authenticated with the insurer"
                         : status == 9 ? "not a SAM"
                         : status <= 0 ? "absent"
                                       : "authenticated")
                  : std::string(card) == "hc"
                      ? (status == 1   ? "not authenticated with the SAM"
                         : status == 9 ? "not a health card"
                         : status <= 0 ? "absent"
                         : status == 4 ? "ready, PIN verified"
                                       : "ready")
                      : (status == 1   ? "not authenticated with the SAM"
                         : status == 2 ? "PIN not verified"
                         : status == 9 ? "not a professional card"
                         : status <= 0 ? "absent"
                                       : "PIN verified");
  return s + " (status " + std::to_string(status) + ")";
}

std::string orNone(const std::string& s, const char* none = "-") { return s.empty() ? none : s; }

template <class F>
std::string faultText(const F& f) {
  std::string s = f.call + " answers " + std::to_string(f.code);
  if (f.after > 0) s += " after " + std::to_string(f.after) + " calls";
  s += f.times ? ", " + std::to_string(*f.times) + (*f.times == 1 ? " time" : " times") : ", every call";
  return s;
}

void showCard(const sim::State& st) {
  out(std::string("network: ") + (st.network ? "up" : "down (calls that need the insurer answer 4061)") + "\n");
  if (st.readers.empty()) out("no reader on any port (csOpenCom answers 4000)\n");
  for (const auto& [port, r] : st.readers) {
    std::string clock = r.clock ? *r.clock : "";
    out("reader COM" + port + ": clock " + (r.clock ? clock : "the system's") + ", keypad " +
        (r.keypad.empty() ? "empty (a PIN asked for is cancelled)" : "") );
    for (size_t i = 0; i < r.keypad.size(); ++i) out((i ? ", " : "") + r.keypad[i]);
    out("\n");
    if (!r.sam) out("  SAM: none\n");
    else
      out("  SAM: " + statusText("SAM", r.sam->status) + ", institution " +
          orNone(r.sam->institution) + ", SAM " + orNone(r.sam->samId) + "\n");
    if (!r.hc) {
      out("  health card: none\n");
    } else {
      const sim::HealthCard& c = *r.hc;
      auto f = [&](int i) { return c.basic[static_cast<size_t>(i)]; };
      const layout::Record& b = layout::kBasic;
      out("  health card: " + statusText("hc", c.status) + "\n");
      out("    " + orNone(f(b["name"])) + ", " + orNone(f(b["id"])) + ", born " + orNone(f(b["birth"])) +
          ", sex " + orNone(f(b["sex"])) + ", card " + orNone(f(b["cardNo"])) + "\n");
      std::string today = clock.empty() ? rocToday() : clock.substr(0, 7);
      std::string valid = f(b["validUntil"]);
      out("    valid until " + orNone(valid) +
          (!valid.empty() && valid < today ? " (expired: registrations answer 5003)" : "") + ", " +
          orNone(f(b["remaining"]), "no") + " visits left" +
          (f(b["remaining"]).empty() || f(b["remaining"]) == "00" ? " (counted registrations answer 5001)" : "") +
          "\n");
      if (f(b["cancelMark"]) == "2") out("    cancelled (registrations answer 5002, refreshes 9082)\n");
      if (!f(b["newbornBirth"]).empty())
        out("    newborn born " + f(b["newbornBirth"]) + ", twin mark " + orNone(f(b["newbornTwin"])) + "\n");
      out("    PIN " + (c.pin.empty() ? std::string("none asked for") : c.pin) + ", last sequence " +
          orNone(c.lastSeq) + "\n");
      out("    visits held: " + std::to_string(c.visits.size()) + " of " +
          std::to_string(layout::kVisits.slots) + "\n");
      for (const sim::Record& v : c.visits)
        out("      " + v[layout::kVisit["time"]] + " category " + v[layout::kVisit["category"]] +
            ", sequence " + v[layout::kVisit["seq"]] + ", at " + v[layout::kVisit["institution"]] + "\n");
      out("    outpatient orders held: " + std::to_string(c.outpatientOrders.size()) + " of " +
          std::to_string(layout::kOutpatientOrders.slots) + "\n");
      for (size_t i = 0; i < c.outpatientOrders.size() && i < 8; ++i) {
        const sim::Record& o = c.outpatientOrders[i];
        out("      " + o[layout::kOutpatientOrder["time"]] + " " + o[layout::kOutpatientOrder["item"]] + "\n");
      }
      if (c.outpatientOrders.size() > 8)
        out("      ... " + std::to_string(c.outpatientOrders.size() - 8) + " more\n");
      if (!c.allergies.empty()) {
        out("    allergies:");
        for (const std::string& a : c.allergies) out(" " + a + ";");
        out("\n");
      }
      for (const sim::Section& s : sim::kSections) {
        const auto& recs = c.*s.records;
        std::string k = s.key;
        if (k == "visits" || k == "outpatientOrders" || recs.empty()) continue;
        out("    " + k + ": " + std::to_string(recs.size()) + "\n");
      }
      if (!c.raw.empty()) {
        out("    exact replies for:");
        for (const auto& [k, v] : c.raw) out(" " + k);
        out("\n");
      }
    }
    if (!r.hpc) {
      out("  professional card: none\n");
    } else {
      const sim::ProfessionalCard& h = *r.hpc;
      out("  professional card: " + statusText("hpc", h.status) + ", " + orNone(h.name) + " " +
          orNone(h.id) + ", PIN " + orNone(h.pin) + "\n");
      if (h.locked)
        out("    PIN locked (its PIN calls answer 5122), unlock code " + h.unlockCode.value_or(h.pin) + "\n");
      else if (h.failures > 0)
        out("    " + std::to_string(h.failures) + " wrong PINs in a row (the third locks it)\n");
    }
  }
  if (st.uploadTime || st.receiveTime)
    out("upload receipt times: " + st.uploadTime.value_or("now") + ", " + st.receiveTime.value_or("now") + "\n");
  out(st.faults.empty() ? "faults armed: none\n" : "faults armed:\n");
  for (const sim::Fault& f : st.faults) out("  " + faultText(f) + "\n");
}

void showDeclare(const declsim::State& st) {
  out("institutions that may log in:");
  if (st.institutions.empty()) out(" none");
  out("\n");
  for (const auto& [code, i] : st.institutions) out("  " + code + ", password " + i.password + "\n");
  out("service date: " + st.today.value_or("the system's") + "\n");
  out("uploads held: " + std::to_string(st.uploads.size()) + "\n");
  for (const declsim::Upload& u : st.uploads) {
    std::string feeMonth;
    for (const std::string& p : u.params)
      if (p.rfind("FEE_YM=", 0) == 0) feeMonth = p.substr(7);
    out("  " + u.receipt + " " + orNone(u.file) + ", fee month " + orNone(feeMonth) + ", at " +
        orNone(u.time) + " by " + orNone(u.institution) +
        (u.accepted ? ", accepted (its deletion answers 已受理)" : ", received (can be deleted)") + "\n");
  }
  out("downloads offered: " + std::to_string(st.downloads.size()) + "\n");
  for (const auto& [name, text] : st.downloads) out("  " + name + " (" + std::to_string(text.size()) + " bytes)\n");
  out("check results waiting: " + std::to_string(st.checkResults.size()) + "\n");
  for (const declsim::Files& files : st.checkResults) {
    out(" ");
    for (const auto& [name, text] : files) out(" " + name);
    out("\n");
  }
  if (!st.exchanges.empty()) out("exchanges handed out: " + std::to_string(st.exchanges.size()) + "\n");
  out(st.faults.empty() ? "faults armed: none\n" : "faults armed:\n");
  for (const declsim::Fault& f : st.faults)
    out("  " + faultText(f) + (f.message ? ", message \"" + *f.message + "\"" : std::string()) + "\n");
}

int show(const std::string& file) {
  std::string text;
  if (!readText(file, text)) return 1;
  Simulator s = simulatorOf(text, file);
  std::vector<Problem> problems = checkState(text, s);
  if (!problems.empty()) {
    for (const Problem& p : problems) out(placeText(file, p));
    return 1;
  }
  json doc;
  std::string error;
  if (s == Simulator::Card) {
    out(file + ": the card reader's state\n");
    showCard(*sim::parseState(text, doc, error));
  } else {
    out(file + ": the declaration service's state\n");
    showDeclare(*declsim::parseState(text, doc, error));
  }
  return 0;
}

// --- journal

// The insurer's texts of the codes, from an ErrorCode.txt in the current
// folder when there is one.
std::map<long, std::string> errorTexts() {
  std::map<long, std::string> t;
  std::string text, why;
  if (!sim::host::readFile("ErrorCode.txt", kMaxFile, text, why)) return t;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 5 || line[0] < '0' || line[0] > '9') continue;
    t[std::strtol(line.substr(0, 4).c_str(), nullptr, 10)] = cp950::toUtf8(line.substr(4));
  }
  return t;
}

// A journal field for a terminal: the escapes turned into visible marks.
std::string expand(const std::string& f) {
  std::string s;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '\\' && i + 1 < f.size()) {
      char n = f[++i];
      s += n == 't' ? "␉" : n == 'r' ? "␍" : n == 'n' ? "␊" : std::string(1, n);
    } else {
      s += f[i];
    }
  }
  return s;
}

void journalLines(const std::string& text, const std::map<long, std::string>& texts) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    size_t arrow = fields.size();
    for (size_t i = 0; i < fields.size(); ++i)
      if (fields[i].rfind("=> ", 0) == 0) arrow = i;
    if (arrow == fields.size() || arrow == 0) {
      out("   " + expand(line) + "\n");
      continue;
    }
    std::string code = fields[arrow].substr(3);
    // hisGetCardStatus answers the card's status, not a code.
    const long value = std::strtol(code.c_str(), nullptr, 10);
    bool failed = value != 0 && (fields[0] != "hisGetCardStatus" || value >= 4000 || value < 0);
    std::string s = failed ? "!! " : "   ";
    s += fields[0] + "(";
    for (size_t i = 1; i < arrow; ++i) {
      std::string a = expand(fields[i]);
      bool quote = a.empty() || a.front() == ' ' || a.back() == ' ';
      s += (i > 1 ? ", " : "") + (quote ? "\"" + a + "\"" : a);
    }
    s += ") => " + code;
    if (failed) {
      auto t = texts.find(value);
      if (t != texts.end()) s += " " + t->second;
    }
    for (size_t i = arrow + 1; i < fields.size(); ++i) s += "  (" + expand(fields[i]) + ")";
    out(s + "\n");
  }
}

int journal(const std::string& file) {
  std::vector<std::string> files;
  if (!file.empty()) {
    files.push_back(file);
  } else {
    for (Simulator s : {Simulator::Card, Simulator::Declare})
      if (sim::host::exists(defaultJournalName(s))) files.push_back(defaultJournalName(s));
    if (files.empty()) {
      err("icsim: no cshis-sim.log or declare-sim.log in the current folder\n");
      return 1;
    }
  }
  std::map<long, std::string> texts = errorTexts();
  for (const std::string& f : files) {
    std::string text;
    if (!readText(f, text)) return 1;
    if (files.size() > 1) out("== " + f + "\n");
    journalLines(text, texts);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  sim::host::textConsole();
  std::vector<std::string> a(argv + 1, argv + argc);
  try {
    if (a.empty()) return usage();
    const std::string& verb = a[0];
    if (verb == "scenarios" && a.size() == 1) return listScenarios();
    if (verb == "new" && (a.size() == 2 || a.size() == 3)) return newState(a[1], a.size() == 3 ? a[2] : "");
    if (verb == "check" && a.size() >= 2) return check({a.begin() + 1, a.end()});
    if (verb == "show" && a.size() == 2) return show(a[1]);
    if (verb == "journal" && a.size() <= 2) return journal(a.size() == 2 ? a[1] : "");
    return usage();
  } catch (const std::exception& e) {
    err(std::string("icsim: ") + e.what() + "\n");
    return 1;
  }
}
