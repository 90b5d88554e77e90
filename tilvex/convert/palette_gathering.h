// Colour analysis: the distinct colours of each 16 x 16 area of the working area, and the
// palettes that hold them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "image/colour.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex {
using common::Result;

inline constexpr int kAreaSide = 16;  // the console gives one palette to each 16 x 16 area

// Working area in picture coordinates; right and bottom exclusive.
struct WorkArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The colour lists of the analysis, area by area in walk order, for the tile pass to reuse;
// empty when the working area holds too many areas to keep them.
using AreaColourLists = std::vector<std::vector<Rgb>>;

// The distinct colours of the 16 x 16 area at (x, y), in order of first appearance; a row
// ends at its first pixel outside the picture.
std::vector<Rgb> AreaColours(const Picture& picture, int x, int y);

// Puts a colour set into the first palette that holds it or has room for the missing
// colours among its first slotsPerPalette slots. False changes nothing.
bool FitColours(SlotTable& slots, int slotsPerPalette, std::span<const Rgb> colours);

// The lowest palette holding every colour among its first slotsPerPalette slots, or -1.
int FindPalette(const SlotTable& slots, std::span<const Rgb> colours, int slotsPerPalette);

// The stop message for a colour set no palette can hold.
std::string NoPaletteMessage(int x, int y, int w, int h);

// A stop at the 16 x 16 area whose corner is (x, y): the message, and the area in the
// detail, where ProblemAreaOf finds it again so the window can show the user the place.
Result AreaFailure(std::string message, int x, int y);
std::optional<WorkArea> ProblemAreaOf(const Result& result);

// Every palette starts with the background in slot 0; then each area's colours go into the
// first palette that holds them or has room. Stops with a message at the first area with
// more colours than a palette holds or that no palette can take.
Result GatherPalettes(const Picture& picture, const WorkArea& area, Rgb background, int colourMode,
                      int blockMode, SlotTable& slots, AreaColourLists& lists);

}  // namespace tilvex
