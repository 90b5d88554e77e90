#pragma once

// The picture's colour list (distinct colours of the working area in order of first
// appearance, at most 256) and the three colour adaptations that repaint a picture with the
// nearest colours a colour space can show.

#include <array>
#include <cstdint>
#include <functional>

#include "common/result.h"
#include "image/colour.h"
#include "image/colour_tables.h"
#include "image/picture.h"

namespace tilvex {
using common::Result;

inline constexpr int kMaxListedColours = 256;

struct ColourList {
  uint32_t count = 0;
  std::array<Rgb, kMaxListedColours> colours{};

  // Position of a colour in the list, or -1.
  int IndexOf(Rgb rgb) const;
};

// Refills the list from the rectangle (rows from the top, columns from the left); a pixel
// that cannot be read counts as RGB 0; stops at 256 colours.
void CollectColours(const Picture& picture, int32_t x, int32_t y, int32_t width, int32_t height,
                    ColourList& list);

// How many distinct codes the listed colours map to in the colour space.
int CountDistinctCodes(const ColourList& list, ColourSpace space, const ColourTables& tables);

// Adaptations of the rectangle from (0, 0) of the given size. The two table-based ones
// replace every pixel by the nearest colour of the table, so adapting twice changes
// nothing.
// `stop` is asked every few rows; once it says yes the adaptation ends where it is and gives
// false.
using StopAsked = std::function<bool()>;
bool AdaptHsl4K(Picture& picture, const ColourTables& tables, int32_t width, int32_t height,
                const StopAsked& stop = {});
bool AdaptNes64(Picture& picture, const ColourTables& tables, int32_t width, int32_t height,
                const StopAsked& stop = {});
void AdaptRgb4K(Picture& picture, int32_t width, int32_t height);

// As the menu commands run them: each reads its table from DataDirectory() afresh. A table
// that cannot be read gives its message; the adaptation then runs on the zeroed table.
Result AdaptHsl4K(Picture& picture, int32_t width, int32_t height);
Result AdaptNes64(Picture& picture, int32_t width, int32_t height);

}  // namespace tilvex
