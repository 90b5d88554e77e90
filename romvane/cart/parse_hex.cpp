#include "cart/parse_hex.h"

#include "common/hex.h"

namespace romvane {

int32_t ParseHex(std::string_view text) {
  uint32_t value = 0;
  for (char c : text) {
    const int digit = common::HexDigitValue(c);
    if (digit < 0) return -1;
    value = value * 16 + static_cast<uint32_t>(digit);  // 32-bit arithmetic: a ninth digit wraps
  }
  return static_cast<int32_t>(value);
}

}  // namespace romvane
