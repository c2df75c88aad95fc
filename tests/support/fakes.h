// Replacements for the disk, the clock, the system and the screen, so that the
// run frame's procedures can be driven in-process.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "card/cardlib.h"
#include "platform/platform.h"
#include "platform/profile.h"
#include "frame/run.h"
#include "platform/screen.h"
#include "tests/support/nullscreen.h"
#include "platform/wildcard.h"

// Files in memory, keyed by the path as the program spells it.
struct FakeDisk : Disk {
  // Locks another run holds: asking for one of them fails at once.
  std::vector<std::string> heldElsewhere;
  int locks = 0;  // locks taken
  std::unique_ptr<DiskLock> lock(const std::string& p, int) override {
    for (auto& h : heldElsewhere)
      if (h == p) return nullptr;
    ++locks;
    return std::make_unique<DiskLock>();
  }
  std::map<std::string, std::string> files;
  std::map<std::string, DateTime> times;
  std::vector<std::string> folders;

  bool exists(const std::string& p) override { return files.count(p) || isFolder(p); }
  bool isFolder(const std::string& p) override {
    for (auto& f : folders)
      if (f == p || f + "\\" == p) return true;
    return false;
  }
  std::optional<int64_t> length(const std::string& p) override {
    if (!files.count(p)) return std::nullopt;
    return static_cast<int64_t>(files[p].size());
  }
  std::optional<DateTime> modified(const std::string& p) override {
    if (!times.count(p)) return std::nullopt;
    return times[p];
  }
  bool read(const std::string& p, std::string& out) override {
    if (!files.count(p)) return false;
    out = files[p];
    return true;
  }
  bool readAt(const std::string& p, int64_t off, size_t n, std::string& out) override {
    if (!files.count(p)) return false;
    const std::string& f = files[p];
    out = static_cast<size_t>(off) < f.size() ? f.substr(static_cast<size_t>(off), n) : "";
    return true;
  }
  bool write(const std::string& p, const std::string& d) override {
    if (!folderOk(p)) return false;
    files[p] = d;
    return true;
  }
  bool writeAt(const std::string& p, int64_t off, const std::string& d) override {
    if (!folderOk(p)) return false;
    std::string& f = files[p];
    if (f.size() < static_cast<size_t>(off) + d.size()) f.resize(static_cast<size_t>(off) + d.size(), '\0');
    f.replace(static_cast<size_t>(off), d.size(), d);
    return true;
  }
  bool append(const std::string& p, const std::string& d) override {
    if (!folderOk(p)) return false;
    files[p] += d;
    return true;
  }
  bool copy(const std::string& a, const std::string& b) override {
    if (!files.count(a) || !folderOk(b)) return false;
    files[b] = files[a];
    if (times.count(a)) times[b] = times[a];  // a copy keeps the time
    return true;
  }
  bool rename(const std::string& a, const std::string& b) override {
    if (!files.count(a)) return false;
    files[b] = files[a];
    files.erase(a);
    return true;
  }
  bool remove(const std::string& p) override { return files.erase(p) > 0; }
  bool makeFolder(const std::string& p) override {
    folders.push_back(p);
    return true;
  }
  std::vector<std::string> list(const std::string& folder, const std::string& pattern) override {
    std::vector<std::string> names;
    std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
    for (auto& [p, d] : files)
      if (p.rfind(prefix, 0) == 0 && p.find('\\', prefix.size()) == std::string::npos &&
          matchesPattern(p.substr(prefix.size()), pattern))
        names.push_back(p.substr(prefix.size()));
    return names;
  }

 private:
  // A file in a folder path must have its folder registered, except bare names
  // and the working folder "w:\".
  bool folderOk(const std::string& p) {
    size_t s = p.find_last_of('\\');
    if (s == std::string::npos || s <= 2) return true;
    return isFolder(p.substr(0, s));
  }
};

// A clock that moves only when the program waits.
struct FakeClock : Clock {
  DateTime today{2026, 12, 8, 9, 30, 45};
  int64_t ms = 1000000;
  DateTime now() override { return today; }
  int64_t steadyMs() override { return ms; }
  void sleepMs(int n) override { ms += n; }
};

struct FakeSystem : System {
  explicit FakeSystem(Disk& d) : disk(d) {}
  Disk& disk;
  std::string cmd, exe = "ic", cwd = "w:";
  std::map<std::string, std::string> envs;
  std::vector<std::string> opened;
  std::string commandLine() override { return cmd; }
  std::string exeBaseName() override { return exe; }
  std::string currentFolder() override { return cwd; }
  bool setCurrentFolder(const std::string& p) override {
    if (!disk.isFolder(p)) return false;
    cwd = p;
    return true;
  }
  std::string profileString(const std::string& s, const std::string& k, const std::string& d,
                            const std::string& f, int size) override {
    std::string content;
    bool found = disk.read(path(f), content);
    return readProfile(content, found, s, k, d, size).text;
  }
  bool writeProfileString(const std::string& s, const std::string& k, const std::string& v,
                          const std::string& f) override {
    std::string content;
    disk.read(path(f), content);
    return disk.write(path(f), writeProfile(content, s, k, v));
  }
  std::unique_ptr<Library> loadLibrary(const std::string&) override { return nullptr; }
  bool shellOpen(const std::string& w, const std::string&) override {
    opened.push_back(w);
    return true;
  }
  bool activateWindow(const std::string&) override { return false; }
  std::optional<std::string> env(const char* n) override {
    if (!envs.count(n)) return std::nullopt;
    return envs[n];
  }
  static std::string path(const std::string& f) {
    return f.find_first_of("\\:") == std::string::npos ? "c:\\windows\\" + f : f;
  }
};

// Records what the program showed; hands out operator actions on pump.
struct FakeScreen : NullScreen {
  std::vector<std::string> events;  // "kind|text|..." in CP950
  std::vector<UiEvent> pending;
  bool wait = true;
  int pumps = 0;
  bool waits() const override { return wait; }
  void showWaiting(const std::string& t) override { events.push_back("waiting|" + t); }
  void closeWaiting() override { events.push_back("close-waiting"); }
  void setWaitingColour(Colour c) override { colours.push_back(c); }
  void showMessage(const std::string& t) override { events.push_back("message|" + t); }
  void showRed(const std::string& t, int s) override {
    events.push_back("red|" + t + "|" + std::to_string(s));
  }
  void hideMessage() override { events.push_back("hide-message"); }
  Answer msgBox(const std::string& c, const std::string& t, Buttons, Icon, Answer d) override {
    events.push_back("msgbox|" + c + "|" + t);
    return d;
  }
  void caption(const std::string& w, const std::string& t) override { events.push_back("caption|" + w + "|" + t); }
  void listClear() override { events.push_back("list-clear"); }
  void listAdd(const std::string& l) override { events.push_back("list|" + l); }
  void show(const std::string& w) override { events.push_back("show|" + w); }
  bool shellOpen(const std::string& w, const std::string&) override {
    events.push_back("open|" + w);
    return true;
  }
  std::vector<UiEvent> pump() override {
    ++pumps;
    std::vector<UiEvent> e;
    e.swap(pending);
    return e;
  }
  void exit(int code) override { events.push_back("exit " + std::to_string(code)); }
  std::vector<Colour> colours;
};

// The run frame over fakes, with a card library of the test's own functions.
struct FakeRun {
  FakeDisk disk;
  FakeClock clock;
  FakeSystem sys{disk};
  FakeScreen screen;
  CardLib card;
  Run run{disk, clock, sys, screen, card};
  FakeRun() { run.settings.workDir = "w:\\"; }
};
