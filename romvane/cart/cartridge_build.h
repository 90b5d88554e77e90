#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "cart/bank_layout.h"
#include "cart/hex_font.h"
#include "cart/launcher.h"
#include "model/game_list.h"

namespace romvane {

// The menu build gets about ten seconds: this many steps of this many milliseconds.
constexpr int kMenuWaitAttempts = 100;
constexpr int kMenuWaitMilliseconds = 100;

struct BuildOptions {
  std::string reserveText = "6000";
  std::string programDir;                 // where the make script lives and every build file goes
  std::string fontPath = MenuFontPath();  // the menu's glyphs are rendered from it
  Launcher* launcher = nullptr;
  // Waits between two looks for the menu binary when the launcher cannot watch the
  // script; tests replace it.
  std::function<void(int milliseconds)> sleep;
  // Told before each step of the wait (1..100), so a window can show progress; returns
  // false to give up waiting.
  std::function<bool(int attempt)> onWait;
};

struct BuildResult {
  std::vector<BankBlock> ordered;  // the layout, also when a later step failed
  std::string message;             // empty when the build succeeded
  std::string romPath;             // where rom.bin was written, after a success
};

// The make script of the menu program: "make.bat" on Windows, "make.sh" elsewhere.
std::string MakeScriptName();
Command MakeScriptCommand(const std::string& programDir);

// The time a regular file was last changed, in nanoseconds; -1 for anything else.
int64_t ModifiedTime(const std::string& path);

// The whole build: roms.bin, roms.map, Gamedef.inc, the menu build and rom.bin.
// The refusal of a reserved size that leaves the menu program no room (empty or 0), or
// nothing. BuildCartridge checks it first; the window checks it before it starts.
std::string ReserveRefusal(const std::string& reserveText);

BuildResult BuildCartridge(const GameList& list, const BuildOptions& options);

// The refusal of a run of the cartridge when no build has written rom.bin yet, or nothing.
std::string NothingBuiltRefusal(const std::string& programDir);

// Whether the program directory's rom.bin was built from this list: the game table the
// list makes with this reserve is Gamedef.inc as it stands, and rom.bin came after it.
bool BuiltFromList(const GameList& list, const std::string& reserveText,
                   const std::string& programDir);

// The game table keeps bits 21-24 of a block's address: the cartridge's first 32 MB.
constexpr int64_t kTableReach = int64_t{16} << 21;

// Every row the cartridge cannot take, one line each naming the game and the reason;
// empty when there is none.
std::string CartridgeProblems(const GameList& list);

// The first block of the layout that lies beyond what the game table reaches, named.
std::string TableReachRefusal(const std::vector<BankBlock>& ordered);

// Whether the list, laid out with this reserve, reaches past what the game table
// addresses; a list that cannot be laid out for another reason does not.
bool PastTableReach(const GameList& list, const std::string& reserveText);

// Why the menu binary, cut at the reserve and put at the top of page 0, cannot start the
// console: it does not reach the vectors, or its reset or NMI vector points outside the
// menu code that the chip shows at power-on. Empty when it can.
std::string MenuStartRefusal(std::span<const uint8_t> menu, int32_t reserve);

// The last step alone: puts the first `reserve` bytes of the menu binary into the top of
// page 0 of the combined image and writes the result to romPath. Returns the message,
// or empty on success.
std::string MergeMenu(std::vector<uint8_t>& image, const std::string& menuPath, int32_t reserve,
                      const std::string& romPath);

}  // namespace romvane
