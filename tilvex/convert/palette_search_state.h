// The state of the palette search, shared by its two source files: the palettes as they
// form, the per-area costs, and the steps that change them.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "convert/device_colours.h"
#include "convert/progress.h"
#include "convert/search_samples.h"
#include "image/slot_table.h"

namespace tilvex::search {

constexpr int kMaxColours = 16;
constexpr float kFar = 1.0e4f;  // where unused palette entries sit: never the nearest
constexpr int kRefineSteps = 2;
constexpr int kFreeRounds = 24;
constexpr int kMergeTrials = 8;
constexpr int kPolishPasses = 48;
constexpr int kShownStep = 16;  // green and blue levels of the 4K spaces lie 16 apart
constexpr size_t kAreasBetweenLooks = 4096;
constexpr int kTrialRounds = 4;

// splitmix64: a fixed, portable generator (std distributions differ between libraries).
class Random {
 public:
  explicit Random(uint64_t stream) : state_(0x7469C7E5u + stream * 0x632BE59BD9B4E019ull) {}
  double Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
  }

 private:
  uint64_t state_;
};

// A palette colour while the search runs: where it sits, and the colour it stands for.
struct Centre {
  float r, g, b;
  Rgb rgb;
};

// Entry 0 is the background, 1..count-1 the palette's own colours.
struct Palette {
  std::array<float, kMaxColours> r, g, b;
  std::array<Rgb, kMaxColours> rgb;
  std::array<bool, kMaxColours> live;
  int count = 0;

  void Set(int j, Rgb colour) {
    Set(j, {float(RedOf(colour)), float(GreenOf(colour)), float(BlueOf(colour)), colour});
  }
  void Set(int j, const struct Centre& c);
  void Kill(int j) {
    live[size_t(j)] = false;
    r[size_t(j)] = g[size_t(j)] = b[size_t(j)] = kFar;
  }
  bool Has(Rgb colour, int except) const {
    for (int j = 0; j < count; ++j) {
      if (j != except && live[size_t(j)] && rgb[size_t(j)] == colour) return true;
    }
    return false;
  }
};

inline void Palette::Set(int j, const Centre& c) {
  rgb[size_t(j)] = c.rgb;
  live[size_t(j)] = true;
  r[size_t(j)] = c.r;
  g[size_t(j)] = c.g;
  b[size_t(j)] = c.b;
}

inline float Distance(const ColourSample& s, const Palette& p, int j) {
  const float dr = s.r - p.r[size_t(j)], dg = s.g - p.g[size_t(j)], db = s.b - p.b[size_t(j)];
  return dr * dr + dg * dg + db * db;
}

// The distance to the nearest entry; a plain minimum over the entries, which compilers turn
// into vector instructions.
inline float NearestDistance(const ColourSample& s, const Palette& p) {
  float best = std::numeric_limits<float>::max();
  for (int j = 0; j < p.count; ++j) {
    const float dr = s.r - p.r[size_t(j)], dg = s.g - p.g[size_t(j)], db = s.b - p.b[size_t(j)];
    best = std::min(best, dr * dr + dg * dg + db * db);
  }
  return best;
}

inline int NearestEntry(const ColourSample& s, const Palette& p, float& distance) {
  int best = 0;
  float bestDistance = Distance(s, p, 0);
  for (int j = 1; j < p.count; ++j) {
    const float d = Distance(s, p, j);
    if (d < bestDistance) {
      bestDistance = d;
      best = j;
    }
  }
  distance = bestDistance;
  return best;
}

inline Rgb RoundedRgb(double r, double g, double b) {
  auto channel = [](double v) { return uint32_t(std::clamp(std::lround(v), 0l, 255l)); };
  return MakeRgb(channel(r), channel(g), channel(b));
}

struct Sums {
  double r = 0, g = 0, b = 0, w = 0;
  void Add(const ColourSample& s) {
    r += double(s.r) * s.w;
    g += double(s.g) * s.w;
    b += double(s.b) * s.w;
    w += s.w;
  }
};

class Search {
 public:
  Search(const SearchInput& input, const DeviceColours& device, uint64_t start)
      : in_(input), device_(device), areas_(input.areaStart.size() - 1), random_(start) {}

  // Starting from the given background, or from `background`.
  SearchResult Run(Progress& progress);
  SearchResult Run(Progress& progress, Rgb background);

 private:
  const ColourSample* Begin(size_t a) const { return in_.samples.data() + in_.areaStart[a]; }
  const ColourSample* End(size_t a) const { return in_.samples.data() + in_.areaStart[a + 1]; }

  // The error of area a coded by palette p; counting stops once it passes `bound`.
  double Cost(size_t a, const Palette& p, double bound) const {
    double sum = 0;
    for (const ColourSample* s = Begin(a); s != End(a); ++s) {
      sum += double(NearestDistance(*s, p)) * s->w;
      if (sum > bound) break;
    }
    return sum;
  }

  Palette Empty() const {
    Palette p;
    p.count = in_.freeSlots + 1;
    for (int j = 0; j < p.count; ++j) p.Kill(j);
    p.Set(0, background_);
    return p;
  }

  // The palette colour for a cluster with this mean: the mean itself while the search runs
  // free, the nearest shown colour once it snaps.
  Centre CentreAt(double r, double g, double b) const {
    const Rgb rounded = RoundedRgb(r, g, b);
    if (!snap_) return {float(r), float(g), float(b), rounded};
    const Rgb shown = device_.Nearest(rounded);
    return {float(RedOf(shown)), float(GreenOf(shown)), float(BlueOf(shown)), shown};
  }
  void SnapAll();
  void SetBackground(const Centre& colour);
  bool Rounds(int count, Progress& progress);

  Palette SeedPalette(const std::vector<size_t>& members);
  void Refine(Palette& p, const std::vector<size_t>& members, Sums* backgroundSums);
  void Revive(Palette& p, const std::vector<size_t>& members);
  bool InitialAssignment(Progress& progress);
  bool MergeAndSplit(Progress& progress);
  void Polish(Palette& p, const std::vector<size_t>& members);
  bool PolishAll(Progress& progress);
  double Total() const {
    double total = 0;
    for (double c : cost_) total += c;
    return total;
  }

  const SearchInput& in_;
  const DeviceColours& device_;
  const size_t areas_;
  Random random_;
  Centre background_{};
  bool snap_ = false;
  std::vector<Palette> palettes_;
  std::vector<int> assigned_;
  std::vector<double> cost_;
};

}  // namespace tilvex::search
