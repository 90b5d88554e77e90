// Feeds arbitrary bytes to the bitmap-block reader: as a BMP file, and as a block handed to
// the picture buffer, whose pixels are then walked and saved.
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/bitmap.h"
#include "image/format_decoders.h"
#include "image/picture_bmp.h"
#include "image/picture_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  const std::span<const uint8_t> bytes(data, size);
  Picture decoded;
  if (DecodeBmpFile(bytes, decoded) == DecodeStatus::kOk) BmpFileBytes(decoded);
  if (size > 14) {
    PictureBuffer picture;
    if (picture.Install(BitmapBlock(data + 14, data + size))) {
      for (int32_t y = -1; y <= picture.Height() && y < 64; ++y) {
        for (int32_t x = -1; x <= picture.Width() && x < 64; ++x) {
          const PixelRead pixel = picture.GetPixel(x, y);
          if (pixel.ok()) picture.SetPixel(x, y, pixel.rgb ^ 0x010101);
        }
      }
      picture.SaveBmp();
    }
  }
  return 0;
}
