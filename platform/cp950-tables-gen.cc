// Writes CP950's conversion tables as C++ for the Linux codec (cp950-posix.cc),
// taken from ICU's "windows-950-2000" at build time: the program and the
// simulators then convert by table and need no ICU when they run.
//
//   cp950-tables-gen OUTPUT
//
// The tables hold what the codec asked ICU one character at a time before:
// each single byte and each lead byte with each byte after it decoded alone
// (a character ICU cannot map becomes "?"), and each code point of the basic
// plane encoded alone, "?" for what CP950 cannot hold. It fails, writing
// nothing, if a character decodes beyond the basic plane or a code point
// beyond it encodes to anything but "?": the codec's tables have no room for
// either.
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/uclean.h>

#include <cstdio>
#include <string>

namespace {

void questionMark(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                  UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

// One character of 1 or 2 bytes; "?" when ICU has no mapping; -1 when it
// decodes beyond the basic plane.
long decode(UConverter* c, const char* p, int n) {
  UChar u[4];
  UErrorCode err = U_ZERO_ERROR;
  ucnv_reset(c);
  const int32_t len = ucnv_toUChars(c, u, 4, p, n, &err);
  if (U_FAILURE(err) || len <= 0 || u[0] == 0xFFFD || u[0] == 0x1A) return '?';
  if (U16_IS_LEAD(u[0])) return -1;
  return u[0];
}

// A code point's CP950 bytes: one byte below 0x100, two above.
std::string encode(UConverter* c, UChar32 cp) {
  UChar u[2];
  int32_t len = 0;
  U16_APPEND_UNSAFE(u, len, cp);
  char out[8];
  UErrorCode err = U_ZERO_ERROR;
  ucnv_reset(c);
  const int32_t n = ucnv_fromUChars(c, out, sizeof out, u, len, &err);
  if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) return "?";
  return std::string(out, static_cast<size_t>(n > 0 ? n : 0));
}

bool isLead(unsigned b) { return b >= 0x81 && b <= 0xFE; }
bool isTrail(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp950-tables-gen OUTPUT\n");
    return 2;
  }
  UErrorCode err = U_ZERO_ERROR;
  UConverter* c = ucnv_open("windows-950-2000", &err);
  if (U_FAILURE(err)) {
    std::fprintf(stderr, "cp950-tables-gen: ICU has no windows-950-2000 (%s)\n", u_errorName(err));
    return 1;
  }
  err = U_ZERO_ERROR;
  ucnv_setSubstChars(c, "?", 1, &err);
  err = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c, questionMark, nullptr, nullptr, nullptr, &err);

  std::string out =
      "// Made at build time by cp950-tables-gen from ICU's \"windows-950-2000\"; not edited.\n"
      "// The code point of each byte from 0x80 (a lead byte alone: 0).\n"
      "constexpr char16_t kDecodeSingle[128] = {";
  char num[16];
  auto put = [&](unsigned v, bool last) {
    std::snprintf(num, sizeof num, "0x%X%s", v, last ? "" : ",");
    out += num;
  };
  bool ok = true;
  for (unsigned b = 0x80; b < 0x100; ++b) {
    const char byte = static_cast<char>(b);
    const long cp = isLead(b) ? 0 : decode(c, &byte, 1);
    ok &= cp >= 0;
    put(static_cast<unsigned>(cp < 0 ? 0 : cp), b == 0xFF);
  }
  out += "};\n// The code point of each lead byte 0x81-0xFE with each byte 0x40-0xFE after it"
         " (no trail byte: 0).\nconstexpr char16_t kDecodePair[126 * 191] = {";
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    out += '\n';
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const long cp = isTrail(trail) ? decode(c, pair, 2) : 0;
      if (cp < 0) std::fprintf(stderr, "cp950-tables-gen: %02X%02X decodes beyond the basic plane\n", lead, trail);
      ok &= cp >= 0;
      put(static_cast<unsigned>(cp < 0 ? 0 : cp), lead == 0xFE && trail == 0xFE);
    }
  }
  out += "};\n// The CP950 bytes of each code point of the basic plane: one byte below"
         " 0x100, two (lead byte high) above; \"?\" for what CP950 cannot hold.\n"
         "constexpr uint16_t kEncode[65536] = {";
  for (UChar32 cp = 0; cp < 0x10000; ++cp) {
    if (cp % 32 == 0) out += '\n';
    const std::string b = U_IS_SURROGATE(cp) ? "?" : encode(c, cp);
    unsigned v = '?';
    if (b.size() == 1) v = static_cast<unsigned char>(b[0]);
    else if (b.size() == 2) v = static_cast<unsigned char>(b[0]) << 8 | static_cast<unsigned char>(b[1]);
    if (b.empty() || b.size() > 2 || (b.size() == 2 && !isLead(static_cast<unsigned char>(b[0])))) {
      std::fprintf(stderr, "cp950-tables-gen: U+%04X encodes to %zu bytes\n", static_cast<unsigned>(cp), b.size());
      ok = false;
    }
    if (cp < 0x80 && v != static_cast<unsigned>(cp)) {
      std::fprintf(stderr, "cp950-tables-gen: U+%04X is not its own ASCII byte\n", static_cast<unsigned>(cp));
      ok = false;
    }
    put(v, cp == 0xFFFF);
  }
  out += "};\n";
  for (UChar32 cp = 0x10000; cp <= 0x10FFFF && ok; ++cp) {
    if (encode(c, cp) != "?") {
      std::fprintf(stderr, "cp950-tables-gen: U+%X beyond the basic plane has CP950 bytes\n",
                   static_cast<unsigned>(cp));
      ok = false;
    }
  }
  ucnv_close(c);
  u_cleanup();
  if (!ok) return 1;
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "cp950-tables-gen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
