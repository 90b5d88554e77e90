#include "app/command_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/document.h"
#include "common/file_io.h"
#include "convert/progress.h"
#include "image/picture_bmp.h"

namespace tilvex {
namespace {

std::string BandsFile(const std::string& name) {
  const std::string path = ::testing::TempDir() + "/commands_" + name;
  Picture picture{32, 16, std::vector<uint8_t>(32 * 16 * 3)};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) picture.Set(x, y, x < 16 ? 0xCC2222 : 0x2244CC);
  }
  EXPECT_TRUE(common::WriteFileReplacing(path, BmpFileBytes(picture)).ok);
  return path;
}

void Convert(Document& doc) {
  ConversionSettings settings = DefaultSettings(doc.View());
  settings.colourSpace = 1;  // needs no colour tables
  ASSERT_TRUE(doc.Convert(settings, nullptr, NoProgress()).ok);
}

void Paint(Document& doc) {
  doc.BeginStroke();
  doc.StrokePixel(0, 0, 0x123456);
  doc.EndStroke();
}

TEST(WindowCommands, FollowWhatTheDocumentHolds) {
  Document doc;
  CommandStates none = AllowedCommands(doc);
  EXPECT_FALSE(none.showBlocks || none.usePicture || none.undo || none.redo);

  ASSERT_TRUE(doc.Open(BandsFile("plain.bmp")).ok);
  const CommandStates plain = AllowedCommands(doc);
  EXPECT_TRUE(plain.usePicture);
  EXPECT_FALSE(plain.showBlocks);  // a plain picture has nothing to preview or output
  EXPECT_FALSE(plain.undo);

  Convert(doc);
  const CommandStates converted = AllowedCommands(doc);
  EXPECT_TRUE(converted.showBlocks && converted.usePicture && converted.undo);
  EXPECT_FALSE(converted.redo);

  doc.Undo();
  const CommandStates undone = AllowedCommands(doc);
  EXPECT_FALSE(undone.showBlocks);
  EXPECT_TRUE(undone.redo && !undone.undo);
}

TEST(WindowCommands, TitleAndEditMenuNameTheFileAndTheStep) {
  Document doc;
  EXPECT_EQ(WindowTitle(doc), "Tilvex");
  EXPECT_EQ(UndoCommandText(doc), "(&U)ndo\tCtrl+Z");
  ASSERT_TRUE(doc.New(8, 8).ok);
  EXPECT_EQ(WindowTitle(doc), "Untitled \u2014 Tilvex");

  ASSERT_TRUE(doc.Open(BandsFile("title.bmp")).ok);
  EXPECT_EQ(WindowTitle(doc), "commands_title.bmp \u2014 Tilvex");
  Paint(doc);
  EXPECT_EQ(WindowTitle(doc), "commands_title.bmp* \u2014 Tilvex");
  EXPECT_EQ(UndoCommandText(doc), "(&U)ndo Pen\tCtrl+Z");
  EXPECT_EQ(RedoCommandText(doc), "(&R)edo\tCtrl+Y");
  doc.Undo();
  EXPECT_EQ(WindowTitle(doc), "commands_title.bmp \u2014 Tilvex");
  EXPECT_EQ(RedoCommandText(doc), "(&R)edo Pen\tCtrl+Y");
}

TEST(RecentFiles, ReopenedFileMovesFirstAndTheListStaysFourLong) {
  std::vector<std::string> recent;
  for (const char* path : {"/a.bmp", "/b.bmp", "/c.pic", "/d.png"})
    recent = WithRecentFile(recent, path);
  EXPECT_EQ(recent, (std::vector<std::string>{"/d.png", "/c.pic", "/b.bmp", "/a.bmp"}));
  recent = WithRecentFile(recent, "/b.bmp");
  EXPECT_EQ(recent, (std::vector<std::string>{"/b.bmp", "/d.png", "/c.pic", "/a.bmp"}));
  recent = WithRecentFile(recent, "/e.bmp");
  EXPECT_EQ(recent, (std::vector<std::string>{"/e.bmp", "/b.bmp", "/d.png", "/c.pic"}));
}

