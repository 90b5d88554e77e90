#include "convert/tile_converter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <span>

#include "convert/file_util.h"

namespace tilvex {
using common::ReadFileBytes;
namespace {

constexpr int kAreaSide = 16;  // palettes are chosen per 16 x 16 area
// The matching reuses the analysed colour lists for up to this many areas.
constexpr int64_t kMaxKeptAreas = 65536;
constexpr int kMaxAreaColours = 256;
constexpr size_t kPalFileHeader = 16;
constexpr int kMaxEndAddress = 0x2000;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

bool Holds(const SlotTable& slots, int palette, int slotsPerPalette, uint32_t rgb) {
  for (int s = 0; s < slotsPerPalette; ++s) {
    if (SlotUsed(slots, palette, s) && SlotRgb(slots, palette, s) == rgb) return true;
  }
  return false;
}

// Lowest used slot of the palette holding rgb; count when none does.
uint8_t SlotNumber(const SlotTable& slots, int palette, int count, uint32_t rgb) {
  for (int s = 0; s < count; ++s) {
    if (SlotUsed(slots, palette, s) && SlotRgb(slots, palette, s) == rgb) {
      return static_cast<uint8_t>(s);
    }
  }
  return static_cast<uint8_t>(count);
}

// Replaces the slots with those of a palette file when it carries the "PAL" mark.
void TakeBatchPalettes(const std::string& path, SlotTable& slots) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kPalFileHeader + kSlotTableBytes, bytes).ok) return;
  if (bytes.size() < kPalFileHeader + kSlotTableBytes) return;
  if (std::memcmp(bytes.data(), "PAL", 4) != 0) return;
  slots = ReadSlotTable(
      std::span<const uint8_t, kSlotTableBytes>(bytes.data() + kPalFileHeader, kSlotTableBytes));
}

}  // namespace

std::vector<uint32_t> AreaColours(const Picture& picture, int x, int y) {
  std::vector<uint32_t> colours;
  if (x < 0) return colours;  // every row would end at its first pixel
  const int width = std::min(kAreaSide, PictureWidth(picture) - x);
  // Colours seen so far, in a small open-addressed set; RGB values never have the top byte
  // set, so all ones marks a free entry.
  constexpr uint32_t kFree = 0xFFFFFFFF;
  std::array<uint32_t, 1024> seen;
  seen.fill(kFree);
  for (int r = 0; r < kAreaSide; ++r) {
    const uint8_t* row = PixelRow(picture, y + r);
    if (!row) continue;
    for (int c = 0; c < width; ++c) {
      Rgb rgb = RgbAt(row, x + c);
      if (!colours.empty() && colours.back() == rgb) continue;
      size_t at = (rgb * 2654435761u) >> 22;
      while (seen[at] != kFree && seen[at] != rgb) at = (at + 1) & (seen.size() - 1);
      if (seen[at] == rgb) continue;
      seen[at] = rgb;
      colours.push_back(rgb);
      if (static_cast<int>(colours.size()) == kMaxAreaColours) return colours;
    }
  }
  return colours;
}

std::string NoPaletteMessage(int x, int y, int w, int h) {
  return Format("没有可用的调色板匹配(%d,%d,%d,%d),转换终止!", x, y, x + w, y + h);
}

TileConverter::TileConverter(std::shared_ptr<const ColourTables> colourTables)
    : tables(std::move(colourTables)) {}

bool TileConverter::FitColours(int paletteCount, int slotsPerPalette, const uint32_t* colours,
                               int count) {
  for (int p = 0; p < paletteCount; ++p) {
    bool all = true;
    for (int i = 0; i < count && all; ++i) all = Holds(slots, p, slotsPerPalette, colours[i]);
    if (all) return true;
  }
  for (int p = 0; p < paletteCount; ++p) {
    std::vector<uint32_t> missing;
    for (int i = 0; i < count; ++i) {
      if (!Holds(slots, p, slotsPerPalette, colours[i])) missing.push_back(colours[i]);
    }
    if (missing.empty()) return true;
    int free = 0;
    for (int s = 0; s < slotsPerPalette; ++s) free += SlotUsed(slots, p, s) ? 0 : 1;
    if (free < static_cast<int>(missing.size())) continue;
    size_t next = 0;
    for (int s = 0; s < slotsPerPalette && next < missing.size(); ++s) {
      if (!SlotUsed(slots, p, s)) SetSlot(slots, p, s, missing[next++]);
    }
    return true;
  }
  return false;
}

int TileConverter::FindPalette(const std::vector<uint32_t>& colours, int slotsPerPalette) const {
  for (int p = 0; p < kPaletteCount; ++p) {
    bool all = true;
    for (size_t i = 0; i < colours.size() && all; ++i) {
      all = Holds(slots, p, slotsPerPalette, colours[i]);
    }
    if (all) return p;
  }
  return -1;
}

