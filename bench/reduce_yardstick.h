// The plain way to hold a picture in the console's palettes, to measure colour reduction
// against: the 16 x 16 areas grouped by k-means of their colour histograms into 16 groups,
// k-means colours per group, snapped to the colours the console shows. The background is the
// centre of the largest cluster of a k-means over the whole picture.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "convert/device_colours.h"
#include "convert/palette_gathering.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex::bench {

struct Point3 {
  double v[3];
};

inline double Distance2(const Point3& a, const Point3& b) {
  double d = 0;
  for (int i = 0; i < 3; ++i) d += (a.v[i] - b.v[i]) * (a.v[i] - b.v[i]);
  return d;
}

// A fixed generator, so the yardstick is the same on every run.
struct Lcg {
  uint64_t state = 12345;
  double Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) * (1.0 / 9007199254740992.0);
  }
};

// Lloyd's k-means with k-means++ seeds over points of any dimension; `fixed` centres (given
// first) take part in the assignment but never move.
template <typename P, typename Dist>
std::vector<P> KMeans(const std::vector<P>& points, size_t k, std::vector<P> fixed, Dist dist,
                      Lcg& random, int iterations = 12) {
  std::vector<P> centres = fixed;
  const size_t first = fixed.size();
  if (points.empty()) return centres;
  std::vector<double> d(points.size(), 1e300);
  for (const P& c : centres) {
    for (size_t i = 0; i < points.size(); ++i) d[i] = std::min(d[i], dist(points[i], c));
  }
  while (centres.size() < first + k) {
    double total = 0;
    for (double x : d) total += x < 1e299 ? x : 1.0;
    if (total <= 0) break;
    double pick = random.Next() * total;
    size_t chosen = points.size() - 1;
    for (size_t i = 0; i < points.size(); ++i) {
      if ((pick -= (d[i] < 1e299 ? d[i] : 1.0)) < 0) {
        chosen = i;
        break;
      }
    }
    centres.push_back(points[chosen]);
    for (size_t i = 0; i < points.size(); ++i)
      d[i] = std::min(d[i], dist(points[i], points[chosen]));
  }
  std::vector<size_t> label(points.size());
  for (int it = 0; it < iterations; ++it) {
    for (size_t i = 0; i < points.size(); ++i) {
      size_t best = 0;
      for (size_t c = 1; c < centres.size(); ++c) {
        if (dist(points[i], centres[c]) < dist(points[i], centres[best])) best = c;
      }
      label[i] = best;
    }
    std::vector<P> sum(centres.size());
    std::vector<size_t> count(centres.size(), 0);
    for (auto& s : sum) std::fill(std::begin(s.v), std::end(s.v), 0.0);
    for (size_t i = 0; i < points.size(); ++i) {
      for (size_t j = 0; j < std::size(points[i].v); ++j) sum[label[i]].v[j] += points[i].v[j];
      ++count[label[i]];
    }
    for (size_t c = first; c < centres.size(); ++c) {
      if (count[c] == 0) continue;
      for (size_t j = 0; j < std::size(sum[c].v); ++j)
        centres[c].v[j] = sum[c].v[j] / double(count[c]);
    }
  }
  return centres;
}

struct Histogram {
  double v[64];  // 4 x 4 x 4 bins, as fractions of the area's pixels
};

inline Rgb Snap(const DeviceColours& device, const Point3& p) {
  auto c = [](double x) { return uint32_t(std::clamp(x + 0.5, 0.0, 255.0)); };
  return device.Nearest(MakeRgb(c(p.v[0]), c(p.v[1]), c(p.v[2])));
}

inline Point3 PointOf(Rgb rgb) {
  return {{double(RedOf(rgb)), double(GreenOf(rgb)), double(BlueOf(rgb))}};
}

