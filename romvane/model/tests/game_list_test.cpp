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

using Titles = std::vector<std::string>;

TEST(Paths, BaseNameCutsAtEitherSeparatorAndTheLastDot) {
  EXPECT_EQ(BaseNameOf("D:\\games\\Super.Tank.nes"), "Super.Tank");
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
      ASSERT_EQ(list.AddGame(WriteNes(dir, name + ".nes", image), name).status, AddStatus::kStored);
    }
  }

  Titles ShownTitles() const {
    Titles titles;
    for (const GameEntry& g : list.Games()) titles.push_back(g.title);
    return titles;
  }

  std::vector<int> ShownNumbers() const {
    std::vector<int> numbers;
    for (const GameEntry& g : list.Games()) numbers.push_back(g.Number());
    return numbers;
  }

  TempDir dir;
  GameList list;
};

TEST_F(GameListTest, TheDataFollowsTheHeaderWithATrainerAtTheStartOfThePrg) {
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
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->prg.size(), 0x4000u);
  EXPECT_EQ(e->prg[0], 0x77);
  EXPECT_EQ(e->prg[511], 0x77);
  EXPECT_EQ(e->prg[512], 0x00);
  EXPECT_EQ(e->chr.size(), 0x2000u);
  EXPECT_EQ(e->chr.back(), static_cast<uint8_t>(0x80 + 0x2000 - 1 - 512));
}

