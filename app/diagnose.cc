#include "app/diagnose.h"

#include <algorithm>
#include <cstdio>

#include "card/cardlib.h"
#include "card/errors.h"
#include "card/read.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/runlog.h"
#include "frame/settings.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "platform/unzip.h"

namespace {

constexpr const char* kMissing = "\x01";  // a default no settings file holds

std::string stamp(const DateTime& t) {
  char b[32];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return b;
}

std::string folderOf(std::string dir) {
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

class Report {
 public:
  Report(System& sys, Disk& disk, Clock& clock, CardLib& lib, Run& run)
      : sys_(sys), disk_(disk), clock_(clock), lib_(lib), run_(run) {}

  std::vector<std::string> lines;  // CP950

  void add(const std::string& line) { lines.push_back(line); }
  void section(const std::string& title) {
    add("");
    add("[" + title + "]");
  }

  void folder(const std::string& start, const std::string& loadWhy) {
    (void)loadWhy;
    const std::string dir = run_.settings.workDir;
    section("Working folder");
    add("folder: " + dir);
    add(dir == folderOf(start) ? "why: orvosys.ini found in the start folder"
                               : "why: no orvosys.ini in the start folder " + start +
                                     ": Directory of c:\\orvo.ini (default c:\\orvo)");
    const std::string probe = dir + "ic-diagnose.tmp";
    const bool writable = disk_.write(probe, "ic") && disk_.remove(probe);
    add(std::string("writable: ") + (writable ? "yes" : "NO: " + systemErrorText()));
    if (auto free = freeDiskSpace(dir))
      add("free space: " + std::to_string(*free / (1024 * 1024)) + " MB");
    else
      add("free space: unknown");
  }

  void settings() {
    section("Settings (section OrvoDent)");
    const std::string sysIni = run_.settings.workDir + kSysIni;
    keys(sysIni, {"beginlink", "ic2net2", "IC4COM", "RunLog"});
    keys(kOrvoIni, {"Directory", "SoftAppHttp", "PublicHttp", "Office", "OfficeCode", "reportcode",
                    "reportType", "DeclareServer", "DeclareServerNet", "DeclareWeb", "CloudWeb"});
    add("in use: working folder " + run_.settings.workDir + ", SoftAppHttp " +
        run_.settings.softAppHttp + ", Office " + run_.settings.office + ", OfficeCode " +
        run_.settings.officeCode + ", beginlink " + std::to_string(run_.settings.beginLink));
  }

  void runLog() {
    section("Run log");
    const std::string dir = run_.settings.workDir;
    const std::string setting =
        vbTrim(sys_.profileString(kSection, "RunLog", "1", dir + kSysIni, 100));
    add("RunLog=" + setting + (setting == "0" ? " (off)" : " (on)"));
    const std::string folder = dir + runlog::kFolder;
    if (!disk_.isFolder(dir + "ic")) disk_.makeFolder(dir + "ic");
    if (!disk_.isFolder(folder)) disk_.makeFolder(folder);
    const std::string path = folder + "\\" + runlog::dayFileName(clock_.now());
    auto f = disk_.openAppend(path, runlog::kBom);
    if (!f) {
      add("today's file " + path + ": CANNOT be written (" + systemErrorText() + ")");
    } else {
      const int64_t size = f->size();
      add("today's file " + path + ": writable, " + std::to_string(size) + " bytes" +
          (size > runlog::kMaxDayBytes ? " (FULL: today's runs are not logged)" : ""));
    }
  }

  void library(const std::string& loadWhy) {
    section("Card library");
    if (!lib_.loaded()) {
      add("NOT loaded: " + loadWhy);
      add("every card call answers " + std::to_string(CardLib::kNoLibrary));
      return;
    }
    fileFacts(lib_.path());
    std::string missing;
    for (const std::string& f : lib_.missingFunctions()) missing += (missing.empty() ? "" : ", ") + f;
    add("functions missing: " + (missing.empty() ? std::string("none") : missing));
  }

  void readers() {
    section("Reader");
    if (!lib_.loaded()) {
      add("no card library: no port tried");
      return;
    }
    for (int port = 1; port <= 4; ++port) {
      const int16_t code = lib_.csOpenCom(port - 1);
      const std::string text = codeText(code);
      add("COM" + std::to_string(port) + ": csOpenCom = " + std::to_string(code) +
          (text.empty() ? "" : " " + text));
      if (code != 0) continue;
      cards();
      readerClock();
      const int16_t closed = lib_.csCloseCom();
      add("  csCloseCom = " + std::to_string(closed));
    }
  }

  void libraries() {
    section("Declaration and unzip libraries");
    library("PEAT1511B01", sys_.loadLibrary("PEAT1511B01"), "beside the program or the system's search");
    const std::string nhi = run_.settings.workDir + libraryFileName("nhi_eiiapi");
    library("nhi_eiiapi", sys_.loadLibraryFile(nhi), "in the working folder");
    const std::string unzip = unzipVersion();
    add("unzip: " + (unzip.empty() ? std::string("NOT found") : unzip));
  }

  void runs() {
    section("Last 20 runs");
    const std::string folder = run_.settings.workDir + runlog::kFolder + "\\";
    std::vector<std::string> all;
    for (const std::string& name : disk_.list(folder, "ic????????.log")) {
      std::string data;
      if (!disk_.read(folder + name, data)) continue;
      for (std::string& l : splitLines(data)) all.push_back(std::move(l));
    }
    const std::vector<std::string> last = lastRuns(all, 20);
    if (last.empty()) add("none in the log");
    for (const std::string& l : last) add(cp950::fromUtf8(l));
  }

 private:
  void keys(const std::string& file, std::initializer_list<const char*> names) {
    const bool found = disk_.exists(file);
    add(file + (found ? " (found)" : " (not found)"));
    if (!found) return;
    for (const char* key : names) {
      const std::string v = sys_.profileString(kSection, key, kMissing, file, 100);
      if (v == kMissing) continue;
      if (std::string(key) == "reportcode")
        add(std::string("  ") + key + ": " + (vbTrim(v).empty() ? "not set" : "set"));
      else
        add(std::string("  ") + key + "=" + v);
    }
  }

  void fileFacts(const std::string& path) {
    add("path: " + (path.empty() ? std::string("?") : path));
    if (path.empty()) return;
    if (auto n = disk_.length(path)) add("size: " + std::to_string(*n) + " bytes");
    if (auto m = disk_.modified(path)) add("date: " + stamp(*m));
    const std::string v = fileVersion(path);
    add("file version: " + (v.empty() ? std::string("none") : v));
  }

  void library(const std::string& name, std::unique_ptr<Library> lib, const std::string& where) {
    const std::string file = libraryFileName(name);
    if (!lib) {
      add(file + ": NOT found (" + where + ")");
      return;
    }
    const std::string p = lib->path();
    add(file + ": found " + (p.empty() ? where : p));
  }

  void cards() {
    static const std::pair<CardType, const char*> kCards[] = {
        {CardType::Sam, "SAM"}, {CardType::Health, "health card"},
        {CardType::Professional, "professional card"}};
    for (const auto& [type, name] : kCards) {
      const int16_t s = lib_.hisGetCardStatus(type);
      add(std::string("  ") + name + ": " + std::to_string(s) + " " +
          vbTrim(runlog::oneLine(statusWord(type, s))));
    }
  }

  void readerClock() {
    std::string buf(kDateTimeLength, ' ');
    int16_t len = kDateTimeLength;
    const int16_t code = lib_.csGetDateTime(buf, len);
    const DateTime now = clock_.now();
    if (code != 0) {
      const std::string text = codeText(code);
      add("  reader's clock: csGetDateTime = " + std::to_string(code) + (text.empty() ? "" : " " + text));
      return;
    }
    long long diff = 0;
    const std::string roc = buf.substr(0, 13);
    if (!clockDifference(roc, now, diff)) {
      add("  reader's clock: \"" + roc + "\" is no time");
      return;
    }
    add("  reader's clock: " + roc + " (ROC), computer: " + stamp(now) + ", difference " +
        std::to_string(diff) + " s" +
        (diff > 300 || diff < -300 ? " (WRONG: the daily upload fails with code 0)" : ""));
  }

  System& sys_;
  Disk& disk_;
  Clock& clock_;
  CardLib& lib_;
  Run& run_;
};

}  // namespace

bool clockDifference(const std::string& roc, const DateTime& computer, long long& seconds) {
  if (roc.size() < 13) return false;
  int v[6] = {};
  const int widths[6] = {3, 2, 2, 2, 2, 2};
  size_t at = 0;
  for (int i = 0; i < 6; ++i) {
    for (int k = 0; k < widths[i]; ++k) {
      const char c = roc[at++];
      if (c < '0' || c > '9') return false;
      v[i] = v[i] * 10 + (c - '0');
    }
  }
  const int year = v[0] + 1911;
  if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 || v[5] > 59)
    return false;
  auto secs = [](int y, int mo, int d, int h, int mi, int s) {
    return static_cast<long long>(daysFromCivil(y, mo, d)) * 86400 + h * 3600 + mi * 60 + s;
  };
  seconds = secs(year, v[1], v[2], v[3], v[4], v[5]) -
            secs(computer.year, computer.month, computer.day, computer.hour, computer.minute,
                 computer.second);
  return true;
}

