#pragma once

// The palette slot table: 16 palettes of 16 slots, palette-major, each slot an RGB value and
// a used flag. Its 2048 bytes (two little-endian u32 a slot) form the body of .pal files.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/colour.h"

namespace tilvex {

inline constexpr int kPaletteCount = 16;
inline constexpr int kSlotsPerPalette = 16;
inline constexpr int kSlotCount = kPaletteCount * kSlotsPerPalette;
inline constexpr size_t kSlotTableBytes = kSlotCount * 8;

struct Slot {
  Rgb rgb = 0;
  uint32_t used = 0;  // 0 = free, 1 = used
  bool operator==(const Slot&) const = default;
};

struct SlotTable {
  std::array<Slot, kSlotCount> slots{};

  Slot& At(int palette, int slot) { return slots[palette * kSlotsPerPalette + slot]; }
  const Slot& At(int palette, int slot) const { return slots[palette * kSlotsPerPalette + slot]; }
  bool operator==(const SlotTable&) const = default;
};

// The 2048-byte form; `out` and `bytes` hold at least kSlotTableBytes.
void WriteSlotTable(const SlotTable& table, std::span<uint8_t, kSlotTableBytes> out);
SlotTable ReadSlotTable(std::span<const uint8_t, kSlotTableBytes> bytes);

}  // namespace tilvex
