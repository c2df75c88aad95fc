#include "platform/unzip.h"

#include "platform/platform.h"

bool safeEntryName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

std::string linkOnTheWay(const std::string& folder, const std::vector<std::string>& names) {
  const std::unique_ptr<Disk> disk = makeRealDisk();
  std::string base = folder;
  while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
  if (disk->isLink(base)) return base;
  for (const std::string& name : names) {
    std::string path = base;
    size_t start = 0;
    while (start < name.size()) {
      size_t end = name.find_first_of("/\\", start);
      if (end == std::string::npos) end = name.size();
      if (end > start) {
        path += "\\" + name.substr(start, end - start);
        if (disk->isLink(path)) return path;
      }
      start = end + 1;
    }
  }
  return std::string();
}
