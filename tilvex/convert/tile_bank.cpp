#include "convert/tile_bank.h"

#include <cstring>

namespace tilvex {

void TileBank::Reset(size_t start) {
  pixels_.assign(start, 0xFF);
  start_ = start;
  slots_.assign(512, Slot{});
  used_ = 0;
}

uint64_t TileBank::Hash(const uint8_t* data, size_t size) {
  // Tiles are whole multiples of 8 pixels; mix them a word at a time.
  uint64_t h = 0x9E3779B97F4A7C15u ^ size;
  for (size_t i = 0; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    h = (h ^ word) * 0xFF51AFD7ED558CCDu;
    h ^= h >> 32;
  }
  return h;
}

void TileBank::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.offset == kFree) continue;
    size_t at = slot.hash & mask;
    while (slots_[at].offset != kFree) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

size_t TileBank::Place(const std::vector<uint8_t>& tile, bool compress) {
  const size_t size = tile.size();
  const size_t offset = pixels_.size();
  if (!compress) {
    pixels_.insert(pixels_.end(), tile.begin(), tile.end());
    return offset;
  }
  if (slots_.empty()) slots_.assign(512, Slot{});
  const uint64_t hash = Hash(tile.data(), size);
  const size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  for (; slots_[at].offset != kFree; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.hash == hash && std::memcmp(pixels_.data() + slot.offset, tile.data(), size) == 0)
      return slot.offset;
  }
  pixels_.insert(pixels_.end(), tile.begin(), tile.end());
  slots_[at] = Slot{hash, static_cast<uint32_t>(offset)};
  if (++used_ * 2 > slots_.size()) Grow();
  return offset;
}

}  // namespace tilvex
