// The reduction's input path with arbitrary pictures and settings: the first bytes choose
// the size (up to 64 x 64), the working area, the colour mode, the block mode and the
// dither, the rest are the pixels. Whatever it gets, the reduction ends, and a picture it
// reduced converts with its own palettes unless the banks cannot hold it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "convert/colour_reduction.h"
#include "convert/tile_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  if (size <= 8) return 0;
  const int width = 1 + data[0] % 64, height = 1 + data[1] % 64;
  Picture picture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = data[8 + i % (size - 8)];
  ConversionSettings settings = DefaultSettings(picture);
  settings.colourSpace = 1;  // "TFT RGB 4K" rests on no table
  settings.colourMode = data[2] & 1;
  settings.blockMode = data[2] >> 1 & 3;
  settings.compressMode = data[2] >> 3 & 1;
  settings.reduce.reduce = true;
  settings.reduce.dither = Dither((data[3] & 3) % 3);
  settings.reduce.chooseBackground = data[3] & 4;
  settings.area.left = data[4] % width;
  settings.area.top = data[5] % height;
  settings.area.right = settings.area.left + 16 * (1 + data[6] % 6);
  settings.area.bottom = settings.area.top + 16 * (1 + data[7] % 6);
  const ColourTables tables;
  const ReducedPicture reduced =
      ReduceColours(picture, settings.area, settings.background, settings.colourMode,
                    ColourSpace::kRgb4K, tables, settings.reduce);
  if (!reduced.status.ok) std::abort();  // nothing cancels it here
  if (reduced.picture.width != width || reduced.picture.height != height) std::abort();
  ConvertPicture(picture, settings, {}, tables);
  return 0;
}
