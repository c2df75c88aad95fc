// Profile strings (orvosys.ini, c:\orvo.ini) over any file content: the first
// part is the file, the others the section, the key and the default. A plain
// key written into any file reads back as written.
#include "fuzz/fuzz.h"
#include "platform/profile.h"

namespace {

// A name or value with nothing the file format gives a meaning to.
bool plain(const std::string& s) {
  if (s.empty() || s.size() > 64) return false;
  for (unsigned char c : s)
    if (c <= ' ' || c >= 0x7f || c == '[' || c == ']' || c == '=' || c == '"' || c == '\'')
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 4);
  const std::string &content = in[3], &section = in[0], &key = in[1], &def = in[2];
  for (int buffer : {0, 1, 2, 16, 255}) {
    const ProfileValue v = readProfile(content, true, section, key, def, buffer);
    fuzz::check(v.count == static_cast<int>(v.text.size()) &&
                static_cast<int>(v.text.size()) <= std::max(buffer - 1, 0));
  }
  readProfile(content, false, section, key, def, 255);
  const std::string written = writeProfile(content, section, key, def);
  if (plain(section) && plain(key) && plain(def))
    fuzz::check(readProfile(written, true, section, key, "", 255).text == def);
  return 0;
}
