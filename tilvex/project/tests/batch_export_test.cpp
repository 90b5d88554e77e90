#include "project/batch_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/bitmap.h"
#include "image/picture_bmp.h"
#include "palette/pal_file.h"

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
  EXPECT_EQ(Read(dir / "ANI.asm"), "\tdw\ttitle_BG\r\n");
  EXPECT_EQ(
      Read(dir / "ANIINDEX.asm"),
      "title_BG:\r\n\tdb\tV_Bank0+$00,V_Bank1+$08\r\n\tdb\tPNT_Bank+$00\r\n\tdw\ttitle_pnt\r\n");
  EXPECT_EQ(
      Read(dir / "ANIPAL.asm"),
      "title_pal:\r\n\tdb\t$00,$01,$02,$03,$04,$05,$06,$07,$08,$09,$0A,$0B,$0C,$0D,$0E,$0F\r\n"
      "\tdb\t$10,$11,$12,$13,$14,$15,$16,$17,$18,$19,$1A,$1B,$1C,$1D,$1E,$1F\r\n");
  const std::string pnt = Read(dir / "ANIPNT00.asm");
  const std::string start = "\r\n\r\n\t\torg\t$8000\r\n\r\n\t\tphs\t$8000\r\ntitle_pnt:\r\n";
  const std::string end = "\r\n\r\n\t\tdph\r\n\r\n\t\tcharge\tMindex00.asm\r\n\r\n";
  EXPECT_EQ(pnt.substr(0, start.size()), start);
  EXPECT_EQ(pnt.substr(pnt.size() - end.size()), end);
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

TEST_F(BatchTest, PicturesThatFailAreSkippedAndNamed) {
  ASSERT_TRUE(RunBatch({"a.bmp", "bad.bmp", "c.bmp"}, dir.string(), Frames(64, 0, 1), messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("bad.bmp"), std::string::npos);
  EXPECT_EQ(Read(dir / "ANI.asm"), "\tdw\ta_BG\r\n\tdw\tc_BG\r\n");
}

TEST_F(BatchTest, NoSpritePatternsStopsBeforeAnyFrame) {
  fs::remove(dir / "Sprite_pgt.bin");
  std::ofstream(dir / "ANI.asm") << "old";
  const Result r = RunBatch({"a.bmp"}, dir.string(), Frames(64, 0, 1), messages);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.message, "Sprite_pgt.bin not found!");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Read(dir / "ANI.asm"), "");
  EXPECT_FALSE(fs::exists(dir / "ANIPGT.BIN"));
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

// Writes a two-colour frame whose 8 x 8 tiles are all different (tile n shows n's bits) and
// an "ani.pal" holding its two colours.
std::string WriteFrame(const fs::path& dir, const std::string& name, int width, int height) {
  Picture picture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  int n = 0;
  for (int ty = 0; ty < height; ty += 8) {
    for (int tx = 0; tx < width; tx += 8, ++n) {
      for (int p = 0; p < 64; ++p) {
        const bool set = p < 16 && (n >> p & 1);
        picture.Set(tx + p % 8, ty + p / 8, set ? 0x0000F0 : 0x00F000);
      }
    }
  }
  const std::vector<uint8_t> bmp = BmpFileBytes(picture);
  std::ofstream((dir / name).string(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  SlotTable palettes{};
  palettes.At(0, 0) = {0x00F000, 1};
  palettes.At(0, 1) = {0x0000F0, 1};
  EXPECT_TRUE(WritePaletteFile((dir / "ani.pal").string(), palettes));
  return (dir / name).string();
}

TEST_F(BatchTest, RealPicturesConvertInMemoryWithTheAnimationPalettes) {
  const std::string frame = WriteFrame(dir, "frame.bmp", 16, 16);
  const FrameConverter convert =
      BatchFrameConverter(std::make_shared<ColourTables>(), dir.string(), 1);
  ASSERT_TRUE(RunBatch({frame}, dir.string(), convert, messages));
  EXPECT_TRUE(messages.empty()) << messages.front();
  EXPECT_EQ(Read(dir / "ANI.asm"), "\tdw\tframe_BG\r\n");
  EXPECT_FALSE(fs::exists(dir / "PNT_Temp.BIN"));
  EXPECT_EQ(fs::file_size(dir / "ANIPGT.BIN"), 16384u + 4 * 32);
}

TEST_F(BatchTest, AFrameNeedingTwoTileBanksIsSkippedAndNamed) {
  // 384 different tiles: 256 fit the first bank, the rest would restart at code 0.
  const std::string wide = WriteFrame(dir, "wide.bmp", 256, 96);
  const std::string small = WriteFrame(dir, "small.bmp", 16, 16);
  const FrameConverter convert =
      BatchFrameConverter(std::make_shared<ColourTables>(), dir.string(), 1);
  ASSERT_TRUE(RunBatch({wide, small}, dir.string(), convert, messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "图片" + wide + "已跳过: 图块超过一个PGT分区");
  EXPECT_EQ(Read(dir / "ANI.asm"), "\tdw\tsmall_BG\r\n");
}

}  // namespace
}  // namespace tilvex
