#include "xls/list_export.h"

#include <gtest/gtest.h>

#include "nes_files.h"
#include "xls_test_util.h"

namespace romvane {
namespace {

using testing::ListedGame;
using testing::ReadBytes;

std::vector<GameEntry> ThreeGames() {
  return {ListedGame(1, "Alpha", 2, 1), ListedGame(2, "Beta", 8, 16, 0x43),
          ListedGame(3, "Gamma", 2, 0, 0x21)};
}

// What an exported list reads back as, cell by cell, is checked by check_readback.py.
class ListExportTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir / "Rom.xls"; }
  testing::TempDir dir;
};

TEST_F(ListExportTest, ThreeGamesGiveTheKnownWorkbookByteForByte) {
  const std::string text =
      testing::ReadText(std::string(XLS_TEST_DATA) + "/three_games_workbook.hex");
  const std::vector<uint8_t> expected = testing::HexBytes(text);
  ASSERT_EQ(expected.size(), 4096u);
  const ExportResult result = WriteListWorkbook(ThreeGames(), Path());
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.gamesWritten, 3u);
  EXPECT_EQ(result.message, "");
  const std::vector<uint8_t> file = ReadBytes(Path());
  EXPECT_EQ(file, expected);
  // Saving again over it gives the same bytes.
  EXPECT_TRUE(WriteListWorkbook(ThreeGames(), Path()).ok);
  EXPECT_EQ(ReadBytes(Path()), file);
}

// A file that cannot be created is reported by the command-line fixture cases.
TEST_F(ListExportTest, ARefusedListLeavesTheEarlierExportWhole) {
  // A title the workbook cannot hold leaves the earlier export as it was.
  ASSERT_TRUE(WriteListWorkbook(ThreeGames(), Path()).ok);
  const std::vector<uint8_t> before = ReadBytes(Path());
  std::vector<GameEntry> games = ThreeGames();
  games[1].title = std::string(70000, 't');
  const ExportResult refused = WriteListWorkbook(games, Path());
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, "Text too long for the workbook (more than 65535 characters)\n");
  EXPECT_EQ(ReadBytes(Path()), before);
  // No working files are left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// The reader checks a full sheet of 65536 rows (check_readback.py); here the list is cut
// to fit it.
TEST_F(ListExportTest, ListLongerThanTheSheetStopsAtItsLastRow) {
  const std::vector<GameEntry> games(kMaxExportedGames + 2, ListedGame(1, "G", 2, 0));
  const ExportResult result = WriteListWorkbook(games, Path());
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.gamesWritten, 65535u);
  EXPECT_EQ(result.message,
            "Only the first 65535 games were exported: the sheet has no more rows\n");
}

}  // namespace
}  // namespace romvane
