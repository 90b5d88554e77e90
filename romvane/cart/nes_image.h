#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "common/result.h"

namespace romvane {

// The cartridge image as an iNES file, for emulators that know the VT03 family's mapping
// as NES 2.0 mapper 256: the program size in 16 KB units (12 bits), tile data taken from
// the same ROM, and 8 KB of work RAM at $6000 for the games that keep data there.
std::array<uint8_t, 16> NesImageHeader(size_t imageSize);

// rom.nes beside rom.bin: the header and the image. False when it cannot be written.
common::Result WriteNesImage(const std::string& path, std::span<const uint8_t> image);

// Where the build writes it: the program directory's rom.nes.
std::string NesImagePath(const std::string& programDir);

}  // namespace romvane
