#include "cart/bank_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "cart/parse_hex.h"
#include "nes_files.h"

namespace romvane {
namespace {

using testing::NesImage;
using testing::TempDir;
using testing::WriteNes;

TEST(ParseHex, ReadsBothCasesAndRejectsAnythingElse) {
  EXPECT_EQ(ParseHex(""), 0);
  EXPECT_EQ(ParseHex("aBcD"), 0xABCD);
  EXPECT_EQ(ParseHex("80000"), 0x80000);
  for (const char* text : {"G", "0x10", " 1", "-1"}) EXPECT_EQ(ParseHex(text), -1) << text;
  EXPECT_EQ(ParseHex("FFFFFFFF"), -1);  // 32-bit arithmetic
  EXPECT_EQ(ParseHex("100000000"), 0);  // 32-bit arithmetic wraps
}

class LayoutTest : public ::testing::Test {
 protected:
  void Add(uint8_t prgUnits, uint8_t chrUnits, const std::string& title) {
    NesImage image;
    image.prgUnits = prgUnits;
    image.chrUnits = chrUnits;
    list.AddGame(WriteNes(dir, title + ".nes", image), title);
  }

  // "title PRG/CHR page:begin-end" per block.
  static std::vector<std::string> Describe(const std::vector<BankBlock>& blocks) {
    std::vector<std::string> out;
    for (const BankBlock& b : blocks) {
      char buf[128];
      std::snprintf(buf, sizeof buf, "%s %s %d:%x-%x", b.title.c_str(), b.isPrg ? "PRG" : "CHR",
                    b.page, b.begin, b.end);
      out.push_back(buf);
    }
    return out;
  }

  TempDir dir;
  GameList list;
};

TEST_F(LayoutTest, BlocksFillGapsAtMultiplesOfTheirSize) {
  Add(2, 1, "small");  // 0x8000 + 0x2000
  Add(16, 0, "big");   // 0x40000
  Add(1, 4, "mid");    // 0x4000 + 0x8000
  const Layout layout = LayOutGames(list, "6000");
  ASSERT_EQ(layout.message, "");
  EXPECT_EQ(Describe(layout.ordered),
            (std::vector<std::string>{"big PRG 0:0-40000", "small PRG 0:40000-48000",
                                      "mid CHR 0:48000-50000", "mid PRG 0:50000-54000",
                                      "small CHR 0:54000-56000", "big CHR 0:56000-56000"}));
}

TEST_F(LayoutTest, ListsThatCannotBeLaidOutSaySoAndLayOutNothing) {
  struct Case {
    std::vector<std::array<uint8_t, 2>> games;  // PRG and CHR units
    const char* reserve;
    std::string message;
  } cases[] = {
      // The reserve takes all of page 0: the block is said to find no place.
      {{{2, 1}}, "80000", "游戏g0的PROM找不到位置!"},
      {{{255, 0}}, "6000", "游戏g0的PROM大小超过80000，放不进一页!"},
      // 0x30000 at no multiple of its size fits into 0x40000-0x80000 after the first game.
      {{{16, 0}, {12, 0}}, "0", "游戏g1的PROM找不到位置!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    list.Clear();
    for (const auto& units : c.games)
      Add(units[0], units[1], "g" + std::to_string(list.RowCount()));
    const Layout layout = LayOutGames(list, c.reserve);
    EXPECT_EQ(layout.message, c.message);
    EXPECT_TRUE(layout.ordered.empty());
  }
}
// Random lists of blocks, packed and checked for what the writer relies on: every placed
// block lies inside its page (page 0 below the reserve) at a multiple of its size, and no
// two blocks of a page share a byte.
TEST(PackBlocksProperty, RandomListsNeverOverlapOrLeaveTheirPage) {
  std::mt19937 rng(20261206);
  const int32_t reserves[] = {0, 0x2000, 0x6000, 0x10000, 0x40000};
  for (int round = 0; round < 4000; ++round) {
    const bool powersOfTwo = round % 2 == 0;
    const int32_t reserve = reserves[rng() % (powersOfTwo ? 3 : 5)];
    const int games = 1 + static_cast<int>(rng() % 40);
    std::vector<BankBlock> blocks;
    for (int k = 0; k < 2 * games; ++k) {
      BankBlock b;
      b.gameIndex = k % games;
      b.isPrg = k < games;
      if (powersOfTwo) {
        const bool none = !b.isPrg && rng() % 4 == 0;
        b.size = none ? 0 : (b.isPrg ? 0x4000 : 0x2000) << (rng() % (b.isPrg ? 5 : 6));
      } else {
        b.size = static_cast<int32_t>(1 + rng() % 32) * (b.isPrg ? 0x4000 : 0x2000);
      }
      blocks.push_back(b);
    }
    SortBlocksBySize(blocks);
    PackBlocks(blocks, reserve);
    SCOPED_TRACE("round " + std::to_string(round));
    for (size_t i = 0; i < blocks.size(); ++i) {
      const BankBlock& a = blocks[i];
      // Power-of-two blocks up to 256 KB always find a place below a small reserve.
      if (powersOfTwo) {
        ASSERT_TRUE(a.placed);
      }
      if (!a.placed) continue;
      ASSERT_EQ(a.end - a.begin, a.size);
      ASSERT_GE(a.begin, 0);
      ASSERT_LE(a.end, a.page == 0 ? kPageSize - reserve : kPageSize);
      if (a.size > 0) {
        ASSERT_EQ(a.begin % a.size, 0);
      }
      for (size_t j = i + 1; j < blocks.size(); ++j) {
        const BankBlock& b = blocks[j];
        if (!b.placed || b.page != a.page || a.size == 0 || b.size == 0) continue;
        ASSERT_TRUE(a.end <= b.begin || b.end <= a.begin)
            << "page " << a.page << ": " << std::hex << a.begin << "-" << a.end << " and "
            << b.begin << "-" << b.end << " reserve " << reserve;
      }
    }
  }
}

}  // namespace
}  // namespace romvane
