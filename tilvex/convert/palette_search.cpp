// Methods: the palettes are vector-quantisation codebooks and the areas the vectors they
// code, optimised by alternation as in Lloyd's algorithm (Lloyd 1982; Linde, Buzo and Gray
// 1980) at two levels. Each palette's colours are refined by Lloyd steps over the pixels of
// its areas, each new centre snapped to the nearest colour the console shows (for squared
// error the best shown colour of a cluster is the one nearest its mean). Then every area
// moves to the palette that codes it with the least actual error. The shared background is
// the centre of every pixel it codes across all palettes. Seeds follow k-means++ (Arthur and
// Vassilvitskii 2007) with a fixed generator, so the result is the same on every run.
#include "convert/palette_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "image/slot_table.h"

namespace tilvex {
namespace {

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

void Palette::Set(int j, const Centre& c) {
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

Rgb RoundedRgb(double r, double g, double b) {
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

  SearchResult Run(Progress& progress);

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

// k-means++ seeding over the samples of the members, then a few Lloyd steps.
Palette Search::SeedPalette(const std::vector<size_t>& members) {
  Palette p = Empty();
  std::vector<const ColourSample*> samples;
  for (size_t a : members) {
    for (const ColourSample* s = Begin(a); s != End(a); ++s) samples.push_back(s);
  }
  std::vector<double> weight(samples.size());
  for (int j = 1; j < p.count; ++j) {
    double total = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
      float d = 0;
      NearestEntry(*samples[i], p, d);
      weight[i] = double(d) * samples[i]->w;
      total += weight[i];
    }
    if (total <= 0) break;  // every sample is coded exactly
    double pick = random_.Next() * total;
    size_t chosen = samples.size() - 1;
    for (size_t i = 0; i < samples.size(); ++i) {
      if (weight[i] > 0 && (pick -= weight[i]) < 0) {
        chosen = i;
        break;
      }
    }
    const ColourSample& s = *samples[chosen];
    const Centre colour = CentreAt(s.r, s.g, s.b);
    if (!p.Has(colour.rgb, -1)) p.Set(j, colour);
    // A colour already there: this sample is as well coded as the console allows; the next
    // pick looks elsewhere, as the chosen sample no longer weighs.
  }
  for (int step = 0; step < 3; ++step) Refine(p, members, nullptr);
  return p;
}

// Lloyd steps for the palette's own colours; the background stays, its pixels are summed
// into backgroundSums for the shared update.
void Search::Refine(Palette& p, const std::vector<size_t>& members, Sums* backgroundSums) {
  std::array<Sums, kMaxColours> sums{};
  for (size_t a : members) {
    for (const ColourSample* s = Begin(a); s != End(a); ++s) {
      float d = 0;
      sums[size_t(NearestEntry(*s, p, d))].Add(*s);
    }
  }
  if (backgroundSums != nullptr) {
    backgroundSums->r += sums[0].r;
    backgroundSums->g += sums[0].g;
    backgroundSums->b += sums[0].b;
    backgroundSums->w += sums[0].w;
  }
  for (int j = 1; j < p.count; ++j) {
    const Sums& sum = sums[size_t(j)];
    if (sum.w <= 0) {
      p.Kill(j);
      continue;
    }
    const Centre colour = CentreAt(sum.r / sum.w, sum.g / sum.w, sum.b / sum.w);
    if (p.Has(colour.rgb, j)) {
      p.Kill(j);
    } else {
      p.Set(j, colour);
    }
  }
  Revive(p, members);
}

// Unused entries go to the worst-coded samples whose shown colour the palette lacks.
void Search::Revive(Palette& p, const std::vector<size_t>& members) {
  int dead = 0;
  for (int j = 1; j < p.count; ++j) dead += p.live[size_t(j)] ? 0 : 1;
  if (dead == 0) return;
  std::vector<std::pair<double, const ColourSample*>> worst;
  for (size_t a : members) {
    for (const ColourSample* s = Begin(a); s != End(a); ++s) {
      float d = 0;
      NearestEntry(*s, p, d);
      if (d > 0) worst.emplace_back(double(d) * s->w, s);
    }
  }
  const size_t keep = std::min(worst.size(), size_t(4 * dead + 8));
  std::partial_sort(worst.begin(), worst.begin() + ptrdiff_t(keep), worst.end(),
                    [](const auto& x, const auto& y) { return x.first > y.first; });
  size_t next = 0;
  for (int j = 1; j < p.count && next < keep; ++j) {
    if (p.live[size_t(j)]) continue;
    while (next < keep) {
      const ColourSample& s = *worst[next++].second;
      const Centre colour = CentreAt(s.r, s.g, s.b);
      if (!p.Has(colour.rgb, -1)) {
        p.Set(j, colour);
        break;
      }
    }
  }
}

// k-means++ over the areas, an area's distance being its error under the nearest seed
// palette; each seed palette is the seed area's own best palette.
bool Search::InitialAssignment(Progress& progress) {
  palettes_.assign(kPaletteCount, Empty());
  assigned_.assign(areas_, 0);
  cost_.assign(areas_, 0);
  const Palette bare = Empty();
  for (size_t a = 0; a < areas_; ++a) cost_[a] = Cost(a, bare, std::numeric_limits<double>::max());
  for (int seed = 0; seed < kPaletteCount; ++seed) {
    if (progress.Cancelled()) return false;
    double total = 0;
    for (double c : cost_) total += c;
    if (total <= 0) break;
    double pick = random_.Next() * total;
    size_t chosen = areas_ - 1;
    for (size_t a = 0; a < areas_; ++a) {
      if (cost_[a] > 0 && (pick -= cost_[a]) < 0) {
        chosen = a;
        break;
      }
    }
    Palette& p = palettes_[size_t(seed)];
    p = SeedPalette({chosen});
    for (size_t a = 0; a < areas_; ++a) {
      const double c = Cost(a, p, cost_[a]);
      if (c < cost_[a]) {
        cost_[a] = c;
        assigned_[a] = seed;
      }
    }
  }
  return true;
}

// Up to `count` rounds of palette refinement and area moves, until the error stops falling;
// false when cancelled.
bool Search::Rounds(int count, Progress& progress) {
  std::vector<std::vector<size_t>> members(kPaletteCount);
  double lastTotal = std::numeric_limits<double>::max();
  for (int round = 0; round < count; ++round) {
    if (progress.Cancelled()) return false;
    for (auto& m : members) m.clear();
    for (size_t a = 0; a < areas_; ++a) members[size_t(assigned_[a])].push_back(a);
    // A palette left without areas takes the worst-coded area that shares its palette.
    for (int p = 0; p < kPaletteCount; ++p) {
      if (!members[size_t(p)].empty()) continue;
      size_t worst = areas_;
      for (size_t a = 0; a < areas_; ++a) {
        if (members[size_t(assigned_[a])].size() > 1 &&
            (worst == areas_ || cost_[a] > cost_[worst]))
          worst = a;
      }
      if (worst == areas_ || cost_[worst] <= 0) break;
      auto& from = members[size_t(assigned_[worst])];
      from.erase(std::find(from.begin(), from.end(), worst));
      members[size_t(p)].push_back(worst);
      assigned_[worst] = p;
      palettes_[size_t(p)] = SeedPalette({worst});
    }
    Sums backgroundSums;
    for (int p = 0; p < kPaletteCount; ++p) {
      if (members[size_t(p)].empty()) continue;
      for (int step = 0; step < kRefineSteps; ++step) {
        Refine(palettes_[size_t(p)], members[size_t(p)], step == 0 ? &backgroundSums : nullptr);
      }
    }
    if (in_.chooseBackground && backgroundSums.w > 0) {
      SetBackground(CentreAt(backgroundSums.r / backgroundSums.w,
                             backgroundSums.g / backgroundSums.w,
                             backgroundSums.b / backgroundSums.w));
    }
    // Every area to the palette that codes it best; ties keep the current one.
    double total = 0;
    for (size_t a = 0; a < areas_; ++a) {
      // A large picture takes a while per round; the window answers in between.
      if (a % kAreasBetweenLooks == kAreasBetweenLooks - 1 && progress.Cancelled()) return false;
      int best = assigned_[a];
      double bestCost = Cost(a, palettes_[size_t(best)], std::numeric_limits<double>::max());
      for (int p = 0; p < kPaletteCount; ++p) {
        if (p == best || members[size_t(p)].empty()) continue;
        const double c = Cost(a, palettes_[size_t(p)], bestCost);
        if (c < bestCost) {
          bestCost = c;
          best = p;
        }
      }
      assigned_[a] = best;
      cost_[a] = bestCost;
      total += bestCost;
    }
    progress.Step();
    if (total >= lastTotal * (1 - 1e-4)) break;
    lastTotal = total;
  }
  return true;
}

void Search::SetBackground(const Centre& colour) {
  background_ = colour;
  for (Palette& p : palettes_) {
    for (int j = 1; j < p.count; ++j) {
      if (p.live[size_t(j)] && p.rgb[size_t(j)] == colour.rgb) p.Kill(j);
    }
    p.Set(0, colour);
  }
}

// From free colours to shown ones: each moves to its nearest shown colour.
void Search::SnapAll() {
  snap_ = true;
  SetBackground(CentreAt(background_.r, background_.g, background_.b));
  for (Palette& p : palettes_) {
    for (int j = 1; j < p.count; ++j) {
      if (!p.live[size_t(j)]) continue;
      const Centre c = CentreAt(p.r[size_t(j)], p.g[size_t(j)], p.b[size_t(j)]);
      if (p.Has(c.rgb, j)) {
        p.Kill(j);
      } else {
        p.Set(j, c);
      }
    }
  }
}

// Lloyd steps and area moves stop in a local optimum where two palettes could share one
// with little loss while another serves areas that differ widely. Each trial merges the two
// palettes that code each other's areas best and gives the freed palette to the worst-coded
// area of the costliest palette; it is kept when the error falls after a few rounds.
bool Search::MergeAndSplit(Progress& progress) {
  if (areas_ <= size_t(kPaletteCount)) return true;
  Progress quiet;
  for (int trial = 0; trial < kMergeTrials; ++trial) {
    if (progress.Cancelled()) return false;
    std::vector<std::vector<size_t>> members(kPaletteCount);
    for (size_t a = 0; a < areas_; ++a) members[size_t(assigned_[a])].push_back(a);
    double bestMerge = std::numeric_limits<double>::max();
    int into = -1, from = -1;
    for (int p = 0; p < kPaletteCount; ++p) {
      for (int q = 0; q < kPaletteCount; ++q) {
        if (p == q || members[size_t(p)].empty() || members[size_t(q)].empty()) continue;
        double extra = 0;
        for (size_t a : members[size_t(q)]) {
          extra += Cost(a, palettes_[size_t(p)], bestMerge) - cost_[a];
          if (extra >= bestMerge) break;
        }
        if (extra < bestMerge) {
          bestMerge = extra;
          into = p;
          from = q;
        }
      }
    }
    size_t worst = areas_;
    for (size_t a = 0; a < areas_; ++a) {
      const int p = assigned_[a];
      if (p != from && members[size_t(p)].size() > 1 &&
          (worst == areas_ || cost_[a] > cost_[worst]))
        worst = a;
    }
    if (into < 0 || worst == areas_ || cost_[worst] <= bestMerge) return true;

    const double before = Total();
    const std::vector<Palette> palettes = palettes_;
    const std::vector<int> assigned = assigned_;
    const std::vector<double> cost = cost_;
    const Centre background = background_;
    for (size_t a : members[size_t(from)]) assigned_[a] = into;
    assigned_[worst] = from;
    palettes_[size_t(from)] = SeedPalette({worst});
    for (size_t a = 0; a < areas_; ++a)
      cost_[a] = Cost(a, palettes_[size_t(assigned_[a])], std::numeric_limits<double>::max());
    Rounds(kTrialRounds, quiet);
    if (Total() >= before) {
      palettes_ = palettes;
      assigned_ = assigned;
      cost_ = cost;
      background_ = background;
      return true;  // the next trial would look at the same pair again
    }
  }
  return true;
}

// Snapped Lloyd steps stop where no cluster mean passes half a step of the shown colours,
// yet a colour moved one step along a channel may still code its pixels better, counting
// the pixels it would take from or give to its neighbours. Coordinate descent over those
// moves, scored exactly from each sample's nearest and second nearest colour.
void Search::Polish(Palette& p, const std::vector<size_t>& members) {
  std::vector<const ColourSample*> samples;
  for (size_t a : members) {
    for (const ColourSample* s = Begin(a); s != End(a); ++s) samples.push_back(s);
  }
  std::vector<float> first(samples.size()), second(samples.size());
  std::vector<int> nearest(samples.size());
  for (int pass = 0; pass < kPolishPasses; ++pass) {
    for (size_t i = 0; i < samples.size(); ++i) {
      float d1 = std::numeric_limits<float>::max(), d2 = d1;
      int j1 = 0;
      for (int j = 0; j < p.count; ++j) {
        const float d = Distance(*samples[i], p, j);
        if (d < d1) {
          d2 = d1;
          d1 = d;
          j1 = j;
        } else if (d < d2) {
          d2 = d;
        }
      }
      first[i] = d1, second[i] = d2, nearest[i] = j1;
    }
    bool moved = false;
    for (int j = 1; j < p.count; ++j) {
      if (!p.live[size_t(j)]) continue;
      const Rgb at = p.rgb[size_t(j)];
      double bestGain = 0;
      Centre best{};
      for (int channel = 0; channel < 3; ++channel) {
        for (int sign = -1; sign <= 1; sign += 2) {
          const int shift = 8 * channel;
          const int value = int(at >> shift & 0xFF) + sign * kShownStep;
          if (value < 0 || value > 255) continue;
          const Rgb wanted = (at & ~(0xFFu << shift)) | uint32_t(value) << shift;
          const Centre c = CentreAt(RedOf(wanted), GreenOf(wanted), BlueOf(wanted));
          if (p.Has(c.rgb, -1)) continue;
          double gain = 0;
          for (size_t i = 0; i < samples.size(); ++i) {
            const ColourSample& s = *samples[i];
            const float dr = s.r - c.r, dg = s.g - c.g, db = s.b - c.b;
            const float d = dr * dr + dg * dg + db * db;
            const float without = nearest[i] == j ? second[i] : first[i];
            gain += double(first[i] - std::min(without, d)) * s.w;
          }
          if (gain > bestGain) {
            bestGain = gain;
            best = c;
          }
        }
      }
      if (bestGain > 0) {
        p.Set(j, best);
        moved = true;
        break;  // the nearest colours have changed; count again
      }
    }
    if (!moved) return;
  }
}

bool Search::PolishAll(Progress& progress) {
  std::vector<std::vector<size_t>> members(kPaletteCount);
  for (size_t a = 0; a < areas_; ++a) members[size_t(assigned_[a])].push_back(a);
  for (int p = 0; p < kPaletteCount; ++p) {
    if (progress.Cancelled()) return false;
    if (!members[size_t(p)].empty()) Polish(palettes_[size_t(p)], members[size_t(p)]);
  }
  return Rounds(2, progress);
}

SearchResult Search::Run(Progress& progress) {
  SearchResult result;
  snap_ = false;
  background_ = {float(RedOf(in_.background)), float(GreenOf(in_.background)),
                 float(BlueOf(in_.background)), in_.background};
  if (!InitialAssignment(progress)) {
    result.cancelled = true;
    return result;
  }
  progress.Step();
  // Free colours first: shown colours lie 16 apart, and Lloyd steps that snap at once stop
  // as soon as no mean moves past half a step. Then the snapped palettes settle.
  if (!Rounds(kFreeRounds, progress) || !MergeAndSplit(progress)) {
    result.cancelled = true;
    return result;
  }
  SnapAll();
  if (!Rounds(kSearchRounds - 1 - kFreeRounds, progress) || !PolishAll(progress)) {
    result.cancelled = true;
    return result;
  }

  result.background = background_.rgb;
  result.areaPalette = assigned_;
  for (size_t a = 0; a < areas_; ++a) result.error += cost_[a];
  result.palettes.resize(kPaletteCount);
  for (int p = 0; p < kPaletteCount; ++p) {
    const Palette& palette = palettes_[size_t(p)];
    for (int j = 1; j < palette.count; ++j) {
      if (palette.live[size_t(j)]) result.palettes[size_t(p)].push_back(palette.rgb[size_t(j)]);
    }
  }
  return result;
}

}  // namespace

SearchResult SearchPalettes(const SearchInput& input, const DeviceColours& device,
                            Progress& progress) {
  if (input.areaStart.size() < 2) {
    SearchResult empty;
    empty.background = input.background;
    empty.palettes.resize(kPaletteCount);
    return empty;
  }
  return Search(input, device, 0).Run(progress);
}

}  // namespace tilvex
