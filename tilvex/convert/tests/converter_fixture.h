// Pictures and settings shared by the converter tests.
#pragma once

#include <memory>

#include "convert/block_render.h"
#include "convert/tile_converter.h"
#include "doc/pic_file.h"

namespace tilvex::testing {

inline const ColourTables& TestTables() {
  static const ColourTables tables;
  return tables;
}

// Colours that colour space 1 shows exactly: red from its level table, green and blue on
// multiples of 16.
inline Rgb ExactColour(int red, int green, int blue) {
  static const int kRed[14] = {0, 16, 32, 48, 64, 96, 112, 128, 144, 160, 176, 208, 224, 240};
  return static_cast<Rgb>(kRed[red % 14] | (green % 16) * 16 << 8 | (blue % 16) * 16 << 16);
}

inline Picture FilledPicture(int w, int h, Rgb rgb) {
  Picture picture{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) picture.Set(x, y, rgb);
  }
  return picture;
}

inline ConversionSettings Settings(int colourMode, int blockMode, bool compress) {
  ConversionSettings settings;
  settings.colourMode = static_cast<uint8_t>(colourMode);
  settings.blockMode = static_cast<uint8_t>(blockMode);
  settings.compressMode = compress ? 0 : 1;
  settings.colourSpace = 1;
  return settings;
}

inline WorkArea WholeOf(const Picture& picture) {
  return {0, 0, picture.width, picture.height};
}

inline Conversion Convert(const Picture& picture, const WorkArea& area, Rgb background,
                          ConversionSettings settings, const PaletteChoice& palettes = {},
                          Progress& progress = NoProgress()) {
  settings.area = area;
  settings.background = background;
  return ConvertPicture(picture, settings, palettes, TestTables(), progress);
}

}  // namespace tilvex::testing
