#include <gtest/gtest.h>

#include <filesystem>

#include "cli/convert_commands.h"
#include "doc/file_writes.h"
#include "doc/pic_file.h"
#include "image/bitmap.h"
#include "image/decoder.h"
#include "image/picture_bmp.h"

namespace tilvex {
namespace {

int RunWords(int (*command)(cli::Arguments), const std::vector<std::string>& words) {
  return command(cli::Arguments(words));
}

TEST(CliCommands, ConvertThenRenderGivesBackThePicture) {
  const std::string dir = ::testing::TempDir() + "/cli";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  // Four colours that the packed RGB space shows exactly, in 16 x 16 squares.
  const Rgb colours[] = {MakeRgb(0, 0, 0), MakeRgb(240, 32, 16), MakeRgb(96, 208, 0),
                         MakeRgb(16, 16, 240)};
  Picture source{48, 32, std::vector<uint8_t>(48 * 32 * 3)};
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) source.Set(x, y, colours[(x / 16 + y / 16 + x % 3) % 4]);
  }
  const std::vector<uint8_t> bmp = BmpFileBytes(source);
  ASSERT_FALSE(bmp.empty());
  ASSERT_TRUE(WriteOutputFile(dir + "/in.bmp", bmp).ok);

  ASSERT_EQ(RunWords(cli::RunConvert, {dir + "/in.bmp", "-o", dir + "/out.pic", "--space", "rgb",
                                       "--block", "16x16", "--colors", "4", "--no-compress"}),
            0);
  ASSERT_EQ(RunWords(cli::RunRender, {dir + "/out.pic", "-o", dir + "/back.bmp"}), 0);
  Picture back;
  ASSERT_TRUE(DecodePictureFile(dir + "/back.bmp", back).ok);
  ASSERT_EQ(back.width, 48);
  ASSERT_EQ(back.height, 32);
  EXPECT_EQ(back.pixels, source.pixels);

  EXPECT_EQ(RunWords(cli::RunInfo, {dir + "/out.pic"}), 0);
  EXPECT_EQ(RunWords(cli::RunOutput, {dir + "/out.pic", "--pgt", dir + "/o_pgt.asm", "--pnt",
                                      dir + "/o_pnt.asm", "--asm", "--16bit"}),
            0);
  EXPECT_TRUE(std::filesystem::exists(dir + "/o_pgt.asm"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/o_pnt.asm"));

  // Settings the dialog would not allow, and files that are not block pictures.
  EXPECT_EQ(RunWords(cli::RunConvert, {dir + "/in.bmp", "-o", dir + "/x.pic", "--colors", "5"}), 2);
  EXPECT_EQ(RunWords(cli::RunConvert, {dir + "/in.bmp", "-o", dir + "/x.pic", "--end", "$4000"}),
            1);
  EXPECT_FALSE(std::filesystem::exists(dir + "/x.pic"));
  EXPECT_EQ(RunWords(cli::RunRender, {dir + "/in.bmp", "-o", dir + "/y.bmp"}), 1);
  EXPECT_EQ(RunWords(cli::RunOutput, {dir + "/missing.pic", "--pgt", "a", "--pnt", "b"}), 1);
  EXPECT_EQ(RunWords(cli::RunPalSteps,
                     {dir + "/in.bmp", "--target", "FFFFFF", "--level", "4", "--space", "rgb"}),
            1);
}

TEST(CliCommands, NumbersOutsideTheirRangeAreRefused) {
  const std::string dir = ::testing::TempDir() + "/cli-ranges";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  Picture source{16, 16, std::vector<uint8_t>(16 * 16 * 3, 0)};
  ASSERT_TRUE(WriteOutputFile(dir + "/in.bmp", BmpFileBytes(source)).ok);
  // An area reaching past the picture, or a huge one, is not converted.
  for (const char* area : {"8,8,16,16", "0,0,999999999,999999999"}) {
    EXPECT_EQ(RunWords(cli::RunConvert, {dir + "/in.bmp", "-o", dir + "/x.pic", "--area", area}), 1)
        << area;
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/x.pic"));
  EXPECT_EQ(RunWords(cli::RunConvert, {dir + "/in.bmp", "-o", dir + "/x.pic", "--area", "8,8,8,8"}),
            0);

  std::vector<uint8_t> pal(16 + 2048, 0);
  pal[0] = 'P', pal[1] = 'A', pal[2] = 'L';
  ASSERT_TRUE(WriteOutputFile(dir + "/a.pal", pal).ok);
  for (const char* level : {"0", "256", "999999999"}) {
    EXPECT_EQ(RunWords(cli::RunPalSteps, {dir + "/a.pal", "--target", "FFFFFF", "--level", level}),
              2)
        << level;
  }

  // A plain picture of 0 x 0 has nothing to draw; the reason says so.
  PicHeader empty = NewPicHeader();
  const auto head = EncodePicHeader(empty);
  ASSERT_TRUE(WriteOutputFile(dir + "/empty.pic", head).ok);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunWords(cli::RunRender, {dir + "/empty.pic", "-o", dir + "/empty.bmp"}), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "tilvex-cli: " + dir + "/empty.pic: 图片的宽或高为0,无法绘制\n");
  EXPECT_FALSE(std::filesystem::exists(dir + "/empty.bmp"));
}

}  // namespace
}  // namespace tilvex
