// Reading PNG files through libspng, straight into the picture's rows.

#include <spng.h>

#include <memory>
#include <new>
#include <vector>

#include "image/bitmap.h"
#include "image/format_decoders.h"

namespace tilvex {
namespace {

struct ContextFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

// Ancillary chunks (text, profiles) are kept to this size, so a file cannot make the reader
// hold more than its picture.
constexpr size_t kMaxChunkBytes = size_t{16} << 20;

// A deflate stream expands at most 1032 times; a file too short to hold the rows it
// declares is damaged, and is refused before its picture is made.
constexpr uint64_t kMaxDeflateRatio = 1032;

uint64_t BitsPerPixel(const spng_ihdr& ihdr) {
  const int channels = ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR         ? 3
                       : ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ? 2
                       : ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4
                                                                            : 1;
  return uint64_t{ihdr.bit_depth} * channels;
}

// The 8-bit value a 16-bit sample has: the nearest, as 65535 / 255 = 257 steps.
uint8_t EightBitsOf(uint16_t sample) {
  const uint32_t v = sample + 128u;
  return static_cast<uint8_t>((v - (v >> 8)) >> 8);
}

// 16-bit pictures come out as 16-bit RGBA, rounded into the picture afterwards.
bool DecodeSixteenBit(spng_ctx* ctx, Picture& out) {
  size_t bytes = 0;
  if (spng_decoded_image_size(ctx, SPNG_FMT_RGBA16, &bytes) != 0 ||
      bytes != out.pixels.size() / 3 * 8) {
    return false;
  }
  std::vector<uint16_t> wide(bytes / 2);
  if (spng_decode_image(ctx, wide.data(), bytes, SPNG_FMT_RGBA16, 0) != 0) return false;
  for (size_t i = 0, o = 0; o < out.pixels.size(); i += 4, o += 3) {
    out.pixels[o] = EightBitsOf(wide[i]);
    out.pixels[o + 1] = EightBitsOf(wide[i + 1]);
    out.pixels[o + 2] = EightBitsOf(wide[i + 2]);
  }
  return true;
}

bool DecodeEightBit(spng_ctx* ctx, Picture& out) {
  size_t bytes = 0;
  if (spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &bytes) != 0 || bytes != out.pixels.size()) {
    return false;
  }
  // Transparency and gamma stay out: the colours are taken as stored.
  return spng_decode_image(ctx, out.pixels.data(), bytes, SPNG_FMT_RGB8, 0) == 0;
}

}  // namespace

DecodeStatus DecodePngFile(std::span<const uint8_t> file, Picture& out) {
  out = Picture();
  Context ctx(spng_ctx_new(0));
  if (!ctx) return DecodeStatus::kTooLarge;
  spng_set_chunk_limits(ctx.get(), kMaxChunkBytes, kMaxChunkBytes);
  // A damaged ancillary chunk is dropped, a damaged picture chunk fails the file.
  spng_set_crc_action(ctx.get(), SPNG_CRC_ERROR, SPNG_CRC_DISCARD);
  spng_ihdr ihdr{};
  if (spng_set_png_buffer(ctx.get(), file.data(), file.size()) != 0 ||
      spng_get_ihdr(ctx.get(), &ihdr) != 0) {
    return DecodeStatus::kInvalid;
  }
  if (ihdr.width > uint32_t{kMaxPictureSide} || ihdr.height > uint32_t{kMaxPictureSide} ||
      uint64_t{ihdr.width} * ihdr.height > kMaxDecodedPixels) {
    return DecodeStatus::kTooLarge;
  }
  if (uint64_t{file.size()} * kMaxDeflateRatio * 8 <
      BitsPerPixel(ihdr) * ihdr.width * ihdr.height) {
    return DecodeStatus::kInvalid;
  }
  const DecodeStatus sized = SizePicture(out, ihdr.width, ihdr.height, kMaxDecodedPixels);
  if (sized != DecodeStatus::kOk) return sized;
  bool decoded = false;
  try {
    decoded =
        ihdr.bit_depth == 16 ? DecodeSixteenBit(ctx.get(), out) : DecodeEightBit(ctx.get(), out);
  } catch (const std::bad_alloc&) {
    out = Picture();
    return DecodeStatus::kTooLarge;
  }
  if (!decoded) {
    out = Picture();
    return DecodeStatus::kInvalid;
  }
  return DecodeStatus::kOk;
}

}  // namespace tilvex
