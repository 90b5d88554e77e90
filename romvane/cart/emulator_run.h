#pragma once

#include <string>
#include <vector>

#include "cart/launcher.h"
#include "model/game_list.h"

namespace romvane {

// The console's own emulator lies in the "bin" folder of the program directory.
std::string EmulatorPath(const std::string& programDir);

// Where an emulator is looked for when the program directory has none: the setting
// "Emulator", the environment variable ROMVANE_EMULATOR, then fceux, which knows the
// cartridge's mapping. Names without a "/" are searched in `searchPath`.
struct EmulatorSearch {
  std::string setting;
  std::string environment;
  std::vector<std::string> searchPath;
};

// The search as this process sees it: the settings file, its environment, PATH and
// /usr/games, where Debian puts emulators.
EmulatorSearch SystemEmulatorSearch();

// The settings file: $XDG_CONFIG_HOME/romvane/settings.ini (else ~/.config/...), lines of
// "Key=Value"; empty when it cannot be found.
std::string SettingsPath();
std::string ReadSetting(const std::string& path, const std::string& key);

struct EmulatorChoice {
  std::string program;       // empty when none was found
  bool ownEmulator = false;  // bin/qorvin, which takes the headerless rom.bin
  std::string message;       // names what was tried when none was found
};

EmulatorChoice ChooseEmulator(const std::string& programDir, const EmulatorSearch& search);

struct GameRun {
  Command command;
  std::string message;  // set when the game cannot be run; the command is then empty
};

// The emulator on the last built cartridge: rom.bin for the console's own emulator,
// rom.nes for any other.
GameRun RunImageCommand(const std::string& programDir,
                        const EmulatorSearch& search = SystemEmulatorSearch());

// Copies the row's game byte for byte to Temp.nes in the program directory and gives
// the command that runs it.
GameRun PrepareGameRun(const GameList& list, int row, const std::string& programDir,
                       const EmulatorSearch& search = SystemEmulatorSearch());

}  // namespace romvane
