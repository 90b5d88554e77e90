#include <gtest/gtest.h>

#include "common/file_io.h"
#include "doc/file_writes.h"
#include "doc/pic_file.h"
#include "output/block_output.h"

namespace tilvex {
using common::ReadFileBytes;
namespace {

// A block picture of the given size in "8*8", 16 colours, one bank, with cell codes equal to
// the cell number and every attribute `attribute`.
struct Sample {
  PicHeader header = NewPicHeader();
  BlockData blocks;
  BlockPicture Block() const { return {header, blocks}; }
};

Sample MakeSample(int width, int height, uint8_t attribute = 0) {
  Sample s;
  s.header.kind = kBlockPictureKind;
  s.header.width = static_cast<uint32_t>(width);
  s.header.height = static_cast<uint32_t>(height);
  const size_t cells = static_cast<size_t>(width / 8 * (height / 8));
  s.blocks.pnt.assign(3 * cells, attribute);
  for (size_t i = 0; i < cells; ++i) {
    s.blocks.pnt[2 * i] = static_cast<uint8_t>(i);
    s.blocks.pnt[2 * i + 1] = static_cast<uint8_t>(i >> 8);
  }
  s.blocks.pal.assign(512, 0xFF);
  for (int i = 0; i < 64; ++i) {
    s.blocks.pal[2 * i] = static_cast<uint8_t>(i);
    s.blocks.pal[2 * i + 1] = static_cast<uint8_t>(0x80 | i);
  }
  s.blocks.pgt.assign(8192, 0xFF);
  for (int i = 0; i < 64; ++i) s.blocks.pgt[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  s.header.pntSize = static_cast<uint32_t>(s.blocks.pnt.size());
  s.header.palSize = 512;
  s.header.pgtSize = 8192;
  s.header.sectionFill[0] = 64;
  return s;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// One full bank is pinned by the command-line case; here the fills that are not.
TEST(PgtAssembler, ShortFillsEndOnACommaAndOverfullBanksListOnlyTheBank) {
  Sample s = MakeSample(256, 240);
  s.header.sectionFill[0] = 3;
  s.header.sectionRows[1] = 128;
  s.blocks.pgt.resize(16384, 0xFF);
  s.header.sectionFill[1] = 0x7FFF;
  std::string text = PgtAssemblerText(s.header, s.blocks.pgt, "T");
  EXPECT_EQ(text.substr(0, 33), "T_bank0_pgt:\n\tdb\t$00,$01,$02,\nT_b");
  EXPECT_EQ(Lines(text).size(), 2u + 1 + 8192 / 16 + 1);
}

TEST(PntAssembler, HeaderTableScreenColumnsAndInterrupts) {
  Sample s = MakeSample(512, 16);
  std::string text = PntAssemblerText(s.Block(), LabelOf("out/pic_pnt.asm"));
  // Two screen columns: two name tables and two attribute tables.
  const std::string head =
      "PIC_PNT:\n\tdw\tPIC_PNT_irq\n\tdw\tPIC_PNT_palette\n\tdw\tPIC_PNT_pnt0\n"
      "\tdw\tPIC_PNT_attrib0\n\tdw\tPIC_PNT_pnt1\n\tdw\tPIC_PNT_attrib1\nPIC_PNT_irq:\n\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  std::vector<std::string> lines = Lines(text);
  EXPECT_EQ(lines[18], "PIC_PNT_pnt0:");
  EXPECT_EQ(std::count(lines[19].begin(), lines[19].end(), '$'), 32);
  EXPECT_EQ(lines[19].substr(0, 12), "\tdb\t$00,$01,");
  EXPECT_EQ(lines[20].substr(0, 8), "\tdb\t$40,");  // cell 64 starts row 1
  EXPECT_EQ(lines[21], "");
  EXPECT_EQ(lines[22], "PIC_PNT_attrib0:");
  // Second screen column starts at cell column 32.
  size_t pnt1 = text.find("PIC_PNT_pnt1:\n");
  EXPECT_EQ(text.substr(pnt1 + 14, 8), "\tdb\t$20,");

  s.header.sectionRows[1] = 128;
  s.header.sectionRows[2] = 400;
  EXPECT_NE(PntAssemblerText(s.Block(), "T").find("T_irq:\n\tdb\t$7F,$10F\n"), std::string::npos);
}

TEST(PntAssembler, AttributeBytePacksFourPalettes) {
  Sample s = MakeSample(256, 32);  // 32 x 4 cells
  const size_t cells = 128;
  auto set = [&](int r, int c, uint8_t a) { s.blocks.pnt[2 * cells + r * 32 + c] = a; };
  set(0, 0, 1);
  set(0, 2, 2);
  set(2, 0, 3);
  set(2, 2, 0);
  std::string text = PntAssemblerText(s.Block(), "T");
  size_t at = text.find("T_attrib0:\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(text.substr(at + 11, 8), "\tdb\t$39,");
  EXPECT_EQ(std::count(text.begin() + static_cast<long>(at), text.end(), '$'), 8);
}

TEST(PntAssembler, LastRowsAndLastScreenColumnEndEarly) {
  // 264 x 40 in "8*8": 33 x 5 cells, the second screen column holds one cell column.
  Sample s = MakeSample(264, 40);
  const size_t cells = 33 * 5;
  auto set = [&](int r, int c, uint8_t a) { s.blocks.pnt[2 * cells + r * 33 + c] = a; };
  set(4, 0, 1);
  set(4, 2, 2);
  std::string text = PntAssemblerText(s.Block(), "T");

  // Row 4 has no rows two below it: only the upper two fields are filled.
  size_t at = text.find("T_attrib0:\n");
  ASSERT_NE(at, std::string::npos);
  std::vector<std::string> lines = Lines(text.substr(at));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2].substr(0, 8), "\tdb\t$09,");
  EXPECT_EQ(std::count(lines[2].begin(), lines[2].end(), '$'), 8);
  EXPECT_EQ(lines[3], "");

  // The second screen column: one code per row, one attribute byte per group of rows.
  at = text.find("T_pnt1:\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(text.substr(at),
            "T_pnt1:\n\tdb\t$20\n\tdb\t$41\n\tdb\t$62\n\tdb\t$83\n\tdb\t$A4\n\n"
            "T_attrib1:\n\tdb\t$00\n\tdb\t$00\n\n");
}

TEST(Labels, TitleInUpperCaseWithGbkBytesKept) {
  EXPECT_EQ(LabelOf("c:\\pics\\title.v2.asm"), "TITLE.V2");
  // U+4E64 is 0x81 0x61 in GBK: its trail byte looks like "a" and must stay.
  EXPECT_EQ(LabelOf("/tmp/x/\xE4\xB9\xA4"
                    "a.asm"),
            "\x81\x61"
            "A");
}

TEST(WriteBlockOutput, WritesCrlfTextAndRawBytesOrNamesTheFileItCannotWrite) {
  Sample s = MakeSample(256, 240);
  const std::string dir = ::testing::TempDir();
  ASSERT_TRUE(WriteBlockOutput(s.Block(), dir + "/a_pgt.bin", dir + "/a_pnt.asm", false, true).ok);
  std::vector<uint8_t> pgt, pnt;
  ASSERT_TRUE(ReadFileBytes(dir + "/a_pgt.bin", 1 << 20, pgt).ok);
  ASSERT_EQ(pgt.size(), 8192u);
  EXPECT_EQ(pgt[1], 0x10);  // 16-bit interleave
  ASSERT_TRUE(ReadFileBytes(dir + "/a_pnt.asm", 1 << 20, pnt).ok);
  EXPECT_EQ(std::string(pnt.begin(), pnt.begin() + 8), "A_PNT:\r\n");

  Result failed =
      WriteBlockOutput(s.Block(), dir + "/a_pgt.bin", "/no-such-folder/a_pnt.asm", true, false);
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.message, "无法写入文件/no-such-folder/a_pnt.asm! (No such file or directory)");
  // The pair belongs together: the PGT file is not replaced when the PNT file fails.
  ASSERT_TRUE(ReadFileBytes(dir + "/a_pgt.bin", 1 << 20, pgt).ok);
  EXPECT_EQ(pgt.size(), 8192u);
}

TEST(PaletteSteps, LevelsOutsideOneTo255AreRefusedAndWriteNothing) {
  const std::string dir = ::testing::TempDir() + "/levels";
  std::remove((dir + "/PALStep.asm").c_str());
  auto code = [](Rgb) { return uint16_t{0}; };
  for (int levels : {0, -1, 256, 999999999}) {
    EXPECT_EQ(WritePaletteSteps(SlotTable{}, 0, levels, code, dir).message, kPaletteLevelsMessage);
  }
  std::vector<uint8_t> out;
  EXPECT_FALSE(ReadFileBytes(dir + "/PALStep.asm", 1 << 20, out).ok);
  const std::string text = PaletteStepsText(SlotTable{}, 0, 255, code);
  size_t steps = 0;
  for (size_t at = text.find(";="); at != std::string::npos; at = text.find(";=", at + 1)) ++steps;
  EXPECT_EQ(steps, 255u);
}

}  // namespace
}  // namespace tilvex