std::vector<std::string> lastRuns(const std::vector<std::string>& logLines, size_t count) {
  // "2026-12-09 06:35:12.345 [1234] end     how=... exit=... cmd="...""
  std::vector<std::string> runs;
  for (std::string l : logLines) {
    if (l.rfind(runlog::kBom, 0) == 0) l.erase(0, 3);
    const size_t pid = l.find(" [");
    const size_t close = pid == std::string::npos ? pid : l.find("] ", pid);
    if (close == std::string::npos || l.compare(close + 2, 4, "end ") != 0) continue;
    const std::string rest = l.substr(close + 2 + 3);
    auto field = [&](const std::string& key) {
      const size_t at = rest.find(" " + key + "=");
      if (at == std::string::npos) return std::string();
      const size_t from = at + key.size() + 2;
      return rest.substr(from, rest.find(' ', from) - from);
    };
    const size_t cmd = rest.find(" cmd=\"");
    std::string command = cmd == std::string::npos ? "" : rest.substr(cmd + 6);
    if (!command.empty() && command.back() == '"') command.pop_back();
    const size_t how = rest.find("how=");
    std::string howText = how == std::string::npos ? "" : rest.substr(how + 4, rest.find(" exit=") - how - 4);
    runs.push_back(l.substr(0, 23) + "  \"" + command + "\"  " + howText + ", exit " +
                   field("exit") + ", lastStatus " + field("lastStatus"));
  }
  if (runs.size() > count) runs.erase(runs.begin(), runs.end() - static_cast<std::ptrdiff_t>(count));
  return runs;
}

