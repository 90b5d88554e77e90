// Building the BIFF8 "Workbook" stream of a SpreadsheetBook.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <unordered_map>

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
constexpr uint32_t kUnknownRow = 100000;
constexpr uint32_t kUnknownColumn = 1000;
constexpr uint16_t kSheetSelected = 0x0200;
constexpr size_t kFontCount = 4;
constexpr size_t kXfCount = 21;
constexpr size_t kStyleCount = 6;

// The rows of 32 consecutive sheet rows: ROW records, cell records, and the DBCELL that
// lets a reader find them.
struct RowBlock {
  std::vector<uint16_t> rows;          // rows with at least one cell, in order
  std::vector<uint32_t> rowCellBytes;  // size of each such row's cell records
  std::vector<uint8_t> cells;          // cell records, headers included
};

struct SheetTable {
  uint32_t firstRow = kUnknownRow;
  uint32_t rowsEnd = 0;
  uint32_t firstColumn = kUnknownColumn;
  uint32_t columnsEnd = 0;
  std::vector<RowBlock> blocks;
  uint64_t position = 0;  // of the sheet's BOF in the stream
  uint64_t size = 0;
};

// Shared strings, one lookup per text width: a narrow and a wide text never share an entry.
class StringTable {
 public:
  void Reserve(size_t texts) {
    narrow_.reserve(texts);
    wide_.reserve(texts);
    strings.reserve(texts);
  }
  uint32_t AddNarrow(const std::string& text) {
    ++textCells;
    auto [it, added] = narrow_.try_emplace(text, static_cast<uint32_t>(strings.size()));
    if (added) strings.push_back(NarrowBiffString(text));
    return it->second;
  }
  uint32_t AddWide(const std::u16string& text) {
    ++textCells;
    auto [it, added] = wide_.try_emplace(text, static_cast<uint32_t>(strings.size()));
    if (added) strings.push_back(BiffString{text, true});
    return it->second;
  }

  uint32_t textCells = 0;
  std::vector<BiffString> strings;

