#include "cart/menu_glyphs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "nes_files.h"

namespace romvane {
namespace {

using testing::TempDir;

// Wide test glyph number i: both halves carry i, in different rows, so every half of
// every character differs from every other.
FontGlyph WideGlyph(int i) {
  FontGlyph g;
  g.width = 16;
  g.rows[0] = static_cast<uint16_t>((i & 0xFF) << 8);
  g.rows[1] = static_cast<uint16_t>(i & 0xFF);
  g.rows[2] = 0xAA55;
  return g;
}

FontGlyph NarrowGlyph(uint8_t mark) {
  FontGlyph g;
  g.rows[5] = static_cast<uint16_t>(mark << 8);
  return g;
}

std::string HexLine(char32_t c, const FontGlyph& g) {
  char buf[80];
  std::string line = (std::snprintf(buf, sizeof buf, "%04X:", static_cast<unsigned>(c)), buf);
  for (uint16_t row : g.rows) {
    if (g.width == 16)
      std::snprintf(buf, sizeof buf, "%04X", row);
    else
      std::snprintf(buf, sizeof buf, "%02X", row >> 8);
    line += buf;
  }
  return line + "\n";
}

// A font with the menu's own characters and `wide` CJK characters from U+4E00.
std::map<char32_t, FontGlyph> TestFont(int wide) {
  std::map<char32_t, FontGlyph> font;
  for (char32_t c = U' '; c <= U'~'; ++c) font[c] = NarrowGlyph(static_cast<uint8_t>(c));
  font[U'\u2026'] = NarrowGlyph(0x15);
  font[U'\u5408'] = WideGlyph(0xFE);
  for (int i = 0; i < wide; ++i) font[U'\u4E00' + static_cast<char32_t>(i)] = WideGlyph(i);
  return font;
}

std::string WriteFont(const TempDir& dir, const std::map<char32_t, FontGlyph>& font) {
  std::string text;
  for (const auto& [c, g] : font) text += HexLine(c, g);
  const std::string path = dir / "font.hex";
  testing::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  return path;
}

// Titles of `count` games, each `chars` CJK characters of its own.
std::vector<std::vector<char32_t>> DistinctTitles(int count, int chars) {
  std::vector<std::vector<char32_t>> titles(static_cast<size_t>(count));
  for (int g = 0; g < count; ++g)
    for (int i = 0; i < chars; ++i)
      titles[static_cast<size_t>(g)].push_back(U'\u4E00' + static_cast<char32_t>(g * chars + i));
  return titles;
}

// The cells game g's row shows, read back through its page's groups as the picture unit
// would: tile t < 64 from the group at $1000, else from the one at $1400.
std::vector<Cell> ShownCells(const GlyphPlan& plan, size_t g) {
  const auto [a, b] = plan.pageGroups[g / kMenuRows];
  std::vector<Cell> cells;
  for (uint8_t t : plan.titles[g]) {
    const auto& group = plan.groups[static_cast<size_t>(t < kGroupCells ? a : b)];
    cells.push_back(plan.cells[static_cast<size_t>(group.at(t % kGroupCells))]);
  }
  return cells;
}

std::vector<Cell> Expected(const std::map<char32_t, FontGlyph>& font,
                           const std::vector<char32_t>& chars) {
  std::vector<Cell> cells;
  for (char32_t c : chars)
    for (const Cell& cell : CellsOf(&font.at(c), CellStyle::Title)) cells.push_back(cell);
  return cells;
}

TEST(HexFont, ReadsNarrowAndWideGlyphsOfTheWantedCharactersOnly) {
  TempDir dir;
  const auto font = TestFont(3);
  const FontGlyphs read = ReadHexFont(WriteFont(dir, font), {U'A', U'\u4E01', U'\u9F98'});
  EXPECT_EQ(read.message, "");
  ASSERT_EQ(read.glyphs.size(), 2u);
  EXPECT_EQ(read.glyphs.at(U'A'), font.at(U'A'));
  EXPECT_EQ(read.glyphs.at(U'\u4E01'), font.at(U'\u4E01'));
  EXPECT_EQ(read.glyphs.at(U'\u4E01').width, 16);
}

TEST(HexFont, ADamagedOrMissingFontIsRefusedWithTheLine) {
  TempDir dir;
  const std::string path = dir / "bad.hex";
  const std::string text = "0041:00000000000000000000000000000000\n0042:0000\n";
  testing::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  const FontGlyphs read = ReadHexFont(path, {U'A'});
  EXPECT_NE(read.message.find("bad.hex"), std::string::npos);
  EXPECT_NE(read.message.find('2'), std::string::npos);
  EXPECT_TRUE(read.glyphs.empty());
  EXPECT_NE(ReadHexFont(dir / "none.hex", {U'A'}).message, "");
}

TEST(GlyphCells, TitleInkLiesOnTheBarAndNumbersTakeTheirOwnColour) {
  const FontGlyph g = WideGlyph(0x81);
  const auto cells = CellsOf(&g, CellStyle::Title);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0].rows[0], 0x81);
  EXPECT_EQ(cells[1].rows[1], 0x81);
  auto tiles = TileBytes(cells[0]);
  EXPECT_EQ(tiles[0], 0x81);  // top tile, plane 0: the ink
  EXPECT_EQ(tiles[8], 0xFF);  // plane 1 set everywhere: ink 3, paper 2
  EXPECT_EQ(tiles[2], 0xAA);
  EXPECT_EQ(tiles[16], 0x00);  // bottom tile: rows 8-15 of the glyph
  EXPECT_EQ(tiles[24], 0xFF);
  tiles = TileBytes(CellsOf(&g, CellStyle::Number)[0]);
  EXPECT_EQ(tiles[8], 0x7E);  // plane 1 where there is no ink: ink 1, paper 2
  EXPECT_EQ(TileBytes(Cell{}), (std::array<uint8_t, 32>{}));
  EXPECT_EQ(CellsOf(nullptr, CellStyle::Title).size(), 1u);  // a box for what the font lacks
}

