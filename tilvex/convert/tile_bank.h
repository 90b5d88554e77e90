// One PGT bank while it is being filled: the tile pixels placed so far, and with
// compression an index of them, so that a repeated tile is found with one look-up instead
// of a comparison against every tile of the bank.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tilvex {

class TileBank {
 public:
  // Empties the bank; the first `start` pixels are filler (0xFF) that holds no tile.
  void Reset(size_t start);
  // Places a tile and returns its pixel offset. With compression an equal tile already in
  // the bank (the first one, though a compressed bank holds each tile once) is reused.
  size_t Place(const std::vector<uint8_t>& tile, bool compress);

  size_t Size() const { return pixels_.size(); }
  bool Empty() const { return pixels_.empty(); }
  const std::vector<uint8_t>& Pixels() const { return pixels_; }

 private:
  struct Slot {
    uint64_t hash = 0;
    uint32_t offset = kFree;
  };
  static constexpr uint32_t kFree = UINT32_MAX;
  static uint64_t Hash(const uint8_t* data, size_t size);
  void Grow();

  std::vector<uint8_t> pixels_;
  size_t start_ = 0;
  std::vector<Slot> slots_;  // open addressing, a power of two, at most half full
  size_t used_ = 0;
};

}  // namespace tilvex
