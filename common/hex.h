#pragma once

// Hexadecimal digits as the programs read and write them: addresses, sizes and reserves.

#include <cstdint>
#include <string>

namespace common {

// The value of one hexadecimal digit (0-9, A-F, a-f), or -1 for any other character.
int HexDigitValue(char c);

// The value in upper-case hexadecimal digits, without a prefix or leading zeros ("0" for 0).
std::string HexText(uint32_t value);

}  // namespace common
