#include "project/batch_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tilvex {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BatchTest : public ::testing::Test {
 protected:
  BatchTest() {
    dir = fs::temp_directory_path() / ("tilvex-batch-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "Sprite_pgt.bin", std::ios::binary) << std::string(3000, 'S');
  }
  ~BatchTest() override { fs::remove_all(dir); }

  // A frame of `cells` cells using tiles first..last, each tile byte its tile number.
  FrameConverter Frames(size_t cells, uint8_t first, uint8_t last) {
    return [=, this](const std::string& path, uint16_t begin, FrameData& f) -> Result {
      calls.push_back(path + "@" + std::to_string(begin));
      if (path.find("bad") != std::string::npos) return Result::Fail("无法读取图片");
      for (size_t i = 0; i < cells; ++i) {
        f.pnt.push_back(static_cast<uint8_t>(first + i % (last - first + 1u)));
        f.pnt.push_back(0);
      }
      for (int i = 0; i < 256; ++i) {
        f.pal.push_back(static_cast<uint8_t>(i));
        f.pal.push_back(static_cast<uint8_t>(0x10 + i));
      }
      for (int t = 0; t < 256; ++t) f.pgt.insert(f.pgt.end(), 32, static_cast<uint8_t>(t));
      return Result::Ok();
    };
  }

  fs::path dir;
  std::vector<std::string> calls;
  std::vector<std::string> messages;
};

TEST_F(BatchTest, OneScreenGivesOneFrame) {
  ASSERT_TRUE(RunBatch({"/pics/title.bmp"}, dir.string(), Frames(960, 3, 10), messages));
  // The files' texts are pinned by the command-line case; here where the tiles go.
  EXPECT_EQ(
      Read(dir / "ANIINDEX.asm"),
      "title_BG:\r\n\tdb\tV_Bank0+$00,V_Bank1+$08\r\n\tdb\tPNT_Bank+$00\r\n\tdw\ttitle_pnt\r\n");
  const std::string tiles = Read(dir / "ANIPGT.BIN");
  ASSERT_EQ(tiles.size(), 16384u + 8 * 32);  // exactly pgtPos bytes
  EXPECT_EQ(tiles.substr(0, 2048), std::string(2048, 'S'));
  EXPECT_EQ(tiles[2048], 0);
  EXPECT_EQ(tiles[16384], 3);  // tiles 3..10 copied from their own offset
  EXPECT_EQ(tiles.back(), 10);
  EXPECT_EQ(calls, std::vector<std::string>{"/pics/title.bmp@0"});
}

TEST_F(BatchTest, NameTablesChangePhaseAt8KAndFileAt32K) {
  std::vector<std::string> pictures;
  for (int i = 0; i < 5; ++i) pictures.push_back("f" + std::to_string(i) + ".bmp");
  ASSERT_TRUE(RunBatch(pictures, dir.string(), Frames(8192, 0, 0), messages));
  const std::string first = Read(dir / "ANIPNT00.asm");
  EXPECT_NE(first.find("\t\tdph\r\n\t\tphs\t$8000\r\nf1_pnt:"), std::string::npos);
  EXPECT_NE(first.find("\t\tdph\r\n\r\n\r\n\t\tcharge\tANIPNT01.asm\r\n\r\n"), std::string::npos);
  const std::string second = Read(dir / "ANIPNT01.asm");
  const std::string start = "\r\n\r\n\t\torg\t$8000\r\n\r\n\t\tphs\t$8000\r\nf4_pnt:";
  EXPECT_EQ(second.substr(0, start.size()), start);
  EXPECT_NE(Read(dir / "ANIINDEX.asm")
                .find("f4_BG:\r\n\tdb\tV_Bank0+$00,V_Bank1+$08\r\n\tdb\tPNT_Bank+$04"),
            std::string::npos);
}

TEST_F(BatchTest, AFrameLabelCountsFromTheBankItsIndexNames) {
  // Full screens of 960 cells: frame 8 runs over the first 8 KB bank, frame 9 begins in
  // the second at 448 and counts from $8000 + 448 there; frames 10-17 stay in that phase.
  std::vector<std::string> pictures;
  for (int i = 0; i < 18; ++i) pictures.push_back("f" + std::to_string(i) + ".bmp");
  ASSERT_TRUE(RunBatch(pictures, dir.string(), Frames(960, 0, 0), messages));
  const std::string text = Read(dir / "ANIPNT00.asm");
  EXPECT_EQ(text.find("phs\t$8000\r\nf1_pnt:"), std::string::npos);
  EXPECT_NE(text.find("\r\n\t\tdph\r\n\t\tphs\t$81C0\r\nf9_pnt:"), std::string::npos);
  EXPECT_EQ(text.find("phs", text.find("f9_pnt:")), std::string::npos);
  EXPECT_NE(Read(dir / "ANIINDEX.asm")
                .find("f9_BG:\r\n\tdb\tV_Bank0+$00,V_Bank1+$08\r\n"
                      "\tdb\tPNT_Bank+$01"),
            std::string::npos);
}

TEST_F(BatchTest, AFrameCrossingARegionIsConvertedAgainBehindTheSprites) {
  // Frames of 8 KB of tiles behind the 16 KB sprite area: frame 61 would end exactly at
  // the region's end, which already counts as the next region.
  std::vector<std::string> pictures;
  for (int i = 0; i < 64; ++i) pictures.push_back("p" + std::to_string(i) + ".bmp");
  ASSERT_TRUE(RunBatch(pictures, dir.string(), Frames(960, 0, 255), messages));
  EXPECT_EQ(calls.size(), 65u);
  EXPECT_EQ(calls[61], "p61.bmp@0");
  EXPECT_EQ(calls[62], "p61.bmp@0");
  const std::string tiles = Read(dir / "ANIPGT.BIN");
  ASSERT_EQ(tiles.size(), 0x80000u + 16384 + 3 * 8192);
  EXPECT_EQ(tiles.substr(0x80000, 2048), std::string(2048, 'S'));
  EXPECT_NE(Read(dir / "ANIINDEX.asm").find("p61_BG:\r\n\tdb\tV_Bank0+$10,V_Bank1+$08\r\n"),
            std::string::npos);
}

TEST_F(BatchTest, ListFilesAreWhitespaceSeparatedPaths) {
  std::ofstream(dir / "a.lst") << "one.bmp  two.bmp\r\n\tthree.bmp\n";
  std::vector<std::string> pictures;
  ASSERT_TRUE(ReadPictureList((dir / "a.lst").string(), pictures));
  EXPECT_EQ(pictures, (std::vector<std::string>{"one.bmp", "two.bmp", "three.bmp"}));
  EXPECT_FALSE(ReadPictureList((dir / "none.lst").string(), pictures));
  // A list too large to read says so, not that it cannot be opened.
  std::ofstream(dir / "big.lst") << "x";
  fs::resize_file(dir / "big.lst", (16u << 20) + 1);
  EXPECT_EQ(ReadPictureList((dir / "big.lst").string(), pictures).message,
            "文件" + (dir / "big.lst").string() + "太大,无法读取!");
}

}  // namespace
}  // namespace tilvex
