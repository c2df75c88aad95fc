// The profile-string emulation of profile.cc (what the POSIX program reads its
// settings with) against the real GetPrivateProfileStringA and
// WritePrivateProfileStringA, on one corpus of settings files.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile.h"

namespace {

struct Ini {
  const char* name;
  std::string content;
};

const std::vector<Ini>& corpus() {
  static const std::vector<Ini> files = {
      {"plain", "[OrvoDent]\r\nOffice=1\r\nOfficeCode=3501234567\r\n"},
      {"case-and-blanks",
       "[  orvodent  ]\r\n  OFFICE  =  2  \r\n\tDirectory\t=\tc:\\orvo\t\r\nkey name = v w \r\n"},
      {"quotes",
       "[S]\r\nA=\"quoted\"\r\nB='single'\r\nC=\"unbalanced\r\nD=\"\"\r\nE=\"a\"b\"\r\n"
       "F=\" padded \"\r\nG='mixed\"\r\nH=\"\r\nI= \"x\" \r\n"},
      {"comments",
       "; leading\r\n[S]\r\n;A=commented\r\nA=1 ; after\r\n# hash=2\r\nB=2\r\n;C=3\r\nC=4\r\n"},
      {"duplicates",
       "[S]\r\nA=first\r\nA=second\r\n[T]\r\nA=t\r\n[s]\r\nA=again\r\nB=only-in-second\r\n"},
      {"empty", ""},
      {"no-sections", "A=1\r\nB=2\r\n"},
      {"before-first-section", "A=0\r\n[S]\r\nA=1\r\n"},
      {"long-values",
       "[S]\r\nLong=" + std::string(150, 'x') + "\r\nAt98=" + std::string(98, 'a') +
           "\r\nAt99=" + std::string(99, 'b') + "\r\nAt100=" + std::string(100, 'c') +
           "\r\nQuotedLong=\"" + std::string(120, 'q') + "\"\r\n"},
      {"empty-values", "[S]\r\nEmpty=\r\nBlank=   \r\nNoEquals\r\n=novalue\r\nQuotes=\"\"\r\n"},
      {"no-trailing-newline", "[S]\r\nA=1\r\nB=last"},
      {"lf-line-ends", "[S]\nA=1\nB=2\n[T]\nA=3\n"},
      {"section-shapes",
       "[One] trailing\r\nA=1\r\n [Two]\r\nA=2\r\n[Three\r\nA=3\r\n[ Four ]\r\nA=4\r\n[]\r\nA=5\r\n"},
      {"value-with-equals", "[S]\r\nA=b=c\r\nB==\r\n"},
      {"big5", "[OrvoDent]\r\nName=\xA4\xFD\xA4\x70\xA9\xFA\r\nDir=c:\\\xB8\xEA\xAE\xC6\r\n"},
      {"tabs", "[S]\r\n\tA\t=\t1\t\r\nB =\t\r\n"},
  };
  return files;
}

std::string folder() {
  static const std::string dir = [] {
    char tmp[MAX_PATH + 1];
    GetTempPathA(sizeof tmp, tmp);
    std::string d = std::string(tmp) + "ic-profile-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(d.c_str(), nullptr);
    return d + "\\";
  }();
  return dir;
}

// Removes the scratch folder when the run is over.
struct ScratchFolder : ::testing::Environment {
  void TearDown() override {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder() + "*.ini").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((folder() + fd.cFileName).c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(folder().c_str());
  }
};
const auto* const scratch = ::testing::AddGlobalTestEnvironment(new ScratchFolder);

// A fresh file for every use: the system may keep a parsed copy of a profile
// file it has read, keyed by its name.
std::string freshFile(const std::string& content, bool create = true) {
  static int n = 0;
  std::string path = folder() + "f" + std::to_string(++n) + ".ini";
  if (create) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD w = 0;
    if (!content.empty()) WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &w, nullptr);
    CloseHandle(h);
  }
  return path;
}

std::string fileBytes(const std::string& path) {
  std::string out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  CloseHandle(h);
  return out;
}

ProfileValue real(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& def, int size) {
  std::string buf(static_cast<size_t>(size), '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(),
                                     static_cast<DWORD>(size), path.c_str());
  buf.resize(std::min<size_t>(n, buf.size()));
  return {buf, static_cast<int>(n)};
}

std::string show(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c >= 0x80) {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    } else out += static_cast<char>(c);
  }
  return out + "\"";
}

