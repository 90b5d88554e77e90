#pragma once

// Exact nearest-code search for colour space 0 without scanning all 65536 codes.
//
// The candidates are code 1 (always, as the plain scan starts from it) and every valid code
// from 2 up. Codes sharing one colour are reduced to the lowest, then the colours are sorted
// into a 16 x 16 x 16 grid of cells. A query searches rings of cells around its own cell and
// stops once no cell of the next ring can hold a nearer colour. Ties keep the lowest code,
// so the answer is the plain scan's answer.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/colour.h"

namespace tilvex {

class NearestCodeIndex {
 public:
  explicit NearestCodeIndex(std::span<const uint32_t> codes);
  ColourCode Nearest(Rgb rgb) const;
  // Distinct candidate colours held.
  size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    Rgb rgb;
    ColourCode code;
  };
  static constexpr int kCellsPerAxis = 16;
  static constexpr int kCellSize = 256 / kCellsPerAxis;
  static int CellOf(Rgb rgb);

  std::vector<Entry> entries_;       // sorted by cell
  std::vector<uint32_t> cellStart_;  // kCellsPerAxis^3 + 1 offsets into entries_
  Rgb firstRgb_ = 0;                 // code 1, the starting candidate
};

}  // namespace tilvex
