// Pictures and settings shared by the converter tests.
#pragma once

#include <memory>

#include "convert/tile_converter.h"
#include "doc/pic_file.h"

namespace tilvex::testing {

inline std::shared_ptr<const ColourTables> TestTables() {
  static auto tables = std::make_shared<const ColourTables>();
  return tables;
}

// Colours that colour space 1 shows exactly: red from its level table, green and blue on
// multiples of 16.
inline uint32_t ExactColour(int red, int green, int blue) {
  static const int kRed[14] = {0, 16, 32, 48, 64, 96, 112, 128, 144, 160, 176, 208, 224, 240};
  return static_cast<uint32_t>(kRed[red % 14] | (green % 16) * 16 << 8 | (blue % 16) * 16 << 16);
}

inline Picture FilledPicture(int w, int h, uint32_t rgb) {
  Picture picture = MakeBlankPicture(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) WritePixel(picture, x, y, rgb);
  }
  return picture;
}

inline PicHeader Settings(int colourMode, int blockMode, bool compress) {
  PicHeader header = NewPicHeader();
  header.kind = 3;
  header.colourMode = static_cast<uint8_t>(colourMode);
  header.blockMode = static_cast<uint8_t>(blockMode);
  header.compressMode = compress ? 0 : 1;
  header.colourSpace = 1;
  return header;
}

inline WorkArea WholeOf(const Picture& picture) {
  return {0, 0, PictureWidth(picture), PictureHeight(picture)};
}

}  // namespace tilvex::testing
