#pragma once

// Hue / saturation / value as the colour picker shows them: hue 0..359 degrees,
// saturation and value 0..255.

namespace tilvex {

struct HsvColour {
  int hue = 0;
  int saturation = 0;
  int value = 0;
  bool operator==(const HsvColour&) const = default;
};

struct RgbColour {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const RgbColour&) const = default;
};

// Channels 0..255; results truncated.
HsvColour RgbToHsv(RgbColour rgb);
// Hue 0..359, saturation and value 0..255; results truncated.
RgbColour HsvToRgb(HsvColour hsv);

}  // namespace tilvex
