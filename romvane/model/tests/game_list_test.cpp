#include "model/game_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <sys/stat.h>

#include "model/paths.h"
#include "nes_files.h"

namespace romvane {
namespace {

using testing::MakeNes;
using testing::NesImage;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteNes;

InesHeader Header(uint8_t flags6, uint8_t flags7) {
  return {0x4E, 0x45, 0x53, 0x1A, 1, 1, flags6, flags7, 0, 0, 0, 0, 0, 0, 0, 0};
}

TEST(AttributeText, NamesMapperMirroringAndFeaturesInOrder) {
  EXPECT_EQ(AttributeText(Header(0x0F, 0x00)), "mapper0,垂直,SRAM,Trainer,4屏幕");
  EXPECT_EQ(AttributeText(Header(0x00, 0x00)), "mapper0,水平");
  EXPECT_EQ(AttributeText(Header(0xF0, 0xF0)), "mapper255,水平");
  EXPECT_EQ(AttributeText(Header(0x43, 0x00)), "mapper4,垂直,SRAM");
  // Bits 0-3 of byte 7 are not part of the mapper number.
  EXPECT_EQ(AttributeText(Header(0x10, 0x0F)), "mapper1,水平");
}

TEST(Paths, BaseNameCutsAtEitherSeparatorAndTheLastDot) {
  EXPECT_EQ(BaseNameOf("D:\\games\\Super.Tank.nes"), "Super.Tank");
  EXPECT_EQ(BaseNameOf("/home/u/games/tank.nes"), "tank");
  EXPECT_EQ(BaseNameOf("C:\\x/y\\z.nes"), "z");
  EXPECT_EQ(BaseNameOf("/games/noext"), "");
}

class GameListTest : public ::testing::Test {
 protected:
  // Adds games named g1..gN, game i with i PRG units so each is recognisable.
  void AddGames(int count) {
    for (int i = 1; i <= count; ++i) {
      const std::string name = "g" + std::to_string(i);
      NesImage image;
      image.prgUnits = static_cast<uint8_t>(i);
      image.fill = static_cast<uint8_t>(i);
      ASSERT_EQ(list.AddGame(WriteNes(dir, name + ".nes", image), name).status, AddStatus::kStored);
    }
  }

  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const GameEntry& g : list.Games()) titles.push_back(g.title);
    return titles;
  }

  // Every row's record must be the game whose title the row shows.
  void ExpectRowsPairedWithTheirGames() const {
    for (int row = 0; row < list.RowCount(); ++row) {
      const GameEntry* e = list.EntryForRow(row);
      ASSERT_NE(e, nullptr) << "row " << row;
      EXPECT_EQ(BaseNameOf(e->path), ColumnText(list.Game(row), kColTitle));
      EXPECT_EQ(HexText(PrgByteSize(e->header)), ColumnText(list.Game(row), kColPrgSize));
      EXPECT_EQ(e->index, list.Game(row).Number() - 1);
    }
  }

  TempDir dir;
  GameList list;
};

TEST_F(GameListTest, AddingFillsTheFiveColumnsAndReadsTheData) {
  NesImage image;
  image.prgUnits = 8;
  image.chrUnits = 0;
  image.flags6 = 0x41;
  image.trailing = 100;
  const std::string path = WriteNes(dir, "tank.nes", image);
  ASSERT_EQ(list.AddGame(path, "tank").status, AddStatus::kStored);
  const GameEntry& row = list.Game(0);
  EXPECT_EQ(ColumnText(row, kColNumber), "1");
  EXPECT_EQ(ColumnText(row, kColTitle), "tank");
  EXPECT_EQ(ColumnText(row, kColPrgSize), "20000");
  EXPECT_EQ(ColumnText(row, kColChrSize), "0");
  EXPECT_EQ(ColumnText(row, kColAttribute), "mapper4,垂直");
  const GameEntry* e = list.EntryForRow(0);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->prg.size(), 0x20000u);
  EXPECT_TRUE(e->chr.empty());
  EXPECT_EQ(e->prg[5], 5);
}

