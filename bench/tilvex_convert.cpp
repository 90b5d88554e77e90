// Converts 256 x 240 screens of 16 colours in colour space 0 ("VT03 NEW(4K HSL)") and writes
// their .pic, PGT and PNT files: once with the colour tables loaded, then 100 screens in one
// process with the tables loaded once.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

#include "convert/tile_converter.h"
#include "doc/pic_file.h"
#include "image/colour_tables.h"
#include "output/block_output.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A screen of 16 colours with a different pattern in every tile, the slowest case for the
// tile comparison.
tilvex::Picture MakeScreen(unsigned seed) {
  std::mt19937 random(seed);
  tilvex::Picture picture{256, 240, std::vector<uint8_t>(256 * 240 * 3)};
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 256; ++x) {
      unsigned i = random() % 16;
      picture.Set(x, y, tilvex::MakeRgb(i * 16, 255 - i * 12, (i * 53) & 0xFF));
    }
  }
  return picture;
}

bool ConvertAndWrite(const tilvex::Picture& picture,
                     const std::shared_ptr<const tilvex::ColourTables>& tables,
                     const std::string& dir) {
  const tilvex::ConversionSettings settings = tilvex::DefaultSettings(picture);
  const tilvex::Conversion converted = tilvex::ConvertPicture(picture, settings, {}, *tables);
  if (!converted.status.ok) {
    std::fprintf(stderr, "%s\n", converted.status.message.c_str());
    return false;
  }
  return tilvex::WritePicFile(dir + "/screen.pic", converted.picture).ok &&
         tilvex::WriteBlockOutput(converted.picture, dir + "/screen_pgt.bin",
                                  dir + "/screen_pnt.asm", false, false)
             .ok;
}

}  // namespace

int main() {
  const std::string dir =
      (std::filesystem::temp_directory_path() / "bench_tilvex_convert").string();
  std::filesystem::create_directories(dir);

  auto start = Clock::now();
  auto tables = std::make_shared<tilvex::ColourTables>();
  common::Result loaded = tilvex::LoadColourTables(*tables);
  const double loadMs = MillisecondsSince(start);
  if (!loaded.ok)
    std::printf("colour tables not found (%s); codes are approximate\n", loaded.Text().c_str());

  std::vector<tilvex::Picture> screens;
  for (unsigned i = 0; i < 100; ++i) screens.push_back(MakeScreen(i + 1));

  start = Clock::now();
  if (!ConvertAndWrite(screens[0], tables, dir)) return 1;
  const double oneMs = MillisecondsSince(start);

  start = Clock::now();
  for (const tilvex::Picture& screen : screens) {
    if (!ConvertAndWrite(screen, tables, dir)) return 1;
  }
  const double hundredMs = MillisecondsSince(start);

  std::printf("colour tables loaded:            %8.2f ms\n", loadMs);
  std::printf("one screen, convert and write:   %8.2f ms\n", oneMs);
  std::printf("one screen with the table load:  %8.2f ms\n", loadMs + oneMs);
  std::printf("100 screens, tables loaded once: %8.2f ms (%.2f ms a screen)\n", hundredMs,
              hundredMs / 100);
  std::filesystem::remove_all(dir);
  return 0;
}
