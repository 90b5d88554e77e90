// Feeds arbitrary bytes to the .pic reader and draws whatever it accepts.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "convert/tile_converter.h"
#include "doc/pic_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  PicLoad load = ParsePicFile(data, size);
  if (load.kind != PicLoadKind::kBlockPicture) return 0;
  (void)LongInfoText(load.header);
  static auto tables = std::make_shared<const ColourTables>();
  TileConverter converter(tables);
  converter.blocks = std::move(load.blocks);
  Picture image =
      MakeBlankPicture(static_cast<int>(load.header.width), static_cast<int>(load.header.height));
  converter.RenderAll(image, load.header);
  return 0;
}
