// bench_verbs: every verb against the fastest program doing the same work.
//
// For each case a starting folder is made once and kept in memory. One run of
// ic in it is recorded: the simulator's journal gives the card library's calls
// in order with their arguments, and the folder ic left gives the bytes it
// wrote. From them a replay script is written (bench/replay.h), all outside
// the timing; replay_baseline performs it: it loads the same library, makes
// the same calls and writes the same bytes with plain open/write/close.
// Then pairs of runs, each side started from the same restored folder, the
// order alternating from pair to pair; the verdict is the median of the
// per-pair ratios, with ic's peak resident memory (read by GNU time).
//
//   bench_verbs [pairs] [case ...]     (default 15 pairs, every case)
//
// Exits 1 when a target is missed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <set>

#include "bench/replay.h"
#include "bench/spawn.h"
#include "platform/cp950.h"

namespace {

namespace fs = std::filesystem;

// ---- folders held in memory

struct Entry {
  bool folder = false;
  std::string data;
  struct timespec mtime {};
};
using Tree = std::map<std::string, Entry>;  // relative path -> entry; parents sort first

void put(const fs::path& file, const std::string& data) {
  fs::create_directories(file.parent_path());
  bench::put(file, data);
}

std::string slurp(const fs::path& p) {
  std::string s;
  int fd = open(p.c_str(), O_RDONLY);
  if (fd < 0) return s;
  struct stat st;
  if (fstat(fd, &st) == 0) s.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < s.size()) {
    ssize_t r = read(fd, s.data() + got, s.size() - got);
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  s.resize(got);
  close(fd);
  return s;
}

Tree snapshot(const fs::path& dir) {
  Tree t;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string rel = fs::relative(it->path(), dir).string();
    Entry e;
    struct stat st;
    if (lstat(it->path().c_str(), &st) != 0) continue;
    e.folder = S_ISDIR(st.st_mode);
    e.mtime = st.st_mtim;
    if (!e.folder) e.data = slurp(it->path());
    t.emplace(rel, std::move(e));
  }
  return t;
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Makes `dir` hold exactly `tree` again, rewriting only the bytes that differ
// (a full store is never rewritten whole) and putting every file's time back.
// `suspects` are files to compare whatever their time says.
void restore(const fs::path& dir, const Tree& tree, const std::set<std::string>& suspects) {
  std::vector<fs::path> extra;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string rel = fs::relative(it->path(), dir).string();
    auto t = tree.find(rel);
    if (t == tree.end() || t->second.folder != it->is_directory()) {
      extra.push_back(it->path());
      if (it->is_directory()) it.disable_recursion_pending();
    }
  }
  for (const fs::path& p : extra) fs::remove_all(p);
  for (const auto& [rel, e] : tree) {
    const fs::path p = dir / rel;
    if (e.folder) {
      fs::create_directory(p);
      continue;
    }
    struct stat st;
    const bool present = stat(p.c_str(), &st) == 0;
    if (present && !suspects.count(rel) && st.st_size == static_cast<off_t>(e.data.size()) &&
        sameTime(st.st_mtim, e.mtime))
      continue;
    int fd = open(p.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0) continue;
    constexpr size_t kChunk = 1 << 16;
    std::string have(kChunk, '\0');
    for (size_t at = 0; at < e.data.size(); at += kChunk) {
      const size_t n = std::min(kChunk, e.data.size() - at);
      const ssize_t r = present ? pread(fd, have.data(), n, static_cast<off_t>(at)) : 0;
      if (r == static_cast<ssize_t>(n) && std::memcmp(have.data(), e.data.data() + at, n) == 0)
        continue;
      if (pwrite(fd, e.data.data() + at, n, static_cast<off_t>(at)) != static_cast<ssize_t>(n))
        std::fprintf(stderr, "bench: cannot restore %s\n", p.c_str());
    }
    if (ftruncate(fd, static_cast<off_t>(e.data.size())) != 0)
      std::fprintf(stderr, "bench: cannot restore %s\n", p.c_str());
    const struct timespec times[2] = {e.mtime, e.mtime};
    futimens(fd, times);
    close(fd);
  }
}

// ---- the replay script

// The simulator's own files: it writes them itself on both sides.
bool simulatorFile(const std::string& rel) { return rel.rfind("cshis-sim.", 0) == 0; }

