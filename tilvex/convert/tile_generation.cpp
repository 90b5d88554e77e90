// The two generation passes, the bit-plane packing and the rendering of block pictures.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>

#include "convert/tile_converter.h"

namespace tilvex {
namespace {

// Places a tile in the bank and returns its pixel offset. With compression an equal tile
// already in the bank is reused.
size_t PlaceTile(std::vector<uint8_t>& bank, size_t start, const std::vector<uint8_t>& tile,
                 bool compress) {
  const size_t size = tile.size();
  if (compress) {
    for (size_t offset = start; offset + size <= bank.size(); offset += size) {
      if (std::memcmp(bank.data() + offset, tile.data(), size) == 0) return offset;
    }
  }
  size_t offset = bank.size();
  bank.insert(bank.end(), tile.begin(), tile.end());
  return offset;
}

std::string RowTooLargeMessage(int y) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "第%d行的块超过一个PGT分区的容量,转换终止!", y);
  return buffer;
}

}  // namespace

Result TileConverter::Convert(const Picture& picture, const WorkArea& area, PicHeader& header,
                              Progress& progress) {
  Result settings = CheckSettings(area, header);
  if (!settings.ok) return settings;
  const BlockGeometry g = GeometryOf(header.blockMode);
  const int colourMode = header.colourMode;
  const int perByte = PixelsPerByte(colourMode);
  const bool compress = header.compressMode == 0;
  const size_t startOffset = 2u * header.beginAddress;
  const size_t bankLimit = 2u * header.endAddress;

  ProgressScope scope(progress, area.top, 2 * area.bottom, g.height);
  progress.SetText("转换中...");

  // Pass 1: find the block rows where a new bank has to begin.
  std::array<int32_t, kMaxSectionRows> rows;
  rows.fill(-1);
  rows[0] = 0;
  int bankCount = 1;
  std::vector<uint8_t> bank(startOffset, 0xFF);
  std::vector<uint8_t> tile;
  size_t start = startOffset;
  int bankFirstRow = area.top;
  int palette = 0;
  // Every block of a 16 x 16 area has the area's palette; find it once for both passes.
  const int areaColumns = (area.right - area.left + 15) / 16;
  std::vector<int> areaPalettes(
      static_cast<size_t>(areaColumns) * static_cast<size_t>((area.bottom - area.top + 15) / 16),
      -1);
  auto paletteOf = [&](int x, int y, int& found) {
    int& known =
        areaPalettes[static_cast<size_t>((y - area.top) / 16 * areaColumns + (x - area.left) / 16)];
    if (known < 0) {
      Result matched = MatchPalette(picture, area, header, x, y, known);
      if (!matched.ok) {
        known = -1;
        return matched;
      }
    }
    found = known;
    return Result::Ok();
  };
  // Tiles of pass 1, block by block, for pass 2.
  const size_t blockPixels = static_cast<size_t>(g.width * g.height);
  const int blockColumns = (area.right - area.left) / g.width;
  std::vector<uint8_t> tiles(static_cast<size_t>(area.right - area.left) *
                             static_cast<size_t>(area.bottom - area.top));
  auto TileAt = [&](int x, int y) {
    return static_cast<size_t>((y - area.top) / g.height * blockColumns +
                               (x - area.left) / g.width) *
           blockPixels;
  };
  for (int y = area.top; y < area.bottom;) {
    bool overflow = false;
    for (int x = area.left; x < area.right && !overflow; x += g.width) {
      Result matched = paletteOf(x, y, palette);
      if (!matched.ok) return matched;
      BuildTile(picture, header, palette, x, y, tile);
      std::copy(tile.begin(), tile.end(), tiles.begin() + static_cast<ptrdiff_t>(TileAt(x, y)));
      PlaceTile(bank, start, tile, compress);
      overflow = bank.size() > bankLimit;
    }
    if (overflow) {
      if (bankFirstRow == y) return Result::Fail(RowTooLargeMessage(y));
      if (bankCount == kMaxPgtBanks) return Result::Fail("PGT超过16个分区,转换终止!");
      // Rows are kept relative to the block picture, which is how it is drawn back.
      rows[bankCount++] = y - area.top;
      bank.clear();
      start = 0;
      bankFirstRow = y;
      continue;
    }
    progress.Step();
    y += g.height;
  }

  // Pass 2: the tiles, codes and attributes, bank by bank.
  std::vector<uint8_t> pixels;
  std::array<int16_t, kMaxPgtBanks> fills{};
  int closed = 0;
  auto closeBank = [&] {
    pixels.resize(pixels.size() + kBankPixels, 0xFF);
    std::copy(bank.begin(), bank.end(), pixels.end() - kBankPixels);
    fills[static_cast<size_t>(closed++)] = static_cast<int16_t>(bank.size() / perByte);
    bank.clear();
    start = 0;
  };
  std::vector<uint16_t> codes;
  std::vector<uint8_t> attributes;
  bank.assign(startOffset, 0xFF);
  start = startOffset;
  int next = 1;
  for (int y = area.top; y < area.bottom; y += g.height) {
    for (int x = area.left; x < area.right; x += g.width) {
      Result matched = paletteOf(x, y, palette);
      if (!matched.ok) return matched;
      const auto from = tiles.begin() + static_cast<ptrdiff_t>(TileAt(x, y));
      tile.assign(from, from + static_cast<ptrdiff_t>(tile.size()));
      size_t offset = PlaceTile(bank, start, tile, compress);
      codes.push_back(static_cast<uint16_t>(offset / g.codeUnit));
      attributes.push_back(static_cast<uint8_t>(palette));
    }
    progress.Step();
    if (bank.size() > kBankPixels || closed == kMaxPgtBanks) {
      return Result::Fail(RowTooLargeMessage(y));  // pass 1 rules this out
    }
    if (next < kMaxSectionRows && rows[next] != -1 && y - area.top + g.height == rows[next]) {
      closeBank();
      ++next;
    }
  }
  if (!bank.empty()) closeBank();

  // Packing: only now is the previous block picture replaced.
  BlockData packed;
  const size_t cells = codes.size();
  packed.pnt.resize(3 * cells);
  for (size_t i = 0; i < cells; ++i) {
    packed.pnt[2 * i] = static_cast<uint8_t>(codes[i]);
    packed.pnt[2 * i + 1] = static_cast<uint8_t>(codes[i] >> 8);
    packed.pnt[2 * cells + i] = attributes[i];
  }
  packed.pal.resize(kPaletteBlockSize);
  std::map<uint32_t, uint16_t> codeOf;  // the nearest-colour search is costly; ask once
  int first = -1, used = 0;
  const int space = header.colourSpace;
  for (int p = 0; p < kPaletteCount; ++p) {
    for (int s = 0; s < kSlotsPerPalette; ++s) {
      uint16_t code = 0xFFFF;
      if (SlotUsed(slots, p, s)) {
        uint32_t rgb = SlotRgb(slots, p, s);
        auto found = codeOf.find(rgb);
        code = found != codeOf.end() ? found->second
                                     : (codeOf[rgb] = RgbToCodeIn(*tables, space, rgb));
        if (first < 0) first = 16 * p + s;
        ++used;
      }
      packed.pal[static_cast<size_t>(2 * (16 * p + s))] = static_cast<uint8_t>(code);
      packed.pal[static_cast<size_t>(2 * (16 * p + s) + 1)] = static_cast<uint8_t>(code >> 8);
    }
  }

  blocks = std::move(packed);
  blocks.pgt.assign(pixels.size() / perByte, 0);
  pgtCursor = 0;
  for (size_t i = 0; i < pixels.size(); ++i) EncodePixel(pixels[i], i, colourMode);
  pgtCursor = 0;

  header.kind = 3;
  header.width = static_cast<uint32_t>(area.right - area.left);
  header.height = static_cast<uint32_t>(area.bottom - area.top);
  header.pntSize = static_cast<uint32_t>(blocks.pnt.size());
  header.palSize = kPaletteBlockSize;
  header.pgtSize = static_cast<uint32_t>(blocks.pgt.size());
  std::copy(rows.begin(), rows.end(), header.sectionRows);
  std::copy(fills.begin(), fills.end(), header.sectionFill);
  header.palFirst = static_cast<uint8_t>(first < 0 ? 0 : first);
  header.palUsed = static_cast<uint8_t>(used);
  header.palInfo = 2;
  return Result::Ok();
}

