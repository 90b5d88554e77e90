// romvane-cli: the builder's commands for scripts, over the same logic as the window.

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cart/cartridge_build.h"
#include "cart/emulator_run.h"
#include "cart/qt_launcher.h"
#include "model/game_list.h"
#include "model/list_file.h"
#include "model/paths.h"
#include "xls/list_export.h"

namespace {

using namespace romvane;

constexpr const char* kUsage =
    "usage: romvane-cli info FILE.nes...\n"
    "       romvane-cli build LIST.sav [--reserve HEX] [--dir DIR]\n"
    "       romvane-cli run [LIST.sav N] [--dir DIR]\n"
    "       romvane-cli export LIST.sav OUT.xls\n";

void PrintMessage(const std::string& message) {
  std::string text = message;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  std::fprintf(stderr, "%s\n", text.c_str());
}

struct Arguments {
  std::vector<std::string> positional;
  std::string reserve = "6000";
  std::string dir;
  bool ok = true;
};

Arguments ParseArguments(int argc, char** argv, int first) {
  Arguments args;
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--reserve" || a == "--dir") && i + 1 < argc) {
      (a == "--reserve" ? args.reserve : args.dir) = argv[++i];
    } else if (a.rfind("--", 0) == 0) {
      args.ok = false;
    } else {
      args.positional.push_back(a);
    }
  }
  return args;
}

// The program directory: --dir, else ROMVANE_DIR, else the folder of the executable.
std::string ProgramDir(const Arguments& args) {
  if (!args.dir.empty()) return args.dir;
  if (const char* env = std::getenv("ROMVANE_DIR"); env && *env) return env;
  return QCoreApplication::applicationDirPath().toStdString();
}

bool LoadList(GameList& list, const std::string& path) {
  const LoadResult loaded = LoadListFile(list, path);
  for (const std::string& w : loaded.warnings) PrintMessage(w);
  if (!loaded.error.empty()) {
    PrintMessage(loaded.error);
    return false;
  }
  return true;
}

int Info(const Arguments& args) {
  if (args.positional.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  int status = 0;
  for (const std::string& path : args.positional) {
    GameList list(GameData::kHeaderOnly);
    const AddResult added = list.AddGame(path, BaseNameOf(path));
    if (list.RowCount() == 0) {
      PrintMessage(added.message);
      status = 1;
      continue;
    }
    const GameEntry& game = list.Game(0);
    std::printf("%s\t%s\t%s\t%s\n", game.title.c_str(), ColumnText(game, kColPrgSize).c_str(),
                ColumnText(game, kColChrSize).c_str(), ColumnText(game, kColAttribute).c_str());
    if (added.status == AddStatus::kNoSignature) {
      PrintMessage("文件" + path + "不是NES文件!");
      status = 1;
    } else if (added.status != AddStatus::kStored) {
      PrintMessage(added.message);
      status = 1;
    }
  }
  return status;
}

int Build(const Arguments& args) {
  if (args.positional.size() != 1) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  GameList list(GameData::kHeaderOnly);  // the image is read straight from the game files
  if (!LoadList(list, args.positional[0])) return 1;
  QtLauncher launcher;
  BuildOptions options;
  options.reserveText = args.reserve;
  options.programDir = ProgramDir(args);
  options.launcher = &launcher;
  options.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  const BuildResult result = BuildCartridge(list, options);
  if (!result.message.empty()) {
    PrintMessage(result.message);
    return 1;
  }
  return 0;
}

int Run(const Arguments& args) {
  const std::string dir = ProgramDir(args);
  QtLauncher launcher;
  Command command = RunImageCommand(dir);
  if (args.positional.size() == 2) {
    GameList list;
    if (!LoadList(list, args.positional[0])) return 1;
    char* end = nullptr;
    const long number = std::strtol(args.positional[1].c_str(), &end, 10);
    const int row = (*end == '\0' && number > 0 && number <= list.RowCount())
                        ? list.RowsByNumber()[static_cast<size_t>(number - 1)]
                        : -1;
    const GameRun run = PrepareGameRun(list, row, dir);
    if (!run.message.empty()) {
      PrintMessage(run.message);
      return 1;
    }
    command = run.command;
  } else if (!args.positional.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (!launcher.Start(command)) {
    PrintMessage("无法启动模拟器" + command.program + "!");
    return 1;
  }
  return 0;
}

int Export(const Arguments& args) {
  if (args.positional.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  GameList list(GameData::kHeaderOnly);
  if (!LoadList(list, args.positional[0])) return 1;
  const ExportResult result = WriteListWorkbook(ShownRows(list), args.positional[1]);
  if (!result.message.empty()) PrintMessage(result.message);
  return result.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string command = argv[1];
  const Arguments args = ParseArguments(argc, argv, 2);
  if (!args.ok) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (command == "info") return Info(args);
  if (command == "build") return Build(args);
  if (command == "run") return Run(args);
  if (command == "export") return Export(args);
  std::fputs(kUsage, stderr);
  return 2;
}
