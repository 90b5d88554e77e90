// The steps that move the search out of where plain Lloyd steps stop: the switch from free
// colours to shown ones, merging and splitting palettes, and a descent over neighbouring
// shown colours.
#include "convert/palette_search_state.h"

namespace tilvex::search {

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

}  // namespace tilvex::search
