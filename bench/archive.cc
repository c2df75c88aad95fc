// bench_archive: the card-record archive on full stores (32767 records:
// 49 MB of card reads, 98 MB of treatments) on the real disk. Prints the
// median of several runs of each operation and checks it against its limit:
// a save or a "/DataCase/" lookup 1 ms on a warm cache, an index rebuild of a
// full store 200 ms, the migration of 5000 older files 1 s, and a peak
// resident memory under 16 MB whatever the store size. Exits 1 when a limit
// is missed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "store/store.h"
#include "upload/archive.h"
#include "card/cardlib.h"
#include "platform/cp950.h"
#include "platform/platform.h"
#include "frame/run.h"
#include "platform/screen.h"
#include "tests/support/nullscreen.h"
#include "frame/vbtext.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 9;
constexpr int kOlderFiles = 5000;


std::string key(int i) { return "P" + zeroPad(i, 9); }

// A store of `count` records and its index, written a record at a time.
void writeStore(const fs::path& store, const fs::path& index, int count, size_t record) {
  std::ofstream s(store, std::ios::binary | std::ios::trunc),
      x(index, std::ios::binary | std::ios::trunc);
  std::string r;
  for (int i = 1; i <= count; ++i) {
    r = key(i) + "card text of holder " + std::to_string(i) + "\r\n";
    r.resize(record, ' ');
    s.write(r.data(), static_cast<std::streamsize>(r.size()));
    x.write(r.data(), kArchiveKeyWidth);
  }
}

// Cuts a store and its index back to `count` records.
void cutStore(const fs::path& store, const fs::path& index, int count, size_t record) {
  fs::resize_file(store, static_cast<uintmax_t>(count) * record);
  fs::resize_file(index, static_cast<uintmax_t>(count) * kArchiveKeyWidth);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Milliseconds of `op`, each run after its own untimed `prepare`.
double timeMs(const std::function<void()>& prepare, const std::function<void()>& op) {
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    auto t0 = std::chrono::steady_clock::now();
    op();
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return median(ms);
}

// Peak resident memory in MB, where the system reports it (Linux).
double peakResidentMb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return -1;
}

bool report(const char* what, double value, double limit, const char* unit) {
  const bool ok = value >= 0 && value <= limit;
  if (value < 0) {
    std::printf("archive: %s not measured here\n", what);
    return true;
  }
  std::printf("archive: %s %.3f %s (target <= %g %s) %s\n", what, value, unit, limit, unit,
              ok ? "ok" : "OVER");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("ic-archive-perf-" + std::to_string(rd()));
  fs::create_directories(dir / "ic" / "data");
  const fs::path z = dir / "ic" / "dataZ", zi = dir / "ic" / "dataZ.ind";
  const fs::path z2 = dir / "ic" / "dataZ2", z2i = dir / "ic" / "dataZ2.ind";
  writeStore(z, zi, kArchiveMaxRecords, kCardReadRecord);
  writeStore(z2, z2i, kArchiveMaxRecords, kTreatmentRecord);

  std::unique_ptr<System> sys = makeRealSystem(argc, argv);
  std::unique_ptr<Disk> disk = makeRealDisk();
  std::unique_ptr<Clock> clock = makeRealClock();
  NullScreen screen;
  CardLib card;
  const std::string workDir = cp950::fromUtf8(dir.string()) + "\\";
  // A run of its own for every operation, as every process of the program has.
  auto fresh = [&] {
    auto r = std::make_unique<Run>(*disk, *clock, *sys, screen, card);
    r->settings.workDir = workDir;
    return r;
  };
  auto none = [] {};
  bool ok = true;
  const std::string last = key(kArchiveMaxRecords);

  std::printf("archive: stores of %d records (%.0f MB and %.0f MB), medians of %d runs\n",
              kArchiveMaxRecords, static_cast<double>(fs::file_size(z)) / 1e6,
              static_cast<double>(fs::file_size(z2)) / 1e6, kRuns);

  auto saveCard = [&] { auto r = fresh();
    save1500file(r->disk, r->settings.workDir, last, "a new card read\r\n"); };
  saveCard();  // warms the cache
  ok &= report("save1500file, last holder", timeMs(none, saveCard), 1, "ms");
  auto saveTreatment = [&] { auto r = fresh();
    save3000file(r->disk, r->settings.workDir, last, "a treatment\r\n"); };
  saveTreatment();
  ok &= report("save3000file, last holder", timeMs(none, saveTreatment), 1, "ms");
  auto cutOne = [&] { cutStore(z, zi, kArchiveMaxRecords - 1, kCardReadRecord); };
  ok &= report("save1500file, new holder", timeMs(cutOne, saveCard), 1, "ms");
  writeStore(z, zi, kArchiveMaxRecords, kCardReadRecord);

  auto lookup = [&] {
    auto r = fresh();
    r->C = "/DataCase/" + last;
    cmd_DataCase(*r);
  };
  lookup();
  ok &= report("/DataCase/ lookup, last holder", timeMs(none, lookup), 1, "ms");

  auto maintenance = [&] { archiveMaintenance(*fresh()); };
  ok &=
      report("index rebuild, full dataZ", timeMs([&] { fs::remove(zi); }, maintenance), 200, "ms");
  ok &= report("index rebuild, full dataZ2", timeMs([&] { fs::remove(z2i); }, maintenance), 200,
               "ms");

  // Half the older files for each store, into stores that end up full.
  constexpr int kEach = kOlderFiles / 2;
  auto olderFiles = [&] {
    cutStore(z, zi, kArchiveMaxRecords - kEach, kCardReadRecord);
    cutStore(z2, z2i, kArchiveMaxRecords - kEach, kTreatmentRecord);
    for (int i = kArchiveMaxRecords - kEach + 1; i <= kArchiveMaxRecords; ++i) {
      std::ofstream(dir / "ic" / "data" / ("Z" + key(i)), std::ios::binary)
          << "older card read\r\nline 2\r\n";
      std::ofstream(dir / "ic" / "data" / ("Z" + key(i) + "_2"), std::ios::binary)
          << "older treatment\r\n";
    }
  };
  const double migration = timeMs(olderFiles, maintenance);
  const bool allMoved = fs::is_empty(dir / "ic" / "data") &&
                        fs::file_size(z) == uintmax_t{kArchiveMaxRecords} * kCardReadRecord &&
                        fs::file_size(z2i) == uintmax_t{kArchiveMaxRecords} * kArchiveKeyWidth;
  ok &= report("migration of 5000 older files", migration, 1000, "ms");
  if (!allMoved) {
    std::printf("the migration left older files or stores of the wrong size\n");
    ok = false;
  }

  const double peak = peakResidentMb();
  if (peak >= 0) {
    std::printf("archive: peak resident memory %.1f MB (target < 16 MB) %s\n", peak,
                peak < 16 ? "ok" : "OVER");
    ok &= peak < 16;
  }

  std::error_code ec;
  fs::remove_all(dir, ec);
  return ok ? 0 : 1;
}
