#pragma once

#include <memory>
#include <string>
#include <vector>

namespace romvane {

// An outside program to start: the menu build script or the emulator. Arguments are
// passed one by one, never split at spaces.
struct Command {
  std::string program;
  std::vector<std::string> args;
  std::string workingDir;
};

// A started program whose end can be seen.
class WatchedProcess {
 public:
  virtual ~WatchedProcess() = default;
  // Waits at most `milliseconds` for the program to end; true once it has ended.
  virtual bool WaitForExit(int milliseconds) = 0;
  // The exit status once the program has ended by itself; -1 before, or when it was killed.
  virtual int ExitStatus() const { return -1; }
  // The last line the program wrote to its error output, when that output was kept.
  virtual std::string LastErrorLine() const { return {}; }
};

struct StartedProcess {
  bool started = false;
  std::unique_ptr<WatchedProcess> watch;  // empty when the launcher cannot tell its end
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts the command detached, its output discarded. False when it could not start.
  virtual bool Start(const Command& command) = 0;
  // Starts the command so that its end can be watched. This default starts it as Start
  // does, without a way to watch it.
  virtual StartedProcess StartWatched(const Command& command) { return {Start(command), nullptr}; }
};

// Starts the command with posix_spawn, its output discarded: the new process never
// copies the caller's memory, however large the cartridge image it holds. With keepErrors
// its error output goes to an unnamed temporary file, for LastErrorLine.
StartedProcess SpawnWatched(const Command& command, bool keepErrors = false);

// Starts every command with posix_spawn, its output discarded; the command-line program's
// launcher, which needs no window system.
class SpawnLauncher : public Launcher {
 public:
  bool Start(const Command& command) override { return SpawnWatched(command).started; }
  StartedProcess StartWatched(const Command& command) override {
    return SpawnWatched(command, true);
  }
};

// dir + "/" + name, without doubling a separator the directory already ends with.
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace romvane