 private:
  std::unordered_map<std::string, uint32_t> narrow_;
  std::unordered_map<std::u16string, uint32_t> wide_;
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

uint64_t GlobalsFixedSize() {
  RecordData font;
  font.U16(0).U16(0).U16(0).U16(0).U16(0).U32(0);
  AppendShortString(font.bytes, BiffString{u"Arial", true});
  return RecordSize(16) + RecordSize(18) + kFontCount * RecordSize(font.bytes.size()) +
         kXfCount * RecordSize(20) + kStyleCount * RecordSize(4) + RecordSize(0);
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
// numbers of one kind that all have an RK form. Returns the column after them.
int AppendCells(std::vector<uint8_t>& out, const BookSheet& sheet, int r, int c,
                StringTable& strings) {
  const BookCell& cell = *sheet.CellAt(r, c);
  const CellKind kind = cell.Kind();
  if (kind == CellKind::Text || kind == CellKind::WideText) {
    const uint32_t index =
        kind == CellKind::Text ? strings.AddNarrow(cell.Text()) : strings.AddWide(cell.WideText());
    uint8_t data[10] = {};
    PutU16(data, static_cast<uint32_t>(r));
    PutU16(data + 2, static_cast<uint32_t>(c));
    PutU32(data + 6, index);
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

// Turns the sheet's cells into row blocks of records, adding its texts to the table.
SheetTable BuildCellTable(const BookSheet& sheet, StringTable& strings) {
  SheetTable table;
  const int rowCount = sheet.RowCount();
  const int colCount = sheet.ColCount();
  table.rowsEnd = static_cast<uint32_t>(rowCount);
  table.columnsEnd = static_cast<uint32_t>(colCount);
  table.blocks.resize(static_cast<size_t>((rowCount + kRowsPerBlock - 1) / kRowsPerBlock));
  for (int r = 0; r < rowCount; ++r) {
    RowBlock& block = table.blocks[static_cast<size_t>(r / kRowsPerBlock)];
    const size_t rowStart = block.cells.size();
    for (int c = 0; c < colCount;) {
      if (sheet.CellAt(r, c)->Kind() == CellKind::Empty) {
        ++c;
        continue;
      }
      if (table.firstRow == kUnknownRow) table.firstRow = static_cast<uint32_t>(r);
      table.firstColumn = std::min(table.firstColumn, static_cast<uint32_t>(c));
      if (block.cells.size() == rowStart) block.rows.push_back(static_cast<uint16_t>(r));
      c = AppendCells(block.cells, sheet, r, c, strings);
    }
    if (block.cells.size() != rowStart)
      block.rowCellBytes.push_back(static_cast<uint32_t>(block.cells.size() - rowStart));
  }
  if (table.firstRow == kUnknownRow) table.firstRow = 0;
  if (table.firstColumn == kUnknownColumn) table.firstColumn = 0;

  table.size = RecordSize(16) + RecordSize(16 + 4 * table.blocks.size()) + RecordSize(14) +
               RecordSize(18) + RecordSize(0);
  for (const RowBlock& block : table.blocks) {
    table.size += kRowRecordSize * block.rows.size() + block.cells.size() +
                  RecordSize(4 + 2 * block.rows.size());
  }
  return table;
}

void AppendSheet(std::vector<uint8_t>& out, const SheetTable& table, bool firstSheet) {
  AppendRecord(out, kBof, Bof(0x0010).bytes);
  // Each block's DBCELL follows its ROW and cell records.
  uint64_t p =
      table.position + RecordSize(16) + RecordSize(16 + 4 * table.blocks.size()) + RecordSize(14);
  RecordData index;
  index.U32(0).U32(table.firstRow).U32(table.rowsEnd).U32(0);
  for (const RowBlock& block : table.blocks) {
    const uint64_t rowsAndCells = kRowRecordSize * block.rows.size() + block.cells.size();
    index.U32(static_cast<uint32_t>(p + rowsAndCells));
    p += rowsAndCells + RecordSize(4 + 2 * block.rows.size());
  }
  AppendRecord(out, kIndex, index.bytes);
  RecordData dimensions;
  dimensions.U32(table.firstRow).U32(table.rowsEnd).U16(table.firstColumn);
  dimensions.U16(table.columnsEnd).U16(0);
  AppendRecord(out, kDimensions, dimensions.bytes);

  for (const RowBlock& block : table.blocks) {
    for (uint16_t row : block.rows) {
      uint8_t data[16] = {};
      PutU16(data, row);
      PutU16(data + 4, table.columnsEnd);
      PutU16(data + 6, 255);  // height in twips
      AppendSmallRecord(out, kRow, data);
    }
    out.insert(out.end(), block.cells.begin(), block.cells.end());
    // DBCELL: back to the first ROW record, then from the second ROW record to the first
    // row's cells, and from each row's cells to the next row's.
    const size_t rowBytes = kRowRecordSize * block.rows.size();
    RecordData d;
    d.U32(static_cast<uint32_t>(rowBytes + block.cells.size()));
    for (size_t i = 0; i < block.rows.size(); ++i) {
      d.U16(i == 0 ? static_cast<uint32_t>(rowBytes - kRowRecordSize) : block.rowCellBytes[i - 1]);
    }
    AppendRecord(out, kDbCell, d.bytes);
  }
  RecordData window2;
  const uint16_t options = firstSheet ? 0x06B6 : 0x06B6 & ~kSheetSelected;
  window2.U16(options).U16(0).U16(0).U16(64).U16(0).U16(0).U16(0).U32(0);
  AppendRecord(out, kWindow2, window2.bytes);
  AppendRecord(out, kEof, {});
}

void AppendGlobals(std::vector<uint8_t>& out, const std::vector<BiffString>& sheetNames,
                   const std::vector<SheetTable>& tables, const std::vector<uint8_t>& sst) {
  AppendRecord(out, kBof, Bof(0x0005).bytes);
  RecordData window1;
  window1.U16(120).U16(120).U16(15135).U16(9300).U16(0x0038).U16(0).U16(0).U16(1).U16(600);
  AppendRecord(out, kWindow1, window1.bytes);
  RecordData font;
  font.U16(200).U16(0).U16(0x7FFF).U16(400).U16(0).U32(0);
  AppendShortString(font.bytes, BiffString{u"Arial", true});
  for (size_t i = 0; i < kFontCount; ++i) AppendRecord(out, kFont, font.bytes);
  RecordData xf;
  xf.U16(0).U16(0).U16(0xFFF5).U8(0x20).U8(0).U8(0).U8(0).U32(0).U32(0).U16(0x20C0);
  for (size_t i = 0; i < kXfCount; ++i) AppendRecord(out, kXf, xf.bytes);
  RecordData style;
  style.U16(0x8000).U8(0).U8(0xFF);
  for (size_t i = 0; i < kStyleCount; ++i) AppendRecord(out, kStyle, style.bytes);
  for (size_t s = 0; s < tables.size(); ++s) {
    RecordData sheet;
    sheet.U32(static_cast<uint32_t>(tables[s].position)).U8(0).U8(0);
    AppendShortString(sheet.bytes, sheetNames[s]);
    AppendRecord(out, kBoundSheet, sheet.bytes);
  }
  out.insert(out.end(), sst.begin(), sst.end());
  AppendRecord(out, kEof, {});
}

}  // namespace

bool SpreadsheetBook::BuildStream(std::vector<uint8_t>& stream) {
  stream.clear();
  std::vector<BiffString> sheetNames;
  for (const std::unique_ptr<BookSheet>& sheet : sheets_) {
    sheetNames.push_back(NarrowBiffString(sheet->Name()));
    if (sheetNames.back().units.size() > kMaxShortStringChars) {
      error_ = "Sheet name too long (more than 255 characters)\n";
      return false;
    }
  }
  StringTable strings;
  size_t cells = 0;
  for (const std::unique_ptr<BookSheet>& sheet : sheets_)
    cells += static_cast<size_t>(sheet->RowCount()) * static_cast<size_t>(sheet->ColCount());
  strings.Reserve(cells);
  std::vector<SheetTable> tables;
  for (const std::unique_ptr<BookSheet>& sheet : sheets_) {
    tables.push_back(BuildCellTable(*sheet, strings));
  }
  for (const BiffString& text : strings.strings) {
    if (text.units.size() > kMaxStringChars) {
      error_ = "Text too long for the workbook (more than 65535 characters)\n";
      return false;
    }
  }
  const std::vector<uint8_t> sst = SharedStringRecords(strings.textCells, strings.strings);

  // Positions: the sheets follow the globals in book order.
  uint64_t position = GlobalsFixedSize() + sst.size();
  for (const BiffString& name : sheetNames)
    position += RecordSize(6 + 2 + name.units.size() * (name.wide ? 2 : 1));
  for (SheetTable& table : tables) {
    table.position = position;
    position += table.size;
  }
  if (position > CompoundFile::kMaxStreamSize) {
    error_ = "Workbook too large\n";
    return false;
  }

  stream.reserve(position);
  AppendGlobals(stream, sheetNames, tables, sst);
  for (size_t s = 0; s < tables.size(); ++s) AppendSheet(stream, tables[s], s == 0);
  if (stream.size() != position) {  // every size above must match the bytes written
    error_ = "Workbook too large\n";
    return false;
  }
  return true;
}

}  // namespace romvane
