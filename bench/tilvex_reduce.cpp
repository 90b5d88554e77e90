// For each picture (cut to its top-left 256 x 240) and each colour mode, in the colour space
// "TFT RGB 4K": the PSNR of the drawn block picture against the picture, for the colour
// reduction and for the plain yardstick, the reduction's time (wall clock and processor),
// the ceiling: every pixel on its nearest shown colour, which no palettes can beat; and the
// plain yardstick (top-left background, left out of the groups' k-means) with our gain.
//   bench_tilvex_reduce PICTURE...
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "convert/block_render.h"
#include "convert/tile_converter.h"
#include "doc/pic_file.h"
#include "image/decoder.h"
#include "reduce_yardstick.h"

namespace {

using namespace tilvex;
using bench::YardstickReduce;
using Clock = std::chrono::steady_clock;

double Psnr(const Picture& a, const Picture& b) {
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const double d = double(a.pixels[i]) - double(b.pixels[i]);
    sum += d * d;
  }
  const double mse = sum / double(a.pixels.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

Picture Drawn(const Conversion& c, const ColourTables& tables, int w, int h) {
  Picture image{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
  RenderBlockPicture(c.picture, tables, image);
  return image;
}

Picture Cut(const Picture& source, int w, int h) {
  Picture cut{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) cut.Set(x, y, source.At(x, y));
  }
  return cut;
}

}  // namespace

int main(int argc, char** argv) {
  const ColourTables tables;  // "TFT RGB 4K" rests on no table
  const DeviceColours device(ColourSpace::kRgb4K, tables);
  std::printf("%-40s %6s %9s %9s %7s %8s %8s %8s %8s %7s\n", "picture", "colors", "reduce",
              "yardstick", "gain", "ms", "cpu ms", "ceiling", "plain", "gain");
  int worse = 0, worsePlain = 0;
  for (int i = 1; i < argc; ++i) {
    Picture loaded;
    if (!DecodePictureFile(argv[i], loaded).ok || loaded.width < 256 || loaded.height < 240) {
      std::printf("%s: not read, or smaller than 256 x 240\n", argv[i]);
      continue;
    }
    const Picture picture = Cut(loaded, 256, 240);
    const WorkArea area{0, 0, 256, 240};
    for (int mode = 0; mode < 2; ++mode) {
      ConversionSettings settings;
      settings.area = area;
      settings.background = picture.At(0, 0);
      settings.colourMode = uint8_t(mode);
      settings.colourSpace = 1;
      settings.reduce.reduce = true;
      const auto start = Clock::now();
      const std::clock_t cpuStart = std::clock();
      const Conversion ours = ConvertPicture(picture, settings, {}, tables);
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
      Picture plain;
      SlotTable slots;
      YardstickReduce(picture, mode == 0 ? 16 : 4, device, plain, slots);
      const Conversion yard = ConvertWithPalettes(plain, settings, slots, tables);
      YardstickReduce(picture, mode == 0 ? 16 : 4, device, plain, slots, true);
      const Conversion literal = ConvertWithPalettes(plain, settings, slots, tables);
      if (!ours.status.ok || !yard.status.ok || !literal.status.ok) {
        std::printf("%s: %s%s\n", argv[i], ours.status.Text().c_str(), yard.status.Text().c_str());
        return 1;
      }
      const double a = Psnr(picture, Drawn(ours, tables, 256, 240));
      const double b = Psnr(picture, Drawn(yard, tables, 256, 240));
      const double c = Psnr(picture, Drawn(literal, tables, 256, 240));
      worse += a < b + 1.0 ? 1 : 0;
      worsePlain += a < c + 1.0 ? 1 : 0;
      const char* name = std::strrchr(argv[i], '/') ? std::strrchr(argv[i], '/') + 1 : argv[i];
      // No palette does better than every pixel's nearest shown colour.
      Picture nearest = picture;
      for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 256; ++x) nearest.Set(x, y, device.Nearest(picture.At(x, y)));
      }
      std::printf("%-40.40s %6d %9.2f %9.2f %+7.2f %8.1f %8.1f %8.2f %8.2f %+7.2f\n", name,
                  mode == 0 ? 16 : 4, a, b, a - b, ms, cpuMs, Psnr(picture, nearest), c, a - c);
    }
  }
  std::printf("%d results less than 1 dB above the yardstick, %d above the plain one\n", worse,
              worsePlain);
  return 0;
}
