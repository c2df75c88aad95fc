// bench_upload: "/UpLoadData10000" against the simulated reader with 10,000
// source records (2 MB) in UpLoadA.txt. Targets: the median run at most
// 100 ms, ic under 16 MB peak resident memory, and every record archived.
// Exits 1 when a target is missed.
#include <ctime>

#include "bench/spawn.h"

int main() {
  namespace fs = std::filesystem;
  constexpr int kRecords = 10000;
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  const fs::path dir = bench::scratch("upload");
  const std::time_t now = std::time(nullptr);
  char year[8];
  std::strftime(year, sizeof year, "%Y", std::localtime(&now));

  bench::put(dir / "orvosys.ini", "[OrvoDent]\r\n");
  std::string xml;
  for (int i = 0; i < 1000; ++i) xml += "<upload/>\r\n";
  bench::put(dir / "UpLoadA.XML", xml);
  // Written once and copied before each run, never held by this process.
  {
    std::ofstream t(dir / "source.tmpl", std::ios::binary);
    char key[16];
    for (int i = 0; i < kRecords; ++i) {
      std::snprintf(key, sizeof key, "A%09d", i);
      t << key << std::string(188, ' ') << "\r\n";
    }
  }
  bench::put(dir / "cshis-sim.json",
             std::string(R"({"readers": {"1": {"sam": {"status": 2, "institution": "3501234567",)") +
                 R"( "samId": "000000012345"}}}, "upload": {"uploadTime": ")" + year +
                 R"(1208093045", "receiveTime": ")" + year + R"(1208093050"}})");
  const auto env = bench::environment(dir);
  const std::vector<std::string> ic = {(bin / "ic").string(),
                                       "/UpLoadData" + std::to_string(kRecords)};

  auto prepare = [&] {
    fs::copy_file(dir / "source.tmpl", dir / "UpLoadA.txt", fs::copy_options::overwrite_existing);
    fs::remove_all(dir / "ic");
  };
  // Every record of the source, 200 bytes each, in this month's archive.
  auto archived = [&] {
    if (!fs::is_directory(dir / "ic")) return false;
    for (const auto& e : fs::directory_iterator(dir / "ic"))
      if (e.path().filename().string().rfind("UpA", 0) == 0)
        return e.file_size() == uintmax_t{kRecords} * 200;
    return false;
  };
  std::vector<double> times;
  bool allArchived = true;
  double peak = 0;
  for (int i = 0; i < 15; ++i) {
    prepare();
    times.push_back(bench::run(ic, dir, env));
    allArchived &= archived();
  }
  for (int i = 0; i < 3; ++i) {
    prepare();
    peak = std::max(peak, bench::peakMb(ic, dir, env));
  }

  bool ok = bench::verdict("upload", "10000 records archived in", bench::median(times) * 1e3, 100,
                           "ms");
  ok &= bench::verdict("upload", "ic peak resident memory", peak, 16, "MB");
  if (!allArchived) {
    std::printf("upload: the archive was not written whole\n");
    ok = false;
  }
  fs::remove_all(dir);
  return ok ? 0 : 1;
}
