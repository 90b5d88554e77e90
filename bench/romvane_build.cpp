// Prints how long the builder takes to lay out and write a full 512-game cartridge
// (everything but the menu script), next to a plain copy of the same number of bytes.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cart/bank_layout.h"
#include "cart/generated_files.h"
#include "common/file_io.h"
#include "model/game_list.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  using namespace romvane;
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "romvane-bench";
  fs::create_directories(dir);

  // 512 games of mixed power-of-two sizes, as a typical multicart holds.
  GameList list;
  const uint8_t prgUnits[] = {1, 2, 2, 8, 16};
  const uint8_t chrUnits[] = {1, 1, 0, 16, 8};
  for (int i = 0; i < GameList::kMaxGames; ++i) {
    const uint8_t prg = prgUnits[i % 5];
    const uint8_t chr = chrUnits[i % 5];
    std::vector<char> bytes = {
        0x4E, 0x45, 0x53, 0x1A, static_cast<char>(prg), static_cast<char>(chr)};
    bytes.resize(16 + prg * 0x4000u + chr * 0x2000u, static_cast<char>(i));
    const fs::path path = dir / ("game" + std::to_string(i) + ".nes");
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    list.AddGame(path.string(), "游戏" + std::to_string(i));
  }

  const auto buildStart = Clock::now();
  const Layout layout = LayOutGames(list, "6000");
  if (!layout.message.empty()) {
    std::fprintf(stderr, "%s\n", layout.message.c_str());
    return 1;
  }
  const std::vector<uint8_t> image = CombineImage(list, layout.ordered);
  const std::string map = MakeMapListing(layout.ordered).bytes;
  const std::string table = MakeGameTable(list, layout.ordered).bytes;
  common::WriteFilesTogether(std::vector<common::FileContents>{
      {(dir / "roms.bin").string(), image},
      {(dir / "roms.map").string(), {map.begin(), map.end()}},
      {(dir / "Gamedef.inc").string(), {table.begin(), table.end()}}});
  const double buildMs = MillisecondsSince(buildStart);

  const auto copyStart = Clock::now();
  fs::copy_file(dir / "roms.bin", dir / "copy.bin", fs::copy_options::overwrite_existing);
  const double copyMs = MillisecondsSince(copyStart);

  std::printf("512-game build: %zu blocks, %.1f MB image\n", layout.ordered.size(),
              static_cast<double>(image.size()) / (1 << 20));
  std::printf("  layout + roms.bin + roms.map + Gamedef.inc: %8.1f ms\n", buildMs);
  std::printf("  copying the same image:                     %8.1f ms\n", copyMs);
  fs::remove_all(dir);
  return 0;
}
