#include "cart/attribute_info.h"

#include <gtest/gtest.h>

#include "nes_files.h"

namespace romvane {
namespace {

using testing::NesImage;
using testing::TempDir;
using testing::WriteNes;

BankBlock Placed(int gameIndex, bool isPrg, int32_t begin, int32_t end, int32_t page) {
  BankBlock b;
  b.gameIndex = gameIndex;
  b.isPrg = isPrg;
  b.begin = begin;
  b.end = end;
  b.size = end - begin;
  b.page = page;
  b.placed = true;
  return b;
}

TEST(PlaceOfBlock, FindsEachKindOfTheGameAmongTheRowsThereAre) {
  const std::vector<BankBlock> ordered = {
      Placed(0, true, 0, 0x40000, 0), Placed(1, true, 0x40000, 0x60000, 0),
      Placed(1, false, 0x60000, 0x70000, 0), Placed(0, false, 0, 0x20000, 1)};
  const BlockPlace prg = PlaceOfBlock(ordered, 2, 0, true, 0x40000);
  EXPECT_TRUE(prg.known);
  EXPECT_EQ(prg.begin, 0);
  EXPECT_EQ(prg.end, 0x40000);
  EXPECT_EQ(PlaceOfBlock(ordered, 2, 0, false, 0x20000).page, 1);
  // A game added after the build (index 2) has no place yet.
  EXPECT_FALSE(PlaceOfBlock(ordered, 3, 2, true, 0x8000).known);
  // Only the blocks of the rows there are now are looked at.
  EXPECT_FALSE(PlaceOfBlock(ordered, 1, 0, false, 0x20000).known);
  BankBlock lost;
  lost.size = 0xC000;
  EXPECT_FALSE(PlaceOfBlock({lost}, 1, 0, true, 0xC000).known);
}

TEST(PlaceOfBlock, AGameWithoutChrOnlyCountsItsFirstBlock) {
  // The empty CHR block sorts last; its first block is the PRG block, so CHR stays unknown.
  const std::vector<BankBlock> prgFirst = {Placed(0, true, 0, 0x8000, 0),
                                           Placed(0, false, 0x8000, 0x8000, 0)};
  EXPECT_FALSE(PlaceOfBlock(prgFirst, 1, 0, false, 0).known);
  const std::vector<BankBlock> chrFirst = {Placed(0, false, 0, 0, 1),
                                           Placed(0, true, 0, 0x8000, 0)};
  const BlockPlace chr = PlaceOfBlock(chrFirst, 1, 0, false, 0);
  EXPECT_TRUE(chr.known);
  EXPECT_EQ(chr.page, 1);
}

TEST(AttributesOfRow, FollowsTheRowNumberAfterASort) {
  TempDir dir;
  GameList list;
  NesImage a;
  a.prgUnits = 1;
  NesImage b;
  b.prgUnits = 4;
  b.flags6 = 0x43;
  list.AddGame(WriteNes(dir, "a.nes", a), "a");
  const std::string bPath = WriteNes(dir, "b.nes", b);
  list.AddGame(bPath, "b");
  list.SortRows(kColPrgSize, false);  // b first
  const BuildPlacement placement(list, {Placed(1, true, 0, 0x10000, 0)});
  const GameAttributes attrs = AttributesOfRow(list, 0, placement);
  EXPECT_EQ(attrs.number, "2");
  EXPECT_EQ(attrs.title, "b");
  EXPECT_EQ(attrs.path, bPath);
  EXPECT_EQ(attrs.prgSize, "10000");
  EXPECT_TRUE(attrs.prg.known);
  EXPECT_FALSE(attrs.chr.known);
  ASSERT_TRUE(attrs.header.has_value());
  EXPECT_EQ((*attrs.header)[6], 0x43);

  // A file cut short since it was listed no longer offers its header for rewriting.
  std::vector<uint8_t> cut = testing::MakeNes(b);
  cut.pop_back();
  testing::WriteBytes(bPath, cut);
  EXPECT_FALSE(AttributesOfRow(list, 0, placement).header.has_value());
  // Any change of the list leaves the placement behind.
  list.SetTitle(1, "a2");
  EXPECT_FALSE(AttributesOfRow(list, 0, placement).prg.known);
}

}  // namespace
}  // namespace romvane
