#pragma once
// The edits "VT03 PAL Setup" makes to the converter's slot table: swapping two slots and
// the row commands with their one-row clipboard.
#include <algorithm>
#include <array>

#include "image/slot_table.h"

namespace tilvex::ui {

inline void SwapSlots(SlotTable& table, int from, int to) {
  std::swap(table.slots[size_t(from)], table.slots[size_t(to)]);
}

struct RowClipboard {
  std::array<Slot, kSlotsPerPalette> slots{};
  bool holdsRow = false;
};

// The slots keep their colours; only the used flags go.
inline void ClearRow(SlotTable& table, int row) {
  for (int s = 0; s < kSlotsPerPalette; ++s) table.At(row, s).used = 0;
}

inline void CopyRow(const SlotTable& table, int row, RowClipboard& clip) {
  for (int s = 0; s < kSlotsPerPalette; ++s) clip.slots[size_t(s)] = table.At(row, s);
  clip.holdsRow = true;
}

inline void PasteRow(SlotTable& table, int row, const RowClipboard& clip) {
  if (!clip.holdsRow) return;
  for (int s = 0; s < kSlotsPerPalette; ++s) table.At(row, s) = clip.slots[size_t(s)];
}

}  // namespace tilvex::ui
