#include "convert/bit_planes.h"

#include "convert/block_geometry.h"

namespace tilvex {

std::vector<uint8_t> PackBitPlanes(std::span<const uint8_t> pixels, int colourMode) {
  const int planes = colourMode == 1 ? 2 : 4;
  std::vector<uint8_t> pgt(pixels.size() / static_cast<size_t>(PixelsPerByte(colourMode)), 0);
  for (size_t i = 0; i < pixels.size(); ++i) {
    uint8_t* row = pgt.data() + i / 64 * 8 * size_t(planes) + i % 64 / 8;
    const int bit = 7 - static_cast<int>(i % 8);
    for (int plane = 0; plane < planes; ++plane) {
      row[8 * plane] |= static_cast<uint8_t>(((pixels[i] >> plane) & 1) << bit);
    }
  }
  return pgt;
}

}  // namespace tilvex
