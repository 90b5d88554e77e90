// Bit-plane packing of tile pixels, as the console's pattern hardware reads them: each 8 x 8
// tile is one byte per row and plane, plane after plane (two planes for 4 colours, four for
// 16), the leftmost pixel in the highest bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tilvex {

// Packs a stream of tile pixels (64 a tile, row by row) into PGT bytes; pixel values keep
// only the bits the colour mode has planes for.
std::vector<uint8_t> PackBitPlanes(std::span<const uint8_t> pixels, int colourMode);

// Pixel `index` of the pixel stream packed at `pgt` (which holds every byte up to it).
inline uint8_t UnpackPixel(const uint8_t* pgt, size_t index, int colourMode) {
  const int planes = colourMode == 1 ? 2 : 4;
  const uint8_t* row = pgt + index / 64 * 8 * size_t(planes) + index % 64 / 8;
  const int bit = 7 - static_cast<int>(index % 8);
  uint8_t value = 0;
  for (int plane = 0; plane < planes; ++plane) {
    value |= static_cast<uint8_t>(((row[8 * plane] >> bit) & 1) << plane);
  }
  return value;
}

}  // namespace tilvex
