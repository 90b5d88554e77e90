// The pixels the drawing tools cover: lines, box outlines, stamps, spray and flood fill.
#include "app/paint_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace tilvex {
namespace {

bool Touching(PixelPoint a, PixelPoint b) {
  return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
}

bool Has(const PixelList& pixels, PixelPoint p) {
  return std::find(pixels.begin(), pixels.end(), p) != pixels.end();
}

TEST(PaintLines, RunFromEndToEndWithoutGapsOrRepeats) {
  EXPECT_EQ(LinePixels({3, 4}, {3, 4}), (PixelList{{3, 4}}));
  const PixelPoint ends[][2] = {
      {{0, 0}, {9, 3}}, {{5, 5}, {-4, 7}}, {{2, 9}, {4, 0}}, {{0, 0}, {6, 6}}, {{7, 2}, {0, 2}}};
  for (const auto& [from, to] : ends) {
    const PixelList line = LinePixels(from, to);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.front(), from);
    EXPECT_EQ(line.back(), to);
    // One pixel per step along the longer axis: nothing doubled, nothing skipped.
    const int longer = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    EXPECT_EQ(int(line.size()), longer + 1);
    for (size_t i = 1; i < line.size(); ++i) EXPECT_TRUE(Touching(line[i - 1], line[i]));
    // Each pixel lies within half a pixel of the true line, across its main direction.
    for (const PixelPoint& p : line) {
      const int across = (p.x - from.x) * (to.y - from.y) - (p.y - from.y) * (to.x - from.x);
      EXPECT_LE(2 * std::abs(across), longer) << p.x << "," << p.y;
    }
  }
  // The Line shape is the same pixels, whatever way round it is dragged.
  PixelList forward = LinePixels({0, 0}, {9, 3});
  std::sort(forward.begin(), forward.end());
  EXPECT_EQ(ShapePixels(Shape::kLine, {0, 0}, {9, 3}), forward);
}

// Each outline stays inside its box, reaches all four sides, is mirror-symmetric both ways,
// is a closed ring (every pixel has two neighbours on it) and does not depend on which
// corner the drag started from.
TEST(PaintShapes, OutlinesFillTheirBoxEdgeToEdge) {
  const PixelPoint boxes[][2] = {{{0, 0}, {10, 6}},    {{9, 5}, {0, 0}},   {{3, 2}, {5, 4}},
                                 {{-5, -5}, {40, 20}}, {{0, 0}, {12, 12}}, {{2, 1}, {3, 2}}};
  for (Shape shape : {Shape::kRectangle, Shape::kRound, Shape::kOval}) {
    for (const auto& [a, b] : boxes) {
      SCOPED_TRACE(testing::Message() << int(shape) << " " << a.x << "," << a.y);
      const PixelList outline = ShapePixels(shape, a, b);
      EXPECT_EQ(outline, ShapePixels(shape, b, a));
      EXPECT_EQ(outline, ShapePixels(shape, {a.x, b.y}, {b.x, a.y}));
      const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
      const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
      std::set<int> xs, ys;
      for (const PixelPoint& p : outline) {
        EXPECT_TRUE(p.x >= left && p.x <= right && p.y >= top && p.y <= bottom);
        EXPECT_TRUE(Has(outline, {left + right - p.x, p.y}));
        EXPECT_TRUE(Has(outline, {p.x, top + bottom - p.y}));
        const auto neighbours = std::count_if(
            outline.begin(), outline.end(), [&](PixelPoint q) { return q != p && Touching(p, q); });
        EXPECT_GE(neighbours, 2);
        xs.insert(p.x);
        ys.insert(p.y);
      }
      EXPECT_TRUE(xs.count(left) && xs.count(right) && ys.count(top) && ys.count(bottom));
    }
  }
}

