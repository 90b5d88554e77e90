#include "cart/hex_font.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "common/hex.h"
#include "common/translate.h"

namespace romvane {
namespace {

bool AllHex(std::string_view text) {
  for (char c : text)
    if (common::HexDigitValue(c) < 0) return false;
  return !text.empty();
}

// The glyph of one line's bitmap digits (already checked: 32 or 64 of them).
FontGlyph GlyphOf(std::string_view bitmap) {
  FontGlyph glyph;
  glyph.width = bitmap.size() == 64 ? 16 : 8;
  const size_t digitsPerRow = bitmap.size() / 16;
  for (size_t row = 0; row < 16; ++row) {
    uint16_t bits = 0;
    for (size_t d = 0; d < digitsPerRow; ++d)
      bits =
          static_cast<uint16_t>(bits << 4 | common::HexDigitValue(bitmap[row * digitsPerRow + d]));
    glyph.rows[row] = glyph.width == 8 ? static_cast<uint16_t>(bits << 8) : bits;
  }
  return glyph;
}

}  // namespace

std::string MenuFontPath() {
  const char* own = std::getenv("ROMVANE_FONT");
  return own && *own ? own : kDefaultFontPath;
}

FontGlyphs ReadHexFont(const std::string& path, const std::set<char32_t>& wanted) {
  FontGlyphs result;
  std::vector<uint8_t> bytes;
  if (!common::ReadFileBytes(path, kMaxFontBytes, bytes, true)) {
    result.message = common::TrFill("无法读取字体文件{0}!", {path});
    return result;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    const std::string_view code = line.substr(0, colon);
    const std::string_view bitmap =
        colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
    if (code.size() < 4 || code.size() > 6 || !AllHex(code) ||
        (bitmap.size() != 32 && bitmap.size() != 64) || !AllHex(bitmap)) {
      result.glyphs.clear();
      result.message = common::TrFill("字体文件{0}第{1}行有误!", {path, std::to_string(number)});
      return result;
    }
    char32_t point = 0;
    for (char c : code) point = point << 4 | static_cast<char32_t>(common::HexDigitValue(c));
    if (wanted.count(point)) result.glyphs[point] = GlyphOf(bitmap);
  }
  return result;
}

}  // namespace romvane
