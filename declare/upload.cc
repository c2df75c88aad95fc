// The two uploads of the declaration window: the monthly claim (Upload) and
// the adult health-check file (Uploadheafa), both through PEA_fa_upload, the
// receipt kept in uprecv.txt.
#include "declare/params.h"
#include "frame/endsrun.h"
#include "declare/reportsample.h"
#include "declare/services.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/settings.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"

namespace {

// The pharmacy that the first special institution code belongs to.
constexpr const char* kSpecialPharmacy = "特約藥局 9900000011";

std::string field(ReportSample& rs, const std::string& path, Field f) {
  return readBlock(rs.run.files(), path, f.start, static_cast<int16_t>(f.width));
}

// The number of records of heaf.10: its lines that hold anything.
long healthCheckCount(ReportSample& rs) {
  std::vector<std::string> lines;
  readLines(rs.run.files(), wpath(rs, kHeaf10), lines);
  long n = 0;
  for (const std::string& l : lines)
    if (!vbTrim(l).empty()) ++n;
  return n;
}

struct Sending {
  std::string file;         // the file sent, in the working folder
  std::vector<std::string> params;
  std::string question, waiting, failed, done;
};

// Steps 3 to 9 of both uploads, once the question is known.
MAY_END_RUN void send(ReportSample& rs, const Sending& s) {
  Run& run = rs.run;
  showWaiting(run, rs.feeMonth + " " + s.waiting);
  time2delay(run, 1);
  run.sys.writeProfileString(kSection, "reportcode", vbTrim(textOf(rs.form, "txtPwd")), kOrvoIni);
  const std::string caption = textOf(rs.form, s.file == kHeaf10 ? "Uploadheafa" : "Upload");
  if (box(rs, caption, s.question, Buttons::OkCancel, Icon::Question, Answer::Cancel) !=
      Answer::Ok) {
    closeWaiting(run);
    return;
  }
  run.screen.waitCursor(true);
  std::string receipt(15, ' ');
  const bool written = writeParams(rs, s.params);
  const int status = written ? rs.svc.PEA_fa_upload(kUpfee, s.file, receipt) : -1;
  if (status < 0) {
    closeWaiting(run);
    run.screen.waitCursor(false);
    box(rs, b5("申報傳送"), s.failed + (written ? rs.svc.PEA_get_errmsg() : b5("無法寫入 ") + kUpfee));
    return;
  }
  // An answer without a receipt number is no upload: nothing is recorded
  // that a later deletion would send back as a number.
  const std::string number = bufferText(receipt);
  if (!wellFormedReceipt(number)) {
    closeWaiting(run);
    run.screen.waitCursor(false);
    box(rs, b5("申報傳送"),
        s.failed + b5("收件序號有誤 (") + std::to_string(status) + ") [" + vbTrim(receipt) + "]");
    return;
  }
  const bool recorded =
      recordReceipt(rs, receiptLine(number, run.clock.now(), rs.feeMonth, s.file) + "\r\n");
  loadReceipts(rs);
  closeWaiting(run);
  run.screen.waitCursor(false);
  // The number is always shown: when uprecv.txt could not take it, the
  // operator is the only record of an upload the service has accepted.
  std::string text = s.done + "\r" + b5("收件序號: ") + number;
  if (!recorded) {
    const std::string lost = b5("收件序號 ") + number + b5(" 未能記入 ") + kUprecv + b5(", 請抄下此序號");
    showRed(run, lost, 10);
    text += "\r" + lost;
  }
  box(rs, b5("申報傳送"), text, Buttons::Ok, recorded ? Icon::None : Icon::Critical);
}

}  // namespace

void Upload_Click(ReportSample& rs) {
  Run& run = rs.run;
  if (!PassWrd(rs)) return;
  // The pharmacy declares from c:\drugt alone: it has no totfa.10.
  const std::string totfa = wpath(rs, kTotfa10);
  const std::string source = special(rs) ? std::string(kDrugt) : totfa;
  if (!run.disk.exists(source)) {
    box(rs, "ic", b5("請先整理健保申報資料 ") + (special(rs) ? kDrugt : kTotfa10), Buttons::Ok,
        Icon::Critical);
    return;
  }
  Sending s;
  if (special(rs)) {
    s.question = claimConfirmation(b5(kSpecialPharmacy), field(rs, kDrugt, drugt::kCount),
                                   field(rs, kDrugt, drugt::kFee));
    s.file = kDrugtZip;
    s.params = claimParams("1", rs.feeMonth, run.settings.hospDataType);
  } else {
    s.question = claimConfirmation("", field(rs, totfa, totfa::kCount), field(rs, totfa, totfa::kFee));
    s.file = kTotfaZip;
    s.params = claimParams(field(rs, totfa, totfa::kApplType), rs.feeMonth, run.settings.hospDataType);
  }
  s.waiting = b5("申報資料 上傳中");
  s.failed = b5("申報資料 傳送 錯誤:  ");
  s.done = b5("申報資料 傳送成功");
  send(rs, s);
}

void Uploadheafa_Click(ReportSample& rs) {
  if (!PassWrd(rs)) return;
  if (!rs.run.disk.exists(wpath(rs, kHeaf10))) {
    box(rs, b5("申報傳送"), std::string("No file: ") + kHeaf10);
    return;
  }
  Sending s;
  s.file = kHeaf10;
  s.params = healthCheckParams(rs.feeMonth, rs.run.settings.hospDataType);
  s.question = b5("傳送成人健檢資料 ") + std::to_string(healthCheckCount(rs)) + b5(" 筆");
  s.waiting = b5("成人健檢資料 上傳中");
  s.failed = b5("成人健檢資料 傳送 錯誤:  ");
  s.done = b5("成人健檢資料 傳送成功");
  send(rs, s);
}
