#pragma once

#include <string>
#include <vector>

namespace romvane {

// An outside program to start without waiting for it: the menu build script or the
// emulator. Arguments are passed one by one, never split at spaces.
struct Command {
  std::string program;
  std::vector<std::string> args;
  std::string workingDir;
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts the command detached, its output discarded. False when it could not start.
  virtual bool Start(const Command& command) = 0;
};

// dir + "/" + name, without doubling a separator the directory already ends with.
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace romvane
