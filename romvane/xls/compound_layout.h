#pragma once

// Layout facts of a version 3 compound file shared by the parts of its writer.

#include <array>
#include <cstddef>
#include <cstdint>

#include "xls/compound_file.h"

namespace romvane::cfb {

inline constexpr uint32_t kEntriesPerSector = CompoundFile::kSectorSize / 4;  // 128
inline constexpr uint32_t kHeaderDifatSlots = 109;
inline constexpr uint32_t kDifatSlotsPerSector = kEntriesPerSector - 1;  // last one links onwards
inline constexpr uint32_t kEntriesPerDirectorySector = 4;
inline constexpr uint32_t kDirectoryEntrySize = 128;

using Block = std::array<uint8_t, CompoundFile::kSectorSize>;

inline size_t CeilDiv(size_t value, size_t unit) {
  return (value + unit - 1) / unit;
}

}  // namespace romvane::cfb
