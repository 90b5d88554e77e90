#pragma once
// The edits "VT03 PAL Setup" makes to the converter's slot table (swapping two slots, the
// row commands with their one-row clipboard) and the PNT Attrib dialog's attribute bits.
#include <algorithm>
#include <array>

#include "image/slot_table.h"

namespace tilvex {

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

// A cell's attribute byte as the PNT Attrib dialog edits it: the palette in the low four
// bits, Switch1 in bit 7 and Switch2 in bit 6.
inline constexpr unsigned kSwitch1Bit = 0x80;
inline constexpr unsigned kSwitch2Bit = 0x40;

inline unsigned WithPaletteNumber(unsigned attribute, int palette) {
  return (attribute & 0xF0u) | (unsigned(palette) & 0x0Fu);
}

inline unsigned WithSwitch(unsigned attribute, unsigned bit, bool on) {
  return on ? attribute | bit : attribute & ~bit & 0xFFu;
}

}  // namespace tilvex
