// The operator script (IC_UI_OPERATOR) over any bytes, then every action it
// holds judged and played on a small form. A refused script holds no lines; a
// played action never leaves a list's choice outside its entries.
#include "fuzz/fuzz.h"
#include "platform/operator_script.h"

namespace {

Form sample() {
  Form f;
  f.name = "ReportSample";
  auto add = [&](const char* name, ControlKind kind) {
    Control c;
    c.name = name;
    c.kind = kind;
    f.controls.push_back(c);
    return &f.controls.back();
  };
  add("Command2", ControlKind::Button);
  add("txtPwd", ControlKind::Password);
  add("Text1", ControlKind::Text);
  add("Check2", ControlKind::Check);
  add("Combo1", ControlKind::Combo)->items = {"a", "b", "c"};
  add("List1", ControlKind::List)->items = {"x"};
  add("Frame1", ControlKind::Frame)->visible = false;
  add("Check3", ControlKind::Check)->frame = "Frame1";
  add("Command3", ControlKind::Button)->enabled = false;
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const OperatorScript script =
      parseOperatorScript(std::string_view(reinterpret_cast<const char*>(data), size));
  fuzz::check(script.refused.empty() || script.lines.empty());
  Form form = sample();
  for (const ScriptLine& line : script.lines) {
    shownLine(form, line);
    const Outcome o = judgeAction(form, line.action);
    if (o.kind != Outcome::Kind::Play) continue;
    applyAction(form, o.action);
    for (const Control& c : form.controls)
      if (!c.items.empty())
        fuzz::check(c.selected >= -1 && c.selected < static_cast<int>(c.items.size()));
  }
  return 0;
}
