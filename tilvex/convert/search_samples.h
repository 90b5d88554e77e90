// What the palette search reads and gives back: the picture as weighted colour samples per
// 16 x 16 area, and the palettes with each area's choice.
#pragma once

#include <cstdint>
#include <vector>

#include "image/colour.h"

namespace tilvex {

// Pixels of one area that are nearly the same colour, taken together: their mean and count.
struct ColourSample {
  float r, g, b, w;
};

struct SearchInput {
  std::vector<ColourSample> samples;  // area after area
  std::vector<uint32_t> areaStart;    // area a holds samples [areaStart[a], areaStart[a + 1])
  int freeSlots = 15;                 // colours per palette besides the background
  Rgb background = 0;                 // a shown colour
  bool chooseBackground = true;
};

struct SearchResult {
  bool cancelled = false;
  Rgb background = 0;
  // Each palette's colours besides the background: distinct, shown colours.
  std::vector<std::vector<Rgb>> palettes;
  std::vector<int> areaPalette;
  double error = 0;  // the squared error the search ended with, over the samples
};

// Steps the search takes at most, for a progress bar's length: 16 seeds, then rounds.
inline constexpr int kSearchRounds = 48;
inline constexpr int kSearchSteps = 16 + kSearchRounds;

}  // namespace tilvex
