#pragma once

#include "cart/launcher.h"

namespace romvane {

// Starts the emulator through QProcess, detached, with its output discarded.
class QtLauncher : public Launcher {
 public:
  bool Start(const Command& command) override;
  // The menu build script is watched: started with posix_spawn, not through a copy of
  // this process.
  StartedProcess StartWatched(const Command& command) override {
    return SpawnWatched(command, true);
  }
};

}  // namespace romvane
