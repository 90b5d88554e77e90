#include "cart/attribute_info.h"

#include <gtest/gtest.h>

#include "model/ines_file.h"
#include "nes_files.h"

namespace romvane {
namespace {

using testing::MakeNes;
using testing::NesImage;
using testing::TempDir;
using testing::WriteBytes;
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

TEST(PlaceOfBlock, FindsEachKindOfTheGame) {
  const std::vector<BankBlock> ordered = {
      Placed(0, true, 0, 0x40000, 0), Placed(1, true, 0x40000, 0x60000, 0),
      Placed(1, false, 0x60000, 0x70000, 0), Placed(0, false, 0, 0x20000, 1)};
  const BlockPlace prg = PlaceOfBlock(ordered, 2, 0, true, 0x40000);
  EXPECT_TRUE(prg.known);
  EXPECT_EQ(prg.begin, 0);
  EXPECT_EQ(prg.end, 0x40000);
  const BlockPlace chr = PlaceOfBlock(ordered, 2, 0, false, 0x20000);
  EXPECT_TRUE(chr.known);
  EXPECT_EQ(chr.page, 1);
  // A game added after the build (index 2) has no place yet.
  EXPECT_FALSE(PlaceOfBlock(ordered, 3, 2, true, 0x8000).known);
  // Only the blocks of the rows there are now are looked at.
  EXPECT_FALSE(PlaceOfBlock(ordered, 1, 0, false, 0x20000).known);
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

TEST(PlaceOfBlock, AnUnplacedBlockHasNoPlace) {
  BankBlock lost;
  lost.size = 0xC000;
  EXPECT_FALSE(PlaceOfBlock({lost}, 1, 0, true, 0xC000).known);
}

TEST(ReadInesFile, OnlyAWholeFileIsComplete) {
  TempDir dir;
  NesImage image;
  image.flags6 = 0x43;
  const InesFile ok = ReadInesFile(WriteNes(dir, "ok.nes", image), false);
  ASSERT_EQ(ok.status, InesStatus::kComplete);
  EXPECT_EQ(ok.header[6], 0x43);
  EXPECT_TRUE(ok.prg.empty());  // the header alone

  std::vector<uint8_t> shortFile = MakeNes(image);
  shortFile.resize(shortFile.size() - 1);
  WriteBytes(dir / "short.nes", shortFile);
  EXPECT_EQ(ReadInesFile(dir / "short.nes", false).status, InesStatus::kTruncated);
  WriteBytes(dir / "plain.bin", std::vector<uint8_t>(64, 0));
  EXPECT_EQ(ReadInesFile(dir / "plain.bin", false).status, InesStatus::kNoSignature);
  EXPECT_EQ(ReadInesFile(dir / "missing.nes", false).status, InesStatus::kUnreadable);
  EXPECT_EQ(ReadInesFile(dir.path(), false).status, InesStatus::kNotAFile);
}

TEST(AttributesOfRow, FollowsTheRowNumberAfterASort) {
  TempDir dir;
  GameList list;
  NesImage a;
  a.prgUnits = 1;
  NesImage b;
  b.prgUnits = 4;
  list.AddGame(WriteNes(dir, "a.nes", a), "a");
  list.AddGame(WriteNes(dir, "b.nes", b), "b");
  list.SortRows(kColPrgSize, false);  // b first
  const BuildPlacement placement(list, {Placed(1, true, 0, 0x10000, 0)});
  const GameAttributes attrs = AttributesOfRow(list, 0, placement);
  EXPECT_EQ(attrs.number, "2");
  EXPECT_EQ(attrs.title, "b");
  EXPECT_EQ(attrs.path, dir / "b.nes");
  EXPECT_EQ(attrs.prgSize, "10000");
  EXPECT_TRUE(attrs.prg.known);
  EXPECT_FALSE(attrs.chr.known);
  EXPECT_TRUE(attrs.header.has_value());

  // Any change of the list leaves the placement behind.
  list.SetTitle(1, "a2");
  EXPECT_FALSE(AttributesOfRow(list, 0, placement).prg.known);
}

}  // namespace
}  // namespace romvane
