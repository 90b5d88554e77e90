#include "convert/colour_reduction.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>

#include "common/translate.h"
#include "convert/block_geometry.h"
#include "convert/device_colours.h"
#include "convert/palette_packing.h"
#include "convert/palette_search.h"
#include "convert/pixel_mapping.h"

namespace tilvex {
namespace {

// Pixels whose channels agree in their upper bits are one sample of the search; the final
// repaint still looks at every pixel.
constexpr int kSampleBits = 4;
constexpr int kSampleShift = 8 - kSampleBits;
constexpr size_t kSampleBins = size_t{1} << (3 * kSampleBits);

// The 16 x 16 areas counted from the working area's corner, as the analysis and the tile
// passes count them; the last column and row read on past the working area's edge up to
// the picture's, so those pixels are repainted too.
AreaGrid GridOf(const Picture& picture, const WorkArea& area) {
  AreaGrid grid;
  grid.left = area.left;
  grid.top = area.top;
  const int columns = (area.right - area.left + kAreaSide - 1) / kAreaSide;
  const int rows = (area.bottom - area.top + kAreaSide - 1) / kAreaSide;
  grid.right = std::min(picture.width, area.left + columns * kAreaSide);
  grid.bottom = std::min(picture.height, area.top + rows * kAreaSide);
  return grid;
}

// The samples of one area at a time: pixels whose channels agree in their upper bits
// are summed into one sample.
class AreaSampler {
 public:
  AreaSampler() : owner_(kSampleBins, 0), index_(kSampleBins, 0) {}

  void Append(const Picture& picture, const AreaGrid& grid, int x, int y,
              std::vector<ColourSample>& samples) {
    ++area_;
    sums_.clear();
    for (int py = y; py < std::min(y + kAreaSide, grid.bottom); ++py) {
      for (int px = x; px < std::min(x + kAreaSide, grid.right); ++px) {
        const Rgb rgb = picture.At(px, py);
        const size_t bin = (RedOf(rgb) >> kSampleShift) << (2 * kSampleBits) |
                           (GreenOf(rgb) >> kSampleShift) << kSampleBits |
                           BlueOf(rgb) >> kSampleShift;
        if (owner_[bin] != area_) {
          owner_[bin] = area_;
          index_[bin] = uint32_t(sums_.size());
          sums_.push_back({0, 0, 0, 0});
        }
        std::array<uint32_t, 4>& s = sums_[index_[bin]];
        s[0] += RedOf(rgb), s[1] += GreenOf(rgb), s[2] += BlueOf(rgb), s[3] += 1;
      }
    }
    for (const auto& s : sums_) {
      const float n = float(s[3]);
      samples.push_back({float(s[0]) / n, float(s[1]) / n, float(s[2]) / n, n});
    }
  }

 private:
  std::vector<uint32_t> owner_;  // the call that last used the bin
  std::vector<uint32_t> index_;
  std::vector<std::array<uint32_t, 4>> sums_;  // r, g, b, count of the current area
  uint32_t area_ = 0;
};

// The search looks at every area of a small picture; a large one is searched on an even
// spread of at most about this many areas and samples, which keeps its time and memory flat
// however large the picture is. Every area then takes the palette that codes it best.
constexpr int kMaxSearchAreas = 1024;
constexpr size_t kMaxSearchSamples = size_t{1} << 17;

int SearchStep(const AreaGrid& grid) {
  const int64_t areas = int64_t{grid.Columns()} * grid.Rows();
  return int((areas + kMaxSearchAreas - 1) / kMaxSearchAreas);
}

// About one area in `step`, scattered by a hash of the area's number: a regular grid would
// miss whatever repeats at its own period (stripes, tiles, bands).
bool Searched(uint32_t area, int step) {
  uint32_t h = area * 0x9E3779B1u;
  h ^= h >> 15;
  h *= 0x85EBCA77u;
  h ^= h >> 13;
  return step == 1 || h % uint32_t(step) == 0;
}

SearchInput SamplesOf(const Picture& picture, const AreaGrid& grid, int step) {
  SearchInput input;
  AreaSampler sampler;
  uint32_t area = 0;
  for (int y = grid.top; y < grid.bottom; y += kAreaSide) {
    for (int x = grid.left; x < grid.right; x += kAreaSide) {
      if (!Searched(area++, step)) continue;
      input.areaStart.push_back(uint32_t(input.samples.size()));
      sampler.Append(picture, grid, x, y, input.samples);
    }
  }
  input.areaStart.push_back(uint32_t(input.samples.size()));
  return input;
}

// The areas the search did not see: each takes the palette with the least squared error
// over its samples, the palette of the area to its left tried first so that the others
// mostly stop counting early. Areas with the same pixels take the same palette.
class AreaAssigner {
 public:
  AreaAssigner(const SearchResult& found) {
    for (const std::vector<Rgb>& own : found.palettes) {
      std::vector<std::array<float, 3>> entries = {Channels(found.background)};
      for (Rgb c : own) entries.push_back(Channels(c));
      usable_.push_back(!own.empty());
      palettes_.push_back(std::move(entries));
    }
  }

