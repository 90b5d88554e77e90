#pragma once

#include <string>
#include <vector>

#include "model/game_list.h"

namespace romvane {

// A list file: one game per line in number order, GBK text with CR LF line ends.
// A line holds the game's path, followed by "," and the title when the title differs
// from the file's base name.

struct SaveResult {
  bool ok = false;      // the file was written
  std::string message;  // why not, or a warning about a written file; else empty
};

// Writes the list and marks it saved. Nothing is written when any line cannot be
// expressed in GBK. A line that other programs would split at the wrong comma is
// written all the same, with a warning naming it.
SaveResult SaveListFile(GameList& list, const std::string& path);

struct LoadResult {
  std::string error;                  // loading stopped: the list is left empty
  std::vector<std::string> warnings;  // loading went on: rows whose file is not a game
  int missing = 0;                    // of them, files that could not be opened
};

// Replaces the list with the games of the file and marks it saved. A line is split at
// its last comma whose text before it names an existing file (else at the last comma).
// The file is read as UTF-8 when the whole of it is valid UTF-8, else as GBK. A game that
// is missing or that the cartridge cannot run keeps its row, marked, with a warning; more
// than GameList::kMaxGames lines load nothing.
LoadResult LoadListFile(GameList& list, const std::string& path);

}  // namespace romvane
