#include "frame/vbtext.h"

#include <cmath>
#include <cstdlib>

#include "platform/cp950.h"

using cp950::charBytes;

size_t vbLen(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); i += charBytes(s, i)) ++n;
  return n;
}

std::string vbMid(std::string_view s, size_t start, long len) {
  if (start < 1) start = 1;
  size_t i = 0, c = 1;
  while (i < s.size() && c < start) {
    i += charBytes(s, i);
    ++c;
  }
  size_t b = i;
  long taken = 0;
  while (i < s.size() && (len < 0 || taken < len)) {
    i += charBytes(s, i);
    ++taken;
  }
  return std::string(s.substr(b, i - b));
}

std::string vbLeft(std::string_view s, size_t len) { return vbMid(s, 1, static_cast<long>(len)); }

std::string vbLTrim(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string vbRTrim(std::string_view s) {
  size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string vbTrim(std::string_view s) { return vbLTrim(vbRTrim(s)); }

double vbVal(std::string_view s) {
  std::string t;
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') t += c;
  if (t.size() >= 2 && t[0] == '&') {
    int base = (t[1] == 'H' || t[1] == 'h') ? 16 : (t[1] == 'O' || t[1] == 'o') ? 8 : 0;
    if (base) {
      long long v = 0;
      for (size_t i = 2; i < t.size(); ++i) {
        int d = std::isdigit(static_cast<unsigned char>(t[i])) ? t[i] - '0'
              : std::isxdigit(static_cast<unsigned char>(t[i])) ? std::tolower(t[i]) - 'a' + 10 : 99;
        if (d >= base) break;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL) break;
      }
      return static_cast<double>(v);
    }
  }
  // Sign, digits, one point, an exponent with its own digits.
  size_t i = 0;
  std::string num;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) num += t[i++];
  bool digits = false, point = false;
  while (i < t.size()) {
    char c = t[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
      num += c;
    } else if (c == '.' && !point) {
      point = true;
      num += c;
    } else {
      break;
    }
    ++i;
  }
  if (!digits) return 0;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e' || t[i] == 'D' || t[i] == 'd')) {
    size_t j = i + 1;
    std::string ex = "e";
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ex += t[j++];
    size_t k = j;
    while (k < t.size() && std::isdigit(static_cast<unsigned char>(t[k]))) ex += t[k++];
    if (k > j) num += ex;
  }
  double v = std::strtod(num.c_str(), nullptr);
  return std::isfinite(v) ? v : 0;
}

long vbRound(double v) { return static_cast<long>(std::nearbyint(v)); }

bool vbInt16(double v, int16_t& out) {
  double r = std::nearbyint(v);
  if (!(r >= -32768.0 && r <= 32767.0)) return false;
  out = static_cast<int16_t>(r);
  return true;
}

std::string vbStr(long n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }

std::string zeroPad(long n, int digits) {
  std::string s = std::to_string(n < 0 ? -n : n);
  if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
  return n < 0 ? "-" + s : s;
}
