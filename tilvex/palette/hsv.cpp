#include "palette/hsv.h"

#include <algorithm>

namespace tilvex {
namespace {

// m + c x sixtieths / 60 with c = saturation x value / 255 and m = value - c, truncated.
// Worked over the common denominator 255 x 60 so that a channel that is a whole number is
// not lost to rounding (4.1 x 60 in floating point is just below 246).
int Mix(int saturation, int value, int sixtieths) {
  constexpr int kDenominator = 255 * 60;
  const int sv = saturation * value;
  return (value * kDenominator - sv * 60 + sv * sixtieths) / kDenominator;
}

}  // namespace

HsvColour RgbToHsv(RgbColour rgb) {
  const int r = rgb.red, g = rgb.green, b = rgb.blue;
  const int mx = std::max({r, g, b});
  const int mn = std::min({r, g, b});
  HsvColour hsv;
  hsv.value = mx;
  if (mx == mn) return hsv;
  const int span = mx - mn;
  // Each quotient is formed from whole numbers in one division, so a whole result stays
  // whole and anything else lies far enough from the next whole number to truncate safely.
  hsv.saturation = static_cast<int>(255.0 * span / mx);
  double hue;
  if (r == mx) {
    hue = 60.0 * (g - b) / span;
  } else if (g != mx) {
    hue = 60.0 * (r - g + 4 * span) / span;
  } else {
    hue = 60.0 * (b - r + 2 * span) / span;
  }
  if (hue < 0) hue += 360;
  if (hue == 360) hue = 0;
  hsv.hue = static_cast<int>(hue);
  return hsv;
}

RgbColour HsvToRgb(HsvColour hsv) {
  const int h = std::clamp(hsv.hue, 0, 359);
  const int s = hsv.saturation, v = hsv.value;
  const int m = Mix(s, v, 0);
  if (h < 61 || h >= 301) {
    if (h < 61) return {v, Mix(s, v, h), m};
    return {v, m, Mix(s, v, 360 - h)};
  }
  if (h >= 180) {
    if (h < 240) return {m, Mix(s, v, 240 - h), v};
    return {Mix(s, v, h - 240), m, v};
  }
  if (h >= 120) return {m, v, Mix(s, v, h - 120)};
  return {Mix(s, v, 120 - h), v, m};
}

}  // namespace tilvex
