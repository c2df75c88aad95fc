#include "platform/wildcard.h"

#include <cctype>

namespace {

bool matchOne(std::string_view n, std::string_view p) {
  if (p == "*.*" || p == "*") return true;
  size_t ni = 0, pi = 0, star = std::string_view::npos, back = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || std::tolower(static_cast<unsigned char>(p[pi])) ==
                                               std::tolower(static_cast<unsigned char>(n[ni])))) {
      ++ni;
      ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      back = ni;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ni = ++back;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  // "name.*" also matches a name without any extension, as Windows does.
  if (pi + 2 == p.size() && p[pi] == '.' && p[pi + 1] == '*') return true;
  return pi == p.size();
}

}  // namespace

bool matchesPattern(std::string_view name, std::string_view patterns) {
  while (true) {
    size_t semi = patterns.find(';');
    std::string_view one = patterns.substr(0, semi);
    while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == ' ') one.remove_suffix(1);
    if (!one.empty() && matchOne(name, one)) return true;
    if (semi == std::string_view::npos) return false;
    patterns.remove_prefix(semi + 1);
  }
}
