#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace romvane {

// One glyph of a 16-pixel-high bitmap font: 8 or 16 pixels wide, each row's pixels from
// the left in the top bits of its 16-bit word.
struct FontGlyph {
  int width = 8;
  std::array<uint16_t, 16> rows{};
  bool operator==(const FontGlyph&) const = default;
};

struct FontGlyphs {
  std::map<char32_t, FontGlyph> glyphs;  // the wanted characters the font has
  std::string message;                   // empty when the font was read
};

// GNU Unifont's own format, as Debian's package "unifont" installs it: one line per
// character, "CODE:BITMAP" with the code point in 4 to 6 hexadecimal digits and the
// bitmap in 32 (8 x 16) or 64 (16 x 16) hexadecimal digits, row by row.
constexpr const char* kDefaultFontPath = "/usr/share/unifont/unifont.hex";
constexpr size_t kMaxFontBytes = 64u << 20;

// The font the menu is drawn with: $ROMVANE_FONT, else Unifont's.
std::string MenuFontPath();

// Reads the glyphs of the wanted characters. Every line is checked, so a damaged font is
// refused rather than half used.
FontGlyphs ReadHexFont(const std::string& path, const std::set<char32_t>& wanted);

}  // namespace romvane
