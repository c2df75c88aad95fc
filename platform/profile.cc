#include "platform/profile.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace {

std::string_view trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

struct Line {
  size_t begin, end;  // the line's bytes without its line end
  size_t next;        // where the next line starts
};

std::vector<Line> splitLines(const std::string& s) {
  std::vector<Line> lines;
  size_t i = 0;
  while (i < s.size()) {
    size_t e = i;
    while (e < s.size() && s[e] != '\n' && s[e] != '\r') ++e;
    size_t next = e;
    if (next < s.size() && s[next] == '\r') ++next;
    if (next < s.size() && s[next] == '\n') ++next;
    lines.push_back({i, e, next});
    i = next;
  }
  return lines;
}

// The section name of a "[name]" line, or nothing.
bool sectionName(std::string_view line, std::string_view& name) {
  std::string_view t = trim(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.find(']');
  name = trim(close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1));
  return true;
}

void splitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    key = trim(line);
    value = {};
  } else {
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
  }
}

ProfileValue cutTo(std::string_view v, int size) {
  ProfileValue r;
  if (size <= 0) return r;
  if (static_cast<int>(v.size()) > size - 1) v = v.substr(0, static_cast<size_t>(size - 1));
  r.text = std::string(v);
  r.count = static_cast<int>(v.size());
  return r;
}

}  // namespace

ProfileValue readProfile(const std::string& content, bool fileExists, const std::string& section,
                         const std::string& key, const std::string& def, int size) {
  if (fileExists) {
    // Entries before the first section header belong to the section named "".
    bool inSection = trim(section).empty(), seen = inSection;
    for (const Line& l : splitLines(content)) {
      std::string_view line(content.data() + l.begin, l.end - l.begin);
      std::string_view name;
      if (sectionName(line, name)) {
        if (seen && inSection) break;  // only the first section of that name counts
        inSection = sameName(name, trim(section));
        seen = seen || inSection;
        continue;
      }
      if (!inSection) continue;
      std::string_view k, v;
      splitEntry(line, k, v);
      if ((k.empty() && line.find('=') == std::string_view::npos) || !sameName(k, trim(key)))
        continue;
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      return cutTo(v, size);
    }
  }
  std::string_view d(def);
  while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
  return cutTo(d, size);
}

std::string writeProfile(const std::string& content, const std::string& section,
                         const std::string& key, const std::string& value) {
  const std::string entry = key + "=" + value + "\r\n";
  std::vector<Line> lines = splitLines(content);
  bool inSection = false;
  size_t sectionEnd = std::string::npos;  // where a new key of the section goes
  for (const Line& l : lines) {
    std::string_view line(content.data() + l.begin, l.end - l.begin);
    std::string_view name;
    if (sectionName(line, name)) {
      if (inSection) break;
      inSection = sameName(name, trim(section));
      if (inSection) sectionEnd = l.next;
      continue;
    }
    if (!inSection) continue;
    std::string_view k, v;
    splitEntry(line, k, v);
    if (!k.empty() && sameName(k, trim(key)))
      return content.substr(0, l.begin) + entry + content.substr(l.next);
    if (!trim(line).empty()) sectionEnd = l.next;
  }
  if (sectionEnd != std::string::npos) {
    std::string before = content.substr(0, sectionEnd);
    if (!before.empty() && before.back() != '\n') before += "\r\n";
    return before + entry + content.substr(sectionEnd);
  }
  std::string out = content;
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  if (!out.empty()) out += "\r\n";
  return out + "[" + section + "]\r\n" + entry;
}
