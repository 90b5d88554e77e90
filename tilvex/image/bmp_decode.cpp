// Reading BMP files: our own code for the common forms, so that opening a BMP needs no
// general decoder.

#include <algorithm>
#include <cstring>
#include <new>

#include "common/le_bytes.h"
#include "image/bitmap.h"

namespace tilvex {
using common::GetU32;
namespace {

// One channel of a bit-field pixel, scaled to 0..255.
struct ChannelMask {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit ChannelMask(uint32_t m) : mask(m) {
    if (!m) return;
    while (!(m & 1)) {
      m >>= 1;
      ++shift;
    }
    max = m;
  }
  uint8_t Of(uint32_t pixel) const {
    if (!max) return 0;
    return static_cast<uint8_t>(uint64_t{(pixel & mask) >> shift} * 255 / max);
  }
};

// Whether the header names a size past kMaxPictureSide (checked only once it failed).
bool DeclaresTooLarge(std::span<const uint8_t> block) {
  const uint32_t headerSize = GetU32(block.data());
  int64_t width = 0, height = 0;
  if (headerSize == kCoreHeaderBytes && block.size() >= 8) {
    width = block[4] | block[5] << 8;
    height = block[6] | block[7] << 8;
  } else if (headerSize >= kInfoHeaderBytes && block.size() >= 12) {
    width = static_cast<int32_t>(GetU32(block.data() + 4));
    height = static_cast<int32_t>(GetU32(block.data() + 8));
  }
  if (height < 0) height = -height;
  return width > kMaxPictureSide || height > kMaxPictureSide;
}

}  // namespace

BmpDecodeStatus DecodeBmpFile(std::span<const uint8_t> file, DecodedPicture& out) {
  out = DecodedPicture();
  if (file.size() < kBmpFileHeaderBytes + 4 || file[0] != 'B' || file[1] != 'M') {
    return BmpDecodeStatus::kInvalid;
  }
  const std::span<const uint8_t> block = file.subspan(kBmpFileHeaderBytes);
  const uint32_t headerSize = GetU32(block.data());
  const uint32_t offBits = GetU32(file.data() + 10);
  // Rows sit at the file's pixel offset; an offset that does not fit is taken as "rows
  // follow the colour table".
  std::optional<BitmapInfo> info;
  if (offBits >= kBmpFileHeaderBytes) {
    info = ReadBitmapInfoWithRowsAt(block, offBits - kBmpFileHeaderBytes);
  }
  if (!info) info = ReadBitmapInfo(block);
  if (!info) {
    if (DeclaresTooLarge(block)) return BmpDecodeStatus::kTooLarge;
    // Forms we do not read ourselves, with a sound-looking size: let the general decoder try.
    if (block.size() >= 20 && headerSize >= 40 && headerSize <= 124) {
      const uint32_t compression = GetU32(block.data() + 16);
      if (compression == 4 || compression == 5) return BmpDecodeStatus::kUnsupported;
    }
    return BmpDecodeStatus::kInvalid;
  }
  if (info->compression == 1 || info->compression == 2) return BmpDecodeStatus::kUnsupported;

  const int32_t width = info->width;
  const bool topDown = info->height < 0;
  const int32_t height = topDown ? -info->height : info->height;
  const uint8_t* table = block.data() + info->headerSize + info->maskBytes;
  const uint32_t entryBytes = info->headerSize == kCoreHeaderBytes ? 3 : 4;

  // Bit-field masks: after a 40-byte header, or inside a longer one.
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (info->bitCount == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  if (info->compression == 3 || info->compression == 6) {
    const uint8_t* m = block.data() + kInfoHeaderBytes;  // inside the header or just after it
    masks[0] = GetU32(m);
    masks[1] = GetU32(m + 4);
    masks[2] = GetU32(m + 8);
  }
  const ChannelMask red(masks[0]), green(masks[1]), blue(masks[2]);

  try {
    out.pixels.assign(size_t{4} * static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    out = DecodedPicture();
    return BmpDecodeStatus::kInvalid;
  }
  out.width = width;
  out.height = height;
  for (int32_t stored = 0; stored < height; ++stored) {
    const uint8_t* in = block.data() + info->pixelOffset + size_t{info->stride} * stored;
    const int32_t y = topDown ? stored : height - 1 - stored;  // picture row from the top
    uint8_t* row = out.pixels.data() + size_t{4} * width * (height - 1 - y);
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* px = row + 4 * x;
      uint32_t index = 0;
      switch (info->bitCount) {
        case 1:
          index = in[x >> 3] >> (7 - (x & 7)) & 1;
          break;
        case 4:
          index = in[x >> 1] >> ((x & 1) ? 0 : 4) & 15;
          break;
        case 8:
          index = in[x];
          break;
        case 16: {
          const uint32_t v = static_cast<uint32_t>(in[2 * x] | in[2 * x + 1] << 8);
          px[0] = blue.Of(v);
          px[1] = green.Of(v);
          px[2] = red.Of(v);
          continue;
        }
        case 24:
          std::memcpy(px, in + 3 * x, 3);
          continue;
        case 32:
        default: {
          const uint32_t v = GetU32(in + 4 * x);
          px[0] = blue.Of(v);
          px[1] = green.Of(v);
          px[2] = red.Of(v);
          continue;
        }
      }
      // Indexes past the colour table stay black.
      if (index < info->colourCount) std::memcpy(px, table + size_t{entryBytes} * index, 3);
    }
  }
  return BmpDecodeStatus::kOk;
}

}  // namespace tilvex
