#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "convert/colour_reduction.h"
#include "converter_fixture.h"

namespace tilvex {
namespace {

using testing::Convert;
using testing::ExactColour;
using testing::FilledPicture;
using testing::Settings;
using testing::TestTables;
using testing::WholeOf;

const Rgb kBlack = 0;

ReduceOptions Reduce(Dither dither = Dither::kNone) {
  ReduceOptions options;
  options.reduce = true;
  options.dither = dither;
  return options;
}

Conversion Reduced(const Picture& picture, Rgb background, ConversionSettings settings,
                   const ReduceOptions& options = Reduce(), const PaletteChoice& palettes = {},
                   Progress& progress = NoProgress()) {
  settings.reduce = options;
  return Convert(picture, WholeOf(picture), background, settings, palettes, progress);
}

Picture Drawn(const Conversion& c) {
  const PicHeader& h = c.picture.header;
  Picture image = FilledPicture(int(h.width), int(h.height), 0);
  RenderBlockPicture(c.picture, TestTables(), image);
  return image;
}

int64_t SquaredError(const Picture& a, const Picture& b) {
  int64_t sum = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) sum += ColourDistance(a.At(x, y), b.At(x, y));
  }
  return sum;
}

double Psnr(const Picture& a, const Picture& b) {
  const double mse = double(SquaredError(a, b)) / (3.0 * a.width * a.height);
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

void FillArea(Picture& picture, int area, int columns, Rgb rgb, int fromRow = 0, int rows = 16) {
  const int x0 = area % columns * 16, y0 = area / columns * 16;
  for (int y = y0 + fromRow; y < y0 + fromRow + rows; ++y) {
    for (int x = x0; x < x0 + 16; ++x) picture.Set(x, y, rgb);
  }
}

// Smooth colours with noise: thousands of colours, hundreds in each area.
Picture NoisyPicture(int w, int h) {
  Picture picture = FilledPicture(w, h, 0);
  uint32_t state = 1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      state = state * 1103515245u + 12345u;
      const int noise = int(state >> 16) % 24;
      picture.Set(x, y,
                  MakeRgb(uint32_t(x * 255 / w), uint32_t(y * 255 / h),
                          uint32_t(std::min(255, (x + y) * 255 / (w + h) + noise))));
    }
  }
  return picture;
}

bool SameBytes(const Conversion& a, const Conversion& b) {
  return std::memcmp(&a.picture.header, &b.picture.header, sizeof(PicHeader)) == 0 &&
         a.picture.blocks.pnt == b.picture.blocks.pnt &&
         a.picture.blocks.pal == b.picture.blocks.pal &&
         a.picture.blocks.pgt == b.picture.blocks.pgt;
}

// 48 one-colour areas, then 16 areas of two flat halves: first fit in walk order fills the
// palettes with the single colours three by three, so no pair finds a palette; packing the
// pairs first puts every colour where its areas need it.
TEST(ReduceWithoutLoss, PairsThatFirstFitSplitsArePackedTogether) {
  Picture picture = FilledPicture(128, 128, kBlack);
  auto colour = [](int i) { return ExactColour(1 + i % 13, 1 + i / 13 * 3, 5 + i % 7); };
  for (int i = 0; i < 48; ++i) FillArea(picture, i, 8, colour(i));
  for (int t = 0; t < 16; ++t) {
    FillArea(picture, 48 + t, 8, colour(t), 0, 8);
    FillArea(picture, 48 + t, 8, colour(t + 16), 8, 8);
  }
  const ConversionSettings settings = Settings(1, 0, true);
  EXPECT_FALSE(Convert(picture, WholeOf(picture), kBlack, settings).status.ok);
  const Conversion c = Reduced(picture, kBlack, settings);
  ASSERT_TRUE(c.status.ok) << c.status.Text();
  EXPECT_EQ(SquaredError(picture, Drawn(c)), 0);
}

// In 4-colour mode every area holds four colours, one of them shared by all: only with that
// one as the background do the areas fit, and it is found without repainting anything.
TEST(ReduceWithoutLoss, TheColourEveryAreaSharesBecomesTheBackground) {
  const Rgb shared = ExactColour(5, 5, 5);
  Picture picture = FilledPicture(64, 16, shared);
  for (int a = 0; a < 4; ++a) {
    FillArea(picture, a, 4, ExactColour(1 + a, 10, 2), 4, 4);
    FillArea(picture, a, 4, ExactColour(8, 1 + a, 12), 8, 4);
    FillArea(picture, a, 4, ExactColour(12, 14, 1 + a), 12, 4);
  }
  const ConversionSettings settings = Settings(1, 0, true);
  EXPECT_FALSE(Convert(picture, WholeOf(picture), kBlack, settings).status.ok);
  const Conversion c = Reduced(picture, kBlack, settings);
  ASSERT_TRUE(c.status.ok);
  EXPECT_EQ(SquaredError(picture, Drawn(c)), 0);
  EXPECT_EQ(c.slots.At(0, 0).rgb, shared);

  ReduceOptions keep = Reduce();
  keep.chooseBackground = false;
  const Conversion kept = Reduced(picture, kBlack, settings, keep);
  ASSERT_TRUE(kept.status.ok);
  EXPECT_EQ(kept.slots.At(0, 0).rgb, kBlack);
  EXPECT_GT(SquaredError(picture, Drawn(kept)), 0);
}

