#include "platform/operator_script.h"

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/cp950.h"
#include "platform/platform.h"

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

// Length of the well-formed UTF-8 character at s[i], 0 when it is not one.
size_t utf8Char(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  // Overlong forms, surrogates and code points past U+10FFFF.
  if (c == 0xE0 && b(i + 1) < 0xA0) return 0;
  if (c == 0xED && b(i + 1) >= 0xA0) return 0;
  if (c == 0xF0 && b(i + 1) < 0x90) return 0;
  if (c == 0xF4 && b(i + 1) >= 0x90) return 0;
  return n;
}

// The line with every byte that is not part of a UTF-8 character as "?", so
// that the event log stays UTF-8; `valid` tells whether any was replaced.
std::string cleanUtf8(std::string_view s, bool& valid) {
  std::string out;
  valid = true;
  for (size_t i = 0; i < s.size();) {
    size_t n = utf8Char(s, i);
    if (n == 0) {
      valid = false;
      out += '?';
      ++i;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  return out;
}

// The next word of `s` from `at` (blanks before it skipped); `at` moves past it.
std::string_view word(std::string_view s, size_t& at) {
  while (at < s.size() && blank(s[at])) ++at;
  size_t start = at;
  while (at < s.size() && !blank(s[at])) ++at;
  return s.substr(start, at - start);
}

bool onlyBlanks(std::string_view s, size_t at) {
  for (; at < s.size(); ++at)
    if (!blank(s[at])) return false;
  return true;
}

// An entry number: decimal digits, small enough for any list.
bool entry(std::string_view w, int& n) {
  if (w.empty() || w.size() > 6) return false;
  n = 0;
  for (char c : w) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  return true;
}

// One line that is not blank or a comment; false when it cannot be understood.
bool parseLine(std::string_view s, ScriptLine& out) {
  using Kind = FormAction::Kind;
  size_t at = 0;
  const std::string_view verb = word(s, at);
  FormAction& a = out.action;
  if (verb == "close") {
    a.kind = Kind::Close;
    return onlyBlanks(s, at);
  }
  const std::string_view control = word(s, at);
  if (control.empty()) return false;
  a.control = std::string(control);
  if (verb == "click") {
    a.kind = Kind::Click;
    return onlyBlanks(s, at);
  }
  if (verb == "type") {
    // One blank parts the control from the text; all others belong to it.
    a.kind = Kind::Type;
    out.textAt = at < s.size() ? at + 1 : at;
    a.text = cp950::fromUtf8(s.substr(out.textAt));
    return true;
  }
  if (verb == "tick") {
    a.kind = Kind::Tick;
    const std::string_view v = word(s, at);
    if (v != "0" && v != "1") return false;
    a.value = v == "1";
    return onlyBlanks(s, at);
  }
  if (verb == "select") {
    a.kind = Kind::Select;
    if (!entry(word(s, at), a.value)) return false;
    return onlyBlanks(s, at);
  }
  return false;
}

const Control* frameOf(const Form& form, const Control& c) {
  return c.frame.empty() ? nullptr : form.find(c.frame);
}

}  // namespace

OperatorScript parseOperatorScript(std::string_view text) {
  OperatorScript script;
  script.given = true;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    size_t first = 0;
    while (first < raw.size() && blank(raw[first])) ++first;
    if (first == raw.size() || raw[first] == '#') continue;
    bool valid = true;
    ScriptLine line;
    line.line = cleanUtf8(raw, valid);
    if (!valid || !parseLine(raw, line)) {
      script.lines.clear();
      script.refused = line.line;
      return script;
    }
    script.lines.push_back(std::move(line));
  }
  return script;
}

OperatorScript loadOperatorScript(const std::string& path) {
  OperatorScript none;
  if (path.empty()) return none;
  OperatorScript refused;
  refused.given = true;
  // The name is the program's CP950 text (as the environment gives it); the
  // event log is UTF-8. Opened through the disk, like every other file, so that
  // a Chinese name opens on both platforms.
  refused.refused = cp950::toUtf8(path);
  std::unique_ptr<Disk> disk = makeRealDisk();
  const std::optional<int64_t> size = disk->length(path);
  std::string text;
  if (!size || *size > static_cast<int64_t>(kMaxScriptBytes) || !disk->read(path, text) ||
      text.size() > kMaxScriptBytes)
    return refused;
  return parseOperatorScript(text);
}

bool shownOnForm(const Form& form, const Control& c) {
  // A frame inside a frame inside ...: a cycle in the description ends the walk.
  const Control* k = &c;
  for (size_t depth = 0; k && depth <= form.controls.size(); ++depth, k = frameOf(form, *k))
    if (!k->visible) return false;
  return true;
}

bool enabledOnForm(const Form& form, const Control& c) {
  const Control* k = &c;
  for (size_t depth = 0; k && depth <= form.controls.size(); ++depth, k = frameOf(form, *k))
    if (!k->enabled) return false;
  return true;
}

Outcome judgeAction(const Form& form, const FormAction& action) {
  using Kind = FormAction::Kind;
  Outcome out;
  out.action = action;
  if (action.kind == Kind::Close) return out;
  const Control* c = form.find(action.control);
  bool fits = false;
  if (c) {
    switch (action.kind) {
      case Kind::Click: fits = c->kind == ControlKind::Button || c->kind == ControlKind::Check; break;
      case Kind::Type:
        fits = c->kind == ControlKind::Text || c->kind == ControlKind::Password ||
               c->kind == ControlKind::Combo;
        break;
      case Kind::Tick: fits = c->kind == ControlKind::Check; break;
      case Kind::Select: fits = c->kind == ControlKind::List || c->kind == ControlKind::Combo; break;
      case Kind::Close: break;
    }
  }
  const auto ignored = [&](const char* why) {
    out.kind = Outcome::Kind::Ignored;
    out.why = why;
    return out;
  };
  if (!fits) return ignored("unknown");
  if (!shownOnForm(form, *c)) return ignored("hidden");
  if (!enabledOnForm(form, *c)) return ignored("disabled");
  if (action.kind == Kind::Select && action.value >= static_cast<int>(c->items.size()))
    return ignored("unknown");
  if (c->kind == ControlKind::Check && action.kind == Kind::Click) {
    out.action.kind = Kind::Tick;
    out.action.value = c->checked ? 0 : 1;
  }
  if (out.action.kind == Kind::Tick && (c->checked != 0) == (out.action.value != 0))
    out.kind = Outcome::Kind::Nothing;
  return out;
}

void applyAction(Form& form, const FormAction& action) {
  Control* c = form.find(action.control);
  if (!c) return;
  switch (action.kind) {
    case FormAction::Kind::Type: c->text = action.text; break;
    case FormAction::Kind::Tick: c->checked = action.value ? 1 : 0; break;
    case FormAction::Kind::Select:
      if (action.value < 0 || action.value >= static_cast<int>(c->items.size())) break;
      c->selected = action.value;
      if (c->kind == ControlKind::Combo) c->text = c->items[static_cast<size_t>(action.value)];
      break;
    case FormAction::Kind::Click:
    case FormAction::Kind::Close: break;
  }
}

std::string masked(const std::string& text) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); i += cp950::charBytes(text, i)) ++chars;
  return std::string(chars, '*');
}

std::string shownLine(const Form& form, const ScriptLine& line) {
  if (line.action.kind != FormAction::Kind::Type) return line.line;
  const Control* c = form.find(line.action.control);
  if (!c || c->kind != ControlKind::Password) return line.line;
  return line.line.substr(0, line.textAt) + masked(line.action.text);
}
