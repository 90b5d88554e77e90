#include "app/document.h"

#include <utility>

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
  return path_.empty() ? "Untitled" : common::FileNameOf(path_);
}

void Document::Notify(unsigned changes) {
  if (observer_) observer_->DocumentChanged(changes);
}

namespace {

void CollectAreaColours(DocumentState& state) {
  const WorkArea& a = state.area;
  CollectColours(state.picture, a.left, a.top, a.right - a.left, a.bottom - a.top, state.colours);
}

}  // namespace

void Document::RefillColours() {
  CollectAreaColours(state_);
  ShowColours();
}

void Document::ShowColours() {
  const ColourList& list = state_.colours;
  colours_.assign(list.colours.begin(), list.colours.begin() + list.count);
}

void Document::Reset(DocumentState state, bool hasPicture, std::string path) {
  state_ = std::move(state);
  hasPicture_ = hasPicture;
  path_ = std::move(path);
  problemArea_ = {};
  stroking_ = false;
  stroke_ = Edit();
  history_.Clear();
  ShowColours();
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
  CollectAreaColours(state);
  Reset(std::move(state), true, {});
  return Result::Ok();
}

Document::PreparedEdit Document::PrepareOpen(const std::string& path) const {
  PreparedEdit edit;
  edit.name = "Open";
  DocumentState& state = edit.state;
  if (common::LowerExtension(path) == "pic") {
    PicLoad load;
    if (edit.status = ReadPicFile(path, load); !edit.status) return edit;
    const PicHeader header = load.picture.header;
    if (load.kind == PicLoadKind::kNoPicture) {
      state.fromPic = true;
      // The file opened, but what it holds is worth a word: "非法的PIC文件!" or nothing.
      edit.status.message = load.message;
    } else if (edit.status = ShowBlock(state, std::move(load.picture), ColourTables(tables_));
               !edit.status) {
      return edit;
    }
    state.info = LongInfoText(header);
  } else {
    if (edit.status = DecodePictureFile(path, state.picture); !edit.status) return edit;
    state.area = WorkArea{0, 0, state.picture.width, state.picture.height};
    state.info = SizeText(state.picture.width, state.picture.height);
  }
  CollectAreaColours(state);
  return edit;
}

Result Document::AdoptOpen(PreparedEdit edit, const std::string& path) {
  if (!edit.status) return edit.status;
  Reset(std::move(edit.state), true, path);
  return edit.status;
}

Result Document::Open(const std::string& path) {
  return AdoptOpen(PrepareOpen(path), path);
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
  if (state_.fromPic) {
    return Result::Fail(common::Tr("转换后的图片不能直接修改: 请修改原图后重新转换。"),
                        "a block picture is changed through its source picture");
  }
  return Result::Ok();
}

void Document::BeginStroke(const char* name) {
  stroke_ = Edit{name, {}, nullptr, false, {}};
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
  if (old == rgb) return Result::Ok();
  Edit edit{"Recolour", {}, nullptr, false, {}};
  const Picture& picture = state_.picture;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (picture.At(x, y) == old) edit.pixels.push_back({x, y, old, rgb});
    }
  }
  if (edit.pixels.empty()) return Result::Ok();
  ApplyPixels(edit.pixels, true);
  history_.Push(std::move(edit));
  RefillColours();
  Notify(kPictureChanged | kStateChanged);
  return Result::Ok();
}

void Document::ApplyPixels(const std::vector<PixelChange>& pixels, bool forward) {
  for (const PixelChange& p : pixels) state_.picture.Set(p.x, p.y, forward ? p.after : p.before);
}

// `next` comes with its colour list filled. A new path renames the document as part of the
// step, so undoing it gives the old name back.
void Document::ReplaceState(DocumentState next, const char* name, std::string newPath) {
  Edit edit{name, {}, std::make_unique<DocumentState>(std::move(state_)), false, {}};
  state_ = std::move(next);
  if (!newPath.empty()) {
    edit.renames = true;
    edit.otherPath = std::exchange(path_, std::move(newPath));
  }
  history_.Push(std::move(edit));
  ShowColours();
  Notify(kPictureChanged | kStateChanged);
}

void Document::Undo() {
  if (stroking_ || !history_.CanUndo()) return;
  Apply(history_.StepBack(), false);
}

void Document::Redo() {
  if (stroking_ || !history_.CanRedo()) return;
  Apply(history_.StepForward(), true);
}