struct ScriptWriter {
  std::string out;
  void byte(char c) { out += c; }
  template <class T>
  void number(T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  void text(const std::string& s) {
    number(static_cast<uint32_t>(s.size()));
    out += s;
    out += '\0';
  }
};

std::vector<std::string> split(const std::string& line, char sep) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == sep) out.emplace_back();
    else out.back() += c;
  }
  return out;
}

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return out;
}

// The journal's calls as script records; false for a function it does not know.
bool addCalls(ScriptWriter& w, const std::string& journal) {
  for (const std::string& line : split(journal, '\n')) {
    if (line.empty()) continue;
    std::vector<std::string> f = split(line, '\t');
    int fn = 0;
    while (fn < replay::kFunctionCount && f[0] != replay::kFunctions[fn]) ++fn;
    if (fn == replay::kFunctionCount) return false;
    size_t end = 1;
    while (end < f.size() && f[end].rfind("=> ", 0) != 0) ++end;
    w.byte('C');
    w.byte(static_cast<char>(fn));
    w.byte(static_cast<char>(end - 1));
    for (size_t i = 1; i < end; ++i) {
      if (f[i].rfind("buf=", 0) == 0) {
        w.byte('B');
        w.number(static_cast<int16_t>(std::atoi(f[i].c_str() + 4)));
      } else if (f[i] == "(null)") {
        w.byte('Z');
      } else {
        w.byte('T');
        w.text(cp950::fromUtf8(unescape(f[i])));
      }
    }
  }
  return true;
}

// The file operations that turn `before` into `after`, as the fastest program
// would make them: new files written whole, grown files appended to, files
// changed in place written over the changed bytes only, replaced small files
// written whole.
void addFiles(ScriptWriter& w, const Tree& before, const Tree& after) {
  constexpr size_t kSmall = 1 << 16;
  for (const auto& [rel, e] : after) {
    if (simulatorFile(rel)) continue;
    auto b = before.find(rel);
    const bool had = b != before.end() && b->second.folder == e.folder;
    if (e.folder) {
      if (!had) w.byte('M'), w.text(rel);
      continue;
    }
    if (had && b->second.data == e.data &&
        (sameTime(b->second.mtime, e.mtime) || e.data.size() >= kSmall))
      continue;
    if (!had || e.data.size() < kSmall) {
      w.byte('W'), w.text(rel), w.text(e.data);
      continue;
    }
    const std::string& old = b->second.data;
    if (e.data.size() >= old.size() && e.data.compare(0, old.size(), old) == 0) {
      w.byte('A'), w.text(rel), w.text(e.data.substr(old.size()));
      continue;
    }
    const size_t common = std::min(old.size(), e.data.size());
    size_t lo = 0;
    while (lo < common && old[lo] == e.data[lo]) ++lo;
    size_t hi = e.data.size();
    if (old.size() == e.data.size())
      while (hi > lo && old[hi - 1] == e.data[hi - 1]) --hi;
    w.byte('P'), w.text(rel);
    w.number(static_cast<int64_t>(lo));
    w.number(static_cast<int64_t>(old.size() == e.data.size() ? -1 : e.data.size()));
    w.text(e.data.substr(lo, hi - lo));
  }
  for (auto it = before.rbegin(); it != before.rend(); ++it) {
    if (simulatorFile(it->first)) continue;
    auto a = after.find(it->first);
    if (a != after.end() && a->second.folder == it->second.folder) continue;
    w.byte(it->second.folder ? 'X' : 'D'), w.text(it->first);
  }
}

// The files that differ between two trees (for the next restores).
std::set<std::string> changed(const Tree& before, const Tree& after) {
  std::set<std::string> out;
  for (const auto& [rel, e] : after) {
    auto b = before.find(rel);
    if (b == before.end() || b->second.data != e.data || !sameTime(b->second.mtime, e.mtime))
      out.insert(rel);
  }
  return out;
}

// ---- the cases

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

std::string today(const char* format, int yearOffset = 0) {
  std::time_t t = std::time(nullptr);
  std::tm tm = *std::localtime(&t);
  tm.tm_year += yearOffset;
  char b[32];
  std::strftime(b, sizeof b, format, &tm);
  return b;
}

// Today in the card's calendar, yyyMMdd.
std::string rocToday() {
  std::time_t t = std::time(nullptr);
  std::tm tm = *std::localtime(&t);
  char b[32];
  std::snprintf(b, sizeof b, "%03d%02d%02d", (tm.tm_year + 1900 - 1911) % 1000, tm.tm_mon + 1,
                tm.tm_mday);
  return b;
}

