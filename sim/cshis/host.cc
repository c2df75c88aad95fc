#include "host.h"

#include <cstdio>
#include <memory>

namespace sim::host {
namespace {

struct Closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, Closer>;

}  // namespace

bool readFile(const std::string& path, size_t maxBytes, std::string& out, std::string& error) {
  if (!exists(path)) {
    error = "missing";
    return false;
  }
  if (!isFile(path)) {
    error = "not a plain file";
    return false;
  }
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    error = "cannot be read";
    return false;
  }
  out.clear();
  char chunk[8192];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
    out.append(chunk, n);
    if (out.size() > maxBytes) {
      error = "larger than " + std::to_string(maxBytes) + " bytes";
      return false;
    }
  }
  if (std::ferror(f.get())) {
    error = "cannot be read";
    return false;
  }
  return true;
}

bool writeFile(const std::string& path, std::string_view bytes) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
  return std::fclose(f.release()) == 0 && ok;
}

bool appendFile(const std::string& path, std::string_view bytes) {
  File f(std::fopen(path.c_str(), "ab"));
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
  return std::fclose(f.release()) == 0 && ok;
}

std::string folderOf(const std::string& path) {
#if defined(_WIN32)
  size_t cut = path.find_last_of("\\/:");
#else
  size_t cut = path.find_last_of('/');
#endif
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace sim::host
