#include "palette/hsv.h"

#include <algorithm>

namespace tilvex {

HsvColour RgbToHsv(RgbColour rgb) {
  const int r = rgb.red, g = rgb.green, b = rgb.blue;
  const int mx = std::max({r, g, b});
  const int mn = std::min({r, g, b});
  HsvColour hsv;
  hsv.value = mx;
  if (mx == mn) return hsv;
  const double span = mx - mn;
  hsv.saturation = static_cast<int>(span / mx * 255);
  double h;
  if (r == mx) {
    h = (g - b) / span;
  } else if (g != mx) {
    h = (r - g) / span + 4;
  } else {
    h = (b - r) / span + 2;
  }
  // Kept in floating point until the end: a hue just below 0 wraps to just below 360.
  double hue = h * 60;
  if (hue < 0) hue += 360;
  if (hue == 360) hue = 0;
  hsv.hue = static_cast<int>(hue);
  return hsv;
}

RgbColour HsvToRgb(HsvColour hsv) {
  const int h = hsv.hue;
  const double v = hsv.value;
  const double c = hsv.saturation * v / 255.0;
  const double m = v - c;
  double r, g, b;
  if (h < 61 || h >= 301) {
    r = v;
    if (h < 61) {
      g = h / 60.0 * c + m;
      b = m;
    } else {
      g = m;
      b = m - (h - 360) / 60.0 * c;
    }
  } else if (h >= 180) {
    b = v;
    if (h < 240) {
      r = m;
      g = m - (h / 60.0 - 4) * c;
    } else {
      g = m;
      r = (h / 60.0 - 4) * c + m;
    }
  } else {
    g = v;
    if (h >= 120) {
      r = m;
      b = (h / 60.0 - 2) * c + m;
    } else {
      b = m;
      r = m - (h / 60.0 - 2) * c;
    }
  }
  return {static_cast<int>(r), static_cast<int>(g), static_cast<int>(b)};
}

}  // namespace tilvex
