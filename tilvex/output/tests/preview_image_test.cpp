#include <gtest/gtest.h>

#include <filesystem>

#include "common/file_io.h"
#include "common/program_search.h"
#include "common/tests/in_folder.h"
#include "doc/file_writes.h"
#include "doc/pic_file.h"
#include "output/emulator_run.h"
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
}

TEST(PreviewImage, ASectionOnEveryRowLeavesTheViewersCodeWhole) {
  // Files hold at most 16 banks; a picture made in memory is not read as a file is.
  Screen s;
  s.header.height = 256;
  s.blocks.pnt.assign(3 * 1024, 0);
  s.header.pntSize = 3 * 1024;
  for (int k = 1; k < kMaxSectionRows; ++k) s.header.sectionRows[k] = k;
  std::vector<uint8_t> image(kPreviewImageSize, 0x5A);
  ASSERT_TRUE(PatchPreviewImage(image, s.Block(), 0).ok);
  // Fifteen entries and the closing zero, the most the viewer reads; the rest untouched.
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x7E108, image.begin() + 0x7E118),
            std::vector<uint8_t>(16, 0));
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x7E118, image.begin() + 0x7E210),
            std::vector<uint8_t>(0xF8, 0x5A));
}

TEST(PreviewImage, AttributeRowsKeepAPartialGroupOfColumns) {
  // 200 x 16: 25 cells a row, so each attribute row has 7 bytes, the last for column 24.
  Screen s;
  s.header.width = 200;
  s.header.height = 16;
  s.blocks.pnt.assign(3 * 50, 0);
  s.blocks.pnt[100 + 24] = 3;       // row 0, column 24
  s.blocks.pnt[100 + 25 + 21] = 2;  // row 1, column 21: no quadrant corner, not stored
  s.blocks.pnt[100 + 20] = 1;       // row 0, column 20: byte 5, top left
  std::vector<uint8_t> image(kPreviewImageSize, 0x5A);
  ASSERT_TRUE(PatchPreviewImage(image, s.Block(), 0).ok);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x4000, image.begin() + 0x4008),
            (std::vector<uint8_t>{0, 0, 0, 0, 0, 1, 3, 0x5A}));
  EXPECT_EQ(PreviewDataSize(s.Block()), 0x4007u);
}

// A picture of 2 x 2 blocks with the given codes and palettes, in blockMode.
BlockPicture TwoByTwo(int blockMode, std::vector<uint16_t> codes, std::vector<uint8_t> palettes) {
  Screen s;
  const BlockGeometry g = GeometryOf(blockMode);
  s.header.blockMode = static_cast<uint8_t>(blockMode);
  s.header.width = static_cast<uint16_t>(2 * g.width);
  s.header.height = static_cast<uint16_t>(2 * g.height);
  s.blocks.pnt.assign(12, 0);
  for (size_t i = 0; i < 4; ++i) {
    s.blocks.pnt[2 * i] = static_cast<uint8_t>(codes[i]);
    s.blocks.pnt[8 + i] = palettes[i];
  }
  return s.Block();
}

