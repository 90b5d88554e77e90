#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/game_list.h"

namespace romvane {

constexpr int32_t kPageSize = 0x80000;  // one 512 KB page of the cartridge image
constexpr int kMaxBlocks = 2 * GameList::kMaxGames;

// One PRG or CHR block of one game in a build.
struct BankBlock {
  std::string title;
  int32_t size = 0;
  int32_t begin = -1;  // offset inside its page, -1 until placed
  int32_t end = -1;    // begin + size
  int32_t page = 0;
  int32_t gameIndex = 0;  // the game's number - 1
  bool placed = false;
  bool isPrg = true;

  int64_t ImageBegin() const { return int64_t{page} * kPageSize + begin; }
  int64_t ImageEnd() const { return int64_t{page} * kPageSize + end; }
};

// The ordered blocks of a build together with the list state they were computed for. A
// placement answers only for that state: after any change of the list it holds nothing.
class BuildPlacement {
 public:
  BuildPlacement() = default;
  BuildPlacement(const GameList& list, std::vector<BankBlock> ordered)
      : list_(&list), revision_(list.Revision()), ordered_(std::move(ordered)) {}

  const std::vector<BankBlock>& BlocksFor(const GameList& list) const {
    static const std::vector<BankBlock> kNone;
    return &list == list_ && list.Revision() == revision_ ? ordered_ : kNone;
  }

 private:
  const GameList* list_ = nullptr;
  uint64_t revision_ = 0;
  std::vector<BankBlock> ordered_;
};

struct Layout {
  std::vector<BankBlock> ordered;  // by page, then by begin
  std::string message;             // why the list cannot be laid out; empty when it can
};

// The PRG blocks of games 1..n, then their CHR blocks.
std::vector<BankBlock> MakeBlocks(const GameList& list);

// Largest first; equal sizes keep their order.
void SortBlocksBySize(std::vector<BankBlock>& blocks);

// Places the size-sorted blocks into pages, keeping the top `reserve` bytes of page 0
// free: each block at a multiple of its own size, largest first.
void PackBlocks(std::vector<BankBlock>& blocks, int32_t reserve);

// Groups the placed blocks by page (0..pageLimit) and sorts each page by begin.
std::vector<BankBlock> OrderBlocks(const std::vector<BankBlock>& sorted, int32_t pageLimit);

// The whole first half of a build: checks the list and the reserve, then lays out the
// blocks. Nothing is laid out when the message is set.
Layout LayOutGames(const GameList& list, const std::string& reserveText);

// The combined image: every block's data at page * 0x80000 + begin, filler elsewhere,
// whole pages only; empty for an empty list. A list that keeps headers only has the data
// read from the game files; when one has become shorter, the image is empty and the
// message says which.
std::vector<uint8_t> CombineImage(const GameList& list, const std::vector<BankBlock>& ordered,
                                  std::string* message = nullptr);

}  // namespace romvane
