#include "cart/generated_files.h"

#include <gtest/gtest.h>

#include "common/gbk.h"
#include "nes_files.h"

namespace romvane {
using common::Utf8ToGbk;
namespace {

using testing::NesImage;
using testing::TempDir;
using testing::WriteNes;

class GeneratedFilesTest : public ::testing::Test {
 protected:
  void Add(uint8_t prgUnits, uint8_t chrUnits, const std::string& title, uint8_t flags6 = 1) {
    NesImage image;
    image.prgUnits = prgUnits;
    image.chrUnits = chrUnits;
    image.flags6 = flags6;
    list.AddGame(WriteNes(dir, "game" + std::to_string(list.RowCount()) + ".nes", image), title);
  }
  std::vector<BankBlock> Layout(const std::string& reserve = "6000") {
    const romvane::Layout layout = LayOutGames(list, reserve);
    EXPECT_EQ(layout.message, "");
    return layout.ordered;
  }

  TempDir dir;
  GameList list;
};

TEST_F(GeneratedFilesTest, TankGivesTheDocumentedLines) {
  Add(2, 1, "Tank");
  const std::vector<BankBlock> ordered = Layout();
  EXPECT_EQ(MakeMapListing(ordered).bytes,
            *Utf8ToGbk("名称\t\t\t\t类型\t\t开始地址\t结束地址\r\n") +
                "Tank\t\t\t\tPROM\t\t0\t\t8000\r\n"
                "Tank\t\t\t\tVROM\t\t8000\t\ta000\r\n");
  EXPECT_EQ(MakeGameTable(list, ordered).bytes,
            "_GamesDefine:\r\n"
            "\t.word\tGame001\r\n"
            "\t.word\t$0000\r\n"
            "Game001:\r\n"
            "\t.byte\t$00\r\n"
            "\t.byte\t$00\r\n"
            "\t.byte\t$00\r\n"
            "\t.byte\t$04\r\n"
            "\t.byte\t$26\r\n"
            "\t.byte\t$00\r\n"
            "\t.word\tGameSub\r\n"
            "\t.byte\t\"Tank\"\r\n"
            "\t.byte\t$00\r\n"
            ".include\t\"GameSub.inc\"\r");
}

TEST_F(GeneratedFilesTest, AnEmptyListGivesTheHeadingsOnly) {
  EXPECT_EQ(MakeMapListing({}).bytes, *Utf8ToGbk("名称\t\t\t\t类型\t\t开始地址\t结束地址\r\n"));
  EXPECT_EQ(MakeGameTable(list, {}).bytes,
            "_GamesDefine:\r\n\t.word\t$0000\r\n.include\t\"GameSub.inc\"\r");
}

TEST_F(GeneratedFilesTest, TabsFollowTheTitleLengthInGbkBytes) {
  Add(1, 1, "1234567");             // 7 bytes: four TABs
  Add(1, 1, "12345678");            // 8 bytes: three
  Add(1, 1, "坦克大战");            // 4 characters, 8 bytes: three
  Add(1, 1, std::string(31, 'x'));  // two
  Add(1, 1, std::string(32, 'y'));  // one
  const std::string map = MakeMapListing(Layout()).bytes;
  EXPECT_NE(map.find("1234567\t\t\t\tPROM"), std::string::npos);
  EXPECT_NE(map.find("12345678\t\t\tPROM"), std::string::npos);
  EXPECT_NE(map.find(*Utf8ToGbk("坦克大战") + "\t\t\tPROM"), std::string::npos);
  EXPECT_NE(map.find(std::string(31, 'x') + "\t\tPROM"), std::string::npos);
  EXPECT_NE(map.find(std::string(32, 'y') + "\tPROM"), std::string::npos);
  // Titles go into the game table in GBK as well.
  EXPECT_NE(MakeGameTable(list, Layout()).bytes.find("\"" + *Utf8ToGbk("坦克大战") + "\""),
            std::string::npos);
}

TEST(GameDescriptor, ItemsComeFromTheImageAddresses) {
  // PRG at page 4, offset 0: the outer bank nibble is 1 and the PRG bank 0.
  GameDescriptor d = DescribeGame(false, 0x200000, 0x8000, 0x80000, 0x2000);
  EXPECT_EQ(d.mirroring, 0x01);
  EXPECT_EQ(d.outerBanks, 0x10);
  EXPECT_EQ(d.prgBank, 0x00);
  EXPECT_EQ(d.prgSizeCode, 0x00);
  EXPECT_EQ(d.chrBank, 0x26);

  d = DescribeGame(true, 0x7A000 - 0x4000, 0x2E0000, 0x4000, 0x10000);
  EXPECT_EQ(d.mirroring, 0x00);
  EXPECT_EQ(d.outerBanks, 0x01);
  EXPECT_EQ(d.prgBank, 0x3B);
  EXPECT_EQ(d.prgSizeCode, 0x05);
  EXPECT_EQ(d.chrBank, 0x82);  // bank 0x80; 64 KB of CHR adds 2, not 3
  EXPECT_EQ(d.chrHighBits, 0x30);

  EXPECT_EQ(DescribeGame(true, 0, 0, 0x8000, 0).chrBank, 6);  // no CHR counts as 8 KB
  EXPECT_FALSE(DescribeGame(true, 0, 0, 0x8000, 0x80000).chrBank.has_value());
  EXPECT_FALSE(DescribeGame(true, 0, 0, 0x80001, 0x2000).prgSizeCode.has_value());
}

TEST_F(GeneratedFilesTest, LargeChrLeavesOutItsTwoItems) {
  Add(2, 64, "BigChr");  // CHR 0x80000
  const std::string table = MakeGameTable(list, Layout()).bytes;
  EXPECT_NE(table.find("\t.byte\t$04\r\n\r\n\t.word\tGameSub"), std::string::npos);
}

TEST_F(GeneratedFilesTest, QuotesInTitlesStayAssemblable) {
  Add(2, 1, "Say \"Hi\"");
  Add(2, 1, "\"");
  Add(2, 1, "");
  const std::string table = MakeGameTable(list, Layout()).bytes;
  EXPECT_NE(table.find("\t.byte\t\"Say \",$22,\"Hi\",$22\r\n"), std::string::npos);
  EXPECT_NE(table.find("\t.byte\t$22\r\n"), std::string::npos);
  EXPECT_NE(table.find("\t.byte\t\"\"\r\n"), std::string::npos);
}

TEST_F(GeneratedFilesTest, TitlesGbkCannotHoldAreReported) {
  Add(2, 1, "\xF0\x9F\x8E\xAE");
  const std::vector<BankBlock> ordered = Layout();
  EXPECT_NE(MakeMapListing(ordered).message, "");
  EXPECT_EQ(MakeMapListing(ordered).bytes, "");
  EXPECT_NE(MakeGameTable(list, ordered).message, "");
}

}  // namespace
}  // namespace romvane
