#include "project/project_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "doc/pic_file.h"

namespace tilvex {
namespace {

// A block picture of W x H cells of 8 x 8 pixels with the given sections.
OutputItem Item(const std::string& name, int w, int h, std::vector<int32_t> rows,
                std::vector<int16_t> fills, uint16_t begin = 0, uint8_t blockMode = 0) {
  OutputItem item;
  item.name = name;
  PicHeader& hd = item.header;
  hd.kind = kBlockPictureKind;
  hd.blockMode = blockMode;
  const BlockGeometry g = GeometryOf(blockMode);
  hd.width = static_cast<uint32_t>(w * g.width);
  hd.height = static_cast<uint32_t>(h * g.height);
  std::fill(std::begin(hd.sectionRows), std::end(hd.sectionRows), -1);
  for (size_t k = 0; k < rows.size(); ++k) {
    hd.sectionRows[k] = rows[k];
    hd.sectionFill[k] = fills[k];
  }
  hd.beginAddress = begin;
  const size_t cells = static_cast<size_t>(w * h);
  hd.pntSize = static_cast<uint32_t>(3 * cells);
  hd.palSize = 512;
  item.blocks.pnt.assign(3 * cells, 0);
  for (size_t c = 0; c < cells; ++c) {
    item.blocks.pnt[2 * c] = static_cast<uint8_t>(c);
    item.blocks.pnt[2 * c + 1] = 1;  // high byte: not written
    item.blocks.pnt[2 * cells + c] = static_cast<uint8_t>(c % 4);
  }
  item.blocks.pal.resize(512);
  for (int i = 0; i < 256; ++i) {
    item.blocks.pal[2 * i] = static_cast<uint8_t>(i);
    item.blocks.pal[2 * i + 1] = static_cast<uint8_t>(0x80 | i);
  }
  item.blocks.pgt.resize(std::max<size_t>(rows.size(), 1) * 8192);
  for (size_t i = 0; i < item.blocks.pgt.size(); ++i)
    item.blocks.pgt[i] = static_cast<uint8_t>(i / 2048 + 1);
  hd.pgtSize = static_cast<uint32_t>(item.blocks.pgt.size());
  return item;
}

TEST(ProjectOutput, ASingleSectionIsOneEntryOnOneLine) {
  const ProjectOutputFiles out = MakeProjectOutput({Item("title", 4, 2, {0}, {0x0FFF})});
  EXPECT_EQ(out.irq, "TITLE_irq:\n\tdb\t$00,$10,$00,$01,$02,$03\n");
  ASSERT_EQ(out.itemFiles.size(), 1u);
  EXPECT_EQ(out.itemFiles[0].first, "TITLE.ASM");
  EXPECT_EQ(out.itemFiles[0].second,
            "TITLE_irq:\n\tdb\t$00,$10,$00,$01,$02,$03\n"
            "TITLE_pnt:\n\tdb\t$00,$01,$02,$03,$04,$05,$06,$07,\n"
            "TITLE_attrib:\n\tdb\t$08\n\n"  // A(0,2) = 2; rows 2 and on lie outside
            "TITLE_palette:\n"
            "\tdb\t$00,$01,$02,$03,$04,$05,$06,$07,$08,$09,$0A,$0B,$0C,$0D,$0E,$0F\n"
            "\tdb\t$10,$11,$12,$13,$14,$15,$16,$17,$18,$19,$1A,$1B,$1C,$1D,$1E,$1F\n"
            "\tdb\t$20,$21,$22,$23,$24,$25,$26,$27,$28,$29,$2A,$2B,$2C,$2D,$2E,$2F\n"
            "\tdb\t$30,$31,$32,$33,$34,$35,$36,$37,$38,$39,$3A,$3B,$3C,$3D,$3E,$3F\n"
            "\tdb\t$80,$81,$82,$83,$84,$85,$86,$87,$88,$89,$8A,$8B,$8C,$8D,$8E,$8F\n"
            "\tdb\t$90,$91,$92,$93,$94,$95,$96,$97,$98,$99,$9A,$9B,$9C,$9D,$9E,$9F\n"
            "\tdb\t$A0,$A1,$A2,$A3,$A4,$A5,$A6,$A7,$A8,$A9,$AA,$AB,$AC,$AD,$AE,$AF\n"
            "\tdb\t$B0,$B1,$B2,$B3,$B4,$B5,$B6,$B7,$B8,$B9,$BA,$BB,$BC,$BD,$BE,$BF\n"
            "TITLE_info:\n\tdb\t$04,$02,$82,$00\n");
  // 4096 section bytes, padded with 0xFF to 32768.
  ASSERT_EQ(out.pgt.size(), 32768u);
  EXPECT_EQ(out.pgt[4095], 2);
  EXPECT_EQ(out.pgt[4096], 0xFF);
}

TEST(ProjectOutput, TheFirstSectionSkipsTheBeginAddress) {
  ProjectOutputFiles out = MakeProjectOutput({Item("a", 4, 2, {0}, {0x1800}, 0x1000)});
  EXPECT_EQ(out.irq, "A_irq:\n\tdb\t$00,$10,$FF,$FF,$00,$01\n");
  EXPECT_EQ(out.pgt[0], 3);  // from offset 0x1000 of the item's tiles
  out = MakeProjectOutput({Item("a", 4, 2, {0}, {0x1000})});
  EXPECT_EQ(out.pgt[6143], 3);
  EXPECT_EQ(out.pgt[6144], 0xFF);
}

TEST(ProjectOutput, SectionsAndItemsNumberPagesOnward) {
  const ProjectOutputFiles out =
      MakeProjectOutput({Item("one", 4, 2, {0, 40, 100}, {0x07FF, 0x0FFF, 0x0000}),
                         Item("two", 4, 2, {0}, {0x07FF})});
  EXPECT_EQ(out.irq,
            "ONE_irq:\n\tdb\t$27,$10,$00,$01,$02,$03\n"
            "\tdb\t$3B,$10,$01,$02,$03,$04\n"
            "\tdb\t$00,$10,$03,$04,$05,$06\n"
            "TWO_irq:\n\tdb\t$00,$10,$04,$05,$06,$07\n");
  EXPECT_EQ(out.pgt[2048], 1 + 8192 / 2048);  // section 1 starts at 8192 of the item
}

TEST(ProjectOutput, WideBlocksStartOnAnEvenPage) {
  const ProjectOutputFiles out = MakeProjectOutput(
      {Item("odd", 4, 2, {0}, {0x07FF}), Item("wide", 2, 1, {0}, {0x07FF}, 0, 3)});
  EXPECT_EQ(out.irq,
            "ODD_irq:\n\tdb\t$00,$10,$00,$01,$02,$03\n"
            "WIDE_irq:\n\tdb\t$00,$10,$02,$03,$04,$05\n");
  EXPECT_EQ(out.pgt[2048], 0);  // the zero page
  EXPECT_EQ(out.pgt[4096], 1);
  // The zero page is not counted towards the padding.
  EXPECT_EQ(out.pgt.size(), 2048u + 32768u);
}

TEST(ProjectOutput, BrokenItemsAreSkippedAndTheRestRunsOn) {
  OutputItem shortTiles = Item("short", 4, 2, {0, 8}, {0x07FF, 0x1FFF});
  shortTiles.blocks.pgt.resize(9000);
  OutputItem negative = Item("neg", 4, 2, {0}, {-4096});
  const ProjectOutputFiles out =
      MakeProjectOutput({shortTiles, negative, Item("good", 4, 2, {0}, {0x07FF})});
  EXPECT_EQ(out.irq, "GOOD_irq:\n\tdb\t$00,$10,$00,$01,$02,$03\n");
  ASSERT_EQ(out.messages.size(), 2u);
  EXPECT_NE(out.messages[0].find("short"), std::string::npos);
}

TEST(ProjectOutput, AFullLastSectionIsWrittenWithFillerPastItsTiles) {
  // 256 tiles of 8 x 8 in one uncompressed bank: the section is full to its last byte.
  const ProjectOutputFiles out = MakeProjectOutput({Item("full", 32, 8, {0}, {8192})});
  EXPECT_TRUE(out.messages.empty());
  EXPECT_EQ(out.irq, "FULL_irq:\n\tdb\t$00,$10,$00,$01,$02,$03\n");
  // Five pages: four of tiles and one of filler, then padding to 32 KB.
  ASSERT_EQ(out.pgt.size(), 32768u);
  EXPECT_EQ(out.pgt[4 * 2048 - 1], 4);
  for (size_t i = 4 * 2048; i < out.pgt.size(); ++i) ASSERT_EQ(out.pgt[i], 0xFF) << i;
}

TEST(ProjectOutput, FourColourSectionsLieHalfABankApart) {
  OutputItem item = Item("four", 2, 1, {0, 8}, {0x07FF, 0x07FF}, 0, 3);
  item.header.colourMode = 1;
  item.header.colourSpace = 2;
  const ProjectOutputFiles out = MakeProjectOutput({item});
  EXPECT_EQ(out.pgt[2048], 1 + 4096 / 2048);
  // A player learns the mode from the item: NES colours, 4 per palette, 16 x 16 blocks.
  const std::string& text = out.itemFiles.at(0).second;
  EXPECT_EQ(text.substr(text.rfind("FOUR_info:")), "FOUR_info:\n\tdb\t$02,$01,$00,$03\n");
}

TEST(ProjectOutput, AnEmptyProjectWritesEmptyFiles) {
  const ProjectOutputFiles out = MakeProjectOutput({});
  EXPECT_TRUE(out.pgt.empty());
  EXPECT_TRUE(out.irq.empty());
}

// A fresh folder holding "a.pic", a block picture of one section.
std::filesystem::path FolderWithAPicture(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const OutputItem a = Item("a", 4, 2, {0}, {0x07FF});
  EXPECT_TRUE(WritePicFile((dir / "a.pic").string(), {a.header, a.blocks}));
  return dir;
}

// A project in dir with one section holding the items (name, .pic file in dir); each item
// added goes before the ones added earlier.
ProjectTree ProjectWith(const std::filesystem::path& dir,
                        const std::vector<std::pair<std::string, std::string>>& items) {
  ProjectTree tree;
  const auto root = tree.CreateRoot((dir / "p.prg").string());
  ProjectTree::NodeId section;
  tree.AddChild(root, SectionRecord("s", false), &section);
  for (const auto& [name, file] : items)
    tree.AddChild(section, ItemRecord(name, (dir / file).string()));
  return tree;
}

TEST(ProjectOutput, ItemNamesMustBePlainFileNamesOfTheirOwn) {
  EXPECT_TRUE(CheckItemNames({"title", "Pic1", "a.b", ""}).empty());
  for (const std::string& name :
       {std::string("../ESCAPED"), std::string("a/b"), std::string("a\\b"),
        std::string("README\0x", 8), std::string("..")}) {
    EXPECT_EQ(CheckItemNames({"ok", name}), "项目" + name + "的名称不能用作文件名,输出终止!");
  }
  EXPECT_EQ(CheckItemNames({"vt03irq"}), "项目vt03irq的输出文件与其他文件同名,输出终止!");
  EXPECT_EQ(CheckItemNames({"Title", "title"}), "项目title的输出文件与其他文件同名,输出终止!");

  // Nothing is replaced when a name is refused.
  const std::filesystem::path dir = FolderWithAPicture("tilvex-names-test");
  const ProjectTree tree = ProjectWith(dir, {{"good", "a.pic"}, {"../ESCAPED", "a.pic"}});
  std::vector<std::string> messages;
  std::vector<std::string> names;
  const Result refused = OutputProject(tree, dir.string(), messages, &names);
  EXPECT_EQ(refused.message, "项目../ESCAPED的名称不能用作文件名,输出终止!");
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "VT03PGT.BIN"));
  EXPECT_FALSE(std::filesystem::exists(dir / "GOOD.ASM"));
  EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "../ESCAPED.ASM"));
  std::filesystem::remove_all(dir);
}

TEST(ProjectOutput, NamesTheFilesItWrote) {
  const std::filesystem::path dir = FolderWithAPicture("tilvex-written-test");
  const ProjectTree tree = ProjectWith(dir, {{"lost", "missing.pic"}, {"good", "a.pic"}});
  std::vector<std::string> messages;
  std::vector<std::string> names;
  ASSERT_TRUE(OutputProject(tree, dir.string(), messages, &names).ok);
  EXPECT_EQ(messages.size(), 1u);  // the lost item, which writes no file
  EXPECT_EQ(names, (std::vector<std::string>{"VT03PGT.BIN", "VT03IRQ.ASM", "GOOD.ASM"}));
  for (const std::string& name : names) EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tilvex
