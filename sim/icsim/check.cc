#include "sim/icsim/check.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "sim/cshis/jsondoc.h"
#include "sim/cshis/layout.h"
#include "sim/cshis/state.h"
#include "sim/declare/state.h"

namespace icsim {

using nlohmann::json;

namespace {

struct Position {
  int line = 1, column = 1;
};

// Line and column (in characters) of a byte offset.
Position positionOf(std::string_view text, size_t offset) {
  Position p;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++p.line;
      p.column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++p.column;
    }
  }
  return p;
}

// A problem of `field`, placed at the byte offset when there is one (else at
// the file's start).
Problem problemAt(std::string_view text, std::optional<size_t> offset, std::string field,
                  std::string what) {
  Problem p;
  p.field = std::move(field);
  p.what = std::move(what);
  if (offset) {
    const Position at = positionOf(text, *offset);
    p.line = at.line;
    p.column = at.column;
  }
  return p;
}

// Where each value of a well-formed JSON text starts, by the place names the
// simulators' readers give ("readers.1.hc.visits[0].time").
class Locator {
 public:
  explicit Locator(std::string_view t) : t_(t) { value(""); }
  // Where a member's key starts (its opening quote), else where its value does.
  std::optional<size_t> findKey(const std::string& place) const {
    auto it = keyAt_.find(place);
    return it != keyAt_.end() ? std::optional<size_t>(it->second) : find(place);
  }
  std::optional<size_t> find(std::string place) const {
    // A missing key is shown at its object.
    while (true) {
      auto it = at_.find(place);
      if (it != at_.end()) return it->second;
      size_t cut = place.find_last_of(".[");
      if (cut == std::string::npos) return place.empty() ? std::nullopt : find("");
      place.erase(cut);
    }
  }

 private:
  std::string_view t_;
  size_t i_ = 0;
  std::map<std::string, size_t> at_, keyAt_;

  void blanks() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\r' || t_[i_] == '\n'))
      ++i_;
  }
  std::string string() {
    std::string out;
    ++i_;  // the opening quote
    while (i_ < t_.size() && t_[i_] != '"') {
      if (t_[i_] == '\\' && i_ + 1 < t_.size()) {
        // Keys with escapes are rare in a state file; the escaped character
        // stands for itself, enough to name the place.
        ++i_;
      }
      out += t_[i_++];
    }
    ++i_;
    return out;
  }
  void value(const std::string& place) {
    blanks();
    if (i_ >= t_.size()) return;
    at_.emplace(place, i_);
    char c = t_[i_];
    if (c == '{') {
      ++i_;
      while (true) {
        blanks();
        if (i_ >= t_.size() || t_[i_] == '}') break;
        if (t_[i_] == ',') {
          ++i_;
          continue;
        }
        const size_t keyAt = i_;
        std::string key = string();
        blanks();
        ++i_;  // the colon
        const std::string member = place.empty() ? key : place + "." + key;
        keyAt_.emplace(member, keyAt);
        value(member);
      }
      ++i_;
    } else if (c == '[') {
      ++i_;
      for (size_t n = 0;; ++n) {
        blanks();
        if (i_ >= t_.size() || t_[i_] == ']') break;
        if (t_[i_] == ',') {
          ++i_;
          --n;
          continue;
        }
        value(place + "[" + std::to_string(n) + "]");
      }
      ++i_;
    } else if (c == '"') {
      string();
    } else {
      while (i_ < t_.size() && t_[i_] != ',' && t_[i_] != '}' && t_[i_] != ']' && t_[i_] != ' ' &&
             t_[i_] != '\r' && t_[i_] != '\n' && t_[i_] != '\t')
        ++i_;
    }
  }
};

// The first problem of the document as the simulator reads it, or "".
std::string firstProblem(const json& doc, Simulator s) {
  std::string text = doc.dump(), error;
  json parsed;
  if (s == Simulator::Card) sim::parseState(text, parsed, error);
  else declsim::parseState(text, parsed, error);
  return error;
}

// The value at a place name, or null when there is none. Keys may hold dots
// ("raw.hisReadPrescription.outpatient"): the longest key that exists wins.
json* resolve(json& doc, std::string_view place) {
  json* cur = &doc;
  while (!place.empty()) {
    if (place[0] == '.') place.remove_prefix(1);
    if (place[0] == '[') {
      size_t end = place.find(']');
      if (end == std::string_view::npos || !cur->is_array()) return nullptr;
      size_t n = std::stoul(std::string(place.substr(1, end - 1)));
      if (n >= cur->size()) return nullptr;
      cur = &(*cur)[n];
      place.remove_prefix(end + 1);
      continue;
    }
    if (!cur->is_object()) return nullptr;
    size_t best = std::string_view::npos;
    for (size_t len = place.size(); len > 0; --len) {
      if (len < place.size() && place[len] != '.' && place[len] != '[') continue;
      if (cur->contains(std::string(place.substr(0, len)))) {
        best = len;
        break;
      }
    }
    if (best == std::string_view::npos) return nullptr;
    cur = &(*cur)[std::string(place.substr(0, best))];
    place.remove_prefix(best);
  }
  return cur;
}

