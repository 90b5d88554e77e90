#include "model/file_drop.h"

#include <gtest/gtest.h>

namespace romvane {
namespace {

std::vector<uint8_t> Header() {
  return {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
}

void AppendWide(std::vector<uint8_t>& out, std::u16string_view text) {
  for (char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
}

TEST(FileDropBlock, ThreeGamesGiveThreeWideNamesAndAClosingEmptyName) {
  const std::vector<std::string> paths = {"/g/a.nes", "/g/bb.nes", "/g/ccc.nes"};
  std::vector<uint8_t> expected = Header();
  AppendWide(expected, u"/g/a.nes");
  AppendWide(expected, u"/g/bb.nes");
  AppendWide(expected, u"/g/ccc.nes");
  // 20 + 2 * (9 + 10 + 11) + 8 bytes in all; the rest after the names is zero.
  expected.resize(20 + 2 * 30 + 8, 0);
  EXPECT_EQ(FileDropBlock(paths), expected);
}

TEST(FileDropBlock, NoSelectionGivesTheHeaderAndZeroBytesOnly) {
  std::vector<uint8_t> expected = Header();
  expected.resize(28, 0);
  EXPECT_EQ(FileDropBlock({}), expected);
}

TEST(FileDropBlock, ChineseNamesAreStoredAsTheirUtf16Units) {
  // "坦克" is three bytes per character in UTF-8 and one UTF-16 unit each.
  const std::vector<uint8_t> block = FileDropBlock({"/坦克.nes"});
  ASSERT_EQ(block.size(), 20u + 2 * 12 + 8);
  const std::vector<uint8_t> name(block.begin() + 20, block.begin() + 20 + 14);
  EXPECT_EQ(name,
            (std::vector<uint8_t>{'/', 0, 0x66, 0x57, 0x4B, 0x51, '.', 0, 'n', 0, 'e', 0, 's', 0}));
  EXPECT_TRUE(std::all_of(block.begin() + 34, block.end(), [](uint8_t b) { return b == 0; }));
}

TEST(FileDropBlock, SupplementaryCharactersAndBrokenBytesStillGiveWholeNames) {
  // U+1F3AE takes a surrogate pair; a stray byte becomes U+FFFD.
  const std::vector<uint8_t> block = FileDropBlock({"\xF0\x9F\x8E\xAE", "a\xFF"});
  const std::vector<uint8_t> names(block.begin() + 20, block.begin() + 20 + 14);
  EXPECT_EQ(names,
            (std::vector<uint8_t>{0x3C, 0xD8, 0xAE, 0xDF, 0, 0, 'a', 0, 0xFD, 0xFF, 0, 0, 0, 0}));
  // A sequence cut short or written overlong is refused byte by byte.
  const std::vector<uint8_t> cut = FileDropBlock({"\xE5\x9D", "\xC0\xAF"});
  const std::vector<uint8_t> cutNames(cut.begin() + 20, cut.begin() + 20 + 12);
  EXPECT_EQ(cutNames,
            (std::vector<uint8_t>{0xFD, 0xFF, 0xFD, 0xFF, 0, 0, 0xFD, 0xFF, 0xFD, 0xFF, 0, 0}));
}

}  // namespace
}  // namespace romvane
