#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cart/bank_layout.h"
#include "model/game_list.h"

namespace romvane {

// Where the most recent build placed one block of a game; unknown until a build did.
struct BlockPlace {
  bool known = false;
  int32_t begin = 0;
  int32_t end = 0;
  int32_t page = 0;
};

// What the attribute window shows for one row.
struct GameAttributes {
  std::string number;
  std::string title;
  std::string path;
  std::string prgSize;
  std::string chrSize;
  BlockPlace prg;
  BlockPlace chr;
  // The header as the file holds it now; empty when the file cannot be read, lacks the
  // signature or is shorter than its header says, and then nothing may be rewritten.
  std::optional<InesHeader> header;
};

// The block of one kind that the build placed for the game with this index, looking at
// the first 2 * rowCount blocks of the ordered list. A game without data of that kind
// (size 0) only counts its first block, and only when that block is of the right kind.
BlockPlace PlaceOfBlock(const std::vector<BankBlock>& ordered, int rowCount, int gameIndex,
                        bool isPrg, int32_t size);

// What the attribute window shows for a row: the last build's places only when that
// build was made from the list as it is now.
GameAttributes AttributesOfRow(const GameList& list, int row, const BuildPlacement& lastBuild);

}  // namespace romvane
