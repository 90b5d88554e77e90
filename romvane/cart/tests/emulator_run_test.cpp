#include "cart/emulator_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "nes_files.h"

namespace romvane {
namespace {

using testing::NesImage;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteNes;

class EmulatorRunTest : public ::testing::Test {
 protected:
  EmulatorRunTest() {
    std::filesystem::create_directories(tools / "games");
    search.searchPath = {tools / "empty", tools / "games"};
    NesImage image;
    list.AddGame(WriteNes(games, "Tank.nes", image), "Tank");
    image.prgUnits = 1;
    list.AddGame(WriteNes(games, "Other.nes", image), "Other");
  }
  std::string Program(const std::string& path, bool executable = true) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteBytes(path, {'#', '!'});
    chmod(path.c_str(), executable ? 0755 : 0644);
    return path;
  }

  TempDir dir;    // the program directory
  TempDir tools;  // emulators elsewhere
  TempDir games;
  EmulatorSearch search;
  GameList list;
};

TEST_F(EmulatorRunTest, TheProgramDirectorysOwnEmulatorComesFirstAndTakesRomBin) {
  Program(tools / "games/fceux");
  search.environment = "fceux";
  const std::string own = Program(EmulatorPath(dir.path()));
  const GameRun run = RunImageCommand(dir.path(), search);
  EXPECT_EQ(run.message, "");
  EXPECT_EQ(run.command.program, own);
  EXPECT_EQ(run.command.args, std::vector<std::string>{dir / "rom.bin"});
  EXPECT_EQ(run.command.workingDir, dir.path());
}

TEST_F(EmulatorRunTest, OtherEmulatorsAreLookedForInOrderAndTakeRomNes) {
  const std::string fceux = Program(tools / "games/fceux");
  EXPECT_EQ(RunImageCommand(dir.path(), search).command.program, fceux);
  EXPECT_EQ(RunImageCommand(dir.path(), search).command.args,
            std::vector<std::string>{dir / "rom.nes"});

  const std::string mine = Program(tools / "empty/mine");
  search.environment = "mine";  // a bare name is searched
  EXPECT_EQ(RunImageCommand(dir.path(), search).command.program, mine);
  const std::string set = Program(tools / "elsewhere/set");
  search.setting = set;  // a path is taken as it is, before the environment
  EXPECT_EQ(RunImageCommand(dir.path(), search).command.program, set);
  // A setting that names nothing runnable falls through to the next choice.
  Program(set, false);
  EXPECT_EQ(RunImageCommand(dir.path(), search).command.program, mine);
  search.setting = tools / "missing";
  EXPECT_EQ(RunImageCommand(dir.path(), search).command.program, mine);
}

TEST_F(EmulatorRunTest, NoEmulatorNamesWhatWasTried) {
  search.environment = "nothing-here";
  Program(tools / "games/fceux", false);
  const GameRun run = RunImageCommand(dir.path(), search);
  EXPECT_TRUE(run.command.program.empty());
  EXPECT_EQ(run.message,
            "找不到模拟器!已试过: " + EmulatorPath(dir.path()) + ", nothing-here, fceux");
  EXPECT_EQ(PrepareGameRun(list, 0, dir.path(), search).message, run.message);
  EXPECT_FALSE(std::filesystem::exists(dir / "Temp.nes"));
}

TEST_F(EmulatorRunTest, OneGameRunsByItself) {
  const std::string fceux = Program(tools / "games/fceux");
  list.SortRows(kColTitle, true);  // "Other" (number 2) now shows first
  const GameRun run = PrepareGameRun(list, 0, dir.path(), search);
  ASSERT_EQ(run.message, "");
  EXPECT_EQ(run.command.program, fceux);
  EXPECT_EQ(run.command.args, std::vector<std::string>{dir / "Temp.nes"});
  EXPECT_EQ(ReadBytes(dir / "Temp.nes"), ReadBytes(games / "Other.nes"));

  WriteBytes(games / "junk.nes", {0});
  list.AddGame(games / "junk.nes", "junk");
  EXPECT_NE(PrepareGameRun(list, list.RowsByNumber()[2], dir.path(), search).message, "");
  EXPECT_NE(PrepareGameRun(list, -1, dir.path(), search).message, "");
}

// The emulator starts in the program directory: what it is given must not depend on the
// caller's folder.
TEST_F(EmulatorRunTest, ARelativeProgramDirectoryGivesAbsolutePaths) {
  const std::string fceux = Program(tools / "games/fceux");
  const std::filesystem::path back = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(dir.path()).parent_path());
  const std::string relative = std::filesystem::path(dir.path()).filename().string();
  const GameRun run = RunImageCommand(relative, search);
  std::filesystem::current_path(back);
  EXPECT_EQ(run.command.program, fceux);
  EXPECT_EQ(run.command.args, std::vector<std::string>{dir / "rom.nes"});
  EXPECT_EQ(run.command.workingDir, dir.path());
}

TEST_F(EmulatorRunTest, SettingsAreKeyValueLines) {
  WriteBytes(dir / "settings.ini", {});
  std::ofstream(dir / "settings.ini")
      << "[General]\nEmulatorX=no\n Emulator = /opt/my emu/run \r\n";
  EXPECT_EQ(ReadSetting(dir / "settings.ini", "Emulator"), "/opt/my emu/run");
  EXPECT_EQ(ReadSetting(dir / "settings.ini", "Other"), "");
  EXPECT_EQ(ReadSetting(dir / "missing.ini", "Emulator"), "");
}

}  // namespace
}  // namespace romvane
