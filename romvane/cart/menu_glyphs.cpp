#include "cart/menu_glyphs.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "common/hex.h"
#include "common/translate.h"

namespace romvane {
namespace {

constexpr char32_t kMoreMark = U'\u2026';     // "…"
constexpr char32_t kHeadingWord = U'\u5408';  // "合": a multicart of n games is "n合1"
constexpr int32_t kTopHalf = 0x40000;         // tile pages reach 256 KB of the ROM at once
constexpr int32_t kTilePage = 0x400;

class CellTable {
 public:
  int Add(const Cell& cell) {
    const auto [it, added] = ids_.try_emplace(cell, static_cast<int>(cells_.size()));
    if (added) cells_.push_back(cell);
    return it->second;
  }
  std::vector<Cell> Take() { return std::move(cells_); }

 private:
  std::map<Cell, int> ids_;
  std::vector<Cell> cells_;
};

const FontGlyph* Find(const std::map<char32_t, FontGlyph>& font, char32_t c) {
  const auto it = font.find(c);
  return it == font.end() ? nullptr : &it->second;
}

// A title's characters as cell numbers, and how many of them its row shows.
struct TitleCells {
  std::vector<std::vector<int>> chars;
  size_t shown = 0;
};

std::vector<int> ShownCells(const TitleCells& title) {
  std::vector<int> cells;
  for (size_t i = 0; i < title.shown; ++i)
    cells.insert(cells.end(), title.chars[i].begin(), title.chars[i].end());
  if (title.shown < title.chars.size()) cells.push_back(kCellMore);
  return cells;
}

// All of a title when it fits its row; else as much as fits before the mark.
size_t CharsThatFit(const TitleCells& title) {
  size_t total = 0;
  for (const auto& c : title.chars) total += c.size();
  if (total <= kTitleCells) return title.chars.size();
  size_t used = 0, count = 0;
  while (used + title.chars[count].size() <= kTitleCells - 1) used += title.chars[count++].size();
  return count;
}

std::set<int> PageCells(const std::vector<TitleCells>& titles, size_t page,
                        const std::vector<int>& fixed) {
  std::set<int> cells(fixed.begin(), fixed.end());
  const size_t end = std::min(titles.size(), (page + 1) * kMenuRows);
  for (size_t g = page * kMenuRows; g < end; ++g) {
    for (int c : ShownCells(titles[g])) cells.insert(c);
  }
  return cells;
}

// A page whose titles need more tiles than a screen has shows its longest titles shorter.
void CutToScreen(std::vector<TitleCells>& titles, size_t page, const std::vector<int>& fixed) {
  const size_t first = page * kMenuRows;
  const size_t end = std::min(titles.size(), first + kMenuRows);
  while (PageCells(titles, page, fixed).size() > kScreenCells) {
    size_t longest = first;
    for (size_t g = first; g < end; ++g)
      if (titles[g].shown > titles[longest].shown) longest = g;
    --titles[longest].shown;
  }
}

// Cells in the order the titles first use them, those in `skip` left out.
std::vector<int> InOrderOfUse(const std::vector<TitleCells>& titles, const std::set<int>& cells,
                              const std::set<int>& skip) {
  std::vector<int> order;
  std::set<int> seen = skip;
  for (const TitleCells& t : titles) {
    for (int c : ShownCells(t))
      if (cells.count(c) && seen.insert(c).second) order.push_back(c);
  }
  return order;
}

std::vector<std::vector<int>> SplitIntoGroups(const std::vector<int>& fixed,
                                              const std::vector<int>& rest) {
  std::vector<int> all = fixed;
  all.insert(all.end(), rest.begin(), rest.end());
  std::vector<std::vector<int>> groups;
  for (size_t i = 0; i < all.size(); i += kGroupCells)
    groups.emplace_back(
        all.begin() + static_cast<ptrdiff_t>(i),
        all.begin() + static_cast<ptrdiff_t>(std::min(all.size(), i + kGroupCells)));
  return groups;
}

// Pages share tile groups where they can. When every cell fits one screen, all pages show
// the same two groups. Otherwise the first group holds the fixed cells and the cells most
// pages use, and each page adds a second group: the first one an earlier page made that
// still has room for its cells, else a new one. A page with more than one group of its own
// gets both groups to itself.
void AssignGroups(const std::vector<TitleCells>& titles, const std::vector<int>& fixed,
                  size_t pages, GlyphPlan& plan) {
  const std::set<int> fixedSet(fixed.begin(), fixed.end());
  std::vector<std::set<int>> pageCells;
  std::set<int> all;
  for (size_t p = 0; p < pages; ++p) {
    pageCells.push_back(PageCells(titles, p, fixed));
    all.insert(pageCells.back().begin(), pageCells.back().end());
  }
  if (all.size() <= kScreenCells) {
    plan.groups = SplitIntoGroups(fixed, InOrderOfUse(titles, all, fixedSet));
    plan.pageGroups.assign(pages, {0, plan.groups.size() > 1 ? 1 : 0});
    return;
  }
  std::map<int, int> pagesUsing;
  for (const auto& cells : pageCells)
    for (int c : cells) ++pagesUsing[c];
  std::vector<int> common = InOrderOfUse(titles, all, fixedSet);
  std::stable_sort(common.begin(), common.end(),
                   [&](int a, int b) { return pagesUsing[a] > pagesUsing[b]; });
  common.resize(std::min(common.size(), kGroupCells - fixed.size()));
  plan.groups = SplitIntoGroups(fixed, common);
  const std::set<int> shared(plan.groups[0].begin(), plan.groups[0].end());
  std::map<int, std::set<int>> ownGroups;  // groups of one page or more, and their cells
  for (size_t p = 0; p < pages; ++p) {
    std::set<int> own;
    for (int c : pageCells[p])
      if (!shared.count(c)) own.insert(c);
    if (own.size() > kGroupCells) {
      const auto groups = SplitIntoGroups(fixed, InOrderOfUse(titles, pageCells[p], fixedSet));
      const int first = static_cast<int>(plan.groups.size());
      plan.groups.insert(plan.groups.end(), groups.begin(), groups.end());
      plan.pageGroups.push_back({first, first + 1});
      continue;
    }
    int chosen = -1;
    for (const auto& [group, cells] : ownGroups) {
      std::set<int> merged = cells;
      merged.insert(own.begin(), own.end());
      if (merged.size() <= kGroupCells) {
        chosen = group;
        break;
      }
    }
    if (chosen < 0) {
      chosen = static_cast<int>(plan.groups.size());
      plan.groups.emplace_back();
    }
    std::set<int>& cells = ownGroups[chosen];
    for (int c : InOrderOfUse(titles, own, cells))
      plan.groups[static_cast<size_t>(chosen)].push_back(c);
    cells.insert(own.begin(), own.end());
    plan.pageGroups.push_back({0, chosen});
  }
}

// The tile of each cell on page p: slots of the group at $1000 are tiles 0-63, of the one
// at $1400 tiles 64-127.
std::vector<uint8_t> TilesOnPage(const GlyphPlan& plan, size_t page,
                                 const std::vector<int>& cells) {
  const auto [a, b] = plan.pageGroups[page];
  std::map<int, uint8_t> tile;
  for (size_t s = 0; s < plan.groups[b].size(); ++s)
    if (a != b) tile[plan.groups[b][s]] = static_cast<uint8_t>(kGroupCells + s);
  for (size_t s = 0; s < plan.groups[a].size(); ++s)
    tile[plan.groups[a][s]] = static_cast<uint8_t>(s);
  std::vector<uint8_t> out;
  for (int c : cells) out.push_back(tile.at(c));
  return out;
}

int32_t PadBytes(int32_t reserve) {
  return reserve > kTopHalf ? reserve - kTopHalf : reserve % kTilePage;
}

// What the CPU reads: the program, the builder's game table and the tables of Glyphs.inc.
int32_t TableBytes(const std::vector<std::vector<char32_t>>& titles, const GlyphPlan& plan) {
  int32_t bytes = 2 + 2 * static_cast<int32_t>(plan.pageGroups.size()) +
                  static_cast<int32_t>(plan.heading.size()) + 1;
  for (size_t g = 0; g < titles.size(); ++g) {
    bytes += 2 + 6 + 2 + 1;  // Gamedef.inc: pointer, descriptor, start routine, end
    for (char32_t c : titles[g]) bytes += c < 0x80 ? 1 : 2;
    bytes += 2 + static_cast<int32_t>(plan.titles[g].size()) + 1;
  }
  return bytes;
}

}  // namespace

GlyphPlan PlanGlyphs(const std::vector<std::vector<char32_t>>& titles,
                     const std::map<char32_t, FontGlyph>& fontGlyphs, int32_t reserve) {
  CellTable table;
  auto add = [&](char32_t c, CellStyle style) {
    std::vector<int> ids;
    for (const Cell& cell : CellsOf(Find(fontGlyphs, c), style)) ids.push_back(table.Add(cell));
    return ids;
  };
  table.Add(Cell{});
  add(U' ', CellStyle::Title);
  for (char32_t d = U'0'; d <= U'9'; ++d) add(d, CellStyle::Number);
  add(U'/', CellStyle::Number);
  add(kMoreMark, CellStyle::Title);
  std::vector<int> fixed;
  for (int c = 0; c < kFixedCells; ++c) fixed.push_back(c);
  // The title bar: "n合1", the numbers in the number style.
  std::vector<int> heading;
  for (char c : std::to_string(titles.size()) + "1") heading.push_back(kCellDigit0 + (c - '0'));
  const std::vector<int> word = add(kHeadingWord, CellStyle::Title);
  heading.insert(heading.end() - 1, word.begin(), word.end());
  fixed.insert(fixed.end(), word.begin(), word.end());

  std::vector<TitleCells> cells(titles.size());
  for (size_t g = 0; g < titles.size(); ++g) {
    for (char32_t c : titles[g]) cells[g].chars.push_back(add(c, CellStyle::Title));
    cells[g].shown = CharsThatFit(cells[g]);
  }
  const size_t pages = (titles.size() + kMenuRows - 1) / kMenuRows;
  for (size_t p = 0; p < pages; ++p) CutToScreen(cells, p, fixed);

  GlyphPlan plan;
  AssignGroups(cells, fixed, pages, plan);
  plan.cells = table.Take();
  for (size_t g = 0; g < titles.size(); ++g)
    plan.titles.push_back(TilesOnPage(plan, g / kMenuRows, ShownCells(cells[g])));
  if (pages > 0) plan.heading = TilesOnPage(plan, 0, heading);
  plan.padBytes = PadBytes(reserve);
  plan.neededBytes = plan.padBytes + static_cast<int32_t>(plan.groups.size()) * kGroupBytes +
                     kMenuProgramBytes + TableBytes(titles, plan);
  return plan;
}

MenuGlyphs MakeMenuGlyphs(const std::vector<std::string>& titles, int32_t reserve,
                          const std::string& fontPath) {
  MenuGlyphs result;
  std::vector<std::vector<char32_t>> chars;
  std::set<char32_t> wanted = {U' ', U'/', kMoreMark, kHeadingWord};
  for (char32_t d = U'0'; d <= U'9'; ++d) wanted.insert(d);
  for (const std::string& title : titles) {
    auto c = GbkCharacters(title);
    if (!c) {
      result.message = common::TrFill("游戏{0}的名称含有GBK无法表示的字符!", {title});
      return result;
    }
    wanted.insert(c->begin(), c->end());
    chars.push_back(std::move(*c));
  }
  FontGlyphs font = ReadHexFont(fontPath, wanted);
  if (!font.message.empty()) {
    result.message = font.message;
    return result;
  }
  result.plan = PlanGlyphs(chars, font.glyphs, reserve);
  // Counted with the example menu's code, so that a list the menu cannot show is refused
  // here, before anything is written, and not by the linker afterwards.
  const int32_t needed = result.plan.neededBytes;
  if (needed > reserve) {
    // The smallest reserve that would hold it starts the tiles on a 1 KB page by itself.
    const int32_t enough = (needed - result.plan.padBytes + kTilePage - 1) / kTilePage * kTilePage;
    result.message =
        common::TrFill("菜单和标题的字形需要{0}字节，保留大小{1}放不下；保留大小{2}就够了!",
                       {std::to_string(needed), common::HexText(static_cast<uint32_t>(reserve)),
                        common::HexText(static_cast<uint32_t>(enough))});
    return result;
  }
  result.text = GlyphInclude(result.plan);
  return result;
}

namespace {

std::string ByteList(const uint8_t* bytes, size_t count) {
  std::string line = "\t.byte\t";
  char buf[8];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(buf, sizeof buf, "%s$%02x", i ? "," : "", bytes[i]);
    line += buf;
  }
  return line + "\r\n";
}

std::string Label(const char* stem, size_t n) {
  std::string number = std::to_string(n);
  return stem + std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;
}

// 2 KB per group: the top tiles of its 64 slots, then their bottom tiles.
std::string TileGroups(const GlyphPlan& plan) {
  std::string text = "\r\n.segment \"TILEDATA\"\r\n";
  if (plan.padBytes > 0)
    text += "\t.res\t$" + common::HexText(static_cast<uint32_t>(plan.padBytes)) + "\r\n";
  for (size_t g = 0; g < plan.groups.size(); ++g) {
    text += Label("glyph_group_", g) + ":\r\n";
    for (size_t half = 0; half < 2; ++half) {
      for (size_t slot = 0; slot < kGroupCells; ++slot) {
        const Cell cell = slot < plan.groups[g].size()
                              ? plan.cells[static_cast<size_t>(plan.groups[g][slot])]
                              : Cell{};
        const auto bytes = TileBytes(cell);
        text += ByteList(bytes.data() + 16 * half, 16);
      }
    }
  }
  return text;
}

std::string Tables(const GlyphPlan& plan) {
  std::string text = "\r\n.segment \"TITLES\"\r\n";
  text +=
      "; Per page: the 1 KB pages of the top tiles of the groups shown at $1000 and at\r\n"
      "; $1400; their bottom tiles follow in the next page.\r\n";
  text += "page_groups:\r\n";
  for (const auto& [a, b] : plan.pageGroups) {
    text += "\t.byte\t<(" + Label("glyph_group_", static_cast<size_t>(a)) + " >> 10), <(" +
            Label("glyph_group_", static_cast<size_t>(b)) + " >> 10)\r\n";
  }
  text += "heading_tiles:\r\n" + ByteList(plan.heading.data(), plan.heading.size());
  text += "\t.byte\t$00\r\n";
  text += "title_tiles:\r\n";
  for (size_t g = 0; g < plan.titles.size(); ++g)
    text += "\t.word\t" + Label("title_", g + 1) + "\r\n";
  for (size_t g = 0; g < plan.titles.size(); ++g) {
    text += Label("title_", g + 1) + ":\r\n";
    if (!plan.titles[g].empty()) text += ByteList(plan.titles[g].data(), plan.titles[g].size());
    text += "\t.byte\t$00\r\n";
  }
  return text;
}

}  // namespace

