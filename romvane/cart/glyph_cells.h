#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cart/hex_font.h"

namespace romvane {

// The menu writes text in cells one tile wide and two tiles high: a narrow glyph fills
// one cell, a wide (CJK) glyph two side by side.
enum class CellStyle : uint8_t {
  Empty,   // nothing: the backdrop shows (pixel value 0)
  Title,   // ink in colour 3 on colour 2, so a row is a bar of its palette's colour 2
  Number,  // ink in colour 1 on colour 2: game numbers and the page indicator
};

struct Cell {
  CellStyle style = CellStyle::Empty;
  std::array<uint8_t, 16> rows{};  // 8 pixels each, the leftmost in bit 7
  auto operator<=>(const Cell&) const = default;
};

// The cells of one glyph, left to right; a box for a character the font does not have.
std::vector<Cell> CellsOf(const FontGlyph* glyph, CellStyle style);

// The cell's two tiles in the picture unit's format: the top tile's 16 bytes (bit plane 0,
// then bit plane 1), then the bottom tile's.
std::array<uint8_t, 32> TileBytes(const Cell& cell);

// The characters of a title as Gamedef.inc holds them: its GBK bytes, one or two per
// character, each turned back into its code point. Nothing when GBK cannot hold the title.
std::optional<std::vector<char32_t>> GbkCharacters(const std::string& utf8);

}  // namespace romvane
