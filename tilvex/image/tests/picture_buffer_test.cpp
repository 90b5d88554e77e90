#include "image/picture_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "test_files.h"

namespace tilvex {
namespace {

using test::ReadBytes;

PictureBuffer BlankPicture(int32_t w, int32_t h) {
  PictureBuffer picture;
  std::optional<BitmapBlock> block = picture.CreateBlank(w, h, 7);
  EXPECT_TRUE(block.has_value());
  EXPECT_TRUE(picture.Install(std::move(*block)));
  return picture;
}

TEST(PictureBuffer, BlankPictureIsWhiteWithRowsPaddedToFourBytes) {
  PictureBuffer picture;
  std::optional<BitmapBlock> block = picture.CreateBlank(5, 2, 7);
  ASSERT_TRUE(block);
  EXPECT_EQ(picture.kind, 7);
  ASSERT_EQ(block->size(), 40u + 32u);
  const std::optional<BitmapInfo> info = ReadBitmapInfo(*block);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->stride, 16u);
  EXPECT_EQ((*block)[20], 32);                        // image size
  EXPECT_EQ((*block)[24] | (*block)[25] << 8, 3780);  // pixels per metre
  EXPECT_TRUE(std::all_of(block->begin() + 40, block->end(), [](uint8_t b) { return b == 0xFF; }));

  ASSERT_TRUE(picture.Install(std::move(*block)));
  EXPECT_EQ(picture.Stride(), 16u);
  EXPECT_EQ(picture.area.right, 5);
  EXPECT_EQ(picture.area.bottom, 2);
}

TEST(PictureBuffer, RowsAreStoredBottomUpAsBlueGreenRed) {
  PictureBuffer picture = BlankPicture(5, 2);
  ASSERT_EQ(picture.SetPixel(0, 0, MakeRgb(0x11, 0x22, 0x33)), PixelAccess::kOk);
  // Row 0 of the picture is the last row in memory.
  const uint8_t* lastRow = picture.PixelRows() + 16;
  EXPECT_EQ(lastRow[0], 0x33);
  EXPECT_EQ(lastRow[1], 0x22);
  EXPECT_EQ(lastRow[2], 0x11);
  const PixelRead read = picture.GetPixel(0, 0);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.rgb, MakeRgb(0x11, 0x22, 0x33));
  EXPECT_EQ(picture.GetPixel(4, 1).rgb, 0xFFFFFFu & 0xFFFFFF);
}

TEST(PictureBuffer, PixelsOutsideThePictureOrNot24BitAreRefused) {
  PictureBuffer picture = BlankPicture(5, 2);
  EXPECT_EQ(picture.GetPixel(5, 0).access, PixelAccess::kOutside);
  EXPECT_EQ(picture.GetPixel(-1, 0).access, PixelAccess::kOutside);
  EXPECT_EQ(picture.GetPixel(0, 2).access, PixelAccess::kOutside);
  EXPECT_EQ(picture.SetPixel(0, -1, 0), PixelAccess::kOutside);

  // An 8-bit picture: header, 256-entry colour table, one 4-byte row.
  BitmapBlock eight(40 + 1024 + 4, 0);
  eight[0] = 40;
  eight[4] = 3;
  eight[8] = 1;
  eight[12] = 1;
  eight[14] = 8;
  ASSERT_TRUE(picture.Install(eight));
  EXPECT_EQ(picture.GetPixel(0, 0).access, PixelAccess::kNot24Bit);
  EXPECT_EQ(picture.GetPixel(5, 0).access, PixelAccess::kNot24Bit);
  EXPECT_EQ(picture.SetPixel(0, 0, 0), PixelAccess::kNot24Bit);
}

TEST(PictureBuffer, InstallRefusesBlocksThatDoNotHoldTheirRows) {
  PictureBuffer picture = BlankPicture(4, 4);
  BitmapBlock block = *MakeBlankBitmap(4, 4);
  block.resize(block.size() - 1);
  EXPECT_FALSE(picture.Install(block));
  EXPECT_FALSE(picture.HasImage());  // the old image is released all the same
  EXPECT_FALSE(picture.Install({}));
  BitmapBlock huge = *MakeBlankBitmap(4, 4);
  test::PutU32(huge, 4, 100000);  // width
  EXPECT_FALSE(picture.Install(huge));
  EXPECT_FALSE(MakeBlankBitmap(0, 5));
  EXPECT_FALSE(MakeBlankBitmap(16385, 1));
}

