#include "cart/bank_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cart/parse_hex.h"
#include "common/translate.h"
#include "model/ines_file.h"

namespace romvane {
namespace {

constexpr uint8_t kFiller = 0xFF;  // erased flash reads as 0xFF

void Place(BankBlock& block, int32_t begin, int32_t end, int32_t page) {
  block.begin = begin;
  block.end = end;
  block.page = page;
  block.placed = true;
}

// The placement works on windows [lo, hi) of one page and recurses into the parts
// that a placed block leaves free on either side of it.
class Packer {
 public:
  Packer(std::vector<BankBlock>& blocks, int32_t reserve) : blocks_(blocks), reserve_(reserve) {}

  void Pack(int32_t lo, int32_t hi, int32_t page) {
    bool done = false;
    const size_t n = blocks_.size();
    for (size_t i = 0; i < n; ++i) {
      if (done || blocks_[i].placed) continue;
      if (lo != hi) {
        if (blocks_[i].size == 0) {
          Place(blocks_[i], lo, lo, page);
          Pack(lo, lo, page);
        } else if (lo == 0 && hi == kPageSize) {
          // A fresh page takes the largest remaining block at its start; the rest of
          // the page goes to the deeper call, and this window is not filled a second time.
          Place(blocks_[i], 0, blocks_[i].size, page);
          lo = blocks_[i].end;
          Pack(lo, hi, page);
          done = true;
        } else {
          done = FillWindow(i, lo, hi, page);
        }
      }
      if (OpenNewPageIfFull(blocks_[i], lo, hi, page)) done = true;
    }
  }

 private:
  // Looks, from block i on, for a block that fits the window at a multiple of its
  // size. Returns true when the rest of the window was handed to deeper calls.
  bool FillWindow(size_t i, int32_t& lo, int32_t& hi, int32_t page) {
    for (size_t j = i; j < blocks_.size(); ++j) {
      BankBlock& b = blocks_[j];
      const int64_t s = b.size;
      if (b.placed || s > int64_t{hi} - lo) continue;
      if (s == 0) return false;
      for (int64_t m = lo / s;; ++m) {
        const int64_t a = s * m;
        const int64_t e = s * (m + 1);
        if ((a > lo && e > hi) || a > hi) break;  // no place for this block
        if (a < lo || e > hi) continue;
        Place(b, static_cast<int32_t>(a), static_cast<int32_t>(e), page);
        if (a == lo) {
          lo = static_cast<int32_t>(e);
          if (lo != hi) {
            Pack(lo, hi, page);
            return true;
          }
        } else if (e == hi) {
          hi = static_cast<int32_t>(a);
          if (lo != hi) {
            Pack(lo, hi, page);
            return true;
          }
        } else {
          Pack(lo, static_cast<int32_t>(a), page);
          Pack(static_cast<int32_t>(e), hi, page);
          return true;
        }
        break;  // the window is full: only a size-0 block can still match
      }
    }
    return false;
  }

  // Opens a new page when the block cannot go into what is left of this one. Returns
  // true when it did: the deeper call has then dealt with every block still unplaced.
  bool OpenNewPageIfFull(const BankBlock& block, int32_t& lo, int32_t& hi, int32_t& page) {
    const bool tooBig = block.size > hi - lo;
    int32_t next;
    if (hi == kPageSize - reserve_ && lo != 0 && tooBig && page == 0) {
      next = 1;
    } else if (hi == kPageSize && lo != 0 && tooBig) {
      next = page + 1;
    } else {
      return false;
    }
    // A page opened before is never opened afresh: its start is taken, and a second
    // fresh window over it would put two blocks on the same bytes.
    next = std::max(next, lastPage_ + 1);
    lastPage_ = next;
    page = next;
    lo = 0;
    hi = kPageSize;
    Pack(0, kPageSize, next);
    return true;
  }

