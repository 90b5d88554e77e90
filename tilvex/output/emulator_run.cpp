#include "output/emulator_run.h"

#include <filesystem>

#include "common/program_search.h"
#include "common/translate.h"
#include "doc/file_writes.h"

namespace tilvex {

namespace fs = std::filesystem;

std::string FindProgram(const std::string& name) {
  return common::FindProgram(name, common::ProgramSearchPath());
}

Result PlanEmulatorRun(const std::string& configured, const std::string& nesPath,
                       const std::vector<uint8_t>& image, EmulatorCommand& command,
                       std::string (*findProgram)(const std::string&)) {
  if (!configured.empty()) {
    const std::string program = findProgram(configured);
    if (program.empty()) {
      return Result::Fail(common::TrFill("找不到模拟器程序 {0}(设置 Emulator)。", {configured}),
                          "the emulator " + configured + " is not there");
    }
    command = {program, {nesPath}};
    return Result::Ok();
  }
  if (std::string mame = findProgram("mame"); !mame.empty()) {
    // MAME loads a machine's ROM by name from a folder named after the machine.
    const fs::path roms = fs::path(nesPath).parent_path() / "mame-roms";
    const fs::path machine = roms / kMameVt03Machine;
    std::error_code error;
    fs::create_directories(machine, error);
    Result written = WriteOutputFile((machine / "rom.bin").string(), image);
    if (!written.ok) return written;
    command = {mame, {kMameVt03Machine, "-rompath", roms.string(), "-skip_gameinfo"}};
    return Result::Ok();
  }
  if (std::string fceux = findProgram("fceux"); !fceux.empty()) {
    command = {fceux, {nesPath}};
    return Result::Ok();
  }
  return Result::Fail(
      common::Tr("找不到模拟器:请在设置 Emulator 中指定模拟器程序,或安装 MAME 或 FCEUX。"),
      "no emulator: set Emulator, or install MAME or FCEUX");
}

}  // namespace tilvex
