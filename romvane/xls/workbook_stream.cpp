// Building the BIFF8 "Workbook" stream of a SpreadsheetBook.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "common/large_pages.h"
#include "common/le_bytes.h"
#include "xls/biff_records.h"
#include "xls/spreadsheet_book.h"

namespace romvane {
using common::AppendU16;
using common::AppendU32;
using common::PutU16;
using common::PutU32;

namespace {

using namespace biff;

constexpr int kRowsPerBlock = 32;
constexpr size_t kRowRecordSize = 20;
constexpr uint16_t kSheetSelected = 0x0200;
constexpr size_t kFontCount = 4;
constexpr size_t kXfCount = 21;
constexpr size_t kStyleCount = 6;
constexpr size_t kLargestCellRecord = 18;  // a NUMBER record; a text or an RK value takes less

// Where a sheet's cells are: rows and columns up to the sheet's counts, and the first row
// and column that hold anything.
struct SheetExtent {
  uint32_t firstRow = 0;
  uint32_t rowsEnd = 0;
  uint32_t firstColumn = 0;
  uint32_t columnsEnd = 0;
  size_t cells = 0;  // that are not empty
};

class RecordData {
 public:
  RecordData& U8(uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  RecordData& U16(uint32_t v) {
    AppendU16(bytes, v);
    return *this;
  }
  RecordData& U32(uint32_t v) {
    AppendU32(bytes, v);
    return *this;
  }
  std::vector<uint8_t> bytes;
};

RecordData Bof(uint16_t substream) {
  RecordData d;
  d.U16(0x0600).U16(substream).U16(6560).U16(1997).U32(0x0000C0C9).U32(0x00000306);
  return d;
}

// Cell records are small and many: each is put together in place, never continued.
template <size_t N>
void AppendSmallRecord(std::vector<uint8_t>& out, uint16_t type, const uint8_t (&data)[N],
                       size_t size = N) {
  const size_t at = out.size();
  out.resize(at + 4 + size);
  PutU16(&out[at], type);
  PutU16(&out[at + 2], static_cast<uint32_t>(size));
  std::memcpy(&out[at + 4], data, size);
}

void AppendNumberCell(std::vector<uint8_t>& out, int row, int col, double v) {
  uint8_t data[14] = {};
  PutU16(data, static_cast<uint32_t>(row));
  PutU16(data + 2, static_cast<uint32_t>(col));
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  PutU32(data + 6, static_cast<uint32_t>(bits));
  PutU32(data + 10, static_cast<uint32_t>(bits >> 32));
  AppendSmallRecord(out, kNumber, data);
}

// One RK record, or one MULRK record for two or more neighbouring RK values.
void AppendRkCells(std::vector<uint8_t>& out, int row, int col, std::span<const uint32_t> rks) {
  uint8_t data[6 + 6 * BookSheet::kMaxColumns];
  PutU16(data, static_cast<uint32_t>(row));
  PutU16(data + 2, static_cast<uint32_t>(col));
  for (size_t i = 0; i < rks.size(); ++i) {
    PutU16(data + 4 + 6 * i, 0);  // XF index
    PutU32(data + 6 + 6 * i, rks[i]);
  }
  if (rks.size() == 1) {
    AppendSmallRecord(out, kRk, data, 10);
  } else {
    PutU16(data + 4 + 6 * rks.size(), static_cast<uint32_t>(col + rks.size() - 1));
    AppendSmallRecord(out, kMulRk, data, 6 + 6 * rks.size());
  }
}

// The RK form of a cell's number, when it has one.
std::optional<uint32_t> RkOf(const BookCell& cell) {
  if (cell.Kind() == CellKind::Integer && IntegerFitsRk(cell.Integer()))
    return IntegerRk(cell.Integer());
  if (cell.Kind() == CellKind::Number && NumberFitsRk(cell.Number()))
    return NumberRk(cell.Number());
  return std::nullopt;
}

// Appends the records of the cell at (r, c): a text, a number, or a run of neighbouring
// numbers of one kind that all have an RK form. Returns the column after them. Text cells
// take their string indexes from nextText on.
int AppendCells(std::vector<uint8_t>& out, const BookSheet& sheet, int r, int c,
                const uint32_t*& nextText) {
  const BookCell& cell = *sheet.CellAt(r, c);
  const CellKind kind = cell.Kind();
  if (kind == CellKind::Text || kind == CellKind::WideText) {
    uint8_t data[10] = {};
    PutU16(data, static_cast<uint32_t>(r));
    PutU16(data + 2, static_cast<uint32_t>(c));
    PutU32(data + 6, *nextText++);
    AppendSmallRecord(out, kLabelSst, data);
    return c + 1;
  }
  if (!RkOf(cell)) {
    AppendNumberCell(out, r, c, kind == CellKind::Integer ? cell.Integer() : cell.Number());
    return c + 1;
  }
  std::array<uint32_t, BookSheet::kMaxColumns> rks;
  size_t count = 0;
  int end = c;
  for (; end < sheet.ColCount() && sheet.CellAt(r, end)->Kind() == kind; ++end) {
    const std::optional<uint32_t> rk = RkOf(*sheet.CellAt(r, end));
    if (!rk) break;
    rks[count++] = *rk;
  }
  AppendRkCells(out, r, c, std::span(rks.data(), count));
  return end;
}

// Adds the sheet's texts to the table, in the order its cells are written, and finds where
// its cells are.
SheetExtent GatherSheet(const BookSheet& sheet, SharedStringTable& strings) {
  SheetExtent extent;
  extent.rowsEnd = static_cast<uint32_t>(sheet.RowCount());
  extent.columnsEnd = static_cast<uint32_t>(sheet.ColCount());
  uint32_t firstRow = UINT32_MAX;
  uint32_t firstColumn = UINT32_MAX;
  for (int r = 0; r < sheet.RowCount(); ++r) {
    for (int c = 0; c < sheet.ColCount(); ++c) {
      const BookCell& cell = *sheet.CellAt(r, c);
      if (cell.Kind() == CellKind::Empty) continue;
      ++extent.cells;
      firstRow = std::min(firstRow, static_cast<uint32_t>(r));
      firstColumn = std::min(firstColumn, static_cast<uint32_t>(c));
      if (cell.Kind() == CellKind::Text) strings.AddNarrow(cell.Text());
      if (cell.Kind() == CellKind::WideText) strings.AddWide(cell.WideText());
    }
  }
  if (extent.cells > 0) {
    extent.firstRow = firstRow;
    extent.firstColumn = firstColumn;
  }
  return extent;
}

bool RowHasCells(const BookSheet& sheet, int r) {
  for (int c = 0; c < sheet.ColCount(); ++c) {
    if (sheet.CellAt(r, c)->Kind() != CellKind::Empty) return true;
  }
  return false;
}

// One block of 32 sheet rows: ROW records for the rows that hold anything, their cell
// records, and the DBCELL that lets a reader find them. Returns where the DBCELL starts.
size_t AppendRowBlock(std::vector<uint8_t>& out, const BookSheet& sheet, int first,
                      uint32_t columnsEnd, const uint32_t*& nextText) {
  const int end = std::min(first + kRowsPerBlock, sheet.RowCount());
  const size_t start = out.size();
  std::array<uint16_t, kRowsPerBlock> rows;
  size_t rowCount = 0;
  for (int r = first; r < end; ++r) {
    if (!RowHasCells(sheet, r)) continue;
    rows[rowCount++] = static_cast<uint16_t>(r);
    uint8_t data[16] = {};
    PutU16(data, static_cast<uint32_t>(r));
    PutU16(data + 4, columnsEnd);
    PutU16(data + 6, 255);  // height in twips
    AppendSmallRecord(out, kRow, data);
  }
  std::array<uint32_t, kRowsPerBlock> rowCellBytes;
  for (size_t i = 0; i < rowCount; ++i) {
    const size_t rowStart = out.size();
    for (int c = 0; c < sheet.ColCount();) {
      if (sheet.CellAt(rows[i], c)->Kind() == CellKind::Empty) {
        ++c;
        continue;
      }
      c = AppendCells(out, sheet, rows[i], c, nextText);
    }
    rowCellBytes[i] = static_cast<uint32_t>(out.size() - rowStart);
  }
  // DBCELL: back to the first ROW record, then from the second ROW record to the first
  // row's cells, and from each row's cells to the next row's.
  const size_t dbCell = out.size();
  const size_t rowBytes = kRowRecordSize * rowCount;
  RecordData d;
  d.U32(static_cast<uint32_t>(dbCell - start));
  for (size_t i = 0; i < rowCount; ++i) {
    d.U16(i == 0 ? static_cast<uint32_t>(rowBytes - kRowRecordSize) : rowCellBytes[i - 1]);
  }
  AppendRecord(out, kDbCell, d.bytes);
  return dbCell;
}

void AppendSheet(std::vector<uint8_t>& out, const BookSheet& sheet, const SheetExtent& extent,
                 bool firstSheet, const uint32_t*& nextText) {
  AppendRecord(out, kBof, Bof(0x0010).bytes);
  // The INDEX lists each block's DBCELL position, filled in as the blocks are written; even
  // a full sheet's INDEX fits one record, so the positions are where they were put.
  static_assert(16 + 4 * (BookSheet::kMaxRows / kRowsPerBlock) <= kMaxRecordData);
  const size_t blocks = static_cast<size_t>((sheet.RowCount() + kRowsPerBlock - 1) / kRowsPerBlock);
  RecordData index;
  index.U32(0).U32(extent.firstRow).U32(extent.rowsEnd).U32(0);
  const size_t dbCellPositions = out.size() + 4 + index.bytes.size();
  index.bytes.resize(index.bytes.size() + 4 * blocks);
  AppendRecord(out, kIndex, index.bytes);
  RecordData dimensions;
  dimensions.U32(extent.firstRow).U32(extent.rowsEnd).U16(extent.firstColumn);
  dimensions.U16(extent.columnsEnd).U16(0);
  AppendRecord(out, kDimensions, dimensions.bytes);
  for (size_t b = 0; b < blocks; ++b) {
    const size_t dbCell = AppendRowBlock(out, sheet, static_cast<int>(b) * kRowsPerBlock,
                                         extent.columnsEnd, nextText);
    PutU32(&out[dbCellPositions + 4 * b], static_cast<uint32_t>(dbCell));
  }
  RecordData window2;
  const uint16_t options = firstSheet ? 0x06B6 : 0x06B6 & ~kSheetSelected;
  window2.U16(options).U16(0).U16(0).U16(64).U16(0).U16(0).U16(0).U32(0);
  AppendRecord(out, kWindow2, window2.bytes);
  AppendRecord(out, kEof, {});
}

// The globals: the book's window, fonts, formats and styles, a BOUNDSHEET for each sheet
// and the shared strings. Returns where each BOUNDSHEET's sheet position goes.
std::vector<size_t> AppendGlobals(std::vector<uint8_t>& out,
                                  const std::vector<BiffString>& sheetNames,
                                  const SharedStringTable& strings) {
  AppendRecord(out, kBof, Bof(0x0005).bytes);
  RecordData window1;
  window1.U16(120).U16(120).U16(15135).U16(9300).U16(0x0038).U16(0).U16(0).U16(1).U16(600);
  AppendRecord(out, kWindow1, window1.bytes);
  RecordData font;
  font.U16(200).U16(0).U16(0x7FFF).U16(400).U16(0).U32(0);
  AppendShortString(font.bytes, BiffString::Wide(u"Arial"));
  for (size_t i = 0; i < kFontCount; ++i) AppendRecord(out, kFont, font.bytes);
  RecordData xf;
  xf.U16(0).U16(0).U16(0xFFF5).U8(0x20).U8(0).U8(0).U8(0).U32(0).U32(0).U16(0x20C0);
  for (size_t i = 0; i < kXfCount; ++i) AppendRecord(out, kXf, xf.bytes);
  RecordData style;
  style.U16(0x8000).U8(0).U8(0xFF);
  for (size_t i = 0; i < kStyleCount; ++i) AppendRecord(out, kStyle, style.bytes);
  std::vector<size_t> sheetPositions;
  for (const BiffString& name : sheetNames) {
    RecordData sheet;
    sheet.U32(0).U8(0).U8(0);
    AppendShortString(sheet.bytes, name);
    sheetPositions.push_back(out.size() + 4);
    AppendRecord(out, kBoundSheet, sheet.bytes);
  }
  AppendSharedStrings(out, static_cast<uint32_t>(strings.cellIndexes.size()), strings.strings);
  AppendRecord(out, kEof, {});
  return sheetPositions;
}

// Room enough for the whole stream, so it is written without ever moving: what is not
// used is never touched.
size_t StreamSizeBound(const std::vector<std::unique_ptr<BookSheet>>& sheets,
                       const std::vector<SheetExtent>& extents, const SharedStringTable& strings) {
  size_t bytes = 4096;  // the globals' fixed records and the sheet names
  for (const BiffString& text : strings.strings) bytes += 3 + 2 * text.size();
  bytes += bytes / kMaxRecordData * 8;  // CONTINUE headers and repeated option bytes
  for (size_t s = 0; s < sheets.size(); ++s) {
    const size_t rows = static_cast<size_t>(sheets[s]->RowCount());
    bytes += 256 + rows * (kRowRecordSize + 2 + 4) + extents[s].cells * kLargestCellRecord;
  }
  return bytes;
}

}  // namespace

bool SpreadsheetBook::BuildStream(std::vector<uint8_t>& stream) {
  stream.clear();
  BiffTextStore nameStore;
  std::vector<BiffString> sheetNames;
  for (const std::unique_ptr<BookSheet>& sheet : sheets_) {
    sheetNames.push_back(NarrowBiffString(sheet->Name(), nameStore));
    if (sheetNames.back().size() > kMaxShortStringChars) {
      error_ = "Sheet name too long (more than 255 characters)\n";
      return false;
    }
  }
  SharedStringTable strings;
  std::vector<SheetExtent> extents;
  for (const std::unique_ptr<BookSheet>& sheet : sheets_)
    extents.push_back(GatherSheet(*sheet, strings));
  for (const BiffString& text : strings.strings) {
    if (text.size() > kMaxStringChars) {
      error_ = "Text too long for the workbook (more than 65535 characters)\n";
      return false;
    }
  }
  const size_t bound = StreamSizeBound(sheets_, extents, strings);
  if (bound > 4 * CompoundFile::kMaxStreamSize) {  // far beyond what the stream may hold
    error_ = "Workbook too large\n";
    return false;
  }
  stream.reserve(bound);
  common::AdviseLargePages(stream.data(), bound);
  const std::vector<size_t> sheetPositions = AppendGlobals(stream, sheetNames, strings);
  const uint32_t* nextText = strings.cellIndexes.data();
  for (size_t s = 0; s < sheets_.size(); ++s) {
    PutU32(&stream[sheetPositions[s]], static_cast<uint32_t>(stream.size()));
    AppendSheet(stream, *sheets_[s], extents[s], s == 0, nextText);
  }
  if (stream.size() > CompoundFile::kMaxStreamSize) {
    stream.clear();
    error_ = "Workbook too large\n";
    return false;
  }
  return true;
}

}  // namespace romvane
