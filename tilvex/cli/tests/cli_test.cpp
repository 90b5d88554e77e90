// Runs tilvex-cli as a user would and checks its files, output and exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "image/bitmap.h"
#include "image/decoder.h"
#include "image/picture_bmp.h"
#include "shell_run.h"

namespace tilvex {
namespace {

CliRun Cli(const std::string& arguments) {
  return RunShell(std::string(TILVEX_CLI) + " " + arguments);
}

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TempDir() + "/tilvex_cli_" +
           testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    // Five colours: two pairs share a packed 4K RGB code.
    tilvex::Picture picture{5, 1, std::vector<uint8_t>(5 * 3, 0xFF)};
    picture.Set(0, 0, MakeRgb(0x50, 0x11, 0x27));
    picture.Set(1, 0, MakeRgb(0x40, 0x12, 0x27));
    picture.Set(2, 0, MakeRgb(0xF0, 0x80, 0x00));
    picture.Set(3, 0, MakeRgb(0xFF, 0x8F, 0x0F));
    ASSERT_TRUE(common::WriteFileReplacing(dir_ + "/in.bmp", BmpFileBytes(picture)));
  }
  std::string dir_;
};

TEST_F(CliTest, ColoursCountsColoursAndCodesPerColourSpace) {
  const CliRun run = Cli("colours " + dir_ + "/in.bmp");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("colours: 5\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("TFT RGB(4K RGB): 3\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("VT03 NEW(4K HSL): "), std::string::npos);
  EXPECT_NE(run.output.find("VT03 OLD(64 NES): "), std::string::npos);
}

TEST_F(CliTest, AdaptWritesTheRepaintedPictureAsBmp) {
  const CliRun rgb = Cli("adapt " + dir_ + "/in.bmp --mode rgb -o " + dir_ + "/out.bmp");
  ASSERT_EQ(rgb.exitCode, 0) << rgb.output;
  tilvex::Picture out;
  ASSERT_TRUE(DecodePictureFile(dir_ + "/out.bmp", out));
  EXPECT_EQ(out.At(3, 0), MakeRgb(0xF0, 0x80, 0x00));
  EXPECT_EQ(out.At(4, 0), MakeRgb(0xF0, 0xF0, 0xF0));

  for (const char* mode : {"hsl", "nes"}) {
    const CliRun run = Cli("adapt " + dir_ + "/in.bmp --mode " + mode + " -o " + dir_ + "/t.bmp");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const CliRun count = Cli("colours " + dir_ + "/t.bmp");
    EXPECT_EQ(count.exitCode, 0);
  }
}

TEST_F(CliTest, ErrorsGoToStderrWithANonZeroExit) {
  EXPECT_EQ(Cli("").exitCode, 2);
  EXPECT_EQ(Cli("frobnicate").exitCode, 2);
  EXPECT_EQ(Cli("adapt " + dir_ + "/in.bmp --mode hsv -o x.bmp").exitCode, 2);
  EXPECT_EQ(Cli("colours").exitCode, 2);
  const CliRun invalid = Cli("colours " + dir_ + "/in.jpeg2");
  EXPECT_EQ(invalid.exitCode, 1);
  EXPECT_NE(invalid.output.find("无效的文件类型"), std::string::npos);
  EXPECT_EQ(Cli("colours " + dir_ + "/missing.png").exitCode, 1);
  // Without its colour tables the count fails with the table's message.
  setenv("TILVEX_DIR", dir_.c_str(), 1);
  const CliRun missing = Cli("colours " + dir_ + "/in.bmp");
  unsetenv("TILVEX_DIR");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.output.find("RGB2HSL.TAB文件读取错误!"), std::string::npos) << missing.output;
}

TEST_F(CliTest, WithoutTheDecoderModuleTheCommonFormatsStillLoad) {
  // A 2 x 1 PNG: one red pixel, one blue.
  static const unsigned char kPng[] = {
      0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
      0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
      0x00, 0x7B, 0x40, 0xE8, 0xDD, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78,
      0x9C, 0x63, 0xF8, 0xCF, 0x00, 0x04, 0xFF, 0x01, 0x07, 0x00, 0x01, 0xFF, 0xE2, 0x23,
      0x9E, 0x59, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
  std::FILE* f = std::fopen((dir_ + "/two.png").c_str(), "wb");
  std::fwrite(kPng, 1, sizeof kPng, f);
  std::fclose(f);
  const CliRun withModule = Cli("colours " + dir_ + "/two.png");
  EXPECT_EQ(withModule.exitCode, 0) << withModule.output;
  EXPECT_NE(withModule.output.find("colours: 2"), std::string::npos);

  // The same program in a folder without "libtilvex_magick.so": BMP and PNG are still read
  // without it; TGA fails as a missing decoder library does.
  namespace fs = std::filesystem;
  const fs::path alone = fs::path(dir_) / "alone";
  fs::create_directories(alone);
  const fs::path programs = fs::path(TILVEX_CLI).parent_path();
  fs::copy_file(TILVEX_CLI, alone / "tilvex-cli");
  for (const char* table : {"Hsl2rgb.tab", "6576(ok).act"})
    fs::copy_file(programs / table, alone / table);
  auto run = [&](const std::string& arguments) {
    return RunShell((alone / "tilvex-cli").string() + " " + arguments).exitCode;
  };
  EXPECT_EQ(run("colours " + dir_ + "/in.bmp"), 0);
  EXPECT_EQ(run("colours " + dir_ + "/two.png"), 0);
  static const unsigned char kTga[] = {0, 0, 2, 0, 0,  0, 0, 0, 0,   0,   0, 0,
                                       2, 0, 1, 0, 24, 0, 0, 0, 255, 255, 0, 0};
  f = std::fopen((dir_ + "/two.tga").c_str(), "wb");
  std::fwrite(kTga, 1, sizeof kTga, f);
  std::fclose(f);
  EXPECT_EQ(run("colours " + dir_ + "/two.tga"), 1);
}

}  // namespace
}  // namespace tilvex
