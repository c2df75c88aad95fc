// The record backend with an operated window: what the procedures change is
// logged, and the operator script is played on the form.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "platform/cp950.h"
#include "platform/form.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "tests/support/fakes.h"

namespace fs = std::filesystem;

namespace {

class RecordForm : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    root_ = fs::temp_directory_path() /
            ("ic-form-" + std::to_string(rd()) + "-" +
             std::to_string(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    fs::create_directories(root_);
    log_ = (root_ / "ui.log").string();
    form_.name = "ReportSample";
    form_.caption = b5("網路申報");
    add("Label2", ControlKind::Label).text = b5("密碼");
    add("txtPwd", ControlKind::Password);
    add("Command2", ControlKind::Button).text = b5("登入");
    add("Upload", ControlKind::Button).enabled = false;
    add("Check2", ControlKind::Check);
    add("Combo1", ControlKind::Combo);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  Control& add(const char* name, ControlKind kind) {
    form_.controls.push_back({});
    form_.controls.back().name = name;
    form_.controls.back().kind = kind;
    return form_.controls.back();
  }
  std::unique_ptr<Screen> screen(const std::string& script) {
    return makeRecordScreen(sys_, log_, "", parseOperatorScript(script));
  }
  // What showing the fixture's form logs: its caption and each control's
  // initial text, enabled and visible state.
  std::vector<std::string> shownLines() const {
    std::vector<std::string> out = {"show\tReportSample", "caption\tReportSample\t網路申報"};
    for (const char* c : {"Label2", "txtPwd", "Command2", "Upload", "Check2", "Combo1"}) {
      const std::string name = c;
      out.push_back("text\tReportSample\t" + name + "\t" + (name == "Label2" ? "密碼" : name == "Command2" ? "登入" : ""));
      out.push_back("enabled\tReportSample\t" + name + "\t" + (name == "Upload" ? "0" : "1"));
      out.push_back("visible\tReportSample\t" + name + "\t1");
    }
    return out;
  }
  std::vector<std::string> log() const {
    std::ifstream f(log_, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(f, l);) lines.push_back(l);
    return lines;
  }

  fs::path root_;
  std::string log_;
  FakeDisk disk_;
  FakeSystem sys_{disk_};
  Form form_;
};

TEST_F(RecordForm, LogsTheChangesAndPlaysTheScript) {
  auto s = screen(
      "type txtPwd 1234\n"
      "click Upload\n"
      "click Nothing\n"
      "click Command2\n"
      "click Check2\n"
      "select Combo1 1\n"
      "select Combo1 0\n"
      "close\n"
      "click Command2\n");
  s->formShow(form_);
  s->formTopmost(form_);
  setCaption(*s, form_, b5("網路申報 資料: 11411"));
  setText(*s, form_, "txtPwd", "99");
  setText(*s, form_, "Label2", "a\tb");

  FormAction a = s->formNext(form_);
  EXPECT_EQ(a.kind, FormAction::Kind::Type);
  EXPECT_EQ(textOf(form_, "txtPwd"), "1234");
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Click);

  s->waitCursor(true);
  setEnabled(*s, form_, "Upload", true);
  setVisible(*s, form_, "Check2", false);
  setVisible(*s, form_, "Check2", true);
  clearItems(*s, form_, "Combo1");
  addItem(*s, form_, "Combo1", b5("網站 連結"));
  s->waitCursor(false);

  a = s->formNext(form_);
  EXPECT_EQ(a.kind, FormAction::Kind::Tick);
  EXPECT_EQ(a.value, 1);
  EXPECT_EQ(form_.find("Check2")->checked, 1);
  a = s->formNext(form_);
  EXPECT_EQ(a.kind, FormAction::Kind::Select);
  EXPECT_EQ(form_.find("Combo1")->selected, 0);
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);
  // The script goes on where it stopped; used up, the window closes.
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Click);
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);

  std::vector<std::string> want = shownLines();
  want.insert(want.end(), {
      "topmost\tReportSample",
      "caption\tReportSample\t網路申報 資料: 11411",
      "text\tReportSample\ttxtPwd\t**",
      "text\tReportSample\tLabel2\ta\\tb",
      "action\ttype txtPwd ****",
      "action\tclick Upload",
      "ignored\tUpload\tdisabled",
      "action\tclick Nothing",
      "ignored\tNothing\tunknown",
      "action\tclick Command2",
      "cursor\twait",
      "enabled\tReportSample\tUpload\t1",
      "visible\tReportSample\tCheck2\t0",
      "visible\tReportSample\tCheck2\t1",
      "items-clear\tReportSample\tCombo1",
      "item\tReportSample\tCombo1\t網站 連結",
      "cursor\tdefault",
      "action\tclick Check2",
      "action\tselect Combo1 1",
      "ignored\tCombo1\tunknown",
      "action\tselect Combo1 0",
      "action\tclose",
      "action\tclick Command2",
  });
  EXPECT_EQ(log(), want);
}

