#pragma once

// Runs a shell command line as a user's terminal would and keeps what it printed.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace tilvex {

struct CliRun {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

inline CliRun RunShell(const std::string& commandLine) {
  CliRun run;
  FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  std::array<char, 256> buffer;
  size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    run.output.append(buffer.data(), got);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace tilvex
