#include "cart/cartridge_build.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cart/emulator_run.h"
#include "nes_files.h"

namespace romvane {
namespace {

using testing::NesImage;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteNes;

// Stands in for the menu's make script: the menu binary appears on a chosen look. With
// `ends` set the script can be watched and ends on the chosen look, having run `onEnd`.
class FakeScript : public Launcher, public WatchedProcess {
 public:
  bool Start(const Command& command) override {
    started.push_back(command);
    return startSucceeds;
  }
  StartedProcess StartWatched(const Command& command) override {
    if (!ends) return Launcher::StartWatched(command);
    started.push_back(command);
    return {true, std::make_unique<Watch>(*this)};
  }
  bool WaitForExit(int) override {
    ++waits;
    if (onEnd) onEnd();
    return true;
  }
  struct Watch : WatchedProcess {
    explicit Watch(FakeScript& s) : script(s) {}
    bool WaitForExit(int ms) override { return script.WaitForExit(ms); }
    FakeScript& script;
  };
  std::vector<Command> started;
  bool startSucceeds = true;
  bool ends = false;
  std::function<void()> onEnd;
  int waits = 0;
};

// Runs the make script for real, watched.
class SpawningLauncher : public Launcher {
 public:
  bool Start(const Command&) override { return false; }
  StartedProcess StartWatched(const Command& command) override { return SpawnWatched(command); }
};

class CartridgeBuildTest : public ::testing::Test {
 protected:
  CartridgeBuildTest() {
    WriteBytes(dir / MakeScriptName(), {'#'});
    options.programDir = dir.path();
    options.launcher = &script;
    options.sleep = [this](int ms) {
      if (ms == kMenuWaitMilliseconds) ++sleeps;
    };
    options.onWait = [this](int attempt) {
      if (attempt == menuOnAttempt) WriteBytes(dir / "menu.bin", menu);
      return true;
    };
  }
  void Add(uint8_t prgUnits, uint8_t chrUnits, const std::string& title) {
    NesImage image;
    image.prgUnits = prgUnits;
    image.chrUnits = chrUnits;
    list.AddGame(WriteNes(games, title + ".nes", image), title);
  }

  TempDir dir;
  TempDir games;
  GameList list;
  FakeScript script;
  BuildOptions options;
  int sleeps = 0;
  int menuOnAttempt = 1;
  std::vector<uint8_t> menu = std::vector<uint8_t>(0x4000, 0xA5);
};

TEST_F(CartridgeBuildTest, TheMenuGoesIntoTheReservedTopOfPageZero) {
  Add(2, 1, "Tank");
  const BuildResult result = BuildCartridge(list, options);
  ASSERT_EQ(result.message, "");
  ASSERT_EQ(script.started.size(), 1u);
  EXPECT_EQ(script.started[0].workingDir, dir.path());
  const std::vector<uint8_t> roms = ReadBytes(dir / "roms.bin");
  const std::vector<uint8_t> rom = ReadBytes(dir / "rom.bin");
  ASSERT_EQ(rom.size(), 0x80000u);
  ASSERT_EQ(roms.size(), rom.size());
  // 0x7A000-0x7DFFF: the menu; 0x7E000-0x7FFFF: the filler of roms.bin.
  EXPECT_TRUE(std::equal(rom.begin(), rom.begin() + 0x7A000, roms.begin()));
  EXPECT_TRUE(std::equal(menu.begin(), menu.end(), rom.begin() + 0x7A000));
  EXPECT_TRUE(std::equal(rom.begin() + 0x7E000, rom.end(), roms.begin() + 0x7E000));
  EXPECT_EQ(ReadBytes(dir / "Gamedef.inc").back(), '\r');
}

TEST_F(CartridgeBuildTest, ALongerMenuIsCutAtTheReserve) {
  Add(2, 1, "Tank");
  menu.assign(0x9000, 0x5A);
  options.reserveText = "2000";
  ASSERT_EQ(BuildCartridge(list, options).message, "");
  const std::vector<uint8_t> rom = ReadBytes(dir / "rom.bin");
  ASSERT_EQ(rom.size(), 0x80000u);
  EXPECT_EQ(rom[0x7E000 - 1], 0xFF);
  EXPECT_EQ(rom[0x7E000], 0x5A);
  EXPECT_EQ(rom[0x7FFFF], 0x5A);
}

TEST_F(CartridgeBuildTest, TheMenuMayAppearOnTheLastLook) {
  Add(2, 1, "Tank");
  menuOnAttempt = 100;
  EXPECT_EQ(BuildCartridge(list, options).message, "");
  EXPECT_EQ(sleeps, 99);
}

TEST_F(CartridgeBuildTest, AMenuThatNeverAppearsFailsAfterAHundredWaits) {
  Add(2, 1, "Tank");
  menuOnAttempt = 101;
  WriteBytes(dir / "menu.bin", {1, 2, 3});  // a stale menu is deleted first
  WriteBytes(dir / "rom.bin", {9});
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
  EXPECT_EQ(sleeps, 100);
  EXPECT_EQ(ReadBytes(dir / "rom.bin"), std::vector<uint8_t>{9});
}

TEST_F(CartridgeBuildTest, AMissingScriptFailsAtOnce) {
  Add(2, 1, "Tank");
  std::remove((dir / MakeScriptName()).c_str());
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
  EXPECT_TRUE(script.started.empty());
  EXPECT_EQ(sleeps, 0);
  script.startSucceeds = false;
  WriteBytes(dir / MakeScriptName(), {'#'});
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
}

TEST_F(CartridgeBuildTest, AnEmptyListStopsAtTheImageSize) {
  EXPECT_EQ(BuildCartridge(list, options).message, "Please check your ROMS.BIN file size!\n");
  EXPECT_TRUE(ReadBytes(dir / "roms.bin").empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "rom.bin"));
}

TEST_F(CartridgeBuildTest, MergeMessagesNameTheFileThatFailed) {
  std::vector<uint8_t> image(0x1000, 0);
  const std::string menu = dir / "menu.bin";
  const std::string rom = dir / "rom.bin";
  EXPECT_EQ(MergeMenu(image, menu, 0x6000, rom), "Please check your ROMS.BIN file size!\n");
  image.assign(0x80000, 0);
  EXPECT_EQ(MergeMenu(image, menu, 0x6000, rom), "Can't open file menu.bin\n");
  std::filesystem::create_directory(menu);  // a folder is no menu
  EXPECT_EQ(MergeMenu(image, menu, 0x6000, rom), "Can't open file menu.bin\n");
  std::filesystem::remove(menu);
  WriteBytes(menu, {1});
  std::filesystem::create_directory(rom);  // cannot be replaced by a file
  EXPECT_EQ(MergeMenu(image, menu, 0x6000, rom), "Can't open file rom.bin\n");
}

TEST_F(CartridgeBuildTest, AWatchedScriptThatEndsWithoutAMenuFailsAtOnce) {
  Add(2, 1, "Tank");
  script.ends = true;
  int looks = 0;
  options.onWait = [&looks](int) { return ++looks > 0; };
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
  EXPECT_EQ(looks, 1);
  EXPECT_EQ(script.waits, 1);

  // A folder named menu.bin is not a menu either.
  script.onEnd = [this] {
    std::filesystem::create_directories(std::filesystem::path(dir / "menu.bin") / "x");
  };
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "rom.bin"));

  script.onEnd = [this] { WriteBytes(dir / "menu.bin", menu); };
  std::filesystem::remove_all(dir / "menu.bin");
  const BuildResult built = BuildCartridge(list, options);
  EXPECT_EQ(built.message, "");
  EXPECT_EQ(built.romPath, dir / "rom.bin");
}

