#include "model/list_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/gbk.h"
#include "nes_files.h"

namespace romvane {
using common::Utf8ToGbk;
namespace {

using testing::NesImage;
using testing::ReadText;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteNes;

class ListFileTest : public ::testing::Test {
 protected:
  std::string AddGame(const std::string& name, const NesImage& image = {}) {
    const std::string path = WriteNes(dir, name + ".nes", image);
    list.AddGame(path, name);
    return path;
  }
  void WriteList(const std::string& gbkText) {
    WriteBytes(dir / "list.sav", std::vector<uint8_t>(gbkText.begin(), gbkText.end()));
  }

  TempDir dir;
  GameList list;
};

TEST_F(ListFileTest, TitlesEqualToFileNamesSaveAsBarePathsOthersAsGbk) {
  const std::string a = AddGame("a");
  const std::string b = AddGame("b");
  list.SetTitle(1, "坦克大战");
  ASSERT_EQ(SaveListFile(list, dir / "list.sav").message, "");
  EXPECT_EQ(ReadText(dir / "list.sav"), a + "\r\n" + b + "," + *Utf8ToGbk("坦克大战") + "\r\n");
}

TEST_F(ListFileTest, SavingThenLoadingReproducesTheList) {
  NesImage mmc3;
  mmc3.prgUnits = 8;
  mmc3.chrUnits = 16;
  mmc3.flags6 = 0x43;
  AddGame("one");
  AddGame("two", mmc3);
  WriteBytes(dir / "three.nes", std::vector<uint8_t>(64, 0));  // no signature
  list.AddGame(dir / "three.nes", "three");
  list.SetTitle(0, "第一个");
  list.SortRows(kColTitle, false);  // saving goes by number, not by the shown order
  ASSERT_EQ(SaveListFile(list, dir / "list.sav").message, "");
  EXPECT_FALSE(list.Modified());

  GameList loaded;
  loaded.AddGame(WriteNes(dir, "leftover.nes", {}), "leftover");  // loading replaces it
  EXPECT_EQ(LoadListFile(loaded, dir / "list.sav").error, "");
  EXPECT_FALSE(loaded.Modified());
  ASSERT_EQ(loaded.RowCount(), 3);
  for (int number = 1; number <= 3; ++number) {
    const GameEntry& original = list.Game(list.RowsByNumber()[number - 1]);
    for (int c = 0; c < kColumnCount; ++c)
      EXPECT_EQ(ColumnText(loaded.Game(number - 1), c), ColumnText(original, c)) << number;
  }
  EXPECT_EQ(loaded.RecordCount(), 2);
}

TEST_F(ListFileTest, CommasInTitlesAndPathsLoadBack) {
  const std::string a = AddGame("a");
  const std::string b = AddGame("b,c");
  list.SetTitle(0, "Big, the game");
  const SaveResult saved = SaveListFile(list, dir / "list.sav");
  EXPECT_TRUE(saved.ok);
  EXPECT_NE(saved.message.find("第1、2行"), std::string::npos);  // other programs misread them
  EXPECT_EQ(ReadText(dir / "list.sav"), a + ",Big, the game\r\n" + b + "\r\n");
  ASSERT_EQ(LoadListFile(list, dir / "list.sav").error, "");
  EXPECT_EQ(list.Game(0).title, "Big, the game");
  EXPECT_EQ(list.Game(0).path, a);
  EXPECT_EQ(list.Game(1).path, b);
  EXPECT_EQ(list.Game(1).title, "b,c");
}

TEST_F(ListFileTest, ListsWrittenAsUtf8LoadAndSaveAsGbk) {
  const std::string path = AddGame("坦克");
  WriteList(path + "\r\n" + path + ",大战\r\n");  // UTF-8, as a Linux editor writes it
  ASSERT_EQ(LoadListFile(list, dir / "list.sav").error, "");
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.Game(0).path, path);
  EXPECT_EQ(list.Game(1).title, "大战");
  ASSERT_TRUE(SaveListFile(list, dir / "list.sav").ok);
  EXPECT_EQ(ReadText(dir / "list.sav"),
            *Utf8ToGbk(path) + "\r\n" + *Utf8ToGbk(path + ",大战") + "\r\n");
}

TEST_F(ListFileTest, AWholeUtf8FileIsReadAsUtf8EvenWhereALineIsAlsoGbk) {
  // "坦克大战" in UTF-8 is also valid GBK ("鍧﹀厠澶ф垬"): the file decides, not the line.
  const std::string path = AddGame("a");
  WriteList(path + ",坦克大战\r\n" + path + ",超级玛丽 3\r\n");
  ASSERT_EQ(LoadListFile(list, dir / "list.sav").error, "");
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.Game(0).title, "坦克大战");
  EXPECT_EQ(list.Game(1).title, "超级玛丽 3");
  // A file with one GBK line is GBK throughout.
  WriteList(path + ",坦克大战\r\n" + path + ",\xCC\xB9\xBF\xCB\r\n");
  ASSERT_EQ(LoadListFile(list, dir / "list.sav").error, "");
  EXPECT_EQ(list.Game(0).title, "鍧﹀厠澶ф垬");
  EXPECT_EQ(list.Game(1).title, "坦克");
}

