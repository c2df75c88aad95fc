#include "upload/archive.h"

#include "card/records.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/cardlib.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "store/store.h"

namespace {

// List1 at the main window's design size; the viewer sizes the window to it
// with the margins Form_Resize keeps.
constexpr int kListWidth = 9240, kListHeight = 6560;
constexpr int kMainExtraWidth = 360, kMainExtraHeight = 640;
constexpr int kViewerLeft = 500, kViewerTop = 500;
const char* const kSeparator = "=======================================";

// A key that can be part of a file name in ic\data\ and nothing else.
bool plainName(const std::string& key) {
  if (key.empty() || key.find("..") != std::string::npos) return false;
  for (size_t i = 0; i < key.size(); i += cp950::charBytes(key, i)) {
    if (cp950::charBytes(key, i) == 2) continue;
    const unsigned char c = static_cast<unsigned char>(key[i]);
    if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
      return false;
  }
  return true;
}

// Adds record n of a store to the list when it holds the key; otherwise the
// index is out of step and is deleted.
MAY_END_RUN void showHeld(Run& run, const Store& s, const std::string& key, int32_t n) {
  std::string text;
  if (heldText(run.disk, run.settings.workDir, s, key, n, text)) {
    lst1additm(run, text);
    showWaiting(run, key + "get ");
    return;
  }
  const std::string index = run.settings.workDir + s.index;
  if (run.disk.exists(index)) {
    showWaiting(run, "Kill:  " + index);
    killFile(run.files(), index);
  }
}

}  // namespace

void archiveMaintenance(Run& run) {
  if (!run.disk.isFolder(run.settings.workDir + "ic\\data")) return;
  const int32_t code = migrateArchive(run.disk, run.settings.workDir,
                                      [&](const std::string& text) { showWaiting(run, text); });
  if (code != 0) run.lastStatus = code;
  showWaiting(run, " Data Finding ");
  closeWaiting(run);
}

void cmd_DataCase(Run& run) {
  const size_t at = run.C.find("/DataCase/");
  const std::string key =
      at == std::string::npos ? std::string() : vbMid(run.C.substr(at + 10), 1, 10);
  const std::string& dir = run.settings.workDir;

  const int32_t n = indexSearch(run.disk, dir + kCardReads.index, keyField(key), kArchiveKeyWidth);
  if (n == 0) {
    showRed(run, key + b5("無IC卡紀錄 "), 6);
    run.screen.hideMain();
    UnloadMe_End(run);
  }
  run.screen.caption("vexa5", key + b5("健保IC卡紀錄 "));
  showHeld(run, kCardReads, key, n);
  listAdd(run, kSeparator);
  if (int32_t n2 = indexSearch(run.disk, dir + kTreatments.index, keyField(key), kArchiveKeyWidth))
    showHeld(run, kTreatments, key, n2);
  listAdd(run, kSeparator);

  const std::string further = dir + "ic\\data\\Z" + key + "_3";
  std::string data;
  if (plainName(key) && readHolderText(run.disk, further, data))
    for (const std::string& line : splitLines(data)) listAdd(run, line);

  run.screen.placeMain(kViewerLeft, kViewerTop, kListWidth + kMainExtraWidth,
                       kListHeight + kMainExtraHeight);
  closeWaiting(run);
  // The reader was never opened for the viewer; closing the window ends the run at once.
  run.win.endAtOnce = true;
  showWindow(run, "vexa5");
}
