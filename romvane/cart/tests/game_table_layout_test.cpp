// The game table is written here and read by the menu program at named offsets: assemble
// a generated table with the menu's own GameSub.inc and read back where each value lands.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cart/bank_layout.h"
#include "cart/generated_files.h"
#include "nes_files.h"

namespace romvane {
namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// OFFSETS holds the menu's names for the offsets and GameSub's address; the table follows.
constexpr const char* kProbe = R"(.include "vt03.inc"
.segment "ZEROPAGE"
game_ptr: .res 2
.segment "OFFSETS"
.byte GAME_MIRRORING, GAME_OUTER_BANKS, GAME_PRG_BANK, GAME_PRG_SIZE
.byte GAME_CHR_BANK, GAME_CHR_HIGH, GAME_START, GAME_TITLE
.word GameSub
.segment "GAMES"
.include "Gamedef.inc"
)";
constexpr const char* kConfig = R"(MEMORY {
  ZP: start = $00, size = $100, type = rw;
  ROM: start = $8000, size = $8000, type = ro, file = %O;
}
SEGMENTS {
  ZEROPAGE: load = ZP, type = zp;
  OFFSETS: load = ROM, type = ro;
  GAMES: load = ROM, type = ro;
  CODE: load = ROM, type = ro;
}
)";
constexpr size_t kProbeOffsets = 10;

// Assembles the table with the menu's files; empty when ca65 or ld65 fails.
std::vector<uint8_t> AssembleTable(const testing::TempDir& dir, const std::string& table) {
  WriteText(dir / "Gamedef.inc", table);
  WriteText(dir / "probe.s", kProbe);
  WriteText(dir / "probe.cfg", kConfig);
  const std::string quiet = " > '" + dir / "log" + "' 2>&1";
  const std::string assemble = std::string("'") + VT_CA65 + "' -I '" + VT_SOURCE_DIR +
                               "/examples/menu' -I '" + VT_SOURCE_DIR + "/common/asm' -o '" +
                               dir / "probe.o" + "' '" + dir / "probe.s" + "'" + quiet;
  const std::string link = std::string("'") + VT_LD65 + "' -C '" + dir / "probe.cfg" + "' -o '" +
                           dir / "probe.bin" + "' '" + dir / "probe.o" + "'" + quiet;
  if (std::system(assemble.c_str()) != 0 || std::system(link.c_str()) != 0) {
    ADD_FAILURE() << testing::ReadText(dir / "log");
    return {};
  }
  return testing::ReadBytes(dir / "probe.bin");
}

TEST(GameTableLayout, TheMenuReadsEachValueWhereTheBuilderWritesIt) {
  testing::TempDir dir;
  GameList list;
  testing::NesImage vertical;
  vertical.flags6 = 0x01;
  vertical.chrUnits = 2;
  list.AddGame(testing::WriteNes(dir, "a.nes", vertical), "Tank");
  testing::NesImage big;
  big.prgUnits = 8;
  list.AddGame(testing::WriteNes(dir, "b.nes", big), "Q\"uote");
  const Layout layout = LayOutGames(list, "6000");
  ASSERT_EQ(layout.message, "");
  const GeneratedText table = MakeGameTable(list, layout.ordered);
  ASSERT_EQ(table.message, "");
  const std::vector<uint8_t> bin = AssembleTable(dir, table.bytes);
  ASSERT_GT(bin.size(), kProbeOffsets);

  // The menu's names for the offsets are the builder's.
  EXPECT_EQ(std::vector<int>(bin.begin(), bin.begin() + 8),
            (std::vector<int>{kGameMirroring, kGameOuterBanks, kGamePrgBank, kGamePrgSize,
                              kGameChrBank, kGameChrHigh, kGameStart, kGameTitle}));
  const unsigned gameSub = bin[8] | bin[9] << 8;

  auto at = [&](unsigned address) -> uint8_t {
    EXPECT_GE(address, 0x8000u);
    EXPECT_LT(address - 0x8000u, bin.size());
    return address - 0x8000u < bin.size() ? bin[address - 0x8000u] : 0;
  };
  const unsigned tableStart = 0x8000 + kProbeOffsets;
  const char* titles[] = {"Tank", "Q\"uote"};
  for (unsigned k = 0; k < 2; ++k) {
    SCOPED_TRACE(titles[k]);
    const unsigned game = at(tableStart + 2 * k) | at(tableStart + 2 * k + 1) << 8;
    const GameEntry* entry = list.EntryForRow(list.RowsByNumber()[k]);
    const BankBlock* prg = nullptr;
    const BankBlock* chr = nullptr;
    for (const BankBlock& b : layout.ordered) {
      const BankBlock*& first = b.isPrg ? prg : chr;
      if (b.gameIndex == static_cast<int>(k) && !first) first = &b;
    }
    ASSERT_TRUE(entry && prg && chr);
    const GameDescriptor d = DescribeGame(IsVertical(entry->header), prg->ImageBegin(),
                                          chr->ImageBegin(), static_cast<int32_t>(entry->PrgSize()),
                                          static_cast<int32_t>(entry->ChrSize()));
    EXPECT_EQ(at(game + kGameMirroring), d.mirroring);
    EXPECT_EQ(at(game + kGameOuterBanks), d.outerBanks);
    EXPECT_EQ(at(game + kGamePrgBank), d.prgBank);
    EXPECT_EQ(at(game + kGamePrgSize), d.prgSizeCode);
    EXPECT_EQ(at(game + kGameChrBank), d.chrBank);
    EXPECT_EQ(at(game + kGameChrHigh), d.chrHighBits);
    EXPECT_EQ(at(game + kGameStart) | at(game + kGameStart + 1) << 8, gameSub);
    std::string title;
    for (unsigned i = game + kGameTitle; at(i) != 0; ++i) title += static_cast<char>(at(i));
    EXPECT_EQ(title, titles[k]);
  }
  EXPECT_EQ(at(tableStart + 4) | at(tableStart + 5), 0);  // the list ends with a zero word
}

}  // namespace
}  // namespace romvane
