#pragma once
// The document: the one picture the program works on, its file, its working area, whether it
// has unsaved changes and the history of its edits. Every change goes through it, and it
// tells its observer (the window) what changed; the window only shows it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/edit_history.h"
#include "app/view_geometry.h"
#include "common/result.h"
#include "convert/conversion_settings.h"
#include "convert/tile_converter.h"
#include "image/colour.h"
#include "image/colour_list.h"
#include "image/colour_tables.h"

namespace tilvex {
class Progress;
class VolumeLister;
struct PreviewFolders;
struct PreviewResult;

// What changed, for the observer.
enum DocumentChange : unsigned {
  kPictureChanged = 1,  // pixels or size: repaint, rescroll
  kStateChanged = 2,    // file name, kind, modified state, history, colour list, area
};

class DocumentObserver {
 public:
  virtual ~DocumentObserver() = default;
  virtual void DocumentChanged(unsigned changes) = 0;
};

// The cell a double click on a block picture edits.
struct CellInfo {
  int index = -1;
  uint16_t code = 0;
  uint8_t attribute = 0;
  bool switchesEditable = true;  // not when the header's address byte is 2
};

enum class Adaptation { kHsl4K, kRgb4K, kNes64 };

// What long work reads, copied on the document's thread when the work starts. The worker owns
// it and never sees the document, so nothing done in the window meanwhile reaches it.
struct WorkSnapshot {
  DocumentState state;
  ColourTables tables;
  Result tablesLoaded;
  uint64_t version = 0;  // the document's, when the copy was made
};

// What long work gives back for the document to adopt on its own thread.
struct PreparedEdit {
  enum class End { kDone, kFailed, kCancelled };
  enum class Kind { kState, kOpen, kConversion, kMask };
  // Work that never got to set its end (it ran out of memory) is a failure.
  End end = End::kFailed;
  Result status;
  Kind kind = Kind::kState;
  const char* name = "";
  DocumentState state;  // the whole new state; for a mask edit, only its picture
  MaskChange masked;    // a mask edit's pixels and colours
  uint64_t version = 0;

  bool Cancelled() const { return end == End::kCancelled; }
};

class Document {
 public:
  Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  void SetObserver(DocumentObserver* observer) { observer_ = observer; }

  // The picture as the view shows it; empty when there is none.
  const Picture& View() const { return state_.picture; }
  const DocumentState& State() const { return state_; }
  bool HasPicture() const { return hasPicture_; }
  // Holds a block picture, converted or read from a .pic file: what Output, the preview and
  // the cell editor work on. A .pic that holds no block picture is not one.
  bool IsBlockPicture() const { return state_.fromPic && state_.kind == kBlockPictureKind; }
  int Kind() const { return state_.kind; }
  const PicHeader& Header() const { return state_.block.header; }
  const std::string& InfoText() const { return state_.info; }
  // The colour list of the working area (at most 256 colours).
  const std::vector<Rgb>& Colours() const { return colours_; }
  AreaRect Area() const;

  // The file Save writes to; empty for a new picture.
  const std::string& Path() const { return path_; }
  // The file name alone, "Untitled" without one.
  std::string DisplayName() const;
  bool IsModified() const { return !history_.IsClean(); }

  // --- Files ---
  // A blank white picture of the given size, unnamed; 0 x 0 leaves none.
  Result New(int width, int height);
  // A picture (any decoded format) or a .pic block picture. On failure nothing changes.
  Result Open(const std::string& path);
  // Bytes the undo history holds.
  size_t HistoryBytes() const { return history_.Bytes(); }
  // Save writes the document's own file; CanSave says whether there is one the document can
  // be written as (else the window asks for a name).
  bool CanSave() const;
  Result Save();
  // Writes the file the extension names and makes it the document's file; an image (BMP,
  // PNG) of a block picture is written beside it and leaves the document unsaved.
  Result SaveAs(const std::string& path);
  bool SavesOnlyTheImage(const std::string& path) const;
  bool CanSaveAs(const std::string& path) const;

