#include "app/paint_tools.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tilvex {
namespace {

void SortUnique(PixelList& pixels) {
  std::sort(pixels.begin(), pixels.end());
  pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
}

struct Box {
  int left, top, right, bottom;  // all inclusive
};

Box BoxOf(PixelPoint a, PixelPoint b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void AddRectangle(const Box& box, PixelList& out) {
  for (int x = box.left; x <= box.right; ++x) {
    out.push_back({x, box.top});
    out.push_back({x, box.bottom});
  }
  for (int y = box.top; y <= box.bottom; ++y) {
    out.push_back({box.left, y});
    out.push_back({box.right, y});
  }
}

// The ellipse through the middles of the box's sides, stepped one pixel at a time along the
// error of the implicit equation. 64-bit terms, since a drag far past a zoomed-out picture
// makes boxes tens of thousands of pixels wide. Boxes one pixel wide stop the main loop
// early; the tips are then finished as a straight run.
void AddEllipse(const Box& box, PixelList& out) {
  const int64_t a = box.right - box.left, b = box.bottom - box.top, odd = b & 1;
  int64_t dx = 4 * (1 - a) * b * b, dy = 4 * (odd + 1) * a * a;
  int64_t err = dx + dy + odd * a * a;
  int x0 = box.left, x1 = box.right;
  int y0 = box.top + int((b + 1) / 2), y1 = y0 - int(odd);
  const int64_t stepY = 8 * a * a, stepX = 8 * b * b;
  do {
    out.insert(out.end(), {{x1, y0}, {x0, y0}, {x0, y1}, {x1, y1}});
    const int64_t e2 = 2 * err;
    if (e2 <= dy) {
      ++y0;
      --y1;
      err += dy += stepY;
    }
    if (e2 >= dx || 2 * err > dy) {
      ++x0;
      --x1;
      err += dx += stepX;
    }
  } while (x0 <= x1);
  while (y0 - y1 <= b) {
    out.insert(out.end(), {{x0 - 1, y0}, {x1 + 1, y0}, {x0 - 1, y1}, {x1 + 1, y1}});
    ++y0;
    --y1;
  }
}

// Straight sides between the corners and a quarter of a circle of the corner radius in each
// corner, taken from the circle drawn in a box of twice the radius.
void AddRoundRectangle(const Box& box, PixelList& out) {
  const int r = std::min({kRoundCorner, (box.right - box.left) / 2, (box.bottom - box.top) / 2});
  if (r <= 0) return AddRectangle(box, out);
  for (int x = box.left + r; x <= box.right - r; ++x) {
    out.push_back({x, box.top});
    out.push_back({x, box.bottom});
  }
  for (int y = box.top + r; y <= box.bottom - r; ++y) {
    out.push_back({box.left, y});
    out.push_back({box.right, y});
  }
  PixelList circle;
  AddEllipse({0, 0, 2 * r, 2 * r}, circle);
  for (const PixelPoint& p : circle) {
    if (p.x == r || p.y == r) continue;  // on a straight side
    out.push_back({p.x < r ? box.left + p.x : box.right - 2 * r + p.x,
                   p.y < r ? box.top + p.y : box.bottom - 2 * r + p.y});
  }
}

}  // namespace

PixelList LinePixels(PixelPoint from, PixelPoint to) {
  PixelList out;
  const int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
  const int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
  int err = dx + dy;
  for (PixelPoint p = from;;) {
    out.push_back(p);
    if (p == to) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      p.x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      p.y += sy;
    }
  }
  return out;
}

PixelList ShapePixels(Shape shape, PixelPoint from, PixelPoint to) {
  PixelList out;
  switch (shape) {
    case Shape::kLine:
      out = LinePixels(from, to);
      break;
    case Shape::kRectangle:
      AddRectangle(BoxOf(from, to), out);
      break;
    case Shape::kRound:
      AddRoundRectangle(BoxOf(from, to), out);
      break;
    case Shape::kOval:
      AddEllipse(BoxOf(from, to), out);
      break;
  }
  SortUnique(out);
  return out;
}

