#include "cart/emulator_run.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "cart/nes_image.h"
#include "common/file_io.h"
#include "common/program_search.h"
#include "common/translate.h"

namespace romvane {
namespace {

// An iNES image holds at most 255 PRG and 255 CHR units and a trainer; anything far
// beyond that is not a game.
constexpr size_t kMaxGameFileBytes = 64 << 20;

std::string Trimmed(std::string text) {
  const char* space = " \t\r\n";
  text.erase(0, text.find_first_not_of(space));
  text.erase(text.find_last_not_of(space) + 1);
  return text;
}

}  // namespace

std::string EmulatorPath(const std::string& programDir) {
#ifdef _WIN32
  return JoinPath(programDir, "bin\\qorvin.exe");
#else
  return JoinPath(programDir, "bin/qorvin");
#endif
}

std::string SettingsPath() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
    return JoinPath(JoinPath(config, "romvane"), "settings.ini");
  if (const char* home = std::getenv("HOME"); home && *home)
    return JoinPath(JoinPath(home, ".config/romvane"), "settings.ini");
  return {};
}

std::string ReadSetting(const std::string& path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos && Trimmed(line.substr(0, equals)) == key)
      return Trimmed(line.substr(equals + 1));
  }
  return {};
}

EmulatorSearch SystemEmulatorSearch() {
  EmulatorSearch search;
  if (const std::string settings = SettingsPath(); !settings.empty())
    search.setting = ReadSetting(settings, "Emulator");
  if (const char* env = std::getenv("ROMVANE_EMULATOR")) search.environment = Trimmed(env);
  search.searchPath = common::ProgramSearchPath();
  return search;
}

EmulatorChoice ChooseEmulator(const std::string& programDir, const EmulatorSearch& search) {
  EmulatorChoice choice;
  const std::string own = EmulatorPath(programDir);
#ifdef _WIN32
  // The console's own emulator is the only one this system knows of there.
  choice.program = own;
  choice.ownEmulator = true;
  return choice;
#else
  if (!common::FindProgram(own, {}).empty()) {  // a path: found when it runs
    choice.program = own;
    choice.ownEmulator = true;
    return choice;
  }
  std::string tried = own;
  for (const std::string& name : {search.setting, search.environment, std::string("fceux")}) {
    if (name.empty()) continue;
    choice.program = common::FindProgram(name, search.searchPath);
    if (!choice.program.empty()) return choice;
    tried += ", " + name;
  }
  choice.message = common::TrFill("找不到模拟器!已试过: {0}", {tried});
  return choice;
#endif
}

GameRun RunImageCommand(const std::string& programDir, const EmulatorSearch& search) {
  GameRun run;
  const EmulatorChoice emulator = ChooseEmulator(programDir, search);
  if (emulator.program.empty()) {
    run.message = emulator.message;
    return run;
  }
  // Absolute, since the emulator starts in the program directory; a name beginning with "-"
  // would also be read as an option.
  const std::string image = common::AbsolutePath(
      emulator.ownEmulator ? JoinPath(programDir, "rom.bin") : NesImagePath(programDir));
  run.command = {emulator.program, {image}, common::AbsolutePath(programDir)};
  return run;
}

GameRun PrepareGameRun(const GameList& list, int row, const std::string& programDir,
                       const EmulatorSearch& search) {
  GameRun run;
  const GameEntry* entry = list.EntryForRow(row);
  if (!entry) {
    run.message = common::Tr("请选择一个有效的游戏!");
    return run;
  }
  const EmulatorChoice emulator = ChooseEmulator(programDir, search);
  if (emulator.program.empty()) {
    run.message = emulator.message;
    return run;
  }
  // Replaced whole, so the emulator never sees a half-copied game.
  const std::string target = JoinPath(programDir, "Temp.nes");
  std::vector<uint8_t> bytes;
  common::Result copied = common::ReadFileBytes(entry->path, kMaxGameFileBytes, bytes, true);
  if (copied) copied = common::WriteFileReplacing(target, bytes);
  if (!copied) {
    run.message =
        common::WithReason(common::TrFill("无法复制文件{0}到Temp.nes!", {entry->path}), copied);
    return run;
  }
  run.command = {
      emulator.program, {common::AbsolutePath(target)}, common::AbsolutePath(programDir)};
  return run;
}

}  // namespace romvane
