// CP950 conversion through ICU's "windows-950-2000" table. ICU resynchronises
// after an invalid pair differently from Windows, so the byte walk that decides
// where a character ends is done here and ICU converts one character at a time.
#include "platform/cp950.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <mutex>

namespace cp950 {
namespace {

// Every character the table lacks becomes "?", as with Windows; ICU's own
// substitution would drop the invisible ones (soft hyphen, zero-width space).
void questionMark(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                  UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

// Closed when the program ends or the library holding this codec is unloaded,
// so nothing of ICU's outlives it.
struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

UConverter* converter() {
  static std::unique_ptr<UConverter, ConverterCloser> conv([] {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* c = ucnv_open("windows-950-2000", &err);
    if (U_FAILURE(err)) return static_cast<UConverter*>(nullptr);
    err = U_ZERO_ERROR;
    ucnv_setSubstChars(c, "?", 1, &err);
    err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c, questionMark, nullptr, nullptr, nullptr, &err);
    return c;
  }());
  return conv.get();
}

std::mutex& lock() {
  static std::mutex m;
  return m;
}

// Writes the UTF-8 bytes of a code point at `o`; the end of what it wrote.
char* putUtf8(char* o, char32_t cp) {
  if (cp < 0x80) {
    *o++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *o++ = static_cast<char>(0xC0 | (cp >> 6));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *o++ = static_cast<char>(0xE0 | (cp >> 12));
    *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *o++ = static_cast<char>(0xF0 | (cp >> 18));
    *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return o;
}

// Decodes one complete character of 1 or 2 bytes; "?" when ICU has no mapping.
char32_t decodeWithIcu(const char* p, int n) {
  UConverter* c = converter();
  if (!c) return n == 1 && static_cast<unsigned char>(p[0]) < 0x80 ? p[0] : U'?';
  UChar u[4];
  UErrorCode err = U_ZERO_ERROR;
  ucnv_reset(c);
  int32_t len = ucnv_toUChars(c, u, 4, p, n, &err);
  if (U_FAILURE(err) || len <= 0 || u[0] == 0xFFFD || u[0] == 0x1A) return U'?';
  char32_t cp = u[0];
  if (U16_IS_LEAD(u[0]) && len > 1 && U16_IS_TRAIL(u[1])) cp = U16_GET_SUPPLEMENTARY(u[0], u[1]);
  return cp;
}

// Each character's UTF-8 bytes, by its CP950 bytes (a single byte below
// 0x100, a pair above), kept once ICU has given them: a report decodes the
// same few hundred characters thousands of times. Packed as the bytes in the
// low three bytes and their count in the top one; a character beyond the
// basic plane keeps its code point with the count 4. 0: not asked yet.
// Guarded by lock().
uint32_t (&decoded())[65536] {
  static uint32_t table[65536];
  return table;
}

unsigned keyOf(const char* p, int n) {
  return n == 1 ? static_cast<unsigned char>(p[0])
                : static_cast<unsigned char>(p[0]) << 8 | static_cast<unsigned char>(p[1]);
}

uint32_t utf8Packed(const char* p, int n) {
  uint32_t& packed = decoded()[keyOf(p, n)];
  if (packed == 0) {
    const char32_t cp = decodeWithIcu(p, n);
    if (cp >= 0x10000) {
      packed = 4u << 24 | static_cast<uint32_t>(cp);
    } else {
      char b[4] = {};
      const auto count = static_cast<uint32_t>(putUtf8(b, cp) - b);
      packed = count << 24 | static_cast<uint32_t>(static_cast<unsigned char>(b[0])) |
               static_cast<uint32_t>(static_cast<unsigned char>(b[1])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(b[2])) << 16;
    }
  }
  return packed;
}

// Writes the character's UTF-8 at `o`, which has room for four bytes; the
// end of what it wrote.
char* decodeOne(char* o, const char* p, int n) {
  const uint32_t packed = utf8Packed(p, n);
  const uint32_t count = packed >> 24;
  if (count == 4) return putUtf8(o, packed & 0xFFFFFF);
  const char b[4] = {static_cast<char>(packed & 0xFF), static_cast<char>(packed >> 8 & 0xFF),
                     static_cast<char>(packed >> 16 & 0xFF), 0};
  std::memcpy(o, b, 4);
  return o + count;
}

// Converts CP950 bytes as Windows decodes them, into a new string: ASCII
// runs go over as they are, a broken sequence becomes "?" (a lead byte at the
// end, a lead byte before a NUL, which is kept, or a lead byte before a byte
// that is no trail byte, which it eats), and each character goes through
// `one(o, bytes, count)`, which writes at most three bytes at `o` (with room
// for four written at once) and returns the end of what it wrote.
template <typename One>
std::string convert(std::string_view bytes, One one) {
  // No byte gives more than three (a pair gives at most four), and one more
  // byte of room.
  std::string out(bytes.size() * 3 + 1, '\0');
  char* o = out.data();
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      size_t end = i + 1;
      while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
      std::memcpy(o, bytes.data() + i, end - i);
      o += end - i;
      i = end;
    } else if (isLead(b)) {
      if (i + 1 >= bytes.size() || bytes[i + 1] == '\0') {
        *o++ = '?';
        ++i;
      } else if (!isTrail(static_cast<unsigned char>(bytes[i + 1]))) {
        *o++ = '?';
        i += 2;
      } else {
        o = one(o, bytes.data() + i, 2);
        i += 2;
      }
    } else {
      o = one(o, bytes.data() + i, 1);
      ++i;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

}  // namespace

std::string toUtf8(std::string_view bytes) {
  std::lock_guard<std::mutex> g(lock());
  return convert(bytes, decodeOne);
}

namespace {
std::string fromUtf8WithIcu(std::string_view utf8);
}  // namespace

std::string fromUtf8(std::string_view utf8) {
  // Plain ASCII is the same in both; most texts of the program are.
  bool ascii = true;
  for (char ch : utf8)
    if (static_cast<unsigned char>(ch) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return std::string(utf8);

  std::lock_guard<std::mutex> g(lock());
  // The program's own labels come back thousands of times in a report: short
  // texts are converted once.
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  static std::unordered_map<std::string, std::string, Hash, std::equal_to<>> labels;
  constexpr size_t kLabelBytes = 96, kLabels = 4096;
  const bool label = utf8.size() <= kLabelBytes;
  if (label) {
    auto known = labels.find(utf8);
    if (known != labels.end()) return known->second;
  }
  std::string out = fromUtf8WithIcu(utf8);
  if (label && labels.size() < kLabels) labels.emplace(std::string(utf8), out);
  return out;
}

namespace {

std::string fromUtf8WithIcu(std::string_view utf8) {
  UErrorCode err = U_ZERO_ERROR;
  int32_t ulen = 0;
  u_strFromUTF8WithSub(nullptr, 0, &ulen, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD,
                       nullptr, &err);
  std::u16string u(static_cast<size_t>(ulen), u'\0');
  err = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(u.data()), ulen, &ulen, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &err);
  UConverter* c = converter();
  if (!c) {
    std::string out;
    for (char16_t ch : u) out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
  }
  std::string out(static_cast<size_t>(ulen) * 2 + 4, '\0');
  ucnv_reset(c);
  err = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(c, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(u.data()), ulen, &err);
  if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) n = 0;
  out.resize(static_cast<size_t>(n > 0 ? n : 0));
  return out;
}

}  // namespace

// A character comes back from Windows' round trip as the bytes of its code
// point in CP950, which are its own bytes for nearly every character: "?" for
// what has no way back, the standard form for a duplicate. The same as
// fromUtf8(toUtf8(bytes)), character by character: CP950 has no state that
// carries from one character to the next.
std::string normalize(std::string_view bytes) {
  bool plain = true;
  for (char ch : bytes)
    if (static_cast<unsigned char>(ch) >= 0x80) {
      plain = false;
      break;
    }
  if (plain) return std::string(bytes);
  // Each character's bytes after the round trip (at most three), their
  // count in the top byte with its high bit set once known. Guarded by lock().
  static uint32_t back[65536];
  std::lock_guard<std::mutex> g(lock());
  return convert(bytes, [](char* o, const char* p, int n) {
    uint32_t& packed = back[keyOf(p, n)];
    if (packed == 0) {
      char u[5] = {};
      const size_t len = static_cast<size_t>(decodeOne(u, p, n) - u);
      const std::string b = fromUtf8WithIcu(std::string_view(u, len));
      if (b.size() > 3) {  // never for CP950; "?" rather than a cut character
        *o = '?';
        return o + 1;
      }
      packed = (0x80u | static_cast<uint32_t>(b.size())) << 24;
      for (size_t k = 0; k < b.size(); ++k)
        packed |= static_cast<uint32_t>(static_cast<unsigned char>(b[k])) << (8 * k);
    }
    const char b[4] = {static_cast<char>(packed & 0xFF), static_cast<char>(packed >> 8 & 0xFF),
                       static_cast<char>(packed >> 16 & 0xFF), 0};
    std::memcpy(o, b, 4);
    return o + (packed >> 24 & 0x7F);
  });
}

}  // namespace cp950
