// The conversion of a picture into a block picture: the palettes per 16 x 16 area, the tiles
// of each block, the name table with its attributes, the palette block and the packed PGT.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/result.h"
#include "convert/block_picture.h"
#include "convert/conversion_settings.h"
#include "convert/palette_gathering.h"
#include "convert/progress.h"
#include "image/colour_tables.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex {
using common::Result;

// Where the palettes come from once the analysis has gathered them.
struct PaletteChoice {
  // Taken instead of the gathered palettes, with no review (batch runs: "ani.pal").
  std::optional<SlotTable> fixed;
  // The review of the gathered palettes; may edit them. False cancels the conversion.
  // Empty: the palettes are taken as computed.
  std::function<bool(SlotTable&)> review;
};

// What a conversion gives: on success the block picture and the palettes it was made with.
// A failure carries the stop message; an empty message means the review was cancelled.
struct Conversion {
  Result status;
  BlockPicture picture;
  SlotTable slots{};
};

// Analysis, palette choice (a palette file named in the settings, else `palettes`), then
// both generation passes and the packing. The block picture's header is made from the
// settings and what the conversion found. Where the analysis (or the fixed palettes) would
// refuse the picture and `settings.reduce.reduce` is set, the picture is first reduced to
// colours the palettes can hold; a picture the plain conversion takes gives the same bytes
// either way.
Conversion ConvertPicture(const Picture& picture, const ConversionSettings& settings,
                          const PaletteChoice& palettes, const ColourTables& tables,
                          Progress& progress = NoProgress());

// Both generation passes and the packing with the palettes already in slots. `analysed`
// holds the analysis's colour lists of the same areas when they were kept.
Conversion ConvertWithPalettes(const Picture& picture, const ConversionSettings& settings,
                               const SlotTable& slots, const ColourTables& tables,
                               Progress& progress = NoProgress(),
                               const AreaColourLists* analysed = nullptr);

}  // namespace tilvex
