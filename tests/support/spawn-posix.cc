#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/support/spawn.h"

SpawnResult spawnAndWait(const std::string& program, const std::string& commandLine,
                         const std::string& folder,
                         const std::vector<std::pair<std::string, std::string>>& env,
                         int timeoutSeconds) {
  SpawnResult r;
  pid_t pid = fork();
  if (pid < 0) return r;
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    for (auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    if (!commandLine.empty()) argv.push_back(const_cast<char*>(commandLine.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  while (true) {
    pid_t w = waitpid(pid, &status, WNOHANG);
    if (w == pid) break;
    if (w < 0) return r;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      r.timedOut = true;
      return r;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}