TEST_F(GameListTest, TrainerBytesStayAtTheStartOfThePrgData) {
  NesImage image;
  image.prgUnits = 1;
  image.chrUnits = 1;
  image.flags6 = 0x04;
  std::vector<uint8_t> bytes = MakeNes(image);
  // Put a recognisable trainer behind the header; the file's last 512 bytes go unread.
  bytes.insert(bytes.begin() + 16, 512, 0x77);
  WriteBytes(dir / "t.nes", bytes);
  ASSERT_EQ(list.AddGame(dir / "t.nes", "t").status, AddStatus::kStored);
  const GameEntry* e = list.EntryForRow(0);
  EXPECT_EQ(e->prg[0], 0x77);
  EXPECT_EQ(e->prg[511], 0x77);
  EXPECT_EQ(e->prg[512], 0x00);
  EXPECT_EQ(e->chr.size(), 0x2000u);
  EXPECT_EQ(e->chr.back(), static_cast<uint8_t>(0x80 + 0x2000 - 1 - 512));
  EXPECT_EQ(ColumnText(list.Game(0), kColAttribute), "mapper0,水平,Trainer");
}

TEST_F(GameListTest, BadFilesGetARowButNeverARecord) {
  WriteBytes(dir / "plain.nes", std::vector<uint8_t>(100, 0x41));
  WriteBytes(dir / "empty.nes", {});
  std::vector<uint8_t> cut = MakeNes({});
  cut.resize(cut.size() - 1);
  WriteBytes(dir / "cut.nes", cut);
  WriteBytes(dir / "tiny.nes", {0x4E, 0x45, 0x53, 0x1A, 2});

  EXPECT_EQ(list.AddGame(dir / "plain.nes", "plain").status, AddStatus::kNoSignature);
  EXPECT_EQ(list.AddGame(dir / "empty.nes", "empty").status, AddStatus::kNoSignature);
  const AddResult cutResult = list.AddGame(dir / "cut.nes", "cut");
  EXPECT_EQ(cutResult.status, AddStatus::kTruncated);
  EXPECT_NE(cutResult.message.find(dir / "cut.nes"), std::string::npos);
  EXPECT_EQ(list.AddGame(dir / "tiny.nes", "tiny").status, AddStatus::kTruncated);
  const AddResult missing = list.AddGame(dir / "missing.nes", "missing");
  EXPECT_EQ(missing.status, AddStatus::kUnreadable);
  EXPECT_NE(missing.message.find("missing.nes"), std::string::npos);

  EXPECT_EQ(list.RowCount(), 5);
  EXPECT_EQ(list.RecordCount(), 0);
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(list.EntryForRow(row), nullptr);
    EXPECT_EQ(ColumnText(list.Game(row), kColPrgSize), "");
  }
  EXPECT_EQ(ColumnText(list.Game(0), kColTitle), "plain");

  // A good game after them is found through its own number only.
  AddGames(1);
  EXPECT_EQ(list.EntryForRow(5)->index, 5);
  EXPECT_EQ(list.EntryForRow(0), nullptr);
}

TEST_F(GameListTest, PathsThatCannotBeListedOrReadSafelyAreRefused) {
  // A line feed or carriage return would split the line of a saved list.
  for (const char* name : {"a\nb.nes", "a\rb.nes"}) {
    const std::string path = WriteNes(dir, name, {});
    const AddResult added = list.AddGame(path, "x");
    EXPECT_EQ(added.status, AddStatus::kRefused);
    EXPECT_FALSE(added.message.empty());
  }
  EXPECT_EQ(list.RowCount(), 0);
  // A FIFO would block the reader forever; a folder is no game either.
  ASSERT_EQ(mkfifo((dir / "fifo.nes").c_str(), 0600), 0);
  EXPECT_EQ(list.AddGame(dir / "fifo.nes", "fifo").status, AddStatus::kUnreadable);
  EXPECT_EQ(list.AddGame(dir.path(), "folder").status, AddStatus::kUnreadable);
  EXPECT_EQ(list.RecordCount(), 0);
}

TEST_F(GameListTest, ChangesRaiseTheRevisionAndMarkTheListModified) {
  EXPECT_FALSE(list.Modified());
  AddGames(2);
  EXPECT_TRUE(list.Modified());
  list.MarkSaved();
  uint64_t seen = list.Revision();
  list.SortRows(kColTitle, false);  // the saved list does not change
  EXPECT_FALSE(list.Modified());
  EXPECT_GT(list.Revision(), seen);
  seen = list.Revision();
  list.SetTitle(0, "t");
  EXPECT_TRUE(list.Modified());
  EXPECT_GT(list.Revision(), seen);
}

