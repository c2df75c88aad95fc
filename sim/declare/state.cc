#include "sim/declare/state.h"

#include "sim/cshis/jsondoc.h"

namespace declsim {

using nlohmann::json;

namespace {

bool allDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The declaration service's state: the typed reading shared by the
// simulators, and its uploads, receipts and files.
struct Parser : sim::JsonReader {
  // An object of texts (file name to text).
  bool textMap(const json& obj, const char* key, const std::string& at,
               std::map<std::string, std::string>& out) {
    const json* v = find(obj, key);
    if (!v) return true;
    if (!v->is_object()) return fail(at + key, "expected an object of texts");
    for (auto it = v->begin(); it != v->end(); ++it) {
      if (!it->is_string()) return fail(at + key + "." + it.key(), "expected text");
      out[it.key()] = it->get<std::string>();
    }
    return true;
  }
  // Each element of a list of objects, handed to `each` with its place.
  template <class Each>
  bool list(const json& obj, const char* key, Each each) {
    const json* v = find(obj, key);
    if (!v) return true;
    if (!v->is_array()) return fail(key, "expected a list of objects");
    for (size_t i = 0; i < v->size(); ++i) {
      std::string at = std::string(key) + "[" + std::to_string(i) + "]";
      if (!(*v)[i].is_object()) return fail(at, "expected an object");
      if (!each((*v)[i], at + ".")) return false;
    }
    return true;
  }

  bool upload(const json& o, const std::string& at, Upload& u) {
    if (!text(o, "receipt", at, u.receipt) || !text(o, "institution", at, u.institution) ||
        !text(o, "file", at, u.file) || !texts(o, "params", at, u.params) ||
        !text(o, "time", at, u.time) || !boolean(o, "accepted", at, u.accepted))
      return false;
    if (u.receipt.empty()) return fail(at + "receipt", "missing");
    return true;
  }

  bool exchange(const json& o, const std::string& at, Exchange& e) {
    return text(o, "kind", at, e.kind) && text(o, "localId", at, e.localId) &&
           text(o, "nhiId", at, e.nhiId) && text(o, "dataType", at, e.dataType) &&
           text(o, "file", at, e.file) && textMap(o, "files", at, e.files);
  }

  bool fault(const json& o, const std::string& at, Fault& f) {
    if (!find(o, "call")) return fail(at + "call", "missing");
    if (!find(o, "code")) return fail(at + "code", "missing");
    bool hasTimes = find(o, "times") != nullptr;
    int times = 0;
    if (!text(o, "call", at, f.call) || !integer(o, "code", at, f.code) ||
        !text(o, "message", at, f.message) || !integer(o, "times", at, times) ||
        !integer(o, "after", at, f.after))
      return false;
    if (hasTimes) f.times = times;
    return true;
  }

  bool state(const json& doc, State& s) {
    if (!doc.is_object()) return fail("state", "expected an object");
    if (const json* v = find(doc, "institutions")) {
      if (!v->is_object()) return fail("institutions", "expected an object");
      for (auto it = v->begin(); it != v->end(); ++it) {
        std::string at = "institutions." + it.key();
        if (!it->is_object()) return fail(at, "expected an object");
        if (!text(*it, "password", at + ".", s.institutions[it.key()].password)) return false;
      }
    }
    if (!list(doc, "uploads",
              [&](const json& o, const std::string& at) {
                return upload(o, at, s.uploads.emplace_back());
              }) ||
        !text(doc, "receiptAnswer", "", s.receiptAnswer) ||
        !text(doc, "processAnswer", "", s.processAnswer) ||
        !textMap(doc, "downloads", "", s.downloads) ||
        !list(doc, "checkResults",
              [&](const json& o, const std::string& at) {
                return textMap(o, "files", at, s.checkResults.emplace_back());
              }) ||
        !list(doc, "exchanges",
              [&](const json& o, const std::string& at) {
                return exchange(o, at, s.exchanges.emplace_back());
              }) ||
        !list(doc, "faults",
              [&](const json& o, const std::string& at) {
                return fault(o, at, s.faults.emplace_back());
              }) ||
        !text(doc, "today", "", s.today) || !integer(doc, "lastReceipt", "", s.lastReceipt) ||
        !integer(doc, "lastExchange", "", s.lastExchange))
      return false;
    if (s.today && (s.today->size() != 8 || !allDigits(*s.today)))
      return fail("today", "expected yyyyMMdd");
    return true;
  }
};

}  // namespace

std::optional<State> parseState(std::string_view text, json& doc, std::string& error) {
  if (!sim::readJsonDocument(text, doc, error)) return std::nullopt;
  State s;
  Parser p;
  if (!p.state(doc, s)) {
    error = p.error;
    return std::nullopt;
  }
  return s;
}

void storeState(const State& s, json& doc) {
  if (!doc.is_object()) doc = json::object();
  json institutions = json::object();
  for (const auto& [code, inst] : s.institutions) institutions[code] = {{"password", inst.password}};
  doc["institutions"] = std::move(institutions);

  json uploads = json::array();
  for (const Upload& u : s.uploads)
    uploads.push_back({{"receipt", u.receipt}, {"institution", u.institution}, {"file", u.file},
                       {"params", u.params}, {"time", u.time}, {"accepted", u.accepted}});
  doc["uploads"] = std::move(uploads);

  doc["downloads"] = s.downloads;
  json results = json::array();
  for (const Files& f : s.checkResults) results.push_back({{"files", f}});
  doc["checkResults"] = std::move(results);

  json exchanges = json::array();
  for (const Exchange& e : s.exchanges) {
    json o = {{"kind", e.kind}, {"localId", e.localId}, {"nhiId", e.nhiId},
              {"dataType", e.dataType}};
    if (!e.file.empty()) o["file"] = e.file;
    if (e.kind == "check") o["files"] = e.files;
    exchanges.push_back(std::move(o));
  }
  doc["exchanges"] = std::move(exchanges);

  json faults = json::array();
  for (const Fault& f : s.faults) {
    json o = {{"call", f.call}, {"code", f.code}};
    if (f.message) o["message"] = *f.message;
    if (f.times) o["times"] = *f.times;
    if (f.after > 0) o["after"] = f.after;
    faults.push_back(std::move(o));
  }
  doc["faults"] = std::move(faults);
  doc["lastReceipt"] = s.lastReceipt;
  doc["lastExchange"] = s.lastExchange;
}

std::string_view demoStateText() {
  return R"json({
  "institutions": { "3501234567": { "password": "demo" } },
  "uploads": [],
  "downloads": {
    "FA11511SUM.txt": "醫事機構代碼:3501234567\n費用年月:11511\n申報件數:128\n申請點數:245600\n",
    "FA11511ERR.txt": "醫事機構代碼:3501234567\n費用年月:11511\n檢核錯誤:0 筆\n"
  },
  "checkResults": [
    { "files": { "CHK11511.txt": "檢核結果:通過\n錯誤筆數:0\n" } }
  ],
  "faults": []
}
)json";
}

Files defaultCheckResult() { return {{"CHECK.txt", "檢核結果:通過\n"}}; }

}  // namespace declsim
