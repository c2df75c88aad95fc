#include "visit/samsign.h"

#include <cctype>

#include "card/dates.h"
#include "frame/files.h"
#include "frame/progress.h"
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

void writeAt(Run& run, const std::string& path, int64_t offset, const std::string& data) {
  makeFolders(run);
  if (!run.disk.writeAt(path, offset, data)) run.lastStatus = kErrFileAccess;
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

void writeLongBlock(Run& run, const std::string& path, const std::string& signature) {
  using namespace samsign;
  makeFolders(run);
  writeResult(run, path,
                bcut(signature, 1, regrecord::kLongSignatureWidth) + kLongTag +
                    std::string(kLongPadWidth, ' '));
}

void writeShortBlock(Run& run, const std::string& path, const std::string& signature) {
  std::string bytes = signature;
  bytes.resize(regrecord::kShortSignatureWidth, '\0');
  writeAt(run, path, 0, bytes);
}

void filePrescription(Run& run, const std::string& path, int index, const std::string& record) {
  using namespace samsign;
  const int64_t size = run.disk.length(path).value_or(0);
  if (size < kBlockSize) {
    const int blanks = size > kShortFillerFrom ? kShortFillerBlanks : kLongFillerBlanks;
    writeAt(run, path, size, std::string(static_cast<size_t>(blanks), ' ') + "\r\n");
  }
  writeAt(run, path, kBlockSize + int64_t{kRecordSize} * index, record);
}
