#include "convert/palette_gathering.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/translate.h"
#include "convert/block_geometry.h"

namespace tilvex {
namespace {

// The tile pass reuses the analysed colour lists for up to this many areas.
constexpr int64_t kMaxKeptAreas = 65536;
constexpr int kMaxAreaColours = 256;
constexpr size_t kSeenEntries = 1024;
constexpr Rgb kFreeEntry = 0xFFFFFFFF;

bool Holds(const SlotTable& slots, int palette, int slotsPerPalette, Rgb rgb) {
  for (int s = 0; s < slotsPerPalette; ++s) {
    const Slot& slot = slots.At(palette, s);
    if (slot.used != 0 && slot.rgb == rgb) return true;
  }
  return false;
}

}  // namespace

std::vector<Rgb> AreaColours(const Picture& picture, int x, int y) {
  std::vector<Rgb> colours;
  if (x < 0) return colours;  // every row would end at its first pixel
  const int width = std::min(kAreaSide, picture.width - x);
  // Colours seen so far, in a small open-addressed set kept between calls and emptied by
  // clearing only the entries a call filled; RGB values never have the top byte set, so
  // all ones marks a free entry.
  thread_local std::array<Rgb, kSeenEntries> seen = [] {
    std::array<Rgb, kSeenEntries> table;
    table.fill(kFreeEntry);
    return table;
  }();
  std::array<uint16_t, kMaxAreaColours> filled;
  for (int r = 0; r < kAreaSide; ++r) {
    if (y + r < 0 || y + r >= picture.height) continue;
    const uint8_t* row = picture.Row(y + r);
    for (int c = 0; c < width; ++c) {
      const uint8_t* p = row + 3 * size_t(x + c);
      const Rgb rgb = MakeRgb(p[0], p[1], p[2]);
      if (!colours.empty() && colours.back() == rgb) continue;
      size_t at = (rgb * 2654435761u) >> 22;
      while (seen[at] != kFreeEntry && seen[at] != rgb) at = (at + 1) & (kSeenEntries - 1);
      if (seen[at] == rgb) continue;
      seen[at] = rgb;
      filled[colours.size()] = static_cast<uint16_t>(at);
      colours.push_back(rgb);
      if (static_cast<int>(colours.size()) == kMaxAreaColours) break;
    }
    if (static_cast<int>(colours.size()) == kMaxAreaColours) break;
  }
  for (size_t i = 0; i < colours.size(); ++i) seen[filled[i]] = kFreeEntry;
  return colours;
}

bool FitColours(SlotTable& slots, int slotsPerPalette, std::span<const Rgb> colours) {
  if (FindPalette(slots, colours, slotsPerPalette) >= 0) return true;
  for (int p = 0; p < kPaletteCount; ++p) {
    std::vector<Rgb> missing;
    for (Rgb rgb : colours) {
      if (!Holds(slots, p, slotsPerPalette, rgb)) missing.push_back(rgb);
    }
    int free = 0;
    for (int s = 0; s < slotsPerPalette; ++s) free += slots.At(p, s).used != 0 ? 0 : 1;
    if (free < static_cast<int>(missing.size())) continue;
    size_t next = 0;
    for (int s = 0; s < slotsPerPalette && next < missing.size(); ++s) {
      if (slots.At(p, s).used == 0) slots.At(p, s) = {missing[next++], 1};
    }
    return true;
  }
  return false;
}

int FindPalette(const SlotTable& slots, std::span<const Rgb> colours, int slotsPerPalette) {
  for (int p = 0; p < kPaletteCount; ++p) {
    const bool all = std::all_of(colours.begin(), colours.end(),
                                 [&](Rgb rgb) { return Holds(slots, p, slotsPerPalette, rgb); });
    if (all) return p;
  }
  return -1;
}

std::string NoPaletteMessage(int x, int y, int w, int h) {
  using std::to_string;
  return common::TrFill("没有可用的调色板匹配({0},{1},{2},{3}),转换终止!",
                        {to_string(x), to_string(y), to_string(x + w), to_string(y + h)});
}

Result AreaFailure(std::string message, int x, int y) {
  return Result::Fail(std::move(message), "stopped at the 16 x 16 area at " + std::to_string(x) +
                                              "," + std::to_string(y));
}

std::optional<WorkArea> ProblemAreaOf(const Result& result) {
  int x = 0, y = 0;
  if (result.ok ||
      std::sscanf(result.detail.c_str(), "stopped at the 16 x 16 area at %d,%d", &x, &y) != 2)
    return std::nullopt;
  return WorkArea{x, y, x + kAreaSide, y + kAreaSide};
}

Result GatherPalettes(const Picture& picture, const WorkArea& area, Rgb background, int colourMode,
                      int blockMode, SlotTable& slots, AreaColourLists& lists) {
  const BlockGeometry g = GeometryOf(blockMode);
  const int limit = ColoursPerPalette(colourMode);
  slots = SlotTable{};
  for (int p = 0; p < kPaletteCount; ++p) slots.At(p, 0) = {background, 1};
  lists.clear();
  const int64_t areaCount = int64_t{(area.right - area.left + kAreaSide - 1) / kAreaSide} *
                            ((area.bottom - area.top + kAreaSide - 1) / kAreaSide);
  const bool keep = areaCount <= kMaxKeptAreas;
  for (int y = area.top; y < area.bottom; y += kAreaSide) {
    for (int x = area.left; x < area.right; x += kAreaSide) {
      std::vector<Rgb> colours = AreaColours(picture, x, y);
      if (static_cast<int>(colours.size()) > limit) {
        using std::to_string;
        return AreaFailure(common::TrFill("({0},{1},{2},{3})内颜色超过{4}种,转换终止!",
                                          {to_string(x), to_string(y), to_string(x + g.width),
                                           to_string(y + g.height), to_string(limit)}),
                           x, y);
      }
      if (!FitColours(slots, limit, colours)) {
        return AreaFailure(NoPaletteMessage(x, y, g.width, g.height), x, y);
      }
      if (keep) lists.push_back(std::move(colours));
    }
  }
  if (!keep) lists.clear();
  return Result::Ok();
}

}  // namespace tilvex
