#include "declare/reportsample.h"

#include "declare/messages.h"
#include "declare/params.h"
#include "declare/services.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/settings.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"

namespace {

constexpr const char* kReportType = "reportType";
constexpr const char* kReportCode = "reportcode";
constexpr const char* kIC4COM = "IC4COM";

// The three web links of Combo1, in the order of its entries.
std::vector<std::string> webLinks(const DeclareAddresses& a) {
  return {b5("網路申報 網站 ") + a.declareWeb, b5("軟體公司 網站 ") + a.makerUrl,
          b5("雲端藥歷 網站 ") + a.cloudWeb};
}

}  // namespace

DeclareAddresses readAddresses(Run& run) {
  auto key = [&](const char* k, const char* def) {
    std::string v = vbTrim(readProfileValue(run, kSection, k, def, kOrvoIni));
    return v.empty() ? std::string(def) : v;
  };
  return {key(kKeyServer, kDefaultServer), key(kKeyServerNet, kDefaultServerNet),
          key(kKeyDeclareWeb, kDefaultDeclareWeb), key(kKeyCloudWeb, kDefaultCloudWeb),
          run.settings.softAppUrl};
}

ReportSample::ReportSample(Run& r, DeclareServices& s)
    : run(r), svc(s), addr(readAddresses(r)), form(reportSampleForm()) {}

Form reportSampleForm() {
  Form f;
  f.name = "ReportSample";
  f.caption = b5("  網路申報 ");
  f.width = 9120;
  f.height = 6000;
  using K = ControlKind;
  // The login row.
  f.add("Label2", K::Label, b5("密碼"), 120, 180, 600, 300);
  f.add("txtPwd", K::Password, "", 720, 120, 1800, 360);
  f.add("Command2", K::Button, b5("登入"), 2640, 120, 1000, 360);
  f.add("Command15", K::Button, "COM:", 3760, 120, 800, 360);
  f.add("Text1", K::Text, "1", 4600, 120, 480, 360);
  f.add("Combo1", K::Combo, b5("網站 連結"), 5280, 120, 3720, 360);
  // The uploads and the choices.
  f.add("Upload", K::Button, "Upload", 120, 600, 2400, 480).enabled = false;
  f.add("Uploadheafa", K::Button, b5("健檢"), 2640, 600, 1000, 480).visible = false;
  f.add("Check1", K::Check, b5("壓縮"), 3760, 690, 900, 300);
  f.add("Check2", K::Check, b5("預檢"), 4740, 690, 900, 300);
  f.add("Check3", K::Check, b5("藥局"), 5720, 690, 900, 300);
  f.add("Command1", K::Button, b5("關閉"), 8000, 600, 1000, 480);
  // The web service.
  f.add("Command3", K::Button, b5("下載總表"), 120, 1200, 1360, 420).enabled = false;
  f.add("Command4", K::Button, b5("申報流程"), 1600, 1200, 1360, 420).enabled = false;
  f.add("Command5", K::Button, b5("收件狀況"), 3080, 1200, 1360, 420).enabled = false;
  f.add("Command6", K::Button, b5("申報檔案"), 4560, 1200, 1360, 420).enabled = false;
  f.add("Command7", K::Button, b5("下載"), 6040, 1200, 1360, 420).enabled = false;
  f.add("Delete", K::Button, b5("刪除"), 7520, 1200, 1480, 420).enabled = false;
  // The card reader.
  f.add("Command11", K::Button, b5("傳送"), 120, 1740, 1360, 420);
  f.add("Command12", K::Button, b5("申請檢測"), 1600, 1740, 1360, 420);
  f.add("Command13", K::Button, b5("下載檢測結果"), 3080, 1740, 1840, 420);
  // The results.
  f.add("Label1", K::Label, "", 120, 2280, 8880, 300);
  f.add("List1", K::List, "", 120, 2640, 8880, 3240);
  return f;
}

// Before the window is shown its changes are part of its load: the operator
// sees them when it appears, so the screen is not told one by one.
void setCtl(ReportSample& rs, const std::string& control, const std::string& text) {
  if (rs.shown) return setText(rs.run.screen, rs.form, control, text);
  if (Control* c = rs.form.find(control)) c->text = text;
}

void enableCtl(ReportSample& rs, const std::string& control, bool enabled) {
  if (rs.shown) return setEnabled(rs.run.screen, rs.form, control, enabled);
  if (Control* c = rs.form.find(control)) c->enabled = enabled;
}

void fillList(ReportSample& rs, const std::vector<std::string>& items, ListHolds holds) {
  rs.listHolds = holds;
  if (rs.shown) {
    clearItems(rs.run.screen, rs.form, "List1");
    for (const std::string& i : items) addItem(rs.run.screen, rs.form, "List1", i);
  } else if (Control* c = rs.form.find("List1")) {
    c->items = items;
    c->selected = -1;
  }
  setCtl(rs, "Label1", "");
  enableCtl(rs, "Delete", false);
  enableCtl(rs, "Command7", false);
}

