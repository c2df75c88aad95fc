// What every Disk shares: the path-based open folder and the one-append-a-write
// file of disks that have no handles (the fakes of the tests), and the test
// mode's full disk.
#include "platform/platform.h"

namespace {

// A folder reached by its path at every step: for disks whose paths cannot be
// swapped under the program (memory, the tests' fakes).
class PathFolder : public OpenFolder {
 public:
  PathFolder(Disk& disk, std::string folder) : disk_(disk), folder_(std::move(folder)) {}
  std::vector<std::string> list(const std::string& pattern) override {
    std::vector<std::string> out;
    for (const std::string& n : disk_.list(folder_, pattern))
      if (!disk_.isLink(path(n))) out.push_back(n);
    return out;
  }
  std::optional<int64_t> length(const std::string& name) override { return disk_.length(path(name)); }
  std::optional<DateTime> modified(const std::string& name) override {
    return disk_.modified(path(name));
  }
  bool remove(const std::string& name) override {
    return !disk_.isLink(path(name)) && disk_.remove(path(name));
  }

 private:
  std::string path(const std::string& name) const { return folder_ + "\\" + name; }
  Disk& disk_;
  std::string folder_;
};

// Every write from the failAt-th on fails; a failing write leaves the first
// half of its bytes where it wrote, as a disk that fills up halfway does.
// Renames and deletions need no space and go through.
class FullDisk : public Disk {
 public:
  FullDisk(std::unique_ptr<Disk> real, long failAt) : real_(std::move(real)), failAt_(failAt) {}
  bool exists(const std::string& p) override { return real_->exists(p); }
  bool isFolder(const std::string& p) override { return real_->isFolder(p); }
  std::optional<int64_t> length(const std::string& p) override { return real_->length(p); }
  std::optional<DateTime> modified(const std::string& p) override { return real_->modified(p); }
  bool read(const std::string& p, std::string& out) override { return real_->read(p, out); }
  bool readAt(const std::string& p, int64_t o, size_t n, std::string& out) override {
    return real_->readAt(p, o, n, out);
  }
  bool write(const std::string& p, const std::string& d) override {
    if (!full()) return real_->write(p, d);
    real_->write(p, half(d));
    return false;
  }
  bool writeAt(const std::string& p, int64_t o, const std::string& d) override {
    if (!full()) return real_->writeAt(p, o, d);
    real_->writeAt(p, o, half(d));
    return false;
  }
  bool append(const std::string& p, const std::string& d) override {
    if (!full()) return real_->append(p, d);
    real_->append(p, half(d));
    return false;
  }
  bool copy(const std::string& a, const std::string& b) override {
    return !full() && real_->copy(a, b);
  }
  bool replaceWithCopy(const std::string& a, const std::string& b) override {
    return !full() && real_->replaceWithCopy(a, b);
  }
  bool isLink(const std::string& p) override { return real_->isLink(p); }
  std::vector<std::string> folders(const std::string& f) override { return real_->folders(f); }
  std::unique_ptr<OpenFolder> openFolder(const std::string& base,
                                         const std::vector<std::string>& parts) override {
    return real_->openFolder(base, parts);
  }
  bool rename(const std::string& a, const std::string& b) override { return real_->rename(a, b); }
  bool remove(const std::string& p) override { return real_->remove(p); }
  bool makeFolder(const std::string& p) override {
    return real_->isFolder(p) || (!full() && real_->makeFolder(p));
  }
  std::vector<std::string> list(const std::string& f, const std::string& pattern) override {
    return real_->list(f, pattern);
  }
  std::unique_ptr<DiskLock> lock(const std::string& p, int waitMs) override {
    return real_->lock(p, waitMs);
  }

 private:
  bool full() { return ++writes_ >= failAt_; }
  static std::string half(const std::string& d) { return d.substr(0, d.size() / 2); }
  std::unique_ptr<Disk> real_;
  long failAt_, writes_ = 0;
};

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

std::unique_ptr<OpenFolder> Disk::openFolder(const std::string& base,
                                             const std::vector<std::string>& parts) {
  std::string folder = base;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  for (const std::string& p : parts) {
    folder += "\\" + p;
    if (isLink(folder)) return nullptr;
  }
  if (!isFolder(folder)) return nullptr;
  return std::make_unique<PathFolder>(*this, folder);
}

std::unique_ptr<Disk> makeFullDisk(std::unique_ptr<Disk> real, long failAt) {
  return std::make_unique<FullDisk>(std::move(real), failAt);
}

std::unique_ptr<AppendFile> Disk::openAppend(const std::string& path, const std::string& header) {
  if (isFolder(path)) return nullptr;
  const bool fresh = !exists(path);
  if (fresh && !write(path, header)) return nullptr;
  const int64_t size = length(path).value_or(-1);
  return std::make_unique<DiskAppend>(*this, path, size);
}