std::string num(int v, int width) {
  std::string s = std::to_string(v);
  return std::string(s.size() < static_cast<size_t>(width) ? width - s.size() : 0, '0') + s;
}

// A health card with every group full, its institutions missing from the
// institution list; a verified professional card.
std::string fullCard(const std::string& clock) {
  const std::string day = clock.substr(0, 7);
  auto list = [](int n, const std::function<std::string(int)>& one) {
    std::string s = "[";
    for (int i = 0; i < n; ++i) s += (i ? "," : "") + one(i);
    return s + "]";
  };
  const std::string hc =
      R"("status": 2, "cardNo": "000012345678", "name": "王小明", "id": "A123456789",
      "birth": "0750312", "sex": "M", "issued": "1050101", "cancelMark": "1", "insurer": "01",
      "identityMark": "3", "validUntil": "1301231", "remaining": "05", "lastSeq": ")" +
      day.substr(0, 3) + R"(0007", "emergencyTel": "0912345678", "pin": "1234",
      "organDonation": "1", "outpatientTotal": "0000012000", "inpatientTotal": "0000000000",)" +
      R"("visits": )" + list(6, [&](int i) {
        return R"({"category": "02", "newborn": " ", "time": ")" + day + num(100000 + i, 6) +
               R"(", "supplement": "1", "seq": ")" + num(7 - i, 4) + R"(", "institution": "35098765)" +
               num(i, 2) + R"(", "outpatientFee": "00001200", "outpatientCopay": "00000050",
               "inpatientFee": "00000000", "inpatientCopayShort": "0000000", "inpatientCopayLong": "0000000"})";
      }) + R"(, "majorIllness": )" + list(6, [&](int i) {
        return R"({"code": "C0)" + num(i, 2) + R"(0", "start": "1100101", "end": "1201231"})";
      }) + R"(, "diagnoses": )" + list(6, [&](int i) {
        return R"({"time": ")" + day + num(100000 + i, 6) +
               R"(", "main": "K0530", "secondary": ["K0230", "K0231", "K0232", "K0233", "K0234"]})";
      }) + R"(, "outpatientOrders": )" + list(60, [&](int i) {
        return R"({"time": ")" + day + num(100000 + i / 10, 6) + R"(", "type": ")" +
               std::to_string(1 + i % 3) + R"(", "item": "AC)" + num(45856100 + i, 8) +
               R"(", "part": "FM", "usage": "TID", "days": "03", "total": "0000900", "deliver": "01"})";
      }) + R"(, "longTermPrescriptions": )" + list(30, [&](int i) {
        return R"({"date": ")" + day + R"(", "item": "BC)" + num(i, 8) +
               R"(", "usage": "BID", "days": "28", "total": "0005600"})";
      }) + R"(, "importantOrders": )" + list(10, [&](int i) {
        return R"({"date": ")" + day + R"(", "institution": "35098765)" + num(10 + i, 2) +
               R"(", "item": "9100)" + num(i, 2) + R"(", "part": "FM", "total": "0000100"})";
      }) + R"(, "allergies": ["Penicillin", "Aspirin", "Codeine"], "yearlyTotals": )" +
      list(2, [&](int i) {
        return R"({"year": ")" + num(114 + i, 3) + R"(", "visits": "0012", "outpatientFee": "0000012000",
               "inpatientFee": "0000000000", "outpatientCopay": "00000600", "inpatientCopayShort": "00000000",
               "inpatientCopayLong": "00000000", "copayTotal": "00000600", "copayShortTotal": "00000000"})";
      }) + R"(, "prevent": )" + list(6, [&](int i) {
        return R"({"item": ")" + num(i + 1, 2) + R"(", "date": ")" + day + R"(", "institution": "35098765)" +
               num(20 + i, 2) + R"(", "code": "01"})";
      }) + R"(, "inoculations": )" + list(40, [&](int i) {
        return R"({"vaccine": "VAC)" + num(i, 3) + R"(", "date": ")" + day + R"(", "institution": "35098765)" +
               num(30 + i % 60, 2) + R"(", "batch": "BATCH)" + num(i, 7) + R"("})";
      });
  return R"({"network": true, "readers": {"1": {"clock": ")" + clock +
         R"(", "keypad": ["1234"], "sam": {"status": 2, "institution": "3501234567", "samId": "000000012345"},
      "hc": {)" + hc + R"(}, "hpc": {"status": 3, "pin": "0000"}}},
      "upload": {"uploadTime": ")" + today("%Y%m%d") + R"(093045", "receiveTime": ")" +
         today("%Y%m%d") + R"(093050"}})";
}

