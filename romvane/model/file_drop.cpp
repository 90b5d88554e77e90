#include "model/file_drop.h"

#include <string_view>

namespace romvane {
namespace {

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

// Length of the UTF-8 sequence a lead byte starts, 0 for a byte that cannot lead.
int SequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// UTF-16 code units of a path held as UTF-8; a malformed sequence becomes U+FFFD.
std::u16string WideName(std::string_view utf8) {
  std::u16string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const uint8_t lead = static_cast<uint8_t>(utf8[i]);
    const int length = SequenceLength(lead);
    char32_t code = 0;
    bool ok = length > 0 && i + static_cast<size_t>(length) <= utf8.size();
    if (ok) {
      code = length == 1 ? lead : lead & (0x7F >> length);
      for (int k = 1; k < length && ok; ++k) {
        const uint8_t next = static_cast<uint8_t>(utf8[i + static_cast<size_t>(k)]);
        ok = (next & 0xC0) == 0x80;
        code = (code << 6) | (next & 0x3F);
      }
      // Overlong forms, surrogates and values past U+10FFFF are not characters.
      static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
      ok = ok && code >= kMinimum[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    }
    if (!ok) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += static_cast<size_t>(length);
  }
  return out;
}

}  // namespace

std::vector<uint8_t> FileDropBlock(const std::vector<std::string>& paths) {
  // The names are sized by the multibyte text they come from: every path and its NUL.
  // A UTF-16 name never needs more units than its text has bytes, so the names always
  // fit and at least eight zero bytes close the list.
  size_t textBytes = 0;
  for (const std::string& p : paths) textBytes += p.size() + 1;
  std::vector<uint8_t> block(kFileDropHeaderSize + 2 * textBytes + 8, 0);
  PutU32(block, 0, kFileDropHeaderSize);  // where the names begin
  PutU32(block, 4, 0);                    // drop point x
  PutU32(block, 8, 0);                    // drop point y
  PutU32(block, 12, 0);                   // the point is not in the non-client area
  PutU32(block, 16, 1);                   // the names are wide characters
  size_t at = kFileDropHeaderSize;
  for (const std::string& p : paths) {
    // A NUL inside a path would end the name early; such a path names no file anyway.
    for (char16_t unit : WideName(p.substr(0, p.find('\0')))) {
      block[at++] = static_cast<uint8_t>(unit & 0xFF);
      block[at++] = static_cast<uint8_t>(unit >> 8);
    }
    at += 2;  // the name's terminator
  }
  return block;
}

std::vector<uint8_t> DropEffectBytes(uint32_t effect) {
  std::vector<uint8_t> bytes(4);
  PutU32(bytes, 0, effect);
  return bytes;
}

}  // namespace romvane
