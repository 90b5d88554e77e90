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

// A sample of the given opacity laid over the background: a transparent pixel becomes the
// background, a half-transparent edge a mix of both, as any viewer shows the picture.
uint8_t Over(uint32_t sample, uint32_t alpha, uint32_t background) {
  return static_cast<uint8_t>((sample * alpha + background * (255 - alpha) + 127) / 255);
}

void Compose(uint8_t* rgb, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
  rgb[0] = Over(red, alpha, RedOf(kTransparentBackground));
  rgb[1] = Over(green, alpha, GreenOf(kTransparentBackground));
  rgb[2] = Over(blue, alpha, BlueOf(kTransparentBackground));
}

// 16-bit pictures come out as 16-bit RGBA, rounded into the picture afterwards.
bool DecodeSixteenBit(spng_ctx* ctx, Picture& out) {
  size_t bytes = 0;
  if (spng_decoded_image_size(ctx, SPNG_FMT_RGBA16, &bytes) != 0 ||
      bytes != out.pixels.size() / 3 * 8) {
    return false;
  }
  std::vector<uint16_t> wide(bytes / 2);
  if (spng_decode_image(ctx, wide.data(), bytes, SPNG_FMT_RGBA16, SPNG_DECODE_TRNS) != 0)
    return false;
  for (size_t i = 0, o = 0; o < out.pixels.size(); i += 4, o += 3) {
    Compose(&out.pixels[o], EightBitsOf(wide[i]), EightBitsOf(wide[i + 1]),
            EightBitsOf(wide[i + 2]), EightBitsOf(wide[i + 3]));
  }
  return true;
}

bool HasTransparency(spng_ctx* ctx, const spng_ihdr& ihdr) {
  spng_trns trns{};
  return ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
         ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || spng_get_trns(ctx, &trns) == 0;
}

// Gamma stays out: the colours are taken as stored.
bool DecodeEightBit(spng_ctx* ctx, const spng_ihdr& ihdr, Picture& out) {
  const bool transparent = HasTransparency(ctx, ihdr);
  const int format = transparent ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
  size_t bytes = 0;
  if (spng_decoded_image_size(ctx, format, &bytes) != 0 ||
      bytes != out.pixels.size() / 3 * (transparent ? 4 : 3)) {
    return false;
  }
  if (!transparent) return spng_decode_image(ctx, out.pixels.data(), bytes, format, 0) == 0;
  std::vector<uint8_t> rgba(bytes);
  if (spng_decode_image(ctx, rgba.data(), bytes, format, SPNG_DECODE_TRNS) != 0) return false;
  for (size_t i = 0, o = 0; o < out.pixels.size(); i += 4, o += 3)
    Compose(&out.pixels[o], rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]);
  return true;
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
    decoded = ihdr.bit_depth == 16 ? DecodeSixteenBit(ctx.get(), out)
                                   : DecodeEightBit(ctx.get(), ihdr, out);
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
