#pragma once

// Plain pictures as BMP files.

#include <cstdint>
#include <optional>
#include <vector>

#include "image/bitmap.h"
#include "image/picture.h"

namespace tilvex {

// The bytes of a BMP file holding a picture as 24 bits a pixel: file header, a 40-byte
// header (resolution 3780, image size = padded rows x height), rows bottom-up and padded to
// four bytes with `rowFiller`. Empty when the picture is empty or memory runs out.
std::vector<uint8_t> BmpFileBytes(const Picture& picture, uint8_t rowFiller = 0);

}  // namespace tilvex
