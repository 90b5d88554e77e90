#include "xls/list_export.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "xls/biff_records.h"
#include "xls_test_util.h"

namespace romvane {
namespace {

using testing::Le16;
using testing::Le32;
using testing::ReadBytes;
using testing::Record;

using testing::ListedGame;

std::vector<GameEntry> ThreeGames() {
  return {ListedGame(1, "Alpha", 2, 1), ListedGame(2, "Beta", 8, 16, 0x43),
          ListedGame(3, "Gamma", 2, 0, 0x21)};
}

std::vector<uint8_t> ExpectedThreeGameStream() {
  std::ifstream in(std::string(XLS_TEST_DATA) + "/three_games_workbook.hex");
  std::stringstream text;
  text << in.rdbuf();
  return testing::HexBytes(text.str());
}

// Cell records of a workbook, by (row, column): "text#<string index>" or the number.
std::map<std::pair<uint32_t, uint32_t>, std::string> Cells(const std::vector<uint8_t>& stream) {
  std::map<std::pair<uint32_t, uint32_t>, std::string> cells;
  for (const Record& r : testing::Records(stream)) {
    if (r.data.size() < 10) continue;
    const std::pair<uint32_t, uint32_t> at{Le16(r.data, 0), Le16(r.data, 2)};
    if (r.type == biff::kLabelSst) cells[at] = "text#" + std::to_string(Le32(r.data, 6));
    if (r.type == biff::kRk) {
      std::ostringstream number;
      number << biff::RkValue(Le32(r.data, 6));
      cells[at] = number.str();
    }
    if (r.type == biff::kMulRk || r.type == biff::kNumber) cells[at] = "unexpected record";
  }
  return cells;
}

class ListExportTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testing::MakeTestFolder("export"); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::vector<uint8_t> Export(const std::vector<GameEntry>& games) {
    const ExportResult result = WriteListWorkbook(games, Path());
    EXPECT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.message, "");
    return testing::StreamOf(ReadBytes(Path()), 1);
  }

  std::string Path() const { return (folder_ / "Rom.xls").string(); }
  std::filesystem::path folder_;
};

TEST_F(ListExportTest, ThreeGamesGiveTheKnownWorkbookByteForByte) {
  const std::vector<uint8_t> stream = ExpectedThreeGameStream();
  ASSERT_EQ(stream.size(), 1551u);
  const ExportResult result = WriteListWorkbook(ThreeGames(), Path());
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.gamesWritten, 3u);
  const std::vector<uint8_t> file = ReadBytes(Path());
  EXPECT_EQ(file, testing::ExpectedWorkbookFile1551(stream));
  // Saving again over it gives the same bytes.
  EXPECT_TRUE(WriteListWorkbook(ThreeGames(), Path()).ok);
  EXPECT_EQ(ReadBytes(Path()), file);
}

TEST_F(ListExportTest, EmptyListGivesOnlyTheHeaderRow) {
  const std::vector<uint8_t> stream = Export({});
  const auto cells = Cells(stream);
  EXPECT_EQ(cells.size(), 7u);
  EXPECT_EQ(cells.rbegin()->first, std::make_pair(0u, 6u));
  EXPECT_EQ(testing::SharedStrings(stream),
            (std::vector<std::u16string>{u"Number", u"Title", u"PromSize-Hex", u"PromSize",
                                         u"VromSize-Hex", u"VromSize", u"Attribute"}));
  EXPECT_EQ(testing::PositionFaults(stream), "");
}

TEST_F(ListExportTest, RowWithoutSizesKeepsNumberTitleAndZeroSizes) {
  const std::vector<uint8_t> stream = Export({testing::UnreadGame(7, "Broken")});
  const auto cells = Cells(stream);
  EXPECT_EQ(cells.size(), 7u + 4);
  EXPECT_EQ(cells.at({1, 0}), "7");
  EXPECT_EQ(cells.at({1, 1}), "text#7");
  EXPECT_EQ(cells.at({1, 3}), "0");
  EXPECT_EQ(cells.at({1, 5}), "0");
  EXPECT_EQ(cells.count({1, 2}) + cells.count({1, 4}) + cells.count({1, 6}), 0u);
}

TEST_F(ListExportTest, EqualTitlesShareAStringButHeaderTextsStayApart) {
  const std::vector<uint8_t> stream =
      Export({ListedGame(1, "Title", 2, 0), ListedGame(2, "Title", 2, 0)});
  const auto cells = Cells(stream);
  EXPECT_EQ(cells.at({0, 1}), "text#1");  // the narrow header "Title"
  EXPECT_EQ(cells.at({1, 1}), "text#7");  // the wide title "Title"
  EXPECT_EQ(cells.at({2, 1}), "text#7");
  EXPECT_EQ(cells.at({2, 6}), cells.at({1, 6}));
}

TEST_F(ListExportTest, LongChineseTitlesAreConvertedWhole) {
  std::string title;
  for (int i = 0; i < 300; ++i) title += i % 2 ? "游" : "戏";
  const std::vector<uint8_t> stream = Export({ListedGame(1, title, 16, 0, 0x4F)});
  const std::vector<std::u16string> strings = testing::SharedStrings(stream);
  ASSERT_EQ(strings.size(), 7u + 4);
  EXPECT_EQ(strings[7].size(), 300u);
  EXPECT_EQ(strings[7].substr(0, 2), u"戏游");
  EXPECT_EQ(strings[10], u"mapper4,垂直,SRAM,Trainer,4屏幕");
}

TEST_F(ListExportTest, FailuresAreReportedAndLeaveAnOldFileWhole) {
  const ExportResult missing = WriteListWorkbook(ThreeGames(), (folder_ / "no" / "x.xls").string());
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.message, "Can't create file " + (folder_ / "no" / "x.xls").string() + "\n");

  // A folder where the file should go is never replaced.
  std::filesystem::create_directory(folder_ / "taken.xls");
  const ExportResult taken = WriteListWorkbook(ThreeGames(), (folder_ / "taken.xls").string());
  EXPECT_FALSE(taken.ok);
  EXPECT_EQ(taken.message, "Can't create file " + (folder_ / "taken.xls").string() + "\n");

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
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
}

TEST_F(ListExportTest, ListLongerThanTheSheetStopsAtItsLastRow) {
  const std::vector<GameEntry> games(kMaxExportedGames + 2, ListedGame(1, "G", 2, 0));
  const ExportResult result = WriteListWorkbook(games, Path());
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.gamesWritten, kMaxExportedGames);
  EXPECT_EQ(result.message,
            "Only the first 65535 games were exported: the sheet has no more rows\n");
  // The last ROW record is row 65535 and the sheet ends after it; nothing wrapped to 0.
  const std::vector<uint8_t> stream = testing::StreamOf(ReadBytes(Path()), 1);
  uint32_t lastRow = 0, rowsEnd = 0;
  for (size_t p = 0; p + 4 <= stream.size(); p += 4 + Le16(stream, p + 2)) {
    if (Le16(stream, p) == biff::kRow) lastRow = Le16(stream, p + 4);
    if (Le16(stream, p) == biff::kDimensions) rowsEnd = Le32(stream, p + 8);
  }
  EXPECT_EQ(lastRow, 65535u);
  EXPECT_EQ(rowsEnd, 65536u);
}

}  // namespace
}  // namespace romvane