// 20 areas, each half black and two flat quarters; areas 16..19 repeat areas 0..3 one blue
// step lighter. A palette holds three colours besides the black background, so each of the
// four pairs loses exactly one colour to its neighbour one step away: 64 pixels x 16^2.
TEST(ReduceLossy, MoreAreasThanPalettesCostTheLeastPossible) {
  Picture picture = FilledPicture(320, 16, kBlack);
  for (int a = 0; a < 20; ++a) {
    const int i = a % 16, lift = a >= 16 ? 1 : 0;
    const int red = 2 + i % 4 * 3, green = 1 + i / 4 * 4;
    FillArea(picture, a, 20, ExactColour(red, green, 2 + lift), 8, 4);
    FillArea(picture, a, 20, ExactColour(red, green, 10 + lift), 12, 4);
  }
  const ConversionSettings settings = Settings(1, 0, true);
  const Conversion c = Reduced(picture, kBlack, settings);
  ASSERT_TRUE(c.status.ok);
  EXPECT_EQ(SquaredError(picture, Drawn(c)), 4 * 64 * 16 * 16);
  EXPECT_EQ(c.slots.At(0, 0).rgb, kBlack);
}

TEST(ReduceLossy, EveryModeAndDitherGivesAConvertibleCloseBlockPicture) {
  const Picture picture = NoisyPicture(96, 80);
  const struct {
    int colourMode;
    Dither dither;
    double minPsnr;
  } cases[] = {{0, Dither::kNone, 30},           {1, Dither::kNone, 24},
               {0, Dither::kOrdered, 26},        {1, Dither::kOrdered, 21},
               {0, Dither::kFloydSteinberg, 26}, {1, Dither::kFloydSteinberg, 21}};
  for (const auto& k : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << k.colourMode << " dither " << int(k.dither));
    for (int blockMode = 0; blockMode < 4; ++blockMode) {
      const ConversionSettings settings = Settings(k.colourMode, blockMode, true);
      EXPECT_FALSE(Convert(picture, WholeOf(picture), kBlack, settings).status.ok);
      const Conversion c = Reduced(picture, picture.At(0, 0), settings, Reduce(k.dither));
      ASSERT_TRUE(c.status.ok) << c.status.Text();
      EXPECT_GT(Psnr(picture, Drawn(c)), k.minPsnr);
    }
  }
}

// The error of 4 x 4 averages: what the eye sees from a little way off.
double BlurredError(const Picture& a, const Picture& b) {
  double sum = 0;
  for (int y = 0; y + 4 <= a.height; y += 4) {
    for (int x = 0; x + 4 <= a.width; x += 4) {
      for (int shift = 0; shift < 24; shift += 8) {
        double d = 0;
        for (int k = 0; k < 16; ++k) {
          d += double(a.At(x + k % 4, y + k / 4) >> shift & 0xFF) -
               double(b.At(x + k % 4, y + k / 4) >> shift & 0xFF);
        }
        sum += (d / 16) * (d / 16);
      }
    }
  }
  return sum;
}

// Dithering trades pixel error for the right colours on average: seen from a little way off
// a smooth picture is closer to the source than with the plain mapping.
TEST(ReduceLossy, DitheringKeepsTheAverageColours) {
  Picture smooth = FilledPicture(64, 64, 0);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) smooth.Set(x, y, MakeRgb(x * 4, y * 4, (x + y) * 2));
  }
  const ConversionSettings settings = Settings(1, 0, true);
  const Picture plain = Drawn(Reduced(smooth, kBlack, settings));
  for (Dither dither : {Dither::kOrdered, Dither::kFloydSteinberg}) {
    const Picture dithered = Drawn(Reduced(smooth, kBlack, settings, Reduce(dither)));
    EXPECT_LT(BlurredError(smooth, dithered), 0.9 * BlurredError(smooth, plain)) << int(dither);
    EXPECT_GT(SquaredError(smooth, dithered), SquaredError(smooth, plain)) << int(dither);
  }
}

TEST(ReduceLossy, WorkingAreasOffTheAreaGridStillConvert) {
  const Picture picture = NoisyPicture(96, 96);
  ConversionSettings settings = Settings(0, 0, true);
  const WorkArea area{8, 24, 72, 88};
  settings.reduce = Reduce();
  const Conversion c = Convert(picture, area, kBlack, settings);
  ASSERT_TRUE(c.status.ok) << c.status.Text();
  EXPECT_EQ(c.picture.header.width, 64u);
}