TEST_F(ListFileTest, AMissingGameKeepsTheRestOfTheListAndIsMarked) {
  const std::string a = AddGame("a");
  WriteList(a + "\r\n/nowhere/b.nes\r\n\r\n" + a + "\r\n");
  const LoadResult loaded = LoadListFile(list, dir / "list.sav");
  EXPECT_EQ(loaded.error, "");
  ASSERT_EQ(list.RowCount(), 4);
  EXPECT_EQ(list.ProblemRows(), (std::vector<int>{1, 2}));
  EXPECT_EQ(list.Game(1).title, "b");
  ASSERT_EQ(loaded.warnings.size(), 2u);
  EXPECT_EQ(loaded.missing, 2);
  EXPECT_NE(loaded.warnings[0].find("/nowhere/b.nes"), std::string::npos);
  EXPECT_TRUE(list.EntryForRow(3));
}

// The command-line cases show the messages; here, that a failed load leaves no half list.
TEST_F(ListFileTest, AFailedLoadLeavesAnEmptyList) {
  const std::string a = AddGame("a");
  std::string long_list;
  for (int i = 0; i <= GameList::kMaxGames; ++i) long_list += a + "\r\n";
  for (const std::string& text : {a + "\r\n" + a + ",\x81\x20\r\n", long_list}) {
    WriteList(text);
    EXPECT_FALSE(LoadListFile(list, dir / "list.sav").error.empty()) << text.substr(0, 99);
    EXPECT_EQ(list.RowCount(), 0) << text;
    EXPECT_FALSE(list.Modified());
  }
  ASSERT_EQ(mkfifo((dir / "fifo.sav").c_str(), 0600), 0);  // refused, never waited on
  EXPECT_FALSE(LoadListFile(list, dir / "fifo.sav").error.empty());
  // 512 lines are a full list.
  long_list.resize(long_list.size() - a.size() - 2);
  WriteList(long_list);
  EXPECT_EQ(LoadListFile(list, dir / "list.sav").error, "");
  EXPECT_EQ(list.RowCount(), GameList::kMaxGames);
}

TEST_F(ListFileTest, TextGbkCannotHoldIsNotSaved) {
  AddGame("a");
  ASSERT_EQ(SaveListFile(list, dir / "list.sav").message, "");
  const std::string before = ReadText(dir / "list.sav");
  list.SetTitle(0, "emoji \xF0\x9F\x8E\xAE");
  const SaveResult saved = SaveListFile(list, dir / "list.sav");
  EXPECT_FALSE(saved.ok);
  EXPECT_NE(saved.message.find("第1行"), std::string::npos);
  EXPECT_EQ(ReadText(dir / "list.sav"), before);
  EXPECT_TRUE(list.Modified());
}

}  // namespace
}  // namespace romvane
