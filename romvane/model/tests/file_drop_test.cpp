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

TEST(FileDropBlock, EachPathIsAWideNameAndAnEmptyNameCloses) {
  std::vector<uint8_t> expected = Header();
  expected.resize(28, 0);
  EXPECT_EQ(FileDropBlock({}), expected);

  expected = Header();
  AppendWide(expected, u"/g/a.nes");
  AppendWide(expected, u"/g/bb.nes");
  AppendWide(expected, u"/g/ccc.nes");
  expected.resize(expected.size() + 8, 0);  // the closing empty name and zeros
  EXPECT_EQ(FileDropBlock({"/g/a.nes", "/g/bb.nes", "/g/ccc.nes"}), expected);
}

TEST(FileDropBlock, Utf8NamesBecomeUtf16EvenWhenBroken) {
  // "坦克" is one UTF-16 unit a character; U+1F3AE takes a surrogate pair; a stray byte, a
  // sequence cut short and one written overlong become U+FFFD byte by byte.
  const std::vector<uint8_t> block =
      FileDropBlock({"/坦克", "\xF0\x9F\x8E\xAE", "a\xFF", "\xE5\x9D", "\xC0\xAF"});
  std::vector<uint8_t> expected = Header();
  for (std::u16string_view name :
       {u"/坦克", u"\U0001F3AE", u"a\uFFFD", u"\uFFFD\uFFFD", u"\uFFFD\uFFFD"})
    AppendWide(expected, name);
  // The block is sized by the UTF-8 text, 22 bytes with the NULs, so the names always fit.
  expected.resize(20 + 2 * 22 + 8, 0);
  EXPECT_EQ(block, expected);
}

}  // namespace
}  // namespace romvane
