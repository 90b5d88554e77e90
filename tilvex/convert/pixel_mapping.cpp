#include "convert/pixel_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tilvex {
namespace {

// The 8 x 8 Bayer matrix of ordered dithering (Bayer 1973).
constexpr int kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                              {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                              {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                              {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// The nearest colour of the list, ties to the first.
Rgb NearestOf(const std::vector<Rgb>& colours, float r, float g, float b) {
  Rgb best = colours.front();
  float bestDistance = std::numeric_limits<float>::max();
  for (Rgb c : colours) {
    const float dr = r - float(RedOf(c)), dg = g - float(GreenOf(c)), db = b - float(BlueOf(c));
    const float d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = c;
    }
  }
  return best;
}

class Mapper {
 public:
  Mapper(const Picture& source, const AreaGrid& grid, const std::vector<std::vector<Rgb>>& colours,
         Picture& out)
      : source_(source), grid_(grid), colours_(colours), out_(out) {}

  const std::vector<Rgb>& ColoursAt(int x, int y) const {
    const int a = (y - grid_.top) / kAreaSide * grid_.Columns() + (x - grid_.left) / kAreaSide;
    return colours_[size_t(a)];
  }

  void Plain(int y) {
    for (int x = grid_.left; x < grid_.right; ++x) {
      const Rgb rgb = source_.At(x, y);
      out_.Set(x, y, NearestOf(ColoursAt(x, y), RedOf(rgb), GreenOf(rgb), BlueOf(rgb)));
    }
  }

  // The threshold's reach follows how far the area's plain mapping strays, so an area its
  // palette codes exactly stays clean and a coarse one gets a wide pattern.
  void Ordered(int y) {
    for (int x = grid_.left; x < grid_.right; ++x) {
      const float reach = Reach(x, y);
      const float t = (float(kBayer[y & 7][x & 7]) + 0.5f) / 64.0f - 0.5f;
      const Rgb rgb = source_.At(x, y);
      const float r = std::clamp(float(RedOf(rgb)) + t * reach, 0.0f, 255.0f);
      const float g = std::clamp(float(GreenOf(rgb)) + t * reach, 0.0f, 255.0f);
      const float b = std::clamp(float(BlueOf(rgb)) + t * reach, 0.0f, 255.0f);
      out_.Set(x, y, NearestOf(ColoursAt(x, y), r, g, b));
    }
  }

  // Floyd and Steinberg (1976) error diffusion, serpentine, each pixel choosing among its
  // own area's colours; the error flows on across area edges.
  void Diffused(int y) {
    const int width = grid_.right - grid_.left;
    if (current_.empty()) {
      current_.assign(size_t(width + 2) * 3, 0.0f);
      next_.assign(size_t(width + 2) * 3, 0.0f);
    }
    std::swap(current_, next_);
    std::fill(next_.begin(), next_.end(), 0.0f);
    const bool leftward = ((y - grid_.top) & 1) != 0;
    const int dir = leftward ? -1 : 1;
    for (int i = 0; i < width; ++i) {
      const int col = leftward ? width - 1 - i : i;
      const int x = grid_.left + col;
      const Rgb rgb = source_.At(x, y);
      float* e = &current_[size_t(col + 1) * 3];
      const float v[3] = {std::clamp(float(RedOf(rgb)) + e[0], 0.0f, 255.0f),
                          std::clamp(float(GreenOf(rgb)) + e[1], 0.0f, 255.0f),
                          std::clamp(float(BlueOf(rgb)) + e[2], 0.0f, 255.0f)};
      const Rgb chosen = NearestOf(ColoursAt(x, y), v[0], v[1], v[2]);
      out_.Set(x, y, chosen);
      const float err[3] = {v[0] - float(RedOf(chosen)), v[1] - float(GreenOf(chosen)),
                            v[2] - float(BlueOf(chosen))};
      for (int c = 0; c < 3; ++c) {
        current_[size_t(col + 1 + dir) * 3 + size_t(c)] += err[c] * 7.0f / 16.0f;
        next_[size_t(col + 1 - dir) * 3 + size_t(c)] += err[c] * 3.0f / 16.0f;
        next_[size_t(col + 1) * 3 + size_t(c)] += err[c] * 5.0f / 16.0f;
        next_[size_t(col + 1 + dir) * 3 + size_t(c)] += err[c] * 1.0f / 16.0f;
      }
    }
  }

 private:
  float Reach(int x, int y) {
    const int a = (y - grid_.top) / kAreaSide * grid_.Columns() + (x - grid_.left) / kAreaSide;
    if (reach_.empty()) reach_.assign(colours_.size(), -1.0f);
    float& reach = reach_[size_t(a)];
    if (reach < 0) {
      const int ax = grid_.left + (x - grid_.left) / kAreaSide * kAreaSide;
      const int ay = grid_.top + (y - grid_.top) / kAreaSide * kAreaSide;
      double sum = 0;
      int count = 0;
      for (int py = ay; py < std::min(ay + kAreaSide, grid_.bottom); ++py) {
        for (int px = ax; px < std::min(ax + kAreaSide, grid_.right); ++px) {
          const Rgb rgb = source_.At(px, py);
          sum += ColourDistance(
              rgb, NearestOf(colours_[size_t(a)], RedOf(rgb), GreenOf(rgb), BlueOf(rgb)));
          ++count;
        }
      }
      reach = std::min(64.0f, 2.0f * float(std::sqrt(sum / std::max(count, 1) / 3.0)));
    }
    return reach;
  }

  const Picture& source_;
  const AreaGrid& grid_;
  const std::vector<std::vector<Rgb>>& colours_;
  Picture& out_;
  std::vector<float> current_, next_;
  std::vector<float> reach_;
};

}  // namespace

bool MapPixels(const Picture& source, const AreaGrid& grid,
               const std::vector<std::vector<Rgb>>& colours, Dither dither, Picture& out,
               Progress& progress) {
  Mapper mapper(source, grid, colours, out);
  for (int y = grid.top; y < grid.bottom; ++y) {
    switch (dither) {
      case Dither::kOrdered:
        mapper.Ordered(y);
        break;
      case Dither::kFloydSteinberg:
        mapper.Diffused(y);
        break;
      case Dither::kNone:
      default:
        mapper.Plain(y);
        break;
    }
    if ((y - grid.top) % kAreaSide == kAreaSide - 1 || y + 1 == grid.bottom) {
      progress.Step();
      if (progress.Cancelled()) return false;
    }
  }
  return true;
}

}  // namespace tilvex
