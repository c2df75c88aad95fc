#include "app/housekeeping.h"

#include "frame/progress.h"
#include "frame/run.h"

namespace {

// The rules' folders under the working folder, and the file patterns.
constexpr const char* kSignFolder = "ic\\samsign";
constexpr const char* kPsnFolder = "ic\\psn";
constexpr const char* kBackupFolder = "backup";
constexpr const char* kAllFiles = "*.*";
constexpr const char* kOldExecutables = "orvo????.exe;_orvo????.exe";

constexpr int kSignDays = 30;
constexpr int kBackupDays = 60;
// ic\psn\: small files go after a year and more, tiny ones after 40 days.
constexpr int64_t kPsnSmall = 1200, kPsnTiny = 100;
constexpr int kPsnSmallDays = 400, kPsnTinyDays = 40;

// The folder exists and neither it nor a folder between it and the working
// folder is a link: deleting through a link would reach another folder.
bool plainFolder(Run& run, const std::string& relative) {
  const std::string& dir = run.settings.workDir;
  if (!run.disk.isFolder(dir + relative)) return false;
  for (size_t p = relative.find('\\'); ; p = relative.find('\\', p + 1)) {
    if (run.disk.isLink(dir + relative.substr(0, p))) return false;
    if (p == std::string::npos) return true;
  }
}

// Deletes the files of the folder that fit the pattern and the rule.
template <class Rule>
MAY_END_RUN void clean(Run& run, const std::string& relative, const char* pattern, Rule isOld) {
  if (!plainFolder(run, relative)) return;
  const std::string folder = run.settings.workDir + relative + "\\";
  for (const std::string& name : run.disk.list(folder, pattern)) {
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos) continue;
    const std::string path = folder + name;
    if (run.disk.isLink(path) || !isOld(path)) continue;
    showWaiting(run, name);
    killFile(run.files(), path);
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
  clean(run, kSignFolder, kAllFiles, [&](const std::string& path) {
    return olderThan(run.disk.modified(path), now, kSignDays);
  });
  clean(run, kPsnFolder, kAllFiles, [&](const std::string& path) {
    auto size = run.disk.length(path);
    if (!size) return false;
    auto when = run.disk.modified(path);
    return (*size < kPsnSmall && olderThan(when, now, kPsnSmallDays)) ||
           (*size < kPsnTiny && olderThan(when, now, kPsnTinyDays));
  });
  clean(run, kBackupFolder, kOldExecutables, [&](const std::string& path) {
    return olderThan(run.disk.modified(path), now, kBackupDays);
  });
  showWaiting(run, "data fresh");
  closeWaiting(run);
}