bool within(const std::string& place, const std::string& outer) {
  return place == outer || (place.size() > outer.size() && place.compare(0, outer.size(), outer) == 0 &&
                            (place[outer.size()] == '.' || place[outer.size()] == '['));
}

using Keys = std::vector<std::string>;

bool known(const Keys& keys, const std::string& k) {
  return std::find(keys.begin(), keys.end(), k) != keys.end();
}

Keys recordKeys(const layout::Record& r) {
  Keys k;
  for (const layout::Field& f : r.fields) k.emplace_back(f.key);
  return k;
}

struct UnknownKeys {
  const Locator& where;
  std::string_view text;
  std::vector<Problem> out;

  void note(const std::string& place, const char* what) {
    out.push_back(problemAt(text, where.findKey(place), place, what));
  }
  static std::string join(const std::string& at, const std::string& key) {
    return at.empty() ? key : at + "." + key;
  }
  // The object's keys against the known ones.
  void object(const json& o, const std::string& at, const Keys& keys) {
    if (!o.is_object()) return;
    for (auto it = o.begin(); it != o.end(); ++it)
      if (!known(keys, it.key())) note(join(at, it.key()), "unknown key: the simulator keeps it but never reads it");
  }
  // Each object of a list.
  template <class Each>
  void list(const json& o, const char* key, const std::string& at, Each each) {
    auto it = o.find(key);
    if (it == o.end() || !it->is_array()) return;
    for (size_t i = 0; i < it->size(); ++i) each((*it)[i], join(at, key) + "[" + std::to_string(i) + "]");
  }
  static const json* child(const json& o, const char* key) {
    auto it = o.find(key);
    return it == o.end() || !it->is_object() ? nullptr : &*it;
  }

  void card(const json& doc) {
    object(doc, "", {"network", "readers", "faults", "upload"});
    if (const json* up = child(doc, "upload")) object(*up, "upload", {"uploadTime", "receiveTime"});
    list(doc, "faults", "", [&](const json& f, const std::string& at) {
      object(f, at, {"call", "code", "times", "after"});
    });
    const json* readers = child(doc, "readers");
    if (!readers) return;
    for (auto it = readers->begin(); it != readers->end(); ++it) {
      const std::string at = "readers." + it.key();
      if (!known({"1", "2", "3", "4"}, it.key())) note(at, "not a port: readers are \"1\" to \"4\"");
      if (!it->is_object()) continue;
      object(*it, at, {"clock", "keypad", "sam", "hc", "hpc"});
      if (const json* sam = child(*it, "sam")) object(*sam, at + ".sam", {"status", "institution", "samId"});
      if (const json* hpc = child(*it, "hpc"))
        object(*hpc, at + ".hpc",
               {"status", "pin", "locked", "failures", "unlockCode", "cardNo", "id", "name", "englishName"});
      if (const json* hc = child(*it, "hc")) health(*hc, at + ".hc");
    }
  }
  void health(const json& hc, const std::string& at) {
    Keys keys = recordKeys(layout::kBasic);
    for (const char* k : {"status", "pin", "lastSeq", "emergencyTel", "organDonation", "outpatientTotal",
                          "inpatientTotal", "allergies", "raw"})
      keys.emplace_back(k);
    for (const sim::Section& sec : sim::kSections) {
      keys.emplace_back(sec.key);
      const Keys fields = recordKeys(*sec.group->record);
      list(hc, sec.key, at, [&](const json& r, const std::string& place) { object(r, place, fields); });
    }
    object(hc, at, keys);
    if (const json* raw = child(hc, "raw"))
      object(*raw, at + ".raw",
             {"hisGetRegisterBasic", "hisGetRegisterBasic2", "hisGetBasicData", "hisGetLastSeqNum",
              "hisGetEmergentTel", "hisGetTreatmentNoNeedHPC", "hisGetTreatmentNeedHPC",
              "hisGetCumulativeData", "hisGetCumulativeFee", "hisGetRegisterPrevent",
              "hisGetRegisterPregnant", "hisGetInoculateData", "hisGetOrganDonate",
              "hisGetCriticalIllness", "hisReadPrescription.outpatient", "hisReadPrescription.longTerm",
              "hisReadPrescription.important", "hisReadPrescription.allergy"});
  }

