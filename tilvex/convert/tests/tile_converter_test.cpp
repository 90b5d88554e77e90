#include <gtest/gtest.h>

#include "convert/file_util.h"
#include "converter_fixture.h"

namespace tilvex {
namespace {

using testing::ExactColour;
using testing::FilledPicture;
using testing::Settings;
using testing::TestTables;
using testing::WholeOf;

const uint32_t kWhite = 0xFFFFFF;

// Every 8 x 8 tile of the picture different: tile n has n's bits as a pattern of two colours.
Picture DistinctTiles(int w, int h, uint32_t a, uint32_t b) {
  Picture picture = FilledPicture(w, h, a);
  int n = 0;
  for (int ty = 0; ty < h; ty += 8) {
    for (int tx = 0; tx < w; tx += 8, ++n) {
      for (int bit = 0; bit < 16; ++bit) {
        if (n >> bit & 1) WritePixel(picture, tx + bit % 8, ty + bit / 8, b);
      }
    }
  }
  return picture;
}

TEST(ConvertBanks, UniformScreenMakesOneTileInOneBank) {
  Picture picture = FilledPicture(256, 240, kWhite);
  PicHeader header = Settings(0, 0, true);
  TileConverter converter(TestTables());
  ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {}).ok);
  EXPECT_EQ(converter.blocks.Cells(), 960u);
  EXPECT_EQ(header.pntSize, 2880u);
  for (size_t i = 0; i < 960; ++i) ASSERT_EQ(converter.blocks.Code(i), 0);
  EXPECT_EQ(header.sectionRows[1], -1);
  EXPECT_EQ(header.sectionFill[0], 32);
  EXPECT_EQ(header.pgtSize, 8192u);
  for (size_t i = 32; i < 8192; ++i) ASSERT_EQ(converter.blocks.pgt[i], 0xFF) << i;
  // Every pixel is slot 0: all planes clear.
  for (size_t i = 0; i < 32; ++i) EXPECT_EQ(converter.blocks.pgt[i], 0);
  EXPECT_EQ(header.palUsed, 16);  // slot 0 of each palette holds the background
  EXPECT_EQ(header.palFirst, 0);
  EXPECT_EQ(header.palInfo, 2u);
  EXPECT_EQ(converter.blocks.PaletteEntry(1), 0xFFFF);
}

TEST(ConvertBanks, UncompressedScreenMovesRowsToNewBanks) {
  Picture picture = FilledPicture(256, 240, kWhite);
  PicHeader header = Settings(0, 0, false);
  TileConverter converter(TestTables());
  ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {}).ok);
  EXPECT_EQ(header.sectionRows[0], 0);
  EXPECT_EQ(header.sectionRows[1], 64);
  EXPECT_EQ(header.sectionRows[2], 128);
  EXPECT_EQ(header.sectionRows[3], 192);
  EXPECT_EQ(header.sectionRows[4], -1);
  EXPECT_EQ(header.pgtSize, 32768u);
  EXPECT_EQ(header.sectionFill[0], 8192);
  EXPECT_EQ(header.sectionFill[3], 6 * 32 * 64 / 2);  // 6 rows of 32 tiles
  EXPECT_EQ(converter.blocks.Code(255), 255);         // last tile of the first bank
  EXPECT_EQ(converter.blocks.Code(256), 0);           // row 64 starts the second bank
  EXPECT_EQ(converter.blocks.Code(768), 0);
}

TEST(ConvertBanks, BeginAddressLeavesRoomBeforeTheFirstTile) {
  Picture picture = FilledPicture(64, 64, kWhite);
  PicHeader header = Settings(0, 0, true);
  header.beginAddress = 0x100;
  TileConverter converter(TestTables());
  ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {}).ok);
  EXPECT_EQ(converter.blocks.Code(0), 8);
  for (size_t i = 0; i < 256; ++i) ASSERT_EQ(converter.blocks.pgt[i], 0xFF);
  EXPECT_EQ(converter.blocks.pgt[256], 0);
  EXPECT_EQ(header.sectionFill[0], 256 + 32);
}

TEST(ConvertBanks, CodesStepByTheBlockSize) {
  const uint32_t black = ExactColour(0, 0, 0);
  const int expectedStep[4] = {1, 2, 1, 2};
  for (int mode = 0; mode < 4; ++mode) {
    Picture picture = DistinctTiles(64, 32, kWhite, black);
    PicHeader header = Settings(0, mode, true);
    TileConverter converter(TestTables());
    ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {}).ok);
    for (int cell = 0; cell < 3; ++cell) {
      EXPECT_EQ(converter.blocks.Code(cell), cell * expectedStep[mode]) << "mode " << mode;
    }
  }
}

