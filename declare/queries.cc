// The web-service questions of the declaration window: the processing and
// receipt status, the list of downloadable files, the summary, one file's
// download, and the deletion of an earlier upload.
#include "declare/messages.h"
#include "frame/endsrun.h"
#include "declare/params.h"
#include "declare/reportsample.h"
#include "declare/services.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"

namespace {

// The frame of every question: the password, the hourglass and the waiting
// text, upfee.txt, the call; a failure shown with err2msg under `title`.
// True when the call succeeded.
template <class Call>
MAY_END_RUN bool ask(ReportSample& rs, const std::string& title,
                     const std::vector<std::string>& params, Call call) {
  Run& run = rs.run;
  if (!PassWrd(rs)) return false;
  run.screen.waitCursor(true);
  showWaiting(run, title + b5(" 查詢中"));
  if (!params.empty() && !writeParams(rs, params)) {
    closeWaiting(run);
    run.screen.waitCursor(false);
    err2msg(run, b5("無法寫入 ") + kUpfee, title, portalUrl(rs));
    return false;
  }
  const int status = call();
  closeWaiting(run);
  run.screen.waitCursor(false);
  if (status < 0) {
    err2msg(run, rs.svc.PEA_get_errmsg(), title, portalUrl(rs));
    return false;
  }
  return true;
}

// The names of savefile.txt's lines that hold anything.
std::vector<std::string> answerLines(ReportSample& rs) {
  std::vector<std::string> lines, out;
  readLines(rs.run.files(), wpath(rs, kSavefile), lines);
  for (const std::string& l : lines)
    if (!vbTrim(l).empty()) out.push_back(vbTrim(l));
  return out;
}

MAY_END_RUN bool download(ReportSample& rs, const std::string& title, std::string name) {
  return ask(rs, title, {}, [&] { return rs.svc.PEA_web_download_file(name, kSavefile); });
}

// uprecv.txt without the line of that receipt, the line kept in uprecv.del.
// Read, changed and written back under the working folder's lock, so an
// upload another workstation records meanwhile is never written over.
void dropReceipt(ReportSample& rs, const std::string& number) {
  Run& run = rs.run;
  {
    const std::unique_ptr<DiskLock> lock = lockReceipts(rs);
    if (!lock) return;
    std::vector<std::string> lines;
    if (!readLines(run.files(), wpath(rs, kUprecv), lines)) return;
    std::string kept, dropped;
    bool once = false;
    for (const std::string& l : lines) {
      if (!once && receiptOf(l) == number) {
        dropped = l + "\r\n";
        once = true;
      } else if (!vbTrim(l).empty()) {
        kept += l + "\r\n";
      }
    }
    if (!once) return;
    // The receipt is kept first: a receipt number must never be lost.
    if (!run.disk.append(wpath(rs, kUprecvDel), dropped) ||
        !replaceWhole(run.disk, wpath(rs, kUprecv), kept)) {
      run.lastStatus = kErrFileAccess;
      showRed(run, b5("無法寫入檔案: ") + wpath(rs, kUprecv), 3);
    }
  }
  loadReceipts(rs);
}

}  // namespace

void Command4_Click(ReportSample& rs) {
  if (!ask(rs, b5("申報流程"), procQueryParams(rs.feeMonth),
           [&] { return rs.svc.PEA_fa_proc_qry(kUpfee, kSavefile); }))
    return;
  convertAnswer(rs, kSavefile);
  showAnswer(rs, kSavefile);
}

void Command5_Click(ReportSample& rs) {
  if (!ask(rs, b5("收件狀況"), recvQueryParams(rs.feeMonth),
           [&] { return rs.svc.PEA_fa_recv_qry(kUpfee, kSavefile); }))
    return;
  convertAnswer(rs, kSavefile);
  showAnswer(rs, kSavefile);
}

void Command6_Click(ReportSample& rs) {
  if (!ask(rs, b5("申報檔案"), fileListParams(rs.feeMonth),
           [&] { return rs.svc.PEA_web_download_lst(kUpfee, kSavefile); }))
    return;
  convertAnswer(rs, kSavefile);
  fillList(rs, answerLines(rs), ListHolds::Files);
}

void Command3_Click(ReportSample& rs) {
  const std::string title = b5("下載總表");
  if (!ask(rs, title, summaryListParams(rs.feeMonth),
           [&] { return rs.svc.PEA_web_download_lst(kUpfee, kSavefile); }))
    return;
  convertAnswer(rs, kSavefile);
  const std::vector<std::string> names = answerLines(rs);
  if (names.empty()) {
    box(rs, title, b5("無可下載的總表"));
    return;
  }
  if (!download(rs, title, names.front())) return;
  convertAnswer(rs, kSavefile);
  showAnswer(rs, kSavefile);
}

void Command7_Click(ReportSample& rs) {
  const std::string name = vbTrim(textOf(rs.form, "Label1"));
  if (name.empty() || rs.listHolds != ListHolds::Files) return;
  if (!download(rs, b5("下載檔案"), name)) return;
  convertAnswer(rs, kSavefile);
  showAnswer(rs, kSavefile);
}

void Delete_Click(ReportSample& rs) {
  Run& run = rs.run;
  const std::string number = receiptOf(textOf(rs.form, "Label1"));
  if (number.empty() || rs.listHolds != ListHolds::Receipts || !PassWrd(rs)) return;
  // A line that does not start with a receipt number sends nothing.
  if (!wellFormedReceipt(number)) {
    box(rs, b5("刪除"), b5("序號有誤: ") + number, Buttons::Ok, Icon::Critical);
    return;
  }
  if (box(rs, b5("刪除"), b5("刪除 已傳送資料序號: ") + number, Buttons::YesNo, Icon::Question,
          Answer::No) != Answer::Yes)
    return;
  showWaiting(run, b5("刪除 序號") + number);
  time2delay(run, 1);
  enableCtl(rs, "Delete", false);
  run.screen.waitCursor(true);
  const int status = rs.svc.PEA_fa_del(number);
  closeWaiting(run);
  run.screen.waitCursor(false);
  if (status < 0 || status > 1) {
    // Only 0 (deleted) and 1 (accepted) are answers; anything else is no deletion.
    box(rs, b5("刪除"), b5("執行刪除 有誤:  ") +
                           (status < 0 ? rs.svc.PEA_get_errmsg() : std::to_string(status)));
    return;
  }
  if (status == 1) {
    box(rs, b5("刪除"), b5("已受理 序號:") + number);
    if (box(rs, b5("刪除"), b5("確定移除該項表列"), Buttons::YesNo, Icon::Question, Answer::No) ==
        Answer::Yes)
      dropReceipt(rs, number);
    return;
  }
  box(rs, b5("成功 刪除"), b5("成功 刪除序號:") + number);
  dropReceipt(rs, number);
}