TEST(ReduceChoices, TheSameInputGivesTheSameBytes) {
  const Picture picture = NoisyPicture(80, 64);
  for (Dither dither : {Dither::kNone, Dither::kOrdered, Dither::kFloydSteinberg}) {
    for (int colourMode = 0; colourMode < 2; ++colourMode) {
      const ConversionSettings settings = Settings(colourMode, 0, true);
      const Conversion first = Reduced(picture, kBlack, settings, Reduce(dither));
      const Conversion second = Reduced(picture, kBlack, settings, Reduce(dither));
      ASSERT_TRUE(first.status.ok);
      EXPECT_TRUE(SameBytes(first, second)) << int(dither) << " " << colourMode;
    }
  }
}

// A picture that converts today gives the same bytes whether reduction is asked for or not.
TEST(ReduceChoices, PicturesThatConvertAreLeftAsTheyAre) {
  Picture picture = FilledPicture(64, 32, kBlack);
  for (int a = 0; a < 8; ++a) {
    FillArea(picture, a, 4, ExactColour(a + 1, 3, 7), 0, 5);
    FillArea(picture, a, 4, 0x123456 + Rgb(a), 5, 3);  // not a shown colour
  }
  for (int colourMode = 0; colourMode < 2; ++colourMode) {
    for (int blockMode = 0; blockMode < 4; ++blockMode) {
      const ConversionSettings settings = Settings(colourMode, blockMode, blockMode % 2 == 0);
      const Conversion plain = Convert(picture, WholeOf(picture), kBlack, settings);
      ASSERT_TRUE(plain.status.ok);
      for (Dither dither : {Dither::kNone, Dither::kOrdered, Dither::kFloydSteinberg}) {
        EXPECT_TRUE(SameBytes(plain, Reduced(picture, kBlack, settings, Reduce(dither))));
      }
      // Palettes given beforehand that hold the picture's colours are used as they are.
      PaletteChoice given;
      given.fixed = plain.slots;
      const Conversion fixedPlain = Convert(picture, WholeOf(picture), kBlack, settings, given);
      ASSERT_TRUE(fixedPlain.status.ok);
      EXPECT_TRUE(SameBytes(fixedPlain, Reduced(picture, kBlack, settings, Reduce(), given)));
    }
  }
  // Reduction off: a picture with too many colours is refused with the same message.
  const Picture noisy = NoisyPicture(32, 32);
  const Conversion refused = Convert(noisy, WholeOf(noisy), kBlack, Settings(0, 0, true));
  EXPECT_EQ(Reduced(noisy, kBlack, Settings(0, 0, true), ReduceOptions{}).status.message,
            refused.status.message);
  EXPECT_FALSE(refused.status.message.empty());
}

// Palettes fixed beforehand (an animation's "ani.pal") stay; each area takes the nearest.
TEST(ReduceChoices, FixedPalettesAreKeptAndEachAreaTakesTheNearest) {
  Picture picture = NoisyPicture(64, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 64; ++x) {
      const Rgb rgb = picture.At(x, y);
      picture.Set(x, y,
                  x < 32 ? MakeRgb(200 + RedOf(rgb) % 40, 10, 20)
                         : MakeRgb(10, 30, 180 + BlueOf(rgb) % 60));
    }
  }
  SlotTable fixed;
  fixed.At(0, 0) = fixed.At(1, 0) = {kBlack, 1};
  fixed.At(0, 1) = {ExactColour(13, 0, 1), 1};
  fixed.At(1, 1) = {ExactColour(0, 2, 13), 1};
  PaletteChoice palettes;
  palettes.fixed = fixed;
  const ConversionSettings settings = Settings(1, 3, true);
  EXPECT_FALSE(Convert(picture, WholeOf(picture), kBlack, settings, palettes).status.ok);
  const Conversion c = Reduced(picture, kBlack, settings, Reduce(), palettes);
  ASSERT_TRUE(c.status.ok) << c.status.Text();
  EXPECT_EQ(c.slots, fixed);
  const uint8_t attributes[] = {0, 0, 1, 1};
  for (size_t cell = 0; cell < 4; ++cell)
    EXPECT_EQ(c.picture.blocks.Attribute(cell), attributes[cell]);
}

class StopAfter : public Progress {
 public:
  explicit StopAfter(int steps) : left_(steps) {}
  void Step() override { --left_; }
  bool Cancelled() override { return left_ <= 0; }

 private:
  int left_;
};

TEST(ReduceChoices, CancellingStopsWithoutAMessage) {
  const Picture picture = NoisyPicture(128, 128);
  for (int steps : {0, 1, 3, 10}) {
    StopAfter progress(steps);
    const Conversion c = Reduced(picture, kBlack, Settings(0, 0, true),
                                 Reduce(Dither::kFloydSteinberg), {}, progress);
    EXPECT_FALSE(c.status.ok) << steps;
    EXPECT_TRUE(c.status.message.empty());
  }
}

}  // namespace
}  // namespace tilvex
