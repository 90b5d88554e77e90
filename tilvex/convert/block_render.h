// Reverse conversion: a block picture drawn back into pixels, tile by tile through its name
// table, attributes and palette.
#pragma once

#include <cstddef>

#include "convert/block_picture.h"
#include "image/colour_tables.h"
#include "image/picture.h"

namespace tilvex {

// Draws one cell from the PGT bank at bankOffset with its top-left corner at (x, y); false
// when the cell's data lies outside the PGT block or a pixel falls outside the image.
bool RenderCell(const BlockPicture& block, const ColourTables& tables, size_t bankOffset, int x,
                int y, size_t cell, Picture& image);

// Blackens the image and draws every cell, switching banks where the sections begin.
void RenderBlockPicture(const BlockPicture& block, const ColourTables& tables, Picture& image);

}  // namespace tilvex
