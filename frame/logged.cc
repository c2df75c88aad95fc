#include "frame/logged.h"

#include "platform/cp950.h"
#include "frame/runlog.h"

namespace {

std::string bytes(size_t n) { return " (" + std::to_string(n) + " bytes)"; }

void clearError() { clearSystemError(); }

}  // namespace

void LoggedDisk::failed(const char* what, const std::string& path, const std::string& detail) {
  std::string why = systemErrorText();
  if (why.empty()) why = "refused";
  log_.line("file", std::string("NOT ") + what + " " + path + detail + ": " + why);
}

bool LoggedDisk::write(const std::string& path, const std::string& data) {
  clearError();
  const bool ok = d_.write(path, data);
  if (!log_.wanted()) return ok;
  if (ok) log_.line("file", "written " + path + bytes(data.size()));
  else failed("written", path, bytes(data.size()));
  return ok;
}

bool LoggedDisk::writeAt(const std::string& path, int64_t offset, const std::string& data) {
  clearError();
  const bool ok = d_.writeAt(path, offset, data);
  if (!ok && log_.wanted()) failed("written", path, " at byte " + std::to_string(offset) + bytes(data.size()));
  return ok;
}

bool LoggedDisk::append(const std::string& path, const std::string& data) {
  clearError();
  const bool ok = d_.append(path, data);
  if (!ok && log_.wanted()) failed("appended to", path, bytes(data.size()));
  return ok;
}

bool LoggedDisk::copy(const std::string& from, const std::string& to) {
  clearError();
  const bool ok = d_.copy(from, to);
  if (!log_.wanted()) return ok;
  if (ok) log_.line("file", "copied " + from + " -> " + to);
  else failed("copied", from + " -> " + to, "");
  return ok;
}

bool LoggedDisk::replaceWithCopy(const std::string& from, const std::string& to) {
  clearError();
  const bool ok = d_.replaceWithCopy(from, to);
  if (!log_.wanted()) return ok;
  if (ok) log_.line("file", "copied " + from + " -> " + to);
  else failed("copied", from + " -> " + to, "");
  return ok;
}

bool LoggedDisk::rename(const std::string& from, const std::string& to) {
  clearError();
  const bool ok = d_.rename(from, to);
  if (!log_.wanted()) return ok;
  if (ok) log_.line("file", "renamed " + from + " -> " + to);
  else failed("renamed", from + " -> " + to, "");
  return ok;
}

bool LoggedDisk::remove(const std::string& path) {
  clearError();
  const bool ok = d_.remove(path);
  if (!log_.wanted()) return ok;
  if (ok) log_.line("file", "removed " + path);
  else failed("removed", path, "");
  return ok;
}

bool LoggedDisk::makeFolder(const std::string& path) {
  clearError();
  const bool ok = d_.makeFolder(path);
  if (!ok && log_.wanted()) failed("made (folder)", path, "");
  return ok;
}

void LoggedScreen::showWaiting(const std::string& text) {
  log_.line("screen", "waiting: " + text);
  s_.showWaiting(text);
}

void LoggedScreen::showMessage(const std::string& text) {
  log_.line("screen", "message: " + text);
  s_.showMessage(text);
}

void LoggedScreen::showRed(const std::string& text, int seconds) {
  log_.line("screen", "red for " + std::to_string(seconds) + " s: " + text);
  s_.showRed(text, seconds);
}

Answer LoggedScreen::msgBox(const std::string& caption, const std::string& text, Buttons buttons,
                            Icon icon, Answer defaultAnswer) {
  const Answer a = s_.msgBox(caption, text, buttons, icon, defaultAnswer);
  static const char* const kAnswers[] = {"OK", "Cancel", "Yes", "No"};
  const int i = static_cast<int>(a);
  log_.line("screen", "message box \"" + caption + "\": " + text + " -> " +
                          (i >= 0 && i < 4 ? kAnswers[i] : "?"));
  return a;
}

void LoggedScreen::delay(double seconds, const std::string& text) {
  log_.line("screen", "count-down " + std::to_string(static_cast<long long>(seconds)) + " s: " + text);
  s_.delay(seconds, text);
}

void LoggedScreen::show(const std::string& window) {
  log_.line("screen", "window shown: " + window);
  s_.show(window);
}

bool LoggedScreen::shellOpen(const std::string& what, const std::string& params) {
  // The parameters may carry a password: only what is opened, up to its query.
  log_.line("screen", "open: " + what.substr(0, what.find('?')));
  return s_.shellOpen(what, params);
}

void LoggedScreen::formShow(Form& form) {
  log_.line("screen", "window shown: " + form.name);
  s_.formShow(form);
}

void LoggedScreen::formClose(const Form& form) {
  log_.line("screen", "window closed: " + form.name);
  s_.formClose(form);
}
