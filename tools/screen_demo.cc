// screen_demo <waiting|blue|red|msgbox|main|form> [seconds]: shows one window
// of the window backend with Chinese text for a while, so that it can be looked
// at or photographed (scripts/screenshots). `form` is an operated window like
// the declaration window, driven by the operator script IC_UI_OPERATOR names
// (a built-in one when there is none). Not part of the product.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/screen.h"

namespace {

void CALLBACK endDemo(HWND, UINT, UINT_PTR, DWORD) { ExitProcess(0); }

// A window laid out like the declaration window, before the login.
Form demoForm() {
  Form f;
  f.name = "ReportSample";
  f.caption = b5("  網路申報 資料: 11411   2025/12/08 09:30:45");
  f.width = 9000;
  f.height = 4860;
  f.add("Label2", ControlKind::Label, b5("密碼"), 120, 180, 600, 300);
  f.add("txtPwd", ControlKind::Password, "", 720, 120, 1500, 330);
  f.add("Command2", ControlKind::Button, b5("登入"), 2340, 120, 900, 360);
  f.add("Upload", ControlKind::Button, b5("Upload"), 3360, 120, 2400, 360).enabled = false;
  f.add("Uploadheafa", ControlKind::Button, b5("健檢"), 3360, 120, 2400, 360).visible = false;
  const char* queries[][2] = {
      {"Command3", "下載總表"}, {"Command4", "申報流程"}, {"Command5", "收件狀況"},
      {"Command6", "申報檔案"}};
  for (int i = 0; i < 4; ++i)
    f.add(queries[i][0], ControlKind::Button, b5(queries[i][1]), 120 + i * 1380, 600, 1300, 360)
        .enabled = false;
  f.add("Check1", ControlKind::Check, b5("壓縮"), 120, 1110, 900, 300);
  f.add("Check2", ControlKind::Check, b5("預檢"), 1080, 1110, 900, 300);
  f.add("Check3", ControlKind::Check, b5("藥局"), 2040, 1110, 900, 300);
  Control& links = f.add("Combo1", ControlKind::Combo, b5("網站 連結"), 3120, 1080, 2640, 330);
  links.items = {b5("網路申報 網站"), b5("軟體公司 網站"),
                 b5("雲端藥歷 網站")};
  f.add("Frame1", ControlKind::Frame, b5("讀卡機"), 6000, 60, 2880, 1380);
  f.add("Command11", ControlKind::Button, b5("傳送"), 6120, 360, 1300, 360).frame = "Frame1";
  f.add("Command12", ControlKind::Button, b5("申請檢測"), 7500, 360, 1300, 360).frame =
      "Frame1";
  f.add("Command15", ControlKind::Button, b5("COM:"), 6120, 900, 700, 360).frame = "Frame1";
  f.add("Text1", ControlKind::Text, b5("1"), 6900, 915, 500, 330).frame = "Frame1";
  f.add("Command13", ControlKind::Button, b5("下載檢測結果"), 7500, 900, 1300, 360).frame =
      "Frame1";
  Control& list = f.add("List1", ControlKind::List, "", 120, 1560, 8760, 2640);
  list.items = {b5("1141208 093045  11411  門診申報  收件完成"),
                b5("1141208 101210  11411  門診申報  檢核中"),
                b5("1141105 113502  11410  門診申報  核定")};
  f.add("Label1", ControlKind::Label, "", 120, 4380, 5400, 300);
  f.add("Command7", ControlKind::Button, b5("下載"), 5640, 4320, 1000, 360);
  f.add("Delete", ControlKind::Button, b5("刪除"), 6720, 4320, 1000, 360);
  f.add("Command1", ControlKind::Button, b5("關閉"), 7800, 4320, 1080, 360);
  return f;
}

// The operator logs in, ticks the pre-check and chooses a submission.
const char kDemoScript[] =
    "type txtPwd 1234\n"
    "click Command2\n"
    "tick Check2 1\n"
    "select List1 1\n";

// What the declaration window's procedures would do, in short.
void operate(Screen& screen, Form& form) {
  for (;;) {
    FormAction a = screen.formNext(form);
    if (a.kind == FormAction::Kind::Close) return;
    if (a.kind == FormAction::Kind::Click && a.control == "Command2") {
      screen.waitCursor(true);
      for (const char* c : {"Command3", "Command4", "Command5", "Command6", "Upload"})
        setEnabled(screen, form, c, true);
      setText(screen, form, "Upload", b5("傳送申報: 11411"));
      screen.waitCursor(false);
    } else if (a.kind == FormAction::Kind::Select && a.control == "List1") {
      const Control* list = form.find("List1");
      setText(screen, form, "Label1", list->items[static_cast<size_t>(list->selected)]);
    } else if (a.kind == FormAction::Kind::Click && a.control == "Command1") {
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: screen_demo <waiting|blue|red|msgbox|main|form> [seconds]\n");
    return 2;
  }
  const std::string stage = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
  std::unique_ptr<System> sys = makeRealSystem(argc, argv);
  std::unique_ptr<Clock> clock = makeRealClock();
  OperatorScript script = loadOperatorScript(sys->env("IC_UI_OPERATOR").value_or(""));
  if (!script.given) script = parseOperatorScript(kDemoScript);
  std::unique_ptr<Screen> screen = makeWindowScreen(*sys, std::move(script));
  // A message box holds its own loop; the timer ends the demo from inside it.
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &endDemo);

  if (stage == "waiting") {
    screen->showWaiting(b5("讀取資料 COM:1  請稍候"));
  } else if (stage == "blue") {
    screen->showMessage(b5("健保IC卡卡片內容更新中"));
  } else if (stage == "red") {
    screen->showRed(b5("4000 無法開啟 通訊阜 3"), seconds);
  } else if (stage == "msgbox") {
    screen->msgBox(b5("健保卡"), b5("確定要上傳今日的健保卡資料嗎?"), Buttons::YesNo, Icon::Question,
                   Answer::No);
    return 0;
  } else if (stage == "main") {
    screen->placeMain(1500, 1200, 7200, 4800);
    screen->caption("vexa5", b5("健保卡上傳紀錄"));
    screen->listClear();
    screen->listAdd(b5("1151208 093045  王小明  A123456789  上傳 完成"));
    screen->listAdd(b5("1151208 101210  陳美玲  B223456781  上傳 完成"));
    screen->listAdd(b5("1151208 113502  林志明  C123987650  上傳失敗 5010"));
    screen->show("vexa5");
  } else if (stage == "form") {
    Form form = demoForm();
    screen->formShow(form);
    screen->formTopmost(form);
    operate(*screen, form);
    // Stays up, as the script left it, to be photographed.
  } else {
    std::fprintf(stderr, "unknown window: %s\n", stage.c_str());
    return 2;
  }
  // The blink the program's timer drives, and the events the operator makes.
  const int64_t end = clock->steadyMs() + int64_t{seconds} * 1000;
  bool red = false;
  while (clock->steadyMs() < end) {
    if (stage == "waiting") screen->setWaitingColour((red = !red) ? Colour::Red : Colour::Blue);
    for (UiEvent e : screen->pump()) {
      std::fprintf(stderr, "event %d\n", static_cast<int>(e));
      if (e != UiEvent::WaitingClosePressed) return 0;
    }
    clock->sleepMs(stage == "waiting" ? 500 : 50);
  }
  screen->exit(0);
  return 0;
}
