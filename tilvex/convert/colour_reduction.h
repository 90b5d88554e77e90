// Colour reduction under the console's rules: one background colour shared by all palettes,
// 16 palettes of 15 (16-colour mode) or 3 (4-colour mode) further colours, one palette per
// 16 x 16 area, every colour one the chosen colour space shows. Used when a picture has more
// colours than that allows; the result converts exactly with ConvertWithPalettes.
#pragma once

#include <cstdint>
#include <vector>

#include "common/result.h"
#include "convert/dither.h"
#include "convert/palette_gathering.h"
#include "convert/progress.h"
#include "image/colour_tables.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex {
using common::Result;

struct ReduceOptions {
  bool reduce = false;  // off: a picture with too many colours is refused as before
  Dither dither = Dither::kNone;
  // Off: the background given by the caller stays; on: the reduction picks the best one.
  bool chooseBackground = true;
};

struct ReducedPicture {
  Result status;  // fails only when cancelled, with an empty message
  // The source with every 16 x 16 area the working area touches repainted in the colours of
  // its palette; unchanged where the colours could be shared out without loss.
  Picture picture;
  SlotTable slots{};
  Rgb background = 0;
  bool lossless = false;  // the source's own colours fitted, nothing was repainted
};

ReducedPicture ReduceColours(const Picture& picture, const WorkArea& area, Rgb background,
                             int colourMode, ColourSpace space, const ColourTables& tables,
                             const ReduceOptions& options, Progress& progress = NoProgress());

// For palettes fixed beforehand (an animation's "ani.pal"): each area takes the palette that
// codes it with the least error and is repainted in that palette's colours.
ReducedPicture ReduceToPalettes(const Picture& picture, const WorkArea& area,
                                const SlotTable& slots, int colourMode, Dither dither,
                                Progress& progress = NoProgress());

}  // namespace tilvex
