#include "journal.h"

#include "platform/cp950.h"
#include "host.h"

namespace sim {

std::string_view argumentBytes(const char* text) {
  // The program's fixed-width fields are short; this only bounds a text that
  // lost its NUL.
  constexpr size_t kMaxText = 1 << 16;
  if (!text) return {};
  size_t n = 0;
  while (n < kMaxText && text[n] != '\0') ++n;
  return std::string_view(text, n);
}

}  // namespace sim

namespace sim::journal {

std::string escape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string text(const char* cp950) {
  if (!cp950) return "(null)";
  return escape(cp950::toUtf8(argumentBytes(cp950)));
}

std::string buffer(const short* len) { return "buf=" + (len ? std::to_string(*len) : "(null)"); }

std::string number(long value) { return std::to_string(value); }

std::string number(const short* value) { return value ? std::to_string(*value) : "(null)"; }

std::string line(std::string_view function, const std::vector<std::string>& args, int code,
                 std::string_view note) {
  std::string out(function);
  for (const std::string& a : args) {
    out += '\t';
    out += a;
  }
  out += "\t=> ";
  out += std::to_string(code);
  if (!note.empty()) {
    out += '\t';
    out += escape(note);
  }
  return out;
}

void append(const std::string& path, const std::string& line) {
  host::appendFile(path, line + "\n");
}

}  // namespace sim::journal
