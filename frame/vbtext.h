// Text rules of the program's runtime, over CP950 text: characters are counted
// as the runtime counts them (a double-byte character is one), Val reads a
// number the runtime's way, Str puts a blank before a number that is not
// negative, and Trim drops blanks only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// InStr(text, part) > 0: the command line's verbs are found this way.
inline bool has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}
// Blanks only, or NULs as a library may leave in unused slots.
inline bool blank(std::string_view s) {
  return s.find_first_not_of(std::string_view(" \0", 2)) == std::string_view::npos;
}

// Number of characters.
size_t vbLen(std::string_view s);
// Characters start..start+len-1 (1-based); to the end when len is negative.
std::string vbMid(std::string_view s, size_t start, long len = -1);
std::string vbLeft(std::string_view s, size_t len);
std::string vbTrim(std::string_view s);
std::string vbRTrim(std::string_view s);
std::string vbLTrim(std::string_view s);

// Val: blanks, tabs and line feeds ignored; stops at the first character that
// cannot continue a number; 0 when nothing numeric leads. Knows &H and &O.
double vbVal(std::string_view s);
// Val taken to a 16-bit integer as the runtime rounds (halves to even); false
// on overflow, when the assignment is skipped.
bool vbInt16(double v, int16_t& out);
// Str(n): " 12", "-3".
std::string vbStr(long n);
// Format(n, "0000"): at least `digits` digits.
std::string zeroPad(long n, int digits);
// Rounds halves to even, as the runtime's integer conversions do.
long vbRound(double v);
