// The corpus of Windows' code page 950 answers that holds both codecs to one
// behaviour: written under Windows (or Wine) by cp950_corpus, read by
// cp950_corpus_test on every platform.
//
// Text lines, "#" lines are comments. UTF-16 units are 4 hex digits, joined by
// "." when a conversion gives more than one; "-" is no output.
//   S <256 entries>      each byte 00..FF decoded alone (a lead byte: at the end)
//   P <LL> <256 entries> lead byte LL followed by each byte 00..FF and "A",
//                        decoded, the final "A" left off
//   E <UUUU> <hex bytes> an encoding that the S and P lines do not imply
// The encoding of a character is implied by the first single byte or pair
// that decodes to exactly that character; otherwise it is "?".
#pragma once

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace cp950corpus {

struct Table {
  std::u16string single[256];
  std::u16string pairs[126][256];  // lead 0x81 + i
  std::map<char32_t, std::string> exceptions;
};

using Encodings = std::map<char32_t, std::string>;

inline std::string hex4(char16_t u) {
  char b[8];
  std::snprintf(b, sizeof b, "%04X", static_cast<unsigned>(u));
  return b;
}

inline std::string entry(const std::u16string& u) {
  if (u.empty()) return "-";
  std::string s;
  for (char16_t c : u) {
    if (!s.empty()) s += '.';
    s += hex4(c);
  }
  return s;
}

inline bool parseEntry(const std::string& e, std::u16string& out) {
  out.clear();
  if (e == "-") return true;
  std::stringstream ss(e);
  std::string part;
  while (std::getline(ss, part, '.')) {
    if (part.size() != 4) return false;
    out += static_cast<char16_t>(std::stoul(part, nullptr, 16));
  }
  return !out.empty();
}

inline Encodings impliedEncodings(const Table& t) {
  Encodings m;
  for (int b = 0; b < 256; ++b)
    if (t.single[b].size() == 1 && !(t.single[b][0] == u'?' && b != '?'))
      m.emplace(t.single[b][0], std::string(1, static_cast<char>(b)));
  for (int l = 0; l < 126; ++l)
    for (int b = 0; b < 256; ++b) {
      const std::u16string& u = t.pairs[l][b];
      if (u.size() == 1 && u[0] != u'?')
        m.emplace(u[0], std::string{static_cast<char>(0x81 + l), static_cast<char>(b)});
    }
  return m;
}

inline std::string format(const Table& t) {
  std::string out =
      "# Code page 950 as Windows converts it: MultiByteToWideChar(950, 0) and\n"
      "# WideCharToMultiByte(950, WC_NO_BEST_FIT_CHARS, default \"?\").\n"
      "# Written by cp950_corpus; format in platform/cp950_corpus.h.\n";
  out += "S";
  for (const auto& u : t.single) out += " " + entry(u);
  out += "\n";
  for (int l = 0; l < 126; ++l) {
    char lead[4];
    std::snprintf(lead, sizeof lead, "%02X", 0x81 + l);
    out += std::string("P ") + lead;
    for (const auto& u : t.pairs[l]) out += " " + entry(u);
    out += "\n";
  }
  for (const auto& [c, bytes] : t.exceptions) {
    out += "E " + hex4(static_cast<char16_t>(c)) + " ";
    for (unsigned char b : bytes) {
      char h[4];
      std::snprintf(h, sizeof h, "%02X", b);
      out += h;
    }
    out += "\n";
  }
  return out;
}

inline bool parse(const std::string& text, Table& t, std::string& error) {
  std::stringstream in(text);
  std::string line;
  int pairsSeen = 0;
  bool singleSeen = false;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::stringstream ls(line);
    std::string kind;
    ls >> kind;
    if (kind == "S" || kind == "P") {
      std::u16string* row = t.single;
      if (kind == "P") {
        std::string lead;
        ls >> lead;
        unsigned long l = std::stoul(lead, nullptr, 16);
        if (l < 0x81 || l > 0xFE) return error = "bad lead " + lead, false;
        row = t.pairs[l - 0x81];
        ++pairsSeen;
      } else {
        singleSeen = true;
      }
      for (int b = 0; b < 256; ++b) {
        std::string e;
        if (!(ls >> e) || !parseEntry(e, row[b])) return error = "short line: " + line, false;
      }
    } else if (kind == "E") {
      std::string c, bytes;
      ls >> c >> bytes;
      std::string raw;
      for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        raw += static_cast<char>(std::stoul(bytes.substr(i, 2), nullptr, 16));
      t.exceptions[static_cast<char32_t>(std::stoul(c, nullptr, 16))] = raw;
    } else {
      return error = "unknown line: " + line, false;
    }
  }
  if (!singleSeen || pairsSeen != 126) return error = "incomplete corpus", false;
  return true;
}

}  // namespace cp950corpus
