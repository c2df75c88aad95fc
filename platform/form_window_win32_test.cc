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
  f.add("Label2", ControlKind::Label, b5("密碼"), 120, 160, 600, 300);
  f.add("txtPwd", ControlKind::Password, "", 780, 120, 1800, 330);
  f.add("Command2", ControlKind::Button, b5("登入"), 2700, 120, 1000, 360);
  f.add("Upload", ControlKind::Button, "Upload", 3800, 120, 2400, 360).enabled = false;
  f.add("Frame1", ControlKind::Frame, b5("選項"), 120, 600, 3000, 1200);
  f.add("Check2", ControlKind::Check, b5("預檢"), 240, 900, 1200, 300).frame = "Frame1";
  f.add("Text1", ControlKind::Text, "1", 1560, 900, 1200, 330).frame = "Frame1";
  f.add("Combo1", ControlKind::Combo, b5("網站 連結"), 3300, 700, 3000, 330).items = {
      b5("網路申報 網站"), b5("雲端藥歷 網站")};
  f.add("List1", ControlKind::List, "", 120, 1900, 6000, 1800).items = {"a", "b"};
  f.add("Frame2", ControlKind::Frame, "", 3300, 1200, 2000, 600).visible = false;
  f.add("Check3", ControlKind::Check, b5("藥局"), 3400, 1400, 1000, 300).frame = "Frame2";
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
  screen->exit(0);
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
  screen->exit(0);
}

// The application title is a top-level window's title, where the clinic
// program's FindWindow finds a waiting run.
TEST(WindowScreen, TheApplicationTitleNamesATopLevelWindow) {
  NEEDS_WINDOWS();
  NoSystem sys;
  std::unique_ptr<Screen> screen = makeWindowScreen(sys);
  screen->appTitle("Waiting");
  HWND w = FindWindowW(nullptr, L"Waiting");
  ASSERT_NE(w, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  EXPECT_EQ(pid, GetCurrentProcessId());
  EXPECT_EQ(GetParent(w), nullptr);
  screen->appTitle("temp");
  EXPECT_EQ(FindWindowW(nullptr, L"Waiting"), nullptr);
  EXPECT_EQ(FindWindowW(nullptr, L"temp"), w);
  screen->exit(0);
  EXPECT_FALSE(IsWindow(w));
}

}  // namespace
