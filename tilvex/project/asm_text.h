#pragma once

// The assembler text shapes the project writers share: "$%02X" bytes, sixteen to a
// "\tdb\t" line.

#include <cstdint>
#include <string>
#include <vector>

namespace tilvex {

// "$%02X" of the value's low byte.
std::string AsmByte(unsigned value);

// Values sixteen to a line, "\tdb\t" at the start of each, "," after every value but the
// sixteenth of a line, which ends the line.
void AppendDbLines(std::string& out, const std::vector<uint8_t>& values);

// Upper case of the ASCII letters; labels and file names are made from it.
std::string UpperAscii(std::string text);

}  // namespace tilvex
