#include "document_bridge.h"

#include "common/file_io.h"
#include "common/translate.h"
#include "convert/block_render.h"
#include "convert/tile_converter.h"
#include "doc/document.h"
#include "doc/pic_file.h"
#include "image/bitmap.h"
#include "image/colour_list.h"
#include "image/colour_tables.h"
#include "image/format_decoders.h"
#include "output/block_output.h"
#include "output/preview_image.h"
#include "palette/pal_file.h"

namespace tilvex::ui {
namespace {

Outcome From(const common::Result& result) {
  return {result.ok, result.message};
}

std::string SizeText(int width, int height) {
  return "width:" + std::to_string(width) + "\nheight:" + std::to_string(height) + "\n";
}

}  // namespace

struct DocumentBridge::Core {
  Document doc;
  ColourList list;
  ColourTables tables;
  common::Result tablesLoaded;

  // Shows the block picture of `block` drawn into a fresh black picture of its size; a
  // plain picture (any kind but a block picture) stays black.
  bool ShowBlock(BlockPicture block) {
    const PicHeader& h = block.header;
    Picture image;
    if (SizePicture(image, h.width, h.height, UINT64_MAX) != DecodeStatus::kOk) return false;
    doc.kind = h.kind;
    doc.block = std::move(block);
    if (doc.kind == kBlockPictureKind) RenderBlockPicture(doc.block, tables, image);
    doc.picture = std::move(image);
    doc.area = WorkArea{0, 0, doc.picture.width, doc.picture.height};
    return true;
  }
};

DocumentBridge::DocumentBridge() : core_(std::make_unique<Core>()) {
  core_->tablesLoaded = LoadColourTables(core_->tables);
}

DocumentBridge::~DocumentBridge() = default;

const Picture& DocumentBridge::View() const {
  return core_->doc.picture;
}

int DocumentBridge::Kind() const {
  return core_->doc.kind;
}

const PicHeader& DocumentBridge::Header() const {
  return core_->doc.block.header;
}

void DocumentBridge::RefillColours(const AreaRect& r) {
  CollectColours(core_->doc.picture, r.left, r.top, r.Width(), r.Height(), core_->list);
  colours_.assign(core_->list.colours.begin(), core_->list.colours.begin() + core_->list.count);
}

void DocumentBridge::RefillColoursWhole() {
  RefillColours({0, 0, core_->doc.picture.width, core_->doc.picture.height});
}

Outcome DocumentBridge::New(int width, int height) {
  Document& doc = core_->doc;
  Outcome outcome = From(NewPicture(doc, width, height));
  if (outcome.ok) {
    doc.kind = kPictureKindDecoded;
    doc.block = BlockPicture{NewPicHeader(), {}};
    isBlockPicture_ = false;
    hasPicture_ = !doc.picture.Empty();
    info_.clear();
  }
  RefillColoursWhole();
  return outcome;
}

Outcome DocumentBridge::Open(const std::string& path) {
  const std::string ext = common::LowerExtension(path);
  if (ext.empty()) return {false, {}};
  Core& core = *core_;
  if (ext == "pic") {
    PicLoad load;
    common::Result read = ReadPicFile(path, load);
    if (!read.ok) return {false, read.message};
    Outcome outcome;
    const PicHeader header = load.picture.header;
    if (load.kind == PicLoadKind::kNoPicture) {
      core.doc.picture = Picture();
      core.doc.block = BlockPicture{NewPicHeader(), {}};
      outcome.message = load.message;  // "非法的PIC文件!" or nothing for a short file
    } else if (!core.ShowBlock(std::move(load.picture))) {
      return {false, common::Tr(kPictureTooLargeMessage)};
    }
    isBlockPicture_ = true;
    hasPicture_ = true;
    RefillColoursWhole();
    info_ = LongInfoText(header);
    return outcome;
  }
  common::Result loaded = OpenPicture(core.doc, path);
  if (!loaded.ok) return {false, loaded.message};
  core.doc.block = BlockPicture{NewPicHeader(), {}};
  isBlockPicture_ = false;
  hasPicture_ = true;
  info_ = SizeText(core.doc.picture.width, core.doc.picture.height);
  RefillColoursWhole();
  return {};
}

Outcome DocumentBridge::Save(const std::string& path) const {
  return From(SaveDocument(core_->doc, path));
}

bool DocumentBridge::SetPixel(int x, int y, Rgb rgb) {
  Picture& picture = core_->doc.picture;
  if (!picture.Contains(x, y)) return false;
  picture.Set(x, y, rgb);
  return true;
}

AreaRect DocumentBridge::Area() const {
  const WorkArea& a = core_->doc.area;
  return {a.left, a.top, a.right, a.bottom};
}

void DocumentBridge::SetArea(const AreaRect& area) {
  core_->doc.area = {area.left, area.top, area.right, area.bottom};
  RefillColours(area);
}

int DocumentBridge::AvailableColourCount(int colourSpace) const {
  return CountDistinctCodes(core_->list, ColourSpaceOf(static_cast<uint8_t>(colourSpace)),
                            core_->tables);
}

Outcome DocumentBridge::Convert(const ConversionSettings& s,
                                const std::function<bool(SlotTable&)>& review, Progress& progress) {
  Core& core = *core_;
  if (!core.tablesLoaded.ok && s.colourSpace != 1) return From(core.tablesLoaded);
  PaletteChoice palettes;
  palettes.review = review;
  Conversion conversion = ConvertPicture(core.doc.picture, s, palettes, core.tables, progress);
  if (!conversion.status.ok) return From(conversion.status);
  const PicHeader header = conversion.picture.header;
  const SlotTable slots = conversion.slots;
  if (!core.ShowBlock(std::move(conversion.picture)))
    return {false, common::Tr(kPictureTooLargeMessage)};
  core.doc.slots = slots;
  isBlockPicture_ = true;
  hasPicture_ = true;
  RefillColoursWhole();
  info_ = ShortInfoText(header);
  return {};
}

void DocumentBridge::SetOutputNumbers(int segment, int level) {
  core_->doc.block.header.outSegment = static_cast<uint8_t>(segment);
  core_->doc.block.header.outLevel = static_cast<uint8_t>(level);
}

Outcome DocumentBridge::WriteOutput(const std::string& pgtPath, const std::string& pntPath,
                                    bool assembler, bool sixteenBit, Progress& progress) const {
  if (core_->doc.kind != kBlockPictureKind) return {};
  return From(
      WriteBlockOutput(core_->doc.block, pgtPath, pntPath, assembler, sixteenBit, progress));
}

Outcome DocumentBridge::LoadPaletteInto(const std::string& path, SlotTable& table) {
  return From(tilvex::LoadPaletteInto(path, table));
}

Outcome DocumentBridge::SavePalette(const std::string& path, const SlotTable& table) {
  return From(WritePaletteFile(path, table));
}

Outcome DocumentBridge::Adapt(Adaptation which) {
  Picture& picture = core_->doc.picture;
  common::Result result;
  if (which == Adaptation::kHsl4K) {
    result = AdaptHsl4K(picture, picture.width, picture.height);
  } else if (which == Adaptation::kNes64) {
    result = AdaptNes64(picture, picture.width, picture.height);
  } else {
    AdaptRgb4K(picture, picture.width, picture.height);
  }
  RefillColoursWhole();
  return From(result);
}

CellInfo DocumentBridge::CellAt(int x, int y) const {
  const BlockPicture& block = core_->doc.block;
  const PicHeader& h = block.header;
  if (!isBlockPicture_ || core_->doc.kind != kBlockPictureKind || !View().Contains(x, y)) return {};
  const BlockGeometry g = GeometryOf(h.blockMode);
  const size_t cell = size_t(y / g.height) * (h.width / g.width) + size_t(x / g.width);
  if (cell >= block.blocks.Cells()) return {};
  return {static_cast<int>(cell), block.blocks.Code(cell), block.blocks.Attribute(cell)};
}

void DocumentBridge::SetCell(int index, uint16_t code, uint8_t attribute) {
  Core& core = *core_;
  BlockData& blocks = core.doc.block.blocks;
  if (core.doc.kind != kBlockPictureKind || index < 0 || size_t(index) >= blocks.Cells()) return;
  blocks.pnt[2 * size_t(index)] = static_cast<uint8_t>(code);
  blocks.pnt[2 * size_t(index) + 1] = static_cast<uint8_t>(code >> 8);
  blocks.pnt[2 * blocks.Cells() + size_t(index)] = attribute;
  RenderBlockPicture(core.doc.block, core.tables, core.doc.picture);
}

void DocumentBridge::CollectColour(int index) {
  collected_.clear();
  if (index < 0 || size_t(index) >= colours_.size()) return;
  collectedColour_ = colours_[size_t(index)];
  const Picture& view = View();
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      if (view.At(x, y) == collectedColour_) collected_.emplace_back(x, y);
    }
  }
}

