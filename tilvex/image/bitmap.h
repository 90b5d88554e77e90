#pragma once

// The bitmap block: a device-independent bitmap held in one piece of memory, as the picture
// buffer keeps it and as a BMP file carries it after its 14-byte file header. In order: a
// bitmap information header (40 bytes, or the older 12-byte form), the colour table, and the
// pixel rows, stored bottom-up.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "image/picture.h"

namespace tilvex {

using BitmapBlock = std::vector<uint8_t>;

// Pictures larger than this in either direction are refused before anything is allocated.
inline constexpr int32_t kMaxPictureSide = 16384;
inline constexpr uint32_t kInfoHeaderBytes = 40;
inline constexpr uint32_t kCoreHeaderBytes = 12;
inline constexpr uint32_t kBmpFileHeaderBytes = 14;
inline constexpr int32_t kPixelsPerMetre = 3780;
// Shown when a picture is too large for the program or for memory.
inline constexpr char kPictureTooLargeMessage[] = "图像太大，无法处理!";

// What the header of a bitmap block says, checked against the block's length.
struct BitmapInfo {
  uint32_t headerSize = 0;  // 40 or 12
  int32_t width = 0;
  int32_t height = 0;  // as stored; the picture buffer only installs bottom-up blocks
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t colourCount = 0;       // entries of the colour table
  uint32_t maskBytes = 0;         // bit-field masks after a 40-byte header (12 or 16)
  uint32_t colourTableBytes = 0;  // 4 bytes an entry, 3 with the 12-byte header
  uint32_t stride = 0;            // ((bitCount x width + 31) / 32) x 4
  size_t pixelOffset = 0;         // where the rows begin: header, masks and colour table
};

// Bytes per pixel row for a bit count and width: rows are padded to four bytes.
inline constexpr uint64_t RowStride(uint32_t bitCount, uint32_t width) {
  return (static_cast<uint64_t>(bitCount) * width + 31) / 32 * 4;
}

// Reads the header of a bitmap block. Fails when the header is not one of the two forms,
// the sizes are out of bounds (width or height not in 1..kMaxPictureSide), or the block is
// too short for the header, the colour table and, for uncompressed pictures, every row.
std::optional<BitmapInfo> ReadBitmapInfo(std::span<const uint8_t> block);
// The same for a block whose rows begin at `rowsAt` (a BMP file's pixel offset less 14).
std::optional<BitmapInfo> ReadBitmapInfoWithRowsAt(std::span<const uint8_t> block, uint64_t rowsAt);

// Writes a 40-byte header for a 24-bit, uncompressed picture.
void WriteInfoHeader24(uint8_t* out, int32_t width, int32_t height, uint32_t imageSize,
                       int32_t resolution);

// A blank 24-bit picture of w x h, every pixel white, with a 40-byte header (resolution 3780
// pixels per metre, image size = stride x h). Fails for sizes outside 1..kMaxPictureSide or
// when memory runs out.
std::optional<BitmapBlock> MakeBlankBitmap(int32_t width, int32_t height);

// The bytes of a BMP file holding the block: the 14-byte file header then the block as held.
// Only blocks with a 40-byte header are written. The image size field is recomputed unless
// the picture is run-length compressed.
std::optional<std::vector<uint8_t>> BmpFileBytes(std::span<const uint8_t> block);

}  // namespace tilvex
