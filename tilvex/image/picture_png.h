#pragma once

// Plain pictures as PNG files.

#include <cstdint>
#include <vector>

#include "image/picture.h"

namespace tilvex {

// The bytes of a PNG file holding the picture as 8-bit RGB. Empty when the picture is empty
// or the encoder fails.
std::vector<uint8_t> PngFileBytes(const Picture& picture);

}  // namespace tilvex
