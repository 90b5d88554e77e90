#pragma once

// Readers of the common picture formats, each filling a Picture straight from the file's
// bytes: BMP by our own code, PNG through libspng, JPEG through libjpeg-turbo and GIF
// through giflib. What they do not read themselves (run-length BMP, CMYK JPEG) they report
// as unsupported, so the caller can hand the file to the general decoder.

#include <cstdint>
#include <span>

#include "image/picture.h"

namespace tilvex {

enum class DecodeStatus { kOk, kUnsupported, kInvalid, kTooLarge };

// Formats that carry their pixels compressed may declare any size in a few bytes; more
// pixels than this (a 384 MiB picture) are refused as too large before anything is made.
inline constexpr uint64_t kMaxDecodedPixels = uint64_t{1} << 27;

// What shows through the transparent and half-transparent pixels of a picture with an alpha
// channel: white, the colour of a new picture and of the eraser.
inline constexpr Rgb kTransparentBackground = 0xFFFFFF;

// Gives `out` the size w x h with every pixel black. kTooLarge for a side past
// kMaxPictureSide, more than `maxPixels` pixels, or no memory; kInvalid for an empty side.
DecodeStatus SizePicture(Picture& out, int64_t width, int64_t height, uint64_t maxPixels);

// 1, 4, 8, 16, 24 and 32 bits a pixel, uncompressed or with bit-field masks, bottom-up or
// top-down. Run-length and embedded pictures are kUnsupported.
DecodeStatus DecodeBmpFile(std::span<const uint8_t> file, Picture& out);
// Every PNG colour type and depth; 16-bit samples are rounded to 8 bits.
DecodeStatus DecodePngFile(std::span<const uint8_t> file, Picture& out);
// Grey and colour JPEG; CMYK and YCCK pictures are kUnsupported.
DecodeStatus DecodeJpegFile(std::span<const uint8_t> file, Picture& out);
// The first frame of a GIF, at the frame's own size.
DecodeStatus DecodeGifFile(std::span<const uint8_t> file, Picture& out);

}  // namespace tilvex