// An institution list of 30,000 lines, none of them the card's, downloaded
// the day before.
void institutionList(const fs::path& file) {
  std::string s;
  for (int i = 0; i < 30000; ++i)
    s += "12" + num(i, 8) + "," + cp950::fromUtf8("某某牙醫診所,台北市") + "\r\n";
  put(file, s);
  fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(24));
}

// A store of `count` records and its index, the card's holder last.
void writeStore(const fs::path& dir, const std::string& name, int count, size_t record) {
  std::string store, index;
  store.reserve(count * record);
  for (int i = 1; i <= count; ++i) {
    const std::string key = i == count ? "A123456789" : "P" + num(i, 9);
    std::string r = key + "card text of holder " + std::to_string(i) + "\r\n";
    r.resize(record, ' ');
    store += r;
    index += key;
  }
  put(dir / "ic" / name, store);
  put(dir / "ic" / (name + ".ind"), index);
}

struct Case {
  std::string name, what;
  double target;
  std::function<void(const fs::path&)> setup;
  std::string commandLine;
  // What the baseline does beside the replay: list ('L') or read ('R') these.
  std::vector<std::pair<char, std::string>> alone = {};
  // Measured against ic with this change of the folder instead of a replay.
  std::function<void(const fs::path&)> otherIc = {};
  bool memory = true;
  // Files that earlier runs leave, kept from one run of ic before the start
  // folder is taken (the institution cache).
  std::vector<std::string> primed = {};
};

void common(const fs::path& d) {
  put(d / "orvosys.ini", "[OrvoDent]\r\n");
  fs::create_directories(d / "drives");
}

void runLogOff(const fs::path& d) { put(d / "orvosys.ini", "[OrvoDent]\r\nRunLog=0\r\n"); }