TEST_F(GameListTest, DroppedFileWithoutSignatureShowsOnlyItsNumber) {
  WriteBytes(dir / "x.nes", std::vector<uint8_t>(40, 1));
  list.AddGame(dir / "x.nes", "x", /*titleOnlyWhenValid=*/true);
  EXPECT_EQ(ColumnText(list.Game(0), kColNumber), "1");
  EXPECT_EQ(ColumnText(list.Game(0), kColTitle), "");
}

TEST_F(GameListTest, The513thGameIsRefused) {
  const std::string path = WriteNes(dir, "small.nes", {1, 0});
  for (int i = 0; i < GameList::kMaxGames; ++i)
    ASSERT_EQ(list.AddGame(path, "s").status, AddStatus::kStored);
  const AddResult extra = list.AddGame(path, "s");
  EXPECT_EQ(extra.status, AddStatus::kListFull);
  EXPECT_FALSE(extra.message.empty());
  EXPECT_EQ(list.RowCount(), 512);
  EXPECT_EQ(list.RecordCount(), 512);
}

TEST_F(GameListTest, RemovingRenumbersAndKeepsEachGameWithItsRow) {
  AddGames(5);
  list.RemoveGames({1});
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g1", "g3", "g4", "g5"}));
  for (int row = 0; row < 4; ++row) EXPECT_EQ(list.Game(row).Number(), row + 1);
  ExpectRowsPairedWithTheirGames();
  list.RemoveGames({0, 3});
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g3", "g4"}));
  ExpectRowsPairedWithTheirGames();
  EXPECT_EQ(list.RecordCount(), 2);
}

TEST_F(GameListTest, MovingUpAndDownCarriesBlocksOfRows) {
  AddGames(3);
  std::vector<int> selection = {1, 2};
  EXPECT_EQ(list.MoveGameUp(selection), "");
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g2", "g3", "g1"}));
  EXPECT_EQ(selection, (std::vector<int>{0, 1}));
  ExpectRowsPairedWithTheirGames();

  // The first row cannot go up: only the message, nothing moves.
  EXPECT_EQ(list.MoveGameUp(selection), "文件不需要上移!");
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g2", "g3", "g1"}));

  selection = {0, 1};
  EXPECT_EQ(list.MoveGameDown(selection), "");
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g1", "g2", "g3"}));
  EXPECT_EQ(selection, (std::vector<int>{1, 2}));
  EXPECT_EQ(list.MoveGameDown(selection), "文件不需要下移!");
  ExpectRowsPairedWithTheirGames();
}

TEST_F(GameListTest, MovingTheOnlyRowDownShowsTheMessage) {
  AddGames(1);
  std::vector<int> selection = {0};
  EXPECT_EQ(list.MoveGameDown(selection), "文件不需要下移!");
}

TEST_F(GameListTest, DraggingRowsOneAndTwoOntoFiveRenumbers) {
  AddGames(5);
  list.MoveRowsTo({0, 1}, 4);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g3", "g4", "g1", "g2", "g5"}));
  for (int row = 0; row < 5; ++row) EXPECT_EQ(list.Game(row).Number(), row + 1);
  ExpectRowsPairedWithTheirGames();
  list.MoveRowsTo({4}, -1);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g3", "g4", "g1", "g2", "g5"}));
  list.MoveRowsTo({3}, 0);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"g2", "g3", "g4", "g1", "g5"}));
  ExpectRowsPairedWithTheirGames();
}

TEST_F(GameListTest, SortingKeepsNumbersAndRecordsWithTheirRows) {
  AddGames(4);
  list.SetTitle(0, "delta");
  list.SetTitle(1, "alpha");
  list.SetTitle(2, "中文");
  list.SetTitle(3, "beta");
  list.SortRows(kColTitle, true);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"alpha", "beta", "delta", "中文"}));
  EXPECT_EQ(list.Game(0).Number(), 2);
  EXPECT_EQ(PrgByteSize(list.EntryForRow(0)->header), 2 * 0x4000u);
  list.SortRows(kColTitle, false);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"中文", "delta", "beta", "alpha"}));
  list.SortRows(kColPrgSize, true);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"delta", "alpha", "中文", "beta"}));

  // Moving a sorted row exchanges games between the two numbers shown.
  list.SortRows(kColPrgSize, false);  // numbers 4, 3, 2, 1
  std::vector<int> selection = {1};
  list.MoveGameUp(selection);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"中文", "beta", "alpha", "delta"}));
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(list.EntryForRow(row)->index, list.Game(row).Number() - 1);
    EXPECT_EQ(HexText(PrgByteSize(list.EntryForRow(row)->header)),
              ColumnText(list.Game(row), kColPrgSize));
  }
}