void loadReceipts(ReportSample& rs) {
  std::vector<std::string> lines, items;
  readLines(rs.run.files(), wpath(rs, kUprecv), lines);
  for (const std::string& l : lines)
    if (!vbTrim(l).empty()) items.push_back(l);
  fillList(rs, items, ListHolds::Receipts);
}

std::unique_ptr<DiskLock> lockReceipts(ReportSample& rs) {
  Run& run = rs.run;
  const std::string ic = wpath(rs, "ic");
  if (!run.disk.isFolder(ic)) run.disk.makeFolder(ic);
  std::unique_ptr<DiskLock> lock = run.disk.lock(wpath(rs, kWorkFolderLock), kWorkFolderLockWaitMs);
  if (!lock) {
    run.lastStatus = kErrFileAccess;
    showRed(run, std::string(kUprecv) + b5(" 其他工作站使用中"), 3);
  }
  return lock;
}

bool recordReceipt(ReportSample& rs, const std::string& line) {
  const std::unique_ptr<DiskLock> lock = lockReceipts(rs);
  if (lock && rs.run.disk.append(wpath(rs, kUprecv), line)) return true;
  rs.run.lastStatus = kErrFileAccess;
  return false;
}

Answer box(ReportSample& rs, const std::string& caption, const std::string& text, Buttons buttons,
           Icon icon, Answer def) {
  return rs.run.screen.msgBox(caption, text, buttons, icon, def);
}

void time2delay(Run& run, int seconds) {
  if (!run.screen.waits()) return;
  const int64_t end = run.clock.steadyMs() + int64_t{seconds} * 1000;
  while (run.clock.steadyMs() < end) {
    doEvents(run);
    run.clock.sleepMs(20);
  }
}

std::string wpath(ReportSample& rs, const std::string& name) {
  return rs.run.settings.workDir + name;
}

bool special(ReportSample& rs) { return rs.run.settings.officeCode == kSpecialCode; }

bool writeParams(ReportSample& rs, const std::vector<std::string>& lines) {
  if (replaceWhole(rs.run.disk, wpath(rs, kUpfee), paramFileText(lines))) return true;
  rs.run.lastStatus = kErrFileAccess;
  return false;
}

void convertAnswer(ReportSample& rs, const std::string& name) {
  Run& run = rs.run;
  std::string data;
  if (!run.disk.read(wpath(rs, name), data)) return;
  const std::string converted = toCrLf(data);
  // filetemp.tmp is the converted copy the clinic has always found; the
  // answer itself is replaced whole, never cut short where the disk filled.
  if (run.disk.write(wpath(rs, kFiletemp), converted) &&
      run.disk.replaceWithCopy(wpath(rs, kFiletemp), wpath(rs, name)))
    return;
  run.lastStatus = kErrFileAccess;
  showRed(run, b5("無法寫入檔案: ") + wpath(rs, name), 3);
}

void showAnswer(ReportSample& rs, const std::string& name) {
  if (rs.run.disk.exists(wpath(rs, kEditExe)))
    rs.run.screen.shellOpen(wpath(rs, kEditExe), name);
  else
    rs.run.screen.shellOpen(wpath(rs, name), "");
}

std::string portalUrl(ReportSample& rs) {
  return "https://" + rs.addr.declareWeb + kPortalPage;
}

void Form_Load(ReportSample& rs) {
  Run& run = rs.run;
  // 1. Over the clinic program when the operator opened it from there.
  if (run.C == "/ReportSample/") rs.form.topmost = true;

  // 2. The health-check button, the stored password and the remembered choices.
  if (run.disk.exists(wpath(rs, kHeaf10))) rs.form.find("Uploadheafa")->visible = true;
  setCtl(rs, "txtPwd", readProfileValue(run, kSection, kReportCode, "", kOrvoIni));
  if (readProfileValue(run, kSection, kReportType, "0", kOrvoIni) == "1")
    rs.form.find("Check1")->checked = 1;
  const std::string port = readOrvoDent(run, kIC4COM);
  if (!vbTrim(port).empty()) setCtl(rs, "Text1", vbTrim(port));

  // 3. The fee month and the caption.
  const std::string source = special(rs) ? std::string(kDrugt) : wpath(rs, kTotfa10);
  const Field fee = special(rs) ? drugt::kFeeMonth : totfa::kFeeMonth;
  rs.feeMonth = readBlock(run.files(), source, fee.start, static_cast<int16_t>(fee.width));
  rs.form.caption = reportCaption(rs.feeMonth, run.disk.modified(source));
  setCtl(rs, "Upload", b5("傳送申報: ") + rs.feeMonth);
  // The reminder names totfa.10 whatever the institution: the clinic program
  // prepares it for every declaration but the pharmacy's, whose Upload asks
  // for c:\drugt itself.
  if (!run.disk.exists(wpath(rs, kTotfa10)))
    box(rs, "ic", b5("請先整理健保申報資料 ") + kTotfa10, Buttons::Ok, Icon::Critical);

  // 4. The web links.
  rs.form.find("Combo1")->items = webLinks(rs.addr);

  loadReceipts(rs);
}

