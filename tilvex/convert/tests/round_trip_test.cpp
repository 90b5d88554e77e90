// Random pictures that obey the colour rules convert and render back to the same pixels.
#include <gtest/gtest.h>

#include <random>

#include "converter_fixture.h"

namespace tilvex {
namespace {

using testing::ExactColour;
using testing::Settings;
using testing::TestTables;

struct Case {
  Picture picture;
  WorkArea area;
  uint32_t background;
};

// Areas draw their colours from a few colour sets; each set fits an empty palette beside
// the background, so the analysis always finds room. Tiles are sometimes copied so that
// compression has repeats to find.
Case RandomCase(std::mt19937& random, int colourMode, int blockMode) {
  const int limit = colourMode == 0 ? 16 : 4;
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const uint32_t background = ExactColour(pick(14), pick(16), pick(16));
  std::vector<std::vector<uint32_t>> sets(static_cast<size_t>(1 + pick(8)));
  for (auto& set : sets) {
    set.push_back(background);
    int extra = 1 + pick(limit - 1);
    while (static_cast<int>(set.size()) < extra + 1) {
      uint32_t colour = ExactColour(pick(14), pick(16), pick(16));
      if (std::find(set.begin(), set.end(), colour) == set.end()) set.push_back(colour);
    }
  }
  const int areaW = 16 * (1 + pick(5)), areaH = 16 * (1 + pick(5));
  // The working area may start off the 16-pixel grid (on the block grid).
  const int left = 8 * pick(3), top = 8 * pick(3);
  Case c{MakeBlankPicture(left + areaW + 8, top + areaH + 8),
         {left, top, left + areaW, top + areaH},
         background};
  for (int ay = top; ay < top + areaH; ay += 16) {
    for (int ax = left; ax < left + areaW; ax += 16) {
      const auto& set = sets[static_cast<size_t>(pick(static_cast<int>(sets.size())))];
      const bool plain = pick(3) == 0;
      for (int y = ay; y < ay + 16; ++y) {
        for (int x = ax; x < ax + 16; ++x) {
          uint32_t rgb = plain ? set[static_cast<size_t>((x / 8 + y / 8) % 2) % set.size()]
                               : set[static_cast<size_t>(pick(static_cast<int>(set.size())))];
          WritePixel(c.picture, x, y, rgb);
        }
      }
    }
  }
  (void)blockMode;
  return c;
}

TEST(RoundTrip, ConvertThenRenderGivesBackTheSourcePixels) {
  int converted = 0;
  for (unsigned seed = 1; seed <= 320; ++seed) {
    std::mt19937 random(seed);
    const int colourMode = static_cast<int>(seed % 2);
    const int blockMode = static_cast<int>(seed / 2 % 4);
    const bool compress = seed / 8 % 2 == 0;
    Case c = RandomCase(random, colourMode, blockMode);
    PicHeader header = Settings(colourMode, blockMode, compress);
    if (seed % 3 == 0) header.endAddress = 0x400;  // small banks: many bank switches
    if (seed % 5 == 0) header.beginAddress = 0x80;
    TileConverter converter(TestTables());
    Result status = converter.BuildPalettes(c.picture, c.area, c.background, header, {});
    ASSERT_TRUE(status.ok) << "seed " << seed << ": " << status.message;
    ++converted;

    Picture rendered =
        MakeBlankPicture(static_cast<int>(header.width), static_cast<int>(header.height));
    converter.RenderAll(rendered, header);
    for (int y = 0; y < static_cast<int>(header.height); ++y) {
      for (int x = 0; x < static_cast<int>(header.width); ++x) {
        uint32_t expected = 0, actual = 1;
        ReadPixel(c.picture, c.area.left + x, c.area.top + y, expected);
        ReadPixel(rendered, x, y, actual);
        ASSERT_EQ(actual, expected) << "seed " << seed << " at " << x << "," << y;
      }
    }

    // The same block picture survives a trip through the .pic file.
    std::vector<uint8_t> file = EncodePicFile(header, converter.blocks);
    ASSERT_EQ(file.size(), 1120 + header.pntSize + 512 + header.pgtSize);
    PicLoad load = ParsePicFile(file.data(), file.size());
    ASSERT_EQ(load.kind, PicLoadKind::kBlockPicture) << load.message;
    EXPECT_EQ(EncodePicHeader(load.header), EncodePicHeader(header));
    EXPECT_EQ(load.blocks.pnt, converter.blocks.pnt);
    EXPECT_EQ(load.blocks.pgt, converter.blocks.pgt);
  }
  EXPECT_EQ(converted, 320);
}

}  // namespace
}  // namespace tilvex
