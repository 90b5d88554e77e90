#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/game_list.h"

namespace romvane {

// The five texts one row of the game list shows (UTF-8): number, title, PRG size and CHR
// size as hexadecimal text, attribute text.
struct ListRowTexts {
  std::array<std::string, 5> text;
};

struct ExportResult {
  bool ok = false;      // the workbook file was written
  std::string message;  // why it was not, or a warning about a written file; else empty
  size_t gamesWritten = 0;
};

// A sheet holds rows 0 to 65535; row 0 is the header.
inline constexpr size_t kMaxExportedGames = 65535;

// Writes the list as a workbook with the sheet "Files List": a header row, then per game its
// number, title, PRG size as text and as a number, CHR size as text and as a number, and its
// attribute. An existing file at path is replaced only by a complete workbook.
ExportResult WriteListWorkbook(const std::vector<ListRowTexts>& rows, const std::string& path);

// The rows of the list in the order they are shown, as the export reads them.
std::vector<ListRowTexts> ShownRows(const GameList& list);

// The leading decimal number of a text: leading blanks skipped, optional sign, digits up to
// the first other character; 0 without digits. Saturates at the 32-bit limits.
int32_t LeadingNumber(std::string_view text);

}  // namespace romvane
