// The blocks of a working area as the tile passes read them: each block's palette (that of
// its 16 x 16 area) and its tile, the slot number of every pixel.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/result.h"
#include "convert/block_picture.h"
#include "convert/palette_gathering.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex {
using common::Result;

// The slot of each colour one palette holds: the lowest used slot among the first `limit`.
// A hashed table, so a pixel's slot is one look-up however many colours the palette has.
class SlotLookup {
 public:
  void Fill(const SlotTable& slots, int palette, int limit);
  uint8_t SlotOf(Rgb rgb) const {
    size_t at = Hash(rgb);
    while (keys_[at] != kFree) {
      if (keys_[at] == rgb) return slots_[at];
      at = (at + 1) % kEntries;
    }
    return missing_;
  }

 private:
  static constexpr size_t kEntries = 64;
  static constexpr Rgb kFree = 0xFFFFFFFF;  // RGB values never have the top byte set
  static size_t Hash(Rgb rgb) { return (rgb * 2654435761u) >> 26; }
  std::array<Rgb, kEntries> keys_{};
  std::array<uint8_t, kEntries> slots_{};
  uint8_t missing_ = 0;  // colours the palette does not hold
};

class TileSource {
 public:
  TileSource(const Picture& picture, const WorkArea& area, const PicHeader& settings,
             const SlotTable& slots, const AreaColourLists* analysed);

  // The palette of the block at (x, y), found once per area: the lowest palette holding
  // every colour of its area.
  Result PaletteAt(int x, int y, int& palette);
  // The tile of the block at (x, y) in the palette: 8 x 8 tiles left to right, top to
  // bottom, each row by row. A second call for a block gives back the tile kept from the
  // first when the working area is small enough to keep them.
  const std::vector<uint8_t>& Tile(int palette, int x, int y);
  // From now on Tile() gives back the kept tiles (when they were kept).
  void ReuseKeptTiles() { reuse_ = keeping_; }

 private:
  void BuildTile(int palette, int x, int y);
  size_t BlockIndex(int x, int y) const;

  const Picture& picture_;
  const WorkArea area_;
  const PicHeader& settings_;
  const SlotTable& slots_;
  const AreaColourLists* analysed_;
  std::array<SlotLookup, kPaletteCount> lookups_;
  std::vector<int> areaPalettes_;
  int areaColumns_ = 0;
  std::vector<uint8_t> tile_;
  std::vector<uint8_t> kept_;
  bool keeping_ = false;
  bool reuse_ = false;
};

}  // namespace tilvex