TEST(PreviewImage, LargerBlocksAreSpreadOverTheirTiles) {
  // 16*16: a code stands for two tiles; the block's four follow left to right, top to
  // bottom. The palettes land in the quadrants of the one attribute byte.
  std::vector<uint8_t> image(kPreviewImageSize, 0x5A);
  ASSERT_TRUE(PatchPreviewImage(image, TwoByTwo(3, {0, 2, 4, 6}, {1, 2, 3, 0}), 0).ok);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x2000, image.begin() + 0x2011),
            (std::vector<uint8_t>{0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15, 0x5A}));
  EXPECT_EQ(image[0x4000], 0x39);
  EXPECT_EQ(image[0x4001], 0x5A);
  EXPECT_EQ(image[0x7E101], 4);  // the parameters count tiles, as the name table does
  EXPECT_EQ(image[0x7E102], 4);

  // 8*16: one tile per code, the lower one next.
  ASSERT_TRUE(PatchPreviewImage(image, TwoByTwo(1, {0, 2, 4, 6}, {0, 1, 2, 3}), 0).ok);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x2000, image.begin() + 0x2008),
            (std::vector<uint8_t>{0, 2, 1, 3, 4, 6, 5, 7}));
  // 16*8: two tiles per code side by side.
  ASSERT_TRUE(PatchPreviewImage(image, TwoByTwo(2, {0, 1, 2, 3}, {0, 1, 2, 3}), 0).ok);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0x2000, image.begin() + 0x2008),
            (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(PreviewImage, PicturesPastTheViewerAreaAreRefusedBeforeAnythingIsWritten) {
  namespace fs = std::filesystem;
  const std::string dir = ::testing::TempDir() + "/preview_full";
  fs::remove_all(dir);
  fs::create_directories(dir);
  ASSERT_TRUE(WriteOutputFile(dir + "/Rom.b00", std::vector<uint8_t>(kPreviewImageSize, 0)).ok);
  Screen s;
  // Tiles up to 0x7C000, name table to 0x7C3C0, attributes from 0x7E000: 64 bytes too many.
  s.blocks.pgt.assign(0x7C000, 0);
  s.header.pgtSize = 0x7C000;
  EXPECT_EQ(PreviewDataSize(s.Block()), 0x7E040u);
  Result full = CheckPreviewFits(s.Block());
  ASSERT_FALSE(full.ok);
  EXPECT_NE(full.message.find("516160"), std::string::npos) << full.message;
  EXPECT_NE(full.message.find("0x7E000"), std::string::npos) << full.message;
  std::vector<uint8_t> image(kPreviewImageSize, 0x5A);
  EXPECT_FALSE(PatchPreviewImage(image, s.Block(), 0).ok);
  EXPECT_EQ(image[0], 0x5A);
  FakeVolumes volumes;
  volumes.volumes = {{dir, "MS1"}};
  EXPECT_EQ(BuildPreviewImage(s.Block(), 0, {dir, dir}, volumes).message, full.message);
  EXPECT_FALSE(fs::exists(dir + "/Rom.b01"));
  EXPECT_FALSE(fs::exists(dir + "/ROM.BIN"));

  // One page less of tiles fits exactly up to the limit's neighbourhood.
  s.blocks.pgt.assign(0x7A000, 0);
  s.header.pgtSize = 0x7A000;
  EXPECT_TRUE(CheckPreviewFits(s.Block()).ok);
}

TEST(PreviewImage, WritesBesideTheTemplateAndCopiesToTheDevice) {
  namespace fs = std::filesystem;
  const std::string dir = ::testing::TempDir() + "/preview";
  fs::remove_all(dir);
  fs::create_directories(dir + "/device");
  fs::create_directories(dir + "/out");
  Screen s;
  FakeVolumes volumes;
  Result missing = BuildPreviewImage(s.Block(), 0, {dir, dir + "/out"}, volumes);
  EXPECT_EQ(missing.message, "Open Rom.b00 Error!\n" + dir + "/Rom.b00");
  EXPECT_FALSE(fs::exists(dir + "/out/Rom.b01"));

  ASSERT_TRUE(WriteOutputFile(dir + "/Rom.b00", std::vector<uint8_t>(kPreviewImageSize, 0)).ok);
  volumes.volumes = {{dir + "/device", "ms1"}};  // labels compare exactly
  PreviewResult result;
  ASSERT_TRUE(BuildPreviewImage(s.Block(), 0, {dir, dir + "/out"}, volumes, &result).ok);
  EXPECT_EQ(result.imagePath, dir + "/out/Rom.b01");
  EXPECT_EQ(fs::file_size(dir + "/out/Rom.b01"), kPreviewImageSize);
  EXPECT_TRUE(result.devicePath.empty());
  EXPECT_FALSE(fs::exists(dir + "/device/ROM.BIN"));
  EXPECT_EQ(result.image.size(), kPreviewImageSize);
  EXPECT_EQ(result.image[0x7E101], 32);

  volumes.volumes = {{dir + "/nowhere", ""}, {dir + "/device", "MS1"}};
  ASSERT_TRUE(BuildPreviewImage(s.Block(), 0, {dir, dir + "/out"}, volumes, &result).ok);
  EXPECT_EQ(result.devicePath, dir + "/device/ROM.BIN");
  EXPECT_EQ(fs::file_size(result.devicePath), kPreviewImageSize);
}

TEST(PreviewImage, EmulatorFileIsNes2Mapper256) {
  std::vector<uint8_t> image(kPreviewImageSize, 0);
  image.back() = 0xE2;
  const std::vector<uint8_t> file = PreviewNesFile(image);
  ASSERT_EQ(file.size(), 16 + kPreviewImageSize);
  EXPECT_EQ(
      std::vector<uint8_t>(file.begin(), file.begin() + 16),
      (std::vector<uint8_t>{'N', 'E', 'S', 0x1A, 0x20, 0, 0, 0x08, 0x01, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(file.back(), 0xE2);
}

std::string OnlyFceux(const std::string& name) {
  return name == "fceux" ? "/usr/games/fceux" : "";
}
std::string Everything(const std::string& name) {
  return "/opt/bin/" + name;
}
std::string Nothing(const std::string&) {
  return "";
}

TEST(PreviewImage, EmulatorChoiceGoesSettingThenMameThenFceux) {
  namespace fs = std::filesystem;
  const std::string dir = ::testing::TempDir() + "/preview_emulator";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string nes = dir + "/Rom.nes";
  std::vector<uint8_t> image(kPreviewImageSize, 7);
  EmulatorCommand command;

  const int kFourColours = 1, kSixteenColours = 0;

  ASSERT_TRUE(PlanEmulatorRun("qorvin", nes, image, kSixteenColours, command, Everything).ok);
  EXPECT_EQ(command.program, "/opt/bin/qorvin");
  EXPECT_EQ(command.arguments, std::vector<std::string>{nes});
  EXPECT_FALSE(PlanEmulatorRun("qorvin", nes, image, kFourColours, command, OnlyFceux).ok);

  ASSERT_TRUE(PlanEmulatorRun("", nes, image, kSixteenColours, command, Everything).ok);
  EXPECT_EQ(command.program, "/opt/bin/mame");
  // In a window, and without the start-up screens that wait for a key.
  EXPECT_EQ(command.arguments,
            (std::vector<std::string>{"vtsndtest", "-rompath", dir + "/mame-roms", "-window",
                                      "-skip_gameinfo", "-seconds_to_run", "299"}));
  EXPECT_EQ(fs::file_size(command.arguments[2] + "/vtsndtest/rom.bin"), kPreviewImageSize);

  ASSERT_TRUE(PlanEmulatorRun("", nes, image, kFourColours, command, OnlyFceux).ok);
  EXPECT_EQ(command.program, "/usr/games/fceux");
  EXPECT_EQ(command.arguments, std::vector<std::string>{nes});

  // FCEUX draws 16-colour tiles as garbage: such a preview needs MAME, and says so.
  for (const char* configured : {"", "fceux"}) {
    Result refused = PlanEmulatorRun(configured, nes, image, kSixteenColours, command, OnlyFceux);
    EXPECT_FALSE(refused.ok) << configured;
    EXPECT_NE(refused.message.find("MAME"), std::string::npos);
    EXPECT_NE(refused.message.find("apt install mame"), std::string::npos);
  }

  Result none = PlanEmulatorRun("", nes, image, kFourColours, command, Nothing);
  EXPECT_FALSE(none.ok);
  EXPECT_FALSE(none.message.empty());
}

// The device shows palettes 0-3; a preview of a picture that uses more says so.
TEST(PreviewImage, PicturesWithMorePalettesThanTheDeviceShowsAreNamed) {
  BlockPicture picture;
  picture.blocks.pnt.assign(3 * 4, 0);
  EXPECT_EQ(PreviewPaletteWarning(picture), "");
  picture.blocks.pnt[2 * 4 + 3] = 3;
  EXPECT_EQ(PreviewPaletteWarning(picture), "");
  picture.blocks.pnt[2 * 4 + 1] = 9;
  EXPECT_EQ(PreviewPaletteWarning(picture),
            "图片用到10个调色板,主机一次只能显示4个:用调色板5到16的区域在预览中显示为别的颜色。");
}

using common::testing::InFolder;

std::string Emu(const std::string& name) {
  return common::FindProgram(name, {"rel"});
}

// The emulator starts detached from another folder than ours, so what it is given must not
// depend on the current folder, nor be read as an option.
TEST(PreviewEmulator, ProgramAndFileNamesAreAbsolute) {
  namespace fs = std::filesystem;
  const std::string dir = (fs::canonical(::testing::TempDir()) / "preview_relative").string();
  fs::remove_all(dir);
  fs::create_directories(dir + "/rel");
  for (const std::string& name : {dir + "/emu", dir + "/rel/fceux"}) {
    WriteOutputFile(name, std::vector<uint8_t>{'#', '!'});
    fs::permissions(name, fs::perms::owner_all);
  }
  InFolder in(dir);
  EXPECT_EQ(common::FindProgram("./emu", {}), dir + "/emu");
  EXPECT_EQ(common::FindProgram("fceux", {"rel"}), dir + "/rel/fceux");
  const std::vector<uint8_t> image(kPreviewImageSize, 7);
  EmulatorCommand command;
  ASSERT_TRUE(PlanEmulatorRun("./emu", "-x.nes", image, 0, command, Emu).ok);
  EXPECT_EQ(command.program, dir + "/emu");
  EXPECT_EQ(command.arguments, std::vector<std::string>{dir + "/-x.nes"});
  ASSERT_TRUE(PlanEmulatorRun("", "--help.nes", image, 1, command, Emu).ok);
  EXPECT_EQ(command.program, dir + "/rel/fceux");
  EXPECT_EQ(command.arguments, std::vector<std::string>{dir + "/--help.nes"});
}

std::string OnlyMame(const std::string& name) {
  return name == "mame" ? "/usr/games/mame" : "";
}

// The ROM folder beside the NES file is ours: a link planted there is never written through.
TEST(PreviewEmulator, LinksInTheRomFolderAreNotFollowed) {
  namespace fs = std::filesystem;
  const std::string dir = ::testing::TempDir() + "/preview_links";
  fs::remove_all(dir);
  fs::create_directories(dir + "/mame-roms/vtsndtest");
  const std::vector<uint8_t> precious = {'k', 'e', 'e', 'p'};
  ASSERT_TRUE(WriteOutputFile(dir + "/precious", precious).ok);
  fs::create_symlink(dir + "/precious", dir + "/mame-roms/vtsndtest/rom.bin");
  const std::vector<uint8_t> image(kPreviewImageSize, 7);
  EmulatorCommand command;
  ASSERT_TRUE(PlanEmulatorRun("", dir + "/Rom.nes", image, 0, command, OnlyMame).ok);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(common::ReadFileBytes(dir + "/precious", 64, bytes).ok);
  EXPECT_EQ(bytes, precious);
  EXPECT_FALSE(fs::is_symlink(dir + "/mame-roms/vtsndtest/rom.bin"));
  EXPECT_EQ(fs::file_size(dir + "/mame-roms/vtsndtest/rom.bin"), kPreviewImageSize);

  // A linked folder is refused, with the reason, and nothing lands where it points.
  fs::remove_all(dir + "/mame-roms");
  fs::create_directories(dir + "/elsewhere");
  fs::create_directory_symlink(dir + "/elsewhere", dir + "/mame-roms");
  const Result refused = PlanEmulatorRun("", dir + "/Rom.nes", image, 0, command, OnlyMame);
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.message.find("mame-roms/vtsndtest/rom.bin: "), std::string::npos)
      << refused.message;
  EXPECT_TRUE(fs::is_empty(dir + "/elsewhere"));
}

// A full disk is named as such, not only the file that could not be written.
TEST(PreviewEmulator, WriteFailuresKeepTheSystemsReason) {
  namespace fs = std::filesystem;
  const std::string dir = ::testing::TempDir() + "/preview_full";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::create_symlink("/dev/full", dir + "/Rom.nes");
  const Result written = WriteOutputFile(dir + "/Rom.nes", std::vector<uint8_t>(64, 1));
  EXPECT_FALSE(written.ok);
  EXPECT_NE(written.message.find("No space left on device"), std::string::npos) << written.message;
}

}  // namespace
}  // namespace tilvex
