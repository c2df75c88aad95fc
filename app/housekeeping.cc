#include "app/housekeeping.h"

#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/runlog.h"

namespace {

// The rules' folders under the working folder, and the file patterns.
const std::vector<std::string> kSignFolder = {"ic", "samsign"};
const std::vector<std::string> kPsnFolder = {"ic", "psn"};
const std::vector<std::string> kBackupFolder = {"backup"};
constexpr const char* kAllFiles = "*.*";
constexpr const char* kOldExecutables = "orvo????.exe;_orvo????.exe";

constexpr int kSignDays = 30;
constexpr int kBackupDays = 60;
// ic\psn\: small files go after a year and more, tiny ones after 40 days.
constexpr int64_t kPsnSmall = 1200, kPsnTiny = 100;
constexpr int kPsnSmallDays = 400, kPsnTinyDays = 40;

// Deletes the files of the folder that fit the pattern and the rule. The
// folder is opened once, never through a link, and every file is read and
// deleted relative to it: a folder swapped for a link during the run (by
// anyone who can write the working folder) cannot lead a deletion elsewhere.
template <class Rule>
MAY_END_RUN void clean(Run& run, const std::vector<std::string>& parts, const char* pattern, Rule isOld) {
  const std::unique_ptr<OpenFolder> folder = run.disk.openFolder(run.settings.workDir, parts);
  if (!folder) return;
  for (const std::string& name : folder->list(pattern)) {
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos) continue;
    if (!isOld(*folder, name)) continue;
    showWaiting(run, name);
    if (!folder->remove(name)) run.lastStatus = kErrFileNotFound;
  }
}

}  // namespace

bool olderThan(const std::optional<DateTime>& modified, const DateTime& now, int days) {
  if (!modified) return false;
  const DateTime today{now.year, now.month, now.day, 0, 0, 0};
  return *modified < addDays(today, -days);
}

void housekeeping(Run& run) {
  const DateTime now = run.clock.now();
  clean(run, kSignFolder, kAllFiles, [&](OpenFolder& f, const std::string& name) {
    return olderThan(f.modified(name), now, kSignDays);
  });
  clean(run, kPsnFolder, kAllFiles, [&](OpenFolder& f, const std::string& name) {
    auto size = f.length(name);
    if (!size) return false;
    auto when = f.modified(name);
    return (*size < kPsnSmall && olderThan(when, now, kPsnSmallDays)) ||
           (*size < kPsnTiny && olderThan(when, now, kPsnTinyDays));
  });
  clean(run, kBackupFolder, kOldExecutables, [&](OpenFolder& f, const std::string& name) {
    return olderThan(f.modified(name), now, kBackupDays);
  });
  runlog::prune(run.disk, run.settings.workDir, now);
  showWaiting(run, "data fresh");
  closeWaiting(run);
}
