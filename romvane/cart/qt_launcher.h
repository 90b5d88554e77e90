#pragma once

#include "cart/launcher.h"

namespace romvane {

// Starts outside programs through QProcess, detached, with their output discarded.
class QtLauncher : public Launcher {
 public:
  bool Start(const Command& command) override;
};

}  // namespace romvane
