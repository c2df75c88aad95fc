// What the benchmarks of whole runs share: a scratch folder, starting a
// program and timing it, its peak resident memory, medians and the verdict
// lines. POSIX only, like the benchmarks.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

namespace fs = std::filesystem;

inline fs::path scratch(const std::string& name) {
  std::random_device rd;
  fs::path dir = fs::temp_directory_path() / ("ic-bench-" + name + "-" + std::to_string(rd()));
  fs::create_directories(dir);
  return dir;
}

inline void put(const fs::path& file, const std::string& data) {
  std::ofstream(file, std::ios::binary) << data;
}

// The environment of the benchmark with the program's unattended settings
// pointing into `dir`.
inline std::vector<std::string> environment(const fs::path& dir) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const char* own : {"IC_UI=record", "IC_UI_LOG=ui.log", "CSHIS_SIM=cshis-sim.json",
                          "CSHIS_SIM_LOG=cshis-sim.log"})
    env.push_back(own);
  env.push_back("IC_DRIVE_ROOT=" + (dir / "drives").string());
  return env;
}

// Runs argv in `dir` and waits; the seconds it took, or -1 when it failed.
// `cpu`, when given, receives the processor seconds the program used (user
// and system): on a machine shared with other work, what the program costs
// without the time it waited for a processor.
inline double run(const std::vector<std::string>& argv, const fs::path& dir,
                  const std::vector<std::string>& env, double* cpu = nullptr) {
  std::vector<char*> a, e;
  for (const std::string& s : argv) a.push_back(const_cast<char*>(s.c_str()));
  for (const std::string& s : env) e.push_back(const_cast<char*>(s.c_str()));
  a.push_back(nullptr);
  e.push_back(nullptr);
  const fs::path back = fs::current_path();
  fs::current_path(dir);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, a[0], nullptr, nullptr, a.data(), e.data());
  int status = 0;
  struct rusage usage {};
  if (spawned == 0) wait4(pid, &status, 0, &usage);
  const auto t1 = std::chrono::steady_clock::now();
  if (cpu)
    *cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  fs::current_path(back);
  if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(t1 - t0).count();
}

// The peak resident memory of one run of argv in MB, read by GNU time: a
// child started from this process would be charged with this process's pages.
inline double peakMb(const std::vector<std::string>& argv, const fs::path& dir,
                     const std::vector<std::string>& env) {
  const fs::path out = dir / "rss";
  std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", out.string()};
  timed.insert(timed.end(), argv.begin(), argv.end());
  if (run(timed, dir, env) < 0) return -1;
  std::ifstream f(out);
  double kb = -1;
  f >> kb;
  return kb < 0 ? -1 : kb / 1024.0;
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

// One verdict line; false when the target was missed.
inline bool verdict(const char* bench, const char* what, double value, double target,
                    const char* unit) {
  const bool ok = value >= 0 && value <= target;
  std::printf("%s: %s %.2f %s (target <= %g %s) %s\n", bench, what, value, unit, target, unit,
              value < 0 ? "FAILED" : ok ? "ok" : "OVER");
  return ok;
}

}  // namespace bench
