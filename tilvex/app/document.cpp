#include "app/document.h"

#include "app/picture_files.h"
#include "common/file_io.h"
#include "common/translate.h"
#include "convert/block_render.h"
#include "doc/pic_file.h"
#include "image/bitmap.h"
#include "image/decoder.h"
#include "image/format_decoders.h"
#include "output/block_output.h"
#include "output/preview_image.h"
#include "palette/pal_file.h"

namespace tilvex {
namespace {

std::string SizeText(int width, int height) {
  return "width:" + std::to_string(width) + "\nheight:" + std::to_string(height) + "\n";
}

std::string WithExtension(const std::string& path, const char* extension) {
  const std::string ext = common::LowerExtension(path);
  const std::string base = ext.empty() ? path : path.substr(0, path.size() - ext.size() - 1);
  return base + extension;
}

// The block picture drawn into a fresh black picture of its size; a plain picture (any kind
// but a block picture) stays black.
Result ShowBlock(DocumentState& state, BlockPicture block, const ColourTables& tables) {
  const PicHeader& h = block.header;
  Picture image;
  if (SizePicture(image, h.width, h.height, UINT64_MAX) != DecodeStatus::kOk)
    return Result::Fail(common::Tr(kPictureTooLargeMessage), "block picture too large to show");
  state.kind = h.kind;
  state.block = std::move(block);
  if (state.kind == kBlockPictureKind) RenderBlockPicture(state.block, tables, image);
  state.picture = std::move(image);
  state.area = WorkArea{0, 0, state.picture.width, state.picture.height};
  state.fromPic = true;
  return Result::Ok();
}

}  // namespace

Document::Document() {
  tablesLoaded_ = LoadColourTables(tables_);
}

AreaRect Document::Area() const {
  const WorkArea& a = state_.area;
  return {a.left, a.top, a.right, a.bottom};
}

std::string Document::DisplayName() const {
  if (path_.empty()) return "Untitled";
  const size_t cut = path_.find_last_of("/\\");
  return cut == std::string::npos ? path_ : path_.substr(cut + 1);
}

void Document::Notify(unsigned changes) {
  if (observer_) observer_->DocumentChanged(changes);
}

void Document::RefillColours() {
  const WorkArea& a = state_.area;
  CollectColours(state_.picture, a.left, a.top, a.right - a.left, a.bottom - a.top, list_);
  colours_.assign(list_.colours.begin(), list_.colours.begin() + list_.count);
}

void Document::Reset(DocumentState state, bool hasPicture, std::string path) {
  state_ = std::move(state);
  hasPicture_ = hasPicture;
  path_ = std::move(path);
  stroking_ = false;
  stroke_ = Edit();
  history_.Clear();
  RefillColours();
  Notify(kPictureChanged | kStateChanged);
}

Result Document::New(int width, int height) {
  DocumentState state;
  if (width == 0 || height == 0) {
    Reset(std::move(state), false, {});
    return Result::Ok();
  }
  if (Result made = NewBlankPicture(width, height, state.picture); !made) return made;
  state.area = WorkArea{0, 0, width, height};
  state.info = SizeText(width, height);
  Reset(std::move(state), true, {});
  return Result::Ok();
}

Result Document::Open(const std::string& path) {
  const std::string ext = common::LowerExtension(path);
  DocumentState state;
  if (ext == "pic") {
    PicLoad load;
    if (Result read = ReadPicFile(path, load); !read) return read;
    const PicHeader header = load.picture.header;
    std::string note;
    if (load.kind == PicLoadKind::kNoPicture) {
      state.fromPic = true;
      note = load.message;  // "非法的PIC文件!" or nothing for a short file
    } else if (Result shown = ShowBlock(state, std::move(load.picture), tables_); !shown) {
      return shown;
    }
    state.info = LongInfoText(header);
    Reset(std::move(state), true, path);
    // The file opened, but what it holds is worth a word.
    return note.empty() ? Result::Ok() : Result{true, note, {}};
  }
  if (Result decoded = DecodePictureFile(path, state.picture); !decoded) return decoded;
  state.area = WorkArea{0, 0, state.picture.width, state.picture.height};
  state.info = SizeText(state.picture.width, state.picture.height);
  Reset(std::move(state), true, path);
  return Result::Ok();
}

bool Document::CanSaveAs(const std::string& path) const {
  return SaveFormatOf(path, state_.kind == kBlockPictureKind) != SaveFormat::kNone;
}

bool Document::CanSave() const {
  return !path_.empty() && CanSaveAs(path_);
}

Result Document::Save() {
  if (path_.empty()) return Result::Fail({}, "the picture has no file name yet");
  return SaveAs(path_);
}

Result Document::SaveAs(const std::string& path) {
  if (!hasPicture_ || (state_.picture.Empty() && state_.kind != kBlockPictureKind)) {
    return Result::Fail(common::Tr("没有可保存的图片。"), "there is no picture to save");
  }
  if (Result written = WriteDocumentFile(state_, path); !written) return written;
  path_ = path;
  history_.MarkClean();
  Notify(kStateChanged);
  return Result::Ok();
}

Result Document::CanPaint() const {
  if (!hasPicture_ || state_.picture.Empty())
    return Result::Fail({}, "there is no picture to draw on");
  if (IsBlockPicture()) {
    return Result::Fail(common::Tr("转换后的图片不能直接修改: 请修改原图后重新转换。"),
                        "a block picture is changed through its source picture");
  }
  return Result::Ok();
}

void Document::BeginStroke(const char* name) {
  stroke_ = Edit{name, {}, nullptr};
  stroking_ = CanPaint().ok;
}

bool Document::StrokePixel(int x, int y, Rgb rgb) {
  Picture& picture = state_.picture;
  if (!stroking_ || !picture.Contains(x, y)) return false;
  const Rgb before = picture.At(x, y);
  if (before == rgb) return false;
  picture.Set(x, y, rgb);
  stroke_.pixels.push_back({x, y, before, rgb});
  Notify(kPictureChanged);
  return true;
}

void Document::EndStroke() {
  if (!stroking_) return;
  stroking_ = false;
  if (stroke_.pixels.empty()) return;
  history_.Push(std::move(stroke_));
  stroke_ = Edit();
  RefillColours();
  Notify(kStateChanged);
}

Result Document::Recolour(int index, Rgb rgb) {
  if (Result paint = CanPaint(); !paint) return paint;
  if (index < 0 || size_t(index) >= colours_.size())
    return Result::Fail({}, "no such entry in the colour list");
  const Rgb old = colours_[size_t(index)];
  Edit edit{"Recolour", {}, nullptr};
  const Picture& picture = state_.picture;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (picture.At(x, y) == old) edit.pixels.push_back({x, y, old, rgb});
    }
  }
  if (edit.pixels.empty() || old == rgb) return Result::Ok();
  ApplyPixels(edit.pixels, true);
  history_.Push(std::move(edit));
  RefillColours();
  Notify(kPictureChanged | kStateChanged);
  return Result::Ok();
}

