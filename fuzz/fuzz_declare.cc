// The declaration window's outside texts: a downloaded answer converted to
// CR LF line ends, the lines of uprecv.txt read back for their receipts, and
// a caption made of a fee month from the clinic's files. The conversion
// leaves no lone CR or LF and changes nothing a second time.
#include "declare/params.h"
#include "frame/files.h"
#include "fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 3);
  const std::string converted = toCrLf(in[0]);
  for (size_t i = 0; i < converted.size(); ++i) {
    if (converted[i] == '\r') fuzz::check(i + 1 < converted.size() && converted[i + 1] == '\n');
    if (converted[i] == '\n') fuzz::check(i > 0 && converted[i - 1] == '\r');
  }
  fuzz::check(toCrLf(converted) == converted);
  for (const std::string& line : splitLines(in[1])) {
    const std::string receipt = receiptOf(line);
    fuzz::check(receipt.size() <= line.size());
  }
  reportCaption(in[2], std::nullopt);
  reportCaption(in[2], DateTime{2026, 12, 8, 9, 30, 45});
  return 0;
}