PixelList StampPixels(PixelPoint at, Stamp stamp) {
  PixelList out;
  const int size = std::max(1, stamp.size), left = at.x - size / 2, top = at.y - size / 2;
  for (int dx = 0; dx < size; ++dx) {
    for (int dy = 0; dy < size; ++dy) {
      // Twice the distance of the pixel's centre from the stamp's centre, against the size.
      const int u = 2 * dx + 1 - size, v = 2 * dy + 1 - size;
      if (!stamp.round || u * u + v * v <= size * size) out.push_back({left + dx, top + dy});
    }
  }
  return out;
}

PixelList StampPath(PixelPoint from, PixelPoint to, Stamp stamp) {
  PixelList out;
  for (const PixelPoint& p : LinePixels(from, to)) {
    const PixelList one = StampPixels(p, stamp);
    out.insert(out.end(), one.begin(), one.end());
  }
  SortUnique(out);
  return out;
}

// A linear congruential generator, its high bits only: the same on every compiler, unlike
// the standard library's distributions.
int SprayCan::Below(int n) {
  state_ = state_ * 1664525u + 1013904223u;
  return int((state_ >> 8) % uint32_t(n));
}

PixelList SprayCan::Burst(PixelPoint at, int radius, int count) {
  PixelList out;
  radius = std::max(0, radius);
  while (int(out.size()) < count) {
    const int dx = Below(2 * radius + 1) - radius, dy = Below(2 * radius + 1) - radius;
    if (dx * dx + dy * dy <= radius * radius) out.push_back({at.x + dx, at.y + dy});
  }
  return out;
}

// Scanline fill: each run of the colour is found whole along its row and painted at once, and
// only the starts of the runs it touches above and below wait on the stack, so the stack
// holds runs rather than pixels. A painted pixel no longer has the colour, so nothing is
// visited twice.
PixelMask FloodFill(Picture& picture, PixelPoint at, Rgb fill) {
  if (!picture.Contains(at.x, at.y)) return {};
  const Rgb target = picture.At(at.x, at.y);
  if (target == fill) return {};
  const uint8_t r = uint8_t(RedOf(target)), g = uint8_t(GreenOf(target)),
                b = uint8_t(BlueOf(target));
  const auto open = [&](const uint8_t* p) { return p[0] == r && p[1] == g && p[2] == b; };
  PixelMask mask(picture.width, picture.height);
  std::vector<PixelPoint> pending{at};
  while (!pending.empty()) {
    const PixelPoint p = pending.back();
    pending.pop_back();
    uint8_t* row = picture.Row(p.y);
    if (!open(row + 3 * p.x)) continue;
    int left = p.x, right = p.x;
    while (left > 0 && open(row + 3 * (left - 1))) --left;
    while (right + 1 < picture.width && open(row + 3 * (right + 1))) ++right;
    for (int x = left; x <= right; ++x) picture.Set(x, p.y, fill);
    mask.AddRun(left, right, p.y);
    for (const int y : {p.y - 1, p.y + 1}) {
      if (y < 0 || y >= picture.height) continue;
      const uint8_t* next = picture.Row(y);
      bool inRun = false;
      for (int x = left; x <= right; ++x) {
        const bool o = open(next + 3 * x);
        if (o && !inRun) pending.push_back({x, y});
        inRun = o;
      }
    }
  }
  return mask;
}

PixelMask FloodRegion(const Picture& picture, PixelPoint at, Rgb fill) {
  Picture copy = picture;
  return FloodFill(copy, at, fill);
}

PixelMask PixelsOfColour(const Picture& picture, Rgb colour) {
  PixelMask mask(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (picture.At(x, y) == colour) mask.Add(x, y);
    }
  }
  return mask;
}

}  // namespace tilvex