TEST(PictureBuffer, NewCommandPictureHasZeroedSizeFieldsAndFourSpareBytes) {
  PictureBuffer picture;
  ASSERT_TRUE(picture.CreateNew(3, 2));
  EXPECT_TRUE(picture.HasDisplayPalette());
  const BitmapBlock& block = picture.Image();
  EXPECT_EQ(block.size(), 40u + 12u * 2u + 4u);
  EXPECT_EQ(block[20], 0);  // image size
  EXPECT_EQ(block[24], 0);  // resolution
  EXPECT_EQ(picture.GetPixel(2, 1).rgb, 0xFFFFFFu);
  // Before the New dialog has run the size is 0 x 0: no image, no failure.
  EXPECT_TRUE(picture.CreateNew(0, 0));
  EXPECT_FALSE(picture.HasImage());
  EXPECT_FALSE(picture.CreateNew(20000, 10));
}

TEST(PictureBuffer, SavingA3x3PictureWritesHeaderAndPaddedRows) {
  const std::string dir = test::TempFolder("save");
  PictureBuffer picture = BlankPicture(3, 3);
  picture.SetPixel(1, 1, MakeRgb(1, 2, 3));
  ASSERT_TRUE(picture.Save(dir + "/out.BMP"));
  const std::vector<uint8_t> file = ReadBytes(dir + "/out.BMP");
  ASSERT_EQ(file.size(), 14u + 40u + 36u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(file[2], 90);
  EXPECT_EQ(file[10], 54);
  EXPECT_EQ(file[14 + 20], 36);
  EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), picture.Image().begin()));

  // The New command's block saves with a recomputed image size and without its spare bytes.
  PictureBuffer made;
  ASSERT_TRUE(made.CreateNew(3, 3));
  ASSERT_TRUE(made.Save(dir + "/new.bmp"));
  const std::vector<uint8_t> newFile = ReadBytes(dir + "/new.bmp");
  EXPECT_EQ(newFile.size(), 90u);
  EXPECT_EQ(newFile[14 + 20], 36);
}

TEST(PictureBuffer, SaveWritesOnlyKnownKindsAndKeepsOldFilesOnFailure) {
  const std::string dir = test::TempFolder("save_kinds");
  PictureBuffer picture = BlankPicture(2, 2);
  test::WriteBytes(dir + "/keep.txt", {1, 2, 3});
  ASSERT_TRUE(picture.Save(dir + "/keep.txt"));
  EXPECT_EQ(ReadBytes(dir + "/keep.txt").size(), 3u);
  // A new file of another kind is made empty (there is nothing to put in it); one that cannot
  // be created fails the save.
  ASSERT_TRUE(picture.Save(dir + "/photo.png"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/photo.png"));
  EXPECT_EQ(ReadBytes(dir + "/photo.png").size(), 0u);
  EXPECT_FALSE(picture.Save(dir + "/missing-folder/photo.png"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/missing-folder"));

  // A .pic save needs a block picture and the document's writer.
  int calls = 0;
  const PicFileWriter writer = [&](const PictureBuffer&) {
    ++calls;
    return std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{'P', 'I', 'C', 0});
  };
  ASSERT_TRUE(picture.Save(dir + "/a.pic", writer));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ReadBytes(dir + "/a.pic").size(), 0u);
  EXPECT_FALSE(picture.Save(dir + "/missing-folder/a.pic", writer));
  picture.kind = kPictureKindBlock;
  EXPECT_FALSE(picture.Save(dir + "/a.pic"));
  ASSERT_TRUE(picture.Save(dir + "/a.pic", writer));
  EXPECT_EQ(ReadBytes(dir + "/a.pic").size(), 4u);

  // A picture held with the 12-byte header is not written as BMP; the old file stays whole.
  BitmapBlock core(12 + 16, 0);
  core[0] = 12;
  core[4] = 2;
  core[6] = 2;
  core[8] = 1;
  core[10] = 24;
  test::WriteBytes(dir + "/old.bmp", {9, 9});
  ASSERT_TRUE(picture.Install(core));
  EXPECT_FALSE(picture.Save(dir + "/old.bmp"));
  EXPECT_EQ(ReadBytes(dir + "/old.bmp"), (std::vector<uint8_t>{9, 9}));
  EXPECT_FALSE(picture.Save(dir + "/missing-folder/x.bmp"));
}

}  // namespace
}  // namespace tilvex