  void declare(const json& doc) {
    object(doc, "", {"institutions", "uploads", "receiptAnswer", "processAnswer", "downloads",
                     "checkResults", "exchanges", "faults", "today", "lastReceipt", "lastExchange"});
    if (const json* inst = child(doc, "institutions"))
      for (auto it = inst->begin(); it != inst->end(); ++it)
        object(*it, "institutions." + it.key(), {"password"});
    list(doc, "uploads", "", [&](const json& u, const std::string& at) {
      object(u, at, {"receipt", "institution", "file", "params", "time", "accepted"});
    });
    list(doc, "checkResults", "", [&](const json& c, const std::string& at) { object(c, at, {"files"}); });
    list(doc, "exchanges", "", [&](const json& e, const std::string& at) {
      object(e, at, {"kind", "localId", "nhiId", "dataType", "file", "files"});
    });
    list(doc, "faults", "", [&](const json& f, const std::string& at) {
      object(f, at, {"call", "code", "times", "after", "message"});
    });
  }
};

}  // namespace

std::vector<Problem> unknownKeys(std::string_view text, Simulator s) {
  json doc;
  std::string error;
  if (!sim::readJsonDocument(text, doc, error) || !doc.is_object()) return {};
  Locator where(text);
  UnknownKeys u{where, text, {}};
  if (s == Simulator::Card) u.card(doc);
  else u.declare(doc);
  std::stable_sort(u.out.begin(), u.out.end(), [](const Problem& a, const Problem& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return u.out;
}

Simulator simulatorOf(std::string_view text, std::string_view fileName) {
  json doc = json::parse(text, nullptr, false);
  if (doc.is_object()) {
    for (const char* k : {"institutions", "uploads", "downloads", "checkResults", "exchanges",
                          "receiptAnswer", "processAnswer", "today", "lastReceipt"})
      if (doc.contains(k)) return Simulator::Declare;
    for (const char* k : {"readers", "network", "upload"})
      if (doc.contains(k)) return Simulator::Card;
  }
  return fileName.find("declare") != std::string_view::npos ? Simulator::Declare
                                                              : Simulator::Card;
}

std::vector<Problem> checkState(std::string_view text, Simulator s) {
  std::vector<Problem> out;
  json doc;
  std::string error;
  size_t stop = 0;
  if (!sim::readJsonDocument(text, doc, error, &stop)) {
    Problem p = problemAt(text, stop, "", error.substr(0, error.find(" at line ")));
    // The parser's own words say what it expected there.
    if (error.rfind("not valid JSON", 0) == 0) try {
      json ignored = json::parse(text);
      (void)ignored;
    } catch (const json::parse_error& e) {
      std::string why = e.what();
      size_t colon = why.rfind(": ");
      if (colon != std::string::npos) p.what += ": " + why.substr(colon + 2);
    } catch (...) {
    }
    out.push_back(p);
    return out;
  }
  Locator where(text);
  // The simulator names the first problem; taking each one out of the
  // document in turn brings out the next. A place already named hides what
  // the taking out causes beneath it.
  std::vector<std::string> named;
  std::map<std::string, int> tries, standIns;
  for (int round = 0; round < 500; ++round) {
    error = firstProblem(doc, s);
    if (error.empty()) break;
    size_t sep = error.rfind(": ");
    std::string place = sep == std::string::npos ? "" : error.substr(0, sep);
    std::string what = sep == std::string::npos ? error : error.substr(sep + 2);
    if (place == "state") place.clear();
    bool hidden = false;
    for (const std::string& n : named) hidden = hidden || (within(place, n) && !(place == n && tries[place] == 0));
    if (!hidden) {
      out.push_back(problemAt(text, where.find(place), place, what));
      named.push_back(place);
    }
    // Take the value out, or put a stand-in of each type in its place until
    // the simulator takes it.
    static const json kStandIns[] = {json("0"), json(0), json::object(), json::array(), json(false)};
    int& n = tries[place];
    if (place.empty() || n > 5) break;
    json* v = resolve(doc, place);
    if (n == 0 && v && !v->is_null()) {
      size_t cut = place.find_last_of(".[");
      json* parent = cut == std::string::npos ? &doc : resolve(doc, place.substr(0, cut));
      if (parent && parent->is_object()) {
        std::string key = cut == std::string::npos ? place : place.substr(cut + 1);
        if (parent->contains(key)) parent->erase(key);
        else *v = nullptr;
      } else {
        *v = json::object();  // a list's element keeps its index
      }
    } else {
      json* target = v ? v : nullptr;
      if (!target) {
        size_t cut = place.find_last_of('.');
        json* parent = cut == std::string::npos ? &doc : resolve(doc, place.substr(0, cut));
        if (!parent || !parent->is_object()) break;
        target = &(*parent)[place.substr(cut == std::string::npos ? 0 : cut + 1)];
      }
      *target = kStandIns[standIns[place]++ % 5];
    }
    ++n;
  }
  std::stable_sort(out.begin(), out.end(), [](const Problem& a, const Problem& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return out;
}

}  // namespace icsim
