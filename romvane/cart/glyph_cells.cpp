#include "cart/glyph_cells.h"

#include "common/gbk.h"
#include "common/utf16.h"

namespace romvane {
namespace {

// What a character the font lacks shows: an outlined box, as fonts draw them.
FontGlyph BoxGlyph() {
  FontGlyph box;
  box.width = 8;
  for (size_t row = 2; row < 14; ++row) box.rows[row] = 0x8100;
  box.rows[2] = box.rows[13] = 0xFF00;
  return box;
}

}  // namespace

std::vector<Cell> CellsOf(const FontGlyph* glyph, CellStyle style) {
  static const FontGlyph box = BoxGlyph();
  if (!glyph) glyph = &box;
  std::vector<Cell> cells(glyph->width > 8 ? 2 : 1);
  for (size_t c = 0; c < cells.size(); ++c) {
    cells[c].style = style;
    for (size_t row = 0; row < 16; ++row)
      cells[c].rows[row] = static_cast<uint8_t>(glyph->rows[row] >> (8 - 8 * c));
  }
  return cells;
}

std::array<uint8_t, 32> TileBytes(const Cell& cell) {
  std::array<uint8_t, 32> bytes{};
  if (cell.style == CellStyle::Empty) return bytes;
  for (size_t tile = 0; tile < 2; ++tile) {
    for (size_t row = 0; row < 8; ++row) {
      const uint8_t ink = cell.rows[tile * 8 + row];
      bytes[tile * 16 + row] = ink;
      bytes[tile * 16 + 8 + row] =
          cell.style == CellStyle::Title ? uint8_t{0xFF} : static_cast<uint8_t>(~ink);
    }
  }
  return bytes;
}

std::optional<std::vector<char32_t>> GbkCharacters(const std::string& utf8) {
  const auto gbk = common::Utf8ToGbk(utf8);
  if (!gbk) return std::nullopt;
  std::vector<char32_t> chars;
  for (size_t i = 0; i < gbk->size();) {
    // A lead byte of 0x81 or more starts a two-byte character; 0x80 stands alone.
    const auto lead = static_cast<uint8_t>((*gbk)[i]);
    const size_t length = lead > 0x80 && i + 1 < gbk->size() ? 2 : 1;
    const auto one = common::GbkToUtf8(std::string_view(*gbk).substr(i, length));
    const std::u16string units = one ? common::Utf8ToUtf16(*one) : std::u16string();
    chars.push_back(units.empty() ? U'\uFFFD' : static_cast<char32_t>(units[0]));
    i += length;
  }
  return chars;
}

}  // namespace romvane
