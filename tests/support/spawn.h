// Starting a program and waiting for it to end, as the clinic program starts
// ic: used by the end-to-end tests. Paths and arguments are the platform's own
// (UTF-8 on POSIX). The command line the program sees is `commandLine` exactly:
// on POSIX it is passed as one argument, so the program's joined arguments are
// that text; on Windows it follows the program name after one blank.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct SpawnResult {
  int exitCode = -1;
  bool timedOut = false;
};

SpawnResult spawnAndWait(const std::string& program, const std::string& commandLine,
                         const std::string& folder,
                         const std::vector<std::pair<std::string, std::string>>& env,
                         int timeoutSeconds);
