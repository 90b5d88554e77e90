// Methods: the palettes are vector-quantisation codebooks and the areas the vectors they
// code, optimised by alternation as in Lloyd's algorithm (Lloyd 1982; Linde, Buzo and Gray
// 1980) at two levels. Each palette's colours are refined by Lloyd steps over the pixels of
// its areas, each new centre snapped to the nearest colour the console shows (for squared
// error the best shown colour of a cluster is the one nearest its mean). Then every area
// moves to the palette that codes it with the least actual error. The shared background is
// the centre of every pixel it codes across all palettes. Seeds follow k-means++ (Arthur and
// Vassilvitskii 2007) with a fixed generator, so the result is the same on every run.
#include "convert/palette_search.h"

#include "convert/palette_search_state.h"

namespace tilvex {
namespace search {

// In 4-colour mode the search is cheap and the background is a quarter of every palette.
constexpr int kFewColours = 3;
constexpr int kBackgroundStarts = 2;

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
    progress.Step();
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

SearchResult Search::Run(Progress& progress) {
  return Run(progress, in_.background);
}

SearchResult Search::Run(Progress& progress, Rgb background) {
  SearchResult result;
  snap_ = false;
  background_ = {float(RedOf(background)), float(GreenOf(background)), float(BlueOf(background)),
                 background};
  if (!InitialAssignment(progress)) {
    result.cancelled = true;
    return result;
  }
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

// Passes on Cancelled() but not the steps, for runs the progress bar does not count.
class QuietSteps : public Progress {
 public:
  explicit QuietSteps(Progress& outer) : outer_(outer) {}
  bool Cancelled() override { return outer_.Cancelled(); }

 private:
  Progress& outer_;
};

// The centres of a weighted k-means over all samples, heaviest first, as shown colours.
std::vector<Rgb> MainColours(const SearchInput& input, const DeviceColours& device, int count) {
  std::vector<Rgb> colours;
  if (count <= 0 || input.samples.empty()) return colours;
  std::vector<std::array<double, 3>> centres;
  // Farthest-first seeds from the heaviest sample: deterministic and spread out.
  const ColourSample* heaviest = &input.samples[0];
  for (const ColourSample& s : input.samples) {
    if (s.w > heaviest->w) heaviest = &s;
  }
  centres.push_back({heaviest->r, heaviest->g, heaviest->b});
  auto distance = [](const ColourSample& s, const std::array<double, 3>& c) {
    return (s.r - c[0]) * (s.r - c[0]) + (s.g - c[1]) * (s.g - c[1]) + (s.b - c[2]) * (s.b - c[2]);
  };
  while (int(centres.size()) < count) {
    const ColourSample* far = nullptr;
    double farthest = -1;
    for (const ColourSample& s : input.samples) {
      double d = std::numeric_limits<double>::max();
      for (const auto& c : centres) d = std::min(d, distance(s, c));
      if (d * s.w > farthest) {
        farthest = d * s.w;
        far = &s;
      }
    }
    centres.push_back({far->r, far->g, far->b});
  }
  std::vector<double> weight(centres.size());
  for (int step = 0; step < 8; ++step) {
    std::vector<std::array<double, 4>> sums(centres.size(), {0, 0, 0, 0});
    for (const ColourSample& s : input.samples) {
      size_t best = 0;
      for (size_t c = 1; c < centres.size(); ++c) {
        if (distance(s, centres[c]) < distance(s, centres[best])) best = c;
      }
      sums[best][0] += s.r * s.w, sums[best][1] += s.g * s.w, sums[best][2] += s.b * s.w;
      sums[best][3] += s.w;
    }
    for (size_t c = 0; c < centres.size(); ++c) {
      weight[c] = sums[c][3];
      if (sums[c][3] > 0) {
        for (int k = 0; k < 3; ++k) centres[c][size_t(k)] = sums[c][size_t(k)] / sums[c][3];
      }
    }
  }
  std::vector<size_t> order(centres.size());
  for (size_t c = 0; c < order.size(); ++c) order[c] = c;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return weight[a] > weight[b]; });
  for (size_t c : order) {
    const Rgb shown = device.Nearest(RoundedRgb(centres[c][0], centres[c][1], centres[c][2]));
    if (std::find(colours.begin(), colours.end(), shown) == colours.end()) colours.push_back(shown);
  }
  return colours;
}

}  // namespace search

SearchResult SearchPalettes(const SearchInput& input, const DeviceColours& device,
                            Progress& progress) {
  if (input.areaStart.size() < 2) {
    SearchResult empty;
    empty.background = input.background;
    empty.palettes.resize(kPaletteCount);
    return empty;
  }
  SearchResult best = search::Search(input, device, 0).Run(progress);
  if (best.cancelled || !input.chooseBackground) return best;
  // The background codes pixels in every area, so where it starts matters most when a palette
  // has few colours of its own: more starts, from the centres of the picture's main colours.
  const int starts = input.freeSlots <= search::kFewColours ? search::kBackgroundStarts : 0;
  Rgb tried = input.background;
  std::vector<Rgb> candidates = search::MainColours(input, device, starts);
  search::QuietSteps quiet(progress);
  for (size_t k = 0; k < candidates.size(); ++k) {
    if (candidates[k] == tried) continue;
    SearchResult other = search::Search(input, device, k + 1).Run(quiet, candidates[k]);
    if (other.cancelled) return other;
    if (other.error < best.error) best = std::move(other);
  }
  return best;
}

}  // namespace tilvex
