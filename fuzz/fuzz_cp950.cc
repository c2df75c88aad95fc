// The CP950 codec over any bytes: decoding never fails, and what the decoder
// leaves of a text is a fixed point of the round trip.
#include "fuzz/fuzz.h"
#include "platform/cp950.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string seen = cp950::normalize(bytes);
  fuzz::check(cp950::normalize(seen) == seen);
  fuzz::check(cp950::fromUtf8(cp950::toUtf8(seen)) == seen);
  cp950::fromUtf8(bytes);  // as if it were UTF-8: invalid sequences too
  for (size_t i = 0; i < bytes.size(); i += cp950::charBytes(bytes, i)) {
  }
  return 0;
}