void TileConverter::EncodePixel(uint8_t value, size_t index, int colourMode) {
  const int planes = colourMode == 1 ? 2 : 4;
  const int k = static_cast<int>(index % 8);
  uint8_t* at = blocks.pgt.data() + pgtCursor;
  for (int plane = 0; plane < planes; ++plane) {
    uint8_t bit = static_cast<uint8_t>(((value >> plane) & 1) << (7 - k));
    if (k == 0) {
      at[8 * plane] = bit;
    } else {
      at[8 * plane] |= bit;
    }
  }
  if (k == 7) ++pgtCursor;
  if (index % 64 == 63) pgtCursor += 8 * (planes - 1);
}

uint8_t TileConverter::DecodePixel(size_t index, int colourMode) {
  const int planes = colourMode == 1 ? 2 : 4;
  const int k = static_cast<int>(index % 8);
  const uint8_t* at = blocks.pgt.data() + pgtCursor;
  uint8_t value = 0;
  for (int plane = 0; plane < planes; ++plane) {
    value |= static_cast<uint8_t>(((at[8 * plane] >> (7 - k)) & 1) << plane);
  }
  if (k == 7) ++pgtCursor;
  if (index % 64 == 63) pgtCursor += 8 * (planes - 1);
  return value;
}

bool TileConverter::RenderCell(Picture& image, const PicHeader& header, size_t bankOffset, int x,
                               int y, size_t cell) {
  const BlockGeometry g = GeometryOf(header.blockMode);
  const int colourMode = header.colourMode;
  if (cell >= blocks.Cells() || blocks.pal.size() < kPaletteBlockSize) return false;
  const size_t palette = 16u * (blocks.Attribute(cell) & 15);
  const size_t begin = bankOffset + static_cast<size_t>(blocks.Code(cell)) *
                                        BytesPerCodeUnit(colourMode, header.blockMode);
  if (begin + static_cast<size_t>(BytesPerBlock(colourMode, header.blockMode)) >
      blocks.pgt.size()) {
    return false;
  }
  pgtCursor = begin;
  size_t index = 0;
  for (int by = 0; by < g.height; by += 8) {
    for (int bx = 0; bx < g.width; bx += 8) {
      for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
          uint8_t v = DecodePixel(index++, colourMode);
          uint32_t rgb = CodeToRgbIn(*tables, header.colourSpace, blocks.PaletteEntry(palette + v));
          if (!WritePixel(image, x + bx + c, y + by + r, rgb)) return false;
        }
      }
    }
  }
  return true;
}

void TileConverter::RenderAll(Picture& image, const PicHeader& header) {
  FillBlack(image);
  const BlockGeometry g = GeometryOf(header.blockMode);
  const size_t bankBytes = static_cast<size_t>(BankBytes(header.colourMode));
  const int width = static_cast<int>(header.width);
  int x = 0, y = 0, next = 1;
  size_t bankOffset = 0;
  for (size_t cell = 0; cell < blocks.Cells(); ++cell) {
    RenderCell(image, header, bankOffset, x, y, cell);
    x += g.width;
    if (x >= width) {
      x = 0;
      y += g.height;
      if (next < kMaxSectionRows && header.sectionRows[next] != -1 &&
          y == header.sectionRows[next]) {
        bankOffset += bankBytes;
        ++next;
      }
    }
  }
  pgtCursor = 0;
}

}  // namespace tilvex
