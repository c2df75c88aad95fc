// CP950 conversion through Windows' own tables. Code page 950 is named
// explicitly: a clinic's machine may run with any system code page, and the
// card's replies and data files are Big5 regardless.
#include <windows.h>

#include "platform/cp950.h"
#include "platform/cp950-win32.h"

namespace cp950 {
namespace {

constexpr UINT kBig5 = 950;

bool plain(std::string_view s) {
  for (char ch : s)
    if (static_cast<unsigned char>(ch) >= 0x80) return false;
  return true;
}

std::wstring wide(UINT cp, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int in = static_cast<int>(bytes.size());
  int n = MultiByteToWideChar(cp, 0, bytes.data(), in, nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), in, w.data(), n);
  return w;
}

std::string narrow(UINT cp, std::wstring_view w) {
  if (w.empty()) return {};
  const int in = static_cast<int>(w.size());
  // No best-fit look-alikes: a character Big5 cannot hold becomes "?".
  const DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* dflt = cp == CP_UTF8 ? nullptr : "?";
  int n = WideCharToMultiByte(cp, flags, w.data(), in, nullptr, 0, dflt, nullptr);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, flags, w.data(), in, s.data(), n, dflt, nullptr);
  return s;
}

// A character outside the BMP is one unmappable character, not two halves.
void foldSurrogates(std::wstring& w) {
  std::wstring out;
  out.reserve(w.size());
  for (size_t i = 0; i < w.size(); ++i) {
    wchar_t c = w[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) ++i;
      out += L'?';
    } else {
      out += c;
    }
  }
  w.swap(out);
}

}  // namespace

std::string toUtf8(std::string_view bytes) {
  if (plain(bytes)) return std::string(bytes);
  return narrow(CP_UTF8, wide(kBig5, bytes));
}

void appendUtf8(std::string& out, std::string_view bytes) { out += toUtf8(bytes); }

std::string fromUtf8(std::string_view utf8) {
  if (plain(utf8)) return std::string(utf8);
  std::wstring w = wide(CP_UTF8, utf8);
  foldSurrogates(w);
  return narrow(kBig5, w);
}

std::wstring toWide(std::string_view bytes) { return wide(kBig5, bytes); }

std::string fromWide(std::wstring_view w) {
  std::wstring copy(w);
  foldSurrogates(copy);
  return narrow(kBig5, copy);
}

std::string normalize(std::string_view bytes) {
  if (plain(bytes)) return std::string(bytes);
  return narrow(kBig5, wide(kBig5, bytes));
}

}  // namespace cp950