  bool Assign(const Picture& picture, const AreaGrid& grid, std::vector<int>& areaPalette,
              Progress& progress) {
    AreaSampler sampler;
    std::vector<ColourSample> samples;
    areaPalette.clear();
    for (int y = grid.top; y < grid.bottom; y += kAreaSide) {
      if (progress.Cancelled()) return false;
      int left = FirstUsable();
      for (int x = grid.left; x < grid.right; x += kAreaSide) {
        const uint64_t key = ContentKey(picture, grid, x, y);
        if (auto seen = known_.find(key); seen != known_.end()) {
          left = seen->second;
        } else {
          samples.clear();
          sampler.Append(picture, grid, x, y, samples);
          left = Best(samples, left);
          if (known_.size() >= kMaxKnown) known_.clear();
          known_.emplace(key, left);
        }
        areaPalette.push_back(left);
      }
      progress.Step();
    }
    return true;
  }

 private:
  static constexpr size_t kMaxKnown = 1 << 16;

  static std::array<float, 3> Channels(Rgb c) {
    return {float(RedOf(c)), float(GreenOf(c)), float(BlueOf(c))};
  }

  int FirstUsable() const {
    for (size_t p = 0; p < usable_.size(); ++p) {
      if (usable_[p]) return int(p);
    }
    return 0;
  }

  // FNV-1a over the area's pixels, with its size, so equal areas are found again.
  static uint64_t ContentKey(const Picture& picture, const AreaGrid& grid, int x, int y) {
    uint64_t h = 0xCBF29CE484222325ull;
    const int right = std::min(x + kAreaSide, grid.right);
    const int bottom = std::min(y + kAreaSide, grid.bottom);
    h = (h ^ uint64_t(right - x) << 8 ^ uint64_t(bottom - y)) * 0x100000001B3ull;
    for (int py = y; py < bottom; ++py) {
      const uint8_t* row = picture.Row(py) + 3 * size_t(x);
      for (size_t i = 0; i < 3 * size_t(right - x); ++i) h = (h ^ row[i]) * 0x100000001B3ull;
    }
    return h;
  }

  double Cost(const std::vector<ColourSample>& samples, size_t p, double bound) const {
    const std::vector<std::array<float, 3>>& entries = palettes_[p];
    double sum = 0;
    for (const ColourSample& s : samples) {
      float best = std::numeric_limits<float>::max();
      for (const auto& e : entries) {
        const float dr = s.r - e[0], dg = s.g - e[1], db = s.b - e[2];
        best = std::min(best, dr * dr + dg * dg + db * db);
      }
      sum += double(best) * s.w;
      if (sum > bound) break;
    }
    return sum;
  }

  int Best(const std::vector<ColourSample>& samples, int first) const {
    int best = first;
    double bestCost = Cost(samples, size_t(first), std::numeric_limits<double>::max());
    for (size_t p = 0; p < palettes_.size(); ++p) {
      if (int(p) == first || !usable_[p]) continue;
      const double c = Cost(samples, p, bestCost);
      if (c < bestCost) {
        bestCost = c;
        best = int(p);
      }
    }
    return best;
  }

