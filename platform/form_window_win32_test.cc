// The window backend's operated windows on real controls: an operator script
// played on them comes back as the actions the procedures get, with the
// texts read back from the controls.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/cp950.h"
#include "platform/form.h"
#include "platform/screen.h"
#include "platform/platform.h"

namespace {

using Kind = FormAction::Kind;

// The window backend asks the system only to open things.
struct NoSystem : System {
  std::string commandLine() override { return {}; }
  std::string exeBaseName() override { return "ic"; }
  std::string currentFolder() override { return {}; }
  bool setCurrentFolder(const std::string&) override { return false; }
  std::string profileString(const std::string&, const std::string&, const std::string& def,
                            const std::string&, int) override {
    return def;
  }
  bool writeProfileString(const std::string&, const std::string&, const std::string&,
                          const std::string&) override {
    return false;
  }
  std::unique_ptr<Library> loadLibrary(const std::string&) override { return nullptr; }
  bool shellOpen(const std::string&, const std::string&) override { return false; }
  bool activateWindow(const std::string&) override { return false; }
  std::optional<std::string> env(const char*) override { return std::nullopt; }
};

Control& add(Form& f, const char* name, ControlKind kind, int left, int top, int width,
             int height, const std::string& text = "") {
  f.controls.push_back({});
  Control& c = f.controls.back();
  c.name = name;
  c.kind = kind;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.text = text;
  return c;
}

// Wine makes windows only with a display driver; the test prefix of
// scripts/wine-test has the null one.
bool windowsCanBeMade() {
  HWND h = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (!h) return false;
  DestroyWindow(h);
  return true;
}

#define NEEDS_WINDOWS()                                                                   \
  if (!windowsCanBeMade())                                                                \
  GTEST_SKIP() << "no window driver (Wine without a display: scripts/wine-test sets the " \
                  "prefix's Graphics driver to null)"

Form declarationLike() {
  Form f;
  f.name = "ReportSample";
  f.caption = b5("  網路申報 資料: 11411");
  f.width = 7200;
  f.height = 4200;
  add(f, "Label2", ControlKind::Label, 120, 160, 600, 300, b5("密碼"));
  add(f, "txtPwd", ControlKind::Password, 780, 120, 1800, 330);
  add(f, "Command2", ControlKind::Button, 2700, 120, 1000, 360, b5("登入"));
  add(f, "Upload", ControlKind::Button, 3800, 120, 2400, 360, "Upload").enabled = false;
  add(f, "Frame1", ControlKind::Frame, 120, 600, 3000, 1200, b5("選項"));
  add(f, "Check2", ControlKind::Check, 240, 900, 1200, 300, b5("預檢")).frame = "Frame1";
  add(f, "Text1", ControlKind::Text, 1560, 900, 1200, 330, "1").frame = "Frame1";
  add(f, "Combo1", ControlKind::Combo, 3300, 700, 3000, 330, b5("網站 連結")).items = {
      b5("網路申報 網站"), b5("雲端藥歷 網站")};
  add(f, "List1", ControlKind::List, 120, 1900, 6000, 1800).items = {"a", "b"};
  add(f, "Frame2", ControlKind::Frame, 3300, 1200, 2000, 600).visible = false;
  add(f, "Check3", ControlKind::Check, 3400, 1400, 1000, 300, b5("藥局")).frame = "Frame2";
  return f;
}

TEST(FormWindow, PlaysTheOperatorScriptOnTheRealControls) {
  NEEDS_WINDOWS();
  NoSystem sys;
  std::unique_ptr<Screen> screen = makeWindowScreen(sys, parseOperatorScript(
      "type txtPwd 密碼 1234\n"
      "click Upload\n"
      "tick Check3 1\n"
      "click Command2\n"
      "click Upload\n"
      "click Check2\n"
      "tick Check2 1\n"
      "tick Check2 0\n"
      "type Text1 臺北 市\n"
      "select Combo1 1\n"
      "select List1 2\n"
      "close\n"
      "click Command2\n"));
  Form f = declarationLike();
  screen->formShow(f);
  screen->formTopmost(f);

  FormAction a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Type);
  EXPECT_EQ(a.control, "txtPwd");
  EXPECT_EQ(a.text, b5("密碼 1234"));
  EXPECT_EQ(textOf(f, "txtPwd"), b5("密碼 1234"));

  // The disabled button and the box in the hidden frame do nothing.
  a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Click);
  EXPECT_EQ(a.control, "Command2");

  // What the procedures change is on the real controls and read back from them.
  screen->waitCursor(true);
  setEnabled(*screen, f, "Upload", true);
  setText(*screen, f, "Text1", b5("中文"));
  setCaption(*screen, f, b5("傳送申報: 11411"));
  screen->waitCursor(false);
  wchar_t title[64] = {};
  GetWindowTextW(FindWindowW(L"ic.operated", nullptr), title, 64);
  EXPECT_EQ(std::wstring(title), L"傳送申報: 11411");
  a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Click);
  EXPECT_EQ(a.control, "Upload");
  EXPECT_EQ(textOf(f, "Text1"), b5("中文"));

  a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Tick);
  EXPECT_EQ(a.value, 1);
  // Ticked already: nothing; then cleared.
  a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Tick);
  EXPECT_EQ(a.value, 0);
  EXPECT_EQ(f.find("Check2")->checked, 0);

  a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Type);
  EXPECT_EQ(textOf(f, "Text1"), b5("臺北 市"));

  a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Select);
  EXPECT_EQ(a.control, "Combo1");
  EXPECT_EQ(a.value, 1);
  EXPECT_EQ(textOf(f, "Combo1"), b5("雲端藥歷 網站"));

  // An entry the procedures add is there to choose.
  addItem(*screen, f, "List1", b5("下載"));
  a = screen->formNext(f);
  EXPECT_EQ(a.kind, Kind::Select);
  EXPECT_EQ(a.control, "List1");
  EXPECT_EQ(f.find("List1")->selected, 2);

  EXPECT_EQ(screen->formNext(f).kind, Kind::Close);
  // The script goes on where it stopped; used up, the window closes.
  EXPECT_EQ(screen->formNext(f).kind, Kind::Click);
  EXPECT_EQ(screen->formNext(f).kind, Kind::Close);
  screen->formClose(f);
  screen->exit();
}

TEST(FormWindow, ARefusedScriptClosesTheWindowAtOnce) {
  NEEDS_WINDOWS();
  NoSystem sys;
  std::unique_ptr<Screen> screen =
      makeWindowScreen(sys, parseOperatorScript("click Command2\npress Command2\n"));
  Form f = declarationLike();
  screen->formShow(f);
  ASSERT_NE(FindWindowW(L"ic.operated", nullptr), nullptr);
  EXPECT_EQ(screen->formNext(f).kind, Kind::Close);
  screen->formClose(f);
  screen->exit();
}

}  // namespace