int diagnose(System& sys, Disk& disk, Clock& clock, const std::string& version) {
  std::unique_ptr<Screen> screen = makeScreen(sys, sys.currentFolder());
  CardLib lib = CardLib::load(sys);
  const std::string loadWhy = lib.loaded() ? std::string() : sys.lastLoadError();
  Run run(disk, clock, sys, *screen, lib);
  run.C = sys.commandLine();
  run.exeName = sys.exeBaseName();
  int code = 0;
  try {
    const std::string start = sys.currentFolder();
    run.settings.workDir = folderOf(start);
    readSettings(run);

    Report r(sys, disk, clock, lib, run);
    r.add("ic --ic-diagnose, " + stamp(clock.now()));
    r.add("version: " + version);
    r.add("program: " + sys.exePath());
    r.folder(start, loadWhy);
    r.settings();
    r.runLog();
    r.library(loadWhy);
    r.readers();
    r.libraries();
    r.runs();

    std::string text;
    for (const std::string& l : r.lines) text += cp950::toUtf8(l) + "\r\n";
    const DateTime now = clock.now();
    char name[48];
    std::snprintf(name, sizeof name, "diag-%04d%02d%02d-%02d%02d%02d.txt", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    const std::string folder = run.settings.workDir + runlog::kFolder;
    const bool saved = disk.isFolder(folder) && disk.write(folder + "\\" + name, runlog::kBom + text);
    const std::string savedLine = saved ? "saved as " + folder + "\\" + name
                                        : "could NOT be saved under " + folder;
    text += cp950::toUtf8(savedLine) + "\r\n";
    if (!writeRedirectedStdout(text)) {
      for (const std::string& l : r.lines) listAdd(run, l);
      listAdd(run, savedLine);
      showWindow(run, "vexa5");
      try {
        waitForWindows(run);
      } catch (const EndOfRun&) {
      }
    }
  } catch (const EndOfRun& e) {
    code = e.code;
  }
  screen->exit(code);
  return code;
}
