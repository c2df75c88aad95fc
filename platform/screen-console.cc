// The console backend: each message is one line on standard error (UTF-8),
// waits are real, and a message box takes its default button.
#include <cstdio>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/screen.h"

namespace {

class ConsoleScreen : public Screen {
 public:
  explicit ConsoleScreen(System& sys) : sys_(sys) {}
  bool waits() const override { return true; }
  void showWaiting(const std::string& text) override { say("[等待] " , text); }
  void hideWaiting() override {}
  void closeWaiting() override {}
  void setWaitingColour(Colour) override {}
  void showMessage(const std::string& text) override { say("[訊息] ", text); }
  void showRed(const std::string& text, int secs) override {
    say("[錯誤] ", text + " (" + std::to_string(secs) + "s)");
  }
  void hideMessage() override {}
  Answer msgBox(const std::string& caption, const std::string& text, Buttons, Icon,
                Answer def) override {
    say("[" + cp950::toUtf8(caption) + "] ", text, true);
    return def;
  }
  void delay(double, const std::string&) override {}
  void caption(const std::string&, const std::string&) override {}
  void listClear() override {}
  void listAdd(const std::string& line) override { say("", line); }
  void show(const std::string&) override {}
  void hideMain() override {}
  void placeMain(int, int, int, int) override {}
  bool shellOpen(const std::string& what, const std::string& params) override {
    say("[開啟] ", what + (params.empty() ? "" : " " + params));
    return sys_.shellOpen(what, params);
  }
  std::vector<UiEvent> pump() override { return {}; }
  bool windowOpen(const std::string&) override { return false; }
  void exit(int) override {}

  // Nobody operates a window here: its caption and the labels are written out
  // so that whoever watches reads what the window says; it then closes.
  void formShow(Form& form) override {
    say("[" + form.name + "] ", form.caption);
    for (const Control& c : form.controls)
      if (c.kind == ControlKind::Label && !c.text.empty() && shownOnForm(form, c))
        say("[" + form.name + "." + c.name + "] ", c.text);
  }
  void formChanged(const Form& form, const Control* c, FormChange what) override {
    if (what == FormChange::Caption) say("[" + form.name + "] ", form.caption);
    else if (what == FormChange::Text && c && c->kind == ControlKind::Label && !c->text.empty())
      say("[" + form.name + "." + c->name + "] ", c->text);
  }

 private:
  void say(const std::string& prefixUtf8, const std::string& text, bool prefixIsUtf8 = true) {
    std::string line = (prefixIsUtf8 ? prefixUtf8 : cp950::toUtf8(prefixUtf8)) +
                       cp950::toUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
  System& sys_;
};

}  // namespace

std::unique_ptr<Screen> makeConsoleScreen(System& sys) { return std::make_unique<ConsoleScreen>(sys); }
