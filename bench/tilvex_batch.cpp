// Prints the time of a 100-frame batch of 256 x 240 pictures in colour space 0, with the
// colour tables loaded once, as an animation export runs it.

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/colour_tables.h"
#include "image/picture_bmp.h"
#include "palette/pal_file.h"
#include "project/batch_export.h"

namespace {

// System time the process has used so far, in milliseconds.
double SystemMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
}

}  // namespace

int main() {
  using namespace tilvex;
  namespace fs = std::filesystem;
  using Clock = std::chrono::steady_clock;
  const fs::path dir =
      fs::temp_directory_path() / ("tilvex-bench-batch-" + std::to_string(getpid()));
  fs::create_directories(dir);

  const auto loadStart = Clock::now();
  auto tables = std::make_shared<ColourTables>();
  if (Result r = LoadColourTables(*tables); !r) {
    std::fprintf(stderr, "%s\n", r.Text().c_str());
    return 1;
  }
  const double loadMs = std::chrono::duration<double, std::milli>(Clock::now() - loadStart).count();

  // Sixteen console colours, so one palette of "ani.pal" holds every area of every frame.
  SlotTable palettes{};
  std::vector<Rgb> colours;
  for (int i = 0; i < 16; ++i) {
    const Rgb wanted = MakeRgb(static_cast<uint32_t>(i * 16), static_cast<uint32_t>(255 - i * 16),
                               static_cast<uint32_t>(i * 37 % 256));
    const ColourCode code = RgbToCode(ColourSpace::kHsl4K, *tables, wanted);
    colours.push_back(CodeToRgb(ColourSpace::kHsl4K, *tables, code));
    palettes.At(0, i) = {colours.back(), 1};
  }
  WritePaletteFile((dir / "ani.pal").string(), palettes);
  std::ofstream(dir / "Sprite_pgt.bin", std::ios::binary) << std::string(2048, '\0');

  std::vector<std::string> frames;
  for (int f = 0; f < 100; ++f) {
    Picture picture{256, 240, std::vector<uint8_t>(256 * 240 * 3)};
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 256; ++x)
        picture.Set(x, y, colours[((x / 8) * 3 + (y / 8) * 5 + f) % 16]);
    }
    frames.push_back((dir / ("frame" + std::to_string(f) + ".bmp")).string());
    const std::vector<uint8_t> bmp = BmpFileBytes(picture);
    std::ofstream(frames.back(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  }

  std::vector<std::string> messages;
  const double systemStart = SystemMs();
  const auto start = Clock::now();
  const Result ran =
      RunBatch(frames, dir.string(), BatchFrameConverter(tables, dir.string(), 0), messages);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const double systemMs = SystemMs() - systemStart;
  if (!ran || !messages.empty()) {
    std::fprintf(stderr, "batch failed: %s\n", ran ? messages.front().c_str() : ran.Text().c_str());
    fs::remove_all(dir);
    return 1;
  }
  std::printf("colour tables loaded once:      %8.1f ms\n", loadMs);
  std::printf("100-frame batch of 256 x 240:   %8.1f ms (%.2f ms a frame)\n", ms, ms / 100);
  std::printf("system time of the batch:       %8.1f ms\n", systemMs);
  fs::remove_all(dir);
  return 0;
}
