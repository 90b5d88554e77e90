// Lossless palette packing: the colour sets of the areas shared out among the 16 palettes so
// that each area finds all its colours in one of them.
#pragma once

#include <vector>

#include "image/colour.h"
#include "image/slot_table.h"

namespace tilvex {

// Fills the slot table (slot 0 of every palette the background, then the packed colours)
// when every set, less the background, fits; false leaves `slots` unspecified. Unlike the
// analysis's first fit in walk order this places the largest sets first, each where it adds
// the fewest new colours, so sets that share colours end up together.
bool PackColourSets(const std::vector<std::vector<Rgb>>& sets, Rgb background, int slotsPerPalette,
                    SlotTable& slots);

// The colour found in the most sets (ties to the first met); `fallback` when there are none.
Rgb MostSharedColour(const std::vector<std::vector<Rgb>>& sets, Rgb fallback);

}  // namespace tilvex
