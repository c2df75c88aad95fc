// screen_demo <waiting|blue|red|msgbox|main> [seconds]: shows one window of
// the window backend with Chinese text for a while, so that it can be looked
// at or photographed (scripts/screenshots). Not part of the product.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/screen.h"

namespace {

void CALLBACK endDemo(HWND, UINT, UINT_PTR, DWORD) { ExitProcess(0); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: screen_demo <waiting|blue|red|msgbox|main> [seconds]\n");
    return 2;
  }
  const std::string stage = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
  std::unique_ptr<System> sys = makeRealSystem(argc, argv);
  std::unique_ptr<Clock> clock = makeRealClock();
  std::unique_ptr<Screen> screen = makeWindowScreen(*sys);
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
  screen->exit();
  return 0;
}
