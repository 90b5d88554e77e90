#include "cart/attribute_info.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "cart/parse_hex.h"
#include "common/file_io.h"

namespace romvane {
using common::File;
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

std::optional<InesHeader> ReadCompleteHeader(const std::string& path) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  InesHeader header{};
  if (std::fread(header.data(), 1, header.size(), file.get()) != header.size() ||
      !HasInesSignature(header)) {
    return std::nullopt;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long length = std::ftell(file.get());
  const long announced =
      static_cast<long>(kInesHeaderSize + PrgByteSize(header) + ChrByteSize(header));
  if (length < announced) return std::nullopt;
  return header;
}

GameAttributes AttributesOfRow(const GameList& list, int row,
                               const std::vector<BankBlock>& lastBuild) {
  GameAttributes a;
  if (row < 0 || row >= list.RowCount()) return a;
  const ListRow& r = list.Row(row);
  a.number = r.text[kColNumber];
  a.title = r.text[kColTitle];
  a.prgSize = r.text[kColPrgSize];
  a.chrSize = r.text[kColChrSize];
  const GameEntry* entry = list.EntryForRow(row);
  a.path = list.PathOfRow(row);
  if (!entry) return a;
  a.prg = PlaceOfBlock(lastBuild, list.RowCount(), entry->index, true, ParseHex(a.prgSize));
  a.chr = PlaceOfBlock(lastBuild, list.RowCount(), entry->index, false, ParseHex(a.chrSize));
  a.header = ReadCompleteHeader(entry->path);
  return a;
}

}  // namespace romvane
