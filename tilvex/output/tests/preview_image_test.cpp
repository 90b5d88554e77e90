#include <gtest/gtest.h>

#include <filesystem>

#include "common/file_io.h"
#include "doc/file_writes.h"
#include "doc/pic_file.h"
#include "output/preview_image.h"

namespace tilvex {
namespace {

class FakeVolumes : public VolumeLister {
 public:
  std::vector<Volume> volumes;
  std::vector<Volume> ListVolumes() override { return volumes; }
};

// 256 x 240 "8*8", 16 colours, "VT03 NEW(4K HSL)", one bank of 8192 bytes.
struct Screen {
  PicHeader header = NewPicHeader();
  BlockData blocks;
  Screen() {
    header.kind = kBlockPictureKind;
    header.width = 256;
    header.height = 240;
    blocks.pnt.assign(3 * 960, 0);
    for (size_t i = 0; i < 960; ++i) blocks.pnt[2 * i] = static_cast<uint8_t>(i + 1);
    blocks.pal.assign(512, 0);
    for (int i = 0; i < 256; ++i) {
      blocks.pal[2 * static_cast<size_t>(i)] = static_cast<uint8_t>(i);
      blocks.pal[2 * static_cast<size_t>(i) + 1] = static_cast<uint8_t>(0x40 + i / 16);
    }
    blocks.pgt.assign(8192, 0xAB);
    header.pntSize = 2880;
    header.palSize = 512;
    header.pgtSize = 8192;
  }
  void SetAttribute(int r, int c, uint8_t a) { blocks.pnt[1920 + r * 32 + c] = a; }
  BlockPicture Block() const { return {header, blocks}; }
};

TEST(PreviewImage, PatchesDataPalettesAndParameters) {
  Screen s;
  s.SetAttribute(0, 0, 1);
  s.SetAttribute(0, 2, 2);
  s.SetAttribute(2, 0, 3);
  s.SetAttribute(28, 0, 1);
  std::vector<uint8_t> image(kPreviewImageSize, 0x5A);
  ASSERT_TRUE(PatchPreviewImage(image, s.Block(), 4).ok);
  EXPECT_EQ(image[0], 0xAB);
  EXPECT_EQ(image[0x1FFF], 0xAB);
  EXPECT_EQ(image[0x2000], 1);  // name table at P = 0x2000
  EXPECT_EQ(image[0x23BF], static_cast<uint8_t>(960));
  EXPECT_EQ(image[0x23C0], 0x5A);
  EXPECT_EQ(image[0x4000], 0x39);       // attributes at A = 0x4000
  EXPECT_EQ(image[0x4000 + 7 * 8], 1);  // row 28; rows past 29 count as palette 0
  EXPECT_EQ(image[0x4000 + 64], 0x5A);  // 8 rows of 8 bytes
  // Palettes: low bytes of entries 16p + 4q + s at 32q + 4p + s; the rest entry 0's.
  EXPECT_EQ(image[0x7E000 + 32 * 1 + 4 * 2 + 3], 16 * 2 + 4 * 1 + 3);
  EXPECT_EQ(image[0x7E080 + 32 * 1 + 4 * 2 + 3], 0x42);
  EXPECT_EQ(image[0x7E000 + 127], 0);
  EXPECT_EQ(image[0x7E000 + 16], 0);  // outside the 4 x 4 arrangement: entry 0
  EXPECT_EQ(image[0x7E080 + 16], 0x40);
  EXPECT_EQ(image[0x7E080 + 127], 0x40);
  // The parameters, then an empty bank-switch table: one bank.
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x7E100, image.begin() + 0x7E10A),
            (std::vector<uint8_t>{1, 32, 30, 2, 8, 7, 0x82, 4, 0, 0x5A}));
}

TEST(PreviewImage, PageRoundingFlagsAndBankSwitches) {
  Screen s;
  s.blocks.pgt.assign(8193, 0);
  s.header.pgtSize = 8193;
  s.header.colourMode = 1;
  s.header.colourSpace = 2;
  s.header.sectionRows[1] = 64;
  s.header.sectionRows[2] = 128;
  std::vector<uint8_t> image(kPreviewImageSize, 0x5A);
  ASSERT_TRUE(PatchPreviewImage(image, s.Block(), 0).ok);
  EXPECT_EQ(image[0x4000], 1);  // P = 0x4000
  EXPECT_EQ(image[0x7E100], 2);
  EXPECT_EQ(image[0x7E106], 0x00);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x7E108, image.begin() + 0x7E10B),
            (std::vector<uint8_t>{0x3F, 0x3F, 0}));

  // Data that would reach the viewer's area stops the preview.
  s.blocks.pgt.assign(0x7E000, 0);
  s.header.pgtSize = 0x7E000;
  Result full = PatchPreviewImage(image, s.Block(), 0);
  EXPECT_FALSE(full.ok);
  EXPECT_FALSE(full.message.empty());
}

TEST(PreviewImage, WritesBesideTheTemplateAndCopiesToTheDevice) {
  namespace fs = std::filesystem;
  const std::string dir = ::testing::TempDir() + "/preview";
  fs::remove_all(dir);
  fs::create_directories(dir + "/device");
  Screen s;
  FakeVolumes volumes;
  Result missing = BuildPreviewImage(s.Block(), 0, dir, volumes);
  EXPECT_EQ(missing.message, "Open Rom.b00 Error!");
  EXPECT_FALSE(fs::exists(dir + "/Rom.b01"));

  ASSERT_TRUE(WriteOutputFile(dir + "/Rom.b00", std::vector<uint8_t>(kPreviewImageSize, 0)).ok);
  volumes.volumes = {{dir + "/device", "ms1"}};  // labels compare exactly
  ASSERT_TRUE(BuildPreviewImage(s.Block(), 0, dir, volumes).ok);
  EXPECT_EQ(fs::file_size(dir + "/Rom.b01"), kPreviewImageSize);
  EXPECT_FALSE(fs::exists(dir + "/device/ROM.BIN"));

  volumes.volumes = {{dir + "/nowhere", ""}, {dir + "/device", "MS1"}};
  std::string copied;
  ASSERT_TRUE(BuildPreviewImage(s.Block(), 0, dir, volumes, &copied).ok);
  EXPECT_EQ(copied, dir + "/device/ROM.BIN");
  EXPECT_EQ(fs::file_size(copied), kPreviewImageSize);
}

}  // namespace
}  // namespace tilvex