Result TileConverter::CheckSettings(const WorkArea& area, const PicHeader& header) const {
  if (header.endAddress > kMaxEndAddress) {
    return Result::Fail("结束地址不能超过$2000,转换终止!");
  }
  if (header.beginAddress >= header.endAddress) {
    return Result::Fail("起始地址必须小于结束地址,转换终止!");
  }
  const BlockGeometry g = GeometryOf(header.blockMode);
  // Name-table codes count code units from the bank start, so the first tile must start on one.
  if (2 * header.beginAddress % g.codeUnit != 0) {
    return Result::Fail(Format("起始地址必须是$%X的整数倍,转换终止!", g.codeUnit / 2));
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (area.left < 0 || area.top < 0 || width <= 0 || height <= 0 || width % g.width != 0 ||
      height % g.height != 0) {
    return Result::Fail(Format("转换区域(%d,%d,%d,%d)的宽和高必须是%d和%d的整数倍,转换终止!",
                               area.left, area.top, area.right, area.bottom, g.width, g.height));
  }
  return Result::Ok();
}

Result TileConverter::BuildPalettes(const Picture& picture, const WorkArea& area,
                                    uint32_t background, PicHeader& header,
                                    const PaletteSource& source, Progress& progress) {
  Result settings = CheckSettings(area, header);
  if (!settings.ok) return settings;
  // Pixels of other bit counts cannot be read; say so once instead of at every pixel.
  if (picture.HasImage() && picture.BitCount() != 24) return Result::Fail(kNot24BitMessage);
  const BlockGeometry g = GeometryOf(header.blockMode);
  const int limit = ColoursPerPalette(header.colourMode);

  for (int p = 0; p < kPaletteCount; ++p) {
    for (int s = 0; s < kSlotsPerPalette; ++s) ClearSlot(slots, p, s);
    SetSlot(slots, p, 0, background);
  }
  analysedAreas_.clear();
  const int64_t areaCount = int64_t{(area.right - area.left + kAreaSide - 1) / kAreaSide} *
                            ((area.bottom - area.top + kAreaSide - 1) / kAreaSide);
  const bool keepAreas = areaCount <= kMaxKeptAreas;
  std::vector<Rgb> colours;
  for (int y = area.top; y < area.bottom; y += kAreaSide) {
    for (int x = area.left; x < area.right; x += kAreaSide) {
      colours = AreaColours(picture, x, y);
      if (keepAreas) analysedAreas_.push_back(colours);
      if (static_cast<int>(colours.size()) > limit) {
        return Result::Fail(Format("(%d,%d,%d,%d)内颜色超过%d种,转换终止!", x, y, x + g.width,
                                   y + g.height, limit));
      }
      if (!FitColours(kPaletteCount, limit, colours.data(), static_cast<int>(colours.size()))) {
        return Result::Fail(NoPaletteMessage(x, y, g.width, g.height));
      }
    }
  }

  if (source.batch) {
    TakeBatchPalettes(source.batchPalettePath, slots);
  } else if (source.review && !source.review(slots)) {
    return Result::Fail(std::string());
  }
  useAnalysedAreas_ = keepAreas;
  Result converted = Convert(picture, area, header, progress);
  useAnalysedAreas_ = false;
  analysedAreas_.clear();
  return converted;
}

Result TileConverter::MatchPalette(const Picture& picture, const WorkArea& area,
                                   const PicHeader& header, int x, int y, int& palette) const {
  const BlockGeometry g = GeometryOf(header.blockMode);
  const int limit = ColoursPerPalette(header.colourMode);
  // The same 16 x 16 grid as the analysis, counted from the working area's corner.
  const int areaX = area.left + (x - area.left) / kAreaSide * kAreaSide;
  const int areaY = area.top + (y - area.top) / kAreaSide * kAreaSide;
  const int columns = (area.right - area.left + kAreaSide - 1) / kAreaSide;
  const size_t index = static_cast<size_t>((areaY - area.top) / kAreaSide * columns +
                                           (areaX - area.left) / kAreaSide);
  std::vector<Rgb> colours = useAnalysedAreas_ && index < analysedAreas_.size()
                                 ? analysedAreas_[index]
                                 : AreaColours(picture, areaX, areaY);
  if (static_cast<int>(colours.size()) > limit) {
    return Result::Fail(Format("(%d,%d,%d,%d)范围内颜色超过%d种,转换终止!", x, y, x + g.width,
                               y + g.height, limit));
  }
  palette = FindPalette(colours, limit);
  if (palette < 0) return Result::Fail(NoPaletteMessage(x, y, g.width, g.height));
  return Result::Ok();
}

void TileConverter::BuildTile(const Picture& picture, const PicHeader& header, int palette, int x,
                              int y, std::vector<uint8_t>& tile) const {
  const BlockGeometry g = GeometryOf(header.blockMode);
  const int limit = ColoursPerPalette(header.colourMode);
  tile.resize(static_cast<size_t>(g.width * g.height));
  // The palette's used slots in slot order; a pixel takes the lowest slot holding its colour.
  Rgb held[kSlotsPerPalette];
  uint8_t heldSlot[kSlotsPerPalette];
  int heldCount = 0;
  for (int s = 0; s < limit; ++s) {
    if (SlotUsed(slots, palette, s)) {
      held[heldCount] = SlotRgb(slots, palette, s);
      heldSlot[heldCount++] = static_cast<uint8_t>(s);
    }
  }
  const int width = PictureWidth(picture);
  Rgb lastRgb = 0;
  uint8_t lastSlot = SlotNumber(slots, palette, limit, 0);
  for (int by = 0; by < g.height; by += 8) {
    for (int bx = 0; bx < g.width; bx += 8) {
      for (int r = 0; r < 8; ++r) {
        const uint8_t* row = PixelRow(picture, y + by + r);
        uint8_t* out = &tile[static_cast<size_t>(g.width * by + 8 * bx + 8 * r)];
        for (int c = 0; c < 8; ++c) {
          const int px = x + bx + c;
          // A pixel outside the picture counts as black.
          Rgb rgb = row && px >= 0 && px < width ? RgbAt(row, px) : 0;
          if (rgb != lastRgb) {
            lastRgb = rgb;
            lastSlot = static_cast<uint8_t>(limit);
            for (int i = 0; i < heldCount; ++i) {
              if (held[i] == rgb) {
                lastSlot = heldSlot[i];
                break;
              }
            }
          }
          out[c] = lastSlot;
        }
      }
    }
  }
}

}  // namespace tilvex
