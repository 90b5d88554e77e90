#include "convert/tile_converter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "common/translate.h"
#include "convert/bit_planes.h"
#include "convert/tile_bank.h"
#include "convert/tile_source.h"
#include "palette/pal_file.h"

namespace tilvex {
namespace {

std::string RowTooLargeMessage(int y) {
  return common::TrFill("第{0}行的块超过一个PGT分区的容量,转换终止!", {std::to_string(y)});
}

using SectionRows = std::array<int32_t, kMaxSectionRows>;

// Where the bank sizing stopped: the row, and whether that row alone overflows a bank
// (else a 17th bank would be needed there).
struct SizingStop {
  int row = 0;
  bool rowTooLarge = false;
};

// First pass: the block rows where a new PGT bank has to begin, because the rows before
// them fill the bank up to the end address.
Result FindSectionRows(TileSource& source, const WorkArea& area, const PicHeader& settings,
                       SectionRows& rows, Progress& progress, SizingStop* stop = nullptr) {
  const BlockGeometry g = GeometryOf(settings.blockMode);
  const bool compress = settings.compressMode == 0;
  const size_t bankLimit = 2u * settings.endAddress;
  rows.fill(-1);
  rows[0] = 0;
  int bankCount = 1;
  TileBank bank;
  bank.Reset(2u * settings.beginAddress);
  int bankFirstRow = area.top;
  for (int y = area.top; y < area.bottom;) {
    bool overflow = false;
    for (int x = area.left; x < area.right && !overflow; x += g.width) {
      int palette = 0;
      if (Result matched = source.PaletteAt(x, y, palette); !matched.ok) return matched;
      bank.Place(source.Tile(palette, x, y), compress);
      overflow = bank.Size() > bankLimit;
    }
    if (overflow) {
      if (stop != nullptr) *stop = {y, bankFirstRow == y};
      if (bankFirstRow == y) return Result::Fail(RowTooLargeMessage(y));
      if (bankCount == kMaxPgtBanks) return Result::Fail(common::Tr(kTooManyBanksMessage));
      // Rows are kept relative to the block picture, which is how it is drawn back.
      rows[size_t(bankCount++)] = y - area.top;
      bank.Reset(0);
      bankFirstRow = y;
      continue;
    }
    progress.Step();
    y += g.height;
  }
  return Result::Ok();
}

// The most blocks from the left that every block row of the area fits into one bank with.
int WidestFittingRow(TileSource& source, const WorkArea& area, const PicHeader& settings) {
  const BlockGeometry g = GeometryOf(settings.blockMode);
  int widest = (area.right - area.left) / g.width;
  TileBank bank;
  for (int y = area.top; y < area.bottom && widest > 0; y += g.height) {
    bank.Reset(y == area.top ? 2u * settings.beginAddress : 0);
    int blocks = 0;
    for (int x = area.left; x < area.right && blocks < widest; x += g.width, ++blocks) {
      int palette = 0;
      if (!source.PaletteAt(x, y, palette).ok) return 0;
      bank.Place(source.Tile(palette, x, y), settings.compressMode == 0);
      if (bank.Size() > 2u * settings.endAddress) break;
    }
    widest = std::min(widest, blocks);
  }
  return widest;
}

// A bank failure with the largest area from the working area's corner that fits: as wide
// as every row allows, as high as the 16 banks reach.
Result WithLargestArea(Result failure, const SizingStop& stop, const Picture& picture,
                       const WorkArea& area, const PicHeader& settings, const SlotTable& slots) {
  const BlockGeometry g = GeometryOf(settings.blockMode);
  WorkArea fit = area;
  if (stop.rowTooLarge) {
    TileSource source(picture, area, settings, slots, nullptr);
    fit.right = area.left + g.width * WidestFittingRow(source, area, settings);
  } else {
    fit.bottom = stop.row;
  }
  if (fit.right > fit.left && stop.rowTooLarge) {
    TileSource source(picture, fit, settings, slots, nullptr);
    SectionRows rows;
    SizingStop again;
    if (!FindSectionRows(source, fit, settings, rows, NoProgress(), &again).ok) {
      if (again.rowTooLarge) return failure;
      fit.bottom = again.row;
    }
  }
  if (fit.right <= fit.left || fit.bottom <= fit.top) return failure;
  failure.message += common::TrFill(kLargestAreaMessage, {std::to_string(fit.right - fit.left),
                                                          std::to_string(fit.bottom - fit.top)});
  return failure;
}

PicHeader HeaderOf(const ConversionSettings& s) {
  PicHeader header;
  header.kind = kBlockPictureKind;
  header.colourMode = s.colourMode;
  header.blockMode = s.blockMode;
  header.compressMode = s.compressMode;
  header.colourSpace = s.colourSpace;
  header.beginAddress = s.beginAddress;
  header.endAddress = s.endAddress;
  return header;
}

// The bank sizing alone, for a failure before the palettes are reviewed.
Result CheckBanks(const Picture& picture, const ConversionSettings& s, const SlotTable& slots) {
  const PicHeader settings = HeaderOf(s);
  TileSource source(picture, s.area, settings, slots, nullptr);
  SectionRows rows;
  SizingStop stop;
  Result sized = FindSectionRows(source, s.area, settings, rows, NoProgress(), &stop);
  return sized.ok ? sized : WithLargestArea(sized, stop, picture, s.area, settings, slots);
}

// What the second pass lays out: the tile pixels bank by bank (each bank filled up to
// 16384 pixels with 0xFF), how much of each bank is used, and each cell's code and palette.
struct TileLayout {
  std::vector<uint8_t> pixels;
  std::array<int16_t, kMaxPgtBanks> fills{};
  std::vector<uint16_t> codes;
  std::vector<uint8_t> attributes;
};

// Second pass: the tiles, codes and attributes, bank by bank.
Result PlaceTiles(TileSource& source, const WorkArea& area, const PicHeader& settings,
                  const SectionRows& rows, TileLayout& layout, Progress& progress) {
  const BlockGeometry g = GeometryOf(settings.blockMode);
  const int perByte = PixelsPerByte(settings.colourMode);
  const bool compress = settings.compressMode == 0;
  TileBank bank;
  bank.Reset(2u * settings.beginAddress);
  int closed = 0;
  auto closeBank = [&] {
    layout.pixels.resize(layout.pixels.size() + kBankPixels, 0xFF);
    std::copy(bank.Pixels().begin(), bank.Pixels().end(), layout.pixels.end() - kBankPixels);
    layout.fills[size_t(closed++)] = static_cast<int16_t>(bank.Size() / size_t(perByte));
    bank.Reset(0);
  };
  int next = 1;
  for (int y = area.top; y < area.bottom; y += g.height) {
    for (int x = area.left; x < area.right; x += g.width) {
      int palette = 0;
      if (Result matched = source.PaletteAt(x, y, palette); !matched.ok) return matched;
      const size_t offset = bank.Place(source.Tile(palette, x, y), compress);
      layout.codes.push_back(static_cast<uint16_t>(offset / size_t(g.codeUnit)));
      layout.attributes.push_back(static_cast<uint8_t>(palette));
    }
    progress.Step();
    if (bank.Size() > kBankPixels || closed == kMaxPgtBanks) {
      return Result::Fail(RowTooLargeMessage(y));  // the first pass rules this out
    }
    if (next < kMaxSectionRows && rows[size_t(next)] != -1 &&
        y - area.top + g.height == rows[size_t(next)]) {
      closeBank();
      ++next;
    }
  }
  if (!bank.Empty()) closeBank();
  return Result::Ok();
}

// The name table block: every cell's u16 code, then every cell's attribute byte.
std::vector<uint8_t> PackNameTable(const TileLayout& layout) {
  const size_t cells = layout.codes.size();
  BlockData blocks;
  blocks.pnt.resize(3 * cells);
  for (size_t i = 0; i < cells; ++i) blocks.SetCell(i, layout.codes[i], layout.attributes[i]);
  return std::move(blocks.pnt);
}

// The palette block: each slot's colour code (0xFFFF for a free slot), palette-major. The
// header learns the first used entry and how many are used.
std::vector<uint8_t> PackPaletteBlock(const SlotTable& slots, const ColourTables& tables,
                                      PicHeader& header) {
  std::vector<uint8_t> pal(kPaletteBlockSize);
  std::map<Rgb, uint16_t> codeOf;  // the nearest-colour search is costly; ask once a colour
  int first = -1, used = 0;
  const ColourSpace space = ColourSpaceOf(header.colourSpace);
  for (int i = 0; i < kSlotCount; ++i) {
    uint16_t code = 0xFFFF;
    if (const Slot& slot = slots.slots[size_t(i)]; slot.used != 0) {
      auto found = codeOf.find(slot.rgb);
      code = found != codeOf.end() ? found->second
                                   : (codeOf[slot.rgb] = RgbToCode(space, tables, slot.rgb));
      if (first < 0) first = i;
      ++used;
    }
    pal[size_t(2 * i)] = static_cast<uint8_t>(code);
    pal[size_t(2 * i + 1)] = static_cast<uint8_t>(code >> 8);
  }
  header.palFirst = static_cast<uint8_t>(first < 0 ? 0 : first);
  header.palUsed = static_cast<uint8_t>(used);
  return pal;
}

// The picture reduced to colours the palettes hold (the fixed palettes when there are
// some), then converted as usual.
Conversion ConvertReduced(const Picture& picture, const ConversionSettings& settings,
                          const PaletteChoice& palettes, const ColourTables& tables,
                          Progress& progress) {
  const ColourSpace space = ColourSpaceOf(settings.colourSpace);
  ReducedPicture reduced =
      palettes.fixed ? ReduceToPalettes(picture, settings.area, *palettes.fixed,
                                        settings.colourMode, settings.reduce.dither, progress)
                     : ReduceColours(picture, settings.area, settings.background,
                                     settings.colourMode, space, tables, settings.reduce, progress);
  Conversion failed;
  if (!reduced.status.ok) {
    failed.status = reduced.status;
    return failed;
  }
  ConversionSettings chosen = settings;
  chosen.background = reduced.background;
  // The banks depend on the repainted tiles; a picture that cannot fit them fails before the
  // palettes are shown for review.
  if (!palettes.fixed && palettes.review) {
    if (failed.status = CheckBanks(reduced.picture, chosen, reduced.slots); !failed.status.ok)
      return failed;
    if (!palettes.review(reduced.slots)) {
      failed.status = Result::Fail(std::string());
      return failed;
    }
  }
  return ConvertWithPalettes(reduced.picture, chosen, reduced.slots, tables, progress);
}

}  // namespace

Conversion ConvertPicture(const Picture& picture, const ConversionSettings& settings,
                          const PaletteChoice& palettes, const ColourTables& tables,
                          Progress& progress) {
  Conversion failed;
  if (failed.status = CheckConversion(picture, settings); !failed.status.ok) return failed;
  std::optional<SlotTable> fixed = palettes.fixed;
  if (!settings.palettesFile.empty()) {
    // A palette file that was asked for must be there, or a mistyped path would go unnoticed.
    SlotTable named;
    if (Result read = ReadPaletteFile(settings.palettesFile, named); !read.ok) {
      failed.status = Result::Fail(settings.palettesFile + ": " + read.Text());
      return failed;
    }
    fixed = named;
  }
  SlotTable slots;
  AreaColourLists analysed;
  failed.status = GatherPalettes(picture, settings.area, settings.background, settings.colourMode,
                                 settings.blockMode, slots, analysed);
  const PaletteChoice choice{fixed, palettes.review};
  if (failed.status.ok) {
    if (fixed) {
      Conversion plain =
          ConvertWithPalettes(picture, settings, *fixed, tables, progress, &analysed);
      if (plain.status.ok || !settings.reduce.reduce) return plain;
      return ConvertReduced(picture, settings, choice, tables, progress);
    }
    if (palettes.review && !palettes.review(slots)) {
      failed.status = Result::Fail(std::string());
      return failed;
    }
    return ConvertWithPalettes(picture, settings, slots, tables, progress, &analysed);
  }
  // Where the plain conversion refuses, a reduction asked for repaints the picture first; a
  // picture the plain conversion takes gives the same bytes either way.
  if (!settings.reduce.reduce) return failed;
  return ConvertReduced(picture, settings, choice, tables, progress);
}

Conversion ConvertWithPalettes(const Picture& picture, const ConversionSettings& s,
                               const SlotTable& slots, const ColourTables& tables,
                               Progress& progress, const AreaColourLists* analysed) {
  Conversion out;
  if (out.status = CheckConversion(picture, s); !out.status.ok) return out;
  const WorkArea& area = s.area;
  PicHeader& header = out.picture.header;
  header = HeaderOf(s);
  const PicHeader& settings = header;
  const BlockGeometry g = GeometryOf(settings.blockMode);
  ProgressScope scope(progress, area.top, 2 * area.bottom, g.height);
  progress.SetText(common::Tr("转换中..."));

  TileSource source(picture, area, settings, slots, analysed);
  SectionRows rows;
  SizingStop stop;
  out.status = FindSectionRows(source, area, settings, rows, progress, &stop);
  if (!out.status.ok) {
    out.status = WithLargestArea(out.status, stop, picture, area, settings, slots);
    return out;
  }
  source.ReuseKeptTiles();
  TileLayout layout;
  out.status = PlaceTiles(source, area, settings, rows, layout, progress);
  if (!out.status.ok) return out;

  BlockData& blocks = out.picture.blocks;
  blocks.pnt = PackNameTable(layout);
  blocks.pal = PackPaletteBlock(slots, tables, header);
  blocks.pgt = PackBitPlanes(layout.pixels, settings.colourMode);
  header.width = static_cast<uint32_t>(area.right - area.left);
  header.height = static_cast<uint32_t>(area.bottom - area.top);
  header.pntSize = static_cast<uint32_t>(blocks.pnt.size());
  header.palSize = kPaletteBlockSize;
  header.pgtSize = static_cast<uint32_t>(blocks.pgt.size());
  std::copy(rows.begin(), rows.end(), header.sectionRows);
  std::copy(layout.fills.begin(), layout.fills.end(), header.sectionFill);
  header.palInfo = 2;
  out.slots = slots;
  return out;
}

}  // namespace tilvex
