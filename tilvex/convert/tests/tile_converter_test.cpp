#include <gtest/gtest.h>

#include "convert/bit_planes.h"
#include "converter_fixture.h"

namespace tilvex {
namespace {

using testing::Convert;
using testing::ExactColour;
using testing::FilledPicture;
using testing::Settings;
using testing::WholeOf;

const Rgb kWhite = 0xFFFFFF;

TEST(ConvertBanks, UniformScreenMakesOneTileInOneBank) {
  Picture picture = FilledPicture(256, 240, kWhite);
  const Conversion c = Convert(picture, WholeOf(picture), kWhite, Settings(0, 0, true));
  ASSERT_TRUE(c.status.ok);
  const PicHeader& header = c.picture.header;
  const BlockData& blocks = c.picture.blocks;
  EXPECT_EQ(blocks.Cells(), 960u);
  EXPECT_EQ(header.pntSize, 2880u);
  for (size_t i = 0; i < 960; ++i) ASSERT_EQ(blocks.Code(i), 0);
  EXPECT_EQ(header.sectionRows[1], -1);
  EXPECT_EQ(header.sectionFill[0], 32);
  EXPECT_EQ(header.pgtSize, 8192u);
  for (size_t i = 32; i < 8192; ++i) ASSERT_EQ(blocks.pgt[i], 0xFF) << i;
  // Every pixel is slot 0: all planes clear.
  for (size_t i = 0; i < 32; ++i) EXPECT_EQ(blocks.pgt[i], 0);
  EXPECT_EQ(header.palUsed, 16);  // slot 0 of each palette holds the background
  EXPECT_EQ(header.palFirst, 0);
  EXPECT_EQ(header.palInfo, 2u);
  EXPECT_EQ(blocks.PaletteEntry(1), 0xFFFF);
}

TEST(ConvertBanks, UncompressedScreenMovesRowsToNewBanks) {
  Picture picture = FilledPicture(256, 240, kWhite);
  const Conversion c = Convert(picture, WholeOf(picture), kWhite, Settings(0, 0, false));
  ASSERT_TRUE(c.status.ok);
  const PicHeader& header = c.picture.header;
  const int32_t rows[] = {0, 64, 128, 192, -1};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(header.sectionRows[k], rows[k]);
  EXPECT_EQ(header.pgtSize, 32768u);
  EXPECT_EQ(header.sectionFill[0], 8192);
  EXPECT_EQ(header.sectionFill[3], 6 * 32 * 64 / 2);  // 6 rows of 32 tiles
  EXPECT_EQ(c.picture.blocks.Code(255), 255);         // last tile of the first bank
  EXPECT_EQ(c.picture.blocks.Code(256), 0);           // row 64 starts the second bank
  EXPECT_EQ(c.picture.blocks.Code(768), 0);
}

TEST(ConvertBanks, BeginAddressLeavesRoomBeforeTheFirstTile) {
  Picture picture = FilledPicture(64, 64, kWhite);
  ConversionSettings settings = Settings(0, 0, true);
  settings.beginAddress = 0x100;
  const Conversion c = Convert(picture, WholeOf(picture), kWhite, settings);
  ASSERT_TRUE(c.status.ok);
  EXPECT_EQ(c.picture.blocks.Code(0), 8);
  for (size_t i = 0; i < 256; ++i) ASSERT_EQ(c.picture.blocks.pgt[i], 0xFF);
  EXPECT_EQ(c.picture.blocks.pgt[256], 0);
  EXPECT_EQ(c.picture.header.sectionFill[0], 256 + 32);
}

TEST(ConvertBanks, BankLimitsStopWithAMessage) {
  Picture picture = FilledPicture(64, 64, kWhite);
  // An end past the address space is a command-line case.
  ConversionSettings settings = Settings(0, 0, true);
  settings.beginAddress = 0x2000;
  EXPECT_FALSE(Convert(picture, WholeOf(picture), kWhite, settings).status.ok);

  // 34 rows of uncompressed 8 x 8 tiles with four tiles per bank: 17 banks are needed.
  Picture tall = FilledPicture(16, 8 * 34, kWhite);
  settings = Settings(0, 0, false);
  settings.endAddress = 0x40 * 2;  // 256 pixels
  EXPECT_EQ(Convert(tall, WholeOf(tall), kWhite, settings).status.message,
            "PGT超过16个分区,转换终止!可转换的最大区域为16x256。");

  // One row of four tiles cannot fit a bank of three.
  Picture wide = FilledPicture(32, 8, kWhite);
  settings.endAddress = 0x60;
  EXPECT_EQ(Convert(wide, WholeOf(wide), kWhite, settings).status.message,
            "第0行的块超过一个PGT分区的容量,转换终止!可转换的最大区域为24x8。");
}

TEST(BitPlanes, PackingSpreadsEachPixelOverThePlanesAndUnpackingUndoesIt) {
  std::vector<uint8_t> pixels(64, 0);
  pixels[0] = 5;  // planes 0 and 2 of the first row's leftmost pixel
  const std::vector<uint8_t> pgt = PackBitPlanes(pixels, 0);
  ASSERT_EQ(pgt.size(), 32u);
  EXPECT_EQ(pgt[0], 0x80);
  EXPECT_EQ(pgt[8], 0x00);
  EXPECT_EQ(pgt[16], 0x80);
  EXPECT_EQ(pgt[24], 0x00);

  for (int colourMode = 0; colourMode < 2; ++colourMode) {
    const int mask = colourMode == 0 ? 15 : 3;
    std::vector<uint8_t> stream(128);
    for (size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<uint8_t>(i * 7 & 0xFF);
    const std::vector<uint8_t> packed = PackBitPlanes(stream, colourMode);
    ASSERT_EQ(packed.size(), colourMode == 0 ? 64u : 32u);
    for (size_t i = 0; i < stream.size(); ++i) {
      ASSERT_EQ(UnpackPixel(packed.data(), i, colourMode), stream[i] & mask) << i;
    }
  }
}

TEST(Palettes, AnalysisGathersColourSetsIntoPalettes) {
  // 16 colours in one area, one of them the background.
  Picture picture = FilledPicture(32, 16, kWhite);
  for (int i = 1; i < 16; ++i) picture.Set(i, 0, ExactColour(i, 0, i));
  // Second area: 15 other colours.
  for (int i = 0; i < 15; ++i) picture.Set(16 + i, 0, ExactColour(0, i + 1, 0));
  const Conversion c = Convert(picture, WholeOf(picture), kWhite, Settings(0, 0, true));
  ASSERT_TRUE(c.status.ok);
  EXPECT_EQ(c.slots.At(0, 0).rgb, kWhite);
  EXPECT_EQ(c.slots.At(0, 15).rgb, ExactColour(15, 0, 15));
  EXPECT_EQ(c.slots.At(1, 1).rgb, ExactColour(0, 1, 0));
  EXPECT_EQ(c.picture.blocks.Attribute(0), 0);
  EXPECT_EQ(c.picture.blocks.Attribute(2), 1);
  EXPECT_EQ(c.picture.blocks.Attribute(3), 1);  // same area, same palette
}

TEST(Palettes, FourColourSetsReuseAPaletteThatHoldsThem) {
  SlotTable slots;
  for (int p = 0; p < 16; ++p) slots.At(p, 0) = {kWhite, 1};
  const Rgb a[] = {1, 2, 3}, b[] = {4, 5, 6}, c[] = {7, 8, 9};
  ASSERT_TRUE(FitColours(slots, 4, a));
  ASSERT_TRUE(FitColours(slots, 4, b));
  ASSERT_TRUE(FitColours(slots, 4, c));
  const Rgb again[] = {kWhite, 9, 8};
  ASSERT_TRUE(FitColours(slots, 4, again));
  EXPECT_EQ(FindPalette(slots, again, 4), 2);
  EXPECT_EQ(slots.At(3, 1).used, 0u);
  // A colour set that cannot fit changes nothing.
  const Rgb tooMany[] = {10, 11, 12, 13};
  EXPECT_FALSE(FitColours(slots, 4, tooMany));
  EXPECT_EQ(FindPalette(slots, std::vector<Rgb>{10}, 4), -1);
  EXPECT_EQ(slots.At(3, 1).used, 0u);
}

TEST(Palettes, StopMessagesNameTheBlock) {
  Picture picture = FilledPicture(32, 32, kWhite);
  for (int i = 0; i < 17; ++i) picture.Set(16 + i % 16, 16 + i / 16, ExactColour(i, i, 1));
  const ConversionSettings settings = Settings(0, 0, true);
  EXPECT_EQ(Convert(picture, WholeOf(picture), kWhite, settings).status.message,
            "(16,16,24,24)内颜色超过16种,转换终止!");

  // Seventeen areas with different sets of two colours: the seventeenth finds no palette.
  Picture many = FilledPicture(16 * 17, 16, kWhite);
  for (int area = 0; area < 17; ++area) {
    for (int i = 0; i < 15; ++i)
      many.Set(16 * area + i, 0, ExactColour(i, area % 16, area / 16 + 3));
  }
  EXPECT_EQ(Convert(many, WholeOf(many), kWhite, settings).status.message,
            "没有可用的调色板匹配(256,0,264,8),转换终止!");

  Picture five = FilledPicture(16, 16, kWhite);
  for (int i = 0; i < 4; ++i) five.Set(i, 3, ExactColour(i + 1, 0, 0));
  EXPECT_EQ(Convert(five, WholeOf(five), kWhite, Settings(1, 3, true)).status.message,
            "(0,0,16,16)内颜色超过4种,转换终止!");
}

TEST(Palettes, ReviewAndFixedPalettes) {
  Picture picture = FilledPicture(16, 16, kWhite);
  const ConversionSettings settings = Settings(0, 0, true);
  PaletteChoice cancel;
  cancel.review = [](SlotTable&) { return false; };
  const Conversion cancelled = Convert(picture, WholeOf(picture), kWhite, settings, cancel);
  EXPECT_FALSE(cancelled.status.ok);
  EXPECT_TRUE(cancelled.status.message.empty());

  // Fixed palettes replace the gathered ones; white is then in palette 1 only, and a colour
  // held twice takes its lowest slot.
  PaletteChoice fixed;
  fixed.fixed = SlotTable{};
  fixed.fixed->At(1, 0) = {ExactColour(3, 0, 0), 1};
  fixed.fixed->At(1, 1) = {kWhite, 1};
  fixed.fixed->At(1, 2) = {kWhite, 1};
  const Conversion c = Convert(picture, WholeOf(picture), kWhite, settings, fixed);
  ASSERT_TRUE(c.status.ok);
  EXPECT_EQ(c.picture.blocks.Attribute(0), 1);
  EXPECT_EQ(UnpackPixel(c.picture.blocks.pgt.data(), 0, 0), 1);

  // Palettes that do not hold the picture's colours stop the conversion.
  Picture red = FilledPicture(16, 16, ExactColour(5, 0, 0));
  EXPECT_EQ(Convert(red, WholeOf(red), kWhite, settings, fixed).status.message,
            "没有可用的调色板匹配(0,0,8,8),转换终止!");
}

TEST(ConvertSettings, WorkingAreasMustHoldWholeBlocksAndStartInsideThePicture) {
  Picture white = FilledPicture(32, 32, kWhite);
  ConversionSettings settings = Settings(0, 0, true);
  EXPECT_EQ(Convert(white, {0, 0, 20, 16}, kWhite, settings).status.message,
            "当前区域与块大小不匹配!");
  // Past the right and bottom edges is allowed; starting outside is not.
  EXPECT_TRUE(Convert(white, {16, 16, 48, 48}, kWhite, settings).status.ok);
  EXPECT_EQ(Convert(white, {32, 0, 40, 8}, kWhite, settings).status.message,
            "转换区域(32,0,40,8)不在图像(32x32)之内,转换终止!");
  EXPECT_FALSE(Convert(white, {-8, 0, 8, 8}, kWhite, settings).status.ok);
  EXPECT_FALSE(Convert(white, {0, 0, 8 << 20, 8 << 20}, kWhite, settings).status.ok);
  // The first tile must start on a code unit.
  settings.beginAddress = 0x10;
  EXPECT_EQ(Convert(white, {0, 0, 16, 16}, kWhite, settings).status.message,
            "起始地址必须是$20的整数倍,转换终止!");
}

TEST(ConvertSettings, PicturesWiderThanThePicFileTakesAreRefused) {
  Picture wide = FilledPicture(8200, 8, kWhite);
  const ConversionSettings settings = Settings(0, 0, true);
  EXPECT_EQ(Convert(wide, WholeOf(wide), kWhite, settings).status.message,
            "转换区域的宽和高不能超过8192,转换终止!");
  const Conversion c = Convert(wide, {0, 0, 8192, 8}, kWhite, settings);
  ASSERT_TRUE(c.status.ok);
  const std::vector<uint8_t> file = EncodePicFile(c.picture);
  EXPECT_EQ(ParsePicFile(file.data(), file.size()).kind, PicLoadKind::kBlockPicture);
}

struct RecordedProgress : Progress {
  int low = -1, high = -1, step = -1, steps = 0, closes = 0;
  std::string text;
  void Open(int l, int h, int s) override { low = l, high = h, step = s; }
  void SetText(const char* t) override { text = t; }
  void Step() override { ++steps; }
  void Close() override { ++closes; }
};

TEST(ConvertProgress, OneStepPerBlockRowInEachPass) {
  Picture picture = FilledPicture(32, 48, kWhite);
  RecordedProgress progress;
  // 8*16 blocks: two block rows in the area.
  ASSERT_TRUE(
      Convert(picture, {0, 16, 32, 48}, kWhite, Settings(0, 1, true), {}, progress).status.ok);
  EXPECT_EQ(progress.low, 16);
  EXPECT_EQ(progress.high, 96);
  EXPECT_EQ(progress.step, 16);
  EXPECT_EQ(progress.steps, 2 * 2);
  EXPECT_EQ(progress.text, "转换中...");
  EXPECT_EQ(progress.closes, 1);
}

}  // namespace
}  // namespace tilvex