TEST(ConvertBanks, LimitsStopWithAMessageAndKeepTheOldPicture) {
  Picture picture = FilledPicture(64, 64, kWhite);
  TileConverter converter(TestTables());
  PicHeader header = Settings(0, 0, true);
  ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {}).ok);
  const BlockData before = converter.blocks;
  const PicHeader kept = header;

  header.endAddress = 0x2001;
  Result status = converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {});
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.message, "结束地址不能超过$2000,转换终止!");

  header = kept;
  header.beginAddress = 0x2000;
  EXPECT_FALSE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {}).ok);

  // 64 rows of uncompressed 8 x 8 tiles with four tiles per bank: 17 banks are needed.
  Picture tall = FilledPicture(16, 8 * 34, kWhite);
  header = Settings(0, 0, false);
  header.endAddress = 0x40 * 2;  // 256 pixels
  status = converter.BuildPalettes(tall, WholeOf(tall), kWhite, header, {});
  EXPECT_EQ(status.message, "PGT超过16个分区,转换终止!");

  // One row of four tiles cannot fit a bank of three.
  Picture wide = FilledPicture(32, 8, kWhite);
  header = Settings(0, 0, false);
  header.endAddress = 0x60;
  status = converter.BuildPalettes(wide, WholeOf(wide), kWhite, header, {});
  EXPECT_EQ(status.message, "第0行的块超过一个PGT分区的容量,转换终止!");

  EXPECT_EQ(converter.blocks.pgt, before.pgt);
  EXPECT_EQ(converter.blocks.pnt, before.pnt);
}

TEST(BitPlanes, ValueFiveSetsPlanesZeroAndTwo) {
  TileConverter converter(TestTables());
  converter.blocks.pgt.assign(32, 0xAA);
  converter.EncodePixel(5, 0, 0);
  EXPECT_EQ(converter.blocks.pgt[0] & 0x80, 0x80);
  EXPECT_EQ(converter.blocks.pgt[8] & 0x80, 0);
  EXPECT_EQ(converter.blocks.pgt[16] & 0x80, 0x80);
  EXPECT_EQ(converter.blocks.pgt[24] & 0x80, 0);
  // At the first pixel of a row the four plane bytes are started afresh.
  EXPECT_EQ(converter.blocks.pgt[0], 0x80);
  EXPECT_EQ(converter.blocks.pgt[8], 0x00);
}

TEST(BitPlanes, DecodeUndoesEncodeInBothColourModes) {
  for (int colourMode = 0; colourMode < 2; ++colourMode) {
    TileConverter converter(TestTables());
    const int mask = colourMode == 0 ? 15 : 3;
    converter.blocks.pgt.assign(colourMode == 0 ? 64 : 32, 0);
    for (size_t i = 0; i < 128; ++i)
      converter.EncodePixel(static_cast<uint8_t>(i * 7 & mask), i, colourMode);
    EXPECT_EQ(converter.pgtCursor, converter.blocks.pgt.size());
    converter.pgtCursor = 0;
    for (size_t i = 0; i < 128; ++i)
      ASSERT_EQ(converter.DecodePixel(i, colourMode), (i * 7) & mask);
  }
}

TEST(Palettes, AnalysisGathersColourSetsIntoPalettes) {
  TileConverter converter(TestTables());
  // 16 colours in one area, one of them the background.
  Picture picture = FilledPicture(32, 16, kWhite);
  for (int i = 1; i < 16; ++i) WritePixel(picture, i, 0, ExactColour(i, 0, i));
  // Second area: 15 other colours.
  for (int i = 0; i < 15; ++i) WritePixel(picture, 16 + i, 0, ExactColour(0, i + 1, 0));
  PicHeader header = Settings(0, 0, true);
  ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {}).ok);
  EXPECT_EQ(SlotRgb(converter.slots, 0, 0), kWhite);
  EXPECT_EQ(SlotRgb(converter.slots, 0, 15), ExactColour(15, 0, 15));
  EXPECT_EQ(SlotRgb(converter.slots, 1, 1), ExactColour(0, 1, 0));
  EXPECT_EQ(converter.blocks.Attribute(0), 0);
  EXPECT_EQ(converter.blocks.Attribute(2), 1);
  EXPECT_EQ(converter.blocks.Attribute(3), 1);  // same area, same palette
}

TEST(Palettes, FourColourSetsReuseAPaletteThatHoldsThem) {
  TileConverter converter(TestTables());
  for (int p = 0; p < 16; ++p) SetSlot(converter.slots, p, 0, kWhite);
  const uint32_t a[] = {1, 2, 3}, b[] = {4, 5, 6}, c[] = {7, 8, 9};
  ASSERT_TRUE(converter.FitColours(16, 4, a, 3));
  ASSERT_TRUE(converter.FitColours(16, 4, b, 3));
  ASSERT_TRUE(converter.FitColours(16, 4, c, 3));
  const uint32_t again[] = {kWhite, 9, 8};
  ASSERT_TRUE(converter.FitColours(16, 4, again, 3));
  EXPECT_EQ(converter.FindPalette({kWhite, 9, 8}, 4), 2);
  EXPECT_FALSE(SlotUsed(converter.slots, 3, 1));
  // A colour set that cannot fit changes nothing.
  const uint32_t tooMany[] = {10, 11, 12, 13};
  EXPECT_FALSE(converter.FitColours(16, 4, tooMany, 4));
  EXPECT_EQ(converter.FindPalette({10}, 4), -1);
  EXPECT_FALSE(SlotUsed(converter.slots, 3, 1));
}

