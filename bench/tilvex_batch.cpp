// Prints the time of a 100-frame batch of 256 x 240 pictures in colour space 0, with the
// colour tables loaded once, as an animation export runs it.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "image/colour_tables.h"
#include "image/picture_buffer.h"
#include "palette/pal_file.h"
#include "project/batch_export.h"

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
    PictureBuffer picture;
    picture.CreateNew(256, 240);
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 256; ++x)
        picture.SetPixel(x, y, colours[((x / 8) * 3 + (y / 8) * 5 + f) % 16]);
    }
    frames.push_back((dir / ("frame" + std::to_string(f) + ".bmp")).string());
    picture.Save(frames.back());
  }

  std::vector<std::string> messages;
  const auto start = Clock::now();
  const Result ran =
      RunBatch(frames, dir.string(), BatchFrameConverter(tables, dir.string(), 0), messages);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (!ran || !messages.empty()) {
    std::fprintf(stderr, "batch failed: %s\n", ran ? messages.front().c_str() : ran.Text().c_str());
    fs::remove_all(dir);
    return 1;
  }
  std::printf("colour tables loaded once:      %8.1f ms\n", loadMs);
  std::printf("100-frame batch of 256 x 240:   %8.1f ms (%.2f ms a frame)\n", ms, ms / 100);
  fs::remove_all(dir);
  return 0;
}
