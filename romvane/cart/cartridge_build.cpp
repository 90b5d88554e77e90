#include "cart/cartridge_build.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "cart/generated_files.h"
#include "cart/menu_glyphs.h"
#include "cart/nes_image.h"
#include "cart/parse_hex.h"
#include "common/file_io.h"
#include "common/hex.h"
#include "common/translate.h"
#include "model/ines_file.h"

namespace romvane {
namespace {

constexpr int kSettleMilliseconds = 10;

struct FileState {
  bool regular = false;
  off_t size = -1;
  int64_t modified = 0;
  bool operator==(const FileState&) const = default;
};

// A folder or anything else that is not a regular file is not a menu.
FileState StateOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {true, st.st_size, int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

// Without a way to watch the script, a menu counts as finished once it stays the same
// across a short pause.
}  // namespace

int64_t ModifiedTime(const std::string& path) {
  const FileState state = StateOf(path);
  return state.regular ? state.modified : -1;
}

namespace {

bool MenuSettled(const std::string& menuPath, const BuildOptions& options) {
  const FileState seen = StateOf(menuPath);
  if (!seen.regular) return false;
  if (options.sleep) options.sleep(kSettleMilliseconds);
  return StateOf(menuPath) == seen;
}

// Waits for the script to produce the menu binary, about ten seconds at most. A watched
// script is done when it ends: the menu is then whole, or it never comes.
bool WaitForMenu(const std::string& menuPath, WatchedProcess* script, const BuildOptions& options) {
  for (int attempt = 1; attempt <= kMenuWaitAttempts; ++attempt) {
    if (options.onWait && !options.onWait(attempt)) return false;
    if (script) {
      if (script->WaitForExit(kMenuWaitMilliseconds)) return StateOf(menuPath).regular;
      continue;
    }
    if (MenuSettled(menuPath, options)) return true;
    if (options.sleep) options.sleep(kMenuWaitMilliseconds);
  }
  return false;
}

// ld65's words when the game table (the menu's GAMES segment) does not fit its area:
// "Segment 'GAMES' overflows memory area 'TABLE' by 123 bytes". The bytes over, or -1.
long TableOverflow(const std::string& line) {
  const size_t at = line.find("Segment 'GAMES' overflows memory area");
  if (at == std::string::npos) return -1;
  const size_t by = line.find(" by ", at);
  if (by == std::string::npos) return -1;
  char* end = nullptr;
  const long bytes = std::strtol(line.c_str() + by + 4, &end, 10);
  return end && std::string_view(end).starts_with(" byte") && bytes > 0 ? bytes : -1;
}

// What the user needs to mend a failed menu build: how the script ended and the last thing
// it complained about.
std::string MakeFailureDetail(const WatchedProcess* script) {
  if (!script || script->ExitStatus() < 0) return {};
  if (const long over = TableOverflow(script->LastErrorLine()); over > 0) {
    return common::TrFill(
               "游戏表比菜单程序留给它的空间多{0}字节: 请减少游戏、缩短名称或加大保留大小!",
               {std::to_string(over)}) +
           "\n";
  }
  const std::string status = std::to_string(script->ExitStatus());
  std::string detail = script->ExitStatus() == 0
                           ? common::TrFill("{0} 已结束，但没有生成 menu.bin", {MakeScriptName()})
                           : common::TrFill("{0} 的退出状态为 {1}", {MakeScriptName(), status});
  if (const std::string line = script->LastErrorLine(); !line.empty()) detail += "\n" + line;
  return detail + "\n";
}

// roms.bin, roms.map, Gamedef.inc, Reserve.inc and Glyphs.inc belong together: all are
// replaced, or none.
std::string WriteBuildFiles(const std::string& dir, std::vector<uint8_t>& image,
                            const GeneratedText& map, const GeneratedText& table, int32_t reserve,
                            const std::string& glyphs, common::LeftoverFiles& oldFiles) {
  std::vector<common::FileContents> files(5);
  const char* names[] = {"roms.bin", "roms.map", "Gamedef.inc", "Reserve.inc", "Glyphs.inc"};
  for (size_t i = 0; i < files.size(); ++i) files[i].path = JoinPath(dir, names[i]);
  files[0].bytes = std::move(image);
  files[1].bytes.assign(map.bytes.begin(), map.bytes.end());
  files[2].bytes.assign(table.bytes.begin(), table.bytes.end());
  const std::string reserveText = MakeReserveInclude(reserve);
  files[3].bytes.assign(reserveText.begin(), reserveText.end());
  files[4].bytes.assign(glyphs.begin(), glyphs.end());
  const common::Result written = common::WriteFilesTogether(files, &oldFiles);
  image = std::move(files[0].bytes);
  if (written) return {};
  for (size_t i = files.size(); i-- > 0;) {
    if (written.detail.find(files[i].path) != std::string::npos)
      return common::WithReason(common::TrFill("无法写入文件{0}!", {names[i]}), written);
  }
  return common::WithReason(common::TrFill("无法写入文件{0}!", {"roms.bin"}), written);
}

std::vector<std::string> TitlesByNumber(const GameList& list) {
  std::vector<std::string> titles;
  for (int row : list.RowsByNumber()) {
    const GameEntry* entry = list.EntryForRow(row);
    titles.push_back(entry ? entry->title : std::string());
  }
  return titles;
}

int32_t ClampedReserve(int32_t reserve) {
  return reserve < 0 || reserve > kPageSize ? 0 : reserve;
}

ptrdiff_t MenuOffset(int32_t reserve) {
  return kPageSize - ClampedReserve(reserve);
}

}  // namespace

std::string MenuStartRefusal(std::span<const uint8_t> menu, int32_t reserve) {
  // At power-on the chip shows the last 16 KB of the first page at $C000-$FFFF: CPU
  // address a there is image address 0x70000 + a, and the vectors are its last six bytes.
  constexpr int64_t kShownFrom = 0xC000;
  constexpr int64_t kVectors = 0xFFFA;
  constexpr int64_t kImageOfCpu = kPageSize - 0x10000;
  const int64_t menuBegin = kPageSize - reserve;
  const int64_t menuEnd = menuBegin + static_cast<int64_t>(menu.size());
  if (menuEnd < kPageSize) {
    // clang-format off
    return common::TrFill(
        "菜单程序menu.bin只有{0}字节，填不满保留的{1}字节，复位向量不属于菜单: 请检查菜单程序的构建!",
        {std::to_string(menu.size()), common::HexText(static_cast<uint32_t>(reserve))});
    // clang-format on
  }
  const int64_t firstCpu = std::max(kShownFrom, menuBegin - kImageOfCpu);
  const char* names[] = {"NMI", "RESET"};
  for (int i = 0; i < 2; ++i) {
    const auto at = static_cast<size_t>(kVectors + 2 * i + kImageOfCpu - menuBegin);
    const int64_t target = menu[at] | (menu[at + 1] << 8);
    if (target < firstCpu || target >= kVectors) {
      // clang-format off
      return common::TrFill(
          "菜单程序的{0}向量指向${1}，不在开机时可见的菜单代码中(${2}-$FFF9): 请检查菜单程序的链接配置与保留大小!",
          {names[i], common::HexText(static_cast<uint32_t>(target)), common::HexText(static_cast<uint32_t>(firstCpu))});
      // clang-format on
    }
  }
  return {};
}

namespace {

// rom.nes beside rom.bin, the same image for emulators that take iNES files.
std::string WrittenNesImage(const std::string& romPath, std::span<const uint8_t> image) {
  const size_t slash = romPath.find_last_of("/\\");
  const std::string dir = slash == std::string::npos ? std::string() : romPath.substr(0, slash);
  if (common::Result written = WriteNesImage(NesImagePath(dir), image); !written)
    return common::WithReason(common::TrFill("无法写入文件{0}!", {"rom.nes"}), written);
  return {};
}

// The menu bytes that go into the top of page 0: at most `reserve` bytes of the menu
// binary. A shorter menu leaves the rest of the reserved area as roms.bin has it.
std::string ReadMenu(size_t imageSize, const std::string& menuPath, int32_t reserve,
                     std::vector<uint8_t>& menu) {
  // The menu goes into the top of page 0, so anything shorter than a page cannot take it.
  if (imageSize < static_cast<size_t>(kPageSize)) return "Please check your ROMS.BIN file size!\n";
  common::File file = OpenRegularFile(menuPath);
  if (!file) return "Can't open file menu.bin\n";
  menu.resize(static_cast<size_t>(ClampedReserve(reserve)));
  menu.resize(std::fread(menu.data(), 1, menu.size(), file.get()));
  return {};
}

// rom.bin, written beside while the script runs and completed with the menu once it is
// there.
std::string FinishRom(common::PendingFile& rom, const common::Result& written,
                      const std::string& romPath, std::vector<uint8_t>& image,
                      const std::string& menuPath, int32_t reserve) {
  std::vector<uint8_t> menu;
  if (std::string message = ReadMenu(image.size(), menuPath, reserve, menu); !message.empty())
    return message;
  if (std::string message = MenuStartRefusal(menu, ClampedReserve(reserve)); !message.empty())
    return message;
  common::Result failed = written;
  if (failed) failed = rom.Patch(static_cast<uint64_t>(MenuOffset(reserve)), menu);
  if (failed) failed = rom.Commit();
  if (!failed) return common::WithReason("Can't open file rom.bin", failed) + "\n";
  std::copy(menu.begin(), menu.end(), image.begin() + MenuOffset(reserve));
  return WrittenNesImage(romPath, image);
}

}  // namespace

std::string MakeScriptName() {
#ifdef _WIN32
  return "make.bat";
#else
  return "make.sh";
#endif
}

Command MakeScriptCommand(const std::string& programDir) {
  const std::string script = JoinPath(programDir, MakeScriptName());
#ifdef _WIN32
  return {script, {}, programDir};
#else
  return {"sh", {script}, programDir};
#endif
}

std::string MergeMenu(std::vector<uint8_t>& image, const std::string& menuPath, int32_t reserve,
                      const std::string& romPath) {
  std::vector<uint8_t> menu;
  if (std::string message = ReadMenu(image.size(), menuPath, reserve, menu); !message.empty())
    return message;
  if (std::string message = MenuStartRefusal(menu, ClampedReserve(reserve)); !message.empty())
    return message;
  std::copy(menu.begin(), menu.end(), image.begin() + MenuOffset(reserve));
  if (common::Result written = common::WriteFileReplacing(romPath, image); !written)
    return common::WithReason("Can't open file rom.bin", written) + "\n";
  return WrittenNesImage(romPath, image);
}

std::string ReserveRefusal(const std::string& reserveText) {
  // Empty and "0" alike would leave the menu program no room: a cartridge that cannot
  // start. Other faulty texts are refused by the layout with its own message.
  if (ParseHex(reserveText) == 0) return common::Tr("保留大小不能为0: 菜单程序需要空间!");
  return {};
}

std::string NothingBuiltRefusal(const std::string& programDir) {
  if (StateOf(JoinPath(programDir, "rom.bin")).regular) return {};
  return common::TrFill("还没有生成卡带({0}): 请先转换/合成!", {JoinPath(programDir, "rom.bin")});
}

bool BuiltFromList(const GameList& list, const std::string& reserveText,
                   const std::string& programDir) {
  const std::string tablePath = JoinPath(programDir, "Gamedef.inc");
  const int64_t rom = ModifiedTime(JoinPath(programDir, "rom.bin"));
  const int64_t table = ModifiedTime(tablePath);
  if (list.RowCount() == 0 || rom < 0 || table < 0 || rom < table) return false;
  const Layout layout = LayOutGames(list, reserveText);
  if (!layout.message.empty()) return false;
  const GeneratedText made = MakeGameTable(list, layout.ordered);
  std::vector<uint8_t> onDisk(made.bytes.size() + 1);
  common::File file = OpenRegularFile(tablePath);
  if (!made.message.empty() || !file) return false;
  onDisk.resize(std::fread(onDisk.data(), 1, onDisk.size(), file.get()));
  return std::equal(onDisk.begin(), onDisk.end(), made.bytes.begin(), made.bytes.end());
}

std::string CartridgeProblems(const GameList& list) {
  std::string message;
  const std::vector<int> rows = list.ProblemRows();
  for (int row : rows) {
    const GameEntry& game = list.Game(row);
    message += common::TrFill("第{0}个游戏({1})无法放入卡带: {2}!",
                              {std::to_string(game.Number()), game.title, game.problem}) +
               "\n";
  }
  return message;
}

std::string TableReachRefusal(const std::vector<BankBlock>& ordered) {
  for (const BankBlock& b : ordered) {
    if (b.ImageEnd() > kTableReach && b.end > b.begin) {
      return common::TrFill("第{0}个游戏({1})的{2}在卡带的32MB之外，游戏表无法指到它!",
                            {std::to_string(b.gameIndex + 1), b.title, b.isPrg ? "PROM" : "VROM"});
    }
  }
  return {};
}

bool PastTableReach(const GameList& list, const std::string& reserveText) {
  int64_t total = ParseHex(reserveText);
  for (const GameEntry& g : list.Games()) total += g.PrgSize() + g.ChrSize();
  // Far below the limit no packing reaches it: every page but the last is more than half
  // full, since blocks are powers of two of at most a page.
  if (total <= kTableReach / 2) return false;
  const Layout layout = LayOutGames(list, reserveText);
  return layout.message.empty() && !TableReachRefusal(layout.ordered).empty();
}

BuildResult BuildCartridge(const GameList& list, const BuildOptions& options) {
  BuildResult result;
  result.message = ReserveRefusal(options.reserveText);
  if (result.message.empty()) result.message = CartridgeProblems(list);
  if (!result.message.empty()) return result;
  Layout layout = LayOutGames(list, options.reserveText);
  if (layout.message.empty()) layout.message = TableReachRefusal(layout.ordered);
  if (!layout.message.empty()) {
    result.message = layout.message;
    return result;
  }
  result.ordered = layout.ordered;
  const int32_t reserve = ParseHex(options.reserveText);
  const GeneratedText map = MakeMapListing(layout.ordered);
  const GeneratedText table = MakeGameTable(list, layout.ordered);
  for (const GeneratedText* t : {&map, &table}) {
    if (!t->message.empty()) {
      result.message = t->message;
      return result;
    }
  }
  const MenuGlyphs glyphs = MakeMenuGlyphs(TitlesByNumber(list), reserve, options.fontPath);
  if (!glyphs.message.empty()) {
    result.message = glyphs.message;
    return result;
  }
  const std::string& dir = options.programDir;
  std::vector<uint8_t> image = CombineImage(list, layout.ordered, &result.message);
  if (!result.message.empty()) return result;
  // The old files are freed once the script runs: that takes the file system a while.
  common::LeftoverFiles oldFiles;
  result.message = WriteBuildFiles(dir, image, map, table, reserve, glyphs.text, oldFiles);
  if (!result.message.empty()) return result;

  const std::string menuPath = JoinPath(dir, "menu.bin");
  std::remove(menuPath.c_str());  // a stale menu must never be merged
  StartedProcess script;
  if (StateOf(JoinPath(dir, MakeScriptName())).regular && options.launcher)
    script = options.launcher->StartWatched(MakeScriptCommand(dir));
  // The bulk of rom.bin is roms.bin's image: it is written while the script runs.
  const std::string romPath = JoinPath(dir, "rom.bin");
  common::PendingFile rom;
  common::Result romWritten;
  if (script.started && image.size() >= static_cast<size_t>(kPageSize))
    romWritten = rom.Write(romPath, image);
  oldFiles.Remove();
  if (!script.started || !WaitForMenu(menuPath, script.watch.get(), options)) {
    result.message = "Make File Error!\n" + MakeFailureDetail(script.watch.get());
    return result;
  }
  result.message = FinishRom(rom, romWritten, romPath, image, menuPath, reserve);
  if (result.message.empty()) result.romPath = romPath;
  return result;
}

}  // namespace romvane
