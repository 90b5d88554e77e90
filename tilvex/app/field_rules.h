#pragma once
// Rules the window and the command line share: how a typed hexadecimal field is read, and
// the names the File Output dialog offers.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"

namespace tilvex {
using common::Result;

inline constexpr uint32_t kLargestAddress = 0xFFFF;  // PGT start and end addresses

// A hexadecimal field is read from the right up to the first character that is not a
// hexadecimal digit, so "$800", "0x800" and "800" all give 0x800 and an empty text 0. A value
// above largest is refused, never cut down to its low digits.
std::optional<uint32_t> ReadHexField(std::string_view text, uint32_t largest);
// The same, with the refusal in the program's words naming the field.
Result ReadHexField(std::string_view text, uint32_t largest, const std::string& field,
                    uint32_t& value);

// The path without the extension of its file name ("a.b/c" has none).
std::string PathWithoutExtension(const std::string& path);

// The output files the File Output dialog offers for a picture: its path without the
// extension and "_pgt.bin", and the same with "_pnt.asm".
struct OutputFileNames {
  std::string pgt;
  std::string pnt;
};
OutputFileNames DefaultOutputNames(const std::string& picturePath);

}  // namespace tilvex
