#include "cart/emulator_run.h"

#include <cstdint>
#include <vector>

#include "common/file_io.h"
#include "common/translate.h"

namespace romvane {
namespace {

// An iNES image holds at most 255 PRG and 255 CHR units and a trainer; anything far
// beyond that is not a game.
constexpr size_t kMaxGameFileBytes = 64 << 20;

}  // namespace

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
    run.message = common::Tr("请选择一个有效的游戏!");
    return run;
  }
  // Replaced whole, so the emulator never sees a half-copied game.
  const std::string target = JoinPath(programDir, "Temp.nes");
  std::vector<uint8_t> bytes;
  if (!common::ReadFileBytes(entry->path, kMaxGameFileBytes, bytes, true) ||
      !common::WriteFileReplacing(target, bytes)) {
    run.message = common::TrFill("无法复制文件{0}到Temp.nes!", {entry->path});
    return run;
  }
  run.command = {EmulatorPath(programDir), {target}, programDir};
  return run;
}

}  // namespace romvane
