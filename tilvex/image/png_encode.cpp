// Writing PNG files through libspng, from the picture's rows as they are.

#include <spng.h>

#include <cstdlib>
#include <memory>

#include "image/picture_png.h"

namespace tilvex {
namespace {

struct EncoderFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

}  // namespace

std::vector<uint8_t> PngFileBytes(const Picture& picture) {
  if (picture.Empty()) return {};
  std::unique_ptr<spng_ctx, EncoderFree> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) return {};
  spng_ihdr ihdr{};
  ihdr.width = static_cast<uint32_t>(picture.width);
  ihdr.height = static_cast<uint32_t>(picture.height);
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  if (spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1) != 0 ||
      spng_set_ihdr(ctx.get(), &ihdr) != 0 ||
      spng_encode_image(ctx.get(), picture.pixels.data(), picture.pixels.size(), SPNG_FMT_PNG,
                        SPNG_ENCODE_FINALIZE) != 0) {
    return {};
  }
  size_t size = 0;
  int error = 0;
  // The buffer is the caller's to free once taken.
  std::unique_ptr<void, decltype(&std::free)> buffer(spng_get_png_buffer(ctx.get(), &size, &error),
                                                     &std::free);
  if (!buffer || error != 0) return {};
  const auto* bytes = static_cast<const uint8_t*>(buffer.get());
  return std::vector<uint8_t>(bytes, bytes + size);
}

}  // namespace tilvex