TEST(Palettes, StopMessagesNameTheBlock) {
  TileConverter converter(TestTables());
  Picture picture = FilledPicture(32, 32, kWhite);
  for (int i = 0; i < 17; ++i) WritePixel(picture, 16 + i % 16, 16 + i / 16, ExactColour(i, i, 1));
  PicHeader header = Settings(0, 0, true);
  Result status = converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, {});
  EXPECT_EQ(status.message, "(16,16,24,24)内颜色超过16种,转换终止!");

  // Seventeen areas with different sets of two colours: the seventeenth finds no palette.
  Picture many = FilledPicture(16 * 17, 16, kWhite);
  for (int area = 0; area < 17; ++area) {
    for (int i = 0; i < 15; ++i)
      WritePixel(many, 16 * area + i, 0, ExactColour(i, area % 16, area / 16 + 3));
  }
  status = converter.BuildPalettes(many, WholeOf(many), kWhite, header, {});
  EXPECT_EQ(status.message, "没有可用的调色板匹配(256,0,264,8),转换终止!");

  header = Settings(1, 3, true);
  Picture five = FilledPicture(16, 16, kWhite);
  for (int i = 0; i < 4; ++i) WritePixel(five, i, 3, ExactColour(i + 1, 0, 0));
  status = converter.BuildPalettes(five, WholeOf(five), kWhite, header, {});
  EXPECT_EQ(status.message, "(0,0,16,16)内颜色超过4种,转换终止!");
}

TEST(Palettes, ReviewAndBatchPaletteFile) {
  Picture picture = FilledPicture(16, 16, kWhite);
  PicHeader header = Settings(0, 0, true);
  TileConverter converter(TestTables());
  PaletteSource cancel;
  cancel.review = [](SlotTable&) { return false; };
  Result status = converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, cancel);
  EXPECT_FALSE(status.ok);
  EXPECT_TRUE(status.message.empty());

  // A batch palette file without the "PAL" mark: the analysed palettes stay.
  PaletteSource batch;
  batch.batch = true;
  batch.batchPalettePath = ::testing::TempDir() + "/no-such-ani.pal";
  ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, batch).ok);
  EXPECT_EQ(SlotRgb(converter.slots, 3, 0), kWhite);

  // A file with the mark replaces them; white is then in palette 1 only.
  std::vector<uint8_t> file(16 + 2048, 0);
  file[0] = 'P', file[1] = 'A', file[2] = 'L';
  const size_t slot = 16 + 8 * 16;  // palette 1, slot 0
  file[slot] = file[slot + 1] = file[slot + 2] = 0xFF;
  file[slot + 4] = 1;
  batch.batchPalettePath = ::testing::TempDir() + "/ani.pal";
  ASSERT_TRUE(WriteBytesReplacing(batch.batchPalettePath, file).ok);
  ASSERT_TRUE(converter.BuildPalettes(picture, WholeOf(picture), kWhite, header, batch).ok);
  EXPECT_EQ(converter.blocks.Attribute(0), 1);

  // Palettes that do not hold the picture's colours stop the conversion.
  Picture red = FilledPicture(16, 16, ExactColour(5, 0, 0));
  status = converter.BuildPalettes(red, WholeOf(red), kWhite, header, batch);
  EXPECT_EQ(status.message, "没有可用的调色板匹配(0,0,8,8),转换终止!");
}

}  // namespace
}  // namespace tilvex

namespace tilvex {
namespace {

TEST(ConvertSettings, UnsuitablePicturesAndAreasStopBeforeAnything) {
  // An 8-bit picture cannot be read pixel by pixel: one message, not one per pixel.
  auto blank = MakeBlankBitmap(16, 16);
  ASSERT_TRUE(blank);
  BitmapBlock eightBit(40 + 1024 + 256, 0);
  std::copy(blank->begin(), blank->begin() + 40, eightBit.begin());
  eightBit[14] = 8;
  eightBit[20] = 0;
  eightBit[21] = 1;  // image size 256
  Picture picture;
  ASSERT_TRUE(picture.Install(eightBit));
  PicHeader header = testing::Settings(0, 0, true);
  TileConverter converter(testing::TestTables());
  Result status = converter.BuildPalettes(picture, {0, 0, 16, 16}, 0, header, {});
  EXPECT_EQ(status.message, kNot24BitMessage);

  // Working areas must hold whole blocks; the first tile must start on a code unit.
  Picture white = testing::FilledPicture(32, 32, 0xFFFFFF);
  status = converter.BuildPalettes(white, {0, 0, 20, 16}, 0xFFFFFF, header, {});
  EXPECT_FALSE(status.ok);
  EXPECT_FALSE(status.message.empty());
  header.beginAddress = 0x10;
  status = converter.BuildPalettes(white, {0, 0, 16, 16}, 0xFFFFFF, header, {});
  EXPECT_EQ(status.message, "起始地址必须是$20的整数倍,转换终止!");
  EXPECT_TRUE(converter.blocks.pnt.empty());
}

}  // namespace
}  // namespace tilvex
