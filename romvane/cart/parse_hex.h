#pragma once

#include <cstdint>
#include <string_view>

namespace romvane {

// Reads a hexadecimal text as the size columns and the reserved-size field hold it:
// digits 0-9, A-F, a-f accumulate in 32 bits; an empty text is 0; any other
// character makes the whole text invalid (-1).
int32_t ParseHex(std::string_view text);

}  // namespace romvane