TEST(GlyphCells, CharactersAreThoseOfTheGbkBytes) {
  const auto chars = GbkCharacters("A\xE4\xBD\xA0 b\xE2\x80\xA6");  // "A你 b…"
  ASSERT_TRUE(chars.has_value());
  EXPECT_EQ(*chars, (std::vector<char32_t>{U'A', U'\u4F60', U' ', U'b', U'\u2026'}));
  EXPECT_FALSE(GbkCharacters("\xF0\x9F\x8E\xAE").has_value());
}

TEST(GlyphPlan, EveryRowDrawsItsCharactersGlyphsAndOnlyThose) {
  const auto font = TestFont(4);
  const std::vector<std::vector<char32_t>> titles = {
      {U'\u4E00', U'A'}, {U'A', U'\u4E00', U'\u4E00', U'\u4E01'}, {U'\u4E02', U' ', U'\u4E03'}};
  const GlyphPlan plan = PlanGlyphs(titles, font, 0x6000);
  for (size_t g = 0; g < titles.size(); ++g)
    EXPECT_EQ(ShownCells(plan, g), Expected(font, titles[g]));
  // The same character is the same tiles; a different one, different tiles.
  EXPECT_EQ(plan.titles[0][0], plan.titles[1][1]);
  EXPECT_EQ(plan.titles[1][1], plan.titles[1][3]);
  EXPECT_NE(plan.titles[1][3], plan.titles[1][5]);
  EXPECT_EQ(plan.titles[2][2], kCellBlank);
  EXPECT_EQ(plan.groups.size(), 1u);
  // "3合1", the number in the number style.
  EXPECT_EQ(plan.heading.size(), 4u);
  EXPECT_EQ(plan.heading[0], kCellDigit0 + 3);
  EXPECT_EQ(plan.heading[3], kCellDigit0 + 1);
}

TEST(GlyphPlan, ALongTitleKeepsWhatFitsBeforeTheMark) {
  const auto font = TestFont(12);
  const std::vector<char32_t> fits(kTitleCells, U'A');
  std::vector<char32_t> wide;
  for (int i = 0; i < 12; ++i) wide.push_back(U'\u4E00' + static_cast<char32_t>(i));
  const GlyphPlan plan =
      PlanGlyphs({fits, std::vector<char32_t>(kTitleCells + 1, U'A'), wide}, font, 0x6000);
  EXPECT_EQ(plan.titles[0].size(), static_cast<size_t>(kTitleCells));
  EXPECT_NE(plan.titles[0].back(), kCellMore);
  ASSERT_EQ(plan.titles[1].size(), static_cast<size_t>(kTitleCells));
  EXPECT_EQ(plan.titles[1].back(), kCellMore);
  // Ten wide characters and the mark: an eleventh would leave the mark no room.
  ASSERT_EQ(plan.titles[2].size(), 21u);
  EXPECT_EQ(plan.titles[2].back(), kCellMore);
  wide.resize(10);
  auto shown = ShownCells(plan, 2);
  shown.pop_back();
  EXPECT_EQ(shown, Expected(font, wide));
}

