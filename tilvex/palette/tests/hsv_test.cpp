#include "palette/hsv.h"

#include <gtest/gtest.h>

namespace tilvex {
namespace {

TEST(RgbToHsv, PrimariesAndGreys) {
  EXPECT_EQ(RgbToHsv({255, 0, 0}), (HsvColour{0, 255, 255}));
  EXPECT_EQ(RgbToHsv({0, 0, 255}), (HsvColour{240, 255, 255}));
  EXPECT_EQ(RgbToHsv({0, 255, 0}), (HsvColour{120, 255, 255}));
  EXPECT_EQ(RgbToHsv({128, 128, 128}), (HsvColour{0, 0, 128}));
  EXPECT_EQ(RgbToHsv({0, 0, 0}), (HsvColour{0, 0, 0}));
  // Red highest, blue above green: a negative sector wraps to the top of the circle.
  EXPECT_EQ(RgbToHsv({255, 0, 128}), (HsvColour{329, 255, 255}));
  // Truncation, not rounding: (200 - 100) / 200 x 255 = 127.5.
  EXPECT_EQ(RgbToHsv({200, 100, 100}).saturation, 127);
}

TEST(HsvToRgb, SectorsMeetTheirNeighbours) {
  EXPECT_EQ(HsvToRgb({120, 255, 255}), (RgbColour{0, 255, 0}));
  EXPECT_EQ(HsvToRgb({0, 255, 255}), (RgbColour{255, 0, 0}));
  EXPECT_EQ(HsvToRgb({240, 255, 255}), (RgbColour{0, 0, 255}));
  EXPECT_EQ(HsvToRgb({60, 255, 255}), (RgbColour{255, 255, 0}));
  EXPECT_EQ(HsvToRgb({300, 255, 255}), (RgbColour{255, 0, 255}));
  EXPECT_EQ(HsvToRgb({180, 255, 255}), (RgbColour{0, 255, 255}));
  EXPECT_EQ(HsvToRgb({77, 0, 200}), (RgbColour{200, 200, 200}));  // no saturation: grey
  EXPECT_EQ(HsvToRgb({359, 255, 0}), (RgbColour{0, 0, 0}));
}

TEST(HsvToRgb, RoundTripsStayWithinTruncationError) {
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 15) {
      for (int b = 0; b < 256; b += 15) {
        const RgbColour back = HsvToRgb(RgbToHsv({r, g, b}));
        EXPECT_NEAR(back.red, r, 6);
        EXPECT_NEAR(back.green, g, 6);
        EXPECT_NEAR(back.blue, b, 6);
      }
    }
  }
}

}  // namespace
}  // namespace tilvex
