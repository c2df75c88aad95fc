#include "platform/platform.h"

namespace {

// For disks without a handle of their own (tests' fakes): each write is one
// append().
class DiskAppend : public AppendFile {
 public:
  DiskAppend(Disk& disk, std::string path, int64_t size)
      : disk_(disk), path_(std::move(path)), size_(size) {}
  bool write(const std::string& data) override { return disk_.append(path_, data); }
  int64_t size() override { return size_; }

 private:
  Disk& disk_;
  std::string path_;
  int64_t size_;
};

}  // namespace

std::unique_ptr<AppendFile> Disk::openAppend(const std::string& path, const std::string& header) {
  if (isFolder(path)) return nullptr;
  const bool fresh = !exists(path);
  if (fresh && !write(path, header)) return nullptr;
  const int64_t size = length(path).value_or(-1);
  return std::make_unique<DiskAppend>(*this, path, size);
}
