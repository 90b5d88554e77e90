#include "palette/pal_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/file_io.h"

namespace tilvex {
namespace {

std::string Folder(const std::string& name) {
  const std::string dir = testing::TempDir() + "/tilvex_pal_" + name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

TEST(PaletteFile, WritesHeaderThenSlotsAsLittleEndianPairs) {
  SlotTable table;
  table.At(0, 0) = {MakeRgb(0x11, 0x22, 0x33), 1};
  table.At(2, 5) = {MakeRgb(0xFF, 0, 0), 1};
  const std::vector<uint8_t> bytes = PaletteFileBytes(table);
  ASSERT_EQ(bytes.size(), 2064u);
  const std::vector<uint8_t> header = {'P', 'A', 'L', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16), header);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 16, bytes.begin() + 24),
            (std::vector<uint8_t>{0x11, 0x22, 0x33, 0, 1, 0, 0, 0}));
  const size_t slot37 = 16 + 8 * 37;
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + slot37, bytes.begin() + slot37 + 8),
            (std::vector<uint8_t>{0xFF, 0, 0, 0, 1, 0, 0, 0}));

  const std::optional<SlotTable> back = ParsePalette(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, table);
}

TEST(PaletteFile, ForeignOrShortFilesAreNotPalettes) {
  std::vector<uint8_t> bytes = PaletteFileBytes(SlotTable{});
  EXPECT_TRUE(ParsePalette(bytes));
  bytes.push_back(7);  // trailing bytes are ignored
  EXPECT_TRUE(ParsePalette(bytes));
  std::vector<uint8_t> renamed = bytes;
  renamed[3] = 'X';  // "PALX..." is not the text "PAL"
  EXPECT_FALSE(ParsePalette(renamed));
  renamed = bytes;
  renamed[0] = 'p';
  EXPECT_FALSE(ParsePalette(renamed));
  EXPECT_FALSE(ParsePalette(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 2063)));
  EXPECT_FALSE(ParsePalette({}));
}

TEST(PaletteFile, LoadingMergesOnlyTheSlotsUsedInTheFile) {
  const std::string dir = Folder("merge");
  SlotTable file;
  for (int s = 0; s < 16; ++s) file.At(1, s) = {MakeRgb(s, 0, 0), 1};
  file.At(3, 4) = {MakeRgb(9, 9, 9), 0};  // palette 3 all free in the file
  ASSERT_TRUE(WritePaletteFile(dir + "/a.pal", file));

  SlotTable table;
  for (int s = 0; s < 16; ++s) table.At(3, s) = {MakeRgb(0, 0, s), 1};
  table.At(1, 0) = {MakeRgb(0, 99, 0), 0};
  ASSERT_TRUE(LoadPaletteInto(dir + "/a.pal", table));
  EXPECT_EQ(table.At(1, 0), (Slot{MakeRgb(0, 0, 0), 1}));
  EXPECT_EQ(table.At(1, 15), (Slot{MakeRgb(15, 0, 0), 1}));
  for (int s = 0; s < 16; ++s) EXPECT_EQ(table.At(3, s), (Slot{MakeRgb(0, 0, s), 1}));
}

TEST(PaletteFile, InvalidFilesReportTheMessageAndChangeNothing) {
  const std::string dir = Folder("invalid");
  SlotTable table;
  table.At(0, 0) = {1, 1};
  const SlotTable before = table;
  std::vector<uint8_t> shortFile = PaletteFileBytes(SlotTable{});
  shortFile.resize(100);
  ASSERT_TRUE(common::WriteFileReplacing(dir + "/short.pal", shortFile));
  for (const std::string& path : {dir + "/short.pal", dir + "/missing.pal"}) {
    const Result result = LoadPaletteInto(path, table);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.message, kInvalidPaletteMessage);
    EXPECT_EQ(table, before);
  }
  // A failed write leaves no file and reports it.
  EXPECT_FALSE(WritePaletteFile(dir + "/no/such/folder.pal", table));
}

}  // namespace
}  // namespace tilvex
