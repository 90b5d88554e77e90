// romvane-cli driven as a script would drive it: files in, files and exit codes out.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "cart/generated_files.h"
#include "common/gbk.h"
#include "nes_files.h"

namespace romvane {
using common::Utf8ToGbk;
namespace {

using testing::MakeNes;
using testing::NesImage;
using testing::ReadBytes;
using testing::ReadText;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteNes;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class CliTest : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) {
    std::string command = ROMVANE_CLI;
    for (const std::string& a : args) command += " " + Quote(a);
    command += " 2>" + Quote(dir / "stderr.txt");
    Outcome o;
    FILE* pipe = popen(command.c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) o.out.append(buf, n);
    const int status = pclose(pipe);
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.err = ReadText(dir / "stderr.txt");
    return o;
  }

  // A make script that only drops a small menu binary.
  void UseQuickMenu() {
    WriteBytes(dir / "make.sh", {});
    std::FILE* f = std::fopen((dir / "make.sh").c_str(), "w");
    std::fputs("printf MENU > menu.bin\n", f);
    std::fclose(f);
  }

  std::string SaveList(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += *Utf8ToGbk(l) + "\r\n";
    WriteBytes(games / "list.sav", std::vector<uint8_t>(text.begin(), text.end()));
    return games / "list.sav";
  }

  std::string Game(const std::string& name, uint8_t prg, uint8_t chr, uint8_t flags6 = 1) {
    NesImage image;
    image.prgUnits = prg;
    image.chrUnits = chr;
    image.flags6 = flags6;
    return WriteNes(games, name, image);
  }

  TempDir dir;    // the program directory
  TempDir games;  // where the user keeps games and lists
};

TEST_F(CliTest, InfoPrintsTheRowAsTheListShowsIt) {
  const Outcome o =
      Run({"info", Game("Tank.nes", 2, 1, 0x41), Game("Road Fighter.nes", 8, 0, 0x02)});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "Tank\t8000\t2000\tmapper4,垂直\nRoad Fighter\t20000\t0\tmapper0,水平,SRAM\n");
}

TEST_F(CliTest, InfoReportsFilesThatAreNotGames) {
  WriteBytes(games / "empty.nes", {});
  std::vector<uint8_t> cut = MakeNes({});
  cut.resize(100);
  WriteBytes(games / "cut.nes", cut);
  for (const std::string& f : {games / "empty.nes", games / "cut.nes", games / "absent.nes"}) {
    const Outcome o = Run({"info", f});
    EXPECT_NE(o.exitCode, 0) << f;
    EXPECT_NE(o.err.find(f), std::string::npos) << o.err;
  }
}

TEST_F(CliTest, BuildWritesTheDocumentedTwoGameImage) {
  UseQuickMenu();
  const std::string list = SaveList({Game("one.nes", 16, 16), Game("two.nes", 8, 8)});
  const Outcome o = Run({"build", list, "--dir", dir.path()});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out + o.err, "");
  const std::vector<uint8_t> roms = ReadBytes(dir / "roms.bin");
  ASSERT_EQ(roms.size(), 0x100000u);
  const std::vector<uint8_t> one = ReadBytes(games / "one.nes");
  const std::vector<uint8_t> two = ReadBytes(games / "two.nes");
  // one's CHR at the start of page 1, two's CHR at 0x60000.
  EXPECT_TRUE(std::equal(one.begin() + 16 + 0x40000, one.end(), roms.begin() + 0x80000));
  EXPECT_TRUE(std::equal(two.begin() + 16 + 0x20000, two.end(), roms.begin() + 0x60000));
  const std::vector<uint8_t> rom = ReadBytes(dir / "rom.bin");
  ASSERT_EQ(rom.size(), roms.size());
  EXPECT_EQ(std::string(rom.begin() + 0x7A000, rom.begin() + 0x7A004), "MENU");
}

TEST_F(CliTest, BuildWritesTheTankFilesByteForByte) {
  UseQuickMenu();
  const std::string list = SaveList({Game("Tank.nes", 2, 1)});
  ASSERT_EQ(Run({"build", list, "--dir", dir.path()}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dir / "roms.bin").size(), 0x80000u);
  EXPECT_EQ(ReadText(dir / "roms.map"), *Utf8ToGbk("名称\t\t\t\t类型\t\t开始地址\t结束地址\r\n") +
                                            "Tank\t\t\t\tPROM\t\t0\t\t8000\r\n"
                                            "Tank\t\t\t\tVROM\t\t8000\t\ta000\r\n");
  EXPECT_EQ(ReadText(dir / "Gamedef.inc"),
            "_GamesDefine:\r\n\t.word\tGame001\r\n\t.word\t$0000\r\nGame001:\r\n"
            "\t.byte\t$00\r\n\t.byte\t$00\r\n\t.byte\t$00\r\n\t.byte\t$04\r\n\t.byte\t$26\r\n"
            "\t.byte\t$00\r\n\t.word\tGameSub\r\n\t.byte\t\"Tank\"\r\n\t.byte\t$00\r\n"
            ".include\t\"GameSub.inc\"\r");
}

