// The lossy half of colour reduction: the background, the palettes and each area's palette
// that keep the squared error of the block picture against the source small.
#pragma once

#include <cstdint>
#include <vector>

#include "convert/device_colours.h"
#include "convert/progress.h"
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

// Steps the progress once per seed palette and per round; stops when progress says it is
// cancelled.
SearchResult SearchPalettes(const SearchInput& input, const DeviceColours& device,
                            Progress& progress);

// Steps the search takes at most, for a progress bar's length: 16 seeds, then rounds.
inline constexpr int kSearchRounds = 48;
inline constexpr int kSearchSteps = 16 + kSearchRounds;

}  // namespace tilvex
