#include "image/colour_list.h"

#include <algorithm>
#include <unordered_map>

namespace tilvex {
namespace {

// Replaces every readable pixel of the rectangle that the list holds by the replacement of
// its list position; pixels missing from the list keep their value.
void ReplaceListedColours(PictureBuffer& picture, const ColourList& list,
                          const std::array<Rgb, kMaxListedColours>& replacement, int32_t width,
                          int32_t height) {
  std::unordered_map<Rgb, Rgb> map;
  for (uint32_t i = 0; i < list.count && i < kMaxListedColours; ++i) {
    map.emplace(list.colours[i], replacement[i]);  // the first position of a colour wins
  }
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const PixelRead pixel = picture.GetPixel(x, y);
      if (!pixel.ok()) continue;
      const auto found = map.find(pixel.rgb);
      if (found != map.end()) picture.SetPixel(x, y, found->second);
    }
  }
}

}  // namespace

int ColourList::IndexOf(Rgb rgb) const {
  const uint32_t n = std::min<uint32_t>(count, kMaxListedColours);
  for (uint32_t i = 0; i < n; ++i) {
    if (colours[i] == rgb) return static_cast<int>(i);
  }
  return -1;
}

void CollectColours(const PictureBuffer& picture, int32_t x, int32_t y, int32_t width,
                    int32_t height, ColourList& list) {
  list.count = 0;
  std::unordered_map<Rgb, bool> seen;
  for (int64_t row = y; row < int64_t{y} + height; ++row) {
    for (int64_t column = x; column < int64_t{x} + width; ++column) {
      const PixelRead pixel =
          picture.GetPixel(static_cast<int32_t>(column), static_cast<int32_t>(row));
      const Rgb rgb = pixel.ok() ? pixel.rgb : 0;
      if (!seen.emplace(rgb, true).second) continue;
      list.colours[list.count++] = rgb;
      if (list.count == kMaxListedColours) return;
    }
  }
}

int CountDistinctCodes(const ColourList& list, ColourSpace space, const ColourTables& tables) {
  const uint32_t n = std::min<uint32_t>(list.count, kMaxListedColours);
  std::vector<bool> seen(65536, false);
  int distinct = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const ColourCode code = RgbToCode(space, tables, list.colours[i]);
    if (!seen[code]) {
      seen[code] = true;
      ++distinct;
    }
  }
  return distinct;
}

void AdaptHsl4K(PictureBuffer& picture, const ColourList& list, const ColourTables& tables,
                int32_t width, int32_t height) {
  std::array<Rgb, kMaxListedColours> replacement{};
  for (uint32_t i = 0; i < list.count && i < kMaxListedColours; ++i) {
    const ColourCode code = RgbToCode(ColourSpace::kHsl4K, tables, list.colours[i]);
    replacement[i] = tables.codes[code];
  }
  ReplaceListedColours(picture, list, replacement, width, height);
}

void AdaptNes64(PictureBuffer& picture, const ColourList& list, const ColourTables& tables,
                int32_t width, int32_t height) {
  std::array<Rgb, kMaxListedColours> replacement{};
  for (uint32_t i = 0; i < list.count && i < kMaxListedColours; ++i) {
    replacement[i] = tables.nes[NearestNesColour(tables.nes, list.colours[i])];
  }
  ReplaceListedColours(picture, list, replacement, width, height);
}

void AdaptRgb4K(PictureBuffer& picture, int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const PixelRead pixel = picture.GetPixel(x, y);
      if (pixel.ok()) picture.SetPixel(x, y, pixel.rgb & 0xF0F0F0);
    }
  }
}

Result AdaptHsl4K(PictureBuffer& picture, const ColourList& list, int32_t width, int32_t height) {
  ColourTables tables;
  Result read = LoadCodeTable(DataDirectory(), tables.codes);
  tables.RebuildIndex();
  AdaptHsl4K(picture, list, tables, width, height);
  return read;
}

Result AdaptNes64(PictureBuffer& picture, const ColourList& list, int32_t width, int32_t height) {
  ColourTables tables;
  Result read = LoadNesTable(DataDirectory(), tables.nes);
  AdaptNes64(picture, list, tables, width, height);
  return read;
}

}  // namespace tilvex
