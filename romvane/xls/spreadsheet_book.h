#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xls/compound_file.h"

namespace romvane {

enum class CellKind : uint8_t { Empty = 0, Integer = 1, Number = 2, Text = 3, WideText = 4 };

class BookSheet;

// One cell of a sheet. Narrow text is UTF-8 and is stored in the workbook's 8-bit form when
// every character is below U+0100; wide text is UTF-16 and always stored as 16-bit units.
// A cell's text lives in its sheet, so a cell is small and a sheet of many texts is a few
// allocations, not one for each cell.
class BookCell {
 public:
  void SetInteger(int32_t value);
  void SetNumber(double value);
  // Text of length 0 makes the cell empty.
  void SetText(std::string_view text);
  void SetWideText(std::u16string_view text);
  void Clear();

  CellKind Kind() const { return kind_; }
  int32_t Integer() const { return kind_ == CellKind::Integer ? integer_ : 0; }
  double Number() const { return kind_ == CellKind::Number ? number_ : 0; }
  // The cell's text of that kind, else empty; valid until a text of the sheet is set.
  std::string_view Text() const;
  std::u16string_view WideText() const;

 private:
  friend class BookSheet;
  explicit BookCell(BookSheet* sheet) : sheet_(sheet) {}

  BookSheet* sheet_;
  uint32_t length_ = 0;  // of the text, in its units
  CellKind kind_ = CellKind::Empty;
  union {
    int32_t integer_;
    double number_ = 0;
    size_t offset_;  // of the text in its sheet
  };
};

class BookSheet {
 public:
  static constexpr int kMaxRows = 65536;
  static constexpr int kMaxColumns = 256;

  BookSheet() = default;
  BookSheet(const BookSheet&) = delete;  // its cells point back at it
  BookSheet& operator=(const BookSheet&) = delete;

  // The cell at (row, col), growing the sheet to include it; nullptr beyond the sheet's
  // limits (and then the sheet does not grow). The pointer stays valid until the sheet
  // grows again.
  BookCell* Cell(int row, int col);
  // The cell if the sheet already has it, without growing.
  const BookCell* CellAt(int row, int col) const {
    if (row < 0 || row >= rowCount_ || col < 0 || col >= colCount_) return nullptr;
    return &cells_[static_cast<size_t>(row) * static_cast<size_t>(colCount_) +
                   static_cast<size_t>(col)];
  }
  // Makes room for a sheet of this many rows and columns, so filling it allocates once.
  void Reserve(int rows, int cols);
  int RowCount() const { return rowCount_; }
  int ColCount() const { return colCount_; }
  int Index() const { return index_; }
  const std::string& Name() const { return name_; }

 private:
  friend class SpreadsheetBook;
  friend class BookCell;

  // Row after row, ColCount() cells each.
  std::vector<BookCell> cells_;
  int rowCount_ = 0;
  int colCount_ = 0;
  int index_ = 0;
  std::string name_;  // UTF-8
  // Every text set in a cell of the sheet, one after the other; a replaced text stays.
  std::string narrowTexts_;
  std::u16string wideTexts_;
};

// A workbook of sheets, saved as one BIFF8 "Workbook" stream in a compound file.
class SpreadsheetBook {
 public:
  // Starts over with sheetCount sheets (at least one): "Sheet1", "Sheet2", ...
  void NewBook(int sheetCount);
  // Adds a sheet named "Sheet<n>", n the new sheet count, raised until the name is unused.
  BookSheet* AddSheet();
  // False when no sheet is named from, or a sheet is already named to.
  bool RenameSheet(std::string_view from, std::string_view to);
  BookSheet* SheetByName(std::string_view name);
  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  BookSheet* Sheet(int index);

  // Writes the book as a new file at path, replacing a file there only once it is
  // complete. False, with ErrorText set, when anything fails.
  bool SaveAs(const std::string& path);
  // The message for the last failed save, in the program's wording.
  const std::string& ErrorText() const { return error_; }

  // The complete "Workbook" stream of the book as it is now. False, with ErrorText set,
  // when the book holds something the format cannot express.
  bool BuildStream(std::vector<uint8_t>& stream);

 private:
  bool WriteStream(std::vector<uint8_t> stream);

  std::vector<std::unique_ptr<BookSheet>> sheets_;
  CompoundFile file_;
  std::string path_;
  std::string error_;
};

}  // namespace romvane
