#pragma once

#include <cstdint>

namespace tilvex {

// An RGB value: red in bits 0-7, green 8-15, blue 16-23, top byte zero.
using Rgb = uint32_t;
// A console colour code; its meaning depends on the colour space in force.
using ColourCode = uint16_t;

enum class ColourSpace : uint8_t {
  kHsl4K = 0,  // "VT03 NEW(4K HSL)": index into the code table
  kRgb4K = 1,  // "TFT RGB(4K RGB)": packed RGB
  kNes64 = 2,  // "VT03 OLD(64 NES)": index into the 64-colour table
};

// The colour space a header byte selects; unknown values act as the 4K HSL space.
inline ColourSpace ColourSpaceOf(uint8_t headerByte) {
  return headerByte == 1   ? ColourSpace::kRgb4K
         : headerByte == 2 ? ColourSpace::kNes64
                           : ColourSpace::kHsl4K;
}

inline constexpr Rgb MakeRgb(uint32_t red, uint32_t green, uint32_t blue) {
  return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}
inline constexpr uint32_t RedOf(Rgb rgb) {
  return rgb & 0xFF;
}
inline constexpr uint32_t GreenOf(Rgb rgb) {
  return rgb >> 8 & 0xFF;
}
inline constexpr uint32_t BlueOf(Rgb rgb) {
  return rgb >> 16 & 0xFF;
}

// Squared distance over the 8-bit channels.
inline constexpr int32_t ColourDistance(Rgb a, Rgb b) {
  const int32_t dr = static_cast<int32_t>(RedOf(a)) - static_cast<int32_t>(RedOf(b));
  const int32_t dg = static_cast<int32_t>(GreenOf(a)) - static_cast<int32_t>(GreenOf(b));
  const int32_t db = static_cast<int32_t>(BlueOf(a)) - static_cast<int32_t>(BlueOf(b));
  return dr * dr + dg * dg + db * db;
}

}  // namespace tilvex
