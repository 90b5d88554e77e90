#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace romvane {

// "Preferred DropEffect" on the clipboard: 1 asks the file manager to copy, 2 to move.
constexpr uint32_t kDropEffectCopy = 1;
constexpr uint32_t kFileDropHeaderSize = 20;

// The clipboard's file-drop block for the given files: a 20-byte little-endian header
// (offset of the names, drop point 0,0, not in the non-client area, names are UTF-16),
// then every path as NUL-terminated UTF-16, then zero bytes, so the list ends with an
// empty name. The block is 20 + 2 * (bytes of the NUL-terminated paths) + 8 bytes long.
std::vector<uint8_t> FileDropBlock(const std::vector<std::string>& paths);

// The four bytes of "Preferred DropEffect".
std::vector<uint8_t> DropEffectBytes(uint32_t effect);

}  // namespace romvane
