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

struct Layout {
  std::vector<BankBlock> ordered;  // by page, then by begin
  std::string message;             // why the list cannot be laid out; empty when it can
};

// The PRG blocks of games 1..n, then their CHR blocks, sizes read from the rows.
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
// whole pages only; empty for an empty list.
std::vector<uint8_t> CombineImage(const GameList& list, const std::vector<BankBlock>& ordered);

}  // namespace romvane
