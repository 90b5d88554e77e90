#pragma once

// Decoders backed by ImageMagick for every format but EMF (which it cannot read here). BMP,
// PNG, JPEG and GIF come here only for the forms their own readers leave out.

#include "image/decoder.h"

namespace tilvex {

// nullptr when ImageMagick has no reader for the format.
PictureDecoder* MagickDecoderFor(PictureFormat format);

}  // namespace tilvex
