// Feeds arbitrary bytes to the .pic reader, as they are and fitted into a block picture
// whose sizes agree, and draws whatever it accepts. A block picture the reader accepts
// must write back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "convert/tile_converter.h"
#include "doc/pic_file.h"
#include "pic_fuzz_input.h"

namespace {

void UseBlockPicture(const uint8_t* data, size_t size) {
  using namespace tilvex;
  PicLoad load = ParsePicFile(data, size);
  if (load.kind != PicLoadKind::kBlockPicture) return;
  if (EncodePicFile(load.header, load.blocks) != std::vector<uint8_t>(data, data + size))
    std::abort();
  (void)LongInfoText(load.header);
  (void)ShortInfoText(load.header);
  static auto tables = std::make_shared<const ColourTables>();
  TileConverter converter(tables);
  converter.blocks = std::move(load.blocks);
  Picture image =
      MakeBlankPicture(static_cast<int>(load.header.width), static_cast<int>(load.header.height));
  converter.RenderAll(image, load.header);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  UseBlockPicture(data, size);
  const std::vector<uint8_t> fitted = tilvex::FitPicFile(data, size);
  if (fitted != std::vector<uint8_t>(data, data + size))
    UseBlockPicture(fitted.data(), fitted.size());
  return 0;
}
