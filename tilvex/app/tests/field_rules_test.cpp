// Rules the window and the command line share.
#include "app/field_rules.h"

#include <gtest/gtest.h>

namespace tilvex {
namespace {

TEST(HexField, ReadsFromTheRightUpToTheFirstOtherCharacter) {
  EXPECT_EQ(ReadHexField("$800", 0xFFFF), 0x800u);
  EXPECT_EQ(ReadHexField("0x1fF", 0xFFFF), 0x1FFu);
  EXPECT_EQ(ReadHexField("800", 0xFFFF), 0x800u);
  EXPECT_EQ(ReadHexField("", 0xFFFF), 0u);
  EXPECT_EQ(ReadHexField("zz", 0xFFFF), 0u);
  EXPECT_EQ(ReadHexField("FFFF", 0xFFFF), 0xFFFFu);
  EXPECT_EQ(ReadHexField("0000000000FF", 0xFF), 0xFFu);  // leading zeros add nothing
  EXPECT_EQ(ReadHexField("FFFFFFFF", 0xFFFFFFFF), 0xFFFFFFFFu);
}

// A typed 12000 is refused, not cut down to its low four digits as $2000.
TEST(HexField, AValueAboveTheFieldIsRefusedNeverCut) {
  EXPECT_EQ(ReadHexField("12000", 0xFFFF), std::nullopt);
  EXPECT_EQ(ReadHexField("$10000", 0xFFFF), std::nullopt);
  EXPECT_EQ(ReadHexField("100", 0xFF), std::nullopt);
  EXPECT_EQ(ReadHexField("1FFFFFFFF", 0xFFFFFFFF), std::nullopt);
  EXPECT_EQ(ReadHexField("FFFFFFFFFFFFFFFFFFFF", 0xFFFFFFFF), std::nullopt);

  uint32_t value = 7;
  const Result refused = ReadHexField("12000", kLargestAddress, "End Address", value);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.message, "End Address必须是0到FFFF之间的十六进制数!");
  EXPECT_EQ(value, 7u);
  ASSERT_TRUE(ReadHexField("$2000", kLargestAddress, "End Address", value));
  EXPECT_EQ(value, 0x2000u);
}

TEST(OutputNames, ThePicturePathWithoutItsExtension) {
  const OutputFileNames names = DefaultOutputNames("/work/art/title.pic");
  EXPECT_EQ(names.pgt, "/work/art/title_pgt.bin");
  EXPECT_EQ(names.pnt, "/work/art/title_pnt.asm");
  // A dot in a folder's name is not an extension.
  EXPECT_EQ(DefaultOutputNames("/work/v1.2/title").pgt, "/work/v1.2/title_pgt.bin");
  EXPECT_EQ(DefaultOutputNames("logo.x.bmp").pnt, "logo.x_pnt.asm");
}

}  // namespace
}  // namespace tilvex