TEST(FilePrompts, OpenOffersEveryReadableTypeAndSaveAsOnlyWhatTheDocumentWrites) {
  const std::vector<std::string> open = FilePromptFilters(true);
  ASSERT_EQ(open.size(), 3u);
  EXPECT_EQ(open[0],
            "所有图象文件(*.bmp,*.png,*.pcx,*.gif;*.tga;*.psd;*.jpg;*.tif;) (*.bmp *.png *.pcx "
            "*.gif *.tga *.psd *.jpg *.jpeg *.tif *.tiff)");
  EXPECT_EQ(open[1], "PIC文件 (*.gs? *.pic)");
  EXPECT_EQ(open[2], "*.* 所有文件 (*)");
  EXPECT_EQ(FilePromptFilters(false).size(), 2u);

  Document doc;
  ASSERT_TRUE(doc.New(16, 16).ok);
  SaveAsOffer offer = SaveAsOfferFor(doc);
  EXPECT_EQ(offer.filters, (std::vector<std::string>{"Bitmap(*.bmp)", "PNG(*.png)"}));
  EXPECT_EQ(offer.defaultSuffix, "bmp");
  EXPECT_EQ(offer.initialName, "");
  EXPECT_EQ(SaveAsRefusal(doc, "/p/a.pic").message, "只有转换后的图片才能保存为 PIC 文件。");

  const std::string source = BandsFile("offer.bmp");
  ASSERT_TRUE(doc.Open(source).ok);
  Convert(doc);
  offer = SaveAsOfferFor(doc);
  EXPECT_EQ(offer.filters.front(), "Bitmap(*.pic)");
  EXPECT_EQ(offer.defaultSuffix, "pic");
  EXPECT_EQ(offer.initialName, source.substr(0, source.size() - 4));
  EXPECT_TRUE(SaveAsRefusal(doc, "/p/a.pic").ok);
  EXPECT_EQ(SaveAsRefusal(doc, "/p/a.jpg").message,
            "不能保存为 jpg 文件。请用“另存为”选择 BMP、PNG 或 PIC。");
}

TEST(FileMessages, NameTheFileAndWhatIsStillUnsaved) {
  EXPECT_EQ(SavedText("/p/a.pic", false), "已保存 /p/a.pic");
  EXPECT_EQ(SavedText("/p/a.png", true),
            "已保存图像 /p/a.png;块数据(图块、调色板、单元格)尚未保存,请另存为 .pic。");
  EXPECT_EQ(OpenFailureText(Result::Fail("坏文件"), "/p/a.pic"), "坏文件");
  EXPECT_EQ(OpenFailureText(Result::Fail(""), "/p/a.pic"), "无法打开文档。\n/p/a.pic");
  const std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(OutputWrittenText("out/../a_pgt.bin", "/p/a_pnt.asm"),
            "已写出 " + here + "/a_pgt.bin 和 /p/a_pnt.asm");
  Document doc;
  ASSERT_TRUE(doc.New(8, 8).ok);
  EXPECT_EQ(SaveChangesQuestion(doc), "是否保存对 Untitled 的修改?");
}

TEST(KeptConversion, AreaIsOfferedAgainOnlyForAPictureOfTheSameSize) {
  KeptConversion kept;
  EXPECT_FALSE(kept.settings);
  const Picture wide{256, 240, {}};
  ConversionSettings settings =
      DefaultSettings(Picture{256, 240, std::vector<uint8_t>(256 * 240 * 3)});
  kept.Keep(settings, wide);
  ASSERT_TRUE(kept.settings);
  EXPECT_TRUE(kept.AreaFits(Picture{256, 240, {}}));
  EXPECT_FALSE(kept.AreaFits(Picture{240, 256, {}}));
  EXPECT_FALSE(kept.AreaFits(Picture{256, 16, {}}));
}

}  // namespace
}  // namespace tilvex
