// Reading BMP files: our own code for the common forms, so that opening a BMP needs no
// general decoder.

#include <algorithm>
#include <cstring>
#include <new>

#include "common/le_bytes.h"
#include "image/bitmap.h"
#include "image/format_decoders.h"

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

// Copies a colour stored blue, green, red into a picture pixel (red, green, blue).
void PutBgr(uint8_t* px, const uint8_t* bgr) {
  px[0] = bgr[2];
  px[1] = bgr[1];
  px[2] = bgr[0];
}

struct RowReader {
  const BitmapInfo& info;
  const uint8_t* table;
  uint32_t entryBytes;
  ChannelMask red, green, blue;

  // Decodes one stored row into one picture row.
  void Read(const uint8_t* in, uint8_t* out) const {
    if (info.bitCount == 24) {
      for (int32_t x = 0; x < info.width; ++x) PutBgr(out + 3 * x, in + 3 * x);
      return;
    }
    for (int32_t x = 0; x < info.width; ++x) {
      uint8_t* px = out + 3 * x;
      uint32_t index = 0;
      switch (info.bitCount) {
        case 1:
          index = in[x >> 3] >> (7 - (x & 7)) & 1;
          break;
        case 4:
          index = in[x >> 1] >> ((x & 1) ? 0 : 4) & 15;
          break;
        case 8:
          index = in[x];
          break;
        case 16:
          PutFields(px, static_cast<uint32_t>(in[2 * x] | in[2 * x + 1] << 8));
          continue;
        case 24:
          PutBgr(px, in + 3 * x);
          continue;
        case 32:
        default:
          PutFields(px, GetU32(in + 4 * x));
          continue;
      }
      // Indexes past the colour table stay black.
      if (index < info.colourCount) PutBgr(px, table + size_t{entryBytes} * index);
    }
  }
  void PutFields(uint8_t* px, uint32_t value) const {
    px[0] = red.Of(value);
    px[1] = green.Of(value);
    px[2] = blue.Of(value);
  }
};

// The header, accepting the file's pixel offset where it fits; kTooLarge or kUnsupported
// explain a header we do not take.
std::optional<BitmapInfo> ReadFileHeader(std::span<const uint8_t> file, DecodeStatus& status) {
  const std::span<const uint8_t> block = file.subspan(kBmpFileHeaderBytes);
  const uint32_t offBits = GetU32(file.data() + 10);
  // Rows sit at the file's pixel offset; an offset that does not fit is taken as "rows
  // follow the colour table".
  std::optional<BitmapInfo> info;
  if (offBits >= kBmpFileHeaderBytes) {
    info = ReadBitmapInfoWithRowsAt(block, offBits - kBmpFileHeaderBytes);
  }
  if (!info) info = ReadBitmapInfo(block);
  status = DecodeStatus::kInvalid;
  if (!info) {
    const uint32_t headerSize = GetU32(block.data());
    if (DeclaresTooLarge(block)) status = DecodeStatus::kTooLarge;
    // Forms we do not read ourselves, with a sound-looking size: let the general decoder try.
    if (status == DecodeStatus::kInvalid && block.size() >= 20 && headerSize >= 40 &&
        headerSize <= 124) {
      const uint32_t compression = GetU32(block.data() + 16);
      if (compression == 4 || compression == 5) status = DecodeStatus::kUnsupported;
    }
    return std::nullopt;
  }
  if (info->compression == 1 || info->compression == 2) {
    status = DecodeStatus::kUnsupported;
    return std::nullopt;
  }
  return info;
}

}  // namespace

DecodeStatus DecodeBmpFile(std::span<const uint8_t> file, Picture& out) {
  out = Picture();
  if (file.size() < kBmpFileHeaderBytes + 4 || file[0] != 'B' || file[1] != 'M') {
    return DecodeStatus::kInvalid;
  }
  DecodeStatus status;
  const std::optional<BitmapInfo> info = ReadFileHeader(file, status);
  if (!info) return status;
  const uint8_t* block = file.data() + kBmpFileHeaderBytes;
  const bool topDown = info->height < 0;
  const int32_t height = topDown ? -info->height : info->height;

  // Bit-field masks: after a 40-byte header, or inside a longer one.
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (info->bitCount == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  if (info->compression == 3 || info->compression == 6) {
    const uint8_t* m = block + kInfoHeaderBytes;  // inside the header or just after it
    masks[0] = GetU32(m);
    masks[1] = GetU32(m + 4);
    masks[2] = GetU32(m + 8);
  }
  // The rows are in the file, so their size is already bounded by its length.
  status = SizePicture(out, info->width, height, UINT64_MAX);
  if (status != DecodeStatus::kOk)
    return status == DecodeStatus::kTooLarge ? status : DecodeStatus::kInvalid;
  const RowReader reader{*info,
                         block + info->headerSize + info->maskBytes,
                         info->headerSize == kCoreHeaderBytes ? 3u : 4u,
                         ChannelMask(masks[0]),
                         ChannelMask(masks[1]),
                         ChannelMask(masks[2])};
  for (int32_t stored = 0; stored < height; ++stored) {
    const int32_t y = topDown ? stored : height - 1 - stored;  // picture row from the top
    reader.Read(block + info->pixelOffset + size_t{info->stride} * stored, out.Row(y));
  }
  return DecodeStatus::kOk;
}

}  // namespace tilvex