  std::vector<std::vector<std::array<float, 3>>> palettes_;  // the background first
  std::vector<bool> usable_;
  std::unordered_map<uint64_t, int> known_;
};

// Lossless first: when every area has few enough colours and only their sharing out failed,
// a better packing keeps the picture as it is.
bool PackWithoutLoss(const Picture& picture, const AreaGrid& grid, Rgb background,
                     int slotsPerPalette, bool chooseBackground, ReducedPicture& out) {
  std::vector<std::vector<Rgb>> sets;
  for (int y = grid.top; y < grid.bottom; y += kAreaSide) {
    for (int x = grid.left; x < grid.right; x += kAreaSide) {
      sets.push_back(AreaColours(picture, x, y));
      if (int(sets.back().size()) > slotsPerPalette) return false;
    }
  }
  std::vector<Rgb> candidates = {background};
  if (chooseBackground) candidates.push_back(MostSharedColour(sets, background));
  for (Rgb candidate : candidates) {
    if (PackColourSets(sets, candidate, slotsPerPalette, out.slots)) {
      out.background = candidate;
      out.lossless = true;
      return true;
    }
  }
  return false;
}

}  // namespace

ReducedPicture ReduceColours(const Picture& picture, const WorkArea& area, Rgb background,
                             int colourMode, ColourSpace space, const ColourTables& tables,
                             const ReduceOptions& options, Progress& progress) {
  ReducedPicture out;
  out.picture = picture;
  out.background = background;
  const int slotsPerPalette = ColoursPerPalette(colourMode);
  const AreaGrid grid = GridOf(picture, area);
  if (grid.right <= grid.left || grid.bottom <= grid.top) return out;
  if (PackWithoutLoss(picture, grid, background, slotsPerPalette, options.chooseBackground, out)) {
    return out;
  }

  int step = SearchStep(grid);
  SearchInput input = SamplesOf(picture, grid, step);
  while (input.samples.size() > kMaxSearchSamples) {
    if (progress.Cancelled()) {
      out.status = Result::Fail(std::string());
      return out;
    }
    // Fewer areas in proportion, so one more sampling is enough as a rule.
    step = int(int64_t{step} * int64_t(input.samples.size()) / int64_t{kMaxSearchSamples}) + 1;
    input = SamplesOf(picture, grid, step);
  }
  ProgressScope scope(progress, 0, kSearchSteps + (step > 1 ? 2 : 1) * grid.Rows(), 1);
  progress.SetText(common::Tr("减色中..."));
  const DeviceColours device(space, tables);
  input.freeSlots = slotsPerPalette - 1;
  input.background = device.Nearest(background);
  input.chooseBackground = options.chooseBackground;
  SearchResult found = SearchPalettes(input, device, progress);
  input = SearchInput{};  // its samples are not needed again
  if (found.cancelled ||
      (step > 1 && !AreaAssigner(found).Assign(picture, grid, found.areaPalette, progress))) {
    out.status = Result::Fail(std::string());
    return out;
  }

  // Palettes no area took stay empty, as the analysis leaves them.
  std::vector<bool> taken(kPaletteCount, false);
  for (int p : found.areaPalette) taken[size_t(p)] = true;
  out.background = found.background;
  out.slots = SlotTable{};
  for (int p = 0; p < kPaletteCount; ++p) {
    out.slots.At(p, 0) = {found.background, 1};
    if (!taken[size_t(p)]) continue;
    const std::vector<Rgb>& colours = found.palettes[size_t(p)];
    for (size_t s = 0; s < colours.size(); ++s) out.slots.At(p, int(s) + 1) = {colours[s], 1};
  }
  std::vector<std::vector<Rgb>> areaColours;
  areaColours.reserve(found.areaPalette.size());
  for (int p : found.areaPalette) {
    std::vector<Rgb> colours = {found.background};
    const std::vector<Rgb>& own = found.palettes[size_t(p)];
    colours.insert(colours.end(), own.begin(), own.end());
    areaColours.push_back(std::move(colours));
  }
  if (!MapPixels(picture, grid, areaColours, options.dither, out.picture, progress)) {
    out.status = Result::Fail(std::string());
  }
  return out;
}

ReducedPicture ReduceToPalettes(const Picture& picture, const WorkArea& area,
                                const SlotTable& slots, int colourMode, Dither dither,
                                Progress& progress) {
  ReducedPicture out;
  out.picture = picture;
  out.slots = slots;
  out.background = slots.At(0, 0).rgb;
  const AreaGrid grid = GridOf(picture, area);
  if (grid.right <= grid.left || grid.bottom <= grid.top) return out;
  const int limit = ColoursPerPalette(colourMode);
  std::vector<std::vector<Rgb>> palettes;
  for (int p = 0; p < kPaletteCount; ++p) {
    std::vector<Rgb> colours;
    for (int s = 0; s < limit; ++s) {
      if (slots.At(p, s).used != 0) colours.push_back(slots.At(p, s).rgb);
    }
    palettes.push_back(std::move(colours));
  }
  ProgressScope scope(progress, 0, 2 * grid.Rows(), 1);
  progress.SetText(common::Tr("减色中..."));
  std::vector<std::vector<Rgb>> areaColours;
  for (int y = grid.top; y < grid.bottom; y += kAreaSide) {
    for (int x = grid.left; x < grid.right; x += kAreaSide) {
      int64_t bestCost = INT64_MAX;
      size_t best = 0;
      for (size_t p = 0; p < palettes.size(); ++p) {
        if (palettes[p].empty()) continue;
        int64_t cost = 0;
        for (int py = y; py < std::min(y + kAreaSide, grid.bottom) && cost < bestCost; ++py) {
          for (int px = x; px < std::min(x + kAreaSide, grid.right); ++px) {
            int32_t d = INT32_MAX;
            for (Rgb c : palettes[p]) d = std::min(d, ColourDistance(picture.At(px, py), c));
            cost += d;
          }
        }
        if (cost < bestCost) {
          bestCost = cost;
          best = p;
        }
      }
      areaColours.push_back(palettes[best].empty() ? std::vector<Rgb>{out.background}
                                                   : palettes[best]);
    }
    progress.Step();
  }
  if (!MapPixels(picture, grid, areaColours, dither, out.picture, progress)) {
    out.status = Result::Fail(std::string());
  }
  return out;
}

}  // namespace tilvex
