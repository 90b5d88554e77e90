#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cart/bank_layout.h"
#include "cart/launcher.h"
#include "model/game_list.h"

namespace romvane {

constexpr int kMenuWaitAttempts = 100;
constexpr int kMenuWaitMilliseconds = 100;

struct BuildOptions {
  std::string reserveText = "6000";
  std::string programDir;  // where the make script lives and every build file goes
  Launcher* launcher = nullptr;
  // Waits between two looks for the menu binary; tests replace it.
  std::function<void(int milliseconds)> sleep;
  // Told before each look for the menu binary (attempt 1..100), so a window can show
  // progress; returns false to give up waiting.
  std::function<bool(int attempt)> onWait;
};

struct BuildResult {
  std::vector<BankBlock> ordered;  // the layout, also when a later step failed
  std::string message;             // empty when the build succeeded
};

// The make script of the menu program: "make.bat" on Windows, "make.sh" elsewhere.
std::string MakeScriptName();
Command MakeScriptCommand(const std::string& programDir);

// The whole build: roms.bin, roms.map, Gamedef.inc, the menu build and rom.bin.
BuildResult BuildCartridge(const GameList& list, const BuildOptions& options);

// The last step alone: merges the first `reserve` bytes of menu.bin into the top of
// page 0 of roms.bin and writes rom.bin. Returns the message, or empty on success.
std::string MergeMenu(const std::string& programDir, int32_t reserve);

}  // namespace romvane
