#pragma once

// The iNES header under which emulators that know the VT03 family's cartridge mapping open
// a whole console image: NES 2.0, mapper 256.

#include <array>
#include <cstddef>
#include <cstdint>

namespace common {

// The program size in 16 KB units (12 bits, a partial last unit counted: up to 64 MB), tile
// data taken from the same ROM, no battery, no trainer, no pattern RAM. With workRam, 8 KB
// of work RAM at $6000-$7FFF (byte 10, 64 << 7 bytes): the console's cartridges carry it,
// and MAME's VT03 machines always map it, but FCEUX maps nothing there for mapper 256
// unless the header asks, and games linked with cc65's stock NES configuration keep their
// data there.
inline std::array<uint8_t, 16> Mapper256Header(size_t imageSize, bool workRam = false) {
  constexpr size_t kPrgUnit = 0x4000;
  constexpr uint8_t kNes20 = 0x08;      // byte 7: the NES 2.0 identifier, mapper bits 4-7 zero
  constexpr uint8_t kMapper256 = 0x01;  // byte 8: mapper bits 8-11
  const size_t units = (imageSize + kPrgUnit - 1) / kPrgUnit;
  std::array<uint8_t, 16> header{'N', 'E', 'S', 0x1A};
  header[4] = static_cast<uint8_t>(units & 0xFF);
  header[7] = kNes20;
  header[8] = kMapper256;
  header[9] = static_cast<uint8_t>((units >> 8) & 0x0F);
  if (workRam) header[10] = 0x07;
  return header;
}

}  // namespace common
