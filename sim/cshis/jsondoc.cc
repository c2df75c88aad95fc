#include "jsondoc.h"

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

bool readJsonDocument(std::string_view text, nlohmann::json& doc, std::string& error) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    error = "empty";
    return false;
  }
  if (tooDeep(text)) {
    error = "nested deeper than " + std::to_string(kMaxStateDepth) + " levels";
    return false;
  }
  doc = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (doc.is_discarded()) {
    error = "not valid JSON";
    return false;
  }
  return true;
}

}  // namespace sim
