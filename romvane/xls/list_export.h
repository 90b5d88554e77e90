#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/game_list.h"

namespace romvane {

struct ExportResult {
  bool ok = false;      // the workbook file was written
  std::string message;  // why it was not, or a warning about a written file; else empty
  size_t gamesWritten = 0;
};

// A sheet holds rows 0 to 65535; row 0 is the header.
inline constexpr size_t kMaxExportedGames = 65535;

// Writes the games, in the order given, as a workbook with the sheet "Files List": a header
// row, then per game its number, title, PRG size as text and as a number, CHR size as text
// and as a number, and its attribute, the texts as the list shows them (a game without a
// record has no size texts, sizes 0 and no attribute). An existing file at path is replaced
// only by a complete workbook.
ExportResult WriteListWorkbook(const std::vector<GameEntry>& games, const std::string& path);

}  // namespace romvane
