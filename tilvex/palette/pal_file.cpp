#include "palette/pal_file.h"

#include <cstring>

#include "common/file_io.h"
#include "common/translate.h"

namespace tilvex {
using common::ReadFileBytes;
using common::WriteFileReplacing;

std::optional<SlotTable> ParsePalette(std::span<const uint8_t> bytes) {
  if (bytes.size() < kPalFileBytes) return std::nullopt;
  // The header read as a zero-terminated text must be exactly "PAL".
  if (std::memcmp(bytes.data(), "PAL", 4) != 0) return std::nullopt;
  return ReadSlotTable(bytes.subspan(kPalHeaderBytes).first<kSlotTableBytes>());
}

std::vector<uint8_t> PaletteFileBytes(const SlotTable& table) {
  std::vector<uint8_t> bytes(kPalFileBytes, 0);
  std::memcpy(bytes.data(), "PAL", 3);
  WriteSlotTable(table, std::span(bytes).subspan(kPalHeaderBytes).first<kSlotTableBytes>());
  return bytes;
}

Result ReadPaletteFile(const std::string& path, SlotTable& table) {
  std::vector<uint8_t> bytes;
  Result read = ReadFileBytes(path, kPalFileBytes, bytes);
  if (!read) return Result::Fail(common::Tr(kInvalidPaletteMessage), read.detail);
  std::optional<SlotTable> parsed = ParsePalette(bytes);
  if (!parsed)
    return Result::Fail(common::Tr(kInvalidPaletteMessage), path + " is not a palette file");
  table = *parsed;
  return Result::Ok();
}

Result WritePaletteFile(const std::string& path, const SlotTable& table) {
  Result written = WriteFileReplacing(path, PaletteFileBytes(table));
  if (!written) {
    return Result::Fail(common::WithReason(common::TrFill("无法写入文件{0}!", {path}), written),
                        written.detail);
  }
  return written;
}

void MergeUsedSlots(const SlotTable& from, SlotTable& into) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (from.slots[i].used != 0) into.slots[i] = from.slots[i];
  }
}

Result LoadPaletteInto(const std::string& path, SlotTable& into) {
  SlotTable file;
  Result read = ReadPaletteFile(path, file);
  if (read) MergeUsedSlots(file, into);
  return read;
}

}  // namespace tilvex