  // --- Edits: each is one step of the history ---
  // Why the pen and recolouring do not apply here; ok for a plain picture.
  Result CanPaint() const;
  // A stroke: the pixels drawn between Begin and End are one step, under the name of the
  // tool that drew them. Outside the picture, or on a block picture, nothing happens.
  void BeginStroke(const char* name = "Pen");
  bool StrokePixel(int x, int y, Rgb rgb);
  void EndStroke();
  // Every pixel of colour-list entry i becomes rgb.
  Result Recolour(int index, Rgb rgb);
  Result Adapt(Adaptation which);
  Result SetCell(int index, uint16_t code, uint8_t attribute);
  // The long edits come in three steps: BeginWork copies what the work reads and holds the
  // document still (every edit is refused until the work is adopted); a Prepare function
  // runs anywhere on the copy alone; Adopt (on the document's thread) applies the result,
  // or for a failed or cancelled one just lets the document go. A stop at one place of the
  // picture names it in ProblemArea.
  WorkSnapshot BeginWork(bool withState = true);
  bool Working() const { return working_; }
  Result Adopt(PreparedEdit edit, const std::string& openedPath = {});
  static PreparedEdit PrepareOpen(const std::string& path, const WorkSnapshot& snapshot,
                                  Progress& progress);
  static PreparedEdit PrepareConversion(const WorkSnapshot& snapshot,
                                        const ConversionSettings& settings,
                                        const std::function<bool(SlotTable&)>& review,
                                        Progress& progress);
  static PreparedEdit PrepareAdaptation(WorkSnapshot snapshot, Adaptation which,
                                        Progress& progress);
  // A flood fill from (x, y), or every pixel of colour-list entry i recoloured.
  static PreparedEdit PrepareFill(WorkSnapshot snapshot, int x, int y, Rgb rgb, const char* name);
  static PreparedEdit PrepareRecolour(WorkSnapshot snapshot, Rgb old, Rgb rgb);
  // The same, start to end on the calling thread.
  Result Convert(const ConversionSettings& settings, const std::function<bool(SlotTable&)>& review,
                 Progress& progress);
  Result Fill(int x, int y, Rgb rgb, const char* name = "Fill");
  // Where the last conversion stopped, empty when it did not stop at one area.
  const AreaRect& ProblemArea() const { return problemArea_; }

  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  const std::string& UndoName() const { return history_.UndoName(); }
  const std::string& RedoName() const { return history_.RedoName(); }
  void Undo();
  void Redo();

  // --- Settings that are not edits ---
  // Makes the rectangle the working area and refills the colour list from it.
  void SetArea(const AreaRect& area);
  // Distinct console colour codes of the colour list in a colour space.
  int AvailableColourCount(int colourSpace) const;
  // The File Output dialog's numbers, remembered in the header.
  void SetOutputNumbers(int segment, int level);

  // --- Reading ---
  CellInfo CellAt(int x, int y) const;
  // The pixels of colour-list entry i, for the palette bar's highlight.
  PixelMask PixelsOf(int index) const;
  // The colour of colour-list entry i, if there is one.
  std::optional<Rgb> ColourAt(int index) const;
  Result WriteOutput(const std::string& pgtPath, const std::string& pntPath, bool assembler,
                     bool sixteenBit, Progress& progress) const;
  // "PAL process": palette steps of the palette file towards target, written as
  // "PALStep.asm" into directory with the codes of the picture's colour space.
  Result WritePaletteSteps(const std::string& palPath, Rgb target, int levels,
                           const std::string& directory = ".") const;
  // "TV Effect": the device preview of the block picture. A picture that is not a block
  // picture gives ok and no result.
  Result BuildPreview(int configIndex, const PreviewFolders& folders, VolumeLister& volumes,
                      PreviewResult* result) const;

  // Palette files of "VT03 PAL Setup".
  static Result LoadPaletteInto(const std::string& path, SlotTable& table);
  static Result SavePalette(const std::string& path, const SlotTable& table);

 private:
  // Replaces the whole state as one step of the history.
  void ReplaceState(DocumentState next, const char* name, std::string newPath = {});
  void ApplyPixels(const std::vector<PixelChange>& pixels, bool forward);
  void ApplyMask(const MaskChange& change, bool forward);
  void EditCell(int index, uint16_t code, uint8_t attribute);
  Result AdoptMask(PreparedEdit edit);
  // Refused while work runs on a copy of the document: its result would miss the change.
  Result Still() const;
  // A stroke too large to keep pixel by pixel becomes a step of the whole state.
  void CompactStroke();
  void Apply(Edit& edit, bool forward);
  void Reset(DocumentState state, bool hasPicture, std::string path);
  void RefillColours();
  void ShowColours();
  void Notify(unsigned changes);

  DocumentState state_;
  bool hasPicture_ = false;
  std::string path_;
  EditHistory history_;
  Edit stroke_;  // the stroke being drawn
  bool stroking_ = false;
  std::vector<Rgb> colours_;
  AreaRect problemArea_;
  bool working_ = false;
  uint64_t version_ = 0;  // counts the changes, so a stale result is never adopted
  ColourTables tables_;
  Result tablesLoaded_;
  DocumentObserver* observer_ = nullptr;
};

}  // namespace tilvex
