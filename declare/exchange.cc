// The card-reader exchange of the declaration window through nhi_eiiapi:
// sending the claim file, requesting a check and fetching its result, and
// the choices that go with them (the reader's port, the pharmacy files).
#include "declare/messages.h"
#include "declare/params.h"
#include "declare/reportsample.h"
#include "declare/services.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"

namespace {

constexpr const char* kLibrary = "nhi_eiiapi";
constexpr int kMaxPort = 4;

// The port typed in Text1 (1-4), or 0 after telling the operator it is not one.
int readerPort(ReportSample& rs) {
  const std::string t = vbTrim(textOf(rs.form, "Text1"));
  const double v = vbVal(t);
  if (v >= 1 && v <= kMaxPort && v == static_cast<int>(v)) return static_cast<int>(v);
  box(rs, "COM:", b5("讀卡機 COM 埠號有誤: ") + t);
  return 0;
}

// The library is there, the port is one: what every reader button needs first.
bool ready(ReportSample& rs, int& port) {
  if (!rs.run.disk.exists(wpath(rs, libraryFileName(kLibrary)))) {
    box(rs, kLibrary, missingText(kLibrary));
    return false;
  }
  port = readerPort(rs);
  return port != 0;
}

std::string readerDll(ReportSample& rs) { return wpath(rs, libraryFileName("Reader")); }

std::string dataType(ReportSample& rs) {
  const Control* c = rs.form.find("Check2");
  return c && c->checked ? "05" : "03";
}

// The text of a code; what a missing function leaves is its own text.
std::string outcome(ReportSample& rs, int code) {
  return code == DeclareServices::kMissing ? rs.svc.missing() : msgErr(code);
}

bool ensureFolder(ReportSample& rs, const std::string& name) {
  const std::string path = wpath(rs, name);
  if (rs.run.disk.isFolder(path) || rs.run.disk.makeFolder(path)) return true;
  rs.run.lastStatus = kErrPathNotFound;
  return false;
}

std::string stamp(const DateTime& t) {
  std::string d = dateTimeText(t);  // yyyy/MM/dd HH:mm:ss
  std::string out;
  for (char c : d)
    if (c >= '0' && c <= '9') out += c;
  return out;
}

}  // namespace

void Command11_Click(ReportSample& rs) {
  Run& run = rs.run;
  int port = 0;
  if (!ready(rs, port)) return;
  const Control* pharmacy = rs.form.find("Check3");
  const std::string file = pharmacy && pharmacy->checked ? kDrugtZip : kTotfaZip;
  if (!run.disk.exists(wpath(rs, file))) {
    box(rs, b5("傳送"), "No file: " + file);
    return;
  }
  // The copy under filesave\ keeps what was sent, named by the time of sending.
  const DateTime now = run.clock.now();
  if (ensureFolder(rs, kFilesave))
    copyFile(run.files(), wpath(rs, file), wpath(rs, kFilesave) + stamp(now) + "_" + file);
  showWaiting(run, b5("傳送 ") + file);
  run.screen.waitCursor(true);
  std::string localId(14, ' '), nhiId(14, ' ');
  const int code = rs.svc.NHI_SendB(port - 1, readerDll(rs), wpath(rs, file), dataType(rs),
                                    localId, nhiId);
  closeWaiting(run);
  run.screen.waitCursor(false);
  const std::string text = outcome(rs, code);
  if (code != 0) {
    box(rs, b5("傳送"), text.empty() ? b5("上傳 完成") : text);
    return;
  }
  // The identifiers are always shown: when savecode.txt cannot take them the
  // operator is their only record.
  const std::string ids = b5("本機序號: ") + bufferText(localId) + "\r" + b5("健保序號: ") + bufferText(nhiId);
  if (run.disk.append(wpath(rs, kSavecode), savecodeLine(bufferText(localId), bufferText(nhiId), now, file) + "\r\n")) {
    box(rs, b5("傳送"), (text.empty() ? b5("上傳 完成") : text) + "\r" + ids);
    return;
  }
  run.lastStatus = kErrFileAccess;
  const std::string lost = b5("序號未能記入 ") + kSavecode + b5(", 請抄下: ") + bufferText(localId) + " " + bufferText(nhiId);
  showRed(run, lost, 10);
  box(rs, b5("傳送"), (text.empty() ? b5("上傳 完成") : text) + "\r" + ids + "\r" + lost, Buttons::Ok,
      Icon::Critical);
}

