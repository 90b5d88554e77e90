#include "image/colour_list.h"

#include <algorithm>
#include <unordered_map>

#include "image/colour_set.h"

namespace tilvex {
namespace {

// Replaces every pixel of the rectangle by the nearest colour the table can show. Each
// distinct colour is looked up once; the table's own colours map to themselves, so a second
// run changes nothing.
template <typename Nearest>
bool ReplaceColours(Picture& picture, int32_t width, int32_t height, Nearest nearest,
                    const StopAsked& stop) {
  std::unordered_map<Rgb, Rgb> known;
  const int32_t rows = std::min(height, picture.height);
  const int32_t columns = std::min(width, picture.width);
  // Neighbouring pixels mostly share a colour: remember the last answer.
  Rgb lastIn = 0, lastOut = 0;
  bool haveLast = false;
  for (int32_t y = 0; y < rows; ++y) {
    if (stop && y % 64 == 0 && stop()) return false;
    uint8_t* p = picture.Row(y);
    for (int32_t x = 0; x < columns; ++x, p += 3) {
      const Rgb rgb = MakeRgb(p[0], p[1], p[2]);
      if (!haveLast || rgb != lastIn) {
        auto [at, added] = known.try_emplace(rgb, 0);
        if (added) at->second = nearest(rgb);
        lastIn = rgb;
        lastOut = at->second;
        haveLast = true;
      }
      p[0] = static_cast<uint8_t>(RedOf(lastOut));
      p[1] = static_cast<uint8_t>(GreenOf(lastOut));
      p[2] = static_cast<uint8_t>(BlueOf(lastOut));
    }
  }
  return true;
}

}  // namespace

int ColourList::IndexOf(Rgb rgb) const {
  const uint32_t n = std::min<uint32_t>(count, kMaxListedColours);
  for (uint32_t i = 0; i < n; ++i) {
    if (colours[i] == rgb) return static_cast<int>(i);
  }
  return -1;
}

void CollectColours(const Picture& picture, int32_t x, int32_t y, int32_t width, int32_t height,
                    ColourList& list) {
  list.count = 0;
  const bool readable = !picture.Empty();
  ColourSet seen;
  bool haveLast = false;
  Rgb last = 0;
  for (int64_t row = y; row < int64_t{y} + height; ++row) {
    const bool rowInside = readable && row >= 0 && row < picture.height;
    const uint8_t* pixels = rowInside ? picture.Row(static_cast<int32_t>(row)) : nullptr;
    for (int64_t column = x; column < int64_t{x} + width; ++column) {
      // A pixel that cannot be read counts as black.
      Rgb rgb = 0;
      if (pixels && column >= 0 && column < picture.width) {
        const uint8_t* p = pixels + 3 * column;
        rgb = MakeRgb(p[0], p[1], p[2]);
      }
      if (haveLast && rgb == last) continue;
      haveLast = true;
      last = rgb;
      if (!seen.Add(rgb)) continue;
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

bool AdaptHsl4K(Picture& picture, const ColourTables& tables, int32_t width, int32_t height,
                const StopAsked& stop) {
  return ReplaceColours(
      picture, width, height,
      [&tables](Rgb rgb) { return tables.codes[RgbToCode(ColourSpace::kHsl4K, tables, rgb)]; },
      stop);
}

bool AdaptNes64(Picture& picture, const ColourTables& tables, int32_t width, int32_t height,
                const StopAsked& stop) {
  return ReplaceColours(
      picture, width, height,
      [&tables](Rgb rgb) { return tables.nes[NearestNesColour(tables.nes, rgb)]; }, stop);
}

void AdaptRgb4K(Picture& picture, int32_t width, int32_t height) {
  const int32_t rows = std::min(height, picture.height);
  const int32_t columns = std::min(width, picture.width);
  for (int32_t y = 0; y < rows; ++y) {
    uint8_t* p = picture.Row(y);
    for (int32_t i = 0; i < 3 * columns; ++i) p[i] &= 0xF0;
  }
}

Result AdaptHsl4K(Picture& picture, int32_t width, int32_t height) {
  ColourTables tables;
  Result read = LoadCodeTable(DataDirectory(), tables.codes);
  tables.RebuildIndex();
  AdaptHsl4K(picture, tables, width, height);
  return read;
}

Result AdaptNes64(Picture& picture, int32_t width, int32_t height) {
  ColourTables tables;
  Result read = LoadNesTable(DataDirectory(), tables.nes);
  AdaptNes64(picture, tables, width, height);
  return read;
}

}  // namespace tilvex
