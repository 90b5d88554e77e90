#include "cart/generated_files.h"

#include <cstdio>

#include "common/gbk.h"
#include "common/translate.h"

namespace romvane {
using common::Utf8ToGbk;
namespace {

std::string Format(const char* format, unsigned value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

std::string TabsAfterTitle(size_t gbkBytes) {
  if (gbkBytes < 8) return "\t\t\t\t";
  if (gbkBytes < 16) return "\t\t\t";
  if (gbkBytes < 32) return "\t\t";
  return "\t";
}

// The first block of each kind per game, by game index.
std::vector<const BankBlock*> BlocksByGame(const std::vector<BankBlock>& ordered, int games,
                                           bool isPrg) {
  std::vector<const BankBlock*> found(static_cast<size_t>(games), nullptr);
  for (const BankBlock& b : ordered) {
    if (b.isPrg != isPrg || b.gameIndex < 0 || b.gameIndex >= games) continue;
    const BankBlock*& slot = found[static_cast<size_t>(b.gameIndex)];
    if (!slot) slot = &b;
  }
  return found;
}

std::optional<uint8_t> PrgSizeCode(int32_t size) {
  if (size <= 0x4000) return 0x05;
  if (size <= 0x8000) return 0x04;
  if (size <= 0x10000) return 0x03;
  if (size <= 0x20000) return 0x02;
  if (size <= 0x40000) return 0x01;
  if (size <= 0x80000) return 0x00;
  return std::nullopt;
}

std::optional<int> ChrSizeAddend(int32_t size) {
  if (size <= 0x2000) return 6;
  if (size <= 0x4000) return 5;
  if (size <= 0x8000) return 4;
  if (size <= 0x10000) return 2;  // the menu's table has no code 3
  if (size <= 0x20000) return 1;
  if (size <= 0x40000) return 0;
  return std::nullopt;
}

// The title as a ".byte" operand. A double quote cannot stand inside an assembler
// string, so it is written as its byte value between the pieces of the title.
std::string QuotedTitle(const std::string& title) {
  if (title.find('"') == std::string::npos) return "\"" + title + "\"";
  std::string out;
  size_t start = 0;
  while (true) {
    const size_t quote = title.find('"', start);
    const std::string piece =
        title.substr(start, quote == std::string::npos ? quote : quote - start);
    if (!piece.empty()) out += (out.empty() ? "" : ",") + ("\"" + piece + "\"");
    if (quote == std::string::npos) break;
    out += (out.empty() ? "" : ",") + std::string("$22");
    start = quote + 1;
  }
  return out;
}

}  // namespace

std::optional<std::string> ToGbkText(const std::string& utf8) {
  std::string crlf;
  crlf.reserve(utf8.size() + utf8.size() / 8);
  for (char c : utf8) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return Utf8ToGbk(crlf);
}

std::string MakeReserveInclude(int32_t reserve) {
  return "; The bytes at the top of the cartridge's first 512 KB page kept for the menu\r\n"
         "; program. Romvane writes this file at every build.\r\n"
         "MENU_RESERVE = " +
         Format("$%04x", static_cast<unsigned>(reserve)) + "\r\n";
}

GameDescriptor DescribeGame(bool vertical, int64_t prgAddr, int64_t chrAddr, int32_t prgSize,
                            int32_t chrSize) {
  GameDescriptor d;
  d.mirroring = vertical ? 0x00 : 0x01;
  d.outerBanks = static_cast<uint8_t>(((prgAddr >> 17) & 0xF0) | ((chrAddr >> 21) & 0x0F));
  d.prgBank = static_cast<uint8_t>((prgAddr >> 13) & 0xFF);
  d.prgSizeCode = PrgSizeCode(prgSize);
  if (const auto addend = ChrSizeAddend(chrSize)) {
    d.chrBank = static_cast<uint8_t>(((chrAddr >> 10) & 0xFF) + *addend);
  }
  d.chrHighBits = static_cast<uint8_t>((chrAddr >> 14) & 0x70);
  return d;
}

GeneratedText MakeMapListing(const std::vector<BankBlock>& ordered) {
  std::string text = "名称\t\t\t\t类型\t\t开始地址\t结束地址\n";
  for (const BankBlock& b : ordered) {
    const auto gbkTitle = Utf8ToGbk(b.title);
    if (!gbkTitle) return {{}, common::TrFill("游戏{0}的名称含有GBK无法表示的字符!", {b.title})};
    text += b.title + TabsAfterTitle(gbkTitle->size());
    text += b.isPrg ? "PROM\t\t" : "VROM\t\t";
    text += Format("%x", static_cast<unsigned>(b.ImageBegin())) + "\t\t";
    text += Format("%x", static_cast<unsigned>(b.ImageEnd())) + "\n";
  }
  auto bytes = ToGbkText(text);
  if (!bytes) return {{}, common::Tr("roms.map含有GBK无法表示的字符!")};
  return {std::move(*bytes), {}};
}

GeneratedText MakeGameTable(const GameList& list, const std::vector<BankBlock>& ordered) {
  const int n = list.RowCount();
  std::string text = "_GamesDefine:\n";
  for (int i = 1; i <= n; ++i)
    text += "\t.word\t" + Format("Game%03d", static_cast<unsigned>(i)) + "\n";
  text += "\t.word\t$0000\n";
  const std::vector<int> rows = list.RowsByNumber();
  const std::vector<const BankBlock*> prgBlocks = BlocksByGame(ordered, n, true);
  const std::vector<const BankBlock*> chrBlocks = BlocksByGame(ordered, n, false);
  for (int k = 0; k < n; ++k) {
    const int row = rows[static_cast<size_t>(k)];
    const GameEntry* entry = list.EntryForRow(row);
    const BankBlock* prg = prgBlocks[static_cast<size_t>(k)];
    const BankBlock* chr = chrBlocks[static_cast<size_t>(k)];
    if (row < 0 || !entry || !prg || !chr) {
      return {{},
              common::TrFill("第{0}个游戏没有位置，无法生成Gamedef.inc!", {std::to_string(k + 1)})};
    }
    const auto prgSize = static_cast<int32_t>(entry->PrgSize());
    const auto chrSize = static_cast<int32_t>(entry->ChrSize());
    const GameDescriptor d = DescribeGame(IsVertical(entry->header), prg->ImageBegin(),
                                          chr->ImageBegin(), prgSize, chrSize);

    text += Format("Game%03d:", static_cast<unsigned>(k + 1)) + "\n\t";
    text += ".byte\t" + Format("$%02x", d.mirroring) + "\n\t";
    text += ".byte\t" + Format("$%02x", d.outerBanks) + "\n\t";
    text += ".byte\t" + Format("$%02x", d.prgBank) + "\n\t";
    text += ".byte\t";
    if (d.prgSizeCode) text += Format("$%02x", *d.prgSizeCode) + "\n";
    if (d.chrBank) {
      text += "\t.byte\t" + Format("$%02x", *d.chrBank);
      text += "\n\t.byte\t" + Format("$%02x", d.chrHighBits);
    }
    text += "\n\t.word\tGameSub\n\t";
    text += ".byte\t" + QuotedTitle(entry->title) + "\n\t";
    text += ".byte\t$00\n";
  }
  auto bytes = ToGbkText(text);
  if (!bytes) return {{}, common::Tr("游戏名称含有GBK无法表示的字符，无法生成Gamedef.inc!")};
  *bytes += ".include\t\"GameSub.inc\"\r";
  return {std::move(*bytes), {}};
}

}  // namespace romvane
