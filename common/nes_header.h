#pragma once

// The iNES header under which emulators that know the VT03 family's cartridge mapping open
// a whole console image: NES 2.0, mapper 256.

#include <array>
#include <cstddef>
#include <cstdint>

namespace common {

// The program size in 16 KB units (12 bits, a partial last unit counted), tile data taken
// from the same ROM, nothing else set.
inline std::array<uint8_t, 16> Mapper256Header(size_t imageSize) {
  constexpr size_t kPrgUnit = 0x4000;
  constexpr uint8_t kNes20 = 0x08;      // byte 7: the NES 2.0 identifier, mapper bits 4-7 zero
  constexpr uint8_t kMapper256 = 0x01;  // byte 8: mapper bits 8-11
  const size_t units = (imageSize + kPrgUnit - 1) / kPrgUnit;
  std::array<uint8_t, 16> header{'N', 'E', 'S', 0x1A};
  header[4] = static_cast<uint8_t>(units & 0xFF);
  header[7] = kNes20;
  header[8] = kMapper256;
  header[9] = static_cast<uint8_t>((units >> 8) & 0x0F);
  return header;
}

}  // namespace common