TEST(GlyphPlan, PagesBeyondOneScreenGetGroupsOfTheirOwnAndKeepTheFixedCells) {
  const auto font = TestFont(120);
  const auto titles = DistinctTitles(40, 3);  // 60 cells a page, 240 in all
  const GlyphPlan plan = PlanGlyphs(titles, font, 0x6000);
  ASSERT_EQ(plan.pageGroups.size(), 4u);
  std::set<int> second;
  for (const auto& [a, b] : plan.pageGroups) {
    for (int c = 0; c < kFixedCells; ++c)
      EXPECT_EQ(plan.groups[static_cast<size_t>(a)][static_cast<size_t>(c)], c);
    second.insert(b);
  }
  EXPECT_EQ(second.size(), 4u);
  for (size_t g = 0; g < titles.size(); ++g)
    EXPECT_EQ(ShownCells(plan, g), Expected(font, titles[g]));
  for (const auto& group : plan.groups) EXPECT_LE(group.size(), static_cast<size_t>(kGroupCells));
}

TEST(GlyphPlan, APageNeedingMoreTilesThanAScreenShowsItsLongestTitlesShorter) {
  const auto font = TestFont(110);
  const auto titles = DistinctTitles(10, 11);  // 220 cells on one page
  const GlyphPlan plan = PlanGlyphs(titles, font, 0x6000);
  std::set<std::pair<int, uint8_t>> tiles;
  size_t cut = 0;
  for (size_t g = 0; g < titles.size(); ++g) {
    if (plan.titles[g].back() == kCellMore) ++cut;
    std::vector<Cell> shown = ShownCells(plan, g);
    if (plan.titles[g].back() == kCellMore) shown.pop_back();
    const auto full = Expected(font, titles[g]);
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), full.begin())) << "game " << g;
  }
  EXPECT_GT(cut, 0u);
  const auto [a, b] = plan.pageGroups[0];
  EXPECT_LE(plan.groups[static_cast<size_t>(a)].size() + plan.groups[static_cast<size_t>(b)].size(),
            static_cast<size_t>(kScreenCells));
}

TEST(MenuGlyphs, AListTheReserveCannotHoldIsRefusedAndTheNamedReserveWould) {
  TempDir dir;
  const std::string font = WriteFont(dir, TestFont(200));
  std::vector<std::string> titles;
  for (int g = 0; g < 50; ++g) {
    std::string t;
    for (int i = 0; i < 4; ++i) {
      const char32_t c = U'\u4E00' + static_cast<char32_t>(g * 4 + i);
      t += static_cast<char>(0xE0 | (c >> 12));
      t += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      t += static_cast<char>(0x80 | (c & 0x3F));
    }
    titles.push_back(t);
  }
  const MenuGlyphs refused = MakeMenuGlyphs(titles, 0x4000, font);
  ASSERT_NE(refused.message, "");
  EXPECT_EQ(refused.text, "");
  const std::string needed = std::to_string(refused.plan.neededBytes);
  EXPECT_NE(refused.message.find(needed), std::string::npos) << refused.message;
  // The last hexadecimal number of the message is the reserve that would do.
  const size_t end = refused.message.find_last_of("0123456789ABCDEF") + 1;
  const size_t start = refused.message.find_last_not_of("0123456789ABCDEF", end - 1) + 1;
  const int32_t enough =
      static_cast<int32_t>(std::stol(refused.message.substr(start, end - start), nullptr, 16));
  EXPECT_GT(enough, 0x4000);
  const MenuGlyphs fits = MakeMenuGlyphs(titles, enough, font);
  EXPECT_EQ(fits.message, "");
  EXPECT_LE(fits.plan.neededBytes, enough);
  EXPECT_NE(fits.text.find("MENU_TILE_BYTES\t= $"), std::string::npos);
  EXPECT_NE(MakeMenuGlyphs(titles, enough - 0x400, font).message, "");
}

}  // namespace
}  // namespace romvane