TEST_F(GameListTest, BadFilesFromAListGetAMarkedRowButNeverARecord) {
  WriteBytes(dir / "plain.nes", std::vector<uint8_t>(100, 0x41));
  std::vector<uint8_t> cut = MakeNes({});
  cut.resize(cut.size() - 1);
  WriteBytes(dir / "cut.nes", cut);
  WriteBytes(dir / "tiny.nes", {0x4E, 0x45, 0x53, 0x1A, 2});

  EXPECT_EQ(list.AddGame(dir / "plain.nes", "plain").status, AddStatus::kNoSignature);
  const AddResult cutResult = list.AddGame(dir / "cut.nes", "cut");
  EXPECT_EQ(cutResult.status, AddStatus::kTruncated);
  EXPECT_NE(cutResult.message.find(dir / "cut.nes"), std::string::npos);
  EXPECT_EQ(list.AddGame(dir / "tiny.nes", "tiny").status, AddStatus::kTruncated);
  EXPECT_EQ(list.AddGame(dir / "missing.nes", "missing").status, AddStatus::kUnreadable);
  // A FIFO would block the reader forever; a folder is no game either.
  ASSERT_EQ(mkfifo((dir / "fifo.nes").c_str(), 0600), 0);
  EXPECT_EQ(list.AddGame(dir / "fifo.nes", "fifo").status, AddStatus::kUnreadable);
  EXPECT_EQ(list.AddGame(dir.path(), "folder").status, AddStatus::kUnreadable);

  EXPECT_EQ(list.RowCount(), 6);
  EXPECT_EQ(list.RecordCount(), 0);
  EXPECT_EQ(ColumnText(list.Game(0), kColTitle), "plain");
  EXPECT_EQ(ColumnText(list.Game(0), kColPrgSize), "");
  EXPECT_EQ(list.ProblemRows(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(list.Game(3).problem, "文件不存在，或不在原路径");

  // Added by hand, none of them becomes a row, and each says why.
  GameList byHand;
  WriteBytes(dir / "empty.nes", {});
  for (const char* name : {"plain.nes", "cut.nes", "tiny.nes", "missing.nes", "empty.nes"}) {
    const AddResult added = byHand.AddGame(dir / name, "x", AddMode::kByHand);
    EXPECT_NE(added.status, AddStatus::kStored) << name;
    EXPECT_NE(added.message.find(dir / name), std::string::npos) << name;
  }
  EXPECT_EQ(byHand.RowCount(), 0);
}

TEST_F(GameListTest, GamesTheCartridgeCannotRunAreRefusedByHandAndMarkedFromAList) {
  struct Case {
    const char* name;
    NesImage image;
    const char* reason;  // empty: the cartridge runs it
  };
  const Case cases[] = {
      {"nrom", {2, 1, 0x01, 0}, ""},
      {"mmc3", {32, 32, 0x42, 0}, ""},  // 512 KB PRG, 256 KB CHR, battery
      {"cnrom", {2, 4, 0x30, 0}, "mapper3"},
      {"mmc1", {8, 0, 0x10, 0}, "mapper1"},
      {"nes2-mapper260", {2, 1, 0x40, 0x08, 0, 0, 0x01}, "mapper260"},
      {"chr-ram", {2, 0, 0x00, 0}, "CHR RAM"},
      {"chr-512k", {2, 64, 0x40, 0}, "CHR大于256KB"},
      {"prg-1m", {64, 1, 0x40, 0}, "PRG大于512KB"},
      {"prg-48k", {3, 1, 0x00, 0}, "2的幂"},
      {"four-screen", {8, 8, 0x48, 0}, "四屏幕"},
      {"trainer", {2, 1, 0x04, 0}, "Trainer"},
  };
  for (const Case& c : cases) {
    const std::string path = WriteNes(dir, std::string(c.name) + ".nes", c.image);
    const AddResult byHand = list.AddGame(path, c.name, AddMode::kByHand);
    const AddResult fromList = list.AddGame(path, c.name);
    const GameEntry& row = list.Game(list.RowCount() - 1);
    if (*c.reason == 0) {
      EXPECT_EQ(byHand.status, AddStatus::kStored) << c.name;
      EXPECT_EQ(row.problem, "") << c.name;
      continue;
    }
    EXPECT_EQ(byHand.status, AddStatus::kUnsupported) << c.name;
    EXPECT_NE(byHand.message.find(c.name), std::string::npos) << byHand.message;
    EXPECT_NE(byHand.message.find(c.reason), std::string::npos) << byHand.message;
    EXPECT_EQ(fromList.status, AddStatus::kStored) << c.name;
    EXPECT_EQ(fromList.message, byHand.message);
    EXPECT_EQ(row.title, c.name);
    EXPECT_TRUE(row.hasRecord) << c.name;
    EXPECT_NE(row.problem.find(c.reason), std::string::npos) << row.problem;
  }
  // Two rows for each game that runs, one (from the list) for each that does not.
  EXPECT_EQ(list.RowCount(), 2 * 2 + 9);
  EXPECT_EQ(list.ProblemRows().size(), 9u);
}

TEST_F(GameListTest, PathsALineCannotHoldAndThe513thGameAreRefused) {
  // A line feed or carriage return would split the line of a saved list.
  for (const char* name : {"a\nb.nes", "a\rb.nes"}) {
    const AddResult added = list.AddGame(WriteNes(dir, name, {}), "x");
    EXPECT_EQ(added.status, AddStatus::kRefused) << name;
    EXPECT_FALSE(added.message.empty());
  }
  EXPECT_EQ(list.RowCount(), 0);

  const std::string path = WriteNes(dir, "small.nes", {1, 0});
  for (int i = 0; i < GameList::kMaxGames; ++i)
    ASSERT_EQ(list.AddGame(path, "s").status, AddStatus::kStored);
  const AddResult extra = list.AddGame(path, "s");
  EXPECT_EQ(extra.status, AddStatus::kListFull);
  EXPECT_FALSE(extra.message.empty());
  EXPECT_EQ(list.RowCount(), 512);
}

TEST_F(GameListTest, ChangesRaiseTheRevisionAndMarkTheListModified) {
  EXPECT_FALSE(list.Modified());
  AddGames(2);
  EXPECT_TRUE(list.Modified());
  list.MarkSaved();
  uint64_t seen = list.Revision();
  const uint64_t content = list.ContentRevision();
  list.SortRows(kColTitle, false);  // the saved list does not change
  EXPECT_FALSE(list.Modified());
  EXPECT_GT(list.Revision(), seen);
  EXPECT_EQ(list.ContentRevision(), content);
  // Confirming a title as it was changes nothing.
  list.SetTitle(0, list.Game(0).title);
  EXPECT_FALSE(list.Modified());
  EXPECT_EQ(list.ContentRevision(), content);
  seen = list.Revision();
  list.SetTitle(0, "t");
  EXPECT_TRUE(list.Modified());
  EXPECT_GT(list.Revision(), seen);
  EXPECT_GT(list.ContentRevision(), content);
}

TEST_F(GameListTest, RemovingAndMovingRenumberTheRows) {
  AddGames(6);
  list.RemoveGames({1, 5});
  EXPECT_EQ(ShownTitles(), (Titles{"g1", "g3", "g4", "g5"}));
  EXPECT_EQ(ShownNumbers(), (std::vector<int>{1, 2, 3, 4}));

  // Dragged rows go before the row they are dropped on, or to the end.
  list.MoveRowsTo({0, 1}, 3);
  EXPECT_EQ(ShownTitles(), (Titles{"g4", "g1", "g3", "g5"}));
  list.MoveRowsTo({1}, -1);
  EXPECT_EQ(ShownTitles(), (Titles{"g4", "g3", "g5", "g1"}));
  list.MoveRowsTo({2}, 0);
  EXPECT_EQ(ShownTitles(), (Titles{"g5", "g4", "g3", "g1"}));
  EXPECT_EQ(ShownNumbers(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(GameListTest, MovingUpAndDownCarriesBlocksOfRows) {
  AddGames(3);
  std::vector<int> selection = {1, 2};
  EXPECT_EQ(list.MoveGameUp(selection), "");
  EXPECT_EQ(ShownTitles(), (Titles{"g2", "g3", "g1"}));
  EXPECT_EQ(selection, (std::vector<int>{0, 1}));

  // The first row cannot go up: only the message, nothing moves.
  EXPECT_EQ(list.MoveGameUp(selection), "文件不需要上移!");
  EXPECT_EQ(ShownTitles(), (Titles{"g2", "g3", "g1"}));

  EXPECT_EQ(list.MoveGameDown(selection), "");
  EXPECT_EQ(ShownTitles(), (Titles{"g1", "g2", "g3"}));
  EXPECT_EQ(selection, (std::vector<int>{1, 2}));
  EXPECT_EQ(list.MoveGameDown(selection), "文件不需要下移!");
  EXPECT_EQ(ShownNumbers(), (std::vector<int>{1, 2, 3}));

  list.RemoveGames({1, 2});
  selection = {0};
  EXPECT_EQ(list.MoveGameDown(selection), "文件不需要下移!");
}

TEST_F(GameListTest, SortingKeepsTheNumbersWithTheirGames) {
  AddGames(4);
  list.SetTitle(0, "delta");
  list.SetTitle(1, "alpha");
  list.SetTitle(2, "中文");
  list.SetTitle(3, "beta");
  list.SortRows(kColTitle, true);
  EXPECT_EQ(ShownTitles(), (Titles{"alpha", "beta", "delta", "中文"}));
  EXPECT_EQ(ShownNumbers(), (std::vector<int>{2, 4, 1, 3}));
  list.SortRows(kColTitle, false);
  EXPECT_EQ(ShownTitles(), (Titles{"中文", "delta", "beta", "alpha"}));
  list.SortRows(kColPrgSize, true);
  EXPECT_EQ(ShownTitles(), (Titles{"delta", "alpha", "中文", "beta"}));

  // Moving a sorted row exchanges games between the two numbers shown.
  list.SortRows(kColPrgSize, false);  // numbers 4, 3, 2, 1
  std::vector<int> selection = {1};
  list.MoveGameUp(selection);
  EXPECT_EQ(ShownTitles(), (Titles{"中文", "beta", "alpha", "delta"}));
  EXPECT_EQ(ShownNumbers(), (std::vector<int>{4, 3, 2, 1}));
  list.SortRows(kColNumber, true);
  EXPECT_EQ(ShownTitles(), (Titles{"delta", "alpha", "beta", "中文"}));
}

TEST_F(GameListTest, ChangingMirroringRewritesOnlyThatBit) {
  NesImage image;
  image.flags6 = 0x46;  // mapper 4, SRAM, trainer, horizontal
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

// Random sequences of the list's commands: whatever the order of operations, the numbers
// stay 1..n and only the rows of complete games have records.
TEST_F(GameListTest, RandomCommandSequencesKeepTheNumbersWhole) {
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    NesImage image;
    image.prgUnits = static_cast<uint8_t>(1 + i % 3);
    paths.push_back(WriteNes(dir, "r" + std::to_string(i) + ".nes", image));
  }
  WriteBytes(dir / "plain.nes", std::vector<uint8_t>(64, 1));  // a row without a record
  paths.push_back(dir / "plain.nes");
  std::mt19937 rng(5);
  auto someRows = [&] {
    std::vector<int> rows;
    for (int r = 0; r < list.RowCount(); ++r) {
      if (rng() % 3 == 0) rows.push_back(r);
    }
    return rows;
  };
  for (int step = 0; step < 3000; ++step) {
    std::vector<int> rows = someRows();
    switch (rng() % 7) {
      case 0:
      case 1:
        list.AddGame(paths[rng() % paths.size()], "t");
        break;
      case 2:
        list.RemoveGames(rows);
        break;
      case 3:
        list.MoveGameUp(rows);
        break;
      case 4:
        list.MoveGameDown(rows);
        break;
      case 5:
        list.MoveRowsTo(rows, static_cast<int>(rng() % (list.RowCount() + 1)));
        break;
      default:
        list.SortRows(static_cast<int>(rng() % kColumnCount), rng() % 2 == 0);
    }
    std::vector<int> numbers = ShownNumbers();
    std::sort(numbers.begin(), numbers.end());
    for (size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], int(i) + 1) << step;
    for (int row = 0; row < list.RowCount(); ++row) {
      const bool plain = list.Game(row).path == dir / "plain.nes";
      ASSERT_EQ(list.EntryForRow(row) == nullptr, plain) << "step " << step;
    }
  }
}

}  // namespace
}  // namespace romvane