std::string GlyphInclude(const GlyphPlan& plan) {
  int32_t tileBytes = plan.padBytes + static_cast<int32_t>(plan.groups.size()) * kGroupBytes;
  std::string text =
      "; The menu's glyphs, rendered by Romvane from its font at every build. Each cell is\r\n"
      "; 8 x 16 pixels: its top tile is a number n below 128, its bottom tile n + 128.\r\n";
  text += "MENU_ROWS\t= " + std::to_string(kMenuRows) + "\r\n";
  text += "MENU_TITLE_CELLS = " + std::to_string(kTitleCells) + "\r\n";
  text += "MENU_TILE_BYTES\t= $" + common::HexText(static_cast<uint32_t>(tileBytes)) + "\r\n";
  text += "CELL_EMPTY\t= " + std::to_string(kCellEmpty) + "\r\n";
  text += "CELL_BLANK\t= " + std::to_string(kCellBlank) + "\r\n";
  text += "CELL_DIGIT0\t= " + std::to_string(kCellDigit0) + "\r\n";
  text += "CELL_SLASH\t= " + std::to_string(kCellSlash) + "\r\n";
  text += "CELL_MORE\t= " + std::to_string(kCellMore) + "\r\n";
  return text + TileGroups(plan) + Tables(plan);
}

}  // namespace romvane
