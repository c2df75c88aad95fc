// Reading a simulator's state file as a JSON document, the same way for every
// simulator: an empty file, one nested deeper than any state needs (dumping
// and destroying a document recurse) and text that is not JSON are refused
// with a reason, never thrown.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

inline constexpr int kMaxStateDepth = 32;

// True when `doc` holds the document; otherwise `error` says why (for text
// that is not JSON: where it stops being JSON, by line and column) and
// `stopAt`, when given, is the byte offset of that place.
bool readJsonDocument(std::string_view text, nlohmann::json& doc, std::string& error,
                      size_t* stopAt = nullptr);

// Reads typed values out of a state document, remembering the first problem
// with its place ("cards[0].status: expected a whole number"). A key that is
// absent or null leaves the value as it was and is no problem; each simulator's
// reader derives from this one and adds what its state has.
struct JsonReader {
  using json = nlohmann::json;
  std::string error;

  bool fail(const std::string& at, const char* what);
  static const json* find(const json& obj, const char* key);
  bool text(const json& obj, const char* key, const std::string& at, std::string& out);
  bool text(const json& obj, const char* key, const std::string& at,
            std::optional<std::string>& out);
  bool integer(const json& obj, const char* key, const std::string& at, int& out);
  bool boolean(const json& obj, const char* key, const std::string& at, bool& out);
  bool texts(const json& obj, const char* key, const std::string& at,
             std::vector<std::string>& out);
  // An object, or nothing when absent or null.
  const json* object(const json& obj, const char* key, const std::string& at);
};

}  // namespace sim
