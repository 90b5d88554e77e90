#include "image/colour_tables.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "test_files.h"

namespace tilvex {
namespace {

TEST(PackedRgb, EncodesRedLevelsGreenAndBlueBits) {
  EXPECT_EQ(EncodeRgb4K(MakeRgb(0xFF, 0xFF, 0xFF)), 0x3F3D);
  EXPECT_EQ(DecodeRgb4K(0x3F3D), MakeRgb(240, 240, 240));
  EXPECT_EQ(EncodeRgb4K(MakeRgb(0x50, 0, 0)), 4);
  EXPECT_EQ(EncodeRgb4K(MakeRgb(0x40, 0, 0)), 4);
  EXPECT_EQ(DecodeRgb4K(4), MakeRgb(64, 0, 0));
  EXPECT_EQ(EncodeRgb4K(MakeRgb(0, 0x40, 0)), 0x100);  // green bit 6 moves to code bit 8
  EXPECT_EQ(EncodeRgb4K(MakeRgb(0, 0, 0x90)), 0x2400);
  EXPECT_EQ(DecodeRgb4K(14), 0u);  // red levels 14 and 15 are never made
  ColourTables tables;
  EXPECT_EQ(RgbToCode(ColourSpace::kRgb4K, tables, MakeRgb(0xFF, 0xFF, 0xFF)), 0x3F3D);
  EXPECT_EQ(ColourSpaceOf(9), ColourSpace::kHsl4K);
}

TEST(CodeTable, NearestCodeStartsAtOneAndNeverGivesZero) {
  ColourTables tables;
  tables.codes.assign(kCodeTableSize, 0xFF000000);
  tables.codes[0] = 0;                                    // black, but code 0 is never chosen
  tables.codes[1] = 0xFF000000 | MakeRgb(200, 200, 200);  // taken without the validity test
  tables.codes[300] = MakeRgb(10, 10, 10);
  tables.codes[200] = MakeRgb(10, 10, 10);
  tables.RebuildIndex();
  EXPECT_EQ(RgbToCode(ColourSpace::kHsl4K, tables, 0), 200);  // lowest of the equally near
  EXPECT_EQ(RgbToCode(ColourSpace::kHsl4K, tables, MakeRgb(255, 255, 255)), 1);
  EXPECT_EQ(CodeToRgb(ColourSpace::kHsl4K, tables, 1), 0xFF000000 | MakeRgb(200, 200, 200));

  // Every entry from 2 up invalid: everything maps to code 1.
  tables.codes.assign(kCodeTableSize, 0x01000000);
  tables.codes[0] = 0;
  tables.RebuildIndex();
  EXPECT_EQ(RgbToCode(ColourSpace::kHsl4K, tables, 0), 1);
  EXPECT_EQ(RgbToCode(ColourSpace::kHsl4K, tables, MakeRgb(9, 99, 199)), 1);
  EXPECT_EQ(NearestCodeByScan(tables.codes, MakeRgb(9, 99, 199)), 1);
}

TEST(NesTable, NearestOfSixtyFourTiesToTheLowestIndex) {
  ColourTables tables;
  tables.nes.fill(MakeRgb(255, 255, 255));
  tables.nes[5] = MakeRgb(0, 0, 0);
  tables.nes[9] = MakeRgb(0, 0, 0);
  EXPECT_EQ(RgbToCode(ColourSpace::kNes64, tables, MakeRgb(3, 3, 3)), 5);
  EXPECT_EQ(RgbToCode(ColourSpace::kNes64, tables, MakeRgb(250, 250, 250)), 0);
  EXPECT_EQ(CodeToRgb(ColourSpace::kNes64, tables, 5), 0u);
  EXPECT_EQ(CodeToRgb(ColourSpace::kNes64, tables, 64), 0u);  // outside the table
}

class TableFiles : public testing::Test {
 protected:
  void SetUp() override { dir_ = test::TempFolder("tables"); }
  std::string dir_;
};

TEST_F(TableFiles, MissingFilesGiveTheirMessagesAndLeaveZeroTables) {
  ColourTables tables;
  tables.nes.fill(7);
  const Result result = LoadColourTables(tables, dir_);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.message, kCodeTableMessage);
  EXPECT_EQ(tables.codes.size(), 65536u);
  EXPECT_EQ(tables.codes[5], 0u);
  EXPECT_EQ(tables.nes[3], 0u);

