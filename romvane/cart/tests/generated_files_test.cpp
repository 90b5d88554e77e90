#include "cart/generated_files.h"

#include <gtest/gtest.h>

#include "nes_files.h"

namespace romvane {
namespace {

TEST(GameDescriptor, ItemsComeFromTheImageAddresses) {
  // PRG at page 4, offset 0: the outer bank nibble is 1 and the PRG bank 0.
  GameDescriptor d = DescribeGame(false, 0x200000, 0x8000, 0x80000, 0x2000);
  EXPECT_EQ(d.mirroring, 0x01);
  EXPECT_EQ(d.outerBanks, 0x10);
  EXPECT_EQ(d.prgBank, 0x00);
  EXPECT_EQ(d.prgSizeCode, 0x00);
  EXPECT_EQ(d.chrBank, 0x26);

  d = DescribeGame(true, 0x7A000 - 0x4000, 0x2E0000, 0x4000, 0x10000);
  EXPECT_EQ(d.mirroring, 0x00);
  EXPECT_EQ(d.outerBanks, 0x01);
  EXPECT_EQ(d.prgBank, 0x3B);
  EXPECT_EQ(d.prgSizeCode, 0x05);
  EXPECT_EQ(d.chrBank, 0x82);  // bank 0x80; 64 KB of CHR adds 2, not 3
  EXPECT_EQ(d.chrHighBits, 0x30);

  EXPECT_EQ(DescribeGame(true, 0, 0, 0x8000, 0).chrBank, 6);  // no CHR counts as 8 KB
  EXPECT_FALSE(DescribeGame(true, 0, 0, 0x8000, 0x80000).chrBank.has_value());
  EXPECT_FALSE(DescribeGame(true, 0, 0, 0x80001, 0x2000).prgSizeCode.has_value());
}

// The window lets any title be typed; a list file only holds what GBK can.
TEST(GeneratedFiles, TitlesGbkCannotHoldAreReported) {
  testing::TempDir dir;
  GameList list;
  list.AddGame(testing::WriteNes(dir, "game.nes", {}), "\xF0\x9F\x8E\xAE");
  const Layout layout = LayOutGames(list, "6000");
  ASSERT_EQ(layout.message, "");
  EXPECT_NE(MakeMapListing(layout.ordered).message, "");
  EXPECT_EQ(MakeMapListing(layout.ordered).bytes, "");
  EXPECT_NE(MakeGameTable(list, layout.ordered).message, "");
}

}  // namespace
}  // namespace romvane