bool PassWrd(ReportSample& rs) {
  if (!vbTrim(textOf(rs.form, "txtPwd")).empty()) return true;
  box(rs, b5("請先輸入連線密碼"), b5("請向健保局查問 連線密碼"), Buttons::Ok, Icon::Critical);
  return false;
}

void Command2_Click(ReportSample& rs) {
  Run& run = rs.run;
  if (!PassWrd(rs)) return;
  run.screen.waitCursor(true);
  showWaiting(run, b5("登入健保局網站"));
  std::string institution = run.settings.officeCode;
  const std::string& server = special(rs) ? rs.addr.serverNet : rs.addr.server;
  const int status = rs.svc.PEA_web_login(server, kServicePort, kSystemCode, institution,
                                          vbTrim(textOf(rs.form, "txtPwd")));
  if (status < 0) {
    closeWaiting(run);
    run.screen.waitCursor(false);
    box(rs, b5("申報傳送"), b5("登入網站 錯誤: ") + rs.svc.PEA_get_errmsg());
    return;
  }
  run.screen.waitCursor(false);
  closeWaiting(run);
  rs.loggedIn = true;
  for (const char* b : {"Command3", "Command4", "Command5", "Command6", "Upload"})
    enableCtl(rs, b, true);
}

void Check1_Click(ReportSample& rs) {
  const Control* c = rs.form.find("Check1");
  rs.run.sys.writeProfileString(kSection, kReportType, c && c->checked ? "1" : "0", kOrvoIni);
}

void Combo1_Click(ReportSample& rs) {
  const Control* c = rs.form.find("Combo1");
  if (!c) return;
  switch (c->selected) {
    case 0: rs.run.screen.shellOpen("https://" + rs.addr.declareWeb + kDeclarePage, ""); break;
    case 1: rs.run.screen.shellOpen(rs.addr.makerUrl, ""); break;
    case 2: rs.run.screen.shellOpen("https://" + rs.addr.cloudWeb + kCloudPage, ""); break;
    default: break;
  }
}

void List1_Click(ReportSample& rs) {
  const Control* c = rs.form.find("List1");
  if (!c || c->selected < 0 || c->selected >= static_cast<int>(c->items.size())) return;
  setCtl(rs, "Label1", c->items[static_cast<size_t>(c->selected)]);
  enableCtl(rs, rs.listHolds == ListHolds::Receipts ? "Delete" : "Command7", true);
}

bool press(ReportSample& rs, const std::string& control) {
  using Handler = void (*)(ReportSample&);
  static const std::pair<const char*, Handler> kHandlers[] = {
      {"Command2", Command2_Click},   {"Upload", Upload_Click},
      {"Uploadheafa", Uploadheafa_Click}, {"Command3", Command3_Click},
      {"Command4", Command4_Click},   {"Command5", Command5_Click},
      {"Command6", Command6_Click},   {"Command7", Command7_Click},
      {"Delete", Delete_Click},       {"Command11", Command11_Click},
      {"Command12", Command12_Click}, {"Command13", Command13_Click},
      {"Command15", Command15_Click}, {"Check1", Check1_Click},
      {"Check3", Check3_Click},       {"Combo1", Combo1_Click},
      {"List1", List1_Click},
  };
  if (control == "Command1") Form_Unload(rs);
  for (const auto& [name, handler] : kHandlers)
    if (control == name) {
      handler(rs);
      return true;
    }
  return false;
}

void Form_Unload(ReportSample& rs) {
  rs.svc.PEA_web_logout();
  if (rs.shown) rs.run.screen.formClose(rs.form);
  closeWaiting(rs.run);
  endProcess(rs.run);
}

namespace {

void show(ReportSample& rs) {
  if (rs.shown) return;
  rs.shown = true;
  rs.run.screen.formShow(rs.form);
  if (rs.form.topmost) rs.run.screen.formTopmost(rs.form);
}

}  // namespace

void runReportSample(ReportSample& rs) {
  show(rs);
  for (;;) {
    FormAction a = rs.run.screen.formNext(rs.form);
    switch (a.kind) {
      case FormAction::Kind::Close: Form_Unload(rs);
      case FormAction::Kind::Type: break;  // the text is in the control already
      case FormAction::Kind::Click:
      case FormAction::Kind::Tick:
      case FormAction::Kind::Select: press(rs, a.control); break;
    }
    doEvents(rs.run);
  }
}

void cmd_ReportSample(Run& run, DeclareServices& svc, const std::vector<std::string>& presses) {
  ReportSample rs(run, svc);
  Form_Load(rs);
  show(rs);
  for (const std::string& p : presses) {
    press(rs, p);
    if (p == "Command2" && !rs.loggedIn) break;  // the rest needs the session
  }
  runReportSample(rs);
}

void cmd_ReportMonthly(Run& run, DeclareServices& svc, const std::string& button) {
  ReportSample rs(run, svc);
  Form_Load(rs);
  if (vbTrim(textOf(rs.form, "txtPwd")).empty()) runReportSample(rs);
  Command2_Click(rs);
  if (rs.loggedIn) press(rs, button);
  Form_Unload(rs);
}
