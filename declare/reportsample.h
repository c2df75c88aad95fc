// The declaration window ReportSample: the clinic staff log in to the
// insurer's declaration service, send the monthly claim and the adult
// health-check file, ask about and delete earlier uploads, download the
// insurer's files, exchange files through the card reader and open the
// insurer's web sites.
//
// The window is a Form of controls (reportSampleForm) and its procedures in
// the system's own names, each a button's click. runReportSample shows it and
// dispatches what the operator does until the window is closed, which logs
// out and ends the run.
#pragma once

#include "frame/endsrun.h"

#include <memory>
#include <string>
#include <vector>

#include "declare/addresses.h"
#include "platform/form.h"
#include "platform/screen.h"

struct Run;
struct DeclareServices;
struct DiskLock;

// What List1 holds: the receipt log (Delete works on it) or the service's
// list of downloadable files (Command7 works on it).
enum class ListHolds { Receipts, Files };

struct ReportSample {
  ReportSample(Run& r, DeclareServices& s);
  Run& run;
  DeclareServices& svc;
  DeclareAddresses addr;
  Form form;
  bool shown = false;      // the operator sees it (otherwise changes are silent)
  bool loggedIn = false;
  std::string feeMonth;    // 5 characters of totfa.10 (c:\drugt for the special code)
  ListHolds listHolds = ListHolds::Receipts;
};

// Every control of the window with its caption and initial state.
Form reportSampleForm();

// Window start: topmost, health-check button, password, fee month and caption,
// web links, the receipt log, the reader port and the remembered choices.
MAY_END_RUN void Form_Load(ReportSample& rs);
// The password check run first by every button that talks to the insurer.
bool PassWrd(ReportSample& rs);

MAY_END_RUN void Command2_Click(ReportSample& rs);     // 登入
MAY_END_RUN void Upload_Click(ReportSample& rs);       // 傳送申報
MAY_END_RUN void Uploadheafa_Click(ReportSample& rs);  // 健檢
MAY_END_RUN void Command3_Click(ReportSample& rs);     // 下載總表
MAY_END_RUN void Command4_Click(ReportSample& rs);     // 申報流程
MAY_END_RUN void Command5_Click(ReportSample& rs);     // 收件狀況
MAY_END_RUN void Command6_Click(ReportSample& rs);     // 申報檔案
MAY_END_RUN void Command7_Click(ReportSample& rs);     // 下載
MAY_END_RUN void Delete_Click(ReportSample& rs);       // 刪除
MAY_END_RUN void Command11_Click(ReportSample& rs);    // 傳送 (reader)
MAY_END_RUN void Command12_Click(ReportSample& rs);    // 申請檢測
MAY_END_RUN void Command13_Click(ReportSample& rs);    // 下載檢測結果
void Command15_Click(ReportSample& rs);    // COM:
void Check1_Click(ReportSample& rs);       // 壓縮
void Check3_Click(ReportSample& rs);       // 藥局
void Combo1_Click(ReportSample& rs);       // 網站 連結
void List1_Click(ReportSample& rs);

// Runs the handler of that control as its click; false when it has none.
MAY_END_RUN bool press(ReportSample& rs, const std::string& control);
// Closing: PEA_web_logout, then the end of the run.
[[noreturn]] MAY_END_RUN void Form_Unload(ReportSample& rs);
// Shows the window and carries the run until the operator closes it.
[[noreturn]] MAY_END_RUN void runReportSample(ReportSample& rs);

// The start-up's hand-overs. The window is loaded, shown, the buttons are
// pressed in order (what follows the login only when it succeeded) and the
// window carries the run.
[[noreturn]] MAY_END_RUN void cmd_ReportSample(Run& run, DeclareServices& svc,
                                             const std::vector<std::string>& presses);
// The monthly verbs: with a stored password the window logs in, presses the
// verb's button and ends unseen; without one it is shown for the operator.
[[noreturn]] MAY_END_RUN void cmd_ReportMonthly(Run& run, DeclareServices& svc,
                                              const std::string& button);

// Shared by the window's procedures.
void setCtl(ReportSample& rs, const std::string& control, const std::string& text);
void enableCtl(ReportSample& rs, const std::string& control, bool enabled);
void fillList(ReportSample& rs, const std::vector<std::string>& items, ListHolds holds);
// Fills List1 from uprecv.txt.
void loadReceipts(ReportSample& rs);
// The working folder's lock, which every change of uprecv.txt and uprecv.del
// holds (another workstation's change waits for it); null, after a red
// message, when another run held it too long.
MAY_END_RUN std::unique_ptr<DiskLock> lockReceipts(ReportSample& rs);
// Appends the line to uprecv.txt under the lock; false when it is not there.
MAY_END_RUN bool recordReceipt(ReportSample& rs, const std::string& line);
Answer box(ReportSample& rs, const std::string& caption, const std::string& text,
           Buttons buttons = Buttons::Ok, Icon icon = Icon::None, Answer def = Answer::Ok);
// time2delay: waits the seconds, letting window events run.
MAY_END_RUN void time2delay(Run& run, int seconds);
// The working folder's path of a file.
std::string wpath(ReportSample& rs, const std::string& name);
// The special institution (9900000011) declares from c:\drugt and drugt.zip.
bool special(ReportSample& rs);
// upfee.txt written anew.
bool writeParams(ReportSample& rs, const std::vector<std::string>& lines);
// savefile.txt converted to CR LF line ends through filetemp.tmp.
MAY_END_RUN void convertAnswer(ReportSample& rs, const std::string& name);
// Opens the answer for the operator (edit.exe when the working folder has it).
void showAnswer(ReportSample& rs, const std::string& name);
// The portal page where a newer PEAT1511B01.dll is fetched.
std::string portalUrl(ReportSample& rs);
