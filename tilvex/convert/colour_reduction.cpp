#include "convert/colour_reduction.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

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

SearchInput SamplesOf(const Picture& picture, const AreaGrid& grid) {
  SearchInput input;
  std::vector<uint32_t> binOwner(kSampleBins, 0);  // area number + 1 that last used the bin
  std::vector<uint32_t> binSample(kSampleBins, 0);
  std::vector<std::array<uint32_t, 4>> sums;  // r, g, b, count of the current area
  uint32_t areaNumber = 0;
  for (int y = grid.top; y < grid.bottom; y += kAreaSide) {
    for (int x = grid.left; x < grid.right; x += kAreaSide) {
      ++areaNumber;
      input.areaStart.push_back(uint32_t(input.samples.size()));
      sums.clear();
      for (int py = y; py < std::min(y + kAreaSide, grid.bottom); ++py) {
        for (int px = x; px < std::min(x + kAreaSide, grid.right); ++px) {
          const Rgb rgb = picture.At(px, py);
          const size_t bin = (RedOf(rgb) >> kSampleShift) << (2 * kSampleBits) |
                             (GreenOf(rgb) >> kSampleShift) << kSampleBits |
                             BlueOf(rgb) >> kSampleShift;
          if (binOwner[bin] != areaNumber) {
            binOwner[bin] = areaNumber;
            binSample[bin] = uint32_t(sums.size());
            sums.push_back({0, 0, 0, 0});
          }
          std::array<uint32_t, 4>& s = sums[binSample[bin]];
          s[0] += RedOf(rgb), s[1] += GreenOf(rgb), s[2] += BlueOf(rgb), s[3] += 1;
        }
      }
      for (const auto& s : sums) {
        const float n = float(s[3]);
        input.samples.push_back({float(s[0]) / n, float(s[1]) / n, float(s[2]) / n, n});
      }
    }
  }
  input.areaStart.push_back(uint32_t(input.samples.size()));
  return input;
}

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

  ProgressScope scope(progress, 0, kSearchSteps + grid.Rows(), 1);
  progress.SetText(common::Tr("减色中..."));
  const DeviceColours device(space, tables);
  SearchInput input = SamplesOf(picture, grid);
  input.freeSlots = slotsPerPalette - 1;
  input.background = device.Nearest(background);
  input.chooseBackground = options.chooseBackground;
  const SearchResult found = SearchPalettes(input, device, progress);
  if (found.cancelled) {
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