void Document::ApplyPixels(const std::vector<PixelChange>& pixels, bool forward) {
  for (const PixelChange& p : pixels) state_.picture.Set(p.x, p.y, forward ? p.after : p.before);
}

void Document::ReplaceState(DocumentState next, const char* name) {
  auto previous = std::make_unique<DocumentState>(std::move(state_));
  state_ = std::move(next);
  history_.Push(Edit{name, {}, std::move(previous)});
  RefillColours();
  Notify(kPictureChanged | kStateChanged);
}

void Document::Undo() {
  if (stroking_ || !history_.CanUndo()) return;
  Edit& edit = history_.StepBack();
  if (edit.other) {
    std::swap(state_, *edit.other);
  } else {
    ApplyPixels(edit.pixels, false);
  }
  RefillColours();
  Notify(kPictureChanged | kStateChanged);
}

void Document::Redo() {
  if (stroking_ || !history_.CanRedo()) return;
  Edit& edit = history_.StepForward();
  if (edit.other) {
    std::swap(state_, *edit.other);
  } else {
    ApplyPixels(edit.pixels, true);
  }
  RefillColours();
  Notify(kPictureChanged | kStateChanged);
}

Result Document::Adapt(Adaptation which) {
  if (Result paint = CanPaint(); !paint) return paint;
  DocumentState next = state_;
  Picture& picture = next.picture;
  Result result;
  if (which == Adaptation::kHsl4K) {
    result = AdaptHsl4K(picture, picture.width, picture.height);
  } else if (which == Adaptation::kNes64) {
    result = AdaptNes64(picture, picture.width, picture.height);
  } else {
    AdaptRgb4K(picture, picture.width, picture.height);
  }
  if (!result) return result;
  ReplaceState(std::move(next), "Adaptation");
  return Result::Ok();
}

