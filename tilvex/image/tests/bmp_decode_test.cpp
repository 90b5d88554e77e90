#include <gtest/gtest.h>

#include "image/colour.h"
#include "image/format_decoders.h"
#include "image/picture_bmp.h"
#include "test_files.h"

namespace tilvex {
namespace {

using test::BmpFile;

Picture Decode(const std::vector<uint8_t>& file) {
  Picture picture;
  EXPECT_EQ(DecodeBmpFile(file, picture), DecodeStatus::kOk);
  return picture;
}

TEST(BmpDecode, IndexedPicturesLookUpTheirColourTable) {
  const std::vector<uint32_t> table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // 1 bit, 10 x 2: bottom row 1010..., top row 0101...
  Picture one =
      Decode(BmpFile(10, 2, 1, {0x102030, 0xA0B0C0}, {0xAA, 0x80, 0, 0, 0x55, 0x40, 0, 0}));
  EXPECT_EQ(one.At(0, 0), 0x302010u);  // top row, pixel 0 is index 0
  EXPECT_EQ(one.At(1, 0), 0xC0B0A0u);
  EXPECT_EQ(one.At(0, 1), 0xC0B0A0u);
  EXPECT_EQ(one.At(9, 0), 0xC0B0A0u);
  // 4 bits, 3 x 1: indexes 1, 2, 3.
  Picture four = Decode(BmpFile(3, 1, 4, table, {0x12, 0x30, 0, 0}));
  EXPECT_EQ(four.At(0, 0), 0x0000FFu);  // red
  EXPECT_EQ(four.At(1, 0), 0x00FF00u);
  EXPECT_EQ(four.At(2, 0), 0xFF0000u);  // blue
  // 8 bits with an index past the table: black, never a read past it.
  Picture eight = Decode(BmpFile(2, 1, 8, table, {1, 200, 0, 0}));
  EXPECT_EQ(eight.At(0, 0), 0x0000FFu);
  EXPECT_EQ(eight.At(1, 0), 0u);
}

TEST(BmpDecode, DirectColourPicturesOfEveryDepth) {
  // 24 bits, top-down (negative height): row 0 comes first.
  Picture top = Decode(BmpFile(1, -2, 24, {}, {1, 2, 3, 0, 4, 5, 6, 0}));
  EXPECT_EQ(top.At(0, 0), MakeRgb(3, 2, 1));
  EXPECT_EQ(top.At(0, 1), MakeRgb(6, 5, 4));
  // 16 bits, 5-5-5: full red.
  Picture rgb555 = Decode(BmpFile(1, 1, 16, {}, {0x00, 0x7C, 0, 0}));
  EXPECT_EQ(rgb555.At(0, 0), MakeRgb(255, 0, 0));
  // 16 bits, 5-6-5 bit fields: full green.
  Picture rgb565 = Decode(BmpFile(1, 1, 16, {}, {0xE0, 0x07, 0, 0}, 3, {0xF800, 0x07E0, 0x001F}));
  EXPECT_EQ(rgb565.At(0, 0), MakeRgb(0, 255, 0));
  // 32 bits plain and with swapped bit fields.
  Picture plain = Decode(BmpFile(1, 1, 32, {}, {10, 20, 30, 99}));
  EXPECT_EQ(plain.At(0, 0), MakeRgb(30, 20, 10));
  Picture fields =
      Decode(BmpFile(1, 1, 32, {}, {10, 20, 30, 99}, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}));
  EXPECT_EQ(fields.At(0, 0), MakeRgb(10, 20, 30));
}

TEST(BmpDecode, OldTwelveByteHeaderHasThreeByteColourEntries) {
  std::vector<uint8_t> file(14 + 12 + 2 * 3 + 4, 0);
  file[0] = 'B';
  file[1] = 'M';
  file[10] = 14 + 12 + 6;
  file[14] = 12;
  file[18] = 2;         // width
  file[20] = 1;         // height
  file[22] = 1;         // planes
  file[24] = 1;         // bits
  file[26] = 0x40;      // entry 0: blue 0x40
  file[29 + 2] = 0x80;  // entry 1: red 0x80
  file[32] = 0x40;      // pixels 0, 1
  Picture picture = Decode(file);
  EXPECT_EQ(picture.At(0, 0), MakeRgb(0, 0, 0x40));
  EXPECT_EQ(picture.At(1, 0), MakeRgb(0x80, 0, 0));
}

TEST(BmpDecode, DamagedOrHostileFilesFailCleanly) {
  const std::vector<uint8_t> good = BmpFile(3, 3, 24, {}, std::vector<uint8_t>(36, 7));
  Picture out;
  for (size_t cut : {0u, 2u, 14u, 20u, 53u, 54u, 89u}) {
    std::vector<uint8_t> truncated(good.begin(), good.begin() + cut);
    EXPECT_EQ(DecodeBmpFile(truncated, out), DecodeStatus::kInvalid) << cut;
  }
  std::vector<uint8_t> zero = good;
  test::PutU32(zero, 18, 0);
  EXPECT_EQ(DecodeBmpFile(zero, out), DecodeStatus::kInvalid);
  std::vector<uint8_t> huge = good;
  test::PutU32(huge, 18, 70000);
  test::PutU32(huge, 22, 70000);
  EXPECT_EQ(DecodeBmpFile(huge, out), DecodeStatus::kTooLarge);
  EXPECT_TRUE(out.pixels.empty());
  std::vector<uint8_t> bits = good;
  test::PutU16(bits, 28, 7);
  EXPECT_EQ(DecodeBmpFile(bits, out), DecodeStatus::kInvalid);
  std::vector<uint8_t> table = BmpFile(2, 1, 8, {}, {0, 0, 0, 0});
  test::PutU32(table, 46, 0x7FFFFFFF);  // colours used
  EXPECT_EQ(DecodeBmpFile(table, out), DecodeStatus::kInvalid);
  // Run-length pictures are left to the general decoder.
  EXPECT_EQ(DecodeBmpFile(BmpFile(2, 1, 8, {0}, {0, 0}, 1), out), DecodeStatus::kUnsupported);
}

// The rows' layout is pinned by the command-line cases that write pictures; the filler of
// the padding bytes is chosen by the caller.
TEST(BmpDecode, WrittenRowsArePaddedWithTheFillerAsked) {
  Picture picture = Decode(BmpFile(2, 1, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0}));
  EXPECT_EQ(BmpFileBytes(picture)[54 + 6], 0);
  EXPECT_EQ(BmpFileBytes(picture, 0xFF)[54 + 6], 0xFF);
  EXPECT_TRUE(BmpFileBytes(Picture()).empty());
}

}  // namespace
}  // namespace tilvex
