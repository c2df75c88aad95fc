#include "visit/samsign.h"

#include <algorithm>
#include <cctype>

#include "card/dates.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "visit/regrecord.h"
#include "card/cardlib.h"
#include "frame/run.h"

namespace {

// A signature the SAM gave once is lost for good when its folder is missing,
// so the folders are made rather than the write skipped.
void makeFolders(Run& run) {
  for (const char* f : {"ic", "ic\\samsign"}) {
    const std::string path = run.settings.workDir + f;
    if (!run.disk.isFolder(path) && !run.disk.makeFolder(path)) run.lastStatus = kErrPathNotFound;
  }
}

// Lays `data` at byte `offset` of the file's bytes (a gap filled with zeros,
// as a write past the end leaves it) and writes the file whole beside it,
// renamed over it: a full disk leaves the old file as it was, never shorter.
// A failure is told in red with what was not filed.
bool layWhole(Run& run, const std::string& path, int64_t offset, const std::string& data,
              const std::string& lost) {
  makeFolders(run);
  std::string bytes;
  if (!run.disk.exists(path) || run.disk.read(path, bytes)) {
    if (bytes.size() < static_cast<size_t>(offset)) bytes.resize(static_cast<size_t>(offset), '\0');
    bytes.replace(static_cast<size_t>(offset), data.size(), data);
    if (replaceWhole(run.disk, path, bytes)) return true;
  }
  run.lastStatus = kErrFileAccess;
  showRed(run, lost + path, 3);
  return false;
}

bool plainName(const std::string& id) {
  if (id.empty()) return false;
  for (char c : id)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

bool isVisitTime(const std::string& time) {
  if (time.size() != static_cast<size_t>(regrecord::kTimeWidth)) return false;
  for (char c : time)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string samsignPath(Run& run, const std::string& time) {
  if (!isVisitTime(time)) return std::string();
  // A month, day or hour past what a clock shows gives no letter for the name.
  const std::string name = Date13Time(time);
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.') return std::string();
  return run.settings.workDir + "ic\\samsign\\" + name;
}

std::string holderSignPath(const std::string& visitPath, const std::string& id) {
  const std::string holder = vbTrim(id.substr(0, std::min(id.find('\0'), id.size())));
  if (visitPath.empty() || !plainName(holder)) return std::string();
  return visitPath + "-" + holder;
}

std::string registrationSignPath(Run& run, const std::string& time, const std::string& id) {
  const std::string path = samsignPath(run, time);
  if (path.empty() || !run.disk.exists(path)) return path;
  // Another holder registered in the same second: that file stays as it is.
  const std::string own = holderSignPath(path, id);
  if (own.empty()) showRed(run, b5("就醫簽章 未能存檔: ") + path, 3);
  return own;
}

bool writeLongBlock(Run& run, const std::string& path, const std::string& signature) {
  using namespace samsign;
  const std::string block = bcut(signature, 1, regrecord::kLongSignatureWidth) + kLongTag +
                            std::string(kLongPadWidth, ' ') + "\r\n";
  makeFolders(run);
  if (replaceWhole(run.disk, path, block)) return true;
  run.lastStatus = kErrFileAccess;
  showRed(run, b5("就醫簽章 未能存檔: ") + path, 3);
  return false;
}

bool writeShortBlock(Run& run, const std::string& path, const std::string& signature) {
  std::string bytes = signature;
  bytes.resize(regrecord::kShortSignatureWidth, '\0');
  return layWhole(run, path, 0, bytes, b5("就醫簽章 未能存檔: "));
}

bool filePrescription(Run& run, const std::string& path, int index, const std::string& record) {
  using namespace samsign;
  makeFolders(run);
  std::string bytes;
  if (run.disk.exists(path) && !run.disk.read(path, bytes)) {
    run.lastStatus = kErrFileAccess;
    showRed(run, b5("處方簽章 未能存檔: ") + path, 3);
    return false;
  }
  const int64_t size = static_cast<int64_t>(bytes.size());
  if (size < kBlockSize) {
    const int blanks = size > kShortFillerFrom ? kShortFillerBlanks : kLongFillerBlanks;
    bytes += std::string(static_cast<size_t>(blanks), ' ') + "\r\n";
  }
  const size_t at = static_cast<size_t>(kBlockSize + int64_t{kRecordSize} * index);
  if (bytes.size() < at) bytes.resize(at, '\0');
  bytes.replace(at, record.size(), record);
  if (replaceWhole(run.disk, path, bytes)) return true;
  run.lastStatus = kErrFileAccess;
  showRed(run, b5("處方簽章 未能存檔: ") + path, 3);
  return false;
}
