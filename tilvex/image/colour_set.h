// A set of RGB values in one open-addressed table: adding a colour that is there already
// costs a hash and a probe or two, and nothing is allocated per colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/colour.h"

namespace tilvex {

class ColourSet {
 public:
  explicit ColourSet(size_t expected = 256) {
    size_t size = 16;
    while (size < 2 * expected) size *= 2;
    table_.assign(size, kFree);
  }

  // True when the colour was not in the set yet.
  bool Add(Rgb rgb) {
    size_t at = Slot(rgb);
    while (table_[at] != kFree) {
      if (table_[at] == rgb) return false;
      at = (at + 1) & (table_.size() - 1);
    }
    table_[at] = rgb;
    if (++count_ * 2 > table_.size()) Grow();
    return true;
  }
  size_t Count() const { return count_; }

 private:
  static constexpr Rgb kFree = 0xFFFFFFFF;  // RGB values never have the top byte set
  size_t Slot(Rgb rgb) const {
    return static_cast<size_t>((uint64_t{rgb} * 0x9E3779B97F4A7C15u) >> 32) & (table_.size() - 1);
  }
  void Grow() {
    std::vector<Rgb> old(table_.size() * 2, kFree);
    old.swap(table_);
    for (Rgb rgb : old) {
      if (rgb == kFree) continue;
      size_t at = Slot(rgb);
      while (table_[at] != kFree) at = (at + 1) & (table_.size() - 1);
      table_[at] = rgb;
    }
  }

  std::vector<Rgb> table_;
  size_t count_ = 0;
};

}  // namespace tilvex
