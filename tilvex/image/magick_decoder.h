#pragma once

// Decoders backed by ImageMagick for every format but EMF (which it cannot read here).

#include "image/decoder.h"

namespace tilvex {

// nullptr when ImageMagick has no reader for the format.
PictureDecoder* MagickDecoderFor(PictureFormat format);

}  // namespace tilvex