// A whole-state edit swaps the two states, either way; a pixel edit sets its pixels' colours
// from one side or the other.
void Document::Apply(Edit& edit, bool forward) {
  if (edit.renames) std::swap(path_, edit.otherPath);
  if (edit.other) {
    std::swap(state_, *edit.other);
    ShowColours();
  } else {
    ApplyPixels(edit.pixels, forward);
    RefillColours();
  }
  Notify(kPictureChanged | kStateChanged);
}

Document::PreparedEdit Document::PrepareAdaptation(Adaptation which) const {
  PreparedEdit edit;
  edit.name = "Adaptation";
  if (edit.status = CanPaint(); !edit.status) return edit;
  edit.state = state_;
  Picture& picture = edit.state.picture;
  if (which == Adaptation::kHsl4K) {
    edit.status = AdaptHsl4K(picture, picture.width, picture.height);
  } else if (which == Adaptation::kNes64) {
    edit.status = AdaptNes64(picture, picture.width, picture.height);
  } else {
    AdaptRgb4K(picture, picture.width, picture.height);
  }
  CollectAreaColours(edit.state);
  return edit;
}

Result Document::Adapt(Adaptation which) {
  return Adopt(PrepareAdaptation(which));
}

void Document::SetCell(int index, uint16_t code, uint8_t attribute) {
  const BlockData& blocks = state_.block.blocks;
  if (state_.kind != kBlockPictureKind || index < 0 || size_t(index) >= blocks.Cells()) return;
  if (blocks.Code(size_t(index)) == code && blocks.Attribute(size_t(index)) == attribute) return;
  DocumentState next = state_;
  next.block.blocks.SetCell(size_t(index), code, attribute);
  RenderBlockPicture(next.block, tables_, next.picture);
  CollectAreaColours(next);
  ReplaceState(std::move(next), "Cell Edit");
}

Document::PreparedEdit Document::PrepareConversion(const ConversionSettings& settings,
                                                   const std::function<bool(SlotTable&)>& review,
                                                   Progress& progress) const {
  PreparedEdit edit;
  edit.name = "Conversion";
  edit.converted = true;
  if (!tablesLoaded_.ok && NeedsColourTables(ColourSpaceOf(settings.colourSpace))) {
    edit.status = tablesLoaded_;
    return edit;
  }
  PaletteChoice palettes;
  palettes.review = review;
  // A copy of its own, so a conversion on another thread shares no lookup state.
  const ColourTables tables = tables_;
  Conversion conversion = ConvertPicture(state_.picture, settings, palettes, tables, progress);
  edit.status = conversion.status;
  if (!edit.status.ok) {
    if (edit.status.message.empty() && edit.status.detail.empty())
      edit.status.detail = kCancelledDetail;
    return edit;
  }
  const PicHeader header = conversion.picture.header;
  if (edit.status = ShowBlock(edit.state, std::move(conversion.picture), tables); !edit.status)
    return edit;
  edit.state.slots = conversion.slots;
  edit.state.info = ShortInfoText(header);
  CollectAreaColours(edit.state);
  return edit;
}

Result Document::Adopt(PreparedEdit edit) {
  if (edit.converted) {
    const std::optional<WorkArea> problem = ProblemAreaOf(edit.status);
    problemArea_ = problem ? AreaRect{problem->left, problem->top, problem->right, problem->bottom}
                           : AreaRect{};
    if (problem) Notify(kStateChanged);
  }
  if (!edit.status.ok) return edit.status;
  // The converted picture is written beside its source, under the source's name.
  const bool renamed = edit.converted && !path_.empty();
  ReplaceState(std::move(edit.state), edit.name,
               renamed ? WithExtension(path_, ".pic") : std::string());
  return Result::Ok();
}

Result Document::Convert(const ConversionSettings& settings,
                         const std::function<bool(SlotTable&)>& review, Progress& progress) {
  return Adopt(PrepareConversion(settings, review, progress));
}

void Document::SetArea(const AreaRect& area) {
  if (area == Area()) return;
  state_.area = {area.left, area.top, area.right, area.bottom};
  RefillColours();
  Notify(kStateChanged);
}

int Document::AvailableColourCount(int colourSpace) const {
  return CountDistinctCodes(state_.colours, ColourSpaceOf(static_cast<uint8_t>(colourSpace)),
                            tables_);
}

void Document::SetOutputNumbers(int segment, int level) {
  state_.block.header.outSegment = static_cast<uint8_t>(segment);
  state_.block.header.outLevel = static_cast<uint8_t>(level);
}

}  // namespace tilvex