void DocumentBridge::BlinkCollected() {
  collectedColour_ ^= 0xFFFFFF;
  for (auto [x, y] : collected_) SetPixel(x, y, collectedColour_);
}

void DocumentBridge::RestoreCollected(int index) {
  if (collected_.empty() || index < 0 || size_t(index) >= colours_.size()) return;
  for (auto [x, y] : collected_) SetPixel(x, y, colours_[size_t(index)]);
  collected_.clear();
}

void DocumentBridge::Recolour(int index, Rgb rgb) {
  if (index < 0 || size_t(index) >= colours_.size()) return;
  const Rgb old = colours_[size_t(index)];
  const Picture& view = View();
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      if (view.At(x, y) == old) SetPixel(x, y, rgb);
    }
  }
  colours_[size_t(index)] = rgb;
  core_->list.colours[size_t(index)] = rgb;
}

Outcome DocumentBridge::WritePaletteSteps(const std::string& palPath, Rgb target, int levels,
                                          const std::string& directory) const {
  SlotTable palettes;
  if (common::Result read = ReadPaletteFile(palPath, palettes); !read.ok) return From(read);
  const ColourSpace space = ColourSpaceOf(core_->doc.block.header.colourSpace);
  if (space != ColourSpace::kRgb4K && !core_->tablesLoaded.ok) return From(core_->tablesLoaded);
  const ColourTables& tables = core_->tables;
  return From(tilvex::WritePaletteSteps(
      palettes, target, levels, [&](Rgb rgb) { return RgbToCode(space, tables, rgb); }, directory));
}

Outcome DocumentBridge::BuildPreview(int configIndex, const PreviewFolders& folders,
                                     VolumeLister& volumes, PreviewResult* result) const {
  if (!isBlockPicture_ || core_->doc.kind != kBlockPictureKind) return {};
  return From(BuildPreviewImage(core_->doc.block, configIndex, folders, volumes, result));
}

}  // namespace tilvex::ui