  std::vector<BankBlock>& blocks_;
  int32_t reserve_;
  int32_t lastPage_ = 0;  // the highest page opened so far
};

}  // namespace

std::vector<BankBlock> MakeBlocks(const GameList& list) {
  const std::vector<int> rows = list.RowsByNumber();
  const int n = list.RowCount();
  std::vector<BankBlock> blocks;
  blocks.reserve(static_cast<size_t>(2 * n));
  for (int pass = 0; pass < 2; ++pass) {
    const bool prg = pass == 0;
    for (int k = 0; k < n; ++k) {
      const int row = rows[static_cast<size_t>(k)];
      BankBlock b;
      b.gameIndex = k;
      b.isPrg = prg;
      if (row >= 0) {
        const GameEntry& game = list.Game(row);
        b.title = game.title;
        b.size = static_cast<int32_t>(prg ? game.PrgSize() : game.ChrSize());
      }
      blocks.push_back(std::move(b));
    }
  }
  return blocks;
}

void SortBlocksBySize(std::vector<BankBlock>& blocks) {
  std::stable_sort(blocks.begin(), blocks.end(),
                   [](const BankBlock& a, const BankBlock& b) { return a.size > b.size; });
}

void PackBlocks(std::vector<BankBlock>& blocks, int32_t reserve) {
  Packer(blocks, reserve).Pack(0, kPageSize - reserve, 0);
}

std::vector<BankBlock> OrderBlocks(const std::vector<BankBlock>& sorted, int32_t pageLimit) {
  std::vector<BankBlock> ordered;
  for (int32_t p = 0; p <= pageLimit; ++p) {
    std::vector<BankBlock> page;
    for (const BankBlock& b : sorted) {
      if (b.page == p) page.push_back(b);
    }
    std::stable_sort(page.begin(), page.end(),
                     [](const BankBlock& a, const BankBlock& b) { return a.begin < b.begin; });
    ordered.insert(ordered.end(), page.begin(), page.end());
  }
  return ordered;
}

Layout LayOutGames(const GameList& list, const std::string& reserveText) {
  Layout layout;
  const int32_t reserve = ParseHex(reserveText);
  // An empty field would leave no room for the menu: a cartridge that cannot start.
  if (reserveText.empty() || reserve < 0 || reserve > kPageSize) {
    layout.message = common::Tr("保留大小必须是0到80000之间的十六进制数!");
    return layout;
  }
  const std::vector<int> rows = list.RowsByNumber();
  for (int k = 0; k < list.RowCount(); ++k) {
    const int row = rows[static_cast<size_t>(k)];
    if (row < 0 || !list.EntryForRow(row)) {
      const std::string title = row < 0 ? std::string() : list.Game(row).title;
      layout.message = common::TrFill("第{0}行({1})不是有效的NES文件，无法合成!",
                                      {std::to_string(k + 1), title});
      return layout;
    }
  }
  std::vector<BankBlock> blocks = MakeBlocks(list);
  int64_t total = 0;
  for (const BankBlock& b : blocks) {
    if (b.size < 0 || b.size > kPageSize) {
      layout.message = common::TrFill("游戏{0}的{1}大小超过80000，放不进一页!",
                                      {b.title, b.isPrg ? "PROM" : "VROM"});
      return layout;
    }
    total += b.size;
  }
  SortBlocksBySize(blocks);
  const auto pageLimit = static_cast<int32_t>(total / kPageSize + 1);
  PackBlocks(blocks, reserve);
  for (const BankBlock& b : blocks) {
    if (!b.placed || b.page > pageLimit) {
      layout.message =
          common::TrFill("游戏{0}的{1}找不到位置!", {b.title, b.isPrg ? "PROM" : "VROM"});
      return layout;
    }
  }
  layout.ordered = OrderBlocks(blocks, pageLimit);
  return layout;
}

namespace {

// Puts size bytes of one block at out: from the game's data in memory, or, for a list that
// keeps headers only, straight from its file (the PRG data behind the header, the CHR data
// behind that).
bool ReadBlockData(uint8_t* out, const GameEntry& game, bool isPrg, size_t size) {
  const std::vector<uint8_t>& data = isPrg ? game.prg : game.chr;
  if (data.size() >= size) {
    std::copy_n(data.begin(), size, out);
    return true;
  }
  const uint64_t offset = kInesHeaderSize + (isPrg ? 0 : game.PrgSize());
  return ReadFileRange(game.path, offset, size, out);
}

}  // namespace

std::vector<uint8_t> CombineImage(const GameList& list, const std::vector<BankBlock>& ordered,
                                  std::string* message) {
  int32_t pages = 0;
  for (const BankBlock& b : ordered) pages = std::max(pages, b.page + 1);
  const size_t total = static_cast<size_t>(pages) * kPageSize;
  // Filled first, then every block read straight into its place. No 2 MB pages are asked
  // for: a build after an idle moment waited twice as long for them as for small pages.
  std::vector<uint8_t> image(total, kFiller);
  const std::vector<int> rows = list.RowsByNumber();
  size_t filled = 0;  // the end of the last block placed
  for (const BankBlock& b : ordered) {
    if (b.gameIndex < 0 || b.gameIndex >= list.RowCount() || b.end <= b.begin) continue;
    const GameEntry* entry = list.EntryForRow(rows[static_cast<size_t>(b.gameIndex)]);
    const auto begin = static_cast<size_t>(b.ImageBegin());
    const auto size = static_cast<size_t>(b.end - b.begin);
    // The ordered list goes up through the image; the packer never overlaps two blocks.
    if (!entry || begin < filled || begin + size > total) continue;
    if (!ReadBlockData(image.data() + begin, *entry, b.isPrg, size)) {
      if (message) *message = common::TrFill("文件{0}已改变，比文件头所说的短!", {entry->path});
      return {};
    }
    filled = begin + size;
  }
  return image;
}

}  // namespace romvane
