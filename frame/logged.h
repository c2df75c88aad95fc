// The run log's eyes: the disk and the screen of a run, wrapped so that every
// result file written (or not) and everything shown to the staff becomes a
// line of the run log, whoever calls them. main() wraps the real ones; the
// run sees only the interfaces. Each forwards every call unchanged: a new
// virtual of Disk or Screen must be forwarded here too.
#pragma once

#include "platform/platform.h"
#include "platform/screen.h"

class RunLog;

class LoggedDisk : public Disk {
 public:
  LoggedDisk(Disk& inner, RunLog& log) : d_(inner), log_(log) {}
  bool exists(const std::string& path) override { return d_.exists(path); }
  bool isFolder(const std::string& path) override { return d_.isFolder(path); }
  std::optional<int64_t> length(const std::string& path) override { return d_.length(path); }
  std::optional<DateTime> modified(const std::string& path) override { return d_.modified(path); }
  bool read(const std::string& path, std::string& out) override { return d_.read(path, out); }
  bool readAt(const std::string& path, int64_t offset, size_t count, std::string& out) override {
    return d_.readAt(path, offset, count, out);
  }
  bool write(const std::string& path, const std::string& data) override;
  bool writeAt(const std::string& path, int64_t offset, const std::string& data) override;
  bool append(const std::string& path, const std::string& data) override;
  bool copy(const std::string& from, const std::string& to) override;
  bool replaceWithCopy(const std::string& from, const std::string& to) override;
  bool isLink(const std::string& path) override { return d_.isLink(path); }
  std::vector<std::string> folders(const std::string& folder) override { return d_.folders(folder); }
  std::unique_ptr<OpenFolder> openFolder(const std::string& base,
                                         const std::vector<std::string>& parts) override {
    return d_.openFolder(base, parts);
  }
  bool rename(const std::string& from, const std::string& to) override;
  bool remove(const std::string& path) override;
  bool makeFolder(const std::string& path) override;
  std::vector<std::string> list(const std::string& folder, const std::string& pattern) override {
    return d_.list(folder, pattern);
  }
  std::unique_ptr<DiskLock> lock(const std::string& path, int waitMs) override {
    return d_.lock(path, waitMs);
  }
  std::unique_ptr<AppendFile> openAppend(const std::string& path, const std::string& header) override {
    return d_.openAppend(path, header);
  }

 private:
  void failed(const char* what, const std::string& path, const std::string& detail);
  Disk& d_;
  RunLog& log_;
};

class LoggedScreen : public Screen {
 public:
  LoggedScreen(Screen& inner, RunLog& log) : s_(inner), log_(log) {}
  bool waits() const override { return s_.waits(); }
  void showWaiting(const std::string& text) override;
  void hideWaiting() override { s_.hideWaiting(); }
  void closeWaiting() override { s_.closeWaiting(); }
  void setWaitingColour(Colour c) override { s_.setWaitingColour(c); }
  void showMessage(const std::string& text) override;
  void showRed(const std::string& text, int seconds) override;
  void hideMessage() override { s_.hideMessage(); }
  Answer msgBox(const std::string& caption, const std::string& text, Buttons buttons, Icon icon,
                Answer defaultAnswer) override;
  void delay(double seconds, const std::string& text) override;
  void caption(const std::string& window, const std::string& text) override {
    s_.caption(window, text);
  }
  void appTitle(const std::string& text) override { s_.appTitle(text); }
  void listClear() override { s_.listClear(); }
  void listAdd(const std::string& line) override { s_.listAdd(line); }
  void listAddLines(std::span<const std::string> lines) override { s_.listAddLines(lines); }
  void show(const std::string& window) override;
  void hideMain() override { s_.hideMain(); }
  void placeMain(int left, int top, int width, int height) override {
    s_.placeMain(left, top, width, height);
  }
  bool shellOpen(const std::string& what, const std::string& params) override;
  std::vector<UiEvent> pump() override { return s_.pump(); }
  bool windowOpen(const std::string& window) override { return s_.windowOpen(window); }
  void exit(int code) override { s_.exit(code); }
  void formShow(Form& form) override;
  void formChanged(const Form& form, const Control* control, FormChange what) override {
    s_.formChanged(form, control, what);
  }
  void formTopmost(const Form& form) override { s_.formTopmost(form); }
  void waitCursor(bool wait) override { s_.waitCursor(wait); }
  FormAction formNext(Form& form) override { return s_.formNext(form); }
  void formClose(const Form& form) override;

 private:
  Screen& s_;
  RunLog& log_;
};