// Repaints a picture (whose sides are multiples of 16) and fills the slots the way above.
// The plain variant takes the top-left pixel as the background, as the window does, and
// leaves it out of each group's k-means.
inline void YardstickReduce(const Picture& source, int slotsPerPalette, const DeviceColours& device,
                            Picture& out, SlotTable& slots, bool plain = false) {
  Lcg random;
  const int columns = source.width / kAreaSide, rows = source.height / kAreaSide;
  std::vector<Histogram> histograms;
  std::vector<Point3> all;
  for (int ay = 0; ay < rows; ++ay) {
    for (int ax = 0; ax < columns; ++ax) {
      Histogram h{};
      for (int y = 0; y < kAreaSide; ++y) {
        for (int x = 0; x < kAreaSide; ++x) {
          const Rgb rgb = source.At(ax * kAreaSide + x, ay * kAreaSide + y);
          h.v[(RedOf(rgb) >> 6) * 16 + (GreenOf(rgb) >> 6) * 4 + (BlueOf(rgb) >> 6)] += 1.0 / 256;
          all.push_back(PointOf(rgb));
        }
      }
      histograms.push_back(h);
    }
  }
  auto histogramDistance = [](const Histogram& a, const Histogram& b) {
    double d = 0;
    for (int i = 0; i < 64; ++i) d += (a.v[i] - b.v[i]) * (a.v[i] - b.v[i]);
    return d;
  };
  const std::vector<Histogram> groups =
      KMeans(histograms, kPaletteCount, {}, histogramDistance, random);
  std::vector<size_t> groupOf(histograms.size());
  for (size_t a = 0; a < histograms.size(); ++a) {
    size_t best = 0;
    for (size_t g = 1; g < groups.size(); ++g) {
      if (histogramDistance(histograms[a], groups[g]) <
          histogramDistance(histograms[a], groups[best]))
        best = g;
    }
    groupOf[a] = best;
  }

  // The background: the centre of the largest of N clusters of all pixels.
  const std::vector<Point3> global = KMeans(all, size_t(slotsPerPalette), {}, Distance2, random, 6);
  std::vector<size_t> weight(global.size(), 0);
  for (const Point3& p : all) {
    size_t best = 0;
    for (size_t c = 1; c < global.size(); ++c) {
      if (Distance2(p, global[c]) < Distance2(p, global[best])) best = c;
    }
    ++weight[best];
  }
  const Rgb background =
      plain ? device.Nearest(source.At(0, 0))
            : Snap(device,
                   global[size_t(std::max_element(weight.begin(), weight.end()) - weight.begin())]);

  out = source;
  slots = SlotTable{};
  for (int p = 0; p < kPaletteCount; ++p) slots.At(p, 0) = {background, 1};
  for (size_t g = 0; g < groups.size(); ++g) {
    std::vector<Point3> pixels;
    for (size_t a = 0; a < groupOf.size(); ++a) {
      if (groupOf[a] != g) continue;
      for (int i = 0; i < kAreaSide * kAreaSide; ++i) pixels.push_back(all[a * 256 + size_t(i)]);
    }
    if (pixels.empty()) continue;
    const std::vector<Point3> centres =
        KMeans(pixels, size_t(slotsPerPalette - 1), {PointOf(background)}, Distance2, random);
    std::vector<Rgb> colours = {background};
    for (size_t c = 1; c < centres.size(); ++c) {
      const Rgb rgb = Snap(device, centres[c]);
      if (std::find(colours.begin(), colours.end(), rgb) == colours.end()) colours.push_back(rgb);
    }
    for (size_t s = 1; s < colours.size(); ++s) slots.At(int(g), int(s)) = {colours[s], 1};
    for (size_t a = 0; a < groupOf.size(); ++a) {
      if (groupOf[a] != g) continue;
      const int ax = int(a) % columns * kAreaSide, ay = int(a) / columns * kAreaSide;
      for (int y = ay; y < ay + kAreaSide; ++y) {
        for (int x = ax; x < ax + kAreaSide; ++x) {
          const Rgb rgb = source.At(x, y);
          Rgb best = colours[0];
          for (Rgb c : colours) {
            if (ColourDistance(rgb, c) < ColourDistance(rgb, best)) best = c;
          }
          out.Set(x, y, best);
        }
      }
    }
  }
}

}  // namespace tilvex::bench
