#include "document_bridge.h"

#include "common/file_io.h"

// The converter's headers still call the picture buffer "Picture"; that name is the plain
// picture here, so the buffer's alias is renamed while they are read.
#define Picture BufferPicture
#include "convert/tile_converter.h"
#include "doc/pic_file.h"
#include "image/colour_list.h"
#include "image/colour_tables.h"
#include "image/decoder.h"
#include "image/picture_buffer.h"
#include "output/block_output.h"
#include "palette/pal_file.h"
#undef Picture

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
  PictureBuffer buffer;
  ColourList list;
  std::shared_ptr<ColourTables> tables = std::make_shared<ColourTables>();
  common::Result tablesLoaded;

  BlockData* Blocks() { return buffer.converter ? &buffer.converter->blocks : nullptr; }
  // Draws the block data into a fresh black image of the header's size.
  bool RenderBlocks(const PicHeader& header, BlockData blocks) {
    auto image = buffer.CreateBlank(static_cast<int32_t>(header.width),
                                    static_cast<int32_t>(header.height), header.kind);
    if (!image || !buffer.Install(std::move(*image))) return false;
    buffer.kind = header.kind;
    buffer.header = header;
    FillBlack(buffer);
    if (header.kind != kPictureKindBlock) return true;
    buffer.converter = std::make_shared<TileConverter>(tables);
    buffer.converter->blocks = std::move(blocks);
    buffer.converter->RenderAll(buffer, header);
    return true;
  }
};

DocumentBridge::DocumentBridge() : core_(std::make_unique<Core>()) {
  core_->tablesLoaded = LoadColourTables(*core_->tables);
  core_->buffer.header = NewPicHeader();
}

DocumentBridge::~DocumentBridge() = default;

int DocumentBridge::Kind() const {
  return core_->buffer.kind;
}

const PicHeader& DocumentBridge::Header() const {
  return core_->buffer.header;
}

void DocumentBridge::RefreshView() {
  const PictureBuffer& buffer = core_->buffer;
  view_ = Picture{};
  if (!buffer.HasImage()) return;
  view_.width = buffer.Width();
  view_.height = buffer.Height();
  view_.pixels.resize(size_t(view_.width) * view_.height * 3);
  for (int y = 0; y < view_.height; ++y) {
    const uint8_t* row = PixelRow(buffer, y);
    for (int x = 0; x < view_.width; ++x) {
      view_.Set(x, y, row ? RgbAt(row, x) : buffer.GetPixel(x, y).rgb);
    }
  }
}

void DocumentBridge::RefillColours(const AreaRect& r) {
  CollectColours(core_->buffer, r.left, r.top, r.Width(), r.Height(), core_->list);
  colours_.assign(core_->list.colours.begin(), core_->list.colours.begin() + core_->list.count);
}

void DocumentBridge::RefillColoursWhole() {
  RefillColours({0, 0, core_->buffer.Width(), core_->buffer.Height()});
}

Outcome DocumentBridge::New(int width, int height) {
  Outcome outcome = From(core_->buffer.CreateNew(width, height));
  if (outcome.ok) {
    core_->buffer.kind = kPictureKindDecoded;
    core_->buffer.header = NewPicHeader();
    core_->buffer.converter.reset();
    core_->buffer.area = {0, 0, width, height};
    isBlockPicture_ = false;
    hasPicture_ = core_->buffer.HasImage();
    info_.clear();
  }
  RefreshView();
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
    if (load.kind == PicLoadKind::kNoPicture) {
      core.buffer.Clear();
      core.buffer.converter.reset();
      outcome.message = load.message;  // "非法的PIC文件!" or nothing for a short file
    } else if (!core.RenderBlocks(load.header, std::move(load.blocks))) {
      return {false, kPictureTooLargeMessage};
    }
    isBlockPicture_ = true;
    hasPicture_ = true;
    RefreshView();
    RefillColoursWhole();
    info_ = LongInfoText(load.header);
    return outcome;
  }
  common::Result loaded = core.buffer.LoadDecoded(path);
  if (!loaded.ok) return {false, loaded.message};
  core.buffer.converter.reset();
  core.buffer.header = NewPicHeader();
  isBlockPicture_ = false;
  hasPicture_ = true;
  info_ = SizeText(core.buffer.Width(), core.buffer.Height());
  RefreshView();
  RefillColoursWhole();
  return {};
}

Outcome DocumentBridge::Save(const std::string& path) const {
  return From(core_->buffer.Save(path, PicFileBytes));
}

bool DocumentBridge::SetPixel(int x, int y, Rgb rgb) {
  if (!view_.Contains(x, y)) return false;
  if (core_->buffer.SetPixel(x, y, rgb) != PixelAccess::kOk) return false;
  view_.Set(x, y, rgb);
  return true;
}

AreaRect DocumentBridge::Area() const {
  const Rect& a = core_->buffer.area;
  return {a.left, a.top, a.right, a.bottom};
}

void DocumentBridge::SetArea(const AreaRect& area) {
  core_->buffer.area = {area.left, area.top, area.right, area.bottom};
  RefillColours(area);
}

