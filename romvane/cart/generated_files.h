#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cart/bank_layout.h"
#include "model/game_list.h"

namespace romvane {

// The bytes of the two text files a build writes beside the image, already in GBK with
// CR LF line ends. Empty when a title cannot be written in GBK; the message says which.
struct GeneratedText {
  std::string bytes;
  std::string message;
};

// "roms.map": every block with its image addresses, for the user.
GeneratedText MakeMapListing(const std::vector<BankBlock>& ordered);

// "Gamedef.inc": the menu program's game table, one descriptor per game.
GeneratedText MakeGameTable(const GameList& list, const std::vector<BankBlock>& ordered);

// "Reserve.inc": the reserve the build keeps for the menu at the top of page 0, as an
// assembler symbol, so a menu project can fit its banks and linker areas to it.
std::string MakeReserveInclude(int32_t reserve);

// Where the menu program reads each field of a game's descriptor in "Gamedef.inc". The
// menu's GameSub.inc names the same offsets (GAME_MIRRORING ... GAME_TITLE); a test
// assembles a generated table with those names to see that both sides agree.
constexpr int kGameMirroring = 0;
constexpr int kGameOuterBanks = 1;
constexpr int kGamePrgBank = 2;
constexpr int kGamePrgSize = 3;
constexpr int kGameChrBank = 4;
constexpr int kGameChrHigh = 5;
constexpr int kGameStart = 6;  // the address of the routine that starts the game
constexpr int kGameTitle = 8;  // the title's GBK bytes and a zero byte

// The descriptor bytes of one game as the menu program reads them.
struct GameDescriptor {
  uint8_t mirroring = 0;  // 0 vertical, 1 horizontal
  uint8_t outerBanks = 0;
  uint8_t prgBank = 0;
  std::optional<uint8_t> prgSizeCode;  // none above 0x80000
  std::optional<uint8_t> chrBank;      // none above 0x40000
  uint8_t chrHighBits = 0;
};

GameDescriptor DescribeGame(bool vertical, int64_t prgAddr, int64_t chrAddr, int32_t prgSize,
                            int32_t chrSize);

// Text-mode conversion: UTF-8 with "\n" line ends to GBK with CR LF.
std::optional<std::string> ToGbkText(const std::string& utf8);

}  // namespace romvane