void Command12_Click(ReportSample& rs) {
  Run& run = rs.run;
  int port = 0;
  if (!ready(rs, port)) return;
  ensureFolder(rs, kBackup);
  showWaiting(run, b5("申請檢測"));
  run.screen.waitCursor(true);
  std::string localId(14, ' '), nhiId(14, ' ');
  const int code = rs.svc.NHI_DownloadB(port - 1, readerDll(rs), wpath(rs, kBackup),
                                        dataType(rs), localId, nhiId);
  closeWaiting(run);
  run.screen.waitCursor(false);
  if (code == 0 &&
      !writeResult(run, wpath(rs, kNhiId), vbTrim(localId) + "\r\n" + vbTrim(nhiId))) {
    box(rs, b5("申請檢測"), b5("無法寫入 ") + kNhiId);
    return;
  }
  const std::string text = outcome(rs, code);
  box(rs, b5("申請檢測"), text.empty() ? b5("申請檢測 完成") : text);
}

void Command13_Click(ReportSample& rs) {
  Run& run = rs.run;
  int port = 0;
  if (!ready(rs, port)) return;
  std::string idText;
  if (!run.disk.read(wpath(rs, kNhiId), idText) || splitLines(idText).size() < 2 ||
      vbTrim(splitLines(idText)[0]).empty() || vbTrim(splitLines(idText)[1]).empty()) {
    box(rs, b5("下載檢測結果"), b5("請先 申請檢測 (無 NHI_ID)"));
    return;
  }
  // The local identifier names the download under backup\: anything but
  // letters and digits is refused before the service is asked.
  const auto ids = nhiIdentifiers(idText);
  if (!ids) {
    box(rs, b5("下載檢測結果"), b5("NHI_ID 序號有誤, 請重新 申請檢測"), Buttons::Ok, Icon::Critical);
    return;
  }
  ensureFolder(rs, kBackup);
  const std::string localId = ids->first, nhiId = ids->second;
  const std::string target = wpath(rs, kBackup) + localId + ".zip";
  showWaiting(run, b5("下載檢測結果"));
  run.screen.waitCursor(true);
  const int code = rs.svc.NHI_GetB(port - 1, readerDll(rs), localId, nhiId, target);
  closeWaiting(run);
  if (code != 0) {
    run.screen.waitCursor(false);
    box(rs, b5("下載檢測結果"), outcome(rs, code));
    return;
  }
  std::string why;
  const bool unpacked = rs.svc.unzip(target, wpath(rs, kUnzipdir), why);
  run.screen.waitCursor(false);
  if (!unpacked) {
    box(rs, b5("下載檢測結果"), b5("解壓縮 失敗: ") + target + "\r" + why);
    return;
  }
  box(rs, b5("下載檢測結果"), b5("下載檢測結果 完成"));
  run.screen.shellOpen(wpath(rs, kUnzipdir), "");
}

void Command15_Click(ReportSample& rs) {
  // The next port, so the operator finds the one the reader hangs on.
  const int now = static_cast<int>(vbVal(vbTrim(textOf(rs.form, "Text1"))));
  setCtl(rs, "Text1", std::to_string(now >= 1 && now < kMaxPort ? now + 1 : 1));
}

void Check3_Click(ReportSample& rs) {
  const Control* c = rs.form.find("Check3");
  if (!c || !c->checked) return;
  if (!rs.run.disk.exists(kDrugt) || !rs.run.disk.exists(wpath(rs, kDrugtZip))) {
    box(rs, b5("藥局"), b5("無總表檔  drugt And drugt.zip"));
    if (rs.shown) setChecked(rs.run.screen, rs.form, "Check3", 0);
  }
}
