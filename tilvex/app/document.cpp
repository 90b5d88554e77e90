#include "app/document.h"

#include <new>
#include <utility>

#include "app/paint_tools.h"
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
  ++version_;
  if (observer_) observer_->DocumentChanged(changes);
}

Result Document::Still() const {
  if (working_) return Result::Fail({}, "the picture is held still while work runs on it");
  return Result::Ok();
}

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
  if (Result still = Still(); !still) return still;
  DocumentState state;
  if (width == 0 || height == 0) {
    Reset(std::move(state), false, {});
    return Result::Ok();
  }
  if (Result made = NewBlankPicture(width, height, state.picture); !made) return made;
  state.area = WorkArea{0, 0, width, height};
  state.info = SizeInfoText(width, height);
  CollectAreaColours(state);
  Reset(std::move(state), true, {});
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

// An image of a block picture holds none of its tiles, palettes or cell edits: the document
// stays unsaved under its own file, so Save and the questions still reach the block data.
Result Document::SaveAs(const std::string& path) {
  if (Result still = Still(); !still) return still;
  if (!hasPicture_ || (state_.picture.Empty() && state_.kind != kBlockPictureKind)) {
    return Result::Fail(common::Tr("没有可保存的图片。"), "there is no picture to save");
  }
  if (Result written = WriteDocumentFile(state_, path); !written) return written;
  if (SavesOnlyTheImage(path)) return Result::Ok();
  path_ = path;
  history_.MarkClean();
  Notify(kStateChanged);
  return Result::Ok();
}

bool Document::SavesOnlyTheImage(const std::string& path) const {
  return state_.kind == kBlockPictureKind && SaveFormatOf(path, true) != SaveFormat::kPic;
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
  stroke_ = Edit{name, {}, nullptr, false, {}, {}};
  stroking_ = CanPaint().ok && !working_;
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
  CompactStroke();
  history_.Push(std::move(stroke_));
  stroke_ = Edit();
  RefillColours();
  Notify(kStateChanged);
}

Result Document::Recolour(int index, Rgb rgb) {
  if (Result paint = CanPaint(); !paint) return paint;
  if (Result still = Still(); !still) return still;
  const std::optional<Rgb> old = ColourAt(index);
  if (!old) return Result::Fail({}, "no such entry in the colour list");
  if (*old == rgb) return Result::Ok();
  Edit edit{"Recolour", {}, nullptr, false, {}, {PixelsOfColour(state_.picture, *old), *old, rgb}};
  if (edit.masked.mask.Empty()) return Result::Ok();
  ApplyMask(edit.masked, true);
  history_.Push(std::move(edit));
  RefillColours();
  Notify(kPictureChanged | kStateChanged);
  return Result::Ok();
}

std::optional<Rgb> Document::ColourAt(int index) const {
  if (index < 0 || size_t(index) >= colours_.size()) return std::nullopt;
  return colours_[size_t(index)];
}

void Document::ApplyMask(const MaskChange& change, bool forward) {
  const Rgb rgb = forward ? change.after : change.before;
  change.mask.ForEach([&](int x, int y) { state_.picture.Set(x, y, rgb); });
}

// Past the picture's own size a change record per pixel costs more than the picture before
// the stroke, so that is kept instead. Memory that runs out here leaves the records as they are.
void Document::CompactStroke() {
  if (stroke_.pixels.size() * sizeof(PixelChange) <= state_.picture.pixels.size()) return;
  try {
    auto before = std::make_unique<DocumentState>(state_);
    for (auto p = stroke_.pixels.rbegin(); p != stroke_.pixels.rend(); ++p)
      before->picture.Set(p->x, p->y, p->before);
    CollectAreaColours(*before);
    stroke_.other = std::move(before);
    stroke_.pixels = {};
  } catch (const std::bad_alloc&) {
  }
}

void Document::ApplyPixels(const std::vector<PixelChange>& pixels, bool forward) {
  for (const PixelChange& p : pixels) state_.picture.Set(p.x, p.y, forward ? p.after : p.before);
}

// `next` comes with its colour list filled. A new path renames the document as part of the
// step, so undoing it gives the old name back.
void Document::ReplaceState(DocumentState next, const char* name, std::string newPath) {
  Edit edit{name, {}, std::make_unique<DocumentState>(std::move(state_)), false, {}, {}};
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
  if (working_ || stroking_ || !history_.CanUndo()) return;
  Apply(history_.StepBack(), false);
}

void Document::Redo() {
  if (working_ || stroking_ || !history_.CanRedo()) return;
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
    ApplyMask(edit.masked, forward);
    RefillColours();
  }
  Notify(kPictureChanged | kStateChanged);
}

// The step keeps the state before the edit; memory that cannot hold it refuses the edit.
Result Document::SetCell(int index, uint16_t code, uint8_t attribute) {
  if (Result still = Still(); !still) return still;
  const BlockData& blocks = state_.block.blocks;
  if (state_.kind != kBlockPictureKind || index < 0 || size_t(index) >= blocks.Cells())
    return Result::Fail({}, "no such cell");
  if (blocks.Code(size_t(index)) == code && blocks.Attribute(size_t(index)) == attribute)
    return Result::Ok();
  try {
    EditCell(index, code, attribute);
  } catch (const std::bad_alloc&) {
    return Result::Fail(common::Tr(kPictureTooLargeMessage), "no memory for the cell edit's step");
  }
  return Result::Ok();
}

void Document::EditCell(int index, uint16_t code, uint8_t attribute) {
  DocumentState next = state_;
  next.block.blocks.SetCell(size_t(index), code, attribute);
  RenderBlockPicture(next.block, tables_, next.picture);
  CollectAreaColours(next);
  ReplaceState(std::move(next), "Cell Edit");
}

void Document::SetArea(const AreaRect& area) {
  if (working_ || area == Area()) return;
  state_.area = {area.left, area.top, area.right, area.bottom};
  RefillColours();
  Notify(kStateChanged);
}

int Document::AvailableColourCount(int colourSpace) const {
  return CountDistinctCodes(state_.colours, ColourSpaceOf(static_cast<uint8_t>(colourSpace)),
                            tables_);
}

void Document::SetOutputNumbers(int segment, int level) {
  if (working_) return;
  state_.block.header.outSegment = static_cast<uint8_t>(segment);
  state_.block.header.outLevel = static_cast<uint8_t>(level);
}

}  // namespace tilvex
