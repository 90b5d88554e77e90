// Feeds arbitrary bytes to the PNG, JPEG and GIF readers; whatever they accept must be a
// whole picture within the limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "image/bitmap.h"
#include "image/format_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  const std::span<const uint8_t> bytes(data, size);
  for (auto reader : {DecodePngFile, DecodeJpegFile, DecodeGifFile}) {
    Picture picture;
    if (reader(bytes, picture) != DecodeStatus::kOk) continue;
    if (picture.width < 1 || picture.width > kMaxPictureSide || picture.height < 1 ||
        picture.height > kMaxPictureSide ||
        picture.pixels.size() != picture.RowBytes() * size_t(picture.height)) {
      std::abort();
    }
  }
  return 0;
}
