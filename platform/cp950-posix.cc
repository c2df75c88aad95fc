// CP950 conversion by the tables of ICU's "windows-950-2000", made at build
// time (cp950-tables-gen.cc), so that nothing needs ICU when it runs. ICU
// resynchronises after an invalid pair differently from Windows, so the byte
// walk that decides where a character ends is done here, and the tables hold
// each character converted alone.
#include "platform/cp950.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace cp950 {
namespace {

#include "platform/cp950-tables.inc"  // made in the build folder

// The code point of one complete character of 1 or 2 bytes ("?" when the
// table has none).
char32_t decode(const char* p, int n) {
  const unsigned b = static_cast<unsigned char>(p[0]);
  if (n == 1) return b < 0x80 ? b : kDecodeSingle[b - 0x80];
  return kDecodePair[(b - 0x81) * 191 + (static_cast<unsigned char>(p[1]) - 0x40)];
}

// Writes the UTF-8 bytes of a code point of the basic plane at `o`; the end
// of what it wrote. Three bytes first: every Chinese character takes three.
[[gnu::always_inline]] inline char* putUtf8(char* o, char32_t cp) {
  if (cp >= 0x800) {
    o[0] = static_cast<char>(0xE0 | (cp >> 12));
    o[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    o[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return o + 3;
  }
  if (cp >= 0x80) {
    o[0] = static_cast<char>(0xC0 | (cp >> 6));
    o[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return o + 2;
  }
  *o = static_cast<char>(cp);
  return o + 1;
}

// Where the run of ASCII bytes from `i` ends, eight bytes at a time.
size_t asciiEnd(std::string_view s, size_t i) {
  for (uint64_t w; i + 8 <= s.size(); i += 8) {
    std::memcpy(&w, s.data() + i, 8);
    if (w & 0x8080808080808080ull) break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

// Writes a code point's CP950 bytes at `o` ("?" beyond the basic plane); the
// end of what it wrote.
char* putCp950(char* o, char32_t cp) {
  const unsigned v = cp < 0x10000 ? kEncode[cp] : '?';
  if (v >= 0x100) *o++ = static_cast<char>(v >> 8);
  *o++ = static_cast<char>(v & 0xFF);
  return o;
}

// Converts CP950 bytes as Windows decodes them, to the end of `out`: ASCII
// runs go over as they are, a broken sequence becomes "?" (a lead byte at the
// end, a lead byte before a NUL, which is kept, or a lead byte before a byte
// that is no trail byte, which it eats), and each character goes through
// `one(o, code point)`, which writes at most three bytes at `o` and returns
// the end of what it wrote.
template <typename One>
void convert(std::string& out, std::string_view bytes, One one) {
  const size_t first = asciiEnd(bytes, 0);  // plain ASCII is the same in both; most fields are
  if (first == bytes.size()) {
    out.append(bytes);
    return;
  }
  // No byte gives more than three (a pair gives at most three).
  const size_t at = out.size();
  out.resize(at + bytes.size() * 3);
  std::memcpy(out.data() + at, bytes.data(), first);
  char* o = out.data() + at + first;
  for (size_t i = first; i < bytes.size();) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      const size_t end = asciiEnd(bytes, i + 1);
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
        o = one(o, decode(bytes.data() + i, 2));
        i += 2;
      }
    } else {
      o = one(o, decode(bytes.data() + i, 1));
      ++i;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
}

// The length of the well-formed UTF-8 sequence at s[i], or, when there is
// none, of its longest start that could have begun one (at least 1): each
// such piece stands for one U+FFFD, as ICU and the Unicode standard's
// recommended practice count them.
size_t utf8Piece(std::string_view s, size_t i, char32_t& cp) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  int need;
  unsigned char lo = 0x80, hi = 0xBF;  // the bounds of the second byte
  if (b < 0x80) {
    cp = b;
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    need = 1, cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2, cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3, cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    cp = 0xFFFD;
    return 1;
  }
  size_t n = 1;
  for (int k = 0; k < need; ++k, ++n) {
    if (i + n >= s.size()) break;
    const unsigned char c = static_cast<unsigned char>(s[i + n]);
    if (c < (k == 0 ? lo : 0x80) || c > (k == 0 ? hi : 0xBF)) break;
    cp = cp << 6 | (c & 0x3F);
    if (k == need - 1) return n + 1;
  }
  cp = 0xFFFD;
  return n;
}

}  // namespace

void appendUtf8(std::string& out, std::string_view bytes) {
  convert(out, bytes, [](char* o, char32_t cp) { return putUtf8(o, cp); });
}

std::string toUtf8(std::string_view bytes) {
  std::string out;
  appendUtf8(out, bytes);
  return out;
}

std::string fromUtf8(std::string_view utf8) {
  // No character gives more bytes in CP950 than it has in UTF-8.
  std::string out(utf8.size(), '\0');
  char* o = out.data();
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {  // plain ASCII is the same in both; most texts of the program are
      *o++ = static_cast<char>(b);
      ++i;
      continue;
    }
    char32_t cp = 0;
    i += utf8Piece(utf8, i, cp);
    o = putCp950(o, cp);  // U+FFFD has no CP950 bytes: "?"
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

// A character comes back from Windows' round trip as the CP950 bytes of its
// code point, which are its own bytes for nearly every character: "?" for
// what has no way back, the standard form for a duplicate.
std::string normalize(std::string_view bytes) {
  std::string out;
  convert(out, bytes, [](char* o, char32_t cp) { return putCp950(o, cp); });
  return out;
}

}  // namespace cp950
