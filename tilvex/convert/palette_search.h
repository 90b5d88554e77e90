// The lossy half of colour reduction: the background, the palettes and each area's palette
// that keep the squared error of the block picture against the source small.
#pragma once

#include "convert/device_colours.h"
#include "convert/progress.h"
#include "convert/search_samples.h"

namespace tilvex {

// Steps the progress once per seed palette and per round; stops when progress says it is
// cancelled.
SearchResult SearchPalettes(const SearchInput& input, const DeviceColours& device,
                            Progress& progress);

}  // namespace tilvex
