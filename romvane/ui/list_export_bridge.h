#pragma once

#include <string>

#include "model/game_list.h"

// Writes the list, as its rows show it, to a spreadsheet workbook at path.
// Returns an empty text on success, else the message to show.
std::string ExportListWorkbook(const romvane::GameList& list, const std::string& path);
