// The declaration window's input files and the service's answers: NHI_ID
// (whose local identifier names a file under backup\), the receipt and
// identifier buffers the service fills (kept in uprecv.txt and savecode.txt)
// and the lines of uprecv.txt and savecode.txt read back. Whatever the bytes,
// an identifier or receipt accepted is letters and digits only, so it can
// name no path, and the line written for it reads back to the same words.
#include <cctype>

#include "declare/params.h"
#include "frame/files.h"
#include "fuzz/fuzz.h"

namespace {

bool plain(const std::string& s, size_t width) {
  if (s.empty() || s.size() > width) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) > 0x7f) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 4);
  // NHI_ID.
  if (const auto ids = nhiIdentifiers(in[0])) {
    fuzz::check(plain(ids->first, kIdentifierWidth) && plain(ids->second, kIdentifierWidth));
    const std::string line = savecodeLine(ids->first, ids->second, DateTime{2026, 12, 9, 8, 0, 0}, "totfa.zip");
    fuzz::check(line.rfind(ids->first + " " + ids->second + " ", 0) == 0);
    fuzz::check(line.find_first_of("\r\n") == std::string::npos);
  }
  // The receipt buffer PEA_fa_upload filled: accepted only as a number that
  // reads back from its uprecv.txt line.
  const std::string receipt = bufferText(in[1].substr(0, kReceiptWidth));
  if (wellFormedReceipt(receipt)) {
    fuzz::check(plain(receipt, kReceiptWidth));
    fuzz::check(receiptOf(receiptLine(receipt, DateTime{2026, 12, 9, 8, 0, 0}, in[3], "totfa.zip")) == receipt);
  }
  // Identifier buffers of the file exchange.
  for (size_t at = 0; at < in[2].size(); at += kIdentifierWidth) {
    const std::string id = bufferText(in[2].substr(at, kIdentifierWidth));
    if (wellFormedIdentifier(id)) fuzz::check(plain(id, kIdentifierWidth));
  }
  // uprecv.txt and savecode.txt read back: a first word that passes for a
  // receipt is one, and nothing path-like does.
  for (const std::string& line : splitLines(in[3])) {
    const std::string number = receiptOf(line);
    if (wellFormedReceipt(number)) fuzz::check(number.find_first_of("./\\:") == std::string::npos);
  }
  return 0;
}