TEST_F(CliTest, BuildPlacesGamesWithoutChrAndCountsChineseTitlesInBytes) {
  UseQuickMenu();
  const std::string list = SaveList({Game("a.nes", 8, 0) + ",坦克大战", Game("b.nes", 8, 0),
                                     Game("c.nes", 8, 0), Game("d.nes", 8, 0)});
  ASSERT_EQ(Run({"build", list, "--reserve", "0", "--dir", dir.path()}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dir / "roms.bin").size(), 0x100000u);
  const std::string map = ReadText(dir / "roms.map");
  EXPECT_NE(map.find(*Utf8ToGbk("坦克大战") + "\t\t\tPROM\t\t0\t\t20000\r\n"), std::string::npos);
  EXPECT_NE(map.find("d\t\t\t\tVROM\t\t80000\t\t80000\r\n"), std::string::npos);
}

TEST_F(CliTest, BuildOfAnEmptyListSaysSo) {
  UseQuickMenu();
  WriteBytes(games / "list.sav", {});
  const Outcome o = Run({"build", games / "list.sav", "--dir", dir.path()});
  EXPECT_NE(o.exitCode, 0);
  EXPECT_EQ(o.err, "Please check your ROMS.BIN file size!\n");
}

TEST_F(CliTest, HostileInputsEndWithAMessageAndAFailure) {
  UseQuickMenu();
  const std::string good = Game("good.nes", 2, 1);
  WriteBytes(games / "plain.nes", std::vector<uint8_t>(64, 7));
  std::vector<uint8_t> cut = MakeNes({});
  cut.resize(2000);
  WriteBytes(games / "cut.nes", cut);
  const std::string list = SaveList({good});
  for (const char* reserve : {"", "G", "80001"}) {
    const Outcome o = Run({"build", list, "--reserve", reserve, "--dir", dir.path()});
    EXPECT_NE(o.exitCode, 0) << reserve;
    EXPECT_NE(o.err, "") << reserve;
  }
  const std::vector<std::vector<std::string>> lists = {
      {good, ""}, {good, games / "plain.nes"}, {games / "cut.nes"}};
  for (const auto& lines : lists) {
    const Outcome o = Run({"build", SaveList(lines), "--dir", dir.path()});
    EXPECT_NE(o.exitCode, 0) << lines.back();
    EXPECT_NE(o.err, "") << lines.back();
  }
  WriteBytes(games / "bad.sav", {0x81, 0x0D, 0x0A});
  EXPECT_NE(Run({"build", games / "bad.sav", "--dir", dir.path()}).exitCode, 0);
  EXPECT_NE(Run({"build", games / "absent.sav", "--dir", dir.path()}).exitCode, 0);
  EXPECT_NE(Run({"build"}).exitCode, 0);
  EXPECT_NE(Run({"frobnicate"}).exitCode, 0);
}

TEST_F(CliTest, TheProgramDirectoryComesFromTheEnvironment) {
  UseQuickMenu();
  const std::string list = SaveList({Game("Tank.nes", 2, 1)});
  setenv("ROMVANE_DIR", dir.path().c_str(), 1);
  const Outcome o = Run({"build", list});
  unsetenv("ROMVANE_DIR");
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "rom.bin"));
}

TEST_F(CliTest, TheExampleMenuAssemblesTheGameTable) {
  for (const char* f : {"make.sh", "menu.s", "menu.cfg", "GameSub.inc"}) {
    std::filesystem::copy_file(std::string(EXAMPLE_MENU_DIR) + "/" + f, dir / f);
  }
  const std::string list = SaveList(
      {Game("Tank.nes", 2, 1, 1) + ",坦克", Game("big.nes", 16, 16, 0), Game("mid.nes", 8, 8, 1)});
  const Outcome o = Run({"build", list, "--dir", dir.path()});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  const std::vector<uint8_t> rom = ReadBytes(dir / "rom.bin");
  ASSERT_GE(rom.size(), 0x80000u);
  const uint8_t* table = rom.data() + 0x7A000;  // the menu's table stands at $A000

  // Pointer table: three descriptors, then $0000.
  auto word = [&](size_t at) { return table[at] | table[at + 1] << 8; };
  EXPECT_EQ(word(6), 0);
  size_t at = word(0) - 0xA000;
  EXPECT_EQ(at, 8u);
  // The block addresses come from roms.map rather than from a second layout here.
  const std::string map = ReadText(dir / "roms.map");
  auto address = [&](const std::string& title, const std::string& kind) {
    const std::string gbk = *Utf8ToGbk(title);
    for (size_t line = map.find("\r\n") + 2; line < map.size(); line = map.find("\r\n", line) + 2) {
      const size_t type = map.find_first_not_of('\t', map.find('\t', line));
      if (map.compare(line, gbk.size(), gbk) == 0 && map.compare(type, 4, kind) == 0) {
        return std::stol(map.substr(type + 6), nullptr, 16);
      }
    }
    ADD_FAILURE() << "no " << kind << " line for " << title;
    return 0L;
  };
  const struct {
    std::string title;
    bool vertical;
    int prg, chr;
  } games[] = {{"坦克", true, 0x8000, 0x2000},
               {"big", false, 0x40000, 0x20000},
               {"mid", true, 0x20000, 0x10000}};
  for (int g = 0; g < 3; ++g) {
    SCOPED_TRACE(games[g].title);
    at = word(2 * g) - 0xA000;
    const GameDescriptor d =
        DescribeGame(games[g].vertical, address(games[g].title, "PROM"),
                     address(games[g].title, "VROM"), games[g].prg, games[g].chr);
    const std::vector<uint8_t> expected = {d.mirroring,    d.outerBanks, d.prgBank,
                                           *d.prgSizeCode, *d.chrBank,   d.chrHighBits};
    EXPECT_EQ(std::vector<uint8_t>(table + at, table + at + 6), expected);
    EXPECT_GE(word(at + 6), 0xA000);  // GameSub
    const std::string title = *Utf8ToGbk(games[g].title);
    EXPECT_EQ(std::string(table + at + 8, table + at + 8 + title.size()), title);
    EXPECT_EQ(table[at + 8 + title.size()], 0);
  }
  // The vectors at the end of the menu land at the top of page 0.
  EXPECT_EQ(rom[0x7FFFD] & 0xE0, 0xA0);
}

