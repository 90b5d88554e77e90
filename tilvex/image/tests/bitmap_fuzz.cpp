// Feeds arbitrary bytes to the bitmap-block reader: as a BMP file, and as a bitmap block
// that is read and written back as a BMP file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/bitmap.h"
#include "image/format_decoders.h"
#include "image/picture_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  const std::span<const uint8_t> bytes(data, size);
  Picture decoded;
  if (DecodeBmpFile(bytes, decoded) == DecodeStatus::kOk) BmpFileBytes(decoded);
  if (size > 14) {
    const BitmapBlock block(data + 14, data + size);
    if (ReadBitmapInfo(block)) BmpFileBytes(block);
  }
  return 0;
}
