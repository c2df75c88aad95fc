// CP950 (Big5) text: the form of the card's replies and of every data file.
//
// The core keeps text as CP950 bytes; it becomes Unicode (UTF-8 here) only where a
// window, the console, the event log or the simulator's state shows or stores it.
// Both platforms decode an invalid sequence the way Windows does: a lead byte
// (0x81-0xFE) whose next byte is not a trail byte (0x40-0x7E, 0xA1-0xFE) becomes
// "?" together with that next byte (but a NUL byte is kept), and a lead byte at
// the very end becomes "?".
#pragma once

#include <string>
#include <string_view>

namespace cp950 {

// UTF-8 text to CP950 bytes; a character CP950 cannot hold becomes "?".
std::string fromUtf8(std::string_view utf8);

// CP950 bytes to UTF-8 text.
std::string toUtf8(std::string_view bytes);
// The same, added to the end of `out`: a log of many lines converts each
// without a string of its own.
void appendUtf8(std::string& out, std::string_view bytes);

// The round trip CP950 -> Unicode -> CP950: what a text looks like after the
// platform's decoder has seen it (half characters and invalid pairs become "?").
std::string normalize(std::string_view bytes);

inline bool isLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
inline bool isTrail(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0xA1 && c <= 0xFE);
}

// Bytes of the character that starts at byte i: 2 for a lead byte with a byte
// after it, else 1 (a lead byte at the end is half a character).
inline size_t charBytes(std::string_view s, size_t i) {
  return isLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

}  // namespace cp950

// A UTF-8 literal of the program's own texts, as CP950 bytes.
inline std::string b5(std::string_view utf8) { return cp950::fromUtf8(utf8); }
