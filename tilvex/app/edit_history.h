#pragma once
// The document's undo history: a plain list of edits, each one step of the Edit menu.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/pixel_mask.h"
#include "convert/block_picture.h"
#include "convert/palette_gathering.h"
#include "doc/pic_file.h"
#include "image/colour_list.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex {

inline constexpr int kPictureKindDecoded = -1;  // a picture loaded from a picture file

// Everything an edit can change.
struct DocumentState {
  Picture picture;
  // The header holds the conversion settings and, after a conversion or once a .pic file is
  // opened, the block picture's own fields; the blocks are the block picture's data.
  BlockPicture block{NewPicHeader(), {}};
  int kind = kPictureKindDecoded;  // kPictureKindDecoded, kBlockPictureKind, or as a .pic says
  bool fromPic = false;            // opened from a .pic file or converted
  WorkArea area;                   // the working area
  ColourList colours;              // the distinct colours of the working area
  SlotTable slots{};               // the palettes of the last conversion
  std::string info;                // the palette bar's information text
};

struct PixelChange {
  int32_t x = 0;
  int32_t y = 0;
  uint32_t before = 0;
  uint32_t after = 0;
};

// Pixels of one colour that all became another (a fill, a recolour).
struct MaskChange {
  PixelMask mask;
  Rgb before = 0;
  Rgb after = 0;
};

// Either some pixels of the picture changed (a pen stroke), or the pixels of a mask changed
// from one colour to another (a fill, a recolour), or the whole state was replaced; `other`
// then holds the state on the far side of the edit, and undoing or redoing swaps it with the
// document's.
struct Edit {
  std::string name;
  std::vector<PixelChange> pixels;
  std::unique_ptr<DocumentState> other;
  // A conversion also renames the document (to its .pic): the other name, swapped along.
  bool renames = false;
  std::string otherPath;
  MaskChange masked;

  size_t Bytes() const;
};

class EditHistory {
 public:
  // Older steps are dropped past this many bytes; the newest step is always kept.
  static constexpr size_t kByteBudget = size_t{512} << 20;
  static constexpr size_t kMaxSteps = 200;

  explicit EditHistory(size_t byteBudget = kByteBudget) : budget_(byteBudget) {}

  // A new edit: the steps that could be redone go.
  void Push(Edit edit);
  void Clear();

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < edits_.size(); }
  const std::string& UndoName() const;
  const std::string& RedoName() const;
  // The edit to undo or redo; the position moves past it.
  Edit& StepBack() { return edits_[--position_]; }
  Edit& StepForward() { return edits_[position_++]; }

  // The state counts as saved at the current position; IsClean says whether it still is.
  void MarkClean() { clean_ = static_cast<long>(position_); }
  bool IsClean() const { return clean_ == static_cast<long>(position_); }
  size_t Steps() const { return edits_.size(); }
  size_t Bytes() const;

 private:
  size_t budget_;
  std::vector<Edit> edits_;
  size_t position_ = 0;  // edits before it are done, from it on undone
  long clean_ = 0;       // -1 when the saved state is no longer in the list
};

}  // namespace tilvex