TEST(PaintShapes, EachShapeHasItsOwnCorners) {
  const PixelList rectangle = ShapePixels(Shape::kRectangle, {0, 0}, {10, 6});
  EXPECT_EQ(rectangle.size(), size_t(2 * 11 + 2 * 7 - 4));
  EXPECT_TRUE(Has(rectangle, {0, 0}) && Has(rectangle, {10, 6}));
  // The rounded one leaves the corners out but keeps the straight middle of each side.
  const PixelList round = ShapePixels(Shape::kRound, {0, 0}, {30, 20});
  EXPECT_FALSE(Has(round, {0, 0}) || Has(round, {1, 1}) || Has(round, {30, 20}));
  EXPECT_TRUE(Has(round, {kRoundCorner, 0}) && Has(round, {0, kRoundCorner}));
  EXPECT_TRUE(Has(round, {15, 0}) && Has(round, {30, 10}));
  // The oval touches each side only around its middle.
  const PixelList oval = ShapePixels(Shape::kOval, {0, 0}, {10, 6});
  EXPECT_TRUE(Has(oval, {5, 0}) && Has(oval, {0, 3}) && Has(oval, {10, 3}) && Has(oval, {5, 6}));
  EXPECT_FALSE(Has(oval, {0, 0}) || Has(oval, {1, 0}) || Has(oval, {0, 1}));
}

TEST(PaintShapes, DegenerateBoxesGiveAPointOrAStraightRun) {
  for (Shape shape : {Shape::kLine, Shape::kRectangle, Shape::kRound, Shape::kOval}) {
    SCOPED_TRACE(int(shape));
    EXPECT_EQ(ShapePixels(shape, {4, 7}, {4, 7}), (PixelList{{4, 7}}));
    EXPECT_EQ(ShapePixels(shape, {2, 3}, {2, 7}),
              (PixelList{{2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}}));
    EXPECT_EQ(ShapePixels(shape, {5, 1}, {2, 1}), (PixelList{{2, 1}, {3, 1}, {4, 1}, {5, 1}}));
  }
  // Two pixels high: both rows, end to end, for the oval too.
  EXPECT_EQ(ShapePixels(Shape::kOval, {0, 0}, {11, 1}).size(), size_t(24));
}

TEST(PaintStamps, SquaresRoundsAndPaths) {
  EXPECT_EQ(StampPixels({3, 3}, kPenStamp), (PixelList{{3, 3}}));
  const PixelList eraser = StampPixels({10, 10}, kEraserStamp);
  EXPECT_EQ(eraser.size(), size_t(kEraserStamp.size * kEraserStamp.size));
  EXPECT_EQ(*std::min_element(eraser.begin(), eraser.end()), (PixelPoint{6, 6}));
  EXPECT_EQ(*std::max_element(eraser.begin(), eraser.end()), (PixelPoint{13, 13}));
  // A round 5: the square less its four corners, centred on the point.
  const PixelList brush = StampPixels({10, 10}, kBrushStamp);
  EXPECT_EQ(brush.size(), size_t(21));
  EXPECT_TRUE(Has(brush, {10, 10}) && Has(brush, {8, 10}) && Has(brush, {12, 11}));
  EXPECT_FALSE(Has(brush, {8, 8}) || Has(brush, {12, 12}));
  // Along a path: a stamp at every pixel of the line between, each pixel once.
  PixelList one = StampPixels({2, 2}, kBrushStamp);
  std::sort(one.begin(), one.end());
  EXPECT_EQ(StampPath({2, 2}, {2, 2}, kBrushStamp), one);
  const PixelList path = StampPath({2, 2}, {30, 9}, kBrushStamp);
  EXPECT_TRUE(std::is_sorted(path.begin(), path.end()));
  EXPECT_EQ(std::adjacent_find(path.begin(), path.end()), path.end());
  for (const PixelPoint& p : LinePixels({2, 2}, {30, 9})) {
    for (const PixelPoint& q : StampPixels(p, kBrushStamp)) EXPECT_TRUE(Has(path, q));
  }
}

TEST(PaintSpray, BurstsAreCountedBoundedAndRepeatable) {
  SprayCan can(42), same(42);
  const PixelList first = can.Burst({50, 60}, 8, 12);
  ASSERT_EQ(first.size(), size_t(12));
  for (const PixelPoint& p : first)
    EXPECT_LE((p.x - 50) * (p.x - 50) + (p.y - 60) * (p.y - 60), 64);
  EXPECT_EQ(same.Burst({50, 60}, 8, 12), first);
  EXPECT_NE(can.Burst({50, 60}, 8, 12), first);  // the next burst goes elsewhere
  // Over many bursts the dots spread over the whole disc, not one corner of it.
  std::set<PixelPoint> spread;
  for (int i = 0; i < 100; ++i) {
    for (const PixelPoint& p : can.Burst({0, 0}, 3, 10)) spread.insert(p);
  }
  EXPECT_EQ(spread.size(), size_t(29));  // every pixel within 3 of the centre
  EXPECT_EQ(can.Burst({7, 7}, 0, 3), (PixelList{{7, 7}, {7, 7}, {7, 7}}));
}