// The names a query tries: each section and key as written, in other case,
// with blanks around, and names that are not there.
void names(const std::string& content, std::set<std::string>& sections,
           std::set<std::string>& keys) {
  sections = {"Nope", "", "S", "s", " S ", "OrvoDent", "ORVODENT"};
  keys = {"Nope", "", "A", "a", " A ", "Office", "office"};
  size_t i = 0;
  while (i < content.size()) {
    size_t e = content.find_first_of("\r\n", i);
    if (e == std::string::npos) e = content.size();
    std::string line = content.substr(i, e - i);
    i = e + 1;
    size_t b = line.find('['), c = line.find(']');
    if (b != std::string::npos && c != std::string::npos && c > b) {
      std::string s = line.substr(b + 1, c - b - 1);
      sections.insert(s);
      std::string up = s;
      for (char& ch : up) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      sections.insert(up);
    } else if (size_t eq = line.find('='); eq != std::string::npos && eq > 0) {
      std::string k = line.substr(0, eq);
      keys.insert(k);
      size_t f = k.find_first_not_of(" \t"), l = k.find_last_not_of(" \t");
      if (f != std::string::npos) {
        std::string t = k.substr(f, l - f + 1);
        keys.insert(t);
        for (char& ch : t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        keys.insert(t);
      }
    }
  }
}

// Wine drops the last character of a quoted value that exactly fills the
// buffer ("x" in quotes, buffer of 2: nothing). The emulation keeps it; see
// docs/windows.md.
bool quotedValueFillingTheBuffer(const std::string& content, const ProfileValue& got,
                                 const ProfileValue& want, int size) {
  if (got.count != size - 1 || want.count != size - 2 || size < 2) return false;
  if (got.text.substr(0, static_cast<size_t>(want.count)) != want.text) return false;
  return content.find('"' + got.text + '"') != std::string::npos ||
         content.find('\'' + got.text + '\'') != std::string::npos;
}

TEST(ProfileAgainstWindows, ReadsAsTheSystemDoes) {
  const std::vector<std::string> defaults = {"dflt", "dflt   ", "  lead", ""};
  const std::vector<int> sizes = {100, 1, 2, 5};
  int checked = 0, differences = 0;
  std::ostringstream shown;
  for (const Ini& ini : corpus()) {
    const std::string path = freshFile(ini.content);
    std::set<std::string> sections, keys;
    names(ini.content, sections, keys);
    for (const std::string& s : sections)
      for (const std::string& k : keys)
        for (const std::string& d : defaults)
          for (int size : sizes) {
            ProfileValue want = real(path, s, k, d, size);
            ProfileValue got = readProfile(ini.content, true, s, k, d, size);
            ++checked;
            if (got.text == want.text && got.count == want.count) continue;
            if (quotedValueFillingTheBuffer(ini.content, got, want, size)) continue;
            if (++differences <= 400)
              shown << ini.name << ": [" << s << "] " << show(k) << " default " << show(d)
                    << " size " << size << ": " << show(got.text) << " (" << got.count
                    << ") instead of " << show(want.text) << " (" << want.count << ")\n";
          }
  }
  EXPECT_GT(checked, 1000);
  EXPECT_EQ(differences, 0) << shown.str();
}

TEST(ProfileAgainstWindows, MissingFileGivesTheDefault) {
  const std::string path = freshFile("", false);
  for (const char* d : {"0", "c:\\orvo", "dflt   ", ""})
    for (int size : {100, 3, 1}) {
      ProfileValue want = real(path, "OrvoDent", "Office", d, size);
      ProfileValue got = readProfile("", false, "OrvoDent", "Office", d, size);
      EXPECT_TRUE(got.text == want.text && got.count == want.count)
          << show(d) << " size " << size << ": " << show(got.text) << " instead of "
          << show(want.text);
    }
}

struct Write {
  const char* name;
  std::string content;
  bool exists;
  std::string section, key, value;
};

TEST(ProfileAgainstWindows, WritesAsTheSystemDoes) {
  const std::vector<Write> writes = {
      {"new-file", "", false, "OrvoDent", "reportType", "1"},
      {"empty-file", "", true, "OrvoDent", "reportType", "1"},
      {"replace", "[OrvoDent]\r\nreportType=0\r\nOffice=1\r\n", true, "OrvoDent", "reportType", "1"},
      {"replace-other-case", "[orvodent]\r\nREPORTTYPE=0\r\n", true, "OrvoDent", "reportType", "1"},
      {"add-key", "[OrvoDent]\r\nOffice=1\r\n", true, "OrvoDent", "reportType", "1"},
      {"add-key-before-next-section", "[OrvoDent]\r\nOffice=1\r\n\r\n[Other]\r\nk=v\r\n", true,
       "OrvoDent", "reportType", "1"},
      {"add-section", "[Other]\r\nk=v\r\n", true, "OrvoDent", "VBbackup", "d:\\backup\\orvo"},
      {"no-trailing-newline", "[OrvoDent]\r\nOffice=1", true, "OrvoDent", "reportType", "1"},
      {"new-section-no-trailing-newline", "[Other]\r\nk=v", true, "OrvoDent", "reportType", "1"},
      {"first-of-duplicates", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n", true, "S", "A", "3"},
      {"keeps-comments", "; note\r\n[S]\r\n;A=old\r\nB=2\r\n", true, "S", "A", "1"},
      {"empty-value", "[S]\r\nA=1\r\n", true, "S", "A", ""},
  };
  for (const Write& w : writes) {
    const std::string path = freshFile(w.content, w.exists);
    ASSERT_TRUE(WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(), w.value.c_str(),
                                           path.c_str()))
        << w.name;
    // Wine rewrites the whole file in its own layout, so the two files are
    // compared by what they hold: every name of either reads the same.
    const std::string written = fileBytes(path);
    const std::string got = writeProfile(w.content, w.section, w.key, w.value);
    std::set<std::string> sections, keys, moreSections, moreKeys;
    names(written, sections, keys);
    names(got, moreSections, moreKeys);
    sections.insert(moreSections.begin(), moreSections.end());
    keys.insert(moreKeys.begin(), moreKeys.end());
    for (const std::string& s : sections)
      for (const std::string& k : keys) {
        ProfileValue want = real(path, s, k, "dflt", 100);
        ProfileValue have = readProfile(got, true, s, k, "dflt", 100);
        EXPECT_EQ(have.text, want.text)
            << w.name << ": [" << s << "] " << show(k) << " in " << show(got) << " against "
            << show(written);
      }
  }
}

}  // namespace
