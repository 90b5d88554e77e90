#pragma once

// The palette file (.pal, also "ani.pal"): a 16-byte header beginning with the text "PAL"
// and a zero byte, then a 2048-byte slot table. 2064 bytes in all.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "image/slot_table.h"

namespace tilvex {
using common::Result;

inline constexpr size_t kPalHeaderBytes = 16;
inline constexpr size_t kPalFileBytes = kPalHeaderBytes + kSlotTableBytes;
inline constexpr char kInvalidPaletteMessage[] = "该文件不是合法的调色板文件!";

// The slot table of a palette file's bytes; nothing when the header is not "PAL" or the
// file is shorter than 2064 bytes. Bytes after 2064 are ignored.
std::optional<SlotTable> ParsePalette(std::span<const uint8_t> bytes);
// Header ("PAL", then zeros) and table.
std::vector<uint8_t> PaletteFileBytes(const SlotTable& table);

// Reads a whole palette file; an unreadable, short or foreign file gives
// kInvalidPaletteMessage.
Result ReadPaletteFile(const std::string& path, SlotTable& table);
Result WritePaletteFile(const std::string& path, const SlotTable& table);

// Copies every slot that is used in `from` (value and flag) into `into`; free slots of
// `from` leave `into` as it was. This is how "Load" merges a palette file.
void MergeUsedSlots(const SlotTable& from, SlotTable& into);
// Reads the file and merges it; on failure `into` is unchanged.
Result LoadPaletteInto(const std::string& path, SlotTable& into);

}  // namespace tilvex
