#include "cart/parse_hex.h"

namespace romvane {

int32_t ParseHex(std::string_view text) {
  uint32_t value = 0;
  for (char c : text) {
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      return -1;
    }
    value = value * 16 + digit;  // 32-bit arithmetic: a ninth digit wraps
  }
  return static_cast<int32_t>(value);
}

}  // namespace romvane
