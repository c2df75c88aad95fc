// Reading a simulator's state file as a JSON document, the same way for every
// simulator: an empty file, one nested deeper than any state needs (dumping
// and destroying a document recurse) and text that is not JSON are refused
// with a reason, never thrown.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

inline constexpr int kMaxStateDepth = 32;

// True when `doc` holds the document; otherwise `error` says why.
bool readJsonDocument(std::string_view text, nlohmann::json& doc, std::string& error);

}  // namespace sim