// The run log as a clinic's folder holds it between two patients: today's
// file with a morning of earlier runs (the first run of a day, which makes
// the folder and the file, is once a day and not what is measured).
void earlierRunsToday(const fs::path& d) {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char name[32];
  std::snprintf(name, sizeof name, "ic%04d%02d%02d.log", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  std::string log = "\xEF\xBB\xBF";
  for (int i = 0; i < 400; ++i)
    log += "2026-12-09 08:" + num(i / 60 % 60, 2) + ":" + num(i % 60, 2) +
           ".125 [4242] card    csOpenCom(1) => 0 ok, 12 ms\r\n";
  fs::create_directories(d / "ic" / "log");
  put(d / "ic" / "log" / name, log);
}

std::vector<Case> cases() {
  const std::string clock = rocToday() + "093045";
  auto readF4 = [clock](const fs::path& d) {
    common(d);
    put(d / "cshis-sim.json", fullCard(clock));
    institutionList(d / "OTH03003.txt");
    fs::create_directories(d / "ic" / "data");
    writeStore(d, "dataZ", 32000, 1500);
  };
  auto card = [clock](const fs::path& d) {
    common(d);
    put(d / "cshis-sim.json", fullCard(clock));
    institutionList(d / "OTH03003.txt");
  };
  auto startup = [](const fs::path& d) { common(d); };
  const std::string pA = std::string(13, ' ') + "1AC45856100  " + std::string(6, ' ') + "TID" +
                         std::string(15, ' ') + "03" "0000900" "0";
  const std::string pB = clock + "389001C      16    " + std::string(18, ' ') + "  " "0000100";

  std::vector<Case> out;
  out.push_back({"readf4", "/ReadF4, archive save, 32,000 records in the store", 1.2, readF4,
                 "/ReadF4"});
  out.back().primed = {"OffsCode"};
  out.push_back({"writef2", "registration road, five prescriptions", 1.2,
                 [=](const fs::path& d) {
                   card(d);
                   put(d / "WriteF2.txt", "A123456789,\"x\"\r\n");
                   put(d / "icTreat.txt",
                              crlf({"", "A123456789", "0750312", "K0530K0230", "",
                                    "00000800000000500000000000000000000000", "5", pA, pB, pA, pB,
                                    pA}));
                 },
                 "/WriteF202" + clock.substr(5, 2) + "New256/hisWriteF2Treatment"});
  out.push_back({"upload", "/UpLoadData of 10,000 records", 1.2,
                 [=](const fs::path& d) {
                   card(d);
                   std::string xml, txt;
                   for (int i = 0; i < 1000; ++i) xml += "<upload/>\r\n";
                   for (int i = 0; i < 10000; ++i)
                     txt += "A" + num(i, 9) + std::string(188, ' ') + "\r\n";
                   put(d / "UpLoadA.XML", xml);
                   put(d / "UpLoadA.txt", txt);
                 },
                 "/UpLoadData10000"});
  out.push_back({"loadall", "/LoadAllData2, a full card", 1.2,
                 [=](const fs::path& d) {
                   card(d);
                   // A holder's history of earlier reports, near the 1 MB kept.
                   std::string history;
                   while (history.size() < 900000) history += "an earlier report line\r\n";
                   put(d / "ic" / "data" / "ZA123456789_3", history);
                 },
                 "/LoadAllData2"});
  out.back().primed = {"OffsCode"};
  out.push_back({"dental", "/DentalTreat9, a full card", 1.2, card, "/DentalTreat9"});
  out.back().primed = {"OffsCode"};
  out.push_back({"startup", "an unrecognised verb (start-up only)", 1.1, startup, "/NoSuchVerb"});
  out.push_back({"housekeeping", "housekeeping over 10,000 files, against listing them", 2,
                 [](const fs::path& d) {
                   common(d);
                   const fs::path sign = d / "ic" / "samsign";
                   fs::create_directories(sign);
                   const auto now = fs::file_time_type::clock::now();
                   for (int i = 0; i < 10000; ++i) {
                     const fs::path f = sign / ("a" + num(i, 5));
                     bench::put(f, std::string(700, 'S'));
                     // Every fourth one old enough to go.
                     fs::last_write_time(f, now - std::chrono::hours(24 * (i % 4 == 0 ? 40 : 5)));
                   }
                 },
                 "/ReportSample/", {{'L', "ic/samsign"}}});
  out.push_back({"viewer", "upload-register viewer over 50,000 records, against reading them", 2,
                 [](const fs::path& d) {
                   common(d);
                   std::string reg;
                   for (int i = 0; i < 50000; ++i) {
                     std::string r = "UpLoadA.XML" + std::string(11, ' ') + "20251208093045" +
                                     "20251208093050" + " " + num(i % 1000, 6) + num(20000 + i, 11);
                     r.resize(68, ' ');
                     reg += r + "\r\n";
                   }
                   put(d / "ic" / "ZupRn", reg);
                 },
                 "/icZupRn", {{'R', "ic/ZupRn"}}});
  out.push_back({"runlog-readf4", "/ReadF4 with the run log, against without", 1.05,
                 [=](const fs::path& d) { readF4(d), earlierRunsToday(d); }, "/ReadF4", {},
                 [=](const fs::path& d) { readF4(d), earlierRunsToday(d), runLogOff(d); }, false});
  out.back().primed = {"OffsCode"};
  out.push_back({"runlog-startup", "the start-up with the run log, against without", 1.05,
                 [=](const fs::path& d) { startup(d), earlierRunsToday(d); }, "/NoSuchVerb", {},
                 [=](const fs::path& d) { startup(d), earlierRunsToday(d), runLogOff(d); }, false});
  return out;
}

// ---- measuring

struct Side {
  fs::path dir;
  Tree start;
  std::set<std::string> suspects;
  std::vector<std::string> argv;
  std::vector<std::string> env;
};

Side prepare(const fs::path& dir, const std::function<void(const fs::path&)>& setup,
             std::vector<std::string> argv, const std::vector<std::string>& primed) {
  fs::create_directories(dir);
  setup(dir);
  Side s{dir, {}, {}, std::move(argv), bench::environment(dir)};
  if (!primed.empty()) {
    bench::run(s.argv, dir, s.env);
    std::vector<std::pair<std::string, std::string>> kept;
    for (const std::string& f : primed)
      if (fs::exists(dir / f)) kept.emplace_back(f, slurp(dir / f));
    fs::remove_all(dir);
    fs::create_directories(dir);
    setup(dir);
    for (const auto& [f, data] : kept) put(dir / f, data);
  }
  s.start = snapshot(dir);
  return s;
}

// One run from the restored folder: its processor seconds (-1 when it
// failed), its wall-clock seconds in `wall`.
double timed(Side& s, double* wall = nullptr) {
  restore(s.dir, s.start, s.suspects);
  double cpu = 0;
  const double w = bench::run(s.argv, s.dir, s.env, &cpu);
  if (wall) *wall = w;
  return w < 0 ? -1 : cpu;
}

bool measure(const Case& c, int pairs, const fs::path& bin, const fs::path& root) {
  const fs::path work = root / c.name;
  Side ic = prepare(work / "ic", c.setup, {(bin / "ic").string(), c.commandLine}, c.primed);
  Side other;
  if (c.otherIc) {
    other = prepare(work / "other", c.otherIc, ic.argv, c.primed);
  } else {
    // The recorded run of ic, and the replay made from it.
    if (bench::run(ic.argv, ic.dir, ic.env) < 0) {
      std::printf("%s: ic failed\n", c.name.c_str());
      return false;
    }
    const Tree after = snapshot(ic.dir);
    ic.suspects = changed(ic.start, after);
    ScriptWriter w;
    auto journal = after.find("cshis-sim.log");
    if (!addCalls(w, journal == after.end() ? "" : journal->second.data)) {
      std::printf("%s: the journal holds a call the replay does not know\n", c.name.c_str());
      return false;
    }
    addFiles(w, ic.start, after);
    for (const auto& [op, path] : c.alone) w.byte(op), w.text(path);
    const fs::path script = work / "replay.bin";
    bench::put(script, w.out);
    // The same starting folder, file times included.
    other.dir = work / "replay";
    fs::create_directories(other.dir);
    other.start = ic.start;
    other.argv = {(bin / "replay_baseline").string(), script.string()};
    other.env = bench::environment(other.dir);
    other.suspects = ic.suspects;
    // The baseline must leave what ic left.
    if (timed(other) < 0) {
      std::printf("%s: the baseline failed\n", c.name.c_str());
      return false;
    }
    const Tree replayed = snapshot(other.dir);
    for (const auto& [rel, e] : after) {
      auto r = replayed.find(rel);
      if (rel != "cshis-sim.log" && (r == replayed.end() || r->second.data != e.data))
        std::printf("%s: the baseline left %s otherwise than ic\n", c.name.c_str(), rel.c_str());
    }
  }

  std::vector<double> ratios, wallRatios, a, b;
  for (int i = 0; i < pairs; ++i) {
    double ta, tb, wa = 0, wb = 0;
    if (i % 2 == 0) ta = timed(ic, &wa), tb = timed(other, &wb);
    else tb = timed(other, &wb), ta = timed(ic, &wa);
    if (ta < 0 || tb < 0) {
      std::printf("%s: a run failed\n", c.name.c_str());
      return false;
    }
    a.push_back(ta), b.push_back(tb);
    ratios.push_back(ta / std::max(tb, 1e-6)), wallRatios.push_back(wa / std::max(wb, 1e-6));
    if (std::getenv("BENCH_VERBOSE"))
      std::printf("  pair %d: processor %.2f / %.2f ms, wall %.2f / %.2f ms\n", i, ta * 1e3,
                  tb * 1e3, wa * 1e3, wb * 1e3);
  }
  std::printf("%s: %s: ic %.2f ms, %s %.2f ms of processor time (medians of %d pairs;"
              " wall-clock ratio %.2f)\n",
              c.name.c_str(), c.what.c_str(), bench::median(a) * 1e3,
              c.otherIc ? "without" : "baseline", bench::median(b) * 1e3, pairs,
              bench::median(wallRatios));
  bool ok = bench::verdict(c.name.c_str(), "ratio", bench::median(ratios), c.target, "x");
  if (c.memory) {
    double peak = 0;
    for (int i = 0; i < 3; ++i) {
      restore(ic.dir, ic.start, ic.suspects);
      peak = std::max(peak, bench::peakMb(ic.argv, ic.dir, ic.env));
    }
    ok &= bench::verdict(c.name.c_str(), "ic peak resident memory", peak, 16, "MB");
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // 41 pairs: on a shared two-core machine fewer let one busy moment move a
  // median by a few hundredths.
  int pairs = 41;
  std::set<std::string> only;
  for (int i = 1; i < argc; ++i) {
    if (std::isdigit(static_cast<unsigned char>(argv[i][0]))) pairs = std::max(1, std::atoi(argv[i]));
    else only.insert(argv[i]);
  }
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  const fs::path root = bench::scratch("verbs");
  bool ok = true;
  for (const Case& c : cases())
    if (only.empty() || only.count(c.name)) ok &= measure(c, pairs, bin, root);
  if (!std::getenv("BENCH_KEEP")) fs::remove_all(root);
  else std::printf("kept %s\n", root.c_str());
  return ok ? 0 : 1;
}
