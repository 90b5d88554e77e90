// romvane-cli: the builder's commands for scripts, over the same logic as the window.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cart/cartridge_build.h"
#include "cart/emulator_run.h"
#include "cart/launcher.h"
#include "common/cli_options.h"
#include "common/translate.h"
#include "model/game_list.h"
#include "model/list_file.h"
#include "model/paths.h"
#include "xls/list_export.h"

namespace {

using namespace romvane;
namespace cli = common::cli;

constexpr const char* kProgram = "romvane-cli";

constexpr cli::Option kDirOption{
    .name = "--dir",
    .value = "DIR",
    .help =
        "the program directory: the menu project, and where the build writes its files "
        "(default: $ROMVANE_DIR, else the per-user folder when installed, else the "
        "program's own folder)"};
constexpr cli::Option kBuildOptions[] = {
    {.name = "--reserve",
     .value = "HEX",
     .help = "bytes kept free at the top of the first page for the menu program",
     .fallback = "6000"},
    kDirOption,
};
constexpr cli::Option kDirOnly[] = {kDirOption};

struct CliCommand {
  cli::CommandSpec spec;
  int (*run)(const cli::ParsedCommand& args);
};

int Info(const cli::ParsedCommand& args);
int Build(const cli::ParsedCommand& args);
int Run(const cli::ParsedCommand& args);
int Export(const cli::ParsedCommand& args);

constexpr CliCommand kCommands[] = {
    {{.name = "info",
      .operands = "FILE.nes...",
      .summary = "Prints each game's title, PRG size, CHR size and attribute as the list shows "
                 "them."},
     Info},
    {{.name = "build",
      .operands = "LIST.sav",
      .summary = "Builds the cartridge image rom.bin from the list's games and the menu program "
                 "in the program directory.",
      .options = kBuildOptions},
     Build},
    {{.name = "run",
      .operands = "[LIST.sav N]",
      .summary = "Starts the emulator on the built cartridge, or on game N of the list: bin/qorvin "
                 "in the program directory, else the setting Emulator, $ROMVANE_EMULATOR or "
                 "fceux.",
      .options = kDirOnly},
     Run},
    {{.name = "export",
      .operands = "LIST.sav OUT.xls",
      .summary = "Writes the list as a spreadsheet workbook."},
     Export},
};

constexpr cli::CommandSpec kVersionSpec{.name = "--version", .options = kDirOnly};

void PrintMessage(const std::string& message) {
  std::string text = message;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  std::fprintf(stderr, "%s\n", text.c_str());
}

int WrongUsage(const cli::ParsedCommand& args) {
  return cli::WrongUsage(kProgram, args);
}

// The program directory for a command; prints why it cannot be used.
bool ProgramDir(const cli::ParsedCommand& args, std::string& dir) {
  const ProgramDirectory chosen = ChooseProgramDirectory(args.Get("--dir"));
  if (!chosen.error.empty()) {
    PrintMessage(std::string(kProgram) + ": " + chosen.error);
    return false;
  }
  dir = chosen.path;
  return true;
}

// Loads the list, naming every file that is not a game. A build goes on past a missing
// file and names its row; the export and a run need every file.
bool LoadList(GameList& list, const std::string& path, bool everyFile = false) {
  const LoadResult loaded = LoadListFile(list, path);
  for (const std::string& w : loaded.warnings) PrintMessage(w);
  if (!loaded.error.empty()) {
    PrintMessage(loaded.error);
    return false;
  }
  return !everyFile || loaded.missing == 0;
}

int Info(const cli::ParsedCommand& args) {
  if (args.operands.empty()) return WrongUsage(args);
  int status = 0;
  for (const std::string& path : args.operands) {
    GameList list(GameData::kHeaderOnly);
    const AddResult added = list.AddGame(path, BaseNameOf(path));
    if (list.RowCount() == 0) {
      PrintMessage(added.message);
      status = 1;
      continue;
    }
    const GameEntry& game = list.Game(0);
    std::printf("%s\t%s\t%s\t%s\n", game.title.c_str(), ColumnText(game, kColPrgSize).c_str(),
                ColumnText(game, kColChrSize).c_str(),
                ColumnText(game, kColAttribute, true).c_str());
    // A game the cartridge cannot run is still a game: said, but no failure of `info`.
    if (!added.message.empty()) PrintMessage(added.message);
    if (added.status != AddStatus::kStored) status = 1;
  }
  return status;
}

int Build(const cli::ParsedCommand& args) {
  if (args.operands.size() != 1) return WrongUsage(args);
  GameList list(GameData::kHeaderOnly);
  if (!LoadList(list, args.operands[0])) return 1;
  SpawnLauncher launcher;
  BuildOptions options;
  options.reserveText = args.Get("--reserve");
  if (!ProgramDir(args, options.programDir)) return 1;
  options.launcher = &launcher;
  options.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  const BuildResult result = BuildCartridge(list, options);
  if (!result.message.empty()) {
    PrintMessage(result.message);
    return 1;
  }
  return 0;
}

int Run(const cli::ParsedCommand& args) {
  if (!args.operands.empty() && args.operands.size() != 2) return WrongUsage(args);
  std::string dir;
  if (!ProgramDir(args, dir)) return 1;
  SpawnLauncher launcher;
  GameRun run = RunImageCommand(dir);
  if (std::string refused = NothingBuiltRefusal(dir); args.operands.empty() && !refused.empty())
    run.message = std::move(refused);
  if (args.operands.size() == 2) {
    GameList list;
    if (!LoadList(list, args.operands[0], true)) return 1;
    char* end = nullptr;
    const long number = std::strtol(args.operands[1].c_str(), &end, 10);
    const int row = (*end == '\0' && number > 0 && number <= list.RowCount())
                        ? list.RowsByNumber()[static_cast<size_t>(number - 1)]
                        : -1;
    run = PrepareGameRun(list, row, dir);
  }
  if (!run.message.empty()) {
    PrintMessage(run.message);
    return 1;
  }
  const Command& command = run.command;
  if (!launcher.Start(command)) {
    PrintMessage(common::TrFill("无法启动模拟器{0}!", {command.program}));
    return 1;
  }
  return 0;
}

int Export(const cli::ParsedCommand& args) {
  if (args.operands.size() != 2) return WrongUsage(args);
  GameList list(GameData::kHeaderOnly);
  if (!LoadList(list, args.operands[0], true)) return 1;
  const ExportResult result = WriteListWorkbook(list.Games(), args.operands[1]);
  if (!result.message.empty()) PrintMessage(result.message);
  return result.ok ? 0 : 1;
}

std::string ProgramUsage() {
  return cli::ProgramUsage(kProgram, kCommands);
}

int ProgramHelp() {
  std::fputs(ProgramUsage().c_str(), stdout);
  std::printf(
      "\nBuilds multi-game cartridge images for VT03 consoles from lists of iNES games.\n\n"
      "options:\n"
      "  -h, --help     show this help and exit; COMMAND --help shows a command's options\n"
      "  --version      show the version and the program directory, and exit\n");
  return cli::kExitOk;
}

int Version(std::span<const std::string> words) {
  const cli::ParsedCommand args = cli::ParseCommand(kVersionSpec, words);
  if (!args.error.empty() || !args.operands.empty()) return WrongUsage(args);
  const ProgramDirectory dir = ChooseProgramDirectory(args.Get("--dir"));
  const std::string version(cli::ProjectVersion());
  std::printf("%s %s\nprogram directory: %s\n", kProgram, version.c_str(),
              DescribeProgramDirectory(dir).c_str());
  if (!dir.error.empty()) PrintMessage(std::string(kProgram) + ": " + dir.error);
  return dir.error.empty() ? cli::kExitOk : cli::kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (words.empty()) {
    std::fputs(ProgramUsage().c_str(), stderr);
    return cli::kExitUsage;
  }
  if (cli::IsHelp(words[0])) return ProgramHelp();
  const std::span<const std::string> rest = std::span(words).subspan(1);
  if (cli::IsVersion(words[0])) return Version(rest);
  return cli::RunCommand(kProgram, kCommands, std::span(words));
}
