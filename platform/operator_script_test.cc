#include "platform/operator_script.h"

#include <gtest/gtest.h>

#include "platform/cp950.h"

namespace {

using Kind = FormAction::Kind;

// One understood line: kind, control, text (UTF-8), value.
struct Understood {
  const char* line;
  Kind kind;
  const char* control;
  const char* text;
  int value;
};

TEST(OperatorScript, UnderstandsEachAction) {
  const Understood cases[] = {
      {"click Command2", Kind::Click, "Command2", "", 0},
      {"  click\tCommand2  ", Kind::Click, "Command2", "", 0},
      {"type txtPwd abc", Kind::Type, "txtPwd", "abc", 0},
      // The rest of the line, blanks kept; one blank parts it from the name.
      {"type Text1   a  b  ", Kind::Type, "Text1", "  a  b  ", 0},
      {"type Text1 密碼 1", Kind::Type, "Text1", "密碼 1", 0},
      {"type Text1", Kind::Type, "Text1", "", 0},
      {"type Text1 ", Kind::Type, "Text1", "", 0},
      {"tick Check2 1", Kind::Tick, "Check2", "", 1},
      {"tick Check2 0", Kind::Tick, "Check2", "", 0},
      {"select List1 0", Kind::Select, "List1", "", 0},
      {"select Combo1 12", Kind::Select, "Combo1", "", 12},
      {"close", Kind::Close, "", "", 0},
      {"close  ", Kind::Close, "", "", 0},
  };
  for (const Understood& c : cases) {
    SCOPED_TRACE(c.line);
    OperatorScript s = parseOperatorScript(c.line);
    ASSERT_TRUE(s.refused.empty());
    ASSERT_EQ(s.lines.size(), 1u);
    const FormAction& a = s.lines[0].action;
    EXPECT_EQ(a.kind, c.kind);
    EXPECT_EQ(a.control, c.control);
    EXPECT_EQ(a.text, b5(c.text));
    EXPECT_EQ(a.value, c.value);
    EXPECT_EQ(s.lines[0].line, c.line);
  }
}

TEST(OperatorScript, RefusesTheWholeScriptForOneLineItCannotUnderstand) {
  const char* bad[] = {
      "press Command2", "Click Command2", "click", "click Command2 now", "tick Check2",
      "tick Check2 2",  "tick Check2 1 0", "select List1", "select List1 -1",
      "select List1 x", "select List1 9999999", "close now", "type",
      "click \xE5\xAF",  // half a UTF-8 character
  };
  for (const char* line : bad) {
    SCOPED_TRACE(line);
    OperatorScript s = parseOperatorScript(std::string("click Command2\n") + line + "\nclose\n");
    EXPECT_TRUE(s.lines.empty());
    EXPECT_TRUE(s.given);
    EXPECT_FALSE(s.refused.empty());
  }
  EXPECT_EQ(parseOperatorScript("click \xE5\xAF").refused, "click ??");
}

TEST(OperatorScript, SkipsBlankAndCommentLinesAndLineEnds) {
  OperatorScript s = parseOperatorScript(
      "\xEF\xBB\xBF# the login\r\n\r\n   \n  # indented comment\ntype txtPwd ab \r\nclick Command2");
  ASSERT_TRUE(s.refused.empty());
  ASSERT_EQ(s.lines.size(), 2u);
  EXPECT_EQ(s.lines[0].action.text, "ab ");
  EXPECT_EQ(s.lines[1].line, "click Command2");
  EXPECT_TRUE(parseOperatorScript("").lines.empty());
  EXPECT_TRUE(parseOperatorScript("").refused.empty());
}

TEST(OperatorScript, AFileThatCannotBeReadIsRefused) {
  EXPECT_FALSE(loadOperatorScript("").given);
  OperatorScript s = loadOperatorScript("no-such-folder/operator.txt");
  EXPECT_TRUE(s.given);
  EXPECT_EQ(s.refused, "no-such-folder/operator.txt");
}

Form loginForm() {
  Form f;
  f.name = "ReportSample";
  auto add = [&](const char* name, ControlKind kind) -> Control& {
    f.controls.push_back({});
    f.controls.back().name = name;
    f.controls.back().kind = kind;
    return f.controls.back();
  };
  add("Command2", ControlKind::Button);
  add("Upload", ControlKind::Button).enabled = false;
  add("Uploadheafa", ControlKind::Button).visible = false;
  add("txtPwd", ControlKind::Password);
  add("Label2", ControlKind::Label);
  add("Check2", ControlKind::Check);
  add("Check3", ControlKind::Check).checked = 1;
  add("Combo1", ControlKind::Combo).items = {"a", "b"};
  add("List1", ControlKind::List);
  add("Frame1", ControlKind::Frame).visible = false;
  add("Check4", ControlKind::Check).frame = "Frame1";
  add("Frame2", ControlKind::Frame).enabled = false;
  add("Text1", ControlKind::Text).frame = "Frame2";
  return f;
}

// One action judged: the line, then what comes of it.
struct Judged {
  const char* line;
  Outcome::Kind outcome;
  const char* why;  // Ignored
  Kind kind;        // Play: the action passed on
  int value;
};

TEST(OperatorScript, JudgesActionsAsTheOperatorSeesTheForm) {
  using O = Outcome::Kind;
  const Judged cases[] = {
      {"click Command2", O::Play, "", Kind::Click, 0},
      {"click Nothing", O::Ignored, "unknown", Kind::Click, 0},
      {"click Upload", O::Ignored, "disabled", Kind::Click, 0},
      {"click Uploadheafa", O::Ignored, "hidden", Kind::Click, 0},
      // A click on a check box turns it over.
      {"click Check2", O::Play, "", Kind::Tick, 1},
      {"click Check3", O::Play, "", Kind::Tick, 0},
      {"tick Check2 1", O::Play, "", Kind::Tick, 1},
      {"tick Check3 1", O::Nothing, "", Kind::Tick, 1},
      // An action that does not fit the control's kind.
      {"click Label2", O::Ignored, "unknown", Kind::Click, 0},
      {"type Command2 x", O::Ignored, "unknown", Kind::Type, 0},
      {"tick Command2 1", O::Ignored, "unknown", Kind::Tick, 0},
      {"select Check2 0", O::Ignored, "unknown", Kind::Select, 0},
      {"type Combo1 x", O::Play, "", Kind::Type, 0},
      {"select Combo1 1", O::Play, "", Kind::Select, 1},
      {"select Combo1 2", O::Ignored, "unknown", Kind::Select, 2},
      {"select List1 0", O::Ignored, "unknown", Kind::Select, 0},
      // The frame a control sits in decides as well.
      {"tick Check4 1", O::Ignored, "hidden", Kind::Tick, 1},
      {"type Text1 x", O::Ignored, "disabled", Kind::Type, 0},
      {"close", O::Play, "", Kind::Close, 0},
  };
  const Form form = loginForm();
  for (const Judged& c : cases) {
    SCOPED_TRACE(c.line);
    OperatorScript s = parseOperatorScript(c.line);
    ASSERT_EQ(s.lines.size(), 1u);
    Outcome o = judgeAction(form, s.lines[0].action);
    EXPECT_EQ(o.kind, c.outcome);
    EXPECT_STREQ(o.why, c.why);
    if (o.kind == O::Play) {
      EXPECT_EQ(o.action.kind, c.kind);
      EXPECT_EQ(o.action.value, c.value);
    }
  }
}

TEST(OperatorScript, AppliesActionsAndMasksPasswords) {
  Form form = loginForm();
  for (const char* line : {"type txtPwd 密碼12", "tick Check2 1", "select Combo1 1"}) {
    OperatorScript s = parseOperatorScript(line);
    applyAction(form, judgeAction(form, s.lines[0].action).action);
  }
  EXPECT_EQ(form.find("txtPwd")->text, b5("密碼12"));
  EXPECT_EQ(form.find("Check2")->checked, 1);
  EXPECT_EQ(form.find("Combo1")->selected, 1);
  EXPECT_EQ(form.find("Combo1")->text, "b");

  EXPECT_EQ(masked(b5("密碼12")), "****");
  EXPECT_EQ(shownLine(form, parseOperatorScript("type txtPwd  密碼 ").lines[0]),
            "type txtPwd ****");
  EXPECT_EQ(shownLine(form, parseOperatorScript("type Combo1 密碼").lines[0]),
            "type Combo1 密碼");
}

}  // namespace
