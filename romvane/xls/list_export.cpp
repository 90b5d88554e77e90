#include "xls/list_export.h"

#include <algorithm>
#include <limits>

#include "cart/parse_hex.h"
#include "common/utf16.h"
#include "xls/spreadsheet_book.h"

namespace romvane {
using common::Utf8ToUtf16;

namespace {

constexpr const char* kSheetName = "Files List";
// The hexadecimal text of a size comes before its number.
constexpr std::array<const char*, 7> kHeaders = {
    "Number", "Title", "PromSize-Hex", "PromSize", "VromSize-Hex", "VromSize", "Attribute"};

}  // namespace

int32_t LeadingNumber(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
    ++pos;
  }
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = std::min(value * 10 + (text[pos] - '0'), kLimit);
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min(value, kLimit - 1));
}

ExportResult WriteListWorkbook(const std::vector<ListRowTexts>& rows, const std::string& path) {
  ExportResult result;
  SpreadsheetBook book;
  book.NewBook(1);
  book.RenameSheet("Sheet1", kSheetName);
  BookSheet* sheet = book.SheetByName(kSheetName);
  for (size_t col = 0; col < kHeaders.size(); ++col) {
    sheet->Cell(0, static_cast<int>(col))->SetText(kHeaders[col]);
  }
  const size_t games = std::min(rows.size(), kMaxExportedGames);
  for (size_t i = 0; i < games; ++i) {
    const std::array<std::string, 5>& text = rows[i].text;
    const int r = static_cast<int>(i) + 1;
    sheet->Cell(r, 0)->SetNumber(LeadingNumber(text[0]));
    sheet->Cell(r, 1)->SetWideText(Utf8ToUtf16(text[1]));
    sheet->Cell(r, 2)->SetText(text[2]);
    sheet->Cell(r, 3)->SetNumber(ParseHex(text[2]));
    sheet->Cell(r, 4)->SetText(text[3]);
    sheet->Cell(r, 5)->SetNumber(ParseHex(text[3]));
    sheet->Cell(r, 6)->SetWideText(Utf8ToUtf16(text[4]));
  }
  if (!book.SaveAs(path)) {
    result.message = book.ErrorText();
    return result;
  }
  result.ok = true;
  result.gamesWritten = games;
  if (games < rows.size()) {
    result.message = "Only the first 65535 games were exported: the sheet has no more rows\n";
  }
  return result;
}

std::vector<ListRowTexts> ShownRows(const GameList& list) {
  std::vector<ListRowTexts> rows;
  rows.reserve(static_cast<size_t>(list.RowCount()));
  for (const GameEntry& game : list.Games()) {
    ListRowTexts& row = rows.emplace_back();
    for (int c = 0; c < kColumnCount; ++c) row.text[static_cast<size_t>(c)] = ColumnText(game, c);
  }
  return rows;
}

}  // namespace romvane
