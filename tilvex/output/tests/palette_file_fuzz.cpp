// Palette files from anywhere, as the palette steps and the batch conversion read them: the
// bytes are the palette file, fading to a target colour in one to eight steps, and
// "ani.pal" for the conversion of a small picture whose colours also come from the bytes.
#include <cstddef>
#include <cstdint>

#include "convert/tile_converter.h"
#include "doc/pic_file.h"
#include "fuzz_scratch_folder.h"
#include "output/block_output.h"
#include "palette/pal_file.h"

namespace {

// A 16 x 16 picture of four colours taken from the end of the input.
tilvex::Picture SmallPicture(const uint8_t* data, size_t size) {
  tilvex::Picture picture{16, 16, std::vector<uint8_t>(16 * 16 * 3, 0xFF)};
  for (int i = 0; i < 256; ++i) {
    const size_t at = size >= 12 ? size - 12 + 3 * static_cast<size_t>(i % 4) : 0;
    const tilvex::Rgb rgb = size >= 12 ? data[at] | data[at + 1] << 8 | data[at + 2] << 16 : 0;
    picture.Set(i % 16, i / 16, rgb);
  }
  return picture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  static const ColourTables tables;
  const std::string path = PutFuzzFile("ani.pal", data, size);
  SlotTable palettes{};
  if (!ReadPaletteFile(path, palettes)) return 0;
  const Rgb target = size >= 3 ? (data[0] | data[1] << 8 | data[2] << 16) : 0;
  const int levels = 1 + (size > 4 ? data[4] : 0) % 8;
  (void)WritePaletteSteps(
      palettes, target, levels, [](Rgb rgb) { return RgbToCode(ColourSpace::kRgb4K, tables, rgb); },
      FuzzScratchFolder());

  ConversionSettings settings;
  settings.area = WorkArea{0, 0, 16, 16};
  settings.colourSpace = 1;
  PaletteChoice choice;
  choice.fixed = palettes;
  (void)ConvertPicture(SmallPicture(data, size), settings, choice, tables);
  return 0;
}
