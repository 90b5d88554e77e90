#include "app/edit_history.h"

namespace tilvex {
namespace {

const std::string kNoName;

size_t StateBytes(const DocumentState& state) {
  return sizeof(DocumentState) + state.picture.pixels.size() + state.block.blocks.pnt.size() +
         state.block.blocks.pal.size() + state.block.blocks.pgt.size() + state.info.size();
}

}  // namespace

size_t Edit::Bytes() const {
  return sizeof(Edit) + name.size() + pixels.size() * sizeof(PixelChange) + masked.mask.Bytes() +
         (other ? StateBytes(*other) : 0);
}

void EditHistory::Push(Edit edit) {
  edits_.resize(position_);
  if (clean_ > static_cast<long>(position_)) clean_ = -1;
  edits_.push_back(std::move(edit));
  position_ = edits_.size();
  size_t bytes = Bytes();
  size_t drop = 0;
  while (edits_.size() - drop > 1 && (bytes > budget_ || edits_.size() - drop > kMaxSteps)) {
    bytes -= edits_[drop].Bytes();
    ++drop;
  }
  if (drop == 0) return;
  edits_.erase(edits_.begin(), edits_.begin() + static_cast<long>(drop));
  position_ -= drop;
  clean_ = clean_ >= static_cast<long>(drop) ? clean_ - static_cast<long>(drop) : -1;
}

size_t EditHistory::Bytes() const {
  size_t bytes = 0;
  for (const Edit& e : edits_) bytes += e.Bytes();
  return bytes;
}

void EditHistory::Clear() {
  edits_.clear();
  position_ = 0;
  clean_ = 0;
}

const std::string& EditHistory::UndoName() const {
  return CanUndo() ? edits_[position_ - 1].name : kNoName;
}

const std::string& EditHistory::RedoName() const {
  return CanRedo() ? edits_[position_].name : kNoName;
}

}  // namespace tilvex
