#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cart/glyph_cells.h"

namespace romvane {

// The menu's screen as the builder lays it out for the menu program; Glyphs.inc carries
// these numbers to it.
constexpr int kMenuRows = 10;    // titles on one page of the menu
constexpr int kTitleCells = 22;  // cells a title may take on its row
// The background's 256 tiles at $1000 come in four 1 KB pages. A group is 2 KB of the ROM:
// 64 top tiles, then their 64 bottom tiles, shown at $1000 and $1800 (tiles 0-63 and
// 128-191) or at $1400 and $1C00 (tiles 64-127 and 192-255). A screen shows two groups.
constexpr int kGroupCells = 64;
constexpr int kScreenCells = 2 * kGroupCells;
constexpr int32_t kGroupBytes = 0x800;
// The menu program's own code, vectors included: the last 8 KB bank of the first page.
constexpr int32_t kMenuProgramBytes = 0x2000;

// Cells the menu program draws by number: always the first slots of the group shown at
// $1000, so their tiles are the same on every page.
enum FixedCell : uint8_t {
  kCellEmpty = 0,
  kCellBlank = 1,
  kCellDigit0 = 2,  // to 11, in the number style
  kCellSlash = 12,
  kCellMore = 13,  // the mark of a title cut short
  kFixedCells = 14,
};

struct GlyphPlan {
  std::vector<Cell> cells;                     // every distinct cell, the fixed ones first
  std::vector<std::vector<int>> groups;        // cells of each tile group, by slot
  std::vector<std::array<int, 2>> pageGroups;  // per page: the group at $1000, at $1400
  std::vector<std::vector<uint8_t>> titles;    // per game: the top tiles of its cells
  std::vector<uint8_t> heading;                // the top tiles of the title bar's text
  int32_t padBytes = 0;     // before the first group, so that it starts a 1 KB page
  int32_t neededBytes = 0;  // the whole menu: program, tables and tiles
};

struct MenuGlyphs {
  GlyphPlan plan;
  std::string text;     // Glyphs.inc
  std::string message;  // empty when the menu fits its reserve
};

// Renders the glyphs the titles use from the font and lays them out for a reserve of
// `reserve` bytes. Refused, with the bytes needed and a reserve that would do, when the
// menu cannot hold them.
MenuGlyphs MakeMenuGlyphs(const std::vector<std::string>& titles, int32_t reserve,
                          const std::string& fontPath);

// The plan alone, from glyphs already read; fontGlyphs must hold the characters the titles
// and the menu's own texts use, or those show as boxes.
GlyphPlan PlanGlyphs(const std::vector<std::vector<char32_t>>& titles,
                     const std::map<char32_t, FontGlyph>& fontGlyphs, int32_t reserve);

// Glyphs.inc: tile groups in segment TILEDATA, the tables the menu reads in segment TITLES.
std::string GlyphInclude(const GlyphPlan& plan);

}  // namespace romvane
