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
    int ExitStatus() const override { return script.exitStatus; }
    std::string LastErrorLine() const override { return script.lastErrorLine; }
    FakeScript& script;
  };
  int exitStatus = -1;
  std::string lastErrorLine;
  std::vector<Command> started;
  bool startSucceeds = true;
  bool ends = false;
  std::function<void()> onEnd;
  int waits = 0;
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
    Add(2, 1, "Tank");
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

TEST_F(CartridgeBuildTest, TheMenuIsLookedForAHundredTimesAtMost) {
  menuOnAttempt = 100;
  EXPECT_EQ(BuildCartridge(list, options).message, "");
  EXPECT_EQ(sleeps, 99);

  sleeps = 0;
  menuOnAttempt = 101;
  WriteBytes(dir / "menu.bin", {1, 2, 3});  // a stale menu is deleted first
  WriteBytes(dir / "rom.bin", {9});
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
  EXPECT_EQ(sleeps, 100);
  EXPECT_EQ(ReadBytes(dir / "rom.bin"), std::vector<uint8_t>{9});
  // rom.bin's new contents, written beside while the script ran, are dropped with it.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(CartridgeBuildTest, AMissingScriptFailsAtOnce) {
  std::remove((dir / MakeScriptName()).c_str());
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
  EXPECT_TRUE(script.started.empty());
  EXPECT_EQ(sleeps, 0);
  script.startSucceeds = false;
  WriteBytes(dir / MakeScriptName(), {'#'});
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
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
}

TEST_F(CartridgeBuildTest, AFailedScriptIsNamedWithItsExitStatusAndLastComplaint) {
  script.ends = true;
  menuOnAttempt = 0;  // the script never writes the menu
  script.exitStatus = 2;
  script.lastErrorLine = "menu.s(12): Error: Unknown label";
  EXPECT_EQ(BuildCartridge(list, options).message,
            "Make File Error!\nmake.sh 的退出状态为 2\nmenu.s(12): Error: Unknown label\n");
  script.exitStatus = 0;
  script.lastErrorLine.clear();
  EXPECT_EQ(BuildCartridge(list, options).message,
            "Make File Error!\nmake.sh 已结束，但没有生成 menu.bin\n");
}

TEST_F(CartridgeBuildTest, AReserveOfZeroOrNothingIsRefusedBeforeAnythingIsWritten) {
  for (const char* reserve : {"", "0", "000"}) {
    options.reserveText = reserve;
    EXPECT_EQ(BuildCartridge(list, options).message, "保留大小不能为0: 菜单程序需要空间!");
  }
  EXPECT_TRUE(script.started.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "roms.bin"));
}

TEST(SpawnedScript, KeepsItsExitStatusAndTheLastLineOfItsErrors) {
  StartedProcess p = SpawnWatched(
      {"sh", {"-c", "echo first >&2; echo 'last words' >&2; echo out; exit 3"}, {}}, true);
  ASSERT_TRUE(p.started && p.watch);
  ASSERT_TRUE(p.watch->WaitForExit(10000));
  EXPECT_EQ(p.watch->ExitStatus(), 3);
  EXPECT_EQ(p.watch->LastErrorLine(), "last words");
  StartedProcess quiet = SpawnWatched({"sh", {"-c", "echo hidden >&2"}, {}});
  ASSERT_TRUE(quiet.watch && quiet.watch->WaitForExit(10000));
  EXPECT_EQ(quiet.watch->ExitStatus(), 0);
  EXPECT_EQ(quiet.watch->LastErrorLine(), "");
}

TEST_F(CartridgeBuildTest, RefusedListsWriteNothing) {
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
