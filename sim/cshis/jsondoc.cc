#include "jsondoc.h"

#include <climits>
#include <algorithm>
#include <cstdint>

namespace sim {

namespace {

bool tooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxStateDepth) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

}  // namespace

bool readJsonDocument(std::string_view text, nlohmann::json& doc, std::string& error,
                      size_t* stopAt) {
  if (stopAt) *stopAt = 0;
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    error = "empty";
    return false;
  }
  if (tooDeep(text)) {
    error = "nested deeper than " + std::to_string(kMaxStateDepth) + " levels";
    return false;
  }
  try {
    doc = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& e) {
    // A person fixing the file by hand needs the place, not only the verdict.
    size_t at = e.byte > 0 ? std::min<size_t>(e.byte - 1, text.size()) : 0;
    int line = 1, column = 1;
    for (size_t i = 0; i < at; ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == '\n') {
        ++line;
        column = 1;
      } else if ((c & 0xC0) != 0x80) {
        ++column;  // characters, not bytes: as an editor counts them
      }
    }
    if (stopAt) *stopAt = at;
    error = "not valid JSON at line " + std::to_string(line) + ", column " + std::to_string(column);
    return false;
  }
  return true;
}

bool JsonReader::fail(const std::string& at, const char* what) {
  if (error.empty()) error = at + ": " + what;
  return false;
}

const nlohmann::json* JsonReader::find(const json& obj, const char* key) {
  auto it = obj.find(key);
  return it == obj.end() || it->is_null() ? nullptr : &*it;
}

bool JsonReader::text(const json& obj, const char* key, const std::string& at, std::string& out) {
  const json* v = find(obj, key);
  if (!v) return true;
  if (!v->is_string()) return fail(at + key, "expected text");
  out = v->get<std::string>();
  return true;
}

bool JsonReader::text(const json& obj, const char* key, const std::string& at,
                      std::optional<std::string>& out) {
  std::string s;
  if (!find(obj, key)) return true;
  if (!text(obj, key, at, s)) return false;
  out = std::move(s);
  return true;
}

bool JsonReader::integer(const json& obj, const char* key, const std::string& at, int& out) {
  const json* v = find(obj, key);
  if (!v) return true;
  if (!v->is_number_integer()) return fail(at + key, "expected a whole number");
  if (v->is_number_unsigned() ? v->get<uint64_t>() > static_cast<uint64_t>(INT_MAX)
                              : v->get<int64_t>() < INT_MIN || v->get<int64_t>() > INT_MAX)
    return fail(at + key, "number out of range");
  out = static_cast<int>(v->get<int64_t>());
  return true;
}

bool JsonReader::boolean(const json& obj, const char* key, const std::string& at, bool& out) {
  const json* v = find(obj, key);
  if (!v) return true;
  if (!v->is_boolean()) return fail(at + key, "expected true or false");
  out = v->get<bool>();
  return true;
}

bool JsonReader::texts(const json& obj, const char* key, const std::string& at,
                       std::vector<std::string>& out) {
  const json* v = find(obj, key);
  if (!v) return true;
  if (!v->is_array()) return fail(at + key, "expected a list of texts");
  for (size_t i = 0; i < v->size(); ++i) {
    const json& e = (*v)[i];
    if (!e.is_string()) return fail(at + key + "[" + std::to_string(i) + "]", "expected text");
    out.push_back(e.get<std::string>());
  }
  return true;
}

const nlohmann::json* JsonReader::object(const json& obj, const char* key,
                                         const std::string& at) {
  const json* v = find(obj, key);
  if (v && !v->is_object()) {
    fail(at + key, "expected an object");
    return nullptr;
  }
  return v;
}

}  // namespace sim