TEST_F(CliTest, ExportWritesTheListAsAWorkbook) {
  const std::string list =
      SaveList({Game("Tank.nes", 2, 1) + ",坦克", Game("b.nes", 8, 0, 0x02), games / "absent.nes"});
  EXPECT_NE(Run({"export", list, games / "out.xls"}).exitCode, 0);  // the list does not load
  const std::string good = SaveList({Game("Tank.nes", 2, 1) + ",坦克", Game("b.nes", 8, 0, 0x02)});
  const Outcome o = Run({"export", good, games / "out.xls"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  const std::vector<uint8_t> xls = ReadBytes(games / "out.xls");
  ASSERT_GE(xls.size(), 512u);
  EXPECT_EQ(std::vector<uint8_t>(xls.begin(), xls.begin() + 8),
            (std::vector<uint8_t>{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}));
  // An independent reader sees the rows as the list shows them.
  const std::string script =
      "import sys, xlrd; s = xlrd.open_workbook(sys.argv[1]).sheet_by_name('Files List'); "
      "print('|'.join(str(c.value) for r in range(s.nrows) for c in s.row(r)))";
  FILE* p =
      popen(("/usr/bin/python3 -c " + Quote(script) + " " + Quote(games / "out.xls")).c_str(), "r");
  char buf[1024] = {};
  const size_t n = fread(buf, 1, sizeof buf - 1, p);
  pclose(p);
  EXPECT_EQ(std::string(buf, n),
            "Number|Title|PromSize-Hex|PromSize|VromSize-Hex|VromSize|Attribute|"
            "1.0|坦克|8000|32768.0|2000|8192.0|mapper0,垂直|"
            "2.0|b|20000|131072.0|0|0.0|mapper0,水平,SRAM\n");
  EXPECT_NE(Run({"export", good}).exitCode, 0);
}

TEST_F(CliTest, RunStartsTheEmulatorOnTheImageOrOneGame) {
  std::filesystem::create_directory(dir / "bin");
  const std::string emulator = dir / "bin/qorvin";
  std::FILE* f = std::fopen(emulator.c_str(), "w");
  std::fprintf(f, "#!/bin/sh\nprintf '%%s|' \"$@\" > '%s.tmp' && mv '%s.tmp' '%s'\n",
               (dir / "args").c_str(), (dir / "args").c_str(), (dir / "args").c_str());
  std::fclose(f);
  std::filesystem::permissions(emulator, std::filesystem::perms::owner_all);

  auto waitForArgs = [&] {
    for (int i = 0; i < 200 && !std::filesystem::exists(dir / "args"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    const std::string args = ReadText(dir / "args");
    std::filesystem::remove(dir / "args");
    return args;
  };
  ASSERT_EQ(Run({"run", "--dir", dir.path()}).exitCode, 0);
  EXPECT_EQ(waitForArgs(), dir / "rom.bin|");

  const std::string list = SaveList({Game("a.nes", 2, 1), Game("b.nes", 1, 0)});
  ASSERT_EQ(Run({"run", list, "2", "--dir", dir.path()}).exitCode, 0);
  EXPECT_EQ(waitForArgs(), dir / "Temp.nes|");
  EXPECT_EQ(ReadBytes(dir / "Temp.nes"), ReadBytes(games / "b.nes"));
  EXPECT_NE(Run({"run", list, "3", "--dir", dir.path()}).exitCode, 0);
  EXPECT_NE(Run({"run", list, "x", "--dir", dir.path()}).exitCode, 0);
}

}  // namespace
}  // namespace romvane
