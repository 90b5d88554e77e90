#include "xls/spreadsheet_book.h"

#include <algorithm>
#include <cstdint>

#include "common/large_pages.h"

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

// A text beyond 4 G units is cut here; such a text is far over what a workbook takes, and
// saving refuses it all the same.
void BookCell::SetText(std::string_view text) {
  Clear();
  if (text.empty()) return;
  kind_ = CellKind::Text;
  offset_ = sheet_->narrowTexts_.size();
  length_ = static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
  sheet_->narrowTexts_.append(text.substr(0, length_));
}

void BookCell::SetWideText(std::u16string_view text) {
  Clear();
  if (text.empty()) return;
  kind_ = CellKind::WideText;
  offset_ = sheet_->wideTexts_.size();
  length_ = static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
  sheet_->wideTexts_.append(text.substr(0, length_));
}

void BookCell::Clear() {
  kind_ = CellKind::Empty;
  length_ = 0;
  number_ = 0;
}

std::string_view BookCell::Text() const {
  if (kind_ != CellKind::Text) return {};
  return std::string_view(sheet_->narrowTexts_).substr(offset_, length_);
}

std::u16string_view BookCell::WideText() const {
  if (kind_ != CellKind::WideText) return {};
  return std::u16string_view(sheet_->wideTexts_).substr(offset_, length_);
}

BookCell* BookSheet::Cell(int row, int col) {
  if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxColumns) return nullptr;
  if (col >= colCount_) {
    // Every row gets the new columns: the rows move apart in place, the last row first,
    // so no cell is overwritten before it has moved.
    const size_t oldCols = static_cast<size_t>(colCount_);
    const size_t newCols = static_cast<size_t>(col) + 1;
    cells_.resize(static_cast<size_t>(rowCount_) * newCols, BookCell(this));
    for (size_t at = cells_.size(); at-- > 0;) {
      const size_t r = at / newCols;
      const size_t c = at % newCols;
      cells_[at] = c < oldCols ? cells_[r * oldCols + c] : BookCell(this);
    }
    colCount_ = col + 1;
  }
  if (row >= rowCount_) {
    rowCount_ = row + 1;
    cells_.resize(static_cast<size_t>(rowCount_) * static_cast<size_t>(colCount_), BookCell(this));
  }
  return &cells_[static_cast<size_t>(row) * static_cast<size_t>(colCount_) +
                 static_cast<size_t>(col)];
}

void BookSheet::Reserve(int rows, int cols) {
  rows = std::clamp(rows, 0, kMaxRows);
  cols = std::clamp(std::max(cols, colCount_), 0, kMaxColumns);
  cells_.reserve(static_cast<size_t>(rows) * static_cast<size_t>(cols));
  common::AdviseLargePages(cells_.data(), cells_.capacity() * sizeof(BookCell));
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
  return WriteStream(std::move(stream));
}

// The container takes the stream as it is, without a copy.
bool SpreadsheetBook::WriteStream(std::vector<uint8_t> stream) {
  if (file_.WriteStream("Workbook", std::move(stream)) != kCfbOk || !file_.Commit()) {
    file_.Close();
    error_ = "Can't write file " + path_ + "\n";
    return false;
  }
  file_.Close();
  error_.clear();
  return true;
}

}  // namespace romvane
