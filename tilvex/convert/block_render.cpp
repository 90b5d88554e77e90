#include "convert/block_render.h"

#include <algorithm>

#include "convert/bit_planes.h"

namespace tilvex {

bool RenderCell(const BlockPicture& block, const ColourTables& tables, size_t bankOffset, int x,
                int y, size_t cell, Picture& image) {
  const PicHeader& header = block.header;
  const BlockData& blocks = block.blocks;
  const BlockGeometry g = GeometryOf(header.blockMode);
  const int colourMode = header.colourMode;
  if (cell >= blocks.Cells() || blocks.pal.size() < kPaletteBlockSize) return false;
  const size_t palette = 16u * (blocks.Attribute(cell) & 15);
  const size_t begin = bankOffset + static_cast<size_t>(blocks.Code(cell)) *
                                        BytesPerCodeUnit(colourMode, header.blockMode);
  if (begin + static_cast<size_t>(BytesPerBlock(colourMode, header.blockMode)) >
      blocks.pgt.size()) {
    return false;
  }
  const ColourSpace space = ColourSpaceOf(header.colourSpace);
  size_t index = 0;
  for (int by = 0; by < g.height; by += 8) {
    for (int bx = 0; bx < g.width; bx += 8) {
      for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
          const uint8_t v = UnpackPixel(blocks.pgt.data() + begin, index++, colourMode);
          if (!image.Contains(x + bx + c, y + by + r)) return false;
          image.Set(x + bx + c, y + by + r,
                    CodeToRgb(space, tables, blocks.PaletteEntry(palette + v)));
        }
      }
    }
  }
  return true;
}

void RenderBlockPicture(const BlockPicture& block, const ColourTables& tables, Picture& image) {
  std::fill(image.pixels.begin(), image.pixels.end(), 0);
  const PicHeader& header = block.header;
  const BlockGeometry g = GeometryOf(header.blockMode);
  const size_t bankBytes = static_cast<size_t>(BankBytes(header.colourMode));
  const int width = static_cast<int>(header.width);
  int x = 0, y = 0, next = 1;
  size_t bankOffset = 0;
  for (size_t cell = 0; cell < block.blocks.Cells(); ++cell) {
    RenderCell(block, tables, bankOffset, x, y, cell, image);
    x += g.width;
    if (x >= width) {
      x = 0;
      y += g.height;
      if (next < kMaxSectionRows && header.sectionRows[next] != -1 &&
          y == header.sectionRows[next]) {
        bankOffset += bankBytes;
        ++next;
      }
    }
  }
}

}  // namespace tilvex
