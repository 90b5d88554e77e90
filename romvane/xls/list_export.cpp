#include "xls/list_export.h"

#include <algorithm>
#include <array>

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

ExportResult WriteListWorkbook(const std::vector<GameEntry>& games, const std::string& path) {
  ExportResult result;
  SpreadsheetBook book;
  book.NewBook(1);
  book.RenameSheet("Sheet1", kSheetName);
  BookSheet* sheet = book.SheetByName(kSheetName);
  const size_t written = std::min(games.size(), kMaxExportedGames);
  sheet->Reserve(static_cast<int>(written) + 1, static_cast<int>(kHeaders.size()));
  for (size_t col = 0; col < kHeaders.size(); ++col) {
    sheet->Cell(0, static_cast<int>(col))->SetText(kHeaders[col]);
  }
  for (size_t i = 0; i < written; ++i) {
    const GameEntry& game = games[i];
    const int r = static_cast<int>(i) + 1;
    sheet->Cell(r, 0)->SetNumber(game.Number());
    sheet->Cell(r, 1)->SetWideText(Utf8ToUtf16(game.title));
    sheet->Cell(r, 2)->SetText(ColumnText(game, kColPrgSize));
    sheet->Cell(r, 3)->SetNumber(game.PrgSize());
    sheet->Cell(r, 4)->SetText(ColumnText(game, kColChrSize));
    sheet->Cell(r, 5)->SetNumber(game.ChrSize());
    // In the language the list is shown in.
    sheet->Cell(r, 6)->SetWideText(Utf8ToUtf16(ColumnText(game, kColAttribute, true)));
  }
  if (!book.SaveAs(path)) {
    result.message = book.ErrorText();
    return result;
  }
  result.ok = true;
  result.gamesWritten = written;
  if (written < games.size()) {
    result.message = "Only the first 65535 games were exported: the sheet has no more rows\n";
  }
  return result;
}

}  // namespace romvane
