#pragma once

// A plain picture: its size and its pixels, nothing else. Every decoder fills one, the
// converter reads one, the renderer draws into one and the window shows one.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/colour.h"

namespace tilvex {

// Rows top-down, three bytes a pixel in the order red, green, blue, no row filler: the
// layout the pixel bytes of an RGB value have in memory and the one a QImage of format
// RGB888 can show without a copy.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;  // width * height * 3 bytes

  bool Empty() const { return pixels.empty(); }
  bool Contains(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  size_t RowBytes() const { return size_t(width) * 3; }
  uint8_t* Row(int32_t y) { return pixels.data() + size_t(y) * RowBytes(); }
  const uint8_t* Row(int32_t y) const { return pixels.data() + size_t(y) * RowBytes(); }

  // The pixel at (x, y), which must lie inside the picture.
  Rgb At(int32_t x, int32_t y) const {
    const uint8_t* p = Row(y) + size_t(x) * 3;
    return MakeRgb(p[0], p[1], p[2]);
  }
  void Set(int32_t x, int32_t y, Rgb rgb) {
    uint8_t* p = Row(y) + size_t(x) * 3;
    p[0] = static_cast<uint8_t>(RedOf(rgb));
    p[1] = static_cast<uint8_t>(GreenOf(rgb));
    p[2] = static_cast<uint8_t>(BlueOf(rgb));
  }
};

}  // namespace tilvex
