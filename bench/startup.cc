// bench_startup: one run of ic with an unrecognised command line against the
// simulated reader, against open_close_baseline (the least a program can do
// with the card library: load it, open and close the reader). Targets: ic at
// most twice the baseline's median time, and under 16 MB peak resident
// memory. Exits 1 when a target is missed.
#include "bench/spawn.h"

int main(int, char** argv) {
  namespace fs = std::filesystem;
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  const fs::path dir = bench::scratch("startup");
  bench::put(dir / "orvosys.ini", "[OrvoDent]\r\n");
  const auto env = bench::environment(dir);

  auto medianOf = [&](const std::vector<std::string>& args) {
    for (int i = 0; i < 3; ++i) bench::run(args, dir, env);  // warms the cache
    std::vector<double> t;
    for (int i = 0; i < 41; ++i) {
      const double s = bench::run(args, dir, env);
      if (s < 0) return -1.0;
      t.push_back(s);
    }
    return bench::median(t);
  };
  const std::vector<std::string> ic = {(bin / "ic").string(), "/NoSuchVerb"};
  const double icTime = medianOf(ic);
  const double baseTime = medianOf({(bin / "open_close_baseline").string()});
  double peak = 0;
  for (int i = 0; i < 5; ++i) peak = std::max(peak, bench::peakMb(ic, dir, env));

  std::printf("start-up: ic %.2f ms, baseline %.2f ms\n", icTime * 1e3, baseTime * 1e3);
  bool ok = bench::verdict("start-up", "ratio", icTime > 0 && baseTime > 0 ? icTime / baseTime : -1,
                           2, "x");
  ok &= bench::verdict("start-up", "ic peak resident memory", peak, 16, "MB");
  fs::remove_all(dir);
  (void)argv;
  return ok ? 0 : 1;
}
