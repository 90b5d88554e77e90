#include <gtest/gtest.h>

#include "converter_fixture.h"

namespace tilvex {
namespace {

using testing::Convert;
using testing::ExactColour;
using testing::FilledPicture;
using testing::Settings;

// A picture whose every pixel differs from its neighbours' colours as far as one 16 x 16
// area's palette allows: four colours in stripes, with the last pixel a colour of its own.
Picture Striped(int w, int h) {
  Picture picture = FilledPicture(w, h, ExactColour(0, 0, 0));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) picture.Set(x, y, ExactColour(x % 3 + 1, y % 2 * 5, 0));
  }
  picture.Set(w - 1, h - 1, ExactColour(9, 9, 9));
  return picture;
}

TEST(ConversionSettingsArea, TheWholePictureIsRoundedUpToWholeBlocks) {
  EXPECT_EQ(WholePictureArea(FilledPicture(20, 12, 0), 0).right, 24);
  EXPECT_EQ(WholePictureArea(FilledPicture(20, 12, 0), 0).bottom, 16);
  EXPECT_EQ(WholePictureArea(FilledPicture(40, 24, 0), 3).right, 48);
  EXPECT_EQ(WholePictureArea(FilledPicture(40, 24, 0), 3).bottom, 32);
  EXPECT_EQ(WholePictureArea(FilledPicture(40, 24, 0), 1).bottom, 32);  // 8*16
  EXPECT_EQ(WholePictureArea(FilledPicture(40, 24, 0), 2).right, 48);   // 16*8
  // Sizes that are whole blocks already stay.
  EXPECT_EQ(WholePictureArea(FilledPicture(256, 240, 0), 0).right, 256);
  EXPECT_EQ(WholePictureArea(FilledPicture(256, 240, 0), 0).bottom, 240);
}

TEST(ConversionSettingsArea, OneFitRuleForEveryBlockSize) {
  EXPECT_EQ(CheckAreaFitsBlocks({0, 0, 120, 8}, 2).message, kAreaMismatchMessage);
  EXPECT_TRUE(CheckAreaFitsBlocks({0, 0, 128, 8}, 2).ok);
  EXPECT_FALSE(CheckAreaFitsBlocks({0, 0, 8, 8}, 1).ok);
  EXPECT_TRUE(CheckAreaFitsBlocks({3, 5, 19, 21}, 3).ok);  // the size counts, not the corner
}

TEST(ConversionSettingsArea, DefaultsAreTheDialogsOpeningValues) {
  Picture picture = FilledPicture(20, 12, 0x123456);
  picture.Set(0, 0, 0x0000FF);
  const ConversionSettings s = DefaultSettings(picture);
  EXPECT_EQ(s.area.right, 24);
  EXPECT_EQ(s.area.bottom, 16);
  EXPECT_EQ(s.background, 0x0000FFu);
  EXPECT_EQ(s.colourMode, 0);
  EXPECT_EQ(s.blockMode, 0);
  EXPECT_EQ(s.compressMode, 0);
  EXPECT_EQ(s.colourSpace, 0);
  EXPECT_EQ(s.beginAddress, 0);
  EXPECT_EQ(s.endAddress, 0x2000);
  EXPECT_TRUE(s.palettesFile.empty());
}

// Pictures whose size is not a multiple of the block keep every pixel, the last one too.
TEST(ConversionSettingsEdges, PicturesOfPartBlocksConvertWhole) {
  struct Case {
    int w, h, blockMode, blockPictureW, blockPictureH;
  };
  for (const Case& c : {Case{20, 12, 0, 24, 16}, Case{40, 24, 3, 48, 32}, Case{9, 17, 1, 16, 32}}) {
    const Picture source = Striped(c.w, c.h);
    const ConversionSettings settings = Settings(0, c.blockMode, true);
    const Conversion converted =
        Convert(source, WholePictureArea(source, c.blockMode), ExactColour(0, 0, 0), settings);
    ASSERT_TRUE(converted.status.ok) << converted.status.Text();
    EXPECT_EQ(converted.picture.header.width, uint32_t(c.blockPictureW));
    EXPECT_EQ(converted.picture.header.height, uint32_t(c.blockPictureH));
    Picture rendered = FilledPicture(c.blockPictureW, c.blockPictureH, 0xFFFFFF);
    RenderBlockPicture(converted.picture, testing::TestTables(), rendered);
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        ASSERT_EQ(rendered.At(x, y), source.At(x, y))
            << c.w << "x" << c.h << " at " << x << "," << y;
      }
    }
    // Pixels past the edge count as black, the background here.
    EXPECT_EQ(rendered.At(c.blockPictureW - 1, c.blockPictureH - 1), ExactColour(0, 0, 0));
  }
}

TEST(ConversionSettingsEdges, AnAreaPastTheEdgeReadsBlackThere) {
  const Rgb red = ExactColour(5, 0, 0);
  const Rgb black = ExactColour(0, 0, 0);
  Picture picture = FilledPicture(12, 8, red);
  picture.Set(0, 0, black);  // black in the palette, so the outside pixels can show it
  const Conversion c = Convert(picture, {0, 0, 16, 8}, red, Settings(1, 0, true));
  ASSERT_TRUE(c.status.ok) << c.status.Text();
  Picture rendered = FilledPicture(16, 8, 0xFFFFFF);
  RenderBlockPicture(c.picture, testing::TestTables(), rendered);
  EXPECT_EQ(rendered.At(11, 7), red);
  EXPECT_EQ(rendered.At(12, 0), black);
  EXPECT_EQ(rendered.At(15, 7), black);
}

TEST(ConversionSettingsPalettes, ANamedPaletteFileMustBeThere) {
  const Picture picture = FilledPicture(16, 16, 0);
  ConversionSettings settings = Settings(0, 0, true);
  settings.area = {0, 0, 16, 16};
  settings.palettesFile = "no-such-folder/ani.pal";
  const Conversion c = ConvertPicture(picture, settings, {}, testing::TestTables());
  EXPECT_FALSE(c.status.ok);
  EXPECT_EQ(c.status.Text().rfind("no-such-folder/ani.pal: ", 0), 0u) << c.status.Text();
}

}  // namespace
}  // namespace tilvex