TEST_F(CartridgeBuildTest, TheMenuIsMergedOnlyOnceTheScriptHasWrittenAllOfIt) {
  Add(2, 1, "Tank");
  const std::string text = "printf AB > menu.bin; sleep 0.3; printf CD >> menu.bin\n";
  WriteBytes(dir / MakeScriptName(), std::vector<uint8_t>(text.begin(), text.end()));
  SpawningLauncher spawning;
  options.launcher = &spawning;
  options.onWait = {};
  ASSERT_EQ(BuildCartridge(list, options).message, "");
  const std::vector<uint8_t> rom = ReadBytes(dir / "rom.bin");
  ASSERT_EQ(rom.size(), 0x80000u);
  EXPECT_EQ(std::string(rom.begin() + 0x7A000, rom.begin() + 0x7A004), "ABCD");
}

TEST_F(CartridgeBuildTest, RefusedListsWriteNothing) {
  Add(2, 1, "Tank");
  options.reserveText = "80001";
  EXPECT_NE(BuildCartridge(list, options).message, "");
  EXPECT_FALSE(std::filesystem::exists(dir / "roms.bin"));
  EXPECT_FALSE(std::filesystem::exists(dir / "Gamedef.inc"));
  EXPECT_TRUE(script.started.empty());
}

TEST_F(CartridgeBuildTest, EmulatorCommandsPassPathsWhole) {
  const Command image = RunImageCommand("/opt/my games");
  EXPECT_EQ(image.program, EmulatorPath("/opt/my games"));
  EXPECT_EQ(image.args, std::vector<std::string>{"/opt/my games/rom.bin"});

  Add(2, 1, "Tank");
  Add(1, 0, "Other");
  list.SortRows(kColTitle, true);  // "Other" (number 2) now shows first
  const GameRun run = PrepareGameRun(list, 0, dir.path());
  ASSERT_EQ(run.message, "");
  EXPECT_EQ(run.command.args, std::vector<std::string>{dir / "Temp.nes"});
  EXPECT_EQ(ReadBytes(dir / "Temp.nes"), ReadBytes(games / "Other.nes"));

  testing::WriteBytes(games / "junk.nes", {0});
  list.AddGame(games / "junk.nes", "junk");
  EXPECT_NE(PrepareGameRun(list, list.RowsByNumber()[2], dir.path()).message, "");
  EXPECT_NE(PrepareGameRun(list, -1, dir.path()).message, "");
}

}  // namespace
}  // namespace romvane
