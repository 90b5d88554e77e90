#include "cart/attribute_info.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "model/ines_file.h"

namespace romvane {
BlockPlace PlaceOfBlock(const std::vector<BankBlock>& ordered, int rowCount, int gameIndex,
                        bool isPrg, int32_t size) {
  BlockPlace place;
  const size_t looked = std::min(ordered.size(), static_cast<size_t>(std::max(rowCount, 0)) * 2);
  for (size_t i = 0; i < looked; ++i) {
    const BankBlock& b = ordered[i];
    if (b.gameIndex != gameIndex) continue;
    if (size == 0) {
      // An empty block has no place of its own, so the game's first block decides.
      if (b.isPrg == isPrg && b.placed) place = {true, b.begin, b.end, b.page};
      break;
    }
    if (b.isPrg == isPrg && b.placed) place = {true, b.begin, b.end, b.page};
  }
  return place;
}

GameAttributes AttributesOfRow(const GameList& list, int row, const BuildPlacement& lastBuild) {
  GameAttributes a;
  if (row < 0 || row >= list.RowCount()) return a;
  const GameEntry& game = list.Game(row);
  a.number = ColumnText(game, kColNumber);
  a.title = game.title;
  a.prgSize = ColumnText(game, kColPrgSize);
  a.chrSize = ColumnText(game, kColChrSize);
  a.path = game.path;
  if (!game.hasRecord) return a;
  const std::vector<BankBlock>& ordered = lastBuild.BlocksFor(list);
  const auto prgSize = static_cast<int32_t>(game.PrgSize());
  const auto chrSize = static_cast<int32_t>(game.ChrSize());
  a.prg = PlaceOfBlock(ordered, list.RowCount(), game.index, true, prgSize);
  a.chr = PlaceOfBlock(ordered, list.RowCount(), game.index, false, chrSize);
  // Only a file that is still whole may have its header rewritten.
  const InesFile file = ReadInesFile(game.path, false);
  if (file.status == InesStatus::kComplete) a.header = file.header;
  return a;
}

}  // namespace romvane
