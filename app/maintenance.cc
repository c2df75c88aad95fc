#include "app/maintenance.h"

#include "app/zuprn.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"

namespace {

// The text of the command line after the verb.
std::string after(const std::string& C, const std::string& verb) {
  size_t at = C.find(verb);
  return at == std::string::npos ? std::string() : C.substr(at + verb.size());
}

void open(Run& run, const std::string& what) { run.screen.shellOpen(what, ""); }

// Today's month and day, two digits each: the stamp of the dated copies.
std::string monthDay(Run& run) {
  const DateTime now = run.clock.now();
  return zeroPad(now.month, 2) + zeroPad(now.day, 2);
}

// Both date-times could be read and are the same: the copy took.
bool sameTime(const std::optional<DateTime>& a, const std::optional<DateTime>& b) {
  return a && b && *a == *b;
}

// The dated copy is all of the file: only then may the file be replaced.
bool wholeCopy(Run& run, const std::string& file, const std::string& copy) {
  auto a = run.disk.length(file), b = run.disk.length(copy);
  return a && b && *a == *b && !run.disk.isFolder(copy) &&
         sameTime(run.disk.modified(file), run.disk.modified(copy));
}

// Replaces `target` by `newer`, so that the target is always a whole program.
bool replaceProgram(Run& run, const std::string& newer, const std::string& target) {
  if (run.disk.replaceWithCopy(newer, target)) return true;
  run.lastStatus = kErrFileAccess;
  return false;
}

const char* const kUpdating = "更新程式";
const char* const kUpdateFailed = "更新 失敗";
const char* const kBackupFolder = "backup\\";

// "/ORVO//" and "//ORVO/": a page of the clinic's server or of the maker's site.
[[noreturn]] MAY_END_RUN void cmd_ORVO(Run& run, const std::string& site, const char* verb) {
  open(run, site + "wpx/orvo2.php?orvo=" + after(run.C, verb));
  run.screen.hideMain();
  UnloadMe_End(run);
}

}  // namespace

void cmd_OrvoPage(Run& run) { cmd_ORVO(run, run.settings.softAppUrl, "/ORVO//"); }
void cmd_OrvoPublicPage(Run& run) { cmd_ORVO(run, run.settings.publicUrl, "//ORVO/"); }

// "/ReName/" + source + "/" + target: copies the source when it exists.
void cmd_ReName(Run& run) {
  std::string R = vbMid(run.C, 9);
  size_t slash = R.find('/');
  if (slash != std::string::npos && slash > 0) {
    std::string from = R.substr(0, slash), to = R.substr(slash + 1);
    if (run.disk.exists(from)) copyFile(run.files(), from, to);
  }
  endProcess(run);
}

// "/WaitingForm": waits 15 seconds for the clinic program's repair, which it
// announces with a non-empty "repair1" (Timer2 ends the run then).
void cmd_WaitingForm(Run& run) {
  run.screen.appTitle("Waiting");  // how the clinic program finds this run
  run.reader.close();
  run.win.timer2Enabled = true;
  run.win.nextTimer2Ms = run.clock.steadyMs() + kTimer2Ms;
  showWaiting(run, b5("請_稍_候"));
  timedelay(run, 15, b5("請 稍 候"));
  closeWaiting(run);
  run.win.endAtOnce = true;
  Form_Unload(run);
}

// "/ShellExecute_": the clinic program names what to open, and has every
// right this program has: the clinic server's load page ("///" and a pass
// text, appended as it stands) or anything the shell opens. The text is one
// argument of the shell's open call, never a command line.
void cmd_ShellExecute(Run& run) {
  const std::string X = vbTrim(after(run.C, "/ShellExecute_"));
  showWaiting(run, b5("請 稍 候"));
  if (X.rfind("///", 0) == 0) open(run, run.settings.softAppUrl + "wpx/icload.php?pass=" + X.substr(3));
  else open(run, X);
  UnloadMe_End(run);
}

// "//ReName_orvomd.exe": "orvomd01.exe" replaced by the newer "orvomd.exe".
void cmd_ReNameOrvomd(Run& run) {
  const std::string newer = "orvomd.exe", target = "orvomd01.exe";
  showWaiting(run, b5(kUpdating));
  // Nothing waiting to replace it: the program is started as it is (the
  // clinic program may call this at every start).
  const bool waiting = run.disk.exists(newer);
  const auto T0 = run.disk.modified(newer);
  std::optional<DateTime> T1;
  if (waiting && run.disk.exists(target)) {
    const std::string saved = kBackupFolder + std::string("_orvomd") + monthDay(run) + ".exe";
    copyFile(run.files(), target, saved);
    timedelay(run, 10, "ReName_orvomd.exe");
    if (wholeCopy(run, target, saved) && replaceProgram(run, newer, target)) killFile(run.files(), newer);
    T1 = run.disk.modified(target);
  }
  if (!waiting || sameTime(T0, T1)) open(run, target);
  else showRed(run, b5(kUpdateFailed), 10);
  UnloadMe_End(run);
}

