// The last step of colour reduction: every pixel of an area repainted with a colour of the
// area's palette, plainly or dithered.
#pragma once

#include <vector>

#include "convert/dither.h"
#include "convert/palette_gathering.h"
#include "convert/progress.h"
#include "image/picture.h"

namespace tilvex {

// The 16 x 16 areas being repainted: the grid from (left, top), clipped to the picture.
struct AreaGrid {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Columns() const { return (right - left + kAreaSide - 1) / kAreaSide; }
  int Rows() const { return (bottom - top + kAreaSide - 1) / kAreaSide; }
};

// colours[a]: the background first, then the colours of area a's palette (area a counts
// row by row over the grid). Steps the progress once per row of areas; false when cancelled.
bool MapPixels(const Picture& source, const AreaGrid& grid,
               const std::vector<std::vector<Rgb>>& colours, Dither dither, Picture& out,
               Progress& progress);

}  // namespace tilvex
