// Feeds arbitrary bytes to the .pic reader, as they are and fitted into a block picture
// whose sizes agree, and draws whatever it accepts. A block picture the reader accepts
// must write back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "convert/block_render.h"
#include "doc/pic_file.h"
#include "pic_fuzz_input.h"

namespace {

void UseBlockPicture(const uint8_t* data, size_t size) {
  using namespace tilvex;
  PicLoad load = ParsePicFile(data, size);
  if (load.kind != PicLoadKind::kBlockPicture) return;
  if (EncodePicFile(load.picture) != std::vector<uint8_t>(data, data + size)) std::abort();
  const PicHeader& header = load.picture.header;
  (void)LongInfoText(header);
  (void)ShortInfoText(header);
  static const ColourTables tables;
  Picture image{static_cast<int32_t>(header.width), static_cast<int32_t>(header.height), {}};
  image.pixels.resize(image.RowBytes() * header.height);
  RenderBlockPicture(load.picture, tables, image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  UseBlockPicture(data, size);
  const std::vector<uint8_t> fitted = tilvex::FitPicFile(data, size);
  if (fitted != std::vector<uint8_t>(data, data + size))
    UseBlockPicture(fitted.data(), fitted.size());
  return 0;
}
