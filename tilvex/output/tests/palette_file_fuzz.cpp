// Palette files from anywhere, as the palette steps and the batch conversion read them: the
// bytes are the palette file, fading to a target colour in one to eight steps, and
// "ani.pal" for the conversion of a small picture whose colours also come from the bytes.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "convert/picture_access.h"
#include "convert/tile_converter.h"
#include "doc/pic_file.h"
#include "fuzz_scratch_folder.h"
#include "output/block_output.h"

namespace {

// A 16 x 16 picture of four colours taken from the end of the input.
tilvex::Picture SmallPicture(const uint8_t* data, size_t size) {
  tilvex::Picture picture = tilvex::MakeBlankPicture(16, 16);
  for (int i = 0; i < 256; ++i) {
    const size_t at = size >= 12 ? size - 12 + 3 * static_cast<size_t>(i % 4) : 0;
    const tilvex::Rgb rgb = size >= 12 ? data[at] | data[at + 1] << 8 | data[at + 2] << 16 : 0;
    tilvex::WritePixel(picture, i % 16, i / 16, rgb);
  }
  return picture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  static auto tables = std::make_shared<const ColourTables>();
  const std::string path = PutFuzzFile("ani.pal", data, size);
  const Rgb target = size >= 3 ? (data[0] | data[1] << 8 | data[2] << 16) : 0;
  const int levels = 1 + (size > 4 ? data[4] : 0) % 8;
  (void)WritePaletteSteps(
      path, target, levels, [](Rgb rgb) { return RgbToCodeIn(*tables, 1, rgb); },
      FuzzScratchFolder());

  PicHeader header = NewPicHeader();
  header.kind = 3;
  header.colourSpace = 1;
  const Picture picture = SmallPicture(data, size);
  PaletteSource source;
  source.batch = true;
  source.batchPalettePath = path;
  TileConverter converter(tables);
  (void)converter.BuildPalettes(picture, WorkArea{0, 0, 16, 16}, 0, header, source);
  return 0;
}
