#include "convert/palette_packing.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace tilvex {

bool PackColourSets(const std::vector<std::vector<Rgb>>& sets, Rgb background, int slotsPerPalette,
                    SlotTable& slots) {
  const size_t room = size_t(slotsPerPalette - 1);
  std::vector<std::vector<Rgb>> wanted;
  wanted.reserve(sets.size());
  for (const std::vector<Rgb>& set : sets) {
    std::vector<Rgb> colours;
    for (Rgb rgb : set) {
      if (rgb != background) colours.push_back(rgb);
    }
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    if (colours.size() > room) return false;
    wanted.push_back(std::move(colours));
  }
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  std::stable_sort(wanted.begin(), wanted.end(),
                   [](const auto& a, const auto& b) { return a.size() > b.size(); });

  // Bin packing with overlapping items (the pagination problem of Grange, Kacem and Martin):
  // largest sets first, each into the palette it grows least, a new palette when none has
  // room.
  std::vector<std::vector<Rgb>> palettes;
  for (const std::vector<Rgb>& set : wanted) {
    int best = -1;
    size_t bestGrowth = room + 1;
    for (size_t p = 0; p < palettes.size(); ++p) {
      size_t growth = 0;
      for (Rgb rgb : set) {
        growth += std::binary_search(palettes[p].begin(), palettes[p].end(), rgb) ? 0 : 1;
      }
      if (palettes[p].size() + growth <= room && growth < bestGrowth) {
        best = int(p);
        bestGrowth = growth;
      }
    }
    if (best < 0) {
      if (palettes.size() == size_t(kPaletteCount)) return false;
      palettes.emplace_back();
      best = int(palettes.size() - 1);
    }
    std::vector<Rgb>& palette = palettes[size_t(best)];
    std::vector<Rgb> merged;
    std::set_union(palette.begin(), palette.end(), set.begin(), set.end(),
                   std::back_inserter(merged));
    palette = std::move(merged);
  }

  slots = SlotTable{};
  for (int p = 0; p < kPaletteCount; ++p) {
    slots.At(p, 0) = {background, 1};
    if (size_t(p) >= palettes.size()) continue;
    for (size_t s = 0; s < palettes[size_t(p)].size(); ++s) {
      slots.At(p, int(s) + 1) = {palettes[size_t(p)][s], 1};
    }
  }
  return true;
}

Rgb MostSharedColour(const std::vector<std::vector<Rgb>>& sets, Rgb fallback) {
  std::unordered_map<Rgb, size_t> count;
  std::vector<Rgb> order;
  for (const std::vector<Rgb>& set : sets) {
    for (Rgb rgb : set) {
      if (count[rgb]++ == 0) order.push_back(rgb);
    }
  }
  Rgb best = fallback;
  size_t most = 0;
  for (Rgb rgb : order) {
    if (count[rgb] > most) {
      most = count[rgb];
      best = rgb;
    }
  }
  return best;
}

}  // namespace tilvex
