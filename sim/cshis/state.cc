#include "state.h"

#include "jsondoc.h"

namespace sim {

using nlohmann::json;

const Section kSections[10] = {
    {"visits", &layout::kVisits, &HealthCard::visits},
    {"majorIllness", &layout::kMajorIllnesses, &HealthCard::majorIllness},
    {"diagnoses", &layout::kDiagnoses, &HealthCard::diagnoses},
    {"outpatientOrders", &layout::kOutpatientOrders, &HealthCard::outpatientOrders},
    {"longTermPrescriptions", &layout::kLongTermPrescriptions, &HealthCard::longTermPrescriptions},
    {"importantOrders", &layout::kImportantOrders, &HealthCard::importantOrders},
    {"yearlyTotals", &layout::kYearlyTotals, &HealthCard::yearlyTotals},
    {"prevent", &layout::kPreventions, &HealthCard::prevent},
    {"prenatal", &layout::kPrenatalChecks, &HealthCard::prenatal},
    {"inoculations", &layout::kInoculations, &HealthCard::inoculations},
};

namespace {

// The card simulator's state: the typed reading shared by the simulators,
// and its cards.
struct Parser : JsonReader {
  bool sam(const json& o, const std::string& at, Sam& s) {
    return integer(o, "status", at, s.status) && text(o, "institution", at, s.institution) &&
           text(o, "samId", at, s.samId);
  }

  bool section(const json& o, const Section& sec, const std::string& at, HealthCard& hc) {
    const json* v = find(o, sec.key);
    if (!v) return true;
    std::string place = at + sec.key;
    if (!v->is_array()) return fail(place, "expected a list of objects");
    std::vector<Record>& out = hc.*sec.records;
    // The card keeps no more than its slots; the rest is dropped.
    for (size_t i = 0; i < v->size() && i < static_cast<size_t>(sec.group->slots); ++i) {
      std::string here = place + "[" + std::to_string(i) + "]";
      const json& e = (*v)[i];
      if (!e.is_object()) return fail(here, "expected an object");
      Record r;
      if (!recordFromJson(e, *sec.group->record, here + ".", r, error)) return false;
      out.push_back(std::move(r));
    }
    return true;
  }

  bool hc(const json& o, const std::string& at, HealthCard& c) {
    if (!integer(o, "status", at, c.status)) return false;
    if (!recordFromJson(o, layout::kBasic, at, c.basic, error)) return false;
    if (!text(o, "lastSeq", at, c.lastSeq) || !text(o, "emergencyTel", at, c.emergencyTel) ||
        !text(o, "organDonation", at, c.organDonation) ||
        !text(o, "outpatientTotal", at, c.outpatientTotal) ||
        !text(o, "inpatientTotal", at, c.inpatientTotal) || !text(o, "pin", at, c.pin))
      return false;
    for (const Section& s : kSections)
      if (!section(o, s, at, c)) return false;
    if (!texts(o, "allergies", at, c.allergies)) return false;
    if (c.allergies.size() > static_cast<size_t>(layout::kAllergies.slots))
      c.allergies.resize(static_cast<size_t>(layout::kAllergies.slots));
    if (const json* raw = object(o, "raw", at)) {
      for (auto it = raw->begin(); it != raw->end(); ++it) {
        if (!it->is_string()) return fail(at + "raw." + it.key(), "expected text");
        c.raw[it.key()] = it->get<std::string>();
      }
    }
    return error.empty();
  }

  bool hpc(const json& o, const std::string& at, ProfessionalCard& c) {
    return integer(o, "status", at, c.status) && text(o, "pin", at, c.pin) &&
           text(o, "unlockCode", at, c.unlockCode) && boolean(o, "locked", at, c.locked) &&
           integer(o, "failures", at, c.failures) && text(o, "cardNo", at, c.cardNo) &&
           text(o, "id", at, c.id) && text(o, "name", at, c.name) &&
           text(o, "englishName", at, c.englishName);
  }

