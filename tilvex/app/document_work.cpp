// The document's long edits: opening, converting, adapting, filling and recolouring. Each
// runs on a copy of what it reads, so it may run on a worker while the window stays live,
// and comes back as a PreparedEdit that the document adopts on its own thread.
#include <new>
#include <utility>

#include "app/document.h"
#include "app/paint_tools.h"
#include "app/picture_files.h"
#include "common/file_io.h"
#include "common/translate.h"
#include "convert/block_render.h"
#include "convert/progress.h"
#include "doc/pic_file.h"
#include "image/bitmap.h"
#include "image/decoder.h"
#include "image/format_decoders.h"

namespace tilvex {
namespace {

constexpr char kInvalidPicMessage[] = "非法的PIC文件!";
constexpr char kEmptyPictureMessage[] = "图片的宽或高为0,无法绘制";

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

PreparedEdit Started(const WorkSnapshot& snapshot, PreparedEdit::Kind kind, const char* name) {
  PreparedEdit edit;
  edit.kind = kind;
  edit.name = name;
  edit.version = snapshot.version;
  return edit;
}

// Both hand the edit on, picture and all, without a copy.
PreparedEdit Ended(PreparedEdit& edit, Result status) {
  edit.end = status.ok ? PreparedEdit::End::kDone : PreparedEdit::End::kFailed;
  edit.status = std::move(status);
  return std::move(edit);
}

PreparedEdit Cancelled(PreparedEdit& edit) {
  edit.end = PreparedEdit::End::kCancelled;
  edit.status = Result::Fail({}, "cancelled");
  return std::move(edit);
}

// A .pic file that holds no picture, or one of no size, cannot be opened: the document keeps
// what it shows.
Result ReadPicInto(const std::string& path, DocumentState& state, const ColourTables& tables) {
  PicLoad load;
  if (Result read = ReadPicFile(path, load); !read) return read;
  const PicHeader header = load.picture.header;
  if (load.kind == PicLoadKind::kNoPicture) {
    return Result::Fail(load.message.empty() ? common::Tr(kInvalidPicMessage) : load.message,
                        "the file holds no picture");
  }
  if (header.width == 0 || header.height == 0)
    return Result::Fail(common::Tr(kEmptyPictureMessage), "the picture has no size");
  if (Result shown = ShowBlock(state, std::move(load.picture), tables); !shown) return shown;
  state.info = LongInfoText(header);
  return Result::Ok();
}

}  // namespace

WorkSnapshot Document::BeginWork(bool withState) {
  WorkSnapshot snapshot;
  if (withState) snapshot.state = state_;
  snapshot.tables = tables_;
  snapshot.tablesLoaded = tablesLoaded_;
  snapshot.version = version_;
  working_ = true;
  return snapshot;
}

PreparedEdit Document::PrepareOpen(const std::string& path, const WorkSnapshot& snapshot,
                                   Progress& progress) {
  PreparedEdit edit = Started(snapshot, PreparedEdit::Kind::kOpen, "Open");
  DocumentState& state = edit.state;
  if (common::LowerExtension(path) == "pic") {
    if (Result read = ReadPicInto(path, state, snapshot.tables); !read)
      return Ended(edit, std::move(read));
  } else {
    if (Result read = DecodePictureFile(path, state.picture); !read)
      return Ended(edit, std::move(read));
    state.area = WorkArea{0, 0, state.picture.width, state.picture.height};
    state.info = SizeInfoText(state.picture.width, state.picture.height);
  }
  if (progress.Cancelled()) return Cancelled(edit);
  CollectAreaColours(state);
  if (progress.Cancelled()) return Cancelled(edit);
  return Ended(edit, Result::Ok());
}

PreparedEdit Document::PrepareConversion(const WorkSnapshot& snapshot,
                                         const ConversionSettings& settings,
                                         const std::function<bool(SlotTable&)>& review,
                                         Progress& progress) {
  PreparedEdit edit = Started(snapshot, PreparedEdit::Kind::kConversion, "Conversion");
  if (!snapshot.tablesLoaded.ok && NeedsColourTables(ColourSpaceOf(settings.colourSpace)))
    return Ended(edit, snapshot.tablesLoaded);
  PaletteChoice palettes;
  palettes.review = review;
  Conversion conversion =
      ConvertPicture(snapshot.state.picture, settings, palettes, snapshot.tables, progress);
  // A conversion that stops without a word was stopped by the user or by the review.
  if (!conversion.status.ok && conversion.status.message.empty() &&
      conversion.status.detail.empty())
    return Cancelled(edit);
  if (!conversion.status.ok) return Ended(edit, conversion.status);
  const PicHeader header = conversion.picture.header;
  if (Result shown = ShowBlock(edit.state, std::move(conversion.picture), snapshot.tables); !shown)
    return Ended(edit, std::move(shown));
  edit.state.slots = conversion.slots;
  edit.state.info = ShortInfoText(header);
  CollectAreaColours(edit.state);
  return Ended(edit, Result::Ok());
}

PreparedEdit Document::PrepareAdaptation(WorkSnapshot snapshot, Adaptation which,
                                         Progress& progress) {
  PreparedEdit edit = Started(snapshot, PreparedEdit::Kind::kState, "Adaptation");
  edit.state = std::move(snapshot.state);
  Picture& picture = edit.state.picture;
  const auto stop = [&progress] { return progress.Cancelled(); };
  if (which == Adaptation::kRgb4K) {
    AdaptRgb4K(picture, picture.width, picture.height);
  } else if (!snapshot.tablesLoaded.ok) {
    return Ended(edit, snapshot.tablesLoaded);
  } else if (which == Adaptation::kHsl4K
                 ? !AdaptHsl4K(picture, snapshot.tables, picture.width, picture.height, stop)
                 : !AdaptNes64(picture, snapshot.tables, picture.width, picture.height, stop)) {
    return Cancelled(edit);
  }
  if (progress.Cancelled()) return Cancelled(edit);
  CollectAreaColours(edit.state);
  return Ended(edit, Result::Ok());
}

// The worker draws into its own copy of the picture; the document takes that picture and
// keeps only the mask and the two colours for undoing.
PreparedEdit Document::PrepareFill(WorkSnapshot snapshot, int x, int y, Rgb rgb, const char* name) {
  PreparedEdit edit = Started(snapshot, PreparedEdit::Kind::kMask, name);
  Picture& picture = snapshot.state.picture;
  if (!picture.Contains(x, y)) return Ended(edit, Result::Ok());
  const Rgb before = picture.At(x, y);
  edit.masked = {FloodFill(picture, {x, y}, rgb), before, rgb};
  CollectAreaColours(snapshot.state);
  edit.state.picture = std::move(picture);
  edit.state.colours = snapshot.state.colours;
  return Ended(edit, Result::Ok());
}

PreparedEdit Document::PrepareRecolour(WorkSnapshot snapshot, Rgb old, Rgb rgb) {
  PreparedEdit edit = Started(snapshot, PreparedEdit::Kind::kMask, "Recolour");
  Picture& picture = snapshot.state.picture;
  if (old == rgb) return Ended(edit, Result::Ok());
  edit.masked = {PixelsOfColour(picture, old), old, rgb};
  edit.masked.mask.ForEach([&](int px, int py) { picture.Set(px, py, rgb); });
  CollectAreaColours(snapshot.state);
  edit.state.picture = std::move(picture);
  edit.state.colours = snapshot.state.colours;
  return Ended(edit, Result::Ok());
}

// Every piece of work ends here, whatever became of it, so the document is free again. A
// result made from another version of the document is never adopted.
Result Document::Adopt(PreparedEdit edit, const std::string& openedPath) {
  working_ = false;
  if (edit.Cancelled()) return edit.status;
  if (edit.version != version_) {
    return Result::Fail(common::Tr("图片在处理期间被修改，结果未被采用。"),
                        "the document changed while the work ran");
  }
  if (edit.kind == PreparedEdit::Kind::kConversion) {
    const std::optional<WorkArea> problem = ProblemAreaOf(edit.status);
    problemArea_ = problem ? AreaRect{problem->left, problem->top, problem->right, problem->bottom}
                           : AreaRect{};
    if (problem) Notify(kStateChanged);
  }
  if (!edit.status.ok) return edit.status;
  switch (edit.kind) {
    case PreparedEdit::Kind::kOpen:
      Reset(std::move(edit.state), true, openedPath);
      return edit.status;
    case PreparedEdit::Kind::kMask:
      return AdoptMask(std::move(edit));
    case PreparedEdit::Kind::kConversion:
      // The converted picture is written beside its source, under the source's name.
      ReplaceState(std::move(edit.state), edit.name,
                   path_.empty() ? std::string() : WithExtension(path_, ".pic"));
      return Result::Ok();
    case PreparedEdit::Kind::kState:
      ReplaceState(std::move(edit.state), edit.name);
      return Result::Ok();
  }
  return Result::Ok();
}

Result Document::AdoptMask(PreparedEdit edit) {
  if (edit.masked.mask.Empty()) return Result::Ok();
  if (Result paint = CanPaint(); !paint) return paint;
  // The worker listed the working area's colours of its picture.
  std::swap(state_.picture, edit.state.picture);
  state_.colours = edit.state.colours;
  history_.Push(Edit{edit.name, {}, nullptr, false, {}, std::move(edit.masked)});
  ShowColours();
  Notify(kPictureChanged | kStateChanged);
  return Result::Ok();
}

Result Document::Open(const std::string& path) {
  if (Result still = Still(); !still) return still;
  const WorkSnapshot snapshot = BeginWork(false);
  return Adopt(PrepareOpen(path, snapshot, NoProgress()), path);
}

Result Document::Adapt(Adaptation which) {
  if (Result paint = CanPaint(); !paint) return paint;
  if (Result still = Still(); !still) return still;
  return Adopt(PrepareAdaptation(BeginWork(), which, NoProgress()));
}

Result Document::Convert(const ConversionSettings& settings,
                         const std::function<bool(SlotTable&)>& review, Progress& progress) {
  if (Result still = Still(); !still) return still;
  const WorkSnapshot snapshot = BeginWork();
  return Adopt(PrepareConversion(snapshot, settings, review, progress));
}

Result Document::Fill(int x, int y, Rgb rgb, const char* name) {
  if (Result paint = CanPaint(); !paint) return paint;
  if (Result still = Still(); !still) return still;
  return Adopt(PrepareFill(BeginWork(), x, y, rgb, name));
}

}  // namespace tilvex
