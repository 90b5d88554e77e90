// tilvex-cli's project and batch commands, run in a folder of their own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/file_io.h"
#include "image/bitmap.h"
#include "image/picture_bmp.h"
#include "palette/pal_file.h"
#include "project/prg_file.h"
#include "shell_run.h"

namespace tilvex {
namespace {

namespace fs = std::filesystem;

class ProjectCliTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("tilvex_project_cli_" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Picture picture{32, 16, std::vector<uint8_t>(32 * 16 * 3)};
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 32; ++x) picture.Set(x, y, (x / 8 + y / 8) % 2 ? 0x0000F0 : 0x00F000);
    }
    ASSERT_TRUE(common::WriteFileReplacing((dir_ / "frame.bmp").string(), BmpFileBytes(picture)));
  }

  // Runs in the test's folder, as the batch writes into the current folder.
  CliRun Cli(const std::string& arguments) {
    return RunShell("cd '" + dir_.string() + "' && " + std::string(TILVEX_CLI) + " " + arguments);
  }

  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

TEST_F(ProjectCliTest, ShowAndOutputAProject) {
  const CliRun converted = Cli("convert frame.bmp -o title.pic --space rgb");
  ASSERT_EQ(converted.exitCode, 0) << converted.output;
  ProjectTree tree;
  const auto root = tree.CreateRoot((dir_ / "game.prg").string());
  ProjectTree::NodeId section, item;
  tree.AddChild(root, SectionRecord("Screens", true), &section);
  tree.AddChild(section, ItemRecord("title", (dir_ / "title.pic").string()), &item);
  tree.AddChild(item, SubBlockRecord("logo", 8, 0, 16, 8));
  ASSERT_TRUE(WriteProjectFile(tree, (dir_ / "game.prg").string()));

  const CliRun shown = Cli("project show game.prg");
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_EQ(shown.output, "project " + (dir_ / "game.prg").string() +
                              "\n  section Screens\n    item title  " +
                              (dir_ / "title.pic").string() + "\n      sub-block logo  8,0 16x8\n");

  const CliRun output = Cli("project output game.prg");
  EXPECT_EQ(output.exitCode, 0) << output.output;
  EXPECT_EQ(Read("VT03IRQ.ASM").substr(0, 13), "TITLE_irq:\r\n\t");
  EXPECT_EQ(fs::file_size(dir_ / "VT03PGT.BIN") % 32768, 0u);
  EXPECT_NE(Read("TITLE.ASM").find("TITLE_palette:\r\n"), std::string::npos);

  fs::remove(dir_ / "title.pic");
  const CliRun missing = Cli("project output game.prg");
  EXPECT_NE(missing.exitCode, 0);
  EXPECT_NE(missing.output.find("title"), std::string::npos);
  EXPECT_NE(Cli("project show absent.prg").exitCode, 0);
  EXPECT_NE(Cli("project frob game.prg").exitCode, 0);
}

TEST_F(ProjectCliTest, BatchWritesTheAnimationFilesInTheCurrentFolder) {
  SlotTable palettes{};
  palettes.At(0, 0) = {0x00F000, 1};
  palettes.At(0, 1) = {0x0000F0, 1};
  ASSERT_TRUE(WritePaletteFile((dir_ / "ani.pal").string(), palettes));
  std::ofstream(dir_ / "frames.lst") << "frame.bmp nothere.bmp\nframe.bmp\n";

  // A palette file named for one conversion must be there.
  const CliRun mistyped = Cli("convert frame.bmp -o f.pic --space rgb --palettes anim.pal");
  EXPECT_EQ(mistyped.exitCode, 1);
  EXPECT_NE(mistyped.output.find("anim.pal"), std::string::npos);
  EXPECT_EQ(Cli("convert frame.bmp -o f.pic --space rgb --palettes ani.pal").exitCode, 0);

  const CliRun noSprites = Cli("batch frames.lst --space rgb");
  EXPECT_NE(noSprites.exitCode, 0);
  EXPECT_NE(noSprites.output.find("Sprite_pgt.bin not found!"), std::string::npos);

  std::ofstream(dir_ / "Sprite_pgt.bin", std::ios::binary) << std::string(2048, '\x11');
  const CliRun run = Cli("batch frames.lst --space rgb");
  EXPECT_EQ(run.exitCode, 1);  // one picture was skipped, and named
  EXPECT_NE(run.output.find("nothere.bmp"), std::string::npos);
  EXPECT_EQ(Read("ANI.asm"), "\tdw\tframe_BG\r\n\tdw\tframe_BG\r\n");
  EXPECT_EQ(Read("ANIPGT.BIN").substr(0, 2048), std::string(2048, '\x11'));
}

}  // namespace
}  // namespace tilvex
