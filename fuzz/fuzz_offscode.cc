// The institution names: the OffsCode cache (30-byte records) and
// OTH03003.txt (one institution a line), searched for a code. A name found
// is at most 20 bytes and never ends in half a character; the cache keeps
// every whole record it had.
#include "card/records.h"
#include "frame/vbtext.h"
#include "fuzz/fuzz.h"
#include "platform/cp950.h"

namespace {

bool wholeChars(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) i += cp950::isLead(static_cast<unsigned char>(s[i])) ? 2 : 1;
  return i == s.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 3);
  fuzz::FuzzRun f;
  if (!in[1].empty()) f.file("OffsCode") = in[1];
  if (!in[2].empty()) f.file("OTH03003.txt") = in[2];
  for (int16_t flag : {1, 0, 0}) {
    const std::string name = GetOffsCode(f.run, in[0], flag);
    if (name != vbTrim(in[0]))
      fuzz::check(!name.empty() && name.size() <= static_cast<size_t>(kOffsNameWidth) &&
                  wholeChars(name));
  }
  const size_t whole = in[1].size() / kOffsRecord * kOffsRecord;
  fuzz::check(f.file("OffsCode").compare(0, whole, in[1], 0, whole) == 0);
  return 0;
}
