#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "xls/biff_records.h"
#include "xls/spreadsheet_book.h"
#include "xls_test_util.h"

namespace romvane {
namespace {

using testing::Le16;
using testing::Le32;
using testing::Record;
using testing::RecordsOfType;

std::vector<uint8_t> StreamOf(SpreadsheetBook& book) {
  std::vector<uint8_t> stream;
  EXPECT_TRUE(book.BuildStream(stream)) << book.ErrorText();
  return stream;
}

// What the values come back as is checked by an independent reader (check_readback.py);
// these tests pin which record each value takes.
TEST(WorkbookStreamTest, NeighbouringNumbersShareOneRecordWhenAllAreShort) {
  SpreadsheetBook book;
  book.NewBook(1);
  BookSheet& sheet = *book.Sheet(0);
  sheet.Cell(0, 0)->SetNumber(1);
  sheet.Cell(0, 1)->SetNumber(2.5);
  sheet.Cell(1, 0)->SetNumber(1);
  sheet.Cell(1, 1)->SetNumber(0.001);  // too many decimals: a NUMBER of its own
  sheet.Cell(2, 0)->SetInteger(5);
  sheet.Cell(2, 1)->SetInteger(6);
  sheet.Cell(2, 2)->SetInteger(7);
  sheet.Cell(3, 0)->SetInteger(1 << 30);  // beyond the 30-bit integer form
  sheet.Cell(3, 1)->SetInteger(9);
  const std::vector<uint8_t> stream = StreamOf(book);

  std::vector<uint16_t> cellTypes;
  for (const Record& r : testing::Records(stream)) {
    if (r.type == biff::kRk || r.type == biff::kMulRk || r.type == biff::kNumber) {
      cellTypes.push_back(r.type);
    }
  }
  EXPECT_EQ(cellTypes, (std::vector<uint16_t>{biff::kMulRk, biff::kRk, biff::kNumber, biff::kMulRk,
                                              biff::kNumber, biff::kRk}));
  EXPECT_EQ(testing::PositionFaults(stream), "");
}

TEST(WorkbookStreamTest, RowsAreGroupedInBlocksOf32AndOnlyTheFirstSheetIsSelected) {
  SpreadsheetBook book;
  book.NewBook(2);
  // Row 0 starts at column 1; the sheet's first used column is still 0, from row 2.
  for (int r = 0; r < 33; ++r) book.Sheet(0)->Cell(r, (r + 1) % 3)->SetNumber(r);
  book.Sheet(0)->Cell(40, 1);  // grows the sheet, but an empty cell writes nothing
  const std::vector<uint8_t> stream = StreamOf(book);
  const std::vector<Record> index = RecordsOfType(stream, biff::kIndex);
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[0].data.size(), 16u + 4 * 2);
  EXPECT_EQ(Le32(index[0].data, 8), 41u);                 // the sheet's row count
  EXPECT_EQ(index[1].data, std::vector<uint8_t>(16, 0));  // an empty sheet has no blocks
  EXPECT_EQ(RecordsOfType(stream, biff::kDbCell).size(), 2u);
  EXPECT_EQ(RecordsOfType(stream, biff::kRow).size(), 33u);
  const std::vector<uint8_t> dimensions = RecordsOfType(stream, biff::kDimensions).at(0).data;
  EXPECT_EQ(Le32(dimensions, 4), 41u);
  EXPECT_EQ(Le16(dimensions, 8), 0u);
  EXPECT_EQ(Le16(dimensions, 10), 3u);
  EXPECT_EQ(RecordsOfType(stream, biff::kDimensions).at(1).data, std::vector<uint8_t>(14, 0));
  EXPECT_EQ(testing::PositionFaults(stream), "");
  const std::vector<Record> windows = RecordsOfType(stream, biff::kWindow2);
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(Le16(windows[0].data, 0), 0x06B6u);
  EXPECT_EQ(Le16(windows[1].data, 0), 0x04B6u);
}

TEST(WorkbookStreamTest, NarrowAndWideTextsNeverShareAString) {
  SpreadsheetBook book;
  book.NewBook(1);
  BookSheet& sheet = *book.Sheet(0);
  sheet.Cell(0, 0)->SetText("Title");
  sheet.Cell(1, 0)->SetWideText(u"Title");
  sheet.Cell(2, 0)->SetWideText(u"Title");
  sheet.Cell(3, 0)->SetText("caf\xC3\xA9");               // é fits the 8-bit form
  sheet.Cell(4, 0)->SetText("\xE4\xB8\xAD\xE6\x96\x87");  // 中文 does not
  sheet.Cell(5, 0)->SetText("");                          // empty: no record
  const std::vector<uint8_t> stream = StreamOf(book);
  const std::vector<uint8_t> sst = RecordsOfType(stream, biff::kSst).at(0).data;
  EXPECT_EQ(Le32(sst, 0), 5u);  // text cells
  EXPECT_EQ(Le32(sst, 4), 4u);  // strings
  // Count, option byte and characters: "Title" in 8 bits and in 16, "café" in 8, "中文" in 16.
  EXPECT_EQ(sst.size(), 8u + (3 + 5) + (3 + 10) + (3 + 4) + (3 + 4));
  EXPECT_EQ(RecordsOfType(stream, biff::kLabelSst).size(), 5u);
}

// The sizes of the SST record and its CONTINUE records.
std::vector<size_t> SstRecordSizes(const std::vector<uint8_t>& stream) {
  std::vector<size_t> sizes;
  for (const Record& r : testing::Records(stream)) {
    if (r.type == biff::kSst || (r.type == biff::kContinue && !sizes.empty())) {
      sizes.push_back(r.data.size());
    } else if (!sizes.empty()) {
      break;
    }
  }
  return sizes;
}

// A first string of `filler` narrow characters leaves the SST record 8224 - 11 - filler
// bytes of room for the string after it. The reader's view of cut strings is checked by
// check_readback.py; these cases pin where the cuts fall.
TEST(WorkbookStreamTest, SharedStringsAreCutAtRecordBoundaries) {
  struct Case {
    size_t filler;
    bool wide;
    size_t optionAt;  // where the CONTINUE record holds the cut string's option byte
    std::vector<size_t> sizes;
  } cases[] = {
      // 10 bytes left: the record ends early, the string starts the CONTINUE whole.
      {8203, false, 2, {8214, 3 + 100 + 3 + 10}},
      // 100 bytes left, an even count: the wide string's first part ends one byte early.
      {8113, true, 0, {8223, 1 + 52 * 2 + 3 + 10}},
      // 99 bytes left: 48 whole characters fill the record exactly.
      {8114, true, 0, {8224, 1 + 52 * 2 + 3 + 10}},
      // 50 bytes left, narrow: 47 characters, then 53 after the option byte.
      {8163, false, 0, {8224, 1 + 53 + 3 + 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filler);
    SpreadsheetBook book;
    book.NewBook(1);
    book.Sheet(0)->Cell(0, 0)->SetText(std::string(c.filler, 'f'));
    BookCell* second = book.Sheet(0)->Cell(1, 0);
    if (c.wide) {
      second->SetWideText(std::u16string(100, u'\u6C34'));
    } else {
      second->SetText(std::string(100, 'x'));
    }
    book.Sheet(0)->Cell(2, 0)->SetWideText(u"after");
    const std::vector<uint8_t> stream = StreamOf(book);
    EXPECT_EQ(SstRecordSizes(stream), c.sizes);
    const std::vector<uint8_t> next = RecordsOfType(stream, biff::kContinue).at(0).data;
    EXPECT_EQ(next.at(c.optionAt), c.wide ? 1 : 0);
    EXPECT_EQ(testing::PositionFaults(stream), "");
  }
}

TEST(WorkbookStreamTest, TextsAndNamesBeyondTheirCountFieldsAreRefused) {
  SpreadsheetBook book;
  book.NewBook(1);
  book.Sheet(0)->Cell(0, 0)->SetWideText(std::u16string(65536, u'a'));
  std::vector<uint8_t> stream;
  EXPECT_FALSE(book.BuildStream(stream));
  EXPECT_EQ(book.ErrorText(), "Text too long for the workbook (more than 65535 characters)\n");

  book.NewBook(1);
  ASSERT_TRUE(book.RenameSheet("Sheet1", std::string(256, 's')));
  EXPECT_FALSE(book.BuildStream(stream));
  EXPECT_EQ(book.ErrorText(), "Sheet name too long (more than 255 characters)\n");
  ASSERT_TRUE(book.RenameSheet(std::string(256, 's'), std::string(255, 's')));
  EXPECT_TRUE(book.BuildStream(stream));
}

TEST(SpreadsheetBookTest, SheetNamesStayUnique) {
  SpreadsheetBook book;
  book.NewBook(3);
  EXPECT_FALSE(book.RenameSheet("Sheet9", "Other"));   // no such sheet
  EXPECT_FALSE(book.RenameSheet("Sheet1", "Sheet2"));  // name taken
  EXPECT_TRUE(book.RenameSheet("Sheet2", "Sheet4"));
  EXPECT_EQ(book.AddSheet()->Name(), "Sheet5");  // "Sheet4" is taken
  EXPECT_EQ(book.SheetByName("Sheet4"), book.Sheet(1));
  EXPECT_EQ(book.SheetByName("Sheet2"), nullptr);
}

TEST(SpreadsheetBookTest, CellsStayWithinTheSheetLimits) {
  BookSheet sheet;
  EXPECT_EQ(sheet.Cell(65536, 0), nullptr);
  EXPECT_EQ(sheet.Cell(0, 256), nullptr);
  EXPECT_EQ(sheet.Cell(-1, 0), nullptr);
  EXPECT_EQ(sheet.RowCount(), 0);
  EXPECT_EQ(sheet.ColCount(), 0);
  sheet.Cell(2, 4)->SetText("x");
  sheet.Cell(0, 6)->SetNumber(1);  // every row widens
  EXPECT_EQ(sheet.RowCount(), 3);
  EXPECT_EQ(sheet.ColCount(), 7);
  EXPECT_EQ(sheet.CellAt(2, 6)->Kind(), CellKind::Empty);
  EXPECT_EQ(sheet.CellAt(2, 4)->Text(), "x");
  ASSERT_NE(sheet.Cell(65535, 255), nullptr);
  EXPECT_EQ(sheet.RowCount(), 65536);
  EXPECT_EQ(sheet.ColCount(), 256);
}

TEST(SharedStringTableTest, EachDistinctTextOfAWidthHasOneEntryInFirstMetOrder) {
  // Thousands of texts, many repeated, some the same characters in both widths: enough for
  // the table to grow several times and for its probes to collide.
  std::vector<std::string> narrow;
  std::vector<std::u16string> wide;
  for (int i = 0; i < 3000; ++i) {
    narrow.push_back(std::to_string(i * 7919 % 1000));
    wide.push_back(std::u16string(narrow.back().begin(), narrow.back().end()) + u"\u6C34");
  }
  narrow.push_back("caf\xC3\xA9");  // converted to 8-bit units, found by its UTF-8 text
  narrow.push_back("caf\xC3\xA9");
  narrow.push_back("AB");  // the same bytes as the wide text after it
  wide.resize(narrow.size());
  wide.back() = u"\u4241";
  biff::SharedStringTable table;
  std::map<std::pair<bool, std::u16string>, uint32_t> expected;
  std::vector<uint32_t> expectedIndexes;
  auto add = [&](bool isWide, const std::u16string& key) {
    const auto [it, added] =
        expected.try_emplace({isWide, key}, static_cast<uint32_t>(expected.size()));
    expectedIndexes.push_back(it->second);
  };
  for (size_t i = 0; i < narrow.size(); ++i) {
    table.AddNarrow(narrow[i]);
    add(false, std::u16string(narrow[i].begin(), narrow[i].end()));
    if (!wide[i].empty()) {
      table.AddWide(wide[i]);
      add(true, wide[i]);
    }
  }
  EXPECT_EQ(table.cellIndexes, expectedIndexes);
  ASSERT_EQ(table.strings.size(), expected.size());
  EXPECT_EQ(table.strings[table.strings.size() - 3].Latin1(), "caf\xE9");
  EXPECT_EQ(table.strings[1].Units(), wide[0]);
}

}  // namespace
}  // namespace romvane
