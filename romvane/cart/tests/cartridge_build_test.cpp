#include "cart/cartridge_build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>

#include "cart/nes_image.h"
#include "common/tests/in_folder.h"
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

// A menu binary of the reserve's size whose vectors all point at $F000.
std::vector<uint8_t> Menu(size_t size) {
  std::vector<uint8_t> bytes(size, 0xA5);
  for (size_t i = size - 6; i < size; i += 2) {
    bytes[i] = 0x00;
    bytes[i + 1] = 0xF0;
  }
  return bytes;
}

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
  std::vector<uint8_t> menu = Menu(0x6000);
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
  WriteBytes(menu, Menu(0x6000));
  std::filesystem::create_directory(rom);  // cannot be replaced by a file
  EXPECT_EQ(MergeMenu(image, menu, 0x6000, rom), "Can't open file rom.bin\n");
  // A full disk is named as such.
  std::filesystem::remove(rom);
  std::filesystem::create_symlink("/dev/full", rom);
  EXPECT_EQ(MergeMenu(image, menu, 0x6000, rom),
            "Can't open file rom.bin (No space left on device)\n");
}

TEST_F(CartridgeBuildTest, AFullDiskIsNamedInEveryWriteFailure) {
  Add(16, 16, "Big");
  for (const char* name : {"rom.bin", "rom.nes", "roms.map"}) {
    SCOPED_TRACE(name);
    std::filesystem::remove(dir / name);
    std::filesystem::create_symlink("/dev/full", dir / name);
    const std::string message = BuildCartridge(list, options).message;
    EXPECT_NE(message.find(std::string("rom")), std::string::npos) << message;
    EXPECT_NE(message.find("(No space left on device)"), std::string::npos) << message;
    std::filesystem::remove(dir / name);
  }
}

using common::testing::InFolder;

