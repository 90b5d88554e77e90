#include "palette/hsv.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tilvex {
namespace {

TEST(Hsv, PrimariesAndGreys) {
  EXPECT_EQ(RgbToHsv({255, 0, 0}), (HsvColour{0, 255, 255}));
  EXPECT_EQ(RgbToHsv({0, 0, 255}), (HsvColour{240, 255, 255}));
  EXPECT_EQ(RgbToHsv({0, 255, 0}), (HsvColour{120, 255, 255}));
  EXPECT_EQ(RgbToHsv({128, 128, 128}), (HsvColour{0, 0, 128}));
  EXPECT_EQ(RgbToHsv({0, 0, 0}), (HsvColour{0, 0, 0}));
  // Red highest, blue above green: a negative sector wraps to the top of the circle.
  EXPECT_EQ(RgbToHsv({255, 0, 128}), (HsvColour{329, 255, 255}));
  // Truncation, not rounding: (200 - 100) / 200 x 255 = 127.5.
  EXPECT_EQ(RgbToHsv({200, 100, 100}).saturation, 127);
  EXPECT_EQ(HsvToRgb({60, 255, 255}), (RgbColour{255, 255, 0}));
  EXPECT_EQ(HsvToRgb({77, 0, 200}), (RgbColour{200, 200, 200}));  // no saturation: grey
}

// The picker's formulas worked out again in exact integer arithmetic, laid out the
// textbook way (one tent-shaped curve per channel around the hue circle) rather than by the
// sectors the conversion uses.
RgbColour ExactHsvToRgb(int h, int s, int v) {
  auto channel = [&](int offset) {
    const int k = (offset + h) % 360;                          // in sixtieths of a sector
    const int tent = std::max(0, std::min({k, 240 - k, 60}));  // 0..60
    return (v * 15300 - s * v * tent) / 15300;                 // v - c x tent / 60, floored
  };
  return {channel(300), channel(180), channel(60)};
}

HsvColour ExactRgbToHsv(int r, int g, int b) {
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
  if (d == 0) return {0, 0, mx};
  int sixtyTimes;  // 60 x the hue sector position, times d
  if (r == mx) {
    sixtyTimes = 60 * (g - b) + (g < b ? 360 * d : 0);
  } else if (g == mx) {
    sixtyTimes = 60 * (b - r) + 120 * d;
  } else {
    sixtyTimes = 60 * (r - g) + 240 * d;
  }
  return {sixtyTimes / d % 360, 255 * d / mx, mx};
}

TEST(Hsv, BothWaysMatchTheFormulasWorkedOutExactly) {
  for (int s : {0, 1, 64, 128, 200, 254, 255}) {
    for (int v : {0, 1, 37, 128, 200, 255}) {
      for (int h = 0; h < 360; ++h) {
        const RgbColour rgb = ExactHsvToRgb(h, s, v);
        ASSERT_EQ(HsvToRgb({h, s, v}), rgb) << h << " " << s << " " << v;
        const HsvColour exact = ExactRgbToHsv(rgb.red, rgb.green, rgb.blue);
        ASSERT_EQ(RgbToHsv(rgb), exact) << rgb.red << " " << rgb.green << " " << rgb.blue;
      }
    }
  }
  // Colours off the sweep too: a grid through the whole cube.
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 15) {
      for (int b = 0; b < 256; b += 15) ASSERT_EQ(RgbToHsv({r, g, b}), ExactRgbToHsv(r, g, b));
    }
  }
}

}  // namespace
}  // namespace tilvex
