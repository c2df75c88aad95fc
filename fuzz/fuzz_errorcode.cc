// ErrorCode.txt, the clinic's own texts for the card library's codes: a code
// in the first four characters of a line, its text after them.
#include "card/errors.h"
#include "fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzRun f;
  f.file("ErrorCode.txt") = std::string(reinterpret_cast<const char*>(data), size);
  for (long code : {0L, 1L, 4000L, 9999L, -12L, 123456L}) getErrorCode(f.run, code);
  errorMessage(f.run, 1234);
  msg4apierr(f.run, 4321, "label");
  return 0;
}
