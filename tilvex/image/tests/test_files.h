#pragma once

// Helpers that build picture files for the tests.

#include <cstdint>
#include <string>
#include <vector>

#include "image/bitmap.h"

namespace tilvex::test {

// A fresh folder under the test temporary directory.
std::string TempFolder(const std::string& name);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t value);
void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value);

// A BMP file with a 40-byte header (or `headerSize`), the given colour table entries
// (4 bytes each) and raw rows, bottom-up unless height is negative.
std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bitCount,
                             const std::vector<uint32_t>& colourTable,
                             const std::vector<uint8_t>& rows, uint32_t compression = 0,
                             const std::vector<uint32_t>& masks = {});

}  // namespace tilvex::test