Picture Filled(int width, int height, Rgb rgb) {
  Picture picture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.Set(x, y, rgb);
  }
  return picture;
}

TEST(PaintFill, FillsTheFourConnectedRegionOfExactlyTheClickedColour) {
  // A wall in column 4 with a diagonal gap: four-connected filling does not leak through a
  // corner, and a pixel one step of blue away is not the same colour.
  Picture picture = Filled(9, 5, 0xFFFFFF);
  for (int y = 0; y < 5; ++y) picture.Set(4, y, 0x000000);
  picture.Set(4, 2, 0xFFFFFF);
  picture.Set(3, 2, 0x000000);
  picture.Set(5, 1, 0x000000);
  picture.Set(5, 3, 0x000000);
  picture.Set(0, 4, 0xFFFFFE);
  const PixelMask left = FloodRegion(picture, {0, 0}, 0xFF0000);
  EXPECT_EQ(left.Count(), size_t(4 * 5 - 1 - 1));
  left.ForEach([](int x, int) { EXPECT_LT(x, 4); });
  EXPECT_FALSE(left.Has(0, 4));
  // The region reaches the picture's edges and stops there.
  const PixelMask right = FloodRegion(picture, {8, 4}, 0xFF0000);
  EXPECT_EQ(right.Count(), size_t(4 * 5 - 2 + 1));  // the gap pixel joins the right side
  EXPECT_TRUE(right.Has(4, 2) && right.Has(8, 0) && right.Has(5, 4));
  // Nothing to do: the same colour, or a click outside.
  EXPECT_TRUE(FloodRegion(picture, {0, 0}, 0xFFFFFF).Empty());
  EXPECT_TRUE(FloodRegion(picture, {9, 0}, 0xFF0000).Empty());
  EXPECT_TRUE(FloodRegion(picture, {-1, 2}, 0xFF0000).Empty());
  EXPECT_EQ(FloodRegion(Filled(3, 2, 0x123456), {1, 1}, 0).Count(), size_t(6));
}

// The region a pixel-by-pixel search finds, to hold the scanline fill against.
std::vector<uint8_t> ReferenceRegion(const Picture& picture, PixelPoint at) {
  std::vector<uint8_t> seen(size_t(picture.width * picture.height));
  const Rgb target = picture.At(at.x, at.y);
  std::vector<PixelPoint> pending{at};
  while (!pending.empty()) {
    const PixelPoint p = pending.back();
    pending.pop_back();
    if (!picture.Contains(p.x, p.y) || picture.At(p.x, p.y) != target) continue;
    uint8_t& mark = seen[size_t(p.y * picture.width + p.x)];
    if (mark) continue;
    mark = 1;
    pending.insert(pending.end(), {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
  }
  return seen;
}

// Spirals, combs and U-turns make a scanline fill go back up and down rows it has left; random
// walls of two colours give all of them.
TEST(PaintFill, ScanlineFillFindsWhatAPixelSearchFinds) {
  uint32_t state = 12345;
  for (int round = 0; round < 40; ++round) {
    const int width = 3 + round % 29, height = 2 + round % 17;
    Picture picture = Filled(width, height, 0xFFFFFF);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        state = state * 1664525u + 1013904223u;
        if ((state >> 24) % 5 < 2) picture.Set(x, y, 0x000000);
      }
    }
    const PixelPoint at{int(state % uint32_t(width)), int((state >> 8) % uint32_t(height))};
    const std::vector<uint8_t> expected = ReferenceRegion(picture, at);
    const PixelMask mask = FloodRegion(picture, at, 0x00FF00);
    size_t count = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        EXPECT_EQ(mask.Has(x, y), expected[size_t(y * width + x)] != 0) << round;
        count += expected[size_t(y * width + x)];
      }
    }
    EXPECT_EQ(mask.Count(), count);
  }
}

}  // namespace
}  // namespace tilvex
