#include "image/colour_index.h"

#include <algorithm>
#include <cstdlib>
#include "image/colour_set.h"
#include "image/colour_tables.h"

namespace tilvex {

int NearestCodeIndex::CellOf(Rgb rgb) {
  return static_cast<int>(RedOf(rgb) / kCellSize) * kCellsPerAxis * kCellsPerAxis +
         static_cast<int>(GreenOf(rgb) / kCellSize) * kCellsPerAxis +
         static_cast<int>(BlueOf(rgb) / kCellSize);
}

NearestCodeIndex::NearestCodeIndex(std::span<const uint32_t> codes) {
  constexpr int kCells = kCellsPerAxis * kCellsPerAxis * kCellsPerAxis;
  std::vector<Entry> unique;
  if (codes.size() >= 2) {
    firstRgb_ = codes[1] & 0xFFFFFF;
    const size_t end = std::min(codes.size(), size_t{kCodeTableSize});
    ColourSet seen(end);
    for (size_t code = 1; code < end; ++code) {
      if (code > 1 && codes[code] >> 24) continue;
      const Rgb rgb = codes[code] & 0xFFFFFF;
      // Ascending codes: the first code of a colour is its lowest.
      if (seen.Add(rgb)) unique.push_back({rgb, static_cast<ColourCode>(code)});
    }
  }
  std::vector<uint32_t> counts(kCells + 1, 0);
  for (const Entry& e : unique) ++counts[CellOf(e.rgb) + 1];
  for (int i = 0; i < kCells; ++i) counts[i + 1] += counts[i];
  cellStart_ = counts;
  entries_.resize(unique.size());
  for (const Entry& e : unique) entries_[counts[CellOf(e.rgb)]++] = e;
}

ColourCode NearestCodeIndex::Nearest(Rgb rgb) const {
  ColourCode best = 1;
  int32_t bestDistance = ColourDistance(firstRgb_, rgb);
  auto consider = [&](const Entry& e) {
    const int32_t d = ColourDistance(e.rgb, rgb);
    if (d < bestDistance || (d == bestDistance && e.code < best)) {
      bestDistance = d;
      best = e.code;
    }
  };
  // A small table is quicker to walk whole.
  if (entries_.size() <= 64) {
    for (const Entry& e : entries_) consider(e);
    return best;
  }
  const int cr = static_cast<int>(RedOf(rgb)) / kCellSize;
  const int cg = static_cast<int>(GreenOf(rgb)) / kCellSize;
  const int cb = static_cast<int>(BlueOf(rgb)) / kCellSize;
  for (int ring = 0; ring < kCellsPerAxis; ++ring) {
    if (ring > 0) {
      // Every cell of this ring lies at least this far away along one channel.
      const int32_t gap = (ring - 1) * kCellSize + 1;
      if (gap * gap > bestDistance) break;
    }
    for (int r = std::max(0, cr - ring); r <= std::min(kCellsPerAxis - 1, cr + ring); ++r) {
      for (int g = std::max(0, cg - ring); g <= std::min(kCellsPerAxis - 1, cg + ring); ++g) {
        auto visit = [&](int b) {
          const int cell = (r * kCellsPerAxis + g) * kCellsPerAxis + b;
          for (uint32_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) consider(entries_[i]);
        };
        if (std::abs(r - cr) == ring || std::abs(g - cg) == ring) {
          for (int b = std::max(0, cb - ring); b <= std::min(kCellsPerAxis - 1, cb + ring); ++b) {
            visit(b);
          }
        } else {
          // Inside the ring's red and green span only its two blue faces belong to it.
          if (cb - ring >= 0) visit(cb - ring);
          if (cb + ring < kCellsPerAxis) visit(cb + ring);
        }
      }
    }
  }
  return best;
}

}  // namespace tilvex
