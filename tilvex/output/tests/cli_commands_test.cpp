#include <gtest/gtest.h>

#include <filesystem>

#include "cli/convert_commands.h"
#include "convert/file_util.h"
#include "convert/picture_access.h"

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
  Picture source = MakeBlankPicture(48, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) WritePixel(source, x, y, colours[(x / 16 + y / 16 + x % 3) % 4]);
  }
  auto bmp = source.SaveBmp();
  ASSERT_TRUE(bmp);
  ASSERT_TRUE(WriteBytesReplacing(dir + "/in.bmp", *bmp).ok);

  ASSERT_EQ(RunWords(cli::RunConvert, {dir + "/in.bmp", "-o", dir + "/out.pic", "--space", "rgb",
                                       "--block", "16x16", "--colors", "4", "--no-compress"}),
            0);
  ASSERT_EQ(RunWords(cli::RunRender, {dir + "/out.pic", "-o", dir + "/back.bmp"}), 0);
  Picture back;
  ASSERT_TRUE(back.LoadDecoded(dir + "/back.bmp").ok);
  ASSERT_EQ(back.Width(), 48);
  ASSERT_EQ(back.Height(), 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) {
      ASSERT_EQ(back.GetPixel(x, y).rgb, source.GetPixel(x, y).rgb) << x << "," << y;
    }
  }

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

}  // namespace
}  // namespace tilvex
