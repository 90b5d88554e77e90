// How a reduced picture's pixels take their area's colours.
#pragma once

#include <cstdint>

namespace tilvex {

enum class Dither : uint8_t {
  kNone = 0,
  kOrdered = 1,         // an 8 x 8 Bayer threshold map
  kFloydSteinberg = 2,  // error diffusion
};

}  // namespace tilvex