  test::WriteBytes(dir_ + "/Hsl2rgb.tab", {1, 2, 3, 4});
  EXPECT_EQ(LoadColourTables(tables, dir_).message, kNesTableMessage);
}

TEST_F(TableFiles, ShortFilesLeaveTheUnreadRestZero) {
  test::WriteBytes(dir_ + "/Hsl2rgb.tab", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  test::WriteBytes(dir_ + "/6576(ok).act", {10, 20, 30, 40});
  ColourTables tables;
  ASSERT_TRUE(LoadColourTables(tables, dir_));
  EXPECT_EQ(tables.codes[0], 0x04030201u);
  EXPECT_EQ(tables.codes[1], 0x08070605u);
  EXPECT_EQ(tables.codes[2], 0u);  // two bytes of a third entry are not an entry
  EXPECT_EQ(tables.nes[0], MakeRgb(10, 20, 30));
  EXPECT_EQ(tables.nes[1], MakeRgb(40, 0, 0));
  EXPECT_EQ(tables.nes[63], 0u);
}

// A whole table file is mapped rather than copied; the table still behaves as its own copy.
TEST_F(TableFiles, AWholeTableFileIsTheTableAndStaysUnchangedByWrites) {
  std::vector<uint8_t> bytes(size_t{kCodeTableSize} * 4);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 4);
  bytes.push_back(0xEE);  // bytes past the table are not read
  test::WriteBytes(dir_ + "/Hsl2rgb.tab", bytes);
  test::WriteBytes(dir_ + "/6576(ok).act", std::vector<uint8_t>(192, 1));
  ColourTables tables;
  ASSERT_TRUE(LoadColourTables(tables, dir_));
  ASSERT_EQ(tables.codes.size(), 65536u);
  for (size_t code = 0; code < 65536; code += 4099) {
    const uint8_t* b = &bytes[4 * code];
    ASSERT_EQ(tables.codes[code], uint32_t(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24));
  }
  const ColourTables copy = tables;
  tables.codes[1] = 0x123456;
  EXPECT_EQ(tables.codes[1], 0x123456u);
  EXPECT_NE(copy.codes[1], 0x123456u);
  ColourTables again;
  ASSERT_TRUE(LoadColourTables(again, dir_));
  EXPECT_EQ(again.codes[1], copy.codes[1]);  // the file kept its bytes
  EXPECT_EQ(std::vector<uint32_t>(again.codes.begin(), again.codes.end()),
            std::vector<uint32_t>(copy.codes.begin(), copy.codes.end()));
}

TEST(GeneratedTables, FollowTheConsolePaletteModel) {
  ColourTables tables;
  ASSERT_TRUE(LoadColourTables(tables));
  // Codes using bits 6, 7, 14 or 15 are not colours.
  for (ColourCode code : {0x0040, 0x0080, 0x4000, 0x8000, 0x4074}) {
    EXPECT_NE(tables.codes[code] >> 24, 0u) << code;
  }
  // Phase in low bits 0-3, luma in low bits 4-5 and high bits 0-1, chroma in high bits 2-5.
  auto codeOf = [](int phase, int luma, int chroma) {
    return static_cast<ColourCode>(((luma >> 2) | chroma << 2) << 8 | phase | (luma & 3) << 4);
  };
  EXPECT_EQ(tables.codes[codeOf(0, 4, 0)], 0u);  // luma 4 is black
  EXPECT_EQ(tables.codes[codeOf(0, 14, 0)], MakeRgb(255, 255, 255));
  EXPECT_EQ(tables.codes[codeOf(14, 8, 6)], 0u);        // phases 14 and 15 are black
  EXPECT_EQ(tables.codes[codeOf(5, 2, 0)] >> 24, 0u);   // 2 x luma + chroma = 4: valid
  EXPECT_NE(tables.codes[codeOf(5, 0, 3)] >> 24, 0u);   // 3: outside the advised range
  EXPECT_NE(tables.codes[codeOf(5, 15, 2)] >> 24, 0u);  // 32: outside as well
  // Luma below half the chroma or above 15 less half of it wraps round on the console
  // (MAME shows 0x1426, a dark red here, as bright cyan): never chosen, still drawn as
  // modelled for files that hold it.
  EXPECT_EQ(codeOf(6, 2, 5), 0x1426);
  EXPECT_EQ(tables.codes[0x1426], 0xFF000000u | MakeRgb(23, 0, 0));
  EXPECT_EQ(tables.codes[codeOf(6, 3, 5)] >> 24, 0u);  // luma 3 reaches half of chroma 5
  EXPECT_NE(tables.codes[codeOf(9, 1, 3)] >> 24, 0u);  // 2 x 1 + 3 = 5, yet 1 < 2
  // A saturated phase-2 colour leans to blue (angle -11 degrees, U positive).
  const Rgb blueish = tables.codes[codeOf(2, 8, 8)];
  EXPECT_GT(BlueOf(blueish), RedOf(blueish));
  // The NES palette: hue 0 intensity 3 is white, hue 13 intensity 0 and hue 14 are black.
  EXPECT_EQ(tables.nes[0x30], MakeRgb(255, 255, 255));
  EXPECT_EQ(tables.nes[0x0D], 0u);
  EXPECT_EQ(tables.nes[0x1E], 0u);
  EXPECT_EQ(tables.nes[0x00], MakeRgb(128, 128, 128));
}

}  // namespace
}  // namespace tilvex
