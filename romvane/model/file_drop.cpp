#include "model/file_drop.h"

#include "common/utf16.h"

#include <string_view>

namespace romvane {
using common::Utf8ToUtf16;
namespace {

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
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
    for (char16_t unit : Utf8ToUtf16(p.substr(0, p.find('\0')))) {
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
