// Prints timings of the colour-space searches and of a whole-picture adaptation.
#include <cstdio>
#include <random>

#include "image/colour_list.h"
#include "image/colour_tables.h"
#include "timing.h"

using namespace tilvex;

int main() {
  ColourTables tables;
  Result loaded = LoadColourTables(tables);
  if (!loaded) {
    std::fprintf(stderr, "%s\n", loaded.Text().c_str());
    return 1;
  }
  std::mt19937 random(1);
  std::vector<Rgb> colours(256);
  for (Rgb& c : colours) c = random() & 0xFFFFFF;

  unsigned sum = 0;
  const double indexed = Milliseconds([&] {
                           for (int round = 0; round < 100; ++round) {
                             for (Rgb c : colours) sum += RgbToCode(ColourSpace::kHsl4K, tables, c);
                           }
                         }) /
                         100;
  const double scanned = Milliseconds([&] {
    for (Rgb c : colours) sum += NearestCodeByScan(tables.codes, c);
  });
  const double build = Milliseconds([&] { tables.RebuildIndex(); });
  std::printf("RgbToCode, colour space 0, 256 colours: index %.3f ms, plain scan %.3f ms (%.0fx)\n",
              indexed, scanned, scanned / indexed);
  std::printf("index build: %.3f ms\n", build);

  Picture picture{1024, 1024, std::vector<uint8_t>(1024 * 1024 * 3)};
  for (int y = 0; y < 1024; ++y) {
    for (int x = 0; x < 1024; ++x) picture.Set(x, y, colours[(x / 64 + y / 64 * 16) % 256]);
  }
  ColourList list;
  const double collect = Milliseconds([&] { CollectColours(picture, 0, 0, 1024, 1024, list); });
  const double adapt = Milliseconds([&] { AdaptHsl4K(picture, tables, 1024, 1024); });
  std::printf("CollectColours 1024 x 1024 (%u colours): %.1f ms\n", list.count, collect);
  std::printf("AdaptHsl4K 1024 x 1024: %.1f ms\n", adapt);
  return sum == 0xFFFFFFFF ? 1 : 0;
}
