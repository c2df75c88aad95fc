#include "record.h"

#include "platform/cp950.h"

namespace sim {

Record emptyRecord(const layout::Record& l) { return Record(static_cast<size_t>(l.values())); }

size_t fitLength(std::string_view cp950, int width) {
  size_t i = 0;
  while (i < cp950.size()) {
    // A lead byte takes the next byte with it, whatever it is: the decoder
    // reads the two as one character.
    size_t n = cp950::isLead(static_cast<unsigned char>(cp950[i])) && i + 1 < cp950.size() ? 2 : 1;
    if (i + n > static_cast<size_t>(width)) break;
    i += n;
  }
  return i;
}

std::string fit(std::string_view cp950, int width) {
  std::string out(cp950.substr(0, fitLength(cp950, width)));
  out.resize(static_cast<size_t>(width), ' ');
  return out;
}

std::string field(std::string_view utf8, int width) { return fit(cp950::fromUtf8(utf8), width); }

std::string recordBytes(const Record& r, const layout::Record& l) {
  std::string out;
  out.reserve(static_cast<size_t>(l.size()));
  size_t v = 0;
  for (const layout::Field& f : l.fields)
    for (int k = 0; k < f.repeat; ++k, ++v)
      out += field(v < r.size() ? std::string_view(r[v]) : std::string_view(), f.width);
  return out;
}

std::string groupBytes(const std::vector<Record>& records, const layout::Group& g) {
  std::string out;
  out.reserve(static_cast<size_t>(g.size()));
  for (size_t k = 0; k < records.size() && k < static_cast<size_t>(g.slots); ++k)
    out += recordBytes(records[k], *g.record);
  out.resize(static_cast<size_t>(g.size()), ' ');
  return out;
}

std::string rtrim(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return std::string(s.substr(0, n));
}

void fillFromBytes(Record& r, const layout::Record& l, int at, std::string_view cp950) {
  r.resize(static_cast<size_t>(l.values()));
  size_t v = 0;
  int offset = 0;
  for (const layout::Field& f : l.fields) {
    for (int k = 0; k < f.repeat; ++k, ++v, offset += f.width) {
      if (offset < at) continue;
      size_t from = static_cast<size_t>(offset - at);
      std::string_view part = from < cp950.size() ? cp950.substr(from, static_cast<size_t>(f.width))
                                                   : std::string_view();
      r[v] = cp950::toUtf8(rtrim(part));
    }
  }
}

void recordToJson(const Record& r, const layout::Record& l, nlohmann::json& obj) {
  size_t v = 0;
  for (const layout::Field& f : l.fields) {
    std::string key(f.key);
    if (f.repeat == 1) {
      obj[key] = v < r.size() ? r[v] : std::string();
      ++v;
      continue;
    }
    size_t used = 0;
    for (int k = 0; k < f.repeat; ++k)
      if (v + k < r.size() && !r[v + k].empty()) used = static_cast<size_t>(k) + 1;
    nlohmann::json list = nlohmann::json::array();
    for (size_t k = 0; k < used; ++k) list.push_back(r[v + k]);
    obj[key] = std::move(list);
    v += static_cast<size_t>(f.repeat);
  }
}

bool recordFromJson(const nlohmann::json& obj, const layout::Record& l, const std::string& at,
                    Record& r, std::string& error) {
  r = emptyRecord(l);
  size_t v = 0;
  for (const layout::Field& f : l.fields) {
    std::string key(f.key);
    auto it = obj.find(key);
    if (it != obj.end() && !it->is_null()) {
      if (f.repeat == 1) {
        if (!it->is_string()) {
          error = at + key + ": expected text";
          return false;
        }
        r[v] = it->get<std::string>();
      } else {
        if (!it->is_array()) {
          error = at + key + ": expected a list of texts";
          return false;
        }
        // Texts beyond the field's count have no place on the card.
        for (size_t k = 0; k < it->size() && k < static_cast<size_t>(f.repeat); ++k) {
          const nlohmann::json& e = (*it)[k];
          if (e.is_null()) continue;
          if (!e.is_string()) {
            error = at + key + "[" + std::to_string(k) + "]: expected text";
            return false;
          }
          r[v + k] = e.get<std::string>();
        }
      }
    }
    v += static_cast<size_t>(f.repeat);
  }
  return true;
}

}  // namespace sim