// "//ReName_orvo.exe": the clinic program N replaced by the newer "orvo.exe",
// retried in a new run when the operator asks.
void cmd_ReNameOrvo(Run& run) {
  const std::string newer = "orvo.exe", N = clinicExeName(run.settings.office);
  showWaiting(run, b5(kUpdating));
  if (!run.disk.exists(newer)) UnloadMe_End(run);
  if (N.empty()) {
    showRed(run, b5(kUpdateFailed), 10);
    UnloadMe_End(run);
  }
  if (!run.disk.exists(N)) {
    open(run, newer);
    UnloadMe_End(run);
  }
  if (sameTime(run.disk.modified(N), run.disk.modified(newer))) {
    killFile(run.files(), newer);
    open(run, N);
    UnloadMe_End(run);
  }
  const auto T0 = run.disk.modified(newer);
  const std::string saved = kBackupFolder + std::string("orvo") + monthDay(run) + ".exe";
  copyFile(run.files(), N, saved);
  timedelay(run, 5, "ReName_orvo.exe");
  // Without a whole dated copy the old program stays: it is the only one there is.
  if (wholeCopy(run, N, saved) && replaceProgram(run, newer, N) &&
      sameTime(run.disk.modified(N), run.disk.modified(newer)))
    killFile(run.files(), newer);
  const auto T1 = run.disk.modified(N);
  if (sameTime(T0, T1)) {
    open(run, N);
  } else {
    // Unattended, the box takes Cancel: a retry that fails again must not loop.
    Answer a = run.screen.msgBox(b5(kUpdateFailed), b5("再更新 一次? "), Buttons::OkCancel,
                                 Icon::Critical, Answer::Cancel);
    if (a == Answer::Ok) run.screen.shellOpen(run.sys.exePath(), "//ReName_orvo.exe");
  }
  UnloadMe_End(run);
}

// "//ReName_noicname": the patients without cards of "noicname.txt" moved into
// the dated file OfficeCode + MMDD, then the manual on the web.
void cmd_ReNameNoicname(Run& run) {
  const std::string list = "noicname.txt";
  if (!run.disk.exists(list) || run.disk.isFolder(list)) {
    run.screen.msgBox("ic", "No file: noicname.txt", Buttons::Ok, Icon::None, Answer::Ok);
    UnloadMe_End(run);
  }
  const std::string F = run.settings.officeCode + monthDay(run);
  if (run.screen.msgBox("ic", b5("移動資料到檔案:") + F, Buttons::OkCancel, Icon::Question,
                        Answer::Ok) == Answer::Cancel)
    UnloadMe_End(run);

  std::vector<std::string> lines;
  std::string moved;
  bool read = readLines(run.files(), list, lines);
  for (const std::string& line : lines)
    if (vbLen(line) > 10) moved += line + "\r\n";
  // The list is deleted only once its lines are safely in F. F is written
  // whole beside itself and renamed over: a full disk leaves it as it was,
  // never with a torn line that a retry would follow with the lines again.
  const bool nameOk = !F.empty() && F.find_first_of("\\/:*?\"<>|") == std::string::npos;
  std::string held;
  bool kept = read && nameOk && !run.disk.isFolder(F) &&
              (!run.disk.exists(F) || run.disk.read(F, held)) &&
              replaceWhole(run.disk, F, held + moved);
  if (!kept) {
    run.lastStatus = kErrFileAccess;
    showRed(run, b5("無法寫入 ") + F + b5("  保留 ") + list, 10);
    UnloadMe_End(run);
  }
  if (!run.disk.remove(list) && run.disk.exists(list)) {
    // Moved, but the list stays: moving it again would copy its lines twice.
    run.lastStatus = kErrFileAccess;
    showRed(run, b5("已移入 ") + F + b5("  請刪除 ") + list, 10);
  }

  const std::string page = "wpx/htm/noic.htm", runPage = "wpx/runhtmic.php?htmlink=htm/noic.htm";
  const std::string text = b5("<是> 醫療網路:  ") + run.settings.softAppUrl + page + "\r\n" +
                           b5("<否> 網際網路:  ") + run.settings.publicUrl + page;
  switch (run.screen.msgBox(b5("進入網路說明書"), text, Buttons::YesNoCancel, Icon::Question,
                            Answer::Cancel)) {
    case Answer::Yes: open(run, run.settings.softAppUrl + runPage); break;
    case Answer::No: open(run, run.settings.publicUrl + runPage); break;
    default: break;
  }
  UnloadMe_End(run);
}

std::string clinicExeName(const std::string& office) {
  const std::string o = vbTrim(office);
  if (o.empty() || o.size() > 2) return {};
  for (char c : o)
    if (c < '0' || c > '9') return {};
  return "orvo" + zeroPad(std::stol(o), 2) + ".exe";
}
