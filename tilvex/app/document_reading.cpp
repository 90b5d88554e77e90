// What the document gives without changing: its cells and colours, its output files and
// the device preview.
#include "app/document.h"
#include "app/paint_tools.h"
#include "convert/block_geometry.h"
#include "output/block_output.h"
#include "output/preview_image.h"
#include "palette/pal_file.h"

namespace tilvex {

CellInfo Document::CellAt(int x, int y) const {
  const BlockPicture& block = state_.block;
  const PicHeader& h = block.header;
  if (state_.kind != kBlockPictureKind || !View().Contains(x, y)) return {};
  const BlockGeometry g = GeometryOf(h.blockMode);
  const size_t cell = size_t(y / g.height) * (h.width / g.width) + size_t(x / g.width);
  if (cell >= block.blocks.Cells()) return {};
  return {static_cast<int>(cell), block.blocks.Code(cell), block.blocks.Attribute(cell),
          h.address != 2};
}

PixelMask Document::PixelsOf(int index) const {
  const std::optional<Rgb> colour = ColourAt(index);
  return colour ? PixelsOfColour(View(), *colour) : PixelMask();
}

Result Document::WriteOutput(const std::string& pgtPath, const std::string& pntPath, bool assembler,
                             bool sixteenBit, Progress& progress) const {
  if (state_.kind != kBlockPictureKind)
    return Result::Fail({}, "only a converted picture has output files");
  return WriteBlockOutput(state_.block, pgtPath, pntPath, assembler, sixteenBit, progress);
}

Result Document::WritePaletteSteps(const std::string& palPath, Rgb target, int levels,
                                   const std::string& directory) const {
  SlotTable palettes;
  if (Result read = ReadPaletteFile(palPath, palettes); !read.ok) return read;
  const ColourSpace space = ColourSpaceOf(state_.block.header.colourSpace);
  if (NeedsColourTables(space) && !tablesLoaded_.ok) return tablesLoaded_;
  const ColourTables& tables = tables_;
  return tilvex::WritePaletteSteps(
      palettes, target, levels, [&](Rgb rgb) { return RgbToCode(space, tables, rgb); }, directory);
}

Result Document::BuildPreview(int configIndex, const PreviewFolders& folders, VolumeLister& volumes,
                              PreviewResult* result) const {
  if (!IsBlockPicture() || state_.kind != kBlockPictureKind) return Result::Ok();
  return BuildPreviewImage(state_.block, configIndex, folders, volumes, result);
}

Result Document::LoadPaletteInto(const std::string& path, SlotTable& table) {
  return tilvex::LoadPaletteInto(path, table);
}

Result Document::SavePalette(const std::string& path, const SlotTable& table) {
  return WritePaletteFile(path, table);
}

}  // namespace tilvex
