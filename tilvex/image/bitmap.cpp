#include "image/bitmap.h"
#include "common/le_bytes.h"
#include "image/picture_bmp.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace tilvex {
using common::GetU16;
using common::GetU32;
using common::PutU16;
using common::PutU32;
namespace {

bool IsKnownBitCount(uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Header forms whose first 40 bytes share the layout of the 40-byte header.
bool IsInfoHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

// Reads the header and colour table; `rowsAt` is where the rows begin inside `block`
// (by default straight after the colour table). Checks that every row lies inside the block
// for uncompressed pictures.
std::optional<BitmapInfo> ReadHeader(std::span<const uint8_t> block,
                                     std::optional<uint64_t> rowsAt) {
  if (block.size() < 4) return std::nullopt;
  BitmapInfo info;
  info.headerSize = GetU32(block.data());
  int64_t width, height;
  if (info.headerSize == kCoreHeaderBytes) {
    if (block.size() < kCoreHeaderBytes) return std::nullopt;
    width = GetU16(block.data() + 4);
    height = GetU16(block.data() + 6);
    info.bitCount = GetU16(block.data() + 10);
  } else if (IsInfoHeaderSize(info.headerSize)) {
    if (block.size() < info.headerSize) return std::nullopt;
    width = static_cast<int32_t>(GetU32(block.data() + 4));
    height = static_cast<int32_t>(GetU32(block.data() + 8));
    info.bitCount = GetU16(block.data() + 14);
    info.compression = GetU32(block.data() + 16);
    info.colourCount = GetU32(block.data() + 32);
  } else {
    return std::nullopt;
  }
  const int64_t rows = height < 0 ? -height : height;
  if (width < 1 || width > kMaxPictureSide || rows < 1 || rows > kMaxPictureSide) {
    return std::nullopt;
  }
  if (!IsKnownBitCount(info.bitCount)) return std::nullopt;
  info.width = static_cast<int32_t>(width);
  info.height = static_cast<int32_t>(height);

  // Compression: 0 none, 1 RLE8, 2 RLE4, 3 bit fields, 6 bit fields with alpha; the
  // run-length forms only with their own bit count and bottom-up.
  const uint32_t c = info.compression;
  const bool runLength = c == 1 || c == 2;
  if (runLength && (info.bitCount != (c == 1 ? 8 : 4) || height < 0)) return std::nullopt;
  if ((c == 3 || c == 6) && info.bitCount != 16 && info.bitCount != 32) return std::nullopt;
  if (c != 0 && !runLength && c != 3 && c != 6) return std::nullopt;
  if (info.headerSize == kInfoHeaderBytes && c == 3) info.maskBytes = 12;
  if (info.headerSize == kInfoHeaderBytes && c == 6) info.maskBytes = 16;

  if (info.colourCount == 0 && info.bitCount <= 8) info.colourCount = 1u << info.bitCount;
  if (info.colourCount > 65536) return std::nullopt;
  const uint32_t entryBytes = info.headerSize == kCoreHeaderBytes ? 3 : 4;
  info.colourTableBytes = info.colourCount * entryBytes;
  const uint64_t tableEnd =
      uint64_t{info.headerSize} + info.maskBytes + uint64_t{info.colourTableBytes};
  if (tableEnd > block.size()) return std::nullopt;
  const uint64_t pixels = rowsAt ? *rowsAt : tableEnd;
  if (pixels < tableEnd || pixels > block.size()) return std::nullopt;
  info.pixelOffset = static_cast<size_t>(pixels);
  info.stride = static_cast<uint32_t>(RowStride(info.bitCount, info.width));
  if (!runLength && pixels + uint64_t{info.stride} * static_cast<uint64_t>(rows) > block.size()) {
    return std::nullopt;
  }
  return info;
}

template <typename T>
std::optional<T> Allocate(size_t bytes) {
  try {
    return T(bytes);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
}

void WriteInfoHeader(uint8_t* p, int32_t width, int32_t height, uint16_t bitCount,
                     uint32_t imageSize, int32_t resolution) {
  PutU32(p, kInfoHeaderBytes);
  PutU32(p + 4, static_cast<uint32_t>(width));
  PutU32(p + 8, static_cast<uint32_t>(height));
  PutU16(p + 12, 1);
  PutU16(p + 14, bitCount);
  PutU32(p + 16, 0);
  PutU32(p + 20, imageSize);
  PutU32(p + 24, static_cast<uint32_t>(resolution));
  PutU32(p + 28, static_cast<uint32_t>(resolution));
  PutU32(p + 32, 0);
  PutU32(p + 36, 0);
}

}  // namespace

std::optional<BitmapInfo> ReadBitmapInfo(std::span<const uint8_t> block) {
  return ReadHeader(block, std::nullopt);
}

std::optional<BitmapInfo> ReadBitmapInfoWithRowsAt(std::span<const uint8_t> block,
                                                   uint64_t rowsAt) {
  return ReadHeader(block, rowsAt);
}

void WriteInfoHeader24(uint8_t* out, int32_t width, int32_t height, uint32_t imageSize,
                       int32_t resolution) {
  WriteInfoHeader(out, width, height, 24, imageSize, resolution);
}

std::optional<BitmapBlock> MakeBlankBitmap(int32_t width, int32_t height) {
  if (width < 1 || width > kMaxPictureSide || height < 1 || height > kMaxPictureSide) {
    return std::nullopt;
  }
  const uint32_t stride = static_cast<uint32_t>(RowStride(24, width));
  const size_t imageSize = size_t{stride} * static_cast<size_t>(height);
  std::optional<BitmapBlock> block = Allocate<BitmapBlock>(kInfoHeaderBytes + imageSize);
  if (!block) return std::nullopt;
  WriteInfoHeader(block->data(), width, height, 24, static_cast<uint32_t>(imageSize),
                  kPixelsPerMetre);
  std::memset(block->data() + kInfoHeaderBytes, 0xFF, imageSize);
  return block;
}

std::optional<std::vector<uint8_t>> BmpFileBytes(std::span<const uint8_t> block) {
  std::optional<BitmapInfo> info = ReadBitmapInfo(block);
  if (!info || info->headerSize != kInfoHeaderBytes) return std::nullopt;
  const uint64_t tableEnd = info->pixelOffset;
  uint64_t imageSize = GetU32(block.data() + 20);
  if (info->compression != 1 && info->compression != 2) {
    imageSize = RowStride(info->bitCount, info->width) *
                static_cast<uint64_t>(info->height < 0 ? -int64_t{info->height} : info->height);
  }
  // A run-length image size larger than the block would read past it: write what is held.
  if (tableEnd + imageSize > block.size()) imageSize = block.size() - tableEnd;
  const uint64_t fileSize = kBmpFileHeaderBytes + tableEnd + imageSize;
  std::optional<std::vector<uint8_t>> file = Allocate<std::vector<uint8_t>>(fileSize);
  if (!file) return std::nullopt;
  uint8_t* p = file->data();
  p[0] = 'B';
  p[1] = 'M';
  PutU32(p + 2, static_cast<uint32_t>(fileSize));
  PutU32(p + 6, 0);
  PutU32(p + 10, static_cast<uint32_t>(kBmpFileHeaderBytes + tableEnd));
  std::memcpy(p + kBmpFileHeaderBytes, block.data(), tableEnd + imageSize);
  PutU32(p + kBmpFileHeaderBytes + 20, static_cast<uint32_t>(imageSize));
  return file;
}

namespace {

// Writes the picture's rows bottom-up, BGR, each padded to `stride` with `filler`.
void WriteRows24(const Picture& picture, uint8_t* out, size_t stride, uint8_t filler) {
  const size_t rowBytes = picture.RowBytes();
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint8_t* in = picture.Row(y);
    uint8_t* row = out + stride * static_cast<size_t>(picture.height - 1 - y);
    for (size_t i = 0; i < rowBytes; i += 3) {
      row[i] = in[i + 2];
      row[i + 1] = in[i + 1];
      row[i + 2] = in[i];
    }
    std::memset(row + rowBytes, filler, stride - rowBytes);
  }
}

bool IsWholePicture(const Picture& picture) {
  return picture.width >= 1 && picture.width <= kMaxPictureSide && picture.height >= 1 &&
         picture.height <= kMaxPictureSide &&
         picture.pixels.size() == picture.RowBytes() * static_cast<size_t>(picture.height);
}

}  // namespace

std::vector<uint8_t> BmpFileBytes(const Picture& picture, uint8_t rowFiller) {
  if (!IsWholePicture(picture)) return {};
  const size_t stride = RowStride(24, static_cast<uint32_t>(picture.width));
  const size_t imageSize = stride * static_cast<size_t>(picture.height);
  const size_t fileSize = kBmpFileHeaderBytes + kInfoHeaderBytes + imageSize;
  std::vector<uint8_t> file;
  try {
    file.resize(fileSize);
  } catch (const std::bad_alloc&) {
    return {};
  }
  uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  PutU32(p + 2, static_cast<uint32_t>(fileSize));
  PutU32(p + 6, 0);
  PutU32(p + 10, kBmpFileHeaderBytes + kInfoHeaderBytes);
  WriteInfoHeader(p + kBmpFileHeaderBytes, picture.width, picture.height, 24,
                  static_cast<uint32_t>(imageSize), kPixelsPerMetre);
  WriteRows24(picture, p + kBmpFileHeaderBytes + kInfoHeaderBytes, stride, rowFiller);
  return file;
}

}  // namespace tilvex
