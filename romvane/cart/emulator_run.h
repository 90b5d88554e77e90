#pragma once

#include <string>

#include "cart/launcher.h"
#include "model/game_list.h"

namespace romvane {

// The emulator lies in the "bin" folder of the program directory.
std::string EmulatorPath(const std::string& programDir);

// The emulator on the last built cartridge image, rom.bin.
Command RunImageCommand(const std::string& programDir);

struct GameRun {
  Command command;
  std::string message;  // set when the game cannot be run; the command is then empty
};

// Copies the row's game byte for byte to Temp.nes in the program directory and gives
// the command that runs it.
GameRun PrepareGameRun(const GameList& list, int row, const std::string& programDir);

}  // namespace romvane
