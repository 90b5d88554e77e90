#include "cart/emulator_run.h"

#include <filesystem>

namespace romvane {

std::string EmulatorPath(const std::string& programDir) {
#ifdef _WIN32
  return JoinPath(programDir, "bin\\qorvin.exe");
#else
  return JoinPath(programDir, "bin/qorvin");
#endif
}

Command RunImageCommand(const std::string& programDir) {
  return {EmulatorPath(programDir), {JoinPath(programDir, "rom.bin")}, programDir};
}

GameRun PrepareGameRun(const GameList& list, int row, const std::string& programDir) {
  GameRun run;
  const GameEntry* entry = list.EntryForRow(row);
  if (!entry) {
    run.message = "请选择一个有效的游戏!";
    return run;
  }
  // Copy beside, then rename, so the emulator never sees a half-copied game.
  const std::string target = JoinPath(programDir, "Temp.nes");
  const std::string temp = target + ".tmp~";
  std::error_code ec;
  std::filesystem::copy_file(entry->path, temp, std::filesystem::copy_options::overwrite_existing,
                             ec);
  if (!ec) std::filesystem::rename(temp, target, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    run.message = "无法复制文件" + entry->path + "到Temp.nes!";
    return run;
  }
  run.command = {EmulatorPath(programDir), {target}, programDir};
  return run;
}

}  // namespace romvane
