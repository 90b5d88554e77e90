#pragma once
// Which picture pixels each drawing tool of the picture view covers: lines, the outlines of
// dragged boxes, round and square stamps, spray dots and flood fills. The view draws them
// through the document; here they are plain arithmetic, so they can be checked alone.
#include <cstdint>
#include <vector>

#include "app/pixel_mask.h"
#include "image/colour.h"
#include "image/picture.h"

namespace tilvex {

struct PixelPoint {
  int x = 0;
  int y = 0;
  auto operator<=>(const PixelPoint&) const = default;
};
using PixelList = std::vector<PixelPoint>;

// Both ends included, each pixel once, every pixel touching the next (8-connected).
PixelList LinePixels(PixelPoint from, PixelPoint to);

// The shapes drawn by dragging from one point to another. The box ones take the two points
// as opposite corners (in any order, both inside the box) and draw only the outline.
enum class Shape { kLine, kRectangle, kRound, kOval };
// Corner radius of the rounded rectangle; smaller boxes get the largest that fits.
inline constexpr int kRoundCorner = 6;
// Sorted, each pixel once. The points may lie outside any picture.
PixelList ShapePixels(Shape shape, PixelPoint from, PixelPoint to);

// A size x size square around a point (the extra row and column of an even size go to the
// top left); a round stamp leaves out the pixels whose centres lie outside the inscribed disc.
// Sorted, like every list here but the spray's and the fill's.
struct Stamp {
  int size = 1;
  bool round = false;
};
inline constexpr Stamp kPenStamp{1, false};
inline constexpr Stamp kEraserStamp{8, false};
inline constexpr Stamp kBrushStamp{5, true};
PixelList StampPixels(PixelPoint at, Stamp stamp);
// A stamp moved from one mouse position to the next leaves its mark at every pixel of the
// line between, so a quick stroke stays unbroken. Sorted, each pixel once.
PixelList StampPath(PixelPoint from, PixelPoint to, Stamp stamp);

inline constexpr int kSprayRadius = 8;
inline constexpr int kSprayDots = 12;
inline constexpr uint32_t kSpraySeed = 0x7115EEDu;

// Dots at random within a disc. A can started from the same seed gives the same dots, which
// is what makes a spray stroke repeatable in tests.
class SprayCan {
 public:
  explicit SprayCan(uint32_t seed = kSpraySeed) : state_(seed) {}
  // count dots within radius of the point (some may fall on the same pixel).
  PixelList Burst(PixelPoint at, int radius = kSprayRadius, int count = kSprayDots);

 private:
  int Below(int n);
  uint32_t state_;
};

// The pixels of exactly the colour at the point that it reaches through their four
// neighbours; none when the point lies outside the picture or already has the fill colour.
PixelMask FloodRegion(const Picture& picture, PixelPoint at, Rgb fill);
// The same region, painted in the fill colour.
PixelMask FloodFill(Picture& picture, PixelPoint at, Rgb fill);
// Every pixel of the colour.
PixelMask PixelsOfColour(const Picture& picture, Rgb colour);

}  // namespace tilvex
