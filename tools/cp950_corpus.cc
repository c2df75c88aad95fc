// cp950_corpus <file>: writes how Windows converts code page 950, the answers
// the POSIX codec is held to (tools/testdata/cp950-windows.txt). Run under
// Windows or Wine; see cp950_corpus.h for the format.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/cp950_corpus.h"

namespace {

std::wstring decode(const std::string& bytes) {
  int n = MultiByteToWideChar(950, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(950, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
  return w;
}

std::string encode(wchar_t c) {
  char buf[8];
  int n = WideCharToMultiByte(950, WC_NO_BEST_FIT_CHARS, &c, 1, buf, sizeof buf, "?", nullptr);
  return std::string(buf, static_cast<size_t>(n > 0 ? n : 0));
}

std::u16string units(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp950_corpus <file>\n");
    return 2;
  }
  cp950corpus::Table t;
  for (int b = 0; b < 256; ++b) t.single[b] = units(decode(std::string(1, static_cast<char>(b))));
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0; trail < 256; ++trail) {
      std::string in{static_cast<char>(lead), static_cast<char>(trail), 'A'};
      std::u16string u = units(decode(in));
      // Every input ends in the "A" that shows whether the second byte was eaten.
      if (!u.empty() && u.back() == u'A') u.pop_back();
      t.pairs[lead - 0x81][trail] = u;
    }
  cp950corpus::Encodings implied = cp950corpus::impliedEncodings(t);
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string e = encode(static_cast<wchar_t>(c));
    auto it = implied.find(c);
    if (e != (it == implied.end() ? std::string("?") : it->second)) t.exceptions[c] = e;
  }
  std::string text = cp950corpus::format(t);
  FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 1;
  std::fwrite(text.data(), 1, text.size(), f);
  return std::fclose(f) == 0 ? 0 : 1;
}
