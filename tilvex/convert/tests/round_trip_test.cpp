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
// the background, so the analysis always finds room. Some areas repeat a plain pattern so
// that compression has equal tiles to find. The working area starts on the block grid of
// the block mode, off the 16-pixel grid where the block allows it.
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
  const BlockGeometry g = GeometryOf(blockMode);
  const int areaW = 16 * (1 + pick(5)), areaH = 16 * (1 + pick(5));
  const int left = g.width * pick(3), top = g.height * pick(3);
  Case c{testing::FilledPicture(left + areaW + 8, top + areaH + 8, 0xFFFFFF),
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
          c.picture.Set(x, y, rgb);
        }
      }
    }
  }
  return c;
}

TEST(RoundTrip, ConvertThenRenderGivesBackTheSourcePixels) {
  int perBlockMode[4] = {};
  for (unsigned seed = 1; seed <= 320; ++seed) {
    std::mt19937 random(seed);
    const int colourMode = static_cast<int>(seed % 2);
    const int blockMode = static_cast<int>(seed / 2 % 4);
    const bool compress = seed / 8 % 2 == 0;
    Case c = RandomCase(random, colourMode, blockMode);
    ConversionSettings header = Settings(colourMode, blockMode, compress);
    if (seed % 3 == 0) header.endAddress = 0x400;  // small banks: many bank switches
    if (seed % 5 == 0) header.beginAddress = 0x80;
    const Conversion converted = testing::Convert(c.picture, c.area, c.background, header);
    ASSERT_TRUE(converted.status.ok) << "seed " << seed << ": " << converted.status.message;
    const BlockPicture& block = converted.picture;
    ASSERT_EQ(block.header.blockMode, blockMode);
    ++perBlockMode[blockMode];

    const int width = static_cast<int>(block.header.width);
    const int height = static_cast<int>(block.header.height);
    Picture rendered = testing::FilledPicture(width, height, 0xFFFFFF);
    RenderBlockPicture(block, TestTables(), rendered);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(rendered.At(x, y), c.picture.At(c.area.left + x, c.area.top + y))
            << "seed " << seed << " at " << x << "," << y;
      }
    }

    // The same block picture survives a trip through the .pic file.
    std::vector<uint8_t> file = EncodePicFile(block);
    ASSERT_EQ(file.size(), 1120 + block.header.pntSize + 512 + block.header.pgtSize);
    PicLoad load = ParsePicFile(file.data(), file.size());
    ASSERT_EQ(load.kind, PicLoadKind::kBlockPicture) << load.message;
    EXPECT_EQ(EncodePicFile(load.picture), file);
  }
  for (int mode = 0; mode < 4; ++mode) EXPECT_EQ(perBlockMode[mode], 80) << "block mode " << mode;
}

}  // namespace
}  // namespace tilvex
