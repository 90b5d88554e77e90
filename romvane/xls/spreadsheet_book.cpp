#include "xls/spreadsheet_book.h"

#include <algorithm>

namespace romvane {

void BookCell::SetInteger(int32_t value) {
  Clear();
  kind_ = CellKind::Integer;
  integer_ = value;
}

void BookCell::SetNumber(double value) {
  Clear();
  kind_ = CellKind::Number;
  number_ = value;
}

void BookCell::SetText(std::string_view text) {
  Clear();
  if (text.empty()) return;
  kind_ = CellKind::Text;
  text_ = text;
}

void BookCell::SetWideText(std::u16string_view text) {
  Clear();
  if (text.empty()) return;
  kind_ = CellKind::WideText;
  wideText_ = text;
}

void BookCell::Clear() {
  kind_ = CellKind::Empty;
  integer_ = 0;
  number_ = 0;
  text_.clear();
  wideText_.clear();
}

BookCell* BookSheet::Cell(int row, int col) {
  if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxColumns) return nullptr;
  if (col >= colCount_) {
    colCount_ = col + 1;
    for (std::vector<BookCell>& cells : rows_) cells.resize(static_cast<size_t>(colCount_));
  }
  while (row >= RowCount()) rows_.emplace_back(static_cast<size_t>(colCount_));
  return &rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

const BookCell* BookSheet::CellAt(int row, int col) const {
  if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_) return nullptr;
  return &rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void SpreadsheetBook::NewBook(int sheetCount) {
  sheets_.clear();
  auto first = std::make_unique<BookSheet>();
  first->name_ = "Sheet1";
  sheets_.push_back(std::move(first));
  for (int i = 1; i < sheetCount; ++i) AddSheet();
}

BookSheet* SpreadsheetBook::AddSheet() {
  int number = SheetCount() + 1;
  while (SheetByName("Sheet" + std::to_string(number)) != nullptr) ++number;
  auto sheet = std::make_unique<BookSheet>();
  sheet->name_ = "Sheet" + std::to_string(number);
  sheet->index_ = SheetCount();
  sheets_.push_back(std::move(sheet));
  return sheets_.back().get();
}

bool SpreadsheetBook::RenameSheet(std::string_view from, std::string_view to) {
  BookSheet* sheet = SheetByName(from);
  if (sheet == nullptr || SheetByName(to) != nullptr) return false;
  sheet->name_ = to;
  return true;
}

BookSheet* SpreadsheetBook::SheetByName(std::string_view name) {
  for (const std::unique_ptr<BookSheet>& sheet : sheets_) {
    if (sheet->name_ == name) return sheet.get();
  }
  return nullptr;
}

BookSheet* SpreadsheetBook::Sheet(int index) {
  if (index < 0 || index >= SheetCount()) return nullptr;
  return sheets_[static_cast<size_t>(index)].get();
}

// The stream is built before the file is touched, so a book the format cannot hold never
// replaces a file.
bool SpreadsheetBook::SaveAs(const std::string& path) {
  std::vector<uint8_t> stream;
  if (!BuildStream(stream)) return false;
  file_.Close();
  path_ = path;
  file_.Create(path);
  if (!file_.IsOpen() || file_.MakeStream("Workbook") != kCfbOk) {
    file_.Close();
    error_ = "Can't create file " + path + "\n";
    return false;
  }
  return WriteStream(stream);
}

bool SpreadsheetBook::WriteStream(const std::vector<uint8_t>& stream) {
  if (file_.WriteStream("Workbook", stream.data(), stream.size()) != kCfbOk || !file_.Commit()) {
    file_.Close();
    error_ = "Can't write file " + path_ + "\n";
    return false;
  }
  error_.clear();
  return true;
}

}  // namespace romvane