// A relative program path is the caller's program, though the child starts in another folder.
TEST(SpawnedScript, ARelativeProgramIsTheOneInTheCallersFolder) {
  TempDir caller, other;
  for (const TempDir* d : {&caller, &other}) {
    const std::string tool = *d / "tool";
    WriteBytes(tool, std::vector<uint8_t>(0));
    const std::string text = "#!/bin/sh\necho " + std::string(d == &caller ? "mine" : "planted") +
                             " > " + std::string(caller / "ran") + "\n";
    WriteBytes(tool, std::vector<uint8_t>(text.begin(), text.end()));
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  }
  InFolder in(caller.path());
  StartedProcess p = SpawnWatched({"./tool", {}, other.path()});
  ASSERT_TRUE(p.started && p.watch);
  ASSERT_TRUE(p.watch->WaitForExit(10000));
  const std::vector<uint8_t> ran = ReadBytes(caller / "ran");
  EXPECT_EQ(std::string(ran.begin(), ran.end()), "mine\n");
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

TEST_F(CartridgeBuildTest, RomNesIsTheImageUnderAMapper256Header) {
  Add(16, 16, "Big");
  ASSERT_EQ(BuildCartridge(list, options).message, "");
  const std::vector<uint8_t> rom = ReadBytes(dir / "rom.bin");
  const std::vector<uint8_t> nes = ReadBytes(dir / "rom.nes");
  ASSERT_EQ(rom.size(), 0x80000u);
  ASSERT_EQ(nes.size(), rom.size() + 16);
  EXPECT_TRUE(std::equal(rom.begin(), rom.end(), nes.begin() + 16));
  EXPECT_EQ(std::vector<uint8_t>(rom.begin() + 0x7A000, rom.end()), menu);
  // 8 KB of work RAM at $6000 (byte 10): FCEUX maps none for mapper 256 without it.
  const std::vector<uint8_t> header(nes.begin(), nes.begin() + 16);
  EXPECT_EQ(header,
            std::vector<uint8_t>({'N', 'E', 'S', 0x1A, 32, 0, 0, 8, 1, 0, 7, 0, 0, 0, 0, 0}));

  // A build that fails before the merge leaves the old rom.nes alone.
  menuOnAttempt = 101;
  EXPECT_EQ(BuildCartridge(list, options).message, "Make File Error!\n");
  EXPECT_EQ(ReadBytes(dir / "rom.nes"), nes);
}

TEST_F(CartridgeBuildTest, AMenuThatCannotStartTheConsoleIsRefusedAndRomBinKept) {
  WriteBytes(dir / "rom.bin", {9});
  // Shorter than the reserve: the vectors would be filler.
  menu = Menu(0x4000);
  std::string message = BuildCartridge(list, options).message;
  EXPECT_NE(message.find("16384"), std::string::npos) << message;
  EXPECT_NE(message.find("6000"), std::string::npos) << message;
  // The reset vector below the power-on banks at $C000, or into the vectors themselves.
  for (const uint8_t high : {0xA0, 0xFF}) {
    menu = Menu(0x6000);
    menu[0x6000 - 4] = 0xFC;
    menu[0x6000 - 3] = high;
    message = BuildCartridge(list, options).message;
    EXPECT_NE(message.find("RESET"), std::string::npos) << message;
  }
  menu = Menu(0x6000);
  menu[0x6000 - 5] = 0x12;
  EXPECT_NE(BuildCartridge(list, options).message.find("NMI向量指向$1200"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "rom.bin"), std::vector<uint8_t>{9});
  EXPECT_FALSE(std::filesystem::exists(dir / "rom.nes"));
}

TEST(MenuStart, TheVectorsMustPointIntoTheMenuTheChipShowsAtPowerOn) {
  // A reserve of 0x2000 shows the menu at $E000-$FFFF only; 0x10000 and more at $C000 up.
  std::vector<uint8_t> small = Menu(0x2000);
  EXPECT_EQ(MenuStartRefusal(small, 0x2000), "");
  small[0x2000 - 3] = 0xD0;
  EXPECT_NE(MenuStartRefusal(small, 0x2000).find("$E000-$FFF9"), std::string::npos);
  std::vector<uint8_t> large = Menu(0x10000);
  large[0x10000 - 3] = 0xC0;
  EXPECT_EQ(MenuStartRefusal(large, 0x10000), "");
  large[0x10000 - 3] = 0xBF;
  EXPECT_NE(MenuStartRefusal(large, 0x10000), "");
}

TEST_F(CartridgeBuildTest, TheReserveGoesToTheMenuProjectBesideTheGameTable) {
  options.reserveText = "10000";
  menu = Menu(0x10000);
  ASSERT_EQ(BuildCartridge(list, options).message, "");
  EXPECT_NE(testing::ReadText(dir / "Reserve.inc").find("MENU_RESERVE = $10000\r\n"),
            std::string::npos);
  const std::vector<uint8_t> rom = ReadBytes(dir / "rom.bin");
  ASSERT_EQ(rom.size(), 0x80000u);
  EXPECT_EQ(std::vector<uint8_t>(rom.begin() + 0x70000, rom.end()), menu);
}

TEST_F(CartridgeBuildTest, GamesTheCartridgeCannotRunAndAnOverflowingTableAreNamed) {
  NesImage cnrom;
  cnrom.chrUnits = 4;
  cnrom.flags6 = 0x30;
  list.AddGame(WriteNes(games, "Cn.nes", cnrom), "Cn");
  list.AddGame(games / "gone.nes", "Gone");
  std::string message = BuildCartridge(list, options).message;
  EXPECT_NE(message.find("第2个游戏(Cn)无法放入卡带: mapper3"), std::string::npos) << message;
  EXPECT_NE(message.find("第3个游戏(Gone)无法放入卡带: 文件不存在"), std::string::npos) << message;
  EXPECT_FALSE(std::filesystem::exists(dir / "roms.bin"));
  list.RemoveGames({1, 2});

  // ld65's overflow of the table's area becomes the builder's message with the bytes over.
  script.ends = true;
  menuOnAttempt = 0;
  script.exitStatus = 1;
  script.lastErrorLine =
      "ld65: Warning: menu.cfg(17): Segment 'GAMES' overflows memory area 'TABLE' by 1026 bytes";
  message = BuildCartridge(list, options).message;
  EXPECT_NE(message.find("游戏表比菜单程序留给它的空间多1026字节"), std::string::npos) << message;
}

TEST(TableReach, AListPastThe32MegabytesIsRefusedNamingTheGameThatDoesNotFit) {
  // 43 games of 512 KB PRG and 256 KB CHR: 33 MB, in sparse files.
  TempDir games;
  GameList list(GameData::kHeaderOnly);
  for (int i = 1; i <= 43; ++i) {
    const std::string path = games / ("big" + std::to_string(i) + ".nes");
    WriteBytes(path, {0x4E, 0x45, 0x53, 0x1A, 32, 32, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::filesystem::resize_file(path, 16 + 0x80000 + 0x40000);
    ASSERT_EQ(list.AddGame(path, "big" + std::to_string(i)).status, AddStatus::kStored);
    EXPECT_EQ(PastTableReach(list, "6000"), i == 43) << i;
  }
  TempDir dir;
  BuildOptions options;
  options.programDir = dir.path();
  const std::string message = BuildCartridge(list, options).message;
  EXPECT_NE(message.find("32MB"), std::string::npos) << message;
  EXPECT_NE(message.find("(big"), std::string::npos) << message;
  EXPECT_FALSE(std::filesystem::exists(dir / "roms.bin"));
}

TEST(TableReach, ABlockPastThe32MegabytesTheTableAddressesIsNamed) {
  BankBlock inside;
  inside.title = "In";
  inside.page = 63;
  inside.begin = 0x40000;
  inside.end = 0x80000;
  BankBlock past = inside;
  past.title = "Out";
  past.gameIndex = 7;
  past.isPrg = false;
  past.page = 64;
  past.begin = 0;
  past.end = 0x2000;
  EXPECT_EQ(TableReachRefusal({inside}), "");
  EXPECT_NE(TableReachRefusal({inside, past}).find("第8个游戏(Out)的VROM"), std::string::npos);
}

TEST(NesImageHeader, CountsSixteenKilobyteUnitsInTwelveBits) {
  EXPECT_EQ(NesImageHeader(0x80000)[4], 32);
  EXPECT_EQ(NesImageHeader(0x80000)[9], 0);
  // 8 MB, the largest cartridge: 512 units.
  const std::array<uint8_t, 16> big = NesImageHeader(0x800000);
  EXPECT_EQ(big[4], 0x00);
  EXPECT_EQ(big[9], 0x02);
  EXPECT_EQ(NesImageHeader(0x2FC000)[4], 0xBF);
  EXPECT_EQ(NesImageHeader(0x4001)[4], 2);  // a partial unit still counts
}

}  // namespace
}  // namespace romvane
