// The conversion engine: palettes per 16 x 16 area, tiles, name table, attributes and the
// packed PGT of a block picture, and the rendering of a block picture back into pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/result.h"
#include "convert/block_geometry.h"
#include "convert/picture_access.h"
#include "convert/progress.h"
#include "doc/pic_header.h"

namespace tilvex {
using common::Result;

// Working area in picture coordinates; right and bottom exclusive.
struct WorkArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Where the palettes come from once the analysis has gathered them.
struct PaletteSource {
  // Batch runs take the palettes from a palette file ("ani.pal") and show no review.
  bool batch = false;
  std::string batchPalettePath = "ani.pal";
  // The review of the gathered palettes; may edit them. False cancels the conversion.
  // Empty: the palettes are taken as computed.
  std::function<bool(SlotTable&)> review;
};

class TileConverter {
 public:
  explicit TileConverter(std::shared_ptr<const ColourTables> tables);

  // Analysis, palette review, then Convert. On success the header and blocks describe the
  // new block picture; on a stop both are left as they were and the message is returned.
  // An empty message with ok false means the review was cancelled.
  Result BuildPalettes(const Picture& picture, const WorkArea& area, uint32_t background,
                       PicHeader& header, const PaletteSource& source,
                       Progress& progress = NoProgress());

  // Both generation passes and the packing, with the palettes already in slots.
  Result Convert(const Picture& picture, const WorkArea& area, PicHeader& header,
                 Progress& progress = NoProgress());

  // Puts a colour set into the first palette that holds it or has room for the missing
  // colours among its first slotsPerPalette slots. False changes nothing.
  bool FitColours(int paletteCount, int slotsPerPalette, const uint32_t* colours, int count);

  // The lowest palette holding every colour among its first slotsPerPalette slots, or -1.
  int FindPalette(const std::vector<uint32_t>& colours, int slotsPerPalette) const;

  // Bit-plane packing of pixel `index` of the PGT pixel stream at pgtCursor.
  void EncodePixel(uint8_t value, size_t index, int colourMode);
  uint8_t DecodePixel(size_t index, int colourMode);

  // Draws one cell from the PGT at bankOffset; false when the cell's data lies outside the
  // PGT block or a pixel falls outside the image.
  bool RenderCell(Picture& image, const PicHeader& header, size_t bankOffset, int x, int y,
                  size_t cell);
  // Blackens the image and draws every cell.
  void RenderAll(Picture& image, const PicHeader& header);

  SlotTable slots{};
  BlockData blocks;
  size_t pgtCursor = 0;
  std::shared_ptr<const ColourTables> tables;

 private:
  Result CheckSettings(const WorkArea& area, const PicHeader& header) const;
  Result MatchPalette(const Picture& picture, const WorkArea& area, const PicHeader& header, int x,
                      int y, int& palette) const;
  void BuildTile(const Picture& picture, const PicHeader& header, int palette, int x, int y,
                 std::vector<uint8_t>& tile) const;

  // The colour lists of the analysis, area by area in walk order, while BuildPalettes hands
  // over to Convert: the matching reads the same areas of the same picture.
  std::vector<std::vector<Rgb>> analysedAreas_;
  bool useAnalysedAreas_ = false;
};

// The distinct colours of the 16 x 16 area at (x, y), in order of first appearance; a row
// ends at its first pixel outside the picture.
std::vector<uint32_t> AreaColours(const Picture& picture, int x, int y);

// The stop message for a colour set no palette can hold.
std::string NoPaletteMessage(int x, int y, int w, int h);

}  // namespace tilvex