void Document::SetCell(int index, uint16_t code, uint8_t attribute) {
  const BlockData& blocks = state_.block.blocks;
  if (state_.kind != kBlockPictureKind || index < 0 || size_t(index) >= blocks.Cells()) return;
  if (blocks.Code(size_t(index)) == code && blocks.Attribute(size_t(index)) == attribute) return;
  DocumentState next = state_;
  std::vector<uint8_t>& pnt = next.block.blocks.pnt;
  pnt[2 * size_t(index)] = static_cast<uint8_t>(code);
  pnt[2 * size_t(index) + 1] = static_cast<uint8_t>(code >> 8);
  pnt[2 * blocks.Cells() + size_t(index)] = attribute;
  RenderBlockPicture(next.block, tables_, next.picture);
  ReplaceState(std::move(next), "Cell Edit");
}

Conversion Document::ComputeConversion(const ConversionSettings& settings,
                                       const std::function<bool(SlotTable&)>& review,
                                       Progress& progress) const {
  Conversion failed;
  if (!tablesLoaded_.ok && settings.colourSpace != 1) {
    failed.status = tablesLoaded_;
    return failed;
  }
  PaletteChoice palettes;
  palettes.review = review;
  // A copy of its own, so a conversion on another thread shares no lookup state.
  const ColourTables tables = tables_;
  Conversion conversion = ConvertPicture(state_.picture, settings, palettes, tables, progress);
  if (!conversion.status.ok && conversion.status.message.empty() &&
      conversion.status.detail.empty()) {
    conversion.status.detail = kCancelledDetail;
  }
  return conversion;
}

Result Document::TakeConversion(Conversion conversion) {
  if (!conversion.status.ok) return conversion.status;
  DocumentState next;
  const PicHeader header = conversion.picture.header;
  if (Result shown = ShowBlock(next, std::move(conversion.picture), tables_); !shown) return shown;
  next.slots = conversion.slots;
  next.info = ShortInfoText(header);
  // The converted picture is written beside its source, under the source's name.
  if (!path_.empty()) path_ = WithExtension(path_, ".pic");
  ReplaceState(std::move(next), "Conversion");
  return Result::Ok();
}

Result Document::Convert(const ConversionSettings& settings,
                         const std::function<bool(SlotTable&)>& review, Progress& progress) {
  return TakeConversion(ComputeConversion(settings, review, progress));
}

void Document::SetArea(const AreaRect& area) {
  state_.area = {area.left, area.top, area.right, area.bottom};
  RefillColours();
  Notify(kStateChanged);
}

int Document::AvailableColourCount(int colourSpace) const {
  return CountDistinctCodes(list_, ColourSpaceOf(static_cast<uint8_t>(colourSpace)), tables_);
}

void Document::SetOutputNumbers(int segment, int level) {
  state_.block.header.outSegment = static_cast<uint8_t>(segment);
  state_.block.header.outLevel = static_cast<uint8_t>(level);
}

CellInfo Document::CellAt(int x, int y) const {
  const BlockPicture& block = state_.block;
  const PicHeader& h = block.header;
  if (state_.kind != kBlockPictureKind || !View().Contains(x, y)) return {};
  const BlockGeometry g = GeometryOf(h.blockMode);
  const size_t cell = size_t(y / g.height) * (h.width / g.width) + size_t(x / g.width);
  if (cell >= block.blocks.Cells()) return {};
  return {static_cast<int>(cell), block.blocks.Code(cell), block.blocks.Attribute(cell)};
}

std::vector<std::pair<int, int>> Document::PixelsOf(int index) const {
  std::vector<std::pair<int, int>> pixels;
  if (index < 0 || size_t(index) >= colours_.size()) return pixels;
  const Rgb colour = colours_[size_t(index)];
  const Picture& view = View();
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      if (view.At(x, y) == colour) pixels.emplace_back(x, y);
    }
  }
  return pixels;
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
  if (space != ColourSpace::kRgb4K && !tablesLoaded_.ok) return tablesLoaded_;
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
