// Feeds arbitrary bytes to the .pic reader and draws whatever it accepts.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "convert/block_render.h"
#include "doc/pic_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  PicLoad load = ParsePicFile(data, size);
  if (load.kind != PicLoadKind::kBlockPicture) return 0;
  const PicHeader& header = load.picture.header;
  (void)LongInfoText(header);
  static const ColourTables tables;
  Picture image{static_cast<int32_t>(header.width), static_cast<int32_t>(header.height), {}};
  image.pixels.resize(image.RowBytes() * header.height);
  RenderBlockPicture(load.picture, tables, image);
  return 0;
}
