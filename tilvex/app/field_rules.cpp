#include "app/field_rules.h"

#include "common/hex.h"
#include "common/translate.h"

namespace tilvex {

std::optional<uint32_t> ReadHexField(std::string_view text, uint32_t largest) {
  uint64_t value = 0, place = 1;
  for (size_t i = text.size(); i > 0; --i) {
    const int digit = common::HexDigitValue(text[i - 1]);
    if (digit < 0) break;
    if (digit != 0 && (place > largest || uint64_t(digit) * place > largest - value)) {
      return std::nullopt;
    }
    value += uint64_t(digit) * place;
    // Leading zeros are harmless however many there are.
    if (place <= largest) place *= 16;
  }
  return static_cast<uint32_t>(value);
}

Result ReadHexField(std::string_view text, uint32_t largest, const std::string& field,
                    uint32_t& value) {
  const std::optional<uint32_t> read = ReadHexField(text, largest);
  if (!read) {
    return Result::Fail(
        common::TrFill("{0}必须是0到{1}之间的十六进制数!", {field, common::HexText(largest)}),
        "a hexadecimal field holds more than it may");
  }
  value = *read;
  return Result::Ok();
}

std::string PathWithoutExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return hasExtension ? path.substr(0, dot) : path;
}

OutputFileNames DefaultOutputNames(const std::string& picturePath) {
  const std::string base = PathWithoutExtension(picturePath);
  return {base + "_pgt.bin", base + "_pnt.asm"};
}

}  // namespace tilvex
