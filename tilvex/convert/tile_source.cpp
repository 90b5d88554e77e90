#include "convert/tile_source.h"

#include <algorithm>
#include <cstdio>
#include "common/translate.h"

namespace tilvex {
namespace {

// The tiles of the first pass are kept for the second for areas up to this many pixels.
constexpr size_t kMaxKeptTilePixels = size_t{4096} * 4096;

}  // namespace

void SlotLookup::Fill(const SlotTable& slots, int palette, int limit) {
  keys_.fill(kFree);
  missing_ = static_cast<uint8_t>(limit);
  for (int s = 0; s < limit; ++s) {
    const Slot& slot = slots.At(palette, s);
    if (slot.used == 0) continue;
    size_t at = Hash(slot.rgb);
    while (keys_[at] != kFree && keys_[at] != slot.rgb) at = (at + 1) % kEntries;
    if (keys_[at] == slot.rgb) continue;  // a lower slot holds the colour already
    keys_[at] = slot.rgb;
    slots_[at] = static_cast<uint8_t>(s);
  }
}

TileSource::TileSource(const Picture& picture, const WorkArea& area, const PicHeader& settings,
                       const SlotTable& slots, const AreaColourLists* analysed)
    : picture_(picture), area_(area), settings_(settings), slots_(slots), analysed_(analysed) {
  const int limit = ColoursPerPalette(settings.colourMode);
  for (int p = 0; p < kPaletteCount; ++p) lookups_[size_t(p)].Fill(slots, p, limit);
  areaColumns_ = (area.right - area.left + kAreaSide - 1) / kAreaSide;
  const int areaRows = (area.bottom - area.top + kAreaSide - 1) / kAreaSide;
  areaPalettes_.assign(size_t(areaColumns_) * size_t(areaRows), -1);
  const size_t areaPixels =
      size_t(area.right - area.left) * static_cast<size_t>(area.bottom - area.top);
  keeping_ = areaPixels <= kMaxKeptTilePixels;
  if (keeping_) kept_.resize(areaPixels);
}

Result TileSource::PaletteAt(int x, int y, int& palette) {
  const size_t index = size_t((y - area_.top) / kAreaSide) * size_t(areaColumns_) +
                       size_t((x - area_.left) / kAreaSide);
  int& known = areaPalettes_[index];
  if (known >= 0) {
    palette = known;
    return Result::Ok();
  }
  const BlockGeometry g = GeometryOf(settings_.blockMode);
  const int limit = ColoursPerPalette(settings_.colourMode);
  // The same 16 x 16 grid as the analysis, counted from the working area's corner.
  const int areaX = area_.left + (x - area_.left) / kAreaSide * kAreaSide;
  const int areaY = area_.top + (y - area_.top) / kAreaSide * kAreaSide;
  const std::vector<Rgb> colours = analysed_ && index < analysed_->size()
                                       ? (*analysed_)[index]
                                       : AreaColours(picture_, areaX, areaY);
  if (static_cast<int>(colours.size()) > limit) {
    using std::to_string;
    return AreaFailure(common::TrFill("({0},{1},{2},{3})范围内颜色超过{4}种,转换终止!",
                                      {to_string(x), to_string(y), to_string(x + g.width),
                                       to_string(y + g.height), to_string(limit)}),
                       areaX, areaY);
  }
  known = FindPalette(slots_, colours, limit);
  if (known < 0) return AreaFailure(NoPaletteMessage(x, y, g.width, g.height), areaX, areaY);
  palette = known;
  return Result::Ok();
}

size_t TileSource::BlockIndex(int x, int y) const {
  const BlockGeometry g = GeometryOf(settings_.blockMode);
  const int blockColumns = (area_.right - area_.left) / g.width;
  return size_t((y - area_.top) / g.height) * size_t(blockColumns) +
         size_t((x - area_.left) / g.width);
}

const std::vector<uint8_t>& TileSource::Tile(int palette, int x, int y) {
  const BlockGeometry g = GeometryOf(settings_.blockMode);
  if (!keeping_) {
    BuildTile(palette, x, y);
    return tile_;
  }
  const size_t blockPixels = size_t(g.width) * size_t(g.height);
  const auto kept = kept_.begin() + static_cast<ptrdiff_t>(BlockIndex(x, y) * blockPixels);
  if (reuse_) {
    tile_.assign(kept, kept + static_cast<ptrdiff_t>(blockPixels));
  } else {
    BuildTile(palette, x, y);
    std::copy(tile_.begin(), tile_.end(), kept);
  }
  return tile_;
}

void TileSource::BuildTile(int palette, int x, int y) {
  const BlockGeometry g = GeometryOf(settings_.blockMode);
  const SlotLookup& lookup = lookups_[size_t(palette)];
  tile_.resize(size_t(g.width) * size_t(g.height));
  for (int by = 0; by < g.height; by += 8) {
    for (int bx = 0; bx < g.width; bx += 8) {
      for (int r = 0; r < 8; ++r) {
        uint8_t* out = &tile_[size_t(g.width * by + 8 * bx + 8 * r)];
        for (int c = 0; c < 8; ++c) {
          // A pixel outside the picture counts as black.
          const int px = x + bx + c, py = y + by + r;
          out[c] = lookup.SlotOf(picture_.Contains(px, py) ? picture_.At(px, py) : 0);
        }
      }
    }
  }
}

}  // namespace tilvex
