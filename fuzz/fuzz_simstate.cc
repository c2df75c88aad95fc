// The simulated reader's state file: any text is refused with a reason or
// read, and a state read is written back into a document that reads again.
#include <nlohmann/json.hpp>

#include "fuzz/fuzz.h"
#include "sim/cshis/state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  nlohmann::json doc;
  std::string error;
  const auto state = sim::parseState(text, doc, error);
  fuzz::check(state.has_value() == error.empty());
  if (!state) return 0;
  for (const auto& [key, reader] : state->readers) sim::storeState(*state, key, doc);
  sim::storeState(*state, "none", doc);
  const std::string again = doc.dump();
  nlohmann::json doc2;
  std::string error2;
  fuzz::check(sim::parseState(again, doc2, error2).has_value());
  return 0;
}