int DocumentBridge::AvailableColourCount(int colourSpace) const {
  return CountDistinctCodes(core_->list, ColourSpaceOf(static_cast<uint8_t>(colourSpace)),
                            *core_->tables);
}

Outcome DocumentBridge::Convert(const ConversionSettings& s,
                                const std::function<bool(SlotTable&)>& review, Progress& progress) {
  Core& core = *core_;
  if (!core.tablesLoaded.ok && s.colourSpace != 1) return From(core.tablesLoaded);
  PicHeader header = NewPicHeader();
  header.kind = kPictureKindBlock;
  header.colourMode = static_cast<uint8_t>(s.colourMode);
  header.blockMode = static_cast<uint8_t>(s.blockMode);
  header.compressMode = static_cast<uint8_t>(s.compressMode);
  header.colourSpace = static_cast<uint8_t>(s.colourSpace);
  header.width = static_cast<uint32_t>(s.area.Width());
  header.height = static_cast<uint32_t>(s.area.Height());
  header.beginAddress = s.beginAddress;
  header.endAddress = s.endAddress;
  auto converter = std::make_shared<TileConverter>(core.tables);
  PaletteSource source;
  source.review = review;
  const WorkArea area{s.area.left, s.area.top, s.area.right, s.area.bottom};
  common::Result converted =
      converter->BuildPalettes(core.buffer, area, s.background, header, source, progress);
  if (!converted.ok) return From(converted);
  if (!core.RenderBlocks(header, std::move(converter->blocks)))
    return {false, kPictureTooLargeMessage};
  core.buffer.converter->slots = converter->slots;
  isBlockPicture_ = true;
  hasPicture_ = true;
  RefreshView();
  RefillColoursWhole();
  info_ = ShortInfoText(header);
  return {};
}

void DocumentBridge::SetOutputNumbers(int segment, int level) {
  core_->buffer.header.outSegment = static_cast<uint8_t>(segment);
  core_->buffer.header.outLevel = static_cast<uint8_t>(level);
}

Outcome DocumentBridge::WriteOutput(const std::string& pgtPath, const std::string& pntPath,
                                    bool assembler, bool sixteenBit, Progress& progress) const {
  if (core_->buffer.kind != kPictureKindBlock || !core_->buffer.converter) return {};
  return From(WriteBlockOutput(core_->buffer.header, core_->buffer.converter->blocks, pgtPath,
                               pntPath, assembler, sixteenBit, progress));
}

Outcome DocumentBridge::LoadPaletteInto(const std::string& path, SlotTable& table) {
  return From(tilvex::LoadPaletteInto(path, table));
}

Outcome DocumentBridge::SavePalette(const std::string& path, const SlotTable& table) {
  return From(WritePaletteFile(path, table));
}

Outcome DocumentBridge::Adapt(Adaptation which) {
  PictureBuffer& buffer = core_->buffer;
  RefillColoursWhole();
  common::Result result;
  if (which == Adaptation::kHsl4K) {
    result = AdaptHsl4K(buffer, core_->list, buffer.Width(), buffer.Height());
  } else if (which == Adaptation::kNes64) {
    result = AdaptNes64(buffer, core_->list, buffer.Width(), buffer.Height());
  } else {
    AdaptRgb4K(buffer, buffer.Width(), buffer.Height());
  }
  RefreshView();
  RefillColoursWhole();
  return From(result);
}

CellInfo DocumentBridge::CellAt(int x, int y) const {
  const PicHeader& h = core_->buffer.header;
  BlockData* blocks = core_->Blocks();
  if (!isBlockPicture_ || !blocks || !view_.Contains(x, y)) return {};
  const BlockGeometry g = GeometryOf(h.blockMode);
  const size_t cell = size_t(y / g.height) * (h.width / g.width) + size_t(x / g.width);
  if (cell >= blocks->Cells()) return {};
  return {static_cast<int>(cell), blocks->Code(cell), blocks->Attribute(cell)};
}

void DocumentBridge::SetCell(int index, uint16_t code, uint8_t attribute) {
  BlockData* blocks = core_->Blocks();
  if (!blocks || index < 0 || size_t(index) >= blocks->Cells()) return;
  blocks->pnt[2 * size_t(index)] = static_cast<uint8_t>(code);
  blocks->pnt[2 * size_t(index) + 1] = static_cast<uint8_t>(code >> 8);
  blocks->pnt[2 * blocks->Cells() + size_t(index)] = attribute;
  core_->buffer.converter->RenderAll(core_->buffer, core_->buffer.header);
  RefreshView();
}

void DocumentBridge::CollectColour(int index) {
  collected_.clear();
  if (index < 0 || size_t(index) >= colours_.size()) return;
  collectedColour_ = colours_[size_t(index)];
  for (int y = 0; y < view_.height; ++y) {
    for (int x = 0; x < view_.width; ++x) {
      if (view_.At(x, y) == collectedColour_) collected_.emplace_back(x, y);
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
  for (int y = 0; y < view_.height; ++y) {
    for (int x = 0; x < view_.width; ++x) {
      if (view_.At(x, y) == old) SetPixel(x, y, rgb);
    }
  }
  colours_[size_t(index)] = rgb;
  core_->list.colours[size_t(index)] = rgb;
}

}  // namespace tilvex::ui