TEST_F(RecordForm, ARefusedScriptClosesTheWindowBeforeAnythingRuns) {
  auto s = screen("click Command2\nclick\tCommand2 twice\n");
  s->formShow(form_);
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);
  std::vector<std::string> want = shownLines();
  want.push_back("ignored\tclick\\tCommand2 twice\tunknown");
  EXPECT_EQ(log(), want);
}

TEST_F(RecordForm, WithoutAScriptTheWindowClosesAtOnce) {
  auto s = makeRecordScreen(sys_, log_, "");
  s->formShow(form_);
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);
  EXPECT_EQ(log(), shownLines());
}

TEST_F(RecordForm, ShowingLogsTheWindowAsTheOperatorFirstSeesIt) {
  form_.find("txtPwd")->text = "demo";
  form_.find("Combo1")->items = {b5("網路申報 網站"), "b"};
  form_.find("Check2")->visible = false;
  auto s = makeRecordScreen(sys_, log_, "");
  s->formShow(form_);
  const std::vector<std::string> want = {
      "show\tReportSample",
      "caption\tReportSample\t網路申報",
      "text\tReportSample\tLabel2\t密碼",
      "enabled\tReportSample\tLabel2\t1",
      "visible\tReportSample\tLabel2\t1",
      "text\tReportSample\ttxtPwd\t****",  // masked
      "enabled\tReportSample\ttxtPwd\t1",
      "visible\tReportSample\ttxtPwd\t1",
      "text\tReportSample\tCommand2\t登入",
      "enabled\tReportSample\tCommand2\t1",
      "visible\tReportSample\tCommand2\t1",
      "text\tReportSample\tUpload\t",
      "enabled\tReportSample\tUpload\t0",
      "visible\tReportSample\tUpload\t1",
      "text\tReportSample\tCheck2\t",
      "enabled\tReportSample\tCheck2\t1",
      "visible\tReportSample\tCheck2\t0",
      "text\tReportSample\tCombo1\t",
      "item\tReportSample\tCombo1\t網路申報 網站",
      "item\tReportSample\tCombo1\tb",
      "enabled\tReportSample\tCombo1\t1",
      "visible\tReportSample\tCombo1\t1",
  };
  EXPECT_EQ(log(), want);
}

TEST_F(RecordForm, TheScriptIsTheFileIcUiOperatorNames) {
  // Names are the program's CP950 text, here with a Chinese folder: the script
  // and the log are opened through the disk, as every other file is.
  std::unique_ptr<Disk> disk = makeRealDisk();
  const std::string folder = root_.string() + "/" + b5("操作員");
  ASSERT_TRUE(disk->makeFolder(folder));
  const std::string script = folder + "/operator.txt", log = folder + "/ui.log";
  ASSERT_TRUE(disk->write(script, "# log in\r\nclick Command2\r\n"));
  sys_.envs = {{"IC_UI", "record"}, {"IC_UI_LOG", log}, {"IC_UI_OPERATOR", script}};
  auto s = makeScreen(sys_, root_.string());
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Click);
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);

  sys_.envs["IC_UI_OPERATOR"] = script + ".missing";
  s = makeScreen(sys_, root_.string());
  EXPECT_EQ(s->formNext(form_).kind, FormAction::Kind::Close);
  std::string named;
  for (char c : cp950::toUtf8(script + ".missing"))
    named += c == '\\' ? std::string("\\\\") : std::string(1, c);
  std::string text;
  ASSERT_TRUE(disk->read(log, text));
  EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), "ignored\t" + named + "\tunknown\n");
}

}  // namespace

namespace {

// Lines handed over in one piece are logged exactly as when added one by one.
TEST_F(RecordForm, ListLinesInOnePieceLogAsOneByOne) {
  const std::vector<std::string> lines = {b5("姓名:  王小明"), "a\tb\\c\rd\ne", "", std::string(3, ' ')};
  {
    auto s = screen("");
    for (const std::string& l : lines) s->listAdd(l);
    s->listAddLines({});
    s->listAddLines(lines);
  }
  std::ifstream f(log_, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(f), {}};
  const std::string one = "list\t" + cp950::toUtf8(lines[0]) + "\nlist\ta\\tb\\\\c\\rd\\ne\nlist\t\nlist\t   \n";
  EXPECT_EQ(text, one + one);
}

}  // namespace
