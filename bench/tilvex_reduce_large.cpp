// Colour reduction of large pictures, each in a process of its own so that its peak memory
// is its own: the time of the reduction alone and of the whole conversion with "--reduce"
// (which may then stop at the bank limits), and the peak resident memory as a multiple of
// the decoded picture (3 bytes a pixel). Pictures are made in memory:
//   gradient  8192 x 8192, 256 colours in every 16 x 16 area (the areas differ in blue)
//   photo     4000 x 3000, soft gradients with strong grain
//   noise     1024 x 1024, every pixel random
//   bench_tilvex_reduce_large [gradient|photo|noise]...   (all three by default)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/colour_reduction.h"
#include "convert/tile_converter.h"

namespace {

using namespace tilvex;
using Clock = std::chrono::steady_clock;

Picture Make(const std::string& name) {
  uint32_t seed = 12345;
  auto random = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16 & 0x7FFF; };
  if (name == "gradient") {
    Picture p{8192, 8192, std::vector<uint8_t>(size_t{8192} * 8192 * 3)};
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x)
        p.Set(x, y, MakeRgb(x % 16 * 16 + 8, y % 16 * 16 + 8, (x / 16 + y / 16) & 255));
    }
    return p;
  }
  if (name == "photo") {
    Picture p{4000, 3000, std::vector<uint8_t>(size_t{4000} * 3000 * 3)};
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const double r = 128 + 100 * std::sin(x / 170.0) * std::cos(y / 230.0);
        const double g = 128 + 100 * std::sin((x + y) / 310.0);
        const double b = 128 + 100 * std::cos(x / 90.0 - y / 400.0);
        auto grain = [&](double v) {
          return uint32_t(std::clamp(v + int(random() % 49) - 24, 0.0, 255.0));
        };
        p.Set(x, y, MakeRgb(grain(r), grain(g), grain(b)));
      }
    }
    return p;
  }
  Picture p{1024, 1024, std::vector<uint8_t>(size_t{1024} * 1024 * 3)};
  for (uint8_t& byte : p.pixels) byte = uint8_t(random());
  return p;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// In the child: makes the picture, reduces it, converts it; prints the times.
void Run(const std::string& name, bool whole) {
  const Picture picture = Make(name);
  const ColourTables tables;  // "TFT RGB 4K" rests on no table
  ConversionSettings settings = DefaultSettings(picture);
  settings.colourSpace = 1;
  settings.reduce.reduce = true;
  const auto start = Clock::now();
  if (!whole) {
    const ReducedPicture reduced = ReduceColours(picture, settings.area, settings.background, 0,
                                                 ColourSpace::kRgb4K, tables, settings.reduce);
    std::printf("%-9s %5dx%-5d reduce     %7.2f s  %s\n", name.c_str(), picture.width,
                picture.height, Seconds(start), reduced.status.ok ? "reduced" : "failed");
    return;
  }
  const Conversion c = ConvertPicture(picture, settings, {}, tables);
  std::printf("%-9s %5dx%-5d convert    %7.2f s  %s\n", name.c_str(), picture.width, picture.height,
              Seconds(start), c.status.ok ? "converted" : c.status.Text().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) names.emplace_back(argv[i]);
  if (names.empty()) names = {"gradient", "photo", "noise"};
  for (const std::string& name : names) {
    for (bool whole : {false, true}) {
      std::fflush(stdout);
      const pid_t child = fork();
      if (child == 0) {
        Run(name, whole);
        std::fflush(stdout);
        _exit(0);
      }
      int status = 0;
      rusage usage{};
      wait4(child, &status, 0, &usage);
      const Picture shape = name == "gradient" ? Picture{8192, 8192, {}}
                            : name == "photo"  ? Picture{4000, 3000, {}}
                                               : Picture{1024, 1024, {}};
      const double decoded = 3.0 * shape.width * shape.height;
      const double peak = double(usage.ru_maxrss) * 1024.0;
      const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
      std::printf(
          "%-9s processor %.2f s (picture made in memory included), peak %.0f MB = "
          "%.2f x the decoded picture (%.0f MB)\n",
          name.c_str(), cpu, peak / 1e6, peak / decoded, decoded / 1e6);
    }
  }
  return 0;
}