  bool reader(const json& o, const std::string& at, Reader& r) {
    if (!text(o, "clock", at, r.clock) || !texts(o, "keypad", at, r.keypad)) return false;
    if (const json* v = object(o, "sam", at)) {
      if (!sam(*v, at + "sam.", r.sam.emplace())) return false;
    }
    if (const json* v = object(o, "hc", at)) {
      if (!hc(*v, at + "hc.", r.hc.emplace())) return false;
    }
    if (const json* v = object(o, "hpc", at)) {
      if (!hpc(*v, at + "hpc.", r.hpc.emplace())) return false;
    }
    return error.empty();
  }

  bool fault(const json& o, const std::string& at, Fault& f) {
    if (!find(o, "call")) return fail(at + "call", "missing");
    if (!find(o, "code")) return fail(at + "code", "missing");
    int times = 0;
    bool hasTimes = find(o, "times") != nullptr;
    if (!text(o, "call", at, f.call) || !integer(o, "code", at, f.code) ||
        !integer(o, "times", at, times) || !integer(o, "after", at, f.after))
      return false;
    if (hasTimes) f.times = times;
    return true;
  }

  bool state(const json& doc, State& s) {
    if (!doc.is_object()) return fail("state", "expected an object");
    if (!boolean(doc, "network", "", s.network)) return false;
    if (const json* readers = object(doc, "readers", "")) {
      for (auto it = readers->begin(); it != readers->end(); ++it) {
        if (it->is_null()) continue;
        std::string at = "readers." + it.key();
        if (!it->is_object()) return fail(at, "expected an object");
        if (!reader(*it, at + ".", s.readers[it.key()])) return false;
      }
    }
    if (!error.empty()) return false;
    if (const json* faults = find(doc, "faults")) {
      if (!faults->is_array()) return fail("faults", "expected a list of objects");
      for (size_t i = 0; i < faults->size(); ++i) {
        std::string at = "faults[" + std::to_string(i) + "]";
        if (!(*faults)[i].is_object()) return fail(at, "expected an object");
        if (!fault((*faults)[i], at + ".", s.faults.emplace_back())) return false;
      }
    }
    if (const json* upload = object(doc, "upload", "")) {
      if (!text(*upload, "uploadTime", "upload.", s.uploadTime) ||
          !text(*upload, "receiveTime", "upload.", s.receiveTime))
        return false;
    }
    return error.empty();
  }
};

json samJson(const Sam& s) {
  return {{"status", s.status}, {"institution", s.institution}, {"samId", s.samId}};
}

json hcJson(const HealthCard& c) {
  json o = json::object();
  o["status"] = c.status;
  recordToJson(c.basic, layout::kBasic, o);
  o["lastSeq"] = c.lastSeq;
  o["emergencyTel"] = c.emergencyTel;
  o["organDonation"] = c.organDonation;
  o["outpatientTotal"] = c.outpatientTotal;
  o["inpatientTotal"] = c.inpatientTotal;
  o["pin"] = c.pin;
  for (const Section& s : kSections) {
    json list = json::array();
    for (const Record& r : c.*s.records) {
      json e = json::object();
      recordToJson(r, *s.group->record, e);
      list.push_back(std::move(e));
    }
    o[s.key] = std::move(list);
  }
  o["allergies"] = c.allergies;
  o["raw"] = c.raw;
  return o;
}

json hpcJson(const ProfessionalCard& c) {
  json o = {{"status", c.status}, {"pin", c.pin},       {"locked", c.locked},
            {"failures", c.failures}, {"cardNo", c.cardNo}, {"id", c.id},
            {"name", c.name},     {"englishName", c.englishName}};
  if (c.unlockCode) o["unlockCode"] = *c.unlockCode;
  return o;
}

}  // namespace

std::optional<State> parseState(std::string_view text, json& doc, std::string& error) {
  if (!sim::readJsonDocument(text, doc, error)) return std::nullopt;
  State s;
  Parser r;
  if (!r.state(doc, s)) {
    error = r.error;
    return std::nullopt;
  }
  return s;
}

void storeState(const State& state, const std::string& readerKey, json& doc) {
  auto reader = state.readers.find(readerKey);
  if (reader != state.readers.end()) {
    const Reader& r = reader->second;
    json patch = json::object();
    patch["keypad"] = r.keypad;
    // A card taken out is null, which the merge turns into an absent key.
    patch["sam"] = r.sam ? samJson(*r.sam) : json(nullptr);
    patch["hc"] = r.hc ? hcJson(*r.hc) : json(nullptr);
    patch["hpc"] = r.hpc ? hpcJson(*r.hpc) : json(nullptr);
    doc["readers"][readerKey].merge_patch(patch);
  }

  if (!state.faults.empty() || doc.contains("faults")) {
    json faults = json::array();
    for (const Fault& f : state.faults) {
      json e = {{"call", f.call}, {"code", f.code}};
      if (f.times) e["times"] = *f.times;
      if (f.after > 0) e["after"] = f.after;
      faults.push_back(std::move(e));
    }
    doc["faults"] = std::move(faults);
  }
}

std::string_view demoStateText() {
  return R"json({
  "network": true,
  "readers": {
    "1": {
      "keypad": ["1234"],
      "sam": { "status": 2, "institution": "3501234567", "samId": "000000012345" },
      "hc": {
        "status": 2,
        "cardNo": "000012345678", "name": "王小明", "id": "A123456789",
        "birth": "0750312", "sex": "M", "issued": "1050101", "cancelMark": "1",
        "insurer": "01", "identityMark": "3", "validUntil": "1301231",
        "remaining": "05", "newbornBirth": "", "newbornTwin": "",
        "lastSeq": "1150007", "emergencyTel": "0912345678", "pin": "1234",
        "organDonation": "1", "outpatientTotal": "0000012000", "inpatientTotal": "0000000000",
        "visits": [
          { "category": "02", "newborn": " ", "time": "1151201100000", "supplement": "1",
            "seq": "0007", "institution": "3501234567",
            "outpatientFee": "00001200", "outpatientCopay": "00000050" },
          { "category": "02", "newborn": " ", "time": "1150605093000", "supplement": "1",
            "seq": "0004", "institution": "3501234567",
            "outpatientFee": "00000800", "outpatientCopay": "00000050" },
          { "category": "01", "newborn": " ", "time": "1150310150000", "supplement": "1",
            "seq": "0002", "institution": "3509876543" }
        ],
        "diagnoses": [
          { "time": "1151201100000", "main": "K0530", "secondary": ["K0230"] },
          { "time": "1150605093000", "main": "K0230" }
        ],
        "outpatientOrders": [
          { "time": "1151201100000", "type": "3", "item": "91004C", "part": "FM",
            "usage": "", "days": "", "total": "0000100", "deliver": "01" },
          { "time": "1151201100000", "type": "1", "item": "AC45856100", "part": "",
            "usage": "TID", "days": "03", "total": "0000900", "deliver": "01" },
          { "time": "1150605093000", "type": "3", "item": "89001C", "part": "16",
            "usage": "", "days": "", "total": "0000100", "deliver": "01" },
          { "time": "1150605093000", "type": "1", "item": "AC35271100", "part": "",
            "usage": "QID", "days": "02", "total": "0000800", "deliver": "01" }
        ],
        "allergies": ["Penicillin"],
        "prevent": [ { "item": "05", "date": "1150605", "institution": "3501234567", "code": "" } ],
        "yearlyTotals": [
          { "year": "115", "visits": "0007", "outpatientFee": "0000012000",
            "inpatientFee": "0000000000", "outpatientCopay": "00000350" }
        ]
      },
      "hpc": { "status": 3, "pin": "0000", "locked": false, "cardNo": "HPC000000123",
               "id": "B223456789", "name": "陳醫師", "englishName": "CHEN YI-LIN" }
    }
  }
}
)json";
}

}  // namespace sim