TEST_F(GameListTest, ChangingMirroringRewritesOnlyThatBit) {
  NesImage image;
  image.flags6 = 0x46;  // mapper 4, SRAM, trainer, horizontal
  image.flags7 = 0x00;
  image.trailing = 33;
  const std::string path = WriteNes(dir, "m.nes", image);
  const std::vector<uint8_t> before = ReadBytes(path);
  list.AddGame(path, "m");
  EXPECT_EQ(list.SetMirroring(0, true), "");
  std::vector<uint8_t> after = ReadBytes(path);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[6], 0x47);
  after[6] = before[6];
  EXPECT_EQ(after, before);
  EXPECT_EQ(ColumnText(list.Game(0), kColAttribute), "mapper4,垂直,SRAM,Trainer");
  EXPECT_EQ(list.SetMirroring(0, false), "");
  EXPECT_EQ(ReadBytes(path), before);
}

// Random sequences of the list's commands: whatever the order of operations, every row
// keeps its own game, numbers stay 1..n, and there is one record per valid row.
TEST_F(GameListTest, RandomCommandSequencesKeepEveryRowWithItsGame) {
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    NesImage image;
    image.prgUnits = static_cast<uint8_t>(1 + i % 3);
    image.fill = static_cast<uint8_t>(i);
    paths.push_back(WriteNes(dir, "r" + std::to_string(i) + ".nes", image));
  }
  WriteBytes(dir / "plain.nes", std::vector<uint8_t>(64, 1));  // a row without a record
  std::mt19937 rng(5);
  for (int step = 0; step < 3000; ++step) {
    const int n = list.RowCount();
    auto anyRows = [&] {
      std::vector<int> rows;
      for (int r = 0; r < n; ++r) {
        if (rng() % 3 == 0) rows.push_back(r);
      }
      return rows;
    };
    switch (rng() % 7) {
      case 0:
      case 1:
        if (rng() % 8 == 0) {
          list.AddGame(dir / "plain.nes", "plain");
        } else {
          const std::string& p = paths[rng() % paths.size()];
          list.AddGame(p, BaseNameOf(p));
        }
        break;
      case 2:
        list.RemoveGames(anyRows());
        break;
      case 3: {
        std::vector<int> rows = anyRows();
        list.MoveGameUp(rows);
        break;
      }
      case 4: {
        std::vector<int> rows = anyRows();
        list.MoveGameDown(rows);
        break;
      }
      case 5:
        list.MoveRowsTo(anyRows(), n == 0 ? 0 : static_cast<int>(rng() % (n + 1)));
        break;
      default:
        list.SortRows(static_cast<int>(rng() % kColumnCount), rng() % 2 == 0);
    }
    std::vector<int> numbers;
    int valid = 0;
    for (int row = 0; row < list.RowCount(); ++row) {
      numbers.push_back(list.Game(row).Number());
      const std::string& title = ColumnText(list.Game(row), kColTitle);
      const GameEntry* e = list.EntryForRow(row);
      if (title == "plain") {
        ASSERT_EQ(e, nullptr) << "step " << step;
        continue;
      }
      ASSERT_NE(e, nullptr) << "step " << step;
      ++valid;
      ASSERT_EQ(BaseNameOf(e->path), title) << "step " << step;
      ASSERT_EQ(HexText(static_cast<uint32_t>(e->prg.size())),
                ColumnText(list.Game(row), kColPrgSize));
    }
    std::sort(numbers.begin(), numbers.end());
    for (size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], static_cast<int>(i) + 1);
    ASSERT_EQ(list.RecordCount(), valid) << "step " << step;
  }
}

TEST_F(GameListTest, ClearEmptiesEverything) {
  AddGames(3);
  list.Clear();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.RecordCount(), 0);
  AddGames(1);
  EXPECT_EQ(ColumnText(list.Game(0), kColNumber), "1");
}

}  // namespace
}  // namespace romvane
