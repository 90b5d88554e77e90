#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "xls/biff_records.h"
#include "xls/spreadsheet_book.h"
#include "xls_test_util.h"

namespace romvane {
namespace {

using testing::Le16;
using testing::Le32;
using testing::Record;
using testing::Records;

std::vector<uint8_t> StreamOf(SpreadsheetBook& book) {
  std::vector<uint8_t> stream;
  EXPECT_TRUE(book.BuildStream(stream)) << book.ErrorText();
  return stream;
}

std::vector<Record> RecordsOfType(const std::vector<uint8_t>& stream, uint16_t type) {
  std::vector<Record> found;
  for (const Record& r : Records(stream)) {
    if (r.type == type) found.push_back(r);
  }
  return found;
}

TEST(RkValueTest, NumbersTakeTheShortFormOnlyWhenItGivesThemBackExactly) {
  const std::pair<double, uint32_t> examples[] = {
      {1.0, 0x3FF00000},     {2.0, 0x40000000},      {3.0, 0x40080000}, {8192.0, 0x40C00000},
      {32768.0, 0x40E00000}, {131072.0, 0x41000000}, {0.0, 0x00000000}, {-1.0, 0xBFF00000},
      {0.5, 0x40490001},     {1.25, 0x405F4001}};
  for (auto [value, rk] : examples) {
    SCOPED_TRACE(value);
    EXPECT_TRUE(biff::NumberFitsRk(value));
    EXPECT_EQ(biff::NumberRk(value), rk);
    EXPECT_EQ(biff::RkValue(rk), value);
  }
  EXPECT_TRUE(biff::NumberFitsRk(262145.0));  // 2^18 + 1 still fits in 30 bits
  EXPECT_TRUE(biff::NumberFitsRk(-1.0));      // what a rejected size text exports
  // More than two decimals, or bits the short form would drop, or no number at all.
  for (double value : {0.001, 524289.0, 123456.5, 1e300, -1e300, std::nan(""),
                       std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(value);
    EXPECT_FALSE(biff::NumberFitsRk(value));
  }
  EXPECT_TRUE(biff::IntegerFitsRk((1 << 29) - 1));
  EXPECT_TRUE(biff::IntegerFitsRk(-(1 << 29)));
  EXPECT_FALSE(biff::IntegerFitsRk(1 << 29));
  EXPECT_EQ(biff::IntegerRk(5), 0x16u);
  EXPECT_EQ(biff::RkValue(biff::IntegerRk(-7)), -7.0);
}

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
  for (const Record& r : Records(stream)) {
    if (r.type == biff::kRk || r.type == biff::kMulRk || r.type == biff::kNumber) {
      cellTypes.push_back(r.type);
    }
  }
  EXPECT_EQ(cellTypes, (std::vector<uint16_t>{biff::kMulRk, biff::kRk, biff::kNumber, biff::kMulRk,
                                              biff::kNumber, biff::kRk}));
  const std::vector<Record> mulRks = RecordsOfType(stream, biff::kMulRk);
  // Row 2: columns 0 to 2, each XF 0 and an integer RK, then the last column.
  EXPECT_EQ(mulRks[1].data.size(), 6u + 6 * 3);
  EXPECT_EQ(Le16(mulRks[1].data, 0), 2u);
  EXPECT_EQ(Le32(mulRks[1].data, 6), biff::IntegerRk(5));
  EXPECT_EQ(Le32(mulRks[1].data, 18), biff::IntegerRk(7));
  EXPECT_EQ(Le16(mulRks[1].data, 22), 2u);
  const std::vector<Record> numbers = RecordsOfType(stream, biff::kNumber);
  double wide;
  std::memcpy(&wide, numbers[1].data.data() + 6, 8);
  EXPECT_EQ(wide, 1 << 30);
  EXPECT_EQ(testing::PositionFaults(stream), "");
}

TEST(WorkbookStreamTest, RowsAreGroupedInBlocksOf32) {
  SpreadsheetBook book;
  book.NewBook(1);
  for (int r = 0; r < 33; ++r) book.Sheet(0)->Cell(r, r % 3)->SetNumber(r);
  book.Sheet(0)->Cell(40, 1);  // grows the sheet, but an empty cell writes nothing
  const std::vector<uint8_t> stream = StreamOf(book);
  const std::vector<Record> index = RecordsOfType(stream, biff::kIndex);
  ASSERT_EQ(index.size(), 1u);
  EXPECT_EQ(index[0].data.size(), 16u + 4 * 2);
  EXPECT_EQ(Le32(index[0].data, 8), 41u);  // the sheet's row count
  EXPECT_EQ(RecordsOfType(stream, biff::kDbCell).size(), 2u);
  EXPECT_EQ(RecordsOfType(stream, biff::kRow).size(), 33u);
  const std::vector<Record> dimensions = RecordsOfType(stream, biff::kDimensions);
  EXPECT_EQ(Le32(dimensions[0].data, 4), 41u);
  EXPECT_EQ(Le16(dimensions[0].data, 8), 0u);  // first used column, though row 0 starts at 0
  EXPECT_EQ(Le16(dimensions[0].data, 10), 3u);
  EXPECT_EQ(testing::PositionFaults(stream), "");
}

TEST(WorkbookStreamTest, FirstUsedColumnIsTheSmallestOfAllRows) {
  SpreadsheetBook book;
  book.NewBook(1);
  book.Sheet(0)->Cell(0, 3)->SetText("late");
  book.Sheet(0)->Cell(1, 1)->SetText("early");
  const std::vector<Record> dimensions = RecordsOfType(StreamOf(book), biff::kDimensions);
  EXPECT_EQ(Le32(dimensions[0].data, 0), 0u);
  EXPECT_EQ(Le16(dimensions[0].data, 8), 1u);
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
  EXPECT_EQ(testing::SharedStrings(stream),
            (std::vector<std::u16string>{u"Title", u"Title", u"caf\u00E9", u"\u4E2D\u6587"}));
  const Record sst = RecordsOfType(stream, biff::kSst)[0];
  EXPECT_EQ(Le32(sst.data, 0), 5u);   // text cells
  EXPECT_EQ(Le32(sst.data, 4), 4u);   // strings
  EXPECT_EQ(sst.data[8 + 2], 0);      // "Title" 8-bit
  EXPECT_EQ(sst.data[8 + 8 + 2], 1);  // "Title" 16-bit
  EXPECT_EQ(RecordsOfType(stream, biff::kLabelSst).size(), 5u);
}

// A first string of `filler` narrow characters leaves the SST record 8224 - 11 - filler
// bytes of room for the string after it.
std::vector<uint8_t> StreamWithStrings(size_t filler, const std::u16string& second, bool wide) {
  SpreadsheetBook book;
  book.NewBook(1);
  book.Sheet(0)->Cell(0, 0)->SetText(std::string(filler, 'f'));
  if (wide) {
    book.Sheet(0)->Cell(1, 0)->SetWideText(second);
  } else {
    book.Sheet(0)->Cell(1, 0)->SetText(std::string(second.begin(), second.end()));
  }
  book.Sheet(0)->Cell(2, 0)->SetWideText(u"after");
  return StreamOf(book);
}

std::vector<size_t> SstRecordSizes(const std::vector<uint8_t>& stream) {
  std::vector<size_t> sizes;
  for (const Record& r : Records(stream)) {
    if (r.type == biff::kSst || (r.type == biff::kContinue && !sizes.empty())) {
      sizes.push_back(r.data.size());
    } else if (!sizes.empty()) {
      break;
    }
  }
  return sizes;
}

TEST(WorkbookStreamTest, SharedStringsAreCutAtRecordBoundaries) {
  const std::u16string chinese(100, u'\u6C34');
  const std::u16string latin(100, u'x');
  struct Case {
    size_t filler;
    std::u16string text;
    bool wide;
    std::vector<size_t> sizes;
  } cases[] = {
      // 10 bytes left: the record ends early, the string starts the CONTINUE whole.
      {8203, latin, false, {8214, 3 + 100 + 3 + 10}},
      // 100 bytes left, an even count: the wide string's first part ends one byte early.
      {8113, chinese, true, {8223, 1 + 52 * 2 + 3 + 10}},
      // 99 bytes left: 48 whole characters fill the record exactly.
      {8114, chinese, true, {8224, 1 + 52 * 2 + 3 + 10}},
      // 50 bytes left, narrow: 47 characters, then 53 after the option byte.
      {8163, latin, false, {8224, 1 + 53 + 3 + 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filler);
    const std::vector<uint8_t> stream = StreamWithStrings(c.filler, c.text, c.wide);
    EXPECT_EQ(SstRecordSizes(stream), c.sizes);
    const std::vector<std::u16string> strings = testing::SharedStrings(stream);
    ASSERT_EQ(strings.size(), 3u);
    EXPECT_EQ(strings[1], c.text);
    EXPECT_EQ(strings[2], u"after");
    EXPECT_EQ(testing::PositionFaults(stream), "");
  }
}

TEST(WorkbookStreamTest, LongestStringSpansManyContinueRecords) {
  SpreadsheetBook book;
  book.NewBook(2);
  const std::u16string longest(65535, u'\u5E73');
  book.Sheet(0)->Cell(0, 0)->SetWideText(longest);
  book.Sheet(1)->Cell(0, 0)->SetText(std::string(20000, 'n'));
  book.Sheet(1)->Cell(1, 0)->SetNumber(4);
  const std::vector<uint8_t> stream = StreamOf(book);
  const std::vector<size_t> sizes = SstRecordSizes(stream);
  // Continuations of a wide string hold whole characters after the option byte.
  ASSERT_GT(sizes.size(), 17u);
  for (size_t i = 1; i + 4 < sizes.size(); ++i) EXPECT_EQ(sizes[i], 8223u) << i;
  const std::vector<std::u16string> strings = testing::SharedStrings(stream);
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings[0], longest);
  EXPECT_EQ(strings[1], std::u16string(20000, u'n'));
  EXPECT_EQ(testing::PositionFaults(stream), "");
  // The second sheet is not selected.
  EXPECT_EQ(Le16(RecordsOfType(stream, biff::kWindow2)[0].data, 0), 0x06B6u);
  EXPECT_EQ(Le16(RecordsOfType(stream, biff::kWindow2)[1].data, 0), 0x04B6u);
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

TEST(SpreadsheetBookTest, SheetsAreNamedAndFoundByName) {
  SpreadsheetBook book;
  book.NewBook(3);
  EXPECT_EQ(book.SheetCount(), 3);
  EXPECT_EQ(book.Sheet(2)->Name(), "Sheet3");
  EXPECT_EQ(book.Sheet(2)->Index(), 2);
  EXPECT_FALSE(book.RenameSheet("Sheet9", "Other"));   // no such sheet
  EXPECT_FALSE(book.RenameSheet("Sheet1", "Sheet2"));  // name taken
  EXPECT_TRUE(book.RenameSheet("Sheet2", "Sheet4"));
  EXPECT_EQ(book.AddSheet()->Name(), "Sheet5");  // "Sheet4" is taken
  EXPECT_EQ(book.SheetByName("Sheet4"), book.Sheet(1));
  EXPECT_EQ(book.SheetByName("Sheet2"), nullptr);
  book.NewBook(1);
  EXPECT_EQ(book.SheetCount(), 1);
  EXPECT_EQ(book.Sheet(0)->Name(), "Sheet1");
}

TEST(SpreadsheetBookTest, CellsStayWithinTheSheetLimits) {
  BookSheet sheet;
  EXPECT_EQ(sheet.Cell(65536, 0), nullptr);
  EXPECT_EQ(sheet.Cell(0, 256), nullptr);
  EXPECT_EQ(sheet.Cell(-1, 0), nullptr);
  EXPECT_EQ(sheet.RowCount(), 0);
  EXPECT_EQ(sheet.ColCount(), 0);
  sheet.Cell(2, 4)->SetText("x");
  EXPECT_EQ(sheet.RowCount(), 3);
  EXPECT_EQ(sheet.ColCount(), 5);
  sheet.Cell(0, 6)->SetNumber(1);  // every row widens
  EXPECT_EQ(sheet.CellAt(2, 6)->Kind(), CellKind::Empty);
  EXPECT_EQ(sheet.CellAt(2, 4)->Text(), "x");
  BookSheet tall, wide;
  ASSERT_NE(tall.Cell(65535, 0), nullptr);
  EXPECT_EQ(tall.RowCount(), 65536);
  ASSERT_NE(wide.Cell(0, 255), nullptr);
  EXPECT_EQ(wide.ColCount(), 256);

  BookCell cell;
  cell.SetText("abc");
  cell.SetWideText(u"");
  EXPECT_EQ(cell.Kind(), CellKind::Empty);
  EXPECT_EQ(cell.Text(), "");
}

TEST(SpreadsheetBookTest, AnEmptySheetStillMakesAWorkbook) {
  SpreadsheetBook book;
  book.NewBook(1);
  const std::vector<uint8_t> stream = StreamOf(book);
  const std::vector<Record> index = RecordsOfType(stream, biff::kIndex);
  EXPECT_EQ(index[0].data, std::vector<uint8_t>(16, 0));
  EXPECT_EQ(RecordsOfType(stream, biff::kDimensions)[0].data, std::vector<uint8_t>(14, 0));
  EXPECT_EQ(RecordsOfType(stream, biff::kDbCell).size(), 0u);
}

}  // namespace
}  // namespace romvane
