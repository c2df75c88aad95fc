// The unattended backend: nothing is shown and nothing waits; every event is
// one UTF-8 line of the event log, fields separated by a tab, message boxes
// answered from IC_UI_ANSWERS and then by their default button.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <span>
#include <sstream>
#include <utility>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/screen.h"

namespace {

// Where the first byte to escape stands in `u` from `from` (its size: none).
size_t firstToEscape(const std::string& u, size_t from) {
  size_t plain = from;  // most texts have nothing to escape
  while (plain < u.size()) {
    plain += std::strcspn(u.c_str() + plain, "\t\r\n\\");
    if (plain >= u.size() || u[plain] != '\0') break;
    ++plain;  // a NUL inside the text is kept as it is
  }
  return std::min(plain, u.size());
}

bool needsEscape(const std::string& u, size_t from) { return firstToEscape(u, from) < u.size(); }

std::string escapeUtf8(std::string u) {
  const size_t plain = firstToEscape(u, 0);
  if (plain >= u.size()) return u;
  std::string out(u, 0, plain);
  out.reserve(u.size() + 8);
  for (size_t i = plain; i < u.size(); ++i) {
    switch (const char c = u[i]) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string escape(const std::string& cp950Text) { return escapeUtf8(cp950::toUtf8(cp950Text)); }

const char* buttonsName(Buttons b) {
  switch (b) {
    case Buttons::Ok: return "ok";
    case Buttons::OkCancel: return "okcancel";
    case Buttons::YesNo: return "yesno";
    case Buttons::YesNoCancel: return "yesnocancel";
  }
  return "ok";
}

const char* answerName(Answer a) {
  switch (a) {
    case Answer::Ok: return "ok";
    case Answer::Cancel: return "cancel";
    case Answer::Yes: return "yes";
    case Answer::No: return "no";
  }
  return "ok";
}

bool allowed(Answer a, Buttons b) {
  switch (b) {
    case Buttons::Ok: return a == Answer::Ok;
    case Buttons::OkCancel: return a == Answer::Ok || a == Answer::Cancel;
    case Buttons::YesNo: return a == Answer::Yes || a == Answer::No;
    case Buttons::YesNoCancel: return a != Answer::Ok;
  }
  return false;
}

// Seconds as the event log writes them: whole numbers without decimals.
std::string seconds(double s) {
  std::ostringstream o;
  o << s;
  return o.str();
}

class RecordScreen : public Screen {
 public:
  RecordScreen(const std::string& logPath, const std::string& answers, OperatorScript script,
               const std::optional<std::string>& commandLine)
      : path_(logPath), script_(std::move(script)) {
    std::string a;
    for (size_t i = 0; i <= answers.size(); ++i) {
      if (i == answers.size() || answers[i] == ',') {
        answers_.push_back(a);
        a.clear();
      } else if (answers[i] != ' ') {
        a += static_cast<char>(std::tolower(static_cast<unsigned char>(answers[i])));
      }
    }
    if (answers.empty()) answers_.clear();
    // Opened once for the run (a relative name is taken from the start
    // folder, still the current one here), appending and unbuffered: every
    // event is one write at the end, so a run that dies keeps each line it
    // logged. A name the C library cannot open goes through the disk.
    log_ = std::fopen(hostPath(logPath).c_str(), "ab");
    if (log_) std::setvbuf(log_, nullptr, _IONBF, 0);
    if (commandLine) event({"start", escape(*commandLine)});
  }
  ~RecordScreen() override {
    if (log_) std::fclose(log_);
  }
  RecordScreen(const RecordScreen&) = delete;
  RecordScreen& operator=(const RecordScreen&) = delete;

  bool waits() const override { return false; }
  void showWaiting(const std::string& text) override { event({"waiting", escape(text)}); }
  void hideWaiting() override {}
  void closeWaiting() override { event({"close-waiting"}); }
  void setWaitingColour(Colour) override {}
  void showMessage(const std::string& text) override { event({"message", escape(text)}); }
  void showRed(const std::string& text, int secs) override {
    event({"red", escape(text), std::to_string(secs)});
  }
  void hideMessage() override {}
  Answer msgBox(const std::string& caption, const std::string& text, Buttons buttons, Icon,
                Answer def) override {
    Answer answer = def;
    if (next_ < answers_.size()) {
      const std::string& a = answers_[next_++];
      Answer given = a == "ok" ? Answer::Ok : a == "cancel" ? Answer::Cancel
                   : a == "yes" ? Answer::Yes : a == "no" ? Answer::No : def;
      if (allowed(given, buttons)) answer = given;
    }
    event({"msgbox", escape(caption), escape(text), buttonsName(buttons), answerName(answer)});
    return answer;
  }
  void delay(double secs, const std::string& text) override {
    event({"delay", seconds(secs), escape(text)});
  }
  void caption(const std::string& window, const std::string& text) override {
    event({"caption", window, escape(text)});
  }
  void appTitle(const std::string& text) override { event({"title", escape(text)}); }
  void listClear() override { event({"list-clear"}); }
  void listAdd(const std::string& line) override {
    // The report's thousand lines: built in place rather than through event().
    std::string l = "list\t";
    l += escape(line);
    l += '\n';
    put(l);
  }
  void listAddLines(std::span<const std::string> lines) override {
    // Each line's event as listAdd logs it, all in one write: a run that dies
    // keeps what it logged as with one write an event.
    std::string l;
    size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 6;
    l.reserve(size * 3);  // each line is converted in place, with room to grow
    for (const std::string& line : lines) {
      l += "list\t";
      const size_t at = l.size();
      cp950::appendUtf8(l, line);
      if (needsEscape(l, at)) l.replace(at, std::string::npos, escapeUtf8(l.substr(at)));
      l += '\n';
    }
    if (!l.empty()) put(l);
  }
  void show(const std::string& window) override { event({"show", window}); }
  void hideMain() override {}
  void placeMain(int, int, int, int) override {}
  bool shellOpen(const std::string& what, const std::string& params) override {
    event({"open", escape(what), escape(params)});
    return true;
  }
  std::vector<UiEvent> pump() override { return {}; }
  // The operator closes a shown window at once.
  bool windowOpen(const std::string&) override { return false; }
  void exit(int code) override { event({"exit", std::to_string(code)}); }

  void formChanged(const Form& form, const Control* c, FormChange what) override {
    if (what == FormChange::Caption) {
      event({"caption", form.name, escape(form.caption)});
      return;
    }
    if (!c) return;
    switch (what) {
      case FormChange::Text:
        event({"text", form.name, c->name,
               c->kind == ControlKind::Password ? masked(c->text) : escape(c->text)});
        break;
      case FormChange::Enabled: event({"enabled", form.name, c->name, c->enabled ? "1" : "0"}); break;
      case FormChange::Visible: event({"visible", form.name, c->name, c->visible ? "1" : "0"}); break;
      case FormChange::ItemsClear: event({"items-clear", form.name, c->name}); break;
      case FormChange::Item:
        if (!c->items.empty()) event({"item", form.name, c->name, escape(c->items.back())});
        break;
      // The event log has no events of its own for these: the procedures
      // that set them run what follows, and that is logged.
      case FormChange::Checked:
      case FormChange::Selected:
      case FormChange::Caption: break;
    }
  }
  // The window as the operator first sees it: a test checks its caption and
  // controls without pressing anything.
  void formShow(Form& form) override {
    event({"show", form.name});
    event({"caption", form.name, escape(form.caption)});
    for (const Control& c : form.controls) {
      event({"text", form.name, c.name,
             c.kind == ControlKind::Password ? masked(c.text) : escape(c.text)});
      for (const std::string& item : c.items) event({"item", form.name, c.name, escape(item)});
      event({"enabled", form.name, c.name, c.enabled ? "1" : "0"});
      event({"visible", form.name, c.name, c.visible ? "1" : "0"});
    }
  }
  void formTopmost(const Form& form) override { event({"topmost", form.name}); }
  void waitCursor(bool wait) override { event({"cursor", wait ? "wait" : "default"}); }

  // The operator script, one line after the other; an action that cannot be
  // done is logged and the next line played. Used up, or refused: closed.
  FormAction formNext(Form& form) override {
    if (!script_.refused.empty()) {
      event({"ignored", escapeUtf8(script_.refused), "unknown"});
      script_.refused.clear();
    }
    while (played_ < script_.lines.size()) {
      const ScriptLine& line = script_.lines[played_++];
      event({"action", escapeUtf8(shownLine(form, line))});
      Outcome o = judgeAction(form, line.action);
      if (o.kind == Outcome::Kind::Ignored) event({"ignored", escapeUtf8(line.action.control), o.why});
      if (o.kind != Outcome::Kind::Play) continue;
      applyAction(form, o.action);
      return o.action;
    }
    return {};
  }

 private:
  void event(std::initializer_list<std::string> fields) {
    std::string line;
    size_t size = fields.size();
    for (const std::string& f : fields) size += f.size();
    line.reserve(size);
    for (const std::string& f : fields) {
      if (!line.empty()) line += '\t';
      line += f;
    }
    line += '\n';
    put(line);
  }
  // One line of the log, in one write.
  void put(const std::string& line) {
    if (log_) std::fwrite(line.data(), 1, line.size(), log_);
    else disk_->append(path_, line);
  }
  std::FILE* log_ = nullptr;
  // Through the disk, so that a log name outside the ANSI code page opens on
  // Windows too; the screen's own, as it outlives the run's.
  std::unique_ptr<Disk> disk_ = makeRealDisk();
  std::string path_;
  OperatorScript script_;
  size_t played_ = 0;
  std::vector<std::string> answers_;
  size_t next_ = 0;
};

}  // namespace

std::unique_ptr<Screen> makeRecordScreen(System&, const std::string& logPath,
                                         const std::string& answers, OperatorScript script,
                                         const std::optional<std::string>& commandLine) {
  return std::make_unique<RecordScreen>(logPath, answers, std::move(script), commandLine);
}
