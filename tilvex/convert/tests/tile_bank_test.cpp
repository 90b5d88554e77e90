#include "convert/tile_bank.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace tilvex {
namespace {

// The plain search the bank's index stands in for: the first equal tile at a whole tile's
// distance from the start, else a new one at the end.
size_t PlaceByScan(std::vector<uint8_t>& bank, size_t start, const std::vector<uint8_t>& tile) {
  for (size_t offset = start; offset + tile.size() <= bank.size(); offset += tile.size()) {
    if (std::memcmp(bank.data() + offset, tile.data(), tile.size()) == 0) return offset;
  }
  bank.insert(bank.end(), tile.begin(), tile.end());
  return bank.size() - tile.size();
}

TEST(TileBank, FindsRepeatedTilesWhereAScanWould) {
  std::mt19937 random(5);
  for (size_t tileSize : {64u, 128u, 256u}) {
    for (size_t start : {0u, 512u}) {
      TileBank bank;
      bank.Reset(start);
      std::vector<uint8_t> reference(start, 0xFF);
      // Few distinct tiles, so most placements repeat one; enough to outgrow the index.
      for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> tile(tileSize, static_cast<uint8_t>(random() % 700 / 4));
        tile[random() % 4] = static_cast<uint8_t>(random() % 4);
        ASSERT_EQ(bank.Place(tile, true), PlaceByScan(reference, start, tile)) << i;
      }
      EXPECT_EQ(bank.Pixels(), reference);
    }
  }
}

TEST(TileBank, WithoutCompressionEveryTileIsNew) {
  TileBank bank;
  bank.Reset(64);
  const std::vector<uint8_t> tile(64, 3);
  EXPECT_EQ(bank.Place(tile, false), 64u);
  EXPECT_EQ(bank.Place(tile, false), 128u);
  EXPECT_EQ(bank.Size(), 192u);
  // The filler before the first tile is never taken for a tile, even an all-0xFF one.
  const std::vector<uint8_t> filler(64, 0xFF);
  bank.Reset(64);
  EXPECT_EQ(bank.Place(filler, true), 64u);
  EXPECT_EQ(bank.Place(filler, true), 64u);
}

}  // namespace
}  // namespace tilvex
