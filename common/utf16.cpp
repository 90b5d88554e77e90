#include "common/utf16.h"

#include <cstddef>
#include <cstdint>

namespace common {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Decodes the sequence at text[pos]; returns its length in bytes, or 0 when malformed.
size_t DecodeOne(std::string_view text, size_t pos, uint32_t& codePoint) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[pos + i]); };
  const uint8_t lead = byte(0);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  size_t length;
  uint32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    codePoint = codePoint << 6 | (byte(i) & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
  return length;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  // ASCII, which most text starts with or is, goes across as it is.
  size_t pos = 0;
  while (pos < text.size() && static_cast<uint8_t>(text[pos]) < 0x80) ++pos;
  std::u16string out(text.begin(), text.begin() + static_cast<ptrdiff_t>(pos));
  if (pos == text.size()) return out;
  out.reserve(text.size());
  while (pos < text.size()) {
    uint32_t codePoint = 0;
    const size_t length = DecodeOne(text, pos, codePoint);
    if (length == 0) {
      out.push_back(kReplacement);
      ++pos;
      continue;
    }
    pos += length;
    if (codePoint >= 0x10000) {
      codePoint -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(codePoint));
    }
  }
  return out;
}

}  // namespace common
