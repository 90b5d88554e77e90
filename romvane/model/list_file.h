#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/game_list.h"

namespace romvane {

// A list file: one game per line in number order, GBK text with CR LF line ends.
// A line holds the game's path, followed by "," and the title when the title differs
// from the file's base name.

// Writes the list; returns an empty text on success, else the message to show.
// Nothing is written when any line cannot be expressed in GBK.
std::string SaveListFile(const GameList& list, const std::string& path);

struct LoadResult {
  std::string error;                  // loading stopped: the list is left empty
  std::vector<std::string> warnings;  // loading went on: rows without records
};

// Replaces the list with the games of the file.
LoadResult LoadListFile(GameList& list, const std::string& path);

// Writes data to path through a temporary file beside it, so a failed write leaves the
// old file whole. Returns false when the file could not be written.
bool WriteFileAtomically(const std::string& path, std::string_view data);

}  // namespace romvane
